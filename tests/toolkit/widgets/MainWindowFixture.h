#pragma once

#include <memory>

#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/HeadlessApp.h"

// A window that only stands in the application's window list, for tests in which the main
// window goes away while the widget tree is busy.
class StandInWindow : public CWindowBase {
public:
    int32_t Create(int32_t, int32_t, tCString, int32_t) override { return 1; }
    tResult SetSize(int32_t, int32_t, int32_t) override { return kResOk; }
    tResult SetRelativeSize(float, float, int32_t) override { return kResOk; }
    tResult Show(int32_t) override { return kResOk; }
    tResult SetIcon(int32_t) override { return kResOk; }
    void DestroyWindow() override {}
    tResult SetRelativePosition(float, float, int32_t) override { return kResOk; }
    tResult SetPosition(int32_t, int32_t, int32_t) override { return kResOk; }
    tResult CentreOnWorkArea(int32_t) override { return kResOk; }
    tResult SetBounds(int32_t, int32_t, int32_t, int32_t, int32_t) override { return kResOk; }
    tResult Relayout(uint32_t, tCFPoint, tCFPoint, int32_t) override { return kResOk; }
    tCRect RectFromFractions(uint32_t, tCFPoint, tCFPoint, int32_t) override { return {}; }
    int32_t OnCoverMonitorChanged(int32_t, int32_t) override { return 0; }
    void OnPaint() override {}
    bool IsUnderCursor() override { return false; }
    w32::HWND GetHandle() const override { return nullptr; }
};

// A headless application with a main window that a test can close.
class MainWindowTest : public ScriptedAppTest {
protected:
    void SetUp() override
    {
        ScriptedAppTest::SetUp();
        window = std::make_unique<StandInWindow>();
        CAppBase::SetMainWindow(window.get());
    }
    void TearDown() override
    {
        window.reset();
        ScriptedAppTest::TearDown();
    }
    void CloseMainWindow() { CAppBase::ForgetMainWindow(window.get()); }

    std::unique_ptr<StandInWindow> window;
};
