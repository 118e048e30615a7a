#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "RecordingCanvasTool.h"
#include "bench/StrokeReplay.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CanvasInputGuards.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/PaintCell.h"
#include "paint/engine/SafeConvert.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/Window.h"
#include "platform/TabletTool.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/CTabletInput.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/RecordingRoot.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/PenSettings.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/IBackdropServices.h"
#include "toolkit/widgets/WidgetTestSupport.h"
#include "toolkit/imaging/ImageFixtures.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace CanvasInputTests {

using namespace w32;

namespace {

constexpr uint32_t kCursorGrey = 0xFFC8C8CCu;

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
    // The widget under the pointer where it is now.
    CWidget* GetRolloverWidget() const override
    {
        CAppBase* application = GetApplication();
        CWidget* parent = rollover ? rollover->GetParent() : nullptr;
        tCPoint pointer = application ? application->GetCursorPosition() : tCPoint{};
        if (parent)
            parent->ScreenToLocalPoint(&pointer);
        return parent && rollover->GetRect().Contains(pointer) ? rollover : nullptr;
    }
    // The screen under the pointer shows the sampler's grey cursor.
    uint32_t GetPixelAt(tCPoint) const override { return kCursorGrey; }
    uint32_t GetBackgroundColour() const override { return background; }
    tResult SetBackgroundColour(uint32_t colour, uint32_t) override { return background = colour, kResOk; }
    // Each present records whether it drew at a drag's quality.
    tResult PresentDirtyRects() override
    {
        if (canvas)
            presentedWhileDragging.push_back(canvas->GetDragging());
        return TestRoot::PresentDirtyRects();
    }

    uint32_t cursor = 0;
    std::vector<CWidget*> modal;
    int pops = 0;
    CWidget* rollover = nullptr;
    uint32_t background = 0;
    CCanvas* canvas = nullptr;
    std::vector<uint32_t> presentedWhileDragging;
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
        root->canvas = nullptr;
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
        root->canvas = nullptr;
        replay = std::make_unique<CStrokeReplay>(options);
        ASSERT_EQ(replay->SetUp(), kResOk);
        // The replay serves the canvas as the controller does the painting's.
        canvas().SetShellServices(replay.get());
        ASSERT_EQ(canvas().AttachView(view), kResOk);
        canvas().SetPaintingTopLeft({0, 0});
        root->canvas = &canvas();
    }
    CCanvas& canvas() { return replay->GetCanvas(); }
    // The painting as the view draws it at a root point.
    uint32_t ViewPixel(tCPoint at)
    {
        CImage image(300, 200);
        EXPECT_EQ(canvas().CompositeView({0, 0, 300, 200}, &image), kResOk);
        return CImNav(&image).Pixels(at.y - 10)[at.x - 20];
    }

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
    tResult Press(tCPoint local = {}, CWidget** takenBy = nullptr)
    {
        CWidget* taken = nullptr;
        return CCanvas::OnPenInput(ToMsgArg(&canvas()), view, takenBy ? takenBy : &taken, &local);
    }
    tResult RightPress(tCPoint local = {})
    {
        CWidget* takenBy = nullptr;
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

TEST_F(CanvasInputTest, MoveRotateAndZoomToolsGiveUpThePressWhenTheirLoopEnds)
{
    for (uint32_t id : {4910u, 4911u, 4912u}) {
        MakeCanvas(id);
        Script(VK_LBUTTON, Line({60, 50}, {180, 110}, 4));
        CWidget* takenBy = root.get();
        EXPECT_EQ(Press({}, &takenBy), kResOk) << id;
        EXPECT_EQ(takenBy, nullptr) << id;
    }
}

TEST_F(CanvasInputTest, ZoomToolStaysWithinItsLimits)
{
    MakeCanvas(4912);
    recorder.canvas = &canvas();
    Script(VK_LBUTTON, {{10, 10}, {400, 10}, {1200, 10}});
    ASSERT_EQ(Press(), kResOk);
    ASSERT_EQ(recorder.zooms.size(), 2u);
    // 1.4 for every 100 pixels from the press: 1.4^3.9 = 3.71; 1.4^11.9 is beyond 8.
    EXPECT_NEAR(recorder.zooms[0], 3.7145f, 1e-4f);
    EXPECT_EQ(recorder.zooms[1], 8.0f);

    recorder.zooms.clear();
    Script(VK_LBUTTON, {{1200, 10}, {-400, 10}});
    ASSERT_EQ(Press(), kResOk);
    ASSERT_EQ(recorder.zooms.size(), 1u);
    // 8 x 1.4^-16 is below 0.05.
    EXPECT_EQ(recorder.zooms[0], 0.05f);
}

// The zoom is that of the pointer's distance from the press, however its moves come.
TEST_F(CanvasInputTest, AZoomDragGivesOneZoomHoweverItsMovesAreCut)
{
    MakeCanvas(4912);
    recorder.canvas = &canvas();
    const std::vector<tCPoint> oneMove{{100, 10}, {200, 10}};
    for (const std::vector<tCPoint>& path : {oneMove, Line({100, 10}, {200, 10}, 10)}) {
        ASSERT_EQ(canvas().SetZoom(1.0f, 0), kResOk);
        Script(VK_LBUTTON, path);
        ASSERT_EQ(Press(), kResOk);
        EXPECT_NEAR(recorder.zooms.back(), 1.4f, 1e-5f) << path.size() - 1 << " moves";
    }
    // Out and back to the press: the zoom the drag started from.
    const float start = canvas().GetZoom();
    Script(VK_LBUTTON, {{100, 10}, {170, 10}, {230, 10}, {160, 10}, {100, 10}});
    ASSERT_EQ(Press(), kResOk);
    EXPECT_EQ(recorder.zooms.back(), start);
}

// The painting's place after a zoom drag is that of the zoom reached, reckoned from the place at
// the press, however finely the moves come: in and out, past either limit, turned or not.
TEST_F(CanvasInputTest, AZoomDragLeavesThePaintingWhereItsDistanceSays)
{
    MakeCanvas(4912);
    recorder.canvas = &canvas();
    const auto place = [&] {
        const tCRect& rect = canvas().GetViewRect();
        return std::vector<int32_t>{rect.left, rect.top, rect.right, rect.bottom};
    };
    struct Case {
        float zoom;
        int32_t distance;
        float rotation;
    };
    for (const Case& c : {Case{1.0f, 150, 0.0f}, Case{1.0f, -150, 0.0f}, Case{4.0f, 400, 0.0f},
                          Case{0.1f, -400, 0.0f}, Case{1.0f, 150, 0.125f}}) {
        const auto fromThePress = [&] {
            canvas().SetRotation(c.rotation);
            ASSERT_EQ(canvas().SetZoom(c.zoom, 0), kResOk);
            canvas().SetPaintingTopLeft({200 - RoundToInt32(90.0 * c.zoom), 150 - RoundToInt32(80.0 * c.zoom)});
        };
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << " by " << c.distance << ", turned " << c.rotation);
        const tCPoint press{100, 10};
        const tCPoint end{press.x + c.distance, press.y};
        fromThePress();
        Script(VK_LBUTTON, {press, end});
        ASSERT_EQ(Press(), kResOk);
        const float reached = canvas().GetZoom();
        const std::vector<int32_t> atOnce = place();
        fromThePress();
        Script(VK_LBUTTON, Line(press, end, std::abs(c.distance)));
        ASSERT_EQ(Press(), kResOk);
        EXPECT_EQ(canvas().GetZoom(), reached);
        EXPECT_EQ(place(), atOnce) << "in single pixels";

        // Out and back to the press in single pixels leaves the painting where it was.
        fromThePress();
        const std::vector<int32_t> pressed = place();
        std::vector<tCPoint> outAndBack = Line(press, end, std::abs(c.distance));
        const std::vector<tCPoint> back = Line(end, press, std::abs(c.distance));
        outAndBack.insert(outAndBack.end(), back.begin() + 1, back.end());
        Script(VK_LBUTTON, outAndBack);
        ASSERT_EQ(Press(), kResOk);
        EXPECT_EQ(canvas().GetZoom(), c.zoom);
        EXPECT_EQ(place(), pressed) << "out and back";
    }
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

std::vector<tMsgArg> Picked(const MessageRecorder& recorder)
{
    std::vector<tMsgArg> picked;
    for (size_t i = 0; i < recorder.codes.size(); ++i)
        if (recorder.codes[i] == kMsgCanvasColourPicked)
            picked.push_back(recorder.args[i]);
    return picked;
}

TEST_F(CanvasInputTest, SamplingPicksThePaintingsColourUnderThePointerAndOutsideSetsTheBackground)
{
    MakeCanvas(4900);
    Script(VK_LBUTTON, Line({30, 60}, {190, 60}, 8));
    ASSERT_EQ(Press(), kResOk);
    RecordingCanvasTool sampler(4909);
    canvas().SetCurrentTool(&sampler);
    // The screen shows the cursor there; the painting's own colours are picked.
    Script(VK_LBUTTON, {{60, 50}, {61, 50}, {61, 50}, {70, 60}});
    ASSERT_EQ(Press(), kResOk);
    EXPECT_EQ(Picked(recorder), (std::vector<tMsgArg>{ViewPixel({60, 50}), ViewPixel({61, 50}), ViewPixel({70, 60})}));
    EXPECT_NE(ViewPixel({70, 60}), ViewPixel({70, 120})) << "the stroke's colour";
    EXPECT_EQ(root->pops, 1);
    EXPECT_EQ(root->background, 0u);
    // A press already released when the sampler starts picks once.
    headless::MoveMouse(100, 60);
    ASSERT_EQ(Press(), kResOk);
    EXPECT_EQ(Picked(recorder).back(), ViewPixel({100, 60}));
    EXPECT_EQ(Picked(recorder).size(), 4u);
    // The last cell is inside.
    Script(VK_LBUTTON, {{199, 149}});
    ASSERT_EQ(Press(), kResOk);
    EXPECT_EQ(Picked(recorder).back(), ViewPixel({199, 149}));
    EXPECT_EQ(root->background, 0u);

    // Beside the 200 x 150 painting the backdrop's background takes the paint colour.
    Script(VK_LBUTTON, {{250, 100}});
    ASSERT_EQ(Press(), kResOk);
    EXPECT_EQ(root->background, 0xFF2D5AA0u);
    EXPECT_EQ(Picked(recorder).size(), 5u);
    EXPECT_EQ(root->pops, 3);
}

TEST_F(CanvasInputTest, AltSamplesAndSpaceDragsInsteadOfPainting)
{
    MakeCanvas(4900);
    const std::vector<uint8_t> before = Cells();
    headless::SetKeyState(VK_MENU, true);
    Script(VK_LBUTTON, {{60, 50}, {64, 52}});
    ASSERT_EQ(Press(), kResOk);
    headless::SetKeyState(VK_MENU, false);
    EXPECT_EQ(Picked(recorder), (std::vector<tMsgArg>{ViewPixel({60, 50}), ViewPixel({64, 52})}));

    headless::SetKeyState(VK_SPACE, true);
    const tCPoint topLeft = canvas().GetViewRect().GetTopLeft();
    Script(VK_LBUTTON, {{100, 100}, {110, 104}});
    ASSERT_EQ(Press(), kResOk);
    headless::SetKeyState(VK_SPACE, false);
    EXPECT_EQ(canvas().GetViewRect().GetTopLeft(), topLeft.Plus({10, 4}));
    EXPECT_EQ(canvas().GetInputIdle(), 1u);
    EXPECT_EQ(recorder.Count(kMsgStrokeStarting), 0);
    EXPECT_EQ(Cells(), before);
}

// The main window's root stands at the screen's origin, so that root points are screen points.
class ScreenRoot : public RecordingRoot {
public:
    void ScreenToLocalPoint(tCPoint*) override {}
};

// The headless screen is 1280 x 800 and the tablet 12800 x 8000 units: ten units to a pixel.
tablet::tToolInfo PenEnd(const char* name)
{
    return {name, {{"Abs X", 0, 12800, 0}, {"Abs Y", 0, 8000, 0}, {"Abs Pressure", 0, 1000, 0}}};
}

// A main window's root that hands its presses to the canvas, as the backdrop does over the view.
struct PressingRoot : ScreenRoot {
    tResult DispatchLButtonDown(CWidget**, tCPoint* p) override { return press(VK_LBUTTON, *p); }
    tResult DispatchRButtonDown(CWidget**, tCPoint* p) override { return press(VK_RBUTTON, *p); }
    std::function<tResult(int, tCPoint)> press;
};

// The same view with a tablet: the pen's tip is one tool, its eraser end another.
class CanvasPenTest : public CanvasInputTest {
protected:
    static constexpr int32_t kTip = 7;
    static constexpr int32_t kEraserEnd = 8;

    void TearDown() override
    {
        tablet::DisconnectTool(kTip);
        tablet::DisconnectTool(kEraserEnd);
        if (CWindowBase* window = GetMainWindow())
            window->DestroyWindow();
        CanvasInputTest::TearDown();
    }
    // A main window for the tablet's context to post to, under the view, so that it is given
    // the mouse's input there.
    void OpenTablet(ScreenRoot* windowRoot = new ScreenRoot)
    {
        ASSERT_EQ(app->CreateMainWindow(windowRoot, 104, 640, 480, nullptr, 1), kResOk);
        ASSERT_TRUE(SetWindowPos(GetMainWindow()->GetHandle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
        ShowWindow(GetMainWindow()->GetHandle(), SW_SHOWNORMAL);
        POINT origin{0, 0};
        ASSERT_TRUE(ClientToScreen(GetMainWindow()->GetHandle(), &origin));
        ASSERT_LE(origin.x, 20);
        ASSERT_LE(origin.y, 10);
        app->Activate();
        tablet::ConnectTool(kTip, PenEnd("Pen stylus"));
        tablet::ConnectTool(kEraserEnd, PenEnd("Pen eraser"));
        ASSERT_EQ(ApplicationTabletInput()->OpenTabletContext(), kResOk);
        ASSERT_TRUE(ApplicationTabletInput()->HasContext());
    }
    // The window takes the input that waits, as the message loop does.
    static void DispatchWaitingInput()
    {
        for (MSG message; PeekMessageW(&message, nullptr, WM_KEYDOWN, WM_MOUSEWHEEL, PM_REMOVE);)
            DispatchMessageW(&message);
    }
    // What the pointer left in the queue, which the window would have taken.
    static void DropPointerMessages()
    {
        MSG handled;
        while (PeekMessageW(&handled, nullptr, WM_MOUSEMOVE, WM_MOUSEWHEEL, PM_REMOVE)) {
        }
    }
    // The pen end comes down at a tablet point with a pressure in thousandths; the hover before
    // the press reads it.
    void PutDown(int32_t tool, double x, double y, double pressure)
    {
        tablet::PressToolButton(tool, 1, true);
        tablet::MoveTool(tool, {{0, x}, {1, y}, {2, pressure}});
        CPenSample hover;
        EXPECT_EQ(ApplicationTabletInput()->PumpPackets(&hover), 0);
    }
};

TEST_F(CanvasPenTest, WhileTheEraserEndTouchesTheEraserToolPaints)
{
    MakeCanvas(4900);
    OpenTablet();
    RecordingCanvasTool brush(4900);
    RecordingCanvasTool eraser(4906);
    canvas().SetCurrentTool(&brush);
    canvas().SetEraserTool(&eraser);
    PutDown(kEraserEnd, 1000, 800, 600);
    ASSERT_EQ(IsPenEraser(), 1);
    Script(VK_LBUTTON, Line({100, 80}, {140, 80}, 3));
    ASSERT_EQ(Press(), kResOk);
    EXPECT_TRUE(brush.samples.empty());
    EXPECT_EQ(eraser.samples.size(), 6u);
    EXPECT_EQ(recorder.Count(kMsgStrokeEnded), 1);
    EXPECT_EQ(IsPenEraser(), 0) << "the stroke's end forgets the pen";

    // The tip paints with the current tool.
    PutDown(kTip, 1000, 800, 600);
    Script(VK_LBUTTON, Line({100, 80}, {140, 80}, 3));
    ASSERT_EQ(Press(), kResOk);
    EXPECT_EQ(brush.samples.size(), 6u);
    EXPECT_EQ(eraser.samples.size(), 6u);
}

// A tool that takes 20 ms of the clock for each sample: slower than a frame.
class SlowCanvasTool : public RecordingCanvasTool {
public:
    using RecordingCanvasTool::RecordingCanvasTool;
    tResult PaintLiveSample(CCanvas& canvas, const StrokeContext& context, const CPenSample& s) override
    {
        headless::AdvanceClock(20);
        return RecordingCanvasTool::PaintLiveSample(canvas, context, s);
    }
};

// Input faster than the loop waits in the queue: every corner of a zigzag sent at once, then
// the release and a move after it. Painting each takes longer than a frame: the screen is
// brought up to date after each.
TEST_F(CanvasPenTest, AMouseStrokeFollowsEveryDeliveredMoveAndEndsWhereTheButtonWentUp)
{
    MakeCanvas(4900);
    OpenTablet();
    SlowCanvasTool tool(4900);
    canvas().SetCurrentTool(&tool);
    std::vector<size_t> shownAfter;
    app->tick = [&] {
        shownAfter.push_back(tool.samples.size());
        return kResOk;
    };
    headless::MoveMouse(60, 50);
    MSG handled;
    while (PeekMessageW(&handled, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
    }
    headless::PressButton(VK_LBUTTON);
    const std::vector<tCPoint> corners = {{90, 120}, {120, 50}, {150, 120}, {180, 50}};
    for (const tCPoint& corner : corners)
        headless::MoveMouse(corner.x, corner.y);
    headless::ReleaseButton(VK_LBUTTON);
    headless::MoveMouse(280, 180);
    ASSERT_EQ(Press({40, 40}), kResOk);

    ASSERT_EQ(tool.samples.size(), corners.size() + 2);
    EXPECT_EQ(tool.samples.front().x, 60.0f) << "the stroke begins where the button went down";
    EXPECT_EQ(tool.samples.front().y, 50.0f);
    for (size_t i = 0; i < corners.size(); ++i) {
        EXPECT_EQ(tool.samples[i + 1].x, float(corners[i].x)) << i;
        EXPECT_EQ(tool.samples[i + 1].y, float(corners[i].y)) << i;
        EXPECT_EQ(tool.samples[i + 1].pen, 1) << "a delivered position is not smoothed";
    }
    EXPECT_EQ(tool.samples.back().x, 180.0f) << "it ends where the button went up";
    EXPECT_EQ(tool.samples.back().y, 50.0f);
    EXPECT_TRUE(PeekMessageW(&handled, GetMainWindow()->GetHandle(), WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE))
        << "the window still gets its release";
    EXPECT_EQ(shownAfter, (std::vector<size_t>{2, 3, 4, 5}));
    app->tick = nullptr;
}

TEST_F(CanvasPenTest, EveryPacketUpToTheReleaseIsASampleWithItsOwnPressureAndNoneAfterIt)
{
    MakeCanvas(4900);
    OpenTablet();
    RecordingCanvasTool tool(4900);
    canvas().SetCurrentTool(&tool);
    headless::MoveMouse(100, 80);
    PutDown(kTip, 1000, 800, 600);
    headless::PressButton(VK_LBUTTON);
    for (int i = 1; i <= 3; ++i)
        tablet::MoveTool(kTip, {{0, 1000.0 + 100 * i}, {2, 600.0 - 100 * i}});
    headless::ReleaseButton(VK_LBUTTON);
    tablet::MoveTool(kTip, {{0, 3000}, {2, 900}});
    ASSERT_EQ(Press(), kResOk);

    // Tablet units are tenths of a pixel, placed a pixel up and left.
    const std::vector<std::pair<float, float>> expected = {{99, 0.6f}, {109, 0.5f}, {119, 0.4f}, {129, 0.3f}, {129, 0.3f}};
    ASSERT_EQ(tool.samples.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_FLOAT_EQ(tool.samples[i].x, expected[i].first) << i;
        EXPECT_FLOAT_EQ(tool.samples[i].pressure, expected[i].second) << i;
    }
    EXPECT_FLOAT_EQ(canvas().GetLastPressure(), 0.3f);
}

// A press and release sent together, with no move between: the release keeps the press's
// pressure, so that the tap paints a dot, one undo step of its own.
TEST_F(CanvasPenTest, ATapPaintsADotWithThePressesPressure)
{
    OpenTablet();
    SetPenSettingsSource([] { return tPenSettings{0.5f, 0.5f, 0}; });
    for (uint32_t id : {4900u, 4901u, 4903u}) {
        MakeCanvas(id);
        RecordingCanvasTool recording(id);
        ICanvasTool* painting = canvas().GetCurrentTool();
        canvas().SetCurrentTool(&recording);
        headless::MoveMouse(100, 80);
        DropPointerMessages();
        headless::PressButton(VK_LBUTTON);
        headless::ReleaseButton(VK_LBUTTON);
        ASSERT_EQ(Press({80, 70}), kResOk) << id;
        ASSERT_EQ(recording.samples.size(), 2u) << id;
        EXPECT_GT(recording.samples[0].pressure, 0.0f) << id;
        EXPECT_EQ(recording.samples[1].pressure, recording.samples[0].pressure) << id;

        canvas().SetCurrentTool(painting);
        const std::vector<uint8_t> before = Cells();
        headless::PressButton(VK_LBUTTON);
        headless::ReleaseButton(VK_LBUTTON);
        ASSERT_EQ(Press({80, 70}), kResOk) << id;
        EXPECT_GT(AlphaAt(100, 80), 0u) << id << ": the tap laid paint under the pointer";
        int32_t steps = 0;
        ASSERT_EQ(replay->UndoAll(&steps), kResOk);
        EXPECT_EQ(steps, 1) << id;
        EXPECT_EQ(Cells(), before) << id;
        DropPointerMessages();
    }
    SetPenSettingsSource(nullptr);
}

// A window manager that minimises the window, takes it off the screen or takes its focus while
// a stroke is painted ends the stroke as a release there would: the same paint, one end, one
// undo step, and the moves once the window is back paint nothing.
TEST_F(CanvasPenTest, AStrokeWhoseWindowGoesEndsAsItsReleaseThere)
{
    OpenTablet();
    const HWND window = GetMainWindow()->GetHandle();
    const auto stroke = [&](const std::function<void()>& end) {
        MakeCanvas(4901);
        headless::MoveMouse(40, 80);
        DropPointerMessages();
        headless::PressButton(VK_LBUTTON);
        for (int x = 50; x <= 150; x += 10)
            headless::MoveMouse(x, 80 + x / 5);
        end();
        for (int x = 150; x >= 40; x -= 10)
            headless::MoveMouse(x, 140);
        const int32_t ends = recorder.Count(kMsgStrokeEnded);
        EXPECT_EQ(Press({20, 70}), kResOk);
        EXPECT_EQ(recorder.Count(kMsgStrokeEnded), ends + 1);
        DropPointerMessages();
        return Cells();
    };
    MakeCanvas(4901);
    const std::vector<uint8_t> blank = Cells();
    const std::vector<uint8_t> released = stroke([] { headless::ReleaseButton(VK_LBUTTON); });
    ASSERT_TRUE(released != blank);
    const std::vector<std::pair<std::function<void()>, std::function<void()>>> goings = {
        {[&] { headless::ReportShowState(window, SIZE_MINIMIZED); },
         [&] { headless::ReportShowState(window, SIZE_RESTORED); }},
        {[&] { headless::ReportHidden(window); }, [] {}},
        {[&] { headless::ReportFocus(window, false); }, [&] { headless::ReportFocus(window, true); }}};
    for (size_t i = 0; i < goings.size(); ++i) {
        const std::vector<uint8_t> ended = stroke([&] {
            goings[i].first();
            goings[i].second();
        });
        EXPECT_TRUE(ended == released) << i;
        int32_t steps = 0;
        ASSERT_EQ(replay->UndoAll(&steps), kResOk);
        EXPECT_EQ(steps, 1) << i;
    }
}

// Moves that wait together are all painted, and the view is presented once for them: a stroke
// of 32 waiting moves presents as often as one of a single move.
TEST_F(CanvasPenTest, WaitingMovesArePaintedInFullAndPresentedOnceARound)
{
    OpenTablet();
    SetPenSettingsSource([] { return tPenSettings{0.5f, 0.5f, 0}; });
    const auto strokePresents = [&](int moves) {
        MakeCanvas(4901);
        root->ClearRecords();
        headless::MoveMouse(30, 80);
        DropPointerMessages();
        headless::PressButton(VK_LBUTTON);
        for (int i = 1; i <= moves; ++i)
            headless::MoveMouse(30 + 6 * i, 80);
        headless::ReleaseButton(VK_LBUTTON);
        EXPECT_EQ(Press({10, 70}), kResOk);
        DropPointerMessages();
        return root->presents;
    };
    const int one = strokePresents(1);
    EXPECT_GT(one, 0);
    EXPECT_EQ(strokePresents(32), one);
    for (int x = 32; x < 200; x += 6)
        EXPECT_GT(AlphaAt(x, 80), 0u) << "the pencil's line is whole at " << x;
    SetPenSettingsSource(nullptr);
}

// A drag sent at once, faster than the view follows, goes the whole way its moves went and ends
// where the button went up: the move and rotate tools and the secondary button's drag.
TEST_F(CanvasPenTest, DragsSentAtOnceFollowTheirMovesToTheRelease)
{
    OpenTablet();
    MakeCanvas(4910);
    ASSERT_EQ(canvas().SetZoom(1.0f, 0), kResOk);
    canvas().SetPaintingTopLeft({10, 5});
    headless::MoveMouse(100, 100);
    headless::PressButton(VK_LBUTTON);
    headless::MoveMouse(150, 140);
    headless::MoveMouse(200, 180);
    headless::ReleaseButton(VK_LBUTTON);
    headless::MoveMouse(300, 190);
    ASSERT_EQ(Press({80, 90}), kResOk);
    EXPECT_EQ(canvas().GetViewRect().GetTopLeft(), (tCPoint{110, 85}));
    ASSERT_FALSE(root->presentedWhileDragging.empty());
    EXPECT_EQ(root->presentedWhileDragging.back(), 0u) << "the move ends drawn at full quality";
    DropPointerMessages();

    MakeCanvas(4911);
    headless::MoveMouse(100, 100);
    headless::PressButton(VK_LBUTTON);
    headless::MoveMouse(125, 140);
    headless::MoveMouse(115, 140);
    headless::ReleaseButton(VK_LBUTTON);
    headless::MoveMouse(600, 140);
    ASSERT_EQ(Press({80, 90}), kResOk);
    // -(25 x 0.002) then +(10 x 0.002).
    EXPECT_NEAR(canvas().GetRotation(), -0.03f, 1e-6f);
    DropPointerMessages();

    MakeCanvas(4900);
    ASSERT_EQ(canvas().SetZoom(1.0f, 0), kResOk);
    root->rollover = view;
    const tCRect place = canvas().GetViewRect();
    headless::MoveMouse(100, 100);
    headless::PressButton(VK_RBUTTON);
    headless::MoveMouse(220, 150);
    headless::MoveMouse(200, 160);
    headless::ReleaseButton(VK_RBUTTON);
    CWidget* takenBy = nullptr;
    tCPoint local{80, 90};
    root->presentedWhileDragging.clear();
    ASSERT_EQ(CCanvas::OnDragView(ToMsgArg(&canvas()), view, &takenBy, &local), kResOk);
    ASSERT_FALSE(root->presentedWhileDragging.empty());
    EXPECT_EQ(root->presentedWhileDragging.back(), 0u) << "the drag ends drawn at full quality";
    EXPECT_EQ(recorder.Count(kMsgViewClicked), 0) << "a drag is no click";
    EXPECT_EQ(canvas().GetViewRect().GetTopLeft(), place.GetTopLeft().Plus({100, 60}));
    MSG handled;
    EXPECT_TRUE(PeekMessageW(&handled, GetMainWindow()->GetHandle(), WM_RBUTTONUP, WM_RBUTTONUP, PM_NOREMOVE))
        << "the window still gets its release";
    DropPointerMessages();

    // A click whose pointer went on off the view before the program took it counts where the
    // button came up.
    headless::MoveMouse(100, 100);
    headless::PressButton(VK_RBUTTON);
    headless::ReleaseButton(VK_RBUTTON);
    headless::MoveMouse(5000, 5000);
    ASSERT_EQ(CCanvas::OnDragView(ToMsgArg(&canvas()), view, &takenBy, &local), kResOk);
    EXPECT_EQ(recorder.Count(kMsgViewClicked), 1) << "a click where the button came up";
    DropPointerMessages();
}

// Keys let go after the press and the moves were sent, before the program reads them, still
// count: Space with the left button drags the painting; Alt with the right turns it by the moves
// that came with it.
TEST_F(CanvasPenTest, APressAndEachMoveDoWhatTheKeysTheyCameWithSay)
{
    MakeCanvas(4900);
    auto* windowRoot = new PressingRoot;
    windowRoot->press = [this](int button, tCPoint p) {
        return button == VK_LBUTTON ? Press(p.Minus({20, 10})) : RightPress(p.Minus({20, 10}));
    };
    OpenTablet(windowRoot);
    const std::vector<uint8_t> before = Cells();
    const tCPoint topLeft = canvas().GetViewRect().GetTopLeft();
    headless::MoveMouse(100, 80);
    headless::PressKey(VK_SPACE);
    headless::PressButton(VK_LBUTTON);
    headless::MoveMouse(130, 90);
    headless::ReleaseButton(VK_LBUTTON);
    headless::ReleaseKey(VK_SPACE);
    DispatchWaitingInput();
    EXPECT_EQ(canvas().GetViewRect().GetTopLeft(), topLeft.Plus({30, 10}));
    EXPECT_EQ(Cells(), before);

    headless::PressKey(VK_MENU);
    headless::PressButton(VK_RBUTTON);
    headless::MoveMouse(150, 90);
    headless::ReleaseKey(VK_MENU);
    headless::MoveMouse(170, 100);
    headless::ReleaseButton(VK_RBUTTON);
    DispatchWaitingInput();
    EXPECT_NEAR(canvas().GetRotation(), -0.04f, 1e-6f) << "turned by the first move's 20 pixels";
    EXPECT_EQ(canvas().GetViewRect().GetTopLeft(), topLeft.Plus({50, 20})) << "moved by the second";
}

// While the button is held and nothing comes, a stroke and a drag wait a frame between rounds;
// input that comes is taken at once.
TEST_F(CanvasPenTest, AHeldButtonWaitsForInputAFrameAtATime)
{
    MakeCanvas(4900);
    OpenTablet();
    RecordingCanvasTool tool(4900);
    canvas().SetCurrentTool(&tool);
    for (int button : {VK_LBUTTON, VK_RBUTTON}) {
        std::vector<DWORD> rounds;
        app->tick = [&] {
            rounds.push_back(timeGetTime());
            if (rounds.size() > 1)
                rounds.size() == 2 ? headless::MoveMouse(130, 80) : headless::ReleaseButton(button);
            return kResOk;
        };
        headless::MoveMouse(100, 80);
        DropPointerMessages();
        headless::PressButton(button);
        ASSERT_EQ(button == VK_LBUTTON ? Press({80, 70}) : RightPress({80, 70}), kResOk);
        ASSERT_EQ(rounds.size(), 3u) << button;
        EXPECT_EQ(rounds, (std::vector<DWORD>{rounds[0], rounds[0] + 16, rounds[0] + 16}))
            << button << ": a frame's wait while nothing came, none once the move came";
        DropPointerMessages();
    }
    EXPECT_EQ(tool.samples.back().x, 130.0f);
    EXPECT_EQ(canvas().GetViewRect().left, 30);
    app->tick = nullptr;
}

TEST_F(CanvasPenTest, APenPacketOverTheViewStartsAStrokeAndElsewhereNothing)
{
    MakeCanvas(4900);
    RecordingCanvasTool tool(4900);
    canvas().SetCurrentTool(&tool);
    // A mouse sample is a screen point: the message answers 1 and does nothing more.
    EXPECT_EQ(canvas().OnMessage(kMsgPenPacket, 0, 0, 0, kMsgApply), 1);
    EXPECT_TRUE(tool.samples.empty());

    OpenTablet();
    headless::MoveMouse(600, 500);
    PutDown(kTip, 6000, 5000, 300);
    tablet::MoveTool(kTip, {{0, 6000}, {1, 5000}, {2, 300}});
    EXPECT_EQ(canvas().OnMessage(kMsgPenPacket, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_TRUE(tool.samples.empty()) << "(599, 499) lies beside the view";
    EXPECT_EQ(recorder.Count(kMsgStrokeStarting), 0);

    headless::MoveMouse(100, 80);
    tablet::MoveTool(kTip, {{0, 1000}, {1, 800}, {2, 300}});
    EXPECT_EQ(canvas().OnMessage(kMsgPenPacket, 0, 0, 0, kMsgApply), kResOk);
    // The button is up and nothing more came: the press and the release.
    EXPECT_EQ(tool.samples.size(), 2u);
    EXPECT_EQ(recorder.Count(kMsgStrokeEnded), 1);
}

TEST_F(CanvasInputTest, AHoverSampleTurnsTheCurrentToolAtTheCursor)
{
    MakeCanvas(4900);
    RecordingCanvasTool tool(4900);
    canvas().SetCurrentTool(&tool);
    canvas().SetPaintingTopLeft({10, 5});
    headless::MoveMouse(110, 65);
    EXPECT_EQ(canvas().OnMessage(kMsgHoverSample, 0, 0, 0, kMsgApply), kResOk);
    ASSERT_EQ(tool.hovers.size(), 1u);
    EXPECT_EQ(tool.hovers[0].x, 100.0f);
    EXPECT_EQ(tool.hovers[0].y, 60.0f);
    EXPECT_EQ(tool.hovers[0].pressure, 0.0f) << "a hover does not press";
    EXPECT_TRUE(tool.samples.empty());

    canvas().SetStrokeActive(1);
    EXPECT_EQ(canvas().OnMessage(kMsgHoverSample, 0, 0, 0, kMsgApply), kResOk);
    canvas().SetStrokeActive(0);
    EXPECT_EQ(tool.hovers.size(), 1u) << "not while a stroke runs";
    canvas().SetCurrentTool(nullptr);
    EXPECT_EQ(canvas().OnMessage(kMsgHoverSample, 0, 0, 0, kMsgApply), kResOk);
}

TEST_F(CanvasInputTest, TheMoveToolMessageDragsThePainting)
{
    MakeCanvas(4900);
    canvas().SetPaintingTopLeft({10, 5});
    const std::vector<uint8_t> before = Cells();
    Script(VK_LBUTTON, {{100, 100}, {107, 96}});
    EXPECT_EQ(canvas().OnMessage(kMsgRunMoveTool, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(canvas().GetViewRect().GetTopLeft(), (tCPoint{17, 1}));
    EXPECT_EQ(canvas().GetDragging(), 0u);
    EXPECT_EQ(root->pops, 1);
    EXPECT_EQ(recorder.Count(kMsgStrokeStarting), 0);
    EXPECT_EQ(Cells(), before);
}

// The shell side of the view: what the canvas asks of it, recorded.
class ShellRecorder : public IShellServices {
public:
    uint32_t GetPaintColour() override { return 0xFF808080u; }
    float GetPaintValue() override { return 0.0f; }
    void SetPenPressure(float pressure) override { pressures.push_back(pressure); }
    void RedrawToolCursor(CWidget*, const CPenSample&, uint32_t) override {}
    void DrawToolOverlay(CWidget* view, CImage* target, const tCRect& clip) override
    {
        overlays.push_back({view, target, clip});
    }

    struct Overlay {
        CWidget* view;
        CImage* target;
        tCRect clip;
    };
    std::vector<float> pressures;
    std::vector<Overlay> overlays;
};

TEST_F(CanvasInputTest, RedrawViewDrawsThePaintingStraightOrTurnedThenTheToolsOutline)
{
    MakeCanvas(4900);
    Script(VK_LBUTTON, Line({60, 50}, {180, 110}, 8));
    ASSERT_EQ(Press(), kResOk);
    ShellRecorder shell;
    canvas().SetShellServices(&shell);
    const tCRect clip{0, 0, 300, 200};
    CImage straight(300, 200);
    CImage turned(300, 200);
    ASSERT_EQ(canvas().CompositeView(clip, &straight), kResOk);
    canvas().SetRotation(0.5f);
    canvas().UpdateViewGeometry(0);
    ASSERT_EQ(canvas().CompositeRotatedView(clip, &turned), kResOk);
    ASSERT_NE(PixelsOf(straight), PixelsOf(turned));

    CImage target(300, 200);
    ASSERT_EQ(CCanvas::RedrawView(ToMsgArg(&canvas()), view, &clip, &target, 255), kResOk);
    EXPECT_EQ(PixelsOf(target), PixelsOf(turned));
    canvas().SetRotation(0.0f);
    canvas().UpdateViewGeometry(0);
    ASSERT_EQ(CCanvas::RedrawView(ToMsgArg(&canvas()), view, &clip, &target, 255), kResOk);
    EXPECT_EQ(PixelsOf(target), PixelsOf(straight));
    ASSERT_EQ(shell.overlays.size(), 2u);
    EXPECT_EQ(shell.overlays[1].view, view);
    EXPECT_EQ(shell.overlays[1].target, &target);
    EXPECT_EQ(shell.overlays[1].clip, clip);

    // Without a clip or a canvas nothing is drawn.
    EXPECT_EQ(CCanvas::RedrawView(ToMsgArg(&canvas()), view, nullptr, &target, 255), kResOk);
    EXPECT_EQ(CCanvas::RedrawView(0, view, &clip, &target, 255), kResOk);
    EXPECT_EQ(shell.overlays.size(), 2u);

    // A stroke sets the pen pressure to the tool's common property.
    RecordingCanvasTool tool(4903);
    canvas().SetCurrentTool(&tool);
    Script(VK_LBUTTON, Line({60, 50}, {80, 50}, 1));
    ASSERT_EQ(Press(), kResOk);
    EXPECT_EQ(shell.pressures, (std::vector<float>{0.5f}));
}

}  // namespace

}  // namespace CanvasInputTests
