#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/shell/BrushOutline.h"
#include "app/shell/CFloatPoint.h"
#include "app/shell/ICursorHost.h"
#include "app/shell/ShellResources.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCRect.h"

class CCanvas;
class CImage;
class CToolBase;
class CWidget;
struct CPenSample;

// The cursor query: a = the widget under the pointer, b = int32_t* for the cursor id it wants.
inline constexpr uint32_t kMsgCursorQuery = 0xFF00102Eu;
// Through b = uint32_t*: the simple-cursor switch (no brush outline).
inline constexpr uint32_t kMsgSimpleCursor = 0xFF00102Fu;

// Cursor ids: the manager's own marks; the others are the ids of the main backdrop's cursor table
// (kCursorPlain, kCursorMove, kCursorRotate, kCursorZoom of ShellResources.h).
enum : int32_t {
    kCursorNone = -1,
    kCursorOutline = -2,
    kCursorHidden = 0,
};

// The last outline drawn, compared as a whole with the next: 13 words.
struct OutlineRecord {
    float x = 0.0f;
    float y = 0.0f;
    float pressure = 0.0f;
    float tiltAltitude = 1.0f;
    float tiltDirection = 0.0f;
    int32_t sampleFlags = 0;
    int32_t toolId = -1;
    uint32_t eraseRequest = 0;
    uint32_t penDown = 0;
    float angle = 0.0f;
    float zoom = 0.0f;
    float radius = 0.0f;
    float secondaryRadius = 0.0f;
};
static_assert(sizeof(OutlineRecord) == 13 * 4);

// Chooses the main window's cursor and, over the painting, replaces it by the outline of the
// current brush drawn into the painting view. The main backdrop holds one and calls
// UpdateCursor with the widget under the pointer on every heartbeat; the controller hands it
// the canvas's stroke steps (UpdateCursor) and redraws (DrawToolOverlay). Main thread only.
//
// The outline is drawn in two stages: DrawToolCursor works out the new outline and invalidates
// the old one's and the new one's areas in the painting view; the canvas's redraw of those
// areas then calls DrawToolOverlay, which paints the outline over the composited painting.
class CKS2CursorManager : public tCCmdTarget {
public:
    // With the program's host (application, main backdrop, pen input).
    CKS2CursorManager();
    // With another host, which must outlive the manager.
    explicit CKS2CursorManager(ICursorHost* host);
    ~CKS2CursorManager() override;
    CKS2CursorManager(const CKS2CursorManager&) = delete;
    CKS2CursorManager& operator=(const CKS2CursorManager&) = delete;

    // 0xFF001007 (b = the canvas, 0 when it goes), 0xFF00102F (the simple-cursor switch, set or
    // reported through b) and 0xFF00102E for the canvas's view widget; always 0.
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

    void SetSimpleCursor(uint32_t simple) { m_simpleCursor = simple; }
    uint32_t GetSimpleCursor() const { return m_simpleCursor; }
    CCanvas* GetCanvas() const { return m_canvas; }
    int32_t GetCurrentCursor() const { return m_currentCursor; }
    const OutlineRecord& GetRecord() const { return m_record; }
    const CFloatPoint* GetOutlinePoints() const { return m_points; }
    uint32_t GetOverlayDrawn() const { return m_overlayDrawn; }

    // The cursor for the widget under the pointer (null: none, the system cursor comes back).
    // `sample` is a stroke's sample in canvas cells, or null for the tool's latest; `present`
    // shows a changed outline at once.
    void UpdateCursor(CWidget* widget, const CPenSample* sample, uint32_t present);
    // Works out the outline and invalidates where it was and where it goes; 2 when no outline
    // can be drawn (no canvas, view or tool, the simple cursor, or a radius under 8 pixels).
    tResult DrawToolCursor(const CPenSample* sample, uint32_t present);
    // Paints the outline into the view's image `target` within `clip` (the view's coordinates).
    void DrawToolOverlay(const tCRect& clip, CImage* target);

private:
    // The cursor the painting view wants now.
    int32_t ViewCursor();
    CToolBase* OutlineTool() const;
    // The new outline record from the tool and the sample; false when the tool has none.
    bool MakeRecord(CToolBase* tool, const CPenSample* sample, bool pen, OutlineRecord* record);
    // Invalidates the outline of `record`; `oldPass` for the pass over the previous outline,
    // `now` the new outline's pen-down flag.
    void InvalidateOutline(const OutlineRecord& record, bool oldPass, bool now);
    void InvalidateRing(const OutlineShape& shape, float r);
    void InvalidateLine(const OutlineShape& shape, float lengthFactor);
    void InvalidateRoller(const OutlineShape& shape);
    void FlushRects();
    // DrawToolCursor with the erase request set: the outline shown goes.
    void RemoveOutline(uint32_t present);

    std::unique_ptr<ICursorHost> m_ownHost;
    ICursorHost* m_host = nullptr;
    uint32_t m_simpleCursor = 0;
    CCanvas* m_canvas = nullptr;
    int32_t m_currentCursor = kCursorNone;
    OutlineRecord m_record;
    uint32_t m_penDownMark = 0;
    uint32_t m_overlayDrawn = 0;
    CFloatPoint m_points[4];
    // The rectangles of one invalidation, kept to spare allocations.
    std::vector<tCRect> m_rects;
};
