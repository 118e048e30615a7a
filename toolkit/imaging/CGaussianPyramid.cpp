#include "toolkit/imaging/CGaussianPyramid.h"

#include <cassert>
#include <cmath>
#include <new>

#include "toolkit/imaging/CImNav.h"

namespace {

using tKernel = CGaussianPyramid::tKernel;

// Nearest, ties to even, of a value first rounded to float.
int32_t RoundWeight(double v)
{
    return int32_t(std::lrint(float(v)));
}

// The weights of an edge output, whose missing neighbours fold onto the samples that exist:
// `total` is 257 (horizontal) or 256 (vertical), `spread` is 1.25 for a first or odd last
// output and 1 for the last output of an even line.
tKernel FoldedKernel(double c, double total, double spread)
{
    const float s = float((c + spread) * total);
    return {0, RoundWeight(double(s) * 0.25), RoundWeight(double(s) * c)};
}

// Up to five (sample, weight) taps of output k of a line of `count` >= 3 samples; output k sits
// on sample 2k.
struct tTap {
    int32_t index;
    int32_t weight;
};

int32_t LineTaps(int32_t count, int32_t k, const tKernel& interior, const tKernel& edge, const tKernel& evenLast,
                 tTap* taps)
{
    const int32_t outputs = (count + 1) / 2;
    if (k == 0) {
        taps[0] = {0, edge.centre}, taps[1] = {1, edge.first}, taps[2] = {2, edge.second};
        return 3;
    }
    if (k == outputs - 1 && count % 2 == 0) {
        const int32_t c = count - 2;
        taps[0] = {c, evenLast.centre}, taps[1] = {c - 1, evenLast.first}, taps[2] = {c + 1, evenLast.first};
        taps[3] = {c - 2, evenLast.second};
        return 4;
    }
    if (k == outputs - 1) {
        const int32_t c = count - 1;
        taps[0] = {c, edge.centre}, taps[1] = {c - 1, edge.first}, taps[2] = {c - 2, edge.second};
        return 3;
    }
    const int32_t c = 2 * k;
    taps[0] = {c, interior.centre}, taps[1] = {c - 1, interior.first}, taps[2] = {c + 1, interior.first};
    taps[3] = {c - 2, interior.second}, taps[4] = {c + 2, interior.second};
    return 5;
}

// Two 16-bit lanes of a word spread to two 32-bit lanes of a 64-bit word, and back.
inline uint64_t Spread(uint32_t w)
{
    return (w & 0xFFFFu) | uint64_t(w >> 16) << 32;
}

inline uint32_t Gather(uint64_t v)
{
    return uint32_t(v & 0xFFFFu) | uint32_t(v >> 32) << 16;
}

// Each source row becomes, per output, two scratch words of channel sums scaled by 257: red and
// blue (as the pixel's 0x00FF00FF lanes), then alpha and green. Every sum fits its 16-bit lane.
void ReduceRows(const CImNav& source, const CImNav& scratch, const tKernel& interior, const tKernel& edge,
                const tKernel& evenLast)
{
    const int32_t width = source.GetWidth();
    const int32_t outputs = (width + 1) / 2;
    for (int32_t y = 0; y < source.GetHeight(); ++y) {
        const CPixel* p = source.Pixels(y);
        uint32_t* out = scratch.Pixels(y);
        if (width <= 2) {
            const CPixel a = p[0], b = p[width - 1];
            out[0] = Gather((Spread((a & 0x00FF00FF) + (b & 0x00FF00FF)) * 257) >> 1);
            out[1] = Gather((Spread(((a >> 8) & 0x00FF00FF) + ((b >> 8) & 0x00FF00FF)) * 257) >> 1);
            continue;
        }
        tTap taps[5];
        for (int32_t k = 0; k < outputs; ++k) {
            const int32_t n = LineTaps(width, k, interior, edge, evenLast, taps);
            uint32_t rb = 0, ag = 0;
            for (int32_t t = 0; t < n; ++t) {
                const CPixel v = p[taps[t].index];
                rb += (v & 0x00FF00FF) * uint32_t(taps[t].weight);
                ag += ((v >> 8) & 0x00FF00FF) * uint32_t(taps[t].weight);
            }
            out[2 * k] = rb;
            out[2 * k + 1] = ag;
        }
    }
}

// Down the scratch rows into the target: each channel sum weighted to at most 2^24 - 1 in its
// 32-bit lane, then narrowed to 8 bits.
void ReduceColumns(const CImNav& scratch, const CImNav& target, int32_t rows, const tKernel& interior,
                   const tKernel& edge, const tKernel& evenLast)
{
    const int32_t words = 2 * target.GetWidth();
    for (int32_t k = 0; k < target.GetHeight(); ++k) {
        CPixel* out = target.Pixels(k);
        if (rows <= 2) {
            const uint32_t* a = scratch.Pixels(0);
            const uint32_t* b = scratch.Pixels(rows - 1);
            for (int32_t x = 0; x < words; x += 2) {
                // One row: sum >> 8; two rows: (sum0 + sum1) >> 9, the same thing on a doubled row.
                const uint32_t rb = Gather((Spread(a[x]) + Spread(b[x])) >> 9);
                const uint32_t ag = Gather((Spread(a[x + 1]) + Spread(b[x + 1])) >> 9);
                out[x / 2] = rb | ag << 8;
            }
            continue;
        }
        tTap taps[5];
        const int32_t n = LineTaps(rows, k, interior, edge, evenLast, taps);
        for (int32_t x = 0; x < words; x += 2) {
            uint64_t rb = 0, ag = 0;
            for (int32_t t = 0; t < n; ++t) {
                const uint32_t* row = scratch.Pixels(taps[t].index);
                rb += Spread(row[x]) * uint64_t(taps[t].weight);
                ag += Spread(row[x + 1]) * uint64_t(taps[t].weight);
            }
            out[x / 2] = Gather(rb >> 16) | Gather(ag >> 16) << 8;
        }
    }
}

}  // namespace

CGaussianPyramid::CGaussianPyramid()
{
    SetKernelParameter(0.5f);
}

CGaussianPyramid::~CGaussianPyramid()
{
    Clear();
}

void CGaussianPyramid::SetKernelParameter(float a)
{
    // Outside 0 .. 0.5 some weights turn negative and the sums leave their lanes.
    assert(a >= 0.0f && a <= 0.5f);
    m_kernelParameter = a;
    const double c = 0.25 - double(a) / 2;

    const int32_t a2 = RoundWeight(c * 257);
    m_hInterior = {257 - 2 * (64 + a2), 64, a2};
    m_hEdge = FoldedKernel(c, 257, 1.25);
    m_hEdge.centre = 257 - m_hEdge.first - m_hEdge.second;
    m_hEvenLast = FoldedKernel(c, 257, 1.0);
    m_hEvenLast.centre = 257 - 2 * m_hEvenLast.first - m_hEvenLast.second;

    const int32_t d2 = RoundWeight(c * 256);
    m_vInterior = {2 * (128 - 64 - d2), 64, d2};
    m_vEdge = FoldedKernel(c, 256, 1.25);
    m_vEdge.centre = 256 - m_vEdge.first - m_vEdge.second;
    m_vEvenLast = FoldedKernel(c, 256, 1.0);
    m_vEvenLast.centre = 2 * (128 - m_vEvenLast.first) - m_vEvenLast.second;
}

tResult CGaussianPyramid::Build(const CImage* source)
{
    Clear();
    if (!source)
        return kResOk;
    if (!source->IsValid())
        return kResDamaged;
    m_sourceWidth = source->GetWidth();
    m_sourceHeight = source->GetHeight();
    if (m_sourceWidth < 1 || m_sourceHeight < 1)
        return kResDamaged;
    if (m_sourceWidth == 1 && m_sourceHeight == 1)
        return kResOk;
    int32_t width = m_sourceWidth, height = m_sourceHeight;
    do {
        width = (width + 1) / 2;
        height = (height + 1) / 2;
        CImage* level = new (std::nothrow) CImage(width, height);
        if (!level || !level->IsValid()) {
            delete level;
            return kResNoMemory;
        }
        m_levels[m_levelCount++] = level;
    } while (width > 1 && height > 1 && m_levelCount < kMaxLevels);
    CImage scratch(m_sourceWidth + 1, m_sourceHeight + 1);
    if (!scratch.IsValid())
        return kResNoMemory;
    TK_TRY(Reduce(*source, *m_levels[0], scratch));
    for (int32_t k = 1; k < m_levelCount; ++k)
        TK_TRY(Reduce(*m_levels[k - 1], *m_levels[k], scratch));
    return kResOk;
}

tResult CGaussianPyramid::Reduce(const CImage& source, CImage& target, CImage& scratch) const
{
    // A view only reads the source's pixels.
    CImNav from(const_cast<CImage*>(&source));
    CImNav to(&target);
    CImNav work(&scratch);
    if (!from.HoldsArgb() || !to.HoldsArgb() || !work.HoldsArgb())
        return kResNoMemory;
    const int32_t width = from.GetWidth(), height = from.GetHeight();
    if (width < 1 || height < 1 || to.GetWidth() != (width + 1) / 2 || to.GetHeight() != (height + 1) / 2 ||
        work.GetWidth() < 2 * to.GetWidth() || work.GetHeight() < height)
        return kResBadParam;
    ReduceRows(from, work, m_hInterior, m_hEdge, m_hEvenLast);
    ReduceColumns(work, to, height, m_vInterior, m_vEdge, m_vEvenLast);
    return kResOk;
}

CImage* CGaussianPyramid::GetLevelForScale(float scale) const
{
    if (!(scale > 0.0f))
        return nullptr;
    const float inverse = 1.0f / scale;
    const float level = float(std::log(double(inverse))) / float(std::log(2.0));
    if (!(level >= 1.0f && level < float(m_levelCount + 1)))
        return nullptr;
    return m_levels[int32_t(level) - 1];
}

CImage* CGaussianPyramid::GetLevel(int32_t level) const
{
    return level >= 1 && level <= m_levelCount ? m_levels[level - 1] : nullptr;
}

void CGaussianPyramid::Clear()
{
    for (CImage*& level : m_levels) {
        delete level;
        level = nullptr;
    }
    m_levelCount = 0;
}
