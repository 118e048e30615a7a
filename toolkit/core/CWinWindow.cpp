#include "toolkit/core/CWinWindow.h"

#include <algorithm>
#include <vector>

#include "platform/Input.h"
#include "platform/Messages.h"
#include "platform/Paint.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "toolkit/core/CAppWin.h"
#include "toolkit/core/IRootWidget.h"
#include "toolkit/core/ITabletInput.h"

namespace {

CAppWin* WinApp()
{
    return dynamic_cast<CAppWin*>(GetApplication());
}

ITabletInput* PenInput()
{
    CAppBase* app = GetApplication();
    return app ? app->GetTabletInput() : nullptr;
}

// The point of a mouse message: two signed 16-bit halves, so that a point left of or above the
// client area (the mouse is held outside the window) stays negative.
tCPoint MessagePoint(w32::LPARAM lParam)
{
    return tCPoint{w32::GET_X_LPARAM(lParam), w32::GET_Y_LPARAM(lParam)};
}

// A modifier as the key being translated found it.
bool IsDown(int virtualKey)
{
    return (w32::GetKeyState(virtualKey) & 0x8000) != 0;
}

// Keys that make no character, whose codes would read as control characters or brackets.
bool IsModifierOrLockKey(int virtualKey)
{
    switch (virtualKey) {
    case w32::VK_SHIFT:
    case w32::VK_CONTROL:
    case w32::VK_PAUSE:
    case w32::VK_CAPITAL:
    case w32::VK_LWIN:
    case w32::VK_RWIN:
    case w32::VK_NUMLOCK:
    case w32::VK_SCROLL:
        return true;
    default:
        return false;
    }
}

// Greek, Cyrillic, Armenian, Hebrew, Arabic and the scripts after them up to the punctuation,
// less the Latin letters among them.
bool IsOtherScript(int32_t code)
{
    return code >= 0x370 && code < 0x2000 && !(code >= 0x1E00 && code < 0x1F00);
}

}  // namespace

CWinWindow::CWinWindow() = default;

CWinWindow::~CWinWindow() = default;

bool CWinWindow::HasSystemBar() const
{
    return m_rootWidget && m_rootWidget->GetSystemBarSetting() != 0;
}

bool CWinWindow::HasModalOpen() const
{
    return m_rootWidget && m_rootWidget->GetTopModal() != nullptr;
}

int32_t CWinWindow::CreateSystemWindow(int32_t& width, int32_t& height, w32::DWORD extraStyle, const tCString& title,
                                       int32_t iconId)
{
    if (CAppBase* app = GetApplication())
        app->Deactivate();
    CAppWin* app = WinApp();
    const w32::HINSTANCE instance = app ? app->GetInstance() : nullptr;

    w32::WNDCLASSEXW windowClass;
    windowClass.style = w32::CS_HREDRAW | w32::CS_VREDRAW;
    windowClass.lpfnWndProc = StaticWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = w32::LoadIconW(instance, iconId == -1 ? w32::IDI_WINLOGO : uintptr_t(iconId));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = w32::LoadCursorW(nullptr, w32::IDC_ARROW);
    windowClass.lpszClassName = title.GetTextOrEmpty();
    // A class of this title registered before keeps serving.
    w32::RegisterClassExW(&windowClass);

    w32::RECT desktop;
    w32::GetWindowRect(w32::GetDesktopWindow(), &desktop);
    width = std::min<int32_t>(width, desktop.right - desktop.left);
    height = std::min<int32_t>(height, desktop.bottom - desktop.top);
    const w32::DWORD style = (HasSystemBar() ? 0xCB0000u : 0u) | extraStyle;
    w32::RECT outer{0, 0, width, height};
    w32::AdjustWindowRect(&outer, style, 0);
    m_handle = w32::CreateWindowExW(0, title.GetTextOrEmpty(), title.GetTextOrEmpty(), style, 0, 0,
                                    outer.right - outer.left, outer.bottom - outer.top, w32::GetDesktopWindow(),
                                    nullptr, instance, this);
    if (!m_handle)
        return 0;
    w32::DragAcceptFiles(m_handle, 1);
    if (!m_rootWidget) {
        const tRootWidgetFactory factory = GetRootWidgetFactory();
        IRootWidget* root = factory ? factory() : nullptr;
        if (!root) {
            w32::DestroyWindow(m_handle);
            return 0;
        }
        SetRootWidget(root);
    }
    return 1;
}

int32_t CWinWindow::EndCreation()
{
    m_creating = false;
    if (!m_handle) {
        delete this;
        return 0;
    }
    m_created = true;
    return 1;
}

int32_t CWinWindow::Create(int32_t width, int32_t height, tCString title, int32_t iconId)
{
    m_creating = true;
    if (CreateSystemWindow(width, height, 0, title, iconId)) {
        if (SetSize(width, height, 1) != kResOk && m_handle)
            w32::DestroyWindow(m_handle);
        if (m_handle)
            OnSize(m_width, m_height);
    }
    return EndCreation();
}

int32_t CWinWindow::CreateRelative(uint32_t options, tCFPoint size, tCFPoint position, tCString title, int32_t iconId)
{
    const tCRect rect = RectFromFractions(options, size, position, m_monitorFlag);
    int32_t width = rect.Width(), height = rect.Height();
    w32::DWORD extraStyle = 0;
    if (options & kPlaceResizable) {
        extraStyle = w32::WS_THICKFRAME;
        m_resizable = true;
    }
    m_creating = true;
    if (CreateSystemWindow(width, height, extraStyle, title, iconId)) {
        // A failed move leaves the window where it was made; OnSize settles the root either way.
        Relayout(options, size, position, 0);
        if (m_handle)
            OnSize(m_width, m_height);
    }
    return EndCreation();
}

tResult CWinWindow::Show(int32_t show)
{
    if (!m_handle)
        return kResOk;
    if (show) {
        const CAppWin* app = WinApp();
        w32::ShowWindow(m_handle, app ? app->GetShowCommand() : w32::SW_SHOWNORMAL);
        w32::SetFocus(m_handle);
    } else {
        w32::ShowWindow(m_handle, w32::SW_HIDE);
    }
    return kResOk;
}

tResult CWinWindow::SetIcon(int32_t iconId)
{
    if (!m_handle)
        return kResOk;
    const CAppWin* app = WinApp();
    const w32::HICON icon = w32::LoadIconW(app ? app->GetInstance() : nullptr, uintptr_t(iconId));
    w32::SetClassLongPtrW(m_handle, w32::GCLP_HICON, reinterpret_cast<uintptr_t>(icon));
    w32::SetClassLongPtrW(m_handle, w32::GCLP_HICONSM, reinterpret_cast<uintptr_t>(icon));
    return kResOk;
}

void CWinWindow::DestroyWindow()
{
    if (!m_handle) {
        delete this;
        return;
    }
    w32::DestroyWindow(m_handle);
}

tResult CWinWindow::SetTitle(tCString title)
{
    w32::SetWindowTextW(m_handle, title.GetTextOrEmpty());
    return kResOk;
}

tCString CWinWindow::GetTitle()
{
    char16_t buffer[1024];
    const int32_t length = w32::GetWindowTextW(m_handle, buffer, 1024);
    return tCString(std::u16string_view(buffer, size_t(std::max(length, 0))));
}

bool CWinWindow::IsUnderCursor()
{
    w32::POINT cursor;
    return m_handle && w32::GetCursorPos(&cursor) && w32::WindowFromPoint(cursor) == m_handle;
}

void CWinWindow::OnPaint()
{
    w32::PAINTSTRUCT paint;
    const w32::HDC dc = w32::BeginPaint(m_handle, &paint);
    if (dc && m_rootWidget && !m_rootWidget->GetLayeredSetting()) {
        const tBackBufferView view = m_rootWidget->GetBackBuffer();
        const w32::RECT& r = paint.rcPaint;
        const int32_t left = std::max(r.left, 0), top = std::max(r.top, 0);
        const int32_t right = std::min(r.right, view.width), bottom = std::min(r.bottom, view.height);
        if (view.pixels && right > left && bottom > top) {
            w32::BITMAPINFO info;
            info.bmiHeader.biWidth = view.stride;
            info.bmiHeader.biHeight = -view.height;
            info.bmiHeader.biBitCount = 32;
            w32::SetDIBitsToDevice(dc, left, top, w32::DWORD(right - left), w32::DWORD(bottom - top), left, top, 0,
                                   w32::UINT(view.height), view.pixels, &info, w32::DIB_RGB_COLORS);
        }
    }
    w32::EndPaint(m_handle, &paint);
}

void CWinWindow::OnNcDestroy()
{
    w32::SetWindowLongPtrW(m_handle, w32::GWLP_USERDATA, 0);
    m_handle = nullptr;
    if (!m_creating)
        delete this;
}

void CWinWindow::TranslateKeyDown(w32::WPARAM virtualKey)
{
    const int key = int(virtualKey);
    if (key >= w32::VK_F1 && key <= w32::VK_F12) {
        // F4 with Alt while a modal widget is open closes the widget, not the window.
        if (key == w32::VK_F(4) && HasModalOpen() && IsDown(w32::VK_MENU))
            OnKeyDown(kKeyEscape);
        else
            OnKeyDown(kKeyF1 + (key - w32::VK_F1));
        return;
    }
    switch (key) {
    case w32::VK_PRIOR:
        return OnKeyDown(kKeyPageUp);
    case w32::VK_NEXT:
        return OnKeyDown(kKeyPageDown);
    case w32::VK_END:
        return OnKeyDown(kKeyEnd);
    case w32::VK_HOME:
        return OnKeyDown(kKeyHome);
    case w32::VK_LEFT:
        return OnKeyDown(kKeyLeft);
    case w32::VK_UP:
        return OnKeyDown(kKeyUp);
    case w32::VK_RIGHT:
        return OnKeyDown(kKeyRight);
    case w32::VK_DOWN:
        return OnKeyDown(kKeyDown);
    case w32::VK_DELETE:
        return OnKeyDown(kKeyDelete);
    default:
        break;
    }
    if (IsDown(w32::VK_CONTROL) && key != w32::VK_CONTROL) {
        if (key == w32::VK_ADD)
            OnKeyDown('+');
        else if (key == w32::VK_OEM_PLUS)
            OnKeyDown(IsDown(w32::VK_SHIFT) ? '+' : '=');
        else if (key == w32::VK_OEM_MINUS)
            OnKeyDown('-');
        else if (key == w32::VK_OEM_3)
            OnKeyDown('`');
        else if ((key >= '0' && key <= '9') || key == w32::VK_TAB)
            OnKeyDown(key == w32::VK_TAB ? 9 : key);
    } else if (IsDown(w32::VK_MENU) && key != w32::VK_MENU) {
        // The keypad's keys and Insert are no characters: their codes read as letters ('m' for the
        // keypad's minus, which picked a tool) or as '-'.
        if ((key < w32::VK_NUMPAD0 || key > w32::VK_DIVIDE) && key != w32::VK_INSERT && !IsModifierOrLockKey(key))
            OnKeyDown(key);
    }
}

void CWinWindow::TranslateCharacter(int32_t code)
{
    const int32_t letter = IsOtherScript(code) ? m_letterKey : 0;
    if (!letter)
        return OnKeyDown(code);
    if (!WidgetsTakeKeyDown(code))
        OnKeyDown(IsDown(w32::VK_SHIFT) ? letter : letter - 'A' + 'a');
}

void CWinWindow::OnDropFiles(w32::HDROP drop)
{
    const w32::UINT count = w32::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    tCStringArray files;
    // Each path is asked for whole, however long it is.
    for (w32::UINT i = 0; i < count; ++i) {
        const w32::UINT length = w32::DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0)
            continue;
        std::vector<char16_t> path(length + 1);
        w32::DragQueryFileW(drop, i, path.data(), length + 1);
        if (files.Add(tCString(std::u16string_view(path.data(), length))) != kResOk)
            break;
    }
    w32::DragFinish(drop);
    CAppBase* app = GetApplication();
    if (app && files.GetCount() > 0)
        app->OpenFiles(std::move(files));
}

w32::LRESULT CWinWindow::StaticWindowProc(w32::HWND window, w32::UINT message, w32::WPARAM wParam, w32::LPARAM lParam)
{
    CWinWindow* object = nullptr;
    if (message == w32::WM_NCCREATE) {
        object = static_cast<CWinWindow*>(reinterpret_cast<const w32::CREATESTRUCTW*>(lParam)->lpCreateParams);
        w32::SetWindowLongPtrW(window, w32::GWLP_USERDATA, reinterpret_cast<intptr_t>(object));
        if (object)
            object->m_handle = window;
    } else {
        object = reinterpret_cast<CWinWindow*>(w32::GetWindowLongPtrW(window, w32::GWLP_USERDATA));
    }
    return object ? object->WindowProc(window, message, wParam, lParam) : 0;
}

w32::LRESULT CWinWindow::WindowProc(w32::HWND window, w32::UINT message, w32::WPARAM wParam, w32::LPARAM lParam)
{
    using namespace w32;
    switch (message) {
    case WM_DESTROY:
        if (GetMainWindow() == this) {
            if (CAppWin* app = WinApp())
                app->ClearRunFlag();
            PostQuitMessage(0);
        }
        return 0;
    case WM_SIZE:
        OnSystemSize(wParam, LOWORD(uintptr_t(lParam)), HIWORD(uintptr_t(lParam)));
        break;
    case WM_PAINT:
        OnPaint();
        break;
    case WM_CLOSE: {
        CAppBase* app = GetApplication();
        if (!app || app->OnCloseRequest() != kResHandled)
            return 0;
        break;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_DISPLAYCHANGE:
        if (!(GetWindowLongW(window, GWL_STYLE) & WS_MINIMIZE))
            Relayout(m_fullScreen ? uint32_t(kPlaceFullScreen) : 0u, tCFPoint{-1, -1}, tCFPoint{-1, -1}, 1);
        break;
    case WM_NCDESTROY:
        OnNcDestroy();
        return 0;
    case WM_NCACTIVATE:
        SetRolloverActive(wParam != 0);
        if (ITabletInput* pen = PenInput())
            pen->OnActivate(&wParam, &lParam);
        break;
    case WM_KEYDOWN:
        m_letterKey = wParam >= 'A' && wParam <= 'Z' ? int32_t(wParam) : 0;
        m_decimalKey = wParam == WPARAM(w32::VK_DECIMAL);
        TranslateKeyDown(wParam);
        return 0;
    case WM_KEYUP:
        m_letterKey = 0;
        m_decimalKey = false;
        OnKeyUp(int32_t(wParam));
        return 0;
    case WM_CHAR:
        // The whole character: a UTF-16 unit, not its low byte.
        TranslateCharacter(int32_t(wParam & 0xFFFF));
        return 0;
    case WM_SYSKEYDOWN:
        if (m_sysKeysAsKeys) {
            TranslateKeyDown(wParam);
            return 0;
        }
        if (HasModalOpen() && wParam == WPARAM(VK_F(4))) {
            OnKeyDown(kKeyEscape);
            return 0;
        }
        break;
    case WM_UNICHAR:
    case WM_COMMAND:
        return 0;
    case WM_MENUCHAR:
        return 0x10000;
    case WM_MOUSEMOVE:
        OnMouseMove(MessagePoint(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(MessagePoint(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLeftButtonUp(MessagePoint(lParam));
        return 0;
    case WM_RBUTTONDOWN:
        OnRightButtonDown(MessagePoint(lParam));
        return 0;
    case WM_RBUTTONUP:
        OnRightButtonUp(MessagePoint(lParam));
        return 0;
    case WM_MBUTTONDOWN:
        OnMiddleButtonDown(MessagePoint(lParam));
        return 0;
    case WM_MBUTTONUP:
        OnMiddleButtonUp(MessagePoint(lParam));
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(tCPoint{0, GET_WHEEL_DELTA_WPARAM(wParam)}, MessagePoint(lParam));
        return 0;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case kMsgTabletPacket:
        if (ITabletInput* pen = PenInput())
            pen->OnPacket(&wParam, &lParam);
        break;
    case kMsgTabletInfoChange:
        if (ITabletInput* pen = PenInput())
            pen->UpdatePressureRanges();
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
