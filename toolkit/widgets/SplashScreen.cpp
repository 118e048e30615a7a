#include "toolkit/widgets/SplashScreen.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "platform/Messages.h"
#include "platform/Paint.h"
#include "platform/Window.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/widgets/CSplashScreen.h"
#include "toolkit/widgets/CSplashWindow.h"
#include "toolkit/widgets/CWidget.h"

namespace {

w32::RECT WorkArea()
{
    w32::RECT work{};
    bool found = false;
    const CWindowBase* main = GetMainWindow();
    if (main && main->GetHandle()) {
        w32::MONITORINFO info;
        const w32::HMONITOR monitor = w32::MonitorFromWindow(main->GetHandle(), w32::MONITOR_DEFAULTTONEAREST);
        found = monitor && w32::GetMonitorInfoW(monitor, &info);
        if (found)
            work = info.rcWork;
    }
    if (!found)
        w32::SystemParametersInfoW(w32::SPI_GETWORKAREA, 0, &work, 0);
    if (work.left > work.right)
        std::swap(work.left, work.right);
    if (work.top > work.bottom)
        std::swap(work.top, work.bottom);
    return work;
}

int32_t Round(float value)
{
    return int32_t(std::lround(value));
}

struct tAxis {
    float position;
    uint32_t relative, fromFar, atFarEdge, centred;
    float size;
    uint32_t sizeRelative, sizeInset;
};

// One axis of the rect: its start and its length against a span of `span` ending at `far`.
void PlaceAxis(const tAxis& a, int32_t span, int32_t far, int32_t* start, int32_t* length)
{
    *length = a.sizeInset ? span - Round(a.size) : a.sizeRelative ? Round(a.size * float(span)) : Round(a.size);
    if (a.centred) {
        *start = Round(float(span - *length) * 0.5f);
        return;
    }
    *start = a.relative ? Round(a.position * float(span)) : Round(a.position);
    if (a.fromFar)
        *start = far - *start;
    if (a.atFarEdge)
        *start -= *length;
}

}  // namespace

void ComputeSplashRect(tCRect* rect, CWidget* widget, const CWidgetLayout* layout)
{
    const w32::RECT work = WorkArea();
    const CWidgetLayout& l = layout ? *layout : *widget->GetLayout();
    int32_t x = 0, y = 0, width = 0, height = 0;
    PlaceAxis({l.x, l.xRelative, l.xFromRight, l.xIsRightEdge, l.xCentred, l.width, l.widthRelative, l.widthInset},
              work.right - work.left, work.right, &x, &width);
    PlaceAxis({l.y, l.yRelative, l.yFromBottom, l.yIsBottomEdge, l.yCentred, l.height, l.heightRelative,
               l.heightInset},
              work.bottom - work.top, work.bottom, &y, &height);
    width = std::max(width, 0);
    height = std::max(height, 0);
    *rect = tCRect{x, y, x + width, y + height};
}

tResult CaptureScreenRect(CImage* image, const tCRect& rect)
{
    const w32::HDC memory = image ? image->GetMemDC() : nullptr;
    if (!memory)
        return kResNoMemory;
    const w32::HDC screen = w32::GetDC(nullptr);
    const w32::BOOL copied =
        w32::BitBlt(memory, 0, 0, rect.Width(), rect.Height(), screen, rect.left, rect.top, w32::SRCCOPY);
    w32::ReleaseDC(nullptr, screen);
    image->ReleaseMemDC();
    if (!copied)
        return kResFileOpen;
    CImNav view(image);
    if (!view.IsLocked())
        return kResNoMemory;
    view.SetAlpha(255);
    return kResOk;
}

namespace {

// The screen behind the splash as its background; false on a failure other than a display
// that gives no pixels.
bool TakeBackground(CSplashScreen* splash, const tCRect& rect)
{
    CImage* plain = new (std::nothrow) CImage(rect.Width(), rect.Height());
    CImage* dib = new (std::nothrow) CImage(rect.Width(), rect.Height(), 1);
    tResult result = plain && dib && plain->IsValid() && dib->IsValid() ? kResOk : kResNoMemory;
    if (result == kResOk)
        result = CaptureScreenRect(dib, rect);
    if (result == kResOk)
        result = CopyImageToImage(plain, dib);
    if (result == kResOk)
        result = splash->SetBackgroundImage(plain, 0);
    else
        delete plain;
    delete dib;
    return result == kResOk || result == kResFileOpen;
}

}  // namespace

CSplashScreen* ShowSplashScreen(CWidget* widget, const char* title, const CWidgetLayout* layout,
                                uint32_t captureBehind, uint32_t show)
{
    if (!widget)
        return nullptr;
    tCRect rect;
    ComputeSplashRect(&rect, widget, layout);
    auto* splash = new (std::nothrow) CSplashScreen;
    if (!splash || splash->SetSize(rect.Width(), rect.Height(), 0) != kResOk ||
        (captureBehind && !TakeBackground(splash, rect))) {
        delete splash;
        delete widget;
        return nullptr;
    }
    auto* window = new (std::nothrow) CSplashWindow;
    if (!window) {
        delete splash;
        delete widget;
        return nullptr;
    }
    splash->SetSplashWindow(window);
    const tCString name = title ? tCString::FromAnsi(title) : tCString(u"Splash Screen");
    if (!window->CreateSplashWindow(rect.left, rect.top, rect.right, rect.bottom, name)) {
        // A window whose creation got as far as its destruction has deleted itself.
        if (CSplashWindow::GetLive() == window)
            delete window;
        delete splash;
        delete widget;
        return nullptr;
    }
    window->SetRootWidget(splash);
    splash->SetReady();
    if (splash->AddChild(widget, 0) != kResOk) {
        delete widget;
        // The window takes the splash screen with it.
        window->DestroyWindow();
        return nullptr;
    }
    if (show && splash->ShowSplashWindow(1) != kResOk) {
        window->DestroyWindow();
        return nullptr;
    }
    (void)splash->PresentDirtyRects();
    if (CAppBase* app = GetApplication())
        (void)app->PumpStep();
    return splash;
}

w32::LRESULT SplashWindowProc(w32::HWND window, w32::UINT message, w32::WPARAM wParam, w32::LPARAM lParam)
{
    CSplashWindow* live = CSplashWindow::GetLive();
    // The class is registered under the title, which the main window may share: a window other
    // than the splash (or the splash being made) is served by its own window object, as the
    // window class of every window object serves it.
    if (!live || (live->GetHandle() && live->GetHandle() != window)) {
        const bool hasObject = message == w32::WM_NCCREATE
                                   ? reinterpret_cast<const w32::CREATESTRUCTW*>(lParam)->lpCreateParams != nullptr
                                   : w32::GetWindowLongPtrW(window, w32::GWLP_USERDATA) != 0;
        if (hasObject)
            return CWinWindow::StaticWindowProc(window, message, wParam, lParam);
    }
    if (message == w32::WM_DESTROY)
        return 0;
    if (live)
        return live->WindowProc(window, message, wParam, lParam);
    return w32::DefWindowProcW(window, message, wParam, lParam);
}
