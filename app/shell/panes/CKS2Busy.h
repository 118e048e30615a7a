#pragma once

#include <cstdint>

#include "app/shell/panes/CKS2Pane.h"

class CRotaterWidget;
class CStaticWidget;

// The small pane that tells the user that a short operation runs: a framed strip with the
// operation's title and a turning spinner, over a still picture of the window. It follows the
// progress notifications of the application's hub: a progress of context 1 shows it, the end of
// any progress hides it, and every update turns the spinner.
class CKS2Busy : public CKS2Pane {
public:
    static constexpr int32_t kTextSpacing = 30;
    static constexpr int32_t kSpinnerInset = 10;
    static constexpr float kSpinnerScale = 0.97f;
    static constexpr float kTurnMilliseconds = 1000.0f;
    static constexpr float kTurnSteps = 360.0f;
    static constexpr uint32_t kBusyContext = 1;

    CKS2Busy();
    ~CKS2Busy() override;
    CKS2Busy(const CKS2Busy&) = delete;
    CKS2Busy& operator=(const CKS2Busy&) = delete;

    // Always 0: the pane never cancels a progress.
    tResult OnNotify(uint32_t message, tMsgArg a, tMsgArg b) override;
    tResult Build() override;
    // param1 points to the message (a tCString); an empty one shows the busy title.
    tResult OnShow(uint32_t reserved, uint32_t redraw, tMsgArg param1, tMsgArg param2) override;
    tResult OnHide(uint32_t transition, uint32_t redraw, tMsgArg result, tMsgArg flag) override;

    // Keys that reach the pane's root go no further.
    static tResult ClaimKeysProc(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);

    CStaticWidget* GetSnapshot() const { return m_snapshot; }
    CRotaterWidget* GetSpinner() const { return m_spinner; }

private:
    tResult BuildSpinner();
    void TakeSnapshot();
    void DropSnapshot();
    tResult FitWidth();
    void TurnSpinner();

    CStaticWidget* m_snapshot = nullptr;
    CRotaterWidget* m_spinner = nullptr;
    bool m_listening = false;
};
