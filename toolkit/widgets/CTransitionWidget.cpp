#include "toolkit/widgets/CTransitionWidget.h"

#include <new>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/imaging/SubtractRect.h"

CTransitionWidget::~CTransitionWidget()
{
    delete m_start;
    delete m_end;
    delete m_noise;
}

tResult CTransitionWidget::RenderImage()
{
    if (CImage* image = GetImage())
        image->Clear();
    return kResOk;
}

void CTransitionWidget::SetTransition(tTransitionFn function, tMsgArg data)
{
    m_function = function;
    m_data = data;
}

void CTransitionWidget::SetNoiseImage(CImage16* noise)
{
    if (noise != m_noise)
        delete m_noise;
    m_noise = noise;
}

tResult CTransitionWidget::FinishFrame(const tCRect& rect)
{
    const tCRect dirty = m_lastFrame.IsEmpty() ? rect : rect.IsEmpty() ? m_lastFrame : m_lastFrame.Union(rect);
    m_lastFrame = rect;
    return dirty.IsEmpty() ? kResOk : InvalidateRect(&dirty, 0);
}

tResult CTransitionWidget::DrawCapture(CWidget* widget, const tCRect& clip, CImage* image)
{
    tCRect covered;
    TK_TRY(widget->DrawFromOpaque(&clip, image, 255, &covered));
    // The opaque part comes back in the widget's own coordinates; the clip is in its parent's.
    widget->LocalToParentRect(&covered);
    covered = covered.Intersect(clip);
    if (covered.IsEmpty())
        return widget->DrawSubtree(&clip, image, 255);
    tCRect pieces[4];
    const int32_t count = SubtractRect(clip, covered, pieces);
    for (int32_t i = 0; i < count; ++i)
        TK_TRY(DrawCapture(widget, pieces[i], image));
    return kResOk;
}

tResult CTransitionWidget::CaptureWidget(CWidget* widget, int32_t which)
{
    CImage*& slot = which == kStart ? m_start : m_end;
    tCPoint& offset = which == kStart ? m_startOffset : m_endOffset;
    if (!widget) {
        delete slot;
        slot = nullptr;
        return kResOk;
    }
    // Where the capture lies in this widget's picture, worked out while the widget still hangs
    // in its tree.
    const tCRect extent = widget->GetExtent();
    tCPoint widgetAt{0, 0}, ownAt{0, 0};
    widget->LocalToRootPoint(&widgetAt);
    LocalToRootPoint(&ownAt);
    const tCPoint margin = extent.GetTopLeft().Minus(widget->GetRect().GetTopLeft());

    CImage* image = new (std::nothrow) CImage(extent.Width(), extent.Height());
    if (!image || !image->IsValid()) {
        delete image;
        return kResNoMemory;
    }
    delete slot;
    slot = image;
    offset = widgetAt.Minus(ownAt).Plus(margin);

    CWidget* parent = widget->GetParent();
    const uint32_t wasVisible = widget->IsVisible();
    widget->SetParent(nullptr);
    tResult result = widget->SetVisible(1, 0);
    const tPixelBlendFn pixelHook = PixelBlendHook;
    const tColourBlendFn colourHook = ColourBlendHook;
    PixelBlendHook = BlendPixelOverLayered;
    ColourBlendHook = BlendColourOverLayered;
    image->SetOrigin({-extent.left, -extent.top});
    if (result == kResOk)
        result = widget->PreRender(&extent, image, 255);
    if (result == kResOk)
        result = DrawCapture(widget, extent, image);
    image->SetOrigin({0, 0});
    PixelBlendHook = pixelHook;
    ColourBlendHook = colourHook;
    if (!wasVisible)
        (void)widget->SetVisible(0, 0);
    widget->SetParent(parent);
    m_progress = -1.0f;
    return result;
}

tResult CTransitionWidget::SetProgress(float progress, uint32_t redraw)
{
    CImage* frame = GetImage();
    if (!frame || frame->GetWidth() != GetWidth() || frame->GetHeight() != GetHeight()) {
        TK_TRY(OnSizeChanged());
        frame = GetImage();
        if (!frame || frame->GetWidth() != GetWidth() || frame->GetHeight() != GetHeight())
            return kResNoMemory;
    }
    TK_TRY(DecompressImage());
    if ((m_start || m_end) && m_function)
        TK_TRY(m_function(m_data, this, progress));
    if (redraw)
        TK_TRY(PresentDirtyRects());
    m_progress = progress;
    return kResOk;
}
