#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "resources/compiler/SourceText.h"
#include "toolkit/imaging/CGradient.h"
#include "toolkit/imaging/ImageFixtures.h"
#include "toolkit/widgets/BackdropFill.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/WidgetResources.h"

namespace {

// A gradient whose table entry i is 0xFF000000 | i, so that an opaque pixel names the entry it
// was read from.
std::string ProbeGradient()
{
    std::string line = "grad 700 \"probe\" [";
    for (int32_t i = 0; i < 4096; ++i)
        line += (i ? " " : "") + FormatColour(0xFF000000u | uint32_t(i)) + "@" + FormatFloat(float(i) / 4095.0f);
    return line + "]\n";
}

int32_t IndexOf(uint32_t pixel)
{
    EXPECT_EQ(pixel & 0xFFFFF000u, 0xFF000000u) << std::hex << pixel;
    return int32_t(pixel & 0xFFF);
}

// Per channel: b + floor(a (g - b + 1) / 256), the alpha of b kept; alpha 0 and 255 are exact.
uint32_t ComposeReference(uint32_t colour, uint32_t below)
{
    const uint32_t alpha = colour >> 24;
    if (alpha == 0)
        return below;
    if (alpha == 255)
        return colour;
    uint32_t out = below & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t g = int32_t((colour >> shift) & 0xFF), b = int32_t((below >> shift) & 0xFF);
        out |= uint32_t(b + ((int32_t(alpha) * (g - b + 1)) >> 8)) << shift;
    }
    return out;
}

uint32_t ScaleReference(uint32_t colour, uint32_t opacity)
{
    return (colour & 0x00FFFFFFu) | uint32_t((uint64_t(opacity + 1) * (colour >> 8)) >> 24) << 24;
}

class BackdropFillTest : public WidgetLoadTest {
protected:
    // Loads the backdrop "b" of a source that also holds the probe gradient and the other
    // resources given, and renders it all.
    CBackdrop* Render(const std::string& chunks, int32_t width, int32_t height, const std::string& resources = "")
    {
        file = std::make_unique<CompiledFile>(ProbeGradient() + resources + "bkdp 1 \"b\"\n" + chunks);
        backdrop = std::make_unique<CBackdrop>();
        EXPECT_EQ(backdrop->LoadFromResourceName(u"b", file.get(), nullptr), kResOk);
        EXPECT_EQ(backdrop->SetSize(width, height, 0u), kResOk);
        EXPECT_EQ(backdrop->RenderDirtyRegion(), kResOk);
        return backdrop.get();
    }

    std::unique_ptr<CompiledFile> file;
    std::unique_ptr<CBackdrop> backdrop;
};

TEST_F(BackdropFillTest, TheProbeGradientNamesItsEntries)
{
    file = std::make_unique<CompiledFile>(ProbeGradient());
    std::unique_ptr<CGradient> probe(CGradient::NewFromResourceName(u"probe", file.get(), nullptr));
    ASSERT_NE(probe, nullptr);
    const uint32_t* table = probe->GetTable();
    for (uint32_t i = 0; i < 4096; ++i)
        ASSERT_EQ(table[i], 0xFF000000u | i) << i;
}

TEST_F(BackdropFillTest, WithoutGradientOrImageTheColourIsDrawnOpaque)
{
    CBackdrop plain;
    ASSERT_EQ(plain.SetSize(9, 4, 0u), kResOk);
    ASSERT_EQ(plain.RenderDirtyRegion(), kResOk);
    EXPECT_EQ(plain.GetPixelAt({0, 0}), 0xFF303050u);
    EXPECT_EQ(plain.GetPixelAt({8, 3}), 0xFF303050u);
    EXPECT_EQ(plain.GetPixelAt({9, 3}), 0u) << "outside the back buffer";
    EXPECT_EQ(plain.GetPixelAt({8, 4}), 0u);

    // Without a window, screen and backdrop coordinates are one, and a cursor widget stays where
    // it was put.
    tCPoint point{5, 6};
    plain.ScreenToLocalPoint(&point);
    EXPECT_EQ(point, (tCPoint{5, 6}));
    auto* pointer = new CCoWidget;
    const tCPoint at{3, 4};
    ASSERT_EQ(pointer->SetPositionPt(&at, 0), kResOk);
    plain.SetCursorWidget(pointer, {1, 1});
    EXPECT_EQ(plain.GetCursorWidget(), pointer);
    EXPECT_EQ(pointer->GetRect().GetTopLeft(), at);
    EXPECT_EQ(plain.GetPixelAt({0, -1}), 0u);
    EXPECT_EQ(plain.GetPixelAt({-1, 0}), 0u);

    Render("  colr #00112233\n  grad \"probe\"\n  grop 0\n", 5, 5);
    EXPECT_EQ(backdrop->GetPixelAt({2, 2}), 0xFF112233u) << "opacity 0 draws no gradient";
}

TEST_F(BackdropFillTest, AnOpaqueTableColourAtFullOpacityReplacesThePixel)
{
    Render("  grad \"probe\"\n  grop 255\n", 10, 64);
    for (int32_t y = 0; y < 64; ++y)
        EXPECT_EQ(IndexOf(backdrop->GetPixelAt({3, y})), y * 4096 / 64) << "angle 0: one entry per row";
    // An opacity beyond 255 counts as 255.
    Render("  grad \"probe\"\n  grop 1000\n", 10, 64);
    EXPECT_EQ(IndexOf(backdrop->GetPixelAt({3, 63})), 63 * 64);
}

// round(sqrt((x - round(W cx))^2 + (y - round(H cy))^2) x 4095 / D) in single precision, D the
// distance to the farthest corner.
int32_t ExpectedRadialIndex(int32_t x, int32_t y, int32_t width, int32_t height, float cx, float cy)
{
    const int64_t dx = x - std::lrint(float(width) * cx), dy = y - std::lrint(float(height) * cy);
    const float fx = cx > 0.5f ? cx : 1.0f - cx, fy = cy > 0.5f ? cy : 1.0f - cy;
    const float w = fx * float(width), h = fy * float(height);
    const float farthest = std::sqrt(w * w + h * h);
    return int32_t(std::lrint(std::sqrt(float(dx * dx + dy * dy)) * (4095.0f / farthest)));
}

TEST_F(BackdropFillTest, ARadialGradientRunsFromTheCentreToTheFarthestCorner)
{
    Render("  grad \"probe\"\n  grop 255\n  grac 1\n", 200, 100);
    EXPECT_EQ(IndexOf(backdrop->GetPixelAt({0, 0})), 4095);
    EXPECT_EQ(IndexOf(backdrop->GetPixelAt({100, 50})), 0);
    for (int32_t y = 0; y < 100; y += 7)
        for (int32_t x = 0; x < 200; x += 13)
            ASSERT_EQ(IndexOf(backdrop->GetPixelAt({x, y})), ExpectedRadialIndex(x, y, 200, 100, 0.5f, 0.5f))
                << x << "," << y;

    Render("  grad \"probe\"\n  grop 255\n  grac 1\n  grcx 0.25\n  grcy 0.9\n", 120, 80);
    for (int32_t y = 0; y < 80; y += 5)
        for (int32_t x = 0; x < 120; x += 9)
            ASSERT_EQ(IndexOf(backdrop->GetPixelAt({x, y})), ExpectedRadialIndex(x, y, 120, 80, 0.25f, 0.9f))
                << x << "," << y;
}

TEST_F(BackdropFillTest, TheRadialIndexOfAnOddSizeIsHeldAtTheTableEnd)
{
    ASSERT_EQ(ExpectedRadialIndex(0, 0, 203, 203, 0.5f, 0.5f), 4115) << "the centre rounds to 102, past the middle";
    Render("  grad \"probe\"\n  grop 255\n  grac 1\n", 203, 203);
    EXPECT_EQ(IndexOf(backdrop->GetPixelAt({0, 0})), 4095);
    EXPECT_EQ(IndexOf(backdrop->GetPixelAt({202, 202})), ExpectedRadialIndex(202, 202, 203, 203, 0.5f, 0.5f));
}

TEST_F(BackdropFillTest, AnAngledGradientStepsAcrossTheBackdropInFixedPoint)
{
    Render("  grad \"probe\"\n  grop 255\n  gran 0.25\n", 200, 100);
    EXPECT_EQ(IndexOf(backdrop->GetPixelAt({0, 0})), 4094);
    EXPECT_EQ(IndexOf(backdrop->GetPixelAt({199, 0})), 20);

    Render("  grad \"probe\"\n  grop 255\n  gran 0.125\n", 90, 60);
    const float turn = 0.125f * 6.28318530718f;
    const float s = std::sin(turn), c = std::cos(turn);
    const float span = std::fabs(90.0f * s) + std::fabs(60.0f * c);
    const int64_t xStep = std::lrint(-s / span * 65535.0f * 4095.0f);
    const int64_t yStep = std::lrint(c / span * 65535.0f * 4095.0f);
    const int64_t base = 0x7FF7001 - (60 * yStep) / 2 - (90 * xStep) / 2;
    for (int32_t y = 0; y < 60; y += 3)
        for (int32_t x = 0; x < 90; x += 4)
            ASSERT_EQ(IndexOf(backdrop->GetPixelAt({x, y})), (y * yStep + x * xStep + base) >> 16) << x << "," << y;
    EXPECT_EQ(IndexOf(backdrop->GetPixelAt({45, 30})), 2047) << "the centre";
}

TEST_F(BackdropFillTest, NonFiniteGradientGeometryFailsItsChunk)
{
    using namespace handmade;
    for (const char* tag : {"gran", "grcx", "grcy"}) {
        auto damaged = CompiledFile::FromBytes(Widget("bkdp", 1, u"b", Tag(tag) + U32(0x7FC00000)));
        CBackdrop loaded;
        EXPECT_EQ(loaded.LoadFromResourceName(u"b", damaged.get(), nullptr), kResBadParam) << tag;
        const std::vector<std::string> expected{BoxText(kResResourceRead, std::string("Backdrop ") + tag + "."),
                                                BoxText(kResResourceRead, "Error parsing backdrop data chunk type.")};
        EXPECT_EQ(Boxes(), expected);
    }
}

TEST_F(BackdropFillTest, TheImageIsTiledFromTheBackdropsOrigin)
{
    CBackdrop tiled;
    ASSERT_EQ(tiled.SetSize(64, 40, 0u), kResOk);
    auto* image = new CImage(16, 16);
    FillPattern(*image);
    ASSERT_EQ(tiled.SetBackgroundImage(image, 0), kResOk);
    ASSERT_EQ(tiled.SetBackgroundImage(image, 0), kResOk) << "the image it holds stays";
    const tCRect rect{20, 5, 50, 30};
    ASSERT_EQ(tiled.RenderRect(&rect), kResOk);
    EXPECT_EQ(tiled.GetPixelAt({20, 5}), PixelAt(*image, 4, 5));
    EXPECT_EQ(tiled.GetPixelAt({31, 5}), PixelAt(*image, 15, 5));
    EXPECT_EQ(tiled.GetPixelAt({32, 5}), PixelAt(*image, 0, 5));
    EXPECT_EQ(tiled.GetPixelAt({49, 29}), PixelAt(*image, 1, 13));
    EXPECT_EQ(tiled.GetPixelAt({19, 5}), 0u) << "outside the rect nothing was drawn";

    // An image without pixels is no image.
    ASSERT_EQ(tiled.SetBackgroundImage(new CImage(0, 16), 0), kResOk);
    ASSERT_EQ(tiled.RenderRect(&rect), kResOk);
    EXPECT_EQ(tiled.GetPixelAt({20, 5}), 0xFF303050u);
}

TEST_F(BackdropFillTest, TheGradientIsComposedOverTheImageAtItsOpacity)
{
    Render("  grad \"veil\"\n  grop 128\n", 40, 20, "grad 701 \"veil\" [#C0F08010@0 #C0F08010@1]\n");
    auto* image = new CImage(7, 3);
    FillPattern(*image);
    ASSERT_EQ(backdrop->SetBackgroundImage(image, 0), kResOk);
    ASSERT_EQ(backdrop->RenderDirtyRegion(), kResOk);
    const uint32_t veil = ScaleReference(0xC0F08010u, 128);
    for (int32_t y = 0; y < 20; y += 3)
        for (int32_t x = 0; x < 40; x += 5)
            ASSERT_EQ(backdrop->GetPixelAt({x, y}), ComposeReference(veil, PixelAt(*image, x % 7, y % 3)));
}

TEST(BackdropComposition, TwoChannelsAtATimeEqualOneAtATime)
{
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t colour = random(), below = random();
        ASSERT_EQ(ComposeOver(colour, below), ComposeReference(colour, below)) << std::hex << colour << " " << below;
    }
    for (uint32_t opacity : {0u, 1u, 127u, 200u, 255u})
        EXPECT_EQ(ScaleGradientAlpha(0xFF123456, opacity), ScaleReference(0xFF123456, opacity));
}

}  // namespace

namespace {

// Renders the backdrop in square pieces of the size and reads its pixels. Pieces of 16 pixels
// are too small for the gradient's colours to be worked out once: each pixel works out its own.
std::vector<uint32_t> RenderInPieces(CBackdrop* backdrop, int32_t width, int32_t height, int32_t size)
{
    for (int32_t y = 0; y < height; y += size)
        for (int32_t x = 0; x < width; x += size) {
            const tCRect piece{x, y, std::min(x + size, width), std::min(y + size, height)};
            EXPECT_EQ(backdrop->RenderRect(&piece), kResOk);
        }
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels.push_back(backdrop->GetPixelAt({x, y}));
    return pixels;
}

TEST_F(BackdropFillTest, WholeAreasAndSmallPiecesGiveTheSamePixels)
{
    const std::string ramp = "grad 701 \"ramp\" [#20102030@0 #C0F0A060@0.4 #FF304050@1]\n";
    const char* const geometries[] = {"  gran 0.1\n", "  gran -0.3\n", "  grac 1\n  grcx 0.3\n  grcy 0.8\n", ""};
    for (const char* geometry : geometries) {
        for (bool tiled : {false, true}) {
            Render(std::string("  grad \"ramp\"\n  grop 170\n") + geometry, 160, 120, ramp);
            if (tiled) {
                auto* image = new CImage(13, 7);
                FillPattern(*image);
                ASSERT_EQ(backdrop->SetBackgroundImage(image, 0), kResOk);
            }
            EXPECT_EQ(RenderInPieces(backdrop.get(), 160, 120, 160), RenderInPieces(backdrop.get(), 160, 120, 16))
                << geometry << (tiled ? " over an image" : "");
        }
    }
}

}  // namespace

namespace {

TEST(BackdropRadialIndices, SeveralAtATimeEqualOneAtATime)
{
    std::mt19937 random(5);
    std::uniform_int_distribution<int64_t> near(-4200, 4200), far(-(int64_t(1) << 24), int64_t(1) << 24);
    std::uniform_real_distribution<float> scale(0.0f, 40.0f);
    int32_t row[300];
    for (int round = 0; round < 2000; ++round) {
        const int64_t dx = round % 10 == 0 ? far(random) : near(random);
        const int64_t dy = round % 7 == 0 ? far(random) : near(random);
        const float factor = scale(random);
        const int32_t count = 1 + round % 300;
        RadialIndices(row, count, dx, dy, factor);
        for (int32_t i = 0; i < count; ++i)
            ASSERT_EQ(row[i], RadialIndex(dx + i, dy, factor)) << dx + i << "," << dy << " x " << factor;
    }
}

}  // namespace

namespace {

TEST(BackdropComposition, ARowAtATimeEqualsOnePixelAtATime)
{
    std::mt19937 random(9);
    std::vector<uint32_t> colours(203), row(203), expected(203);
    for (int round = 0; round < 500; ++round) {
        for (size_t i = 0; i < colours.size(); ++i) {
            colours[i] = random();
            // Alphas of 0 and 255 take their own ways.
            if (i % 5 == 0)
                colours[i] = (colours[i] & 0x00FFFFFFu) | (i % 10 == 0 ? 0u : 0xFF000000u);
            row[i] = random();
            expected[i] = ComposeReference(colours[i], row[i]);
        }
        const int32_t count = 1 + round % 203;
        ComposeRowOver(row.data(), colours.data(), count);
        for (int32_t i = 0; i < count; ++i)
            ASSERT_EQ(row[size_t(i)], expected[size_t(i)]) << std::hex << colours[size_t(i)] << " " << i;
    }
}

}  // namespace
