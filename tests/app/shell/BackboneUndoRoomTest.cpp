#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "BackboneUndoSupport.h"
#include "paint/engine/UndoTestSupport.h"
#include "platform/VirtualKeys.h"

namespace {

// The store stages two tiles, so that a stroke goes to its file in several writes.
constexpr int64_t kFirstWrite = 12 + 2 * kTileBytes;

// Stands for the backdrop while it lives and notes, whenever it hears that the undo state changed,
// whether there is something to undo, as the undo buttons ask; it refuses the stroke sample
// numbered `refuseAt`, which ends the stroke there.
class UndoStateListener : public tCCmdTarget {
public:
    explicit UndoStateListener(CHMRUndoManager& store) : m_store(store), m_backdrop(GetBackdropTarget())
    {
        SetBackdropTarget(this);
    }
    ~UndoStateListener() override { SetBackdropTarget(m_backdrop); }
    tResult OnMessage(uint32_t message, tMsgArg, tMsgArg, tMsgArg, uint32_t) override
    {
        if (message == kMsgUndoStateChanged)
            canUndo = m_store.CanUndo();
        return message == kMsgStrokeSample && ++samples == refuseAt ? kResCancelled : kResOk;
    }
    bool canUndo = true;
    int samples = 0;
    int refuseAt = 0;

private:
    CHMRUndoManager& m_store;
    tCCmdTarget* m_backdrop;
};

// Strokes drawn with the mouse through the canvas input, over a controller whose undo data goes
// to a folder of the test's own.
class UndoRoomTest : public BackboneTest {
protected:
    void SetUp() override
    {
        BackboneTest::SetUp();
        shell->app.Activate();
        ASSERT_EQ(shell->app.CreateTabletInput(), kResOk);
        shell->app.tick = [this] { return NextPoint(); };
    }
    void TearDown() override
    {
        w32::headless::SetKeyState(w32::VK_LBUTTON, false);
        BackboneTest::TearDown();
    }
    std::unique_ptr<CHMRBackbone> MakeController() override
    {
        UndoStoreLimits limits;
        limits.stagingBytes = int32_t(2 * kTileBytes + kStepFrame);
        return std::make_unique<CHMRBackbone>(limits);
    }

    // A drag from cell `from` to cell `to` in twelve moves; the canvas input's answer.
    tResult Stroke(tCFPoint from, tCFPoint to)
    {
        m_path.clear();
        for (int i = 0; i <= 12; ++i) {
            tCFPoint cell{from.x + (to.x - from.x) * float(i) / 12.0f, from.y + (to.y - from.y) * float(i) / 12.0f};
            Canvas().CanvasToView(&cell);
            m_path.push_back({int32_t(cell.x), int32_t(cell.y)});
        }
        m_next = 1;
        w32::headless::MoveMouse(m_path[0].x, m_path[0].y);
        w32::headless::SetKeyState(w32::VK_LBUTTON, true);
        tCPoint press = m_path[0];
        view->RootToLocalPoint(&press);
        CWidget* takenBy = nullptr;
        return CCanvas::OnPenInput(ToMsgArg(&Canvas()), view, &takenBy, &press);
    }
    tResult NextPoint()
    {
        w32::headless::AdvanceClock(16);
        if (m_next < m_path.size())
            w32::headless::MoveMouse(m_path[m_next].x, m_path[m_next].y);
        else
            w32::headless::SetKeyState(w32::VK_LBUTTON, false);
        ++m_next;
        return kResOk;
    }

    // A new painting with `earlier` short strokes kept in its history.
    void Begin(int earlier)
    {
        ASSERT_EQ(NewPainting(96, 64), kResOk);
        ASSERT_EQ(Send(kMsgPickTool, 4900), kResOk);
        for (int i = 0; i < earlier; ++i)
            ASSERT_EQ(Stroke({float(4 + 10 * i), 8}, {float(8 + 10 * i), 56}), kResOk);
    }
    int64_t UndoBytes() const
    {
        int64_t bytes = 0;
        for (const std::string& file : m_folder.UndoFiles())
            bytes += int64_t(std::filesystem::file_size(file));
        return bytes;
    }
    std::string Cells() { return CellBytes(Canvas().GetLayer(0)->GetCellMap()); }
    tResult Undo() { return Send(kMsgUndo); }
    tResult Redo() { return Send(kMsgRedo); }
    CHMRUndoManager& Store() { return controller->GetUndoStore(); }

    // Made before the undo data's folder, so outside it.
    TempFolder m_saves;
    TemporaryFolderScope m_folder;
    std::vector<tCPoint> m_path;
    size_t m_next = 0;
};

// A stroke, a cleared layer, the tracing image painted in or a stroke that a failure ends early,
// while the undo data's folder is gone or runs out of room after the first write of the change's
// step, the history's first step or after many: the change is made and kept, to its end or as
// far as the failure let it; the history is gone, so undo and redo change nothing; the user is
// told once a painting. With room again undo works from there, and the saved painting holds
// every change.
TEST_F(UndoRoomTest, AChangeWithoutRoomForItsUndoStepIsKeptAndTheHistoryBeforeItGoes)
{
    const std::pair<tResult, std::function<tResult()>> changes[] = {
        {kResOk, [&] { return Stroke({2, 60}, {94, 3}); }},
        {kResOk, [&] { return Send(kMsgClearLayer, 0); }},
        {kResOk, [&] { return Send(kMsgPaintTracingImage); }},
        {kResCancelled, [&] { return Stroke({94, 3}, {2, 60}); }},
    };
    for (int run = 0; run < 12; ++run) {
        const auto& [answer, change] = changes[run / 3];
        const int earlier = run % 3 == 2 ? 8 : 0;
        const bool folderGone = run % 3 == 0;
        SCOPED_TRACE(run);
        Begin(earlier);
        FillLayerCells(*Canvas().GetLayer(0), MakeCell(0xFF3050A0u, 400, 0x4000));
        ASSERT_EQ(Canvas().SetTracingImage(new CImage(48, 32)), kResOk);
        ASSERT_EQ(Store().CanUndo(), earlier > 0);
        controller->GetProject().modified = 0;
        Reports().clear();
        const PaintCell far = CellAt(Canvas().GetLayer(0)->GetCellMap(), 85, 9);
        if (folderGone)
            std::filesystem::remove(m_folder.Path());
        {
            UndoStateListener heard(Store());
            heard.refuseAt = answer == kResOk ? 0 : 9;
            FileSizeLimit limit(folderGone ? INT64_MAX : UndoBytes() + kFirstWrite + 100);
            ASSERT_EQ(change(), answer);
            EXPECT_FALSE(heard.canUndo);
        }
        const std::string painted = Cells();
        // Far past the tiles that went to the file.
        EXPECT_FALSE(SameCell(CellAt(Canvas().GetLayer(0)->GetCellMap(), 85, 9), far));
        EXPECT_EQ(controller->GetProject().modified, 1u);
        ASSERT_EQ(Reports().size(), 1u);
        EXPECT_EQ(Reports()[0].first, folderGone ? kResFileOpen : kResFileIO);
        EXPECT_EQ(Reports()[0].second, tCString(kUndoStoppedText).ToAnsi());
        EXPECT_FALSE(Store().CanUndo());
        EXPECT_FALSE(Store().CanRedo());
        EXPECT_EQ(Undo(), kResOk);
        EXPECT_EQ(Redo(), kResOk);
        EXPECT_TRUE(Cells() == painted);

        // Still no room: told no more.
        {
            FileSizeLimit limit(0);
            ASSERT_EQ(Stroke({30, 10}, {60, 50}), kResOk);
        }
        EXPECT_EQ(Reports().size(), 1u);
        EXPECT_FALSE(Store().CanUndo());
        const std::string secondPainted = Cells();
        EXPECT_TRUE(secondPainted != painted);

        std::filesystem::create_directory(m_folder.Path());
        ASSERT_EQ(Stroke({10, 30}, {80, 34}), kResOk);
        EXPECT_TRUE(Cells() != secondPainted);
        ASSERT_EQ(Undo(), kResOk);
        EXPECT_TRUE(Cells() == secondPainted);
        EXPECT_FALSE(Store().CanUndo());
        ASSERT_EQ(Redo(), kResOk);
        EXPECT_TRUE(Cells() != secondPainted);
        // Out of room again: the painting has told its user.
        {
            FileSizeLimit limit(0);
            ASSERT_EQ(Stroke({10, 50}, {80, 50}), kResOk);
        }
        EXPECT_EQ(Reports().size(), 1u);
        EXPECT_FALSE(Store().CanUndo());
        const std::string last = Cells();

        CProjectInfo saved(0, 0, u"Saved", tCString(), nullptr);
        saved.file = tCFRef(tCString::FromAnsi(m_saves.File("saved.ptg")));
        ASSERT_EQ(Send(kMsgSaveProject, ToMsgArg(&saved)), kResOk);
        ASSERT_EQ(NewPainting(96, 64), kResOk);
        ASSERT_EQ(Send(kMsgOpenProject, ToMsgArg(&saved)), kResOk);
        EXPECT_TRUE(Cells() == last);
    }
}

}  // namespace
