#include "bench/StrokeReplay.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>

#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/ImageToCells.h"
#include "paint/engine/PressureCurves.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/ToolFactory.h"
#include "paint/tools/ToolMessages.h"
#include "platform/Kernel.h"
#include "platform/KernelClock.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/ImageCodecs.h"
#include "toolkit/imaging/ValueNoise.h"
#include "toolkit/widgets/CRegion.h"

namespace {

constexpr int32_t kGrainSide = 128;
constexpr uint32_t kGrainSeed = 0x5EED;

// A paper grain of fractal value noise around the middle grey, blended across its borders so
// that it tiles without seams.
CImage8* MakePaperGrain()
{
    auto* grain = new CImage8(kGrainSide, kGrainSide);
    CImNav8 nav(grain);
    const auto noise = [](int32_t x, int32_t y) { return double(FractalValueNoise(&kGrainSeed, x << 13, y << 13)); };
    for (int32_t y = 0; y < kGrainSide; ++y)
        for (int32_t x = 0; x < kGrainSide; ++x) {
            const double fx = double(x) / kGrainSide, fy = double(y) / kGrainSide;
            const int32_t wx = x - kGrainSide, wy = y - kGrainSide;
            const double n = noise(x, y) * (1 - fx) * (1 - fy) + noise(wx, y) * fx * (1 - fy) +
                             noise(x, wy) * (1 - fx) * fy + noise(wx, wy) * fx * fy;
            nav.Bytes(y)[x] = uint8_t(std::clamp(128.0 + (n - 33700.0) / 600.0, 0.0, 255.0));
        }
    return grain;
}

// Diagonal bands: wet red paint, dry blue paint and bare paper in turn.
void PaintBackground(CPaintCellMap& map)
{
    CPaintCellNav nav(map);
    for (int32_t y = 0; y < nav.GetHeight(); ++y) {
        PaintCell* row = nav.Cells(y);
        for (int32_t x = 0; x < nav.GetWidth(); ++x) {
            const int32_t band = ((x + y) / 24) % 3;
            if (band == 0)
                row[x] = {0xFFB02818u, 400, 65535, 120, 30};
            else if (band == 1)
                row[x] = {0xC0183CA0u, 150, 0, 40, 200};
        }
    }
}

constexpr int32_t kPictureSide = 512;
constexpr int32_t kPatchShift = 5;
constexpr uint32_t kPictureSeed = 0xC0105;
// Imported pictures become paint at least this thick.
constexpr int32_t kImportThickness = 60;

}  // namespace

class CStrokeReplay::CRecordingCanvas : public CCanvas {
public:
    explicit CRecordingCanvas(std::vector<tCRect>* rects) : m_rects(rects) {}

    tResult UpdateRect(const tCRect& inclusiveCells, uint32_t present) override
    {
        m_rects->push_back(inclusiveCells);
        return CCanvas::UpdateRect(inclusiveCells, present);
    }

private:
    std::vector<tCRect>* m_rects;
};

std::unique_ptr<CImage> MakeReplayPicture()
{
    auto picture = std::make_unique<CImage>(kPictureSide, kPictureSide);
    CImNav nav(picture.get());
    for (int32_t y = 0; y < kPictureSide; ++y) {
        CPixel* row = nav.Pixels(y);
        for (int32_t x = 0; x < kPictureSide; ++x) {
            const uint32_t a = LatticeHash(kPictureSeed, x >> kPatchShift, y >> kPatchShift);
            const uint32_t b = LatticeHash(kPictureSeed + 1, x >> kPatchShift, y >> kPatchShift);
            const uint32_t shade = 128 + uint32_t((x + y) & 255) / 2;
            const uint32_t red = ((a & 255) * shade) >> 8, green = ((a >> 8) * shade) >> 8,
                           blue = ((b & 255) * shade) >> 8;
            row[x] = 0xFF000000u | red << 16 | green << 8 | blue;
        }
    }
    return picture;
}

std::unique_ptr<CToolBase> MakeReplayTool(uint32_t id)
{
    std::unique_ptr<CToolBase> tool = MakeToolById(id);
    if (tool)
        tool->Invalidate();
    return tool;
}

CStrokeReplay::CStrokeReplay(const ReplayOptions& options, std::unique_ptr<CToolBase> tool)
    : m_options(options), m_tool(tool ? std::move(tool) : MakeReplayTool(options.toolId))
{
}

CStrokeReplay::~CStrokeReplay() = default;

CCanvas& CStrokeReplay::GetCanvas() { return *m_canvas; }

CPaintCellMap& CStrokeReplay::GetCells() { return m_canvas->GetLayer(0)->GetCellMap(); }

CStandardRenderer* CStrokeReplay::GetRenderer() { return m_options.render ? &m_renderer : nullptr; }

tResult CStrokeReplay::SetUp()
{
    if (!m_tool)
        return kResCreateFailed;
    PrepareTool();
    m_canvas = std::make_unique<CRecordingCanvas>(&m_updatedRects);
    m_canvas->SetHost(this);
    m_canvas->SetCurrentTool(m_tool.get());
    TK_TRY(m_canvas->Initialise());
    TK_TRY(m_canvas->SetCanvasSize(m_options.width, m_options.height));
    TK_TRY(m_canvas->SetZoom(1.0f, 0));
    TK_TRY(m_canvas->InsertNewLayer(0));
    m_canvas->GetLayer(0)->SetGrainImage(MakePaperGrain());
    if (m_options.background)
        PaintBackground(GetCells());
    if (m_options.wetPicture) {
        const std::unique_ptr<CImage> picture = MakeReplayPicture();
        CImNav source(picture.get());
        CPaintCellNav cells(GetCells());
        TK_TRY(TileImageToCellColours(cells, source, 0));
        cells.Detach();
        TK_TRY(m_canvas->GetLayer(0)->ConvertToPaint(kImportThickness));
    }
    TK_TRY(m_renderer.ResetLights());
    return m_undo.Initialise(m_options.width, m_options.height);
}

void CStrokeReplay::PrepareTool()
{
    m_tool->SetShellServices(this);
    m_tool->SetSize(m_options.toolSize);
}

tResult CStrokeReplay::ReplaceTool(std::unique_ptr<CToolBase> tool)
{
    if (!tool || !m_canvas)
        return kResCreateFailed;
    m_canvas->SetCurrentTool(tool.get());
    m_tool = std::move(tool);
    PrepareTool();
    return kResOk;
}

CPenSample CStrokeReplay::PenAt(const tRecordedSample& sample, float pressure)
{
    CPenSample pen;
    pen.x = float(sample.x * m_options.scale);
    pen.y = float(sample.y * m_options.scale);
    pen.pressure = pressure;
    pen.tiltA = float(sample.tiltA);
    pen.tiltB = float(sample.tiltB);
    pen.pen = 1;
    return pen;
}

void CStrokeReplay::AdvanceClockTo(double milliseconds)
{
    const uint32_t target = m_clockBase + uint32_t(std::max(milliseconds, 0.0));
    const uint32_t now = w32::timeGetTime();
    if (int32_t(target - now) > 0)
        w32::kernel::AdvanceVirtualClock(target - now);
}

void CStrokeReplay::NoteSample(const CPenSample& sample, const CPenSample* previous)
{
    const int32_t x = int32_t(std::floor(sample.x)), y = int32_t(std::floor(sample.y));
    if (m_sampleBox.right < m_sampleBox.left)
        m_sampleBox = {x, y, x, y};
    m_sampleBox = {std::min(m_sampleBox.left, x), std::min(m_sampleBox.top, y), std::max(m_sampleBox.right, x),
                   std::max(m_sampleBox.bottom, y)};
    m_widestNib = std::max(m_widestNib, m_tool->GetNibWidth(std::min(sample.pressure, 1.0f)));
    if (previous)
        m_longestStep = std::max(m_longestStep, std::hypot(sample.x - previous->x, sample.y - previous->y));
}

tResult CStrokeReplay::Run(const std::vector<tRecordedSample>& samples, std::vector<double>* continueSeconds)
{
    m_clockBase = w32::timeGetTime();
    size_t i = 0;
    while (i < samples.size() && samples[i].milliseconds <= m_options.untilMs) {
        AdvanceClockTo(samples[i].milliseconds);
        if (samples[i].pressure > 0.0) {
            TK_TRY(Stroke(samples, &i, continueSeconds));
            continue;
        }
        TK_TRY(m_tool->UpdateNibDirection(*m_canvas, PenAt(samples[i], 0.0f)));
        ++i;
    }
    return kResOk;
}

// One stroke from samples[*next] (the pen-down) to the first sample without pressure (the
// release), or to the end of the samples taken.
tResult CStrokeReplay::Stroke(const std::vector<tRecordedSample>& samples, size_t* next,
                              std::vector<double>* continueSeconds)
{
    const uint32_t id = m_tool->GetToolId();
    CLayer& layer = *m_canvas->GetLayer(0);
    CPaintCellNav cells(layer.GetCellMap());
    CImNav8 grain(m_canvas->GetGrainImageFor(0));
    const StrokeContext context = MakeStrokeContext(&cells, &grain, layer);

    size_t i = *next;
    CPenSample pen = PenAt(samples[i], ToolPressureCurve(id, float(samples[i].pressure), 1));
    NoteSample(pen, nullptr);
    TK_TRY(m_canvas->BeginUndoStep());
    // The canvas input starts every pencil stroke on the same side.
    if (id == kToolPencil)
        m_tool->SetToolFlag(0);
    tResult result = m_tool->BeginStroke(*m_canvas, context, pen);
    float lastPressure = pen.pressure;
    for (++i; result == kResOk && i < samples.size() && samples[i].milliseconds <= m_options.untilMs; ++i) {
        AdvanceClockTo(samples[i].milliseconds);
        if (samples[i].pressure <= 0.0)
            break;
        const CPenSample previous = pen;
        pen = PenAt(samples[i], ToolPressureCurve(id, float(samples[i].pressure), 0));
        NoteSample(pen, &previous);
        lastPressure = pen.pressure;
        const auto start = std::chrono::steady_clock::now();
        result = m_tool->ContinueStroke(*m_canvas, context, pen, 1);
        if (continueSeconds)
            continueSeconds->push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    if (result == kResOk) {
        const CPenSample previous = pen;
        if (i < samples.size())
            pen = PenAt(samples[i], lastPressure);
        pen.pressure = lastPressure;
        NoteSample(pen, &previous);
        result = m_tool->EndStroke(*m_canvas, context, pen);
    }
    const tResult ended = m_canvas->EndUndoStep();
    *next = i < samples.size() ? i + 1 : i;
    ++m_strokes;
    TK_TRY(result);
    TK_TRY(ended);
    if (m_tool->GetCleanBrush())
        m_tool->OnMessage(kMsgColourChanged, 0, m_options.paintColour, 0, kMsgApply);
    return kResOk;
}

tResult CStrokeReplay::UndoAll(int32_t* steps)
{
    *steps = 0;
    for (;;) {
        UndoStepHeader header;
        tCStream* stream = nullptr;
        const tResult read = m_undo.ReadStep(&header, &stream, true);
        if (read == kResHandled)
            return kResOk;
        TK_TRY(read);
        CRegion region;
        TK_TRY(m_undo.ApplyTileStep(&region, GetCells(), true));
        ++*steps;
    }
}

tResult CStrokeReplay::WritePng(const std::string& path)
{
    TK_TRY(m_renderer.RenderLayers(m_canvas->GetComposite(), m_canvas.get(), 1, -1));
    tCMemFile png;
    TK_TRY(EncodeImageStream(&png, m_canvas->GetComposite(), kImageFormatPng));
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(png.GetData()), png.GetSize());
    return file.good() ? kResOk : kResFileIO;
}
