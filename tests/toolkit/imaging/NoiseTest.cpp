#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <set>
#include <string>

#include "tests/toolkit/imaging/NoiseSeedGuard.h"
#include "toolkit/imaging/CNoise.h"
#include "toolkit/imaging/NoiseLibrary.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

uint32_t Generate(int32_t type, float x, float y)
{
    return NoiseGeneratorFor(type)(x, y) & 0xFFFF;
}

uint16_t Blend(int32_t mode, uint16_t pixel, uint32_t value, uint32_t amount)
{
    NoiseBlendFor(mode)(&pixel, value, amount);
    return pixel;
}

enum : int32_t {
    kCheckers = 0,
    kEggCarton = 1,
    kSimple = 2,
    kCloud = 3,
    kTurbulence = 4,
    kCircles = 11,
    kPerlin = 12,
    kSineWave = 28,
    kBalls = 37,
};

}  // namespace

TEST(NoiseLibrary, GradientTableIsBuiltOnceFromAFixedStart)
{
    CNoise first;
    const tSharedNoise& shared = SharedNoise();
    uint32_t state[2] = {10000, 0};
    const uint32_t r = NextRandom16(state);
    const float angle = float(double(float(r / 65535.0)) * 6.2831854820251465);
    EXPECT_EQ(shared.gradients[0].x, std::lrintf(float(std::sin(double(angle)) * 32767.0)));
    EXPECT_EQ(shared.gradients[0].y, std::lrintf(float(std::cos(double(angle)) * 32767.0)));
    for (const tNoiseGradient& g : shared.gradients) {
        const double length = std::hypot(g.x, g.y);
        ASSERT_NEAR(length, 32767.0, 1.5);
    }
    const tNoiseGradient before = shared.gradients[17];
    CNoise second;
    EXPECT_EQ(shared.gradients[17].x, before.x);
    EXPECT_EQ(shared.gradients[17].y, before.y);
}

TEST(NoiseLibrary, SeedFromTheClock)
{
    uint32_t state[2] = {1, 1};
    const uint32_t before = uint32_t(std::time(nullptr));
    SeedRandomFromTime(state);
    const uint32_t after = uint32_t(std::time(nullptr));
    bool matched = false;
    for (uint32_t t = before; t <= after; ++t) {
        const uint32_t a = (t & 0xFFFF) * 36969u + (t >> 16) + 214013u;
        matched |= state[0] == ((((a >> 16) - a * 28567u + 17405u) & 0xFFFF) ^ 0xB7C0u) &&
                   state[1] == ((a & 0xFFFF) ^ 0x79B9u);
    }
    EXPECT_TRUE(matched);
}

TEST(NoiseLibrary, FractalFormsReadTheSharedSeed)
{
    tSeedGuard guard;
    SharedNoise().seed[0] = 1234;
    const uint32_t seed = 1234;
    EXPECT_EQ(FractalValueNoise(70000, -5), FractalValueNoise(&seed, 70000, -5));
    EXPECT_EQ(SharedValueNoise(3, 99999), ValueNoise2D(&seed, 3, 99999));
    EXPECT_EQ(NoiseHash(4, 5), LatticeHash(1234, 4, 5));
    EXPECT_FLOAT_EQ(HashNoise(4, 5), float(LatticeHash(1234, 4, 5)) / 65535.0f);
    // The marble bands: a sum m maps through the 17-entry table by the smoothstep of its fraction.
    const uint32_t m = FractalValueSum(&seed, 12345, 678) >> 1;
    const uint32_t bands[17] = {255, 180, 165, 170, 128, 120, 128, 160, 255, 115, 118, 0, 70, 160, 180, 245, 255};
    const uint32_t s = Smoothstep16(m & 0xFFFF);
    EXPECT_EQ(FractalMarbleNoise(12345, 678), ((65536 - s) * bands[m >> 16] + bands[(m >> 16) + 1] * s) >> 8);
}

TEST(NoiseGenerators, FiguresOfTheSimpleKinds)
{
    CNoise noise;
    tSeedGuard guard;
    SharedNoise().seed[0] = 99;
    const uint32_t seed = 99;
    EXPECT_NE(Generate(kCheckers, -1, 1), Generate(kCheckers, 1, 1));
    EXPECT_NE(Generate(kCheckers, 199, 0), Generate(kCheckers, 200, 0));
    EXPECT_EQ(Generate(kCheckers, 1, 1), 0u);
    EXPECT_EQ(Generate(kCheckers, 200, 200), 0u);
    EXPECT_EQ(Generate(kEggCarton, 0, 0), 32767u);
    EXPECT_EQ(Generate(kSimple, 2.5f, -1.25f), ValueNoise2D(&seed, 2560, -1280));
    EXPECT_EQ(Generate(kCloud, 2.5f, -1.25f), FractalValueNoise(&seed, 12560, -6280));
    const uint32_t turbulence = 2 * FractalValueNoise(&seed, 12560, -6280) - 65536;
    EXPECT_EQ(Generate(kTurbulence, 2.5f, -1.25f), (turbulence < 65537 ? turbulence : ~turbulence) & 0xFFFF);
    // Gradient noise is 32767 on every lattice point: the offsets there are zero.
    EXPECT_EQ(Generate(kPerlin, 0, 0), 32767u);
    EXPECT_EQ(Generate(kPerlin, 32768.0f / 204 * 3, 0), 32767u);
    for (float y : {-500.0f, 0.0f, 12.5f, 7000.0f})
        EXPECT_EQ(Generate(kSineWave, 123.0f, y), Generate(kSineWave, 123.0f, 0.0f));
    EXPECT_EQ(Generate(kSineWave, 0, 0), 32767u);
}

TEST(NoiseGenerators, CirclesAndBallsAreEmptyOutsideEachCellsCircle)
{
    CNoise noise;
    // x = 0 is a cell corner; 32767 / 480 lands on a cell centre.
    const float centre = 32767.0f / 480.0f, nearCorner = 1000.0f / 480.0f;
    ASSERT_EQ(std::lrintf(centre * 480.0f), 32767);
    for (int32_t type : {kCircles, kBalls}) {
        EXPECT_EQ(Generate(type, 0, 0), 0u);
        EXPECT_EQ(Generate(type, nearCorner, nearCorner), 0u);
        EXPECT_EQ(Generate(type, centre, centre), NoiseHash(0, 0));
    }
    // Just inside the rim Circles still shows the cell, Balls has faded almost to nothing.
    const float rim = (32767.0f + 32000.0f) / 480.0f;
    EXPECT_EQ(Generate(kCircles, rim, centre), NoiseHash(0, 0));
    EXPECT_LT(Generate(kBalls, rim, centre), NoiseHash(0, 0) / 10 + 1);
}

TEST(NoiseGenerators, EveryKindVariesAndSurvivesAnyCoordinate)
{
    CNoise noise;
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (int32_t type = 0; type < kNoiseTypeCount; ++type) {
        std::set<uint32_t> values;
        for (float y = -2000; y < 2000; y += 97)
            for (float x = -2000; x < 2000; x += 89) {
                const uint32_t v = Generate(type, x, y);
                ASSERT_EQ(v, Generate(type, x, y));
                values.insert(v);
            }
        EXPECT_GE(values.size(), 2u) << NoiseTypeName(type);
        for (float x : {nan, inf, -inf, 1e20f, -1e20f, 3e9f, -2147483648.0f})
            NoiseGeneratorFor(type)(x, x / 3);
    }
}

TEST(NoiseGenerators, NamesAndUnknownKinds)
{
    EXPECT_STREQ(NoiseTypeName(-1), "No Noise");
    EXPECT_STREQ(NoiseTypeName(0), "Checkers");
    EXPECT_STREQ(NoiseTypeName(12), "Perlin Noise");
    EXPECT_STREQ(NoiseTypeName(37), "Balls");
    EXPECT_STREQ(NoiseTypeName(38), "Noise Count");
    EXPECT_EQ(NoiseTypeName(39), nullptr);
    EXPECT_EQ(NoiseTypeName(-2), nullptr);
    EXPECT_EQ(NoiseGeneratorFor(38), nullptr);
    EXPECT_EQ(NoiseGeneratorFor(-1), nullptr);
}

TEST(NoiseBlends, Figures)
{
    // Replace: all of the value at full amount, none of it at 0.
    EXPECT_EQ(Blend(0, 1000, 50000, 65536), 50000);
    EXPECT_EQ(Blend(0, 1000, 50000, 0), 1000);
    EXPECT_EQ(Blend(0, 1000, 50000, 32768), (1000 + 50000) / 2);
    EXPECT_EQ(Blend(0, 1000, 50000, 1 << 30), 50000);  // amounts past 1 count as 1
    EXPECT_EQ(Blend(1, 40000, 40000, 65536), 65535);
    EXPECT_EQ(Blend(2, 40000, 10000, 65536), 30000);
    EXPECT_EQ(Blend(2, 10000, 40000, 65536), 0);
    EXPECT_EQ(Blend(3, 32768, 32768, 65536), 16384);
    EXPECT_EQ(Blend(4, 10000, 40000, 65536), 30000);
    EXPECT_EQ(Blend(5, 10000, 40000, 65536), 35535);
    EXPECT_EQ(Blend(6, 10000, 40000, 65536), 25000);
    EXPECT_EQ(Blend(7, 10000, 40000, 65536), 40000);
    EXPECT_EQ(Blend(8, 10000, 40000, 65536), 10000);
    // Overlay: multiply below the middle ((d v) >> 15), screen above.
    EXPECT_EQ(Blend(9, 16384, 32768, 65536), (16384u * 32768u) >> 15);
    EXPECT_EQ(Blend(9, 65535, 12345, 65536), 65535);
    EXPECT_EQ(Blend(9, 1000, 50000, 0), 1000);
    // Values keep their low 16 bits.
    EXPECT_EQ(Blend(0, 0, 0x12345, 65536), 0x2345);
    EXPECT_EQ(NoiseBlendFor(10), nullptr);
    EXPECT_EQ(NoiseBlendFor(11), nullptr);
    EXPECT_EQ(Blend(12, 5, 777, 0), 777);
    EXPECT_EQ(Blend(-1, 5, 777, 0), 777);
}

TEST(Noise, ConstructedState)
{
    CNoise noise;
    EXPECT_FLOAT_EQ(noise.GetScaleX(), 0.1f);
    EXPECT_FLOAT_EQ(noise.GetScaleY(), 0.1f);
    EXPECT_EQ(noise.GetNoiseType(), 4);
    EXPECT_EQ(noise.GetBlendMode(), 0);
    EXPECT_EQ(noise.IsActive(), 1u);
    EXPECT_FLOAT_EQ(noise.GetBlendAmount(), 1.0f);
    EXPECT_EQ(noise.GetSeed(), 0u);
    EXPECT_TRUE(noise.IsDirty());
    EXPECT_EQ(noise.GetGenerator(), NoiseGeneratorFor(4));
    EXPECT_EQ(noise.GetBlendFunction(), NoiseBlendFor(0));
    CGradient& map = noise.GetColourMap();
    EXPECT_EQ(map.IsGrey(), 1u);
    EXPECT_EQ(map.GetTable()[0], 0xFF000000u);
    EXPECT_EQ(map.GetTable()[4095], 0xFF00FFFFu);
    float x = 1, y = 1;
    noise.GetPan(&x, &y);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
}

TEST(Noise, ScalesStayWithinThirtyTimesEachOther)
{
    CNoise noise;
    noise.SetScaleY(0.01f);
    noise.SetScaleX(1.0f);
    EXPECT_FLOAT_EQ(noise.GetScaleY(), 1.0f / 30);
    noise.SetScaleY(100.0f);
    EXPECT_FLOAT_EQ(noise.GetScaleX(), 100.0f / 30);
    noise.SetScaleX(1.0f);
    EXPECT_FLOAT_EQ(noise.GetScaleY(), 30.0f);
    // Scales that are not positive numbers change nothing.
    for (float s : {0.0f, -2.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        noise.SetScaleX(s);
        noise.SetScaleY(s);
        EXPECT_FLOAT_EQ(noise.GetScaleX(), 1.0f);
        EXPECT_FLOAT_EQ(noise.GetScaleY(), 30.0f);
    }
}

TEST(Noise, UnknownKindsGenerateZeroAndModesWithoutABlendStore)
{
    CNoise noise;
    noise.SetNoiseType(38);
    EXPECT_EQ(noise.GetNoiseType(), 38);
    ASSERT_NE(noise.GetGenerator(), nullptr);
    EXPECT_EQ(noise.GetGenerator()(5, 5), 0u);
    noise.SetNoiseType(-7);
    EXPECT_EQ(noise.GetGenerator()(5, 5), 0u);
    tSeedGuard guard;
    for (int32_t mode : {10, 11, 99}) {
        noise.SetBlendMode(mode);
        EXPECT_EQ(noise.GetBlendMode(), mode);
        uint16_t pixel = 3;
        noise.GetBlendFunction()(&pixel, 4321, 0);
        EXPECT_EQ(pixel, 4321);
    }
}

TEST(Noise, ModeElevenDrawsASecondaryKindFromTheSharedSeed)
{
    tSeedGuard guard;
    CNoise a, b;
    a.SetNoiseType(12);
    SharedNoise().seed[0] = 0;
    SharedNoise().seed[1] = 0;
    const uint32_t before = b.GetGenerator()(1.5f, 2.5f);
    a.SetBlendMode(11);
    // One step from (0, 0) gives 0x3A44: kind (0x3A44 x 38) >> 16 = 8.
    EXPECT_EQ(a.GetSecondaryNoiseType(), int32_t((0x3A44u * 38) >> 16));
    EXPECT_EQ(a.GetSecondaryGenerator(), NoiseGeneratorFor(a.GetSecondaryNoiseType()));
    EXPECT_EQ(a.GetNoiseType(), 12);
    EXPECT_EQ(a.GetGenerator(), NoiseGeneratorFor(12));
    // The seed is shared: the other noise's patterns change with it.
    EXPECT_EQ(SharedNoise().seed[0], 214013u);
    EXPECT_NE(b.GetGenerator()(1.5f, 2.5f), before);
}
