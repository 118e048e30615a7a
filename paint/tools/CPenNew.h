#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"

// The ink pen: it loads its nib with an ink made from the current colour (light colours become a
// more saturated, more transparent ink), lets the ink take up a little of the paint it crosses,
// and lays it so that it only darkens what lies beneath, each channel limited by the colour
// already on the paper, with a density that follows pressure and the paper grain. Under pressure
// it presses paint flat and, where no thickness is left, bleaches the colour there. Its first
// nib table is the ink's density across the nib, the second the share of its own ink an entry
// takes back at each pick-up.
class CPenNew : public CToolBase {
public:
    CPenNew();

    void Reset() override;
    // Also remembers the width before its lower limit of 2.5 cells, by which a narrower line is
    // laid lighter.
    float GetNibWidth(float pressure) const override;
    float GetMinNibWidth() const override { return 0.0f; }
    float GetMaxNibWidth() const override { return 50.0f; }
    float GetDabSpacing(float nibWidth) const override { return nibWidth * 0.125f + 1.0f; }
    float GetEndCapFactor() const override { return 2.0f; }
    float GetStartCapFactor() const override { return 2.0f; }
    uint32_t PicksUpPaint() const override { return 1; }

    tResult GetPropertyList(tCArray<CToolProperty*>* list) override;
    // Sets only the common property; every id rebuilds the nib tables.
    tResult SetProperty(uint32_t textId, float value) override;
    float GetProperty(uint32_t textId) const override;

    // The ink made from a paint colour: a colour of lightness up to 0.5 unchanged; a lighter one
    // more transparent the lighter it is, its saturation raised halfway to full at lightness 0.5
    // (a grey becomes mid grey).
    static uint32_t InkFromColour(uint32_t colour);

    uint32_t GetInkColour() const { return m_inkColour; }
    float GetInkFlow() const { return m_inkFlow; }
    float GetNibSoftness() const { return m_nibSoftness; }
    float GetLastNibWidth() const { return m_lastNibWidth; }

protected:
    void ApplySettings() override;
    tResult WriteExtraSettings(tCStream* stream) override;
    // Reads past the nib softness and the ink flow (neither is restored) and rebuilds the nib.
    tResult ReadExtraSettings(tCStream* stream) override;
    void LoadNib() override;
    void PickUpSample(const Cell* cell, Cell* entry, int32_t index) override;
    void PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight) override;

    uint32_t m_inkColour = 0;
    // Pick-up strength, bleaching and grain smoothing, and the width's response to pressure
    // (0..1; listed and reported, not set).
    float m_inkFlow = 0.5f;
    float m_nibSoftness = 0.5f;
    mutable float m_lastNibWidth = 0.0f;
};
