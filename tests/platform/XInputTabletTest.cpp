#include <gtest/gtest.h>

#include <SDL.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/Wintab.h"
#include "platform/XInputTablet.h"

using namespace w32;

// SDL's X11 video connects to the session bus, whose library keeps a block for good; the leak
// checker of the sanitizer build is told so.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

namespace {

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
            close(ready[0]);
            const std::string fd = std::to_string(ready[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "640x480x24",
                   static_cast<char*>(nullptr));
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
        UnloadWintab();
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

}  // namespace

TEST_F(XDisplayTest, TheSourceReadsTheDisplayAndFindsNoPenAmongItsPointers)
{
    EXPECT_EQ(WTInfoA(0, 0, nullptr), 0u) << "the virtual display's pointers have no pressure";
    EXPECT_TRUE(xinput::IsSourceRunning());
    // Pointer input reaches the source as raw events, which it leaves alone.
    const std::string move = "xdotool mousemove 20 30 mousemove 40 50 2>/dev/null";
    EXPECT_EQ(std::system(move.c_str()), 0);
    EXPECT_EQ(WTInfoA(0, 0, nullptr), 0u);
    UnloadWintab();
    EXPECT_FALSE(xinput::IsSourceRunning());
    EXPECT_EQ(WTInfoA(0, 0, nullptr), 0u);
    EXPECT_TRUE(xinput::IsSourceRunning()) << "the next call starts the source again";
}

TEST(XInputTablet, WithoutSdlOnX11NoSourceStarts)
{
    EXPECT_EQ(WTInfoA(0, 0, nullptr), 0u);
    EXPECT_FALSE(xinput::IsSourceRunning());
    UnloadWintab();
}
