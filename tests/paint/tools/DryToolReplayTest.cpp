#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ReplayTestSupport.h"
#include "paint/tools/CPencilNew.h"
#include "paint/tools/ToolMessages.h"
#include "platform/Platform.h"

namespace {

struct DryReplay {
    uint32_t toolId;
    float size;
};

class DryToolReplayTest : public ::testing::TestWithParam<DryReplay> {
protected:
    void SetUp() override { ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless)); }
    void TearDown() override { w32::StopPlatform(); }
};

TEST_P(DryToolReplayTest, StrokesStayInTheirRectanglesAndUndoBitForBit)
{
    ASSERT_EQ(Recording().size(), 494u);
    CStrokeReplay replay(ReplayTestOptions(GetParam().toolId, GetParam().size));
    ASSERT_EQ(replay.SetUp(), kResOk);
    const std::vector<PaintCell> before = CopyCells(replay.GetCells());
    ASSERT_EQ(replay.Run(Recording()), kResOk);
    EXPECT_EQ(replay.GetStrokeCount(), 2);
    ASSERT_EQ(replay.WritePng(TestPicture("replay-" + std::to_string(GetParam().toolId) + "-" +
                                          std::to_string(int(GetParam().size * 100)) + ".png")),
              kResOk);
    EXPECT_GT(CheckChangedCells(replay, before), 2000);

    int32_t steps = 0;
    ASSERT_EQ(replay.UndoAll(&steps), kResOk);
    EXPECT_EQ(steps, 2);
    const std::vector<PaintCell> undone = CopyCells(replay.GetCells());
    for (size_t i = 0; i < before.size(); ++i)
        ASSERT_TRUE(SameCells(before[i], undone[i])) << i;
}

TEST_P(DryToolReplayTest, TwoReplaysFromFreshToolsPaintTheSameCells)
{
    std::vector<PaintCell> first;
    for (int run = 0; run < 2; ++run) {
        CStrokeReplay replay(ReplayTestOptions(GetParam().toolId, GetParam().size));
        ASSERT_EQ(replay.SetUp(), kResOk);
        ASSERT_EQ(replay.Run(Recording()), kResOk);
        const std::vector<PaintCell> cells = CopyCells(replay.GetCells());
        if (run == 0) {
            first = cells;
            continue;
        }
        for (size_t i = 0; i < cells.size(); ++i)
            ASSERT_TRUE(SameCells(first[i], cells[i])) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(DryTools, DryToolReplayTest,
                         ::testing::Values(DryReplay{kToolPencil, 0.5f}, DryReplay{kToolPencil, 3.0f},
                                           DryReplay{kToolPen, 0.1f}, DryReplay{kToolPen, 0.5f},
                                           DryReplay{kToolChalk, 0.3f}, DryReplay{kToolCrayon, 0.3f},
                                           DryReplay{kToolEraser, 0.2f}),
                         [](const ::testing::TestParamInfo<DryReplay>& info) {
                             return std::to_string(info.param.toolId) + "_" +
                                    std::to_string(int(info.param.size * 100));
                         });

class DryToolReplayOverPaintTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless)); }
    void TearDown() override { w32::StopPlatform(); }
};

TEST_F(DryToolReplayOverPaintTest, TheEraserTakesAwayWhatAnOilReplayLaid)
{
    ReplayOptions options = ReplayTestOptions(kToolOilBrush, 0.3f);
    options.background = 0;
    CStrokeReplay replay(options);
    ASSERT_EQ(replay.SetUp(), kResOk);
    const std::vector<PaintCell> blank = CopyCells(replay.GetCells());
    ASSERT_EQ(replay.Run(Recording()), kResOk);
    const std::vector<PaintCell> oil = CopyCells(replay.GetCells());

    ASSERT_EQ(replay.ReplaceTool(MakeReplayTool(kToolEraser)), kResOk);
    ASSERT_EQ(replay.Run(Recording()), kResOk);
    const std::vector<PaintCell> erased = CopyCells(replay.GetCells());
    int64_t thinner = 0, clearer = 0, painted = 0;
    for (size_t i = 0; i < oil.size(); ++i) {
        ASSERT_LE(erased[i].thickness, oil[i].thickness) << i;
        ASSERT_LE(erased[i].colour >> 24, oil[i].colour >> 24) << i;
        ASSERT_EQ(erased[i].colour & 0xFFFFFFu, oil[i].colour & 0xFFFFFFu) << "no colour is laid";
        painted += (oil[i].colour >> 24) != 0;
        thinner += erased[i].thickness < oil[i].thickness;
        clearer += (erased[i].colour >> 24) < (oil[i].colour >> 24);
    }
    EXPECT_GT(thinner, painted / 2) << "the same strokes scrape most of the paint";
    EXPECT_GT(clearer, 1000);

    int32_t steps = 0;
    ASSERT_EQ(replay.UndoAll(&steps), kResOk);
    EXPECT_EQ(steps, 4);
    const std::vector<PaintCell> undone = CopyCells(replay.GetCells());
    for (size_t i = 0; i < blank.size(); ++i)
        ASSERT_TRUE(SameCells(blank[i], undone[i])) << i;
}

// A pencil that notes its tool flag at the start of every stroke.
class CFlagNotingPencil : public CPencilNew {
public:
    explicit CFlagNotingPencil(std::vector<uint32_t>* flags) : m_flags(flags) {}
    tResult BeginStroke(CCanvas& canvas, const StrokeContext& context, const CPenSample& sample) override
    {
        m_flags->push_back(GetToolFlag());
        return CPencilNew::BeginStroke(canvas, context, sample);
    }

private:
    std::vector<uint32_t>* m_flags;
};

TEST_F(DryToolReplayOverPaintTest, EveryPencilStrokeStartsWithTheToolFlagCleared)
{
    std::vector<uint32_t> flags;
    auto pencil = std::make_unique<CFlagNotingPencil>(&flags);
    pencil->Invalidate();
    pencil->SetToolFlag(1);
    CStrokeReplay replay(ReplayTestOptions(kToolPencil, 0.5f), std::move(pencil));
    ASSERT_EQ(replay.SetUp(), kResOk);
    ASSERT_EQ(replay.Run(Recording()), kResOk);
    EXPECT_EQ(flags, (std::vector<uint32_t>{0, 0}));
}

}  // namespace
