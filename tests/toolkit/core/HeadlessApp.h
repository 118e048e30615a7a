#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/CApp.h"

// An application whose hooks a test scripts; it counts what the frame asks of it.
class ScriptedApp : public CApp {
public:
    using CAppWin::StartHeartbeat;
    using CAppWin::StopHeartbeat;

    tResult SetUpApplication(tCString) override { return setUp ? setUp() : kResOk; }
    tResult OnTick() override
    {
        ++ticks;
        return tick ? tick() : kResOk;
    }
    tResult OnDispatchedMessage(const w32::MSG& message) override
    {
        ++dispatched;
        return dispatch ? dispatch(message) : kResOk;
    }
    tResult OnExit() override
    {
        ++exits;
        return exitResult;
    }
    tResult OnNotify(uint32_t, tMsgArg, tMsgArg) override { return notifyAnswer; }
    // Keeps each report's code and text.
    tResult ReportError(tResult code, tCString text) override
    {
        reports.push_back({code, text.ToAnsi()});
        return kResOk;
    }

    std::function<tResult()> setUp;
    std::function<tResult()> tick;
    std::function<tResult(const w32::MSG&)> dispatch;
    tResult exitResult = kResOk;
    tResult notifyAnswer = kResOk;
    std::vector<std::pair<tResult, std::string>> reports;
    int ticks = 0;
    int dispatched = 0;
    int exits = 0;
};

// Starts the headless platform around each test.
class HeadlessAppTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless)); }
    void TearDown() override
    {
        StopClock();
        w32::StopPlatform();
    }

    // Moves the virtual clock on from a thread of its own, for tests in which the main thread
    // waits in the message pump.
    void RunClock()
    {
        m_clockRuns = true;
        m_clock = std::thread([this] {
            while (m_clockRuns)
                w32::headless::AdvanceClock(1);
        });
    }
    void StopClock()
    {
        m_clockRuns = false;
        if (m_clock.joinable())
            m_clock.join();
    }

private:
    std::atomic<bool> m_clockRuns{false};
    std::thread m_clock;
};

// A headless platform with a scripted application object around each test.
class ScriptedAppTest : public HeadlessAppTest {
protected:
    void SetUp() override
    {
        HeadlessAppTest::SetUp();
        app = std::make_unique<ScriptedApp>();
    }
    void TearDown() override
    {
        app.reset();
        HeadlessAppTest::TearDown();
    }

    std::unique_ptr<ScriptedApp> app;
};
