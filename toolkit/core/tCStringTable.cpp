#include "toolkit/core/tCStringTable.h"

#include <algorithm>

#include "toolkit/core/FileOperations.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCFile.h"

namespace {

const char16_t kStringTableError[] = u"%%String Table Error";

}  // namespace

tResult tCStringTable::LoadFromFile(const tCString& relativeName)
{
    tCFile file;
    TK_TRY(OpenFileByName(&file, relativeName, tCFile::kAccessRead));
    Clear();
    const tResult loaded = LoadStringTable(&file);
    const tResult closed = file.Close();
    return loaded != kResOk ? loaded : closed;
}

tResult tCStringTable::LoadStringTable(tCStream* stream)
{
    if (!stream || !stream->IsOpen())
        return kResBadParam;
    TK_TRY(stream->Rewind());
    while (!stream->IsAtEnd()) {
        uint32_t id, second;
        tCString name, text;
        TK_TRY(stream->ReadU32(&id));
        TK_TRY(stream->ReadU32(&second));
        TK_TRY(stream->ReadLineW(name));
        TK_TRY(stream->ReadLineW(text));
        const int32_t existing = m_ids.IndexOf(id);
        if (existing >= 0) {
            m_ids.RemoveAt(existing);
            m_texts.RemoveAt(existing);
        }
        TK_TRY(m_ids.Add(id));
        if (m_texts.Add(std::move(text)) != kResOk) {
            m_ids.RemoveAt(m_ids.GetCount() - 1);
            return kResNoMemory;
        }
    }
    return kResOk;
}

tResult tCStringTable::Clear()
{
    m_ids.RemoveAll();
    m_texts.RemoveAll();
    return kResOk;
}

tCString& tCStringTable::GetString(tCString& out, uint32_t id, int32_t alternative) const
{
    const int32_t index = m_ids.IndexOf(id);
    const std::u16string_view text = index >= 0 ? m_texts[index].View() : std::u16string_view();
    // Walk to the start of the wanted alternative, counting the '|' passed.
    size_t start = 0;
    for (int32_t passed = 0; passed < alternative && start < text.size(); ++passed) {
        const size_t bar = text.find(u'|', start);
        start = bar == std::u16string_view::npos ? text.size() : bar + 1;
    }
    if (text.empty() || alternative < 0 || (alternative > 0 && start >= text.size())) {
        out.SetText(kStringTableError);
        return out;
    }
    const size_t end = std::min(text.find(u'|', start), text.size());
    out.SetText(text.data() + start, int32_t(end - start));
    return out;
}

tResult tCStringTable::WriteRecord(tCStream& stream, uint32_t id, uint32_t second, const tCString& name,
                                   const tCString& text)
{
    TK_TRY(stream.WriteU32(id));
    TK_TRY(stream.WriteU32(second));
    TK_TRY(WriteResourceLine(stream, name));
    return WriteResourceLine(stream, text);
}
