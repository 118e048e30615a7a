#pragma once

#include <string>

#include "toolkit/core/ErrorBox.h"

// Stands in for the application while it lives and keeps the text of the last error box.
class ErrorBoxRecorder final : public IErrorBoxHost {
public:
    ErrorBoxRecorder() { SetErrorBoxHost(this); }
    ~ErrorBoxRecorder() { SetErrorBoxHost(nullptr); }
    ErrorBoxRecorder(const ErrorBoxRecorder&) = delete;
    ErrorBoxRecorder& operator=(const ErrorBoxRecorder&) = delete;

    bool IsActive() const override { return true; }
    void Activate() override {}
    void Deactivate() override {}
    bool IsSystemCursorShown() const override { return true; }
    void ShowSystemCursor() override {}
    void HideSystemCursor() override {}
    void HideCursors() override {}
    bool IsBackdropCursorShown() override { return false; }
    void ShowBackdropCursor() override {}
    void KillMainWindowTimers() override {}
    void ShowMessageBox(const tCString& shown, const tCString&) override
    {
        text = shown.ToAnsi();
        ++count;
    }

    std::string text;
    int count = 0;
};
