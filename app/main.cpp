#include <cstdio>
#include <string>
#include <vector>

#include "platform/Paint.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/IRootWidget.h"
#include "toolkit/text/TextLibrary.h"

namespace {

// The root of the main window until the application's backdrop exists: one colour over the whole
// back buffer, the next colour after every click and key, so that input can be seen to arrive.
class CSignalRoot : public IRootWidget {
public:
    tResult BroadcastMessage(uint32_t, tMsgArg, tMsgArg) override { return kResOk; }
    void GetLayoutSize(float* width, float* height) override { *width = 800, *height = 600; }
    int32_t GetWidth() override { return m_width; }
    int32_t GetHeight() override { return m_height; }
    tResult SetSize(int32_t width, int32_t height, int32_t) override
    {
        if (width < 0 || height < 0)
            return kResBadParam;
        m_width = width;
        m_height = height;
        m_pixels.assign(size_t(width) * size_t(height), Colour());
        Invalidate();
        return kResOk;
    }

    tResult DispatchKeyDown(CWidget**, int32_t) override { return Signal(); }
    tResult DispatchKeyUp(CWidget**, int32_t) override { return kResOk; }
    tResult DispatchTimer(CWidget**, uint32_t) override { return kResOk; }
    tResult DispatchMouseMove(CWidget**, tCPoint*) override { return kResOk; }
    tResult DispatchLButtonDown(CWidget**, tCPoint*) override { return Signal(); }
    tResult DispatchLButtonUp(CWidget**, tCPoint*) override { return kResOk; }
    tResult DispatchMButtonDown(CWidget**, tCPoint*) override { return Signal(); }
    tResult DispatchMButtonUp(CWidget**, tCPoint*) override { return kResOk; }
    tResult DispatchRButtonDown(CWidget**, tCPoint*) override { return Signal(); }
    tResult DispatchRButtonUp(CWidget**, tCPoint*) override { return kResOk; }
    tResult DispatchMouseWheel(CWidget**, tCPoint, tCPoint*) override { return kResOk; }
    tResult DispatchHeartbeat() override { return kResOk; }

    void LocalToScreenPoint(tCPoint*) override {}
    void ScreenToLocalPoint(tCPoint*) override {}
    tResult BuildInterface() override { return kResOk; }
    void SetReady() override {}
    void TrackCursorWidget() override {}
    void HideCursor() override {}
    void ShowCursor() override {}
    bool IsCursorShown() override { return false; }
    void UpdateRolloverWidget() override {}
    void ClearRolloverWidget() override {}
    void OnWindowDestroyed() override { m_window = nullptr; }
    CWidget* GetTopModal() override { return nullptr; }
    void SetWindow(CWindowBase* window) override { m_window = window; }
    int32_t GetSystemBarSetting() override { return 0; }
    int32_t GetFullScreenSetting() override { return 0; }
    void SetFullScreenSetting(int32_t) override {}
    int32_t GetLayeredSetting() override { return 0; }
    tBackBufferView GetBackBuffer() override { return {m_pixels.data(), m_width, m_height, m_width}; }
    tCString GetResourceName() override { return tCString(u"Kostrel"); }

private:
    uint32_t Colour() const
    {
        static const uint32_t colours[] = {0xFF303050u, 0xFFB04030u, 0xFF30A050u, 0xFF3060C0u, 0xFFD0B040u};
        return colours[m_signals % (sizeof colours / sizeof colours[0])];
    }

    tResult Signal()
    {
        ++m_signals;
        m_pixels.assign(m_pixels.size(), Colour());
        Invalidate();
        return kResOk;
    }

    void Invalidate()
    {
        if (m_window && m_window->GetHandle())
            w32::InvalidateRect(m_window->GetHandle(), nullptr, 0);
    }

    CWindowBase* m_window = nullptr;
    std::vector<uint32_t> m_pixels;
    int32_t m_width = 0;
    int32_t m_height = 0;
    uint32_t m_signals = 0;
};

// Opens the main window over the signal root, full screen, and runs until it is closed.
class CKostrelApp : public CApp {
public:
    tResult SetUpApplication(tCString) override
    {
        TK_TRY(CreateMainWindowAt(new CSignalRoot, 104, kPlaceFullScreen | kPlaceResizable, -1, -1, -1, -1, nullptr, 1));
        Activate();
        return kResOk;
    }
};

std::string CommandLine(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!w32::StartPlatform(w32::tBackendKind::kSdl)) {
        std::fprintf(stderr, "kostrel: %s\n", w32::GetPlatformError());
        return 1;
    }
    InstallTextLibraryHooks();
    int32_t result;
    {
        // The application lives inside the platform's lifetime, and its heartbeat thread is
        // joined before it is destroyed.
        CKostrelApp app;
        result = app.Run(nullptr, CommandLine(argc, argv).c_str(), w32::SW_SHOWDEFAULT);
    }
    w32::StopPlatform();
    return result;
}
