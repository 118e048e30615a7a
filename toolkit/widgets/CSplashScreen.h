#pragma once

#include <cstdint>

#include "toolkit/widgets/CBackdrop.h"

class CSplashWindow;

// The root of the start-up splash window: a backdrop that shows one widget, over a copy of the
// screen behind it when one was taken (its background image). Its present is a plain one: each
// dirty rect rendered and copied to the splash window. Made by ShowSplashScreen (SplashScreen.h);
// the splash window owns it and deletes it when the window goes. Type tag 'spls'.
class CSplashScreen : public CBackdrop {
public:
    static constexpr uint32_t kType = MakeFourCC("spls");

    uint32_t GetWidgetType() const override { return kType; }
    // Nothing before SetReady. A render that fails goes to the error box and ends the present.
    tResult PresentDirtyRects() override;

    // Shows (flag 1) or hides the splash window and keeps it above the other windows.
    virtual tResult ShowSplashWindow(int32_t flag);
    // Destroys the splash window, which deletes this splash screen with its widget.
    virtual tResult CloseSplashWindow();
    // The backdrop's own key dispatch.
    virtual tResult DispatchSplashKey(CWidget** takenBy, int32_t key);

    // The window is not owned.
    void SetSplashWindow(CSplashWindow* window) { m_splashWindow = window; }
    CSplashWindow* GetSplashWindow() const { return m_splashWindow; }

private:
    CSplashWindow* m_splashWindow = nullptr;
};
