#pragma once

// Whether the application's main window exists. The application answers through a query it
// registers; without one there is no main window.
using tMainWindowQuery = bool (*)();
void SetMainWindowQuery(tMainWindowQuery query);
bool MainWindowExists();

// Notices that the main window went away while it watched, as when a heartbeat handler closes
// the window and with it the tree being walked. A watch that began without a main window never
// reports it gone.
class CMainWindowWatch {
public:
    CMainWindowWatch() : m_existed(MainWindowExists()) {}
    bool IsGone() const { return m_existed && !MainWindowExists(); }

private:
    bool m_existed;
};
