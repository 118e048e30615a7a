#pragma once

#include <sys/types.h>

#include <string>

// A home of its own for a test program started by itself, as a failing test is run again by hand
// or under a debugger: the same folders and variables that tests/own-home.sh gives every test
// that ctest runs (HOME, the XDG folders, TMPDIR and KOSTREL_TEST_HOME), so that the program
// never reads or rewrites the user's preferences nor leaves files behind, while it stays the
// process that runs its tests.
class TestHome {
public:
    TestHome() = default;
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;
    // Removes the home this process made, with all that its tests left there.
    ~TestHome();

    // True when the environment already names a home of its own: the launcher's, or the one a
    // program made before it started this one (a death test's child).
    static bool InOwnHome();
    // Clears the homes that killed tests left, makes a fresh one, holds its lock for as long as
    // this process and what it starts run, and points the environment into it. False, with the
    // reason on stderr, when it cannot.
    bool Make();

private:
    std::string m_folder;
    int m_lock = -1;
    pid_t m_owner = 0;
};
