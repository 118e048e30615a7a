#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"

// The chalk: it lays the current colour as a dry powder that catches the peaks of the paper grain
// more than its valleys, with a random sparkle in the shine of each dab; the paint beneath dries
// and loses part of its thickness. It carries no paint and picks none up. Its first nib table is
// a parabola across the nib (0.9025 in the middle, about 0 at the edges); the second is 0.
//
// The crayon shares its width, its limits and caps and its SetProperty.
class CChalkNew : public CToolBase {
public:
    CChalkNew();

    float GetNibWidth(float pressure) const override;
    float GetMinNibWidth() const override { return 2.5f; }
    float GetMaxNibWidth() const override { return 75.0f; }
    float GetDabSpacing(float nibWidth) const override { return nibWidth * 0.125f + 1.6f; }
    float GetEndCapFactor() const override { return 2.0f; }
    float GetStartCapFactor() const override { return 2.0f; }

    tResult GetPropertyList(tCArray<CToolProperty*>* list) override;
    // Sets only the common property.
    tResult SetProperty(uint32_t textId, float value) override;
    float GetProperty(uint32_t textId) const override;

protected:
    void ApplySettings() override;
    // The chalk has no nib paint to load.
    void LoadNib() override {}
    void PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight) override;
};
