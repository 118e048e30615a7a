#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "UndoTestSupport.h"
#include "paint/engine/CUndoTempFiles.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/tCStream.h"

namespace {

class UndoManagerTest : public ::testing::Test {
protected:
    TemporaryFolderScope m_temp;
    std::mt19937 m_random{12};
};

size_t Fingerprint(std::vector<std::unique_ptr<CPaintCellMap>>& maps)
{
    std::string all;
    for (auto& map : maps)
        all += MapBytes(*map);
    return std::hash<std::string>()(all);
}

// 200 random edits of three maps whose sizes are not multiples of 16, with marker steps among
// them; every state on the way back and forth is checked.
void RunRandomHistory(const UndoStoreLimits& limits, std::mt19937& random, const TemporaryFolderScope& temp,
                      size_t* fileCount)
{
    std::vector<std::unique_ptr<CPaintCellMap>> maps;
    for (auto size : std::array<tCPoint, 3>{{{100, 70}, {37, 53}, {64, 64}}}) {
        maps.push_back(std::make_unique<CPaintCellMap>());
        ASSERT_EQ(maps.back()->SetSize(size.x, size.y), kResOk);
        PaintRect(*maps.back(), maps.back()->GetBounds(), random);
    }
    CHMRUndoManager store(limits);
    ASSERT_EQ(store.Initialise(100, 70), kResOk);
    const std::string firstState = MapBytes(*maps[0]) + MapBytes(*maps[1]) + MapBytes(*maps[2]);
    std::vector<size_t> states{Fingerprint(maps)};
    std::map<size_t, uint32_t> markers;
    for (int step = 0; step < 200; ++step) {
        if (step % 37 == 5) {
            ASSERT_EQ(store.PushStep(uint32_t(1000 + step)), kResOk);
            markers[states.size()] = uint32_t(1000 + step);
            states.push_back(states.back());
            continue;
        }
        const uint32_t which = uint32_t(random() % 3);
        CPaintCellMap& map = *maps[which];
        ASSERT_EQ(store.BeginStep(kUndoStepTiles, which), kResOk);
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const tCRect rect = RandomRect(map, step % 50 == 0 ? 120 : 30, random);
            ASSERT_EQ(store.SaveTilesInRect(rect, map), kResOk);
            PaintRect(map, rect, random);
        }
        ASSERT_EQ(store.EndStep(), kResOk);
        states.push_back(Fingerprint(maps));
    }
    const std::string lastState = MapBytes(*maps[0]) + MapBytes(*maps[1]) + MapBytes(*maps[2]);
    *fileCount = temp.UndoFiles().size();

    for (size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(store.CanUndo());
        if (markers.count(i)) {
            UndoStepHeader header;
            tCStream* stream = nullptr;
            ASSERT_EQ(store.ReadStep(&header, &stream, true), kResOk);
            EXPECT_EQ(header.type, kUndoStepMarker);
            EXPECT_EQ(header.value, markers[i]);
            EXPECT_EQ(header.count, 0u);
        } else {
            // The step's value names the map it belongs to, as a layer index does.
            UndoStepHeader header;
            tCStream* stream = nullptr;
            ASSERT_EQ(store.ReadStep(&header, &stream, true), kResOk);
            ASSERT_EQ(header.type, kUndoStepTiles);
            ASSERT_LT(header.value, 3u);
            CRegion region;
            ASSERT_EQ(store.ApplyTileStep(&region, *maps[header.value], true), kResOk);
        }
        ASSERT_EQ(Fingerprint(maps), states[i - 1]) << "after undoing step " << i;
    }
    EXPECT_FALSE(store.CanUndo());
    EXPECT_EQ(MapBytes(*maps[0]) + MapBytes(*maps[1]) + MapBytes(*maps[2]), firstState);

    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(store.CanRedo());
        UndoStepHeader header;
        tCStream* stream = nullptr;
        ASSERT_EQ(store.ReadStep(&header, &stream, false), kResOk);
        if (header.type == kUndoStepTiles) {
            CRegion region;
            ASSERT_EQ(store.ApplyTileStep(&region, *maps[header.value], false), kResOk);
        }
        ASSERT_EQ(Fingerprint(maps), states[i]) << "after redoing step " << i;
    }
    EXPECT_FALSE(store.CanRedo());
    EXPECT_EQ(MapBytes(*maps[0]) + MapBytes(*maps[1]) + MapBytes(*maps[2]), lastState);
}

TEST_F(UndoManagerTest, RandomEditsUndoAndRedoBitForBit)
{
    size_t files = 0;
    RunRandomHistory(UndoStoreLimits{}, m_random, m_temp, &files);
    EXPECT_EQ(files, 1u);
}

TEST_F(UndoManagerTest, RandomEditsUndoAndRedoAcrossSmallFilesAndBuffer)
{
    // Files of about 40 kB and a buffer of five tiles: steps cross files and stream through.
    UndoStoreLimits limits;
    limits.fileCap = 40000;
    limits.stagingBytes = int32_t(5 * kTileBytes + kStepFrame);
    size_t files = 0;
    RunRandomHistory(limits, m_random, m_temp, &files);
    EXPECT_GT(files, 3u);
}

TEST_F(UndoManagerTest, RegionHoldsTheChangedCells)
{
    UndoCanvas canvas(90, 60);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(RecordEdit(store, map, 0, RandomRect(map, 40, m_random), m_random), kResOk);
    for (int i = 0; i < 20; ++i)
        MoveTileStep(store, map, true);
    for (int i = 0; i < 20; ++i)
        MoveTileStep(store, map, false);
}

TEST_F(UndoManagerTest, WholeCanvasStepGivesOneRectangle)
{
    UndoStoreLimits limits;
    limits.stagingBytes = int32_t(3 * kTileBytes + kStepFrame);
    UndoCanvas canvas(100, 70, limits);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    PaintRect(map, map.GetBounds(), m_random);
    const std::string before = MapBytes(map);
    ASSERT_EQ(RecordEdit(store, map, 4, map.GetBounds(), m_random), kResOk);

    // 7 x 5 tiles streamed three at a time: the header's count is the whole step's.
    const auto files = m_temp.UndoFiles();
    ASSERT_EQ(files.size(), 1u);
    const auto steps = ParseStepFile(files[0]);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].count, 35u);
    EXPECT_EQ(steps[0].value, 4u);

    UndoStepHeader header;
    tCStream* stream = nullptr;
    ASSERT_EQ(store.ReadStep(&header, &stream, true), kResOk);
    CRegion region;
    ASSERT_EQ(store.ApplyTileStep(&region, map, true), kResOk);
    ASSERT_EQ(region.GetCount(), 1);
    EXPECT_EQ(*region.begin(), (tCRect{0, 0, 100, 70}));
    EXPECT_EQ(MapBytes(map), before);
}

TEST_F(UndoManagerTest, NewStepAfterUndosDropsTheUndoneSteps)
{
    UndoStoreLimits limits;
    limits.fileCap = 3 * kTileBytes;
    UndoCanvas canvas(64, 48, limits);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    std::vector<std::string> states{MapBytes(map)};
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(RecordEdit(store, map, 0, {i * 8, 0, i * 8 + 20, 40}, m_random), kResOk);
        states.push_back(MapBytes(map));
    }
    const size_t filesBefore = m_temp.UndoFiles().size();
    ASSERT_GT(filesBefore, 2u);
    MoveTileStep(store, map, true);
    MoveTileStep(store, map, true);
    ASSERT_EQ(MapBytes(map), states[4]);
    EXPECT_TRUE(store.CanRedo());

    ASSERT_EQ(RecordEdit(store, map, 0, {30, 30, 50, 48}, m_random), kResOk);
    const std::string newest = MapBytes(map);
    EXPECT_FALSE(store.CanRedo());
    EXPECT_EQ(ReadOnly(store, false), kResHandled);
    EXPECT_EQ(MapBytes(map), newest);
    EXPECT_LT(m_temp.UndoFiles().size(), filesBefore);

    MoveTileStep(store, map, true);
    EXPECT_EQ(MapBytes(map), states[4]);
    MoveTileStep(store, map, true);
    EXPECT_EQ(MapBytes(map), states[3]);
    MoveTileStep(store, map, false);
    MoveTileStep(store, map, false);
    EXPECT_EQ(MapBytes(map), newest);
}

TEST_F(UndoManagerTest, ResetAndDestructionDeleteTheFiles)
{
    CPaintCellMap map;
    ASSERT_EQ(map.SetSize(64, 64), kResOk);
    UndoStoreLimits limits;
    limits.fileCap = 2 * kTileBytes;
    {
        CHMRUndoManager store(limits);
        ASSERT_EQ(store.Initialise(64, 64), kResOk);
        for (int i = 0; i < 5; ++i)
            ASSERT_EQ(RecordEdit(store, map, 0, {0, 0, 40, 40}, m_random), kResOk);
        ASSERT_EQ(m_temp.UndoFiles().size(), 5u);
        MoveTileStep(store, map, true);
        store.Reset();
        EXPECT_TRUE(m_temp.UndoFiles().empty());
        EXPECT_FALSE(store.CanUndo());
        EXPECT_FALSE(store.CanRedo());
        // Without a canvas size no tile can be marked.
        ASSERT_EQ(store.BeginStep(kUndoStepTiles, 0), kResOk);
        EXPECT_NE(store.SaveTilesInRect({0, 0, 10, 10}, map), kResOk);
        EXPECT_NE(store.EndStep(), kResOk);
        EXPECT_TRUE(m_temp.UndoFiles().empty());

        ASSERT_EQ(store.SetCanvasSize(64, 64), kResOk);
        ASSERT_EQ(RecordEdit(store, map, 0, {0, 0, 40, 40}, m_random), kResOk);
        ASSERT_EQ(m_temp.UndoFiles().size(), 1u);
    }
    EXPECT_TRUE(m_temp.UndoFiles().empty());
}

TEST_F(UndoManagerTest, FilesArePrivateAndHiddenUnderTheProgramsName)
{
    UndoCanvas canvas(20, 20);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    ASSERT_EQ(RecordEdit(store, map, 0, {0, 0, 5, 5}, m_random), kResOk);
    const auto files = m_temp.UndoFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::string name = std::filesystem::path(files[0]).filename().string();
    EXPECT_EQ(name.rfind(".kostrel-KSU", 0), 0u) << name;
    EXPECT_EQ(name.substr(name.size() - 4), ".tmp");
    EXPECT_EQ(name.size(), 22u);
    struct stat status;
    ASSERT_EQ(stat(files[0].c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(UndoManagerTest, OnlyUndoFilesThatNoProgramHoldsAreRemoved)
{
    // One left by a killed program, and files of the user and of other programs, whatever they
    // look like; this store's own file is held from its making, also while its stream is closed.
    const std::string stale = (m_temp.Path() / ".kostrel-KSUab12CD.tmp").string();
    const std::vector<std::string> kept = {"KSUab12CD.tmp", ".kostrel-KSUab12CD.txt", ".kostrel-KSUab12C.tmp",
                                           ".KSUab12CD.tmp", "my-KSUab12CD.tmp"};
    WriteWholeFile(stale, "steps");
    for (const std::string& name : kept)
        WriteWholeFile((m_temp.Path() / name).string(), "my own notes");
    UndoCanvas canvas(20, 20);
    const std::string before = MapBytes(canvas.map);
    ASSERT_EQ(RecordEdit(canvas.store, canvas.map, 0, {0, 0, 5, 5}, m_random), kResOk);

    EXPECT_EQ(CUndoTempFiles::RemoveStale(), 1);
    EXPECT_FALSE(std::filesystem::exists(stale));
    for (const std::string& name : kept)
        EXPECT_EQ(ReadWholeFile((m_temp.Path() / name).string()), "my own notes") << name;
    MoveTileStep(canvas.store, canvas.map, true);
    EXPECT_EQ(MapBytes(canvas.map), before);
}

// Longer than the 260 units of the old fixed buffer, far within the system's path limit.
TEST_F(UndoManagerTest, ALongTemporaryFolderKeepsTheHistory)
{
    const std::filesystem::path folder = m_temp.Path() / std::string(120, 'a') / std::string(120, 'b');
    ASSERT_GT(folder.string().size(), 260u);
    std::filesystem::create_directories(folder);
    setenv("TMPDIR", folder.c_str(), 1);
    UndoCanvas canvas(20, 20);
    const std::string before = MapBytes(canvas.map);
    ASSERT_EQ(RecordEdit(canvas.store, canvas.map, 0, {0, 0, 5, 5}, m_random), kResOk);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
    MoveTileStep(canvas.store, canvas.map, true);
    EXPECT_EQ(MapBytes(canvas.map), before);
}

TEST_F(UndoManagerTest, StepsStartBelowTheCapAndStayWhole)
{
    UndoStoreLimits limits;
    limits.fileCap = 30000;
    UndoCanvas canvas(160, 160, limits);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    PaintRect(map, map.GetBounds(), m_random);
    std::vector<std::string> states{MapBytes(map)};
    // Four-tile steps, then one of 36 tiles (92 kB, three times the cap), then small ones.
    for (int i = 0; i < 12; ++i) {
        const int32_t x = (i % 5) * 32, y = (i % 4) * 32;
        const tCRect rect = i == 7 ? tCRect{0, 0, 96, 96} : tCRect{x, y, x + 32, y + 32};
        ASSERT_EQ(RecordEdit(store, map, 0, rect, m_random), kResOk);
        states.push_back(MapBytes(map));
    }
    bool sawLargeStep = false;
    int64_t stepsInFiles = 0;
    const auto files = m_temp.UndoFiles();
    EXPECT_GT(files.size(), 2u);
    for (const auto& file : files) {
        for (const ParsedStep& step : ParseStepFile(file)) {
            EXPECT_LE(step.offset, limits.fileCap) << file;
            sawLargeStep |= step.size > limits.fileCap;
            ++stepsInFiles;
        }
    }
    EXPECT_TRUE(sawLargeStep);
    EXPECT_EQ(stepsInFiles, 12);

    for (size_t i = states.size() - 1; i > 0; --i) {
        MoveTileStep(store, map, true);
        ASSERT_EQ(MapBytes(map), states[i - 1]);
    }
    EXPECT_EQ(ReadOnly(store, true), kResHandled);
    for (size_t i = 1; i < states.size(); ++i) {
        MoveTileStep(store, map, false);
        ASSERT_EQ(MapBytes(map), states[i]);
    }
}

TEST_F(UndoManagerTest, EdgeTileKeepsOnlyCellsInsideAndZeros)
{
    UndoCanvas canvas(37, 21);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    FillDistinct(map);
    const std::string before = MapBytes(map);
    // A whole tile first, so that the buffer holds cells where the edge tile has none.
    ASSERT_EQ(store.BeginStep(kUndoStepTiles, 0), kResOk);
    ASSERT_EQ(store.SaveTilesInRect({0, 0, 16, 16}, map), kResOk);
    ASSERT_EQ(store.EndStep(), kResOk);
    ASSERT_EQ(RecordEdit(store, map, 0, {33, 17, 60, 60}, m_random), kResOk);

    const auto files = m_temp.UndoFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::string bytes = ReadWholeFile(files[0]).substr(size_t(kTileBytes + kStepFrame));
    ASSERT_EQ(int64_t(bytes.size()), kTileBytes + kStepFrame);
    EXPECT_EQ(LoadU32(bytes, 12), 2u);
    EXPECT_EQ(LoadU32(bytes, 16), 1u);
    // Tile (2, 1) lies 5 cells wide and 5 high inside the map, its rows packed one after another.
    size_t at = 20;
    for (int32_t y = 16; y < 21; ++y)
        for (int32_t x = 32; x < 37; ++x, at += kPaintCellBytes)
            ASSERT_EQ(bytes.compare(at, kPaintCellBytes, before, (size_t(y) * 37 + size_t(x)) * kPaintCellBytes,
                                    kPaintCellBytes), 0)
                << x << "," << y;
    EXPECT_EQ(bytes.substr(at, size_t(12 + kTileBytes) - at), std::string(size_t(12 + kTileBytes) - at, '\0'));

    MoveTileStep(store, map, true);
    EXPECT_EQ(MapBytes(map), before);
}

TEST_F(UndoManagerTest, TileCrossedManyTimesIsSavedOnce)
{
    UndoCanvas canvas(64, 64);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    ASSERT_EQ(store.BeginStep(kUndoStepTiles, 0), kResOk);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(store.SaveTilesInRect({18 + i % 10, 20, 22 + i % 10, 30}, map), kResOk);
    ASSERT_EQ(store.EndStep(), kResOk);
    const auto files = m_temp.UndoFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(int64_t(std::filesystem::file_size(files[0])), kTileBytes + kStepFrame);
}

TEST_F(UndoManagerTest, RectanglesPastTheMapStayInsideTheMarks)
{
    UndoCanvas canvas(40, 40);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    ASSERT_EQ(store.BeginStep(kUndoStepTiles, 0), kResOk);
    ASSERT_EQ(store.SaveTilesInRect({-100, -100, INT32_MAX, INT32_MAX}, map), kResOk);
    ASSERT_EQ(store.SaveTilesInRect({INT32_MIN, 5, -1, 9}, map), kResOk);
    ASSERT_EQ(store.EndStep(), kResOk);
    const auto steps = ParseStepFile(m_temp.UndoFiles().at(0));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].count, 9u);

    // A map larger than the canvas the store was sized for is marked only as far as the canvas.
    CPaintCellMap larger;
    ASSERT_EQ(larger.SetSize(100, 100), kResOk);
    ASSERT_EQ(store.BeginStep(kUndoStepTiles, 0), kResOk);
    ASSERT_EQ(store.SaveTilesInRect(larger.GetBounds(), larger), kResOk);
    ASSERT_EQ(store.EndStep(), kResOk);
    const auto more = ParseStepFile(m_temp.UndoFiles().at(0));
    ASSERT_EQ(more.size(), 2u);
    EXPECT_EQ(more[1].count, 9u);
}

TEST_F(UndoManagerTest, RepeatedUndoRedoAlternatesWithoutGrowingTheFile)
{
    UndoCanvas canvas(50, 50);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    const std::string before = MapBytes(map);
    ASSERT_EQ(RecordEdit(store, map, 0, {3, 3, 45, 20}, m_random), kResOk);
    const std::string after = MapBytes(map);
    const std::string file = m_temp.UndoFiles().at(0);
    const auto size = std::filesystem::file_size(file);
    for (int i = 0; i < 10; ++i) {
        MoveTileStep(store, map, true);
        ASSERT_EQ(MapBytes(map), before);
        MoveTileStep(store, map, false);
        ASSERT_EQ(MapBytes(map), after);
        ASSERT_EQ(std::filesystem::file_size(file), size);
    }
}

TEST_F(UndoManagerTest, EmptyTileStepLeavesNoStep)
{
    UndoCanvas canvas(30, 30);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    UndoMessageCounter messages;
    ASSERT_EQ(store.BeginStep(kUndoStepTiles, 0), kResOk);
    ASSERT_EQ(store.SaveTilesInRect({40, 40, 50, 50}, map), kResOk);
    ASSERT_EQ(store.EndStep(), kResOk);
    EXPECT_FALSE(store.CanUndo());
    EXPECT_TRUE(m_temp.UndoFiles().empty());
    EXPECT_EQ(messages.count, 0);
}

TEST_F(UndoManagerTest, UndoAtTheFirstStepReportsNothingToUndo)
{
    UndoCanvas canvas(30, 30);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    EXPECT_EQ(ReadOnly(store, true), kResHandled);
    EXPECT_EQ(ReadOnly(store, false), kResHandled);
    ASSERT_EQ(RecordEdit(store, map, 0, {0, 0, 10, 10}, m_random), kResOk);
    const std::string after = MapBytes(map);
    MoveTileStep(store, map, true);
    EXPECT_FALSE(store.CanUndo());
    EXPECT_EQ(ReadOnly(store, true), kResHandled);
    MoveTileStep(store, map, false);
    EXPECT_EQ(MapBytes(map), after);
}

TEST_F(UndoManagerTest, StepReadButNotAppliedIsNeitherSkippedNorRepeated)
{
    UndoCanvas canvas(30, 30);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    const std::string before = MapBytes(map);
    ASSERT_EQ(RecordEdit(store, map, 0, {0, 0, 10, 10}, m_random), kResOk);
    ASSERT_EQ(ReadOnly(store, true), kResOk);
    // The caller found no layer for it and gave up; the step is still the next to undo.
    EXPECT_TRUE(store.CanUndo());
    EXPECT_FALSE(store.CanRedo());
    MoveTileStep(store, map, true);
    EXPECT_EQ(MapBytes(map), before);
    // Only the step just read can be applied, and only in the direction it was read.
    CRegion region;
    EXPECT_EQ(store.ApplyTileStep(&region, map, false), kResBadParam);
    ASSERT_EQ(ReadOnly(store, false), kResOk);
    EXPECT_EQ(store.ApplyTileStep(&region, map, true), kResBadParam);
}

TEST_F(UndoManagerTest, RecordsCarryTheirPayloadBothWays)
{
    UndoStoreLimits limits;
    limits.fileCap = 100;
    UndoCanvas canvas(40, 40, limits);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;

    tCStream* stream = store.OpenRecord(3, 7);
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(stream->WriteU32(2), kResOk);
    ASSERT_EQ(stream->WriteU32(5), kResOk);
    ASSERT_EQ(store.CloseRecord(), kResOk);
    const std::string before = MapBytes(map);
    ASSERT_EQ(RecordEdit(store, map, 1, {0, 0, 20, 20}, m_random), kResOk);
    const std::string painted = MapBytes(map);
    std::string payload;
    for (int i = 0; i < 1000; ++i)
        payload += char(i * 7);
    stream = store.OpenRecord(6, 0);
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(stream->WriteBytes(payload.data(), int64_t(payload.size())), kResOk);
    ASSERT_EQ(store.CloseRecord(), kResOk);
    ASSERT_NE(store.OpenRecord(2, 9), nullptr);
    ASSERT_EQ(store.CloseRecord(), kResOk);

    auto readRecord = [&](bool undo, uint32_t type, uint32_t count) -> tCStream* {
        UndoStepHeader header;
        tCStream* read = nullptr;
        EXPECT_EQ(store.ReadStep(&header, &read, undo), kResOk);
        EXPECT_EQ(header.type, type);
        EXPECT_EQ(header.count, count);
        EXPECT_NE(read, nullptr);
        return read;
    };
    auto checkPayloads = [&](bool undo) {
        std::string back(payload.size(), '\0');
        ASSERT_EQ(readRecord(undo, 6, 1000)->ReadBytes(back.data(), int64_t(back.size())), kResOk);
        EXPECT_EQ(back, payload);
    };
    readRecord(true, 2, 0);
    checkPayloads(true);
    MoveTileStep(store, map, true);
    EXPECT_EQ(MapBytes(map), before);
    uint32_t from = 0, to = 0;
    tCStream* pair = readRecord(true, 3, 8);
    ASSERT_EQ(pair->ReadU32(&from), kResOk);
    ASSERT_EQ(pair->ReadU32(&to), kResOk);
    EXPECT_EQ(from, 2u);
    EXPECT_EQ(to, 5u);
    EXPECT_FALSE(store.CanUndo());

    pair = readRecord(false, 3, 8);
    ASSERT_EQ(pair->ReadU32(&from), kResOk);
    EXPECT_EQ(from, 2u);
    MoveTileStep(store, map, false);
    EXPECT_EQ(MapBytes(map), painted);
    checkPayloads(false);
    readRecord(false, 2, 0);
    EXPECT_FALSE(store.CanRedo());
}

TEST_F(UndoManagerTest, TellsTheBackdropWhenTheHistoryChanges)
{
    UndoCanvas canvas(30, 30);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    UndoMessageCounter messages;
    ASSERT_EQ(RecordEdit(store, map, 0, {0, 0, 10, 10}, m_random), kResOk);
    EXPECT_EQ(messages.count, 1);
    MoveTileStep(store, map, true);
    EXPECT_EQ(messages.count, 2);
    ASSERT_EQ(store.PushStep(3), kResOk);
    EXPECT_EQ(messages.count, 3);
    store.Reset();
    EXPECT_EQ(messages.count, 4);
}

TEST_F(UndoManagerTest, UndoAfterTheCanvasShrankSwapsWhatFits)
{
    UndoCanvas canvas(100, 100);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    FillDistinct(map);
    const std::string before = MapBytes(map);
    ASSERT_EQ(RecordEdit(store, map, 0, map.GetBounds(), m_random), kResOk);

    // The buffer for 3 x 3 tiles is far smaller than the 49-tile step.
    CellMapResize shrink;
    shrink.width = 40;
    shrink.height = 40;
    ASSERT_EQ(map.Resize(shrink), kResOk);
    ASSERT_EQ(store.SetCanvasSize(40, 40), kResOk);
    MoveTileStep(store, map, true);
    // Tiles wholly inside both sizes come back exactly.
    for (int32_t y = 0; y < 32; ++y)
        ASSERT_EQ(MapBytes(map).compare(size_t(y) * 40 * kPaintCellBytes, 32 * kPaintCellBytes, before,
                                        size_t(y) * 100 * kPaintCellBytes, 32 * kPaintCellBytes),
                  0)
            << "row " << y;
}

TEST_F(UndoManagerTest, DamagedTrailerGivesUpTheStepsBehind)
{
    UndoCanvas canvas(40, 40);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    std::vector<std::string> states{MapBytes(map)};
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(RecordEdit(store, map, 0, {i * 10, 0, i * 10 + 10, 40}, m_random), kResOk);
        states.push_back(MapBytes(map));
    }
    MoveTileStep(store, map, true);
    const std::string file = m_temp.UndoFiles().at(0);
    const auto steps = ParseStepFile(file);
    ASSERT_EQ(steps.size(), 4u);
    // The trailer of the third step now claims more tiles than lie before it.
    std::string bytes = ReadWholeFile(file);
    bytes[size_t(steps[2].offset + steps[2].size - 4)] = 100;
    WriteWholeFile(file, bytes);

    EXPECT_EQ(ReadOnly(store, true), kResDamaged);
    EXPECT_EQ(MapBytes(map), states[3]);
    EXPECT_FALSE(store.CanUndo());
    EXPECT_EQ(ReadOnly(store, true), kResHandled);
    // The step after the damage is whole and still redoes.
    MoveTileStep(store, map, false);
    EXPECT_EQ(MapBytes(map), states[4]);
    MoveTileStep(store, map, true);
    EXPECT_EQ(MapBytes(map), states[3]);
}

TEST_F(UndoManagerTest, DamagedRedoStepGivesUpTheStepsAhead)
{
    UndoCanvas canvas(40, 40);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    std::vector<std::string> states{MapBytes(map)};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(RecordEdit(store, map, 0, {0, i * 10, 40, i * 10 + 10}, m_random), kResOk);
        states.push_back(MapBytes(map));
    }
    for (int i = 0; i < 3; ++i)
        MoveTileStep(store, map, true);
    const std::string file = m_temp.UndoFiles().at(0);
    std::string bytes = ReadWholeFile(file);
    const auto steps = ParseStepFile(file);
    ASSERT_EQ(steps.size(), 3u);
    bytes[size_t(steps[1].offset)] = 9;  // the header no longer matches its trailer
    WriteWholeFile(file, bytes);

    MoveTileStep(store, map, false);
    EXPECT_EQ(MapBytes(map), states[1]);
    EXPECT_EQ(ReadOnly(store, false), kResDamaged);
    EXPECT_EQ(MapBytes(map), states[1]);
    EXPECT_FALSE(store.CanRedo());
    MoveTileStep(store, map, true);
    EXPECT_EQ(MapBytes(map), states[0]);
}

TEST_F(UndoManagerTest, TruncatedFileIsDamageAndLeavesTheCellsAsTheyWere)
{
    // Two tiles a chunk, so the step is exchanged in eight chunks and breaks off after two.
    UndoStoreLimits limits;
    limits.stagingBytes = int32_t(2 * kTileBytes + kStepFrame);
    UndoCanvas canvas(64, 64, limits);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    ASSERT_EQ(RecordEdit(store, map, 0, map.GetBounds(), m_random), kResOk);
    const std::string painted = MapBytes(map);
    const std::string file = m_temp.UndoFiles().at(0);
    ASSERT_EQ(ReadOnly(store, true), kResOk);
    ASSERT_EQ(truncate(file.c_str(), off_t(12 + 5 * kTileBytes)), 0);

    CRegion region;
    EXPECT_EQ(store.ApplyTileStep(&region, map, true), kResDamaged);
    EXPECT_TRUE(region.IsEmpty());
    EXPECT_EQ(MapBytes(map), painted);
    EXPECT_FALSE(store.CanUndo());

    // A file cut before the last step's trailer is found out before anything is exchanged.
    ASSERT_EQ(RecordEdit(store, map, 0, {0, 0, 20, 20}, m_random), kResOk);
    const std::string edited = MapBytes(map);
    ASSERT_EQ(truncate(file.c_str(), 0), 0);
    EXPECT_EQ(ReadOnly(store, true), kResDamaged);
    EXPECT_EQ(MapBytes(map), edited);
    EXPECT_FALSE(store.CanUndo());
}

TEST_F(UndoManagerTest, FileReplacedByALinkIsNotFollowed)
{
    UndoStoreLimits limits;
    limits.fileCap = 100;
    UndoCanvas canvas(48, 48, limits);
    CPaintCellMap& map = canvas.map;
    CHMRUndoManager& store = canvas.store;
    ASSERT_EQ(RecordEdit(store, map, 0, {0, 0, 20, 20}, m_random), kResOk);
    const std::string first = m_temp.UndoFiles().at(0);
    ASSERT_EQ(RecordEdit(store, map, 0, {20, 20, 40, 40}, m_random), kResOk);
    ASSERT_EQ(m_temp.UndoFiles().size(), 2u);

    const std::string decoy = (m_temp.Path() / "decoy").string();
    const std::string decoyBytes = ReadWholeFile(first);
    WriteWholeFile(decoy, decoyBytes);
    ASSERT_EQ(unlink(first.c_str()), 0);
    ASSERT_EQ(symlink(decoy.c_str(), first.c_str()), 0);

    const std::string now = MapBytes(map);
    MoveTileStep(store, map, true);
    EXPECT_NE(ReadOnly(store, true), kResOk);
    EXPECT_NE(MapBytes(map), now);
    EXPECT_EQ(ReadWholeFile(decoy), decoyBytes);
    store.Reset();
    // The link is not the store's file, so it stays, and so does what it points to.
    EXPECT_TRUE(std::filesystem::is_symlink(first));
    EXPECT_TRUE(std::filesystem::exists(decoy));
}

}  // namespace
