#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCRect.h"

// An area kept as rectangles that are never empty and never overlap (touching is not
// overlapping), in the order callers should process them: new pieces go to the end. The bounds
// are the union of the rectangles, all zero when there are none.
//
// The editing operations either complete or, when memory runs out, answer 5 and leave the
// region as it was.
class CRegion : public tCBaseObject {
public:
    CRegion() = default;
    explicit CRegion(const tCRect& rect);
    // On an allocation failure the copy is left empty.
    CRegion(const CRegion& other);
    CRegion& operator=(const CRegion&) = delete;

    void Clear();
    // Replaces the contents with a copy of another region; 5 leaves this region unchanged.
    tResult CopyFrom(const CRegion& other);

    tResult AddRect(const tCRect& rect);
    tResult AddRegion(const CRegion& other);
    tResult SubtractRect(const tCRect& rect);
    tResult SubtractRegion(const CRegion& other);
    // Keeps what lies inside `rect`; answers 1 when something remains. An empty rect or an empty
    // region answers 0 and changes nothing.
    uint32_t ClipToRect(const tCRect& rect);
    void Offset(tCPoint delta);
    void RecomputeBounds();

    int32_t GetCount() const { return m_rects.GetCount(); }
    bool IsEmpty() const { return m_rects.IsEmpty(); }
    const tCRect& GetBounds() const { return m_bounds; }
    const tCRect* begin() const { return m_rects.begin(); }
    const tCRect* end() const { return m_rects.end(); }
    // 12 for an index outside the rects.
    tResult GetRect(tCRect* out, int32_t index) const;
    // Resizes `out` to the number of rects and copies them; 5 when it cannot grow.
    tResult CopyRects(tCArray<tCRect>& out) const;

private:
    // Grows the storage so that `extra` more rects can be appended without failing.
    tResult Reserve(int32_t extra);
    void Shrink(int32_t count);
    void RemoveRectsInside(const tCRect& rect);

    tCRect m_bounds;
    tCArray<tCRect> m_rects;
};
