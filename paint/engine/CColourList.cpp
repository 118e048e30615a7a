#include "paint/engine/CColourList.h"

#include <algorithm>
#include <climits>

#include "paint/engine/EngineResources.h"
#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/core/FileDialogs.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCString.h"

namespace {

// Colours are read a block at a time: a read through a stream window moves the file beneath it.
constexpr int32_t kColoursPerBlock = 4096;

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
    int64_t position = stream->GetPosition();
    if (position < 0)
        return kResFileIO;
    // A count past the data gives the whole colours there are; a colour cut short after them is
    // an error.
    const int64_t left = std::max<int64_t>(stream->GetLength() - position, 0);
    if (count > left / 4 && left % 4 != 0)
        return kResFileIO;
    const int64_t whole = std::min<int64_t>(count, left / 4);
    tCArray<uint32_t> colours;
    uint8_t block[4 * kColoursPerBlock];
    for (int64_t done = 0; done < whole;) {
        const int32_t n = int32_t(std::min<int64_t>(whole - done, kColoursPerBlock));
        TK_TRY(stream->ReadBytes(block, 4 * n));
        // A file stream hands over what there was of a read that the file's end cut short.
        position += 4 * n;
        if (stream->GetPosition() != position)
            return kResFileIO;
        done += n;
        // Without memory for more colours the list keeps those it has.
        const int32_t have = colours.GetCount();
        if (n > INT32_MAX - have || colours.SetCount(have + n) != kResOk)
            break;
        for (int32_t i = 0; i < n; ++i)
            colours[have + i] = DecodeLittleEndian<uint32_t>(block + 4 * i);
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
