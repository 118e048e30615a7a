#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "CursorTestSupport.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/CKS2CursorManager.h"
#include "app/shell/PressureResponse.h"
#include "paint/engine/CanvasTestSupport.h"
#include "paint/tools/CAirBrushNew.h"
#include "paint/tools/CToolBase.h"
#include "paint/tools/ToolFactory.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/SineTable.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr uint32_t kGround = 0xFF203040u;

// A painting of 400 x 300 cells shown at zoom 1 at the view's top-left, a crayon as the current
// tool and the eraser as the eraser tool; the manager knows the canvas.
class CursorManagerTest : public CanvasViewFixture {
protected:
    void SetUp() override
    {
        CanvasViewFixture::SetUp();
        BuildSineTable();
        SetPressureResponse(0.5f);
        ASSERT_EQ(canvas.SetCanvasSize(400, 300), kResOk);
        ASSERT_EQ(canvas.InsertNewLayer(0), kResOk);
        ASSERT_EQ(canvas.AttachView(view), kResOk);
        ASSERT_EQ(canvas.SetZoom(1.0f, 0), kResOk);
        canvas.SetPaintingTopLeft({0, 0});
        host.view = view;
        host.manager = &manager;
        host.redraw = [this] { Redraw(); };
        Use(4902);
        eraser = MakeToolById(4906);
        canvas.SetEraserTool(eraser.get());
        EXPECT_EQ(manager.OnMessage(kMsgCanvasReplaced, 0, ToMsgArg(&canvas), 0, kMsgApply), kResOk);
        Clear(image);
    }

    CToolBase* Use(uint32_t id)
    {
        tool = MakeToolById(id);
        canvas.SetCurrentTool(tool.get());
        return tool.get();
    }
    static void Clear(CImage& target)
    {
        CImNav nav(&target);
        nav.Fill(kGround);
    }
    void Redraw()
    {
        Clear(image);
        manager.DrawToolOverlay({0, 0, 800, 600}, &image);
    }
    void Heartbeat(float x, float y, float tilt = 1.0f, float direction = 0.0f)
    {
        const CPenSample sample{x, y, 0.5f, tilt, direction, 0};
        manager.UpdateCursor(view, &sample, 1);
    }
    uint32_t Painted(CImage& target) const
    {
        CImNav nav(&target);
        uint32_t n = 0;
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x)
                n += nav.Pixels(y)[x] != kGround;
        return n;
    }

    RecordingController controller{&canvas};
    RecordingCursorHost host;
    CKS2CursorManager manager{&host};
    std::unique_ptr<CToolBase> tool;
    std::unique_ptr<CToolBase> eraser;
    CImage image{800, 600};
};

// The cursor the painting view asks for: the plain cursor (34) for the pencil, the sampler and
// the simple-cursor style, the view tools' own (36-38) unless a button is pressed, the plain
// cursor for the glitter gun and airbrush under the pen and for Alt, nothing (0) under the right
// button, and else -2, the brush outline.
int32_t ExpectedCursor(uint32_t id, bool simple, bool pen, bool right, bool alt)
{
    const bool pressed = pen || right;
    int32_t answer = simple ? 34 : -2;
    if (id == 4901 || id == 4909)
        answer = 34;
    else if (id == 4910)
        answer = pressed ? 0 : 36;
    else if (id == 4911)
        answer = pressed ? 0 : 37;
    else if (id == 4912)
        answer = pressed ? 0 : 38;
    else if ((id == 4913 || id == 4914) && pen)
        answer = 34;
    if (alt)
        answer = 34;
    return right ? 0 : answer;
}

TEST_F(CursorManagerTest, TheViewsCursorFollowsTheToolThePenTheButtonsAndAlt)
{
    for (uint32_t id = 4900; id <= 4915; ++id) {
        FakeCanvasTool current(id);
        canvas.SetCurrentTool(&current);
        for (int state = 0; state < 16; ++state) {
            const bool simple = state & 1, pen = state & 2, right = state & 4, alt = state & 8;
            manager.SetSimpleCursor(simple);
            host.pen = pen;
            host.right = right;
            host.alt = alt;
            int32_t answer = 99;
            EXPECT_EQ(manager.OnMessage(kMsgCursorQuery, ToMsgArg(view), ToMsgArg(&answer), 0, kMsgReport), kResOk);
            EXPECT_EQ(answer, ExpectedCursor(id, simple, pen, right, alt))
                << id << " simple " << simple << " pen " << pen << " right " << right << " alt " << alt;
        }
    }
}

TEST_F(CursorManagerTest, TheEraserEndAsksWithTheEraserTool)
{
    FakeCanvasTool move(4910), rubber(4906);
    canvas.SetCurrentTool(&move);
    canvas.SetEraserTool(&rubber);
    int32_t answer = 0;
    manager.OnMessage(kMsgCursorQuery, ToMsgArg(view), ToMsgArg(&answer), 0, kMsgReport);
    EXPECT_EQ(answer, 36);
    host.eraser = true;
    manager.OnMessage(kMsgCursorQuery, ToMsgArg(view), ToMsgArg(&answer), 0, kMsgReport);
    EXPECT_EQ(answer, -2);
}

TEST_F(CursorManagerTest, OnlyTheCanvasViewIsAnsweredAndTheCanvasComesWithItsMessage)
{
    int32_t answer = 7;
    manager.OnMessage(kMsgCursorQuery, ToMsgArg(area), ToMsgArg(&answer), 0, kMsgReport);
    EXPECT_EQ(answer, 7);
    manager.OnMessage(kMsgCursorQuery, ToMsgArg(view), 0, 0, kMsgReport);
    EXPECT_EQ(manager.OnMessage(kMsgCanvasReplaced, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(manager.GetCanvas(), nullptr);
    manager.OnMessage(kMsgCursorQuery, ToMsgArg(view), ToMsgArg(&answer), 0, kMsgReport);
    EXPECT_EQ(answer, 7);
    EXPECT_EQ(manager.DrawToolCursor(nullptr, 1), kResHandled);
}

TEST_F(CursorManagerTest, TheSimpleCursorSwitchIsSetAndReportedByMessage)
{
    uint32_t flag = 1;
    EXPECT_EQ(manager.OnMessage(kMsgSimpleCursor, 0, ToMsgArg(&flag), 0, kMsgApply), kResOk);
    EXPECT_EQ(manager.GetSimpleCursor(), 1u);
    manager.SetSimpleCursor(0);
    flag = 5;
    EXPECT_EQ(manager.OnMessage(kMsgSimpleCursor, 0, ToMsgArg(&flag), 0, kMsgReport), kResOk);
    EXPECT_EQ(flag, 0u);
    EXPECT_EQ(manager.OnMessage(kMsgSimpleCursor, 0, 0, 0, kMsgApply), kResOk);
}

TEST_F(CursorManagerTest, OverThePaintingTheOutlineReplacesBothCursorsAndIsDrawnAtThePen)
{
    Heartbeat(200.0f, 150.0f);
    EXPECT_EQ(manager.GetCurrentCursor(), -2);
    EXPECT_EQ(host.Count("HideBackdropCursor"), 1);
    EXPECT_EQ(host.Count("HideSystemCursor"), 1);
    EXPECT_FALSE(host.systemShown);
    EXPECT_EQ(host.tracks, 1);
    // The crayon's width at pressure 1 (property 0.5 through the curve and the line 2.74 (2q - 1) + 1).
    const float radius = tool->GetNibWidth(1.0f) * 0.5f;
    EXPECT_FLOAT_EQ(manager.GetRecord().radius, radius);
    EXPECT_FLOAT_EQ(manager.GetRecord().x, 200.0f);
    EXPECT_FLOAT_EQ(manager.GetRecord().y, 150.0f);
    EXPECT_EQ(manager.GetRecord().toolId, 4902);
    EXPECT_EQ(host.invalidated.size(), 12u);
    EXPECT_EQ(host.presents, 1);
    // The redraw painted the ring of 0.9 R around the pen and nothing at its middle.
    CImNav nav(&image);
    EXPECT_NE(nav.Pixels(150)[200 + int32_t(std::lround(0.9f * radius))], kGround);
    EXPECT_EQ(nav.Pixels(150)[200], kGround);
    EXPECT_EQ(manager.GetOverlayDrawn(), 1u);
}

TEST_F(CursorManagerTest, AnUnchangedOutlineInvalidatesNothingAndAMovedOneBothPlaces)
{
    Heartbeat(200.0f, 150.0f);
    host.Clear();
    Heartbeat(200.0f, 150.0f);
    EXPECT_TRUE(host.invalidated.empty());
    EXPECT_TRUE(host.calls.empty());
    Heartbeat(210.0f, 150.0f);
    EXPECT_EQ(host.invalidated.size(), 24u);
    EXPECT_EQ(host.invalidated[0].left + 10, host.invalidated[12].left);
}

TEST_F(CursorManagerTest, WithoutAWidgetTheOutlineGoesAndTheSystemCursorComesBack)
{
    Heartbeat(200.0f, 150.0f);
    host.Clear();
    host.backdropShown = true;
    manager.UpdateCursor(nullptr, nullptr, 0);
    EXPECT_EQ(manager.GetCurrentCursor(), -1);
    EXPECT_FALSE(host.invalidated.empty());
    EXPECT_EQ(host.presents, 1);
    EXPECT_EQ(Painted(image), 0u);
    EXPECT_EQ(host.Count("HideBackdropCursor"), 1);
    EXPECT_EQ(host.Count("ShowSystemCursor"), 1);
    EXPECT_TRUE(host.systemShown);
    // Once the cursors are right nothing more happens.
    host.Clear();
    manager.UpdateCursor(nullptr, nullptr, 1);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(host.invalidated.empty());
    // Without a main window's root nothing happens at all.
    host.root = false;
    Heartbeat(200.0f, 150.0f);
    EXPECT_EQ(manager.GetCurrentCursor(), -1);
    EXPECT_EQ(host.tracks, 1);
}

// A removed outline leaves nothing drawn: coming back to the same place draws it again.
TEST_F(CursorManagerTest, AnOutlineRemovedComesBackInTheSamePlace)
{
    // Without a sample the outline stands at the tool's own latest place, the same each time.
    manager.UpdateCursor(view, nullptr, 1);
    ASSERT_GT(Painted(image), 0u);
    manager.UpdateCursor(nullptr, nullptr, 1);
    ASSERT_EQ(Painted(image), 0u);
    EXPECT_EQ(manager.GetRecord().toolId, -1);
    host.Clear();
    manager.UpdateCursor(view, nullptr, 1);
    EXPECT_EQ(host.invalidated.size(), 12u);
    EXPECT_GT(Painted(image), 0u);
    EXPECT_EQ(manager.GetCurrentCursor(), -2);
}

TEST_F(CursorManagerTest, NoAnswerDropsTheCursorWidgetOnce)
{
    CWidget pane;
    manager.UpdateCursor(&pane, nullptr, 1);
    EXPECT_EQ(host.Count("DropCursorWidget"), 0);
    Heartbeat(200.0f, 150.0f);
    host.Clear();
    manager.UpdateCursor(&pane, nullptr, 1);
    EXPECT_EQ(host.Count("DropCursorWidget"), 1);
    EXPECT_FALSE(host.invalidated.empty());
    EXPECT_EQ(Painted(image), 0u);
    EXPECT_EQ(manager.GetCurrentCursor(), -1);
    host.Clear();
    manager.UpdateCursor(&pane, nullptr, 1);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(CursorManagerTest, MovingOntoAPaneRemovesTheOutlineOnceAndShowsThePanesCursor)
{
    Heartbeat(200.0f, 150.0f);
    ASSERT_GT(Painted(image), 0u);
    host.Clear();
    CWidget pane;
    host.paneAnswer = 12;
    manager.UpdateCursor(&pane, nullptr, 1);
    EXPECT_FALSE(host.invalidated.empty());
    EXPECT_EQ(Painted(image), 0u);
    EXPECT_EQ(host.Count("Select 12"), 1);
    EXPECT_EQ(host.Count("ShowCursor"), 1);
    EXPECT_EQ(manager.GetCurrentCursor(), 12);
    host.Clear();
    manager.UpdateCursor(&pane, nullptr, 1);
    EXPECT_TRUE(host.invalidated.empty());
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(CursorManagerTest, TheSimpleCursorRemovesAVisibleOutlineOnceAndShowsThePlainCursor)
{
    Heartbeat(200.0f, 150.0f);
    host.Clear();
    manager.SetSimpleCursor(1);
    Heartbeat(200.0f, 150.0f);
    EXPECT_FALSE(host.invalidated.empty());
    EXPECT_EQ(Painted(image), 0u);
    EXPECT_EQ(host.Count("Select 34"), 1);
    EXPECT_EQ(manager.GetCurrentCursor(), 34);
    host.Clear();
    Heartbeat(205.0f, 150.0f);
    EXPECT_TRUE(host.invalidated.empty());
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(manager.DrawToolCursor(nullptr, 0), kResHandled);
}

TEST_F(CursorManagerTest, ZoomingOutUnderEightPixelsGivesThePlainCursorAndZoomingBackTheOutline)
{
    Heartbeat(200.0f, 150.0f);
    const float radius = manager.GetRecord().radius;
    ASSERT_GT(radius, 8.0f);
    host.Clear();
    ASSERT_EQ(canvas.SetZoom(7.5f / radius, 0), kResOk);
    Heartbeat(200.0f, 150.0f);
    EXPECT_EQ(manager.GetCurrentCursor(), 34);
    EXPECT_EQ(host.Count("Select 34"), 1);
    EXPECT_EQ(host.Count("ShowCursor"), 1);
    EXPECT_EQ(manager.GetRecord().toolId, -1);
    // The old outline was invalidated and redrawn away.
    EXPECT_EQ(host.invalidated.size(), 12u);
    EXPECT_EQ(Painted(image), 0u);
    host.Clear();
    Heartbeat(200.0f, 150.0f);
    EXPECT_TRUE(host.invalidated.empty());
    EXPECT_TRUE(host.calls.empty());
    ASSERT_EQ(canvas.SetZoom(1.0f, 0), kResOk);
    Heartbeat(200.0f, 150.0f);
    EXPECT_EQ(manager.GetCurrentCursor(), -2);
    EXPECT_EQ(host.Count("HideSystemCursor"), 1);
    EXPECT_GT(Painted(image), 0u);
}

TEST_F(CursorManagerTest, NavigationToolsShowTheirCursorsAndNoneWhilePressed)
{
    Use(4911);
    Heartbeat(200.0f, 150.0f);
    EXPECT_EQ(host.Count("Select 37"), 1);
    host.pen = true;
    Heartbeat(200.0f, 150.0f);
    EXPECT_EQ(manager.GetCurrentCursor(), 0);
    EXPECT_EQ(host.Count("HideCursor"), 1);
    host.pen = false;
    host.right = true;
    Use(4902);
    Heartbeat(200.0f, 150.0f);
    EXPECT_EQ(manager.GetCurrentCursor(), 0);
}

TEST_F(CursorManagerTest, TheRecordTakesTheViewPlaceTheZoomAndTheAngleOfTheNib)
{
    ASSERT_EQ(canvas.SetZoom(2.0f, 0), kResOk);
    canvas.SetPaintingTopLeft({20, 10});
    Heartbeat(50.0f, 40.0f);
    const OutlineRecord& record = manager.GetRecord();
    EXPECT_FLOAT_EQ(record.x, 120.0f);
    EXPECT_FLOAT_EQ(record.y, 90.0f);
    EXPECT_FLOAT_EQ(record.zoom, 2.0f);
    EXPECT_FLOAT_EQ(record.radius, tool->GetNibWidth(1.0f));
    EXPECT_FLOAT_EQ(record.secondaryRadius, record.radius);
    EXPECT_EQ(record.penDown, 0u);
    // Upright with no nib direction: d = atan2(0, 0) / 2pi + 0.75, angle (1.5 - 0.75) x 2pi.
    EXPECT_NEAR(record.angle, 0.75 * kTwoPi, 1e-5);
    // A tilted pen gives its own direction: (1.5 - 0.1 - 0.25) x 2pi within one turn.
    canvas.SetRotation(0.25f);
    Heartbeat(50.0f, 40.0f, 0.5f, 0.1f);
    EXPECT_NEAR(manager.GetRecord().angle, 0.15 * kTwoPi, 1e-5);
    EXPECT_FLOAT_EQ(manager.GetRecord().tiltAltitude, 0.5f);
    // A crayon stroke keeps the pen's tilt; the roller's is taken upright while it rolls.
    host.pen = true;
    tool->SetStrokeLength(5.0f);
    Heartbeat(50.0f, 40.0f, 0.5f, 0.1f);
    EXPECT_NEAR(manager.GetRecord().angle, 0.15 * kTwoPi, 1e-5);
    Use(4915)->SetStrokeLength(5.0f);
    Heartbeat(50.0f, 40.0f, 0.5f, 0.1f);
    EXPECT_NEAR(manager.GetRecord().angle, 0.5 * kTwoPi, 1e-5);
}

TEST_F(CursorManagerTest, TheOilOutlineShowsTheFullBrushAndItsOval)
{
    CToolBase* oil = Use(4900);
    // A stroke 30 long narrows the oil brush to log 12 / log 20 of its width.
    oil->SetStrokeLength(30.0f);
    Heartbeat(200.0f, 150.0f);
    // Property 0.5 through the oil's line: (2 x 0.5 - 1) x 0.25 + 0.75.
    oil->SetStrokeLength(10000.0f);
    const float full = oil->GetNibWidth(0.75f) * 0.5f;
    oil->SetStrokeLength(30.0f);
    const float narrowed = oil->GetNibWidth(0.75f) * 0.5f;
    EXPECT_FLOAT_EQ(manager.GetRecord().radius, full);
    EXPECT_FLOAT_EQ(manager.GetRecord().secondaryRadius, full * 0.5f);
    EXPECT_FLOAT_EQ(oil->GetStrokeLength(), 30.0f);
    ASSERT_LT(narrowed, full * 0.9f);
    ASSERT_GT(narrowed, 8.0f);
    // With the pen down and a load above 1 the width is the stroke's own, and the brush turns
    // with its nib as if the pen were upright: d = atan2(0, 0) / 2pi + 0.75, not the tilt's 0.
    host.pen = true;
    Heartbeat(200.0f, 150.0f, 0.3f, 0.0f);
    EXPECT_FLOAT_EQ(manager.GetRecord().radius, narrowed);
    EXPECT_NEAR(manager.GetRecord().angle, 0.75 * kTwoPi, 1e-5);
    EXPECT_FLOAT_EQ(manager.GetRecord().tiltAltitude, 0.3f);
    EXPECT_EQ(manager.GetRecord().penDown, 1u);
    // A load of 1 or less shows the full brush even with the pen down; above 0 it still turns
    // with the nib.
    oil->SetStrokeLength(0.5f);
    Heartbeat(200.0f, 150.0f, 0.3f, 0.0f);
    EXPECT_FLOAT_EQ(manager.GetRecord().radius, full);
    EXPECT_NEAR(manager.GetRecord().angle, 0.75 * kTwoPi, 1e-5);
    // A load of exactly 1 is not above 1.
    oil->SetStrokeLength(1.0f);
    Heartbeat(200.0f, 150.0f, 0.3f, 0.0f);
    EXPECT_FLOAT_EQ(manager.GetRecord().radius, full);
    // With no load the pen's own tilt direction counts: (1.5 - 0) x 2pi within one turn.
    oil->SetStrokeLength(0.0f);
    Heartbeat(200.0f, 150.0f, 0.3f, 0.0f);
    EXPECT_NEAR(manager.GetRecord().angle, 0.5 * kTwoPi, 1e-5);
}

TEST_F(CursorManagerTest, TheSprayToolsTurnTheirEllipseByTheToolsSwitch)
{
    CToolBase* glitter = Use(4913);
    glitter->SetToolFlag(1);
    Heartbeat(200.0f, 150.0f);
    // d = 0.75 + 0.75: the angle (1.5 - 1.5) x 2pi.
    EXPECT_NEAR(manager.GetRecord().angle, 0.0, 1e-5);
    glitter->SetToolFlag(0);
    Heartbeat(200.0f, 150.0f);
    EXPECT_NEAR(manager.GetRecord().angle, 0.5 * kTwoPi, 1e-5);
    // Its tilt reach property is 0: t = 1, so the record keeps the pen's altitude.
    Heartbeat(200.0f, 150.0f, 0.4f, 0.0f);
    EXPECT_FLOAT_EQ(manager.GetRecord().tiltAltitude, 0.4f);
    EXPECT_EQ(manager.GetCurrentCursor(), -2);
}

// An airbrush whose tilt reach is 0.8: t = 1 - 0.8 / 1.6 = 0.5.
class ShortReachAirbrush : public CAirBrushNew {
public:
    float GetProperty(uint32_t textId) const override { return textId == 0xB2D05EA9u ? 0.8f : 0.0f; }
};

TEST_F(CursorManagerTest, TheTiltReachPropertyLimitsTheSprayEllipsesTilt)
{
    tool = std::make_unique<ShortReachAirbrush>();
    tool->Invalidate();
    canvas.SetCurrentTool(tool.get());
    Heartbeat(200.0f, 150.0f, 0.9f, 0.0f);
    EXPECT_FLOAT_EQ(manager.GetRecord().tiltAltitude, 0.5f);
    Heartbeat(200.0f, 150.0f, 0.3f, 0.0f);
    EXPECT_FLOAT_EQ(manager.GetRecord().tiltAltitude, 0.3f);
}

// With no nib direction theta is 3pi/2: the knife's and the roller's line lies along x through
// the pen, the roller's rectangle has its long edges S above and below it.
TEST_F(CursorManagerTest, TheKnifeAndTheRollerDrawTheirLinesAndRectangle)
{
    const auto at = [this](double x, double y) {
        CImNav nav(&image);
        return nav.Pixels(int32_t(std::lround(y)))[int32_t(std::lround(x))];
    };
    Use(4905)->SetSize(0.3f);
    Heartbeat(200.0f, 150.0f);
    ASSERT_EQ(manager.GetCurrentCursor(), -2);
    double r = manager.GetRecord().radius;
    EXPECT_NE(at(200 + 0.3 * r, 150), kGround);
    EXPECT_EQ(at(200 + 0.8 * r, 150), kGround);
    EXPECT_NE(at(200, 150 + r), kGround);
    host.pen = true;
    Heartbeat(200.0f, 150.0f);
    EXPECT_NE(at(200 + 0.8 * r, 150), kGround);
    EXPECT_EQ(at(200, 150 + r), kGround);
    // Lifting the pen takes the whole line away and puts the ring and the short line: nothing
    // invalidated reaches past the ring's and the line's bands.
    host.Clear();
    host.pen = false;
    Heartbeat(200.0f, 150.0f);
    ASSERT_FALSE(host.invalidated.empty());
    for (const tCRect& rect : host.invalidated) {
        EXPECT_GE(rect.left, 200 - r - 5.5);
        EXPECT_LE(rect.right, 200 + r + 5.5);
    }

    host.pen = false;
    Use(4915)->SetSize(0.1f);
    Heartbeat(200.0f, 150.0f);
    ASSERT_EQ(manager.GetCurrentCursor(), -2);
    r = manager.GetRecord().radius;
    const double s = manager.GetRecord().secondaryRadius;
    EXPECT_FLOAT_EQ(float(s), float(r * 0.2));
    EXPECT_NE(at(200, 150), kGround);
    EXPECT_NE(at(200, 150 + r), kGround);
    host.pen = true;
    Heartbeat(200.0f, 150.0f);
    EXPECT_EQ(at(200, 150), kGround);
    EXPECT_EQ(at(200, 150 + r), kGround);
    EXPECT_NE(at(200, 150 - s), kGround);
    EXPECT_NE(at(200 + r, 150), kGround);
}

TEST_F(CursorManagerTest, ANonFiniteTiltOrPlaceGivesNoOutline)
{
    const CPenSample bad{200.0f, 150.0f, 0.5f, NAN, 0.0f, 0};
    EXPECT_EQ(manager.DrawToolCursor(&bad, 0), kResHandled);
    const CPenSample far{INFINITY, 150.0f, 0.5f, 1.0f, 0.0f, 0};
    EXPECT_EQ(manager.DrawToolCursor(&far, 0), kResHandled);
    EXPECT_TRUE(host.invalidated.empty());
    manager.UpdateCursor(view, &bad, 1);
    EXPECT_EQ(manager.GetCurrentCursor(), 34);
}

TEST_F(CursorManagerTest, TheOverlayDrawsNothingWhileDraggingErasingOrSimple)
{
    Heartbeat(200.0f, 150.0f);
    canvas.SetDragging(1);
    Redraw();
    EXPECT_EQ(Painted(image), 0u);
    EXPECT_EQ(manager.GetOverlayDrawn(), 0u);
    canvas.SetDragging(0);
    Redraw();
    EXPECT_GT(Painted(image), 0u);
    manager.SetSimpleCursor(1);
    Redraw();
    EXPECT_EQ(Painted(image), 0u);
}

// Over the tools and pen states: the old outline's pixels and the new outline's pixels both lie
// in what one move invalidated.
TEST_F(CursorManagerTest, EveryPixelOfTheOldAndTheNewOutlineIsInvalidated)
{
    std::mt19937 random(3600);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    host.redraw = nullptr;
    CImage before(800, 600);
    int checked = 0;
    for (int round = 0; round < 16; ++round) {
        const uint32_t id = std::array<uint32_t, 6>{4900u, 4902u, 4905u, 4913u, 4914u, 4915u}[round % 6];
        for (int state = 0; state < 4; ++state) {
            const bool then = state & 1, now = state & 2;
            if ((id == 4913 || id == 4914) && (then || now))
                continue;
            CToolBase* current = Use(id);
            current->SetSize(0.1f + unit(random) * 0.9f);
            current->SetStrokeLength(unit(random) < 0.5f ? 0.5f : 100.0f);
            ASSERT_EQ(canvas.SetZoom(0.5f + unit(random) * 2.0f, 0), kResOk);
            canvas.SetPaintingTopLeft({0, 0});
            canvas.SetRotation(unit(random));
            host.pen = then;
            Heartbeat(150.0f + unit(random) * 20.0f, 140.0f, unit(random), unit(random));
            Clear(before);
            manager.DrawToolOverlay({0, 0, 800, 600}, &before);
            host.Clear();
            host.pen = now;
            Heartbeat(160.0f + unit(random) * 20.0f, 150.0f, unit(random), unit(random));
            Redraw();
            SCOPED_TRACE(testing::Message() << "tool " << id << " then " << then << " now " << now << " R "
                                            << manager.GetRecord().radius);
            // A small brush at a small zoom has no outline.
            if (manager.GetCurrentCursor() != kCursorOutline)
                continue;
            ++checked;
            ASSERT_GT(Painted(image), 0u);
            for (CImage* painted : {&before, &image}) {
                CImNav nav(painted);
                for (int32_t y = 0; y < 600; ++y)
                    for (int32_t x = 0; x < 800; ++x) {
                        if (nav.Pixels(y)[x] == kGround)
                            continue;
                        bool inside = false;
                        for (const tCRect& r : host.invalidated)
                            inside = inside || r.Contains({x, y});
                        ASSERT_TRUE(inside) << (painted == &image ? "new" : "old") << " pixel " << x << "," << y;
                    }
            }
        }
    }
    EXPECT_GT(checked, 30);
}

}  // namespace
