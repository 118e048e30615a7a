#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/Window.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWinWindow.h"
#include "toolkit/core/IRootWidget.h"

namespace {

constexpr w32::DWORD kSystemBarStyle = 0xCB0000;  // caption, system menu, minimise and maximise boxes

w32::UINT PlacementFlags(int32_t redraw)
{
    return w32::SWP_FRAMECHANGED | (redraw ? 0u : w32::UINT(w32::SWP_NOREDRAW));
}

int32_t Round(float value)
{
    return int32_t(std::lround(value));
}

// Gives the window `style` and the outer rectangle `outer`. A size the system refuses (no room
// for its pixels) puts the window's style and place back as they were, drawn again when `redraw`
// asks for it, and answers 0. The window may be gone when this returns: a root that cannot take
// a new size quits the application.
w32::BOOL PlaceWithStyle(w32::HWND window, w32::DWORD style, const w32::RECT& outer, int32_t redraw)
{
    const auto before = w32::DWORD(w32::GetWindowLongW(window, w32::GWL_STYLE));
    w32::RECT place{};
    w32::GetWindowRect(window, &place);
    w32::SetWindowLongW(window, w32::GWL_STYLE, w32::LONG(style));
    if (w32::SetWindowPos(window, nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                          PlacementFlags(redraw)))
        return 1;
    w32::SetWindowLongW(window, w32::GWL_STYLE, w32::LONG(before));
    w32::SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                      PlacementFlags(redraw));
    return 0;
}

}  // namespace

tCRect CWinWindow::GetArea(bool whole) const
{
    tCRect area;
    w32::MONITORINFO info;
    CWindowBase* main = GetMainWindow();
    const w32::HWND handle = main ? main->GetHandle() : nullptr;
    const w32::HMONITOR monitor = handle ? w32::MonitorFromWindow(handle, w32::MONITOR_DEFAULTTONEAREST) : nullptr;
    if (monitor && w32::GetMonitorInfoW(monitor, &info)) {
        const w32::RECT& r = whole ? info.rcMonitor : info.rcWork;
        area = tCRect{r.left, r.top, r.right, r.bottom};
    } else if (whole) {
        area = tCRect{0, 0, w32::GetSystemMetrics(w32::SM_CXSCREEN), w32::GetSystemMetrics(w32::SM_CYSCREEN)};
    } else {
        w32::RECT work;
        w32::SystemParametersInfoW(w32::SPI_GETWORKAREA, 0, &work, 0);
        area = tCRect{work.left, work.top, work.right, work.bottom};
    }
    if (area.left > area.right)
        std::swap(area.left, area.right);
    if (area.top > area.bottom)
        std::swap(area.top, area.bottom);
    return area;
}

w32::DWORD CWinWindow::ChangedStyle(w32::DWORD remove, w32::DWORD add) const
{
    const auto style = w32::DWORD(w32::GetWindowLongW(m_handle, w32::GWL_STYLE));
    return (style & ~remove) | add;
}

void CWinWindow::TakeClientSize()
{
    w32::RECT client{};
    if (w32::GetClientRect(m_handle, &client)) {
        m_width = client.right - client.left;
        m_height = client.bottom - client.top;
    }
}

tResult CWinWindow::SetSize(int32_t width, int32_t height, int32_t redraw)
{
    const tCRect area = GetArea(m_rootWidget && m_rootWidget->GetFullScreenSetting());
    return SetBounds(area.Width() / 2 - width / 2, area.Height() / 2 - height / 2, width, height, redraw);
}

tResult CWinWindow::SetRelativeSize(float width, float height, int32_t redraw)
{
    const tCRect area = GetArea(m_rootWidget && m_rootWidget->GetFullScreenSetting());
    return SetSize(int32_t(float(area.Width()) * width), int32_t(float(area.Height()) * height), redraw);
}

tResult CWinWindow::SetRelativePosition(float x, float y, int32_t redraw)
{
    if (!(x >= 0.0f && x <= 1.0f && y >= 0.0f && y <= 1.0f))
        return kResBadParam;
    const tCRect area = GetArea(m_rootWidget && m_rootWidget->GetFullScreenSetting());
    return SetPosition(int32_t(float(area.Width()) * x), int32_t(float(area.Height()) * y), redraw);
}

tResult CWinWindow::SetPosition(int32_t x, int32_t y, int32_t redraw)
{
    const w32::UINT flags = w32::SWP_NOSIZE | PlacementFlags(redraw);
    return w32::SetWindowPos(m_handle, nullptr, x, y, m_width, m_height, flags) ? kResOk : kResBadParam;
}

tResult CWinWindow::CentreOnWorkArea(int32_t redraw)
{
    const tCRect area = GetArea(m_rootWidget && m_rootWidget->GetFullScreenSetting());
    const w32::UINT flags = w32::SWP_NOSIZE | PlacementFlags(redraw);
    return w32::SetWindowPos(m_handle, nullptr, (area.Width() - m_width) / 2, (area.Height() - m_height) / 2,
                             m_width, m_height, flags)
               ? kResOk
               : kResBadParam;
}

tResult CWinWindow::SetBounds(int32_t x, int32_t y, int32_t width, int32_t height, int32_t redraw)
{
    const tCRect area = GetArea(m_rootWidget && m_rootWidget->GetFullScreenSetting());
    const int32_t areaWidth = area.Width(), areaHeight = area.Height();
    if (width < 1 || height < 1)
        return kResFailure;
    m_width = width = std::min(width, areaWidth);
    m_height = height = std::min(height, areaHeight);
    // A refused size leaves the window as it was, and its size members with it.
    const auto answer = [this](w32::BOOL placed) {
        if (!placed)
            TakeClientSize();
        return placed ? kResOk : kResBadParam;
    };
    if (width == areaWidth && height == areaHeight)
        return answer(PlaceWithStyle(m_handle, ChangedStyle(w32::WS_CAPTION, 0), w32::RECT{0, 0, areaWidth, areaHeight},
                                     redraw));
    w32::DWORD style = ChangedStyle(w32::WS_CAPTION, 0);
    w32::DWORD adjustStyle = 0;
    if (HasSystemBar()) {
        style = ChangedStyle(0, w32::WS_CAPTION);
        adjustStyle = kSystemBarStyle;
    }
    w32::RECT r{x, y, x + width, y + height};
    w32::AdjustWindowRect(&r, adjustStyle, 0);
    const auto shift = [&r](int32_t dx, int32_t dy) {
        r.left += dx, r.right += dx, r.top += dy, r.bottom += dy;
    };
    if (r.left < 0)
        shift(-r.left, 0);
    if (r.top < 0)
        shift(0, -r.top);
    if (r.right > areaWidth)
        shift(areaWidth - r.right, 0);
    if (r.bottom > areaHeight)
        shift(0, areaHeight - r.bottom);
    return answer(PlaceWithStyle(m_handle, style, r, redraw));
}

tCRect CWinWindow::RectFromFractions(uint32_t options, tCFPoint size, tCFPoint position, int32_t monitorFlag)
{
    const tCRect area = GetArea((options & kPlaceFullScreen) && monitorFlag);
    const int32_t areaWidth = area.Width(), areaHeight = area.Height();
    m_fullScreen = (options & kPlaceFullScreen) != 0;
    if (m_fullScreen)
        return area;

    tCRect rect;
    if (size.x <= -1.0f || size.y <= -1.0f) {
        if (areaWidth <= 0 && areaHeight <= 0) {
            m_fullScreen = true;
            return area;
        }
        rect = tCRect{0, 0, std::min(m_width, areaWidth), std::min(m_height, areaHeight)};
    } else if (options & kPlaceSizeFraction) {
        rect = tCRect{0, 0, Round(std::clamp(size.x, 0.0f, 1.0f) * float(areaWidth)),
                      Round(std::clamp(size.y, 0.0f, 1.0f) * float(areaHeight))};
    } else {
        rect = tCRect{0, 0, std::min(Round(size.x), areaWidth), std::min(Round(size.y), areaHeight)};
    }
    if (rect.Width() >= areaWidth && rect.Height() >= areaHeight) {
        m_fullScreen = true;
        return area;
    }

    tCPoint rootOnScreen;
    if (m_rootWidget)
        m_rootWidget->LocalToScreenPoint(&rootOnScreen);
    const auto offset = [&](bool centre, float at, int32_t areaStart, int32_t areaSize, int32_t extent,
                            int32_t rootStart) -> int32_t {
        if (centre)
            return areaStart + areaSize / 2 - extent / 2;
        if (at == -1.0f)
            return rootStart;
        if (at >= 0.0f)
            return areaStart + ((options & kPlacePositionFraction) ? Round(at * float(areaSize)) : int32_t(at));
        return 0;
    };
    rect = rect.Offset(tCPoint{
        offset(options & kPlaceCentreX, position.x, area.left, areaWidth, rect.Width(), rootOnScreen.x),
        offset(options & kPlaceCentreY, position.y, area.top, areaHeight, rect.Height(), rootOnScreen.y)});

    const bool frame = (options & kPlaceResizable) != 0;
    const int32_t frameX = w32::GetSystemMetrics(frame ? w32::SM_CXFRAME : w32::SM_CXBORDER);
    const int32_t frameY = w32::GetSystemMetrics(frame ? w32::SM_CYFRAME : w32::SM_CYBORDER);
    rect.left += frameX;
    rect.top += frameY + w32::GetSystemMetrics(w32::SM_CYCAPTION) + (monitorFlag ? w32::GetSystemMetrics(w32::SM_CYMENU) : 0);
    rect.right -= frameX;
    rect.bottom -= frameY;
    return rect;
}

tResult CWinWindow::Relayout(uint32_t options, tCFPoint size, tCFPoint position, int32_t redraw)
{
    const bool wasFullScreen = m_fullScreen;
    const tCRect rect = RectFromFractions(options, size, position, m_monitorFlag);
    if (!m_fullScreen && size.x > -1.0f && size.y > -1.0f) {
        m_windowedSize = size;
        m_windowedSizeOptions = options & kPlaceSizeFraction;
    }
    m_width = rect.Width();
    m_height = rect.Height();
    // The new size reaches the root first through WM_SIZE; a root that cannot take it quits the
    // application, which may destroy the window, and the object with it.
    const w32::HWND handle = m_handle;
    w32::BOOL placed;
    if (m_fullScreen) {
        placed = PlaceWithStyle(handle, ChangedStyle(w32::WS_CAPTION | w32::WS_THICKFRAME, w32::WS_MAXIMIZE),
                                w32::RECT{rect.left, rect.top, rect.right, rect.bottom}, redraw);
    } else {
        w32::DWORD style = ChangedStyle(w32::WS_MAXIMIZE | w32::WS_CAPTION | w32::WS_THICKFRAME, 0);
        w32::DWORD adjustStyle = 0;
        if (HasSystemBar()) {
            const w32::DWORD frame = m_resizable ? w32::DWORD(w32::WS_THICKFRAME) : 0u;
            style = ChangedStyle(w32::WS_MAXIMIZE, w32::WS_CAPTION | frame);
            adjustStyle = m_resizable ? 0xCF0000 : kSystemBarStyle;
        }
        w32::RECT outer{rect.left, rect.top, rect.right, rect.bottom};
        w32::AdjustWindowRect(&outer, adjustStyle, 0);
        placed = PlaceWithStyle(handle, style, outer, redraw);
    }
    if (handle && !w32::IsWindow(handle))
        return kResFailure;
    if (!placed) {
        // The window kept its size, style and place (no room for the new size's pixels): so does
        // the root, and the window is as full screen as it was.
        m_fullScreen = wasFullScreen;
        TakeClientSize();
        return kResBadParam;
    }
    OnSize(m_width, m_height);
    return kResOk;
}

void CWinWindow::OnSystemSize(w32::WPARAM kind, int32_t width, int32_t height)
{
    if (kind == w32::SIZE_MAXIMIZED && (!m_fullScreen || width != m_width || height != m_height)) {
        // Covering the whole monitor, where that is more than its work area, is the cover flag's.
        const tCRect monitor = GetArea(true), work = GetArea(false);
        if (monitor != work && width == monitor.Width() && height == monitor.Height())
            SetMonitorFlag(1);
        else if (monitor != work && width == work.Width() && height == work.Height())
            SetMonitorFlag(0);
        (void)Relayout(kPlaceFullScreen, tCFPoint{-1, -1}, tCFPoint{-1, -1}, 1);
        return;
    }
    // Full screen is maximised (WS_MAXIMIZE): only the system's taking that away tells a
    // full-screen window it is restored.
    if (kind == w32::SIZE_RESTORED && m_fullScreen) {
        (void)Relayout(kPlaceCentreX | kPlaceCentreY | m_windowedSizeOptions, m_windowedSize, tCFPoint{-1, -1}, 1);
        return;
    }
    if (kind == w32::SIZE_MINIMIZED)
        SetRolloverActive(false);
    OnSize(width, height);
}
