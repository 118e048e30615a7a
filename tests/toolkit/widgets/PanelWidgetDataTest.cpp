#include <gtest/gtest.h>

#include <set>

#include "resources/DamagedCopies.h"
#include "toolkit/widgets/CFrameWidget.h"
#include "toolkit/widgets/CRoRectWidget.h"
#include "toolkit/widgets/CShadWidget.h"
#include "toolkit/widgets/LoadEveryWidget.h"
#include "toolkit/widgets/WidgetResources.h"

namespace {

std::string PanelFile()
{
    return ReadWholeFile(std::string(KOSTREL_TEST_DATA) + "/widgets/every-panel.trf");
}

class PanelWidgetDataTest : public WidgetLoadTest {};

TEST_F(PanelWidgetDataTest, TheStoredFileBuildsItsPanelsWithEveryChunkApplied)
{
    auto file = CompiledFile::FromBytes(PanelFile());
    CWidget* panels = CreateWidgetByResourceName(u"panels", file.get());
    ASSERT_NE(panels, nullptr);
    auto* round = dynamic_cast<CRoRectWidget*>(panels->FindWidgetByName(u"panels.round"));
    auto* frame = dynamic_cast<CFrameWidget*>(panels->FindWidgetByName(u"panels.frame"));
    auto* strip = dynamic_cast<CShadWidget*>(panels->FindWidgetByName(u"panels.strip"));
    ASSERT_NE(round, nullptr);
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(round->GetCornerRadius(), 12.5f);
    EXPECT_EQ(round->GetBorderWidth(), 1.5f);
    EXPECT_EQ(round->GetTopBarHeight(), 20.0f);
    EXPECT_EQ(round->GetCornerMask(), 3u);
    EXPECT_NE(round->GetBackEffect(0), nullptr) << "the shadow below it";
    uint32_t colour = 0;
    EXPECT_EQ(*frame->GetFrameColour(&colour), 0xFFFFC000u);
    EXPECT_EQ(strip->GetSides(), CShadWidget::kBottom | CShadWidget::kLeft);
    EXPECT_EQ(strip->GetFalloff(), 2.5f);
    EXPECT_EQ(strip->GetRect(), (tCRect{10, 92, 130, 100}));
    EXPECT_TRUE(Boxes().empty());
    delete panels;
}

TEST_F(PanelWidgetDataTest, TruncatedAndCorruptedPanelFilesAnswerACode)
{
    static const std::set<tResult> codes = {kResOk,          kResFailure,     kResHandled,          kResNoMemory,
                                            kResBadParam,    kResFileIO,      kResFileInvalid,      kResResourceNotFound,
                                            kResResourceRead, kResCreateFailed};
    const std::string whole = PanelFile();
    ASSERT_FALSE(whole.empty());
    ForEachDamagedCopy(whole, 29, 200, [](const std::string& bytes) {
        auto file = CompiledFile::FromBytes(bytes);
        LoadEveryWidget(file.get(), SIZE_MAX, [](tResult loaded) { EXPECT_TRUE(codes.count(loaded)) << loaded; });
        w32::headless::TakeMessageBoxes();
    });
}

}  // namespace
