#pragma once

#include <cstdint>

#include "app/shell/panes/CKS2Pane.h"

class CImage;
class CImWidget;
class CStaticWidget;
class CTxWidget;

// The small pane shown while a long operation runs. It listens to the progress notifications of
// the application (tCProgress) and shows the operation's title, a percentage and a bar that
// reveals the left part of one fixed picture. While it is up the window behind it is a still
// snapshot, so that nothing there is drawn again during the work. Progresses with a non-zero
// context word do their work without it.
class CKS2Progress : public CKS2Pane {
public:
    CKS2Progress();
    ~CKS2Progress() override;

    tResult OnNotify(uint32_t message, tMsgArg a, tMsgArg b) override;
    tResult Build() override;
    // param1 points to the title (a tCString); an empty title shows the busy title.
    tResult OnShow(uint32_t reserved, uint32_t redraw, tMsgArg param1, tMsgArg param2) override;
    tResult OnHide(uint32_t transition, uint32_t redraw, tMsgArg result, tMsgArg flag) override;
    // Takes the keyboard focus, so that keys stop at the pane.
    tResult OnShown() override;

    // Shows the fraction (clamped to 0..1) as percentage and bar; the fraction shown already
    // changes nothing.
    tResult SetProgress(float fraction, uint32_t present);

    float GetShownFraction() const { return m_shownFraction; }
    CStaticWidget* GetBackground() const { return m_background; }
    // The bar source stretched to the bar's full size, or null before the first show.
    CImage* GetFullBar() const { return m_fullBar; }

private:
    void DropBackground();
    void FreezeBackground();
    // Sizes the root for the title and percent texts and rebuilds frame, track and full bar
    // when the width changed.
    tResult FitWidth();
    tResult RebuildPictures();
    tResult ClearBar();

    CStaticWidget* m_background = nullptr;
    CTxWidget* m_percent = nullptr;
    CImWidget* m_bar = nullptr;
    float m_shownFraction = -1.0f;
    CImage* m_barSource = nullptr;
    CImage* m_fullBar = nullptr;
    bool m_listening = false;
};
