#pragma once

#include <cstdint>

#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCPoint.h"

class CWidget;

// Messages between controls and their panes (a = the control, apply flag 1).
enum : uint32_t {
    kMsgCheckboxToggled = 0xFF001015,
    kMsgControlPressed = 0xFF001016,
    kMsgControlClicked = 0xFF001017,
    kMsgControlRightPressed = 0xFF001018,
    kMsgControlRightClicked = 0xFF001019,
    kMsgControlEntered = 0xFF00101A,
    kMsgControlLeft = 0xFF00101B,
    kMsgControlValueChanged = 0xFF00101C,
    kMsgControlValue = 0xFF00101D,
    kMsgTextEntered = 0xFF001030,
};

// Gives behaviour to a widget of a pane's layout: attached to the widget by id, it turns the
// widget's pointer events into messages to its pane. The pane owns its controls; the widget
// belongs to the widget tree and must outlive the control or be detached from its tree (a
// detached widget is deleted only once the event that detached it is over). A control going
// away takes its callbacks off its widget.
class CKS2Control : public tCCmdTarget {
public:
    enum : uint32_t {
        kCheckbox = 0,
        kButton = 1,
        kFreeButton = 3,
        kTextEdit = 4,
        kRadialControl = 5,
        kToggleControl = 6,
    };
    enum : uint32_t { kHighlightFollows = 0, kHighlightOn = 1, kHighlightOff = 2 };

    explicit CKS2Control(uint32_t kind) : m_kind(kind) {}
    ~CKS2Control() override;
    CKS2Control(const CKS2Control&) = delete;
    CKS2Control& operator=(const CKS2Control&) = delete;

    // Binds the control to `widget` and `pane` and answers Init(initArg); 22 for a null widget
    // or pane. An id of -1 takes the widget's resource id. A failing Init leaves no callback
    // of the control on the widget.
    tResult Attach(CWidget* widget, tCCmdTarget* pane, tMsgArg initArg, int32_t id);
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

    virtual tResult Init(tMsgArg) { return kResOk; }
    virtual tResult BuildLook(uint32_t) { return kResOk; }
    virtual tResult ResetHighlight() { return kResOk; }
    virtual tResult Relayout(uint32_t) { return kResOk; }
    virtual tResult SetHighlight(uint32_t, uint32_t, uint32_t) { return kResOk; }
    virtual tResult ClearHighlight() { return kResOk; }
    virtual tResult SetEnabled(uint32_t, uint32_t, uint32_t) { return kResOk; }
    virtual uint32_t IsEnabled() { return 1; }
    virtual tResult HandleMessage(uint32_t, tMsgArg, tMsgArg, tMsgArg, uint32_t) { return kResOk; }

    // Press capture: the press message (2 from the pane stops here), a nested loop of heartbeats
    // while the button is held, and the click message when the release is over the widget.
    static tResult PressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult RightPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

    uint32_t GetKind() const { return m_kind; }
    int32_t GetControlId() const { return m_id; }
    tCCmdTarget* GetPane() const { return m_pane; }
    CWidget* GetWidget() const { return m_widget; }
    uint32_t GetHighlightState() const { return m_highlightState; }

protected:
    // Sends a control message to the pane with this control as a.
    tResult Report(uint32_t message, tMsgArg b);
    // Takes the control's callbacks off its widget and its parts.
    void Unhook();
    // Runs the capture loop and answers whether the button came up over `widget` (FollowPressOn),
    // with where (screen coordinates) in `release` when asked; `pressMessage` 0 sends no press.
    // Answers false, with nothing captured, when the pane answers 2 to the press. Nothing of the
    // control is touched after the press message.
    static bool Capture(tCCmdTarget* pane, tMsgArg sender, CWidget* widget, uint32_t pressMessage,
                        const tCPoint* point, bool secondary, tCPoint* release = nullptr);
    // Sends the click with the release point (screen coordinates) in the widget's coordinates.
    // Touches nothing of the control, which the click may delete.
    static tResult SendClick(tCCmdTarget* pane, tMsgArg sender, CWidget* widget, uint32_t message, tCPoint release);

    uint32_t m_kind;
    int32_t m_id = -1;
    tCCmdTarget* m_pane = nullptr;
    CWidget* m_widget = nullptr;
    uint32_t m_highlightState = kHighlightFollows;
};

// Puts the string-table text `id` (first field) on a text widget, unless the table has no such
// text (its answer begins with "%%"); then the layout's text stays.
void SetLabelFromTable(CWidget* label, uint32_t id);
