#include "toolkit/widgets/CRegion.h"

#include <cassert>
#include <utility>

#include "toolkit/imaging/SubtractRect.h"

namespace {

bool Encloses(const tCRect& outer, const tCRect& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// Cuts `e` out of every piece present now: a covered piece leaves the list, a cut piece is
// replaced by its first part and the other parts go to the end.
tResult CutPieces(tCArray<tCRect>& pieces, const tCRect& e)
{
    const int32_t present = pieces.GetCount();
    int32_t i = 0;
    for (int32_t handled = 0; handled < present; ++handled) {
        tCRect parts[4];
        const int32_t count = SubtractRect(pieces[i], e, parts);
        if (count == 0) {
            TK_TRY(pieces.RemoveAt(i));
            continue;
        }
        pieces[i++] = parts[0];
        for (int32_t k = 1; k < count; ++k)
            TK_TRY(pieces.Add(parts[k]));
    }
    return kResOk;
}

}  // namespace

CRegion::CRegion(const tCRect& rect)
{
    // A region that cannot hold its one rect stays empty, as a failed copy does.
    if (AddRect(rect) != kResOk)
        Clear();
}

CRegion::CRegion(const CRegion& other) : tCBaseObject()
{
    if (CopyFrom(other) != kResOk)
        Clear();
}

void CRegion::Clear()
{
    m_bounds = {};
    m_rects.RemoveAll();
}

tResult CRegion::CopyFrom(const CRegion& other)
{
    if (this == &other)
        return kResOk;
    tCArray<tCRect> rects;
    TK_TRY(rects.CopyFrom(other.m_rects));
    m_rects = std::move(rects);
    m_bounds = other.m_bounds;
    return kResOk;
}

tResult CRegion::Reserve(int32_t extra)
{
    const int32_t count = m_rects.GetCount();
    if (extra <= 0 || count + extra <= m_rects.GetCapacity())
        return kResOk;
    TK_TRY(m_rects.SetCount(count + extra));
    return m_rects.SetCount(count);
}

tResult CRegion::AddRect(const tCRect& rect)
{
    if (rect.IsEmpty())
        return kResOk;
    if (m_rects.IsEmpty()) {
        TK_TRY(m_rects.Add(rect));
        m_bounds = rect;
        return kResOk;
    }
    bool overlaps = false;
    for (const tCRect& e : m_rects) {
        if (Encloses(e, rect))
            return kResOk;
        if (!Encloses(rect, e) && rect.Overlaps(e))
            overlaps = true;
    }

    // The pieces of the new rect outside every rect it does not swallow whole.
    tCArray<tCRect> pieces;
    TK_TRY(pieces.Add(rect));
    if (overlaps) {
        for (const tCRect& e : m_rects) {
            if (Encloses(rect, e))
                continue;
            TK_TRY(CutPieces(pieces, e));
            if (pieces.IsEmpty())
                break;
        }
    }
    TK_TRY(Reserve(pieces.GetCount()));

    RemoveRectsInside(rect);
    for (const tCRect& piece : pieces)
        TK_TRY(m_rects.Add(piece));
    m_bounds = m_bounds.Union(rect);
    return kResOk;
}

tResult CRegion::AddRegion(const CRegion& other)
{
    if (other.IsEmpty())
        return kResOk;
    CRegion work;
    TK_TRY(work.CopyFrom(*this));
    for (const tCRect& rect : other)
        TK_TRY(work.AddRect(rect));
    m_rects = std::move(work.m_rects);
    m_bounds = work.m_bounds;
    return kResOk;
}

tResult CRegion::SubtractRect(const tCRect& rect)
{
    if (rect.IsEmpty() || m_bounds.IsEmpty())
        return kResOk;
    int32_t removed = 0;
    int32_t cut = 0;
    for (const tCRect& e : m_rects) {
        if (Encloses(rect, e))
            ++removed;
        else if (rect.Overlaps(e))
            ++cut;
    }
    if (removed == 0 && cut == 0)
        return kResOk;
    // A cut rect leaves at most four parts: one in its place, three appended.
    TK_TRY(Reserve(3 * cut));

    RemoveRectsInside(rect);
    const int32_t kept = m_rects.GetCount();
    for (int32_t i = 0; cut > 0 && i < kept; ++i) {
        tCRect parts[4];
        const int32_t count = ::SubtractRect(m_rects[i], rect, parts);
        m_rects[i] = parts[0];
        for (int32_t k = 1; k < count; ++k)
            TK_TRY(m_rects.Add(parts[k]));
    }
    RecomputeBounds();
    return kResOk;
}

tResult CRegion::SubtractRegion(const CRegion& other)
{
    if (other.IsEmpty() || IsEmpty())
        return kResOk;
    CRegion work;
    TK_TRY(work.CopyFrom(*this));
    for (const tCRect& rect : other)
        TK_TRY(work.SubtractRect(rect));
    m_rects = std::move(work.m_rects);
    RecomputeBounds();
    return kResOk;
}

uint32_t CRegion::ClipToRect(const tCRect& rect)
{
    if (rect.IsEmpty() || m_bounds.IsEmpty())
        return 0;
    int32_t kept = 0;
    for (int32_t i = 0; i < m_rects.GetCount(); ++i) {
        const tCRect clipped = m_rects[i].Intersect(rect);
        if (!clipped.IsEmpty())
            m_rects[kept++] = clipped;
    }
    Shrink(kept);
    RecomputeBounds();
    return kept > 0 ? 1 : 0;
}

void CRegion::Shrink(int32_t count)
{
    // Shrinking never allocates, so it cannot fail.
    const tResult shrunk = m_rects.SetCount(count);
    assert(shrunk == kResOk);
    (void)shrunk;
}

void CRegion::RemoveRectsInside(const tCRect& rect)
{
    int32_t kept = 0;
    for (int32_t i = 0; i < m_rects.GetCount(); ++i)
        if (!Encloses(rect, m_rects[i]))
            m_rects[kept++] = m_rects[i];
    Shrink(kept);
}

void CRegion::Offset(tCPoint delta)
{
    if (m_rects.IsEmpty())
        return;
    m_bounds = m_bounds.Offset(delta);
    for (tCRect& rect : m_rects)
        rect = rect.Offset(delta);
}

void CRegion::RecomputeBounds()
{
    m_bounds = {};
    for (const tCRect& rect : m_rects)
        m_bounds = m_bounds.IsEmpty() ? rect : m_bounds.Union(rect);
}

tResult CRegion::GetRect(tCRect* out, int32_t index) const
{
    if (!m_rects.IsValidIndex(index))
        return kResOutOfRange;
    *out = m_rects[index];
    return kResOk;
}

tResult CRegion::CopyRects(tCArray<tCRect>& out) const
{
    return out.CopyFrom(m_rects);
}
