#pragma once

#include "tests/platform/ScopedEnvironment.h"
#include "tests/toolkit/core/TempFolder.h"

// Keeps CUPS away from the tests that do not start their own: the clients find no server.
class NoCupsServer {
public:
    NoCupsServer() { m_environment.Set("CUPS_SERVER", m_folder.File("no-server.sock")); }

private:
    TempFolder m_folder;
    ScopedEnvironment m_environment;
};
