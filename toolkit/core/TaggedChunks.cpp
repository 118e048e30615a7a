#include "toolkit/core/TaggedChunks.h"

#include "toolkit/core/tCStream.h"

namespace {

constexpr int64_t kChunkHeaderBytes = 12;

tResult WriteChunkHeader(tCStream* stream, uint32_t tag, int64_t length)
{
    TK_TRY(stream->WriteI32(int32_t(tag)));
    return stream->WriteI64(length);
}

}  // namespace

tResult WriteChunkFloat(tCStream* stream, uint32_t tag, float value)
{
    if (!stream)
        return kResBadParam;
    TK_TRY(WriteChunkHeader(stream, tag, 4));
    return stream->WriteFloat(value);
}

tResult WriteChunkI32(tCStream* stream, uint32_t tag, int32_t value)
{
    if (!stream)
        return kResBadParam;
    TK_TRY(WriteChunkHeader(stream, tag, 4));
    return stream->WriteI32(value);
}

tResult WriteChunkU32(tCStream* stream, uint32_t tag, uint32_t value)
{
    if (!stream)
        return kResBadParam;
    TK_TRY(WriteChunkHeader(stream, tag, 4));
    return stream->WriteU32(value);
}

tResult WriteChunkU64(tCStream* stream, uint32_t tag, uint64_t value)
{
    if (!stream)
        return kResBadParam;
    TK_TRY(WriteChunkHeader(stream, tag, 8));
    return stream->WriteU64(value);
}

tResult WriteChunkI32Pair(tCStream* stream, uint32_t tag, const int32_t pair[2])
{
    if (!stream || !pair)
        return kResBadParam;
    TK_TRY(WriteChunkHeader(stream, tag, 8));
    TK_TRY(stream->WriteI32(pair[0]));
    return stream->WriteI32(pair[1]);
}

tResult WriteChunkFloatPair(tCStream* stream, uint32_t tag, const float pair[2])
{
    if (!stream || !pair)
        return kResBadParam;
    TK_TRY(WriteChunkHeader(stream, tag, 8));
    TK_TRY(stream->WriteFloat(pair[0]));
    return stream->WriteFloat(pair[1]);
}

tResult WriteChunkBytes(tCStream* stream, uint32_t tag, const void* buffer, int64_t count)
{
    if (!stream || !buffer || count < 0)
        return kResBadParam;
    TK_TRY(WriteChunkHeader(stream, tag, count));
    return stream->WriteBytes(buffer, count);
}

tResult WriteChunkText(tCStream* stream, uint32_t tag, const tCString& text)
{
    if (!stream)
        return kResBadParam;
    TK_TRY(WriteChunkHeader(stream, tag, stream->GetTextWSize(text, true)));
    return stream->WriteTextW(text, true);
}

tResult BeginChunk(tCStream* stream, uint32_t tag, int64_t* head)
{
    if (!stream || !head)
        return kResBadParam;
    *head = stream->GetPosition();
    if (*head < 0)
        return kResFileIO;
    return WriteChunkHeader(stream, tag, 0);
}

tResult EndChunk(tCStream* stream, int64_t head, int64_t* length)
{
    if (!stream || head < 0)
        return kResBadParam;
    const int64_t end = stream->GetPosition();
    const int64_t payload = end - head - kChunkHeaderBytes;
    if (payload < 0)
        return kResFileIO;
    TK_TRY(stream->SetPosition(head + 4));
    TK_TRY(stream->WriteI64(payload));
    TK_TRY(stream->SetPosition(end));
    if (length)
        *length = payload;
    return kResOk;
}

CChunkReader::CChunkReader(tCStream& stream)
    : m_stream(stream), m_next(stream.GetPosition()), m_end(stream.GetLength())
{
    if (m_next < 0)
        m_result = stream.IsOpen() ? kResFileIO : kResFileInvalid;
}

CChunkReader::CChunkReader(tCStream& stream, const tChunkHeader& parent)
    : m_stream(stream), m_next(parent.payloadStart), m_end(parent.GetEnd())
{
}

bool CChunkReader::Next(tChunkHeader* chunk)
{
    if (m_result != kResOk || m_next >= m_end)
        return false;
    m_result = m_stream.SetPosition(m_next);
    if (m_result != kResOk)
        return false;
    if (m_end - m_next < kChunkHeaderBytes) {
        m_result = kResFileIO;
        return false;
    }
    int32_t tag;
    int64_t length;
    m_result = m_stream.ReadI32(&tag);
    if (m_result == kResOk)
        m_result = m_stream.ReadI64(&length);
    if (m_result != kResOk)
        return false;
    const int64_t payloadStart = m_next + kChunkHeaderBytes;
    if (length < 0 || length > m_end - payloadStart) {
        m_result = kResFileInvalid;
        return false;
    }
    chunk->tag = uint32_t(tag);
    chunk->length = length;
    chunk->payloadStart = payloadStart;
    m_next = payloadStart + length;
    return true;
}
