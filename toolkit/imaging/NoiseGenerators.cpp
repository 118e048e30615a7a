#include "toolkit/imaging/NoiseGenerators.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "toolkit/imaging/NoiseLibrary.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

constexpr double kPi = std::numbers::pi;

uint32_t N(int32_t x, int32_t y)
{
    return SharedValueNoise(x, y);
}

// A wave -1 .. 1 mapped to 0 .. 65534.
uint32_t Wave(double v)
{
    return uint32_t(NoiseRound(float(v * 32767 + 32767))) & 0xFFFF;
}

// t when t is at most 65536, else its complement: folds a signed excursion around 0.
uint32_t Fold(uint32_t t)
{
    return t < 65537 ? t : ~t;
}

uint32_t Checkers(float x, float y)
{
    const int32_t cx = WrapAdd(NoiseTrunc(x / 200.0f), -(x < 0)), cy = WrapAdd(NoiseTrunc(y / 200.0f), -(y < 0));
    return ((cx ^ cy) & 1) ? 0xFFFF : 0;
}

uint32_t EggCarton(float x, float y)
{
    return uint32_t(NoiseRound(float((std::cos(y * 0.02) * std::sin(x * 0.02) + 1) * 32767))) & 0xFFFF;
}

uint32_t SimpleNoise(float x, float y)
{
    return N(NoiseRound(x * 1024.0f), NoiseRound(y * 1024.0f));
}

uint32_t CloudNoise(float x, float y)
{
    return FractalValueNoise(NoiseRound(x * 5024.0f), NoiseRound(y * 5024.0f));
}

uint32_t Turbulence(float x, float y)
{
    return Fold(2 * CloudNoise(x, y) - 65536);
}

uint32_t MarbleNoise(float x, float y)
{
    return FractalMarbleNoise(NoiseRound(x * 5024.0f), NoiseRound(y * 5024.0f));
}

// Two value noises along diagonals, each pushed through the one-dimensional noise: the offsets
// by which Swirls and Bunched warp their lattice.
void WarpOffsets(float x, float y, float scale, uint32_t* u, uint32_t* v)
{
    const uint32_t* seed = &SharedNoise().seed[0];
    *u = ValueNoise1D(seed, N(NoiseRound((x + y + 30000.0f) * scale), NoiseRound((y + 30000.0f - x) * scale)));
    *v = ValueNoise1D(seed, N(NoiseRound((y + 30000.5f - x) * scale), NoiseRound((x + y + 30000.5f) * scale)));
}

uint32_t Swirls(float x, float y)
{
    uint32_t u, v;
    WarpOffsets(x, y, 502.0f, &u, &v);
    return N(int32_t(uint32_t(NoiseRound(x * 524.0f)) + 3 * u), int32_t(uint32_t(NoiseRound(y * 524.0f)) + 3 * v));
}

uint32_t Bunched(float x, float y)
{
    uint32_t u, v;
    WarpOffsets(x, y, 102.0f, &u, &v);
    return N(int32_t(30 * u), int32_t(30 * v));
}

// The lattice cell of 65536 units around (X, Y), and the offset from its centre.
void CircleCell(float x, float y, int32_t* hash, int64_t* radiusSquared)
{
    const int32_t X = NoiseRound(x * 480.0f), Y = NoiseRound(y * 480.0f);
    const int64_t lx = int64_t(X & 0xFFFF) - 32767, ly = int64_t(Y & 0xFFFF) - 32767;
    *radiusSquared = lx * lx + ly * ly;
    *hash = int32_t(NoiseHash(int32_t(uint32_t(X) >> 16), int32_t(uint32_t(Y) >> 16)));
}

uint32_t Circles(float x, float y)
{
    int32_t hash;
    int64_t r2;
    CircleCell(x, y, &hash, &r2);
    return r2 >= 0x3FFFFFFF ? 0 : uint32_t(hash);
}

uint32_t Balls(float x, float y)
{
    int32_t hash;
    int64_t r2;
    CircleCell(x, y, &hash, &r2);
    if (r2 >= 0x40000000)
        return 0;
    return ((65536 - uint32_t(r2 >> 14)) * uint32_t(hash)) >> 16;
}

uint32_t PerlinNoise(float x, float y)
{
    return GradientNoise(x, y);
}

uint32_t PerlinOctaveSum(float x, float y)
{
    return 16 * GradientNoise(x, y) + 8 * GradientNoise(2 * x, 2 * y) + 4 * GradientNoise(4 * x, 4 * y) +
           2 * GradientNoise(8 * x, 8 * y) + GradientNoise(16 * x, 16 * y);
}

uint32_t PerlinClouds(float x, float y)
{
    return PerlinOctaveSum(x, y) >> 5;
}

uint32_t PerlinTurbulence(float x, float y)
{
    return Fold((PerlinOctaveSum(x, y) >> 4) - 65535);
}

uint32_t PerlinMarbleStripe(float x, float y)
{
    return Wave(std::cos(PerlinClouds(x, y) / 2550.0 + x / 20.0));
}

uint32_t PerlinPerlin(float x, float y)
{
    return GradientNoise(float(GradientNoise(x, y)) / 50.0f, float(GradientNoise(2 * y, 2 * x)) / 57.0f);
}

// A spiral per cell of 230.5 units: the angle around the cell's centre plus a hashed multiple of
// `radial` (the distance from the centre, or its logarithm), turning one way or the other.
template <typename Radial>
uint32_t SpiralCell(float x, float y, Radial radial)
{
    const double gx = x / 230.5f, gy = y / 230.5f;
    const double cellX = std::floor(gx), cellY = std::floor(gy);
    const uint32_t h = NoiseHash(NoiseTrunc(cellX), NoiseTrunc(cellY));
    const double dx = gx - cellX - 0.5, dy = gy - cellY - 0.5;
    double a = (std::atan2(dy, dx) + kPi) / (2 * kPi);
    if ((h & 3) == 3)
        a = 1 - a;
    const uint32_t v = uint32_t(NoiseRound(float(radial(dx * dx + dy * dy) * h + a * 65536))) & 0xFFFF;
    return (h & 1) ? v : ~v & 0xFFFF;
}

uint32_t Spirals(float x, float y)
{
    return SpiralCell(x, y, [](double r2) { return std::sqrt(r2) * 5; });
}

uint32_t LogSpirals(float x, float y)
{
    return SpiralCell(x, y, [](double r2) { return std::log(r2); });
}

// 65535 less the gap between the two largest of three values, scaled by `gain`; 0 past full.
uint32_t CausticOf(uint32_t a, uint32_t b, uint32_t c, uint32_t gain)
{
    uint32_t v[3] = {a & 0xFFFF, b & 0xFFFF, c & 0xFFFF};
    std::sort(v, v + 3);
    const uint32_t gap = (v[2] - v[1]) * gain;
    return gap > 65535 ? 0 : 65535 - gap;
}

uint32_t Caustics(float x, float y)
{
    return CausticOf(GradientNoise(x, y + 100000.0f), GradientNoise(x + y, y + 100000.0f - x),
                     GradientNoise(2 * (y + 100000.0f), 2 * x), 3);
}

uint32_t SineCaustics(float x, float y)
{
    const float ax = x + y, ay = y + 100000.0f - x;
    const uint32_t a = EggCarton(float(GradientNoise(x, y)) / 50.0f, float(GradientNoise(y, x)) / 57.0f);
    const uint32_t b = EggCarton(float(GradientNoise(ax, ay)) / 50.0f, float(GradientNoise(ay, ax)) / 57.0f);
    return CausticOf(a, b, GradientNoise(2 * (y + 100000.0f), 2 * x), 1);
}

// Stripes in bands of eight: each band picks a hashed pair of stripe edges, the position is
// bent into a smooth sawtooth across them and reflected inside the stripe.
uint32_t Zebresque(float x, float y)
{
    const uint32_t X = uint32_t(NoiseRound(x * 104.0f)), Y = uint32_t(NoiseRound(y * 104.0f));
    uint32_t w = (N(int32_t(X), int32_t(Y)) + 8 * Y) & 0xFFFFF;
    const uint32_t band = (w >> 17) * 8;
    uint32_t lo = NoiseHash(int32_t(((X & 0xFFFFF) >> 14) + band), 0) & 7;
    uint32_t hi = (lo + (NoiseHash(int32_t(lo + band + 32), 0) & 3) + 1) & 7;
    if (lo > hi)
        std::swap(lo, hi);
    const uint32_t width = ((hi - lo) >> 1) << 15;
    const uint32_t f = X & 0x3FFF, q = (f * f) >> 14;
    const uint32_t base = (band + lo) << 14;
    const uint32_t p = (X & 0x8000) ? 3 * q - ((f * q) >> 13) + base : ((f * q) >> 13) - 3 * q + base + 16384;
    if (w - p < width)
        w = 2 * p - w + width;
    uint32_t t = w & 0x7FFF;
    if (t > 16383)
        t = 32767 - t;
    return Smoothstep16(2 * t);
}

uint32_t Weave(float x, float y)
{
    return (N(NoiseRound(x * 4096.0f), NoiseRound(y * 205.0f)) * N(NoiseRound(y * 4096.0f), NoiseRound(x * 205.0f))) >>
           16;
}

uint32_t CircularWave(float x, float y)
{
    return Wave(std::cos(std::sqrt((double(x) * x + double(y) * y) / 2000)));
}

uint32_t SineWave(float x, float)
{
    return Wave(std::sin(x / 50.0));
}

// Rows of bricks 1/512 unit high, every other row shifted by half a brick, with soft mortar.
uint32_t Bricks(float x, float y)
{
    const uint32_t Y = uint32_t(NoiseTrunc(y * 512.0f));
    const uint32_t X = (uint32_t(NoiseTrunc(x * 256.0f)) + ((Y & 0x1FFFF) < 0x10000 ? 0 : 32767)) & 0xFFFF;
    const auto edge = [](uint32_t t) { return t > 32767 ? 2 * t - 65535 : ~(2 * t - 65535); };
    return ~Smoothstep16(std::max(edge(Y & 0xFFFF), edge(X))) & 0xFFFF;
}

constexpr tNoiseGenerator kGenerators[kNoiseTypeCount] = {
    Checkers,       EggCarton,         SimpleNoise,     CloudNoise,       Turbulence,         MarbleNoise,
    Swirls,         Bunched,           BubblesNoise,    SparseBubblesNoise, DimplesNoise,     Circles,
    PerlinNoise,    PerlinClouds,      PerlinTurbulence, PerlinMarbleStripe, PerlinPerlin,    Spirals,
    LogSpirals,     Caustics,          SineCaustics,    Zebresque,        VoronoiNoise,       VoronoiPlatesNoise,
    FissuresNoise,  CracklesNoise,     Weave,           CircularWave,     SineWave,           Bricks,
    FacetsNoise,    SmoothFacetsNoise, SoftObjectNoise, CaramelBombNoise, TendrilBombNoise,   CorpusclesNoise,
    RainBombNoise,  Balls,
};

constexpr const char* kTypeNames[kNoiseTypeCount + 2] = {
    "No Noise",     "Checkers",          "Egg Carton",      "Simple Noise",      "Cloud Noise",
    "Turbulence",   "Marble Noise",      "Swirls",          "Bunched",           "Bubbles",
    "Sparse Bubbles", "Dimples",         "Circles",         "Perlin Noise",      "Perlin Clouds",
    "Perlin Turbulence", "Perlin Marble Stripe", "Perlin Perlin", "Spirals",     "Log Spirals",
    "Caustics",     "Sine Caustics",     "Zebresque",       "Voronoi",           "Voronoi Plates",
    "Fissures",     "Crackles",          "Weave",           "Circular Wave",     "Sine Wave",
    "Bricks",       "Facets",            "Smooth Facets",   "Soft Object",       "Caramel Bomb",
    "Tendril Bomb", "Corpuscles",        "Rain Bomb",       "Balls",             "Noise Count",
};

}  // namespace

tNoiseGenerator NoiseGeneratorFor(int32_t type)
{
    return type >= 0 && type < kNoiseTypeCount ? kGenerators[type] : nullptr;
}

const char* NoiseTypeName(int32_t type)
{
    return type >= -1 && type <= kNoiseTypeCount ? kTypeNames[type + 1] : nullptr;
}
