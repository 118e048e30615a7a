#pragma once

#include <cstdint>

#include "toolkit/widgets/CWidget.h"

// The composite widget: a widget that fills its rect with one colour and carries the effects its
// data block declares. Most concrete widgets derive from it.
class CCoWidget : public CWidget {
public:
    static constexpr uint32_t kType = MakeFourCC("cowg");

    CCoWidget() : CCoWidget(kType) {}

    static CCoWidget* NewFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory);
    static CCoWidget* NewFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory);

    uint32_t GetWidgetType() const override { return kType; }
    // The colour at the opacity (its alpha scaled, or 0xFF with Opaque Blit), set when opaque and
    // blended over the target otherwise.
    tResult Draw(const tCRect* clip, CImage* target, uint32_t opacity) override;
    // Every point hits while the opacity reaches the opaque threshold.
    uint32_t HitTest(const tCPoint* point) override;
    // The widget's shape in an 8-bit mask: 255 with Opaque Blit, else the colour's alpha.
    tResult RenderAlphaMask(CImage8* mask) override;
    tResult ReadDataBlock(tCStream* stream) override;
    // 'colr' and the effect chunks; anything else goes to CWidget's parser.
    tResult ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder);

    // A new colour is drawn at the next present, or at once with `update`.
    virtual tResult SetColour(uint32_t colour, uint32_t update);
    virtual uint32_t* GetColour(uint32_t* out) const;

protected:
    explicit CCoWidget(uint32_t type) : CWidget(type) {}

private:
    uint32_t m_colour = 0xFFFFFFFF;
};
