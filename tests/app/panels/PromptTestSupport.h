#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/shell/CHMRSound.h"
#include "app/shell/panes/PaneTestSupport.h"
#include "platform/VirtualKeys.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/text/FontApp.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CWidgetEffectBase.h"

// The prompts over the shipped resource files (layouts, fonts and texts): a headless application
// whose main window holds the shipped main backdrop; the controller and the backdrop targets
// record what they are sent.
class PromptTest : public FontAppTest {
protected:
    void SetUp() override
    {
        FontAppTest::SetUp();
        RegisterTextWidgets();
        WriteWholeFile(m_folder.File("system.tsf"), ReadWholeFile(std::string(KOSTREL_BIN_DIR) + "/Resources/system.tsf"));
    }
    void Start(int32_t width = 1000, int32_t height = 700)
    {
        StartIn(new CBackdrop, &controller, width, height);
        EXPECT_EQ(Boxes(), std::vector<std::string>{});
    }
    // The shipped main backdrop's layout loaded into `host`, in a main window of width x height
    // whose ticks run `script`; `backbone` takes the controller's messages.
    void StartIn(CBackdrop* host, tCCmdTarget* backbone, int32_t width, int32_t height)
    {
        StartWith(ShippedResourceBytes());
        backdrop = host;
        ASSERT_EQ(backdrop->LoadFromResourceName(u"Kostrel", m_app->GetResourceFile(), nullptr), kResOk);
        ASSERT_EQ(m_app->CreateMainWindow(backdrop, 104, width, height, nullptr, 1), kResOk);
        backdrop->SetWidgetRollover(1);
        CWindowBase::SetRolloverActive(true);
        m_app->Activate();
        m_app->tick = [this] { return script ? script() : kResOk; };
        tCCmdTarget::SetBackboneTarget(backbone);
        tCCmdTarget::SetBackdropTarget(&backdropTarget);
    }
    void TearDown() override
    {
        tCCmdTarget::SetBackboneTarget(nullptr);
        tCCmdTarget::SetBackdropTarget(nullptr);
        if (m_app)
            m_app->tick = nullptr;
        CWindowBase::SetRolloverActive(false);
        if (CWindowBase* window = GetMainWindow())
            window->DestroyWindow();
        FontAppTest::TearDown();
    }

    // Moves the virtual clock and runs one heartbeat.
    void Tick(uint32_t milliseconds)
    {
        w32::headless::AdvanceClock(milliseconds);
        m_app->RunHeartbeat();
    }
    // Runs heartbeats `step` milliseconds apart for `milliseconds`: ten apart draw every
    // animation to its end in a tenth of the frames; a test of what each millisecond does asks
    // for 1.
    void RunFor(uint32_t milliseconds, uint32_t step = 10)
    {
        for (uint32_t i = 0; i < milliseconds; i += step)
            Tick(std::min(step, milliseconds - i));
    }
    static tCPoint ScreenOf(CWidget* widget, tCPoint local)
    {
        widget->LocalToScreenPoint(&local);
        return local;
    }
    // Moves the pointer over a point of `widget` (its own coordinates) and runs a heartbeat.
    void PointAt(CWidget* widget, tCPoint local)
    {
        const tCPoint at = ScreenOf(widget, local);
        w32::headless::MoveMouse(at.x, at.y);
        Tick(1);
    }
    // A key as the window hands it to the backdrop.
    tResult Key(uint32_t key)
    {
        CWidget* takenBy = nullptr;
        return backdrop->DispatchKeyDown(&takenBy, key);
    }
    void Type(const std::u16string& text)
    {
        for (char16_t c : text)
            Key(c);
    }
    // Presses the middle of `widget` and releases at `release` (screen coordinates): the pointer
    // moves there on the second heartbeat of the press loop and the button goes up on the third.
    // The answer of the press.
    tResult Click(CWidget* widget, tCPoint release)
    {
        PointAt(widget, {widget->GetWidth() / 2, widget->GetHeight() / 2});
        int ticks = 0;
        w32::headless::SetKeyState(w32::VK_LBUTTON, true);
        script = [&, release] {
            if (++ticks == 2)
                w32::headless::MoveMouse(release.x, release.y);
            if (ticks == 3)
                w32::headless::SetKeyState(w32::VK_LBUTTON, false);
            return kResOk;
        };
        tCPoint point{widget->GetWidth() / 2, widget->GetHeight() / 2};
        widget->LocalToRootPoint(&point);
        CWidget* takenBy = nullptr;
        const tResult answer = backdrop->DispatchLButtonDown(&takenBy, &point);
        script = nullptr;
        w32::headless::SetKeyState(w32::VK_LBUTTON, false);
        return answer;
    }
    tResult ClickOn(CWidget* widget) { return Click(widget, ScreenOf(widget, {widget->GetWidth() / 2, widget->GetHeight() / 2})); }

    static CWidgetEffectBase* Glow(CWidget* root, int32_t index)
    {
        return dynamic_cast<CWidgetEffectBase*>(root->GetFrontEffect(index));
    }
    // Whether a point of the root (its own coordinates) is left out of a glow.
    static bool Excluded(CWidget* root, int32_t index, tCPoint point)
    {
        for (const tCRect& rect : Glow(root, index)->GetExcludedRegion())
            if (rect.Contains(point))
                return true;
        return false;
    }
    // The interface sounds the backdrop was asked for, in order.
    std::vector<tMsgArg> Sounds() const
    {
        std::vector<tMsgArg> sounds;
        for (const tHeard& heard : backdropTarget.heard)
            if (heard.message == CHMRSound::kMsgPlaySound)
                sounds.push_back(heard.b);
        return sounds;
    }

    CBackdrop* backdrop = nullptr;
    RecordingTarget controller;
    RecordingTarget backdropTarget;
    std::function<tResult()> script;
};
