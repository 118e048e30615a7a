#pragma once

#include <string>

#include "toolkit/core/ErrorBox.h"

// Keeps the text of the last error box instead of showing it.
class tBoxRecorder : public IErrorBoxHost {
public:
    tBoxRecorder() { SetErrorBoxHost(this); }
    ~tBoxRecorder() { SetErrorBoxHost(nullptr); }
    tBoxRecorder(const tBoxRecorder&) = delete;
    tBoxRecorder& operator=(const tBoxRecorder&) = delete;

    // The extra line of the last box ("" when none was shown), and forgets it.
    std::string Take()
    {
        std::string text = m_text;
        m_text.clear();
        const size_t line = text.find('\n');
        return line == std::string::npos ? text : text.substr(line + 1);
    }
    int Count() const { return m_count; }

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
    void ShowMessageBox(const tCString& text, const tCString&) override
    {
        m_text = text.ToAnsi();
        ++m_count;
    }

private:
    std::string m_text;
    int m_count = 0;
};
