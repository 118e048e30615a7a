#include "app/shell/panes/CKS2PopupManager.h"

#include <new>

#include "app/shell/controls/CKS2Button.h"
#include "app/shell/panes/CKS2Pane.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

constexpr int32_t kMenuPool = 0;

bool Quitting()
{
    CAppBase* app = GetApplication();
    return app && app->IsQuitting();
}

// The text list from pool 0, loaded into it when missing: 22 when it cannot be loaded, 24 when
// the pool refuses it.
template <typename Find, typename Load>
tResult PooledTextList(Find find, Load load, CTextList** out)
{
    CAppBase* app = GetApplication();
    if (!app)
        return kResCreateFailed;
    if ((*out = dynamic_cast<CTextList*>(find(app))))
        return kResOk;
    CTextList* list = load();
    if (!list)
        return kResResourceNotFound;
    if (app->AddResourceToPool(kMenuPool, list) != kResOk) {
        delete list;
        return kResCreateFailed;
    }
    *out = list;
    return kResOk;
}

tResult MenuById(uint32_t id, CTextList** out)
{
    return PooledTextList([id](CAppBase* app) { return app->FindResourceById(kMenuPool, id); },
                          [id] { return CTextList::NewFromResourceId(id, nullptr, nullptr); }, out);
}

tResult MenuByName(const tCString& name, CTextList** out)
{
    return PooledTextList([&name](CAppBase* app) { return app->FindResourceByName(kMenuPool, name); },
                          [&name] { return CTextList::NewFromResourceName(name, nullptr, nullptr); }, out);
}

bool OnPath(const tCStringArray& path, const tCString& name)
{
    for (const tCString& step : path)
        if (step == name)
            return true;
    return false;
}

}  // namespace

CKS2PopupManager::~CKS2PopupManager()
{
    Clear();
}

tResult CKS2PopupManager::Init(CWidget* backdrop)
{
    m_backdrop = backdrop ? backdrop : GetMainBackdropWidget();
    if (!m_backdrop)
        return kResCreateFailed;
    m_layer = CreateWidgetFromRes(kLayerLayout, nullptr, nullptr);
    if (!m_layer)
        return kResCreateFailed;
    if (const tResult added = m_backdrop->AddChild(m_layer, 0); added != kResOk) {
        delete m_layer;
        m_layer = nullptr;
        return added;
    }
    m_layer->SetLButtonDownProc(OnLayerPress, ToMsgArg(this));
    m_layer->SetKeyDownProc(OnLayerKey, ToMsgArg(this));
    m_layer->EnableEvents(eHeartbeatEvent | eMouseMoveEvent, 0);
    return kResOk;
}

tResult CKS2PopupManager::Clear()
{
    m_keyboardPopup = nullptr;
    m_open.RemoveAll();
    for (int32_t i = 0; i < m_popups.GetCount(); ++i) {
        m_popups[i]->DestroyWidgets();
        delete m_popups[i];
    }
    m_popups.RemoveAll();
    return kResOk;
}

tResult CKS2PopupManager::ShowPopup(tCCmdTarget* owner, uint32_t menuId, int32_t anchorId, tCPoint point,
                                    uint32_t direction, const tPopupIdList* disabled, const tPopupIdList* checked)
{
    if (!owner || !m_layer)
        return kResCreateFailed;
    m_owner = owner;
    m_anchorId = anchorId;
    m_direction = direction;
    TK_TRY(Clear());
    CTextList* list = nullptr;
    TK_TRY(MenuById(menuId, &list));
    tCStringArray path;
    if (const tResult built = BuildPopupTree(list, disabled, checked, &path); built != kResOk) {
        Clear();
        return built;
    }
    if (m_popups.IsEmpty())
        return kResOk;
    m_layer->BringToFront(0);
    m_layer->SetVisible(1, 0);
    m_layer->EnableEvents(eHeartbeatEvent, 0);
    if (auto* backdrop = dynamic_cast<CBackdrop*>(m_backdrop))
        backdrop->PushModalSharedHeartbeat(m_layer);
    m_layer->ParentToLocalPoint(&point);
    TK_TRY(m_popups[0]->ShowAt(point, direction, 1));
    return m_open.Add(m_popups[0]);
}

tResult CKS2PopupManager::BuildPopupTree(CTextList* list, const tPopupIdList* disabled,
                                         const tPopupIdList* checked, tCStringArray* path)
{
    if (!list)
        return kResBadParam;
    const tCString name = list->GetName();
    if (path->GetCount() >= kMaxDepth || m_popups.GetCount() >= kMaxPopups ||
        (!name.IsEmpty() && OnPath(*path, name)))
        return kResBadParam;
    auto* popup = new (std::nothrow) CKS2PopupMenu;
    if (!popup)
        return kResCreateFailed;
    if (m_popups.Add(popup) != kResOk) {
        delete popup;
        return kResCreateFailed;
    }
    popup->SetName(name);
    popup->SetResourceId(int32_t(list->GetId()));
    TK_TRY(popup->Init(this, m_popups.GetCount() - 1, m_layer, list, m_direction, disabled, checked));
    TK_TRY(path->Add(name));
    const tResult built = BuildSubmenus(list, disabled, checked, path);
    path->RemoveAt(path->GetCount() - 1);
    return built;
}

tResult CKS2PopupManager::BuildSubmenus(CTextList* list, const tPopupIdList* disabled,
                                        const tPopupIdList* checked, tCStringArray* path)
{
    for (int32_t i = 0; i < list->GetCount(); ++i) {
        const tCString submenu = ParsePopupEntry(list->GetEntryText(i)).submenu;
        if (submenu.IsEmpty())
            continue;
        CTextList* sublist = nullptr;
        TK_TRY(MenuByName(submenu, &sublist));
        TK_TRY(BuildPopupTree(sublist, disabled, checked, path));
    }
    return kResOk;
}

tResult CKS2PopupManager::OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg, uint32_t)
{
    if (message == kMsgPopupChoice)
        return CloseWithSelection(FromMsgArg<CKS2PopupMenu>(a), int32_t(intptr_t(b)));
    if (message == kMsgPopupCloseAbove)
        return CloseSubmenusAbove(FromMsgArg<CKS2PopupMenu>(a), FromMsgArg<CKS2Button>(b));
    return kResOk;
}

tResult CKS2PopupManager::OpenSubmenu(CKS2Button* item, const tCString& name)
{
    m_keyboardPopup = nullptr;
    if (!item || !item->GetWidget())
        return kResBadParam;
    CKS2PopupMenu* submenu = nullptr;
    for (int32_t i = 0; i < m_popups.GetCount() && !submenu; ++i)
        if (m_popups[i]->GetName() == name)
            submenu = m_popups[i];
    if (!submenu || m_open.IndexOf(submenu) >= 0)
        return kResOk;
    CWidget* widget = item->GetWidget();
    const tCRect rect = widget->GetRect();
    const bool left = m_direction == 1 || m_direction == 3;
    const bool up = m_direction == 2 || m_direction == 3;
    tCPoint point{left ? rect.left - kSubmenuGap : rect.right + kSubmenuGap,
                  up ? rect.bottom + kSubmenuRise : rect.top - kSubmenuRise};
    if (CWidget* frame = widget->GetParent())
        frame->LocalToScreenPoint(&point);
    m_layer->ScreenToLocalPoint(&point);
    item->SetHighlight(1, 1, 0);
    TK_TRY(submenu->ShowAt(point, m_direction, 1));
    return m_open.Add(submenu);
}

tResult CKS2PopupManager::CloseWithSelection(CKS2PopupMenu* popup, int32_t id)
{
    auto* backdrop = dynamic_cast<CBackdrop*>(m_backdrop);
    if (backdrop && backdrop->GetTopModal() == m_layer)
        backdrop->PopModal();
    m_layer->SetVisible(0, 1);
    m_open.RemoveAll();
    m_keyboardPopup = nullptr;
    tResult answer = kResOk;
    if (m_owner) {
        if (popup && id != -1)
            answer = m_owner->OnMessage(kMsgPopupChoice, ToMsgArg(popup), tMsgArg(intptr_t(id)),
                                        id < 0 ? ~tMsgArg(0) : 0, kMsgApply);
        else
            answer = m_owner->OnMessage(kMsgPopupChoice, 0, ~tMsgArg(0), ~tMsgArg(0), kMsgApply);
    }
    if (Quitting())
        return answer;
    SendToBackbone(kMsgPaneClosing, ToMsgArg(this), 0, 0);
    if (answer == kResOk)
        Clear();
    return answer;
}

tResult CKS2PopupManager::CloseSubmenusAbove(CKS2PopupMenu* popup, CKS2Button* item)
{
    if (m_open.GetCount() < 2 || m_open.IndexOf(popup) < 0)
        return kResOk;
    while (m_open.GetCount() > 0 && m_open[m_open.GetCount() - 1] != popup) {
        CKS2PopupMenu* top = m_open[m_open.GetCount() - 1];
        top->Close();
        m_open.RemoveAt(m_open.GetCount() - 1);
        if (m_keyboardPopup == top)
            m_keyboardPopup = nullptr;
    }
    popup->SetSubmenuItem(nullptr);
    if (item)
        item->ClearHighlight();
    return kResOk;
}

void CKS2PopupManager::OnPointerMoved()
{
    m_layer->EnableEvents(eHeartbeatEvent, 0);
    if (!m_keyboardPopup)
        return;
    m_keyboardPopup = nullptr;
    for (int32_t i = 0; i < m_open.GetCount(); ++i)
        m_open[i]->ClearKeyboardItem();
}

tResult CKS2PopupManager::OnLayerPress(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point)
{
    *takenBy = widget;
    tCPoint root = *point;
    widget->LocalToRootPoint(&root);
    return FromMsgArg<CKS2PopupManager>(context)->OnPress(root);
}

tResult CKS2PopupManager::OnPress(tCPoint root)
{
    const int32_t title = FindMenuTitleAt(root);
    const int32_t anchor = m_anchorId;
    CloseWithSelection(nullptr, -1);
    if (title != -1 && title != anchor)
        if (CWindowBase* window = GetMainWindow())
            window->OnLeftButtonDown(root);
    return kResOk;
}

tResult CKS2PopupManager::OnLayerKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    *takenBy = widget;
    // The owner's answer to a choice is no error of the key's dispatch.
    FromMsgArg<CKS2PopupManager>(context)->OnKey(key);
    return kResOk;
}

tResult CKS2PopupManager::OnKey(uint32_t key)
{
    if (key == kKeyEscape)
        return CloseWithSelection(nullptr, -1);
    if (key != kKeyEnter && key != kKeyLeft && key != kKeyRight && key != kKeyUp && key != kKeyDown)
        return kResOk;
    m_layer->DisableEvents(eHeartbeatEvent);
    if (!m_keyboardPopup) {
        if (m_open.IsEmpty())
            return kResOk;
        m_keyboardPopup = m_open[m_open.GetCount() - 1];
    }
    CKS2PopupMenu* popup = m_keyboardPopup;
    if (key == kKeyEnter) {
        CKS2Button* item = popup->TakeCurrentItem();
        return item ? popup->ChooseItem(item) : kResOk;
    }
    if (key == kKeyUp || key == kKeyDown) {
        popup->MoveKeyboardItem(key == kKeyDown);
        return kResOk;
    }
    const bool opensLeft = m_direction == 1 || m_direction == 3;
    if ((key == kKeyLeft) == opensLeft) {
        CKS2Button* item = popup->TakeCurrentItem();
        if (item && !popup->SubmenuOf(item).IsEmpty())
            return popup->OpenItemSubmenu(item);
        return kResOk;
    }
    return CloseKeyboardPopup();
}

tResult CKS2PopupManager::CloseKeyboardPopup()
{
    const int32_t at = m_open.IndexOf(m_keyboardPopup);
    if (at <= 0)
        return kResOk;
    CKS2PopupMenu* parent = m_open[at - 1];
    CKS2Button* item = parent->GetSubmenuItem();
    TK_TRY(CloseSubmenusAbove(parent, nullptr));
    // The item that opened the closed menu stays the one the keys go on from.
    parent->SetKeyboardItem(item);
    m_keyboardPopup = parent;
    return kResOk;
}
