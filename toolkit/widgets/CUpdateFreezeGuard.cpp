#include "toolkit/widgets/CUpdateFreezeGuard.h"

#include "toolkit/widgets/IWidgetRoot.h"

CUpdateFreezeGuard::CUpdateFreezeGuard(IWidgetRoot* root) : m_root(root)
{
    if (!m_root)
        return;
    m_saved = m_root->GetPresentFrozen();
    m_root->SetPresentFrozen(1);
}

CUpdateFreezeGuard::~CUpdateFreezeGuard()
{
    if (m_root && !m_mainWindow.IsGone())
        m_root->SetPresentFrozen(m_saved);
}
