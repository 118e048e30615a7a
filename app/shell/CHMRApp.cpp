#include "app/shell/CHMRApp.h"

#include <new>

#include "app/shell/BackboneMessages.h"
#include "app/shell/BackdropMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/ReportText.h"
#include "app/shell/ShellResources.h"
#include "paint/engine/CProjectInfo.h"
#include "platform/Kernel.h"
#include "toolkit/core/CTimer.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/FileProbes.h"
#include "toolkit/core/IRootWidget.h"
#include "toolkit/core/PathText.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CSplashScreen.h"
#include "toolkit/widgets/CUpdateFreezeGuard.h"
#include "toolkit/widgets/SplashScreen.h"

namespace {

bool IsMissingText(const tCString& text)
{
    return text.GetLength() >= 2 && text.GetAt(0) == u'%' && text.GetAt(1) == u'%';
}

// The splash is held in short sleeps, so that a virtual clock moves on with it.
constexpr uint32_t kSplashSleep = 10;

}  // namespace

CHMRApp::CHMRApp()
{
    SetCreatorCode(MakeFourCC("QKVZ"));
    SetResourceFolderName(tCString(u"Resources"));
}

CHMRApp::~CHMRApp()
{
    if (tCCmdTarget::GetBackboneTarget() == m_controller)
        tCCmdTarget::SetBackboneTarget(nullptr);
    delete m_controller;
}

CHMRBackdrop* CHMRApp::GetMainBackdrop()
{
    return dynamic_cast<CHMRBackdrop*>(tCCmdTarget::GetBackdropTarget());
}

CHMRBackdrop* CHMRApp::NewBackdrop()
{
    CHMRBackdrop* backdrop = new (std::nothrow) CHMRBackdrop;
    if (backdrop)
        backdrop->SetPreferences(&m_preferencesFile);
    return backdrop;
}

CHMRBackbone* CHMRApp::NewController() { return new (std::nothrow) CHMRBackbone; }

uint32_t CHMRApp::ChooseTextVariant() const
{
    uint32_t variant = kDefaultTextVariant;
    tCString current;
    GetString(current, kStrVariantCurrent, 0);
    if (IsMissingText(current))
        return variant;
    for (uint32_t i = 0; i < kStrVariantCount; ++i) {
        tCString text;
        GetString(text, kStrVariantFirst + i, 0);
        if (!IsMissingText(text) && text == current)
            variant = kStrVariantFirst + i;
    }
    return variant;
}

int32_t CHMRApp::Run(w32::HINSTANCE instance, const char* commandLine, int32_t showCommand)
{
    m_setUpResult = kResOk;
    const int32_t exited = CApp::Run(instance, commandLine, showCommand);
    return exited != 0 ? exited : int32_t(m_setUpResult);
}

tResult CHMRApp::SetUpApplication(tCString commandLine)
{
    m_setUpResult = SetUp(commandLine);
    return m_setUpResult;
}

tResult CHMRApp::SetUp(const tCString& commandLine)
{
    m_textVariant = ChooseTextVariant();
    CHMRBackdrop* backdrop = NewBackdrop();
    if (!backdrop) {
        (void)ReportError(kResCreateFailed, tCString(u"Error creating the Backdrop."));
        return kResCreateFailed;
    }
    backdrop->SetPanelMaker(m_panelMaker);
    if (const tResult loaded = backdrop->LoadFromResourceName(tCString(u"Kostrel"), GetResourceFile(),
                                                              GetResourceDirectory());
        loaded != kResOk) {
        (void)ReportError(loaded, tCString(u"Error getting Kostrel Backdrop from resources."));
        delete backdrop;
        return loaded;
    }
    delete m_controller;
    m_controller = NewController();
    if (!m_controller) {
        delete backdrop;
        return kResCreateFailed;
    }
    tCCmdTarget::SetBackboneTarget(m_controller);
    tCCmdTarget::SetBackdropTarget(backdrop);

    CSplashScreen* splash = nullptr;
    if (const tResult shown = ShowSplash(&splash); shown != kResOk) {
        DropBackdrop(backdrop, false);
        return shown;
    }
    m_holdBoxes = splash != nullptr;
    // Nothing reaches the window while the splash is up: a pane that presents as the first
    // painting comes would draw over the splash.
    const uint32_t frozen = backdrop->GetPresentFrozen();
    backdrop->SetPresentFrozen(1);
    if (const tResult made = CreateMainWindowAt(backdrop, 104, kPlaceFullScreen | kPlaceResizable, -1.0f, -1.0f,
                                                -1.0f, -1.0f, nullptr, 1);
        made != kResOk) {
        (void)ReportError(made, tCString(u"Error creating a new Kostrel window."));
        DropBackdrop(backdrop, true);
        if (splash)
            (void)splash->CloseSplashWindow();
        ShowHeldBoxes();
        return made;
    }
    if (CWindowBase* window = GetMainWindow())
        window->SetSysKeysAsKeys(1);
    OpenFirstPainting(commandLine, backdrop);

    const CTimer held;
    while (held.GetElapsedMilliseconds() < kSplashMilliseconds)
        w32::Sleep(kSplashSleep);
    if (splash)
        (void)splash->CloseSplashWindow();
    Activate();
    backdrop->SetPresentFrozen(frozen);
    // What the splash covered is drawn afresh, under the boxes that waited for it.
    const tResult drawn = backdrop->Invalidate(1);
    ShowHeldBoxes();
    return drawn;
}

void CHMRApp::ShowHeldBoxes()
{
    m_holdBoxes = false;
    std::vector<tBox> held;
    held.swap(m_heldBoxes);
    for (const tBox& box : held)
        ShowPreparedBox(box.text, box.caption);
}

tResult CHMRApp::ShowSplash(CSplashScreen** splash)
{
    CImWidget* picture = CImWidget::CreateFromResourceId(kWgtSplash, nullptr, nullptr);
    if (!picture)
        return kResResourceNotFound;
    tCString product;
    GetString(product, kStrProduct, 0);
    *splash = ShowSplashScreen(picture, product.ToAnsi().c_str(), nullptr, 1, 1);
    if (*splash)
        (void)(*splash)->ShowSplashWindow(1);
    return kResOk;
}

void CHMRApp::DropBackdrop(CHMRBackdrop* backdrop, bool windowMade)
{
    if (tCCmdTarget::GetBackdropTarget() == backdrop)
        tCCmdTarget::SetBackdropTarget(nullptr);
    if (!windowMade) {
        delete backdrop;
        return;
    }
    // From CreateMainWindowAt on the window owns the backdrop, also when it failed: a window that
    // still holds it deletes it when destroyed; one that was never made has deleted it already.
    CWindowBase* window = GetMainWindow();
    if (window && window->GetRootWidget() == backdrop)
        window->DestroyWindow();
}

void CHMRApp::OpenFirstPainting(const tCString& commandLine, CHMRBackdrop* backdrop)
{
    // Only the pair of quotes around the whole line goes: names here may begin or end in quotes,
    // and in blanks, which are no part of the ending that makes a name a painting's.
    tCString unquoted = commandLine;
    const int32_t length = unquoted.GetLength();
    if (length >= 2 && unquoted.GetAt(0) == u'"' && unquoted.GetAt(length - 1) == u'"')
        unquoted = unquoted.Mid(1, length - 2);
    const tCString ending = unquoted.Trimmed(tCString(u" "));
    if (ending.GetLength() >= 4 && LowerCasedAscii(ending.Right(4)) == u".ptg") {
        CProjectInfo opening;
        opening.file = tCFRef(unquoted);
        opening.name = opening.file.GetName();
        CUpdateFreezeGuard frozen(backdrop);
        const tResult opened =
            tCCmdTarget::SendToBackbone(kMsgOpenProject, ToMsgArg(backdrop), ToMsgArg(&opening), 0);
        if (opened == kResOk)
            return;
        // The program goes on as when started without a file.
        ReportOpenFailure(opened);
    } else if (!unquoted.IsEmpty()) {
        tCString text;
        (void)ReportError(kResBadParam, GetString(text, kStrErrOpenFile, 0));
    }
    CProjectInfo project;
    project.width = backdrop->GetWidth();
    project.height = backdrop->GetHeight();
    GetString(project.name, kStrNewPaintingName, 0);
    if (IsMissingText(project.name))
        project.name = u"";
    // A refused painting (one too large for the memory left, say) is told as one of Ctrl+N is;
    // the program goes on without a painting until a new one is made or one is opened.
    if (const tResult made = tCCmdTarget::SendToBackbone(kMsgNewProject, ToMsgArg(this), ToMsgArg(&project), 0);
        made != kResOk) {
        tCString text;
        (void)ReportError(made, GetString(text, kStrErrNewPainting, 0));
    }
}

bool CHMRApp::MayClose()
{
    uint32_t modified = 0;
    if (tCCmdTarget::QueryBackbone(kMsgModifiedWord, ToMsgArg(this), ToMsgArg(&modified), 0) != kResOk || !modified)
        return true;
    // Without a backdrop there is no window to keep and nothing to ask with.
    if (!GetMainBackdrop())
        return true;
    if (tCCmdTarget::SendToBackdrop(kMsgAskToSave, ToMsgArg(this), kFollowQuit, 0) == kResOk)
        return false;
    // The changes would be lost unasked: the window stays.
    tCString text;
    (void)ReportError(kResBadParam, GetString(text, kStrErrQuitPrompt, 0));
    return false;
}

void CHMRApp::Quit()
{
    if (!MayClose())
        return;
    if (m_pumpDepth > 0) {
        m_quitDeferred = true;
        return;
    }
    CApp::Quit();
}

bool CHMRApp::IsQuitting() const { return m_quitDeferred || CApp::IsQuitting(); }

tResult CHMRApp::PumpStep()
{
    ++m_pumpDepth;
    const tResult result = CApp::PumpStep();
    --m_pumpDepth;
    if (m_pumpDepth == 0 && m_quitDeferred) {
        m_quitDeferred = false;
        CApp::Quit();
    }
    return result;
}

tResult CHMRApp::OnCloseRequest()
{
    if (!MayClose())
        return kResOk;
    if (CHMRBackdrop* backdrop = GetMainBackdrop())
        (void)backdrop->WritePreferences();
    return kResHandled;
}

tResult CHMRApp::OpenFiles(tCStringArray files)
{
    // A drop is refused while the interface is held, as a key or a pen tap is.
    if (CHMRBackdrop* backdrop = GetMainBackdrop(); backdrop && backdrop->HoldsInterface())
        return kResOk;
    const tCFRef* readable = nullptr;
    tCFRef candidate;
    for (const tCString& path : files) {
        if (candidate.SetPath(path) == kResOk && PathFileReadable(candidate)) {
            readable = &candidate;
            break;
        }
    }
    CHMRBackdrop* backdrop = GetMainBackdrop();
    tCString text;
    if (!readable || !backdrop) {
        (void)ReportError(kResBadParam, GetString(text, kStrErrOpenFile, 0));
        return kResOk;
    }
    // The open tells its own failures; what it answers is the question about the painting's
    // changes that could not be asked, and the file stays unopened.
    if (const tResult opened = backdrop->OpenProject(readable, false); opened != kResOk)
        (void)ReportError(opened, GetString(text, kStrErrOpenPrompt, 0));
    return kResOk;
}

tResult CHMRApp::ReportError(tResult code, tCString text)
{
    tCString caption;
    GetString(caption, kStrReportCaptionFirst + code, 0);
    if (IsMissingText(caption))
        return kResOk;
    ShowPreparedBox(text, caption);
    return kResOk;
}

void CHMRApp::ShowPreparedBox(const tCString& text, const tCString& caption)
{
    CCursorHideGuard hidden;
    CSystemCursorGuard pointer;
    CPauseAppGuard paused;
    KillMainWindowTimers();
    ShowMessageBox(text, caption);
}

void CHMRApp::ShowMessageBox(const tCString& text, const tCString& title)
{
    if (m_holdBoxes)
        m_heldBoxes.push_back({text, title});
    else
        CApp::ShowMessageBox(text, title);
}

tResult CHMRApp::OnTick()
{
    if (m_controller && m_controller->GetUpdateTransfer())
        return m_controller->UpdateStep();
    return kResOk;
}

tResult CHMRApp::OnDispatchedMessage(const w32::MSG& message)
{
    if (message.message != kMsgPenTapArrived || message.wParam != 1)
        return kResOk;
    CWindowBase* window = GetMainWindow();
    IRootWidget* root = window ? window->GetRootWidget() : nullptr;
    if (!root || root->GetTopModal())
        return kResOk;
    return tCCmdTarget::SendToBackbone(kMsgPenTap, ToMsgArg(this), 0, 0);
}
