#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "CompiledResources.h"
#include "resources/compiler/ResourceSource.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/WidgetChunkSchema.h"
#include "WidgetSourceBytes.h"

namespace {

std::string Float(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return U32(bits);
}

class TextWidgetSource : public ::testing::Test {
protected:
    void SetUp() override { RegisterTextWidgets(); }

    static std::string Refusal(const std::string& source)
    {
        tCMemFile out;
        std::string error;
        EXPECT_EQ(CompileResourceSource(source, {"."}, out, &error), kResTextParse) << source;
        return error;
    }
};

TEST_F(TextWidgetSource, TextChunksAreWrittenAsTheLoadersReadThem)
{
    const std::string bytes = CompileResources(R"(vers 2
txlt 3 "states" [1:"Off" 2:"On"]
txwg 5 "label"
  fsiz 12.5
  fjst "centre"
  txls "states"
  txlx 1
  txwr 1
tewg 6 "field"
  txcl #FF102030
  fpsz 9
  text "Edit"
)");
    const std::string label = Tag("fsiz") + Float(12.5f) + Tag("fjst") + WidgetText(u"centre") + Tag("txls") +
                              WidgetText(u"states") + Tag("txlx") + U32(1) + Tag("txwr") + U32(1);
    const std::string field =
        Tag("txcl") + U32(0xFF102030) + Tag("fpsz") + Float(9.0f) + Tag("text") + WidgetText(u"Edit");
    EXPECT_NE(bytes.find(Line(u"label") + U32(uint32_t(label.size())) + label), std::string::npos);
    EXPECT_NE(bytes.find(Line(u"field") + U32(uint32_t(field.size())) + field), std::string::npos);

    TempFolder dump;
    auto file = StreamOver(bytes);
    std::string source, error;
    ASSERT_EQ(DumpResourceFile(*file, dump.Path() / "files", "files", &source, &error), kResOk) << error;
    EXPECT_NE(source.find("\n  fjst \"centre\"\n"), std::string::npos) << source;
    EXPECT_NE(source.find("\n  txcl #FF102030\n"), std::string::npos) << source;
    tCMemFile again;
    ASSERT_EQ(CompileResourceSource(source, {dump.Path()}, again, &error), kResOk) << error;
    EXPECT_EQ(StreamBytes(again), bytes);
}

TEST_F(TextWidgetSource, TextChunksOutsideTheirClassesOrNamingNoListAreRefused)
{
    const std::pair<std::string, std::string> cases[] = {
        {"tiwg 1 \"b\"\n  txwr 1\n", "line 2: the class tiwg reads no chunk 'txwr'"},
        {"cowg 1 \"b\"\n  text \"x\"\n", "line 2: the class cowg reads no chunk 'text'"},
        {"txwg 1 \"t\"\n  txcl 1\n", "line 2: the class txwg reads no chunk 'txcl'"},
        {"txwg 1 \"t\"\n  txls \"missing\"\n", "line 2: no txlt resource \"missing\""},
        {"tewg 1 \"t\"\n  fsiz nan\n", "line 2: a finite number expected"},
    };
    for (const auto& [source, error] : cases)
        EXPECT_NE(Refusal(source).find(error), std::string::npos) << source << "\n" << Refusal(source);
    tCMemFile out;
    std::string error;
    EXPECT_EQ(CompileResourceSource("tewg 1 \"t\"\n  imag \"\"\n  xsiz 40\n  + txwg 2 \"x\"\n    text \"a\"\n", {"."},
                                    out, &error),
              kResOk)
        << error << ": an edit field reads the image chunks, and a layout may hold a text widget";
}

}  // namespace
