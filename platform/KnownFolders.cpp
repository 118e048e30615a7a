#include "platform/KnownFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Kernel.h"
#include "platform/SmallTextFile.h"
#include "platform/TextCodec.h"

namespace w32 {
namespace {

constexpr size_t kLargestUserDirsFile = 64 * 1024;
// Far more than an entry of the password database needs; a longer one counts as none.
constexpr size_t kLargestPasswordEntry = 64 * 1024;

std::optional<std::string> AbsoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value == '/' ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<std::string> ConfigurationFolder()
{
    if (std::optional<std::string> config = AbsoluteVariable("XDG_CONFIG_HOME"))
        return config;
    if (std::optional<std::string> home = AbsoluteVariable("HOME"))
        return *home + "/.config";
    return std::nullopt;
}

bool IsExistingFolder(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// HOME where it names an existing folder; else, for a program started without a usable HOME,
// the home folder the password database gives the user.
std::optional<std::string> HomeFolder()
{
    if (std::optional<std::string> home = AbsoluteVariable("HOME"); home && IsExistingFolder(*home))
        return home;
    std::vector<char> buffer(kLargestPasswordEntry);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir ||
        found->pw_dir[0] != '/' || !IsExistingFolder(found->pw_dir))
        return std::nullopt;
    return std::string(found->pw_dir);
}

// The folder of a line `XDG_DOCUMENTS_DIR="$HOME/Documents"` or `XDG_DOCUMENTS_DIR="/path"`,
// where a backslash takes the character after it as it is; none for any other line.
std::optional<std::string> DocumentsLine(std::string_view line, const std::string& home)
{
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR";
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (line.substr(0, kKey.size()) != kKey)
        return std::nullopt;
    line.remove_prefix(kKey.size());
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (line.substr(0, 2) != "=\"")
        return std::nullopt;
    line.remove_prefix(2);
    std::string folder;
    if (line.substr(0, 5) == "$HOME" && (line.size() == 5 || line[5] == '/' || line[5] == '"')) {
        if (home.empty())
            return std::nullopt;
        folder = home;
        line.remove_prefix(5);
    } else if (line.empty() || line[0] != '/') {
        return std::nullopt;
    }
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            return folder;
        if (line[i] == '\\' && i + 1 < line.size())
            ++i;
        folder += line[i];
    }
    return std::nullopt;
}

std::optional<std::string> DocumentsFolder()
{
    const std::string home = HomeFolder().value_or("");
    std::optional<std::string> chosen;
    if (const std::optional<std::string> config = ConfigurationFolder()) {
        const std::optional<std::string> text = ReadSmallTextFile(*config + "/user-dirs.dirs", kLargestUserDirsFile);
        for (std::string_view rest = text ? std::string_view(*text) : std::string_view(); !rest.empty();) {
            const size_t end = std::min(rest.find('\n'), rest.size());
            if (std::optional<std::string> folder = DocumentsLine(rest.substr(0, end), home); folder && IsExistingFolder(*folder))
                chosen = folder;
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
    }
    if (!chosen)
        if (std::optional<std::string> variable = AbsoluteVariable("XDG_DOCUMENTS_DIR"); variable && IsExistingFolder(*variable))
            chosen = variable;
    if (!chosen && !home.empty())
        chosen = home;
    return chosen;
}

}  // namespace

int32_t SHGetFolderPathW(HWND, int32_t folder, HANDLE, DWORD, char16_t* path)
{
    if (!path)
        return E_FAIL;
    std::optional<std::string> text;
    if (folder == CSIDL_APPDATA)
        text = ConfigurationFolder();
    else if (folder == CSIDL_PERSONAL)
        text = DocumentsFolder();
    if (!text)
        return E_FAIL;
    while (text->size() > 1 && text->back() == '/')
        text->pop_back();
    const std::u16string wide = FileNameToWide(*text);
    if (wide.size() + 1 > MAX_PATH)
        return E_FAIL;
    std::copy(wide.begin(), wide.end(), path);
    path[wide.size()] = 0;
    return S_OK;
}

}  // namespace w32
