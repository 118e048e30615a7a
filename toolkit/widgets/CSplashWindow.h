#pragma once

#include <cstdint>

#include "toolkit/core/CAppWindow.h"

// The splash screen's system window: a borderless popup of a class and procedure of its own
// (SplashWindowProc), whose destruction never ends the application. Its root is a
// CSplashScreen, deleted with the window. One splash window lives at a time; it is the one the
// procedure serves.
class CSplashWindow : public CAppWindow {
public:
    CSplashWindow();
    // Deletes the root (the splash screen, its widget and its background).
    ~CSplashWindow() override;

    // Keys go to the splash screen; a failure goes to the error box.
    void OnKeyDown(int32_t key) override;
    void OnSize(int32_t, int32_t) override {}
    void OnDestroyed() override;
    // Registers the class under the title and makes the hidden popup with that client rect
    // (screen coordinates); 1 on success, 0 on failure.
    virtual int32_t CreateSplashWindow(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                       const tCString& title);

    // The live splash window, null when there is none.
    static CSplashWindow* GetLive();

private:
    void DropRoot();
};
