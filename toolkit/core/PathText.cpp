#include "toolkit/core/PathText.h"

#include <string>

namespace {

int32_t LastIndexOf(std::u16string_view text, char16_t unit)
{
    const size_t at = text.rfind(unit);
    return at == std::u16string_view::npos ? -1 : int32_t(at);
}

}  // namespace

tResult SplitPathText(const tCString& path, tCString* folder, tCString* name, tCString* extension)
{
    if (path.IsEmpty())
        return kResBadParam;
    const std::u16string_view text = path.View();
    const int32_t folderEnd = LastIndexOf(text, kPathSeparator) + 1;
    const std::u16string_view file = text.substr(size_t(folderEnd));
    const int32_t dot = LastIndexOf(file, u'.');
    const std::u16string_view stem = dot < 0 ? file : file.substr(0, size_t(dot));
    const std::u16string_view suffix = dot < 0 ? std::u16string_view() : file.substr(size_t(dot));
    if (folder)
        TK_TRY(folder->SetText(text.data(), folderEnd));
    if (name)
        TK_TRY(name->SetText(stem.data(), int32_t(stem.size())));
    if (extension)
        TK_TRY(extension->SetText(suffix.data(), int32_t(suffix.size())));
    return kResOk;
}

tCString MakePathText(const tCString& folder, const tCString& name, const tCString& extension)
{
    std::u16string text;
    if (!folder.IsEmpty()) {
        text += folder.View();
        if (!EndsWithSeparator(folder))
            text += kPathSeparator;
    }
    text += name.View();
    if (!extension.IsEmpty()) {
        if (extension.GetAt(0) != u'.')
            text += u'.';
        text += extension.View();
    }
    if (text.size() > size_t(kMaxPathLength))
        return tCString(u"");
    return tCString(std::u16string_view(text));
}

tCString RelativeToPathText(const tCString& relative)
{
    tCString text(relative.View());
    text.ReplaceChar(kRelativeSeparator, kPathSeparator);
    return text;
}

bool EndsWithSeparator(const tCString& text)
{
    return !text.IsEmpty() && text.GetAt(text.GetLength() - 1) == kPathSeparator;
}

namespace {

tCString ShiftAsciiCase(const tCString& text, char16_t first, char16_t last, int shift)
{
    std::u16string shifted(text.View());
    for (char16_t& unit : shifted)
        if (unit >= first && unit <= last)
            unit = char16_t(unit + shift);
    return tCString(std::u16string_view(shifted));
}

}  // namespace

tCString UpperCasedAscii(const tCString& text)
{
    return ShiftAsciiCase(text, u'a', u'z', u'A' - u'a');
}

tCString LowerCasedAscii(const tCString& text)
{
    return ShiftAsciiCase(text, u'A', u'Z', u'a' - u'A');
}
