#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "CanvasTestSupport.h"
#include "PaperTestSupport.h"
#include "RecordBytes.h"
#include "paint/engine/CColourList.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/IProjectHost.h"
#include "paint/engine/ProjectFile.h"
#include "paint/engine/ProjectFileTags.h"
#include "platform/Platform.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCProgress.h"

inline constexpr char16_t kProductName[] = u"Kostrel 2";

// An application whose string table names the product and the progress titles, whose resource
// file holds the default grain, and which notes every progress that ends: its title, its total
// and how much of it was done.
class ProjectApplication {
public:
    struct EndedProgress {
        std::string title;
        int32_t total = 0;
        int32_t done = 0;
    };

    class App : public ReportingApp {
    public:
        tResult OnNotify(uint32_t message, tMsgArg a, tMsgArg) override
        {
            if (message == kMsgProgressDestroyed) {
                const tCProgress* progress = FromMsgArg<tCProgress>(a);
                ended.push_back({progress->GetTitle().ToAnsi(), progress->GetTotal(), progress->GetDone()});
            }
            return kResOk;
        }
        std::vector<EndedProgress> ended;
    };

    explicit ProjectApplication(bool withProduct = true)
    {
        WriteGreyPng(resources.File("grain80.png"), 4, 4, DefaultGrainValue);
        tCMemFile compiled;
        std::string error;
        EXPECT_EQ(CompileResourceSource("vers 2\nimag 80 \"PP_FinePaper\" png \"grain80.png\"\n", {resources.Path()},
                                        compiled, &error),
                  kResOk)
            << error;
        WriteWholeFile(resources.File("system.trf"), PaperApplication::Bytes(compiled));
        tCMemFile table;
        if (withProduct) {
            EXPECT_EQ(tCStringTable::WriteRecord(table, kStrProductName, 0, u"product", kProductName), kResOk);
        }
        EXPECT_EQ(tCStringTable::WriteRecord(table, kStrOpeningProject, 0, u"progress.opening", u"Opening..."), kResOk);
        EXPECT_EQ(tCStringTable::WriteRecord(table, kStrSavingProject, 0, u"progress.saving", u"Saving..."), kResOk);
        WriteWholeFile(resources.File("system.tsf"), PaperApplication::Bytes(table));
        app.SetResourceFolderName(tCString::FromAnsi(resources.Name()));
        EXPECT_EQ(app.StartUp(), kResOk);
    }

    ProgramSubfolder resources;
    App app;
};

// A tool whose settings record is {u32 id, f32 size, u32 stroke count, u32 value}. A record of
// another tool, or one cut short, answers 16 and changes nothing; a careless tool takes each
// field as it comes, and one cut short changes what came before the cut.
class ProjectTool final : public FakeCanvasTool {
public:
    explicit ProjectTool(uint32_t id) : FakeCanvasTool(id) {}

    tResult WriteSettings(tCStream* stream) override
    {
        TK_TRY(stream->WriteU32(GetToolId()));
        TK_TRY(stream->WriteFloat(size));
        TK_TRY(stream->WriteU32(strokeCount));
        return stream->WriteU32(value);
    }
    tResult ReadSettings(tCStream* stream, int64_t recordEnd) override
    {
        ++reads;
        if (careless) {
            const auto room = [&] { return stream->GetPosition() + 4 <= recordEnd ? kResOk : kResFileIO; };
            TK_TRY(stream->SetPosition(stream->GetPosition() + 4));
            TK_TRY(room());
            TK_TRY(stream->ReadFloat(&size));
            TK_TRY(room());
            TK_TRY(stream->ReadU32(&strokeCount));
            TK_TRY(room());
            return stream->ReadU32(&value);
        }
        if (recordEnd - stream->GetPosition() < 16)
            return kResFileIO;
        uint32_t id = 0;
        float readSize = 0.0f;
        uint32_t readCount = 0;
        uint32_t readValue = 0;
        TK_TRY(stream->ReadU32(&id));
        if (id != GetToolId())
            return kResFileIO;
        TK_TRY(stream->ReadFloat(&readSize));
        TK_TRY(stream->ReadU32(&readCount));
        TK_TRY(stream->ReadU32(&readValue));
        size = readSize;
        strokeCount = readCount;
        value = readValue;
        return kResOk;
    }

    uint32_t value = 0;
    int reads = 0;
    bool careless = false;
};

// The controller as saving and opening meet it: a real canvas with a renderer, a tool list, the
// colour and the colour list. It is the global backbone while it lives and answers as the
// controller does: a new painting sizes the project and sets the canvas up, a pick makes the
// tool of the id current, and the canvas's tracing messages go on to the canvas. Every message
// is noted, with the busy flag as it was then.
class FakeProjectHost : public tCCmdTarget, public IProjectHost {
public:
    struct Message {
        uint32_t code = 0;
        tMsgArg arg = 0;
        uint32_t busy = 0;
    };

    // Tools of the ids, with an empty entry of the list after the first.
    explicit FakeProjectHost(std::vector<uint32_t> toolIds = {4900, 4903})
    {
        EXPECT_EQ(canvas.Initialise(), kResOk);
        EXPECT_EQ(renderer.ResetLights(), kResOk);
        canvasHost.renderer = &renderer;
        canvas.SetHost(&canvasHost);
        for (uint32_t id : toolIds) {
            ownTools.push_back(std::make_unique<ProjectTool>(id));
            tools.push_back(ownTools.back().get());
            if (tools.size() == 1)
                tools.push_back(nullptr);
        }
    }
    ~FakeProjectHost() override
    {
        if (GetBackboneTarget() == this)
            SetBackboneTarget(nullptr);
    }

    CCanvas* GetCanvas() override { return withCanvas ? &canvas : nullptr; }
    CProjectInfo& GetProject() override { return project; }
    uint32_t GetPaintColour() override { return colour; }
    void SetPaintColour(uint32_t value) override { colour = value; }
    float GetPaintValue() override { return paintValue; }
    int32_t GetToolCount() override { return int32_t(tools.size()); }
    ICanvasTool* GetTool(int32_t index) override { return tools.at(size_t(index)); }
    ICanvasTool* GetCurrentTool() override { return currentTool; }
    CColourList& GetColourList() override { return colourList; }
    void SetOpeningBusy(uint32_t value) override { busy = value; }
    void SetProjectVersion(uint32_t value) override { version = value; }
    // The host acting is the backbone the canvas reaches.
    tResult SendMessage(uint32_t message, tMsgArg b) override
    {
        SetBackboneTarget(this);
        return OnMessage(message, ToMsgArg(this), b, 0, kMsgApply);
    }

    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        messages.push_back({message, b, busy});
        if (message == kMsgNewProject)
            return NewPainting(FromMsgArg<CProjectInfo>(b));
        if (message == kMsgPickTool) {
            for (ICanvasTool* tool : tools)
                if (tool && tool->GetToolId() == uint32_t(b))
                    currentTool = tool;
            canvas.SetCurrentTool(currentTool);
            if (const auto* picked = dynamic_cast<const FakeCanvasTool*>(currentTool))
                pickedSizes.push_back(picked->size);
            return kResOk;
        }
        if (message >= kMsgTracingImage && message <= kMsgTracingOffset)
            return canvas.OnMessage(message, a, b, c, apply);
        if (message == kMsgLayersChanged)
            return Render();
        return kResOk;
    }

    // The layers lit into the composite, as the view would show them.
    tResult Render()
    {
        return canvas.GetComposite() ? renderer.RenderLayers(canvas.GetComposite(), &canvas, 1, -1) : kResOk;
    }

    ProjectTool& Tool(size_t index) { return *ownTools.at(index); }

    // A new painting of the given size, as the new-painting message makes it.
    tResult NewPainting(int32_t width, int32_t height)
    {
        CProjectInfo info(width, height, tCString(u"New"), tCString(), nullptr);
        return SendMessage(kMsgNewProject, ToMsgArg(&info));
    }

    int Count(uint32_t code) const
    {
        int n = 0;
        for (const Message& m : messages)
            n += m.code == code ? 1 : 0;
        return n;
    }

    CCanvas canvas;
    CStandardRenderer renderer;
    FakeCanvasHost canvasHost;
    CProjectInfo project;
    CColourList colourList;
    std::vector<std::unique_ptr<ProjectTool>> ownTools;
    std::vector<ICanvasTool*> tools;
    ICanvasTool* currentTool = nullptr;
    uint32_t colour = 0xFF000000u;
    float paintValue = 0.0f;
    uint32_t busy = 0;
    uint32_t version = 0;
    bool withCanvas = true;
    tResult newPaintingAnswer = kResOk;
    // The layers' view-image size the new painting sets, as the navigation pane does; none when
    // either side is 0.
    tCPoint viewImageAfterNewPainting{0, 0};
    std::vector<Message> messages;
    // The size of each tool picked, as the pick shows it to the interface.
    std::vector<float> pickedSizes;

private:
    tResult NewPainting(CProjectInfo* info)
    {
        if (newPaintingAnswer != kResOk)
            return newPaintingAnswer;
        project.width = info->width;
        project.height = info->height;
        project.name = info->name;
        project.file = info->file;
        TK_TRY(canvas.SetUpProject(info));
        if (viewImageAfterNewPainting.x < 1 || viewImageAfterNewPainting.y < 1)
            return kResOk;
        return canvas.SetLayerImageSize(viewImageAfterNewPainting.x, viewImageAfterNewPainting.y);
    }
};

// Everything an open may change, to compare paintings and to tell that a failed open changed
// nothing. The view (zoom, rotation, place) is left out: the reader drops it by design.
struct PaintingState {
    struct Layer {
        std::string cells;
        uint32_t paperColour = 0;
        std::vector<float> floats;
        uint32_t visible = 0;
        uint32_t paperVisible = 0;
        // The grain the layer is painted with, its own or one below it.
        std::string grain;
        bool operator==(const Layer&) const = default;
    };

    int32_t width = 0;
    int32_t height = 0;
    std::vector<Layer> layers;
    int32_t currentLayer = 0;
    int32_t secondLayer = 0;
    std::vector<std::string> toolRecords;
    uint32_t colour = 0;
    uint32_t currentTool = 0;
    std::vector<uint32_t> tracing;
    std::vector<float> tracingFloats;
    std::string tracingImage;
    std::vector<uint32_t> colourList;

    bool operator==(const PaintingState&) const = default;
};

// Names the first part in which two paintings differ.
inline ::testing::AssertionResult SamePainting(const PaintingState& a, const PaintingState& b)
{
    if (a == b)
        return ::testing::AssertionSuccess();
    if (a.width != b.width || a.height != b.height)
        return ::testing::AssertionFailure() << "sizes " << a.width << "x" << a.height << " and " << b.width << "x"
                                             << b.height;
    if (a.layers.size() != b.layers.size())
        return ::testing::AssertionFailure() << a.layers.size() << " and " << b.layers.size() << " layers";
    for (size_t i = 0; i < a.layers.size(); ++i) {
        const PaintingState::Layer& x = a.layers[i];
        const PaintingState::Layer& y = b.layers[i];
        if (x.cells != y.cells)
            return ::testing::AssertionFailure() << "cells of layer " << i;
        if (x.grain != y.grain)
            return ::testing::AssertionFailure() << "grain of layer " << i;
        if (x.floats != y.floats || x.paperColour != y.paperColour || x.visible != y.visible ||
            x.paperVisible != y.paperVisible)
            return ::testing::AssertionFailure() << "settings of layer " << i;
    }
    if (a.currentLayer != b.currentLayer || a.secondLayer != b.secondLayer)
        return ::testing::AssertionFailure() << "layer indexes";
    if (a.toolRecords != b.toolRecords)
        return ::testing::AssertionFailure() << "tools' settings";
    if (a.colour != b.colour || a.currentTool != b.currentTool)
        return ::testing::AssertionFailure() << "colour or current tool";
    if (a.tracing != b.tracing || a.tracingFloats != b.tracingFloats)
        return ::testing::AssertionFailure() << "tracing values";
    if (a.tracingImage != b.tracingImage)
        return ::testing::AssertionFailure() << "tracing image";
    return ::testing::AssertionFailure() << "colour list";
}

inline std::string GreyBytes(CImage8* image)
{
    if (!image)
        return "none";
    CImNav8 nav(image);
    std::string bytes = std::to_string(nav.GetWidth()) + "x" + std::to_string(nav.GetHeight()) + ":";
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        bytes.append(reinterpret_cast<const char*>(nav.Bytes(y)), size_t(nav.GetWidth()));
    return bytes;
}

inline std::string PixelBytes(CImage* image)
{
    if (!image)
        return "none";
    CImNav nav(image);
    std::string bytes = std::to_string(nav.GetWidth()) + "x" + std::to_string(nav.GetHeight()) + ":";
    for (int32_t y = 0; y < nav.GetHeight(); ++y)
        bytes.append(reinterpret_cast<const char*>(nav.Pixels(y)), size_t(nav.GetWidth()) * 4);
    return bytes;
}

inline std::string LayerCells(CLayer& layer)
{
    CPaintCellNav nav(layer.GetCellMap());
    std::string bytes;
    for (int32_t y = 0; nav.IsValid() && y < nav.GetHeight(); ++y)
        bytes.append(reinterpret_cast<const char*>(nav.Cells(y)), size_t(nav.GetWidth()) * kPaintCellBytes);
    return bytes;
}

inline PaintingState StateOf(FakeProjectHost& host)
{
    PaintingState state;
    CCanvas& canvas = host.canvas;
    state.width = canvas.GetWidth();
    state.height = canvas.GetHeight();
    for (int32_t i = 0; i < canvas.GetLayerCount(); ++i) {
        CLayer& layer = *canvas.GetLayer(i);
        PaintingState::Layer l;
        l.cells = LayerCells(layer);
        layer.GetPaperColour(&l.paperColour);
        l.floats = {layer.GetPaperShine(), layer.GetGrainDepth(), layer.GetPaperExtra(), layer.GetGrainScale(),
                    layer.GetPaperSpare(), layer.GetOpacity(), layer.GetPaperOpacity()};
        l.visible = layer.GetVisible();
        l.paperVisible = layer.GetPaperVisible();
        l.grain = GreyBytes(canvas.GetGrainImageFor(i));
        state.layers.push_back(l);
    }
    state.currentLayer = canvas.GetCurrentLayerIndex();
    state.secondLayer = canvas.GetSecondLayerIndex();
    for (ICanvasTool* tool : host.tools) {
        if (!tool)
            continue;
        tCMemFile record;
        EXPECT_EQ(tool->WriteSettings(&record), kResOk);
        state.toolRecords.push_back(StreamBytes(record));
    }
    state.colour = host.colour;
    state.currentTool = host.currentTool ? host.currentTool->GetToolId() : 0;
    state.tracing = {canvas.GetTracingVisible(), canvas.GetTraceColourPick(), canvas.GetTracingMode(),
                     uint32_t(canvas.GetTracingOffset().x), uint32_t(canvas.GetTracingOffset().y)};
    state.tracingFloats = {canvas.GetTracingOpacity(), canvas.GetTracingScale(), canvas.GetTracingValueB()};
    state.tracingImage = PixelBytes(canvas.GetTracingImage());
    for (int32_t i = 0; i < host.colourList.GetCount(); ++i)
        state.colourList.push_back(host.colourList.GetEntry(i));
    return state;
}

// Cells of every kind a plane meets: runs, literals and bare paper. Paint has some coverage: the
// colours of runs without coverage come back as the run's first (a test of its own).
inline void PaintPattern(CLayer& layer, uint32_t seed)
{
    std::mt19937 random(seed);
    CPaintCellNav nav(layer.GetCellMap());
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        PaintCell* row = nav.Cells(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x) {
            PaintCell& cell = row[x];
            if ((x / 5 + y / 3 + int32_t(seed)) % 3 == 0) {
                cell = PaintCell{};
                continue;
            }
            const bool stripe = (x / 4) % 2 == 0;
            cell.colour = stripe ? 0xFF203040u + seed : uint32_t(random()) | 0x01000000u;
            cell.thickness = uint16_t(stripe ? 300 : random() % 4000);
            cell.wetness = uint16_t(stripe ? 65535 : random());
            cell.shine = uint8_t(stripe ? 250 : random());
            cell.extra = uint8_t(random() % 3);
        }
    }
}

inline std::unique_ptr<CImage8> GreyImage(int32_t width, int32_t height, uint8_t base)
{
    auto image = std::make_unique<CImage8>(width, height);
    CImNav8 nav(image.get());
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            nav.Bytes(y)[x] = uint8_t(base + 7 * x + 13 * y);
    return image;
}

inline std::unique_ptr<CImage> ColourImage(int32_t width, int32_t height, uint32_t base)
{
    auto image = std::make_unique<CImage>(width, height);
    CImNav nav(image.get());
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            nav.Pixels(y)[x] = base + uint32_t(x * 0x010203 + y * 0x030201);
    return image;
}

// The chunks of a project file after its first lines and version: tag and where the payload is.
struct FileChunk {
    uint32_t tag = 0;
    size_t start = 0;
    size_t length = 0;
};

inline std::vector<FileChunk> ChunksOf(const std::string& file)
{
    std::vector<FileChunk> chunks;
    size_t at = file.find("\r\n", file.find("\r\n") + 2) + 2 + 4;
    while (at + 12 <= file.size()) {
        FileChunk chunk;
        std::memcpy(&chunk.tag, file.data() + at, 4);
        uint64_t length = 0;
        std::memcpy(&length, file.data() + at + 4, 8);
        chunk.start = at + 12;
        chunk.length = size_t(length);
        chunks.push_back(chunk);
        at = chunk.start + chunk.length;
    }
    return chunks;
}

inline int CountChunks(const std::string& file, uint32_t tag)
{
    int n = 0;
    for (const FileChunk& chunk : ChunksOf(file))
        n += chunk.tag == tag ? 1 : 0;
    return n;
}

// A headless platform, a project application, and a folder for the files, around each test.
class ProjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless));
        CLayer::SetViewImageSize({0, 0});
        CLayer::SetLayersChanged(0);
        application = std::make_unique<ProjectApplication>();
    }
    void TearDown() override
    {
        application.reset();
        CLayer::SetPaperGrainBuilder(nullptr);
        CLayer::SetLayersChanged(0);
        w32::StopPlatform();
    }

    tCFRef PathOf(const std::string& name) const { return tCFRef(tCString::FromAnsi(folder.File(name))); }

    // Saves under the name and answers the file's bytes.
    std::string Save(FakeProjectHost& host, const std::string& name)
    {
        tCFRef path = PathOf(name);
        EXPECT_EQ(SaveProject(host, path, tCString(u"Painting")), kResOk);
        return ReadWholeFile(folder.File(name));
    }

    tResult Open(FakeProjectHost& host, const std::string& name)
    {
        return OpenProject(host, PathOf(name), tCString(u"Opened"));
    }

    // Reads the bytes as a project file held in memory.
    tResult OpenBytes(FakeProjectHost& host, const std::string& bytes)
    {
        tCMemFile stream;
        Holding(stream, bytes);
        return ReadProject(host, stream, PathOf("memory.ptg"), tCString(u"Opened"));
    }

    // A painting with every setting away from its default. Its layers' grains: layer 0 the new
    // painting's, layer 1 one of its own, layer 2 none (it paints with layer 1's), layer 3 an
    // image of its own with layer 1's pixels.
    void Paint(FakeProjectHost& host, int32_t width, int32_t height, int32_t layers, uint32_t seed = 0)
    {
        ASSERT_EQ(host.NewPainting(width, height), kResOk);
        CCanvas& canvas = host.canvas;
        for (int32_t i = 1; i < layers; ++i)
            ASSERT_EQ(canvas.InsertNewLayer(i), kResOk);
        for (int32_t i = 0; i < layers; ++i) {
            CLayer& layer = *canvas.GetLayer(i);
            PaintPattern(layer, seed + uint32_t(i));
            layer.SetPaperColour(0xFF102030u + uint32_t(i) + seed);
            layer.SetPaperShine(0.125f * float(i));
            layer.SetGrainDepth(0.25f + 0.125f * float(i));
            layer.SetPaperExtra(0.0625f * float(i));
            layer.SetGrainScale(0.75f);
            layer.SetPaperSpare(1.5f);
            layer.SetOpacity(0.25f * float(i + 1));
            layer.SetPaperOpacity(0.5f + 0.125f * float(i));
            layer.SetVisible(i == 2 ? 0 : 1);
            layer.SetPaperVisible(uint32_t(i % 2));
        }
        if (layers > 1)
            canvas.GetLayer(1)->SetGrainImage(GreyImage(5, 3, uint8_t(40 + seed)).release());
        if (layers > 3)
            canvas.GetLayer(3)->SetGrainImage(GreyImage(5, 3, uint8_t(40 + seed)).release());
        canvas.SetCurrentLayerIndex(layers - 1);
        canvas.SetSecondLayerIndex(layers / 2);
        canvas.SetTracingVisible(1);
        canvas.SetTraceColourPick(0);
        canvas.SetTracingMode(3);
        canvas.SetTracingOpacity(0.75f);
        canvas.SetTracingScale(0.375f);
        canvas.SetTracingValueB(2.5f);
        canvas.SetTracingOffset({-4, 9 + int32_t(seed)});
        ASSERT_EQ(canvas.SetTracingImage(ColourImage(7, 5, 0xFF000000u + seed).release()), kResOk);
        ASSERT_EQ(canvas.SetZoom(2.0f, 0), kResOk);
        canvas.SetRotation(0.25f);
        host.colour = 0x80ABCDEFu + seed;
        host.paintValue = 1.0f;
        host.Tool(0).size = 1.5f;
        host.Tool(0).strokeCount = 7 + seed;
        host.Tool(0).value = 99;
        host.Tool(1).value = 5 + seed;
        host.currentTool = &host.Tool(1);
        ASSERT_EQ(host.colourList.SetEntry(0, 0xFF00FF00u + seed), kResOk);
        ASSERT_EQ(host.colourList.SetEntry(2, 0x80FF0000u), kResOk);
        ASSERT_EQ(host.Render(), kResOk);
    }

    TempFolder folder;
    std::unique_ptr<ProjectApplication> application;
};
