#pragma once

class CWidget;

// Keys travel down the focus path only: a pane that answers keys takes the focus when it is up
// and gives it back to the main backdrop when it goes, if it still holds it.
void TakePaneFocus(CWidget* root);
void ReturnPaneFocus(CWidget* root);
