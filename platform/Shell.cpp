#include "platform/Shell.h"

#include <sys/stat.h>

#include <atomic>
#include <string>

#include "platform/DesktopInternal.h"
#include "platform/Process.h"
#include "platform/Queue.h"
#include "platform/TextCodec.h"

namespace w32 {
namespace {

// "scheme:..." (letters, digits, '+', '-', '.' before the colon) names a web address or the
// like; anything else is a file.
bool IsAddress(const std::u16string& text)
{
    const size_t colon = text.find(u':');
    if (colon == std::u16string::npos || colon == 0)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        const char16_t c = text[i];
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!letter && (i == 0 || !((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.')))
            return false;
    }
    return true;
}

// xdg-open's exit codes as the failures ShellExecuteW reports.
intptr_t OpenerFailure(int exitCode)
{
    switch (exitCode) {
    case 2: return SE_ERR_FNF;
    case 3: return SE_ERR_NOASSOC;
    default: return SE_ERR_DDEFAIL;
    }
}

}  // namespace

namespace desktop {

intptr_t RunDesktopOpen(HWND owner, const std::u16string& target)
{
    // A file goes to xdg-open as the bytes of its name, an address as its text.
    std::string argument = ToAnsi(target);
    if (!IsAddress(target)) {
        if (!WideToFileName(target, &argument))
            return SE_ERR_FNF;
        struct stat status;
        if (stat(argument.c_str(), &status) != 0) {
            const size_t slash = argument.rfind('/');
            const std::string folder = slash == std::string::npos ? "." : argument.substr(0, slash + 1);
            return stat(folder.c_str(), &status) == 0 ? SE_ERR_FNF : SE_ERR_PNF;
        }
    }
    if (!process::IsOnPath("xdg-open"))
        return SE_ERR_NOASSOC;
    // Each open has an answer of its own, which its late failure names.
    static std::atomic<intptr_t> s_lastOpen{kShellOpened - 1};
    const intptr_t opened = ++s_lastOpen;
    const auto ended = [owner, opened](int exitCode) {
        if (exitCode != 0)
            (void)PostMessageW(owner, kMsgShellOpenFailed, WPARAM(OpenerFailure(exitCode)), LPARAM(opened));
    };
    return process::RunWatched({"xdg-open", argument}, ended) ? opened : SE_ERR_NOASSOC;
}

}  // namespace desktop

intptr_t ShellExecuteW(HWND owner, const char16_t* verb, const char16_t* file, const char16_t*, const char16_t*, int32_t)
{
    if (verb && std::u16string_view(verb) != u"open")
        return SE_ERR_NOASSOC;
    if (!file || !*file)
        return SE_ERR_FNF;
    const std::u16string target = file;
    return desktop::IsScripted() ? desktop::RunScriptedOpen(target) : desktop::RunDesktopOpen(owner, target);
}

}  // namespace w32
