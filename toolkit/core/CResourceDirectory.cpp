#include "toolkit/core/CResourceDirectory.h"

#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"

tResult CResourceDirectory::Read(tCStream* stream)
{
    if (!stream || !stream->IsOpen())
        return kResBadParam;
    TK_TRY(stream->Rewind());
    while (!stream->IsAtEnd()) {
        tResourceChunk chunk;
        TK_TRY(ReadResourceChunkHeader(*stream, &chunk));
        if (chunk.tag == kResourceVersionTag) {
            if (chunk.payloadEnd - stream->GetPosition() < 4)
                return kResFileInvalid;
            TK_TRY(stream->ReadU32(&m_version));
        } else {
            tResourceEntry entry;
            entry.position = chunk.start;
            TK_TRY(ReadResourcePreamble(*stream, chunk.payloadEnd, &entry.id, &entry.name));
            // Without room for the entry the directory stays usable; the resource is then
            // found by scanning.
            m_entries.Add(std::move(entry));
        }
        TK_TRY(stream->SetPosition(chunk.payloadEnd));
    }
    return kResOk;
}

void CResourceDirectory::Clear()
{
    m_entries.RemoveAll();
}

int64_t CResourceDirectory::FindResourceById(uint32_t id) const
{
    for (const tResourceEntry& entry : m_entries)
        if (entry.id == id)
            return entry.position;
    return -1;
}

int64_t CResourceDirectory::FindResourceByName(const tCString& name) const
{
    if (name.IsNull())
        return -1;
    for (const tResourceEntry& entry : m_entries)
        if (!entry.name.IsNull() && entry.name == name)
            return entry.position;
    return -1;
}
