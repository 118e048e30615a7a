#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/panels/CKS2GrainPicker.h"
#include "app/panels/PromptTestSupport.h"
#include "app/shell/controls/CKS2Control.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

// An owner that keeps a copy of every grain name it is told, while the name is still valid.
class GrainOwner : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        heard.push_back({message, a, b, c});
        if (message == kMsgGrainChosen && apply == 1)
            names.push_back(FromMsgArg<const tCString>(b)->ToAnsi());
        return kResOk;
    }
    std::vector<tHeard> heard;
    std::vector<std::string> names;
};

class GrainPickerTest : public PromptTest {
protected:
    void Open()
    {
        Start();
        picker = new CKS2GrainPicker;
        ASSERT_EQ(picker->Create(nullptr, nullptr), kResOk);
        root = picker->GetRoot();
    }
    void TearDown() override
    {
        delete picker;
        PromptTest::TearDown();
    }
    void ShowAt(tCPoint point)
    {
        ASSERT_EQ(picker->Show(1, 1, ToMsgArg(&point), 0, &owner), kResOk);
        RunFor(400);
        ASSERT_EQ(picker->IsShown(), 1u);
    }
    CWidget* Cell(uint32_t i) { return root->FindWidgetById(kWgtGrainCellFirst + i); }
    CWidget* CellButton(uint32_t i) { return Cell(i)->FindWidgetById(kWgtGrainCellButton); }
    CWidget* CloseArea() { return root->FindWidgetById(kWgtGrainPickerClose); }
    uint32_t CloseLight() { return Glow(root, CKS2GrainPicker::kCloseLight)->GetOpacity(); }

    CKS2GrainPicker* picker = nullptr;
    CWidget* root = nullptr;
    GrainOwner owner;
};

TEST_F(GrainPickerTest, EachCellShowsItsGrainUnderItsOwnNameAndLabel)
{
    Open();
    const char* names[] = {"PP_FinePaper", "PP_Watercolour", "PP_Pastel"};
    const char* labels[] = {"Fine", "Watercolour", "Pastel"};
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Cell(i)->GetName().ToAnsi(), names[i]);
        EXPECT_EQ(CellButton(i)->GetName().ToAnsi(), names[i]);
        auto* label = dynamic_cast<CTxWidget*>(Cell(i)->FindWidgetById(kWgtGrainCellLabel));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->GetText().ToAnsi(), labels[i]);
        // The grain is tiled from the image's top left: its pixel (0, 0) is the grain's (0, 0).
        auto* image = dynamic_cast<CImWidget*>(Cell(i)->FindWidgetById(kWgtGrainCellImage));
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->DecompressImage(), kResOk);
        CImage* grain = GetPooledImage(kImgGrainFirst + i, nullptr, nullptr);
        ASSERT_NE(grain, nullptr);
        CImNav shown(image->GetImage());
        CImNav source(grain);
        EXPECT_EQ(shown.Pixels(0)[0], source.Pixels(0)[0]) << i;
        EXPECT_EQ(shown.Pixels(7)[5], source.Pixels(7)[5]) << i;
        EXPECT_NE(shown.Pixels(7)[5], shown.Pixels(0)[0]) << i;
        image->CompressImage();
    }
    EXPECT_EQ(picker->GetControls().GetCount(), 3);
    // The close light keeps the close area's band only.
    const int32_t top = CloseArea()->GetRect().top;
    EXPECT_TRUE(Excluded(root, CKS2GrainPicker::kCloseLight, {10, top - 1}));
    EXPECT_FALSE(Excluded(root, CKS2GrainPicker::kCloseLight, {10, top}));
}

TEST_F(GrainPickerTest, AChoiceTellsTheOwnerExactlyTheGrainsResourceName)
{
    Open();
    for (uint32_t i = 0; i < 3; ++i) {
        backdropTarget.heard.clear();
        ShowAt({40, 30});
        EXPECT_EQ(Sounds(), std::vector<tMsgArg>{kSndPromptShown});
        ASSERT_EQ(ClickOn(CellButton(i)), kResOk);
        EXPECT_EQ(picker->IsShown(), 0u);
        RunFor(400);
    }
    EXPECT_EQ(owner.names, (std::vector<std::string>{"PP_FinePaper", "PP_Watercolour", "PP_Pastel"}));
    ASSERT_EQ(owner.heard.size(), 3u);
    EXPECT_EQ(owner.heard[0].a, ToMsgArg(picker));
    EXPECT_EQ(owner.heard[0].c, 0u);
}

TEST_F(GrainPickerTest, EscapeEnterAndTheCloseAreaTellTheOwnerNothing)
{
    Open();
    for (uint32_t key : {27u, 13u}) {
        ShowAt({40, 30});
        backdropTarget.heard.clear();
        EXPECT_EQ(Key(key), kResOk);
        EXPECT_EQ(picker->IsShown(), 0u) << key;
        EXPECT_EQ(Sounds(), std::vector<tMsgArg>{}) << key;
        RunFor(400);
    }
    ShowAt({40, 30});
    backdropTarget.heard.clear();
    ASSERT_EQ(ClickOn(CloseArea()), kResOk);
    EXPECT_EQ(picker->IsShown(), 0u);
    EXPECT_EQ(Sounds(), std::vector<tMsgArg>{kSndButtonReleased});
    EXPECT_TRUE(owner.heard.empty());
}

TEST_F(GrainPickerTest, APressOnTheCloseAreaReleasedOutsideKeepsThePickerOpenAndSilent)
{
    Open();
    ShowAt({40, 30});
    backdropTarget.heard.clear();
    ASSERT_EQ(Click(CloseArea(), ScreenOf(root, {root->GetWidth() / 2, 30})), kResOk);
    EXPECT_EQ(picker->IsShown(), 1u);
    EXPECT_EQ(Sounds(), std::vector<tMsgArg>{});
    // A grain pressed and released outside its cell is no choice either.
    ASSERT_EQ(Click(CellButton(0), ScreenOf(CloseArea(), {4, 4})), kResOk);
    EXPECT_EQ(picker->IsShown(), 1u);
    EXPECT_TRUE(owner.heard.empty());
}

TEST_F(GrainPickerTest, TheShowPlacesThePickerAndASecondShowDoesNothing)
{
    Open();
    ShowAt({40, 30});
    EXPECT_EQ(root->GetRect().left, 40);
    EXPECT_EQ(root->GetRect().top, 30);
    GrainOwner other;
    const tCPoint elsewhere{200, 100};
    backdropTarget.heard.clear();
    ASSERT_EQ(picker->Show(1, 1, ToMsgArg(&elsewhere), 0, &other), kResOk);
    EXPECT_EQ(root->GetRect().left, 40);
    EXPECT_EQ(Sounds(), std::vector<tMsgArg>{});
    ASSERT_EQ(ClickOn(CellButton(2)), kResOk);
    EXPECT_EQ(owner.names, std::vector<std::string>{"PP_Pastel"});
    EXPECT_TRUE(other.heard.empty());
    RunFor(400);
    // A point that would put the picker past the window's corner keeps it inside.
    ShowAt({990, 690});
    EXPECT_EQ(root->GetRect().right, 1000);
    EXPECT_EQ(root->GetRect().bottom, 700);
}

TEST_F(GrainPickerTest, TheCloseLightRisesFasterThanItFalls)
{
    Open();
    ShowAt({40, 30});
    EXPECT_EQ(CloseLight(), 0u);
    PointAt(CloseArea(), {20, 10});
    RunFor(150);
    const uint32_t rising = CloseLight();
    EXPECT_GT(rising, 20u);
    EXPECT_LT(rising, 80u);
    RunFor(150);
    EXPECT_EQ(CloseLight(), 80u);
    PointAt(root, {20, 20});
    RunFor(150);
    // 150 ms of falling leaves more than 150 ms of rising had reached from the other end.
    EXPECT_GT(CloseLight(), 80u - rising);
    RunFor(250);
    EXPECT_EQ(CloseLight(), 0u);
    // The next showing starts dark.
    PointAt(CloseArea(), {20, 10});
    RunFor(100);
    ASSERT_EQ(Key(27), kResOk);
    RunFor(400);
    ShowAt({40, 30});
    PointAt(root, {20, 20});
    EXPECT_EQ(CloseLight(), 0u);
}

TEST_F(GrainPickerTest, AGrainWhoseImageCannotBeHadIsNotOffered)
{
    Start();
    // The pool answers no 32-bit image for an id it holds as another kind.
    auto* other = new CImage8(4, 4);
    other->SetId(kImgGrainFirst + 1);
    ASSERT_EQ(GetApplication()->AddResourceToPool(kImagePool, other), kResOk);
    picker = new CKS2GrainPicker;
    ASSERT_EQ(picker->Create(nullptr, nullptr), kResOk);
    root = picker->GetRoot();
    EXPECT_TRUE(Cell(0)->IsVisible());
    EXPECT_FALSE(Cell(1)->IsVisible());
    EXPECT_TRUE(Cell(2)->IsVisible());
    EXPECT_EQ(picker->GetControls().GetCount(), 2);
    ShowAt({40, 30});
    ASSERT_EQ(ClickOn(CellButton(2)), kResOk);
    EXPECT_EQ(owner.names, std::vector<std::string>{"PP_Pastel"});
}

}  // namespace
