#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "HeadlessFixture.h"
#include "platform/Kernel.h"
#include "platform/MemoryStatus.h"
#include "platform/SmallTextFile.h"
#include "platform/TextCodec.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/TempFolder.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace KernelTests {

using namespace w32;

namespace {

class KernelTest : public HeadlessTest {};

// Counts rounds of three virtual milliseconds until told to stop, as the heartbeat does.
struct tTicker {
    HANDLE stop = CreateEventW(nullptr, 1, 0, nullptr);
    std::atomic<int> rounds{0};
    std::atomic<DWORD> lastTime{0};
};

DWORD TickerMain(void* parameter)
{
    auto* ticker = static_cast<tTicker*>(parameter);
    while (WaitForSingleObject(ticker->stop, 3) == WAIT_TIMEOUT) {
        ticker->lastTime = timeGetTime();
        ++ticker->rounds;
    }
    return 0;
}

TEST_F(KernelTest, TheVersionIsTenAndARecordOfAnotherSizeIsRefused)
{
    OSVERSIONINFOW info;
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(info.dwMajorVersion, 10u);
    EXPECT_EQ(info.dwMinorVersion, 0u);
    EXPECT_EQ(info.dwPlatformId, DWORD(VER_PLATFORM_WIN32_NT));
    info.dwOSVersionInfoSize = 12;
    EXPECT_FALSE(GetVersionExW(&info));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(GetVersionExW(nullptr));
}

TEST_F(KernelTest, PlatformThreadsSeeTheVirtualClockMoveInSteps)
{
    tTicker ticker;
    const HANDLE thread = CreateThread(nullptr, 0, TickerMain, &ticker, 0, nullptr);
    headless::AdvanceClock(2);
    EXPECT_EQ(ticker.rounds.load(), 0);
    headless::AdvanceClock(1);
    EXPECT_EQ(ticker.rounds.load(), 1);
    EXPECT_EQ(ticker.lastTime.load(), 3u);
    headless::AdvanceClock(30);
    EXPECT_EQ(ticker.rounds.load(), 11);
    EXPECT_EQ(timeGetTime(), 33u);

    SetEvent(ticker.stop);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(ticker.rounds.load(), 11);
    CloseHandle(thread);
    CloseHandle(ticker.stop);
}

TEST_F(KernelTest, AThreadOfItsOwnDrivesTheClockWhenItSleeps)
{
    tTicker ticker;
    const HANDLE thread = CreateThread(nullptr, 0, TickerMain, &ticker, 0, nullptr);
    Sleep(4);
    EXPECT_EQ(timeGetTime(), 4u);
    EXPECT_EQ(ticker.rounds.load(), 1);
    const HANDLE never = CreateEventW(nullptr, 0, 0, nullptr);
    EXPECT_EQ(WaitForSingleObject(never, 10), WAIT_TIMEOUT);
    EXPECT_EQ(timeGetTime(), 14u);
    EXPECT_EQ(ticker.rounds.load(), 4);
    SetEvent(ticker.stop);
    WaitForSingleObject(thread, INFINITE);
    for (HANDLE handle : {thread, ticker.stop, never})
        CloseHandle(handle);
}

TEST_F(KernelTest, AutoResetEventsReleaseOneWait)
{
    const HANDLE event = CreateEventW(nullptr, 0, 1, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    const HANDLE manual = CreateEventW(nullptr, 1, 1, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    CloseHandle(event);
    CloseHandle(manual);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(event));
}

TEST_F(KernelTest, CountersFollowTheVirtualClock)
{
    int64_t frequency = 0, before = 0, after = 0;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    headless::AdvanceClock(250);
    QueryPerformanceCounter(&after);
    EXPECT_EQ((after - before) * 1000 / frequency, 250);
}

TEST_F(KernelTest, MemoryStatusReportsTheMachineOrTheScriptedFigure)
{
    MEMORYSTATUSEX status;
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_GT(status.ullTotalPhys, 0u);
    EXPECT_GT(status.ullAvailPhys, 0u);
    EXPECT_LE(status.ullAvailPhys, status.ullTotalPhys);
    const uint64_t machine = status.ullTotalPhys;

    headless::SetAvailableMemory(12345);
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_EQ(status.ullAvailPhys, 12345u);
    EXPECT_EQ(status.ullTotalPhys, machine);

    // Stopping the platform forgets the scripted figure.
    StopPlatform();
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_NE(status.ullAvailPhys, 12345u);
    ASSERT_TRUE(StartPlatform(tBackendKind::kHeadless));

    MEMORYSTATUSEX wrongLength;
    wrongLength.dwLength = 8;
    EXPECT_FALSE(GlobalMemoryStatusEx(&wrongLength));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(KernelTest, TheAvailableMemoryIsTheLeastOfTheMachineTheAddressSpaceLimitAndTheCgroup)
{
    // The process's own figure under a limit of 64 MiB above the address space it uses.
    std::ifstream status("/proc/self/status");
    unsigned long long used = 0;
    for (std::string line; std::getline(status, line) && std::sscanf(line.c_str(), "VmSize: %llu kB", &used) != 1;)
        used = 0;
    ASSERT_GT(used, 0u);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = used * 1024 + (64 << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
    MEMORYSTATUSEX memory;
    const BOOL answered = GlobalMemoryStatusEx(&memory);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &saved), 0);
    ASSERT_TRUE(answered);
    EXPECT_LE(memory.ullAvailPhys, uint64_t(64) << 20);
    EXPECT_GT(memory.ullAvailPhys, uint64_t(32) << 20);

    // Hand-made figures: the machine has 8,192,000,000 bytes, 4 GiB less 512,000,000 in use
    // leave 3,782,967,296 of address space, the cgroup's parent 2,000,000,000.
    TempFolder folder;
    const tMemoryFiles files{folder.File("meminfo"), folder.File("status"), folder.File("cgroup"), folder.File("mount")};
    const std::string parent = files.cgroupMount + "/user.slice", own = parent + "/app.scope";
    const auto figures = [&](const std::string& changed, const std::string& text) {
        std::filesystem::remove_all(folder.Path());
        std::filesystem::create_directories(own);
        WriteWholeFile(files.meminfo, "MemTotal:       16000000 kB\nMemAvailable:    8000000 kB\nCached: 1 kB\n");
        WriteWholeFile(files.processStatus, "Name:\tkostrel\nVmPeak:\t  900000 kB\nVmSize:\t  500000 kB\n");
        WriteWholeFile(files.processCgroup, "1:name=systemd:/old\n0::/user.slice/app.scope\n");
        WriteWholeFile(parent + "/memory.max", "3000000000\n");
        WriteWholeFile(parent + "/memory.current", "1000000000\n");
        WriteWholeFile(own + "/memory.max", "max\n");
        WriteWholeFile(own + "/memory.current", "900000000\n");
        if (text == "(missing)")
            std::filesystem::remove(changed);
        else if (text == "(pipe)")
            EXPECT_TRUE(std::filesystem::remove(changed) && mkfifo(changed.c_str(), 0600) == 0);
        else if (!changed.empty())
            WriteWholeFile(changed, text);
        return LeastAvailableMemory(files, uint64_t(4) << 30, 12345);
    };
    const std::string big(70000, '1');
    const struct {
        std::string file, text;
        uint64_t expected;
    } cases[] = {
        {"", "", 2000000000},
        {parent + "/memory.max", "max\n", 3782967296},
        {own + "/memory.max", "800000000\n", 0},
        {parent + "/memory.current", "(missing)", 3000000000},
        {parent + "/memory.current", "lots\n", 3000000000},
        {files.processStatus, "VmSize:\t5000000 kB\n", 0},
        {files.meminfo, "MemAvailable:    1000 kB\n", 1024000},
        // Missing, cut, corrupted, overflowing and oversized figures, and a pipe, limit nothing.
        {files.meminfo, "MemAvailable:    80", 12345},
        {files.meminfo, "MemAvailable: 99999999999999999999 kB\n", 12345},
        {files.meminfo, "(pipe)", 12345},
        {files.meminfo, big, 12345},
        {files.meminfo, "(missing)", 12345},
        {files.processStatus, "VmSize:\t 5x0 kB\n", 2000000000},
        {files.processCgroup, "0::/user.slice/../user.slice/app.scope\n", 3782967296},
        {files.processCgroup, "0::user.slice\n", 3782967296},
        {files.processCgroup, "", 3782967296},
        {files.processCgroup, "(missing)", 3782967296},
        {parent + "/memory.max", "3000000000junk\n", 3782967296},
        {parent + "/memory.max", "-5\n", 3782967296},
        {parent + "/memory.max", "99999999999999999999999\n", 3782967296},
        {parent + "/memory.max", "", 3782967296},
        // The parent's inactive file cache counts as free; its child's counts only there, and a
        // missing, cut, corrupted or overflowing figure, or one above memory.current, frees nothing.
        {parent + "/memory.stat", "anon 100000000\nactive_file 100000000\ninactive_file 800000000\nshmem 0\n",
         2800000000},
        {parent + "/memory.stat", "inactive_file 1000000000\n", 3000000000},
        {own + "/memory.stat", "inactive_file 800000000\n", 2000000000},
        {parent + "/memory.stat", "inactive_file 1000000001\n", 2000000000},
        {parent + "/memory.stat", "inactive_file 800000000", 2000000000},
        {parent + "/memory.stat", "anon 100000000\ninactive_fi", 2000000000},
        {parent + "/memory.stat", "active_file 800000000\ntotal_inactive_file 800000000\n", 2000000000},
        {parent + "/memory.stat", "inactive_file lots\n", 2000000000},
        {parent + "/memory.stat", "inactive_file -800000000\n", 2000000000},
        {parent + "/memory.stat", "inactive_file 99999999999999999999999\n", 2000000000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(figures(c.file, c.text), c.expected) << c.file << " " << c.text.substr(0, 40);
    (void)figures("", "");
    EXPECT_EQ(LeastAvailableMemory(files, kNoMemoryLimit, 12345), 2000000000u);
    WriteWholeFile(parent + "/memory.max", "max\n");
    EXPECT_EQ(LeastAvailableMemory(files, kNoMemoryLimit, 12345), 8192000000u);
}

TEST(KernelFiles, AFigureFileWithoutRoomToReadItReadsAsNone)
{
    TempFolder folder;
    const std::string path = folder.File("meminfo");
    WriteWholeFile(path, "MemAvailable:    1000 kB\n");
    EXPECT_EQ(ReadSmallTextFile(path, 64).value_or("(none)"), "MemAvailable:    1000 kB\n");
    // Room for two exbibytes is more than any address space holds.
    EXPECT_EQ(ReadSmallTextFile(path, size_t(1) << 61).value_or("(none)"), "(none)");
}

TEST(KernelFiles, TemporaryNamesCarryThePrefixAndExist)
{
    char16_t folder[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
    char16_t created[MAX_PATH];
    ASSERT_TRUE(GetTempFileNameW(folder, u"KSUX", 0, created));
    const std::string path = ToAnsi(created);
    const std::string folderText = ToAnsi(folder);
    ASSERT_EQ(path.rfind(folderText, 0), 0u) << path;
    const std::string name = path.substr(folderText.size());
    // Three units of the prefix and six of the unique part.
    EXPECT_EQ(name.rfind("KSU", 0), 0u) << name;
    EXPECT_EQ(name.size(), 9u) << name;
    EXPECT_EQ(access(path.c_str(), F_OK), 0);
    unlink(path.c_str());
}

TEST(KernelFiles, TheModulePathIsThisProgramAndIsCutSafely)
{
    char16_t path[4096];
    const DWORD length = GetModuleFileNameW(nullptr, path, 4096);
    ASSERT_GT(length, 0u);
    const std::string text = ToAnsi(std::u16string_view(path, length));
    EXPECT_NE(text.find("test_platform"), std::string::npos) << text;

    char16_t small[5];
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(small[4], u'\0');
}

}  // namespace

}  // namespace KernelTests
