#include "app/shell/panes/CKS2Progress.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "app/shell/ShellResources.h"
#include "app/shell/panes/IPaneHost.h"
#include "app/shell/panes/PaneFocus.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CStaticWidget.h"

namespace {

constexpr int32_t kMinWidth = 220;
constexpr int32_t kTextSpacing = 30;
// The bar lies inside the track's frame, 3 pixels in on every side.
constexpr int32_t kTrackInset = 6;
constexpr float kFractionScale = 16777215.0f;

// Keys stop at the pane: the window behind it must not act on them while the work runs.
tResult SwallowKeyProc(tMsgArg, CWidget* widget, CWidget** takenBy, uint32_t)
{
    *takenBy = widget;
    return kResOk;
}

}  // namespace

CKS2Progress::CKS2Progress()
{
    m_rootId = int32_t(kWgtProgressPane);
    m_rootKind = kRootImage;
}

CKS2Progress::~CKS2Progress()
{
    if (m_listening)
        if (CAppBase* app = GetApplication())
            app->RemoveListener(this);
    // The snapshot belongs to the backdrop while it is a child of it; a backdrop that is gone
    // took it along.
    CWidget* backdrop = GetMainBackdropWidget();
    if (m_background && backdrop && backdrop->IndexOfChild(m_background) >= 0)
        backdrop->DeleteChild(m_background, 0);
    delete m_fullBar;
}

tResult CKS2Progress::Build()
{
    m_root->SetKeyDownProc(SwallowKeyProc, ToMsgArg(this));
    CAppBase* app = GetApplication();
    if (!app)
        return kResCreateFailed;
    TK_TRY(app->AddListener(this));
    m_listening = true;
    m_percent = dynamic_cast<CTxWidget*>(m_root->FindWidgetById(kWgtProgressPercent));
    m_bar = dynamic_cast<CImWidget*>(m_root->FindWidgetById(kWgtProgressBar));
    m_barSource = GetPooledImage(kImgProgressBar, nullptr, nullptr);
    if (!m_percent || !m_bar || !m_barSource)
        return kResCreateFailed;
    return kResOk;
}

tResult CKS2Progress::OnNotify(uint32_t message, tMsgArg a, tMsgArg b)
{
    const bool visible = m_root && m_root->IsVisible();
    switch (message) {
    case kMsgProgressCreated: {
        const tCProgress* progress = FromMsgArg<const tCProgress>(a);
        if (!progress || progress->GetContext() != 0 || !m_root)
            break;
        tCString title = progress->GetTitle();
        // A progress that starts inside another takes the pane over with its own title.
        if (visible) {
            if (OnShow(0, 1, ToMsgArg(&title), 0) == kResOk)
                m_root->PresentDirtyRects();
        } else {
            Show(0, 1, ToMsgArg(&title), 0, nullptr);
        }
        break;
    }
    case kMsgProgressUpdate:
        if (visible)
            SetProgress(float(uint32_t(b)) / kFractionScale, 1);
        break;
    case kMsgProgressDestroyed:
        if (visible)
            Hide(0, 1, 0, 0);
        break;
    default: break;
    }
    return kResOk;
}

tResult CKS2Progress::OnShow(uint32_t, uint32_t, tMsgArg param1, tMsgArg)
{
    m_shownFraction = -1.0f;
    FreezeBackground();
    auto* title = dynamic_cast<CTxWidget*>(m_root->FindWidgetById(kWgtProgressTitle));
    if (!title)
        return kResCreateFailed;
    const tCString* given = FromMsgArg<const tCString>(param1);
    TK_TRY(title->SetText(given && !given->IsEmpty() ? *given : ApplicationText(kStrBusyTitle), 1, 0));
    TK_TRY(m_percent->SetText(tCString(u"999%"), 1, 0));
    TK_TRY(FitWidth());
    TK_TRY(ClearBar());
    return SetProgress(0.0f, 0);
}

tResult CKS2Progress::OnShown()
{
    TakePaneFocus(m_root);
    return kResOk;
}

tResult CKS2Progress::OnHide(uint32_t, uint32_t, tMsgArg, tMsgArg)
{
    DropBackground();
    ReturnPaneFocus(m_root);
    return kResOk;
}

void CKS2Progress::FreezeBackground()
{
    if (m_background)
        return;
    CWidget* backdrop = GetMainBackdropWidget();
    if (!backdrop)
        return;
    m_background = new (std::nothrow) CStaticWidget;
    if (!m_background)
        return;
    // Added in front of everything the window shows; the pane then comes to the front above it.
    if (backdrop->AddChild(m_background, 0) != kResOk) {
        delete m_background;
        m_background = nullptr;
        return;
    }
    m_background->SetSize(backdrop->GetWidth(), backdrop->GetHeight(), 0);
    m_background->SetVisible(1, 0);
    m_background->CaptureBackground();
}

void CKS2Progress::DropBackground()
{
    if (!m_background)
        return;
    if (CWidget* parent = m_background->GetParent())
        parent->DeleteChild(m_background, 0);
    else
        delete m_background;
    m_background = nullptr;
}

tResult CKS2Progress::FitWidth()
{
    CWidget* title = m_root->FindWidgetById(kWgtProgressTitle);
    const int32_t width = std::max(kMinWidth, title->GetWidth() + m_percent->GetWidth() + kTextSpacing);
    if (m_root->GetWidth() == width)
        return kResOk;
    TK_TRY(m_root->SetWidth(width, 0));
    return RebuildPictures();
}

tResult CKS2Progress::RebuildPictures()
{
    auto* root = static_cast<CImWidget*>(m_root);
    CImage* frame = GetPooledImage(kImgPanelFrame, nullptr, nullptr);
    if (!frame || !root->GetImage())
        return kResCreateFailed;
    TK_TRY(NineSliceBlit(root->GetImage(), frame, 1));
    TK_TRY(root->RefreshEffects(0));
    auto* track = dynamic_cast<CImWidget*>(m_root->FindWidgetById(kWgtProgressTrack));
    if (!track)
        return kResCreateFailed;
    CImage* trackFrame = GetPooledImage(kImgProgressTrack, nullptr, nullptr);
    if (trackFrame && track->GetImage()) {
        TK_TRY(track->SetVisible(1, 0));
        TK_TRY(NineSliceScaleBlit(track->GetImage(), trackFrame, 1, 0));
        TK_TRY(track->RefreshEffects(0));
    } else {
        TK_TRY(track->SetVisible(0, 0));
    }
    if (!m_fullBar)
        m_fullBar = new (std::nothrow) CImage(1, 1);
    const int32_t width = track->GetWidth() - kTrackInset;
    const int32_t height = track->GetHeight() - kTrackInset;
    // Without the picture the bar still grows, showing nothing but its width.
    if (!m_fullBar || width <= 0 || height <= 0 || m_fullBar->SetSize(width, height) != kResOk) {
        delete m_fullBar;
        m_fullBar = nullptr;
        return kResOk;
    }
    m_fullBar->Clear();
    return NineSliceScaleBlit(m_fullBar, m_barSource, 1, 0);
}

tResult CKS2Progress::ClearBar()
{
    if (CImage* image = m_bar->GetImage())
        image->Clear();
    TK_TRY(m_bar->RefreshEffects(0));
    TK_TRY(m_bar->SetWidth(0, 0));
    CWidget* track = m_root->FindWidgetById(kWgtProgressTrack);
    const int32_t full = track ? std::max(0, track->GetWidth() - kTrackInset) : 0;
    m_bar->SetUserData(0, uint32_t(full));
    return kResOk;
}

tResult CKS2Progress::SetProgress(float fraction, uint32_t present)
{
    // NaN falls to 0 with the fractions below it.
    fraction = fraction > 0.0f ? std::min(fraction, 1.0f) : 0.0f;
    if (fraction == m_shownFraction)
        return kResOk;
    m_shownFraction = fraction;
    const auto percent = int32_t(std::lround(fraction * 100.0f));
    TK_TRY(m_percent->SetText(tCString::FromAnsi(std::to_string(percent)).Concat(ApplicationText(kStrPercentUnit)), 1, 0));
    const auto width = int32_t(std::lround(float(m_bar->GetUserData(0)) * fraction));
    TK_TRY(m_bar->SetWidth(width, 0));
    CImage* image = m_bar->GetImage();
    if (m_fullBar && image && width > 0) {
        const tCRect part{0, 0, std::min(width, m_fullBar->GetWidth()),
                          std::min(image->GetHeight(), m_fullBar->GetHeight())};
        CImNav from(m_fullBar, part);
        CImNav to(image, part);
        TK_TRY(CopyNavPixels(&to, &from));
        TK_TRY(m_bar->RefreshEffects(0));
        TK_TRY(m_bar->InvalidateWithEffects(0));
    }
    return present ? m_root->PresentDirtyRects() : kResOk;
}
