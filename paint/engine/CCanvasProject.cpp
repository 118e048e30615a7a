#include <memory>
#include <new>
#include <utility>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/CPaintingImageFile.h"
#include "paint/engine/CProjectInfo.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/EngineResources.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFRelative.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CWidget.h"

namespace {

// The paper folder beside the program, where a new painting also looks for its named texture.
constexpr char16_t kPaperFolder[] = u"Canvases:";

CImage8* LoadDefaultGrain() { return LoadResImage8(kImgDefaultGrain, nullptr, nullptr); }

// The grain of a new painting: the default grain for a paper without a name, else the named
// texture as the settings find it, else the file of that name in the paper folder. A texture
// that cannot be had, or whose header asks for more memory than is left, is no failure: the
// default grain serves (null when even that is missing).
CImage8* MakeGrain(const CCanvasInfo& info)
{
    if (info.paperName.IsEmpty())
        return LoadDefaultGrain();
    if (CImage8* grain = info.BuildPaperGrain())
        return grain;
    std::unique_ptr<CImage8> grain(new (std::nothrow) CImage8);
    CPaintingImageFile file;
    const tCFRelative path(tCString(kPaperFolder).Concat(info.paperName), 0);
    if (grain && file.Open(path) == kResOk && file.Decode(grain.get()) == kResOk)
        return grain.release();
    return LoadDefaultGrain();
}

void TakePaper(CLayer& layer, const CCanvasInfo& info)
{
    layer.SetPaperColour(info.paperColour);
    layer.SetPaperShine(info.paperShine);
    layer.SetPaperExtra(info.paperExtra);
    layer.SetGrainDepth(info.grainDepth);
    layer.SetGrainScale(info.grainScale);
    layer.SetPaperSpare(info.paperSpare);
    layer.SetPaperOpacity(float(info.paperOpacity / 255.0));
    layer.SetName(info.paperName);
    layer.SetGrainImage(MakeGrain(info));
}

}  // namespace

tResult CCanvas::SetUpProject(const CProjectInfo* project)
{
    if (!project)
        return kResBadParam;
    const CCanvasInfo defaults;
    const CCanvasInfo& info = project->canvasInfo ? *project->canvasInfo : defaults;
    const int32_t width = project->width;
    const int32_t height = project->height;

    // The new painting is made whole, its tracing image last, before the old one goes.
    SizedImages images;
    TK_TRY(MakeSizedImages(width, height, &images));
    std::unique_ptr<CLayer> layer(new (std::nothrow) CLayer);
    if (!layer)
        return kResNoMemory;
    TK_TRY(layer->SetSize(width, height));
    tCArray<CLayer*> layers;
    TK_TRY(layers.Add(layer.get()));
    TakePaper(*layer, info);
    if (GetId() == 0)
        TK_TRY(AskForTracingImage(*project));
    layer.release();

    PlaceNewPainting(width, height);
    for (CLayer* old : m_layers)
        delete old;
    m_layers = std::move(layers);
    m_currentLayer = 0;
    m_secondLayer = 0;
    TakeSizedImages(width, height, &images);

    if (GetId() == 0 && !project->tracingPath.IsEmpty())
        TK_TRY(SendToBackbone(kMsgTracingVisible, ToMsgArg(this), 1, 0));
    TK_TRY(OnMessage(kMsgLayersChanged, ToMsgArg(this), 0, 0, kMsgApply));
    return m_layers[0]->RedrawImage();
}

void CCanvas::PlaceNewPainting(int32_t width, int32_t height)
{
    UpdateViewGeometry(0);
    m_paintingRect = {0, 0, width, height};
    if (const CWidget* view = FindMainView()) {
        const tCPoint centre = view->GetRect().GetCentre().Minus(view->GetRect().GetTopLeft());
        m_paintingRect = m_paintingRect.Offset({centre.x - (width >> 1), centre.y - (height >> 1)});
    }
    m_zoom = 1.0f;
    m_rotation = 0.0f;
    m_shadowTablesStale = 1;
    UpdateViewGeometry(0);
}

tResult CCanvas::AskForTracingImage(const CProjectInfo& project)
{
    m_tracingMode = 1;
    if (project.tracingPath.IsEmpty())
        return SendToBackbone(kMsgRemoveTracingImage, ToMsgArg(this), 0, 0);
    tCFRef path(project.tracingPath);
    return SendToBackbone(kMsgLoadTracingImage, ToMsgArg(this), ToMsgArg(&path), 0);
}
