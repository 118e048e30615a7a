#pragma once

#include "toolkit/core/CAppBase.h"

// Notices that the application's main window went away while it watched, as when a heartbeat
// handler closes the window and with it the tree being walked. A watch that began without a
// main window (no application, or none made yet) never reports it gone.
class CMainWindowWatch {
public:
    CMainWindowWatch() : m_existed(GetMainWindow() != nullptr) {}
    bool IsGone() const { return m_existed && !GetMainWindow(); }

private:
    bool m_existed;
};
