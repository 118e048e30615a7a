#pragma once

#include <cstdint>

#include "paint/engine/CLight.h"
#include "paint/engine/CRenderer.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/imaging/CImage.h"

class CCanvas;
class CImage8;

struct SurfaceNormal {
    float x = 0.0f;
    float y = 0.0f;
    float z = -1.0f;
};

// How steep a difference of heights looks: the larger, the flatter the relief.
inline constexpr double kReliefScale = 112680.0;
inline constexpr double kReliefScaleSquared = kReliefScale * kReliefScale;

// The normal of the paint's relief from the height differences dx (left minus right) and dy
// (above minus below): (dx, dy, -kReliefScale) normalised, or (0, 0, -1) where both are 0.
SurfaceNormal ComputeSurfaceNormal(double dx, double dy);

// Which code lights a row: the plain per-cell formulas (ShadeCell, ComputeSurfaceNormal,
// LinearLightOver cell by cell), or the row kernel that computes the same pixels faster.
enum class RenderKernel : uint32_t { kReference, kRows };

// Lights the paint of a canvas from its thickness: the layers' paint and paper grain make a
// height field, each cell gets a normal from its neighbours' heights, and the composited colour
// is lit by the light list with a diffuse term and a highlight that follows the cell's shine.
// All colour mixing is in linear light (GammaTables.h).
class CStandardRenderer : public CRenderer {
public:
    CStandardRenderer();
    ~CStandardRenderer() override;
    CStandardRenderer(const CStandardRenderer&) = delete;
    CStandardRenderer& operator=(const CStandardRenderer&) = delete;

    // The two default lights, then the held image: the application's pooled 8-bit image
    // resource 10, which the renderer keeps without reading it. 5 when the list cannot grow.
    virtual tResult ResetLights();

    // Renders the canvas's paint into `target`, which must be the canvas's size (6 otherwise).
    // `whole` renders every cell; 0 only the canvas's dirty rows and per-row spans. Layer index
    // -1 composites every visible layer of opacity above 0 over the checkerboard, -2 the same
    // over transparency; an index of 0 or more renders that layer alone over transparency.
    // Layers of another size than the canvas take no part. Suspended: draws nothing, answers 0.
    virtual tResult RenderLayers(CImage* target, CCanvas* canvas, int32_t whole, int32_t layerIndex);

    // The lit colour of a cell of colour `colour` (alpha 0 gives 0) and shine 0..255 whose
    // surface has the normal `normal`, under the light list.
    uint32_t ShadeCell(const SurfaceNormal& normal, uint32_t colour, int32_t shine) const;

    void SetSuspended(uint32_t suspended) { m_suspended = suspended; }
    uint32_t IsSuspended() const { return m_suspended; }
    uint32_t GetId() const { return m_id; }
    const tCArray<CLight>& GetLights() const { return m_lights; }
    // Appends a light to the list (tests and the preview set up their own lights).
    tResult AddLight(const CLight& light) { return m_lights.Add(light); }
    CImage8* GetHeldImage() const { return m_heldImage; }

    // The bytes of the rows the renderer works in for a canvas this wide.
    static uint64_t WorkRowBytes(int32_t width);

    void SetKernel(RenderKernel kernel) { m_kernel = kernel; }
    RenderKernel GetKernel() const { return m_kernel; }

private:
    tResult SizeWorkImages(int32_t width);
    void ReleaseHeldImage();

    uint32_t m_id = 0xFFFFFFFFu;
    uint32_t m_suspended = 0;
    tCArray<CLight> m_lights;
    uint32_t m_ownsHeldImage = 1;
    CImage8* m_heldImage = nullptr;
    // Rings of three rows of signed heights, and one row of shine entries 0x00SS00TT.
    CImage m_paintHeights;
    CImage m_grainHeights;
    CImage m_shineRow;
    RenderKernel m_kernel = RenderKernel::kRows;
};
