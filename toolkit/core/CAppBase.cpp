#include "toolkit/core/CAppBase.h"

#include <cassert>
#include <new>
#include <vector>

#include "platform/Kernel.h"
#include "toolkit/core/CAppWindow.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/core/FileProbes.h"
#include "toolkit/core/IRootWidget.h"
#include "toolkit/core/SineTable.h"
#include "toolkit/core/TextLibraryHooks.h"
#include "toolkit/core/tCResourceObject.h"

namespace {

CAppBase* gApplication = nullptr;
CWindowBase* gMainWindow = nullptr;

tCArray<CWindowBase*>& WindowList()
{
    static tCArray<CWindowBase*> windows;
    return windows;
}

// The folder of the executable with its trailing separator. The path is asked for whole: a
// program folder cut at 260 units would hide the resources.
tCString ExecutableFolder()
{
    std::vector<char16_t> buffer(4096);
    const w32::DWORD length = w32::GetModuleFileNameW(nullptr, buffer.data(), w32::DWORD(buffer.size()));
    if (length == 0 || length >= buffer.size())
        return tCString(u"");
    std::u16string_view path(buffer.data(), length);
    const size_t slash = path.rfind(u'/');
    return tCString(slash == std::u16string_view::npos ? std::u16string_view() : path.substr(0, slash + 1));
}

}  // namespace

CAppBase* GetApplication()
{
    return gApplication;
}

tCString ApplicationText(uint32_t id, int32_t alternative)
{
    tCString text;
    if (gApplication)
        gApplication->GetString(text, id, alternative);
    return text;
}

tCString ApplicationTextOrEmpty(uint32_t id)
{
    tCString text = ApplicationText(id);
    if (text.GetLength() >= 2 && text.GetAt(0) == u'%' && text.GetAt(1) == u'%')
        return tCString(u"");
    return text;
}

CWindowBase* GetMainWindow()
{
    return gApplication ? gMainWindow : nullptr;
}

tCString GetBaseFolder(uint32_t selector)
{
    if (!gApplication)
        return tCString(u"");
    return selector == 0 ? gApplication->GetProgramFolder() : gApplication->GetSecondBaseFolder();
}

CAppBase::CAppBase()
{
    assert(!gApplication);
    gApplication = this;
    SetErrorBoxHost(this);
    BuildSineTable();
    if (const tTextLibraryHooks hooks = GetTextLibraryHooks(); hooks.start)
        hooks.start();
    m_programFolder = ExecutableFolder();
    m_secondBaseFolder = m_programFolder;
}

CAppBase::~CAppBase()
{
    if (m_soundMixer)
        m_soundMixer->StopAll();
    // Pooled fonts let go of the font library before it stops.
    for (CResourcePool& pool : m_pools)
        pool.DeleteAll();
    if (const tTextLibraryHooks hooks = GetTextLibraryHooks(); hooks.stop)
        hooks.stop();
    m_stringTable.Clear();
    m_resourceDirectory.Clear();
    m_secondResourceDirectory.Clear();
    if (m_tabletInput)
        m_tabletInput->Close();
    m_tabletInput.reset();
    m_soundMixer.reset();
    if (GetErrorBoxHost() == this)
        SetErrorBoxHost(nullptr);
    gApplication = nullptr;
}

void CAppBase::Quit()
{
    m_quit = true;
}

tResult CAppBase::OnCloseRequest()
{
    return kResHandled;
}

IRootWidget* CAppBase::MainRoot()
{
    CWindowBase* window = GetMainWindow();
    return window ? window->GetRootWidget() : nullptr;
}

void CAppBase::PushSystemCursor()
{
    if (m_cursorPushed)
        return;
    m_savedSystemCursor = m_systemCursorShown;
    m_savedBackdropCursor = IsBackdropCursorShown();
    m_cursorPushed = true;
    if (!m_systemCursorShown)
        ShowSystemCursor();
}

void CAppBase::PopSystemCursor()
{
    if (!m_cursorPushed)
        return;
    m_cursorPushed = false;
    if (m_savedSystemCursor)
        ShowSystemCursor();
    else if (m_savedBackdropCursor)
        ShowBackdropCursor();
}

void CAppBase::HideCursors()
{
    HideSystemCursor();
    HideBackdropCursor();
}

void CAppBase::HideBackdropCursor()
{
    if (IRootWidget* root = MainRoot())
        root->HideCursor();
}

void CAppBase::ShowBackdropCursor()
{
    IRootWidget* root = MainRoot();
    if (!root)
        return;
    HideSystemCursor();
    root->ShowCursor();
}

bool CAppBase::IsBackdropCursorShown()
{
    IRootWidget* root = MainRoot();
    return root && root->IsCursorShown() && !m_systemCursorShown;
}

void CAppBase::TrackBackdropCursor()
{
    IRootWidget* root = MainRoot();
    if (root && m_cursorTracking)
        root->TrackCursorWidget();
}

tResult CAppBase::RunHeartbeat()
{
    const tResult result = OnHeartbeat(0);
    return IsSuccess(result) ? kResOk : result;
}

tResult CAppBase::OpenFiles(tCStringArray)
{
    return kResOk;
}

tResult CAppBase::Notify(uint32_t message, tMsgArg a, tMsgArg b)
{
    TK_TRY(OnNotify(message, a, b));
    TK_TRY(BroadcastToListeners(message, a, b));
    IRootWidget* root = MainRoot();
    return root ? root->BroadcastMessage(message, a, b) : kResOk;
}

tResult CAppBase::AddListener(tCCmdTarget* listener)
{
    return m_hub.AddListener(listener);
}

void CAppBase::RemoveListener(tCCmdTarget* listener)
{
    m_hub.RemoveListener(listener);
}

tResult CAppBase::BroadcastToListeners(uint32_t message, tMsgArg a, tMsgArg b)
{
    return m_hub.OnNotify(message, a, b);
}

tResult CAppBase::StartUp()
{
    const tCString folder = m_resourceFolderName.Concat(tCString(u":"));
    // Without a resource file the run goes on as one without a Resources folder, which is legal:
    // every resource look-up then fails.
    if (OpenFileByName(&m_resourceFile, folder.Concat(m_resourceFileName), tCFile::kAccessRead) != kResOk)
        return kResOk;
    TK_TRY(m_resourceDirectory.Read(&m_resourceFile));
    const tCString stringTable = folder.Concat(m_stringTableFileName);
    if (NamedFileExists(stringTable, 0))
        TK_TRY(m_stringTable.LoadFromFile(stringTable));
    if (m_secondResourceFileName.IsEmpty())
        m_secondResourceFileName = m_resourceFileName;
    if (OpenFileByName(&m_secondResourceFile, folder.Concat(m_secondResourceFileName), tCFile::kAccessRead) == kResOk)
        TK_TRY(m_secondResourceDirectory.Read(&m_secondResourceFile));
    return kResOk;
}

tResult CAppBase::AddResourceToPool(int32_t pool, tCResourceObject* object)
{
    if (pool < 0 || pool >= kResourcePoolCount || !object)
        return kResBadParam;
    return m_pools[pool].Add(object);
}

template <typename Find>
tCResourceObject* CAppBase::FindInPools(int32_t pool, Find find) const
{
    if (pool == kAllPoolsButFonts) {
        for (int32_t i = 0; i < kFontPool; ++i)
            if (tCResourceObject* found = find(m_pools[i]))
                return found;
        return nullptr;
    }
    return (pool >= 0 && pool < kResourcePoolCount) ? find(m_pools[pool]) : nullptr;
}

tCResourceObject* CAppBase::FindResourceByName(int32_t pool, const tCString& name) const
{
    return FindInPools(pool, [&](const CResourcePool& members) { return members.FindByName(name); });
}

tCResourceObject* CAppBase::FindResourceById(int32_t pool, uint32_t id) const
{
    return FindInPools(pool, [&](const CResourcePool& members) { return members.FindById(id); });
}

tCString& CAppBase::GetString(tCString& out, uint32_t id, int32_t alternative) const
{
    return m_stringTable.GetString(out, id, alternative);
}

tResult CAppBase::ReportError(tResult, tCString)
{
    return kResOk;
}

template <typename Call>
tResult CAppBase::ForEachWindow(Call call)
{
    std::vector<CWindowBase*> snapshot(WindowList().begin(), WindowList().end());
    for (CWindowBase* window : snapshot) {
        if (WindowList().IndexOf(window) < 0)
            continue;
        TK_TRY(call(window));
    }
    return kResOk;
}

tResult CAppBase::OnHeartbeat(tMsgArg)
{
    TrackBackdropCursor();
    ++m_tickCount;
    if ((m_tickCount & 0xFF) == 0 && m_soundMixer)
        m_soundMixer->RemoveFinished();
    if (IsPaintPending() && GetMainWindow()) {
        ForEachWindow([](CWindowBase* window) {
            window->OnPaint();
            return kResOk;
        });
    }
    if (m_quit)
        return kResOk;
    if (!m_active)
        return kResHandled;
    TK_TRY(OnTick());
    if (!GetMainWindow())
        return kResOk;
    return ForEachWindow([](CWindowBase* window) { return window->Heartbeat(); });
}

tResult CAppBase::SetUpApplication(tCString)
{
    return kResOk;
}

tResult CAppBase::OnExit()
{
    return kResOk;
}

tResult CAppBase::OnTick()
{
    return kResOk;
}

CAppWindow* CAppBase::CreateAppWindow()
{
    return new (std::nothrow) CAppWindow;
}

template <typename Create>
tResult CAppBase::MakeMainWindow(IRootWidget* root, const char* title, int32_t coverFlag, Create create)
{
    CAppWindow* window = CreateAppWindow();
    if (!window) {
        delete root;
        return kResNoMemory;
    }
    // The window procedure needs the main window before the system window exists.
    SetMainWindow(window);
    if (!coverFlag)
        window->SetMonitorFlag(1);
    const tCString caption = title ? tCString::FromAnsi(title) : root->GetResourceName();
    window->SetRootWidget(root);
    if (!create(window, caption))
        return kResFailure;
    const tResult built = root->BuildInterface();
    if (built != kResOk)
        return built;
    root->SetReady();
    return window->Show(1);
}

tResult CAppBase::CreateMainWindowAt(IRootWidget* root, int32_t iconId, uint32_t options, float sizeX, float sizeY,
                                     float positionX, float positionY, const char* title, int32_t coverFlag)
{
    return MakeMainWindow(root, title, coverFlag, [&](CAppWindow* window, const tCString& caption) {
        return window->CreateRelative(options, tCFPoint{sizeX, sizeY}, tCFPoint{positionX, positionY}, caption,
                                      iconId);
    });
}

tResult CAppBase::CreateMainWindow(IRootWidget* root, int32_t iconId, int32_t width, int32_t height, const char* title,
                                   int32_t coverFlag)
{
    if (width == 0 && height == 0) {
        float layoutWidth = 0, layoutHeight = 0;
        root->GetLayoutSize(&layoutWidth, &layoutHeight);
        width = int32_t(layoutWidth);
        height = int32_t(layoutHeight);
    }
    return MakeMainWindow(root, title, coverFlag, [&](CAppWindow* window, const tCString& caption) {
        return window->Create(width, height, caption, iconId);
    });
}

tResult CAppBase::CreateTabletInput()
{
    if (m_tabletInput || !m_tabletInputFactory)
        return kResOk;
    m_tabletInput.reset(m_tabletInputFactory());
    if (!m_tabletInput)
        return kResNoMemory;
    return m_tabletInput->OpenTabletContext();
}

tResult CAppBase::RegisterWindow(CWindowBase* window, int32_t add)
{
    tCArray<CWindowBase*>& windows = WindowList();
    if (add)
        return windows.Add(window) == kResOk ? kResOk : kResNoMemory;
    for (int32_t i = windows.GetCount() - 1; i >= 0; --i)
        if (windows[i] == window)
            windows.RemoveAt(i);
    return kResOk;
}

void CAppBase::SetMainWindow(CWindowBase* window)
{
    gMainWindow = window;
}

void CAppBase::ForgetMainWindow(CWindowBase* window)
{
    if (gMainWindow == window)
        gMainWindow = nullptr;
}

void CAppBase::SetSoundMixer(ISoundMixer* mixer)
{
    m_soundMixer.reset(mixer);
}
