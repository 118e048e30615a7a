#include "paint/engine/CColourList.h"

#include <climits>

#include "paint/engine/EngineResources.h"
#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/core/FileDialogs.h"
#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCString.h"

namespace {

// The header text, or 24 when there is no string table entry for it.
tResult GetHeaderText(tCString& text)
{
    return GetEngineText(kStrColourListHeader, text) ? kResOk : kResCreateFailed;
}

}  // namespace

uint32_t CColourList::GetEntry(int32_t index) const
{
    return m_colours.IsValidIndex(index) ? m_colours[index] : kUnsetColour;
}

void CColourList::Remove(int32_t index)
{
    if (m_colours.IsValidIndex(index))
        (void)m_colours.RemoveAt(index);
}

void CColourList::Clear() { (void)m_colours.SetCount(0); }

tResult CColourList::SetEntry(int32_t index, uint32_t colour)
{
    if (index < 0)
        return kResOk;
    if (index == INT32_MAX)
        return kResNoMemory;
    const int32_t count = m_colours.GetCount();
    if (index >= count) {
        TK_TRY(m_colours.SetCount(index + 1));
        for (int32_t i = count; i < index; ++i)
            m_colours[i] = kUnsetColour;
    }
    m_colours[index] = colour;
    return kResOk;
}

tResult CColourList::Write(tCStream* stream) const
{
    if (!stream || m_colours.IsEmpty())
        return kResOk;
    tCMemFile payload;
    TK_TRY(payload.WriteU32(uint32_t(m_colours.GetCount())));
    for (uint32_t colour : m_colours)
        TK_TRY(payload.WriteU32(colour));
    return WriteChunkBytes(stream, kTagColourList, payload.GetData(), payload.GetSize());
}

tResult CColourList::Read(tCStream* stream)
{
    if (!stream || stream->IsAtEnd())
        return kResOk;
    uint32_t count;
    TK_TRY(stream->ReadU32(&count));
    tCArray<uint32_t> colours;
    for (uint32_t i = 0; i < count && !stream->IsAtEnd(); ++i) {
        uint32_t colour;
        TK_TRY(stream->ReadU32(&colour));
        // Without memory for a colour the list goes on without it.
        (void)colours.Add(colour);
    }
    m_colours = std::move(colours);
    return kResOk;
}

tResult CColourList::Save(tCStream* stream) const
{
    if (!stream || m_colours.IsEmpty())
        return kResOk;
    tCString header;
    TK_TRY(GetHeaderText(header));
    TK_TRY(stream->Rewind());
    TK_TRY(stream->WriteTextW(header, true));
    return Write(stream);
}

tResult CColourList::SaveFile(tCFPath& path) const
{
    if (m_colours.IsEmpty())
        return kResOk;
    CSafeFileWriter writer;
    TK_TRY(OpenFileForSafeSave(&writer, path, nullptr));
    TK_TRY(Save(&writer.GetFile()));
    return writer.Commit();
}

tResult CColourList::Load(tCStream* stream)
{
    if (!stream)
        return kResOk;
    tCString expected;
    TK_TRY(GetHeaderText(expected));
    TK_TRY(stream->Rewind());
    tCString header;
    TK_TRY(stream->ReadLineW(header));
    if (header.View() != expected.View())
        return kResFileInvalid;
    uint32_t tag;
    TK_TRY(stream->ReadU32(&tag));
    if (tag != kTagColourList)
        return kResFileInvalid;
    uint64_t length;
    TK_TRY(stream->ReadU64(&length));
    if (stream->IsAtEnd())
        return kResFileIO;
    TK_TRY(Read(stream));
    return SendToBackdrop(kMsgColourListChanged, ToMsgArg(this), 0, 0);
}
