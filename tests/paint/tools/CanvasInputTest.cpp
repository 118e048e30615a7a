#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "RecordingCanvasTool.h"
#include "bench/StrokeReplay.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CanvasInputGuards.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/PaintCell.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/CTabletInput.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/PenSettings.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/IBackdropServices.h"
#include "toolkit/widgets/WidgetTestSupport.h"

using namespace w32;

namespace {

// The backdrop at the root of the view's tree: it records the modal stack and the cursor.
class InputTestRoot : public TestRoot, public IBackdropServices {
public:
    InputTestRoot() : TestRoot(400, 300) {}
    tResult SelectCursorById(uint32_t id) override { return cursor = id, kResOk; }
    tResult PushModal(CWidget* widget) override { return modal.push_back(widget), kResOk; }
    void PopModal() override
    {
        ++pops;
        modal.pop_back();
    }
    CWidget* GetRolloverWidget() const override { return rollover; }
    uint32_t GetPixelAt(tCPoint point) const override { return 0xFF000000u | uint32_t(point.x << 8 | point.y); }
    uint32_t GetBackgroundColour() const override { return background; }
    tResult SetBackgroundColour(uint32_t colour, uint32_t) override { return background = colour, kResOk; }

    uint32_t cursor = 0;
    std::vector<CWidget*> modal;
    int pops = 0;
    CWidget* rollover = nullptr;
    uint32_t background = 0;
};

// Both message targets: every message in the order it came, with the stroke samples.
class MessageRecorder : public tCCmdTarget {
public:
    MessageRecorder()
    {
        SetBackdropTarget(this);
        SetBackboneTarget(this);
    }
    ~MessageRecorder() override
    {
        SetBackdropTarget(nullptr);
        SetBackboneTarget(nullptr);
    }
    tResult OnMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t) override
    {
        codes.push_back(message);
        args.push_back(b);
        if (message == kMsgStrokeSample)
            samples.push_back(*FromMsgArg<CPenSample>(b));
        if (message == kMsgCanvasZoom) {
            zooms.push_back(*FromMsgArg<float>(b));
            if (canvas)
                (void)canvas->SetZoom(zooms.back(), 0);
        }
        return message == kMsgStrokeStarting ? startAnswer : kResOk;
    }
    int Count(uint32_t code) const { return int(std::count(codes.begin(), codes.end(), code)); }

    std::vector<uint32_t> codes;
    std::vector<tMsgArg> args;
    std::vector<CPenSample> samples;
    std::vector<float> zooms;
    tResult startAnswer = kResOk;
    // Given the zooms back, as the controller does.
    CCanvas* canvas = nullptr;
};

// The painting view at (20, 10) in a root at the screen's origin, over a canvas of one grained
// layer with a real undo store; the mouse is scripted through the heartbeats a loop runs.
class CanvasInputTest : public ScriptedAppTest {
protected:
    void SetUp() override
    {
        ScriptedAppTest::SetUp();
        app->Activate();
        ASSERT_EQ(app->CreateTabletInput(), kResOk);
        ASSERT_NE(ApplicationTabletInput(), nullptr);
        root = std::make_unique<InputTestRoot>();
        view = new TestWidget(u"view");
        ASSERT_EQ(view->SetSize(300, 200, 0), kResOk);
        ASSERT_EQ(view->SetPosition(20, 10, 0), kResOk);
        ASSERT_EQ(root->AddChild(view, 0), kResOk);
        app->tick = [this] { return Step(); };
    }
    void TearDown() override
    {
        headless::SetKeyState(VK_LBUTTON, false);
        headless::SetKeyState(VK_RBUTTON, false);
        replay.reset();
        root.reset();
        ScriptedAppTest::TearDown();
    }

    void MakeCanvas(uint32_t toolId)
    {
        ReplayOptions options;
        options.toolId = toolId;
        options.width = 200;
        options.height = 150;
        options.render = 1;
        replay = std::make_unique<CStrokeReplay>(options);
        ASSERT_EQ(replay->SetUp(), kResOk);
        ASSERT_EQ(canvas().AttachView(view), kResOk);
        canvas().SetPaintingTopLeft({0, 0});
    }
    CCanvas& canvas() { return replay->GetCanvas(); }

    // Presses `button` at the first point; each heartbeat moves to the next, then releases.
    void Script(int button, std::vector<tCPoint> path)
    {
        m_button = button;
        m_path = std::move(path);
        m_next = 1;
        headless::MoveMouse(m_path[0].x, m_path[0].y);
        headless::SetKeyState(button, true);
    }
    // Each round is a frame apart on the virtual clock, which paces the tools' strokes.
    tResult Step()
    {
        headless::AdvanceClock(16);
        if (m_next < m_path.size()) {
            headless::MoveMouse(m_path[m_next].x, m_path[m_next].y);
            ++m_next;
        } else {
            headless::SetKeyState(m_button, false);
        }
        return kResOk;
    }
    tResult Press(tCPoint local = {})
    {
        CWidget* takenBy = nullptr;
        return CCanvas::OnPenInput(ToMsgArg(&canvas()), view, &takenBy, &local);
    }
    tResult RightPress()
    {
        CWidget* takenBy = nullptr;
        tCPoint local;
        return CCanvas::OnDragView(ToMsgArg(&canvas()), view, &takenBy, &local);
    }
    // Every cell's bytes.
    std::vector<uint8_t> Cells()
    {
        CPaintCellNav nav(replay->GetCells());
        std::vector<uint8_t> bytes;
        for (int32_t y = 0; y < nav.GetHeight(); ++y) {
            const uint8_t* row = reinterpret_cast<const uint8_t*>(nav.Cells(y));
            bytes.insert(bytes.end(), row, row + size_t(nav.GetWidth()) * sizeof(PaintCell));
        }
        return bytes;
    }
    // The paint's alpha at a cell.
    uint32_t AlphaAt(int32_t x, int32_t y)
    {
        CPaintCellNav nav(replay->GetCells());
        return nav.Cells(y)[x].colour >> 24;
    }

    std::unique_ptr<InputTestRoot> root;
    TestWidget* view = nullptr;
    std::unique_ptr<CStrokeReplay> replay;
    MessageRecorder recorder;

private:
    int m_button = VK_LBUTTON;
    std::vector<tCPoint> m_path;
    size_t m_next = 0;
};

std::vector<tCPoint> Line(tCPoint a, tCPoint b, int steps)
{
    std::vector<tCPoint> points;
    for (int i = 0; i <= steps; ++i)
        points.push_back({a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps});
    return points;
}

TEST_F(CanvasInputTest, OilStrokeSendsItsMessagesInOrderAndUndoesAsOneStep)
{
    MakeCanvas(4900);
    const std::vector<uint8_t> before = Cells();
    Script(VK_LBUTTON, Line({60, 50}, {180, 110}, 12));
    ASSERT_EQ(Press(), kResOk);

    ASSERT_GE(recorder.codes.size(), 3u);
    EXPECT_EQ(recorder.codes.back(), kMsgStrokeEnded);
    EXPECT_EQ(recorder.args.back(), tMsgArg(-1));
    // One sample per loop round: the press, the twelve moves and the round that saw the release.
    EXPECT_EQ(recorder.Count(kMsgStrokeSample), 13);
    std::vector<uint32_t> strokeCodes;
    for (uint32_t code : recorder.codes)
        if (code == kMsgStrokeStarting || code == kMsgStrokeSample || code == kMsgStrokeEnded)
            strokeCodes.push_back(code);
    ASSERT_EQ(strokeCodes.size(), 15u);
    EXPECT_EQ(strokeCodes.front(), kMsgStrokeStarting);
    EXPECT_EQ(strokeCodes.back(), kMsgStrokeEnded);
    // Samples travel in root coordinates, the mouse's screen points here.
    EXPECT_EQ(recorder.samples.front().x, 60.0f);
    EXPECT_EQ(recorder.samples.back().x, 180.0f);
    EXPECT_EQ(root->cursor, 34u);
    EXPECT_EQ(canvas().GetStrokeActive(), 0u);
    EXPECT_EQ(canvas().GetInputIdle(), 1u);
    EXPECT_EQ(CPenServiceGuard::GetHolderCount(), 0);
    EXPECT_EQ(ApplicationTabletInput()->GetContact(), 0);

    // The painting stands at the root's origin: the path runs over cells (60, 50) to (180, 110),
    // painted along it, not away from it.
    EXPECT_GT(AlphaAt(120, 80), 0u);
    EXPECT_GT(AlphaAt(170, 105), 0u);
    EXPECT_EQ(AlphaAt(60, 130), 0u);
    EXPECT_NE(Cells(), before);

    int32_t steps = 0;
    ASSERT_EQ(replay->UndoAll(&steps), kResOk);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(Cells(), before);
}

TEST_F(CanvasInputTest, ANonZeroAnswerBeforeTheStrokeCancelsItWithoutAnUndoStep)
{
    MakeCanvas(4900);
    const std::vector<uint8_t> before = Cells();
    recorder.startAnswer = kResCancelled;
    Script(VK_LBUTTON, Line({60, 50}, {180, 110}, 4));
    EXPECT_EQ(Press(), kResCancelled);
    EXPECT_EQ(recorder.Count(kMsgStrokeSample), 0);
    EXPECT_EQ(recorder.Count(kMsgStrokeEnded), 0);
    EXPECT_EQ(Cells(), before);
    int32_t steps = 0;
    ASSERT_EQ(replay->UndoAll(&steps), kResOk);
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(canvas().GetStrokeActive(), 0u);
    EXPECT_EQ(canvas().GetInputIdle(), 1u);
}

TEST_F(CanvasInputTest, TheSamplerPicksColoursOnlyOverThePainting)
{
    MakeCanvas(4909);
    // The painting is 200 x 150 cells from the root's origin: x = 300 lies beside it.
    Script(VK_LBUTTON, {{300, 50}, {305, 60}});
    ASSERT_EQ(Press(), kResOk);
    EXPECT_EQ(recorder.Count(kMsgCanvasColourPicked), 0);
    Script(VK_LBUTTON, {{100, 50}, {105, 60}});
    ASSERT_EQ(Press(), kResOk);
    EXPECT_GE(recorder.Count(kMsgCanvasColourPicked), 2) << "one pick per place the pointer passes";
}

TEST_F(CanvasInputTest, AStrokeStartsByPickingTheTracingImagesColourUnderThePen)
{
    MakeCanvas(4900);
    auto* tracing = new CImage(200, 150);
    CImNav(tracing).Fill(0xFF123456u);
    ASSERT_EQ(canvas().SetTracingImage(tracing), kResOk);
    canvas().SetTracingMode(0);
    canvas().SetTraceColourPick(1);
    Script(VK_LBUTTON, Line({60, 50}, {120, 80}, 4));
    ASSERT_EQ(Press(), kResOk);
    const auto picked = std::find(recorder.codes.begin(), recorder.codes.end(), kMsgCanvasColourPicked);
    ASSERT_NE(picked, recorder.codes.end());
    EXPECT_EQ(recorder.args[size_t(picked - recorder.codes.begin())], tMsgArg(0xFF123456u));
    EXPECT_LT(picked, std::find(recorder.codes.begin(), recorder.codes.end(), kMsgStrokeStarting));
}

TEST_F(CanvasInputTest, NavigationToolsNeverPaintNorOpenAStep)
{
    for (uint32_t id : {4909u, 4910u, 4911u, 4912u}) {
        MakeCanvas(id);
        const std::vector<uint8_t> before = Cells();
        Script(VK_LBUTTON, Line({60, 50}, {180, 110}, 4));
        EXPECT_EQ(Press(), kResOk) << id;
        EXPECT_EQ(Cells(), before) << id;
        int32_t steps = 0;
        ASSERT_EQ(replay->UndoAll(&steps), kResOk);
        EXPECT_EQ(steps, 0) << id;
        EXPECT_EQ(recorder.Count(kMsgStrokeStarting), 0) << id;
        EXPECT_TRUE(root->modal.empty()) << id;
    }
}

TEST_F(CanvasInputTest, ZoomToolStaysWithinItsLimits)
{
    MakeCanvas(4912);
    recorder.canvas = &canvas();
    Script(VK_LBUTTON, {{10, 10}, {400, 10}, {1200, 10}});
    ASSERT_EQ(Press(), kResOk);
    ASSERT_EQ(recorder.zooms.size(), 2u);
    // 1 + 1 x 0.004 x 390 = 2.56; then 2.56 + 2.56 x 0.004 x 800 = 10.75, beyond 8.
    EXPECT_NEAR(recorder.zooms[0], 2.56f, 1e-5f);
    EXPECT_EQ(recorder.zooms[1], 8.0f);

    recorder.zooms.clear();
    Script(VK_LBUTTON, {{1000, 10}, {700, 10}});
    ASSERT_EQ(Press(), kResOk);
    ASSERT_EQ(recorder.zooms.size(), 1u);
    // 8 - 8 x 0.004 x 300 is below 0.
    EXPECT_EQ(recorder.zooms[0], 0.05f);
}

TEST_F(CanvasInputTest, RightClickWithinThreePixelsIsAClickAndFourDrags)
{
    MakeCanvas(4900);
    root->rollover = view;
    const tCRect place = canvas().GetViewRect();
    Script(VK_RBUTTON, {{100, 100}, {103, 97}});
    ASSERT_EQ(RightPress(), kResOk);
    EXPECT_EQ(recorder.Count(kMsgViewClicked), 1);
    EXPECT_EQ(canvas().GetViewRect(), place);
    EXPECT_EQ(root->pops, 1);

    Script(VK_RBUTTON, {{100, 100}, {104, 100}});
    ASSERT_EQ(RightPress(), kResOk);
    EXPECT_EQ(recorder.Count(kMsgViewClicked), 1);
    EXPECT_EQ(canvas().GetViewRect().left, place.left + 4);
    EXPECT_EQ(canvas().GetDragging(), 0u);
}

TEST_F(CanvasInputTest, AltDragTurnsThePainting)
{
    MakeCanvas(4900);
    headless::SetKeyState(VK_MENU, true);
    Script(VK_RBUTTON, {{100, 100}, {110, 100}});
    ASSERT_EQ(RightPress(), kResOk);
    headless::SetKeyState(VK_MENU, false);
    EXPECT_NEAR(canvas().GetRotation(), -0.02f, 1e-6f);
}

TEST_F(CanvasInputTest, RotateToolTurnsByTheHorizontalMove)
{
    MakeCanvas(4911);
    Script(VK_LBUTTON, {{100, 100}, {125, 140}, {115, 140}});
    ASSERT_EQ(Press(), kResOk);
    // -(25 x 0.002) then +(10 x 0.002).
    EXPECT_NEAR(canvas().GetRotation(), -0.03f, 1e-6f);
    EXPECT_TRUE(root->modal.empty());
    EXPECT_EQ(root->pops, 1);
}

TEST_F(CanvasInputTest, MoveToolDragsThePainting)
{
    MakeCanvas(4910);
    canvas().SetPaintingTopLeft({10, 5});
    Script(VK_LBUTTON, {{100, 100}, {112, 110}});
    ASSERT_EQ(Press(), kResOk);
    EXPECT_EQ(canvas().GetViewRect().GetTopLeft(), (tCPoint{22, 15}));
    EXPECT_EQ(canvas().GetDragging(), 0u);
}

TEST_F(CanvasInputTest, APressWhileAStrokeRunsStartsNoDrag)
{
    MakeCanvas(4900);
    canvas().SetInputIdle(0);
    Script(VK_RBUTTON, {{100, 100}, {150, 100}});
    const tCRect place = canvas().GetViewRect();
    ASSERT_EQ(RightPress(), kResOk);
    EXPECT_EQ(canvas().GetViewRect(), place);
    EXPECT_TRUE(root->modal.empty());
    EXPECT_EQ(root->pops, 0);
    canvas().SetInputIdle(1);
}

float gMousePressure = 0.5f;

TEST_F(CanvasInputTest, SamplesFollowTheToolsPressureCurveAndTheReleaseKeepsTheLast)
{
    MakeCanvas(4900);
    SetPenSettingsSource([] { return tPenSettings{gMousePressure, 0.5f, 0}; });
    struct Row {
        uint32_t id;
        float p;
        float first;
        float following;
    };
    // By hand from the three curves at p = 0.25, 0.5 and 0.75.
    const Row rows[] = {
        {4900, 0.25f, 0.40f, 0.40f},   {4900, 0.5f, 0.75f, 0.75f},    {4900, 0.75f, 0.875f, 0.875f},
        {4901, 0.25f, 0.525f, 0.525f}, {4901, 0.5f, 0.975f, 0.975f},  {4901, 0.75f, 1.112f, 1.112f},
        {4902, 0.25f, 0.525f, 0.51f},  {4902, 0.5f, 1.0f, 1.0f},      {4902, 0.75f, 1.224f, 1.224f},
    };
    for (const Row& row : rows) {
        RecordingCanvasTool tool(row.id);
        canvas().SetCurrentTool(&tool);
        canvas().SetPaintingTopLeft({10, 5});
        gMousePressure = row.p;
        Script(VK_LBUTTON, Line({60, 50}, {100, 70}, 3));
        ASSERT_EQ(Press(), kResOk);
        ASSERT_EQ(tool.samples.size(), 6u);
        EXPECT_NEAR(tool.samples[0].pressure, row.first, 1e-5f) << row.id << " " << row.p;
        EXPECT_NEAR(tool.samples[1].pressure, row.following, 1e-5f) << row.id << " " << row.p;
        EXPECT_EQ(tool.samples[5].pressure, tool.samples[4].pressure);
        EXPECT_EQ(canvas().GetLastPressure(), tool.samples[4].pressure);
        // The pencil always starts on the same side.
        EXPECT_EQ(tool.flag, row.id == 4901 ? 0u : 5u);
        // In cells: the painting stands at (10, 5) of the root at zoom 1.
        EXPECT_EQ(tool.samples[0].x, 50.0f);
        EXPECT_EQ(tool.samples[4].y, 65.0f);
    }
    SetPenSettingsSource(nullptr);
}

}  // namespace
