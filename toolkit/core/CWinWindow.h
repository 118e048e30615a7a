#pragma once

#include "platform/Win32Types.h"
#include "platform/Wintab.h"
#include "toolkit/core/CWindowBase.h"

// The system half of a window: its class and system window, placement on the monitor (windowed
// or full screen), painting from the root widget's back buffer, and the window procedure that
// turns messages into the window's input operations.
//
// The screen area is the rectangle of the monitor nearest to the main window: the whole monitor
// when the root's full-screen setting is on, its work area otherwise.
class CWinWindow : public CWindowBase {
public:
    CWinWindow();
    ~CWinWindow() override;

    // Both answer 1 when the window exists. On failure the object has deleted itself.
    int32_t Create(int32_t width, int32_t height, tCString title, int32_t iconId) override;
    virtual int32_t CreateRelative(uint32_t options, tCFPoint size, tCFPoint position, tCString title,
                                   int32_t iconId);

    tResult SetSize(int32_t width, int32_t height, int32_t redraw) override;
    tResult SetRelativeSize(float width, float height, int32_t redraw) override;
    tResult Show(int32_t show) override;
    tResult SetIcon(int32_t iconId) override;
    // Without a system window the object deletes itself at once; otherwise when the system
    // window is gone.
    void DestroyWindow() override;
    tResult SetTitle(tCString title) override;
    tCString GetTitle() override;
    tResult SetRelativePosition(float x, float y, int32_t redraw) override;
    tResult SetPosition(int32_t x, int32_t y, int32_t redraw) override;
    tResult CentreOnWorkArea(int32_t redraw) override;
    tResult SetBounds(int32_t x, int32_t y, int32_t width, int32_t height, int32_t redraw) override;
    tResult Relayout(uint32_t options, tCFPoint size, tCFPoint position, int32_t redraw) override;
    tCRect RectFromFractions(uint32_t options, tCFPoint size, tCFPoint position, int32_t monitorFlag) override;
    int32_t OnCoverMonitorChanged(int32_t, int32_t) override { return 0; }
    void OnPaint() override;
    bool IsUnderCursor() override;
    void SetSysKeysAsKeys(int32_t flag) override { m_sysKeysAsKeys = flag; }
    int32_t GetSysKeysAsKeys() override { return m_sysKeysAsKeys; }
    bool IsDecimalKeyCharacter() const override { return m_decimalKey; }
    w32::HWND GetHandle() const override { return m_handle; }

    virtual w32::LRESULT WindowProc(w32::HWND window, w32::UINT message, w32::WPARAM wParam, w32::LPARAM lParam);
    // The system window is gone: the object deletes itself, or, while Create or CreateRelative
    // runs, leaves that to the end of the creation.
    virtual void OnNcDestroy();
    virtual void TranslateKeyDown(w32::WPARAM virtualKey);
    // A character of another script than Latin typed on a letter key goes to the widgets as
    // text; where none takes it, it is the shortcut of the key's letter, the Latin letter that
    // the platform names the key by.
    void TranslateCharacter(int32_t code);

    // The procedure of the window class: every message goes to the window object it was
    // created for; 0 while there is none.
    static w32::LRESULT StaticWindowProc(w32::HWND window, w32::UINT message, w32::WPARAM wParam,
                                         w32::LPARAM lParam);

    // Wintab's packet and information-change messages.
    static constexpr w32::UINT kMsgTabletPacket = w32::WT_PACKET;
    static constexpr w32::UINT kMsgTabletInfoChange = w32::WT_INFOCHANGE;

protected:
    // For windows made with a procedure of their own, which store the handle themselves.
    void SetHandle(w32::HWND handle) { m_handle = handle; }
    // The screen area; `whole` picks the monitor's rectangle over its work area.
    tCRect GetArea(bool whole) const;

private:
    // Registers the class and makes the system window and the root widget; the size is first
    // reduced to the desktop's. 0 when there is no system window, or no more.
    int32_t CreateSystemWindow(int32_t& width, int32_t& height, w32::DWORD extraStyle, const tCString& title,
                               int32_t iconId);
    // The last step of Create and CreateRelative. The procedure may destroy the system window
    // on the way (a root that cannot take the client size quits the application): the object
    // then deletes itself here, once, and answers 0.
    int32_t EndCreation();
    // The window's style less `remove`, with `add`.
    w32::DWORD ChangedStyle(w32::DWORD remove, w32::DWORD add) const;
    // The size members take the window's client size.
    void TakeClientSize();
    // WM_SIZE: the window's mode follows a maximise or restore the system made (a window
    // manager's maximise, its full screen, or its taking them away).
    void OnSystemSize(w32::WPARAM kind, int32_t width, int32_t height);
    bool HasSystemBar() const;
    bool HasModalOpen() const;
    void OnDropFiles(w32::HDROP drop);

    w32::HWND m_handle = nullptr;
    int32_t m_sysKeysAsKeys = 0;
    // The letter key ('A' to 'Z') last gone down and not yet up, whose character may follow.
    int32_t m_letterKey = 0;
    // The keypad's decimal key is the key last gone down, and not yet up.
    bool m_decimalKey = false;
    bool m_creating = false;
    // The size last asked of Relayout out of full screen, which the system's restore asks again;
    // 1024 x 768 before any was.
    tCFPoint m_windowedSize{1024.0f, 768.0f};
    uint32_t m_windowedSizeOptions = 0;
};
