#include <algorithm>
#include <cassert>

#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/IWidgetRoot.h"

namespace {

// A widget without a name never matches, nor does an empty name.
bool NameMatches(const tCString& widgetName, const tCString& name)
{
    return !widgetName.IsEmpty() && widgetName == name;
}

}  // namespace

bool CWidget::IsChainedTo(const CWidget* widget) const
{
    for (const CWidget* link = this; link; link = link->m_parent)
        if (link == widget)
            return true;
    for (const CWidget* link = this; link; link = link->m_owner)
        if (link == widget)
            return true;
    return false;
}

tResult CWidget::InvalidateChildArea(CWidget* child)
{
    if (child->IsPlain())
        return child->InvalidateExtentPlain(0);
    return InvalidateRect(&child->m_extent, 0);
}

tResult CWidget::AddChild(CWidget* child, uint32_t update)
{
    // A widget lives in one child array at most, and never below itself.
    if (!child || child->m_owner || IsChainedTo(child))
        return kResBadParam;
    TK_TRY(m_children.InsertAt(0, child));
    child->m_owner = this;
    child->m_parent = this;
    tResult result = child->LayoutFromParent(0);
    if (result == kResOk && child->m_visible)
        result = InvalidateChildArea(child);
    if (result != kResOk) {
        // The caller deletes a child it could not add, so it must not stay in the array.
        const int32_t index = IndexOfChild(child);
        if (index >= 0)
            DetachChildAt(index);
        return result;
    }
    return update ? PresentDirtyRects() : kResOk;
}

int32_t CWidget::IndexOfChild(const CWidget* child) const
{
    return m_children.IndexOf(const_cast<CWidget*>(child));
}

CWidget* CWidget::DetachChildAt(int32_t index)
{
    CWidget* child = m_children[index];
    // Shrinking never allocates, so it cannot fail.
    const tResult removed = m_children.RemoveAt(index);
    assert(removed == kResOk);
    (void)removed;
    child->m_owner = nullptr;
    child->m_parent = nullptr;
    if (IWidgetRoot* root = GetRoot()->AsWidgetRoot())
        root->OnWidgetDetached(child);
    return child;
}

tResult CWidget::DeleteChildAt(int32_t index, uint32_t update)
{
    if (!m_children.IsValidIndex(index))
        return kResOutOfRange;
    const tCRect extent = m_children[index]->m_extent;
    const bool wasVisible = m_children[index]->m_visible != 0;
    Dispose(DetachChildAt(index));
    if (wasVisible)
        return InvalidateRect(&extent, update);
    return update ? PresentDirtyRects() : kResOk;
}

tResult CWidget::RemoveChildAt(int32_t index, uint32_t update)
{
    if (!m_children.IsValidIndex(index))
        return kResOutOfRange;
    const tCRect extent = m_children[index]->m_extent;
    const bool wasVisible = m_children[index]->m_visible != 0;
    DetachChildAt(index);
    if (wasVisible)
        return InvalidateRect(&extent, update);
    return update ? PresentDirtyRects() : kResOk;
}

tResult CWidget::DeleteChild(CWidget* child, uint32_t update)
{
    const int32_t index = IndexOfChild(child);
    if (index < 0)
        return update ? PresentDirtyRects() : kResOk;
    return DeleteChildAt(index, update);
}

tResult CWidget::RemoveChild(CWidget* child, uint32_t update)
{
    const int32_t index = IndexOfChild(child);
    if (index < 0)
        return update ? PresentDirtyRects() : kResOk;
    return RemoveChildAt(index, update);
}

tResult CWidget::DeleteChildByName(const tCString& name, uint32_t update)
{
    for (int32_t i = 0; i < GetChildCount(); ++i)
        if (NameMatches(m_children[i]->GetName(), name))
            return DeleteChildAt(i, update);
    return update ? PresentDirtyRects() : kResOk;
}

tResult CWidget::DeleteChildById(uint32_t id, uint32_t update)
{
    for (int32_t i = 0; i < GetChildCount(); ++i)
        if (m_children[i]->GetId() == id)
            return DeleteChildAt(i, update);
    return update ? PresentDirtyRects() : kResOk;
}

tResult CWidget::DeleteAllChildren(uint32_t update)
{
    while (!m_children.IsEmpty())
        TK_TRY(DeleteChildAt(GetChildCount() - 1, 0));
    return update ? PresentDirtyRects() : kResOk;
}

void CWidget::DestroyChildren()
{
    while (!m_children.IsEmpty())
        Dispose(DetachChildAt(GetChildCount() - 1));
}

tResult CWidget::BringToFront(uint32_t update)
{
    return m_parent ? m_parent->MoveChildToFront(m_parent->IndexOfChild(this), update) : kResOk;
}

tResult CWidget::SendToBack(uint32_t update)
{
    return m_parent ? m_parent->MoveChildToBack(m_parent->IndexOfChild(this), update) : kResOk;
}

tResult CWidget::MoveChildToFront(int32_t index, uint32_t update)
{
    if (!m_children.IsValidIndex(index))
        return kResOk;
    CWidget* child = m_children[index];
    std::rotate(m_children.begin(), m_children.begin() + index, m_children.begin() + index + 1);
    if (child->m_visible)
        TK_TRY(InvalidateChildArea(child));
    return update ? PresentDirtyRects() : kResOk;
}

tResult CWidget::MoveChildToBack(int32_t index, uint32_t update)
{
    if (!m_children.IsValidIndex(index))
        return kResOk;
    CWidget* child = m_children[index];
    std::rotate(m_children.begin() + index, m_children.begin() + index + 1, m_children.end());
    if (child->m_visible)
        TK_TRY(InvalidateChildArea(child));
    return update ? PresentDirtyRects() : kResOk;
}

CWidget* CWidget::FindWidgetByName(const tCString& name)
{
    if (NameMatches(GetName(), name))
        return this;
    for (CWidget* child : m_children)
        if (CWidget* found = child->FindWidgetByName(name))
            return found;
    return nullptr;
}

CWidget* CWidget::FindWidgetById(uint32_t id)
{
    if (GetId() == id)
        return this;
    for (CWidget* child : m_children)
        if (CWidget* found = child->FindWidgetById(id))
            return found;
    return nullptr;
}

int32_t CWidget::CountWidgets() const
{
    int32_t count = 1;
    for (const CWidget* child : m_children)
        count += child->CountWidgets();
    return count;
}

CWidget* CWidget::GetRoot()
{
    CWidget* root = this;
    while (root->m_parent)
        root = root->m_parent;
    return root;
}

uint32_t CWidget::IsDescendantOf(const CWidget* widget) const
{
    for (const CWidget* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent)
        if (ancestor == widget)
            return 1;
    return 0;
}

CWidget* CWidget::FindAncestorById(uint32_t id) const
{
    for (CWidget* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent)
        if (ancestor->GetId() == id)
            return ancestor;
    return nullptr;
}

CWidget* CWidget::FindAncestorByName(const tCString& name) const
{
    for (CWidget* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent)
        if (NameMatches(ancestor->GetName(), name))
            return ancestor;
    return nullptr;
}

uint32_t CWidget::HasAncestorWithId(uint32_t id) const
{
    return FindAncestorById(id) ? 1 : 0;
}

uint32_t CWidget::HasAncestorNamed(const tCString& name) const
{
    return FindAncestorByName(name) ? 1 : 0;
}

int32_t CWidget::NextIndexForward(const CWidget* child, int32_t index) const
{
    const int32_t now = m_children.GetAt(index) == child ? index : IndexOfChild(child);
    return now >= 0 ? now + 1 : index;
}

int32_t CWidget::NextIndexBackward(const CWidget* child, int32_t index) const
{
    const int32_t now = m_children.GetAt(index) == child ? index : IndexOfChild(child);
    return std::min((now >= 0 ? now : index) - 1, GetChildCount() - 1);
}
