#include "platform/RegistryStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>

#include "platform/FileSystem.h"
#include "platform/HexDigits.h"
#include "platform/RegularFiles.h"
#include "platform/TextCodec.h"

namespace w32::registry {
namespace {

constexpr const char* kHeader = "kostrel-registry 1";

char16_t LowerAscii(char16_t unit)
{
    return (unit >= u'A' && unit <= u'Z') ? char16_t(unit + 32) : unit;
}

std::u16string Lowered(const std::u16string& text)
{
    std::u16string lowered = text;
    for (char16_t& unit : lowered)
        unit = LowerAscii(unit);
    return lowered;
}

std::string Escape(const std::u16string& text)
{
    std::string out;
    for (const char c : ToAnsi(text)) {
        if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", unsigned(static_cast<unsigned char>(c)));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

bool Unescape(const std::string& text, std::u16string* out)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = HexDigitValue(text[i + 1]);
        const int low = HexDigitValue(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        bytes += char(high * 16 + low);
        i += 2;
    }
    *out = ToWide(bytes);
    return true;
}

std::string Hex(const std::vector<uint8_t>& bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (const uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

bool FromHex(const std::string& text, std::vector<uint8_t>* bytes)
{
    if (text.size() % 2 != 0 || text.size() / 2 > CRegistryStore::kMaxValueBytes)
        return false;
    bytes->clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigitValue(text[i]);
        const int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes->push_back(uint8_t(high * 16 + low));
    }
    return true;
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t'))
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t')
        fields.emplace_back();
    return fields;
}

bool ValidRoot(const std::string& field)
{
    return field == "U" || field == "M";
}

}  // namespace

std::u16string CRegistryStore::KeyId(char root, const std::u16string& path)
{
    std::u16string trimmed = path;
    while (!trimmed.empty() && trimmed.back() == u'\\')
        trimmed.pop_back();
    while (!trimmed.empty() && trimmed.front() == u'\\')
        trimmed.erase(trimmed.begin());
    return std::u16string(1, char16_t(root)) + Lowered(trimmed);
}

bool CRegistryStore::KeyExists(char root, const std::u16string& path) const
{
    return m_keys.count(KeyId(root, path)) != 0;
}

bool CRegistryStore::CreateKey(char root, const std::u16string& path)
{
    return m_keys.try_emplace(KeyId(root, path)).second;
}

const tValue* CRegistryStore::FindValue(char root, const std::u16string& path, const std::u16string& name) const
{
    const auto key = m_keys.find(KeyId(root, path));
    if (key == m_keys.end())
        return nullptr;
    const auto value = key->second.find(Lowered(name));
    return value == key->second.end() ? nullptr : &value->second;
}

bool CRegistryStore::SetValue(char root, const std::u16string& path, const std::u16string& name, tValue value)
{
    const auto key = m_keys.find(KeyId(root, path));
    if (key == m_keys.end() || value.bytes.size() > kMaxValueBytes)
        return false;
    key->second[Lowered(name)] = std::move(value);
    return true;
}

bool CRegistryStore::Load(const std::string& fileName)
{
    m_keys.clear();
    // A regular file only, opened without waiting: a pipe in its place would hold the program up.
    struct stat status;
    const int descriptor = OpenRegularFile(fileName, O_RDONLY, &status);
    if (descriptor < 0)
        return true;
    FILE* file = status.st_size <= off_t(kMaxFileBytes) ? fdopen(descriptor, "rb") : nullptr;
    if (!file) {
        close(descriptor);
        return false;
    }
    std::string content(size_t(status.st_size), '\0');
    const bool whole = std::fread(content.data(), 1, content.size(), file) == content.size();
    std::fclose(file);
    if (!whole)
        return false;

    std::istringstream lines(content);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader)
        return false;
    while (std::getline(lines, line)) {
        const std::vector<std::string> fields = SplitTabs(line);
        std::u16string path, name;
        if (fields.size() == 3 && fields[0] == "K" && ValidRoot(fields[1]) && Unescape(fields[2], &path)) {
            CreateKey(fields[1][0], path);
            continue;
        }
        tValue value;
        if (fields.size() != 6 || fields[0] != "V" || !ValidRoot(fields[1]) || !Unescape(fields[2], &path) ||
            !Unescape(fields[3], &name) || !FromHex(fields[5], &value.bytes))
            continue;
        char* end = nullptr;
        const unsigned long type = std::strtoul(fields[4].c_str(), &end, 10);
        if (fields[4].empty() || *end != '\0' || type > 0xFFFFFFFFul)
            continue;
        value.type = uint32_t(type);
        CreateKey(fields[1][0], path);
        SetValue(fields[1][0], path, name, std::move(value));
    }
    return true;
}

bool CRegistryStore::Save(const std::string& fileName) const
{
    // The program's folder under the application-data folder is made on the first save.
    if (const size_t slash = fileName.rfind('/'); slash != std::string::npos && slash > 0)
        mkdir(fileName.substr(0, slash).c_str(), 0700);
    std::ostringstream file;
    file << kHeader << '\n';
    for (const auto& [id, values] : m_keys) {
        const std::string root(1, char(id[0]));
        const std::string path = Escape(id.substr(1));
        file << "K\t" << root << '\t' << path << '\n';
        for (const auto& [name, value] : values)
            file << "V\t" << root << '\t' << path << '\t' << Escape(name) << '\t' << value.type << '\t'
                 << Hex(value.bytes) << '\n';
    }
    // Written through a new file of its own beside the store: whatever stands at a fixed name
    // there (a pipe would hold the program up) is never opened.
    const std::string text = file.str();
    return WriteFileReplacing(fileName, text.data(), text.size());
}

}  // namespace w32::registry
