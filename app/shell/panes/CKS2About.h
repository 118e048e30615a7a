#pragma once

#include <cstdint>

#include "app/shell/panes/CKS2Pane.h"
#include "toolkit/core/tCArray.h"

// The pane of the program's information: over a blurred picture of the window, a picture on the
// left and a column of framed panels on the right, one of them a web link and one the close
// button; Enter and Escape close it too. While it is open it is the backdrop's modal widget.
// Now and then, by a roll at each showing, two extra widgets appear beside the first panel.
class CKS2About : public CKS2Pane {
public:
    static constexpr int32_t kPanelCount = 6;
    static constexpr int32_t kColumnGap = 10;
    static constexpr int32_t kCentreGap = 40;
    static constexpr int32_t kNoteWidth = 380;
    static constexpr float kGlowTarget = 80.0f;
    static constexpr float kGlowStepTime = 2.0f;

    CKS2About();
    ~CKS2About() override = default;
    CKS2About(const CKS2About&) = delete;
    CKS2About& operator=(const CKS2About&) = delete;

    tResult Build() override;
    tResult HandleMessage(uint32_t, tMsgArg, tMsgArg, tMsgArg, uint32_t) override { return kResOk; }
    // Both show and hide the pane themselves and answer 2.
    tResult OnShow(uint32_t reserved, uint32_t present, tMsgArg param1, tMsgArg param2) override;
    tResult OnHide(uint32_t transition, uint32_t present, tMsgArg result, tMsgArg flag) override;

    // Advances the two-word state by one multiply-with-carry step each and answers whether the
    // extras are shown: the low four bits of the words' exclusive or are 10.
    static bool RollExtras(uint32_t state[2]);

    static tResult AboutKeyDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult AboutButtonPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult AboutButtonGlowProc(tMsgArg context, CWidget* widget);

    int32_t GetPanelCount() const { return m_panels.GetCount(); }
    CWidget* GetPanel(int32_t index) const { return m_panels.GetAt(index); }

private:
    tResult BuildPanel(uint32_t id, CWidget* panel);
    tResult PrepareButtonPanel(CWidget* panel);
    void LayOutColumn(int32_t width, int32_t height);
    void PlaceExtras(bool shown);
    tResult OnPanelPress(CWidget* panel);

    tCArray<CWidget*> m_panels{tCArray<CWidget*>::kAutoGrowth};
};
