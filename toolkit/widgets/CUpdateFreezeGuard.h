#pragma once

#include <cstdint>

#include "toolkit/widgets/MainWindowWatch.h"

class IWidgetRoot;

// Holds a root's presents while it lives, so that a batch of changes appears at once. Guards
// nest: each puts back the frozen state it found. When the main window went away meanwhile, the
// root may be gone with it and is left alone.
class CUpdateFreezeGuard {
public:
    explicit CUpdateFreezeGuard(IWidgetRoot* root);
    ~CUpdateFreezeGuard();
    CUpdateFreezeGuard(const CUpdateFreezeGuard&) = delete;
    CUpdateFreezeGuard& operator=(const CUpdateFreezeGuard&) = delete;

private:
    IWidgetRoot* m_root;
    uint32_t m_saved = 0;
    CMainWindowWatch m_mainWindow;
};
