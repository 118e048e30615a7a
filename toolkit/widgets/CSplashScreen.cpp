#include "toolkit/widgets/CSplashScreen.h"

#include "platform/Paint.h"
#include "platform/Window.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CSplashWindow.h"

tResult CSplashScreen::PresentDirtyRects()
{
    CImage* buffer = GetBackBufferImage();
    if (!IsReady() || !buffer)
        return kResOk;
    CRegion& dirty = GetDirtyRegion();
    for (int32_t i = 0; i < dirty.GetCount(); ++i) {
        tCRect rect;
        tResult result = dirty.GetRect(&rect, i);
        if (result == kResOk)
            result = PreRender(&rect, buffer, 255);
        if (result != kResOk) {
            ReportResult(result, nullptr);
            return result;
        }
        (void)RenderRect(&rect);
    }
    const w32::HWND handle = m_splashWindow ? m_splashWindow->GetHandle() : nullptr;
    if (handle) {
        for (const tCRect& r : dirty) {
            const w32::HDC window = w32::GetDC(handle);
            if (const w32::HDC memory = buffer->GetMemDC()) {
                w32::BitBlt(window, r.left, r.top, r.Width(), r.Height(), memory, r.left, r.top, w32::SRCCOPY);
                buffer->ReleaseMemDC();
            }
            w32::ReleaseDC(handle, window);
        }
        w32::GdiFlush();
    }
    dirty.Clear();
    CountFrame();
    return kResOk;
}

tResult CSplashScreen::ShowSplashWindow(int32_t flag)
{
    if (!m_splashWindow)
        return kResOk;
    m_splashWindow->Show(flag);
    w32::SetWindowPos(m_splashWindow->GetHandle(), w32::HWND_TOPMOST, 0, 0, 0, 0, w32::SWP_NOSIZE | w32::SWP_NOMOVE);
    return kResOk;
}

tResult CSplashScreen::CloseSplashWindow()
{
    if (m_splashWindow)
        m_splashWindow->DestroyWindow();
    return kResOk;
}

tResult CSplashScreen::DispatchSplashKey(CWidget** takenBy, int32_t key)
{
    return CBackdrop::DispatchKeyDown(takenBy, key);
}
