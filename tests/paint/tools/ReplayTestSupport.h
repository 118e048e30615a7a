#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/StrokeReplay.h"
#include "paint/engine/CPaintCellNav.h"
#include "toolkit/imaging/CImNav.h"

// The first five seconds of the recording: two strokes within about 400 x 420 cells.
inline const std::vector<tRecordedSample>& Recording()
{
    static const std::vector<tRecordedSample> samples =
        ReadRecordedSamples(std::string(KOSTREL_TEST_DATA) + "/strokes/stroke-5s.txt");
    return samples;
}

// A replay of the recording by the tool on a canvas that holds it, over a background.
inline ReplayOptions ReplayTestOptions(uint32_t toolId, float size)
{
    ReplayOptions options;
    options.toolId = toolId;
    options.width = 420;
    options.height = 440;
    options.toolSize = size;
    options.background = 1;
    return options;
}

// A picture the tests leave for a look, in the pictures folder of the build (a test's temporary
// folder goes with its home when it ends).
inline std::string TestPicture(const std::string& name)
{
    std::error_code ignored;
    std::filesystem::create_directories(KOSTREL_TEST_PICTURES, ignored);
    return std::string(KOSTREL_TEST_PICTURES) + "/" + name;
}

inline std::vector<PaintCell> CopyCells(CPaintCellMap& map)
{
    CPaintCellNav nav(map);
    std::vector<PaintCell> cells;
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        cells.insert(cells.end(), nav.Cells(y), nav.Cells(y) + nav.GetWidth());
    return cells;
}

inline std::vector<CPixel> CopyPixels(CImage& image)
{
    CImNav nav(&image);
    std::vector<CPixel> pixels;
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        pixels.insert(pixels.end(), nav.Pixels(y), nav.Pixels(y) + nav.GetWidth());
    return pixels;
}

inline bool SameCells(const PaintCell& a, const PaintCell& b) { return std::memcmp(&a, &b, sizeof(PaintCell)) == 0; }

// Every cell that changed from `before` lies in a rectangle the tool updated and within reach of
// the samples; answers how many changed.
inline int64_t CheckChangedCells(CStrokeReplay& replay, const std::vector<PaintCell>& before)
{
    const std::vector<PaintCell> after = CopyCells(replay.GetCells());
    const tCRect box = replay.GetSampleBox();
    const float reach = 1.5f * replay.GetWidestNib() + replay.GetLongestStep() + 2.0f;
    const int32_t width = replay.GetCanvas().GetWidth();
    int64_t changed = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        if (SameCells(before[i], after[i]))
            continue;
        ++changed;
        const int32_t x = int32_t(i) % width, y = int32_t(i) / width;
        bool reported = false;
        for (const tCRect& r : replay.GetUpdatedRects())
            reported = reported || (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom);
        EXPECT_TRUE(reported) << x << ", " << y;
        EXPECT_TRUE(x >= box.left - reach && x <= box.right + reach && y >= box.top - reach &&
                    y <= box.bottom + reach)
            << x << ", " << y;
        if (::testing::Test::HasFailure())
            break;
    }
    return changed;
}
