#pragma once

#include "platform/Win32Types.h"

// Folders the program asks the system for.
namespace w32 {

enum : int32_t { CSIDL_PERSONAL = 0x0005, CSIDL_APPDATA = 0x001A };
enum : int32_t { S_OK = 0, E_FAIL = int32_t(0x80004005) };

// CSIDL_APPDATA is $XDG_CONFIG_HOME, else $HOME/.config. CSIDL_PERSONAL, the user's documents,
// is the XDG_DOCUMENTS_DIR of user-dirs.dirs in that folder, else of the environment, each only
// when it is a folder, else the home folder: $HOME where it is an existing folder, else the one
// the password database gives. `path` takes at most MAX_PATH units, without a trailing separator.
int32_t SHGetFolderPathW(HWND owner, int32_t folder, HANDLE token, DWORD flags, char16_t* path);

}  // namespace w32
