#include "app/shell/update/CFileData.h"

#include "toolkit/net/HTTPText.h"

namespace {

const char16_t kBlanks[] = u"\t \n\r";

bool IsDotName(std::u16string_view text)
{
    return text == u"." || text == u"..";
}

bool IsFolderSeparator(char16_t unit)
{
    return unit == u':' || unit == u'/';
}

bool IsSafeName(const tCString& name)
{
    const std::u16string_view text = name.View();
    return !text.empty() && !IsDotName(text) && text.find_first_of(u"/\\:") == std::u16string_view::npos &&
           IsSafeHeaderText(name);
}

// Both ":" and "/" separate levels here, since both do once the folder is a path.
bool IsSafeFolder(const tCString& folder)
{
    const std::u16string_view text = folder.View();
    if (text.empty())
        return true;
    if (text.find(u'\\') != std::u16string_view::npos || !IsSafeHeaderText(folder))
        return false;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsFolderSeparator(text[i]))
            continue;
        const std::u16string_view level = text.substr(start, i - start);
        if (level.empty() || IsDotName(level))
            return false;
        start = i + 1;
    }
    return true;
}

}  // namespace

void CFileData::SetFromManifestLine(const tCString& line)
{
    tCString head;
    tCString tail;
    line.SplitAtFirstOf(head, tail, u"%", false);
    head.Trim(kBlanks);
    tail.Trim(kBlanks);
    name = tail;

    tCString place;
    tCString code;
    if (head.GetAt(0) == u'|')
        code = head.Mid(1, head.GetLength() - 1);
    else
        head.SplitAtFirstOf(place, code, u"|", false);
    place.Trim(kBlanks);
    code.Trim(kBlanks);
    folder = place;
    fileId = code.Left(2).ToInteger();
    version = code.Mid(2, code.GetLength() - 2).ToInteger();
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
