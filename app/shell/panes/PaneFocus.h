#pragma once

class CWidget;

// Keys travel down the focus path only: a pane that answers keys takes the focus when it is up
// and gives it back when it goes, if it still holds it: to the pane that took the keys last of
// those still shown, else to the main backdrop.
void TakePaneFocus(CWidget* root);
void ReturnPaneFocus(CWidget* root);
