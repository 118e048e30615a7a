#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "CompiledResources.h"
#include "resources/compiler/ResourceSource.h"
#include "toolkit/widgets/WidgetChunkSchema.h"
#include "WidgetSourceBytes.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace WidgetSourceTests {

namespace {

using namespace std::string_literals;

std::string Widget(const char* tag, uint32_t id, const std::u16string& name, const std::string& chunks)
{
    return Chunk(tag, U32(id) + Line(name) + U32(uint32_t(chunks.size())) + chunks);
}

// The error of a source the compiler refuses.
std::string Refusal(const std::string& source)
{
    tCMemFile out;
    std::string error;
    EXPECT_EQ(CompileResourceSource(source, {"."}, out, &error), kResTextParse) << source;
    return error;
}

std::string DumpToFolder(const std::string& bytes, const std::filesystem::path& folder)
{
    auto file = StreamOver(bytes);
    std::filesystem::create_directories(folder);
    std::string source, error;
    EXPECT_EQ(DumpResourceFile(*file, folder, "files", &source, &error), kResOk) << error;
    return source;
}

TEST(WidgetSource, AWidgetTreeIsWrittenInTheFormTheLoadersRead)
{
    const std::string bytes = CompileResources(R"(cowg 5 "a"
  colr #80FF0000
  xsiz 1.5
  usrd "1|int|2"
  + wdgt 6 "b"
    vsbl 1
  hier ["c" wdgt]
wdgt 7 "c"
  opac 0x10
)");
    const std::string expected =
        Widget("cowg", 5, u"a",
               Tag("colr") + U32(0x80FF0000) + Tag("xsiz") + U32(0x3FC00000) + Tag("usrd") + WidgetText(u"1|int|2") +
                   Tag("hier") + U32(1) + WidgetText(u"c") + Tag("wdgt") + Tag("hier") + U32(1) + WidgetText(u"b") + Tag("wdgt")) +
        Widget("wdgt", 6, u"b", Tag("vsbl") + U32(1)) + Widget("wdgt", 7, u"c", Tag("opac") + U32(16));
    EXPECT_EQ(bytes, expected);
}

TEST(WidgetSource, WhatTheLoadersRefuseIsRefusedWithItsLine)
{
    const std::pair<std::string, std::string> cases[] = {
        {"wdgt 1 \"w\"\n  colr #FF000000\n", "line 2: the class wdgt reads no chunk 'colr'"},
        {"wdgt 1 \"w\"\n  vsbl 1\n  + stwg 2 \"s\"\n", "line 3: unknown widget class 'stwg'"},
        {"qqqq 1 \"w\"\n", "line 1: unknown resource type 'qqqq'"},
        {"  vsbl 1\n", "line 1: an indented line belongs to no widget"},
        {"wdgt 1 \"w\"\n  usrd \"8|int|1\"\n", "line 2: a user data index from 0 to 7 expected"},
        {"wdgt 1 \"w\"\n  usrd \"4294967299|int|1\"\n", "line 2: a user data index from 0 to 7 expected"},
        {"wdgt 1 \"w\"\n  usrd \"1|long|1\"\n", "line 2: a user data value of type int or real expected"},
        {"wdgt 1 \"w\"\n  usrd \"1|real|inf\"\n", "line 2: a user data value"},
        {"wdgt 1 \"w\"\n  usrd \"1|int\"\n", "line 2: user data is written"},
        {"cowg 2 \"Pen\"\n  vsbl 1\nbkdp 1 \"b\"\n  curs \"Pen|3\"\n", "line 4: a cursor is written \"name|x,y\""},
        {"cowg 2 \"Pen\"\n  vsbl 1\nbkdp 1 \"b\"\n  curs \"Pen 3,4\"\n", "line 4: a cursor is written"},
        {"wdgt 1 \"w\"\n  xpos inf\n", "line 2: a finite number expected"},
        {"wdgt 1 \"w\"\n  xpos nan\n", "line 2: a finite number expected"},
        {"wdgt 1 \"w\"\n  vsbl 1\ncowg 2 \"w\"\n  vsbl 1\n", "line 3: the widget name \"w\" is used twice"},
        {"wdgt 1 \"w\"\n  vsbl 1\n  + wdgt 2 \"w\"\n    vsbl 1\n", "line 3: the widget name \"w\" is used twice"},
        {"wdgt 1 \"w\"\n  hier [\"c\" cowg]\nwdgt 2 \"c\"\n  vsbl 1\n",
         "line 2: no widget resource \"c\" of class cowg"},
        {"wdgt 1 \"w\"\n  hier [\"w\" wdgt]\n", "line 2: the widget \"w\" contains itself"},
        {"wdgt 1 \"a\"\n  hier [\"b\" wdgt]\nwdgt 2 \"b\"\n  vsbl 1\n  hier [\"a\" wdgt]\n",
         "the widget \"a\" contains itself"},
        {"wdgt 1 \"w\"\n", "line 1: the widget \"w\" has no chunk"},
        {"bkdp 1 \"b\"\n  imag \"tile\"\n", "line 2: no imag resource \"tile\""},
        {"bkdp 1 \"b\"\n  grad \"ramp\"\n", "line 2: no grad resource \"ramp\""},
        {"bkdp 1 \"b\"\n  curs \"Pen|1,1\"\n", "line 2: no widget resource \"Pen\" for the cursor"},
        {"cowg 2 \"Pen\"\n  vsbl 1\nbkdp 1 \"b\"\n  curs \"Pen|1,1\"\n  dcur \"Brush\"\n",
         "line 5: the default cursor \"Brush\" is none of the cursors"},
        {"wdgt 1 \"w\"\n  hier [\"a\"]\n", "line 2: a word or number expected"},
        {"wdgt 1 \"w\"\n  vsbl\n", "line 2: a word or number expected"},
        {"wdgt 1 \"w\"\n  vsbl 1 2\n", "line 2: unexpected text at the end of the line"},
    };
    for (const auto& [source, error] : cases)
        EXPECT_NE(Refusal(source).find(error), std::string::npos) << source << "\n" << Refusal(source);
}

TEST(WidgetSource, HierarchiesDeeperThanALoadMakesAreRefused)
{
    std::string chain;
    for (int i = 0; i <= 64; ++i)
        chain += "wdgt " + std::to_string(i) + " \"w" + std::to_string(i) + "\"\n  vsbl 1\n" +
                 (i < 64 ? "  hier [\"w" + std::to_string(i + 1) + "\" wdgt]\n" : "");
    EXPECT_NE(Refusal(chain).find("the hierarchy of \"w0\" is more than 64 widgets deep"), std::string::npos)
        << Refusal(chain);
    tCMemFile out;
    std::string error;
    EXPECT_EQ(CompileResourceSource(chain.substr(chain.find("wdgt 1 ")), {"."}, out, &error), kResOk) << error;
}

TEST(WidgetSource, EveryChunkCompilesDumpsAndCompilesAgainToTheSameBytes)
{
    const std::filesystem::path data = std::filesystem::path(KOSTREL_TEST_DATA) / "widgets";
    const std::string source = ReadWholeFile((data / "every-chunk.src").string());
    tCMemFile compiled;
    std::string error;
    ASSERT_EQ(CompileResourceSource(source, {data}, compiled, &error), kResOk) << error;
    const std::string bytes = StreamBytes(compiled);
    EXPECT_EQ(bytes, ReadWholeFile((data / "every-chunk.trf").string())) << "the stored file is this source's";

    TempFolder dump;
    const std::string dumped = DumpToFolder(bytes, dump.Path() / "files");
    EXPECT_NE(dumped.find("\n  + cowg 10 \"panel\"\n"), std::string::npos) << dumped;
    EXPECT_NE(dumped.find("\n    + cowg 11 \"panel.mark\"\n"), std::string::npos) << dumped;
    EXPECT_NE(dumped.find("\n  hier [\"loose\" wdgt]\n"), std::string::npos) << dumped;
    tCMemFile again;
    ASSERT_EQ(CompileResourceSource(dumped, {dump.Path()}, again, &error), kResOk) << error;
    EXPECT_EQ(StreamBytes(again), bytes);
}

TEST(WidgetSource, ChildrenThatDoNotFollowTheirParentAreDumpedInPlace)
{
    // The children come first, and a second 'hier' follows the first.
    const std::string source = R"(wdgt 2 "b"
  vsbl 1
wdgt 3 "c"
  vsbl 1
wdgt 1 "a"
  hier ["b" wdgt]
  hier ["c" wdgt]
)";
    const std::string bytes = CompileResources(source);
    TempFolder dump;
    const std::string dumped = DumpToFolder(bytes, dump.Path() / "files");
    EXPECT_EQ(dumped, source);
    EXPECT_EQ(CompileResources(dumped), bytes);
}

}  // namespace

namespace {

// A class of the tests' own with two chunks of parameters, as the effect chunks register theirs.
// Its base reads the effect chunks already, so its own have tags of their own.
void RegisterTestClass()
{
    const uint32_t tag = MakeFourCC("tstw");
    if (FindWidgetClass(tag))
        return;
    ASSERT_EQ(RegisterWidgetClass(tag, MakeFourCC("cowg")), kResOk);
    const std::vector<tWidgetField> shadow{{"layer", tWidgetField::kI32},  {"colour", tWidgetField::kColour},
                                           {"radius", tWidgetField::kF32}, {"x", tWidgetField::kI32},
                                           {"opacity", tWidgetField::kI32}};
    const std::vector<tWidgetField> ramp{{"angle", tWidgetField::kF32}, {"points", tWidgetField::kStops},
                                         {"overlay", tWidgetField::kI32}};
    ASSERT_EQ(AddWidgetChunks(tag, {{MakeFourCC("tsha"), tWidgetPayload::kFields, shadow},
                                    {MakeFourCC("tgrd"), tWidgetPayload::kFields, ramp}}),
              kResOk);
    EXPECT_EQ(AddWidgetChunks(tag, {{MakeFourCC("shad"), tWidgetPayload::kFields, shadow}}), kResBadParam)
        << "its base reads 'shad' already";
    EXPECT_EQ(AddWidgetChunks(tag, {{MakeFourCC("colr"), tWidgetPayload::kU32, {}}}), kResBadParam)
        << "its base reads 'colr' already";
    EXPECT_EQ(RegisterWidgetClass(tag, MakeFourCC("wdgt")), kResBadParam);
    EXPECT_EQ(RegisterWidgetClass(MakeFourCC("tstx"), MakeFourCC("none")), kResBadParam);
}

TEST(WidgetSource, RegisteredChunksOfParametersCompileInAnyOrderAndDumpInTheirs)
{
    RegisterTestClass();
    const std::string source = R"(tstw 1 "t"
  colr #FF102030
  tsha layer=2 colour=#80000000 radius=7.5 x=-3 opacity=160
  tgrd angle=0.25 points=[#FF000000@0 #FFFFFFFF@1] overlay=1
)";
    const std::string bytes = CompileResources(source);
    const std::string chunks = Tag("colr") + U32(0xFF102030) + Tag("tsha") + U32(2) + U32(0x80000000) +
                               F32(7.5f) + U32(uint32_t(-3)) + U32(160) + Tag("tgrd") + F32(0.25f) +
                               U32(2) + U32(0xFF000000) + F32(0.0f) + U32(0xFFFFFFFF) + F32(1.0f) +
                               U32(1);
    EXPECT_EQ(bytes, Widget("tstw", 1, u"t", chunks));
    TempFolder dump;
    EXPECT_EQ(DumpToFolder(bytes, dump.Path() / "files"), source);
    EXPECT_EQ(CompileResources(R"(tstw 1 "t"
  colr #FF102030
  tsha opacity=160 x=-3 radius=7.5 colour=#80000000 layer=2
  tgrd overlay=1 points=[#FF000000@0 #FFFFFFFF@1] angle=0.25
)"),
              bytes);

    const std::pair<std::string, std::string> refusals[] = {
        {"  tsha layer=2 colour=#80000000 radius=7.5 x=-3\n", "the field opacity= is missing"},
        {"  tsha layer=2 colour=#80000000 radius=7.5 y=-3 opacity=1\n", "no field 'y' here"},
        {"  tsha layer=2 colour=#80000000 radius=7.5 x=1 x=-3 opacity=1\n", "the field x= is given twice"},
        {"  tsha layer=2 colour=#80000000 radius=inf x=-3 opacity=1\n", "a finite number expected for radius"},
        {"  tsha layer=2.5 colour=#80000000 radius=1 x=-3 opacity=1\n", "a 32-bit integer expected for layer"},
        {"  tgrd angle=0 points=[#FF000000@2] overlay=1\n", "colour stops are written"},
    };
    for (const auto& [line, error] : refusals)
        EXPECT_NE(Refusal("tstw 1 \"t\"\n" + line).find("line 2: " + error), std::string::npos) << line;
}

TEST(WidgetSource, EveryPictureMaskAndEffectChunkCompilesDumpsAndCompilesAgainToTheSameBytes)
{
    const std::filesystem::path data = std::filesystem::path(KOSTREL_TEST_DATA) / "widgets";
    const std::string source = ReadWholeFile((data / "every-effect.src").string());
    tCMemFile compiled;
    std::string error;
    ASSERT_EQ(CompileResourceSource(source, {data}, compiled, &error), kResOk) << error;
    const std::string bytes = StreamBytes(compiled);
    EXPECT_EQ(bytes, ReadWholeFile((data / "every-effect.trf").string())) << "the stored file is this source's";
    TempFolder dump;
    const std::string dumped = DumpToFolder(bytes, dump.Path() / "files");
    EXPECT_NE(dumped.find("\n  ctot slot=2 colour=#102030 radius=1 x=1 y=1 opacity=200 overlay=1\n"), std::string::npos)
        << dumped;
    tCMemFile again;
    ASSERT_EQ(CompileResourceSource(dumped, {dump.Path()}, again, &error), kResOk) << error;
    EXPECT_EQ(StreamBytes(again), bytes);
}

TEST(WidgetSource, EffectChunksAreFieldsInAnyOrderWrittenInTheirs)
{
    // The shadow line of the design notes, and the same fields shuffled with an #AARRGGBB colour.
    const std::string bytes = CompileResources(R"(cowg 1 "panel"
  shad slot=0 colour=#000000 radius=7 x=0 y=4 opacity=160 clip=0 overlay=0
)");
    const std::string expected = Tag("shad") + U32(0) + U32(0) + F32(7.0f) + U32(0) + U32(4) + U32(160) +
                                 U32(0) + U32(0);
    EXPECT_EQ(bytes, Widget("cowg", 1, u"panel", expected));
    EXPECT_EQ(CompileResources(R"(cowg 1 "panel"
  shad overlay=0 clip=0 opacity=160 y=4 x=0 radius=7 colour=#00000000 slot=0
)"),
              bytes);
    const std::string ramp = CompileResources(R"(imwg 1 "ramp"
  grdf points=[#FF000000@0 #80FFFFFF@0.5] overlay=2 opacity=255 cy=0.5 cx=0.5 type=1 blend=6 angle=0.25 slot=3
)");
    EXPECT_EQ(ramp, Widget("imwg", 1, u"ramp",
                           Tag("grdf") + U32(3) + F32(0.25f) + U32(6) + U32(1) + F32(0.5f) +
                               F32(0.5f) + U32(2) + U32(0xFF000000) + F32(0.0f) + U32(0x80FFFFFF) +
                               F32(0.5f) + U32(255) + U32(2)));
}

TEST(WidgetSource, EffectsOutsideTheirSlotsOrClassesAreRefused)
{
    const std::string shadow = "shad slot=0 colour=#000000 radius=7 x=0 y=4 opacity=160 clip=0 overlay=0";
    const std::pair<std::string, std::string> refusals[] = {
        {"cowg 1 \"a\"\n  brde slot=4 top=#FFFFFFFF left=#FFFFFFFF right=#FFFFFFFF bottom=#FFFFFFFF topactive=1 "
         "leftactive=1 rightactive=1 bottomactive=1 style=0 width=0 opacity=255 overlay=0\n",
         "line 2: slot from 0 to 3 expected"},
        {"mkwg 1 \"a\"\n  ctot slot=-1 colour=#000000 radius=1 x=1 y=1 opacity=1 overlay=0\n",
         "line 2: slot from 0 to 3 expected"},
        {"cowg 1 \"a\"\n  glow slot=0 colour=#000000 radius=nan x=0 y=4 opacity=160 clip=0 overlay=0\n",
         "line 2: a finite number expected for radius"},
        {"cowg 1 \"a\"\n  shad slot=0 colour=#0000 radius=7 x=0 y=4 opacity=160 clip=0 overlay=0\n",
         "line 2: #RRGGBB or #AARRGGBB expected for colour"},
        {"bkdp 1 \"a\"\n  " + shadow + "\n", "line 2: the class bkdp reads no chunk 'shad'"},
        {"wdgt 1 \"a\"\n  " + shadow + "\n", "line 2: the class wdgt reads no chunk 'shad'"},
        {"imwg 1 \"a\"\n  imls \"missing\"\n", "no imlt resource \"missing\""},
        {"mkwg 1 \"a\"\n  imls \"missing\"\n", "no iml8 resource \"missing\""},
    };
    for (const auto& [source, error] : refusals)
        EXPECT_NE(Refusal(source).find(error), std::string::npos) << source << Refusal(source);

    // The dumper refuses what the compiler would not write: slot 4, a non-finite radius.
    const std::string good = CompileResources("cowg 1 \"a\"\n  " + shadow + "\n");
    const size_t at = good.find(Tag("shad")) + 4;
    std::string slotFour = good, infinite = good;
    slotFour.replace(at, 4, U32(4));
    infinite.replace(at + 8, 4, F32(INFINITY));
    for (const auto& [bytes, why] : {std::pair{slotFour, "slot outside 0 to 3"},
                                     std::pair{infinite, "a number that is not finite"}}) {
        auto file = StreamOver(bytes);
        TempFolder folder;
        std::string source, error;
        EXPECT_EQ(DumpResourceFile(*file, folder.Path(), "files", &source, &error), kResFileInvalid);
        EXPECT_NE(error.find(why), std::string::npos) << error;
    }
}

}  // namespace

}  // namespace WidgetSourceTests
