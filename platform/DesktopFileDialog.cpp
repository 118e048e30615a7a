#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/Backend.h"
#include "platform/DesktopInternal.h"
#include "platform/FileDialogs.h"
#include "platform/Kernel.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"
#include "platform/Window.h"

namespace w32::desktop {
namespace {

bool OnKdeDesktop()
{
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return desktop && std::string(desktop).find("KDE") != std::string::npos;
}

// The filters with the starting one first, since both programs start on their first filter.
std::vector<tFileFilter> StartingFilterFirst(const tFileDialogRequest& request)
{
    std::vector<tFileFilter> filters = request.filters;
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        std::rotate(filters.begin(), filters.begin() + request.filterIndex - 1, filters.begin() + request.filterIndex);
    return filters;
}

std::string Patterns(const tFileFilter& filter)
{
    std::string text;
    for (const std::u16string& pattern : filter.patterns)
        text += (text.empty() ? "" : " ") + ToAnsi(pattern);
    return text;
}

// The file or folder the dialog starts at, as the bytes of its name: a file name without a
// folder goes into the starting folder, since both programs would look for it in the working
// folder. None for a text that names no file.
std::string StartingPoint(const tFileDialogRequest& request)
{
    std::string file;
    if (!request.initialFile.empty() && !WideToFileName(request.initialFile, &file))
        return std::string();
    std::string folder;
    if (file.find('/') != std::string::npos || request.initialFolder.empty() ||
        !WideToFileName(request.initialFolder, &folder))
        return file;
    return (folder.back() == '/' ? folder : folder + "/") + file;
}

std::vector<std::string> ZenityFileArguments(const tFileDialogRequest& request)
{
    std::vector<std::string> arguments = {"zenity", "--file-selection"};
    arguments.push_back(request.save ? "--title=Save As" : "--title=Open");
    if (request.save)
        arguments.push_back("--save");
    if (request.confirmOverwrite)
        arguments.push_back("--confirm-overwrite");
    if (const std::string start = StartingPoint(request); !start.empty())
        arguments.push_back("--filename=" + start);
    for (const tFileFilter& filter : StartingFilterFirst(request))
        arguments.push_back("--file-filter=" + ToAnsi(filter.name) + " | " + Patterns(filter));
    return arguments;
}

std::vector<std::string> KdialogFileArguments(const tFileDialogRequest& request)
{
    std::string filters;
    for (const tFileFilter& filter : StartingFilterFirst(request))
        filters += (filters.empty() ? "" : "\n") + Patterns(filter) + "|" + ToAnsi(filter.name);
    const std::string start = StartingPoint(request);
    return {"kdialog", request.save ? "--getsavefilename" : "--getopenfilename", start.empty() ? "." : start, filters};
}

// The program takes no input of the hand while the dialog holds it, and the dialog's windows stand
// over `owner` with the keyboard, whatever the dialog program marks them with itself.
std::unique_ptr<IDialogHold> HoldFor(HWND owner)
{
    CBackend* backend = GetBackend();
    if (!backend || GetCurrentThreadId() != GetInterfaceThreadId())
        return nullptr;
    return backend->HoldForDialog(owner);
}

}  // namespace

tDialogProgram PickDialogProgram()
{
    const bool zenity = process::IsOnPath("zenity");
    if (process::IsOnPath("kdialog") && (OnKdeDesktop() || !zenity))
        return tDialogProgram::kKdialog;
    return zenity ? tDialogProgram::kZenity : tDialogProgram::kNone;
}

tDialogOutcome RunDialogProgram(std::vector<std::string> arguments, std::string* chosen)
{
    // The dialog stands over the window that had the keyboard as that window's own: window
    // managers keep it above that window, a full-screen one too, and give it the keyboard.
    const std::unique_ptr<IDialogHold> hold = HoldFor(GetFocus());
    if (const uintptr_t owner = hold ? hold->GetOwnerId() : 0; owner && !arguments.empty()) {
        const std::string id = std::to_string(owner);
        if (arguments.front() == "kdialog")
            arguments.insert(arguments.begin() + 1, {"--attach", id});
        else
            arguments.insert(arguments.begin() + 1, "--attach=" + id);
    }
    const process::tProcessResult result = process::RunForOutput(arguments, hold.get());
    std::string output = result.output;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    if (!result.finished || result.exitCode > 1)
        return tDialogOutcome::kFailed;
    if (result.exitCode == 1 || output.empty())
        return tDialogOutcome::kCancelled;
    *chosen = output;
    return tDialogOutcome::kChosen;
}

tFileDialogAnswer RunDesktopFileDialog(const tFileDialogRequest& request)
{
    tFileDialogAnswer answer;
    const tDialogProgram program = PickDialogProgram();
    std::string chosen;
    const tDialogOutcome outcome =
        program == tDialogProgram::kNone
            ? tDialogOutcome::kFailed
            : RunDialogProgram(program == tDialogProgram::kKdialog ? KdialogFileArguments(request) : ZenityFileArguments(request),
                               &chosen);
    if (outcome == tDialogOutcome::kFailed) {
        answer.outcome = tFileDialogAnswer::kFailed;
        answer.error = CDERR_DIALOGFAILURE;
    } else if (outcome == tDialogOutcome::kChosen) {
        answer.outcome = tFileDialogAnswer::kChosen;
        answer.path = FileNameToWide(chosen);
    }
    return answer;
}

}  // namespace w32::desktop
