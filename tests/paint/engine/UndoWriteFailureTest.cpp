#include <gtest/gtest.h>

#include <filesystem>

#include "UndoTestSupport.h"

namespace {

constexpr int32_t kSide = 96;

class UndoWriteFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_map.SetSize(kSide, kSide), kResOk);
        PaintRect(m_map, m_map.GetBounds(), m_random);
        m_states.push_back(MapBytes(m_map));
    }

    // Steps that paint only the left half of the map.
    void RecordLeftSteps(CHMRUndoManager& store, int count)
    {
        for (int i = 0; i < count; ++i) {
            const tCRect rect{(i % 3) * 10, (i % 5) * 16, (i % 3) * 10 + 18, (i % 5) * 16 + 20};
            ASSERT_EQ(RecordEdit(store, m_map, 0, rect, m_random), kResOk);
            m_states.push_back(MapBytes(m_map));
        }
    }

    int64_t UndoFileSize() const { return int64_t(std::filesystem::file_size(m_temp.UndoFiles().at(0))); }

    // The state after step `i` with the right half as it is now.
    std::string WithRightHalfOfNow(size_t i)
    {
        std::string expected = m_states[i];
        const std::string now = MapBytes(m_map);
        const size_t row = size_t(kSide) * kPaintCellBytes;
        for (size_t y = 0; y < size_t(kSide); ++y)
            expected.replace(y * row + row / 2, row / 2, now, y * row + row / 2, row / 2);
        return expected;
    }

    TemporaryFolderScope m_temp;
    std::mt19937 m_random{7};
    CPaintCellMap m_map;
    std::vector<std::string> m_states;
};

UndoStoreLimits FourTileBuffer()
{
    UndoStoreLimits limits;
    limits.stagingBytes = int32_t(4 * kTileBytes + kStepFrame);
    return limits;
}

// A step of the right half (18 tiles, streamed four at a time) fails at every kind of place:
// in its header, among the tiles, in the count written last, in its trailer.
TEST_F(UndoWriteFailureTest, FailedStepIsDroppedAndEarlierStepsStillUndo)
{
    const int64_t stepBytes = 18 * kTileBytes + kStepFrame;
    for (int64_t cut : {int64_t(5), int64_t(12), int64_t(3000), 4 * kTileBytes + 20, stepBytes - 6}) {
        SCOPED_TRACE(cut);
        m_states.resize(1);
        ASSERT_EQ(m_map.SetSize(kSide, kSide), kResOk);
        PaintRect(m_map, m_map.GetBounds(), m_random);
        m_states[0] = MapBytes(m_map);
        CHMRUndoManager store(FourTileBuffer());
        ASSERT_EQ(store.Initialise(kSide, kSide), kResOk);
        RecordLeftSteps(store, 6);
        MoveTileStep(store, m_map, true);
        MoveTileStep(store, m_map, false);
        const int64_t stepStart = UndoFileSize();

        tResult saved = kResOk;
        tResult ended = kResOk;
        {
            const tCRect right{kSide / 2, 0, kSide, kSide};
            FileSizeLimit limit(stepStart + cut);
            ASSERT_EQ(store.BeginStep(kUndoStepTiles, 0), kResOk);
            saved = store.SaveTilesInRect(right, m_map);
            PaintRect(m_map, right, m_random);
            ended = store.EndStep();
        }
        EXPECT_EQ(ended, kResFileIO);
        EXPECT_TRUE(saved == kResOk || saved == kResFileIO);
        EXPECT_FALSE(store.CanRedo());
        const std::string failedState = MapBytes(m_map);
        EXPECT_EQ(ReadOnly(store, false), kResHandled);
        EXPECT_EQ(MapBytes(m_map), failedState);

        // The tiles the failed step had marked are saved again by the next one.
        const std::string beforeNext = MapBytes(m_map);
        ASSERT_EQ(RecordEdit(store, m_map, 0, {40, 40, 70, 70}, m_random), kResOk);
        MoveTileStep(store, m_map, true);
        ASSERT_EQ(MapBytes(m_map), beforeNext);

        for (size_t i = m_states.size() - 1; i > 0; --i) {
            MoveTileStep(store, m_map, true);
            ASSERT_EQ(MapBytes(m_map), WithRightHalfOfNow(i - 1)) << "undoing step " << i;
        }
        EXPECT_FALSE(store.CanUndo());
    }
}

TEST_F(UndoWriteFailureTest, FailedRecordIsDroppedAndReported)
{
    CHMRUndoManager store;
    ASSERT_EQ(store.Initialise(kSide, kSide), kResOk);
    RecordLeftSteps(store, 2);
    const int64_t end = UndoFileSize();
    {
        FileSizeLimit limit(end + 20);
        tCStream* stream = store.OpenRecord(6, 0);
        ASSERT_NE(stream, nullptr);
        const std::string payload(5000, 'x');
        EXPECT_NE(stream->WriteBytes(payload.data(), int64_t(payload.size())), kResOk);
        EXPECT_EQ(store.CloseRecord(), kResFileIO);
    }
    {
        FileSizeLimit limit(end + 4);
        EXPECT_EQ(store.OpenRecord(2, 0), nullptr);
        EXPECT_EQ(store.CloseRecord(), kResFileIO);
    }
    EXPECT_FALSE(store.CanRedo());
    MoveTileStep(store, m_map, true);
    EXPECT_EQ(MapBytes(m_map), m_states[1]);
    MoveTileStep(store, m_map, true);
    EXPECT_EQ(MapBytes(m_map), m_states[0]);
}

// Undo of step 4 fails while writing the exchanged tiles back, once in the only chunk and
// once in a later chunk: the cells stay as they were, the steps before it are given up, and
// the steps after it still redo and undo.
TEST_F(UndoWriteFailureTest, FailedUndoLeavesTheCellsAndKeepsTheRedoSide)
{
    for (bool chunked : {false, true}) {
        SCOPED_TRACE(chunked);
        m_states.resize(1);
        ASSERT_EQ(m_map.SetSize(kSide, kSide), kResOk);
        PaintRect(m_map, m_map.GetBounds(), m_random);
        m_states[0] = MapBytes(m_map);
        CHMRUndoManager store(chunked ? FourTileBuffer() : UndoStoreLimits{});
        ASSERT_EQ(store.Initialise(kSide, kSide), kResOk);
        std::vector<int64_t> ends{0};
        for (int i = 0; i < 6; ++i) {
            ASSERT_EQ(RecordEdit(store, m_map, 0, {0, i * 12, 40, i * 12 + 40}, m_random), kResOk);
            m_states.push_back(MapBytes(m_map));
            ends.push_back(UndoFileSize());
        }
        MoveTileStep(store, m_map, true);
        MoveTileStep(store, m_map, true);
        ASSERT_EQ(MapBytes(m_map), m_states[4]);
        {
            FileSizeLimit limit(ends[3] + 12 + (chunked ? 5 * kTileBytes : 100));
            ASSERT_EQ(ReadOnly(store, true), kResOk);
            CRegion region;
            EXPECT_EQ(store.ApplyTileStep(&region, m_map, true), kResFileIO);
            EXPECT_TRUE(region.IsEmpty());
        }
        EXPECT_EQ(MapBytes(m_map), m_states[4]);
        EXPECT_FALSE(store.CanUndo());
        for (size_t i = 5; i <= 6; ++i) {
            MoveTileStep(store, m_map, false);
            ASSERT_EQ(MapBytes(m_map), m_states[i]);
        }
        MoveTileStep(store, m_map, true);
        MoveTileStep(store, m_map, true);
        EXPECT_EQ(MapBytes(m_map), m_states[4]);
        EXPECT_FALSE(store.CanUndo());
    }
}

TEST_F(UndoWriteFailureTest, FailedRedoLeavesTheCellsAndKeepsTheUndoSide)
{
    CHMRUndoManager store(FourTileBuffer());
    ASSERT_EQ(store.Initialise(kSide, kSide), kResOk);
    std::vector<int64_t> ends{0};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(RecordEdit(store, m_map, 0, {i * 20, 0, i * 20 + 40, 60}, m_random), kResOk);
        m_states.push_back(MapBytes(m_map));
        ends.push_back(UndoFileSize());
    }
    for (int i = 0; i < 3; ++i)
        MoveTileStep(store, m_map, true);
    ASSERT_EQ(MapBytes(m_map), m_states[1]);
    {
        FileSizeLimit limit(ends[1] + 12 + 6 * kTileBytes);
        ASSERT_EQ(ReadOnly(store, false), kResOk);
        CRegion region;
        EXPECT_EQ(store.ApplyTileStep(&region, m_map, false), kResFileIO);
    }
    EXPECT_EQ(MapBytes(m_map), m_states[1]);
    EXPECT_FALSE(store.CanRedo());
    MoveTileStep(store, m_map, true);
    EXPECT_EQ(MapBytes(m_map), m_states[0]);
    MoveTileStep(store, m_map, false);
    EXPECT_EQ(MapBytes(m_map), m_states[1]);
    EXPECT_FALSE(store.CanRedo());
}

}  // namespace
