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

}  // namespace headless
}  // namespace w32
