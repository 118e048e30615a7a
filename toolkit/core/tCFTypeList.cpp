#include "toolkit/core/tCFTypeList.h"

#include <span>
#include <string>

#include "toolkit/core/FileTypes.h"

namespace {

// ".bmp,.jpg" becomes "*.bmp;*.jpg": each comma-separated piece is prefixed with "*".
std::u16string PatternList(const tCString& pattern)
{
    std::u16string list = u"*";
    for (char16_t unit : pattern.View())
        list += unit == u',' ? std::u16string_view(u";*") : std::u16string_view(&unit, 1);
    return list;
}

void AppendPair(std::u16string& filter, const tCString& name, const tCString& pattern)
{
    filter += name.View();
    filter += char16_t(0);
    filter += PatternList(pattern);
    filter += char16_t(0);
}

}  // namespace

tResult tCFTypeList::AddTypeGroup(uint32_t group)
{
    static constexpr uint32_t kImages[] = {kFileTypeBmp, kFileTypeJpeg, kFileTypePng, kFileTypePsd};
    static constexpr uint32_t kTexts[] = {kFileTypeText, kFileTypeHeader, kFileTypePdf};
    static constexpr uint32_t kTessel[] = {kFileTypeResourceFile, kFileTypeResourceScript};
    static constexpr uint32_t kAudio[] = {kFileTypeWav};
    std::span<const uint32_t> members;
    switch (group) {
    case kFileTypeImageGroup: members = kImages; break;
    case kFileTypeTextGroup: members = kTexts; break;
    case kFileTypeTesselGroup: members = kTessel; break;
    case kFileTypeAudioGroup: members = kAudio; break;
    default: return kResBadParam;
    }
    // An id that cannot be appended is skipped: the list stays usable without it.
    for (uint32_t id : members)
        m_ids.Add(id);
    return kResOk;
}

void tCFTypeList::AddTypes(std::initializer_list<uint32_t> ids)
{
    for (uint32_t id : ids) {
        if (id == kFileTypeLastIndex)
            return;
        m_ids.Add(id);
    }
}

void tCFTypeList::AddCustomType(uint32_t id, const tCString& name, const tCString& pattern, uint32_t code)
{
    AppendEntry(tCFTypeEntry{id, name, pattern, code});
}

void tCFTypeList::AppendEntry(const tCFTypeEntry& entry)
{
    m_entries.Add(entry);
}

uint32_t tCFTypeList::GetTypeAt(int32_t position) const
{
    if (position < 0 || position >= GetCount())
        return kFileTypeAllFiles;
    if (position < m_entries.GetCount())
        return m_entries[position].id;
    return m_ids[position - m_entries.GetCount()];
}

int32_t tCFTypeList::IndexOfType(int32_t id) const
{
    if (id == -1)
        return GetCount();
    for (int32_t i = 0; i < m_entries.GetCount(); ++i)
        if (m_entries[i].id == uint32_t(id))
            return i;
    const int32_t index = m_ids.IndexOf(uint32_t(id));
    if (index >= 0)
        return m_entries.GetCount() + index;
    return id == int32_t(kFileTypeAllFiles) ? GetCount() : -1;
}

tCString tCFTypeList::GetExtensionAt(int32_t position) const
{
    if (position < 0 || position >= GetCount())
        return tCString(u"");
    if (position < m_entries.GetCount())
        return m_entries[position].pattern;
    return FileTypeExtension(m_ids[position - m_entries.GetCount()]);
}

tResult tCFTypeList::BuildFilter(char16_t* buffer, size_t capacity) const
{
    std::u16string filter;
    for (const tCFTypeEntry& entry : m_entries)
        AppendPair(filter, entry.name, entry.pattern);
    for (uint32_t id : m_ids)
        AppendPair(filter, FileTypeName(id), FileTypeExtension(id));
    if (m_includeAllFiles)
        AppendPair(filter, FileTypeName(kFileTypeAllFiles), FileTypeExtension(kFileTypeAllFiles));
    filter += char16_t(0);
    if (!buffer || filter.size() > capacity)
        return kResBufferOverrun;
    filter.copy(buffer, filter.size());
    return kResOk;
}
