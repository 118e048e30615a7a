#include "app/shell/panes/CKS2PopupMenu.h"

#include <algorithm>
#include <new>

#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CUpdateFreezeGuard.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

// Cuts `text` at the first `mark` unless the mark is its first character.
bool CutAt(const tCString& text, char16_t mark, tCString* head, tCString* tail)
{
    const char16_t set[] = {mark, 0};
    const int32_t at = text.FindFirstOf(set);
    if (at <= 0)
        return false;
    *head = text.Left(at);
    *tail = text.Mid(at + 1, text.GetLength() - at - 1);
    return true;
}

// Edges inclusive.
bool ContainsPoint(tCPoint local, const tCRect& rect)
{
    return local.x >= rect.left && local.x <= rect.right && local.y >= rect.top && local.y <= rect.bottom;
}

tCPoint PointerIn(CWidget* widget)
{
    CAppBase* app = GetApplication();
    tCPoint point = app ? app->GetCursorPosition() : tCPoint{};
    widget->ScreenToLocalPoint(&point);
    return point;
}

}  // namespace

bool tPopupIdList::Holds(uint32_t id) const
{
    for (int32_t i = 0; ids && i < count; ++i)
        if (ids[i] == id)
            return true;
    return false;
}

tPopupEntry ParsePopupEntry(const tCString& text)
{
    tPopupEntry entry;
    tCString rest = text;
    tCString head;
    if (CutAt(text, u'>', &head, &entry.submenu))
        rest = head;
    entry.label = rest;
    if (CutAt(rest, u'~', &entry.label, &entry.shortcut))
        entry.hasShortcut = true;
    return entry;
}

tCString PopupShortcutText(const tCString& spec)
{
    if (spec.GetLength() <= 1)
        return spec;
    const tCString key = spec.Mid(1, spec.GetLength() - 1);
    uint32_t modifier = 0;
    switch (spec.GetAt(0)) {
    case u'C': modifier = kStrKeyControl; break;
    case u'S': modifier = kStrKeyShift; break;
    case u'A': modifier = kStrKeyAlt; break;
    default: return key;
    }
    const tCString text = ApplicationText(modifier);
    if (text.GetLength() <= 1)
        return text;
    return text.Concat(u" + ").Concat(key);
}

CKS2PopupMenu::~CKS2PopupMenu()
{
    DestroyWidgets();
}

tResult CKS2PopupMenu::Init(CKS2PopupManager* manager, int32_t index, CWidget* layer, CTextList* list,
                            uint32_t direction, const tPopupIdList* disabled, const tPopupIdList* checked)
{
    if (!manager || !layer)
        return kResCreateFailed;
    m_manager = manager;
    m_direction = direction;
    m_index = index;
    DestroyWidgets();
    m_frame = CImWidget::CreateFromResourceId(kFrameLayout, nullptr, nullptr);
    if (!m_frame)
        return kResResourceNotFound;
    if (const tResult added = layer->AddChild(m_frame, 0); added != kResOk) {
        delete m_frame;
        m_frame = nullptr;
        return added;
    }
    m_frame->SetMessageProc([](tMsgArg, CWidget*, uint32_t, tMsgArg, tMsgArg) -> tResult { return kResOk; }, 0);
    m_frame->SetHeartbeatProc(OnMenuHeartbeat, ToMsgArg(this));
    m_frame->SetMouseMoveProc(OnMenuPointerMove, ToMsgArg(this));
    return BuildItems(list, disabled, checked);
}

void CKS2PopupMenu::DestroyWidgets()
{
    // The buttons go first: they unhook themselves from item widgets that still exist.
    for (int32_t i = 0; i < m_items.GetCount(); ++i)
        delete m_items[i];
    m_items.RemoveAll();
    m_submenuNames.RemoveAll();
    m_submenuItem = nullptr;
    m_keyboardItem = nullptr;
    if (!m_frame)
        return;
    m_frame->ClearProcsOf(ToMsgArg(this));
    if (CWidget* parent = m_frame->GetParent())
        parent->DeleteChild(m_frame, 0);
    else
        delete m_frame;
    m_frame = nullptr;
}

tResult CKS2PopupMenu::AddRow(CWidget* row)
{
    if (!row)
        return kResCreateFailed;
    if (m_frame->AddChild(row, 0) != kResOk) {
        delete row;
        DestroyWidgets();
        return kResCreateFailed;
    }
    return kResOk;
}

tResult CKS2PopupMenu::BuildItems(CTextList* list, const tPopupIdList* disabled, const tPopupIdList* checked)
{
    if (!list)
        return kResBadParam;
    int32_t width = m_frame->GetWidth();
    int32_t y = kMargin;
    int32_t shortcutWidth = 0;
    const tCString separator = ApplicationText(kStrMenuSeparator);
    for (int32_t i = 0; i < list->GetCount(); ++i) {
        const tCString text = list->GetEntryText(i);
        if (text.IsEmpty() || text.GetAt(0) == u'%')
            continue;
        CWidget* row = nullptr;
        if (text == separator) {
            row = LoadNewWidgetById<CCoWidget>(kSeparatorLayout, nullptr, nullptr);
            TK_TRY(AddRow(row));
        } else {
            TK_TRY(AddItem(list->GetEntryId(i), text, disabled, checked, &width, &shortcutWidth, &row));
        }
        row->SetPosition(0, y, 0);
        y += row->GetHeight();
    }
    y += kMargin;
    int32_t finalWidth = shortcutWidth > 0 ? width + shortcutWidth + kShortcutRoom : width;
    finalWidth = std::max(finalWidth, kMinWidth);
    for (int32_t i = 0; i < m_frame->GetChildCount(); ++i)
        m_frame->GetChild(i)->SetWidth(finalWidth, 0);
    TK_TRY(m_frame->SetSize(finalWidth, y, 0));
    if (CImage* image = GetPooledImage(kFrameImage, nullptr, nullptr)) {
        m_frame->DecompressImage();
        if (m_frame->GetImage())
            NineSliceBlit(m_frame->GetImage(), image, 1);
    }
    return m_frame->RefreshEffects(0);
}

tResult CKS2PopupMenu::AddItem(int32_t id, const tCString& text, const tPopupIdList* disabled,
                               const tPopupIdList* checked, int32_t* width, int32_t* shortcutWidth, CWidget** made)
{
    CWidget* item = LoadNewWidgetById<CCoWidget>(kItemLayout, nullptr, nullptr);
    TK_TRY(AddRow(item));
    *made = item;
    item->SetUserData(kSlotItemId, uint32_t(id));
    auto* button = new (std::nothrow) CKS2Button;
    if (!button)
        return kResCreateFailed;
    if (m_items.Add(button) != kResOk) {
        delete button;
        return kResCreateFailed;
    }
    TK_TRY(button->Attach(item, this, 0, -1));
    button->SetHighlightLevel(kItemHighlight);
    auto* label = dynamic_cast<CTxWidget*>(item->FindWidgetById(kPartLabel));
    if (!label)
        return kResResourceNotFound;
    const tPopupEntry entry = ParsePopupEntry(text);
    if (!entry.submenu.IsEmpty()) {
        const uint32_t arrow = m_direction == 0 || m_direction == 2 ? kPartArrowRight : kPartArrowLeft;
        if (CWidget* shown = item->FindWidgetById(arrow))
            shown->SetVisible(1, 0);
    }
    if (m_submenuNames.Add(entry.submenu) != kResOk)
        return kResCreateFailed;
    item->SetUserData(kSlotSubmenu, uint32_t(m_submenuNames.GetCount() - 1));
    if (entry.hasShortcut) {
        if (auto* shortcut = dynamic_cast<CTxWidget*>(item->FindWidgetById(kPartShortcut))) {
            shortcut->SetText(PopupShortcutText(entry.shortcut), 1, 0);
            *shortcutWidth = std::max(*shortcutWidth, shortcut->GetWidth());
        }
    }
    label->SetText(entry.label, 1, 0);
    item->SetWidth(label->GetWidth() + kLabelRoom, 0);
    *width = std::max(*width, item->GetWidth());
    if (disabled && disabled->Holds(uint32_t(id)))
        SetItemEnabled(item, 0, 0);
    if (checked && checked->Holds(uint32_t(id)))
        SetItemChecked(item, 1, 0);
    return kResOk;
}

void CKS2PopupMenu::SetItemEnabled(CWidget* item, uint32_t enabled, uint32_t redraw)
{
    if (!item)
        return;
    item->SetActive(enabled);
    for (int32_t i = 0; i < item->GetChildCount(); ++i)
        item->GetChild(i)->SetOpacity(enabled ? kEnabledOpacity : kDisabledOpacity, 0);
    if (redraw && m_frame)
        m_frame->PresentDirtyRects();
}

void CKS2PopupMenu::SetItemChecked(CWidget* item, uint32_t checked, uint32_t present)
{
    if (CWidget* mark = item ? item->FindWidgetById(kPartCheck) : nullptr)
        mark->SetVisible(checked ? 1 : 0, present);
}

tResult CKS2PopupMenu::ShowAt(tCPoint point, uint32_t direction, uint32_t redraw)
{
    if (!m_frame)
        return kResCreateFailed;
    ClearKeyboardItem();
    for (int32_t i = 0; i < m_items.GetCount(); ++i)
        m_items[i]->ResetHighlight();
    if (direction == 1 || direction == 3)
        point.x -= m_frame->GetWidth();
    if (direction == 2 || direction == 3)
        point.y -= m_frame->GetHeight();
    TK_TRY(m_frame->SetPosition(point.x, point.y, 0));
    m_frame->SetActive(1);
    TK_TRY(m_frame->BringToFront(0));
    TK_TRY(m_frame->SetVisible(1, 0));
    return redraw ? m_frame->PresentDirtyRects() : kResOk;
}

void CKS2PopupMenu::Close()
{
    m_submenuItem = nullptr;
    m_keyboardItem = nullptr;
    for (int32_t i = 0; i < m_items.GetCount(); ++i) {
        m_items[i]->ClearHighlight();
        m_items[i]->ResetHighlight();
    }
    if (m_frame) {
        m_frame->SetActive(0);
        m_frame->SetVisible(0, 1);
    }
}

void CKS2PopupMenu::ClearKeyboardItem()
{
    if (m_keyboardItem)
        m_keyboardItem->ResetHighlight();
    m_keyboardItem = nullptr;
}

tCString CKS2PopupMenu::SubmenuOf(const CKS2Button* item) const
{
    if (!item || !item->GetWidget())
        return {};
    const int32_t index = int32_t(item->GetWidget()->GetUserData(kSlotSubmenu));
    return index >= 0 && index < m_submenuNames.GetCount() ? m_submenuNames[index] : tCString();
}

int32_t CKS2PopupMenu::IndexOfItem(const CKS2Button* item) const
{
    for (int32_t i = 0; i < m_items.GetCount(); ++i)
        if (m_items[i] == item)
            return i;
    return -1;
}

tResult CKS2PopupMenu::OnMessage(uint32_t message, tMsgArg a, tMsgArg, tMsgArg, uint32_t)
{
    auto* item = FromMsgArg<CKS2Button>(a);
    if (IndexOfItem(item) < 0)
        return kResOk;
    if (message == kMsgControlClicked)
        return ChooseItem(item);
    if (message == kMsgControlEntered)
        return HoverItem(item);
    return kResOk;
}

tResult CKS2PopupMenu::HoverItem(CKS2Button* item)
{
    if (SubmenuOf(item).IsEmpty())
        return kResOk;
    return OpenItemSubmenu(item);
}

tResult CKS2PopupMenu::OpenItemSubmenu(CKS2Button* item)
{
    if (m_submenuItem)
        m_manager->OnMessage(kMsgPopupCloseAbove, ToMsgArg(this), ToMsgArg(m_submenuItem), 0, kMsgApply);
    m_submenuItem = item;
    return m_manager->OpenSubmenu(item, SubmenuOf(item));
}

tResult CKS2PopupMenu::ChooseItem(CKS2Button* item)
{
    if (!SubmenuOf(item).IsEmpty())
        return HoverItem(item);
    if (CWidget* backdrop = GetMainBackdropWidget())
        backdrop->SetFocus(0);
    const int32_t id = int32_t(item->GetWidget()->GetUserData(kSlotItemId));
    // The manager may delete this popup and the item: nothing of either is touched after.
    return m_manager->OnMessage(kMsgPopupChoice, ToMsgArg(this), tMsgArg(intptr_t(id)), id < 0 ? ~tMsgArg(0) : 0,
                                kMsgApply);
}

CKS2Button* CKS2PopupMenu::ItemUnderPointer() const
{
    if (!m_frame)
        return nullptr;
    const tCPoint point = PointerIn(m_frame);
    for (int32_t i = 0; i < m_items.GetCount(); ++i)
        if (ContainsPoint(point, m_items[i]->GetWidget()->GetRect()))
            return m_items[i];
    return nullptr;
}

CKS2Button* CKS2PopupMenu::TakeCurrentItem()
{
    if (m_keyboardItem)
        return m_keyboardItem;
    if (m_submenuItem) {
        m_keyboardItem = m_submenuItem;
        m_submenuItem = nullptr;
        return m_keyboardItem;
    }
    m_keyboardItem = ItemUnderPointer();
    return m_keyboardItem;
}

void CKS2PopupMenu::MoveKeyboardItem(bool down)
{
    const int32_t count = m_items.GetCount();
    if (count == 0)
        return;
    CKS2Button* next = nullptr;
    {
        CUpdateFreezeGuard freeze(dynamic_cast<CBackdrop*>(GetMainBackdropWidget()));
        CKS2Button* open = m_submenuItem;
        CKS2Button* current = TakeCurrentItem();
        if (current && current == open)
            m_manager->OnMessage(kMsgPopupCloseAbove, ToMsgArg(this), ToMsgArg(current), 0, kMsgApply);
        ClearKeyboardItem();
        const int32_t at = IndexOfItem(current);
        int32_t index;
        if (at < 0)
            index = down ? 0 : count - 1;
        else
            index = down ? (at + 1) % count : (at + count - 1) % count;
        next = m_items[index];
    }
    m_keyboardItem = next;
    next->SetHighlight(1, 1, 1);
}

tResult CKS2PopupMenu::OnMenuHeartbeat(tMsgArg context, CWidget* widget)
{
    auto* popup = FromMsgArg<CKS2PopupMenu>(context);
    CKS2Button* submenuItem = popup->m_submenuItem;
    if (!submenuItem || !widget->GetParent())
        return kResOk;
    tCPoint point = PointerIn(widget->GetParent());
    tCRect frameRect = widget->GetRect();
    if (!ContainsPoint(point, frameRect))
        return kResOk;
    tCRect itemRect = submenuItem->GetWidget()->GetRect();
    widget->LocalToParentRect(&itemRect);
    if (ContainsPoint(point, itemRect))
        return kResOk;
    return popup->m_manager->OnMessage(kMsgPopupCloseAbove, context, ToMsgArg(submenuItem), 0, kMsgApply);
}

tResult CKS2PopupMenu::OnMenuPointerMove(tMsgArg context, CWidget*, CWidget**, tCPoint*)
{
    FromMsgArg<CKS2PopupMenu>(context)->m_manager->OnPointerMoved();
    return kResOk;
}
