#include <algorithm>
#include <cmath>

#include "paint/tools/CToolBase.h"
#include "toolkit/core/tCStream.h"

// The settings record:
//   u32 tool id
//   u32 L1, then block 1: u32 stroke counter, f32 size, u32 tool flag, u32 stroke position,
//                         f32 common property, u32 clean-brush flag (24 bytes when written)
//   u32 L2, then block 2: the tool's extra settings
// A reader takes the fields of a shorter block 1 that are there, skips the rest of a longer
// one, and hands the tool exactly the bytes of block 2. A record read whole rebuilds the tool's
// nib tables; one that fails leaves block 1 as it was.

namespace {

constexpr int64_t kLengthBytes = 4;

// Writes a placeholder, lets `body` write, then writes the body's length over the placeholder
// and returns to the body's end.
template <typename Body>
tResult WriteWithLength(tCStream* stream, Body body)
{
    const int64_t placeholder = stream->GetPosition();
    TK_TRY(stream->WriteU32(0));
    TK_TRY(body());
    const int64_t end = stream->GetPosition();
    if (placeholder < 0 || end < 0)
        return kResFileIO;
    TK_TRY(stream->SetPosition(placeholder));
    TK_TRY(stream->WriteU32(uint32_t(end - placeholder - kLengthBytes)));
    return stream->SetPosition(end);
}

// Block 1 as read, before it is taken over.
struct SharedSettings {
    uint32_t strokeCount = 0;
    float size = 0.0f;
    uint32_t toolFlag = 0;
    uint32_t strokePosition = 0;
    float commonProperty = 0.0f;
    uint32_t cleanBrush = 0;
};

}  // namespace

tResult CToolBase::WriteSettings(tCStream* stream)
{
    if (!stream)
        return kResBadParam;
    TK_TRY(stream->WriteU32(m_id));
    TK_TRY(WriteWithLength(stream, [&] {
        TK_TRY(stream->WriteU32(m_strokeCount));
        TK_TRY(stream->WriteFloat(m_size));
        TK_TRY(stream->WriteU32(m_toolFlag));
        TK_TRY(stream->WriteU32(m_strokePosition));
        TK_TRY(stream->WriteFloat(m_commonProperty));
        return stream->WriteU32(m_cleanBrush);
    }));
    return WriteWithLength(stream, [&] { return WriteExtraSettings(stream); });
}

// The record is copied out of the stream up to its end first, so that no length inside it can
// lead a read into the chunks after it: a length that runs past the end answers 16.
tResult CToolBase::ReadSettings(tCStream* stream, int64_t recordEnd)
{
    if (!stream)
        return kResBadParam;
    const int64_t start = stream->GetPosition();
    if (start < 0)
        return kResFileIO;
    const int64_t end = std::min(recordEnd, stream->GetLength());
    if (end < start)
        return kResFileIO;
    tCMemFile record;
    TK_TRY(record.GrowBy(end - start));
    TK_TRY(stream->ReadBytes(record.GetData(), end - start));
    TK_TRY(record.Rewind());
    int64_t used = 0;
    const tResult result = ReadRecordBody(record, &used);
    stream->SetPosition(start + used);
    return result;
}

tResult CToolBase::ReadRecordBody(tCMemFile& record, int64_t* used)
{
    uint32_t id = 0;
    TK_TRY(record.ReadU32(&id));
    if (id != m_id)
        return kResFileIO;
    uint32_t length1 = 0;
    TK_TRY(record.ReadU32(&length1));
    const int64_t block1 = record.GetPosition();
    if (block1 + int64_t(length1) + kLengthBytes > record.GetSize())
        return kResFileIO;
    SharedSettings read{m_strokeCount, m_size, m_toolFlag, m_strokePosition, m_commonProperty, m_cleanBrush};
    const auto inBlock = [&] { return record.GetPosition() - block1 < int64_t(length1); };
    TK_TRY(record.ReadU32(&read.strokeCount));
    if (inBlock())
        TK_TRY(record.ReadFloat(&read.size));
    if (inBlock())
        TK_TRY(record.ReadU32(&read.toolFlag));
    if (inBlock())
        TK_TRY(record.ReadU32(&read.strokePosition));
    if (inBlock())
        TK_TRY(record.ReadFloat(&read.commonProperty));
    if (inBlock())
        TK_TRY(record.ReadU32(&read.cleanBrush));
    TK_TRY(record.SetPosition(block1 + length1));
    uint32_t length2 = 0;
    TK_TRY(record.ReadU32(&length2));
    const int64_t block2 = record.GetPosition();
    if (block2 + int64_t(length2) > record.GetSize())
        return kResFileIO;
    if (length2 != 0) {
        tCMemFile extra;
        TK_TRY(extra.WriteBytes(record.GetData() + block2, length2));
        TK_TRY(extra.Rewind());
        TK_TRY(ReadExtraSettings(&extra));
    }
    *used = block2 + length2;

    // Floats that are not finite are refused; the others are clamped.
    m_strokeCount = read.strokeCount;
    if (std::isfinite(read.size))
        m_size = std::clamp(read.size, 0.0f, 10.0f);
    m_toolFlag = read.toolFlag;
    m_strokePosition = read.strokePosition;
    if (std::isfinite(read.commonProperty))
        m_commonProperty = std::clamp(read.commonProperty, 0.0f, 1.0f);
    m_cleanBrush = read.cleanBrush ? 1 : 0;
    // The nib tables follow the settings read, whoever read the record.
    Invalidate();
    return kResOk;
}
