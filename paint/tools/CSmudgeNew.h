#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"

// The smudge: a nib that carries no paint of its own. It starts each stroke with what it kept
// (nothing after an emptied nib), picks wet paint up from the canvas as it moves and smears it
// further along, pushing colour and thickness and scraping the paint it passes over. Its first
// nib table is the strength profile across the nib, its second the share of the load an entry
// gives; with the edge mode on both are one-sided, strong at one edge.
class CSmudgeNew : public CToolBase {
public:
    CSmudgeNew();

    void Reset() override;
    float GetNibWidth(float pressure) const override;
    float GetDotCapFactor() const override { return 0.1f; }
    float GetMinNibWidth() const override { return 4.0f; }
    float GetMaxNibWidth() const override { return 120.0f; }
    float GetDabSpacing(float nibWidth) const override { return nibWidth / 50.0f + 2.0f; }
    float GetCornerCapFactor() const override { return 0.1f; }
    float GetEndCapFactor() const override { return 0.1f; }
    float GetStartCapFactor() const override { return 0.1f; }
    uint32_t PicksUpPaint() const override { return 1; }
    float GetDirectionInertia() const override { return 5.0f; }

    tResult GetPropertyList(tCArray<CToolProperty*>* list) override;
    tResult SetProperty(uint32_t textId, float value) override;
    float GetProperty(uint32_t textId) const override;

    uint32_t GetEdgeMode() const { return m_edgeMode; }

protected:
    void ApplySettings() override;
    tResult WriteExtraSettings(tCStream* stream) override;
    tResult ReadExtraSettings(tCStream* stream) override;
    // The nib carries only what it picks up.
    void LoadNib() override {}
    void PickUpSample(const Cell* cell, Cell* entry, int32_t index) override;
    void PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight) override;

    // 1: the one-sided nib tables (property 0xB2D05EB1).
    uint32_t m_edgeMode = 0;

private:
    // The segment phase's shaping of the nib's profile at a cell: the ends of a stroke and the
    // halves of a corner fade in or out raggedly.
    float ShapeProfile(float profile, const CNibPlace& place, float width) const;
};
