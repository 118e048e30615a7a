#pragma once

#include "app/shell/IPanelMaker.h"

// The painting panels as the main backdrop's build asks for them: one new pane per row of the
// interface that the program has.
class CInterfacePanels : public IPanelMaker {
public:
    tResult MakePane(uint32_t rootId, CKS2Pane** pane) override;
    CStringPrompt* AsTextPrompt(CKS2Pane* pane) override;
    tResult ShowNumberPrompt(CStringPrompt* prompt, tCCmdTarget* owner, tCPoint point, const tCString& initialText,
                             const tCString& title) override;
    tResult TrackColourDrag(CKS2Pane* pane) override;
};
