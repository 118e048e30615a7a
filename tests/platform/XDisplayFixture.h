#pragma once

#include <gtest/gtest.h>

#include <SDL.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

// A virtual X display of its own, with SDL's video shown on it; SDL's other drivers come back
// at the end.
class XDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SaveVariable("DISPLAY", &m_display);
        SaveVariable("SDL_VIDEODRIVER", &m_videoDriver);
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        m_server = fork();
        ASSERT_GE(m_server, 0);
        if (m_server == 0) {
            // A test program the X server ends (its default error handler) takes the server along.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            close(ready[0]);
            const std::string fd = std::to_string(ready[1]);
            // No reset when the last client leaves, which would undo a keyboard layout a test set.
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0",
                   "640x480x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        std::string number;
        char c;
        while (read(ready[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(ready[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        setenv("DISPLAY", (":" + number).c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    void TearDown() override
    {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (m_server > 0) {
            kill(m_server, SIGTERM);
            waitpid(m_server, nullptr, 0);
        }
        RestoreVariable("DISPLAY", m_display);
        RestoreVariable("SDL_VIDEODRIVER", m_videoDriver);
    }

    static void SaveVariable(const char* name, std::string* saved)
    {
        const char* value = std::getenv(name);
        *saved = value ? value : std::string(1, '\0');
    }
    static void RestoreVariable(const char* name, const std::string& saved)
    {
        if (saved == std::string(1, '\0'))
            unsetenv(name);
        else
            setenv(name, saved.c_str(), 1);
    }

    pid_t m_server = -1;
    std::string m_display;
    std::string m_videoDriver;
};

