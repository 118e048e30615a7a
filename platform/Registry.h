#pragma once

#include "platform/Win32Types.h"

// The settings store: keys under the machine and the user roots, holding string and number
// values. Key paths and value names compare without regard to ASCII case. The store lives in a
// file under the application-data folder (in memory only under the headless platform).
namespace w32 {

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t(0x80000001));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t(0x80000002));

enum : DWORD { REG_NONE = 0, REG_SZ = 1, REG_BINARY = 3, REG_DWORD = 4 };
enum : DWORD {
    KEY_QUERY_VALUE = 0x0001,
    KEY_SET_VALUE = 0x0002,
    KEY_CREATE_SUB_KEY = 0x0004,
    KEY_READ = 0x20019,
    KEY_WRITE = 0x20006,
    KEY_ALL_ACCESS = 0xF003F,
};
enum : DWORD { REG_OPTION_NON_VOLATILE = 0 };
enum : DWORD { REG_CREATED_NEW_KEY = 1, REG_OPENED_EXISTING_KEY = 2 };

// ERROR_FILE_NOT_FOUND when the key does not exist.
LSTATUS RegOpenKeyExW(HKEY root, const char16_t* subKey, DWORD options, DWORD access, HKEY* result);
LSTATUS RegCreateKeyExW(HKEY root, const char16_t* subKey, DWORD reserved, char16_t* className, DWORD options,
                        DWORD access, void* security, HKEY* result, DWORD* disposition);
// With `data` null answers the size in `size`; ERROR_MORE_DATA when the buffer is too small.
LSTATUS RegQueryValueExW(HKEY key, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
LSTATUS RegSetValueExW(HKEY key, const char16_t* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LSTATUS RegCloseKey(HKEY key);

}  // namespace w32
