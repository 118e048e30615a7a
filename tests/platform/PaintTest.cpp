#include <gtest/gtest.h>

#include <vector>

#include "HeadlessFixture.h"
#include "TestWindows.h"
#include "platform/Messages.h"
#include "platform/Paint.h"
#include "platform/Window.h"
#include "platform/headless/Headless.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace PaintTests {

using namespace w32;

namespace {

class PaintTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        m_window = MakeTestWindow(u"paint test", RECT{0, 0, 8, 6});
    }
    HWND m_window = nullptr;
};

TEST_F(PaintTest, PixelsReachTheScreenClippedWhenThePaintEnds)
{
    // A 4 x 3 top-down bitmap whose pixel (x, y) holds 0xFF00yyxx.
    std::vector<uint32_t> bitmap(12);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            bitmap[y * 4 + x] = 0xFF000000u | (y << 8) | x;
    BITMAPINFO info;
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = -3;
    info.bmiHeader.biBitCount = 32;

    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(m_window, &paint);
    EXPECT_EQ(paint.rcPaint.right, 8);
    EXPECT_EQ(paint.rcPaint.bottom, 6);
    // Source from (1, 1), three wide and three high, drawn at (6, 4): only 2 x 2 fit either way.
    EXPECT_EQ(SetDIBitsToDevice(dc, 6, 4, 3, 3, 1, 1, 0, 3, bitmap.data(), &info, DIB_RGB_COLORS), 3);
    int32_t width = 0, height = 0;
    EXPECT_TRUE(headless::ReadWindowPixels(m_window, &width, &height).empty() || width == 0);
    EndPaint(m_window, &paint);

    const std::vector<uint32_t> screen = headless::ReadWindowPixels(m_window, &width, &height);
    ASSERT_EQ(width, 8);
    ASSERT_EQ(height, 6);
    EXPECT_EQ(screen[4 * 8 + 6], 0xFF000101u);
    EXPECT_EQ(screen[4 * 8 + 7], 0xFF000102u);
    EXPECT_EQ(screen[5 * 8 + 7], 0xFF000202u);
    EXPECT_EQ(screen[3 * 8 + 6], 0xFF000000u);
    EXPECT_EQ(screen[0], 0xFF000000u);
}

TEST_F(PaintTest, OnlyTheInvalidPartIsPresented)
{
    PAINTSTRUCT paint;
    BeginPaint(m_window, &paint);
    EndPaint(m_window, &paint);
    const RECT part{2, 2, 4, 3};
    InvalidateRect(m_window, &part, 0);
    const uint32_t white[1] = {0xFFFFFFFFu};
    BITMAPINFO info;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = -1;
    info.bmiHeader.biBitCount = 32;
    const HDC dc = BeginPaint(m_window, &paint);
    EXPECT_EQ(paint.rcPaint.left, 2);
    EXPECT_EQ(paint.rcPaint.right, 4);
    SetDIBitsToDevice(dc, 0, 0, 1, 1, 0, 0, 0, 1, white, &info, DIB_RGB_COLORS);
    SetDIBitsToDevice(dc, 3, 2, 1, 1, 0, 0, 0, 1, white, &info, DIB_RGB_COLORS);
    EndPaint(m_window, &paint);
    int32_t width = 0, height = 0;
    const std::vector<uint32_t> screen = headless::ReadWindowPixels(m_window, &width, &height);
    EXPECT_EQ(screen[0], 0xFF000000u);
    EXPECT_EQ(screen[2 * 8 + 3], 0xFFFFFFFFu);

    info.bmiHeader.biBitCount = 16;
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 1, 1, 0, 0, 0, 1, white, &info, DIB_RGB_COLORS), 0);
}

}  // namespace

}  // namespace PaintTests
