#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "RecordBytes.h"
#include "paint/engine/CColourList.h"
#include "paint/engine/EngineResources.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCStreamWindow.h"
#include "toolkit/core/tCStringTable.h"

namespace {

const std::u16string kHeader = u"Kostrel Colour List";

// The backdrop: records what it is told and answers as asked.
class RecordingBackdrop : public tCCmdTarget {
public:
    RecordingBackdrop() { SetBackdropTarget(this); }
    ~RecordingBackdrop() override { SetBackdropTarget(nullptr); }
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg, tMsgArg, uint32_t) override
    {
        messages.push_back(message);
        senders.push_back(a);
        return answer;
    }
    std::vector<uint32_t> messages;
    std::vector<tMsgArg> senders;
    tResult answer = kResOk;
};

// An application whose string table holds the colour-list header (or not).
class ColourListTest : public ::testing::Test {
protected:
    void StartApplication(bool withHeader)
    {
        app.SetResourceFolderName(tCString::FromAnsi(resources.Name()));
        WriteWholeFile(resources.File("system.trf"), "");
        tCMemFile table;
        ASSERT_EQ(tCStringTable::WriteRecord(table, 0xB2D05E00u, 0, tCString(u"product"), tCString(u"Kostrel 2")),
                  kResOk);
        if (withHeader) {
            ASSERT_EQ(tCStringTable::WriteRecord(table, kStrColourListHeader, 0, tCString(u"colourlist.header"),
                                                 tCString(kHeader.c_str())),
                      kResOk);
        }
        WriteWholeFile(resources.File("system.tsf"), StreamBytes(table));
        ASSERT_EQ(app.StartUp(), kResOk);
    }
    void SetUp() override { StartApplication(true); }

    std::string FileBytes(const std::vector<uint32_t>& colours, uint32_t count)
    {
        std::string payload = U32(count);
        for (uint32_t colour : colours)
            payload += U32(colour);
        std::string header;
        for (char16_t unit : kHeader + u"\r\n")
            header += U16(unit);
        return header + Chunk(kTagColourList, payload);
    }

    ProgramSubfolder resources;
    ScriptedApp app;
    RecordingBackdrop backdrop;
};

// A memory file that counts the reads made of it.
class CountingFile : public tCMemFile {
public:
    tResult ReadBytes(void* buffer, int64_t count) override
    {
        ++reads;
        return tCMemFile::ReadBytes(buffer, count);
    }
    int reads = 0;
};

std::vector<uint32_t> Entries(const CColourList& list)
{
    std::vector<uint32_t> entries;
    for (int32_t i = 0; i < list.GetCount(); ++i)
        entries.push_back(list.GetEntry(i));
    return entries;
}

CColourList ListOf(const std::vector<uint32_t>& colours)
{
    CColourList list;
    for (size_t i = 0; i < colours.size(); ++i)
        EXPECT_EQ(list.SetEntry(int32_t(i), colours[i]), kResOk);
    return list;
}

tResult LoadBytes(CColourList& list, const std::string& bytes)
{
    TempFolder folder;
    WriteWholeFile(folder.File("colours.kcl"), bytes);
    tCFile file;
    EXPECT_EQ(file.Open(tCFRef(tCString::FromAnsi(folder.File("colours.kcl"))), tCFile::kAccessRead), kResOk);
    return list.Load(&file);
}

TEST_F(ColourListTest, EntriesGrowWithUnsetColoursAndNegativeIndexesChangeNothing)
{
    CColourList list;
    EXPECT_EQ(list.SetEntry(5, 0xFF123456u), kResOk);
    const std::vector<uint32_t> six = {kUnsetColour, kUnsetColour, kUnsetColour,
                                       kUnsetColour, kUnsetColour, 0xFF123456u};
    EXPECT_EQ(Entries(list), six);
    EXPECT_EQ(list.SetEntry(-1, 0xFF000000u), kResOk);
    EXPECT_EQ(Entries(list), six);
    EXPECT_EQ(list.SetEntry(2, 0xFFABCDEFu), kResOk);
    EXPECT_EQ(list.GetEntry(2), 0xFFABCDEFu);
    EXPECT_EQ(list.GetCount(), 6);

    const CColourList three = ListOf({1, 2, 3});
    EXPECT_EQ(three.GetEntry(10), kUnsetColour);
    EXPECT_EQ(three.GetEntry(-1), kUnsetColour);
    EXPECT_EQ(three.GetEntry(3), kUnsetColour);
    EXPECT_EQ(three.GetEntry(2), 3u);
}

TEST_F(ColourListTest, TheRecordIsTheCountAndTheColoursAndAnEmptyListWritesNone)
{
    tCMemFile stream;
    CColourList empty;
    EXPECT_EQ(empty.Write(&stream), kResOk);
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(empty.Save(&stream), kResOk);
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(ListOf({1}).Write(nullptr), kResOk);

    const CColourList list = ListOf({0xFF102030u, 0x00FFFFFFu, 0x80000001u});
    ASSERT_EQ(list.Write(&stream), kResOk);
    EXPECT_EQ(StreamBytes(stream), Chunk(kTagColourList, U32(3) + U32(0xFF102030u) + U32(0x00FFFFFFu) +
                                                             U32(0x80000001u)));
}

TEST_F(ColourListTest, APayloadReplacesTheListWithTheColoursPresent)
{
    CColourList list = ListOf({7, 8});
    tCMemFile stream;
    ASSERT_EQ(list.Read(&Holding(stream, U32(5) + U32(10) + U32(11))), kResOk);
    EXPECT_EQ(Entries(list), (std::vector<uint32_t>{10, 11}));
    ASSERT_EQ(list.Read(&Holding(stream, U32(1) + U32(12) + U32(13))), kResOk);
    EXPECT_EQ(Entries(list), (std::vector<uint32_t>{12}));
    ASSERT_EQ(list.Read(&Holding(stream, U32(0))), kResOk);
    EXPECT_EQ(list.GetCount(), 0);

    // Nothing to read changes nothing; a colour cut short is an error that changes nothing.
    list = ListOf({7, 8});
    EXPECT_EQ(list.Read(&Holding(stream, "")), kResOk);
    EXPECT_EQ(list.Read(nullptr), kResOk);
    EXPECT_NE(list.Read(&Holding(stream, U32(2) + U32(9) + "ab")), kResOk);
    EXPECT_NE(list.Read(&Holding(stream, "ab")), kResOk);
    EXPECT_EQ(Entries(list), (std::vector<uint32_t>{7, 8}));
}

// Colours are read in blocks of 4096: lists of several blocks, the last one partial, read as
// written through a window onto a file, whatever their count says.
TEST_F(ColourListTest, AListOfManyBlocksReadsThroughAWindowAsWritten)
{
    std::vector<uint32_t> colours(3 * 4096 + 5);
    for (size_t i = 0; i < colours.size(); ++i)
        colours[i] = 0x80000000u + uint32_t(i * 0x10001u);
    std::string body;
    for (uint32_t colour : colours)
        body += U32(colour);
    const std::string before = "lead";
    int reads = 0;
    const auto readThroughWindow = [&](CColourList& list, const std::string& payload) {
        CountingFile file;
        Holding(file, before + payload + "trail");
        tCStreamWindow window;
        EXPECT_EQ(window.Open(file, int64_t(before.size()), int64_t(payload.size())), kResOk);
        file.reads = 0;
        const tResult read = list.Read(&window);
        reads = file.reads;
        return read;
    };
    CColourList list = ListOf({1, 2});
    ASSERT_EQ(readThroughWindow(list, U32(uint32_t(colours.size())) + body), kResOk);
    EXPECT_EQ(Entries(list), colours);
    // The count, then four blocks.
    EXPECT_EQ(reads, 5);
    ASSERT_EQ(readThroughWindow(list, U32(0xFFFFFFFFu) + body), kResOk);
    EXPECT_EQ(Entries(list), colours);
    ASSERT_EQ(readThroughWindow(list, U32(4097) + body), kResOk);
    EXPECT_EQ(Entries(list), std::vector<uint32_t>(colours.begin(), colours.begin() + 4097));
    // A colour cut short after whole blocks changes nothing.
    EXPECT_EQ(readThroughWindow(list, U32(0xFFFFFFFFu) + body + "ab"), kResFileIO);
    EXPECT_EQ(list.GetCount(), 4097);

    // A file shortened inside its last colours while it is read: the file stream hands over what
    // there is of them, which is no colour list.
    TempFolder folder;
    const std::string path = folder.File("colours.kcl");
    WriteWholeFile(path, FileBytes(colours, uint32_t(colours.size())));
    tCFile file;
    ASSERT_EQ(file.Open(tCFRef(tCString::FromAnsi(path)), tCFile::kAccessRead), kResOk);
    std::filesystem::resize_file(path, uint64_t(file.GetLength()) - 10);
    EXPECT_EQ(list.Load(&file), kResFileIO);
    EXPECT_EQ(list.GetCount(), 4097);
}

TEST_F(ColourListTest, AFileSavedSafelyLoadsBackAndTellsTheBackdrop)
{
    TempFolder folder;
    tCFRef path(tCString::FromAnsi(folder.File("colours.kcl")));
    const CColourList saved = ListOf({0xFF0000FFu, 0xFF00FF00u, kUnsetColour});
    ASSERT_EQ(saved.SaveFile(path), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("colours.kcl")), FileBytes({0xFF0000FFu, 0xFF00FF00u, kUnsetColour}, 3));

    CColourList loaded = ListOf({1});
    tCFile file;
    ASSERT_EQ(file.Open(path, tCFile::kAccessRead), kResOk);
    backdrop.answer = kResHandled;
    EXPECT_EQ(loaded.Load(&file), kResHandled);
    EXPECT_EQ(Entries(loaded), Entries(saved));
    ASSERT_EQ(backdrop.messages, std::vector<uint32_t>{kMsgColourListChanged});
    EXPECT_EQ(backdrop.senders[0], ToMsgArg(&loaded));

    // An empty list leaves the file as it was.
    EXPECT_EQ(CColourList().SaveFile(path), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("colours.kcl")), FileBytes({0xFF0000FFu, 0xFF00FF00u, kUnsetColour}, 3));
}

TEST_F(ColourListTest, AWrongHeaderOrTagIsRefusedAndTheListKept)
{
    std::string wrongHeader = FileBytes({5}, 1);
    wrongHeader[0] = 'X';
    std::string wrongTag = FileBytes({5}, 1);
    wrongTag[kHeader.size() * 2 + 4] = '\x8E';
    for (const std::string& bytes : {wrongHeader, wrongTag}) {
        CColourList list = ListOf({1, 2});
        EXPECT_EQ(LoadBytes(list, bytes), kResFileInvalid);
        EXPECT_EQ(Entries(list), (std::vector<uint32_t>{1, 2}));
    }
    EXPECT_TRUE(backdrop.messages.empty());
    CColourList list;
    EXPECT_EQ(list.Load(nullptr), kResOk);
}

// Cut inside the header or the record's head the file is refused; cut inside the colours it
// gives the whole colours present, and a colour cut in two is refused.
TEST_F(ColourListTest, AFileCutAtEveryByteLoadsTheWholeColoursOrNothing)
{
    const std::string bytes = FileBytes({11, 12, 13}, 3);
    const size_t colours = kHeader.size() * 2 + 4 + 12 + 4;
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        CColourList list = ListOf({1, 2});
        const tResult result = LoadBytes(list, bytes.substr(0, cut));
        if (cut >= colours && (cut - colours) % 4 == 0) {
            EXPECT_EQ(result, kResOk) << cut;
            EXPECT_EQ(list.GetCount(), int32_t((cut - colours) / 4)) << cut;
        } else {
            EXPECT_NE(result, kResOk) << cut;
            EXPECT_EQ(Entries(list), (std::vector<uint32_t>{1, 2})) << cut;
        }
    }
}

TEST_F(ColourListTest, TheKeptFilesLoad)
{
    // Written to memory, the header line ends in a NUL as memory streams end their texts.
    CColourList list;
    tCMemFile stream;
    EXPECT_EQ(list.Load(&Holding(stream, ReadWholeFile(KOSTREL_TEST_DATA "/colour_list/list-3"))), kResOk);
    EXPECT_EQ(Entries(list), (std::vector<uint32_t>{0xFF102030u, kUnsetColour, 0x80FF0000u}));
    ASSERT_EQ(list.Read(&Holding(stream, ReadWholeFile(KOSTREL_TEST_DATA "/colour_list/payload-2"))), kResOk);
    EXPECT_EQ(Entries(list), (std::vector<uint32_t>{0xFF000000u, 0xFFFFFFFFu}));
}

class ColourListWithoutHeaderTest : public ColourListTest {
protected:
    void SetUp() override { StartApplication(false); }
};

TEST_F(ColourListWithoutHeaderTest, NothingIsSavedOrLoaded)
{
    TempFolder folder;
    WriteWholeFile(folder.File("colours.kcl"), "old");
    tCFRef path(tCString::FromAnsi(folder.File("colours.kcl")));
    EXPECT_EQ(ListOf({1}).SaveFile(path), kResCreateFailed);
    EXPECT_EQ(ReadWholeFile(folder.File("colours.kcl")), "old");
    CColourList list = ListOf({4});
    EXPECT_EQ(LoadBytes(list, FileBytes({5}, 1)), kResCreateFailed);
    EXPECT_EQ(Entries(list), std::vector<uint32_t>{4});
}

}  // namespace
