#pragma once

#include <cstdint>

#include "paint/tools/CToolBase.h"

// The oil brush: it carries a load of wet paint, lays it as thick ridged paint whose thickness
// makes the lit relief, picks wet paint up from the canvas into its nib as it goes, and mixes
// colours in linear light. Its first nib table is the edge profile across the nib (1 over the
// body, falling to 0 over the outer entries), its second the share of the load an entry gives
// (about 0.05 in the middle, 1 at the edges).
class COilPaintNew : public CToolBase {
public:
    COilPaintNew();

    void Reset() override;
    float GetNibWidth(float pressure) const override;
    uint32_t UsesCleanBrush() const override { return 1; }
    float GetDotCapFactor() const override { return 0.5f; }
    float GetMinNibWidth() const override { return 1.6f; }
    float GetMaxNibWidth() const override { return 120.0f; }
    float GetDabSpacing(float nibWidth) const override { return nibWidth / 10.0f + 0.6f; }
    uint32_t PicksUpPaint() const override { return 1; }

    tResult GetPropertyList(tCArray<CToolProperty*>* list) override;
    tResult SetProperty(uint32_t textId, float value) override;
    float GetProperty(uint32_t textId) const override;

    float GetLoading() const { return m_loading; }
    float GetThinning() const { return m_thinning; }
    uint32_t GetDryDab() const { return m_dryDab; }
    float GetNoiseScale() const { return m_noiseScale; }

protected:
    void ApplySettings() override;
    tResult WriteExtraSettings(tCStream* stream) override;
    tResult ReadExtraSettings(tCStream* stream) override;
    void LoadNib() override;
    void PickUpPaint(const StrokeContext& context) override;
    void PickUpSample(const Cell* cell, Cell* entry, int32_t index) override;
    void PickUpRow(const Cell* cells, const uint8_t* onCanvas) override;
    void PaintCell(Cell* cell, uint32_t grain, const CNibPlace& place, float width, int32_t edgeWeight) override;
    // The nib paint of the whole run first, then each cell: the lookups do not depend on the
    // cells, so those of neighbouring cells overlap.
    void PaintCellRun(Cell* cells, const uint32_t* coverage, const SweptCells& swept, int32_t count) override;

    uint32_t SamplesAtCanvasScale() const override { return 1; }
    float GetZoomSpacingFloor(uint32_t second) const override { return second ? 1.1f : 0.6f; }
    uint32_t TapersStrokeEnd() const override { return 1; }
    float GetClosingCapFactor() const override { return 0.7f; }

    // Paint load 0..1 (property 0xB2D05EA5), how thin the paint is 0..1 (0xB2D05EA4), the
    // frequency of the noise across the nib, and whether the paint lands dry (0xB2D05EAF).
    float m_loading = 0.5f;
    float m_thinning = 0.5f;
    float m_noiseScale = 0.0f;
    uint32_t m_dryDab = 0;

private:
    // What every pick-up of a sweep shares: the current pressure and the most a deposit lays.
    struct PickUpTerms {
        double pressure = 0.0;
        double cap = 0.0;
    };
    PickUpTerms MakePickUpTerms() const;
    void FillPickUpNoise(double* noise) const;
    // Mixes `cell` (null off the canvas) into `entry` at index i, with the pick-up's noise `noise`
    // (0..1) there and half the entry's extra byte as a share, `half`.
    void MixPickUp(const PickUpTerms& terms, double noise, double half, const Cell* cell, Cell* entry,
                   int32_t i) const;
    void MixBarePickUp(const PickUpTerms& terms, double noise, double half, Cell* entry, int32_t i) const;

    // The segment phase's shaping of the nib's edge profile `profile` at a cell; may set the
    // thickness of a tap's paint.
    float ShapeProfile(Cell* paint, float profile, const CNibPlace& place, float width) const;
    // The nib's paint at `place` and the strength profile it is laid with there.
    void NibPaintAt(const CNibPlace& place, float width, Cell* paint, float* profile) const;
    // The segment phase's shaping of a sampled paint and profile at `place`.
    void ShapeNibPaint(const CNibPlace& place, float width, Cell* paint, float* profile) const;
    // Lays `paint` with `profile` on `cell` over the grain `grain`, at `along` of the sweep.
    void LayPaint(Cell* cell, uint32_t grain, double along, const Cell& paint, float profile, int32_t edgeWeight) const;
};
