#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CellTestSupport.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ICanvasHost.h"
#include "paint/engine/ICanvasTool.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/core/RecordingRoot.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/WidgetTestSupport.h"
#include "toolkit/imaging/ImageFixtures.h"

// A controller that records what the canvas asks of it, answering `answer` to every undo hook.
class FakeCanvasHost : public ICanvasHost {
public:
    struct Call {
        std::string name;
        int64_t first = 0;
        int64_t second = 0;
        const void* pointer = nullptr;
        bool hadProgress = false;
    };

    CStandardRenderer* GetRenderer() override { return renderer; }
    ICanvasTool* GetCurrentTool() override { return tool; }

    tResult BeginUndoStep(uint32_t type, uint32_t value) override { return Record({"BeginUndoStep", type, value}); }
    tResult EndUndoStep() override { return Record({"EndUndoStep"}); }
    tResult SaveUndoTiles(const tCRect& area, CPaintCellMap& cells) override
    {
        savedArea = area;
        return Record({"SaveUndoTiles", 0, 0, &cells});
    }
    void UndoStepLost(tResult cause) override { (void)Record({"UndoStepLost", cause}); }
    tResult PushUndoStep(uint32_t layerIndex) override { return Record({"PushUndoStep", layerIndex}); }
    tResult RecordLayerDeleted(uint32_t index, CLayer* layer, tCProgress* progress) override
    {
        return Record({"RecordLayerDeleted", index, 0, layer, progress != nullptr});
    }
    tResult RecordLayerMoved(const LayerIndexPair* pair) override
    {
        return Record({"RecordLayerMoved", pair->first, pair->second});
    }
    tResult RecordLayersMerged(const LayerIndexPair* pair, CLayer* second, CLayer* first,
                               tCProgress* progress) override
    {
        mergedInto = second;
        mergedFrom = first;
        return Record({"RecordLayersMerged", pair->first, pair->second, nullptr, progress != nullptr});
    }
    tResult RecordLayerDuplicated(const LayerIndexPair* pair) override
    {
        return Record({"RecordLayerDuplicated", pair->first, pair->second});
    }
    tResult RecordLayersFlattened(CLayer* const* layers, int32_t count, tCProgress* progress) override
    {
        flattened.assign(layers, layers + count);
        return Record({"RecordLayersFlattened", count, 0, nullptr, progress != nullptr});
    }
    tResult RecordCanvasResize(CLayer* const* layers, int32_t count, const CellMapResize* size,
                               tCProgress* progress) override
    {
        (void)layers;
        return Record({"RecordCanvasResize", size->width, size->height, nullptr, progress != nullptr && count >= 0});
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const Call& call : calls)
            names.push_back(call.name);
        return names;
    }

    CStandardRenderer* renderer = nullptr;
    ICanvasTool* tool = nullptr;
    tResult answer = kResOk;
    std::vector<Call> calls;
    tCRect savedArea;
    CLayer* mergedInto = nullptr;
    CLayer* mergedFrom = nullptr;
    std::vector<CLayer*> flattened;

private:
    tResult Record(const Call& call)
    {
        calls.push_back(call);
        return answer;
    }
};

// A tool that paints nothing and counts what the canvas asks of it.
class FakeCanvasTool : public ICanvasTool {
public:
    explicit FakeCanvasTool(uint32_t id = 4900) : m_id(id) {}
    uint32_t GetToolId() const override { return m_id; }
    tResult BeginStroke(CCanvas&, const StrokeContext&, const CPenSample&) override { return ++strokes, kResOk; }
    tResult ContinueStroke(CCanvas&, const StrokeContext&, const CPenSample&, uint32_t) override { return kResOk; }
    tResult EndStroke(CCanvas&, const StrokeContext&, const CPenSample&) override { return kResOk; }
    tResult PaintLiveSample(CCanvas&, const StrokeContext&, const CPenSample&) override { return kResOk; }
    tResult ShowStroke(CCanvas&) override { return kResOk; }
    tResult UpdateNibDirection(CCanvas&, const CPenSample&) override { return kResOk; }
    float GetCommonProperty() const override { return 0.5f; }
    uint32_t GetToolFlag() const override { return flag; }
    uint32_t SetToolFlag(uint32_t value) override { return flag = value; }
    tResult WriteSettings(tCStream*) override { return kResOk; }
    tResult ReadSettings(tCStream*, int64_t) override { return kResOk; }
    void Invalidate() override { ++invalidated; }
    void SetSize(float value) override { size = value; }
    uint32_t SetStrokeCount(uint32_t count) override { return strokeCount = count; }
    uint32_t GetStrokeCount() const override { return strokeCount; }
    int32_t GetStrokePosition() const override { return strokePosition; }
    int32_t SetStrokePosition(int32_t position) override { return strokePosition = position; }
    uint32_t GetCleanBrush() const override { return cleanBrush; }
    uint32_t SetCleanBrush(uint32_t clean) override { return cleanBrush = clean; }
    void ColourChanged() override { ++colourChanges; }

    int strokes = 0;
    uint32_t flag = 0;
    int invalidated = 0;
    float size = 0.5f;
    uint32_t strokeCount = 0;
    int32_t strokePosition = 0;
    uint32_t cleanBrush = 0;
    int colourChanges = 0;

private:
    uint32_t m_id;
};

// The controller's message side: records every message with the values the pointers carried,
// and hands the zoom and the painting's place back to the canvas as the controller does.
class RecordingController : public tCCmdTarget {
public:
    struct Message {
        uint32_t code = 0;
        tMsgArg arg = 0;
        float zoom = 0.0f;
        tCPoint point;
        // The text of the file path of a tracing image to load.
        std::u16string path;
    };

    explicit RecordingController(CCanvas* handBackTo = nullptr) : m_canvas(handBackTo)
    {
        tCCmdTarget::SetBackboneTarget(this);
    }
    ~RecordingController() override { tCCmdTarget::SetBackboneTarget(nullptr); }

    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t) override
    {
        Message m;
        m.code = message;
        m.arg = b;
        if (message == kMsgLoadTracingImage && b)
            m.path = FromMsgArg<tCFPath>(b)->GetText().View();
        if (message == kMsgCanvasZoom) {
            m.zoom = *FromMsgArg<float>(b);
            if (m_canvas) {
                EXPECT_EQ(m_canvas->SetZoom(m.zoom, 0), kResOk);
            }
        } else if (message == kMsgCanvasPosition) {
            m.point = *FromMsgArg<tCPoint>(b);
            if (m_canvas)
                m_canvas->SetPaintingTopLeft(m.point);
        }
        messages.push_back(m);
        if (onMessage)
            onMessage(m);
        // The tracing settings come back to the canvas, as the controller hands them back.
        if (m_canvas && message > kMsgLoadTracingImage && message <= kMsgTracingOffset && answer == kResOk)
            return m_canvas->OnMessage(message, a, b, c, kMsgApply);
        return answer;
    }

    int Count(uint32_t code) const
    {
        int n = 0;
        for (const Message& m : messages)
            n += m.code == code ? 1 : 0;
        return n;
    }

    std::vector<Message> messages;
    tResult answer = kResOk;
    std::function<void(const Message&)> onMessage;

private:
    CCanvas* m_canvas;
};

// The backdrop's message side: records every message with its argument.
class RecordingBackdrop : public tCCmdTarget {
public:
    struct Message {
        uint32_t code = 0;
        tMsgArg arg = 0;
    };

    RecordingBackdrop() { tCCmdTarget::SetBackdropTarget(this); }
    ~RecordingBackdrop() override { tCCmdTarget::SetBackdropTarget(nullptr); }

    tResult OnMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t) override
    {
        messages.push_back({message, b});
        return kResOk;
    }

    std::vector<Message> messages;
};

// A backdrop: the widget tree's root that also serves the window.
class BackdropRoot : public TestRoot, public RecordingRoot {
public:
    BackdropRoot() : TestRoot(640, 480) {}
};

inline void FillLayerCells(CLayer& layer, const PaintCell& cell)
{
    CPaintCellNav nav(layer.GetCellMap());
    FillCells(nav, &cell);
}

// Resets the layer globals that canvases and layers share, and the memory the system reports
// available, around each test.
class CanvasGlobalsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CLayer::SetViewImageSize({0, 0});
        CLayer::SetLayersChanged(0);
    }
    void TearDown() override
    {
        CLayer::SetViewImageSize({0, 0});
        CLayer::SetLayersChanged(0);
        w32::headless::SetAvailableMemory(0);
    }
};

// A 1000 x 800 root holding an 800 x 600 area at (10, 20) whose child at its origin is the
// painting view (not yet bound), and an initialised canvas whose controller has a renderer.
class CanvasViewFixture : public CanvasGlobalsTest {
protected:
    void SetUp() override
    {
        CanvasGlobalsTest::SetUp();
        area = new TestWidget(u"area");
        ASSERT_EQ(Place(&root, area, {10, 20, 810, 620}), kResOk);
        view = new CWidget;
        view->SetId(kPaintingViewId);
        view->SetOpaqueBlit(1);
        ASSERT_EQ(Place(area, view, {0, 0, 800, 600}, false), kResOk);
        ASSERT_EQ(canvas.Initialise(), kResOk);
        ASSERT_EQ(renderer.ResetLights(), kResOk);
        host.renderer = &renderer;
        canvas.SetHost(&host);
    }

    TestRoot root{1000, 800};
    TestWidget* area = nullptr;
    CWidget* view = nullptr;
    CStandardRenderer renderer;
    FakeCanvasHost host;
    CCanvas canvas;
};
