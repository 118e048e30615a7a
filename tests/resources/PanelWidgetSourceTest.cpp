#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "CompiledResources.h"
#include "resources/compiler/ResourceSource.h"
#include "WidgetSourceBytes.h"

namespace {

TEST(PanelWidgetSource, EveryPanelChunkCompilesDumpsAndCompilesAgainToTheSameBytes)
{
    const std::filesystem::path data = std::filesystem::path(KOSTREL_TEST_DATA) / "widgets";
    const std::string source = ReadWholeFile((data / "every-panel.src").string());
    tCMemFile compiled;
    std::string error;
    ASSERT_EQ(CompileResourceSource(source, {data}, compiled, &error), kResOk) << error;
    const std::string bytes = StreamBytes(compiled);
    EXPECT_EQ(bytes, ReadWholeFile((data / "every-panel.trf").string())) << "the stored file is this source's";
    TempFolder dump;
    std::filesystem::create_directories(dump.Path() / "files");
    auto stream = StreamOver(bytes);
    std::string dumped;
    ASSERT_EQ(DumpResourceFile(*stream, dump.Path() / "files", "files", &dumped, &error), kResOk) << error;
    EXPECT_NE(dumped.find("\n    rrad 12.5\n"), std::string::npos) << dumped;
    EXPECT_NE(dumped.find("\n  swrd 2.5\n"), std::string::npos) << dumped;
    EXPECT_NE(dumped.find("\n    frcl #FFFFC000\n"), std::string::npos) << dumped;
    tCMemFile again;
    ASSERT_EQ(CompileResourceSource(dumped, {dump.Path()}, again, &error), kResOk) << error;
    EXPECT_EQ(StreamBytes(again), bytes);
}

TEST(PanelWidgetSource, ShapeSidesAndFrameChunksHaveTheirPayloads)
{
    const std::string bytes = CompileResources(R"(rrwg 1 "r"
  rrad 2.5
  rbcl #80102030
  rcbr 1
shwg 2 "s"
  swrd -1
  swsl 0
fmwg 3 "f"
  frcl #FF00FF00
)");
    const auto widget = [](const char* tag, uint32_t id, const std::u16string& name, const std::string& chunks) {
        return Chunk(tag, U32(id) + Line(name) + U32(uint32_t(chunks.size())) + chunks);
    };
    const std::string expected =
        widget("rrwg", 1, u"r", Tag("rrad") + F32(2.5f) + Tag("rbcl") + U32(0x80102030) + Tag("rcbr") + U32(1)) +
        widget("shwg", 2, u"s", Tag("swrd") + F32(-1.0f) + Tag("swsl") + U32(0)) +
        widget("fmwg", 3, u"f", Tag("frcl") + U32(0xFF00FF00));
    EXPECT_EQ(bytes, expected);
    std::string error;
    tCMemFile out;
    EXPECT_EQ(CompileResourceSource("rrwg 1 \"r\"\n  imag \"x\"\n", {"."}, out, &error), kResTextParse);
    EXPECT_NE(error.find("the class rrwg reads no chunk 'imag'"), std::string::npos) << error;
    EXPECT_EQ(CompileResourceSource("shwg 1 \"s\"\n  swrd nan\n", {"."}, out, &error), kResTextParse);
}

}  // namespace
