#include <string>
#include <vector>

#include "platform/DesktopInternal.h"
#include "platform/PrintInternal.h"
#include "platform/TextCodec.h"

namespace w32::printing {
namespace {

const char kTitle[] = "Print";
const char kPrompt[] = "Print to:";

// Queue names may begin with "-": the entries follow "--", so that no dialog program takes one
// for an option.
std::vector<std::string> ZenityPrintArguments(const tPrintDialogRequest& request)
{
    std::vector<std::string> arguments = {"zenity", "--list", "--radiolist", "--hide-header",
                                          std::string("--title=") + kTitle, std::string("--text=") + kPrompt,
                                          "--column=", "--column=", "--"};
    for (const std::u16string& entry : request.entries) {
        arguments.push_back(entry == request.selected ? "TRUE" : "FALSE");
        arguments.push_back(ToAnsi(entry));
    }
    return arguments;
}

// kdialog answers the tag of the chosen entry: the entry itself, since no destination name has a
// space and "Save as PDF" has.
std::vector<std::string> KdialogPrintArguments(const tPrintDialogRequest& request)
{
    std::vector<std::string> arguments = {"kdialog", "--title", kTitle, "--radiolist", kPrompt, "--"};
    for (const std::u16string& entry : request.entries) {
        arguments.push_back(ToAnsi(entry));
        arguments.push_back(ToAnsi(entry));
        arguments.push_back(entry == request.selected ? "on" : "off");
    }
    return arguments;
}

}  // namespace

tPrintDialogAnswer RunDesktopPrintDialog(const tPrintDialogRequest& request)
{
    tPrintDialogAnswer answer;
    const desktop::tDialogProgram program = desktop::PickDialogProgram();
    if (program == desktop::tDialogProgram::kNone) {
        answer.outcome = tPrintDialogAnswer::kFailed;
        return answer;
    }
    std::string chosen;
    const desktop::tDialogOutcome outcome = desktop::RunDialogProgram(
        program == desktop::tDialogProgram::kKdialog ? KdialogPrintArguments(request) : ZenityPrintArguments(request), &chosen);
    if (outcome == desktop::tDialogOutcome::kFailed) {
        answer.outcome = tPrintDialogAnswer::kFailed;
    } else if (outcome == desktop::tDialogOutcome::kChosen) {
        answer.outcome = tPrintDialogAnswer::kChosen;
        answer.entry = ToWide(chosen);
    }
    return answer;
}

}  // namespace w32::printing
