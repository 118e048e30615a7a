#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/StringText.h"
#include "toolkit/core/LittleEndianBytes.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace tCMemFileTests {

namespace {

using namespace std::string_literals;

TEST(tCMemFile, ANewStreamIsEmptyAndAtItsEnd)
{
    tCMemFile stream;
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_TRUE(stream.IsAtEnd());
    EXPECT_EQ(stream.GetCapacity(), 2048);
    uint8_t byte;
    EXPECT_EQ(stream.ReadU8(&byte), kResFileIO);
    tCString text;
    EXPECT_EQ(stream.ReadTextLineW(text), kResFileIO);
}

TEST(tCMemFile, GrowthAddsTwoKibibytesOfSlackOnlyWhenTheBlockIsFull)
{
    tCMemFile stream;
    EXPECT_EQ(stream.WriteU32(1), kResOk);
    EXPECT_EQ(stream.GetSize(), 4);
    EXPECT_EQ(stream.GetPosition(), 4);
    EXPECT_EQ(stream.GetCapacity(), 2048);

    tCMemFile full;
    const std::string bytes(2048, 'k');
    EXPECT_EQ(full.WriteBytes(bytes.data(), 2048), kResOk);
    EXPECT_EQ(full.GetCapacity(), 4096);
    EXPECT_EQ(StreamBytes(full), bytes);

    EXPECT_EQ(full.GrowBy(-1), kResBadParam);
    EXPECT_EQ(full.GrowBy(int64_t(1) << 40), kResNoMemory);
    EXPECT_EQ(full.GetSize(), 2048);
    EXPECT_EQ(full.GrowBy(10), kResOk);
    EXPECT_EQ(full.GetSize(), 2058);
    EXPECT_EQ(full.GetPosition(), 2048);
}

TEST(tCMemFile, AReadPastTheEndCopiesNothingAndStopsOnTheLastByte)
{
    tCMemFile stream;
    ASSERT_EQ(stream.WriteBytes("abcdef", 6), kResOk);
    ASSERT_EQ(stream.Rewind(), kResOk);
    uint32_t value = 0;
    EXPECT_EQ(stream.ReadU32(&value), kResOk);
    EXPECT_EQ(value, 0x64636261u);
    EXPECT_EQ(stream.ReadU32(&value), kResFileIO);
    EXPECT_EQ(value, 0x64636261u);
    EXPECT_EQ(stream.GetPosition(), 5);

    tCMemFile eight;
    ASSERT_EQ(eight.WriteU64(0), kResOk);
    ASSERT_EQ(eight.Rewind(), kResOk);
    EXPECT_EQ(eight.ReadU32(&value), kResOk);
    EXPECT_EQ(eight.ReadU32(&value), kResOk);
    EXPECT_EQ(eight.ReadU32(&value), kResFileIO);
    EXPECT_EQ(eight.GetPosition(), 8);

    char buffer[4];
    EXPECT_EQ(stream.Rewind(), kResOk);
    EXPECT_EQ(stream.ReadBytes(buffer, -4), kResBadParam);
    EXPECT_EQ(stream.ReadBytes(buffer, INT64_MAX), kResFileIO);
    EXPECT_EQ(stream.GetPosition(), 5);
}

TEST(tCMemFile, PositionsBeyondTheLengthAreRefused)
{
    tCMemFile stream;
    ASSERT_EQ(stream.WriteBytes("abcd", 4), kResOk);
    EXPECT_EQ(stream.SetPosition(4), kResOk);
    EXPECT_TRUE(stream.IsAtEnd());
    EXPECT_EQ(stream.SetPosition(5), kResFileIO);
    EXPECT_EQ(stream.GetPosition(), 3);
    EXPECT_EQ(stream.SetPosition(-1), kResBadParam);
    EXPECT_EQ(stream.GetPosition(), 3);
    EXPECT_EQ(stream.WriteBytes("XY", 2), kResOk);
    EXPECT_EQ(StreamBytes(stream), "abcXY");
}

TEST(tCMemFile, AnEmptyStreamNeverSendsAWriteToAWildPosition)
{
    tCMemFile stream;
    EXPECT_EQ(stream.SetPosition(1), kResFileIO);
    EXPECT_EQ(stream.GetPosition(), 0);
    uint8_t byte;
    EXPECT_EQ(stream.ReadBytes(&byte, 1), kResFileIO);
    EXPECT_EQ(stream.WriteU8(7), kResOk);
    EXPECT_EQ(stream.GetSize(), 1);
    EXPECT_EQ(stream.GetData()[0], 7);
}

TEST(tCMemFile, TextsAreNulTerminated)
{
    tCMemFile stream;
    ASSERT_EQ(stream.WriteTextW(tCString(u"ab"), true), kResOk);
    EXPECT_EQ(StreamBytes(stream), "a\0b\0\r\0\n\0\0\0"s);
    EXPECT_EQ(stream.GetTextWSize(tCString(u"ab"), true), 10);
    ASSERT_EQ(stream.WriteText(tCString(u"\u00E9t\u00E9"), false), kResOk);
    EXPECT_EQ(stream.GetSize(), 10 + 6);

    ASSERT_EQ(stream.Rewind(), kResOk);
    tCString text;
    EXPECT_EQ(stream.ReadTextLineW(text), kResOk);
    EXPECT_EQ(Text(text), u"ab\r\n");
    EXPECT_EQ(stream.GetPosition(), 10);
    EXPECT_EQ(stream.ReadTextLine(text), kResOk);
    EXPECT_EQ(Text(text), u"\u00E9t\u00E9");
    EXPECT_TRUE(stream.IsAtEnd());
}

TEST(tCMemFile, TextWithoutTerminatorEndsAtTheData)
{
    // The spare bytes beyond the data must never be read as text.
    tCMemFile stream;
    ASSERT_EQ(stream.GrowBy(100), kResOk);
    std::memset(stream.GetData(), 'q', 2048);
    ASSERT_EQ(stream.SetPosition(96), kResOk);
    tCString text;
    EXPECT_EQ(stream.ReadTextLine(text), kResFileIO);
    EXPECT_EQ(Text(text), u"qqqq");
    EXPECT_EQ(stream.GetPosition(), 100);

    ASSERT_EQ(stream.SetPosition(95), kResOk);
    EXPECT_EQ(stream.ReadTextLineW(text), kResFileIO);
    EXPECT_EQ(Text(text), u"\u7171\u7171");
    EXPECT_EQ(stream.GetPosition(), 100);
    EXPECT_EQ(stream.ReadTextLineW(text), kResFileIO);
}

TEST(tCMemFile, WideStringsSkipTheLineFeedOfThePreviousOne)
{
    tCMemFile stream;
    ASSERT_EQ(stream.WriteBytes("\xFF\xFE" "a\0\r\0\n\0b\0c\0"s.data(), 12), kResOk);
    ASSERT_EQ(stream.Rewind(), kResOk);
    tCString text;
    EXPECT_EQ(stream.ReadStringW(text), kResOk);
    EXPECT_EQ(Text(text), u"a");
    EXPECT_EQ(stream.GetPosition(), 6);
    EXPECT_EQ(stream.ReadStringW(text), kResOk);
    EXPECT_EQ(Text(text), u"bc");
    EXPECT_TRUE(stream.IsAtEnd());
    EXPECT_EQ(stream.ReadStringW(text), kResFileIO);
}

TEST(tCMemFile, ResetEmptiesTheStream)
{
    tCMemFile stream;
    const std::string bytes(5000, 'r');
    ASSERT_EQ(stream.WriteBytes(bytes.data(), 5000), kResOk);
    stream.Reset();
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(stream.GetPosition(), 0);
    EXPECT_EQ(stream.GetCapacity(), 2048);
}

}  // namespace

}  // namespace tCMemFileTests
