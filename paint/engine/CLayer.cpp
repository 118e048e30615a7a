#include "paint/engine/CLayer.h"

#include <cstring>

#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/IPaperGrainBuilder.h"
#include "paint/engine/SafeConvert.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/imaging/CImage8.h"

namespace {

uint32_t gLayersChanged = 0;
tCPoint gViewImageSize;
IPaperGrainBuilder* gPaperGrainBuilder = nullptr;

}  // namespace

uint32_t CLayer::GetLayersChanged() { return gLayersChanged; }
void CLayer::SetLayersChanged(uint32_t value) { gLayersChanged = value; }
tCPoint CLayer::GetViewImageSize() { return gViewImageSize; }
void CLayer::SetViewImageSize(tCPoint size) { gViewImageSize = size; }
void CLayer::SetPaperGrainBuilder(IPaperGrainBuilder* builder) { gPaperGrainBuilder = builder; }

CLayer::CLayer() : m_viewImage(0) {}

CLayer::~CLayer() { ReleaseGrainImage(); }

void CLayer::ReleaseGrainImage()
{
    if (m_grainImage && !m_grainLent && !m_grainImage->IsPoolOwned())
        delete m_grainImage;
    m_grainImage = nullptr;
    m_grainLent = false;
}

tResult CLayer::OnMessage(uint32_t message, tMsgArg a, tMsgArg, tMsgArg, uint32_t apply)
{
    if (message == kMsgLayerCanvasInfo)
        return ExchangeCanvasInfo(FromMsgArg<CCanvasInfo>(a), apply);
    return kResOk;
}

void CLayer::SetPaperColour(uint32_t colour)
{
    m_paperColour = colour;
    gLayersChanged = 1;
}

void CLayer::SetPaperOpacity(float value)
{
    m_paperOpacity = value;
    gLayersChanged = 1;
}

void CLayer::SetOpacity(float value)
{
    m_opacity = value;
    gLayersChanged = 1;
}

void CLayer::SetVisible(uint32_t value)
{
    m_visible = value;
    gLayersChanged = 1;
}

tResult CLayer::SetSize(int32_t width, int32_t height)
{
    TK_TRY(m_cellMap.SetSize(width, height));
    if (gViewImageSize.x >= 1 && gViewImageSize.y >= 1)
        return SetImageSize(gViewImageSize.x, gViewImageSize.y);
    return kResOk;
}

void CLayer::SetGrainImage(CImage8* image)
{
    if (image == m_grainImage)
        return;
    ReleaseGrainImage();
    m_grainImage = image;
}

void CLayer::ShareGrainImage(CImage8* image)
{
    if (image == m_grainImage)
        return;
    ReleaseGrainImage();
    m_grainImage = image;
    m_grainLent = image != nullptr;
}

tResult CLayer::CopyFrom(CLayer* other)
{
    if (!other)
        return kResBadParam;
    if (other == this)
        return kResOk;
    // Both layers are to hold the grain image, so the application's image pool takes it first;
    // when it cannot, this layer is left as it was.
    CImage8* grain = other->m_grainImage;
    if (grain && !grain->IsPoolOwned()) {
        CAppBase* application = GetApplication();
        if (!application)
            return kResFailure;
        TK_TRY(application->AddResourceToPool(kImagePool, grain));
    }
    TK_TRY(SetSize(other->GetWidth(), other->GetHeight()));
    m_paperColour = other->m_paperColour;
    m_paperShine = other->m_paperShine;
    m_grainDepth = other->m_grainDepth;
    m_paperExtra = other->m_paperExtra;
    m_grainScale = other->m_grainScale;
    m_paperSpare = other->m_paperSpare;
    m_opacity = other->m_opacity;
    m_paperOpacity = other->m_paperOpacity;
    m_visible = other->m_visible;
    m_paperVisible = other->m_paperVisible;
    SetGrainImage(grain);
    {
        CPaintCellNav to(m_cellMap);
        CPaintCellNav from(other->m_cellMap);
        if (to.IsValid() && from.IsValid() && !to.IsEmpty())
            std::memcpy(to.Cells(0), from.Cells(0), size_t(to.GetHeight()) * size_t(to.GetRowBytes()));
    }
    m_dirtyRect = m_cellMap.GetBounds();
    return RedrawImage();
}

tResult CLayer::SetImageSize(int32_t width, int32_t height)
{
    TK_TRY(m_viewImage.SetSize(width, height));
    m_dirtyRect = m_cellMap.GetBounds();
    return kResOk;
}

void CLayer::AddDirtyRect(const tCRect& rect)
{
    if (m_dirtyRect.top == m_dirtyRect.bottom || m_dirtyRect.left == m_dirtyRect.right)
        m_dirtyRect = rect;
    else
        m_dirtyRect = m_dirtyRect.Union(rect);
}

tResult CLayer::Clear()
{
    m_cellMap.Clear();
    return RedrawImage();
}

tResult CLayer::RedrawImage() { return DrawIntoImage(m_viewImage.GetBounds()); }

float CLayer::GrainZoom(float scale)
{
    const float s = scale * scale;
    if (s < 0.25f)
        return 2.0f * s + 0.5f;
    return (s - 0.25f) / 0.75f * 3.0f + 1.0f;
}

tResult CLayer::ApplyCanvasInfo(const CCanvasInfo* info)
{
    if (!info)
        return kResBadParam;
    m_grainScale = info->grainScale;
    m_paperShine = info->paperShine;
    m_paperExtra = info->paperExtra;
    m_paperSpare = info->paperSpare;
    m_grainDepth = info->grainDepth;
    if (info->paperColour != m_paperColour)
        SetPaperColour(info->paperColour);
    const float opacity = float(info->paperOpacity / 255.0);
    if (opacity != m_paperOpacity)
        SetPaperOpacity(opacity);
    const bool ownGrain = info->paperName.IsEmpty() && info->paperImage && info->paperImage == m_grainImage;
    if (gPaperGrainBuilder && !ownGrain) {
        if (CImage8* grain = gPaperGrainBuilder->BuildPaperGrain(*info))
            SetGrainImage(grain);
    }
    // Without memory for the name the old one stays; the paper settings hold all the same.
    (void)m_name.Assign(info->paperName);
    return kResOk;
}

tResult CLayer::ExchangeCanvasInfo(CCanvasInfo* info, uint32_t apply)
{
    if (!info)
        return kResOk;
    if (apply != 0) {
        TK_TRY(ApplyCanvasInfo(info));
        TK_TRY(RedrawImage());
        return SendToBackbone(kMsgLayersChanged, ToMsgArg(this), 0, 0);
    }
    info->grainScale = m_grainScale;
    info->paperColour = m_paperColour;
    info->paperShine = m_paperShine;
    info->paperExtra = m_paperExtra;
    info->paperSpare = m_paperSpare;
    info->grainDepth = m_grainDepth;
    info->paperOpacity = RoundToInt32(m_paperOpacity * 255.0);
    info->paperName = m_name;
    info->paperImage = m_grainImage;
    return kResOk;
}
