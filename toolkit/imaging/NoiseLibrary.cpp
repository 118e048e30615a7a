#include "toolkit/imaging/NoiseLibrary.h"

#include <cmath>
#include <ctime>

#include "toolkit/imaging/ValueNoise.h"

namespace {

tSharedNoise g_sharedNoise;

// The value of one corner's gradient at the offset (dx, dy) from that corner, around 32767.
int32_t CornerContribution(int32_t i, int32_t j, int32_t dx, int32_t dy)
{
    const tNoiseGradient& g = g_sharedNoise.gradients[NoiseHash(i, j) & (tSharedNoise::kGradientCount - 1)];
    return int32_t((int64_t(g.x) * dx + int64_t(g.y) * dy) >> 15) + 32767;
}

}  // namespace

tSharedNoise& SharedNoise()
{
    return g_sharedNoise;
}

void BuildNoiseGradients()
{
    tSharedNoise& noise = g_sharedNoise;
    if (noise.gradients[0].x != 0 || noise.gradients[0].y != 0)
        return;
    noise.tableState[0] = 10000;
    noise.tableState[1] = 0;
    for (tNoiseGradient& g : noise.gradients) {
        const uint32_t r = NextRandom16(noise.tableState);
        const float angle = float(double(float(r / 65535.0)) * 6.2831854820251465);
        g.x = NoiseRound(float(std::sin(double(angle)) * 32767.0));
        g.y = NoiseRound(float(std::cos(double(angle)) * 32767.0));
    }
}

void SeedRandomFromTime(uint32_t state[2])
{
    const uint32_t t = uint32_t(std::time(nullptr));
    const uint32_t a = (t & 0xFFFF) * 36969u + (t >> 16) + 214013u;
    state[0] = (((a >> 16) - a * 28567u + 17405u) & 0xFFFF) ^ 0xB7C0u;
    state[1] = (a & 0xFFFF) ^ 0x79B9u;
}

uint32_t NoiseHash(int32_t i, int32_t j)
{
    return LatticeHash(g_sharedNoise.seed[0], i, j);
}

float HashNoise(int32_t i, int32_t j)
{
    return float(NoiseHash(i, j)) / 65535.0f;
}

uint32_t SharedValueNoise(int32_t x, int32_t y)
{
    return ValueNoise2D(&g_sharedNoise.seed[0], x, y);
}

uint32_t FractalValueNoise(int32_t x, int32_t y)
{
    return FractalValueNoise(&g_sharedNoise.seed[0], x, y);
}

uint32_t FractalMarbleNoise(int32_t x, int32_t y)
{
    static constexpr uint32_t kBands[17] = {255, 180, 165, 170, 128, 120, 128, 160, 255,
                                            115, 118, 0,   70,  160, 180, 245, 255};
    const uint32_t m = FractalValueSum(&g_sharedNoise.seed[0], x, y) >> 1;
    const uint32_t i = m >> 16;
    const uint32_t s = Smoothstep16(m & 0xFFFF) & 0xFFFF;
    return ((65536 - s) * kBands[i] + kBands[i + 1] * s) >> 8;
}

uint32_t GradientNoise(float x, float y)
{
    const int32_t X = NoiseRound(x * 204.0f), Y = NoiseRound(y * 204.0f);
    const int32_t i = X >> 15, j = Y >> 15;
    const int32_t fx = X & 0x7FFF, fy = Y & 0x7FFF;
    const int32_t c00 = CornerContribution(i, j, fx, fy);
    const int32_t c10 = CornerContribution(i + 1, j, fx - 32767, fy);
    const int32_t c01 = CornerContribution(i, j + 1, fx, fy - 32767);
    const int32_t c11 = CornerContribution(i + 1, j + 1, fx - 32767, fy - 32767);
    const uint32_t sx = Smoothstep16(uint32_t(2 * fx)), sy = Smoothstep16(uint32_t(2 * fy));
    // The corner values may leave 0 .. 65535; the rows wrap into 16 bits.
    const auto row = [sx](int32_t a, int32_t b) {
        return (uint32_t(a) + ((uint32_t(b - a) * sx) >> 16)) & 0xFFFF;
    };
    const int64_t top = row(c00, c10), bottom = row(c01, c11);
    return uint32_t(top + (((bottom - top) * sy) >> 16));
}
