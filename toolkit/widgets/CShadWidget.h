#pragma once

#include <cstdint>

#include "toolkit/core/tCArray.h"
#include "toolkit/widgets/CCoWidget.h"

// The shadow strip: the widget's colour with an alpha that falls off smoothly towards chosen
// sides, as a soft shadow beside a pane or a vignette. The alpha of a pixel is the product of a
// factor of its column and one of its row, computed once per size or setting. Type tag 'shwg'.
class CShadWidget : public CCoWidget {
public:
    static constexpr uint32_t kType = MakeFourCC("shwg");
    enum : uint32_t { kTop = 1, kBottom = 2, kLeft = 4, kRight = 8 };

    CShadWidget();

    uint32_t GetWidgetType() const override { return kType; }
    // The colour's red, green and blue at the alpha column x row x opacity, blended over the
    // target.
    tResult Draw(const tCRect* clip, CImage* target, uint32_t opacity) override;
    tResult OnSizeChanged() override;
    tResult ReadDataBlock(tCStream* stream) override;
    tResult ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder);

    uint32_t GetSides() const { return m_sides; }
    tResult SetSides(uint32_t mask, uint32_t present);
    tResult AddSides(uint32_t bits, uint32_t present);
    tResult RemoveSides(uint32_t bits, uint32_t present);
    float GetFalloff() const { return m_falloff; }
    // The length of the fade, in units of 3.5 pixels; negative fades over the whole widget.
    tResult SetFalloff(float falloff, uint32_t present);
    // Fills one factor per column and per row; 5 when a table cannot grow.
    tResult BuildFalloffTables();

    const tCArray<float>& GetColumnFactors() const { return m_columns; }
    const tCArray<float>& GetRowFactors() const { return m_rows; }

private:
    tResult Changed(uint32_t present);

    uint32_t m_sides = kBottom;
    tCArray<float> m_columns;
    tCArray<float> m_rows;
    uint32_t m_tablesDirty = 1;
    float m_falloff = -1.0f;
};
