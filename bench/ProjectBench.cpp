// Saving and opening a project of four 4096 x 3072 layers, each on a paper grain of its own and
// under a tracing image of the painting's size, in MB/s of cells, beside zlib's fastest
// compression (gzip -1) of the same cells in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/RunBenchmarks.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CColourList.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/EngineResources.h"
#include "paint/engine/IProjectHost.h"
#include "paint/engine/ProjectFile.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCStringTable.h"

namespace {

constexpr int32_t kWidth = 4096;
constexpr int32_t kHeight = 3072;
constexpr int32_t kLayers = 4;
constexpr int32_t kGrainSide = 1024;
constexpr int32_t kThumbnailWidth = 80;
constexpr int32_t kThumbnailHeight = 60;
constexpr double kCellBytes = double(kWidth) * kHeight * kLayers * kPaintCellBytes;

// An application whose string table names the product, as the creator line needs it.
class BenchApplication {
public:
    BenchApplication()
    {
        const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        const std::string name = "project-bench-" + std::to_string(getpid());
        m_folder = program / name;
        std::filesystem::create_directories(m_folder);
        Write("system.trf", tCMemFile());
        tCMemFile table;
        tCStringTable::WriteRecord(table, kStrProductName, 0, tCString(u"product"), tCString(u"Kostrel 2"));
        Write("system.tsf", table);
        m_application.SetResourceFolderName(tCString::FromAnsi(name));
        if (m_application.StartUp() != kResOk)
            std::abort();
    }
    ~BenchApplication() { std::filesystem::remove_all(m_folder); }

    std::string File(const char* name) const { return (m_folder / name).string(); }

private:
    void Write(const char* name, const tCMemFile& bytes)
    {
        FILE* file = std::fopen((m_folder / name).c_str(), "wb");
        if (!file)
            std::abort();
        std::fwrite(bytes.GetData(), 1, size_t(bytes.GetSize()), file);
        std::fclose(file);
    }

    CApp m_application;
    std::filesystem::path m_folder;
};

class BenchHost : public IProjectHost {
public:
    BenchHost() { canvas.Initialise(); }
    CCanvas* GetCanvas() override { return &canvas; }
    CProjectInfo& GetProject() override { return project; }
    uint32_t GetPaintColour() override { return 0xFF000000u; }
    void SetPaintColour(uint32_t) override {}
    float GetPaintValue() override { return 0.0f; }
    int32_t GetToolCount() override { return 0; }
    ICanvasTool* GetTool(int32_t) override { return nullptr; }
    ICanvasTool* GetCurrentTool() override { return nullptr; }
    CColourList& GetColourList() override { return colours; }
    void SetOpeningBusy(uint32_t) override {}
    void SetProjectVersion(uint32_t) override {}
    tResult SendMessage(uint32_t message, tMsgArg b) override
    {
        return message == kMsgNewProject ? canvas.SetUpProject(FromMsgArg<CProjectInfo>(b)) : kResOk;
    }

    CCanvas canvas;
    CProjectInfo project;
    CColourList colours;
};

// A painting as strokes leave it: bare paper, long runs of one paint, and rows of mixed paint.
void PaintLayer(CLayer& layer, uint32_t seed)
{
    std::mt19937 random(seed);
    CPaintCellNav nav(layer.GetCellMap());
    for (int32_t y = 0; y < kHeight; ++y) {
        PaintCell* row = nav.Cells(y);
        const int32_t band = (y / 97 + int32_t(seed)) % 4;
        for (int32_t x = 0; x < kWidth;) {
            const int32_t length = band == 3 ? 1 : int32_t(random() % 120) + 1;
            const uint32_t colour = 0xFF000000u | uint32_t(random());
            for (int32_t i = 0; i < length && x < kWidth; ++i, ++x) {
                if (band == 0)
                    row[x] = PaintCell{};
                else
                    row[x] = {colour, uint16_t(200 + band * 40), 65535, 250, uint8_t(band)};
            }
        }
    }
}

// A paper grain of its own for each seed: grey noise, as scanned paper is.
CImage8* MakeGrain(uint32_t seed)
{
    auto* grain = new CImage8(kGrainSide, kGrainSide);
    std::mt19937 random(seed);
    CImNav8 nav(grain);
    for (int32_t y = 0; y < kGrainSide; ++y)
        for (int32_t x = 0; x < kGrainSide; ++x)
            nav.Bytes(y)[x] = uint8_t(96 + random() % 64);
    return grain;
}

// A photograph's smooth shading, to trace over.
CImage* MakeTracingImage()
{
    auto* image = new CImage(kWidth, kHeight);
    CImNav nav(image);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            nav.Pixels(y)[x] = 0xFF000000u | uint32_t(x * 255 / kWidth) << 16 | uint32_t(y * 255 / kHeight) << 8 | 0x60;
    return image;
}

struct Painting {
    BenchApplication application;
    BenchHost host;
    std::string file = application.File("bench.ptg");

    Painting()
    {
        // Every layer draws its cells into the navigation pane's thumbnail, as in the program.
        CLayer::SetViewImageSize({kThumbnailWidth, kThumbnailHeight});
        CProjectInfo info(kWidth, kHeight, tCString(u"Bench"), tCString(), nullptr);
        if (host.SendMessage(kMsgNewProject, ToMsgArg(&info)) != kResOk)
            std::abort();
        for (int32_t i = 1; i < kLayers; ++i)
            host.canvas.InsertNewLayer(i);
        for (int32_t i = 0; i < kLayers; ++i) {
            PaintLayer(*host.canvas.GetLayer(i), uint32_t(i));
            host.canvas.GetLayer(i)->SetGrainImage(MakeGrain(uint32_t(i)));
        }
        if (host.canvas.SetTracingImage(MakeTracingImage()) != kResOk)
            std::abort();
    }
};

Painting& SharedPainting()
{
    static Painting painting;
    return painting;
}

void BM_SaveProject(benchmark::State& state)
{
    Painting& painting = SharedPainting();
    tCFRef path(tCString::FromAnsi(painting.file));
    for (auto _ : state)
        if (SaveProject(painting.host, path, tCString(u"Bench")) != kResOk)
            state.SkipWithError("the save failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kCellBytes));
    state.counters["file/cells"] = double(std::filesystem::file_size(painting.file)) / kCellBytes;
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_OpenProject(benchmark::State& state)
{
    Painting& painting = SharedPainting();
    tCFRef path(tCString::FromAnsi(painting.file));
    if (SaveProject(painting.host, path, tCString(u"Bench")) != kResOk)
        state.SkipWithError("the save failed");
    BenchHost opened;
    for (auto _ : state)
        if (OpenProject(opened, path, tCString(u"Bench")) != kResOk)
            state.SkipWithError("the open failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kCellBytes));
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// gzip -1 of the cells of the four layers, one layer's block at a time.
void BM_GzipFastestCells(benchmark::State& state)
{
    Painting& painting = SharedPainting();
    const uLong layerBytes = uLong(kWidth) * kHeight * kPaintCellBytes;
    std::vector<Bytef> out(compressBound(layerBytes));
    double packed = 0;
    for (auto _ : state) {
        packed = 0;
        for (int32_t i = 0; i < kLayers; ++i) {
            CPaintCellNav nav(painting.host.canvas.GetLayer(i)->GetCellMap());
            uLongf size = uLongf(out.size());
            if (compress2(out.data(), &size, nav.Row(0), layerBytes, 1) != Z_OK)
                state.SkipWithError("compress2 failed");
            packed += double(size);
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kCellBytes));
    state.counters["packed/cells"] = packed / kCellBytes;
}
BENCHMARK(BM_GzipFastestCells)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
