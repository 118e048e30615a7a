#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "toolkit/widgets/CRoRectWidget.h"
#include "toolkit/widgets/EffectTestSupport.h"
#include "toolkit/widgets/WidgetFactory.h"
#include "toolkit/widgets/WidgetResources.h"

namespace {

constexpr CPixel kRectFill = 0xFF336699;
constexpr CPixel kBorder = 0xFF000000;
// The fill-to-border cross-fade at k = 128, channel by channel: c + floor((0 - c) x 32897 / 65536).
constexpr CPixel kHalfway = 0xFF19324C;

struct RoRect {
    RoRect(int32_t width, int32_t height)
    {
        widget = new CRoRectWidget;
        EXPECT_EQ(widget->SetFillColour(kRectFill, 0, 0), kResOk);
        EXPECT_EQ(Place(&root, widget, {0, 0, width, height}), kResOk);
    }
    CPixel At(int32_t x, int32_t y)
    {
        EXPECT_EQ(widget->DecompressImage(), kResOk);
        return PixelAt(*widget->GetImage(), x, y);
    }
    TestRoot root{300, 300};
    CRoRectWidget* widget;
};

TEST(RoRectWidget, TheDefaultsRoundAllFourCornersWithRadiusTwenty)
{
    RoRect r(100, 40);
    EXPECT_TRUE(r.widget->IsImageCompressed()) << "kept run-length packed";
    // Distance from the corner centre of the pixel's corner square, as the mirrored corners see it.
    for (int32_t y = 0; y < 40; ++y) {
        for (int32_t x = 0; x < 100; ++x) {
            const int32_t i = std::min(x, 99 - x), j = std::min(y, 39 - y);
            const double d = std::hypot(std::max(0, 20 - i), std::max(0, 20 - j));
            if (i <= 20 && j <= 20 && d > 21) {
                ASSERT_EQ(r.At(x, y), 0u) << x << "," << y;
            } else if (d <= 20) {
                ASSERT_EQ(r.At(x, y), kRectFill) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(r.At(0, 0), 0u);
    EXPECT_EQ(r.At(5, 5), 0u) << "d^2 = 450 > 21^2";
    EXPECT_EQ(r.At(6, 6), kRectFill) << "d^2 = 392";
    // d^2 = 401: k = round((21 - 20.025) x 255) = 249, alpha = (250 x 0xFF3366) >> 24 = 249.
    EXPECT_EQ(r.At(19, 0), 0xF9336699u);
    EXPECT_EQ(r.At(0, 20), 0xF9336699u) << "the same corner pixel mirrored across the diagonal";
    // d^2 = 421: k = round((21 - 20.5183) x 255) = 123, alpha = (124 x 0xFF3366) >> 24 = 123.
    for (const tCPoint p : {tCPoint{6, 5}, tCPoint{93, 5}, tCPoint{6, 34}, tCPoint{93, 34}})
        EXPECT_EQ(r.At(p.x, p.y), 0x7B336699u) << p.x << "," << p.y;
}

TEST(RoRectWidget, CornerMaskThreeLeavesTheBottomCornersSquare)
{
    RoRect r(100, 40);
    ASSERT_EQ(r.widget->SetCornerMask(3, 1, 0), kResOk);
    EXPECT_EQ(r.At(0, 0), 0u);
    EXPECT_EQ(r.At(99, 0), 0u);
    EXPECT_EQ(r.At(0, 39), kRectFill);
    EXPECT_EQ(r.At(99, 39), kRectFill);
    EXPECT_EQ(r.At(6, 34), kRectFill);
    ASSERT_EQ(r.widget->ClearCorners(1, 1, 0), kResOk);
    EXPECT_EQ(r.widget->GetCornerMask(), 2u);
    EXPECT_EQ(r.At(0, 0), kRectFill);
    ASSERT_EQ(r.widget->SetCorners(8, 1, 0), kResOk);
    EXPECT_EQ(r.widget->GetCornerMask(), 10u);
    EXPECT_EQ(r.At(99, 39), 0u);
    EXPECT_EQ(r.At(0, 39), kRectFill);
}

TEST(RoRectWidget, AFractionalBorderEndsInTheHalfwayBlend)
{
    RoRect r(100, 100);
    ASSERT_EQ(r.widget->SetBorderColour(kBorder, 0, 0), kResOk);
    ASSERT_EQ(r.widget->SetBorderWidth(2.5f, 1, 0), kResOk);
    for (const int32_t edge : {0, 1, 98, 99}) {
        EXPECT_EQ(r.At(50, edge), kBorder) << "row " << edge;
        EXPECT_EQ(r.At(edge, 50), kBorder) << "column " << edge;
    }
    for (const int32_t edge : {2, 97}) {
        EXPECT_EQ(r.At(50, edge), kHalfway) << "row " << edge;
        EXPECT_EQ(r.At(edge, 50), kHalfway) << "column " << edge;
    }
    EXPECT_EQ(r.At(50, 3), kRectFill);
    EXPECT_EQ(r.At(96, 50), kRectFill);
    // Deep in a rounded corner the border ring lies along the arc: r = 20, q = 18.5, p = 17.5.
    EXPECT_EQ(r.At(6, 6), kBorder) << "d = 19.8, beyond q";
    EXPECT_EQ(r.At(10, 10), kRectFill) << "d = 14.1, inside p";
    // d = 18.385 in the ring: weight 255 - round(0.885 x 255) = 29 from the border to the fill,
    // each channel floor(c x 7454 / 65536).
    EXPECT_EQ(r.At(7, 7), 0xFF050B11u);
}

TEST(RoRectWidget, RadiusZeroIsAPlainRectangle)
{
    RoRect r(30, 20);
    ASSERT_EQ(r.widget->SetCornerRadius(0, 1, 0), kResOk);
    ASSERT_EQ(r.widget->DecompressImage(), kResOk);
    EXPECT_EQ(CountPixels(*r.widget->GetImage(), kRectFill), 600);
    ASSERT_EQ(r.widget->SetCornerRadius(std::numeric_limits<float>::quiet_NaN(), 1, 0), kResOk);
    ASSERT_EQ(r.widget->DecompressImage(), kResOk);
    EXPECT_EQ(CountPixels(*r.widget->GetImage(), kRectFill), 600) << "a radius that is not a number is none";
}

TEST(RoRectWidget, ATopBarPaintsItsRowsInTheBorderColourInsideTheCornersToo)
{
    RoRect r(100, 60);
    ASSERT_EQ(r.widget->SetBorderColour(0xFF802010, 0, 0), kResOk);
    ASSERT_EQ(r.widget->SetBorderWidth(1, 0, 0), kResOk);
    ASSERT_EQ(r.widget->SetTopBarHeight(24, 1, 0), kResOk);
    int shown = 0;
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 100; ++x) {
            const CPixel p = r.At(x, y);
            if (p >> 24) {
                ++shown;
                ASSERT_EQ(p & 0xFFFFFF, 0x802010u) << x << "," << y;
            }
        }
    EXPECT_GT(shown, 2200);
    EXPECT_EQ(r.At(10, 10), 0xFF802010) << "inside the rounded corner";
    EXPECT_EQ(r.At(50, 24), kRectFill);
    EXPECT_EQ(r.At(50, 59), 0xFF802010) << "the bottom border";
    EXPECT_EQ(r.At(0, 30), 0xFF802010) << "the side border";
}

TEST(RoRectWidget, SizesFromDataThatDoNotFitWriteNothingOutside)
{
    RoRect r(100, 40);
    ASSERT_EQ(r.widget->SetBorderWidth(60, 1, 0), kResOk);
    EXPECT_EQ(r.At(50, 20), kBorder) << "the border covers everything";
    ASSERT_EQ(r.widget->SetCornerRadius(1e9f, 1, 0), kResOk);
    EXPECT_EQ(r.At(0, 0), 0u);
    EXPECT_EQ(r.At(50, 20), kBorder);
    ASSERT_EQ(r.widget->SetBorderWidth(std::numeric_limits<float>::quiet_NaN(), 0, 0), kResOk);
    ASSERT_EQ(r.widget->SetTopBarHeight(-1e30f, 0, 0), kResOk);
    ASSERT_EQ(r.widget->SetCornerRadius(std::numeric_limits<float>::infinity(), 1, 0), kResOk);
    EXPECT_EQ(r.At(50, 20), kRectFill);
    ASSERT_EQ(r.widget->SetTopBarHeight(1e30f, 1, 0), kResOk);
    ASSERT_EQ(r.widget->SetSize(1, 1, 0), kResOk);
    ASSERT_EQ(r.widget->SetSize(2, 3, 0), kResOk);
    EXPECT_EQ(r.widget->GetImage()->GetWidth(), 2);
}

TEST(RoRectWidget, SettersWithoutRebuildKeepThePictureAndPicturesCannotBeSet)
{
    RoRect r(40, 40);
    CImage* before = r.widget->GetImage();
    ASSERT_EQ(r.widget->SetCornerRadius(0, 0, 0), kResOk);
    EXPECT_EQ(r.widget->GetCornerRadius(), 0.0f);
    EXPECT_EQ(r.widget->GetImage(), before);
    EXPECT_EQ(r.At(0, 0), 0u) << "not rebuilt yet";
    CImage other(5, 5);
    EXPECT_EQ(r.widget->SetImage(&other, 1, 0), kResOk);
    EXPECT_EQ(r.widget->GetImage(), before);
    EXPECT_EQ(r.widget->GetWidth(), 40);
    uint32_t colour = 0;
    EXPECT_EQ(*r.widget->GetBorderColour(&colour), 0xFF000000u);
    r.root.ClearRecords();
    ASSERT_EQ(r.widget->SetFillColour(0xFF00FF00, 1, 1), kResOk);
    EXPECT_EQ(r.At(0, 0), 0xFF00FF00u);
    EXPECT_EQ(r.root.presents, 1);
    EXPECT_FALSE(r.root.invalidated.empty());
}

class RoRectLoadTest : public WidgetLoadTest {};

TEST_F(RoRectLoadTest, ChunksSetTheShapeAndTheFactoryMakesTheWidget)
{
    CompiledFile file(R"(cowg 1 "holder"
  vsbl 1
  xsiz 100
  ysiz 50
  hier ["panel" rrwg]
rrwg 2 "panel"
  colr #FF336699
  xsiz 60
  ysiz 30
  rrad 5.5
  rbwd 1.5
  rtbh 8
  rbcl #FF102030
  rctl 0
  rcbr 0
  rctr 1
  vsbl 1
)");
    CWidget* holder = CreateWidgetByResourceName(u"holder", &file);
    ASSERT_NE(holder, nullptr);
    auto* panel = dynamic_cast<CRoRectWidget*>(holder->FindWidgetByName(u"panel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetCornerRadius(), 5.5f);
    EXPECT_EQ(panel->GetBorderWidth(), 1.5f);
    EXPECT_EQ(panel->GetTopBarHeight(), 8.0f);
    uint32_t border = 0;
    EXPECT_EQ(*panel->GetBorderColour(&border), 0xFF102030u);
    EXPECT_EQ(panel->GetCornerMask(), 6u);
    ASSERT_NE(panel->GetImage(), nullptr);
    ASSERT_EQ(panel->DecompressImage(), kResOk);
    EXPECT_EQ(PixelAt(*panel->GetImage(), 0, 0), 0xFF102030u) << "the top-left corner is square";
    EXPECT_EQ(PixelAt(*panel->GetImage(), 59, 0), 0u) << "the top-right corner is round";
    EXPECT_EQ(PixelAt(*panel->GetImage(), 30, 15), 0xFF336699u);
    EXPECT_TRUE(Boxes().empty());
    delete holder;
}

TEST_F(RoRectLoadTest, AChunkCutShortNamesItselfAndPictureChunksAreRefused)
{
    using namespace handmade;
    for (const char* tag : {"rrad", "rbwd", "rtbh", "rbcl", "rctl", "rctr", "rcbl", "rcbr"}) {
        auto file = CompiledFile::FromBytes(Widget("rrwg", 1, u"cut", ChunkU32("vsbl", 1) + Tag(tag) + "\x01\x00"));
        CRoRectWidget widget;
        EXPECT_EQ(widget.LoadFromResourceName(u"cut", file.get(), nullptr), kResFileIO) << tag;
        const std::vector<std::string> boxes = Boxes();
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.front(), BoxText(kResResourceRead, std::string("RoRectWidget ") + tag + "."));
    }
    auto file = CompiledFile::FromBytes(Widget("rrwg", 1, u"pic", ChunkU32("imsh", 1)));
    CRoRectWidget widget;
    EXPECT_NE(widget.LoadFromResourceName(u"pic", file.get(), nullptr), kResOk);
    EXPECT_FALSE(Boxes().empty());
}

}  // namespace
