#include "toolkit/core/tCFPath.h"

#include "toolkit/core/FileTypes.h"
#include "toolkit/core/PathText.h"

tCFPath::tCFPath(const tCString& text, uint32_t kind, uint32_t fileType, uint32_t creator)
    : tCBasePath(text, kind), m_fileType(fileType), m_creator(creator)
{
}

tCFPath& tCFPath::operator=(const tCFPath& other)
{
    if (this != &other) {
        m_kind = other.m_kind;
        tCBasePath::SetText(other.GetText());
        m_fileType = other.m_fileType;
        m_creator = other.m_creator;
    }
    return *this;
}

void tCFPath::Clear()
{
    tCBasePath::Clear();
    m_fileType = kUnknownFourCC;
    m_creator = kUnknownFourCC;
}

tResult tCFPath::Split(Parts* parts) const
{
    if (!HasText())
        return kResInvalidObject;
    return SplitPathText(GetText(), &parts->folder, &parts->name, &parts->extension);
}

tResult tCFPath::StoreComposed(const Parts& parts)
{
    const tCString text = MakePathText(parts.folder, parts.name, parts.extension);
    if (text.IsEmpty())
        return kResBadParam;
    return SetPath(text);
}

tResult tCFPath::SetName(const tCString& name)
{
    if (!HasText())
        return kResInvalidObject;
    if (name.IsEmpty())
        return kResBadParam;
    Parts parts;
    TK_TRY(Split(&parts));
    parts.name = name;
    parts.name.ReplaceChar(kPathSeparator, u'_');
    return StoreComposed(parts);
}

tResult tCFPath::SetFolder(const tCString& folder)
{
    if (!HasText())
        return kResInvalidObject;
    if (folder.IsEmpty())
        return kResBadParam;
    Parts parts;
    TK_TRY(Split(&parts));
    TK_TRY(SplitPathText(folder, &parts.folder, nullptr, nullptr));
    return StoreComposed(parts);
}

tResult tCFPath::SetFileType(uint32_t typeId, bool addIfMissing, const tCString& extensionOverride, uint32_t code)
{
    if (!HasText())
        return kResInvalidObject;
    if (typeId > kFileTypeUnknown)
        return kResBadParam;
    Parts parts;
    TK_TRY(Split(&parts));
    if (!parts.extension.IsEmpty() || addIfMissing)
        parts.extension = extensionOverride.IsEmpty() ? FileTypeExtension(typeId) : extensionOverride;
    m_fileType = code != 0 ? code : FileTypeCode(typeId);
    return StoreComposed(parts);
}

tResult tCFPath::SetExtension(const tCString& extension, bool addIfMissing, uint32_t code)
{
    if (!HasText())
        return kResInvalidObject;
    if (extension.IsEmpty())
        return kResBadParam;
    Parts parts;
    TK_TRY(Split(&parts));
    m_fileType = code != kUnknownFourCC ? code : FileTypeCodeForExtension(extension);
    if (!parts.extension.IsEmpty() || addIfMissing)
        parts.extension = extension;
    return StoreComposed(parts);
}

tCString tCFPath::GetFolder() const
{
    Parts parts;
    return Split(&parts) == kResOk ? parts.folder : tCString(u"");
}

tCString tCFPath::GetName() const
{
    Parts parts;
    return Split(&parts) == kResOk ? parts.name : tCString(u"");
}

tCString tCFPath::GetExtension() const
{
    Parts parts;
    return Split(&parts) == kResOk ? parts.extension : tCString(u"");
}

tCString tCFPath::GetFileName() const
{
    Parts parts;
    return Split(&parts) == kResOk ? parts.name.Concat(parts.extension) : tCString(u"");
}

bool tCFPath::IsWithin(const tCFPath& other) const
{
    const tCString text = UpperCasedAscii(GetText());
    const tCString prefix = UpperCasedAscii(other.GetText());
    if (prefix.GetLength() >= text.GetLength())
        return false;
    if (text.View().substr(0, size_t(prefix.GetLength())) != prefix.View())
        return false;
    // "/paint2/a.png" is not inside "/paint": the prefix must end at a folder boundary.
    return prefix.IsEmpty() || EndsWithSeparator(prefix) || text.GetAt(prefix.GetLength()) == kPathSeparator;
}

tCString tCFPath::GetTextAfter(const tCFPath& other) const
{
    const tCString text = GetText();
    const int32_t skip = other.GetText().GetLength();
    if (skip >= text.GetLength())
        return tCString(u"");
    return text.Mid(skip, text.GetLength() - skip);
}

uint32_t tCFPath::GetFileType() const
{
    return HasText() ? FileTypeIdForExtension(GetExtension()) : kFileTypeNone;
}
