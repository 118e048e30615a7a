#pragma once

#include <cstdint>

#include "app/shell/panes/CKS2PopupMenu.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCPoint.h"

class CKS2Button;
class CTextList;
class CWidget;

// Messages of the popup menus: the choice to the owner (a = the popup, b = the item id, c its
// sign extension; a = 0 and b = -1 when nothing was chosen), and the manager's own request to
// close the submenus open above a popup (a = the popup, b = the item whose submenu closes).
inline constexpr uint32_t kMsgPopupChoice = 0xFF00101E;
inline constexpr uint32_t kMsgPopupCloseAbove = 0xFF00101F;

// Shows every popup menu of the program, one tree at a time: a layer over the whole backdrop,
// modal while a tree is open, holds the menus; the pointer and the keys drive them, and the
// chosen item goes to the owner that opened the tree.
class CKS2PopupManager : public tCCmdTarget {
public:
    static constexpr uint32_t kLayerLayout = 6000;
    // Menu lists form a tree: a name already on the path is refused, as are trees deeper than
    // kMaxDepth or larger than kMaxPopups.
    static constexpr int32_t kMaxDepth = 8;
    static constexpr int32_t kMaxPopups = 256;
    // Where a submenu opens beside its item.
    static constexpr int32_t kSubmenuGap = 5;
    static constexpr int32_t kSubmenuRise = 10;
    // Toolkit key codes.
    static constexpr uint32_t kKeyEnter = 13;
    static constexpr uint32_t kKeyEscape = 27;
    static constexpr uint32_t kKeyLeft = uint32_t(-256);
    static constexpr uint32_t kKeyRight = uint32_t(-255);
    static constexpr uint32_t kKeyUp = uint32_t(-254);
    static constexpr uint32_t kKeyDown = uint32_t(-253);

    CKS2PopupManager() = default;
    ~CKS2PopupManager() override;
    CKS2PopupManager(const CKS2PopupManager&) = delete;
    CKS2PopupManager& operator=(const CKS2PopupManager&) = delete;

    // Creates the layer in `backdrop` (null: the main backdrop); 24 when it cannot be loaded.
    tResult Init(CWidget* backdrop = nullptr);
    // Builds the tree of text list `menuId` and opens its root at `point` (backdrop coordinates)
    // in `direction` (0 right and down, 1 left and down, 2 right and up, 3 left and up). 24 for
    // a null owner; a failed build clears the tree and shows nothing.
    tResult ShowPopup(tCCmdTarget* owner, uint32_t menuId, int32_t anchorId, tCPoint point, uint32_t direction,
                      const tPopupIdList* disabled, const tPopupIdList* checked);
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    // Destroys every popup of the tree.
    tResult Clear();
    // Opens the submenu of that name beside `item`; 6 for a null item; nothing for an unknown
    // name or a popup already open.
    tResult OpenSubmenu(CKS2Button* item, const tCString& name);
    // The pointer moved over a menu: back from keyboard to pointer mode.
    void OnPointerMoved();

    static tResult OnLayerPress(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult OnLayerKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);

    CWidget* GetLayer() const { return m_layer; }
    int32_t GetPopupCount() const { return m_popups.GetCount(); }
    CKS2PopupMenu* GetPopup(int32_t index) const { return m_popups.GetAt(index); }
    int32_t GetOpenCount() const { return m_open.GetCount(); }
    CKS2PopupMenu* GetOpen(int32_t index) const { return m_open.GetAt(index); }
    CKS2PopupMenu* GetKeyboardPopup() const { return m_keyboardPopup; }
    int32_t GetAnchorId() const { return m_anchorId; }

private:
    tResult BuildPopupTree(CTextList* list, const tPopupIdList* disabled, const tPopupIdList* checked,
                           tCStringArray* path);
    tResult BuildSubmenus(CTextList* list, const tPopupIdList* disabled, const tPopupIdList* checked,
                          tCStringArray* path);
    tResult CloseWithSelection(CKS2PopupMenu* popup, int32_t id);
    tResult CloseSubmenusAbove(CKS2PopupMenu* popup, CKS2Button* item);
    tResult OnPress(tCPoint point);
    tResult OnKey(uint32_t key);
    tResult CloseKeyboardPopup();

    CWidget* m_backdrop = nullptr;
    CWidget* m_layer = nullptr;
    int32_t m_anchorId = -1;
    tCCmdTarget* m_owner = nullptr;
    tCArray<CKS2PopupMenu*> m_popups;
    uint32_t m_direction = 0;
    CKS2PopupMenu* m_keyboardPopup = nullptr;
    tCArray<CKS2PopupMenu*> m_open;
};
