#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "toolkit/widgets/CShadWidget.h"
#include "toolkit/widgets/EffectTestSupport.h"
#include "toolkit/widgets/WidgetFactory.h"
#include "toolkit/widgets/WidgetResources.h"

namespace {

float G(double x)
{
    return float(std::exp(-x * x / 2));
}

struct Strip {
    Strip(int32_t width, int32_t height)
    {
        widget = new CShadWidget;
        EXPECT_EQ(Place(&root, widget, {0, 0, width, height}), kResOk);
    }
    TestRoot root{100, 100};
    CShadWidget* widget;
};

TEST(ShadWidget, TheDefaultFadesTowardsTheBottomOverTheWholeHeight)
{
    Strip s(5, 8);
    EXPECT_EQ(s.widget->GetSides(), CShadWidget::kBottom);
    EXPECT_EQ(s.widget->GetFalloff(), -1.0f);
    ASSERT_EQ(s.widget->BuildFalloffTables(), kResOk);
    const auto& rows = s.widget->GetRowFactors();
    ASSERT_EQ(rows.GetCount(), 8);
    for (int32_t i = 0; i < 8; ++i)
        EXPECT_NEAR(rows[i], G(0.5 * i), 1e-6) << i;
    ASSERT_EQ(s.widget->GetColumnFactors().GetCount(), 5);
    for (float f : s.widget->GetColumnFactors())
        EXPECT_EQ(f, 1.0f);
}

TEST(ShadWidget, AFalloffOfTwoOnBothSidesFadesSevenColumnsEachWay)
{
    Strip s(20, 3);
    ASSERT_EQ(s.widget->SetSides(CShadWidget::kLeft | CShadWidget::kRight, 0), kResOk);
    ASSERT_EQ(s.widget->SetFalloff(2.0f, 0), kResOk);
    ASSERT_EQ(s.widget->BuildFalloffTables(), kResOk);
    const auto& columns = s.widget->GetColumnFactors();
    for (int32_t i = 0; i < 7; ++i) {
        EXPECT_NEAR(columns[6 - i], G(0.5 * i), 1e-6) << i;
        EXPECT_NEAR(columns[13 + i], G(0.5 * i), 1e-6) << i;
    }
    for (int32_t x = 7; x <= 12; ++x)
        EXPECT_EQ(columns[x], 1.0f) << x;
    for (float f : s.widget->GetRowFactors())
        EXPECT_EQ(f, 1.0f);

    // One side only: the far side fades over its last seven entries, the first side over its first.
    ASSERT_EQ(s.widget->RemoveSides(CShadWidget::kLeft, 0), kResOk);
    ASSERT_EQ(s.widget->BuildFalloffTables(), kResOk);
    EXPECT_EQ(columns[12], 1.0f);
    EXPECT_NEAR(columns[19], G(3.0), 1e-6);
    ASSERT_EQ(s.widget->SetSides(CShadWidget::kLeft, 0), kResOk);
    ASSERT_EQ(s.widget->BuildFalloffTables(), kResOk);
    EXPECT_NEAR(columns[0], G(3.0), 1e-6);
    EXPECT_EQ(columns[7], 1.0f);
    // Over the whole axis from both sides: 1.0 in the middle, g(3.5) at both ends.
    ASSERT_EQ(s.widget->SetSides(CShadWidget::kTop | CShadWidget::kBottom, 0), kResOk);
    ASSERT_EQ(s.widget->SetFalloff(-1.0f, 0), kResOk);
    ASSERT_EQ(s.widget->BuildFalloffTables(), kResOk);
    const auto& rows = s.widget->GetRowFactors();
    EXPECT_NEAR(rows[0], G(3.5), 1e-6);
    EXPECT_NEAR(rows[1], 1.0f, 1e-6);
    EXPECT_NEAR(rows[2], G(3.5), 1e-6);
}

TEST(ShadWidget, OnePixelAndHugeFalloffsGiveFiniteFactors)
{
    Strip s(1, 1);
    ASSERT_EQ(s.widget->SetSides(15, 0), kResOk);
    ASSERT_EQ(s.widget->BuildFalloffTables(), kResOk);
    EXPECT_EQ(s.widget->GetRowFactors()[0], 1.0f);
    EXPECT_EQ(s.widget->GetColumnFactors()[0], 1.0f);
    for (const float falloff : {1e30f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        ASSERT_EQ(s.widget->SetSize(9, 4, 0), kResOk);
        ASSERT_EQ(s.widget->SetFalloff(falloff, 0), kResOk);
        ASSERT_EQ(s.widget->BuildFalloffTables(), kResOk);
        for (float f : s.widget->GetColumnFactors())
            EXPECT_TRUE(std::isfinite(f) && f >= 0 && f <= 1) << falloff;
        for (float f : s.widget->GetRowFactors())
            EXPECT_TRUE(std::isfinite(f) && f >= 0 && f <= 1) << falloff;
    }
}

TEST(ShadWidget, EachPixelBlendsTheColourAtColumnTimesRowTimesOpacity)
{
    Strip s(3, 8);
    ASSERT_EQ(s.widget->SetColour(0x20FF8000, 0), kResOk);
    EffectCanvas canvas(5, 8, {0, 0}, 0xFF0000FF);
    const tCRect all{0, 0, 3, 8};
    ASSERT_EQ(s.widget->Draw(&all, &canvas.image, 200), kResOk);
    for (int32_t y = 0; y < 8; ++y) {
        // The colour's own alpha plays no part.
        const uint32_t a = uint32_t(std::lround(1.0f * (G(0.5 * y) * 200.0f)));
        EXPECT_EQ(canvas.At(1, y), OverReference(0xFF0000FF, a, 0x00FF8000 | a << 24)) << y;
        EXPECT_EQ(canvas.At(3, y), 0xFF0000FFu) << "beyond the clip";
    }
    EffectCanvas untouched(3, 8, {0, 0}, 0xFF0000FF);
    ASSERT_EQ(s.widget->Draw(&all, &untouched.image, 0), kResOk);
    EXPECT_EQ(untouched.At(1, 0), 0xFF0000FFu);
}

class ShadLoadTest : public WidgetLoadTest {};

TEST_F(ShadLoadTest, ChunksSetTheSidesAndTheFalloff)
{
    CompiledFile file(R"(shwg 1 "shade"
  swst 1
  swsb 0
  swsl 1
  swsr 2
  swrd 1.5
  xsiz 10
  ysiz 10
)");
    CWidget* widget = CreateWidgetByResourceName(u"shade", &file);
    auto* shade = dynamic_cast<CShadWidget*>(widget);
    ASSERT_NE(shade, nullptr);
    EXPECT_EQ(shade->GetSides(), CShadWidget::kTop | CShadWidget::kLeft);
    EXPECT_EQ(shade->GetFalloff(), 1.5f);
    uint32_t colour = 0;
    EXPECT_EQ(*shade->GetColour(&colour), 0xFF000000u);
    delete widget;
    using namespace handmade;
    for (const char* tag : {"swst", "swsb", "swsl", "swsr", "swrd"}) {
        auto cut = CompiledFile::FromBytes(Widget("shwg", 1, u"cut", ChunkU32("vsbl", 1) + Tag(tag) + "\x01"));
        CShadWidget loaded;
        EXPECT_EQ(loaded.LoadFromResourceName(u"cut", cut.get(), nullptr), kResFileIO) << tag;
        const std::vector<std::string> boxes = Boxes();
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.front(), BoxText(kResResourceRead, std::string("ShadWidget ") + tag + "."));
    }
}

}  // namespace
