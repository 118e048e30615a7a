#include "toolkit/core/CTextList.h"

#include <memory>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"

CTextList* CTextList::NewFromResourceId(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    auto list = std::make_unique<CTextList>();
    return list->LoadFromResourceId(id, stream, directory) == kResOk ? list.release() : nullptr;
}

CTextList* CTextList::NewFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    auto list = std::make_unique<CTextList>();
    return list->LoadFromResourceName(name, stream, directory) == kResOk ? list.release() : nullptr;
}

tResult CTextList::LoadFromResourceId(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    tCStream* used;
    uint32_t version;
    TK_TRY(LocateById(id, stream, directory, &used, &version));
    return ReadData(*used, version);
}

tResult CTextList::LoadFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    tCStream* used;
    uint32_t version;
    TK_TRY(LocateByName(name, stream, directory, &used, &version));
    return ReadData(*used, version);
}

tResult CTextList::ReadData(tCStream& stream, uint32_t version)
{
    uint32_t exclusivity, count;
    tResult result = stream.ReadU32(&exclusivity);
    if (result != kResOk) {
        ReportResult(kResResourceRead, "Error reading exclusivity");
        return result;
    }
    result = stream.ReadU32(&count);
    if (result != kResOk) {
        ReportResult(kResResourceRead, "Error reading number of entries");
        return result;
    }
    if (version != 1 && version != 2)
        return kResFileInvalid;
    // Every entry takes at least one 2-byte unit: a count beyond that is a damaged resource.
    const int64_t room = GetDataEnd() - stream.GetPosition();
    if (room < 0 || int64_t(count) > room / 2)
        return kResFileInvalid;
    for (uint32_t i = 0; i < count; ++i) {
        tCString text;
        TK_TRY(stream.ReadLineW(text));
        int32_t id = -1;
        if (version == 2)
            TK_TRY(stream.ReadI32(&id));
        TK_TRY(CheckWithinPayload(stream, GetDataEnd()));
        TK_TRY(AddEntry(text, id));
    }
    return kResOk;
}

tResult CTextList::AddEntry(const tCString& text, int32_t id)
{
    TK_TRY(m_texts.Add(text));
    if (m_ids.Add(id) != kResOk) {
        m_texts.RemoveAt(m_texts.GetCount() - 1);
        return kResNoMemory;
    }
    return kResOk;
}

int32_t CTextList::GetEntryId(int32_t index) const
{
    return m_ids.IsValidIndex(index) ? m_ids[index] : -1;
}

tCString CTextList::GetEntryText(int32_t index)
{
    if (!m_texts.IsValidIndex(index))
        return tCString(u"");
    m_currentIndex = index;
    return m_texts[index];
}

tResult CTextList::WriteData(tCStream& stream, uint32_t version, uint32_t exclusivity, const tCStringArray& texts,
                             const tCArray<int32_t>& ids)
{
    if ((version != 1 && version != 2) || (version == 2 && ids.GetCount() != texts.GetCount()))
        return kResBadParam;
    TK_TRY(stream.WriteU32(exclusivity));
    TK_TRY(stream.WriteU32(uint32_t(texts.GetCount())));
    for (int32_t i = 0; i < texts.GetCount(); ++i) {
        TK_TRY(WriteResourceLine(stream, texts[i]));
        if (version == 2)
            TK_TRY(stream.WriteI32(ids[i]));
    }
    return kResOk;
}
