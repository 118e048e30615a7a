#include <gtest/gtest.h>

#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCStreamWindow.h"
#include "toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/StringText.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace tCFileTests {

namespace {

using namespace std::string_literals;

class FileTest : public ::testing::Test {
protected:
    tCFRef Ref(const std::string& name) const { return tCFRef(tCString::FromAnsi(folder.File(name))); }

    // Writes `bytes` to a file and opens it for reading.
    void OpenWith(const std::string& bytes)
    {
        WriteWholeFile(folder.File("in.bin"), bytes);
        ASSERT_EQ(file.Open(Ref("in.bin"), tCFile::kAccessRead), kResOk);
    }

    TempFolder folder;
    tCFile file;
};

TEST_F(FileTest, TypedValuesAreWrittenLittleEndianFieldByField)
{
    ASSERT_EQ(file.Open(Ref("typed.bin"), tCFile::kAccessWrite), kResOk);
    EXPECT_EQ(file.WriteU8(0x81), kResOk);
    EXPECT_EQ(file.WriteI16(-2), kResOk);
    EXPECT_EQ(file.WriteU32(0x11223344), kResOk);
    EXPECT_EQ(file.WriteI64(0x0102030405060708), kResOk);
    EXPECT_EQ(file.WriteFloat(1.0f), kResOk);
    EXPECT_EQ(file.WriteDouble(-2.0), kResOk);
    EXPECT_EQ(file.WriteBool(true), kResOk);
    EXPECT_EQ(file.Close(), kResOk);

    const std::string expected = "\x81"s + "\xFE\xFF"s + "\x44\x33\x22\x11"s + "\x08\x07\x06\x05\x04\x03\x02\x01"s +
                                 "\x00\x00\x80\x3F"s + "\x00\x00\x00\x00\x00\x00\x00\xC0"s + "\x01\x00\x00\x00"s;
    EXPECT_EQ(ReadWholeFile(folder.File("typed.bin")), expected);

    ASSERT_EQ(file.Open(Ref("typed.bin"), tCFile::kAccessRead), kResOk);
    uint8_t u8;
    int16_t i16;
    uint32_t u32;
    int64_t i64;
    float f;
    double d;
    bool b = false;
    EXPECT_EQ(file.ReadU8(&u8), kResOk);
    EXPECT_EQ(file.ReadI16(&i16), kResOk);
    EXPECT_EQ(file.ReadU32(&u32), kResOk);
    EXPECT_EQ(file.ReadI64(&i64), kResOk);
    EXPECT_EQ(file.ReadFloat(&f), kResOk);
    EXPECT_EQ(file.ReadDouble(&d), kResOk);
    EXPECT_EQ(file.ReadBool(&b), kResOk);
    EXPECT_EQ(u8, 0x81);
    EXPECT_EQ(i16, -2);
    EXPECT_EQ(u32, 0x11223344u);
    EXPECT_EQ(i64, 0x0102030405060708);
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(d, -2.0);
    EXPECT_TRUE(b);
    EXPECT_TRUE(file.IsAtEnd());
}

TEST_F(FileTest, AValueCutShortByTheEndIsAShortReadAndLeavesTheDestination)
{
    OpenWith("\x01\x02"s);
    uint32_t value = 0xAABBCCDD;
    EXPECT_EQ(file.ReadU32(&value), kResFileIO);
    EXPECT_EQ(value, 0xAABBCCDDu);
    EXPECT_EQ(file.ReadU32(&value), kResFileIO);
    EXPECT_EQ(value, 0xAABBCCDDu);
}

TEST_F(FileTest, ReadBytesAnswersTheBytesThatWereThere)
{
    OpenWith("abc");
    char buffer[8] = "-------";
    EXPECT_EQ(file.ReadBytes(buffer, 5), kResOk);
    EXPECT_EQ(std::string(buffer, 5), "abc--");
    EXPECT_TRUE(file.IsAtEnd());
    EXPECT_EQ(file.ReadBytes(buffer, 1), kResFileIO);
    EXPECT_EQ(file.ReadBytes(buffer, -1), kResBadParam);

    ASSERT_EQ(file.Rewind(), kResOk);
    int64_t read = 0;
    EXPECT_EQ(file.ReadBlock(buffer, 8, &read), kResOk);
    EXPECT_EQ(read, 3);
}

TEST_F(FileTest, NothingOpenAnswersNotOpen)
{
    int32_t value;
    char buffer[4];
    EXPECT_EQ(file.ReadI32(&value), kResFileInvalid);
    EXPECT_EQ(file.WriteI32(1), kResFileInvalid);
    EXPECT_EQ(file.Rewind(), kResFileInvalid);
    EXPECT_EQ(file.SetPosition(0), kResFileInvalid);
    EXPECT_EQ(file.GetPosition(), -1);
    EXPECT_TRUE(file.IsAtEnd());
    EXPECT_EQ(file.ReadBuffer(buffer, 4), kResBadParam);
    EXPECT_EQ(file.WriteBuffer(buffer, 4), kResBadParam);
    EXPECT_EQ(file.Close(), kResOk);
}

TEST_F(FileTest, NarrowLinesKeepTheirFirstTerminatorByte)
{
    OpenWith("abc\r\ndef\r\n");
    tCString line;
    EXPECT_EQ(file.ReadTextLine(line), kResOk);
    EXPECT_EQ(Text(line), u"abc\r");
    EXPECT_EQ(file.GetPosition(), 5);
    EXPECT_EQ(file.ReadTextLine(line), kResOk);
    EXPECT_EQ(Text(line), u"def\r");
    EXPECT_EQ(file.ReadTextLine(line), kResFileIO);

    OpenWith("abc\ndef\n\rlast");
    EXPECT_EQ(file.ReadTextLine(line), kResOk);
    EXPECT_EQ(Text(line), u"abc\n");
    EXPECT_EQ(file.ReadTextLine(line), kResOk);
    EXPECT_EQ(Text(line), u"def\n");
    EXPECT_EQ(file.ReadTextLine(line), kResOk);
    EXPECT_EQ(Text(line), u"last");
    EXPECT_TRUE(file.IsAtEnd());

    OpenWith("one\0two"s);
    EXPECT_EQ(file.ReadTextLine(line), kResOk);
    EXPECT_EQ(Text(line), u"one");
    EXPECT_EQ(file.ReadTextLine(line), kResOk);
    EXPECT_EQ(Text(line), u"two");
}

TEST_F(FileTest, LongNarrowLinesComeBackWholeWithCharactersAcrossBlocks)
{
    // 1023 ASCII bytes put the two bytes of "é" on both sides of the first block boundary.
    const std::string line = std::string(1023, 'x') + "\xC3\xA9" + std::string(1500, 'y');
    OpenWith(line + "\nnext\n");
    tCString text;
    ASSERT_EQ(file.ReadTextLine(text), kResOk);
    const std::u16string expected = std::u16string(1023, u'x') + u"\u00E9" + std::u16string(1500, u'y') + u"\n";
    EXPECT_EQ(Text(text), expected);
    ASSERT_EQ(file.ReadTextLine(text), kResOk);
    EXPECT_EQ(Text(text), u"next\n");
}

TEST_F(FileTest, WideLinesEndInLineFeedAndDropByteOrderMarks)
{
    OpenWith("\xFF\xFE"s + "a\0b\0c\0\r\0\n\0d\0e\0f\0\r\0\n\0"s);
    tCString line;
    EXPECT_EQ(file.ReadTextLineW(line), kResOk);
    EXPECT_EQ(Text(line), u"abc\n");
    EXPECT_EQ(file.ReadTextLineW(line), kResOk);
    EXPECT_EQ(Text(line), u"def\n");
    EXPECT_EQ(file.ReadTextLineW(line), kResFileIO);
    EXPECT_FALSE(file.IsByteSwapped());
}

TEST_F(FileTest, ABigEndianMarkSwapsEveryLaterUnit)
{
    OpenWith("\xFE\xFF"s + "\0a\0b\0\r\0\n\0c"s);
    tCString line;
    EXPECT_EQ(file.ReadTextLineW(line), kResOk);
    EXPECT_EQ(Text(line), u"ab\n");
    EXPECT_TRUE(file.IsByteSwapped());
    EXPECT_EQ(file.ReadTextLineW(line), kResOk);
    EXPECT_EQ(Text(line), u"c");

    // Opening another file forgets the byte order of the previous one.
    OpenWith("x\0"s);
    EXPECT_FALSE(file.IsByteSwapped());
    EXPECT_EQ(file.ReadTextLineW(line), kResOk);
    EXPECT_EQ(Text(line), u"x");
}

TEST_F(FileTest, LongWideLinesComeBackWhole)
{
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += "z\0"s;
    OpenWith(bytes + "\n\0q\0"s);
    tCString line;
    ASSERT_EQ(file.ReadTextLineW(line), kResOk);
    EXPECT_EQ(Text(line), std::u16string(3000, u'z') + u"\n");
    EXPECT_EQ(file.GetPosition(), 6002);
}

TEST_F(FileTest, WideStringsReadBackWhatWideTextWithLineEndsWrote)
{
    ASSERT_EQ(file.Open(Ref("s.bin"), tCFile::kAccessWrite), kResOk);
    EXPECT_EQ(file.WriteTextW(tCString(u"ab"), true), kResOk);
    EXPECT_EQ(file.WriteTextW(tCString(u"cd"), true), kResOk);
    EXPECT_EQ(file.WriteText(tCString(u""), false), kResOk);
    EXPECT_EQ(file.Close(), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("s.bin")), "a\0b\0\r\0\n\0c\0d\0\r\0\n\0"s);

    ASSERT_EQ(file.Open(Ref("s.bin"), tCFile::kAccessRead), kResOk);
    tCString text;
    EXPECT_EQ(file.ReadStringW(text), kResOk);
    EXPECT_EQ(Text(text), u"ab");
    EXPECT_EQ(file.GetPosition(), 6);
    EXPECT_EQ(file.ReadStringW(text), kResOk);
    EXPECT_EQ(Text(text), u"cd");
    EXPECT_EQ(file.ReadStringW(text), kResOk);
    EXPECT_EQ(Text(text), u"");
    EXPECT_TRUE(file.IsAtEnd());
    EXPECT_EQ(file.ReadStringW(text), kResFileIO);
}

TEST_F(FileTest, NarrowModeWritesAndReadsUtf8)
{
    file.SetNarrowText(1);
    ASSERT_EQ(file.Open(Ref("n.txt"), tCFile::kAccessWrite), kResOk);
    EXPECT_EQ(file.WriteTextW(tCString(u"gr\u00FC\u00DF"), true), kResOk);
    EXPECT_EQ(file.GetTextWSize(tCString(u"gr\u00FC\u00DF"), true), 8);
    EXPECT_EQ(file.Close(), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("n.txt")), "gr\xC3\xBC\xC3\x9F\r\n");
    ASSERT_EQ(file.Open(Ref("n.txt"), tCFile::kAccessRead), kResOk);
    tCString line;
    EXPECT_EQ(file.ReadTextLineW(line), kResOk);
    EXPECT_EQ(Text(line), u"gr\u00FC\u00DF\r");
}

TEST_F(FileTest, OpenModes)
{
    EXPECT_EQ(file.Open(Ref("missing"), tCFile::kAccessReadWrite), kResFileOpen);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.OpenOrCreate(Ref("created"), tCFile::kAccessReadWrite), kResOk);
    EXPECT_EQ(file.GetLength(), 0);
    EXPECT_EQ(file.Close(), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("created")), "");

    EXPECT_EQ(file.Open(tCFRef(), tCFile::kAccessRead), kResBadParam);
    // A folder is not a file.
    EXPECT_EQ(file.Open(tCFRef(tCString::FromAnsi(folder.Path().string())), tCFile::kAccessRead), kResFileOpen);

    WriteWholeFile(folder.File("log"), "one");
    ASSERT_EQ(file.Open(Ref("log"), tCFile::kAccessAppend), kResOk);
    EXPECT_EQ(file.WriteBytes("two", 3), kResOk);
    EXPECT_EQ(file.Close(), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("log")), "onetwo");
}

TEST_F(FileTest, AnUnknownAccessStateIsReportedAfterTheOpenFileWasClosed)
{
    ErrorBoxRecorder box;
    OpenWith("data");
    EXPECT_EQ(file.Open(Ref("in.bin"), 4), kResBadParam);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(box.text, "Bad parameter has been passed.\nUnknown Access state passed to tCFile.");
}

TEST_F(FileTest, UpdatesMixReadsAndWritesInPlace)
{
    WriteWholeFile(folder.File("u.bin"), "0123456789");
    ASSERT_EQ(file.Open(Ref("u.bin"), tCFile::kAccessReadWrite), kResOk);
    uint16_t pair;
    EXPECT_EQ(file.ReadU16(&pair), kResOk);
    EXPECT_EQ(file.WriteBytes("ab", 2), kResOk);
    EXPECT_EQ(file.ReadU16(&pair), kResOk);
    EXPECT_EQ(pair, '4' | '5' << 8);
    EXPECT_EQ(file.SeekToEnd(), kResOk);
    EXPECT_EQ(file.WriteBytes("!", 1), kResOk);
    EXPECT_EQ(file.GetLength(), 11);
    EXPECT_EQ(file.Close(), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("u.bin")), "01ab456789!");
}

TEST_F(FileTest, AnAdoptedDescriptorIsReadAndWrittenAndClosedWithTheFile)
{
    WriteWholeFile(folder.File("d.bin"), "xyz");
    const int descriptor = open(folder.File("d.bin").c_str(), O_RDWR);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(file.AdoptDescriptor(descriptor), kResOk);
    EXPECT_EQ(file.GetLength(), 3);
    EXPECT_EQ(file.WriteBytes("ab", 2), kResOk);
    EXPECT_EQ(file.Close(), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("d.bin")), "abz");
    EXPECT_EQ(fcntl(descriptor, F_GETFD), -1);

    EXPECT_EQ(file.AdoptDescriptor(-1), kResBadParam);
    const int folderDescriptor = open(folder.File("").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folderDescriptor, 0);
    EXPECT_EQ(file.AdoptDescriptor(folderDescriptor), kResFileOpen);
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(FileTest, PositionsBeyondFourGibibytesAreSixtyFourBit)
{
    const int64_t far = (int64_t(5) << 30) + 3;
    ASSERT_EQ(file.OpenOrCreate(Ref("sparse.bin"), tCFile::kAccessReadWrite), kResOk);
    ASSERT_EQ(file.SetPosition(far), kResOk);
    ASSERT_EQ(file.WriteU32(0xCAFEF00D), kResOk);
    EXPECT_EQ(file.GetLength(), far + 4);
    EXPECT_EQ(file.GetPosition(), far + 4);
    EXPECT_TRUE(file.IsAtEnd());

    ASSERT_EQ(file.SetPosition(far), kResOk);
    EXPECT_FALSE(file.IsAtEnd());
    uint32_t value = 0;
    EXPECT_EQ(file.ReadU32(&value), kResOk);
    EXPECT_EQ(value, 0xCAFEF00Du);
    uint64_t position = 0;
    EXPECT_EQ(file.GetPosition64(&position), kResOk);
    EXPECT_EQ(position, uint64_t(far + 4));
    // Positions past the end are accepted; reading there is a read at the end.
    EXPECT_EQ(file.SetPosition(far + 100), kResOk);
    EXPECT_EQ(file.ReadU32(&value), kResFileIO);
    EXPECT_EQ(file.SetPosition(-1), kResBadParam);
    // So are a window's, over more than 2 GiB of the file.
    tCStreamWindow window;
    ASSERT_EQ(window.Open(file, 1, far + 3), kResOk);
    ASSERT_EQ(window.SetPosition(far - 1), kResOk);
    EXPECT_EQ(window.ReadU32(&value), kResOk);
    EXPECT_EQ(value, 0xCAFEF00Du);
    EXPECT_TRUE(window.IsAtEnd());
}

TEST_F(FileTest, AWindowReadsItsOwnBytesWhereverTheFileWasMoved)
{
    OpenWith("head" "payload" "t\0a\0i\0l\0"s);
    tCStreamWindow window;
    EXPECT_EQ(window.Open(file, -1, 7), kResBadParam);
    EXPECT_EQ(window.Open(file, 4, 16), kResFileIO);
    EXPECT_FALSE(window.IsOpen());
    ASSERT_EQ(window.Open(file, 4, 7), kResOk);
    char bytes[8] = {};
    ASSERT_EQ(window.ReadBytes(bytes, 3), kResOk);
    ASSERT_EQ(file.SetPosition(0), kResOk);
    ASSERT_EQ(window.ReadBytes(bytes + 3, 4), kResOk);
    EXPECT_EQ(std::string(bytes, 7), "payload");
    EXPECT_EQ(window.GetLength(), 7);
    EXPECT_TRUE(window.IsAtEnd());
    // Nothing past its end is read, nor is a position beyond it taken.
    uint8_t byte = 0;
    EXPECT_EQ(window.ReadU8(&byte), kResFileIO);
    ASSERT_EQ(window.SetPosition(5), kResOk);
    EXPECT_EQ(window.ReadBytes(bytes, 3), kResFileIO);
    EXPECT_EQ(window.GetPosition(), 5);
    EXPECT_EQ(window.SetPosition(8), kResFileIO);
    EXPECT_EQ(window.SeekToEnd(), kResOk);
    EXPECT_EQ(window.WriteU8(1), kResFileIO);
    // A wide string without its end stops at the window's.
    ASSERT_EQ(window.Open(file, 11, 4), kResOk);
    tCString text;
    EXPECT_EQ(window.ReadStringW(text), kResOk);
    EXPECT_EQ(Text(text), u"ta");
    // A file cut short under the window fails the read that its end cuts short.
    tCFile shortened;
    ASSERT_EQ(shortened.Open(Ref("in.bin"), tCFile::kAccessRead), kResOk);
    ASSERT_EQ(window.Open(shortened, 4, 7), kResOk);
    ASSERT_EQ(truncate(folder.File("in.bin").c_str(), 6), 0);
    EXPECT_EQ(window.ReadBytes(bytes, 7), kResFileIO);
}

}  // namespace

}  // namespace tCFileTests
