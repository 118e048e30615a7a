#include <gtest/gtest.h>

#include <string>

#include "platform/sdl/FramePlacement.h"

namespace FramePlacementTests {

using namespace w32;
using namespace w32::sdl;

std::string Text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

// A framed window is placed so that its frame lies on the work area: moved down past a title bar
// that would stand above the screen, in from an edge, and made smaller only where the frame and
// all are larger than the work area; a client that fits stays where it was asked.
TEST(FramePlacement, TheFrameLiesOnTheWorkAreaMovedFirstAndSmallerOnlyWhereItMustBe)
{
    const RECT screen{0, 0, 1280, 800};
    struct tRow {
        const char* name;
        RECT client;
        tFrameExtents frame;
        RECT work;
        const char* fitted;
    };
    const tRow rows[] = {
        {"fits as asked", {128, 40, 1152, 784}, {1, 1, 20, 5}, screen, "128,40 1024x744"},
        {"a title bar above the screen moves down", {128, 16, 1152, 784}, {1, 1, 20, 5}, screen, "128,20 1024x768"},
        {"a bottom past the screen moves up", {128, 40, 1152, 800}, {4, 4, 22, 4}, screen, "128,36 1024x760"},
        {"too tall for the screen is made shorter under its title bar", {128, 16, 1152, 784}, {5, 5, 24, 5},
         {0, 0, 1280, 760}, "128,24 1024x731"},
        {"a work area beside a panel", {0, 0, 800, 600}, {2, 2, 30, 2}, {100, 32, 1280, 800}, "102,62 800x600"},
        {"too wide for a work area beside a panel is made narrower", {0, 0, 1200, 600}, {2, 2, 30, 2},
         {100, 0, 1280, 800}, "102,30 1176x600"},
        {"the right edge moves left before the left edge is kept", {1000, 100, 1400, 400}, {2, 6, 20, 3}, screen,
         "874,100 400x300"},
        {"a work area below a panel that leaves too little height", {100, 50, 600, 750}, {0, 0, 10, 0},
         {0, 100, 1280, 700}, "100,110 500x590"},
        {"no room for any client keeps the client", {10, 10, 50, 50}, {700, 700, 500, 500}, screen, "10,10 40x40"},
        {"no room for its height keeps the client", {10, 10, 50, 50}, {1, 1, 500, 500}, screen, "10,10 40x40"},
        {"a frame exactly as wide as the work area keeps the client", {10, 10, 50, 50}, {640, 640, 1, 1}, screen,
         "10,10 40x40"},
        {"a frame that leaves one column makes the client one pixel wide", {10, 10, 50, 50}, {639, 640, 1, 1},
         screen, "639,10 1x40"},
        {"a frame exactly as tall as the work area keeps the client", {10, 10, 50, 50}, {1, 1, 400, 400}, screen,
         "10,10 40x40"},
    };
    for (const tRow& row : rows)
        EXPECT_EQ(Text(FitFramedClient(row.client, row.frame, row.work)), row.fitted) << row.name;
}

}  // namespace FramePlacementTests
