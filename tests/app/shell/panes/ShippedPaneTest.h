#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/shell/panes/PaneTestSupport.h"
#include "app/shell/update/IUpdateManager.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"

// The controller's side as the panes meet it: records every message and answers the question
// whether a release is newer with `newer`.
class UpdateController : public RecordingTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        if (message == kMsgUpdateIsNewer && apply == 0) {
            if (const tCString* title = FromMsgArg<const tCString>(a))
                asked = std::u16string(title->View());
            if (uint32_t* answer = FromMsgArg<uint32_t>(b))
                *answer = newer;
        }
        return RecordingTarget::OnMessage(message, a, b, c, apply);
    }
    uint32_t newer = 0;
    std::u16string asked;
};

// A headless application started on the shipped resource file and string table, whose main
// window of 800 x 600 holds the program's own backdrop; the panes' layouts are the real ones.
class ShippedPaneTest : public WidgetLoadTest {
protected:
    void SetUp() override
    {
        InstallTextLibraryHooks();
        WidgetLoadTest::SetUp();
        RegisterTextWidgets();
        for (const char* name : {"system.trf", "system.tsf"})
            std::filesystem::create_symlink(std::string(KOSTREL_BIN_DIR "/Resources/") + name, resources.Path() / name);
        app->SetResourceFolderName(tCString::FromAnsi(resources.Name()));
        ASSERT_EQ(app->StartUp(), kResOk);
        backdrop = new CBackdrop;
        ASSERT_EQ(backdrop->LoadFromResourceName(u"Kostrel", app->GetResourceFile(), nullptr), kResOk);
        ASSERT_EQ(app->CreateMainWindow(backdrop, 104, 800, 600, nullptr, 1), kResOk);
        backdrop->SetWidgetRollover(1);
        CWindowBase::SetRolloverActive(true);
        app->Activate();
        app->tick = [this] { return script ? script() : kResOk; };
        tCCmdTarget::SetBackboneTarget(&controller);
        tCCmdTarget::SetBackdropTarget(&backdropTarget);
    }
    void TearDown() override
    {
        tCCmdTarget::SetBackboneTarget(nullptr);
        tCCmdTarget::SetBackdropTarget(nullptr);
        app->tick = nullptr;
        CWindowBase::SetRolloverActive(false);
        if (CWindowBase* window = GetMainWindow())
            window->DestroyWindow();
        WidgetLoadTest::TearDown();
    }
    void Tick(uint32_t milliseconds)
    {
        w32::headless::AdvanceClock(milliseconds);
        app->RunHeartbeat();
    }
    std::u16string Text(uint32_t id, int32_t field = 0)
    {
        tCString text;
        return std::u16string(app->GetString(text, id, field).View());
    }
    static std::u16string TextOf(CWidget* widget)
    {
        auto* text = dynamic_cast<CTxWidget*>(widget);
        return text ? std::u16string(text->GetText().View()) : u"(not a text widget)";
    }
    // Holds the primary button down, presses at a point of `widget` (its own coordinates) and
    // lets the button go on the press loop's second heartbeat, with the pointer at `release`
    // (screen coordinates).
    void Click(CWidget* widget, tCPoint local, tCPoint release)
    {
        int ticks = 0;
        w32::headless::MoveMouse(ScreenOf(widget, local).x, ScreenOf(widget, local).y);
        Tick(1);
        w32::headless::SetKeyState(w32::VK_LBUTTON, true);
        script = [&, release] {
            if (++ticks == 1)
                w32::headless::MoveMouse(release.x, release.y);
            if (ticks == 2)
                w32::headless::SetKeyState(w32::VK_LBUTTON, false);
            return kResOk;
        };
        CWidget* takenBy = nullptr;
        tCPoint point = local;
        widget->LocalToRootPoint(&point);
        EXPECT_EQ(backdrop->DispatchLButtonDown(&takenBy, &point), kResOk);
        script = nullptr;
        w32::headless::SetKeyState(w32::VK_LBUTTON, false);
    }
    static tCPoint ScreenOf(CWidget* widget, tCPoint local)
    {
        widget->LocalToScreenPoint(&local);
        return local;
    }

    ProgramSubfolder resources;
    CBackdrop* backdrop = nullptr;
    UpdateController controller;
    RecordingTarget backdropTarget;
    std::function<tResult()> script;
};
