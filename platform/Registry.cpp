#include "platform/Registry.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/Kernel.h"
#include "platform/KnownFolders.h"
#include "platform/RegistryInternal.h"
#include "platform/RegistryStore.h"
#include "platform/SystemFonts.h"
#include "platform/TextCodec.h"

namespace w32 {
namespace {

struct tOpenKey {
    char root = 'U';
    std::u16string path;
    DWORD access = 0;
};

struct tRegistry {
    std::mutex lock;
    registry::CRegistryStore store;
    std::string fileName;
    std::map<uintptr_t, tOpenKey> open;
    uintptr_t next = 0x100;
};

tRegistry& Registry()
{
    static tRegistry* registry = new tRegistry;
    return *registry;
}

// Resolves a root or an open key and a sub-key into a root letter and a full path.
bool Resolve(tRegistry& r, HKEY base, const char16_t* subKey, tOpenKey* out)
{
    if (base == HKEY_CURRENT_USER || base == HKEY_LOCAL_MACHINE) {
        out->root = base == HKEY_CURRENT_USER ? 'U' : 'M';
        out->path.clear();
    } else {
        const auto it = r.open.find(reinterpret_cast<uintptr_t>(base));
        if (it == r.open.end())
            return false;
        *out = it->second;
    }
    if (subKey && *subKey) {
        if (!out->path.empty())
            out->path += u'\\';
        out->path += subKey;
    }
    return true;
}

HKEY Open(tRegistry& r, const tOpenKey& key)
{
    const uintptr_t id = r.next;
    r.next += 4;
    r.open.emplace(id, key);
    return reinterpret_cast<HKEY>(id);
}

const tOpenKey* FindOpen(tRegistry& r, HKEY key)
{
    const auto it = r.open.find(reinterpret_cast<uintptr_t>(key));
    return it == r.open.end() ? nullptr : &it->second;
}

bool Persist(const tRegistry& r)
{
    return r.fileName.empty() || r.store.Save(r.fileName);
}

// The machine's font list, under either of the keys the system has used for it, lists every
// installed family as "<family> (TrueType)" with the file of its regular face.
bool IsFontsKey(const tOpenKey& key)
{
    using registry::CRegistryStore;
    const std::u16string id = CRegistryStore::KeyId(key.root, key.path);
    return id == CRegistryStore::KeyId('M', u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts") ||
           id == CRegistryStore::KeyId('M', u"Software\\Microsoft\\Windows\\CurrentVersion\\Fonts");
}

bool FontValue(const std::u16string& name, registry::tValue* value)
{
    const std::u16string suffix = u" (TrueType)";
    std::u16string path;
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0 ||
        !fonts::FindFamilyFile(name.substr(0, name.size() - suffix.size()), &path))
        return false;
    value->type = REG_SZ;
    value->bytes.resize((path.size() + 1) * sizeof(char16_t));
    std::memcpy(value->bytes.data(), path.c_str(), value->bytes.size());
    return true;
}

}  // namespace

namespace registry {

void UseStoreFile(const std::string& fileName)
{
    tRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.fileName = fileName;
    r.open.clear();
    if (fileName.empty() || !r.store.Load(fileName))
        r.store.Clear();
}

std::string DefaultStoreFile()
{
    char16_t folder[MAX_PATH];
    std::string bytes;
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder) != S_OK || !WideToFileName(folder, &bytes))
        return "";
    return bytes + "/kostrel/registry";
}

}  // namespace registry

LSTATUS RegOpenKeyExW(HKEY root, const char16_t* subKey, DWORD, DWORD access, HKEY* result)
{
    tRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    tOpenKey key;
    if (!result || !Resolve(r, root, subKey, &key))
        return ERROR_INVALID_HANDLE;
    if (!key.path.empty() && !r.store.KeyExists(key.root, key.path) && !IsFontsKey(key))
        return ERROR_FILE_NOT_FOUND;
    key.access = access;
    *result = Open(r, key);
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExW(HKEY root, const char16_t* subKey, DWORD, char16_t*, DWORD, DWORD access, void*,
                        HKEY* result, DWORD* disposition)
{
    tRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    tOpenKey key;
    if (!result || !Resolve(r, root, subKey, &key) || key.path.empty())
        return ERROR_INVALID_PARAMETER;
    bool created = false;
    // Every key on the way exists afterwards, as the system's registry makes them.
    for (size_t end = key.path.find(u'\\'); end != std::u16string::npos; end = key.path.find(u'\\', end + 1))
        created |= r.store.CreateKey(key.root, key.path.substr(0, end));
    created |= r.store.CreateKey(key.root, key.path);
    if (created && !Persist(r))
        return ERROR_ACCESS_DENIED;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    key.access = access;
    *result = Open(r, key);
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY key, const char16_t* name, DWORD*, DWORD* type, BYTE* data, DWORD* size)
{
    tRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    const tOpenKey* open = FindOpen(r, key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    if (!(open->access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    const registry::tValue* value = r.store.FindValue(open->root, open->path, name ? name : u"");
    registry::tValue font;
    if (!value && IsFontsKey(*open) && FontValue(name ? name : u"", &font))
        value = &font;
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    const DWORD needed = DWORD(value->bytes.size());
    if (!size)
        return ERROR_SUCCESS;
    if (data && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data && needed)
        std::memcpy(data, value->bytes.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY key, const char16_t* name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    tRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    const tOpenKey* open = FindOpen(r, key);
    if (!open)
        return ERROR_INVALID_HANDLE;
    if (!(open->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if ((!data && size) || size > registry::CRegistryStore::kMaxValueBytes)
        return ERROR_INVALID_PARAMETER;
    registry::tValue value;
    value.type = type;
    if (size)
        value.bytes.assign(data, data + size);
    if (!r.store.SetValue(open->root, open->path, name ? name : u"", std::move(value)))
        return ERROR_FILE_NOT_FOUND;
    return Persist(r) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LSTATUS RegCloseKey(HKEY key)
{
    tRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.open.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace w32
