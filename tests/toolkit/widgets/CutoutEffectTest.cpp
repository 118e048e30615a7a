#include <gtest/gtest.h>

#include <vector>

#include "toolkit/imaging/Blur.h"
#include "toolkit/imaging/CRLE8.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidgetEffectCutout.h"
#include "toolkit/widgets/EffectTestSupport.h"

namespace {

constexpr CPixel kFace = 0xFFC0B0A0;

// The darkening of a w x h shape (all 255 unless `shape` is given) as specified, with the
// landed blur: the shape blurred in a work image m pixels wider on each side, moved by the
// offset, knocked out of the shape.
std::vector<uint8_t> DarkeningReference(int32_t w, int32_t h, float radius, tCPoint offset,
                                        const std::vector<uint8_t>& shape = {})
{
    const int32_t m = int32_t(radius * 2.2f);
    CImage work(w + 2 * m, h + 2 * m);
    const auto s = [&](int32_t x, int32_t y) { return shape.empty() ? 255u : uint32_t(shape[size_t(y * w + x)]); };
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            SetPixel(work, x + m, y + m, s(x, y) * 257);
    EXPECT_NE(BlurImage(work, radius, 0), 0u);
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int32_t u = x - offset.x + m, v = y - offset.y + m;
            if (u < 0 || v < 0 || u >= work.GetWidth() || v >= work.GetHeight())
                out.push_back(255);
            else
                out.push_back(uint8_t(((s(x, y) + 1) * (65535 - (PixelAt(work, u, v) & 0xFFFF))) >> 16));
        }
    return out;
}

void ExpectDrawn(CWidgetEffectCutout* cutout, int32_t w, int32_t h, const std::vector<uint8_t>& darkening,
                 uint32_t opacity)
{
    EffectCanvas canvas(w, h, {0, 0}, kFace);
    const tCRect all{0, 0, w, h};
    ASSERT_EQ(cutout->Draw(&all, &canvas.image, opacity), kResOk);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t alpha = (darkening[size_t(y * w + x)] * (opacity + 1)) >> 8;
            ASSERT_EQ(canvas.At(x, y), OverReference(kFace, alpha, cutout->GetColour())) << x << "," << y;
        }
}

TEST(CutoutEffect, AnOpaqueWidgetIsDarkenedAlongTheEdgesTheOffsetUncovers)
{
    EffectOwner owner(20, 20);
    auto* cutout = new CWidgetEffectCutout;
    EXPECT_EQ(cutout->GetRadius(), 1.0f);
    EXPECT_EQ(cutout->GetOffset(), (tCPoint{1, 1}));
    ASSERT_EQ(owner.widget->SetFrontEffect(cutout, 0, 0), kResOk);
    EXPECT_EQ(cutout->GetRect(), (tCRect{0, 0, 20, 20}));
    const std::vector<uint8_t> darkening = DarkeningReference(20, 20, 1.0f, {1, 1});
    EXPECT_GT(darkening[0], 100) << "the top-left corner is uncovered";
    EXPECT_EQ(darkening[size_t(10 * 20 + 10)], 0) << "the middle stays covered";
    ExpectDrawn(cutout, 20, 20, darkening, 255);
    ExpectDrawn(cutout, 20, 20, darkening, 130);

    // A new offset rebuilds the mask at once.
    ASSERT_EQ(cutout->SetOffset({-2, 3}, 0), kResOk);
    ExpectDrawn(cutout, 20, 20, DarkeningReference(20, 20, 1.0f, {-2, 3}), 255);
    ASSERT_EQ(cutout->SetColour(0x00405060, 0), kResOk);
    EXPECT_EQ(cutout->GetColour(), 0xFF405060u);
    ExpectDrawn(cutout, 20, 20, DarkeningReference(20, 20, 1.0f, {-2, 3}), 255);
    ASSERT_EQ(cutout->SetRadius(2.5f, 0), kResOk);
    ExpectDrawn(cutout, 20, 20, DarkeningReference(20, 20, 2.5f, {-2, 3}), 255);
    EffectCanvas canvas(20, 20, {0, 0}, kFace);
    const tCRect all{0, 0, 20, 20};
    ASSERT_EQ(cutout->Draw(&all, &canvas.image, 0), kResOk);
    EXPECT_EQ(CountPixels(canvas.image, kFace), 400);
}

TEST(CutoutEffect, AnImageWidgetsShapeIsItsAlphaAndAnOffsetPastTheWorkImageUncoversAll)
{
    TestRoot root(100, 100);
    auto* widget = new CImWidget;
    ASSERT_EQ(Place(&root, widget, {10, 10, 24, 22}), kResOk);
    // A 10 x 8 picture in a 14 x 12 widget: the widget past it is transparent.
    auto* picture = new CImage(10, 8);
    std::vector<uint8_t> shape(14 * 12, 0);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 10; ++x) {
            const uint8_t alpha = uint8_t(x * 25 + y);
            SetPixel(*picture, x, y, CPixel(alpha) << 24 | 0x123456);
            shape[size_t(y * 14 + x)] = alpha;
        }
    ASSERT_EQ(widget->SetImage(picture, 0, 0), kResOk);
    auto* cutout = new CWidgetEffectCutout;
    ASSERT_EQ(cutout->SetRadius(3.0f, 0), kResOk);
    ASSERT_EQ(widget->SetFrontEffect(cutout, 0, 0), kResOk);
    ExpectDrawn(cutout, 14, 12, DarkeningReference(14, 12, 3.0f, {1, 1}, shape), 255);
    ASSERT_EQ(cutout->SetOffset({40, 0}, 0), kResOk);
    const std::vector<uint8_t> uncovered = DarkeningReference(14, 12, 3.0f, {40, 0}, shape);
    EXPECT_EQ(uncovered[0], 255);
    ExpectDrawn(cutout, 14, 12, uncovered, 255);
}

}  // namespace
