#include <algorithm>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/ReportText.h"
#include "app/shell/TextVariant.h"
#include "app/shell/panes/CKS2Pane.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ProjectFile.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CValueRestorer.h"
#include "toolkit/core/CWindowBase.h"

namespace {

// The variant whose keyboard puts '=' and '+' on other keys.
constexpr uint32_t kVariantAlternateKeys = 0xB2D05E38u;
// Announces a change of the current tool's settings to the panes that show them.
constexpr uint32_t kMsgToolSettingsChanged = 0xFF001027u;
constexpr float kFineStep = 0.01f;
constexpr float kCoarseStep = 0.1f;

struct tModifiers {
    bool ctrl = false;
    bool shift = false;
};

// True when the character is the control code of a letter other than those of Backspace, Tab,
// line feed and Enter: it was typed with Ctrl held, even when Ctrl is up by the time a busy
// program reads it.
bool TypedWithControl(int32_t code)
{
    return code >= 1 && code <= 26 && code != 8 && code != 9 && code != 10 && code != 13;
}

tModifiers ReadModifiers(int32_t code)
{
    CAppBase* app = GetApplication();
    if (!app)
        return {};
    return {app->IsControlDown() || TypedWithControl(code), app->IsShiftDown()};
}

tResult SendPlain(uint32_t message, tMsgArg sender)
{
    return tCCmdTarget::SendToBackbone(message, sender, 0, 0);
}

}  // namespace

tResult CHMRBackdrop::OnShortcutKey(CWidget** takenBy, int32_t code)
{
    const tModifiers keys = ReadModifiers(code);
    const tMsgArg self = ToMsgArg(this);
    const bool alternate = GetTextVariant() == kVariantAlternateKeys;
    // With the usual keyboard '+' is the key of '-'.
    if (code == '+' && !alternate)
        code = '-';
    switch (code) {
    case 13:
        return m_cleanView ? EndCleanView(1) : BeginCleanView(1);
    case '1':
        if (keys.ctrl)
            return ShowAboutPane();
        return PickTool(4900);
    case '2':
        return PickTool(4901);
    case '3':
        return PickTool(4905);
    case '5':
        return PickTool(4903);
    case '9':
        return PickTool(4909);
    case '0':
        return PickTool(4904);
    case '-':
        return keys.ctrl ? SendPlain(kMsgZoomOut, self) : PickTool(4902);
    case '+':
        return keys.shift && keys.ctrl ? SendPlain(kMsgZoomIn, self) : kResOk;
    case '=':
        if (alternate)
            return PickTool(keys.shift ? 4902 : 4906);
        return keys.ctrl ? SendPlain(kMsgZoomIn, self) : PickTool(4906);
    case '^':
    case '~':
        return alternate ? PickTool(4906) : kResOk;
    case '/':
    case '?':
        return SendPlain(kMsgHalfTurn, self);
    case 'E':
    case 'e':
    case 5:
        return keys.ctrl ? ExportImage() : kResOk;
    case 'I':
    case 'i':
    case 9:
        if (keys.ctrl)
            return NewPaintingFromImage(false);
        TogglePanesAside();
        return kResOk;
    case 'M':
    case 'm':
        return keys.ctrl ? kResOk : PickTool(4910);
    case 'N':
    case 'n':
    case 14:
        return keys.ctrl ? NewPainting(0) : kResOk;
    case 'O':
    case 'o':
    case 15:
        return keys.ctrl ? OpenProject(nullptr, false) : kResOk;
    case 'P':
    case 'p':
    case 16:
        if (!keys.ctrl || ReportNoPainting(self))
            return kResOk;
        m_cursorManager.UpdateCursor(nullptr, nullptr, 1);
        return SendPlain(kMsgPrint, self);
    case 'R':
    case 'r':
    case 18:
        return keys.ctrl ? kResOk : PickTool(4911);
    case 'S':
    case 's':
    case 19:
        return SaveProject(false);
    case 'T':
    case 't':
    case 20:
        if (keys.ctrl)
            return LoadTracingImage();
        return tCCmdTarget::SendToBackbone(kMsgTracingVisible, self, 2, 0);
    case 'U':
    case 'u':
    case 21:
        return keys.ctrl ? ShowUpdatePane() : kResOk;
    case 'Y':
    case 'y':
    case 25:
        return SendPlain(kMsgRedo, self);
    case 'Z':
    case 'z':
    case 26:
        if (!keys.ctrl)
            return PickTool(4912);
        return SendPlain(keys.shift ? kMsgRedo : kMsgUndo, self);
    case 'C':
    case 'c':
        m_cursorManager.SetSimpleCursor(m_cursorManager.GetSimpleCursor() ? 0 : 1);
        return kResOk;
    case 'D':
    case 'd':
        return SendPlain(kMsgFitToView, self);
    case 'h':
        return HoldKey(kMsgFlipHorizontal, 'H');
    case 'v':
        return HoldKey(kMsgFlipVertical, 'V');
    case kKeyUp:
    case kKeyDown:
        if (keys.ctrl)
            return kResOk;
        return StepToolProperty((code == kKeyUp ? 1.0f : -1.0f) * (keys.shift ? kCoarseStep : kFineStep));
    case kKeyRight:
    case kKeyLeft:
        if (keys.ctrl)
            return kResOk;
        return StepToolSize((code == kKeyRight ? 1.0f : -1.0f) * (keys.shift ? kCoarseStep : kFineStep));
    case kKeyPageUp:
        return SendPlain(kMsgZoomIn, self);
    case kKeyPageDown:
        return SendPlain(kMsgZoomOut, self);
    case kKeyF1:
        return OpenHelpDocument();
    case kKeyF7:
    case kKeyF8:
    case kKeyF12:
    case kKeyEscape:
        return kResOk;
    default:
        // The window's own key defaults run.
        *takenBy = nullptr;
        return kResOk;
    }
}

tResult CHMRBackdrop::PickTool(uint32_t id)
{
    return tCCmdTarget::SendToBackbone(kMsgPickTool, ToMsgArg(this), id, 0);
}

tResult CHMRBackdrop::StepToolProperty(float step)
{
    ToolPropertyValue record;
    record.textId = kPropertyPressure;
    // Without a tool that has the property there is nothing to step.
    if (QueryBackbone(kMsgToolPropertyValue, ToMsgArg(this), ToMsgArg(&record), 0) != kResOk)
        return kResOk;
    record.value = std::clamp(record.value + step, 0.0f, 1.0f);
    TK_TRY(SendToBackbone(kMsgToolPropertyValue, ToMsgArg(this), ToMsgArg(&record), 0));
    return SendToBackbone(kMsgToolSettingsChanged, 0, 0, 0);
}

tResult CHMRBackdrop::StepToolSize(float step)
{
    float size = 0.0f;
    if (QueryBackbone(kMsgToolSize, ToMsgArg(this), ToMsgArg(&size), 0) != kResOk)
        return kResOk;
    size = std::clamp(size + step, 0.0f, 1.0f);
    return SendToBackbone(kMsgToolSize, ToMsgArg(this), ToMsgArg(&size), 0);
}

tResult CHMRBackdrop::HoldKey(uint32_t message, int32_t virtualKey)
{
    if (m_keyHold)
        return kResOk;
    m_keyHold = 1;
    CValueRestorer holdEnds(&m_keyHold, 0);
    CAppBase* app = GetApplication();
    uint32_t value = 0;
    (void)QueryBackbone(message, ToMsgArg(this), ToMsgArg(&value), 0);
    uint32_t flipped = value == 0 ? 1 : 0;
    (void)SendToBackbone(message, ToMsgArg(this), ToMsgArg(&flipped), 0);
    CKS2Pane* picker = FindPane(kPaneColourPicker);
    CWidget* modal = picker ? picker->GetRoot() : nullptr;
    const bool pushed = modal && PushModal(modal) == kResOk;
    // A quit arriving meanwhile ends the hold too; the close itself waits for this handler.
    while (app && app->IsKeyDown(virtualKey) && !app->IsQuitting()) {
        if (app->PumpStep() != kResOk)
            break;
    }
    if (pushed)
        PopModal();
    uint32_t back = flipped == 0 ? 1 : 0;
    (void)SendToBackbone(message, ToMsgArg(this), ToMsgArg(&back), 0);
    if (app && !app->IsQuitting())
        (void)app->PumpStep();
    return kResOk;
}

void CHMRBackdrop::TogglePanesAside()
{
    const uint32_t side = m_panesAside;
    for (int32_t i = 0; i < m_mainPanes.GetCount(); ++i) {
        CKS2Pane* pane = m_mainPanes[i];
        if (pane && pane->GetSide() == side)
            (void)pane->SetSide(side == 0 ? 1 : 0, 1);
    }
    m_panesAside = side == 0 ? 1 : 0;
}
