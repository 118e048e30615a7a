#include <gtest/gtest.h>

#include "CompiledResources.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/CResourcePool.h"
#include "toolkit/core/CText.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/StringText.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace ResourceFileTests {

namespace {

using namespace std::string_literals;

const char* const kSource = R"(# a comment line
vers 2
text 10 "greeting" "Hello \"you\""
txlt 20 "menu" [1:"File" 2:"Edit" 0xB2D05E01:"Tools"]
text 10 "second ten" "shadowed"
text 30 "Mixed" "caf\u00E9 \u00e9"
)";

class ResourceFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bytes = CompileResources(kSource);
        stream = StreamOver(bytes);
        ASSERT_EQ(directory.Read(stream.get()), kResOk);
    }

    std::string bytes;
    std::unique_ptr<TempFileStream> stream;
    CResourceDirectory directory;
};

TEST_F(ResourceFileTest, CompiledChunksAreTagSizeAndPayload)
{
    const std::string expected =
        Chunk("vers", U32(2)) + Chunk("text", U32(10) + Line(u"greeting") + Line(u"Hello \"you\"")) +
        Chunk("txlt", U32(20) + Line(u"menu") + U32(0) + U32(3) + Line(u"File") + U32(1) + Line(u"Edit") + U32(2) +
                          Line(u"Tools") + U32(0xB2D05E01)) +
        Chunk("text", U32(10) + Line(u"second ten") + Line(u"shadowed")) +
        Chunk("text", U32(30) + Line(u"Mixed") + Line(u"caf\u00E9 \u00E9"));
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.substr(0, 4), "srev");
}

TEST_F(ResourceFileTest, TheDirectoryListsEveryResourceWithItsPosition)
{
    EXPECT_EQ(directory.GetVersion(), 2u);
    ASSERT_EQ(directory.GetCount(), 4);
    // Each chunk: 8 header bytes, the id, a line of n units takes 2n + 4 bytes.
    const int64_t text10 = 8 + 4;
    const int64_t menu = text10 + 8 + 4 + (2 * 8 + 4) + (2 * 11 + 4);
    const int64_t second = menu + 8 + 4 + (2 * 4 + 4) + 4 + 4 + (2 * 4 + 4 + 4) + (2 * 4 + 4 + 4) + (2 * 5 + 4 + 4);
    EXPECT_EQ(directory.GetEntry(0).position, text10);
    EXPECT_EQ(directory.GetEntry(1).position, menu);
    EXPECT_EQ(directory.GetEntry(2).position, second);
    EXPECT_EQ(Text(directory.GetEntry(1).name), u"menu");
    EXPECT_EQ(directory.GetEntry(3).id, 30u);
    // Two resources with one id: look-ups find the first.
    EXPECT_EQ(directory.FindResourceById(10), text10);
    EXPECT_EQ(directory.FindResourceByName(tCString(u"second ten")), second);
    EXPECT_EQ(directory.FindResourceByName(tCString(u"MENU")), -1);
    EXPECT_EQ(directory.FindResourceById(99), -1);
}

TEST_F(ResourceFileTest, TextsLoadByIdAndByExactName)
{
    CText text;
    EXPECT_EQ(text.LoadFromResourceId(10, stream.get(), &directory), kResOk);
    EXPECT_EQ(Text(text.GetText()), u"Hello \"you\"");
    EXPECT_EQ(Text(text.GetName()), u"greeting");
    EXPECT_EQ(text.GetId(), 10u);

    CText byName;
    EXPECT_EQ(byName.LoadFromResourceName(tCString(u"Mixed"), stream.get(), &directory), kResOk);
    EXPECT_EQ(Text(byName.GetText()), u"caf\u00E9 \u00E9");
    EXPECT_EQ(byName.GetId(), 30u);

    CText missing;
    EXPECT_EQ(missing.LoadFromResourceName(tCString(u"mixed"), stream.get(), &directory), kResResourceNotFound);
    EXPECT_EQ(missing.LoadFromResourceId(99, stream.get(), &directory), kResResourceNotFound);
    EXPECT_EQ(missing.LoadFromResourceId(20, stream.get(), &directory), kResResourceNotFound);
    EXPECT_EQ(missing.LoadFromResourceId(10, nullptr, nullptr), kResBadParam);
}

TEST_F(ResourceFileTest, AScanWithoutDirectoryWrapsOnce)
{
    // Standing after the first text, the scan must wrap to find it.
    ASSERT_EQ(stream->SetPosition(directory.GetEntry(1).position), kResOk);
    CText text;
    EXPECT_EQ(text.LoadFromResourceId(10, stream.get(), nullptr), kResOk);
    EXPECT_EQ(Text(text.GetName()), u"second ten");
    ASSERT_EQ(stream->SetPosition(directory.GetEntry(2).position), kResOk);
    EXPECT_EQ(text.LoadFromResourceName(tCString(u"greeting"), stream.get(), nullptr), kResOk);
    EXPECT_EQ(Text(text.GetText()), u"Hello \"you\"");

    ASSERT_EQ(stream->SetPosition(directory.GetEntry(2).position), kResOk);
    EXPECT_EQ(text.ReadResHeaderById(CText::kType, 77, stream.get()), kResResourceNotFound);
    ASSERT_EQ(stream->SeekToEnd(), kResOk);
    EXPECT_EQ(text.ReadResHeaderById(CText::kType, 30, stream.get()), kResOk);
    tCStream* none = nullptr;
    EXPECT_EQ(text.ReadResHeaderById(CText::kType, 30, none), kResFileInvalid);
}

TEST_F(ResourceFileTest, VersionTwoListsCarryTheirIds)
{
    std::unique_ptr<CTextList> list(CTextList::NewFromResourceId(20, stream.get(), &directory));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->GetCount(), 3);
    EXPECT_EQ(list->GetEntryId(0), 1);
    EXPECT_EQ(uint32_t(list->GetEntryId(2)), 0xB2D05E01u);
    EXPECT_EQ(Text(list->GetEntryText(1)), u"Edit");
    EXPECT_EQ(list->GetCurrentIndex(), 1);
    EXPECT_EQ(Text(list->GetEntryText(-1)), u"");
    EXPECT_EQ(Text(list->GetEntryText(3)), u"");
    EXPECT_EQ(list->GetCurrentIndex(), 1);
    EXPECT_EQ(list->GetEntryId(3), -1);
    EXPECT_EQ(CTextList::NewFromResourceName(tCString(u"nothing"), stream.get(), &directory), nullptr);
}

TEST(ResourceFile, VersionOneListsHaveNoIds)
{
    auto stream = StreamOver(CompileResources("txlt 5 \"tools\" exclusivity=3 [\"Pen\" \"Brush\"]\n"));
    CResourceDirectory directory;
    ASSERT_EQ(directory.Read(stream.get()), kResOk);
    EXPECT_EQ(directory.GetVersion(), 1u);
    CTextList list;
    ASSERT_EQ(list.LoadFromResourceName(tCString(u"tools"), stream.get(), &directory), kResOk);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetEntryId(0), -1);
    EXPECT_EQ(list.GetEntryId(1), -1);
    EXPECT_EQ(Text(list.GetEntryText(1)), u"Brush");
    // A second load appends.
    ASSERT_EQ(list.LoadFromResourceId(5, stream.get(), &directory), kResOk);
    EXPECT_EQ(list.GetCount(), 4);
}

TEST(ResourceFile, AListOfAnUnknownVersionIsRefused)
{
    const std::string bytes = Chunk("vers", U32(3)) + Chunk("txlt", U32(1) + Line(u"l") + U32(0) + U32(1) + Line(u"x"));
    auto stream = StreamOver(bytes);
    CResourceDirectory directory;
    ASSERT_EQ(directory.Read(stream.get()), kResOk);
    CTextList list;
    EXPECT_EQ(list.LoadFromResourceId(1, stream.get(), &directory), kResFileInvalid);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(ResourceFile, AVersionChunkIsSkippedByItsSize)
{
    // A version payload longer than 4 bytes; the next chunk follows the whole payload.
    const std::string bytes = Chunk("vers", U32(2) + "pad!") + Chunk("text", U32(4) + Line(u"n") + Line(u"t"));
    auto stream = StreamOver(bytes);
    CResourceDirectory directory;
    ASSERT_EQ(directory.Read(stream.get()), kResOk);
    EXPECT_EQ(directory.GetVersion(), 2u);
    ASSERT_EQ(directory.GetCount(), 1);
    EXPECT_EQ(directory.GetEntry(0).position, 16);

    CResourceDirectory shortVersion;
    auto broken = StreamOver(Chunk("vers", "\x02\0"));
    EXPECT_EQ(shortVersion.Read(broken.get()), kResFileInvalid);
    EXPECT_EQ(shortVersion.Read(nullptr), kResBadParam);
}

TEST(ResourceFile, PoolsOwnAndFindTheirMembers)
{
    CResourcePool pool;
    auto* first = new CText;
    first->SetName(tCString(u"a"));
    first->SetId(1);
    auto* second = new CText;
    second->SetId(1);
    EXPECT_EQ(pool.Add(first), kResOk);
    EXPECT_EQ(pool.Add(second), kResOk);
    EXPECT_TRUE(first->IsPoolOwned());
    EXPECT_EQ(pool.FindById(1), first);
    EXPECT_EQ(pool.FindByName(tCString(u"a")), first);
    EXPECT_EQ(pool.FindByName(tCString(u"A")), nullptr);
    EXPECT_EQ(pool.FindByName(tCString()), nullptr);
    pool.DeleteAll();
    EXPECT_EQ(pool.GetCount(), 0);
}

TEST(ResourceFile, DamagedTextsAreReportedAndLeaveTheTextAlone)
{
    ErrorBoxRecorder box;
    // The text line runs past its chunk into the next one.
    const std::string bytes = Chunk("text", U32(1) + Line(u"n") + "a\0b\0"s) + Chunk("text", U32(2) + Line(u"m") + Line(u"x"));
    auto stream = StreamOver(bytes);
    CText text;
    EXPECT_EQ(text.LoadFromResourceId(1, stream.get(), nullptr), kResFileInvalid);
    EXPECT_EQ(box.text, "An error occurred reading data from a binary resource file.\nError reading CText string.");
    EXPECT_EQ(Text(text.GetText()), u"");
}

}  // namespace

}  // namespace ResourceFileTests
