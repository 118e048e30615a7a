#include <algorithm>
#include <cmath>
#include <new>

#include "app/shell/BackdropMessages.h"
#include "app/shell/CFloatPoint.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/CKS2About.h"
#include "app/shell/panes/CKS2Pane.h"
#include "app/shell/ReportText.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/FileOperations.h"
#include "paint/engine/CanvasMessages.h"
#include "toolkit/core/tCFRelative.h"

namespace {

constexpr uint32_t kMsgCleanViewBegin = 0xFF000019u;
constexpr uint32_t kMsgCleanViewEnd = 0xFF00001Au;
constexpr uint32_t kMsgShowAbout = 0xFF00001Bu;
// Through b = uint32_t*: whether the main panes are shown (1) or slid out (0).
constexpr uint32_t kMsgPanesShown = 0xFF00102Cu;

// The canvas navigation pane's root steps aside only near its child, grown by the margin.
constexpr uint32_t kNavigationRoot = 7000;
constexpr uint32_t kNavigationChild = 7001;
constexpr int32_t kNavigationMargin = 10;

// The windowed size after full screen.
constexpr int32_t kWindowedWidth = 1024;
constexpr int32_t kWindowedHeight = 768;
constexpr int32_t kSmallestWidth = 640;
constexpr int32_t kSmallestHeight = 480;
constexpr float kWindowedShare = 0.9f;

bool ContainsWithEdges(const tCRect& rect, int32_t x, int32_t y)
{
    return x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
}

// Opens a document of the program's folder named by a text with ':' separators.
void OpenProgramFile(uint32_t textId)
{
    CAppBase* app = GetApplication();
    if (!app)
        return;
    tCString relative;
    (void)app->GetString(relative, textId, 0);
    const tCFRelative path(relative, 0);
    const tResult result = ShellOpenPathFile(path, ApplicationTextOrEmpty(kStrErrDocument));
    if (result != kResOk)
        ReportWithText(result, kStrErrDocument);
}

}  // namespace

tResult CHMRBackdrop::AnswerPaneMessage(uint32_t message, tMsgArg b, uint32_t apply, bool* passOn)
{
    *passOn = true;
    switch (message) {
    case kMsgStrokeSample:
        if (const CFloatPoint* pen = FromMsgArg<const CFloatPoint>(b))
            (void)AvoidPoint(int32_t(std::lround(pen->x)), int32_t(std::lround(pen->y)));
        return kResOk;
    case kMsgStrokeStarting:
        return BuildAvoidanceRects();
    case kMsgStrokeEnded:
        return RestoreStrokeHiddenPanes();
    case kMsgViewClicked:
        return m_cleanView ? EndCleanView(1) : BeginCleanView(1);
    case kMsgCleanViewBegin:
        return BeginCleanView(1);
    case kMsgCleanViewEnd:
        return EndCleanView(1);
    case kMsgPanesShown:
        if (!b)
            return kResBadParam;
        if (apply) {
            *passOn = false;
            return SetPanesShown(*FromMsgArg<uint32_t>(b), 1);
        }
        *FromMsgArg<uint32_t>(b) = ArePanesSlidOut();
        return kResOk;
    case kMsgOpenHelp:
        *passOn = false;
        return OpenHelpDocument();
    case kMsgOpenWebPage:
        *passOn = false;
        return OpenWebPage();
    case kMsgOpenProgramDocument:
        *passOn = false;
        return OpenProgramDocument();
    case kMsgShowAbout:
        return ShowAboutPane();
    default:
        return kResOk;
    }
}

tResult CHMRBackdrop::BeginCleanView(uint32_t present)
{
    if (m_cleanView)
        return kResOk;
    m_cleanView = 1;
    for (int32_t i = 0; i < m_mainPanes.GetCount(); ++i) {
        CKS2Pane* pane = m_mainPanes[i];
        if (!pane || !pane->IsShown())
            continue;
        (void)pane->GetRoot()->SetVisible(0, 0);
        (void)m_cleanViewPanes.Add(pane);
    }
    if (m_restoreWidget)
        (void)m_restoreWidget->SetVisible(1, 0);
    if (present)
        (void)PresentDirtyRects();
    return kResOk;
}

tResult CHMRBackdrop::EndCleanView(uint32_t present)
{
    if (!m_cleanView)
        return kResOk;
    m_cleanView = 0;
    for (int32_t i = 0; i < m_cleanViewPanes.GetCount(); ++i) {
        CKS2Pane* pane = m_cleanViewPanes[i];
        if (pane->CanRestore() && pane->GetRoot())
            (void)pane->GetRoot()->SetVisible(1, 0);
    }
    if (m_restoreWidget)
        (void)m_restoreWidget->SetVisible(0, 0);
    m_cleanViewPanes.RemoveAll();
    if (present)
        (void)PresentDirtyRects();
    return kResOk;
}

tResult CHMRBackdrop::SetPanesShown(uint32_t shown, uint32_t present)
{
    if (!shown) {
        for (int32_t i = 0; i < m_mainPanes.GetCount(); ++i) {
            CKS2Pane* pane = m_mainPanes[i];
            if (pane && pane->IsShown() && pane->Hide(1, 0, 0, 0) == kResOk)
                (void)m_slidOutPanes.Add(pane);
        }
        return kResOk;
    }
    for (int32_t i = 0; i < m_slidOutPanes.GetCount(); ++i)
        (void)m_slidOutPanes[i]->Show(1, 0, 0, 0, nullptr);
    m_slidOutPanes.RemoveAll();
    if (present)
        (void)PresentDirtyRects();
    return kResOk;
}

uint32_t CHMRBackdrop::ArePanesSlidOut() const { return m_slidOutPanes.IsEmpty() ? 0 : 1; }

tResult CHMRBackdrop::BuildAvoidanceRects()
{
    if (!m_paintingView)
        return kResOk;
    m_avoidanceRects.RemoveAll();
    const tCRect& view = m_paintingView->GetRect();
    for (int32_t i = 0; i < m_mainPaneRoots.GetCount(); ++i) {
        CWidget* root = m_mainPaneRoots[i];
        tCRect rect;
        if (root) {
            rect = root->GetRect();
            CWidget* child = root->GetId() == kNavigationRoot ? root->FindWidgetById(kNavigationChild) : nullptr;
            if (child) {
                const tCRect& inner = child->GetRect();
                rect = {rect.left + inner.left - kNavigationMargin, rect.top + inner.top - kNavigationMargin,
                        rect.left + inner.right + kNavigationMargin, rect.top + inner.bottom + kNavigationMargin};
            }
            rect.left = std::max(rect.left, view.left);
            rect.top = std::max(rect.top, view.top);
            rect.right = std::min(rect.right, view.right);
            rect.bottom = std::min(rect.bottom, view.bottom);
            m_paintingView->ParentToLocalRect(&rect);
        }
        TK_TRY(m_avoidanceRects.Add(rect));
    }
    return kResOk;
}

tResult CHMRBackdrop::AvoidPoint(int32_t x, int32_t y)
{
    if (m_cleanView)
        return kResOk;
    for (int32_t i = m_avoidanceRects.GetCount() - 1; i >= 0; --i) {
        if (ContainsWithEdges(m_avoidanceRects[i], x, y))
            (void)HidePaneForStroke(i);
    }
    return kResOk;
}

tResult CHMRBackdrop::HidePaneForStroke(int32_t index)
{
    CWidget* root = m_mainPaneRoots.GetAt(index);
    if (!root || !root->IsVisible())
        return kResOk;
    (void)root->SetVisible(0, 0);
    return m_strokeHiddenRoots.Add(root);
}

tResult CHMRBackdrop::RestoreStrokeHiddenPanes()
{
    for (int32_t i = 0; i < m_strokeHiddenRoots.GetCount(); ++i)
        (void)m_strokeHiddenRoots[i]->SetVisible(1, 0);
    m_strokeHiddenRoots.RemoveAll();
    (void)PresentDirtyRects();
    return kResOk;
}

tResult CHMRBackdrop::ToggleFullScreen()
{
    CWindowBase* window = GetMainWindow();
    if (!window)
        return kResOk;
    if (!window->IsFullScreen()) {
        (void)window->Relayout(kPlaceFullScreen, {-1.0f, -1.0f}, {-1.0f, -1.0f}, 1);
        return kResOk;
    }
    const tCPoint size = WindowedSize(GetWidth(), GetHeight());
    (void)window->Relayout(kPlaceCentreX | kPlaceCentreY, {float(size.x), float(size.y)}, {-1.0f, -1.0f}, 1);
    return kResOk;
}

tCPoint CHMRBackdrop::WindowedSize(int32_t width, int32_t height)
{
    if (width > kWindowedWidth)
        return {kWindowedWidth, kWindowedHeight};
    return {std::max(int32_t(std::lround(float(width) * kWindowedShare)), kSmallestWidth),
            std::max(int32_t(std::lround(float(height) * kWindowedShare)), kSmallestHeight)};
}

tResult CHMRBackdrop::OpenHelpDocument()
{
    OpenProgramFile(kStrHelpDocument);
    return kResOk;
}

tResult CHMRBackdrop::OpenProgramDocument()
{
    OpenProgramFile(kStrProgramDocument);
    return kResOk;
}

tResult CHMRBackdrop::ShowFloatingColour(CWidget* anchor, uint32_t colour, tCCmdTarget* owner)
{
    if (!m_floatingColour) {
        CKS2Pane* pane = nullptr;
        if (!m_panelMaker || m_panelMaker->MakePane(kPaneFloatingColour, &pane) != kResOk || !pane) {
            ReportWithText(kResCreateFailed, kStrErrFloatingColour);
            return kResOk;
        }
        if (const tResult created = pane->Create(nullptr, nullptr); created != kResOk) {
            delete pane;
            return created;
        }
        m_floatingColour = pane;
    }
    tCPoint centre{GetWidth() / 2, GetHeight() / 2};
    if (anchor) {
        const tCRect& rect = anchor->GetRect();
        centre = {rect.left + rect.Width() / 2, rect.top + rect.Height() / 2};
        if (CWidget* parent = anchor->GetParent())
            parent->LocalToRootPoint(&centre);
    }
    CWidget* root = m_floatingColour->GetRoot();
    TK_TRY(root->SetPosition(centre.x - root->GetWidth() / 2, centre.y - root->GetHeight() / 2, 0));
    TK_TRY(m_floatingColour->Show(1, 1, colour, 0, owner));
    (void)m_panelMaker->TrackColourDrag(m_floatingColour);
    return kResOk;
}

tResult CHMRBackdrop::HandOffColour(tCCmdTarget*, tCPoint, uint32_t, uint32_t)
{
    return kResOk;
}

tResult CHMRBackdrop::ShowUpdatePane()
{
    CKS2Pane* pane = FindPane(kPaneUpdate);
    if (!pane || pane->Show(1, 1, 0, 0, this) != kResOk)
        ReportWithText(kResCreateFailed, kStrErrUpdatePane);
    return kResOk;
}

tResult CHMRBackdrop::ShowAboutPane()
{
    if (!m_aboutPane) {
        m_aboutPane = new (std::nothrow) CKS2About;
        // A pane that cannot be made goes again, so that the next request tries afresh.
        if (!m_aboutPane || m_aboutPane->Create(nullptr, this) != kResOk) {
            delete m_aboutPane;
            m_aboutPane = nullptr;
            ReportWithText(kResCreateFailed, kStrErrAbout);
            return kResOk;
        }
    }
    if (m_aboutPane->Show(1, 1, 0, 0, nullptr) != kResOk)
        ReportWithText(kResCreateFailed, kStrErrAbout);
    return kResOk;
}

tResult CHMRBackdrop::OpenWebPage()
{
    CAppBase* app = GetApplication();
    if (!app)
        return kResOk;
    tCString address;
    (void)app->GetString(address, kStrWebAddress, 0);
    const tResult result = ShellOpenNamedFile(address.GetText(), ApplicationTextOrEmpty(kStrErrWeb));
    if (result != kResOk)
        ReportWithText(result, kStrErrWeb);
    return kResOk;
}

bool CHMRBackdrop::HoldsInterface()
{
    if (m_keyHold)
        return true;
    CWidget* modal = GetTopModal();
    const CKS2Pane* tracing = FindPane(kPaneTracing);
    return modal && !(tracing && modal == tracing->GetRoot());
}
