#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/LittleEndianBytes.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace TaggedChunksTests {

namespace {

using namespace std::string_literals;

tCMemFile* NewStreamOf(const std::string& bytes)
{
    auto* stream = new tCMemFile;
    stream->WriteBytes(bytes.data(), int64_t(bytes.size()));
    stream->Rewind();
    return stream;
}

std::string Header(uint32_t tag, int64_t length)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += char(tag >> (8 * i));
    for (int i = 0; i < 8; ++i)
        bytes += char(uint64_t(length) >> (8 * i));
    return bytes;
}

struct Walk {
    std::vector<uint32_t> tags;
    tResult result = kResOk;
};

Walk WalkChunks(tCStream& stream)
{
    Walk walk;
    CChunkReader reader(stream);
    tChunkHeader chunk;
    while (reader.Next(&chunk))
        walk.tags.push_back(chunk.tag);
    walk.result = reader.GetResult();
    return walk;
}

TEST(TaggedChunks, AOneIntegerChunkIsSixteenBytes)
{
    tCMemFile stream;
    ASSERT_EQ(WriteChunkI32(&stream, 1, 7), kResOk);
    EXPECT_EQ(StreamBytes(stream), "\x01\0\0\0" "\x04\0\0\0\0\0\0\0" "\x07\0\0\0"s);
    EXPECT_EQ(WriteChunkI32(nullptr, 1, 7), kResBadParam);
    EXPECT_EQ(WriteChunkBytes(&stream, 1, nullptr, 4), kResBadParam);
}

TEST(TaggedChunks, EveryWriterDeclaresWhatItWrites)
{
    tCMemFile stream;
    const int32_t ints[2] = {-1, 2};
    const float floats[2] = {0.5f, 2.0f};
    ASSERT_EQ(WriteChunkFloat(&stream, 10, 1.0f), kResOk);
    ASSERT_EQ(WriteChunkU32(&stream, 11, 0xFFFFFFFF), kResOk);
    ASSERT_EQ(WriteChunkU64(&stream, 12, 1), kResOk);
    ASSERT_EQ(WriteChunkI32Pair(&stream, 13, ints), kResOk);
    ASSERT_EQ(WriteChunkFloatPair(&stream, 14, floats), kResOk);
    ASSERT_EQ(WriteChunkBytes(&stream, 15, "xyz", 3), kResOk);
    ASSERT_EQ(WriteChunkText(&stream, 16, tCString(u"ab")), kResOk);
    stream.SetNarrowText(1);
    ASSERT_EQ(WriteChunkText(&stream, 17, tCString(u"\u00FC")), kResOk);
    stream.SetNarrowText(0);

    const std::string expected = Header(10, 4) + "\0\0\x80\x3F"s + Header(11, 4) + "\xFF\xFF\xFF\xFF"s +
                                 Header(12, 8) + "\x01\0\0\0\0\0\0\0"s + Header(13, 8) + "\xFF\xFF\xFF\xFF\x02\0\0\0"s +
                                 Header(14, 8) + "\0\0\0\x3F\0\0\0\x40"s + Header(15, 3) + "xyz" +
                                 Header(16, 10) + "a\0b\0\r\0\n\0\0\0"s + Header(17, 5) + "\xC3\xBC\r\n\0"s;
    EXPECT_EQ(StreamBytes(stream), expected);

    ASSERT_EQ(stream.Rewind(), kResOk);
    const Walk walk = WalkChunks(stream);
    EXPECT_EQ(walk.result, kResOk);
    EXPECT_EQ(walk.tags, (std::vector<uint32_t>{10, 11, 12, 13, 14, 15, 16, 17}));
}

TEST(TaggedChunks, ATextChunkOnAFileIsTheTextAndCrLf)
{
    TempFolder folder;
    const tCFRef path(tCString::FromAnsi(folder.File("text.bin")));
    tCFile file;
    ASSERT_EQ(file.Open(path, tCFile::kAccessWrite), kResOk);
    ASSERT_EQ(WriteChunkText(&file, 0xFF003001, tCString(u"ab")), kResOk);
    file.SetNarrowText(1);
    ASSERT_EQ(WriteChunkText(&file, 2, tCString(u"\u00FC\u00FC")), kResOk);
    ASSERT_EQ(file.Close(), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("text.bin")),
              Header(0xFF003001, 8) + "a\0b\0\r\0\n\0"s + Header(2, 6) + "\xC3\xBC\xC3\xBC\r\n");

    ASSERT_EQ(file.Open(path, tCFile::kAccessRead), kResOk);
    file.SetNarrowText(0);
    CChunkReader reader(file);
    tChunkHeader chunk;
    ASSERT_TRUE(reader.Next(&chunk));
    tCString text;
    EXPECT_EQ(file.ReadTextLineW(text), kResOk);
    EXPECT_EQ(std::u16string(text.View()), u"ab\n");
    ASSERT_TRUE(reader.Next(&chunk));
    EXPECT_EQ(chunk.tag, 2u);
    EXPECT_FALSE(reader.Next(&chunk));
    EXPECT_EQ(reader.GetResult(), kResOk);
}

TEST(TaggedChunks, AnUnknownChunkIsSkippedByItsLength)
{
    const std::string bytes = Header(0xBAD, 100) + std::string(100, '\x55') + Header(7, 4) + "\x2A\0\0\0"s;
    std::unique_ptr<tCMemFile> stream(NewStreamOf(bytes));
    CChunkReader reader(*stream);
    tChunkHeader chunk;
    ASSERT_TRUE(reader.Next(&chunk));
    EXPECT_EQ(chunk.tag, 0xBADu);
    EXPECT_EQ(chunk.payloadStart, 12);
    int32_t first;
    ASSERT_EQ(stream->ReadI32(&first), kResOk);
    ASSERT_TRUE(reader.Next(&chunk));
    EXPECT_EQ(chunk.tag, 7u);
    EXPECT_EQ(chunk.payloadStart, 112 + 12);
    int32_t value = 0;
    EXPECT_EQ(stream->ReadI32(&value), kResOk);
    EXPECT_EQ(value, 42);
    EXPECT_FALSE(reader.Next(&chunk));
    EXPECT_EQ(reader.GetResult(), kResOk);
}

TEST(TaggedChunks, ChildrenAreReadInsideTheirParent)
{
    const std::string children = Header(1, 4) + "\x01\0\0\0"s + Header(2, 0);
    const std::string bytes = Header(100, int64_t(children.size())) + children + Header(3, 0);
    std::unique_ptr<tCMemFile> stream(NewStreamOf(bytes));
    CChunkReader top(*stream);
    tChunkHeader parent;
    ASSERT_TRUE(top.Next(&parent));
    CChunkReader inner(*stream, parent);
    tChunkHeader chunk;
    std::vector<uint32_t> tags;
    while (inner.Next(&chunk))
        tags.push_back(chunk.tag);
    EXPECT_EQ(inner.GetResult(), kResOk);
    EXPECT_EQ(tags, (std::vector<uint32_t>{1, 2}));
    ASSERT_TRUE(top.Next(&chunk));
    EXPECT_EQ(chunk.tag, 3u);
}

TEST(TaggedChunks, BadLengthsEndTheWalkWithACode)
{
    struct Case {
        const char* what;
        std::string bytes;
        tResult result;
        size_t chunksBefore;
    };
    const std::string good = Header(1, 4) + "abcd";
    const std::string child = Header(2, 40) + "x";
    const Case cases[] = {
        {"negative length", good + Header(9, -1) + "rest", kResFileInvalid, 1},
        {"length beyond the data", good + Header(9, 5) + "1234", kResFileInvalid, 1},
        {"huge length", good + Header(9, INT64_MAX) + "1234", kResFileInvalid, 1},
        {"truncated header", good + "\x09\0\0\0\x04"s, kResFileIO, 1},
        {"child beyond its parent", Header(100, int64_t(child.size())) + child, kResFileInvalid, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<tCMemFile> stream(NewStreamOf(c.bytes));
        CChunkReader reader(*stream);
        tChunkHeader chunk;
        size_t seen = 0;
        bool nested = false;
        while (reader.Next(&chunk)) {
            if (chunk.tag == 100) {
                nested = true;
                CChunkReader inner(*stream, chunk);
                tChunkHeader child;
                while (inner.Next(&child))
                    ++seen;
                EXPECT_EQ(inner.GetResult(), c.result);
            } else {
                ++seen;
            }
        }
        EXPECT_EQ(seen, c.chunksBefore);
        if (!nested) {
            EXPECT_EQ(reader.GetResult(), c.result);
        }
    }
}

TEST(TaggedChunks, TruncatedAndCorruptedSequencesNeverLoop)
{
    tCMemFile source;
    for (uint32_t tag = 1; tag <= 20; ++tag) {
        ASSERT_EQ(WriteChunkU32(&source, tag, tag * 3), kResOk);
        ASSERT_EQ(WriteChunkText(&source, tag + 100, tCString(u"layer")), kResOk);
    }
    const std::string whole = StreamBytes(source);
    // Each pair is a 16-byte integer chunk and a 28-byte text chunk (12 + 2 x ("layer" CR LF NUL)).
    ASSERT_EQ(whole.size(), 20u * 44u);
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        std::unique_ptr<tCMemFile> stream(NewStreamOf(whole.substr(0, cut)));
        const Walk walk = WalkChunks(*stream);
        const size_t pairs = cut / 44;
        const size_t rest = cut % 44;
        const size_t wholeChunks = 2 * pairs + (rest >= 16 ? 1 : 0);
        const size_t chunkStart = pairs * 44 + (rest >= 16 ? 16 : 0);
        const size_t left = cut - chunkStart;
        SCOPED_TRACE(cut);
        EXPECT_EQ(walk.tags.size(), wholeChunks);
        EXPECT_EQ(walk.result, left == 0 ? kResOk : left < 12 ? kResFileIO : kResFileInvalid);
    }
    std::mt19937 random(4);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = whole;
        for (int flips = 0; flips < 4; ++flips)
            bytes[random() % bytes.size()] = char(random());
        std::unique_ptr<tCMemFile> stream(NewStreamOf(bytes));
        const Walk walk = WalkChunks(*stream);
        EXPECT_LE(walk.tags.size(), bytes.size() / 12);
    }
}

}  // namespace

}  // namespace TaggedChunksTests
