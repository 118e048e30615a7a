#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The registry's keys and values and their file. The file is text: a header line, then one line
// per key ("K", root, path) and per value ("V", root, path, name, type, hexadecimal bytes),
// fields separated by tabs, with '%', tab, CR and LF in names escaped as %XX. A file that is
// damaged loses only its damaged lines.
namespace w32::registry {

struct tValue {
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
};

class CRegistryStore {
public:
    // Keys of a root: the root is 'U' (user) or 'M' (machine).
    bool KeyExists(char root, const std::u16string& path) const;
    // Creates the key; answers whether it was new.
    bool CreateKey(char root, const std::u16string& path);
    const tValue* FindValue(char root, const std::u16string& path, const std::u16string& name) const;
    // False when the key does not exist.
    bool SetValue(char root, const std::u16string& path, const std::u16string& name, tValue value);

    // A missing file is an empty store. Answers false when the file could not be read.
    bool Load(const std::string& fileName);
    // Writes a temporary file beside the target and renames it over it; the target's folder is
    // made when it is missing.
    bool Save(const std::string& fileName) const;
    void Clear() { m_keys.clear(); }

    static constexpr size_t kMaxValueBytes = 1 << 20;
    static constexpr size_t kMaxFileBytes = 16 << 20;

    // The name a key is stored under: the root's letter, then the path in lower case without
    // leading or trailing separators.
    static std::u16string KeyId(char root, const std::u16string& path);

private:
    std::map<std::u16string, std::map<std::u16string, tValue>> m_keys;
};

}  // namespace w32::registry
