#include "platform/Paint.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/SubtractRect.h"
#include "toolkit/widgets/CBackdrop.h"

tResult CBackdrop::RenderRect(const tCRect* rect)
{
    tCRect covered;
    TK_TRY(DrawFromOpaque(rect, m_backBuffer, 255, &covered));
    if (covered.IsEmpty())
        return DrawSubtree(rect, m_backBuffer, 255);
    // What the opaque widget did not cover is rendered piece by piece.
    tCRect pieces[4];
    const int32_t count = SubtractRect(*rect, covered, pieces);
    for (int32_t i = 0; i < count; ++i)
        TK_TRY(RenderRect(&pieces[i]));
    return kResOk;
}

tResult CBackdrop::RenderRegion(bool forPresent)
{
    // By index: a widget that invalidates while it draws may change the region.
    for (int32_t i = 0; i < m_dirty.GetCount(); ++i) {
        tCRect rect;
        tResult result = m_dirty.GetRect(&rect, i);
        if (result == kResOk)
            result = PreRender(&rect, m_backBuffer, 255);
        if (result == kResOk)
            result = RenderRect(&rect);
        if (result == kResOk && forPresent && m_cursor)
            result = m_cursor->DrawSubtree(&rect, m_backBuffer, 255);
        if (result != kResOk) {
            ReportResult(result, nullptr);
            // A present drops the rect it could not draw, so that the next one, at the next
            // heartbeat, does not fail on it and show the box again.
            if (forPresent)
                (void)m_dirty.SubtractRect(rect);
            return result;
        }
    }
    return kResOk;
}

tResult CBackdrop::RenderDirtyRegion()
{
    if (!m_backBuffer)
        return kResOk;
    TK_TRY(RenderRegion(false));
    ++m_frameCount;
    return kResOk;
}

void CBackdrop::CopyToWindow()
{
    const w32::HWND handle = m_window ? m_window->GetHandle() : nullptr;
    const w32::HDC window = handle ? w32::GetDC(handle) : nullptr;
    if (!window)
        return;
    if (const w32::HDC buffer = m_backBuffer->GetMemDC()) {
        for (const tScrollEntry& scroll : m_scrolls) {
            const tCRect& r = scroll.rect;
            w32::BitBlt(window, r.left + scroll.offset.x, r.top + scroll.offset.y, r.Width(), r.Height(), window,
                        r.left, r.top, w32::SRCCOPY);
        }
        for (const tCRect& r : m_dirty)
            w32::BitBlt(window, r.left, r.top, r.Width(), r.Height(), buffer, r.left, r.top, w32::SRCCOPY);
        m_backBuffer->ReleaseMemDC();
    }
    w32::GdiFlush();
    w32::ReleaseDC(handle, window);
}

tResult CBackdrop::PresentDirtyRects()
{
    if (m_presentFrozen || !m_ready || !m_backBuffer)
        return kResOk;
    TK_TRY(RenderRegion(true));
    if (!m_dirty.IsEmpty() || !m_scrolls.IsEmpty())
        CopyToWindow();
    m_scrolls = tCArray<tScrollEntry>();
    m_dirty.Clear();
    ++m_frameCount;
    return kResOk;
}

tResult CBackdrop::QueueScrollRect(const tCRect& rect, tCPoint offset)
{
    return m_scrolls.Add(tScrollEntry{rect, offset});
}
