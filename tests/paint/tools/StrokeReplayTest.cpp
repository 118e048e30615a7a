#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ReplayTestSupport.h"
#include "paint/tools/ToolMessages.h"
#include "platform/Platform.h"

namespace {

ReplayOptions Options(float size) { return ReplayTestOptions(kToolOilBrush, size); }

class StrokeReplayTest : public ::testing::TestWithParam<float> {
protected:
    void SetUp() override { ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless)); }
    void TearDown() override { w32::StopPlatform(); }
};

TEST_P(StrokeReplayTest, OilStrokesStayInTheirRectanglesAndUndoBitForBit)
{
    ASSERT_EQ(Recording().size(), 494u);
    CStrokeReplay replay(Options(GetParam()));
    ASSERT_EQ(replay.SetUp(), kResOk);
    const std::vector<PaintCell> before = CopyCells(replay.GetCells());
    ASSERT_EQ(replay.Run(Recording()), kResOk);
    EXPECT_EQ(replay.GetStrokeCount(), 2);
    ASSERT_EQ(replay.WritePng(TestPicture("oil-replay-" + std::to_string(int(GetParam() * 100)) + ".png")),
              kResOk);
    EXPECT_GT(CheckChangedCells(replay, before), 2000);
    ASSERT_FALSE(HasFailure());

    int32_t steps = 0;
    ASSERT_EQ(replay.UndoAll(&steps), kResOk);
    EXPECT_EQ(steps, 2);
    const std::vector<PaintCell> undone = CopyCells(replay.GetCells());
    for (size_t i = 0; i < before.size(); ++i)
        ASSERT_TRUE(SameCells(before[i], undone[i])) << i;
}

TEST_P(StrokeReplayTest, TwoReplaysFromFreshToolsPaintTheSameCells)
{
    std::vector<PaintCell> first;
    for (int run = 0; run < 2; ++run) {
        CStrokeReplay replay(Options(GetParam()));
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

INSTANTIATE_TEST_SUITE_P(SmallAndMiddleSizes, StrokeReplayTest, ::testing::Values(0.1f, 0.5f));

// The tabled kernel's shortcuts (the paint table, the pick-up's reuse of the four cells under
// neighbouring points, the smoothing's multiplies for divisions) against the plain arithmetic,
// over wet and dry paint, at the sizes of nib radius 8, 32 and 64.
class NibKernelTest : public StrokeReplayTest {};

TEST_P(NibKernelTest, TheTabledKernelPaintsTheReferenceCells)
{
    std::vector<PaintCell> reference;
    for (NibKernel kernel : {NibKernel::kReference, NibKernel::kTabled}) {
        std::unique_ptr<CToolBase> tool = MakeReplayTool(4900);
        tool->SetNibKernel(kernel);
        CStrokeReplay replay(Options(GetParam()), std::move(tool));
        ASSERT_EQ(replay.SetUp(), kResOk);
        const std::vector<PaintCell> before = CopyCells(replay.GetCells());
        ASSERT_EQ(replay.Run(Recording()), kResOk);
        const std::vector<PaintCell> cells = CopyCells(replay.GetCells());
        if (kernel == NibKernel::kReference) {
            reference = cells;
            ASSERT_NE(std::memcmp(before.data(), cells.data(), cells.size() * sizeof(PaintCell)), 0);
            continue;
        }
        for (size_t i = 0; i < cells.size(); ++i)
            ASSERT_TRUE(SameCells(reference[i], cells[i])) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Radius8To64, NibKernelTest, ::testing::Values(0.113f, 0.533f, 1.067f));

// A regression net beside the tests of the formulas: the cells the 5 s recording leaves at nib
// radius 8, 32 and 64, as an FNV-1a hash of their bytes. A change of any painting formula changes
// them; one that is meant must bring new values here.
uint64_t HashCells(const std::vector<PaintCell>& cells)
{
    uint64_t hash = 14695981039346656037ull;
    const auto* bytes = reinterpret_cast<const uint8_t*>(cells.data());
    for (size_t i = 0; i < cells.size() * sizeof(PaintCell); ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

TEST_F(StrokeReplayTest, TheRecordingLeavesTheSameCellsAtEachRadius)
{
    const std::pair<float, uint64_t> expected[] = {{0.113f, 6097565389366182576ull}, {0.533f, 1649081005267464627ull}, {1.067f, 7767169232670895504ull}};
    for (const auto& [size, hash] : expected) {
        CStrokeReplay replay(Options(size));
        ASSERT_EQ(replay.SetUp(), kResOk);
        ASSERT_EQ(replay.Run(Recording()), kResOk);
        EXPECT_EQ(HashCells(CopyCells(replay.GetCells())), hash) << size;
    }
}

// Tools that run the whole stroke engine but lay nothing, over the bands of wet and dry paint.
class IdleToolReplayTest : public ::testing::TestWithParam<uint32_t> {
protected:
    void SetUp() override { ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless)); }
    void TearDown() override { w32::StopPlatform(); }
};

TEST_P(IdleToolReplayTest, AToolThatLaysNothingLeavesEveryCellAsItWas)
{
    const uint32_t id = GetParam();
    ReplayOptions options = Options(0.5f);
    options.toolId = id;
    CStrokeReplay replay(options);
    ASSERT_EQ(replay.SetUp(), kResOk);
    const std::vector<PaintCell> before = CopyCells(replay.GetCells());
    ASSERT_EQ(replay.Run(Recording()), kResOk);
    EXPECT_EQ(replay.GetStrokeCount(), 2);
    EXPECT_EQ(replay.GetTool().GetStrokeCount(), 2u);
    const std::vector<PaintCell> after = CopyCells(replay.GetCells());
    for (size_t i = 0; i < before.size(); ++i)
        ASSERT_TRUE(SameCells(before[i], after[i])) << i;
    // The airbrush's and the glitter gun's segments sweep nothing, so they report no cells.
    if (id == 4913 || id == 4914) {
        EXPECT_TRUE(replay.GetUpdatedRects().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(TubeViewSprayAndRoller, IdleToolReplayTest,
                         ::testing::Values(4908u, 4909u, 4910u, 4911u, 4912u, 4913u, 4914u, 4915u));

// The smudge and the knife over the bands of wet paint, at a small and a middle size.
class SmudgeReplayTest : public ::testing::TestWithParam<std::tuple<uint32_t, float>> {
protected:
    void SetUp() override { ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless)); }
    void TearDown() override { w32::StopPlatform(); }
    ReplayOptions SmudgeOptions() const
    {
        ReplayOptions options = Options(std::get<1>(GetParam()));
        options.toolId = std::get<0>(GetParam());
        return options;
    }
};

TEST_P(SmudgeReplayTest, StrokesStayInTheirRectanglesAndUndoBitForBit)
{
    CStrokeReplay replay(SmudgeOptions());
    ASSERT_EQ(replay.SetUp(), kResOk);
    const std::vector<PaintCell> before = CopyCells(replay.GetCells());
    ASSERT_EQ(replay.Run(Recording()), kResOk);
    ASSERT_EQ(replay.WritePng(TestPicture("smudge-replay-" + std::to_string(std::get<0>(GetParam())) + "-" +
                                          std::to_string(int(std::get<1>(GetParam()) * 100)) + ".png")),
              kResOk);
    EXPECT_GT(CheckChangedCells(replay, before), 2000);
    ASSERT_FALSE(HasFailure());

    int32_t steps = 0;
    ASSERT_EQ(replay.UndoAll(&steps), kResOk);
    EXPECT_EQ(steps, 2);
    const std::vector<PaintCell> undone = CopyCells(replay.GetCells());
    for (size_t i = 0; i < before.size(); ++i)
        ASSERT_TRUE(SameCells(before[i], undone[i])) << i;
}

TEST_P(SmudgeReplayTest, TwoReplaysFromFreshToolsPaintTheSameCells)
{
    std::vector<PaintCell> first;
    for (int run = 0; run < 2; ++run) {
        CStrokeReplay replay(SmudgeOptions());
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

INSTANTIATE_TEST_SUITE_P(SmudgeAndKnife, SmudgeReplayTest,
                         ::testing::Combine(::testing::Values(4907u, 4905u), ::testing::Values(0.1f, 0.5f)));

// The canvas renders after every update only the cells the sweeps painted and their neighbours:
// after the whole recording the composite must be the whole render of the cells left.
class RenderedReplayTest : public ::testing::TestWithParam<std::tuple<uint32_t, float>> {
protected:
    void SetUp() override { ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless)); }
    void TearDown() override { w32::StopPlatform(); }
};

TEST_P(RenderedReplayTest, TheUpdatedCompositeIsTheWholeRender)
{
    ReplayOptions options = ReplayTestOptions(std::get<0>(GetParam()), std::get<1>(GetParam()));
    options.render = 1;
    CStrokeReplay replay(options);
    ASSERT_EQ(replay.SetUp(), kResOk);
    CCanvas& canvas = replay.GetCanvas();
    CImage& composite = *canvas.GetComposite();
    ASSERT_EQ(replay.GetRenderer()->RenderLayers(&composite, &canvas, 1, -1), kResOk);
    const std::vector<CPixel> before = CopyPixels(composite);
    ASSERT_EQ(replay.Run(Recording()), kResOk);
    const std::vector<CPixel> updated = CopyPixels(composite);
    ASSERT_NE(before, updated);
    CImage whole(canvas.GetWidth(), canvas.GetHeight());
    ASSERT_EQ(replay.GetRenderer()->RenderLayers(&whole, &canvas, 1, -1), kResOk);
    const std::vector<CPixel> expected = CopyPixels(whole);
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(updated[i], expected[i]) << int32_t(i) % canvas.GetWidth() << ", " << int32_t(i) / canvas.GetWidth();
}

INSTANTIATE_TEST_SUITE_P(OilAtRadius8To64AndSmudge, RenderedReplayTest,
                         ::testing::Values(std::tuple{4900u, 0.113f}, std::tuple{4900u, 0.533f},
                                           std::tuple{4900u, 1.067f}, std::tuple{4907u, 0.5f}));

}  // namespace
