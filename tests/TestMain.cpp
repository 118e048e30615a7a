#include <gtest/gtest.h>

#include "TestHome.h"

// Every test program runs in a home of its own. Under ctest the launcher (tests/own-home.sh) has
// made it already; a program started by itself makes its own before any test or library reads the
// environment, and stays the process that runs the tests, for a debugger, valgrind or a signal.
int main(int argc, char** argv)
{
    TestHome home;
    if (!TestHome::InOwnHome() && !home.Make())
        return 1;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
