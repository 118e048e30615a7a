#pragma once

#include <cstdint>
#include <memory>

#include "paint/engine/TracingPlacement.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"

// The background of a view that has no backdrop to supply one: a mid grey.
inline constexpr CPixel kDefaultViewTint = 0xFF808080u;
// At this zoom and below a view pixel averages the cells under it; above, it interpolates.
inline constexpr float kBoxAverageZoom = 0.5001f;
// A view pixel over no painted cell when averaging: transparent white.
inline constexpr CPixel kEmptyBox = 0x00FFFFFFu;

// What one redraw of the painting view works with, taken from the canvas and its backdrop.
struct ViewCompositeSettings {
    // The lit painting; positions are in its pixels (cells).
    CImage* composite = nullptr;
    // Cells per view pixel, 16.16; at least 1.
    int64_t step = 0x10000;
    bool boxAverage = false;
    // Linear weights instead of smoothstep ones while the view is dragged.
    uint32_t dragging = 0;
    bool flipHorizontal = false;
    bool flipVertical = false;
    // The backdrop's texture, tiled from the view's origin (none: the tint alone).
    CImage* texture = nullptr;
    CPixel tint = kDefaultViewTint;
    // The drop shadow's falloff tables; shadow positions index them.
    const uint32_t* shadowColumns = nullptr;
    int32_t shadowColumnCount = 0;
    const uint32_t* shadowRows = nullptr;
    int32_t shadowRowCount = 0;
    CPixel shadowColour = 0;
    // The tracing image and its placement; no veil with a strength of 0 or without an image.
    CImage* tracing = nullptr;
    TracingPlacement placement;
    uint32_t veilStrength = 0;
};

// One run of view pixels along a row: where the first pixel falls in the painting (before the
// flips) and in the shadow tables, and how both move from pixel to pixel (all 16.16).
struct ViewRowWalk {
    int32_t viewX = 0;
    int32_t viewY = 0;
    int32_t count = 0;
    int64_t paintX = 0;
    int64_t paintY = 0;
    int64_t paintStepX = 0;
    int64_t paintStepY = 0;
    int64_t shadowX = 0;
    int64_t shadowY = 0;
    int64_t shadowStepX = 0;
    int64_t shadowStepY = 0;
};

// Draws the lit painting into the view: each view pixel samples the painting at its position,
// over the backdrop's tinted texture darkened by the drop shadow, under the tracing veil.
// Main thread; holds its images locked for its lifetime.
class CViewCompositor {
public:
    explicit CViewCompositor(const ViewCompositeSettings& settings);
    CViewCompositor(const CViewCompositor&) = delete;
    CViewCompositor& operator=(const CViewCompositor&) = delete;

    // False when the composite cannot be read (no pixels, not 32-bit).
    bool IsReady() const;
    bool HasVeil() const { return m_veil; }

    // The pixels of one run, written to `out` (walk.count pixels), by the rules one pixel at a
    // time.
    void ComposeRow(const ViewRowWalk& walk, CPixel* out) const;
    // The same pixels, computed faster: the rules run only where the painting or its shadow
    // may show, the background alone elsewhere, and common cases (opaque cells, opaque boxes,
    // the veil) take shorter roads to the same values.
    void ComposeRowFast(const ViewRowWalk& walk, CPixel* out) const;
    // Only the background (tinted texture), for view pixels away from the painting and its
    // shadow.
    void BackgroundRow(int32_t viewX, int32_t viewY, int32_t count, CPixel* out) const;

    // The single steps, for the row kernels and for tests.
    CPixel ComposePixel(int32_t viewX, int32_t viewY, int64_t paintX, int64_t paintY, int64_t shadowX,
                        int64_t shadowY) const;
    CPixel SamplePainting(int64_t x, int64_t y) const;
    CPixel Background(int32_t viewX, int32_t viewY) const;
    uint32_t ShadowAt(int64_t x, int64_t y) const;
    // The veil laid over `pixel` for painting position (x, y) after the flips; the pixel itself
    // off the painting.
    CPixel Veil(CPixel pixel, int64_t x, int64_t y) const;

private:
    // Keeps a position wrapped into [0, extent) as it moves, without a division per pixel.
    struct WrapCursor {
        int64_t extent = 1;
        int64_t last = 0;
        int64_t wrapped = 0;
        bool started = false;
        int64_t Next(int64_t position);
    };

    // Pixels [*first, *last) of the walk are those where the painting or its shadow may show.
    void FindBusyRun(const ViewRowWalk& walk, int64_t* first, int64_t* last) const;
    void BackgroundRowFast(int32_t viewX, int32_t viewY, int32_t count, CPixel* out) const;
    // The texture's row under view row `viewY`, tinted, or null when there is no texture or no
    // memory for it.
    const CPixel* TintedRow(int32_t viewY) const;
    CPixel SampleFast(int64_t x, int64_t y) const;
    CPixel BoxAverageFast(int64_t x, int64_t y) const;
    CPixel VeilFast(CPixel pixel, int64_t x, int64_t y, WrapCursor* columns, WrapCursor* rows) const;
    // A run of busy pixels whose painting positions are already flipped.
    void PaintRun(const ViewRowWalk& run, CPixel* out) const;
    void VeilRun(const ViewRowWalk& run, CPixel* out) const;
    CPixel Interpolate(int64_t x, int64_t y) const;
    CPixel BoxAverage(int64_t x, int64_t y) const;
    int64_t FlipX(int64_t x) const;
    int64_t FlipY(int64_t y) const;

    ViewCompositeSettings m_settings;
    CImNav m_composite;
    CImNav m_texture;
    CImNav m_tracing;
    int32_t m_width = 0;
    int32_t m_height = 0;
    bool m_veil = false;
    bool m_wideBoxes = false;
    // The tinted texture, row by row as redraws first need them.
    mutable std::unique_ptr<CPixel[]> m_tinted;
    mutable std::unique_ptr<uint8_t[]> m_tintedReady;
    mutable bool m_tintedFailed = false;
};
