#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <string>

#include "HeadlessFixture.h"
#include "platform/Kernel.h"
#include "platform/TextCodec.h"
#include "platform/headless/Headless.h"

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
