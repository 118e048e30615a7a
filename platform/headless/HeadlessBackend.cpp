#include "platform/headless/HeadlessBackend.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/InputState.h"
#include "platform/KernelClock.h"
#include "platform/MessageBox.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/WindowTable.h"
#include "platform/headless/Headless.h"

namespace w32::headless {
namespace {

struct tScreenCopy {
    std::vector<uint32_t> pixels;
    int32_t width = 0;
    int32_t height = 0;
};

// Everything lives in memory; the decorations measure what a classic desktop draws.
class CHeadlessBackend : public CBackend {
public:
    DWORD GetPumpInterval() const override { return INFINITE; }
    void PumpEvents() override {}
    void RefreshInput() override {}
    void EndNativePress(HWND, int) override {}

    bool CreateNativeWindow(HWND window, const tNativeWindowState&) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_screens[window];
        return true;
    }
    void UpdateNativeWindow(HWND, const tNativeWindowState&) override {}
    void DestroyNativeWindow(HWND window) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_screens.erase(window);
    }
    void FocusNativeWindow(HWND) override {}

    void Present(HWND window, const uint32_t* pixels, int32_t width, int32_t height, const RECT& rect) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        tScreenCopy& screen = m_screens[window];
        if (screen.width != width || screen.height != height) {
            screen.pixels.assign(size_t(width) * size_t(height), 0);
            screen.width = width;
            screen.height = height;
        }
        for (int32_t y = std::max(rect.top, 0); y < std::min(rect.bottom, height); ++y) {
            const int32_t left = std::max(rect.left, 0);
            const int32_t right = std::min(rect.right, width);
            if (right > left)
                std::copy_n(pixels + size_t(y) * size_t(width) + size_t(left), right - left,
                            screen.pixels.data() + size_t(y) * size_t(width) + size_t(left));
        }
    }

    std::vector<tDisplay> GetDisplays() override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_displays;
    }

    bool CaptureScreen(const RECT& area, uint32_t* pixels) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_screen)
            return false;
        const int64_t width = int64_t(area.right) - area.left, height = int64_t(area.bottom) - area.top;
        if (width <= 0 || height <= 0)
            return false;
        std::fill_n(pixels, size_t(width) * size_t(height), 0xFF000000u);
        for (int64_t y = std::max<int64_t>(area.top, 0); y < std::min<int64_t>(area.bottom, m_screen->height); ++y)
            for (int64_t x = std::max<int64_t>(area.left, 0); x < std::min<int64_t>(area.right, m_screen->width); ++x)
                pixels[size_t((y - area.top) * width + (x - area.left))] =
                    m_screen->pixels[size_t(y * m_screen->width + x)];
        return true;
    }

    int32_t GetDecorationMetric(int32_t index) override
    {
        switch (index) {
        case SM_CYCAPTION:
            return 23;
        case SM_CYMENU:
            return 20;
        case SM_CXFRAME:
        case SM_CYFRAME:
            return 4;
        default:
            return 1;
        }
    }

    bool AreButtonsSwapped() override { return m_swapped; }
    void SetPointerVisible(bool visible) override { m_pointerVisible = visible; }
    bool WarpPointer(int32_t, int32_t) override { return true; }

    bool SetClipboardText(const std::u16string& text) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (text.empty())
            m_clipboard.reset();
        else
            m_clipboard = text;
        return true;
    }

    bool GetClipboardText(std::u16string* text) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_clipboard)
            return false;
        *text = *m_clipboard;
        return true;
    }

    int32_t ShowMessageBox(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_boxes.push_back(tMessageBoxRecord{owner, text, caption, type});
        return IDOK;
    }

    std::unique_ptr<IDialogHold> HoldForDialog(HWND) override { return nullptr; }

    std::mutex m_lock;
    std::vector<tDisplay> m_displays{tDisplay{RECT{0, 0, 1280, 800}, RECT{0, 0, 1280, 760}}};
    std::map<HWND, tScreenCopy> m_screens;
    std::optional<tScreenCopy> m_screen;
    std::optional<std::u16string> m_clipboard;
    std::vector<tMessageBoxRecord> m_boxes;
    bool m_swapped = false;
    bool m_pointerVisible = true;
};

CHeadlessBackend& Current()
{
    auto* backend = dynamic_cast<CHeadlessBackend*>(GetBackend());
    // Only a test that started the headless platform uses these controls.
    if (!backend)
        std::abort();
    return *backend;
}

HWND MouseTarget()
{
    return WindowFromPoint(input::GetCursorScreenPos());
}

}  // namespace

std::unique_ptr<CBackend> MakeBackend()
{
    return std::make_unique<CHeadlessBackend>();
}

void AdvanceClock(uint32_t milliseconds)
{
    kernel::AdvanceVirtualClock(milliseconds);
}

void SetDisplays(std::vector<tDisplay> displays)
{
    CHeadlessBackend& backend = Current();
    std::lock_guard<std::mutex> guard(backend.m_lock);
    backend.m_displays = std::move(displays);
}

void SetButtonsSwapped(bool swapped)
{
    Current().m_swapped = swapped;
}

void PressKey(int virtualKey)
{
    input::DeliverKey(GetFocus(), virtualKey, true, input::IsKeyDown(virtualKey));
}

void ReleaseKey(int virtualKey)
{
    input::DeliverKey(GetFocus(), virtualKey, false, false);
}

void TypeText(std::u16string_view text)
{
    input::DeliverText(GetFocus(), text);
}

void MoveMouse(int32_t x, int32_t y)
{
    input::SetCursorScreenPos(POINT{x, y});
    input::DeliverMouseMove(MouseTarget(), input::tPointerAt{POINT{x, y}, nullptr, POINT{}});
}

void PressButton(int buttonKey)
{
    input::DeliverMouseButton(MouseTarget(), buttonKey, true, input::tPointerAt{input::GetCursorScreenPos(), nullptr, POINT{}});
}

void ReleaseButton(int buttonKey)
{
    input::DeliverMouseButton(MouseTarget(), buttonKey, false, input::tPointerAt{input::GetCursorScreenPos(), nullptr, POINT{}});
}

void TurnWheel(int32_t delta)
{
    input::DeliverWheel(MouseTarget(), delta, input::tPointerAt{input::GetCursorScreenPos(), nullptr, POINT{}});
}

void DropFiles(HWND window, std::vector<std::u16string> paths)
{
    input::DeliverDroppedFiles(window, std::move(paths));
}

void SetKeyState(int virtualKey, bool down)
{
    input::SetKeyDown(virtualKey, down);
}

void ReportShowState(HWND window, WPARAM state)
{
    windows::NativeShowState(window, state);
}

void ReportZoomed(HWND window, const RECT& client)
{
    windows::NativeZoomed(window, client);
}

void ReportHidden(HWND window)
{
    windows::NativeHidden(window);
}

void ReportFocus(HWND window, bool focused)
{
    windows::NativeActivated(window, focused);
}

std::vector<tMessageBoxRecord> TakeMessageBoxes()
{
    CHeadlessBackend& backend = Current();
    std::lock_guard<std::mutex> guard(backend.m_lock);
    return std::exchange(backend.m_boxes, {});
}

std::vector<uint32_t> ReadWindowPixels(HWND window, int32_t* width, int32_t* height)
{
    CHeadlessBackend& backend = Current();
    std::lock_guard<std::mutex> guard(backend.m_lock);
    const auto it = backend.m_screens.find(window);
    if (it == backend.m_screens.end()) {
        *width = *height = 0;
        return {};
    }
    *width = it->second.width;
    *height = it->second.height;
    return it->second.pixels;
}

void SetScreenPixels(int32_t width, int32_t height, std::vector<uint32_t> pixels)
{
    CHeadlessBackend& backend = Current();
    std::lock_guard<std::mutex> guard(backend.m_lock);
    if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * size_t(height))
        backend.m_screen.reset();
    else
        backend.m_screen = tScreenCopy{std::move(pixels), width, height};
}

bool IsPointerVisible()
{
    return Current().m_pointerVisible;
}

}  // namespace w32::headless
