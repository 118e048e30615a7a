#include "toolkit/core/CAppWin.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/Input.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/MessageBox.h"
#include "platform/Queue.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/core/HostLookupHook.h"

CAppWin::CAppWin() = default;

CAppWin::~CAppWin()
{
    StopHeartbeat();
}

w32::HWND CAppWin::MainHandle() const
{
    CWindowBase* window = GetMainWindow();
    return window ? window->GetHandle() : nullptr;
}

void CAppWin::Quit()
{
    m_quit = true;
    const w32::HWND handle = MainHandle();
    if (!handle) {
        w32::PostQuitMessage(0);
        return;
    }
    w32::SendMessageW(handle, w32::WM_CLOSE, 0, 0);
    // A close request that kept the window (a cancelled save prompt) keeps the program running:
    // ending the loop now would destroy the window and the unsaved painting with it.
    if (w32::IsWindow(handle))
        m_quit = false;
}

tResult CAppWin::MinimiseWindow()
{
    if (const w32::HWND handle = MainHandle())
        w32::ShowWindow(handle, w32::SW_MINIMIZE);
    return kResOk;
}

tResult CAppWin::RestoreWindow()
{
    if (const w32::HWND handle = MainHandle())
        w32::ShowWindow(handle, w32::SW_SHOWNORMAL);
    return kResOk;
}

bool CAppWin::IsKeyDown(int32_t virtualKey)
{
    return (w32::GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

bool CAppWin::IsPrimaryButtonDown()
{
    return IsKeyDown(w32::GetSystemMetrics(w32::SM_SWAPBUTTON) ? w32::VK_RBUTTON : w32::VK_LBUTTON);
}

bool CAppWin::IsSecondaryButtonDown()
{
    return IsKeyDown(w32::GetSystemMetrics(w32::SM_SWAPBUTTON) ? w32::VK_LBUTTON : w32::VK_RBUTTON);
}

bool CAppWin::IsMiddleButtonDown()
{
    return IsKeyDown(w32::VK_MBUTTON);
}

bool CAppWin::IsPrimaryButtonHeld()
{
    return IsPrimaryButtonDown() && !IsButtonMessagePending();
}

bool CAppWin::IsSecondaryButtonHeld()
{
    return IsSecondaryButtonDown() && !IsButtonMessagePending();
}

bool CAppWin::IsMiddleButtonHeld()
{
    return IsMiddleButtonDown() && !IsButtonMessagePending();
}

bool CAppWin::IsAnyButtonDown()
{
    return IsPrimaryButtonDown() || IsSecondaryButtonDown() || IsMiddleButtonDown();
}

bool CAppWin::IsAnyButtonHeld()
{
    return IsAnyButtonDown() && !IsButtonMessagePending();
}

bool CAppWin::IsButtonMessagePending()
{
    w32::MSG message;
    return w32::PeekMessageW(&message, MainHandle(), w32::WM_LBUTTONDOWN, w32::WM_MBUTTONDBLCLK, w32::PM_NOREMOVE) != 0;
}

// The modifiers and the space bar of the key or click being handled, as they were when it came,
// however late the queue reaches it; outside its handling, the live state.
bool CAppWin::IsShiftDown()
{
    return (w32::GetKeyState(w32::VK_SHIFT) & 0x8000) != 0;
}

bool CAppWin::IsControlDown()
{
    return (w32::GetKeyState(w32::VK_CONTROL) & 0x8000) != 0;
}

bool CAppWin::IsAltDown()
{
    return (w32::GetKeyState(w32::VK_MENU) & 0x8000) != 0;
}

bool CAppWin::IsSpaceDown()
{
    return (w32::GetKeyState(w32::VK_SPACE) & 0x8000) != 0;
}

bool CAppWin::IsAppsKeyDown()
{
    return IsKeyDown(w32::VK_APPS);
}

tCPoint CAppWin::GetCursorPosition()
{
    w32::POINT point;
    if (!w32::GetCursorPos(&point))
        return tCPoint{0, 0};
    return tCPoint{point.x, point.y};
}

void CAppWin::WaitForInputOrTick(bool moves)
{
    // The moves come last, so that a wait without them passes over them.
    static constexpr w32::UINT kInput[] = {
        w32::WM_LBUTTONDOWN, w32::WM_LBUTTONUP,   w32::WM_LBUTTONDBLCLK, w32::WM_RBUTTONDOWN, w32::WM_RBUTTONUP,
        w32::WM_RBUTTONDBLCLK, w32::WM_MBUTTONDOWN, w32::WM_MBUTTONUP, w32::WM_MBUTTONDBLCLK, w32::WM_MOUSEMOVE,
    };
    const w32::HWND window = MainHandle();
    if (!window) {
        w32::Sleep(kHeartbeatPeriodMs);
        return;
    }
    // Whether input came is for the loop to find.
    (void)w32::WaitMessageAmongW(window, kInput, std::size(kInput) - (moves ? 0 : 1), kHeartbeatPeriodMs);
}

void CAppWin::HideSystemCursor()
{
    int32_t counter = w32::ShowCursor(1);
    while (counter < -1)
        counter = w32::ShowCursor(1);
    while (counter > -1)
        counter = w32::ShowCursor(0);
    m_systemCursorShown = false;
}

void CAppWin::ShowSystemCursor()
{
    HideBackdropCursor();
    int32_t counter = w32::ShowCursor(1);
    while (counter < 0)
        counter = w32::ShowCursor(1);
    while (counter > 0)
        counter = w32::ShowCursor(0);
    m_systemCursorShown = true;
}

tResult CAppWin::SetCursorPosition(int32_t x, int32_t y)
{
    w32::SetCursorPos(x, y);
    return kResOk;
}

bool CAppWin::IsPaintPending()
{
    w32::MSG message;
    return w32::PeekMessageW(&message, nullptr, w32::WM_PAINT, w32::WM_PAINT, w32::PM_NOREMOVE) != 0;
}

void CAppWin::KillMainWindowTimers()
{
    const w32::HWND handle = MainHandle();
    if (!handle)
        return;
    for (w32::UINT_PTR id = 0; id < 32; ++id)
        w32::KillTimer(handle, id);
}

void CAppWin::ShowMessageBox(const tCString& text, const tCString& title)
{
    w32::MessageBoxW(MainHandle(), text.GetTextOrEmpty(), title.GetTextOrEmpty(), w32::MB_OK);
}

tResult CAppWin::OnDispatchedMessage(const w32::MSG&)
{
    return kResOk;
}

bool CAppWin::IsTick(const w32::MSG& message)
{
    return message.message == w32::WM_TIMER && !message.hwnd && message.wParam == kHeartbeatTimerId;
}

void CAppWin::PostTickUnlessPending()
{
    std::lock_guard<std::recursive_mutex> guard(m_tickLock);
    if (!m_run || m_tickPending)
        return;
    m_tickPending = true;
    w32::PostThreadMessageW(m_mainThread, w32::WM_TIMER, kHeartbeatTimerId, 0);
}

void CAppWin::ClearTickIfNoneWaits()
{
    std::lock_guard<std::recursive_mutex> guard(m_tickLock);
    if (!m_tickPending)
        return;
    w32::MSG message;
    if (!w32::PeekMessageW(&message, nullptr, w32::WM_TIMER, w32::WM_TIMER, w32::PM_NOREMOVE) || !IsTick(message))
        m_tickPending = false;
}

bool CAppWin::TakeMessage(w32::MSG* message)
{
    const bool notQuit = w32::GetMessageW(message, nullptr, 0, 0) != 0;
    if (IsTick(*message)) {
        std::lock_guard<std::recursive_mutex> guard(m_tickLock);
        m_tickPending = false;
    }
    return notQuit;
}

w32::DWORD CAppWin::HeartbeatThreadMain(void* parameter)
{
    auto* app = static_cast<CAppWin*>(parameter);
    app->m_heartbeatRunning = true;
    while (app->m_run) {
        if (w32::WaitForSingleObject(app->m_stopHeartbeat, kHeartbeatPeriodMs) != w32::WAIT_TIMEOUT)
            break;
        app->PostTickUnlessPending();
    }
    app->m_heartbeatRunning = false;
    return 0;
}

tResult CAppWin::StartHeartbeat()
{
    if (m_heartbeatThread)
        return kResOk;
    m_mainThread = w32::GetCurrentThreadId();
    m_run = true;
    m_stopHeartbeat = w32::CreateEventW(nullptr, 1, 0, nullptr);
    m_heartbeatThread = w32::CreateThread(nullptr, 0, HeartbeatThreadMain, this, 0, nullptr);
    if (m_heartbeatThread)
        return kResOk;
    w32::CloseHandle(m_stopHeartbeat);
    m_stopHeartbeat = nullptr;
    return kResNoMemory;
}

void CAppWin::StopHeartbeat()
{
    m_run = false;
    if (!m_heartbeatThread)
        return;
    w32::SetEvent(m_stopHeartbeat);
    w32::WaitForSingleObject(m_heartbeatThread, w32::INFINITE);
    w32::CloseHandle(m_heartbeatThread);
    w32::CloseHandle(m_stopHeartbeat);
    m_heartbeatThread = nullptr;
    m_stopHeartbeat = nullptr;
}

tResult CAppWin::PumpStep()
{
    ClearTickIfNoneWaits();
    w32::MSG message;
    if (!TakeMessage(&message)) {
        m_quit = true;
        w32::Sleep(0);
        return kResOk;
    }
    if (IsTick(message)) {
        const tResult result = OnHeartbeat(0);
        if (!IsSuccess(result))
            return result;
    }
    // Only the first message of a step runs the heartbeat; later ticks are dispatched like any
    // other message.
    for (;;) {
        w32::TranslateMessage(&message);
        w32::DispatchMessageW(&message);
        if (message.message == kMsgHostLookupDone) {
            if (const tHostLookupCompletion complete = GetHostLookupCompletion())
                TK_TRY(complete(&message));
        }
        if (message.message == w32::kMsgShellOpenFailed)
            ReportLateShellFailure(message);
        TK_TRY(OnDispatchedMessage(message));
        if (!w32::PeekMessageW(&message, nullptr, 0, 0, w32::PM_NOREMOVE)) {
            w32::Sleep(0);
            return kResOk;
        }
        if (!TakeMessage(&message)) {
            m_quit = true;
            return kResOk;
        }
    }
}

tResult CAppWin::MainLoop()
{
    tResult result = kResOk;
    while (!m_quit && result == kResOk)
        result = PumpStep();
    w32::MSG message;
    while (w32::PeekMessageW(&message, nullptr, 0, 0, w32::PM_NOREMOVE)) {
        if (TakeMessage(&message)) {
            w32::TranslateMessage(&message);
            w32::DispatchMessageW(&message);
        }
    }
    OnMainLoopEnd();
    StopHeartbeat();
    if (CWindowBase* window = GetMainWindow(); window && window->GetHandle())
        window->DestroyWindow();
    return result;
}

int32_t CAppWin::Run(w32::HINSTANCE instance, const char* commandLine, int32_t showCommand)
{
    m_instance = instance;
    m_showCommand = showCommand;
    tResult result = StartHeartbeat();
    if (result == kResOk)
        result = StartUp();
    if (result != kResOk) {
        ReportResult(result, nullptr);
        StopHeartbeat();
        return int32_t(result);
    }
    // The command line names a file: its bytes are kept whatever they are.
    result = SetUpApplication(tCString::FromFileName(commandLine ? commandLine : ""));
    if (result == kResOk)
        result = CreateTabletInput();
    if (result == kResOk)
        result = MainLoop();
    StopHeartbeat();

    if (result != kResOk) {
        ReportResult(result, nullptr);
        if (CWindowBase* window = GetMainWindow(); window && window->GetHandle())
            window->DestroyWindow();
        SetMainWindow(nullptr);
    }
    const tResult exitResult = OnExit();
    if (exitResult != kResOk)
        ReportResult(exitResult, nullptr);
    return int32_t(exitResult);
}

tResult CAppWin::SetClipboardText(tCString text)
{
    if (!w32::OpenClipboard(MainHandle()))
        return kResCreateFailed;
    const size_t units = size_t(text.GetLength()) + 1;
    w32::HGLOBAL memory = nullptr;
    if (w32::EmptyClipboard())
        memory = w32::GlobalAlloc(w32::GMEM_MOVEABLE, units * sizeof(char16_t));
    void* data = memory ? w32::GlobalLock(memory) : nullptr;
    if (!data) {
        if (memory)
            w32::GlobalFree(memory);
        w32::CloseClipboard();
        return kResCreateFailed;
    }
    std::memcpy(data, text.GetTextOrEmpty(), units * sizeof(char16_t));
    w32::GlobalUnlock(memory);
    if (!w32::SetClipboardData(w32::CF_UNICODETEXT, memory)) {
        w32::GlobalFree(memory);
        w32::CloseClipboard();
        return kResCreateFailed;
    }
    w32::CloseClipboard();
    return kResOk;
}

tResult CAppWin::GetClipboardText(tCString& out)
{
    const bool unicode = w32::IsClipboardFormatAvailable(w32::CF_UNICODETEXT) != 0;
    if (!unicode && !w32::IsClipboardFormatAvailable(w32::CF_TEXT))
        return kResHandled;
    if (!w32::OpenClipboard(MainHandle()))
        return kResCreateFailed;
    const w32::HGLOBAL memory = w32::GetClipboardData(unicode ? w32::CF_UNICODETEXT : w32::CF_TEXT);
    const void* data = memory ? w32::GlobalLock(memory) : nullptr;
    if (!data) {
        w32::CloseClipboard();
        return kResCreateFailed;
    }
    // The text ends at its terminator or at the end of the block, whichever comes first.
    const size_t bytes = w32::GlobalSize(memory);
    tResult result;
    if (unicode) {
        const auto* text = static_cast<const char16_t*>(data);
        const size_t units = std::find(text, text + bytes / 2, u'\0') - text;
        result = out.SetText(text, int32_t(units));
    } else {
        const auto* text = static_cast<const char*>(data);
        result = out.AssignFromAnsi(text, size_t(std::find(text, text + bytes, '\0') - text));
    }
    w32::GlobalUnlock(memory);
    w32::CloseClipboard();
    return result == kResOk ? kResOk : kResCreateFailed;
}

tResult CAppWin::ReadPrefString(w32::HKEY root, const tCString& key, const tCString& name, tCString& out)
{
    w32::HKEY opened = nullptr;
    if (w32::RegOpenKeyExW(root, key.GetTextOrEmpty(), 0, w32::KEY_QUERY_VALUE, &opened) != w32::ERROR_SUCCESS)
        return kResPrefError;
    w32::DWORD type = 0, size = 0;
    tResult result = kResPrefError;
    if (w32::RegQueryValueExW(opened, name.GetTextOrEmpty(), nullptr, &type, nullptr, &size) == w32::ERROR_SUCCESS &&
        type == w32::REG_SZ && size > 0) {
        // Twice the size, zeroed, so that a value stored without its terminator still ends.
        std::vector<char16_t> buffer(size, u'\0');
        w32::DWORD got = size;
        if (w32::RegQueryValueExW(opened, name.GetTextOrEmpty(), nullptr, &type,
                                  reinterpret_cast<w32::BYTE*>(buffer.data()), &got) == w32::ERROR_SUCCESS) {
            const size_t units = std::find(buffer.begin(), buffer.end(), u'\0') - buffer.begin();
            result = out.SetText(buffer.data(), int32_t(units)) == kResOk ? kResOk : kResPrefError;
        }
    }
    w32::RegCloseKey(opened);
    return result;
}

tResult CAppWin::ReadPrefDword(w32::HKEY root, const tCString& key, const tCString& name, uint32_t& out)
{
    w32::HKEY opened = nullptr;
    if (w32::RegOpenKeyExW(root, key.GetTextOrEmpty(), 0, w32::KEY_QUERY_VALUE, &opened) != w32::ERROR_SUCCESS)
        return kResPrefError;
    w32::DWORD type = 0, size = sizeof(uint32_t);
    uint32_t value = 0;
    const bool read = w32::RegQueryValueExW(opened, name.GetTextOrEmpty(), nullptr, &type,
                                            reinterpret_cast<w32::BYTE*>(&value), &size) == w32::ERROR_SUCCESS &&
                      type == w32::REG_DWORD && size == sizeof(uint32_t);
    w32::RegCloseKey(opened);
    if (!read)
        return kResPrefError;
    out = value;
    return kResOk;
}

tResult CAppWin::WritePrefString(w32::HKEY root, const tCString& key, const tCString& name, const tCString& text)
{
    w32::HKEY opened = nullptr;
    if (w32::RegOpenKeyExW(root, key.GetTextOrEmpty(), 0, w32::KEY_WRITE, &opened) != w32::ERROR_SUCCESS)
        return kResPrefError;
    const auto bytes = w32::DWORD((size_t(text.GetLength()) + 1) * sizeof(char16_t));
    const bool written = w32::RegSetValueExW(opened, name.GetTextOrEmpty(), 0, w32::REG_SZ,
                                             reinterpret_cast<const w32::BYTE*>(text.GetTextOrEmpty()),
                                             bytes) == w32::ERROR_SUCCESS;
    w32::RegCloseKey(opened);
    return written ? kResOk : kResPrefError;
}

tResult CAppWin::WritePrefDword(w32::HKEY root, const tCString& key, const tCString& name, uint32_t value)
{
    w32::HKEY opened = nullptr;
    if (w32::RegCreateKeyExW(root, key.GetTextOrEmpty(), 0, nullptr, w32::REG_OPTION_NON_VOLATILE,
                             w32::KEY_ALL_ACCESS, nullptr, &opened, nullptr) != w32::ERROR_SUCCESS)
        return kResPrefError;
    const bool written = w32::RegSetValueExW(opened, name.GetTextOrEmpty(), 0, w32::REG_DWORD,
                                             reinterpret_cast<const w32::BYTE*>(&value),
                                             sizeof value) == w32::ERROR_SUCCESS;
    w32::RegCloseKey(opened);
    return written ? kResOk : kResPrefError;
}

tResult CAppWin::ReadMachinePrefString(const tCString& key, const tCString& name, tCString& out)
{
    return ReadPrefString(w32::HKEY_LOCAL_MACHINE, key, name, out);
}

tResult CAppWin::ReadMachinePrefDword(const tCString& key, const tCString& name, uint32_t& out)
{
    return ReadPrefDword(w32::HKEY_LOCAL_MACHINE, key, name, out);
}

tResult CAppWin::WriteMachinePrefString(const tCString& key, const tCString& name, const tCString& text)
{
    return WritePrefString(w32::HKEY_LOCAL_MACHINE, key, name, text);
}

tResult CAppWin::WriteMachinePrefDword(const tCString& key, const tCString& name, uint32_t value)
{
    return WritePrefDword(w32::HKEY_LOCAL_MACHINE, key, name, value);
}

tResult CAppWin::ReadUserPrefString(const tCString& key, const tCString& name, tCString& out)
{
    return ReadPrefString(w32::HKEY_CURRENT_USER, key, name, out);
}

tResult CAppWin::ReadUserPrefDword(const tCString& key, const tCString& name, uint32_t& out)
{
    return ReadPrefDword(w32::HKEY_CURRENT_USER, key, name, out);
}

tResult CAppWin::WriteUserPrefString(const tCString& key, const tCString& name, const tCString& text)
{
    return WritePrefString(w32::HKEY_CURRENT_USER, key, name, text);
}

tResult CAppWin::WriteUserPrefDword(const tCString& key, const tCString& name, uint32_t value)
{
    return WritePrefDword(w32::HKEY_CURRENT_USER, key, name, value);
}
