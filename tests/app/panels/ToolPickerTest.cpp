#include <gtest/gtest.h>

#include <vector>

#include "app/shell/panes/IPaneHost.h"
#include "app/panels/CKS2ToolPicker.h"
#include "app/panels/ToolPaneTestSupport.h"
#include "app/shell/CKS2CursorManager.h"
#include "app/shell/controls/CKS2Button.h"
#include "toolkit/core/CAppWin.h"
#include "toolkit/text/CTxWidget.h"

namespace {

class ToolPickerTest : public ToolPaneTest {
protected:
    void Open()
    {
        StartPanes();
        tools.properties = {{kPropertyPressure, 0}};
        picker = new CKS2ToolPicker;
        ASSERT_EQ(picker->Create(nullptr, nullptr), kResOk) << ::testing::PrintToString(Boxes());
        ASSERT_EQ(picker->GetButtons().GetCount(), 14);
        preview = picker->GetPreviewWidget();
        ASSERT_NE(preview, nullptr);
    }
    void TearDown() override
    {
        delete picker;
        ToolPaneTest::TearDown();
    }
    CKS2Button* Place(int32_t index) { return picker->GetButtons()[index]; }
    CKS2Button* SizeUp() { return picker->GetButtons()[12]; }
    CKS2Button* SizeDown() { return picker->GetButtons()[13]; }
    std::string Label() { return picker->GetSizeLabel()->GetText().ToAnsi(); }
    void Confirm(int32_t toolId) { Echo(picker, kMsgPickTool, tMsgArg(intptr_t(toolId))); }
    // The places whose button is lit for the current tool.
    std::vector<int32_t> Lit()
    {
        std::vector<int32_t> lit;
        for (int32_t i = 0; i < picker->GetButtons().GetCount(); ++i)
            if (Place(i)->GetHighlightState() == CKS2Control::kHighlightOn)
                lit.push_back(i);
        return lit;
    }
    // Drags across the preview from its centre through the given offsets, one a pass.
    void DragPreview(const std::vector<int32_t>& offsets)
    {
        const tCPoint centre{preview->GetWidth() / 2, preview->GetHeight() / 2};
        Hold(preview, centre, [&](int pass) {
            if (pass > int(offsets.size()))
                return false;
            const tCPoint at = ScreenOf(preview, {centre.x + offsets[size_t(pass - 1)], centre.y});
            w32::headless::MoveMouse(at.x, at.y);
            return true;
        });
    }
    std::vector<float> SentSizes() const
    {
        std::vector<float> sent;
        for (const auto& [pass, size] : tools.sizes)
            sent.push_back(size);
        return sent;
    }

    CKS2ToolPicker* picker = nullptr;
    CWidget* preview = nullptr;
};

TEST(ToolPickerMapsTest, EightPlacesHoldATool)
{
    const int32_t tools[] = {4900, 4901, 4905, -1, 4903, -1, -1, -1, 4909, 4904, 4902, 4906};
    for (int32_t index = 0; index < 12; ++index) {
        EXPECT_EQ(CKS2ToolPicker::ToolIdForButton(index), tools[index]) << index;
        if (tools[index] != -1) {
            EXPECT_EQ(CKS2ToolPicker::ButtonForToolId(tools[index]), index);
        }
    }
    EXPECT_EQ(CKS2ToolPicker::ToolIdForButton(-1), -1);
    EXPECT_EQ(CKS2ToolPicker::ToolIdForButton(12), -1);
    for (int32_t id : {4907, 4908, 4910, 4911, 4912, 4913, 4914, 4915, 0, -1})
        EXPECT_EQ(CKS2ToolPicker::ButtonForToolId(id), -1) << id;
}

TEST_F(ToolPickerTest, AClickAsksForTheToolAndOnlyTheConfirmationMovesTheHighlight)
{
    Open();
    Confirm(kToolOilBrush);
    EXPECT_EQ(Lit(), std::vector<int32_t>{0});
    ClickOn(Place(1)->GetWidget());
    EXPECT_EQ(tools.picks, std::vector<int32_t>{kToolPencil});
    EXPECT_EQ(Lit(), std::vector<int32_t>{0});
    Confirm(kToolPencil);
    EXPECT_EQ(Lit(), std::vector<int32_t>{1});
    // A refused pick leaves the picker as it was.
    tools.answers[kMsgPickTool] = kResCreateFailed;
    EXPECT_EQ(picker->OnMessage(kMsgControlClicked, ToMsgArg(Place(10)), 0, 0, kMsgApply), kResCreateFailed);
    EXPECT_EQ(Lit(), std::vector<int32_t>{1});
    // The tube has no button: nothing is lit.
    Confirm(kToolPaintTube);
    EXPECT_EQ(Lit(), std::vector<int32_t>{});
}

TEST_F(ToolPickerTest, APressOnThePickersGroundStopsThereInsteadOfPainting)
{
    Open();
    CWidget* root = picker->GetRoot();
    // The panel's right margin, beside the tool buttons.
    tCPoint point{root->GetWidth() - 4, root->GetHeight() / 2};
    root->LocalToRootPoint(&point);
    CWidget* takenBy = nullptr;
    ASSERT_EQ(GetMainBackdropWidget()->DispatchLButtonDown(&takenBy, &point), kResOk);
    EXPECT_EQ(takenBy, root);
}

TEST_F(ToolPickerTest, PlacesWithoutAToolSendNothing)
{
    Open();
    for (int32_t index : {3, 5, 6, 7})
        EXPECT_EQ(picker->OnMessage(kMsgControlClicked, ToMsgArg(Place(index)), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(tools.Count(kMsgPickTool), 0);
    EXPECT_EQ(picker->OnMessage(kMsgControlClicked, ToMsgArg(Place(11)), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(tools.picks, std::vector<int32_t>{kToolEraser});
    // A click that no button of the picker sent is not a pick either.
    RecordingTarget stranger;
    EXPECT_EQ(picker->OnMessage(kMsgControlClicked, ToMsgArg(&stranger), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(tools.picks.size(), 1u);
}

TEST_F(ToolPickerTest, TheLabelShowsWholePercentsFromOne)
{
    Open();
    for (auto [size, text] : {std::pair{0.004f, "1%"}, {1.0f, "100%"}, {0.0f, "1%"}, {0.25f, "25%"}, {2.5f, "250%"}}) {
        Echo(picker, kMsgToolSize, ToMsgArg(&size));
        EXPECT_EQ(Label(), text) << size;
    }
    // A query does not change the label; a pick shows the controller's size.
    float other = 0.7f;
    Echo(picker, kMsgToolSize, ToMsgArg(&other), kMsgReport);
    EXPECT_EQ(Label(), "250%");
    tools.size = 0.33f;
    Confirm(kToolPen);
    EXPECT_EQ(Label(), "33%");
}

TEST_F(ToolPickerTest, TypedSizesAreWholePercentsUpToFiveHundred)
{
    Open();
    for (auto [typed, size] : {std::pair{u"250", 2.5f}, {u"900", 5.0f}, {u"99999999999", 5.0f}, {u"-20", 0.0f}, {u"7", 0.07f}}) {
        tools.sizes.clear();
        tCString text(typed);
        Echo(picker, kMsgTextEntered, ToMsgArg(&text));
        ASSERT_EQ(SentSizes().size(), 1u);
        EXPECT_FLOAT_EQ(SentSizes()[0], size);
    }
    tools.sizes.clear();
    for (const char16_t* refused : {u"25a", u"", u"2.5", u"x10"}) {
        tCString text(refused);
        Echo(picker, kMsgTextEntered, ToMsgArg(&text));
    }
    EXPECT_EQ(SentSizes(), std::vector<float>{});
}

TEST_F(ToolPickerTest, DraggingAcrossThePreviewStepsTheSizeByTwoPixels)
{
    Open();
    tools.size = 0.5f;
    // 1 pixel: no drag; 3: the drag starts there; then 2 more pixels are one step of 0.04.
    DragPreview({1, 3, 4, 5, 6, 7, 7, 1});
    const std::vector<float> sent = SentSizes();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_FLOAT_EQ(sent[0], 0.5f);
    EXPECT_FLOAT_EQ(sent[1], 0.54f);
    EXPECT_FLOAT_EQ(sent[2], 0.54f);
    EXPECT_FLOAT_EQ(sent[3], 0.58f);
    EXPECT_FLOAT_EQ(sent[4], 0.5f - 0.04f);
    // The size never leaves 0..1.
    tools.sizes.clear();
    DragPreview({3, 200});
    ASSERT_EQ(SentSizes().size(), 1u);
    EXPECT_EQ(SentSizes()[0], 1.0f);
    tools.sizes.clear();
    DragPreview({-3, -300});
    ASSERT_EQ(SentSizes().size(), 1u);
    EXPECT_EQ(SentSizes()[0], 0.0f);
    // The same drag made while the program was busy, the pointer gone on before the press is
    // taken: a drag all the same, stepped as the hand went.
    tools.sizes.clear();
    tools.size = 0.5f;
    ShowMainWindow();
    const tCPoint centre = ScreenOf(preview, {preview->GetWidth() / 2, preview->GetHeight() / 2});
    DragWhileBusy(centre, {{centre.x + 1, centre.y}, {centre.x + 3, centre.y}, {centre.x + 5, centre.y},
                           {centre.x + 7, centre.y}},
                  ScreenOf(backdrop, {700, 100}));
    EXPECT_EQ(SentSizes(), (std::vector<float>{0.54f, 0.58f}));
}

TEST_F(ToolPickerTest, TwoPixelsAreNoDragYet)
{
    Open();
    DragPreview({2, -2, 2, 0});
    EXPECT_EQ(SentSizes(), std::vector<float>{});
}

TEST_F(ToolPickerTest, ItSitsInTheBottomLeftCornerAndTucksAwayDownAndLeft)
{
    Open();
    CWidget* root = picker->GetRoot();
    EXPECT_EQ(root->GetRect().left, -3);
    EXPECT_EQ(root->GetRect().bottom, 700 + 3);
    ASSERT_EQ(picker->SetSide(1, 0), kResOk);
    EXPECT_EQ(root->GetRect().left, -133);
    EXPECT_EQ(root->GetRect().bottom, 700 + 133);
    ASSERT_EQ(picker->SetSide(0, 0), kResOk);
    EXPECT_EQ(root->GetRect().left, -3);
    EXPECT_EQ(root->GetRect().bottom, 700 + 3);
}

TEST_F(ToolPickerTest, ARefusedSizeEndsTheDragAndAFailedQueryStartsNone)
{
    Open();
    const tCPoint centre{preview->GetWidth() / 2, preview->GetHeight() / 2};
    Hold(preview, centre, [&](int pass) {
        if (pass == 3)
            tools.answers[kMsgToolSize] = kResBadParam;
        const tCPoint at = ScreenOf(preview, {centre.x + 1 + 2 * pass, centre.y});
        w32::headless::MoveMouse(at.x, at.y);
        return pass < 20;
    });
    // The third pass's size is refused: the drag ends there, with the button still held.
    EXPECT_EQ(tools.sizes.size(), 2u);
    // The size query fails before the press is tracked: nothing is sent.
    tools.sizes.clear();
    DragPreview({3, 5, 7, 9});
    EXPECT_EQ(SentSizes(), std::vector<float>{});
}

TEST_F(ToolPickerTest, AHeldSizeButtonStepsAtOnceThenSoonerAndSooner)
{
    Open();
    tools.size = 0.0f;
    // Each pass takes the script's millisecond and the loop's rest until the next tick.
    Hold(SizeUp()->GetWidget(), {5, 5}, [](int pass) { return pass < 480; });
    std::vector<int> passes;
    for (const auto& [pass, size] : tools.sizes)
        passes.push_back(pass);
    const int msPerPass = 1 + int(CAppWin::kHeartbeatPeriodMs);
    std::vector<int> expected{1};
    for (int gap : {340, 240, 220, 200, 180, 160, 140, 120, 100, 80, 60, 40, 20})
        expected.push_back(expected.back() + gap / msPerPass);
    ASSERT_EQ(expected.back(), 476);
    for (int pass = 477; pass <= 480; ++pass)
        expected.push_back(pass);
    EXPECT_EQ(passes, expected);
    EXPECT_NEAR(tools.sizes.back().second, 0.01f * float(expected.size()), 1e-5f);
}

TEST_F(ToolPickerTest, HeldSizeButtonsStopAtTheEnds)
{
    Open();
    tools.size = 0.995f;
    Hold(SizeUp()->GetWidget(), {5, 5}, [](int pass) { return pass < 150; });
    ASSERT_EQ(tools.sizes.size(), 3u);
    for (const auto& [pass, size] : tools.sizes)
        EXPECT_EQ(size, 1.0f);
    tools.sizes.clear();
    tools.size = 0.0f;
    Hold(SizeDown()->GetWidget(), {5, 5}, [](int pass) { return pass < 10; });
    ASSERT_EQ(tools.sizes.size(), 1u);
    EXPECT_EQ(tools.sizes[0].second, 0.0f);
    // A press on a size button is the picker's own: no click follows.
    EXPECT_EQ(tools.Count(kMsgPickTool), 0);
    // A click released before its press is handled steps once.
    tools.sizes.clear();
    tools.size = 0.5f;
    PointAt(SizeUp()->GetWidget(), {5, 5});
    tCPoint point{5, 5};
    SizeUp()->GetWidget()->LocalToRootPoint(&point);
    CWidget* takenBy = nullptr;
    (void)backdrop->DispatchLButtonDown(&takenBy, &point);
    ASSERT_EQ(tools.sizes.size(), 1u);
    EXPECT_NEAR(tools.sizes[0].second, 0.51f, 1e-6f);
}

TEST_F(ToolPickerTest, AToolWithoutPropertiesHidesTheSize)
{
    Open();
    tools.properties = {};
    Confirm(kToolSampler);
    EXPECT_FALSE(picker->GetSizeLabel()->IsVisible());
    EXPECT_EQ(SizeUp()->IsEnabled(), 0u);
    EXPECT_EQ(SizeDown()->IsEnabled(), 0u);
    EXPECT_EQ(Lit(), std::vector<int32_t>{8});
    tools.properties = {{kPropertyPressure, 0}};
    Confirm(kToolPencil);
    EXPECT_TRUE(picker->GetSizeLabel()->IsVisible());
    EXPECT_EQ(SizeUp()->IsEnabled(), 1u);
    EXPECT_EQ(SizeDown()->IsEnabled(), 1u);
}

TEST_F(ToolPickerTest, ThePreviewAsksForTheSizeCursor)
{
    Open();
    uint32_t cursor = 0;
    Echo(picker, kMsgCursorQuery, ToMsgArg(&cursor), kMsgReport, ToMsgArg(preview));
    EXPECT_EQ(cursor, 31u);
    cursor = 0;
    Echo(picker, kMsgCursorQuery, ToMsgArg(&cursor), kMsgReport, ToMsgArg(Place(0)->GetWidget()));
    EXPECT_EQ(cursor, 0u);
}

}  // namespace
