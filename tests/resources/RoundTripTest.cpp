#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/wait.h>

#include "CompiledResources.h"
#include "resources/compiler/WavFile.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace RoundTripTests {

namespace {

using namespace std::string_literals;

// A WAV file as recording programs write them: an extended format block, a LIST chunk before
// the samples and an odd number of 8-bit samples with its pad byte.
std::string RecordedWav()
{
    const std::string format = U16(1) + U16(1) + U32(11025) + U32(11025) + U16(1) + U16(8) + U16(0);
    return "RIFF" + U32(4 + 8 + 18 + 8 + 4 + 8 + 3 + 1) + "WAVE" + "fmt " + U32(18) + format + "LIST" + U32(4) +
           "INFO" + "data" + U32(3) + "\x80\x90\xA0" + "\0"s;
}

class ResourceSourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteWholeFile(assets.File("panel.png"), "\x89PNG\r\n\x1A\n" "pixels"s);
        WriteWholeFile(assets.File("click.wav"), RecordedWav());
        WriteWholeFile(assets.File("face.ttf"), "\0\1\0\0" "glyphs"s);
    }

    TempFolder assets;
};

const char* const kAllKinds = R"(vers 2
text 1 "product" "Kostrel \\ \u0001 \uD83D\uDE00 😀"
txlt 2 "menu" exclusivity=1 [7:"File" 8:"Edit|Bearbeiten"]
imag 3 "panel.frame" png "panel.png"
imlt 4 "states" ["panel.frame" "panel.frame"]
iml8 5 "masks" exclusivity=2 []
audi 6 "click" "click.wav"
font 7 "Sans" "face.ttf"
grad 8 "ramp" [#FF303050@0 #80102030@0.25 #FF101020@1]
)";

TEST_F(ResourceSourceTest, EveryKindIsWrittenInTheFormItsReaderReads)
{
    const std::string bytes = CompileResources(kAllKinds, assets.Path());
    const std::string wav = "RIFF" + U32(4 + 24 + 8 + 3 + 1) + "WAVE" + "fmt " + U32(16) + U16(1) + U16(1) +
                            U32(11025) + U32(11025) + U16(1) + U16(8) + "data" + U32(3) + "\x80\x90\xA0" + "\0"s;
    const std::string expected =
        Chunk("vers", U32(2)) +
        Chunk("text", U32(1) + Line(u"product") + Line(u"Kostrel \\ \u0001 \U0001F600 \U0001F600")) +
        Chunk("txlt", U32(2) + Line(u"menu") + U32(1) + U32(2) + Line(u"File") + U32(7) + Line(u"Edit|Bearbeiten") +
                          U32(8)) +
        Chunk("imag", U32(3) + Line(u"panel.frame") + U32(14) + "\x89PNG\r\n\x1A\n" "pixels"s) +
        Chunk("imlt", U32(4) + Line(u"states") + U32(0) + U32(2) + Line(u"panel.frame") + Line(u"panel.frame")) +
        Chunk("iml8", U32(5) + Line(u"masks") + U32(2) + U32(0)) +
        Chunk("audi", U32(6) + Line(u"click") + U32(uint32_t(wav.size())) + wav) +
        Chunk("font", U32(7) + Line(u"Sans") + U32(10) + "\0\1\0\0" "glyphs"s) +
        Chunk("grad", U32(8) + Line(u"ramp") + U32(3) + U32(0xFF303050) + F32(0.0f) + U32(0x80102030) +
                          F32(0.25f) + U32(0xFF101020) + F32(1.0f));
    EXPECT_EQ(bytes, expected);
}

TEST_F(ResourceSourceTest, DumpingAndCompilingAgainGivesTheSameBytes)
{
    const std::string original = CompileResources(kAllKinds, assets.Path());
    auto file = StreamOver(original);
    TempFolder dump;
    std::filesystem::create_directories(dump.Path() / "files");
    std::string source, error;
    ASSERT_EQ(DumpResourceFile(*file, dump.Path() / "files", "files", &source, &error), kResOk) << error;
    EXPECT_EQ(CompileResources(source, dump.Path()), original) << source;
    EXPECT_EQ(ReadWholeFile(dump.File("files/imag-3.png")), "\x89PNG\r\n\x1A\n" "pixels"s);

    // Version 1 lists, and a file without vers chunk, go round too.
    const std::string plain = CompileResources("txlt 1 \"l\" [\"a\" \"\"]\ntext 2 \"\" \"\"\n");
    auto plainFile = StreamOver(plain);
    ASSERT_EQ(DumpResourceFile(*plainFile, dump.Path(), "files", &source, &error), kResOk) << error;
    EXPECT_EQ(source, "txlt 1 \"l\" [\"a\" \"\"]\ntext 2 \"\" \"\"\n");
}

// The build names its made files relative to a folder of its own, after the source's folder.
TEST_F(ResourceSourceTest, FilesAreTakenFromTheFirstFolderThatHoldsThem)
{
    TempFolder made;
    WriteWholeFile(made.File("panel.png"), "\x89PNG\r\n\x1A\n" "made"s);
    WriteWholeFile(made.File("only-made.png"), "\x89PNG\r\n\x1A\n" "second"s);
    const std::string bytes = CompileResourcesFrom(
        "imag 1 \"a\" png \"panel.png\"\nimag 2 \"b\" png \"only-made.png\"\n", {assets.Path(), made.Path()});
    EXPECT_EQ(bytes, Chunk("imag", U32(1) + Line(u"a") + U32(14) + "\x89PNG\r\n\x1A\n" "pixels"s) +
                         Chunk("imag", U32(2) + Line(u"b") + U32(14) + "\x89PNG\r\n\x1A\n" "second"s));
}

TEST_F(ResourceSourceTest, TheToolsRoundTripTheirOwnFiles)
{
    const std::string tools = KOSTREL_BIN_DIR "/../tools/";
    WriteWholeFile(assets.File("system.trf.src"), kAllKinds);
    WriteWholeFile(assets.File("strings.src"), "3000000000 \"product\" \"Kostrel|K\"\n7 second=9 \"n\" \"t\"\n");
    const std::string a = assets.File("");
    const auto run = [&](const std::string& command) {
        const int status = std::system((tools + command + " 2>/dev/null").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    ASSERT_EQ(run("trfc " + a + "system.trf.src " + a + "first.trf"), 0);
    std::filesystem::create_directories(assets.Path() / "dump");
    ASSERT_EQ(run("trfdump " + a + "first.trf " + a + "dump/first.src"), 0);
    ASSERT_EQ(run("trfc " + a + "dump/first.src " + a + "second.trf"), 0);
    EXPECT_EQ(ReadWholeFile(a + "first.trf"), ReadWholeFile(a + "second.trf"));
    EXPECT_TRUE(std::filesystem::exists(a + "dump/first.src.files/audi-6.wav"));

    ASSERT_EQ(run("trfc " + a + "strings.src " + a + "first.tsf"), 0);
    ASSERT_EQ(run("trfdump " + a + "first.tsf " + a + "strings.dump"), 0);
    ASSERT_EQ(run("trfc " + a + "strings.dump " + a + "second.tsf"), 0);
    EXPECT_EQ(ReadWholeFile(a + "first.tsf"), ReadWholeFile(a + "second.tsf"));
    EXPECT_EQ(ReadWholeFile(a + "strings.dump"), "3000000000 \"product\" \"Kostrel|K\"\n7 second=9 \"n\" \"t\"\n");

    // A failed compilation leaves the old output in place.
    WriteWholeFile(assets.File("bad.src"), "text 1 \"a\"\n");
    EXPECT_EQ(run("trfc " + a + "bad.src " + a + "first.trf"), 1);
    EXPECT_EQ(ReadWholeFile(a + "first.trf"), ReadWholeFile(a + "second.trf"));
    for (const auto& entry : std::filesystem::directory_iterator(assets.Path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(ResourceSourceTest, FilesTheSourceFolderLacksAreTakenFromFurtherFolders)
{
    TempFolder built;
    WriteWholeFile(built.File("made.ttf"), "true" "made"s);
    WriteWholeFile(built.File("face.ttf"), "true" "shadowed"s);
    const std::string source = "font 3 \"Made\" \"made.ttf\"\nfont 4 \"Face\" \"face.ttf\"\n";
    tCMemFile out;
    std::string error;
    EXPECT_EQ(CompileResourceSource(source, {assets.Path()}, out, &error), kResTextParse);
    EXPECT_NE(error.find("line 1: cannot read"), std::string::npos) << error;
    tCMemFile found;
    ASSERT_EQ(CompileResourceSource(source, {assets.Path(), assets.Path() / "none", built.Path()}, found, &error), kResOk)
        << error;
    EXPECT_EQ(StreamBytes(found), Chunk("font", U32(3) + Line(u"Made") + U32(8) + "truemade") +
                                      Chunk("font", U32(4) + Line(u"Face") + U32(10) + "\0\1\0\0" "glyphs"s));

    const std::string a = assets.File("");
    WriteWholeFile(a + "fonts.src", source);
    const std::string trfc = KOSTREL_BIN_DIR "/../tools/trfc ";
    EXPECT_EQ(WEXITSTATUS(std::system((trfc + a + "fonts.src " + a + "fonts.trf 2>/dev/null").c_str())), 1);
    ASSERT_EQ(WEXITSTATUS(std::system((trfc + a + "fonts.src " + a + "fonts.trf " + built.File("")).c_str())), 0);
    EXPECT_EQ(ReadWholeFile(a + "fonts.trf"), StreamBytes(found));
}

TEST_F(ResourceSourceTest, BadSourcesNameTheirLineAndFault)
{
    struct Case {
        std::string source;
        std::string error;
    };
    const Case cases[] = {
        {"text 1 \"a\" \"b\"\nzzzz 2 \"x\"", "line 2: unknown resource type 'zzzz'"},
        {"vers 2\nvers 2", "line 2: one vers line of version 1 or 2 is allowed"},
        {"vers 3", "line 1: one vers line of version 1 or 2 is allowed"},
        {"vers 2\ntxlt 1 \"l\" [\"no id\"]", "line 2: version 2 entries are written <id>:\"<text>\""},
        {"text 1 \"a\" \"two\\u000Alines\"", "line 1: a text may hold no CR, LF, NUL or byte-order mark"},
        // The line reader takes these two units for byte-order marks: the text would not come back.
        {"text 1 \"a\" \"mark\\uFEFF\"", "line 1: a text may hold no CR, LF, NUL or byte-order mark"},
        {"text 1 \"swap\\uFFFE\" \"b\"", "line 1: a text may hold no CR, LF, NUL or byte-order mark"},
        {"text 4294967296 \"a\" \"b\"", "line 1: a 32-bit number expected"},
        {"text 1 \"a\" \"b\" extra", "line 1: unexpected text at the end of the line"},
        {"text 1 \"a", "line 1: unterminated string"},
        {"text 1 \"a\" \"\\q\"", "line 1: bad escape in a string"},
        {"imag 1 \"a\" png \"click.wav\"", "is not a png file"},
        {"imag 1 \"a\" png \"missing.png\"", "line 1: cannot read"},
        {"audi 1 \"a\" \"panel.png\"", "not a RIFF WAVE file"},
        {"grad 1 \"g\" [#FF00000@0]", "gradient points are written"},
        {"grad 1 \"g\" [#FF000000@1.5]", "gradient points are written"},
        {"imlt 1 \"l\" [\"a\"", "line 1: a quoted string expected"},
        {"  text 1 \"a\" \"b\"", "line 1: an indented line belongs to no widget"},
    };
    for (const Case& c : cases) {
        tCMemFile out;
        std::string error;
        EXPECT_EQ(CompileResourceSource(c.source, {assets.Path()}, out, &error), kResTextParse) << c.source;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(WavFile, OnlyPlainPcmIsTaken)
{
    std::string normalised, error;
    ASSERT_EQ(NormaliseWav(RecordedWav(), &normalised, &error), kResOk);
    std::string again;
    ASSERT_EQ(NormaliseWav(normalised, &again, &error), kResOk);
    EXPECT_EQ(again, normalised);

    std::string floatWav = RecordedWav();
    floatWav[20] = 3;
    EXPECT_EQ(NormaliseWav(floatWav, &normalised, &error), kResFileInvalid);
    std::string badAlign = RecordedWav();
    badAlign[32] = 2;
    EXPECT_EQ(NormaliseWav(badAlign, &normalised, &error), kResFileInvalid);
    EXPECT_EQ(NormaliseWav(RecordedWav().substr(0, 50), &normalised, &error), kResFileInvalid);
    EXPECT_EQ(NormaliseWav("RIFF", &normalised, &error), kResFileInvalid);
}

}  // namespace

}  // namespace RoundTripTests
