#include <string>
#include <vector>

#include "platform/DesktopInternal.h"
#include "platform/TextCodec.h"

namespace w32::desktop {
namespace {

std::vector<std::string> MessageBoxArguments(tDialogProgram program, const std::u16string& title,
                                             const std::u16string& text, bool error)
{
    if (program == tDialogProgram::kKdialog)
        return {"kdialog", "--title", ToAnsi(title), error ? "--error" : "--msgbox", ToAnsi(text)};
    return {"zenity", error ? "--error" : "--info", "--no-markup", "--title=" + ToAnsi(title), "--text=" + ToAnsi(text)};
}

}  // namespace

bool RunDesktopMessageBox(const std::u16string& title, const std::u16string& text, bool error)
{
    const tDialogProgram program = PickDialogProgram();
    if (program == tDialogProgram::kNone)
        return false;
    std::string ignored;
    return RunDialogProgram(MessageBoxArguments(program, title, text, error), &ignored) != tDialogOutcome::kFailed;
}

}  // namespace w32::desktop
