#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ProjectBytes.h"
#include "ProjectTestSupport.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CanvasMessages.h"
#include "tests/toolkit/core/AddressSpaceHeadroom.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"

namespace {

using ProjectFileTest = ProjectTest;

// A stream whose reads fail wherever they stand, as on a disk that cannot be read.
class UnreadableStream : public tCMemFile {
protected:
    tResult ReadFixed(void*, size_t) override { return kResFileIO; }
};

TEST_F(ProjectFileTest, PaintingsOfOneToFourLayersComeBackAsTheyWereSaved)
{
    for (int32_t layers = 1; layers <= 4; ++layers) {
        SCOPED_TRACE(layers);
        FakeProjectHost source;
        Paint(source, 37, 23, layers);
        const PaintingState saved = StateOf(source);
        Save(source, "first.ptg");
        EXPECT_TRUE(SamePainting(StateOf(source), saved));

        FakeProjectHost opened;
        ASSERT_EQ(Open(opened, "first.ptg"), kResOk);
        EXPECT_TRUE(SamePainting(StateOf(opened), saved));
        EXPECT_EQ(opened.canvas.GetLayerCount(), layers);
        EXPECT_EQ(opened.project.width, 37);
        EXPECT_EQ(opened.project.height, 23);
        EXPECT_EQ(opened.project.name, tCString(u"Opened"));
        EXPECT_EQ(opened.project.file.GetText(), PathOf("first.ptg").GetText());
        EXPECT_EQ(opened.version, 0x00010000u);
        const std::string second = Save(opened, "second.ptg");

        FakeProjectHost again;
        ASSERT_EQ(Open(again, "second.ptg"), kResOk);
        EXPECT_TRUE(SamePainting(StateOf(again), saved));
        EXPECT_EQ(Save(again, "third.ptg"), second);
    }
}

TEST_F(ProjectFileTest, TheChunksFollowEachOtherInTheirOrder)
{
    FakeProjectHost host;
    Paint(host, 20, 12, 2);
    std::vector<uint32_t> tags;
    const std::string file = Save(host, "order.ptg");
    for (const FileChunk& chunk : ChunksOf(file))
        tags.push_back(chunk.tag);
    const std::vector<uint32_t> expected = {
        kTagProjectHeader,  kTagProjectPreview,  kTagToolSettings,    kTagToolSettings,  kTagPaintColour,
        kTagPaintValue,     kTagCurrentTool,     kTagViewZoom,        kTagViewRotation,  kTagViewTopLeft,
        kTagLayerRecord,    kTagLayerRecord,     kTagCurrentLayer,    kTagSecondLayer,   kTagTracingVisible,
        kTagTraceColourPick, kTagTracingMode,    kTagTracingOpacity,  kTagTracingScale,  kTagTracingValueB,
        kTagTracingOffset,  kTagTracingImage,    kTagColourList};
    EXPECT_EQ(tags, expected);
    EXPECT_EQ(file.substr(0, 42), "Veltrana Works Project file. \r\nKostrel 2\r\n");
    EXPECT_EQ(file.substr(42, 4), U32(0x00010000));

    // The header: the name, a NUL, then the size.
    const FileChunk header = ChunksOf(file).front();
    std::string name;
    for (char16_t unit : std::u16string(u"Painting"))
        name += U16(unit);
    EXPECT_EQ(file.substr(header.start, header.length), name + U16(0) + I32(20) + I32(12));
    // The view as it was: zoom 2, a quarter turn.
    EXPECT_EQ(file.substr(ChunksOf(file)[7].start, 4), F32(2.0f));
    EXPECT_EQ(file.substr(ChunksOf(file)[8].start, 4), F32(0.25f));
    EXPECT_EQ(file.substr(ChunksOf(file)[6].start, 4), I32(4903));
}

TEST_F(ProjectFileTest, SavingTakesTheNameAndPathAndCountsEveryStep)
{
    for (bool tracing : {true, false}) {
        FakeProjectHost host;
        Paint(host, 16, 9, 3);
        if (!tracing) {
            ASSERT_EQ(host.canvas.SetTracingImage(nullptr), kResOk);
        }
        Save(host, "steps.ptg");
        EXPECT_EQ(host.project.name, tCString(u"Painting"));
        EXPECT_EQ(host.project.file.GetText(), PathOf("steps.ptg").GetText());
        ASSERT_FALSE(application->app.ended.empty());
        const ProjectApplication::EndedProgress& progress = application->app.ended.back();
        EXPECT_EQ(progress.title, "Saving...");
        EXPECT_EQ(progress.total, 3 + 11 * 3 + (tracing ? 1 : 0));
        EXPECT_EQ(progress.done, progress.total);
    }
    FakeProjectHost opened;
    ASSERT_EQ(Open(opened, "steps.ptg"), kResOk);
    EXPECT_EQ(application->app.ended.back().title, "Opening...");
    EXPECT_EQ(application->app.ended.back().total, 100);
}

TEST_F(ProjectFileTest, WithoutACanvasNothingIsSaved)
{
    FakeProjectHost host;
    host.withCanvas = false;
    tCFRef path = PathOf("none.ptg");
    EXPECT_EQ(SaveProject(host, path, tCString(u"x")), kResOk);
    EXPECT_FALSE(std::filesystem::exists(folder.File("none.ptg")));
}

TEST_F(ProjectFileTest, APaintingOfNoSizeIsRefusedAndNothingIsWritten)
{
    // A canvas that never had a painting: the reader would refuse a 0 x 0 header.
    FakeProjectHost host;
    tCFRef path = PathOf("empty.ptg");
    EXPECT_EQ(SaveProject(host, path, tCString(u"x")), kResBadParam);
    EXPECT_FALSE(std::filesystem::exists(folder.File("empty.ptg")));
    EXPECT_TRUE(application->app.ended.empty());
}

TEST_F(ProjectFileTest, WithoutTheProductsNameNothingIsSaved)
{
    application.reset();
    application = std::make_unique<ProjectApplication>(false);
    FakeProjectHost host;
    Paint(host, 8, 8, 1);
    tCFRef path = PathOf("nameless.ptg");
    EXPECT_EQ(SaveProject(host, path, tCString(u"x")), kResCreateFailed);
    EXPECT_FALSE(std::filesystem::exists(folder.File("nameless.ptg")));
}

TEST_F(ProjectFileTest, ThePreviewFitsTwoHundredCellsAndIsNeverEnlarged)
{
    const struct {
        int32_t width, height, previewWidth, previewHeight;
    } cases[] = {{400, 100, 200, 50}, {150, 100, 150, 100}, {100, 601, 33, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        FakeProjectHost host;
        Paint(host, c.width, c.height, 1);
        const std::string file = Save(host, "preview.ptg");
        ASSERT_EQ(CountChunks(file, kTagProjectPreview), 1);
        for (const FileChunk& chunk : ChunksOf(file)) {
            if (chunk.tag != kTagProjectPreview)
                continue;
            tCMemFile png;
            Holding(png, file.substr(chunk.start, chunk.length));
            CImage preview;
            ASSERT_EQ(DecodeImageStream(&png, &preview), kResOk);
            EXPECT_EQ(preview.GetWidth(), c.previewWidth);
            EXPECT_EQ(preview.GetHeight(), c.previewHeight);
        }
    }
}

// Whether each layer record of the file holds a grain: its first child is the property block,
// and a grain comes right after it.
std::vector<bool> LayerGrains(const std::string& file)
{
    std::vector<bool> grains;
    for (const FileChunk& chunk : ChunksOf(file))
        if (chunk.tag == kTagLayerRecord)
            grains.push_back(file.substr(chunk.start + 12 + 40, 4) == U32(kTagLayerGrain));
    return grains;
}

TEST_F(ProjectFileTest, ALayerWhoseGrainIsTheOneBelowItHasNoGrainChunk)
{
    // Layers 0 and 1 have grains of their own; layer 2 has none and layer 3 one with the pixels
    // of layer 1's.
    FakeProjectHost host;
    Paint(host, 12, 10, 4);
    EXPECT_EQ(LayerGrains(Save(host, "grains.ptg")), (std::vector<bool>{true, true, false, false}));
    // One pixel of another value makes another grain, wherever it lies.
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{4, 2}}) {
        CImNav8(host.canvas.GetLayer(3)->GetGrainImage()).Bytes(y)[x] ^= 1;
        EXPECT_EQ(LayerGrains(Save(host, "grains.ptg")), (std::vector<bool>{true, true, false, true}));
        FakeProjectHost opened;
        ASSERT_EQ(Open(opened, "grains.ptg"), kResOk);
        EXPECT_TRUE(SamePainting(StateOf(opened), StateOf(host)));
        CImNav8(host.canvas.GetLayer(3)->GetGrainImage()).Bytes(y)[x] ^= 1;
    }

    // A second layer made to share the first's image.
    FakeProjectHost shared;
    Paint(shared, 12, 10, 2);
    ASSERT_EQ(shared.canvas.GetLayer(1)->CopyFrom(shared.canvas.GetLayer(0)), kResOk);
    EXPECT_EQ(LayerGrains(Save(shared, "shared.ptg")), (std::vector<bool>{true, false}));
    FakeProjectHost opened;
    ASSERT_EQ(Open(opened, "shared.ptg"), kResOk);
    EXPECT_TRUE(SamePainting(StateOf(opened), StateOf(shared)));
    EXPECT_EQ(opened.canvas.GetLayer(1)->GetGrainImage(), nullptr);

    // A grain and a tracing image of noise, 9 MB each, are encoded into the file as they are
    // written: the save needs no room for a copy of either.
    std::mt19937 random(5);
    auto* grain = new CImage8(3000, 3000);
    const CImNav8 grainBytes(grain);
    for (int32_t y = 0; y < 3000; ++y)
        for (int32_t x = 0; x < 3000; ++x)
            grainBytes.Bytes(y)[x] = uint8_t(random());
    auto* tracing = new CImage(1500, 1500);
    const CImNav tracingPixels(tracing);
    for (int32_t y = 0; y < 1500; ++y)
        for (int32_t x = 0; x < 1500; ++x)
            tracingPixels.Pixels(y)[x] = 0xFF000000u | uint32_t(random());
    shared.canvas.GetLayer(0)->SetGrainImage(grain);
    ASSERT_EQ(shared.canvas.SetTracingImage(tracing), kResOk);
    tCFRef path = PathOf("large.ptg");
    tResult saved;
    {
        const AddressSpaceHeadroom headroom(4 << 20);
        ASSERT_TRUE(headroom.IsSet());
        saved = SaveProject(shared, path, tCString(u"Painting"));
    }
    ASSERT_EQ(saved, kResOk);
    FakeProjectHost large;
    ASSERT_EQ(Open(large, "large.ptg"), kResOk);
    EXPECT_TRUE(SamePainting(StateOf(large), StateOf(shared)));
}

TEST_F(ProjectFileTest, APaintingSavedWithoutATracingImageOpensWithoutOne)
{
    FakeProjectHost host;
    Paint(host, 10, 10, 1);
    ASSERT_EQ(host.canvas.SetTracingImage(nullptr), kResOk);
    host.canvas.SetTraceColourPick(1);
    host.canvas.SetTracingMode(0);
    const std::string file = Save(host, "plain.ptg");
    EXPECT_EQ(CountChunks(file, kTagTracingImage), 0);

    FakeProjectHost opened;
    Paint(opened, 30, 20, 2, 3);
    ASSERT_NE(opened.canvas.GetTracingImage(), nullptr);
    const size_t start = opened.messages.size();
    ASSERT_EQ(Open(opened, "plain.ptg"), kResOk);
    EXPECT_EQ(opened.canvas.GetTracingImage(), nullptr);
    EXPECT_EQ(opened.canvas.GetWidth(), 10);
    // The panes heard that the image went, and of none after.
    std::vector<uint32_t> told;
    for (size_t i = start; i < opened.messages.size(); ++i)
        if (opened.messages[i].code == kMsgRemoveTracingImage || opened.messages[i].code == kMsgTracingImage)
            told.push_back(opened.messages[i].code);
    EXPECT_EQ(told, (std::vector<uint32_t>{kMsgRemoveTracingImage}));
    // Strokes take the paint colour: none is picked from a tracing image under the pen.
    const int picked = opened.Count(kMsgCanvasColourPicked);
    ASSERT_EQ(opened.canvas.SampleTracingImage({5.0f, 5.0f}), kResOk);
    EXPECT_EQ(opened.Count(kMsgCanvasColourPicked), picked);
}

TEST_F(ProjectFileTest, AnEmptyColourListWritesNoChunkAndOpeningKeepsTheList)
{
    FakeProjectHost host;
    Paint(host, 10, 10, 1);
    host.colourList = CColourList();
    EXPECT_EQ(CountChunks(Save(host, "nolist.ptg"), kTagColourList), 0);
    FakeProjectHost opened;
    ASSERT_EQ(opened.colourList.SetEntry(3, 0xFF123456u), kResOk);
    ASSERT_EQ(Open(opened, "nolist.ptg"), kResOk);
    EXPECT_EQ(opened.colourList.GetCount(), 4);
    EXPECT_EQ(opened.colourList.GetEntry(3), 0xFF123456u);
}

TEST_F(ProjectFileTest, OpeningMakesANewPaintingUnderTheBusyFlagThenTellsTheController)
{
    FakeProjectHost host;
    Paint(host, 10, 10, 1);
    Save(host, "told.ptg");
    FakeProjectHost opened;
    ASSERT_EQ(Open(opened, "told.ptg"), kResOk);
    EXPECT_EQ(opened.busy, 0u);
    std::vector<uint32_t> codes;
    for (const FakeProjectHost::Message& m : opened.messages) {
        if (m.code == kMsgNewProject) {
            EXPECT_EQ(m.busy, 1u);
            const CProjectInfo* info = FromMsgArg<CProjectInfo>(m.arg);
            EXPECT_NE(info, nullptr);
        }
        codes.push_back(m.code);
    }
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes.front(), kMsgNewProject);
    EXPECT_EQ(std::vector<uint32_t>(codes.end() - 3, codes.end()),
              (std::vector<uint32_t>{kMsgFitToView, kMsgPaintColourChanged, kMsgLayersChanged}));
    for (const FakeProjectHost::Message& m : opened.messages)
        if (m.code == kMsgPaintColourChanged) {
            EXPECT_EQ(m.arg, host.colour);
        }
}

TEST_F(ProjectFileTest, ToolsReadTheirRecordsAndApplyThem)
{
    FakeProjectHost source({4900, 4903, 4907});
    Paint(source, 9, 9, 1);
    source.Tool(2).value = 31;
    Save(source, "tools.ptg");

    // A host without tool 4907 passes its record over; one without the current tool keeps its own.
    FakeProjectHost opened({4903, 4900, 4912});
    opened.currentTool = &opened.Tool(2);
    ASSERT_EQ(Open(opened, "tools.ptg"), kResOk);
    EXPECT_EQ(opened.Tool(0).value, 5u);
    EXPECT_EQ(opened.Tool(1).value, 99u);
    EXPECT_EQ(opened.Tool(1).size, 1.5f);
    EXPECT_EQ(opened.Tool(1).strokeCount, 7u);
    EXPECT_EQ(opened.Tool(0).invalidated, 1);
    EXPECT_EQ(opened.Tool(1).invalidated, 1);
    EXPECT_EQ(opened.Tool(2).reads, 0);
    EXPECT_EQ(opened.Tool(2).invalidated, 0);
    EXPECT_EQ(opened.currentTool, &opened.Tool(0));

    source.currentTool = &source.Tool(2);
    Save(source, "unknown.ptg");
    ASSERT_EQ(Open(opened, "unknown.ptg"), kResOk);
    EXPECT_EQ(opened.currentTool, &opened.Tool(0));
}

TEST_F(ProjectFileTest, AToolRecordThatDoesNotReadLeavesTheToolAsItWas)
{
    const std::string file = ProjectLines("Kostrel 2") + HeaderChunk(4, 4) +
                             Chunk(kTagToolSettings, U32(4900) + F32(3.0f) + U32(8)) +
                             Chunk(kTagToolSettings, U32(4903) + F32(0.25f) + U32(2) + U32(77)) +
                             Chunk(kTagToolSettings, U32(49)) + PlainLayer(4, 4, 0xFF010203u);
    for (bool careless : {false, true}) {
        FakeProjectHost host;
        host.Tool(0).careless = careless;
        host.Tool(0).size = 0.75f;
        host.Tool(0).value = 12;
        host.Tool(0).strokeCount = 4;
        ASSERT_EQ(OpenBytes(host, file), kResOk);
        EXPECT_EQ(host.Tool(0).size, 0.75f);
        EXPECT_EQ(host.Tool(0).value, 12u);
        EXPECT_EQ(host.Tool(0).strokeCount, 4u);
        EXPECT_EQ(host.Tool(0).invalidated, 0);
        EXPECT_EQ(host.Tool(1).size, 0.25f);
        EXPECT_EQ(host.Tool(1).value, 77u);
        EXPECT_EQ(host.Tool(1).invalidated, 1);
    }
}

TEST_F(ProjectFileTest, ARecordOfAnUnknownToolIsPassedOver)
{
    const std::string file = ProjectLines("Kostrel 2") + HeaderChunk(4, 4) +
                             Chunk(kTagToolSettings, U32(4911) + F32(3.0f) + U32(8) + U32(1)) + PlainLayer(4, 4, 1);
    FakeProjectHost host;
    ASSERT_EQ(OpenBytes(host, file), kResOk);
    EXPECT_EQ(host.Tool(0).reads + host.Tool(1).reads, 0);
}

TEST_F(ProjectFileTest, AFileMadeByHandOpensToItsCells)
{
    // Two rows of three cells: colours raw, thickness as a run of 3 then a literal, wetness a run
    // a row, shine and extra raw.
    const std::vector<uint32_t> colours = {0xFF112233u, 0x80445566u, 0x00778899u, 1, 2, 3};
    const std::string thickness = PlaneHeader(3, 2, 1, 1) + U32(3) + U16(500) + U32(0x80000003u) + U16(1) +
                                  U16(2) + U16(65535);
    const std::string wetness = PlaneHeader(3, 2, 2, 1) + U32(3) + U16(40000) + U32(3) + U16(7);
    LayerProperties properties;
    properties.paperColour = 0xFFEEDDCCu;
    properties.opacity = 0.5f;
    properties.visible = 0;
    properties.grainScale = 0.25f;
    const std::string layer = LayerRecordBytes(
        properties.Bytes(), {RawPlane(3, 2, 0, colours, 4), thickness, wetness, RawPlane(3, 2, 3, {9, 8, 7, 6, 5, 4}, 1),
                             RawPlane(3, 2, 4, {0, 1, 0, 1, 0, 1}, 1)});
    const std::string file = ProjectLines("Kostrel 2") + HeaderChunk(3, 2, u"By hand", false) +
                             Chunk(kTagPaintColour, U32(0xFF0000FFu)) + layer + Chunk(kTagCurrentLayer, I32(5)) +
                             Chunk(kTagTracingMode, I32(2)) + Chunk(kTagTracingOpacity, F32(0.5f)) +
                             Chunk(kTagTracingOffset, I32(-3) + I32(4)) +
                             Chunk(kTagColourList, U32(2) + U32(0xFF00FF00u) + U32(0x00FFFFFFu));
    FakeProjectHost host;
    ASSERT_EQ(OpenBytes(host, file), kResOk);
    ASSERT_EQ(host.canvas.GetWidth(), 3);
    ASSERT_EQ(host.canvas.GetLayerCount(), 1);
    CLayer& read = *host.canvas.GetLayer(0);
    CPaintCellNav cells(read.GetCellMap());
    const uint16_t thick[] = {500, 500, 500, 1, 2, 65535};
    const uint16_t wet[] = {40000, 40000, 40000, 7, 7, 7};
    const uint8_t shine[] = {9, 8, 7, 6, 5, 4};
    for (int32_t i = 0; i < 6; ++i) {
        const PaintCell& cell = cells.Cells(i / 3)[i % 3];
        EXPECT_EQ(uint32_t(cell.colour), uint32_t(colours[size_t(i)])) << i;
        EXPECT_EQ(uint32_t(cell.thickness), uint32_t(thick[i])) << i;
        EXPECT_EQ(uint32_t(cell.wetness), uint32_t(wet[i])) << i;
        EXPECT_EQ(uint32_t(cell.shine), uint32_t(shine[i])) << i;
        EXPECT_EQ(uint32_t(cell.extra), uint32_t(i % 2)) << i;
    }
    uint32_t paper = 0;
    read.GetPaperColour(&paper);
    EXPECT_EQ(paper, 0xFFEEDDCCu);
    EXPECT_EQ(read.GetOpacity(), 0.5f);
    EXPECT_EQ(read.GetVisible(), 0u);
    EXPECT_EQ(read.GetGrainScale(), 0.25f);
    EXPECT_EQ(host.colour, 0xFF0000FFu);
    EXPECT_EQ(host.canvas.GetCurrentLayerIndex(), 0);
    EXPECT_EQ(host.canvas.GetTracingMode(), 2u);
    EXPECT_EQ(host.canvas.GetTracingOpacity(), 0.5f);
    EXPECT_EQ(host.canvas.GetTracingOffset().x, -3);
    EXPECT_EQ(host.canvas.GetTracingOffset().y, 4);
    EXPECT_EQ(host.colourList.GetCount(), 2);
    EXPECT_EQ(host.colourList.GetEntry(0), 0xFF00FF00u);
    EXPECT_EQ(host.version, 0x00010000u);
}

TEST_F(ProjectFileTest, UnknownChunksOfAnyLengthArePassedOver)
{
    FakeProjectHost source;
    Paint(source, 14, 6, 2);
    const std::string file = Save(source, "known.ptg");
    const FileChunk header = ChunksOf(file).front();
    const size_t afterHeader = header.start + header.length;
    for (const std::string& unknown :
         {Chunk(0xFF003050u, "x"), Chunk(0x12345678u, std::string(3000, '\xFF')), Chunk(kTagProjectPreview, "junk"),
          Chunk(0xFF003094u, U32(1))}) {
        FakeProjectHost opened;
        std::string changed = file;
        changed.insert(afterHeader, unknown);
        ASSERT_EQ(OpenBytes(opened, changed), kResOk);
        EXPECT_TRUE(SamePainting(StateOf(opened), StateOf(source)));
    }
}

TEST_F(ProjectFileTest, AnotherCreatorLineOrBannerIsNoProjectFile)
{
    FakeProjectHost host;
    Paint(host, 10, 10, 1);
    const PaintingState before = StateOf(host);
    const std::string body = HeaderChunk(8, 8) + PlainLayer(8, 8, 0xFF000000u);
    for (const std::string& lines :
         {ProjectLines("Kostrel 3"), ProjectLines("kostrel 2"), ProjectLines(""),
          std::string("Veltrana Works Project file.\r\nKostrel 2\r\n") + U32(0x10000),
          std::string("Veltrana Works Project file. \nKostrel 2\r\n") + U32(0x10000)}) {
        EXPECT_EQ(OpenBytes(host, lines + body), kResFileInvalid);
        EXPECT_TRUE(SamePainting(StateOf(host), before));
    }
    EXPECT_EQ(OpenBytes(host, ""), kResFileInvalid);
    EXPECT_EQ(OpenBytes(host, "Veltrana Works"), kResFileInvalid);
    EXPECT_EQ(OpenBytes(host, "Veltrana Works Project file. \r\nKostrel 2"), kResFileInvalid);
    UnreadableStream unreadable;
    Holding(unreadable, ProjectLines("Kostrel 2") + body);
    EXPECT_EQ(ReadProject(host, unreadable, PathOf("memory.ptg"), tCString()), kResFailure);
    EXPECT_EQ(OpenBytes(host, std::string(300, 'V') + "\r\n"), kResFileInvalid);
    EXPECT_EQ(OpenProject(host, PathOf("missing.ptg"), tCString()), kResFileOpen);
    EXPECT_TRUE(SamePainting(StateOf(host), before));
}

TEST_F(ProjectFileTest, AStreamIsReadFromItsStartWhereverItStands)
{
    FakeProjectHost source;
    Paint(source, 6, 5, 2);
    tCMemFile stream;
    ASSERT_EQ(WriteProject(source, stream, tCString(u"Memory"), nullptr), kResOk);
    FakeProjectHost opened;
    ASSERT_EQ(ReadProject(opened, stream, PathOf("memory.ptg"), tCString()), kResOk);
    EXPECT_EQ(opened.canvas.GetLayerCount(), 2);
    ASSERT_EQ(stream.SetPosition(45), kResOk);
    ASSERT_EQ(ReadProjectCurrent(opened, stream, PathOf("memory.ptg"), tCString()), kResOk);
    EXPECT_EQ(ReadProjectEarlier(opened, stream, PathOf("memory.ptg"), tCString()), kResFileInvalid);
    EXPECT_EQ(opened.project.name, tCString());
}

TEST_F(ProjectFileTest, PaintingsOfAnySizeFromOneCellOpen)
{
    for (const auto& [width, height] : {std::pair{1, 1}, std::pair{49, 100}, std::pair{8, 3}, std::pair{50, 32000}}) {
        SCOPED_TRACE(width * 100000 + height);
        FakeProjectHost source;
        Paint(source, width, height, 2);
        Save(source, "small.ptg");
        FakeProjectHost opened;
        ASSERT_EQ(Open(opened, "small.ptg"), kResOk);
        EXPECT_TRUE(SamePainting(StateOf(opened), StateOf(source)));
    }
}

// The files kept beside the tests, written by earlier builds or found by the fuzzer: paintings
// open as they were written, and nothing else makes a crash.
TEST_F(ProjectFileTest, KeptFilesOpenAsTheyWereWritten)
{
    const std::filesystem::path folder = std::filesystem::path(KOSTREL_TEST_DATA) / "project";
    const std::map<std::string, std::pair<int32_t, int32_t>> paintings = {
        {"painting-12x9-two-layers", {12, 2}}, {"painting-1x1", {1, 1}}, {"earlier-3x2", {3, 1}}};
    int opened = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        FakeProjectHost host;
        const tResult result = OpenBytes(host, ReadWholeFile(entry.path().string()));
        const auto painting = paintings.find(name);
        if (painting == paintings.end())
            continue;
        ++opened;
        ASSERT_EQ(result, kResOk);
        EXPECT_EQ(host.canvas.GetWidth(), painting->second.first);
        EXPECT_EQ(host.canvas.GetLayerCount(), painting->second.second);
    }
    EXPECT_EQ(opened, 3);
}

}  // namespace
