#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32Types.h"

// What the dialogs and the document opener ask of the desktop, and the switch that sends them
// to the headless platform's scripts instead.
namespace w32::desktop {

struct tFileFilter {
    std::u16string name;
    std::vector<std::u16string> patterns;
};

struct tFileDialogRequest {
    bool save = false;
    std::vector<tFileFilter> filters;
    // From 1; 0 when no filter was asked for.
    DWORD filterIndex = 0;
    std::u16string initialFile;
    std::u16string initialFolder;
    bool confirmOverwrite = false;
};

struct tFileDialogAnswer {
    enum Outcome { kChosen, kCancelled, kFailed };
    Outcome outcome = kCancelled;
    std::u16string path;
    // The CommDlgExtendedError reason of a failure.
    DWORD error = 0;
};

// The desktop's dialog program: kdialog on KDE or without zenity, else zenity; none when neither
// is installed.
enum class tDialogProgram { kNone, kZenity, kKdialog };
tDialogProgram PickDialogProgram();

// Runs a dialog program over the window that has the keyboard, which takes no input of the hand
// meanwhile; when something was chosen, `chosen` is its answer without the line end.
enum class tDialogOutcome { kChosen, kCancelled, kFailed };
tDialogOutcome RunDialogProgram(std::vector<std::string> arguments, std::string* chosen);

// What CommDlgExtendedError answers next on this thread.
void SetDialogError(DWORD error);
// The dialogs start again as on a platform just started.
void ForgetRecentFolder();

// Sets the dialog error and gives a dialog call's failure answer.
inline BOOL FailDialog(DWORD error)
{
    SetDialogError(error);
    return 0;
}

tFileDialogAnswer RunDesktopFileDialog(const tFileDialogRequest& request);

// A message box through the desktop's dialog program, for when the window system cannot show
// one itself; false when no program showed it.
bool RunDesktopMessageBox(const std::u16string& title, const std::u16string& text, bool error);
intptr_t RunDesktopOpen(HWND owner, const std::u16string& target);

void UseScriptedAnswers(bool scripted);
bool IsScripted();
tFileDialogAnswer RunScriptedFileDialog(const tFileDialogRequest& request);
intptr_t RunScriptedOpen(const std::u16string& target);

}  // namespace w32::desktop
