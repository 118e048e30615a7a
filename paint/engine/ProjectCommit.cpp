#include <string>
#include <utility>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ICanvasTool.h"
#include "paint/engine/IProjectHost.h"
#include "paint/engine/PaintingMemory.h"
#include "paint/engine/ProjectFile.h"
#include "paint/engine/ProjectReading.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCString.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"

// An opened project takes the painting's place only once the whole file was read. From the new
// painting on the painting is the file's: a value whose message is refused then stays as the new
// painting has it, and the open goes on.

StagedProject::~StagedProject()
{
    for (CLayer* layer : layers)
        delete layer;
    for (StagedGrain& grain : grains)
        delete grain.image;
}

namespace {

// A record that does not read leaves the tool as it was: its settings are written first and
// read back.
void ApplyToolRecord(tCStream& stream, const StagedToolRecord& record)
{
    ICanvasTool& tool = *record.tool;
    tCMemFile before;
    if (tool.WriteSettings(&before) != kResOk)
        return;
    if (stream.SetPosition(record.start) == kResOk && tool.ReadSettings(&stream, record.end) == kResOk) {
        tool.Invalidate();
        return;
    }
    if (before.Rewind() == kResOk)
        (void)tool.ReadSettings(&before, before.GetSize());
}

// The new painting makes a layer of the header's size, which a file without layers asks for all
// the same. It also drops the painting's tracing image and tells the panes so: the file's own, if
// it holds one, comes later.
tResult MakeNewPainting(ProjectReading& reading, const tCFPath& path, const tCString& name)
{
    CProjectInfo project(reading.staged.width, reading.staged.height, name, tCString(), nullptr);
    project.file = path;
    reading.host.SetOpeningBusy(1);
    const tResult made = reading.host.SendMessage(kMsgNewProject, ToMsgArg(&project));
    reading.host.SetOpeningBusy(0);
    return made;
}

uint64_t SaturatedAdd(uint64_t a, uint64_t b)
{
    uint64_t sum;
    return __builtin_add_overflow(a, b, &sum) ? UINT64_MAX : sum;
}

// The file's layers hold their cells and, unless the view-image size changed since they were
// read, their view images. The new painting's own layer is made before they replace it. The
// file's images are all still to be decoded, the grains into one byte a pixel.
PaintingAllocation StillToMake(StagedProject& staged)
{
    const tCPoint view = CLayer::GetViewImageSize();
    int32_t viewImages = 1;
    for (CLayer* layer : staged.layers)
        if (layer->GetImage().GetWidth() != view.x || layer->GetImage().GetHeight() != view.y)
            ++viewImages;
    uint64_t imageBytes = staged.tracingImage ? staged.tracingImage->GetMeasure().DecodeBytes(4) : 0;
    for (const StagedGrain& grain : staged.grains)
        imageBytes = SaturatedAdd(imageBytes, grain.image->GetMeasure().DecodeBytes(1));
    return {staged.width, staged.height, 1, viewImages, imageBytes};
}

// The file's images, decoded once the whole painting was found to fit with them and before the
// painting shown goes, each file image let go once decoded. An image that does not decode is
// passed over, as if the file had none, and noted. The layers' view images, drawn as they were
// read, show no grain: they stay as they are.
tResult DecodeImages(StagedProject& staged, std::unique_ptr<CImage>* tracing)
{
    if (staged.tracingImage) {
        TK_TRY(staged.tracingImage->DecodeNew(tracing));
        staged.tracingImage.reset();
        staged.passedOver.tracingImage = !*tracing;
    }
    for (StagedGrain& grain : staged.grains) {
        std::unique_ptr<CImage8> image;
        TK_TRY(grain.image->DecodeNew(&image));
        delete grain.image;
        grain.image = nullptr;
        if (image)
            staged.layers[grain.layer]->SetGrainImage(image.release());
        else
            ++staged.passedOver.grains;
    }
    return kResOk;
}

tResult ApplyLayers(CCanvas& canvas, StagedProject& staged)
{
    if (!staged.layers.IsEmpty())
        TK_TRY(canvas.TakeLayers(staged.layers));
    if (staged.currentLayer)
        canvas.SetCurrentLayerIndex(*staged.currentLayer);
    if (staged.secondLayer)
        canvas.SetSecondLayerIndex(*staged.secondLayer);
    return kResOk;
}

// The earlier format's one layer: paper settings and the cells of its images.
void ApplyEarlierLayer(CCanvas& canvas, StagedProject& staged)
{
    CLayer* layer = canvas.GetLayer(canvas.GetCurrentLayerIndex());
    if (!layer)
        return;
    if (staged.paperColour)
        layer->SetPaperColour(*staged.paperColour);
    if (staged.grainDepth)
        layer->SetGrainDepth(*staged.grainDepth);
    if (staged.paperShine)
        layer->SetPaperShine(*staged.paperShine);
    if (staged.cells.IsValid() && staged.cells.GetWidth() == layer->GetWidth() &&
        staged.cells.GetHeight() == layer->GetHeight()) {
        layer->GetCellMap().TakeCellsFrom(staged.cells);
        (void)layer->RedrawImage();
        canvas.MarkAllDirty();
    }
}

void ApplyTools(ProjectReading& reading)
{
    IProjectHost& host = reading.host;
    StagedProject& staged = reading.staged;
    for (const StagedToolRecord& record : staged.toolRecords)
        ApplyToolRecord(reading.stream, record);
    if (staged.colour)
        host.SetPaintColour(*staged.colour);
    // A tool this program does not have is not picked: the current tool stays and takes the
    // earlier format's size. The tool the file names takes it before it is picked, since the
    // pick shows the tool's size to the interface.
    ICanvasTool* named = staged.toolId ? FindProjectTool(host, *staged.toolId) : nullptr;
    ICanvasTool* tool = named ? named : host.GetCurrentTool();
    if (tool && staged.toolSize)
        tool->SetSize(*staged.toolSize);
    if (tool && staged.strokeCount)
        (void)tool->SetStrokeCount(*staged.strokeCount);
    if (named)
        (void)host.SendMessage(kMsgPickTool, tMsgArg(*staged.toolId));
}

template <typename T>
void SendPointed(IProjectHost& host, uint32_t message, std::optional<T>& value)
{
    if (value)
        (void)host.SendMessage(message, ToMsgArg(&*value));
}

void ApplyTracing(IProjectHost& host, StagedProject& staged, std::unique_ptr<CImage> image)
{
    if (staged.tracingVisible)
        (void)host.SendMessage(kMsgTracingVisible, tMsgArg(*staged.tracingVisible));
    SendPointed(host, kMsgTraceColourPick, staged.traceColourPick);
    SendPointed(host, kMsgTracingMode, staged.tracingMode);
    SendPointed(host, kMsgTracingOpacity, staged.tracingOpacity);
    SendPointed(host, kMsgTracingScale, staged.tracingScale);
    SendPointed(host, kMsgTracingValueB, staged.tracingValueB);
    SendPointed(host, kMsgTracingOffset, staged.tracingOffset);
    // The receiver takes the image over.
    if (image)
        (void)host.SendMessage(kMsgTracingImage, ToMsgArg(image.release()));
}

}  // namespace

std::string PassedOverText(const PassedOverImages& passedOver)
{
    if (!passedOver.Any())
        return {};
    std::string what;
    if (passedOver.tracingImage)
        what = "The tracing image";
    if (passedOver.tracingImage && passedOver.grains > 0)
        what += " and ";
    if (passedOver.grains == 1)
        what += passedOver.tracingImage ? "a layer's paper grain" : "A layer's paper grain";
    else if (passedOver.grains > 1)
        what += (passedOver.tracingImage ? "the paper grains of " : "The paper grains of ") +
                std::to_string(passedOver.grains) + " layers";
    const bool one = passedOver.grains + (passedOver.tracingImage ? 1 : 0) == 1;
    return what + " could not be read: the painting opened without " + (one ? "it." : "them.");
}

ICanvasTool* FindProjectTool(IProjectHost& host, uint32_t id)
{
    for (int32_t i = 0; i < host.GetToolCount(); ++i)
        if (ICanvasTool* tool = host.GetTool(i); tool && tool->GetToolId() == id)
            return tool;
    return nullptr;
}

tResult CommitProject(ProjectReading& reading, ProjectFormat format, const tCFPath& path, const tCString& name)
{
    IProjectHost& host = reading.host;
    StagedProject& staged = reading.staged;
    CCanvas& canvas = *host.GetCanvas();
    TK_TRY(CheckPaintingMemory(StillToMake(staged)));
    std::unique_ptr<CImage> tracing;
    TK_TRY(DecodeImages(staged, &tracing));
    TK_TRY(MakeNewPainting(reading, path, name));
    if (format == ProjectFormat::kCurrent) {
        if (const tResult taken = ApplyLayers(canvas, staged); taken != kResOk) {
            // The blank painting left is not the file's: a save asks where to go.
            host.GetProject().file.Clear();
            return taken;
        }
    } else
        ApplyEarlierLayer(canvas, staged);
    ApplyTools(reading);
    ApplyTracing(host, staged, std::move(tracing));
    if (staged.colourList)
        host.GetColourList() = std::move(*staged.colourList);
    host.SetProjectVersion(staged.version);

    if (format == ProjectFormat::kCurrent)
        (void)host.SendMessage(kMsgFitToView, 0);
    (void)host.SendMessage(kMsgPaintColourChanged, tMsgArg(host.GetPaintColour()));
    const tResult told = host.SendMessage(kMsgLayersChanged, 0);
    return format == ProjectFormat::kCurrent ? kResOk : told;
}
