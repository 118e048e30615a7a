#include "app/shell/update/CFileData.h"

#include <cstdint>
#include <string_view>

#include "app/shell/update/ManifestText.h"
#include "toolkit/net/HTTPText.h"

namespace {

// The longest name of one file or folder level that file systems take, in UTF-8 bytes.
constexpr size_t kMaxLevelBytes = 255;

// The value of a digit in hexadecimal (either case), UINT32_MAX for anything else.
uint32_t DigitValue(char16_t unit)
{
    if (unit >= u'0' && unit <= u'9')
        return unit - u'0';
    if (unit >= u'A' && unit <= u'F')
        return unit - u'A' + 10;
    if (unit >= u'a' && unit <= u'f')
        return unit - u'a' + 10;
    return UINT32_MAX;
}

// The number of a code text as tCString::ToInteger reads it; false when its digits are worth
// 2^32 or more, which ToInteger would wrap into a small number.
bool ReadCodeNumber(const tCString& code, int32_t* value)
{
    *value = code.ToInteger();
    const tCString trimmed = code.Trimmed(kManifestBlanks);
    const std::u16string_view text = trimmed.View();
    const size_t x = text.find_first_of(u"xX");
    const size_t minus = text.find(u'-');
    const uint32_t base = x != std::u16string_view::npos ? 16 : 10;
    size_t i = x != std::u16string_view::npos ? x + 1 : minus != std::u16string_view::npos ? minus + 1 : 0;
    uint64_t number = 0;
    for (; i < text.size() && DigitValue(text[i]) < base; ++i) {
        number = number * base + DigitValue(text[i]);
        if (number > UINT32_MAX)
            return false;
    }
    return true;
}

bool IsDotName(std::u16string_view text)
{
    return text == u"." || text == u"..";
}

bool IsFolderSeparator(char16_t unit)
{
    return unit == u':' || unit == u'/';
}

// No C0 or C1 control character and no DEL.
bool HasNoControls(const tCString& text)
{
    for (const char16_t unit : text.View())
        if (unit >= 0x80 && unit <= 0x9F)
            return false;
    return IsSafeHeaderText(text);
}

bool FitsOneLevel(std::u16string_view level)
{
    return tCString(level).ToAnsi().size() <= kMaxLevelBytes;
}

bool IsSafeName(const tCString& name)
{
    const std::u16string_view text = name.View();
    return !text.empty() && !IsDotName(text) && text.find_first_of(u"/\\:") == std::u16string_view::npos &&
           HasNoControls(name) && FitsOneLevel(text);
}

// Both ":" and "/" separate levels here, since both do once the folder is a path.
bool IsSafeFolder(const tCString& folder)
{
    const std::u16string_view text = folder.View();
    if (text.empty())
        return true;
    if (text.find(u'\\') != std::u16string_view::npos || !HasNoControls(folder))
        return false;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsFolderSeparator(text[i]))
            continue;
        const std::u16string_view level = text.substr(start, i - start);
        if (level.empty() || IsDotName(level) || !FitsOneLevel(level))
            return false;
        start = i + 1;
    }
    return true;
}

}  // namespace

bool CFileData::SetFromManifestLine(const tCString& line)
{
    tCString head;
    tCString tail;
    line.SplitAtFirstOf(head, tail, u"%", false);
    head.Trim(kManifestBlanks);
    tail.Trim(kManifestBlanks);
    name = tail;

    tCString place;
    tCString code;
    if (head.GetAt(0) == u'|')
        code = head.Mid(1, head.GetLength() - 1);
    else
        head.SplitAtFirstOf(place, code, u"|", false);
    place.Trim(kManifestBlanks);
    code.Trim(kManifestBlanks);
    folder = place;
    const bool idFits = ReadCodeNumber(code.Left(2), &fileId);
    return ReadCodeNumber(code.Mid(2, code.GetLength() - 2), &version) && idFits;
}

tCString CFileData::GetTargetPath() const
{
    if (folder.IsEmpty())
        return name;
    return folder.Concat(u":").Concat(name);
}

bool CFileData::IsSafe() const
{
    return IsSafeName(name) && IsSafeFolder(folder);
}
