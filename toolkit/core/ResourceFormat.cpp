#include "toolkit/core/ResourceFormat.h"

#include <cstdint>
#include <string>

#include "toolkit/core/tCStream.h"

tResult ReadResourceChunkHeader(tCStream& stream, tResourceChunk* chunk)
{
    const int64_t start = stream.GetPosition();
    if (start < 0)
        return kResFileIO;
    const int64_t length = stream.GetLength();
    if (length - start < kResourceChunkHeaderBytes)
        return kResFileInvalid;
    uint32_t tag, size;
    TK_TRY(stream.ReadU32(&tag));
    TK_TRY(stream.ReadU32(&size));
    const int64_t payloadEnd = start + kResourceChunkHeaderBytes + int64_t(size);
    if (payloadEnd > length)
        return kResFileInvalid;
    chunk->tag = tag;
    chunk->start = start;
    chunk->payloadEnd = payloadEnd;
    return kResOk;
}

tResult CheckWithinPayload(tCStream& stream, int64_t payloadEnd)
{
    const int64_t position = stream.GetPosition();
    return (position < 0 || position > payloadEnd) ? kResFileInvalid : kResOk;
}

tResult ReadResourcePreamble(tCStream& stream, int64_t payloadEnd, uint32_t* id, tCString* name)
{
    TK_TRY(stream.ReadU32(id));
    TK_TRY(CheckWithinPayload(stream, payloadEnd));
    return name ? ReadResourceName(stream, payloadEnd, name) : kResOk;
}

tResult ReadResourceName(tCStream& stream, int64_t payloadEnd, tCString* name)
{
    TK_TRY(stream.ReadLineW(*name));
    return CheckWithinPayload(stream, payloadEnd);
}

tResult WriteResourceChunk(tCStream& stream, uint32_t tag, const void* payload, int64_t size)
{
    if (size < 0 || size > int64_t(UINT32_MAX) || (!payload && size > 0))
        return kResBadParam;
    TK_TRY(stream.WriteU32(tag));
    TK_TRY(stream.WriteU32(uint32_t(size)));
    return stream.WriteBytes(payload, size);
}

tResult WriteVersionChunk(tCStream& stream, uint32_t version)
{
    TK_TRY(stream.WriteU32(kResourceVersionTag));
    TK_TRY(stream.WriteU32(4));
    return stream.WriteU32(version);
}

tResult WriteResourcePreamble(tCStream& payload, uint32_t id, const tCString& name)
{
    TK_TRY(payload.WriteU32(id));
    return WriteResourceLine(payload, name);
}

tResult WriteResourceLine(tCStream& stream, const tCString& text)
{
    std::u16string units(text.View());
    units += u"\r\n";
    const std::string bytes = tCStream::LittleEndianUnits(units);
    return stream.WriteBytes(bytes.data(), int64_t(bytes.size()));
}

tResult ReadStoredLine(tCStream& stream, tCString* text)
{
    const int64_t start = stream.GetPosition();
    if (start < 0)
        return kResFileIO;
    TK_TRY(stream.ReadLineW(*text));
    // The stored bytes themselves are compared: byte-order marks inside a line are read as
    // marks and change how the units after them read, so the length alone can agree by chance.
    std::u16string units(text->View());
    units += u"\r\n";
    const std::string expected = tCStream::LittleEndianUnits(units);
    std::string stored(expected.size(), '\0');
    if (stream.GetPosition() != start + int64_t(expected.size()) || stream.SetPosition(start) != kResOk ||
        stream.ReadBytes(stored.data(), int64_t(stored.size())) != kResOk || stored != expected)
        return kResFileInvalid;
    return kResOk;
}

bool IsStorableLine(const tCString& text)
{
    return text.View().find_first_of(std::u16string_view(u"\r\n\0\uFEFF\uFFFE", 5)) == std::u16string_view::npos;
}
