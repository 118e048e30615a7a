#include <gtest/gtest.h>


#include "CompiledResources.h"
#include "DamagedCopies.h"
#include "resources/compiler/ResourceSource.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/CText.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/tCStringTable.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace DamagedFilesTests {

namespace {

using namespace std::string_literals;

const char* const kResources = R"(vers 2
text 1 "one" "first text"
txlt 2 "list" [10:"a" 11:"bb" 12:"ccc"]
text 3 "three" "third text"
)";

bool IsReaderCode(tResult code)
{
    return code == kResOk || code == kResFileIO || code == kResFileInvalid || code == kResResourceNotFound ||
           code == kResNoMemory;
}

// Everything a reader can be asked of a resource file; every answer must be a code and every
// load must stay within what the file holds.
void ReadEverything(const std::string& bytes)
{
    auto file = StreamOver(bytes);
    CResourceDirectory directory;
    const tResult read = directory.Read(file.get());
    EXPECT_TRUE(IsReaderCode(read)) << read;
    EXPECT_LE(directory.GetCount(), int32_t(bytes.size() / 12));
    for (CResourceDirectory* used : {&directory, static_cast<CResourceDirectory*>(nullptr)}) {
        for (uint32_t id = 0; id <= 4; ++id) {
            CText text;
            EXPECT_TRUE(IsReaderCode(text.LoadFromResourceId(id, file.get(), used)));
            EXPECT_LE(size_t(text.GetText().GetLength()), bytes.size() / 2);
            CTextList list;
            EXPECT_TRUE(IsReaderCode(list.LoadFromResourceId(id, file.get(), used)));
            EXPECT_LE(size_t(list.GetCount()), bytes.size() / 2);
        }
        CText byName;
        EXPECT_TRUE(IsReaderCode(byName.LoadFromResourceName(tCString(u"three"), file.get(), used)));
    }
}

void LoadStrings(const std::string& bytes)
{
    auto file = StreamOver(bytes);
    tCStringTable table;
    EXPECT_TRUE(IsReaderCode(table.LoadStringTable(file.get())));
    EXPECT_LE(size_t(table.GetCount()), bytes.size() / 12);
}

TEST(DamagedFiles, TruncatedAndCorruptedResourceFilesAnswerACode)
{
    ErrorBoxRecorder boxes;
    ForEachDamagedCopy(CompileResources(kResources), 11, 200, ReadEverything);
}

TEST(DamagedFiles, HandMadeHostileResources)
{
    ErrorBoxRecorder boxes;
    const std::string text = Chunk("text", U32(1) + Line(u"n") + Line(u"t"));
    struct Case {
        const char* what;
        std::string bytes;
        tResult directory;
        int32_t entriesKept = 0;
    };
    const Case cases[] = {
        {"size beyond the file", U32(0x74657874) + U32(0xFFFFFFF0) + U32(1), kResFileInvalid},
        {"header cut after the tag", text + "txet", kResFileInvalid},
        {"name without line break", Chunk("text", U32(1) + "n\0a\0m\0"s) + text, kResFileInvalid},
        {"name running into the next chunk", Chunk("text", U32(1) + "n\0"s) + text, kResFileInvalid},
        {"id cut short by the end", Chunk("text", "\x01\0"s), kResFileIO},
        {"id running into the next chunk", Chunk("text", "\x01\0"s) + text, kResFileInvalid},
        {"version chunk of two bytes", Chunk("vers", "\x02\0"s) + text, kResFileInvalid},
        {"huge entry count", Chunk("txlt", U32(1) + Line(u"l") + U32(0) + U32(0xFFFFFFFF) + Line(u"x")), kResOk},
        {"entries past the resource", Chunk("txlt", U32(1) + Line(u"l") + U32(0) + U32(2) + Line(u"x")) + text, kResOk, 1},
        {"list without count", Chunk("txlt", U32(1) + Line(u"l") + U32(0)), kResOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto file = StreamOver(c.bytes);
        CResourceDirectory directory;
        EXPECT_EQ(directory.Read(file.get()), c.directory);
        CTextList list;
        const tResult loaded = list.LoadFromResourceId(1, file.get(), nullptr);
        EXPECT_NE(loaded, kResOk);
        EXPECT_TRUE(IsReaderCode(loaded)) << loaded;
        EXPECT_EQ(list.GetCount(), c.entriesKept);
    }
}

// A file of every kind the dumper reads; the file data carries only the signatures it checks.
std::string EveryKind()
{
    const std::string wav = "RIFF" + U32(4 + 24 + 8 + 2) + "WAVEfmt " + U32(16) + "\x01\0\x01\0"s + U32(8000) +
                            U32(8000) + "\x01\0\x08\0"s + "data" + U32(2) + "\x80\x90";
    return CompileResources("vers 2\ntext 1 \"one\" \"first\"\ntxlt 2 \"list\" [10:\"a\" 11:\"bb\"]\n"
                            "grad 3 \"ramp\" [#FF303050@0 #80102030@0.25 #FF101020@1]\n"
                            "cowg 20 \"Pen\"\n  colr #FFFF00FF\n  vsbl 1\n"
                            "bkdp 21 \"b\"\n  grad \"ramp\"\n  gran 0.125\n  curs \"Pen|1,2\"\n  dcur \"Pen\"\n"
                            "  usrd \"3|real|0.5\"\n  hier [\"Pen\" cowg]\n  + cowg 22 \"panel\"\n"
                            "    colr #C080A060\n    xsiz 0.5\n    + wdgt 23 \"inner\"\n      vsbl 1\n") +
           Chunk("imag", U32(4) + Line(u"picture") + U32(10) + "\x89PNG\r\n\x1A\nxy"s) +
           Chunk("audi", U32(5) + Line(u"sound") + U32(uint32_t(wav.size())) + wav) +
           Chunk("font", U32(6) + Line(u"face") + U32(6) + "OTTOxy");
}

// Dumps the bytes as a resource file, with its file data in `folder`/files.
tResult Dump(const std::string& bytes, const TempFolder& folder, std::string* source, std::string* error)
{
    auto file = StreamOver(bytes);
    std::filesystem::create_directories(folder.Path() / "files");
    return DumpResourceFile(*file, folder.Path() / "files", "files", source, error);
}

// The dumper answers a code for every file, and a source it answers for compiles to the very
// bytes it read. True when the file was dumped.
bool DumpAndCompileAgain(const std::string& bytes)
{
    TempFolder dump;
    std::string source, error;
    const tResult dumped = Dump(bytes, dump, &source, &error);
    EXPECT_TRUE(IsReaderCode(dumped)) << dumped;
    if (dumped != kResOk)
        return false;
    tCMemFile again;
    EXPECT_EQ(CompileResourceSource(source, {dump.Path()}, again, &error), kResOk) << error << "\n" << source;
    EXPECT_EQ(StreamBytes(again), bytes) << source;
    return true;
}

TEST(DamagedFiles, TheDumperTakesOnlyWhatCompilesBackToTheSameBytes)
{
    const std::string whole = EveryKind();
    EXPECT_TRUE(DumpAndCompileAgain(whole));
    ForEachDamagedCopy(whole, 3, 300, DumpAndCompileAgain);
    // The smallest positive float as a gradient position: its text reads back as a number that
    // underflows.
    EXPECT_TRUE(DumpAndCompileAgain(Chunk("grad", U32(1) + Line(u"g") + U32(1) + U32(0xFF000000) + U32(1))));
}

TEST(DamagedFiles, TheDumperRefusesWhatTheCompilerWouldWriteOtherwise)
{
    const std::pair<std::string, std::string> cases[] = {
        {"not ended by CR LF", Chunk("text", U32(1) + Line(u"n") + "t\0\n\0\r\0"s)},
        {"not ended by CR LF", Chunk("text", U32(1) + "n\0\n\0"s + Line(u"t"))},
        {"not ended by CR LF", Chunk("text", U32(1) + Line(u"n") + "\xFF\xFEt\0\r\0\n\0"s)},
        // A RIFF file, but not the plain PCM layout the compiler stores.
        {"a sound the compiler would store otherwise", Chunk("audi", U32(1) + Line(u"s") + U32(8) + "RIFFWAVE")},
        {"does not fill its resource", Chunk("wdgt", U32(1) + Line(u"w") + U32(8) + U32(0x7673626C) + U32(1) + "x")},
        {"has no chunk", Chunk("wdgt", U32(1) + Line(u"w") + U32(0))},
        {"reads no chunk 'colr'", Chunk("wdgt", U32(1) + Line(u"w") + U32(8) + U32(0x636F6C72) + U32(1))},
        {"not finite", Chunk("wdgt", U32(1) + Line(u"w") + U32(8) + U32(0x78706F73) + U32(0x7F800000))},
        {"not ended by LF and NUL", Chunk("wdgt", U32(1) + Line(u"w") + U32(8) + U32(0x75737264) + "0\0\0\0"s)},
        {"index from 0 to 7", Chunk("wdgt", U32(1) + Line(u"w") + U32(22) + U32(0x75737264) + "9\0|\0i\0n\0t\0|\0"
                                    "1\0\n\0\0\0"s)},
        {"contains itself", Chunk("wdgt", U32(1) + Line(u"w") + U32(18) + U32(0x68696572) + U32(1) + "w\0\n\0\0\0"s +
                                            U32(0x77646774))},
        {"is used twice", Chunk("wdgt", U32(1) + Line(u"w") + U32(8) + U32(0x7673626C) + U32(1)) +
                              Chunk("cowg", U32(2) + Line(u"w") + U32(8) + U32(0x7673626C) + U32(1))},
    };
    for (const auto& [fault, bytes] : cases) {
        TempFolder dump;
        std::string source, error;
        EXPECT_EQ(Dump(bytes, dump, &source, &error), kResFileInvalid);
        EXPECT_NE(error.find(fault), std::string::npos) << fault << ": " << error;
    }
}

TEST(DamagedFiles, TruncatedAndCorruptedStringTablesAnswerACode)
{
    ForEachDamagedCopy(CompileStrings("1 \"a\" \"one|two\"\n2 \"b\" \"three\"\n3 \"c\" \"four\"\n"), 5, 200,
                       LoadStrings);
}

}  // namespace

}  // namespace DamagedFilesTests
