#include <gtest/gtest.h>

#include "CompiledResources.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/tCStringTable.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace StringTableTests {

namespace {

using namespace std::string_literals;

std::u16string Get(const tCStringTable& table, uint32_t id, int32_t alternative)
{
    tCString out(u"stale");
    return std::u16string(table.GetString(out, id, alternative).View());
}

const char* const kStrings = R"(1 "three" "one|two|three"
2 "trailing" "word|"
3 "empty between" "a||b"
4 "empty" ""
1 "again" "later wins"
0xB2D05E00 "product" "Kostrel 2"
)";

TEST(tCStringTable, AlternativesAreSeparatedByBars)
{
    auto file = StreamOver(CompileStrings(kStrings));
    tCStringTable table;
    ASSERT_EQ(table.LoadStringTable(file.get()), kResOk);
    ASSERT_EQ(table.GetCount(), 5);
    // The later record of id 1 replaced the earlier one and went to the end.
    EXPECT_EQ(table.GetIdAt(3), 1u);
    EXPECT_EQ(Get(table, 1, 0), u"later wins");
    EXPECT_EQ(Get(table, 1, 1), u"%%String Table Error");
    EXPECT_EQ(Get(table, 2, 0), u"word");
    EXPECT_EQ(Get(table, 2, 1), u"%%String Table Error");
    EXPECT_EQ(Get(table, 3, 1), u"");
    EXPECT_EQ(Get(table, 3, 2), u"b");
    EXPECT_EQ(Get(table, 4, 0), u"%%String Table Error");
    EXPECT_EQ(Get(table, 99, 0), u"%%String Table Error");
    EXPECT_EQ(Get(table, 0xB2D05E00, 0), u"Kostrel 2");
    EXPECT_EQ(Get(table, 0xB2D05E00, -1), u"%%String Table Error");
}

TEST(tCStringTable, ThreeAlternativesAndNoFourth)
{
    auto file = StreamOver(CompileStrings("5 \"n\" \"red|green|blue\"\n"));
    tCStringTable table;
    ASSERT_EQ(table.LoadStringTable(file.get()), kResOk);
    EXPECT_EQ(Get(table, 5, 0), u"red");
    EXPECT_EQ(Get(table, 5, 1), u"green");
    EXPECT_EQ(Get(table, 5, 2), u"blue");
    EXPECT_EQ(Get(table, 5, 3), u"%%String Table Error");
}

TEST(tCStringTable, LoadsFromAFolderBesideTheProgram)
{
    ScriptedApp app;
    ProgramSubfolder resources;
    WriteWholeFile(resources.File("system.tsf"), CompileStrings(kStrings));

    tCStringTable table;
    const tCString name = tCString::FromAnsi(resources.Name() + ":system.tsf");
    ASSERT_EQ(table.LoadFromFile(name), kResOk);
    EXPECT_EQ(table.GetCount(), 5);
    // Loading again starts from an empty table.
    ASSERT_EQ(table.LoadFromFile(name), kResOk);
    EXPECT_EQ(table.GetCount(), 5);
    EXPECT_EQ(table.LoadFromFile(tCString::FromAnsi(resources.Name() + ":missing.tsf")), kResFileOpen);
    EXPECT_EQ(table.GetCount(), 5);
    EXPECT_EQ(table.LoadStringTable(nullptr), kResBadParam);
}

TEST(tCStringTable, ATruncatedRecordKeepsTheRecordsBeforeIt)
{
    const std::string bytes = CompileStrings("1 \"a\" \"first\"\n2 \"b\" \"second\"\n");
    // The second record is 30 bytes: keep 3 of them, less than its id.
    auto file = StreamOver(bytes.substr(0, bytes.size() - 27));
    tCStringTable table;
    EXPECT_EQ(table.LoadStringTable(file.get()), kResFileIO);
    EXPECT_EQ(table.GetCount(), 1);
    EXPECT_EQ(Get(table, 1, 0), u"first");
}

TEST(StringTableSource, DumpsWhatItCompiled)
{
    const std::string bytes = CompileStrings(kStrings);
    auto file = StreamOver(bytes);
    std::string source, error;
    ASSERT_EQ(DumpStringTable(*file, &source, &error), kResOk) << error;
    EXPECT_EQ(CompileStrings(source), bytes);

    // A record whose lines do not end in CR LF cannot be written again byte for byte.
    auto foreign = StreamOver(U32(1) + U32(0) + "n\0\n\0t\0\n\0"s);
    EXPECT_EQ(DumpStringTable(*foreign, &source, &error), kResFileInvalid);
    // Two swapped byte-order marks: the CR LF after them reads as two other units, and the
    // marks make up for the length the missing break would have had.
    auto marked = StreamOver(U32(1) + U32(0) + Line(u"n") + "K\0\xFE\xFF\xFE\xFF\r\0\n\0"s);
    EXPECT_EQ(DumpStringTable(*marked, &source, &error), kResFileInvalid) << source;
}

TEST(StringTableSource, TheProgramsStringTableIsBuiltBesideIt)
{
    const std::string resources = KOSTREL_BIN_DIR "/Resources/";
    tCFile file;
    ASSERT_EQ(file.Open(tCFRef(tCString::FromAnsi(resources + "system.tsf")), tCFile::kAccessRead), kResOk);
    tCStringTable table;
    ASSERT_EQ(table.LoadStringTable(&file), kResOk);
    EXPECT_EQ(Get(table, 0xB2D05E00, 0), u"Kostrel 2");
    EXPECT_TRUE(std::filesystem::exists(resources + "system.trf"));
}

}  // namespace

}  // namespace StringTableTests
