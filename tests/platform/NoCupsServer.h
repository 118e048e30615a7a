#pragma once

#include <cstdlib>
#include <string>

#include "tests/toolkit/core/TempFolder.h"

// Keeps CUPS away from the tests that do not start their own: the clients find no server.
class NoCupsServer {
public:
    NoCupsServer()
    {
        const char* server = std::getenv("CUPS_SERVER");
        m_saved = server ? server : "";
        m_had = server != nullptr;
        setenv("CUPS_SERVER", m_folder.File("no-server.sock").c_str(), 1);
    }
    ~NoCupsServer()
    {
        if (m_had)
            setenv("CUPS_SERVER", m_saved.c_str(), 1);
        else
            unsetenv("CUPS_SERVER");
    }
    NoCupsServer(const NoCupsServer&) = delete;
    NoCupsServer& operator=(const NoCupsServer&) = delete;

private:
    TempFolder m_folder;
    std::string m_saved;
    bool m_had = false;
};
