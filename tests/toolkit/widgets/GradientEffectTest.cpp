#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "toolkit/widgets/CGradientIndexer.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"
#include "toolkit/widgets/EffectBlendModes.h"
#include "toolkit/widgets/EffectTestSupport.h"

namespace {

constexpr double kTurn = 2.0 * std::numbers::pi;

int32_t Clamped(double index)
{
    return int32_t(std::clamp(index, 0.0, 4095.0));
}

// The table index of (x, y) by the specified formulas, the angular start wrapped into one turn and
// every index kept in the table.
int32_t LinearIndex(float angle, int32_t w, int32_t h, int64_t bias, int32_t x, int32_t y)
{
    const double t = double(angle) * kTurn;
    const double span = std::fabs(w * std::sin(t)) + std::fabs(h * std::cos(t));
    const int64_t dx = std::llround(-std::sin(t) / span * 65535.0 * 4095.0);
    const int64_t dy = std::llround(std::cos(t) / span * 65535.0 * 4095.0);
    const int64_t start = -(h * dy) / 2 - (w * dx) / 2 + bias;
    return Clamped(double((start + x * dx + y * dy) >> 16));
}

int32_t RadialIndex(float cx, float cy, int32_t w, int32_t h, int32_t x, int32_t y)
{
    const double px = std::round(w * double(cx)), py = std::round(h * double(cy));
    const double f = cx > 0.5f ? cx : 1.0 - cx, g = cy > 0.5f ? cy : 1.0 - cy;
    const double reach = std::sqrt(std::pow(w * f, 2.0) + std::pow(h * g, 2.0));
    return Clamped(std::round(std::sqrt(std::pow(x - px, 2.0) + std::pow(y - py, 2.0)) * 4095.0 / reach));
}

int32_t AngularIndex(float angle, int32_t w, int32_t h, int32_t x, int32_t y)
{
    double p = std::fmod(((1.0 - angle) - 0.25) * kTurn, kTurn);
    if (p < 0.0)
        p += kTurn;
    p += std::numbers::pi;
    double a = std::atan2(y - std::round(h * 0.5), x - std::round(w * 0.5)) + p;
    if (a > kTurn)
        a -= kTurn;
    return Clamped(std::round(a * 651.7395));
}

TEST(GradientIndex, LinearAtAnEighthTurnFollowsTheFixedPointFormula)
{
    for (int64_t bias : {CGradientIndexer::kDrawBias, CGradientIndexer::kPrepareBias}) {
        const CGradientIndexer indexer(0, 0.125f, 0.5f, 0.5f, 37, 23, bias);
        EXPECT_FALSE(indexer.UsesRowColours());
        for (int32_t y = 0; y < 23; ++y)
            for (int32_t x = 0; x < 37; ++x)
                ASSERT_EQ(indexer.IndexAt(x, y), LinearIndex(0.125f, 37, 23, bias, x, y)) << x << "," << y;
    }
    // Up and to the left at an eighth of a turn: the top-left end is the start.
    const CGradientIndexer indexer(0, 0.125f, 0.5f, 0.5f, 37, 23, CGradientIndexer::kDrawBias);
    EXPECT_LT(indexer.IndexAt(36, 0), 100);
    EXPECT_GT(indexer.IndexAt(0, 22), 4000);
}

TEST(GradientIndex, RadialIndicesOffCentreStayInTheTable)
{
    for (const auto& [w, h, cx, cy] : {std::tuple{15, 9, 0.2f, 0.7f}, std::tuple{5, 1, 0.5f, 0.5f},
                                       std::tuple{33, 17, 0.9f, 0.1f}}) {
        const CGradientIndexer indexer(1, 0.0f, cx, cy, w, h, CGradientIndexer::kDrawBias);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                ASSERT_EQ(indexer.IndexAt(x, y), RadialIndex(cx, cy, w, h, x, y)) << w << ": " << x << "," << y;
    }
    // Width 5 centred rounds the centre to 3: the far column lies past the corner distance.
    EXPECT_EQ(CGradientIndexer(1, 0.0f, 0.5f, 0.5f, 5, 1, 0).IndexAt(0, 0), 4095);
}

TEST(GradientIndex, AngularIndicesForAnyAngleStayInTheTable)
{
    for (float angle : {0.0f, 0.3f, 2.0f, -1.5f, 0.5f}) {
        const CGradientIndexer indexer(2, angle, 0.5f, 0.5f, 21, 13, CGradientIndexer::kDrawBias);
        for (int32_t y = 0; y < 13; ++y)
            for (int32_t x = 0; x < 21; ++x)
                ASSERT_EQ(indexer.IndexAt(x, y), AngularIndex(angle, 21, 13, x, y)) << angle << ": " << x << "," << y;
    }
    const CGradientIndexer whole(2, 2.0f, 0.5f, 0.5f, 21, 13, 0), none(2, 0.0f, 0.5f, 0.5f, 21, 13, 0);
    const CGradientIndexer back(2, -1.5f, 0.5f, 0.5f, 21, 13, 0), half(2, 0.5f, 0.5f, 0.5f, 21, 13, 0);
    for (int32_t y = 0; y < 13; ++y)
        for (int32_t x = 0; x < 21; ++x) {
            EXPECT_EQ(whole.IndexAt(x, y), none.IndexAt(x, y)) << "two turns are none";
            EXPECT_EQ(back.IndexAt(x, y), half.IndexAt(x, y)) << "-1.5 turns are half a turn";
        }
}

// The blend modes channel by channel, as their table gives them.
uint32_t ModeReference(int32_t mode, double d, double g, double a)
{
    const auto toward = [&](double c) { return a == 255 ? c : d + std::floor((c - d) * a / 256.0); };
    switch (mode) {
    case 0: return uint32_t(a == 255 ? g : d + std::floor((g - d + 1) * a / 256.0));
    case 1: return uint32_t(toward(std::floor((g + 1) * d / 256.0)));
    case 2: {
        const double e = 255 - d, c = std::floor((256 - g) * e / 256.0);
        return uint32_t(a == 255 ? 255 - c : 255 - (e + std::floor((c - e) * a / 256.0)));
    }
    case 3: {
        const double c = d < 128 ? std::floor((g + 1) * d / 128.0)
                                 : double((uint32_t((256 - g) * (255 - d)) ^ 0x7F80u) >> 7);
        return uint32_t(toward(c));
    }
    case 4: return uint32_t(d + std::floor((g + 1) * (256 - d) * a / 65536.0));
    case 5: return uint32_t(std::floor((65536 - (256 - g) * a) * d / 65536.0));
    default: {
        const double lift = d - std::floor((d + 1) * d / 256.0);
        return uint32_t(int64_t(d - std::floor(lift * ((128 - g) * (a + 1) + 1) / 32768.0)) & 0xFF);
    }
    }
}

TEST(GradientBlendModes, EachModeMatchesItsPerChannelReference)
{
    const uint32_t alphas[] = {0, 1, 64, 127, 128, 200, 254, 255};
    for (int32_t mode = 0; mode < kEffectBlendModeCount; ++mode)
        for (uint32_t a : alphas)
            for (uint32_t d = 0; d < 256; d += 15)
                for (uint32_t g = 0; g < 256; g += 17) {
                    // Three different channel pairs per pixel.
                    const uint32_t d2 = 255 - d, g2 = (g * 7) & 0xFF, d3 = (d * 3) & 0xFF;
                    CPixel target = 0x5A000000 | d << 16 | d2 << 8 | d3;
                    const CPixel source = a << 24 | g << 16 | g2 << 8 | g;
                    CPixel expected = target;
                    if (a != 0 || mode == 6)
                        expected = 0x5A000000 | ModeReference(mode, d, g, a) << 16 |
                                   ModeReference(mode, d2, g2, a) << 8 | ModeReference(mode, d3, g, a);
                    BlendEffectPixel(mode, &target, source, 255);
                    ASSERT_EQ(target, expected) << "mode " << mode << " a " << a << " d " << d << " g " << g;
                }
}

TEST(GradientBlendModes, RowsBlendAsTheirPixelsDoOneByOne)
{
    std::mt19937 random(41);
    const auto pixel = [&] {
        // Alphas of 0 and 255 often, so that every path of the row kernels is taken.
        const uint32_t choice = random() % 4;
        const uint32_t alpha = choice == 0 ? 0 : choice == 1 ? 255 : random() & 0xFF;
        return CPixel(alpha << 24 | (random() & 0xFFFFFF));
    };
    for (int32_t mode = -1; mode <= kEffectBlendModeCount; ++mode)
        for (uint32_t opacity : {0u, 1u, 100u, 200u, 254u, 255u})
            for (int32_t count = 0; count < 14; ++count) {
                std::vector<CPixel> source(static_cast<size_t>(count)), row(static_cast<size_t>(count)), expected;
                for (int32_t i = 0; i < count; ++i) {
                    source[size_t(i)] = pixel();
                    row[size_t(i)] = pixel();
                }
                expected = row;
                for (int32_t i = 0; i < count; ++i)
                    BlendEffectPixel(mode, &expected[size_t(i)], source[size_t(i)], opacity);
                BlendEffectRow(mode, row.data(), source.data(), count, opacity);
                ASSERT_EQ(row, expected) << "mode " << mode << " opacity " << opacity << " count " << count;
            }
}

TEST(GradientBlendModes, OtherModesLeaveTheTargetAndSoftLightActsAtAlphaZero)
{
    for (int32_t mode : {7, -1, 1000}) {
        CPixel target = 0xFF336699;
        BlendEffectPixel(mode, &target, 0xFFFFFFFF, 255);
        EXPECT_EQ(target, 0xFF336699u) << mode;
    }
    CPixel target = 0xFF808080;
    BlendEffectPixel(kEffectBlendSoftLight, &target, 0x00FFFFFF, 255);
    EXPECT_EQ(target, 0xFF818181u) << "128 under g 255 at a 0 becomes 129";
    // The opacity scales the source alpha: ((0x80FFFF) x 101) >> 24 = 50.
    target = 0xFF000000;
    BlendEffectPixel(kEffectBlendNormal, &target, 0x80FFFFFF, 100);
    EXPECT_EQ(target, OverReference(0xFF000000, 50, 0xFFFFFFFF));
}

TEST(GradientEffect, AngleZeroOnAOnePixelRowTakesTheFirstTableColour)
{
    EffectOwner owner(9, 1);
    auto* effect = new CWidgetEffectGradient;
    EXPECT_EQ(effect->GetGradient()->AddPoint(0xFF204080, 0.0f), 0);
    ASSERT_EQ(owner.widget->SetFrontEffect(effect, 0, 0), kResOk);
    uint32_t first = 0;
    effect->GetGradient()->GetColourAt(&first, 0, 1);
    EXPECT_EQ(first, 0xFF204080u);
    EffectCanvas canvas(9, 1, {0, 0}, 0x7F000000);
    const tCRect all{0, 0, 9, 1};
    ASSERT_EQ(effect->Draw(&all, &canvas.image, 255), kResOk);
    for (int32_t x = 0; x < 9; ++x)
        EXPECT_EQ(canvas.At(x, 0), 0x7F204080u) << "the target keeps its alpha";
}

TEST(GradientEffect, DrawnPerPixelItReadsTheTableAtTheDrawingIndex)
{
    EffectOwner owner(31, 19);
    auto* effect = new CWidgetEffectGradient;
    effect->GetGradient()->AddPoint(0xFFFF0000, 0.5f);
    ASSERT_EQ(effect->SetAngle(0.125f, 0), kResOk);
    ASSERT_EQ(effect->SetBlendMode(kEffectBlendMultiply, 0), kResOk);
    ASSERT_EQ(owner.widget->SetMiddleEffect(effect, 0, 0), kResOk);
    EXPECT_EQ(effect->GetPreparedImage(), nullptr);
    EffectCanvas canvas(31, 19, {0, 0}, 0xFFC08040);
    const tCRect part{3, 2, 29, 17};
    ASSERT_EQ(effect->Draw(&part, &canvas.image, 180), kResOk);
    const uint32_t* table = effect->GetGradient()->GetTable();
    for (int32_t y = 0; y < 19; ++y)
        for (int32_t x = 0; x < 31; ++x) {
            CPixel expected = 0xFFC08040;
            if (part.Contains({x, y}))
                BlendEffectPixel(kEffectBlendMultiply, &expected,
                                 table[LinearIndex(0.125f, 31, 19, CGradientIndexer::kDrawBias, x, y)], 180);
            ASSERT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
}

TEST(GradientEffect, OverAnImageWidgetThePreparedGradientFollowsItsAlpha)
{
    TestRoot root(100, 100);
    auto* widget = new CImWidget;
    ASSERT_EQ(Place(&root, widget, {5, 5, 17, 13}), kResOk);
    // A 10 x 6 picture on a 12 x 8 widget: past it the alpha is 0.
    auto* picture = new CImage(10, 6);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 10; ++x)
            SetPixel(*picture, x, y, CPixel(x * 28) << 24);
    ASSERT_EQ(widget->SetImage(picture, 0, 0), kResOk);
    auto* effect = new CWidgetEffectGradient;
    ASSERT_EQ(effect->SetGradientType(1, 0), kResOk);
    ASSERT_EQ(effect->SetCentreX(0.25f, 0), kResOk);
    ASSERT_EQ(widget->SetFrontEffect(effect, 0, 0), kResOk);
    CImage* prepared = effect->GetPreparedImage();
    ASSERT_NE(prepared, nullptr);
    ASSERT_EQ(prepared->GetWidth(), 12);
    const uint32_t* table = effect->GetGradient()->GetTable();
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            const CPixel colour = table[RadialIndex(0.25f, 0.5f, 12, 8, x, y)];
            const uint32_t alpha = x < 10 && y < 6 ? uint32_t(x * 28) : 0;
            ASSERT_EQ(PixelAt(*prepared, x, y), (colour & 0xFFFFFF) | ScaledAlpha(colour, alpha) << 24)
                << x << "," << y;
        }
    EffectCanvas canvas(12, 8, {0, 0}, 0xFF102030);
    const tCRect all{0, 0, 12, 8};
    ASSERT_EQ(effect->Draw(&all, &canvas.image, 255), kResOk);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            CPixel expected = 0xFF102030;
            BlendEffectPixel(kEffectBlendNormal, &expected, PixelAt(*prepared, x, y), 255);
            ASSERT_EQ(canvas.At(x, y), expected);
        }
    // Refreshed without a picture, the gradient goes back to drawing per pixel.
    ASSERT_EQ(effect->Update(), kResOk);
    EXPECT_EQ(effect->GetPreparedImage(), nullptr);
}

// Entry i of the table becomes the opaque colour i, so that a pixel drawn names its index.
void MakeProbeTable(CGradient* gradient)
{
    for (int32_t i = 0; i < 4096; ++i)
        gradient->AddPoint(0xFF000000 | uint32_t(i), float(i) / 4095.0f);
}

TEST(GradientEffect, DrawingAndPreparingRoundTheLinearIndexWithTheirOwnBias)
{
    constexpr int32_t kW = 37, kH = 23;
    constexpr float kAngle = 0.1f;
    constexpr int64_t kDraw = 0x7FF8000, kPrepare = 0x7FF7001;
    const tCRect all{0, 0, kW, kH};

    EffectOwner plain(kW, kH);
    auto* drawn = new CWidgetEffectGradient;
    MakeProbeTable(drawn->GetGradient());
    const uint32_t* table = drawn->GetGradient()->GetTable();
    for (int32_t i = 0; i < 4096; ++i)
        ASSERT_EQ(table[i], 0xFF000000 | uint32_t(i)) << i;
    ASSERT_EQ(drawn->SetAngle(kAngle, 0), kResOk);
    ASSERT_EQ(plain.widget->SetFrontEffect(drawn, 0, 0), kResOk);
    ASSERT_EQ(drawn->GetPreparedImage(), nullptr);
    EffectCanvas perPixel(kW, kH, {0, 0}, 0x80FFFFFF);
    ASSERT_EQ(drawn->Draw(&all, &perPixel.image, 255), kResOk);

    TestRoot root(100, 100);
    auto* pictured = new CImWidget;
    ASSERT_EQ(Place(&root, pictured, {5, 5, 5 + kW, 5 + kH}), kResOk);
    auto* picture = new CImage(kW, kH);
    CImNav(picture).Fill(0xFF808080);
    ASSERT_EQ(pictured->SetImage(picture, 0, 0), kResOk);
    auto* prepared = new CWidgetEffectGradient;
    MakeProbeTable(prepared->GetGradient());
    ASSERT_EQ(prepared->SetAngle(kAngle, 0), kResOk);
    ASSERT_EQ(pictured->SetFrontEffect(prepared, 0, 0), kResOk);
    ASSERT_NE(prepared->GetPreparedImage(), nullptr);
    EffectCanvas fromImage(kW, kH, {0, 0}, 0x80FFFFFF);
    ASSERT_EQ(prepared->Draw(&all, &fromImage.image, 255), kResOk);

    int32_t apart = 0;
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) {
            const int32_t drawIndex = LinearIndex(kAngle, kW, kH, kDraw, x, y);
            const int32_t prepareIndex = LinearIndex(kAngle, kW, kH, kPrepare, x, y);
            apart += drawIndex != prepareIndex;
            ASSERT_EQ(perPixel.At(x, y), 0x80000000 | uint32_t(drawIndex)) << x << "," << y;
            ASSERT_EQ(fromImage.At(x, y), 0x80000000 | uint32_t(prepareIndex)) << x << "," << y;
        }
    EXPECT_GT(apart, 0) << "the two biases part somewhere on this widget";
}

TEST(GradientEffect, NonFiniteGeometryIsRefused)
{
    CWidgetEffectGradient effect;
    EXPECT_EQ(effect.SetAngle(std::nanf(""), 0), kResBadParam);
    EXPECT_EQ(effect.SetCentreX(INFINITY, 0), kResBadParam);
    EXPECT_EQ(effect.SetCentreY(-INFINITY, 0), kResBadParam);
    EXPECT_EQ(effect.GetAngle(), 0.0f);
    EXPECT_EQ(effect.GetCentreX(), 0.5f);
    EXPECT_EQ(effect.GetCentreY(), 0.5f);
}

}  // namespace
