#pragma once

#include <atomic>
#include <mutex>

#include "platform/Win32Types.h"
#include "toolkit/core/CAppBase.h"

// The system half of the application frame: the run with its heartbeat thread, the message
// pump, the input queries, the pointer, the clipboard and the registry.
//
// The heartbeat thread posts WM_TIMER 0xF24 to the main thread every kHeartbeatPeriodMs while no
// tick is pending, and does nothing else. A tick is pending from its post until it is taken off the
// queue, so at most one waits, also while a slow heartbeat runs.
class CAppWin : public CAppBase {
public:
    static constexpr w32::WPARAM kHeartbeatTimerId = 0xF24;
    static constexpr w32::DWORD kHeartbeatPeriodMs = 3;

    CAppWin();
    ~CAppWin() override;

    void OnMainLoopEnd() override {}
    // Sets the quit flag and asks the main window to close, or posts the quit message when
    // there is none. When the window refuses to close, the run goes on.
    void Quit() override;
    tResult MinimiseWindow() override;
    tResult RestoreWindow() override;

    bool IsPrimaryButtonDown() override;
    bool IsSecondaryButtonDown() override;
    bool IsMiddleButtonDown() override;
    bool IsPrimaryButtonHeld() override;
    bool IsSecondaryButtonHeld() override;
    bool IsMiddleButtonHeld() override;
    bool IsAnyButtonDown() override;
    bool IsAnyButtonHeld() override;
    bool IsButtonMessagePending() override;
    bool IsKeyDown(int32_t virtualKey) override;
    bool IsShiftDown() override;
    bool IsControlDown() override;
    bool IsAltDown() override;
    bool IsSpaceDown() override;
    bool IsAppsKeyDown() override;
    tCPoint GetCursorPosition() override;
    // Waits on the main window's queue for at most a heartbeat period; without a main window,
    // sleeps the period.
    void WaitForInputOrTick(bool moves) override;

    // Drive the pointer's display counter to exactly -1 (hidden) or 0 (shown).
    void HideSystemCursor() override;
    void ShowSystemCursor() override;
    tResult SetCursorPosition(int32_t x, int32_t y) override;

    tResult PumpStep() override;
    tResult MainLoop() override;
    bool IsPaintPending() override;

    tResult SetClipboardText(tCString text) override;
    tResult GetClipboardText(tCString& out) override;

    tResult ReadMachinePrefString(const tCString& key, const tCString& name, tCString& out) override;
    tResult ReadMachinePrefDword(const tCString& key, const tCString& name, uint32_t& out) override;
    tResult WriteMachinePrefString(const tCString& key, const tCString& name, const tCString& text) override;
    tResult WriteMachinePrefDword(const tCString& key, const tCString& name, uint32_t value) override;
    tResult ReadUserPrefString(const tCString& key, const tCString& name, tCString& out) override;
    tResult ReadUserPrefDword(const tCString& key, const tCString& name, uint32_t& out) override;
    tResult WriteUserPrefString(const tCString& key, const tCString& name, const tCString& text) override;
    tResult WriteUserPrefDword(const tCString& key, const tCString& name, uint32_t value) override;

    void KillMainWindowTimers() override;
    void ShowMessageBox(const tCString& text, const tCString& title) override;

    // Starts the heartbeat, starts up, sets the application up, makes the pen input and pumps
    // until the end; a failing step goes to the error box. Answers the result of OnExit, or the
    // failure of the heartbeat's start or of the start-up.
    virtual int32_t Run(w32::HINSTANCE instance, const char* commandLine, int32_t showCommand);
    // Every message after its dispatch; a non-zero answer ends the pump step with it.
    virtual tResult OnDispatchedMessage(const w32::MSG& message);

    w32::HINSTANCE GetInstance() const { return m_instance; }
    int32_t GetShowCommand() const { return m_showCommand; }
    w32::DWORD GetMainThreadId() const { return m_mainThread; }
    // Ends the heartbeat thread's posting (the main window clears it when it is destroyed).
    void ClearRunFlag() { m_run = false; }
    bool IsHeartbeatThreadRunning() const { return m_heartbeatRunning; }

protected:
    // The heartbeat thread runs from here until StopHeartbeat has joined it; the calling thread
    // becomes the main thread, which the ticks are posted to. kResNoMemory when the thread
    // cannot start.
    tResult StartHeartbeat();
    void StopHeartbeat();

private:
    static w32::DWORD HeartbeatThreadMain(void* parameter);
    void PostTickUnlessPending();
    // A tick taken off the queue by a loop other than the pump is noticed here.
    void ClearTickIfNoneWaits();
    // GetMessageW that notes a tick taken off the queue; false for WM_QUIT.
    bool TakeMessage(w32::MSG* message);
    static bool IsTick(const w32::MSG& message);
    w32::HWND MainHandle() const;

    tResult ReadPrefString(w32::HKEY root, const tCString& key, const tCString& name, tCString& out);
    tResult ReadPrefDword(w32::HKEY root, const tCString& key, const tCString& name, uint32_t& out);
    tResult WritePrefString(w32::HKEY root, const tCString& key, const tCString& name, const tCString& text);
    tResult WritePrefDword(w32::HKEY root, const tCString& key, const tCString& name, uint32_t value);

    w32::HINSTANCE m_instance = nullptr;
    int32_t m_showCommand = 0;
    w32::DWORD m_mainThread = 0xFFFFFFFF;
    std::atomic<bool> m_run{false};
    std::atomic<bool> m_heartbeatRunning{false};
    std::atomic<bool> m_tickPending{true};
    // Makes the thread's test-and-post and the pump's test-and-clear of a waiting tick atomic.
    std::recursive_mutex m_tickLock;
    w32::HANDLE m_heartbeatThread = nullptr;
    w32::HANDLE m_stopHeartbeat = nullptr;
};
