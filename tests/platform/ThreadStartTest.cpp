#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "ThreadlessChild.h"
#include "XDisplayFixture.h"
#include "platform/Kernel.h"
#include "platform/Process.h"
#include "platform/Wintab.h"
#include "platform/XInputTablet.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace ThreadStartTests {

using namespace w32;

namespace {

DWORD DoNothing(void*)
{
    return 0;
}

size_t OpenDescriptors()
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// Waits, up to half a minute, until this process has no child left, running or ended and not
// yet collected (which waiting here leaves as it is).
bool AllChildrenCollected()
{
    for (int round = 0; round < 3000; ++round) {
        siginfo_t ended{};
        if (waitid(P_ALL, 0, &ended, WEXITED | WNOHANG | WNOWAIT) != 0)
            return errno == ECHILD;
        usleep(10000);
    }
    return false;
}

class ThreadStartTest : public XDisplayTest {};

TEST_F(ThreadStartTest, WhereNoThreadCanStartEveryStarterAnswersInsteadOfEndingTheProgram)
{
    const std::string wrong = RunWhereNoThreadStarts([] {
        std::string faults;
        if (CreateThread(nullptr, 0, DoNothing, nullptr, 0, nullptr))
            faults += "CreateThread answered a handle; ";
        else if (GetLastError() != ERROR_NOT_ENOUGH_MEMORY)
            faults += "CreateThread's error is " + std::to_string(GetLastError()) + "; ";
        // The source of the virtual display's pointers does not start, and keeps no connection.
        const size_t opened = OpenDescriptors();
        if (WTInfoA(0, 0, nullptr) != 0 || xinput::IsSourceRunning())
            faults += "the tablet source runs; ";
        if (OpenDescriptors() != opened)
            faults += "the tablet source left descriptors open; ";
        // A program that outlives its wait is left to finish alone, and is collected when it ends.
        const process::tProcessResult left = process::RunForExitCode({"sleep", "0.2"}, 0);
        if (!left.started || left.finished)
            faults += "the program left running reads as not started or finished; ";
        if (!AllChildrenCollected())
            faults += "the program left running was never collected; ";
        return faults;
    });
    EXPECT_EQ(wrong, "");
}

}  // namespace

}  // namespace ThreadStartTests
