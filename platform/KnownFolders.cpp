#include "platform/KnownFolders.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/Kernel.h"
#include "platform/TextCodec.h"

namespace w32 {

int32_t SHGetFolderPathW(HWND, int32_t folder, HANDLE, DWORD, char16_t* path)
{
    if (folder != CSIDL_APPDATA || !path)
        return E_FAIL;
    std::string text;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        text = config;
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        text = std::string(home) + "/.config";
    else
        return E_FAIL;
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    const std::u16string wide = FileNameToWide(text);
    if (wide.size() + 1 > MAX_PATH)
        return E_FAIL;
    std::copy(wide.begin(), wide.end(), path);
    path[wide.size()] = 0;
    return S_OK;
}

}  // namespace w32
