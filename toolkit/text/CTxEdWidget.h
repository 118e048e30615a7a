#pragma once

#include <cstdint>

#include "toolkit/core/CTimeTrack.h"
#include "toolkit/core/CTimer.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/text/CTxImWidget.h"

// The single-line edit field: a text on an image with a blinking caret, a selection, typing,
// deletion, caret movement by keys and by the mouse, horizontal scrolling that keeps the caret
// inside the field, cut, copy and paste through the application's clipboard, an optional
// numeric-only mode, where the keypad's decimal key types the decimal point, and a maximum length.
// Enter and Escape are told to the notify target, or to the application. A UTF-16 surrogate pair
// counts as one character: the caret never stands inside one. Type tag 'tewg'.
class CTxEdWidget : public CTxImWidget {
public:
    static constexpr uint32_t kType = MakeFourCC("tewg");
    static constexpr uint32_t kMsgEnter = 0xF0000003;
    static constexpr uint32_t kMsgEscape = 0xF0000004;
    static constexpr uint32_t kMsgCut = 0xF000000A;
    static constexpr uint32_t kMsgCopy = 0xF000000B;
    static constexpr uint32_t kMsgPaste = 0xF000000C;

    class CTxEdWidgetDataHolder : public CTxImWidgetDataHolder {
    public:
        uint32_t textColour = 0xFF000000;
    };

    CTxEdWidget();
    ~CTxEdWidget() override = default;

    static CTxEdWidget* NewFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory);

    uint32_t GetWidgetType() const override { return kType; }
    // Cut, copy and paste messages; anything else answers 0.
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    tResult OnKeyDown(CWidget** takenBy, uint32_t key) override;
    // The caret's blink while the field has the focus.
    tResult OnHeartbeat() override;
    tResult OnLButtonDown(CWidget** takenBy, tCPoint* point) override;
    // Losing the focus collapses the selection (when hidden unfocused) and hides the caret.
    tResult BroadcastMessage(uint32_t message, tMsgArg a, tMsgArg b) override;
    // A field that takes the focus selects its whole text.
    CWidget* SetFocusChild(CWidget* child, CWidget* focused, uint32_t notify) override;
    // The caret or the selection over the drawn field.
    tResult DrawOverSubtree(const tCRect* clip, CImage* target, uint32_t opacity) override;
    tResult ReadDataBlock(tCStream* stream) override;
    // 'txcl'; anything else goes to the text-on-image parser.
    tResult ReadDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder);

    // 2 for a text that numeric mode or the maximum length refuses; the text then stays.
    tResult SetText(const tCString& text, uint32_t relayout, uint32_t refresh) override;
    // The field keeps no text list.
    tResult SetTextList(CTextList*) override { return kResOk; }
    int32_t GetJustification() const override { return m_justification; }
    tResult SetJustification(int32_t justification, uint32_t relayout, uint32_t refresh) override;

    virtual void SetBlinkPeriod(int32_t milliseconds) { m_blink.SetDuration(float(milliseconds)); }
    virtual int32_t GetBlinkPeriod() const { return int32_t(m_blink.GetDuration()); }
    virtual tResult SelectAll(uint32_t refresh);
    virtual tResult ClearSelection(uint32_t refresh);
    virtual tResult Cut();
    virtual tResult Copy();
    virtual tResult Paste();
    // 2 for a position past the end (or before the start); inside a surrogate pair the caret
    // stands before it.
    virtual tResult SetCaretPos(int32_t position, uint32_t extend, uint32_t update);
    virtual void SetNumericOnly(uint32_t numeric, uint32_t decimals);
    // The text with the selection replaced by the character; with `move` the caret and the
    // anchor then stand after it.
    virtual void BuildTextWithChar(char16_t character, tCString* out, uint32_t move);
    virtual tResult InsertChar(char16_t character);
    virtual tResult DeleteChar(uint32_t backspace);
    virtual tResult MeasureCaretPositions();
    virtual tResult DrawCaret(const tCRect* clip, CImage* target, uint32_t flag);
    virtual tResult RefreshCaret(uint32_t flag);
    virtual void ScrollToPosition(int32_t index);
    virtual tResult MoveCaretByKey(int32_t key);

    // Removes the selection, or with `clearAll` and no selection the whole text.
    tResult DeleteSelection(uint32_t clearAll, uint32_t update);
    // The selection; with nothing selected the whole text when `wholeIfNone`, else "".
    void GetSelectedText(tCString* out, uint32_t wholeIfNone) const;
    // Replaces the selection with the text (null only deletes it) and puts the caret after it.
    tResult InsertText(const tCString* text, uint32_t update);

    int32_t GetCaret() const { return m_caret; }
    int32_t GetAnchor() const { return m_anchor; }
    const tCArray<int32_t>& GetCaretPositions() const { return m_positions; }
    int32_t PositionAt(int32_t index) const;
    int32_t GetBlinkPhase() const { return m_blinkPhase; }
    void SetHideWhenUnfocused(int32_t on) { m_hideWhenUnfocused = on; }
    void SetMaximumLength(int32_t length) { m_maximumLength = length; }
    void SetNotifyTarget(tCCmdTarget* target) { m_notifyTarget = target; }
    // The caret's and the selection's rects in the field's coordinates.
    tCRect GetCaretRect() const;
    tCRect GetSelectionRect() const;

protected:
    tResult OnImageApplied(CTxImWidgetDataHolder* holder) override;

private:
    bool HasSelection() const { return m_caret != m_anchor; }
    int32_t SelectionStart() const { return m_caret < m_anchor ? m_caret : m_anchor; }
    int32_t SelectionEnd() const { return m_caret < m_anchor ? m_anchor : m_caret; }
    int32_t LastIndex() const { return m_positions.GetCount() - 1; }
    // Whether numeric mode takes the text.
    bool IsNumericText(const tCString& text) const;
    // A number, or an unfinished entry that a digit after it makes one ("-", "1."): what typing
    // and pasting may leave in a numeric field.
    bool IsNumericEntry(const tCString& text) const;
    // The caret index for a point in the embedded text widget's coordinates.
    int32_t IndexAtX(int32_t x) const;
    // Moves an index that stands inside a surrogate pair to the pair's start.
    int32_t PairStart(int32_t index) const;
    // One character left or right of an index, a pair counting as one.
    int32_t StepLeft(int32_t index) const;
    int32_t StepRight(int32_t index) const;
    void MoveByWord(int32_t key);
    tResult TypeCharacter(char16_t character);
    tResult SendToOwner(uint32_t message);
    // Follows the pointer while the button stays held, extending the selection.
    tResult DragSelection();
    tCRect BandRect(int32_t left, int32_t right) const;

    int32_t m_caret = 0;
    int32_t m_anchor = 0;
    tCArray<int32_t> m_positions;
    CTimeTrack m_blink{0.0f, 100.0f, 500.0f, 2.0f, CTimeTrack::kPingPong, true};
    int32_t m_blinkPhase = 0;
    int32_t m_hideWhenUnfocused = 1;
    int32_t m_justification = 0;
    int32_t m_numericOnly = 0;
    int32_t m_decimalsAllowed = 1;
    int32_t m_maximumLength = -1;
    tCCmdTarget* m_notifyTarget = nullptr;
    uint32_t m_doubleClickInterval = 200;
    CTimer m_clickTimer;
    int32_t m_clickCount = 0;
};
