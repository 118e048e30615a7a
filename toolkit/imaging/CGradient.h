#pragma once

#include <cstdint>

#include "toolkit/core/FourCC.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCResourceObject.h"

class CResourceDirectory;
class tCStream;

// One colour stop of a gradient.
struct tGradientPoint {
    uint32_t colour = 0xFF000000;
    float position = 0.0f;
};

// A colour ramp: stops at positions 0 to 1, kept in rising order by AddPoint, and a table of
// 4096 colours built from them on demand by linear, smoothstep or Catmull-Rom interpolation.
// In grey mode each entry is alpha << 24 | a 16-bit grey in the low half. It loads from the
// resource file (type 'grad') and has a stream form of its own.
class CGradient : public tCResourceObject {
public:
    static constexpr uint32_t kType = MakeFourCC("grad");
    static constexpr uint32_t kStreamVersion = 1;
    static constexpr int32_t kTableSize = 4096;
    enum : int32_t { kSmoothstep = -1, kLinear = 0, kCatmullRom = 1 };

    CGradient(uint32_t colour0, uint32_t colour1);
    ~CGradient() override;
    CGradient(const CGradient&) = delete;
    CGradient& operator=(const CGradient&) = delete;

    // A new black-to-white gradient with the resource's stops added, or null on any failure.
    static CGradient* NewFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory);

    // Loads the resource's stops through AddPoint (a null stream means the application's
    // resource file); failures of the data are shown in the error box.
    virtual tResult GetFromRes(const tCString& name, tCStream* stream, CResourceDirectory* directory);
    virtual tResult GetFromRes(uint32_t id, tCStream* stream, CResourceDirectory* directory);
    // The stream form: type tag, version 1, grey flag, interpolation, count and the stops as
    // stored (unsorted). Read replaces grey flag, interpolation and stops; 6 for another tag or
    // version, 17 for a count that is negative or larger than the data left, 5 when the stops
    // cannot be held. The stops change only when all of them were read.
    virtual tResult Read(tCStream& stream);
    virtual tResult Write(tCStream& stream);
    // The resource data: count, then colour and position per stop, each passed to AddPoint.
    virtual tResult ReadResData(tCStream& stream);
    // Writes resource data that ReadResData reads back: the stops in the order given.
    static tResult WriteResData(tCStream& stream, const tCArray<uint32_t>& colours, const tCArray<float>& positions);

    // Position 0 replaces the first stop's colour; 1 <= position < 2 replaces the last stop
    // (keeping the position as given); any other position replaces the colour of a stop at the
    // same position or is inserted before the first stop beyond it. Answers the stop's index,
    // or -1 when nothing was added. A gradient with fewer than two stops (as a stored form may
    // leave it) takes a stop at 0 or 1 .. 2 in order beside the one it has.
    int32_t AddPoint(uint32_t colour, float position);
    void BuildLookupTable();
    // The colour at `position` in 12.8 fixed point (entry index, 8-bit fraction towards the
    // next entry); positions past entry 4095 read entry 4095.
    void Sample(uint32_t* out, uint32_t position);
    // The colour at step p of n steps: the entry p x 4096 / n for n below 2048, else sampled
    // between entries. Steps outside 0 .. n - 1 read the nearest end; n below 1 reads entry 0.
    uint32_t* GetColourAt(uint32_t* out, int32_t p, int32_t n);

    void SetGrey(uint32_t grey);
    uint32_t IsGrey() const { return m_grey; }
    // kSmoothstep, kLinear or kCatmullRom; other types leave their entries unwritten.
    void SetInterpolation(int32_t type);
    int32_t GetInterpolation() const { return m_interpolation; }
    bool IsDirty() const { return m_dirty != 0; }

    int32_t GetPointCount() const { return m_points.GetCount(); }
    tGradientPoint GetPoint(int32_t index) const { return m_points.GetAt(index); }
    // The table, rebuilt first when a change is pending. Entry 4096 stays 0.
    const uint32_t* GetTable();

private:
    // The resource data up to `end`, where the resource's chunk ends.
    tResult ReadResDataWithin(tCStream& stream, int64_t end);
    void EnsureTable();
    uint32_t TableWord(uint32_t colour) const;
    void FillSegment(int32_t start, int32_t count, uint32_t from, uint32_t to, uint32_t next);

    tCArray<tGradientPoint> m_points;
    uint32_t m_dirty = 1;
    uint32_t m_grey = 0;
    int32_t m_interpolation = kLinear;
    uint32_t m_table[kTableSize + 1] = {};
};
