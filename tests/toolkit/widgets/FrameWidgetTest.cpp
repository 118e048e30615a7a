#include <gtest/gtest.h>

#include "toolkit/widgets/CFrameWidget.h"
#include "toolkit/widgets/EffectTestSupport.h"
#include "toolkit/widgets/WidgetFactory.h"
#include "toolkit/widgets/WidgetResources.h"

namespace {

constexpr CPixel kFill = 0xFF204060;
constexpr CPixel kFrame = 0xFFFFFF00;

struct Frame {
    Frame()
    {
        widget = new CFrameWidget;
        EXPECT_EQ(widget->SetColour(kFill, 0), kResOk);
        EXPECT_EQ(widget->SetFrameColour(kFrame, 0), kResOk);
        EXPECT_EQ(Place(&root, widget, {10, 10, 30, 20}), kResOk);
    }
    // The widget drawn whole at an opacity over a canvas of one colour.
    CPixel Drawn(int32_t x, int32_t y, uint32_t opacity = 255)
    {
        EffectCanvas canvas(20, 10, {0, 0}, 0xFF000000);
        const tCRect all{0, 0, 20, 10};
        EXPECT_EQ(widget->Draw(&all, &canvas.image, opacity), kResOk);
        return canvas.At(x, y);
    }
    TestRoot root{100, 100};
    CFrameWidget* widget;
};

TEST(FrameWidget, ARectAddedThenRemovedRestoresTheFill)
{
    Frame f;
    EXPECT_EQ(f.Drawn(5, 5), kFill);
    const tCRect bar{2, 3, 8, 6};
    f.root.ClearRecords();
    ASSERT_EQ(f.widget->AddFrameRect(&bar, 0), kResOk);
    EXPECT_EQ(f.root.invalidated, (std::vector<tCRect>{{12, 13, 18, 16}})) << "the rect, in the root";
    EXPECT_EQ(f.Drawn(5, 5), kFrame);
    EXPECT_EQ(f.Drawn(8, 5), kFill);
    ASSERT_EQ(f.widget->RemoveFrameRect(&bar, 0), kResOk);
    EXPECT_EQ(f.Drawn(5, 5), kFill);
    EXPECT_TRUE(f.widget->GetFrameRegion().IsEmpty());
}

TEST(FrameWidget, ResizingDropsTheFramesOrKeepsThemCutFromTheFill)
{
    Frame f;
    const tCRect bar{0, 0, 4, 4};
    ASSERT_EQ(f.widget->AddFrameRect(&bar, 0), kResOk);
    ASSERT_EQ(f.widget->SetSize(18, 10, 0), kResOk);
    EXPECT_TRUE(f.widget->GetFrameRegion().IsEmpty());
    EXPECT_EQ(f.Drawn(1, 1), kFill);
    EXPECT_EQ(f.widget->GetFillRegion().GetBounds(), (tCRect{0, 0, 18, 10}));

    EXPECT_EQ(f.widget->SetClearOnResize(0), 0u);
    ASSERT_EQ(f.widget->AddFrameRect(&bar, 0), kResOk);
    ASSERT_EQ(f.widget->SetSize(20, 10, 0), kResOk);
    EXPECT_EQ(f.Drawn(1, 1), kFrame);
    EXPECT_EQ(f.Drawn(19, 1), kFill);
    ASSERT_EQ(f.widget->ClearFrames(0), kResOk);
    EXPECT_EQ(f.Drawn(1, 1), kFill);
}

TEST(FrameWidget, ColoursAreScaledByTheOpacityOrMadeOpaque)
{
    Frame f;
    ASSERT_EQ(f.widget->SetColour(0x80204060, 0), kResOk);
    const tCRect bar{0, 0, 2, 2};
    ASSERT_EQ(f.widget->AddFrameRect(&bar, 0), kResOk);
    // Alpha ((127 + 1) x 0x802040) >> 24 = 64 over black.
    EXPECT_EQ(f.Drawn(5, 5, 127), OverReference(0xFF000000, 64, 0x40204060));
    EXPECT_EQ(f.Drawn(0, 0, 127), OverReference(0xFF000000, 127, 0x7FFFFF00));
    EXPECT_EQ(f.Drawn(5, 5, 0), 0xFF000000u);
    f.widget->SetOpaqueBlit(1);
    EXPECT_EQ(f.Drawn(5, 5, 127), 0xFF204060u);
}

class FrameLoadTest : public WidgetLoadTest {};

TEST_F(FrameLoadTest, TheFrameColourComesFromItsChunk)
{
    CompiledFile file("fmwg 1 \"frame\"\n  frcl #FF010203\n  colr #FF040506\n");
    CWidget* widget = CreateWidgetByResourceName(u"frame", &file);
    auto* frame = dynamic_cast<CFrameWidget*>(widget);
    ASSERT_NE(frame, nullptr);
    uint32_t colour = 0;
    EXPECT_EQ(*frame->GetFrameColour(&colour), 0xFF010203u);
    delete widget;
    using namespace handmade;
    auto cut = CompiledFile::FromBytes(Widget("fmwg", 1, u"cut", ChunkU32("vsbl", 1) + Tag("frcl") + "\x01"));
    CFrameWidget loaded;
    EXPECT_EQ(loaded.LoadFromResourceName(u"cut", cut.get(), nullptr), kResFileIO);
    const std::vector<std::string> boxes = Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.front(), BoxText(kResResourceRead, "FrameWidget frcl."));
}

}  // namespace
