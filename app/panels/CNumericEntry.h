#pragma once

#include <cstdint>

#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "toolkit/widgets/CWidgetLayout.h"

class CKS2RadialControl;

// The message that carries the chosen value to the owner (a = the entry, b = a float* living for
// that call only).
inline constexpr uint32_t kMsgNumberEntered = 0xFF001031;

// What a caller of the numeric entry asks: the label (a string-table id, or -1), the place (-1
// keeps the layout's) and the value to start with, in hundredths.
struct tNumericEntrySetup {
    int32_t labelId = -1;
    int32_t x = -1;
    int32_t y = -1;
    int32_t value = 0;
};

// The small modal pane that asks for one value with a percentage dial, over cancel and OK
// buttons. Shown with a setup as param1; Enter or OK sends the owner 0xFF001031 with the dial's
// value, Esc and cancel send nothing.
class CNumericEntry : public CKS2Pane {
public:
    static constexpr uint32_t kRoot = kWgtNumberPrompt;
    static constexpr uint32_t kOkButton = kWgtNumberPromptOk;
    static constexpr uint32_t kCancelButton = kWgtNumberPromptCancel;
    static constexpr uint32_t kDial = kWgtNumberPromptDial;
    // The dial's init data: the id of its label.
    static constexpr uint32_t kDialLabel = 100753;
    static constexpr int32_t kOkGlow = 1;
    static constexpr int32_t kCancelGlow = 2;
    static constexpr float kGlowLit = 80.0f;
    static constexpr int32_t kMinWidth = 70;

    CNumericEntry();
    ~CNumericEntry() override;
    CNumericEntry(const CNumericEntry&) = delete;
    CNumericEntry& operator=(const CNumericEntry&) = delete;

    // 22 when a button or the dial's widget is missing, 24 when memory fails.
    tResult Build() override;
    // 6 for a null setup, which leaves the entry hidden; 24 without the panel frame.
    tResult OnShow(uint32_t reserved, uint32_t redraw, tMsgArg setup, tMsgArg param2) override;
    tResult OnDismissed(tMsgArg result, tMsgArg flag) override;

    static tResult OnRootKey(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult OnButtonHeartbeat(tMsgArg context, CWidget* widget);

    CKS2RadialControl* GetDial() const { return m_dial; }

private:
    tResult LayOut(const tNumericEntrySetup& setup);
    void ClipGlows();

    CKS2RadialControl* m_dial = nullptr;
    CWidgetLayout m_layoutPlace;
};
