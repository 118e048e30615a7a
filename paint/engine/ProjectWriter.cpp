#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CColourList.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/EngineResources.h"
#include "paint/engine/ICanvasTool.h"
#include "paint/engine/IProjectHost.h"
#include "paint/engine/LayerRecordTags.h"
#include "paint/engine/ProjectFile.h"
#include "paint/engine/ProjectFileTags.h"
#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/core/FileDialogs.h"
#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageCodecs.h"
#include "toolkit/imaging/PixelScale.h"

namespace {

// The preview, the tools' settings and the colour list count one step each.
constexpr int32_t kFixedSaveSteps = 3;

tResult AddStep(tCProgress* progress) { return progress ? progress->AddDone(1) : kResOk; }

tResult WriteNarrowLine(tCStream& stream, std::string_view text)
{
    TK_TRY(stream.WriteBytes(text.data(), int64_t(text.size())));
    return stream.WriteBytes("\r\n", 2);
}

// The name ends in a NUL, so that a reader that takes it as a text stops before the size.
tResult WriteHeader(tCStream& stream, const tCString& name, const CCanvas& canvas)
{
    tCMemFile payload;
    for (char16_t unit : name.View())
        TK_TRY(payload.WriteU16(unit));
    TK_TRY(payload.WriteU16(0));
    TK_TRY(payload.WriteI32(canvas.GetWidth()));
    TK_TRY(payload.WriteI32(canvas.GetHeight()));
    return WriteChunkBytes(&stream, kTagProjectHeader, payload.GetData(), payload.GetSize());
}

// The composite scaled by s = max(width, height) / 200, but never enlarged. A preview that cannot
// be made is left out: the painting matters, not its picture.
tResult WritePreview(tCStream& stream, CCanvas& canvas)
{
    CImage* composite = canvas.GetComposite();
    if (!composite || !composite->IsValid())
        return kResOk;
    const double width = composite->GetWidth();
    const double height = composite->GetHeight();
    const double scale = std::max({width / kPreviewSide, height / kPreviewSide, 1.0});
    CImage preview(int32_t(std::lround(width / scale)), int32_t(std::lround(height / scale)));
    tCMemFile png;
    if (!preview.IsValid() || ScaleImageToImage(&preview, composite, 1) != kResOk ||
        EncodeImageStream(&png, &preview, kImageFormatPng) != kResOk)
        return kResOk;
    return WriteChunkBytes(&stream, kTagProjectPreview, png.GetData(), png.GetSize());
}

tResult WriteToolSettings(tCStream& stream, IProjectHost& host)
{
    for (int32_t i = 0; i < host.GetToolCount(); ++i) {
        ICanvasTool* tool = host.GetTool(i);
        if (!tool)
            continue;
        tCMemFile record;
        TK_TRY(tool->WriteSettings(&record));
        TK_TRY(WriteChunkBytes(&stream, kTagToolSettings, record.GetData(), record.GetSize()));
    }
    return kResOk;
}

tResult WriteView(tCStream& stream, const CCanvas& canvas)
{
    const int32_t topLeft[2] = {canvas.GetViewRect().left, canvas.GetViewRect().top};
    TK_TRY(WriteChunkFloat(&stream, kTagViewZoom, canvas.GetZoom()));
    TK_TRY(WriteChunkFloat(&stream, kTagViewRotation, canvas.GetRotation()));
    return WriteChunkI32Pair(&stream, kTagViewTopLeft, topLeft);
}

// The same grain: one image, or two of one size with the same pixels.
bool SameGrain(CImage8* first, CImage8* second)
{
    if (first == second)
        return true;
    if (!first || !second || first->GetWidth() != second->GetWidth() || first->GetHeight() != second->GetHeight())
        return false;
    const CImNav8 a(first);
    const CImNav8 b(second);
    if (!a.IsLocked() || !b.IsLocked())
        return false;
    for (int32_t y = 0; y < a.GetHeight(); ++y)
        if (std::memcmp(a.Bytes(y), b.Bytes(y), size_t(a.GetWidth())) != 0)
            return false;
    return true;
}

// A layer whose grain is the one it finds below it anyway is written without one: a reader
// gives a layer without grain the grain of the layers below.
tResult WriteLayers(tCStream& stream, CCanvas& canvas, tCProgress* progress)
{
    for (int32_t i = 0; i < canvas.GetLayerCount(); ++i) {
        CLayer* layer = canvas.GetLayer(i);
        const bool ownGrain = i == 0 || !SameGrain(layer->GetGrainImage(), canvas.GetGrainImageFor(i - 1));
        TK_TRY(layer->WriteRecord(&stream, progress, ownGrain ? 1 : 0));
    }
    TK_TRY(WriteChunkI32(&stream, kTagCurrentLayer, canvas.GetCurrentLayerIndex()));
    return WriteChunkI32(&stream, kTagSecondLayer, canvas.GetSecondLayerIndex());
}

tResult WriteTracing(tCStream& stream, CCanvas& canvas, tCProgress* progress)
{
    const tCPoint offset = canvas.GetTracingOffset();
    const int32_t pair[2] = {offset.x, offset.y};
    TK_TRY(WriteChunkI32(&stream, kTagTracingVisible, int32_t(canvas.GetTracingVisible())));
    TK_TRY(WriteChunkI32(&stream, kTagTraceColourPick, int32_t(canvas.GetTraceColourPick())));
    TK_TRY(WriteChunkI32(&stream, kTagTracingMode, int32_t(canvas.GetTracingMode())));
    TK_TRY(WriteChunkFloat(&stream, kTagTracingOpacity, canvas.GetTracingOpacity()));
    TK_TRY(WriteChunkFloat(&stream, kTagTracingScale, canvas.GetTracingScale()));
    TK_TRY(WriteChunkFloat(&stream, kTagTracingValueB, canvas.GetTracingValueB()));
    TK_TRY(WriteChunkI32Pair(&stream, kTagTracingOffset, pair));
    CImage* image = canvas.GetTracingImage();
    if (!image)
        return kResOk;
    // Encoded straight into the file: no copy of the image is held beside it.
    int64_t head;
    TK_TRY(BeginChunk(&stream, kTagTracingImage, &head));
    TK_TRY(EncodeImageStream(&stream, image, kImageFormatPng));
    TK_TRY(EndChunk(&stream, head));
    return AddStep(progress);
}

}  // namespace

int32_t ProjectSaveSteps(CCanvas& canvas)
{
    return kFixedSaveSteps + kLayerRecordProgressUnits * canvas.GetLayerCount() + (canvas.GetTracingImage() ? 1 : 0);
}

tResult WriteProject(IProjectHost& host, tCStream& stream, const tCString& name, tCProgress* progress)
{
    CCanvas* canvas = host.GetCanvas();
    if (!canvas)
        return kResBadParam;
    tCString product;
    if (!GetEngineText(kStrProductName, product))
        return kResCreateFailed;
    TK_TRY(WriteNarrowLine(stream, kProjectBanner));
    TK_TRY(WriteNarrowLine(stream, product.ToAnsi()));
    TK_TRY(stream.WriteU32(kProjectVersion));
    TK_TRY(WriteHeader(stream, name, *canvas));
    TK_TRY(WritePreview(stream, *canvas));
    TK_TRY(AddStep(progress));
    TK_TRY(WriteToolSettings(stream, host));
    TK_TRY(AddStep(progress));
    TK_TRY(WriteChunkU32(&stream, kTagPaintColour, host.GetPaintColour()));
    TK_TRY(WriteChunkFloat(&stream, kTagPaintValue, host.GetPaintValue()));
    if (ICanvasTool* tool = host.GetCurrentTool())
        TK_TRY(WriteChunkI32(&stream, kTagCurrentTool, int32_t(tool->GetToolId())));
    TK_TRY(WriteView(stream, *canvas));
    TK_TRY(WriteLayers(stream, *canvas, progress));
    TK_TRY(WriteTracing(stream, *canvas, progress));
    TK_TRY(host.GetColourList().Write(&stream));
    return AddStep(progress);
}

tResult SaveProject(IProjectHost& host, tCFPath& path, const tCString& name)
{
    CCanvas* canvas = host.GetCanvas();
    if (!canvas)
        return kResOk;
    // The reader refuses a painting of a size outside 1..32000: such a file is not written.
    if (canvas->GetWidth() < 1 || canvas->GetHeight() < 1 || canvas->GetWidth() > kMaxCanvasSide ||
        canvas->GetHeight() > kMaxCanvasSide)
        return kResBadParam;
    CSafeFileWriter writer;
    TK_TRY(OpenFileForSafeSave(&writer, path, nullptr));
    tCProgress progress(ProjectSaveSteps(*canvas), GetEngineTextOrEmpty(kStrSavingProject), 0);
    TK_TRY(WriteProject(host, writer.GetFile(), name, &progress));
    TK_TRY(writer.Commit());
    CProjectInfo& project = host.GetProject();
    project.name = tCString(name.GetTextOrEmpty());
    project.file = path;
    return kResOk;
}
