#include <gtest/gtest.h>

#include <cstring>

#include "toolkit/imaging/ImageFixtures.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/WidgetResources.h"

namespace {

CCoWidget* Composite(uint32_t colour)
{
    auto* widget = new CCoWidget;
    EXPECT_EQ(widget->SetColour(colour, 0), kResOk);
    EXPECT_EQ(widget->SetVisible(1, 0), kResOk);
    return widget;
}

CWidgetLayout& Layout(CWidget* widget, float x, float y, float width, float height)
{
    CWidgetLayout& layout = *widget->GetLayout();
    layout.x = x;
    layout.y = y;
    layout.width = width;
    layout.height = height;
    return layout;
}

// The children of the backdrop "every" of tests/data/widgets/every-chunk.src, made in code.
void BuildChildren(CBackdrop* backdrop)
{
    auto* loose = new CWidget;
    ASSERT_EQ(loose->SetVisible(1, 0), kResOk);
    Layout(loose, 40, 2, 12, 6);
    CCoWidget* inner = Composite(0xFF0000FF);
    Layout(inner, 0, 0, 3, 3);
    ASSERT_EQ(loose->AddChild(inner, 0), kResOk);

    CCoWidget* panel = Composite(0xC080A060);
    CWidgetLayout& panelLayout = Layout(panel, 0.125f, 8, 0.5f, 12);
    panelLayout.xRelative = 1;
    panelLayout.widthRelative = 1;
    ASSERT_EQ(panel->SetOpacity(200, 0), kResOk);
    ASSERT_EQ(panel->SetPropOpacity(0, 0), kResOk);
    CCoWidget* mark = Composite(0xFFE0E0E0);
    CWidgetLayout& markLayout = Layout(mark, 2, 2, 5, 3);
    markLayout.xFromRight = markLayout.yFromBottom = markLayout.xIsRightEdge = markLayout.yIsBottomEdge = 1;
    mark->SetOpaqueBlit(1);
    ASSERT_EQ(panel->AddChild(mark, 0), kResOk);

    auto* group = new CWidget;
    ASSERT_EQ(group->SetVisible(1, 0), kResOk);
    CWidgetLayout& groupLayout = Layout(group, 0, 0, 20, 10);
    groupLayout.widthInset = groupLayout.heightInset = groupLayout.xCentred = groupLayout.yCentred = 1;
    CCoWidget* dot = Composite(0x80FFFF00);
    Layout(dot, 0, 0, 6, 4);
    ASSERT_EQ(group->AddChild(dot, 0), kResOk);

    // The explicit 'hier' chunk comes first, then the children declared under the backdrop.
    ASSERT_EQ(backdrop->AddChild(loose, 0), kResOk);
    ASSERT_EQ(backdrop->AddChild(panel, 0), kResOk);
    ASSERT_EQ(backdrop->AddChild(group, 0), kResOk);
}

class WidgetTreeLoadTest : public WidgetLoadTest {};

TEST_F(WidgetTreeLoadTest, ALoadedTreeDrawsAsTheSameTreeMadeInCode)
{
    auto file = CompiledFile::FromBytes(ReadWholeFile(std::string(KOSTREL_TEST_DATA) + "/widgets/every-chunk.trf"));
    CBackdrop loaded, built;
    ASSERT_EQ(loaded.LoadFromResourceName(u"every", file.get(), nullptr), kResOk);
    ASSERT_EQ(built.LoadFromResourceName(u"every", file.get(), nullptr), kResOk);
    ASSERT_EQ(built.DeleteAllChildren(0), kResOk);
    BuildChildren(&built);
    EXPECT_TRUE(Boxes().empty());

    for (CBackdrop* backdrop : {&loaded, &built}) {
        ASSERT_EQ(backdrop->SetSize(80, 48, 0u), kResOk);
        ASSERT_EQ(backdrop->RenderDirtyRegion(), kResOk);
    }
    ASSERT_EQ(loaded.GetChildCount(), 3);
    EXPECT_EQ(loaded.GetChild(0)->GetName(), u"group");
    EXPECT_EQ(loaded.GetChild(2)->GetName(), u"loose");
    int differing = 0;
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 80; ++x)
            differing += loaded.GetPixelAt({x, y}) != built.GetPixelAt({x, y});
    EXPECT_EQ(differing, 0);
    // Every part of the tree shows somewhere.
    EXPECT_EQ(loaded.GetPixelAt({40, 2}), 0xFF0000FFu) << "loose.inner";
    EXPECT_EQ(loaded.GetPixelAt({44, 16}), 0xFFE0E0E0u) << "panel.mark, placed from the panel's far corner";
    EXPECT_NE(loaded.GetPixelAt({10, 2}), loaded.GetPixelAt({70, 2})) << "the angled gradient";

    EXPECT_EQ(loaded.GetUserData(0), uint32_t(-12));
    float real = 0;
    const uint32_t bits = loaded.GetUserData(7);
    std::memcpy(&real, &bits, 4);
    EXPECT_EQ(real, 2.5f);
    ASSERT_NE(loaded.GetCursorWidget(), nullptr);
    EXPECT_EQ(loaded.GetCursorWidget()->GetName(), u"Pen");
    EXPECT_EQ(loaded.GetSystemBarSetting(), 0);
}

}  // namespace
