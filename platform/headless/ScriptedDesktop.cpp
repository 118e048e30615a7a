#include "platform/headless/ScriptedDesktop.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <utility>

namespace w32 {
namespace {

struct tScripts {
    std::mutex lock;
    std::deque<desktop::tFileDialogAnswer> dialogAnswers;
    std::vector<desktop::tFileDialogRequest> dialogRequests;
    std::deque<intptr_t> openAnswers;
    std::vector<std::u16string> opened;
    std::deque<printing::tPrintDialogAnswer> printAnswers;
    std::vector<printing::tPrintDialogRequest> printRequests;
    std::vector<printing::tPrintedDocument> printed;
};

tScripts& Scripts()
{
    static tScripts* scripts = new tScripts;
    return *scripts;
}

std::atomic<bool> gScripted{false};

}  // namespace

namespace desktop {

void UseScriptedAnswers(bool scripted)
{
    gScripted = scripted;
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    scripts.dialogAnswers.clear();
    scripts.dialogRequests.clear();
    scripts.openAnswers.clear();
    scripts.opened.clear();
    scripts.printAnswers.clear();
    scripts.printRequests.clear();
    scripts.printed.clear();
}

bool IsScripted()
{
    return gScripted;
}

tFileDialogAnswer RunScriptedFileDialog(const tFileDialogRequest& request)
{
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    scripts.dialogRequests.push_back(request);
    if (scripts.dialogAnswers.empty())
        return tFileDialogAnswer{};
    const tFileDialogAnswer answer = scripts.dialogAnswers.front();
    scripts.dialogAnswers.pop_front();
    return answer;
}

intptr_t RunScriptedOpen(const std::u16string& target)
{
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    scripts.opened.push_back(target);
    if (scripts.openAnswers.empty())
        return 33;
    const intptr_t answer = scripts.openAnswers.front();
    scripts.openAnswers.pop_front();
    return answer;
}

}  // namespace desktop

namespace printing {

tPrintDialogAnswer RunScriptedPrintDialog(const tPrintDialogRequest& request)
{
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    scripts.printRequests.push_back(request);
    if (scripts.printAnswers.empty())
        return tPrintDialogAnswer{};
    const tPrintDialogAnswer answer = scripts.printAnswers.front();
    scripts.printAnswers.pop_front();
    return answer;
}

void KeepPrintedDocument(tPrintedDocument document)
{
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    scripts.printed.push_back(std::move(document));
}

}  // namespace printing

namespace headless {

void ScriptFileDialog(const desktop::tFileDialogAnswer& answer)
{
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    scripts.dialogAnswers.push_back(answer);
}

std::vector<desktop::tFileDialogRequest> TakeFileDialogRequests()
{
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    return std::exchange(scripts.dialogRequests, {});
}

void ScriptShellOpen(intptr_t answer)
{
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    scripts.openAnswers.push_back(answer);
}

std::vector<std::u16string> TakeShellOpens()
{
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    return std::exchange(scripts.opened, {});
}

void ScriptPrintDialog(const printing::tPrintDialogAnswer& answer)
{
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    scripts.printAnswers.push_back(answer);
}

std::vector<printing::tPrintDialogRequest> TakePrintDialogRequests()
{
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    return std::exchange(scripts.printRequests, {});
}

std::vector<printing::tPrintedDocument> TakePrintedDocuments()
{
    tScripts& scripts = Scripts();
    std::lock_guard<std::mutex> guard(scripts.lock);
    return std::exchange(scripts.printed, {});
}

}  // namespace headless
}  // namespace w32
