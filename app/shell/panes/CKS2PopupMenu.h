#pragma once

#include <cstdint>

#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCString.h"

class CImWidget;
class CKS2Button;
class CKS2PopupManager;
class CTextList;
class CWidget;

// Item ids passed to a popup: disabled or checked entries.
struct tPopupIdList {
    const uint32_t* ids = nullptr;
    int32_t count = 0;

    bool Holds(uint32_t id) const;
};

// One menu of a popup tree: a frame in the manager's layer holding a column of items built from
// a text list, with separators, shortcut texts, check marks, disabled items and submenu arrows.
// Its items are buttons that report to it; it passes choices and submenu requests to the manager.
class CKS2PopupMenu : public tCCmdTarget {
public:
    static constexpr uint32_t kFrameLayout = 6001;
    static constexpr uint32_t kFrameImage = 6002;
    static constexpr uint32_t kItemLayout = 6010;
    static constexpr uint32_t kPartLabel = 6011;
    static constexpr uint32_t kPartShortcut = 6012;
    static constexpr uint32_t kPartArrowRight = 6013;
    static constexpr uint32_t kPartArrowLeft = 6015;
    static constexpr uint32_t kPartCheck = 6017;
    static constexpr uint32_t kSeparatorLayout = 6030;
    static constexpr float kItemHighlight = 90.0f;
    static constexpr uint32_t kEnabledOpacity = 180;
    static constexpr uint32_t kDisabledOpacity = 80;
    // User values of an item widget: its entry id and its index in the submenu names.
    static constexpr int32_t kSlotItemId = 0;
    static constexpr int32_t kSlotSubmenu = 1;
    // Layout of the column: margins above and below, the room beside the label and the shortcut.
    static constexpr int32_t kMargin = 10;
    static constexpr int32_t kLabelRoom = 30;
    static constexpr int32_t kShortcutRoom = 15;
    static constexpr int32_t kMinWidth = 100;

    CKS2PopupMenu() = default;
    ~CKS2PopupMenu() override;
    CKS2PopupMenu(const CKS2PopupMenu&) = delete;
    CKS2PopupMenu& operator=(const CKS2PopupMenu&) = delete;

    // Builds the frame in the layer and the items of `list`; 24 without a manager or layer, 22
    // when the frame cannot be loaded, else BuildItems' answer.
    tResult Init(CKS2PopupManager* manager, int32_t index, CWidget* layer, CTextList* list, uint32_t direction,
                 const tPopupIdList* disabled, const tPopupIdList* checked);
    // The item buttons' clicks and entries.
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

    void SetItemEnabled(CWidget* item, uint32_t enabled, uint32_t redraw);
    void SetItemChecked(CWidget* item, uint32_t checked, uint32_t present);
    // Removes the frame from the layer and deletes the item buttons.
    void DestroyWidgets();
    // Hides the frame and drops every highlight and the submenu item.
    void Close();
    // Places the frame with its corner at `point` (layer coordinates) by the direction and
    // shows it.
    tResult ShowAt(tCPoint point, uint32_t direction, uint32_t redraw);

    // Keys from the manager. The current item: the keyboard item, else the submenu item (which
    // becomes the keyboard item), else the item under the pointer.
    CKS2Button* TakeCurrentItem();
    void MoveKeyboardItem(bool down);
    tResult ChooseItem(CKS2Button* item);
    tResult OpenItemSubmenu(CKS2Button* item);
    void ClearKeyboardItem();

    tCString GetName() const { return m_name; }
    void SetName(const tCString& name) { m_name = name; }
    int32_t GetIndex() const { return m_index; }
    int32_t GetResourceId() const { return m_resourceId; }
    void SetResourceId(int32_t id) { m_resourceId = id; }
    CImWidget* GetFrame() const { return m_frame; }
    int32_t GetItemCount() const { return m_items.GetCount(); }
    CKS2Button* GetItem(int32_t index) const { return m_items.GetAt(index); }
    CKS2Button* GetSubmenuItem() const { return m_submenuItem; }
    void SetSubmenuItem(CKS2Button* item) { m_submenuItem = item; }
    CKS2Button* GetKeyboardItem() const { return m_keyboardItem; }
    void SetKeyboardItem(CKS2Button* item) { m_keyboardItem = item; }
    // The submenu name of an item, empty without one.
    tCString SubmenuOf(const CKS2Button* item) const;
    uint32_t GetDirection() const { return m_direction; }

    static tResult OnMenuHeartbeat(tMsgArg context, CWidget* widget);
    static tResult OnMenuPointerMove(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

private:
    tResult BuildItems(CTextList* list, const tPopupIdList* disabled, const tPopupIdList* checked);
    tResult AddRow(CWidget* row);
    tResult AddItem(int32_t id, const tCString& text, const tPopupIdList* disabled, const tPopupIdList* checked,
                    int32_t* width, int32_t* shortcutWidth, CWidget** made);
    tResult HoverItem(CKS2Button* item);
    CKS2Button* ItemUnderPointer() const;
    int32_t IndexOfItem(const CKS2Button* item) const;

    int32_t m_index = -1;
    int32_t m_resourceId = -1;
    tCString m_name;
    CImWidget* m_frame = nullptr;
    CKS2PopupManager* m_manager = nullptr;
    tCArray<CKS2Button*> m_items;
    uint32_t m_direction = 0;
    tCStringArray m_submenuNames;
    CKS2Button* m_submenuItem = nullptr;
    CKS2Button* m_keyboardItem = nullptr;
};

// One entry of a menu's text list, cut into its parts: LABEL[~SHORTCUT][>SUBMENU].
struct tPopupEntry {
    tCString label;
    tCString shortcut;
    tCString submenu;
    bool hasShortcut = false;
};
tPopupEntry ParsePopupEntry(const tCString& text);
// The shortcut text of a spec: one character as it is; else the modifier its first character
// names ("C", "S", "A"), " + " and the rest; another first character shows the rest alone.
tCString PopupShortcutText(const tCString& spec);
