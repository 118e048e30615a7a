#include "toolkit/widgets/CSplashWindow.h"

#include "platform/Kernel.h"
#include "platform/Window.h"
#include "toolkit/core/CAppWin.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/IRootWidget.h"
#include "toolkit/widgets/CSplashScreen.h"
#include "toolkit/widgets/SplashScreen.h"

namespace {

CSplashWindow* gLiveSplashWindow = nullptr;

bool HasDropShadows()
{
    w32::OSVERSIONINFOW version;
    return w32::GetVersionExW(&version) &&
           (version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1));
}

}  // namespace

CSplashWindow::CSplashWindow()
{
    gLiveSplashWindow = this;
}

CSplashWindow::~CSplashWindow()
{
    DropRoot();
}

CSplashWindow* CSplashWindow::GetLive()
{
    return gLiveSplashWindow;
}

void CSplashWindow::DropRoot()
{
    if (m_rootWidget) {
        IRootWidget* root = m_rootWidget;
        m_rootWidget = nullptr;
        root->OnWindowDestroyed();
        delete root;
    }
    if (gLiveSplashWindow == this)
        gLiveSplashWindow = nullptr;
}

void CSplashWindow::OnDestroyed()
{
    DropRoot();
}

void CSplashWindow::OnKeyDown(int32_t key)
{
    auto* splash = dynamic_cast<CSplashScreen*>(m_rootWidget);
    if (!splash)
        return;
    CWidget* takenBy = nullptr;
    const tResult result = splash->DispatchSplashKey(&takenBy, key);
    if (result != kResOk)
        ReportResult(result, nullptr);
}

int32_t CSplashWindow::CreateSplashWindow(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                          const tCString& title)
{
    if (CAppBase* app = GetApplication())
        app->Deactivate();
    const auto* app = dynamic_cast<CAppWin*>(GetApplication());
    const w32::HINSTANCE instance = app ? app->GetInstance() : nullptr;

    w32::WNDCLASSEXW windowClass;
    windowClass.style = w32::CS_HREDRAW | w32::CS_VREDRAW | (HasDropShadows() ? w32::CS_DROPSHADOW : 0u);
    windowClass.lpfnWndProc = SplashWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = w32::LoadIconW(instance, w32::IDI_WINLOGO);
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = w32::LoadCursorW(nullptr, w32::IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<w32::HBRUSH>(uintptr_t(6));
    windowClass.lpszClassName = title.GetTextOrEmpty();
    // A class of this title registered before keeps serving.
    w32::RegisterClassExW(&windowClass);

    w32::RECT rect{left, top, right, bottom};
    w32::AdjustWindowRect(&rect, w32::WS_POPUP, 0);
    const w32::HWND handle =
        w32::CreateWindowExW(0, title.GetTextOrEmpty(), title.GetTextOrEmpty(), w32::WS_POPUP, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, w32::GetDesktopWindow(), nullptr,
                             instance, this);
    if (!handle)
        return 0;
    SetHandle(handle);
    m_created = true;
    return 1;
}
