#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/panels/CKS2ToolControls.h"
#include "app/panels/CKS2ToolPicker.h"
#include "app/panels/ToolPaneMessages.h"
#include "app/panels/ToolPaneTestSupport.h"
#include "app/shell/BackdropMessages.h"
#include "app/shell/controls/CKS2RadialControl.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

// A controller whose reset hands itself on to the pane, as the real one does through the
// backdrop, and puts the values back to their defaults first.
class ResettingController : public ToolController {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        const tResult answer = ToolController::OnMessage(message, a, b, c, apply);
        if (message == kMsgToolReset && pane) {
            values = defaults;
            (void)pane->OnMessage(message, a, b, c, apply);
        }
        return answer;
    }
    CKS2Pane* pane = nullptr;
    std::map<uint32_t, float> defaults;
};

class ToolSettingsTest : public ToolPaneTest {
protected:
    void Open(bool withPicker = false)
    {
        StartPanes();
        tCCmdTarget::SetBackboneTarget(&controller);
        if (withPicker) {
            picker = new CKS2ToolPicker;
            ASSERT_EQ(picker->Create(nullptr, nullptr), kResOk);
        }
        pane = new CKS2ToolControls;
        ASSERT_EQ(pane->Create(nullptr, nullptr), kResOk);
        controller.pane = pane;
        root = pane->GetRoot();
    }
    void TearDown() override
    {
        delete pane;
        delete picker;
        ToolPaneTest::TearDown();
    }
    void Pick(std::vector<std::pair<uint32_t, uint32_t>> properties)
    {
        controller.properties = std::move(properties);
        (void)pane->OnMessage(kMsgPickTool, ToMsgArg(&controller), kToolOilBrush, 0, kMsgApply);
    }
    CWidget* ControlWidget(int32_t index) { return pane->GetControls()[index]->GetWidget(); }
    float DialValue(int32_t index)
    {
        float value = -1.0f;
        (void)pane->GetControls()[index]->OnMessage(kMsgControlValue, 0, ToMsgArg(&value), 0, kMsgReport);
        return value;
    }
    // Presses the handle and moves the pointer by `dy` a pass, `passes` times.
    void DragHandle(int32_t dy, int passes)
    {
        CWidget* handle = pane->GetHandle();
        const tCPoint start = ScreenOf(handle, {handle->GetWidth() / 2, 20});
        Hold(handle, {handle->GetWidth() / 2, 20}, [&](int pass) {
            w32::headless::MoveMouse(start.x, start.y + dy * pass);
            return pass < passes;
        });
    }

    ResettingController controller;
    CKS2ToolPicker* picker = nullptr;
    CKS2ToolControls* pane = nullptr;
    CWidget* root = nullptr;
};

TEST_F(ToolSettingsTest, AToolWithoutPropertiesHidesThePaneUntilOneWithPropertiesComes)
{
    Open();
    // Built in the middle of the window's height, before any tool came.
    EXPECT_EQ(root->GetRect().top, 700 / 2 - 92 / 2);
    EXPECT_EQ(pane->CanRestore(), 0u);
    Pick({});
    EXPECT_FALSE(root->IsVisible());
    EXPECT_EQ(pane->CanRestore(), 0u);
    Pick({{kPropertyPressure, 0}});
    EXPECT_TRUE(root->IsVisible());
    EXPECT_EQ(pane->CanRestore(), 1u);
    // One dial: the pane reaches 8 below it.
    EXPECT_EQ(root->GetHeight(), ControlWidget(0)->GetRect().bottom + 8);
    EXPECT_GT(root->GetHeight(), 92);
    Pick({});
    EXPECT_FALSE(root->IsVisible());
    EXPECT_EQ(pane->CanRestore(), 0u);
}

TEST_F(ToolSettingsTest, ADialAndTheResetButtonStackWithTheirRightEdgesInset)
{
    Open();
    Pick({{kPropertyPressure, 0}, {kPropertyReset, 3}});
    ASSERT_EQ(pane->GetControls().GetCount(), 2);
    EXPECT_NE(dynamic_cast<CKS2RadialControl*>(pane->GetControls()[0]), nullptr);
    CWidget* dial = ControlWidget(0);
    CWidget* reset = ControlWidget(1);
    EXPECT_EQ(dial->GetRect().top, 4);
    EXPECT_EQ(reset->GetRect().top, dial->GetRect().bottom + 10);
    const int32_t w = std::max(dial->GetWidth(), reset->GetWidth() + 10);
    EXPECT_EQ(dial->GetWidth(), w);
    EXPECT_EQ(reset->GetWidth(), w - 10);
    EXPECT_EQ(root->GetWidth() - dial->GetRect().right, 19);
    EXPECT_EQ(root->GetWidth() - reset->GetRect().right, 24);
    // The pane fits the last control: 8 below it and 25 beside it, 10 more for an action.
    EXPECT_EQ(root->GetHeight(), std::max(reset->GetRect().bottom + 8, 92));
    EXPECT_EQ(root->GetWidth(), std::max(reset->GetWidth() + 35, 82));
    EXPECT_EQ(pane->GetTuckedPosition().x, -float(root->GetWidth() - 12));
    EXPECT_EQ(dial->GetId(), kPropertyPressure);
    EXPECT_EQ(reset->GetId(), kPropertyReset);
}

TEST_F(ToolSettingsTest, ASingleSmallControlStillGivesTheSmallestPane)
{
    Open();
    // A switch without a text of its own keeps the layout's short title.
    Pick({{0xB2D05EA8, 2}});
    ASSERT_EQ(pane->GetControls().GetCount(), 1);
    ASSERT_LT(ControlWidget(0)->GetWidth(), 82 - 25);
    EXPECT_EQ(root->GetWidth(), 82);
    EXPECT_EQ(root->GetHeight(), 92);
    // A kind without a control is left out.
    Pick({{kPropertyPressure, 1}, {kPropertySoftness, 0}});
    ASSERT_EQ(pane->GetControls().GetCount(), 1);
    EXPECT_EQ(ControlWidget(0)->GetRect().top, 4);
}

TEST_F(ToolSettingsTest, AChangedValueGoesToTheToolAndTheOthersHearIt)
{
    Open();
    controller.values[kPropertyPressure] = 0.3f;
    Pick({{kPropertyPressure, 0}});
    EXPECT_FLOAT_EQ(DialValue(0), 0.3f);
    controller.heard.clear();
    float value = 0.75f;
    EXPECT_EQ(pane->OnMessage(kMsgControlValueChanged, ToMsgArg(pane->GetControls()[0]), ToMsgArg(&value), 0, kMsgApply),
              kResOk);
    ASSERT_EQ(controller.heard.size(), 2u);
    EXPECT_EQ(controller.heard[0].message, kMsgToolPropertyValue);
    EXPECT_EQ(controller.heard[1].message, kMsgToolPropertyChanged);
    EXPECT_EQ(controller.heard[1].a, 0u);
    EXPECT_FLOAT_EQ(controller.values[kPropertyPressure], 0.75f);
    // Refused: the notice does not follow, the refusal is the answer.
    controller.heard.clear();
    controller.answers[kMsgToolPropertyValue] = kResBadParam;
    EXPECT_EQ(pane->OnMessage(kMsgControlValueChanged, ToMsgArg(pane->GetControls()[0]), ToMsgArg(&value), 0, kMsgApply),
              kResBadParam);
    EXPECT_EQ(controller.Count(kMsgToolPropertyChanged), 0);
    // A value from a stranger is no control's: nothing goes to the tool.
    controller.heard.clear();
    RecordingTarget stranger;
    EXPECT_EQ(pane->OnMessage(kMsgControlValueChanged, ToMsgArg(&stranger), ToMsgArg(&value), 0, kMsgApply), kResOk);
    EXPECT_EQ(controller.heard.size(), 0u);
}

TEST_F(ToolSettingsTest, ResetRebuildsWithTheDefaultsFromInsideTheButtonsClick)
{
    Open();
    controller.defaults = {{kPropertyPressure, 0.5f}, {kPropertyCleanBrush, 0.0f}};
    controller.values = {{kPropertyPressure, 0.9f}, {kPropertyCleanBrush, 1.0f}};
    Pick({{kPropertyPressure, 0}, {kPropertyCleanBrush, 2}, {kPropertyReset, 3}});
    ASSERT_EQ(pane->GetControls().GetCount(), 3);
    EXPECT_FLOAT_EQ(DialValue(0), 0.9f);
    controller.heard.clear();
    ClickOn(ControlWidget(2));
    std::vector<uint32_t> sent;
    for (const tHeard& heard : controller.heard) {
        if (heard.message == kMsgToolReset || heard.message == kMsgToolPropertyChanged)
            sent.push_back(heard.message);
        if (heard.message == kMsgToolPropertyChanged) {
            EXPECT_EQ(heard.a, 0u);
        }
    }
    EXPECT_EQ(sent, (std::vector<uint32_t>{kMsgToolReset, kMsgToolPropertyChanged}));
    ASSERT_EQ(pane->GetControls().GetCount(), 3);
    EXPECT_FLOAT_EQ(DialValue(0), 0.5f);
    EXPECT_FLOAT_EQ(DialValue(1), 0.0f);
    RunFor(20);
}

TEST_F(ToolSettingsTest, AValueSetElsewhereMovesTheControlButNotTheOwnEcho)
{
    Open();
    Pick({{kPropertyPressure, 0}, {kPropertySoftness, 0}});
    ToolPropertyValue record{kPropertySoftness, 0.62f};
    Echo(pane, kMsgToolPropertyValue, ToMsgArg(&record), kMsgApply, ToMsgArg(&backdropTarget));
    EXPECT_FLOAT_EQ(DialValue(1), 0.62f);
    EXPECT_FLOAT_EQ(DialValue(0), 0.0f);
    record.value = 0.1f;
    Echo(pane, kMsgToolPropertyValue, ToMsgArg(&record), kMsgApply, ToMsgArg(pane));
    EXPECT_FLOAT_EQ(DialValue(1), 0.62f);
}

TEST_F(ToolSettingsTest, TheHandleDragStaysBetweenTheWindowTopAndTheToolPicker)
{
    Open(true);
    Pick({{kPropertyPressure, 0}});
    const int32_t pickerHeight = picker->GetRoot()->GetHeight();
    ASSERT_GT(pickerHeight, 100);
    DragHandle(-40, 30);
    EXPECT_EQ(root->GetRect().top, 0);
    DragHandle(40, 40);
    EXPECT_EQ(root->GetRect().bottom, 700 - pickerHeight);
    EXPECT_EQ(pane->GetSide(), 0u);
    // In between, the pane follows the pointer.
    const int32_t low = root->GetRect().top;
    DragHandle(-10, 5);
    EXPECT_EQ(root->GetRect().top, low - 50);
    DragHandle(7, 2);
    EXPECT_EQ(root->GetRect().top, low - 36);
    EXPECT_EQ(pane->GetSide(), 0u);
    // A release over the handle without a move toggles the side.
    DragHandle(0, 3);
    EXPECT_EQ(pane->GetSide(), 1u);
}

TEST_F(ToolSettingsTest, OnTheTuckedSideARebuildKeepsTwelvePixelsInSight)
{
    Open();
    Pick({{kPropertyPressure, 0}});
    ASSERT_EQ(pane->SetSide(1, 0), kResOk);
    EXPECT_EQ(root->GetRect().right, 12);
    Pick({{kPropertyPressure, 0}, {kPropertyEdgeMode, 2}, {kPropertyReset, 3}});
    EXPECT_EQ(root->GetRect().left, -(root->GetWidth() - 12));
    RunFor(100);
    EXPECT_EQ(root->GetRect().right, 12);
}

TEST_F(ToolSettingsTest, AfterAResizeTheCentreKeepsItsFractionOfTheHeight)
{
    Open(true);
    Pick({{kPropertyPressure, 0}});
    ASSERT_EQ(root->SetYPosition(100, 0), kResOk);
    const int32_t centre = (root->GetRect().top + root->GetRect().bottom) / 2;
    // The first sizing knows no previous height: the pane stays.
    int32_t none[2] = {0, 0};
    Echo(pane, kMsgBackdropResized, ToMsgArg(none));
    EXPECT_EQ(root->GetRect().top, 100);
    ASSERT_EQ(backdrop->SetSize(1000, 1400, 0), kResOk);
    int32_t previous[2] = {1000, 700};
    Echo(pane, kMsgBackdropResized, ToMsgArg(previous));
    EXPECT_EQ(root->GetRect().top, int32_t(std::lround(centre / 700.0 * 1400)) - root->GetHeight() / 2);
    // A window too small for the pane above the picker puts it at the top.
    ASSERT_EQ(root->SetYPosition(500, 0), kResOk);
    ASSERT_EQ(backdrop->SetSize(1000, 200, 0), kResOk);
    int32_t tall[2] = {1000, 1400};
    Echo(pane, kMsgBackdropResized, ToMsgArg(tall));
    EXPECT_EQ(root->GetRect().top, 0);
}

// The pixel at (x, y) of a 32-bit image.
uint32_t LockedPixelAt(CImage* image, int32_t x, int32_t y)
{
    CImNav nav(image);
    return nav.IsLocked() ? nav.Pixels(y)[x] : 0;
}

TEST_F(ToolSettingsTest, TheBackgroundIsTheCornersWithTheirEdgesRepeated)
{
    Open();
    Pick({{kPropertyPressure, 0}, {kPropertySoftness, 0}, {kPropertyReset, 3}});
    auto* image = dynamic_cast<CImWidget*>(root);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->DecompressImage(), kResOk);
    CImage* picture = image->GetImage();
    CImage* cap = GetPooledImage(CKS2ToolControls::kCapImage, nullptr, nullptr);
    CImage* base = GetPooledImage(CKS2ToolControls::kBaseImage, nullptr, nullptr);
    ASSERT_TRUE(picture && cap && base);
    const int32_t w = picture->GetWidth(), h = picture->GetHeight();
    const int32_t cw = cap->GetWidth(), ch = cap->GetHeight(), bw = base->GetWidth(), bh = base->GetHeight();
    ASSERT_GT(h, ch + bh);
    ASSERT_GT(w, cw);
    for (auto [x, y] : {std::pair{0, 0}, {cw - 1, ch - 1}, {cw / 2, 5}, {cw - 1, 0}})
        EXPECT_EQ(LockedPixelAt(picture, w - cw + x, y), LockedPixelAt(cap, x, y)) << x << "," << y;
    for (auto [x, y] : {std::pair{0, 0}, {bw - 1, bh - 1}, {bw / 2, bh - 2}})
        EXPECT_EQ(LockedPixelAt(picture, w - bw + x, h - bh + y), LockedPixelAt(base, x, y)) << x << "," << y;
    for (int32_t y : {ch, (ch + h - bh) / 2, h - bh - 1})
        for (int32_t x : {0, bw / 2, bw - 1})
            EXPECT_EQ(LockedPixelAt(picture, w - bw + x, y), LockedPixelAt(base, x, 0)) << x << "," << y;
    for (int32_t y : {0, ch / 2, h / 2, h - 1})
        for (int32_t x : {0, (w - cw) / 2, w - cw - 1})
            EXPECT_EQ(LockedPixelAt(picture, x, y), LockedPixelAt(picture, w - cw, y)) << x << "," << y;
    // The panel is opaque inside, clear beyond its rounded corner.
    EXPECT_EQ(LockedPixelAt(picture, 2, h / 2) >> 24, 0xFFu);
    EXPECT_EQ(LockedPixelAt(picture, w - 1, 0) >> 24, 0u);
}

}  // namespace
