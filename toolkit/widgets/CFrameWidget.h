#pragma once

#include <cstdint>

#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CRegion.h"

// The frame widget: rects in a frame colour (outlines, bars, markers) over the widget's colour,
// added and removed at run time. The fill region is the widget's rect less the frame rects.
// Type tag 'fmwg'.
class CFrameWidget : public CCoWidget {
public:
    static constexpr uint32_t kType = MakeFourCC("fmwg");

    CFrameWidget() : CCoWidget(kType) {}

    uint32_t GetWidgetType() const override { return kType; }
    // The fill region in the widget's colour, then the frame region in the frame colour, each
    // colour's alpha scaled by the opacity (opaque with Opaque Blit).
    tResult Draw(const tCRect* clip, CImage* target, uint32_t opacity) override;
    // The fill region becomes the whole widget; the frame rects are dropped, or, without the
    // clear-on-resize flag, cut from the fill again.
    tResult OnSizeChanged() override;
    tResult ReadDataBlock(tCStream* stream) override;
    tResult ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder);

    tResult SetFrameColour(uint32_t colour, uint32_t present);
    uint32_t* GetFrameColour(uint32_t* out) const;
    uint32_t SetClearOnResize(uint32_t flag) { return m_clearOnResize = flag; }
    uint32_t GetClearOnResize() const { return m_clearOnResize; }
    // Rects are in the widget's own coordinates. A region that cannot grow answers 5.
    tResult AddFrameRect(const tCRect* rect, uint32_t present);
    tResult RemoveFrameRect(const tCRect* rect, uint32_t present);
    tResult ClearFrames(uint32_t present);

    const CRegion& GetFrameRegion() const { return m_frame; }
    const CRegion& GetFillRegion() const { return m_fill; }

private:
    uint32_t m_frameColour = 0xFF000000;
    CRegion m_frame;
    CRegion m_fill;
    uint32_t m_clearOnResize = 1;
};
