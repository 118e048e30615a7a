#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "toolkit/imaging/CGaussianPyramid.h"
#include "toolkit/imaging/LendingSampler.h"
#include "toolkit/widgets/CRotaterWidget.h"
#include "toolkit/widgets/EffectTestSupport.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// a + floor((b - a) x 128 / 256) for each channel, alpha included.
CPixel Halfway(CPixel a, CPixel b)
{
    CPixel out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int64_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= CPixel(ca + int64_t(std::floor(double(cb - ca) * 128 / 256))) << shift;
    }
    return out;
}

CImage* Quadrants(int32_t size)
{
    auto* image = new CImage(size, size);
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            const bool right = x >= size / 2, bottom = y >= size / 2;
            SetPixel(*image, x, y, bottom ? (right ? 0xFFFFFFFF : 0xFF0000FF) : (right ? 0xFF00FF00 : 0xFFFF0000));
        }
    return image;
}

struct Rotater {
    explicit Rotater(int32_t size)
    {
        widget = new CRotaterWidget;
        EXPECT_EQ(Place(&root, widget, {0, 0, size, size}), kResOk);
    }
    CPixel At(int32_t x, int32_t y)
    {
        if (widget->IsDirty()) {
            EXPECT_EQ(widget->RenderImage(), kResOk);
        }
        return PixelAt(*widget->GetImage(), x, y);
    }
    TestRoot root{200, 200};
    CRotaterWidget* widget;
};

TEST(RotaterWidget, WithoutASourceOrAPictureItDrawsAsAnImageWidgetAndStaysDirty)
{
    CRotaterWidget loose;
    ASSERT_EQ(loose.SetColour(0xFF123456, 0), kResOk);
    EffectCanvas canvas(4, 4, {0, 0}, 0);
    const tCRect all{0, 0, 4, 4};
    ASSERT_EQ(loose.Draw(&all, &canvas.image, 255), kResOk);
    EXPECT_EQ(canvas.At(1, 1), 0xFF123456u) << "the colour, as a widget without a picture";
    EXPECT_TRUE(loose.IsDirty());

    Rotater r(8);
    ASSERT_EQ(r.widget->Draw(&all, &canvas.image, 255), kResOk);
    EXPECT_TRUE(r.widget->IsDirty());
    EXPECT_EQ(canvas.At(1, 1), 0xFF123456u) << "its own picture starts transparent";
}

TEST(RotaterWidget, AtAngleZeroAndScaleOneEachPixelMixesTwoSourcePixelsEachWay)
{
    Rotater r(8);
    auto* source = new CImage(8, 8);
    FillPattern(*source);
    ASSERT_EQ(r.widget->SetImage(source, 0), kResOk);
    EXPECT_TRUE(r.widget->IsDirty());
    for (int32_t y = 1; y < 8; ++y)
        for (int32_t x = 1; x < 8; ++x) {
            const CPixel top = Halfway(PixelAt(*source, x - 1, y - 1), PixelAt(*source, x, y - 1));
            const CPixel bottom = Halfway(PixelAt(*source, x - 1, y), PixelAt(*source, x, y));
            ASSERT_EQ(r.At(x, y), Halfway(top, bottom)) << x << "," << y;
        }
    EXPECT_FALSE(r.widget->IsDirty());
    EXPECT_EQ(r.widget->SetImage(source, 0), kResOk) << "the source it holds";
    EXPECT_EQ(r.widget->GetSource(), source);
    EXPECT_EQ(PixelAt(*source, 2, 2), PatternPixel(2, 2));
}

TEST(RotaterWidget, TransparentBordersLendNoBlackToTheEdges)
{
    Rotater r(8);
    auto* source = new CImage(8, 8);
    for (int32_t y = 2; y < 6; ++y)
        for (int32_t x = 2; x < 6; ++x)
            SetPixel(*source, x, y, 0xFFFF0000);
    ASSERT_EQ(r.widget->SetImage(source, 0), kResOk);
    // u = 1.5: a transparent neighbour and a red one; the transparent one takes the red colour.
    EXPECT_EQ(r.At(2, 4), 0x7FFF0000u);
    EXPECT_EQ(r.At(4, 2), 0x7FFF0000u);
    EXPECT_EQ(r.At(2, 2), 0x3FFF0000u) << "one of four is red, alpha 255 / 2 / 2";
    EXPECT_EQ(r.At(0, 0), 0u);
}

TEST(RotaterWidget, APositiveAngleTurnsThePictureClockwise)
{
    Rotater r(16);
    ASSERT_EQ(r.widget->SetImage(Quadrants(16), 0), kResOk);
    EXPECT_EQ(r.At(4, 4), 0xFFFF0000u);
    r.widget->SetAngle(float(kPi / 2));
    EXPECT_TRUE(r.widget->IsDirty());
    EXPECT_EQ(r.At(12, 4), 0xFFFF0000u) << "red moves from the top left to the top right";
    EXPECT_EQ(r.At(12, 12), 0xFF00FF00u);
    EXPECT_EQ(r.At(4, 12), 0xFFFFFFFFu);
    EXPECT_EQ(r.At(4, 4), 0xFF0000FFu);
    r.widget->SetAngle(float(kPi));
    EXPECT_EQ(r.At(12, 12), 0xFFFF0000u);
}

TEST(RotaterWidget, HalfScaleSamplesTheFirstPyramidLevel)
{
    Rotater r(16);
    auto* source = new CImage(16, 16);
    FillPattern(*source);
    CGaussianPyramid pyramid;
    ASSERT_EQ(pyramid.Build(source), kResOk);
    CImage* level = pyramid.GetLevel(1);
    ASSERT_NE(level, nullptr);
    ASSERT_EQ(r.widget->SetImage(source, 0), kResOk);
    r.widget->SetScale(0.5f);
    // The centre maps to (3.5, 3.5) of the 8 x 8 level.
    const CPixel top = Halfway(PixelAt(*level, 3, 3), PixelAt(*level, 4, 3));
    const CPixel bottom = Halfway(PixelAt(*level, 3, 4), PixelAt(*level, 4, 4));
    EXPECT_EQ(r.At(8, 8), Halfway(top, bottom));
    EXPECT_EQ(r.At(1, 1), 0u) << "outside the half-size picture";
}

// The render as the plain loop: every pixel of the picture through the sampler with its bounds
// tests, the positions stepped in 16.16 from the top-left pixel.
std::unique_ptr<CImage> Reference(const CImage& source, int32_t size, double angle)
{
    auto out = std::make_unique<CImage>(size, size);
    CImNav to(out.get()), from(const_cast<CImage*>(&source));
    const double c = std::cos(angle), s = std::sin(angle), centre = size / 2.0;
    const auto fixed = [](double value) { return std::llrint(value * 65536.0); };
    int64_t rowU = fixed(source.GetWidth() / 2.0 - 0.5 + (c * -centre + s * -centre));
    int64_t rowV = fixed(source.GetHeight() / 2.0 - 0.5 + (-s * -centre + c * -centre));
    for (int32_t y = 0; y < size; ++y, rowU += fixed(s), rowV += fixed(c)) {
        int64_t u = rowU, v = rowV;
        for (int32_t x = 0; x < size; ++x, u += fixed(c), v += fixed(-s))
            to.Pixels(y)[x] = SampleBilinearLending(from, u, v);
    }
    return out;
}

TEST(RotaterWidget, TheRowSpansGiveThePlainLoopsPixels)
{
    Rotater r(48);
    auto* source = new CImage(48, 48);
    FillPattern(*source);
    for (int32_t x = 0; x < 48; ++x)
        SetPixel(*source, x, 7, 0);
    ASSERT_EQ(r.widget->SetImage(source, 0), kResOk);
    for (const double angle : {0.0, 0.3, kPi / 4, 2.0, -1.1, kPi}) {
        r.widget->SetAngle(float(angle));
        ASSERT_EQ(r.widget->RenderImage(), kResOk);
        const std::unique_ptr<CImage> expected = Reference(*source, 48, double(float(angle)));
        int differing = 0;
        for (int32_t y = 0; y < 48; ++y)
            for (int32_t x = 0; x < 48; ++x)
                differing += PixelAt(*r.widget->GetImage(), x, y) != PixelAt(*expected, x, y);
        EXPECT_EQ(differing, 0) << angle;
    }
}

TEST(RotaterWidget, ScalesOfZeroNegativeOrNotANumberDrawNothing)
{
    Rotater r(8);
    auto* source = new CImage(8, 8);
    FillPattern(*source);
    ASSERT_EQ(r.widget->SetImage(source, 0), kResOk);
    for (const float scale : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 1e-30f}) {
        r.widget->SetScale(scale);
        ASSERT_EQ(r.widget->RenderImage(), kResOk) << scale;
        EXPECT_FALSE(r.widget->IsDirty());
        EXPECT_EQ(CountPixels(*r.widget->GetImage(), 0), 64) << scale;
    }
}

TEST(RotaterWidget, APackedSourceIsUnpacked)
{
    Rotater r(16);
    CImage* source = Quadrants(16);
    ASSERT_EQ(source->Compress(), kResOk);
    ASSERT_EQ(r.widget->SetImage(source, 0), kResOk);
    EXPECT_FALSE(source->IsCompressed());
    EXPECT_EQ(r.At(12, 12), 0xFFFFFFFFu);
}

}  // namespace
