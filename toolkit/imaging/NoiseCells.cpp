#include <algorithm>
#include <cmath>
#include <numbers>

#include "toolkit/imaging/NoiseGenerators.h"
#include "toolkit/imaging/NoiseLibrary.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

// Positions inside a cell are in 1/8192 of a cell.
constexpr int32_t kCellUnits = 8192;

// The cell of a point at `k` cells per unit, and the point's place in it, 0 .. 8192 from the
// cell's near corner.
struct tCellPoint {
    int32_t cellX, cellY;
    int32_t x, y;
};

tCellPoint LocateInCell(float x, float y, float k)
{
    const float fx = x * k, fy = y * k;
    const int32_t cx = WrapAdd(NoiseTrunc(fx), -(x < 0)), cy = WrapAdd(NoiseTrunc(fy), -(y < 0));
    // Measured from the far corner, -8192 .. 0, as the feature distances expect. Points too far
    // out for a float to place inside their cell are held at its edge.
    const int32_t px = std::clamp(NoiseRound((fx - float(cx) - 1.0f) * 8192.0f), -kCellUnits, 0);
    const int32_t py = std::clamp(NoiseRound((fy - float(cy) - 1.0f) * 8192.0f), -kCellUnits, 0);
    return {cx, cy, px + kCellUnits, py + kCellUnits};
}

// A hashed position 0 .. 8191 in a cell, one axis from (i, j) and the other from (j, i).
void HashedPlace(int32_t i, int32_t j, int32_t* x, int32_t* y)
{
    *x = int32_t(NoiseHash(i, j) >> 3) & (kCellUnits - 1);
    *y = int32_t(NoiseHash(j, i) >> 3) & (kCellUnits - 1);
}

int64_t SquaredDistance(int64_t dx, int64_t dy)
{
    return dx * dx + dy * dy;
}

// The nearest and second-nearest feature points (one per cell) around a point.
struct tFeatures {
    uint32_t nearest2 = UINT32_MAX;
    uint32_t second2 = UINT32_MAX;
    int32_t nearestI = 0, nearestJ = 0;
};

tFeatures NearestFeatures(float x, float y, float k)
{
    const tCellPoint p = LocateInCell(x, y, k);
    tFeatures f;
    for (int32_t oy = -1; oy <= 1; ++oy)
        for (int32_t ox = -1; ox <= 1; ++ox) {
            const int32_t i = WrapAdd(p.cellX, ox + 33), j = WrapAdd(p.cellY, oy + 77);
            int32_t fx, fy;
            HashedPlace(i, j, &fx, &fy);
            const int64_t d = SquaredDistance(ox * kCellUnits + fx - p.x, oy * kCellUnits + fy - p.y);
            const uint32_t d2 = uint32_t(std::min<int64_t>(d, UINT32_MAX));
            if (d2 < f.nearest2) {
                f.second2 = f.nearest2;
                f.nearest2 = d2, f.nearestI = i, f.nearestJ = j;
            } else if (d2 < f.second2) {
                f.second2 = d2;
            }
        }
    return f;
}

uint32_t Bubble(float x, float y, int shift)
{
    const uint32_t d = NearestFeatures(x, y, 0.01f).nearest2 >> shift;
    return d < 65536 ? 65535 - d : 0;
}

// The crack map of one cell: the offset turned and stretched by the cell's hashes, iterated
// through z^2 + c; 0 where it escapes, near 1 where it stays bounded.
float CrackValue(float u, float v, float h, float scale)
{
    const float a = 2 * h - 1, b = 1 - std::fabs(a);
    const float cu = a * v - b * u, cv = (b * v + a * u) * scale;
    float zu = cu, zv = cv;
    float m = zu * zu + zv * zv;
    for (int round = 0; round < 4 && m <= 4.0f; ++round) {
        const float nu = zu * zu - zv * zv + cu;
        zv = 2 * zu * zv + cv;
        zu = nu;
        m = zu * zu + zv * zv;
    }
    if (!(m <= 4.0f))
        return 0.0f;
    if (m < 2.0f)
        return 1.0f;
    return std::clamp(1.0f - 0.35621f * std::log(std::log(m)), 0.0f, 1.0f);
}

// Cells of 1000 units; the cell and four neighbours (along the axes for an odd cell, on the
// diagonals for an even one) each lay their crack map over the point, the strongest counts.
uint32_t Cracks(float x, float y, bool hashedScale)
{
    static constexpr int32_t kAxes[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    static constexpr int32_t kDiagonals[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    const float tx = x * 0.001f + 0.5f, ty = y * 0.001f + 0.5f;
    const int32_t cx = NoiseTrunc(tx), cy = NoiseTrunc(ty);
    const float ox = tx - float(cx) - 0.5f, oy = ty - float(cy) - 0.5f;
    const auto& around = ((cx ^ cy) & 1) ? kAxes : kDiagonals;
    float best = 0.0f;
    for (int n = -1; n < 4; ++n) {
        const int32_t nx = n < 0 ? 0 : around[n][0], ny = n < 0 ? 0 : around[n][1];
        const int32_t i = WrapAdd(cx, nx), j = WrapAdd(cy, ny);
        const float scale = hashedScale ? 4 * HashNoise(WrapAdd(i, 7919), WrapAdd(j, 104729)) + 4 : 1.0f;
        best = std::max(best, CrackValue(ox - float(nx), oy - float(ny), HashNoise(i, j), scale));
    }
    return uint32_t(NoiseRound(best * 65535.0f)) & 0xFFFF;
}

// One blob of a bombing pattern, as the point sees it.
struct tBlob {
    int32_t cellI, cellJ;    // the hashed coordinates of its cell
    int32_t index;
    int32_t placeX, placeY;  // its place in its own cell
    int64_t distance2;       // from the point, in (1/8192 cell)^2
};

// Scatters blobs over the cells around a point: `blobs(i, j)` says how many a cell holds (its
// hashed cell coordinates (i, j) carry the offsets of the pattern), and `visit` sees every one.
template <typename Count, typename Visit>
void Bomb(float x, float y, int32_t offsetI, int32_t offsetJ, int32_t reach, Count blobs, Visit visit)
{
    const tCellPoint p = LocateInCell(x, y, 0.005f);
    for (int32_t oy = -reach; oy <= reach; ++oy)
        for (int32_t ox = -reach; ox <= reach; ++ox) {
            const int32_t i = WrapAdd(p.cellX, ox + offsetI), j = WrapAdd(p.cellY, oy + offsetJ);
            const int32_t count = blobs(i, j);
            for (int32_t b = 0; b < count; ++b) {
                tBlob blob{i, j, b, 0, 0, 0};
                // Each further blob hashes the cell coordinates advanced by fixed steps.
                HashedPlace(WrapAdd(i, b * 101), WrapAdd(j, b * 211), &blob.placeX, &blob.placeY);
                blob.distance2 =
                    SquaredDistance(ox * kCellUnits + blob.placeX - p.x, oy * kCellUnits + blob.placeY - p.y);
                visit(blob, p);
            }
        }
}

uint32_t CellNoise(int32_t i, int32_t j)
{
    return SharedValueNoise(int32_t(uint32_t(i) * 28672u), int32_t(uint32_t(j) * 28672u));
}

constexpr int64_t kBlobRadius2 = int64_t(kCellUnits) * kCellUnits;

// Corpuscles and rain drops: 1 .. 3 per cell where the cell's hash allows, with hashed radii.
int32_t DropCount(int32_t i, int32_t j)
{
    const uint32_t n = (NoiseHash(int32_t(uint32_t(i) * 28672u), int32_t(uint32_t(j) * 28672u)) >> 12) & 15;
    return n < 3 ? int32_t(n) + 1 : 0;
}

int32_t DropRadius(const tBlob& blob, uint32_t spread)
{
    return 4096 + int32_t(NoiseHash(WrapAdd(blob.cellI, blob.placeX), WrapAdd(blob.cellJ, blob.placeY)) % spread);
}

}  // namespace

uint32_t BubblesNoise(float x, float y)
{
    return Bubble(x, y, 10);
}

uint32_t SparseBubblesNoise(float x, float y)
{
    return Bubble(x, y, 9);
}

uint32_t DimplesNoise(float x, float y)
{
    const int32_t v = NoiseRound(float(std::sqrt(double(NearestFeatures(x, y, 0.01f).nearest2)) * 7));
    return v > 65535 ? 65535 : Smoothstep16(uint32_t(v));
}

uint32_t VoronoiNoise(float x, float y)
{
    return Smoothstep16(std::min<uint32_t>(NearestFeatures(x, y, 0.005f).nearest2 >> 11, 65535));
}

uint32_t VoronoiPlatesNoise(float x, float y)
{
    const tFeatures f = NearestFeatures(x, y, 0.005f);
    return NoiseHash(f.nearestI, f.nearestJ);
}

uint32_t FacetsNoise(float x, float y)
{
    const tFeatures f = NearestFeatures(x, y, 0.005f);
    return uint32_t(std::min(std::trunc(std::sqrt(double(f.second2 - f.nearest2)) * 6), 65535.0));
}

uint32_t SmoothFacetsNoise(float x, float y)
{
    const tFeatures f = NearestFeatures(x, y, 0.005f);
    return Smoothstep16(std::min<uint32_t>((f.second2 - f.nearest2) >> 10, 65535));
}

uint32_t FissuresNoise(float x, float y)
{
    return Cracks(x, y, true);
}

uint32_t CracklesNoise(float x, float y)
{
    return Cracks(x, y, false);
}

uint32_t SoftObjectNoise(float x, float y)
{
    uint32_t sum = 0;
    Bomb(
        x, y, 33, 77, 1,
        [](int32_t i, int32_t j) {
            const int32_t n = int32_t(CellNoise(i, j) >> 13);
            return n > 3 ? n + 1 : 0;
        },
        [&sum](const tBlob& blob, const tCellPoint&) {
            if (blob.distance2 < kBlobRadius2) {
                const double d = std::sqrt(double(blob.distance2));
                sum += uint32_t(NoiseRound(float(2816 * std::cos(std::numbers::pi * d / kCellUnits) + 2816)));
            }
        });
    return std::min<uint32_t>(sum, 65535);
}

uint32_t CaramelBombNoise(float x, float y)
{
    int32_t acc = 0;
    Bomb(
        x, y, 33, 77, 1,
        [](int32_t i, int32_t j) {
            const int32_t n = int32_t(CellNoise(i, j) >> 14);
            return n < 3 ? n + 1 : 0;
        },
        [&acc](const tBlob& blob, const tCellPoint&) {
            if (blob.distance2 < kBlobRadius2) {
                const int32_t e = NoiseRound(float(std::exp(-double(blob.distance2) / 8e6) * 65535));
                acc = std::abs(acc - e);
            }
        });
    return uint32_t(acc);
}

uint32_t TendrilBombNoise(float x, float y)
{
    int32_t acc = 0;
    Bomb(
        x, y, 33, 77, 1,
        [](int32_t i, int32_t j) {
            const int32_t n = int32_t(CellNoise(i, j) >> 13);
            return n < 4 ? n + 1 : 0;
        },
        [&acc](const tBlob& blob, const tCellPoint& p) {
            if (blob.distance2 >= kBlobRadius2)
                return;
            // The point in 16.16 cell units, moved by the blob's place so every blob has its own
            // tendrils.
            const int32_t fx = int32_t(uint32_t(p.cellX) * 65536u + uint32_t(p.x + blob.placeX) * 8u);
            const int32_t fy = int32_t(uint32_t(p.cellY) * 65536u + uint32_t(p.y + blob.placeY) * 8u);
            uint32_t v = FractalValueNoise(fx, fy) >> 1;
            if (blob.index & 1)
                v >>= 1;
            const int32_t w = int32_t((v * (65535 - uint32_t(blob.distance2 >> 10))) >> 16);
            acc = std::abs(acc - w);
        });
    return uint32_t(acc);
}

uint32_t CorpusclesNoise(float x, float y)
{
    uint32_t acc = 0;
    Bomb(x, y, 32, 76, 1, DropCount, [&acc](const tBlob& blob, const tCellPoint&) {
        const int64_t r = DropRadius(blob, 4096);
        if (blob.distance2 >= r * r)
            return;
        const uint32_t t = uint32_t(NoiseRound(float(double(blob.distance2) / double(r * r) * 65536)));
        uint32_t v = ((65536 - t) * t) >> 17;
        if (blob.index & 1)
            v >>= 1;
        acc += ((65535 - acc) * v) >> 16;
    });
    return acc;
}

uint32_t RainBombNoise(float x, float y)
{
    double sum = 0;
    Bomb(x, y, 32, 76, 2, DropCount, [&sum](const tBlob& blob, const tCellPoint&) {
        const double r = DropRadius(blob, 8192);
        const double d = std::sqrt(double(blob.distance2));
        if (d >= r)
            return;
        const double falloff = 1 - d / r;
        sum += std::sin((r - d) / 256) * falloff * falloff * 32767;
    });
    return uint32_t(std::clamp(NoiseRound(float(sum + 32767)), 0, 65535));
}
