#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "ScopedEnvironment.h"
#include "toolkit/core/TempFolder.h"

// Stand-ins for the desktop's dialog programs in a folder of their own, put first on PATH (or
// alone on it), with no desktop named: each notes its arguments, one a line, then runs its body.
class DialogStandIns {
public:
    explicit DialogStandIns(bool alone)
    {
        const char* path = std::getenv("PATH");
        m_environment.Set("PATH", m_bin.Path().string() + (alone || !path ? "" : ":" + std::string(path)));
        m_environment.Unset("XDG_CURRENT_DESKTOP");
    }

    void Install(const std::string& program, const std::string& body)
    {
        const std::string script = m_bin.File(program);
        WriteWholeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> " + m_bin.File("arguments") + "\n" + body + "\n");
        chmod(script.c_str(), 0755);
    }

    // The arguments noted since the last call.
    std::vector<std::string> TakeArguments()
    {
        std::vector<std::string> lines;
        std::istringstream in(ReadWholeFile(m_bin.File("arguments")));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        std::remove(m_bin.File("arguments").c_str());
        return lines;
    }

    std::string File(const std::string& name) const { return m_bin.File(name); }
    void SetDesktop(const std::string& desktop) { m_environment.Set("XDG_CURRENT_DESKTOP", desktop); }

private:
    TempFolder m_bin;
    ScopedEnvironment m_environment;
};
