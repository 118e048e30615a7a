#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/imaging/CImage.h"

// Reduced copies of an image, each half the size of the one before (rounded up), made with a
// five-tap filter; a drawing at a scale of 1/2 or less takes the level that matches it.
class CGaussianPyramid : public tCBaseObject {
public:
    static constexpr int32_t kMaxLevels = 24;

    // Three weights of one output: the centre sample and its first and second neighbours.
    struct tKernel {
        int32_t centre;
        int32_t first;
        int32_t second;
    };

    CGaussianPyramid();
    ~CGaussianPyramid() override;
    CGaussianPyramid(const CGaussianPyramid&) = delete;
    CGaussianPyramid& operator=(const CGaussianPyramid&) = delete;

    // The kernel's shape, from 0 (widest) to 0.5 (binomial); 0.5 as constructed.
    void SetKernelParameter(float a);
    // Builds every level from `source` (none for a null or 1 x 1 source): 0, 25 for an image
    // without pixels, 5 when a level or the scratch image cannot be made.
    tResult Build(const CImage* source);
    // Fills `target`, which must measure half the source rounded up, through `scratch`, which
    // must hold at least (width + 1) x height pixels of the source: 0, 5 when an image cannot
    // be viewed, 6 for sizes that do not fit.
    tResult Reduce(const CImage& source, CImage& target, CImage& scratch) const;
    // The level for drawing at `scale`: level k = trunc(log2(1 / scale)). Null for every scale
    // without a built level: above 1/2, past the last level, 0, negative or not a number.
    CImage* GetLevelForScale(float scale) const;
    void Clear();

    int32_t GetLevelCount() const { return m_levelCount; }
    // Level 1 is the source halved once; null outside 1 .. GetLevelCount().
    CImage* GetLevel(int32_t level) const;
    float GetKernelParameter() const { return m_kernelParameter; }
    int32_t GetSourceWidth() const { return m_sourceWidth; }
    int32_t GetSourceHeight() const { return m_sourceHeight; }
    // Horizontal weights sum to 257, vertical ones to 256.
    const tKernel& HorizontalInterior() const { return m_hInterior; }
    const tKernel& HorizontalEdge() const { return m_hEdge; }
    const tKernel& HorizontalEvenLast() const { return m_hEvenLast; }
    const tKernel& VerticalInterior() const { return m_vInterior; }
    const tKernel& VerticalEdge() const { return m_vEdge; }
    const tKernel& VerticalEvenLast() const { return m_vEvenLast; }

private:
    CImage* m_levels[kMaxLevels] = {};
    int32_t m_levelCount = 0;
    int32_t m_sourceWidth = 0;
    int32_t m_sourceHeight = 0;
    float m_kernelParameter = 0.5f;
    tKernel m_hInterior{}, m_hEdge{}, m_hEvenLast{};
    tKernel m_vInterior{}, m_vEdge{}, m_vEvenLast{};
};
