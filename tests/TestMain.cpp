#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Every test program runs in a home of its own. The launcher (tests/own-home.sh) names the home it
// made, and HOME still in it means the program runs there, as ctest and test discovery start it.
// A program started by itself, as a failing test is run again by hand, starts again through the
// launcher, so that it never reads or rewrites the user's preferences nor leaves files behind.
int main(int argc, char** argv)
{
    const char* folder = std::getenv("KOSTREL_TEST_HOME");
    const char* home = std::getenv("HOME");
    if (!folder || !*folder || !home || std::string(folder) + "/home" != home) {
        char self[PATH_MAX];
        const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
        if (length <= 0) {
            std::perror("/proc/self/exe");
            return 1;
        }
        self[length] = '\0';
        std::vector<char*> arguments{const_cast<char*>(KOSTREL_TEST_LAUNCHER), self};
        arguments.insert(arguments.end(), argv + 1, argv + argc);
        arguments.push_back(nullptr);
        execv(KOSTREL_TEST_LAUNCHER, arguments.data());
        std::perror(KOSTREL_TEST_LAUNCHER);
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
