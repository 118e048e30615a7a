#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "HeadlessFixture.h"
#include "platform/Clipboard.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace ClipboardTests {

using namespace w32;

namespace {

class ClipboardTest : public HeadlessTest {};

void Put(UINT format, const void* data, size_t bytes)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    ASSERT_TRUE(EmptyClipboard());
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(memory), data, bytes);
    GlobalUnlock(memory);
    ASSERT_EQ(SetClipboardData(format, memory), memory);
    ASSERT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, UnicodeTextRoundTripsAndReadsAsNarrowText)
{
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    const std::u16string text = u"Crème brûlée \u6F22";
    Put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * 2);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));

    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(nullptr));
    HGLOBAL wide = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(wide))), text);
    HGLOBAL narrow = GetClipboardData(CF_TEXT);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(narrow)), "Crème brûlée \xE6\xBC\xA2");
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, NarrowTextIsStoredUpToItsTerminatorAndEmptyMeansNoText)
{
    const char data[] = "abc\0def";
    Put(CF_TEXT, data, sizeof data);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)))), u"abc");
    CloseClipboard();

    Put(CF_UNICODETEXT, u"", 2);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

TEST_F(ClipboardTest, DataNeedsAnOpenEmptiedClipboard)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 2);
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, memory), nullptr);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, memory), nullptr);
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
    CloseClipboard();
    GlobalFree(memory);
}

}  // namespace

}  // namespace ClipboardTests
