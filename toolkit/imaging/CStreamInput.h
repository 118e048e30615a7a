#pragma once

#include <algorithm>
#include <cstdint>

#include "toolkit/core/tCStream.h"

// The stream as a decoder sees it: every read is checked against what is left, so a short file
// is found before a read is made and nothing past the data is ever asked for. It keeps the
// position itself, so nothing else may move the stream while it is in use. It has no
// destructor, so it may live in frames that a codec library's long jump leaves.
class CStreamInput {
public:
    explicit CStreamInput(tCStream* stream) : m_stream(stream)
    {
        const int64_t position = stream->GetPosition();
        if (position < 0)
            return;
        m_position = position;
        m_end = std::max(stream->GetLength(), position);
    }

    int64_t Remaining() const { return m_end - m_position; }
    int64_t GetPosition() const { return m_position; }
    int64_t GetLength() const { return m_end; }

    bool Read(void* buffer, int64_t count)
    {
        if (count < 0 || count > Remaining())
            return false;
        if (count > 0 && m_stream->ReadBytes(buffer, count) != kResOk)
            return false;
        m_position += count;
        return true;
    }

    // Reads what there is, up to `count` bytes: how many, or -1 when the stream fails.
    int64_t ReadSome(void* buffer, int64_t count)
    {
        const int64_t take = std::clamp<int64_t>(Remaining(), 0, count);
        return Read(buffer, take) ? take : -1;
    }

    bool Skip(int64_t count)
    {
        if (count < 0 || count > Remaining())
            return false;
        return MoveTo(m_position + count);
    }

    // Any position from the start of the stream to its end.
    bool MoveTo(int64_t position)
    {
        if (position < 0 || position > m_end)
            return false;
        if (position != m_position && m_stream->SetPosition(position) != kResOk)
            return false;
        m_position = position;
        return true;
    }

    bool ReadU8(uint8_t* value) { return Read(value, 1); }
    bool ReadBigU16(uint16_t* value)
    {
        uint8_t b[2];
        if (!Read(b, 2))
            return false;
        *value = uint16_t(b[0] << 8 | b[1]);
        return true;
    }
    bool ReadBigU32(uint32_t* value)
    {
        uint8_t b[4];
        if (!Read(b, 4))
            return false;
        *value = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
        return true;
    }

private:
    tCStream* m_stream;
    int64_t m_position = 0;
    int64_t m_end = 0;
};
