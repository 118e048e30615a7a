#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "CellTestSupport.h"
#include "paint/engine/CHMRUndoManager.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/widgets/CRegion.h"

inline constexpr int64_t kTileBytes = 2568;
inline constexpr int64_t kStepFrame = 24;

// The system's temporary folder is a fresh folder for the life of the object, so a test sees
// exactly the undo files it made.
class TemporaryFolderScope {
public:
    TemporaryFolderScope()
    {
        const char* old = getenv("TMPDIR");
        m_hadOld = old != nullptr;
        if (old)
            m_old = old;
        setenv("TMPDIR", m_folder.Path().c_str(), 1);
    }
    ~TemporaryFolderScope()
    {
        if (m_hadOld)
            setenv("TMPDIR", m_old.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    const std::filesystem::path& Path() const { return m_folder.Path(); }

    // The undo files in the folder, in no particular order.
    std::vector<std::string> UndoFiles() const
    {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder.Path()))
            files.push_back(entry.path().string());
        return files;
    }

private:
    TempFolder m_folder;
    std::string m_old;
    bool m_hadOld = false;
};

// Files cannot grow past `bytes` while the object lives: a write beyond fails as on a full
// disk (the signal that would end the process is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(int64_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    sighandler_t m_oldHandler = SIG_DFL;
};

// Counts the undo-state messages that reach the backdrop.
class UndoMessageCounter : public tCCmdTarget {
public:
    UndoMessageCounter() { SetBackdropTarget(this); }
    ~UndoMessageCounter() override { SetBackdropTarget(nullptr); }
    tResult OnMessage(uint32_t message, tMsgArg, tMsgArg, tMsgArg, uint32_t) override
    {
        if (message == kMsgUndoStateChanged)
            ++count;
        return kResOk;
    }
    int count = 0;
};

// A map of the given size and a store sized for it.
struct UndoCanvas {
    UndoCanvas(int32_t width, int32_t height, const UndoStoreLimits& limits = {}) : store(limits)
    {
        EXPECT_EQ(map.SetSize(width, height), kResOk);
        EXPECT_EQ(store.Initialise(width, height), kResOk);
    }
    CPaintCellMap map;
    CHMRUndoManager store;
};

// Reads the next step one way without doing anything with it.
inline tResult ReadOnly(CHMRUndoManager& store, bool undo)
{
    UndoStepHeader header;
    tCStream* stream = nullptr;
    return store.ReadStep(&header, &stream, undo);
}

inline std::string MapBytes(CPaintCellMap& map)
{
    CPaintCellNav nav(map);
    std::string bytes;
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        bytes.append(reinterpret_cast<const char*>(nav.Cells(y)), size_t(nav.GetWidth()) * kPaintCellBytes);
    return bytes;
}

inline void PaintRect(CPaintCellMap& map, const tCRect& rect, std::mt19937& random)
{
    const tCRect inside = rect.Intersect(map.GetBounds());
    for (int32_t y = inside.top; y < inside.bottom; ++y)
        for (int32_t x = inside.left; x < inside.right; ++x)
            CellAt(map, x, y) = MakeCell(uint32_t(random()), uint16_t(random()), uint16_t(random()),
                                         uint8_t(random()), uint8_t(random()));
}

// A rectangle of up to `most` cells a side somewhere over the map, sometimes reaching past its
// edges.
inline tCRect RandomRect(const CPaintCellMap& map, int32_t most, std::mt19937& random)
{
    const int32_t left = int32_t(random() % uint32_t(map.GetWidth() + 10)) - 5;
    const int32_t top = int32_t(random() % uint32_t(map.GetHeight() + 10)) - 5;
    return {left, top, left + 1 + int32_t(random() % uint32_t(most)), top + 1 + int32_t(random() % uint32_t(most))};
}

// One recorded edit as the canvas makes it: open the step, save the tiles, paint, close.
inline tResult RecordEdit(CHMRUndoManager& store, CPaintCellMap& map, uint32_t value, const tCRect& rect,
                          std::mt19937& random)
{
    EXPECT_EQ(store.BeginStep(kUndoStepTiles, value), kResOk);
    EXPECT_EQ(store.SaveTilesInRect(rect, map), kResOk);
    PaintRect(map, rect, random);
    return store.EndStep();
}

// Undoes or redoes one tile step on the map; the region must hold every cell that changed.
inline void MoveTileStep(CHMRUndoManager& store, CPaintCellMap& map, bool undo, uint32_t* value = nullptr)
{
    UndoStepHeader header;
    tCStream* stream = nullptr;
    ASSERT_EQ(store.ReadStep(&header, &stream, undo), kResOk);
    ASSERT_EQ(header.type, kUndoStepTiles);
    EXPECT_EQ(stream, nullptr);
    if (value)
        *value = header.value;
    const std::string before = MapBytes(map);
    CRegion region;
    ASSERT_EQ(store.ApplyTileStep(&region, map, undo), kResOk);
    const std::string after = MapBytes(map);
    for (int32_t y = 0; y < map.GetHeight(); ++y)
        for (int32_t x = 0; x < map.GetWidth(); ++x) {
            const size_t at = (size_t(y) * size_t(map.GetWidth()) + size_t(x)) * kPaintCellBytes;
            if (before.compare(at, kPaintCellBytes, after, at, kPaintCellBytes) == 0)
                continue;
            const bool covered =
                std::any_of(region.begin(), region.end(), [&](const tCRect& r) { return r.Contains({x, y}); });
            ASSERT_TRUE(covered) << "cell " << x << "," << y << " changed outside the region";
        }
}

inline uint32_t LoadU32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | uint8_t(bytes[at + size_t(i)]);
    return value;
}

struct ParsedStep {
    int64_t offset = 0;
    uint32_t type = 0;
    uint32_t value = 0;
    uint32_t count = 0;
    int64_t size = 0;
};

// Reads a file of whole steps: each a 12-byte header, its tiles or payload, and a trailer equal
// to the header. Fails the test at the first step that does not fit.
inline std::vector<ParsedStep> ParseStepFile(const std::string& path)
{
    const std::string bytes = ReadWholeFile(path);
    std::vector<ParsedStep> steps;
    size_t at = 0;
    while (at < bytes.size()) {
        EXPECT_LE(at + 12, bytes.size()) << path;
        if (at + 12 > bytes.size())
            break;
        ParsedStep step{int64_t(at), LoadU32(bytes, at), LoadU32(bytes, at + 4), LoadU32(bytes, at + 8), 0};
        step.size = (step.type == 0 ? int64_t(step.count) * kTileBytes : int64_t(step.count)) + kStepFrame;
        EXPECT_LE(at + size_t(step.size), bytes.size()) << path;
        if (at + size_t(step.size) > bytes.size())
            break;
        EXPECT_EQ(bytes.compare(at, 12, bytes, at + size_t(step.size) - 12, 12), 0) << "trailer of step at " << at;
        steps.push_back(step);
        at += size_t(step.size);
    }
    return steps;
}
