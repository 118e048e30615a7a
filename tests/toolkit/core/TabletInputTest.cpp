#include <gtest/gtest.h>

#include <memory>

#include "HeadlessApp.h"
#include "RecordingRoot.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/TabletTool.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/Wintab.h"
#include "toolkit/core/CTabletInput.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/PenSettings.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace TabletInputTests {

using namespace w32;
using tablet::tToolInfo;

namespace {

// A root whose top-left corner stands at (100, 50) on the screen.
class OffsetRoot : public RecordingRoot {
public:
    void ScreenToLocalPoint(tCPoint* point) override { point->x -= 100, point->y -= 50; }
};

// The headless screen is 1280 x 800: a tablet of 12800 x 8000 units maps ten units to a pixel.
tToolInfo Pen(const char* name, double pressureMax = 1000)
{
    return {name,
            {{"Abs X", 0, 12800, 0},
             {"Abs Y", 0, 8000, 0},
             {"Abs Pressure", 0, pressureMax, 0},
             {"Abs Tilt X", -64, 63, 0},
             {"Abs Tilt Y", -64, 63, 0}}};
}

tPenSettings gSettings;

// The application with its main window, and the pen input the frame makes for it.
class TabletInputTest : public HeadlessAppTest {
protected:
    void SetUp() override
    {
        HeadlessAppTest::SetUp();
        app = std::make_unique<ScriptedApp>();
        ASSERT_EQ(app->CreateMainWindow(new OffsetRoot, 104, 640, 480, nullptr, 1), kResOk);
        gSettings = tPenSettings{};
        SetPenSettingsSource([] { return gSettings; });
        headless::MoveMouse(300, 200);
    }
    void TearDown() override
    {
        SetPenSettingsSource(nullptr);
        if (CWindowBase* window = GetMainWindow())
            window->DestroyWindow();
        app.reset();
        HeadlessAppTest::TearDown();
    }

    CTabletInput& Open()
    {
        EXPECT_EQ(app->CreateTabletInput(), kResOk);
        input = ApplicationTabletInput();
        EXPECT_NE(input, nullptr);
        return *input;
    }

    CPenSample Sample(int32_t* answer)
    {
        CPenSample sample;
        sample.tiltA = 0.3f;
        sample.tiltB = 0.7f;
        *answer = input->PumpPackets(&sample);
        return sample;
    }

    static HWND MainHandle() { return GetMainWindow()->GetHandle(); }

    std::unique_ptr<ScriptedApp> app;
    CTabletInput* input = nullptr;
};

TEST_F(TabletInputTest, WithoutATabletTheMouseGivesTheMappedPressure)
{
    EXPECT_FALSE(Open().HasContext());
    int32_t answer = -1;
    CPenSample sample = Sample(&answer);
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(sample.x, 300.0f);
    EXPECT_EQ(sample.y, 200.0f);
    EXPECT_EQ(sample.pressure, 0.5f);
    EXPECT_EQ(sample.pen, 0);
    EXPECT_EQ(sample.tiltA, 0.3f) << "the caller's tilts stay";
    EXPECT_EQ(sample.tiltB, 0.7f);

    // a / (1 + (1/s - 2)(1 - a)): a = 0.5 with s = 0.25 gives 0.5 / 2.
    gSettings.response = 0.25f;
    EXPECT_EQ(Sample(&answer).pressure, 0.25f);
    gSettings = {0.8f, 0.8f, 0};
    EXPECT_FLOAT_EQ(Sample(&answer).pressure, 0.8f / (1 + (1 / 0.8f - 2) * 0.2f));

    GetMainWindow()->DestroyWindow();
    tablet::ConnectTool(7, Pen("Pen stylus"));
    EXPECT_EQ(input->OpenTabletContext(), kResOk);
    EXPECT_FALSE(input->HasContext()) << "no main window to receive the packets";
}

TEST_F(TabletInputTest, APenInRangeGivesNoPressureUntilTheStrokeMakesContact)
{
    tablet::ConnectTool(7, Pen("Pen stylus"));
    CTabletInput& pen = Open();
    ASSERT_TRUE(pen.HasContext());
    EXPECT_EQ(IsTiltSupported(), 1);
    int32_t answer = -1;
    CPenSample sample = Sample(&answer);
    EXPECT_EQ(answer, 1) << "no pen yet";
    EXPECT_EQ(sample.pressure, 0.5f);
    EXPECT_EQ(sample.tiltA, 1.0f);
    EXPECT_EQ(sample.tiltB, 0.0f);

    // Hovering: the cursor in root coordinates, no pressure, not a pen sample.
    tablet::MoveTool(7, {{0, 6400}, {1, 4000}, {2, 0}, {3, 45}});
    sample = Sample(&answer);
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(sample.x, 200.0f);
    EXPECT_EQ(sample.y, 150.0f);
    EXPECT_EQ(sample.pressure, 0.0f);
    EXPECT_EQ(sample.pen, 0);
    EXPECT_FLOAT_EQ(sample.tiltA, 0.5f) << "45 degrees is half a right angle";
    EXPECT_FLOAT_EQ(sample.tiltB, 0.25f) << "leaning right is a quarter turn";

    // The tip touches before the canvas set contact: still no pressure, but a pen sample.
    tablet::PressToolButton(7, 1, true);
    tablet::MoveTool(7, {{2, 500}, {3, 0}});
    sample = Sample(&answer);
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(sample.pressure, 0.0f);
    EXPECT_EQ(sample.pen, 1);

    // In contact the pressure follows: tablet units scaled to the screen, less the root's
    // corner and one more pixel.
    pen.SetContact(1);
    tablet::MoveTool(7, {{0, 6410}, {2, 500}});
    sample = Sample(&answer);
    EXPECT_EQ(answer, 0);
    EXPECT_FLOAT_EQ(sample.x, 641.0f - 101);
    EXPECT_FLOAT_EQ(sample.y, 400.0f - 51);
    EXPECT_FLOAT_EQ(sample.pressure, 0.5f);
    EXPECT_EQ(sample.pen, 1);
    EXPECT_FLOAT_EQ(sample.tiltA, 1.0f);

    // The tip up while in contact: the pressure from the device's minimum.
    tablet::PressToolButton(7, 1, false);
    tablet::MoveTool(7, {{2, 300}});
    EXPECT_FLOAT_EQ(Sample(&answer).pressure, 0.3f);
}

TEST_F(TabletInputTest, PenPressureIsShapedByTheResponse)
{
    tablet::ConnectTool(7, Pen("Pen stylus"));
    CTabletInput& pen = Open();
    pen.SetContact(1);
    tablet::PressToolButton(7, 1, true);
    tablet::MoveTool(7, {{2, 600}});
    int32_t answer = -1;
    EXPECT_FLOAT_EQ(Sample(&answer).pressure, 0.6f) << "m = 0.5 leaves it";
    gSettings.pressure = 0.25f;  // m = 0.25
    tablet::MoveTool(7, {{2, 600}});
    EXPECT_FLOAT_EQ(Sample(&answer).pressure, 0.6f * 0.625f);
    gSettings.pressure = 0.75f;  // m = 0.75
    tablet::MoveTool(7, {{2, 600}});
    EXPECT_FLOAT_EQ(Sample(&answer).pressure, 0.9f);
    tablet::MoveTool(7, {{2, 900}});
    EXPECT_FLOAT_EQ(Sample(&answer).pressure, 1.0f) << "1.35 is held at 1";
}

// A pressure axis of no range in the tablet's units (a device range of 0.4 rounds to 0 .. 0)
// gives full pressure rather than no number.
TEST_F(TabletInputTest, AnEmptyPressureRangeGivesFullPressure)
{
    tablet::ConnectTool(7, Pen("Pen stylus", 0.4));
    CTabletInput& pen = Open();
    ASSERT_TRUE(pen.HasContext());
    pen.SetContact(1);
    int32_t answer = -1;
    tablet::PressToolButton(7, 1, true);
    tablet::MoveTool(7, {{2, 0.3}});
    EXPECT_EQ(Sample(&answer).pressure, 1.0f) << "from the pressure button's marks";
    tablet::PressToolButton(7, 1, false);
    tablet::MoveTool(7, {{2, 0.3}});
    EXPECT_EQ(Sample(&answer).pressure, 1.0f) << "from the device's minimum";
}

TEST_F(TabletInputTest, TheEraserEndReloadsTheRangesAndResetForgetsThePen)
{
    tablet::ConnectTool(7, Pen("Pen stylus"));
    tablet::ConnectTool(8, Pen("Pen eraser", 500));
    CTabletInput& pen = Open();
    pen.SetContact(1);
    tablet::PressToolButton(8, 1, true);
    tablet::MoveTool(8, {{0, 1000}, {1, 1000}, {2, 125}});
    int32_t answer = -1;
    CPenSample sample = Sample(&answer);
    EXPECT_EQ(IsPenEraser(), 1);
    EXPECT_FLOAT_EQ(sample.pressure, 0.25f) << "125 of 500";
    EXPECT_EQ(sample.pen, 1);

    // Back to the tip, in its own range; only the last waiting packet counts.
    tablet::MoveTool(7, {{2, 100}});
    tablet::MoveTool(7, {{2, 200}});
    sample = Sample(&answer);
    EXPECT_EQ(IsPenEraser(), 0);
    EXPECT_FLOAT_EQ(sample.pressure, 0.2f);

    tablet::MoveTool(8, {{2, 250}});
    pen.ResetPen();
    EXPECT_EQ(pen.GetContact(), 0);
    EXPECT_EQ(IsPenEraser(), 0);
    sample = Sample(&answer);
    EXPECT_EQ(answer, 1) << "the queued packet went with the reset";
    EXPECT_EQ(sample.x, 300.0f);
    EXPECT_EQ(sample.pressure, 0.5f);
}

TEST_F(TabletInputTest, CursorPositionPreferenceAndActivation)
{
    tablet::ConnectTool(7, Pen("Pen stylus"));
    CTabletInput& pen = Open();
    pen.SetContact(1);
    gSettings.useCursorPosition = 1;
    tablet::PressToolButton(7, 1, true);
    int32_t answer = -1;
    CPenSample sample = Sample(&answer);
    EXPECT_EQ(sample.x, 200.0f) << "the cursor, less the root's corner";
    EXPECT_EQ(sample.y, 150.0f);

    // The window hands its activation and the tablet's messages to the pen input.
    SendMessageW(MainHandle(), WM_NCACTIVATE, 0, 0);
    tablet::MoveTool(7, {{2, 700}});
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, MainHandle(), WT_PACKET, WT_PACKET, PM_NOREMOVE));
    SendMessageW(MainHandle(), WM_NCACTIVATE, 1, 0);
    tablet::MoveTool(7, {{2, 700}});
    ASSERT_TRUE(PeekMessageW(&message, MainHandle(), WT_PACKET, WT_PACKET, PM_REMOVE));
    DispatchMessageW(&message);
    EXPECT_FLOAT_EQ(Sample(&answer).pressure, 0.7f);

    EXPECT_FALSE(pen.IsButtonDown());
    headless::PressButton(VK_LBUTTON);
    EXPECT_TRUE(pen.IsButtonDown());
    headless::ReleaseButton(VK_LBUTTON);

    pen.Close();
    EXPECT_FALSE(pen.HasContext());
    EXPECT_EQ(Sample(&answer).pressure, 0.5f);
    EXPECT_EQ(answer, 1);
}

TEST(PenSettings, MappedPressureHasAValueEverywhere)
{
    EXPECT_FLOAT_EQ(MappedPressure(0.5f, 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(MappedPressure(0.25f, 0.5f), 0.25f);
    EXPECT_FLOAT_EQ(MappedPressure(0.5f, 0.75f), 0.5f / (1 + (1 / 0.75f - 2) * 0.5f));
    EXPECT_EQ(MappedPressure(0.5f, 0.0f), 0.0f);
    EXPECT_EQ(MappedPressure(1.0f, 0.0f), 1.0f);
    EXPECT_EQ(MappedPressure(0.0f, 1.0f), 0.0f);
    EXPECT_FLOAT_EQ(MappedPressure(0.3f, 1.0f), 1.0f);
    EXPECT_FLOAT_EQ(MappedPressure(1.5f, 0.5f), 1.0f) << "settings are taken within 0 to 1";
    EXPECT_FLOAT_EQ(MappedPressure(0.5f, -2.0f), 0.0f);
}

}  // namespace

}  // namespace TabletInputTests
