#include "toolkit/core/tCMemFile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

tCMemFile::tCMemFile() : tCStream(kMemoryStream)
{
    if (m_block.Resize(kBlockStep) != kResOk)
        m_block.Free();
}

void tCMemFile::Reset()
{
    m_block.Resize(kBlockStep);
    m_length = 0;
    m_position = 0;
}

tResult tCMemFile::GrowBy(int64_t count)
{
    if (!IsOpen() || count < 0)
        return kResBadParam;
    const int64_t capacity = m_block.GetCount();
    if (count < capacity - m_length) {
        m_length += count;
        return kResOk;
    }
    if (count > INT32_MAX - kBlockStep - m_length)
        return kResNoMemory;
    TK_TRY(m_block.Resize(int32_t(m_length + count + kBlockStep)));
    m_block.GetData()[m_block.GetCount() - 1] = 0;
    m_length += count;
    return kResOk;
}

tResult tCMemFile::ReadBytes(void* buffer, int64_t count)
{
    if (!IsOpen())
        return kResFileInvalid;
    if (count < 0 || (!buffer && count > 0))
        return kResBadParam;
    if (IsAtEnd())
        return kResFileIO;
    if (count > Remaining()) {
        m_position = LastBytePosition();
        return kResFileIO;
    }
    if (count > 0)
        std::memcpy(buffer, GetData() + m_position, size_t(count));
    m_position += count;
    return kResOk;
}

tResult tCMemFile::ReadFixed(void* value, size_t size)
{
    return ReadBytes(value, int64_t(size));
}

tResult tCMemFile::ReadAvailable(void* buffer, int64_t count, int64_t* got)
{
    *got = 0;
    if (!IsOpen())
        return kResFileInvalid;
    if (count < 0)
        return kResBadParam;
    const int64_t n = std::min(count, std::max<int64_t>(Remaining(), 0));
    if (n > 0)
        std::memcpy(buffer, GetData() + m_position, size_t(n));
    m_position += n;
    *got = n;
    return kResOk;
}

tResult tCMemFile::WriteBytes(const void* buffer, int64_t count)
{
    if (!IsOpen())
        return kResFileInvalid;
    if (count < 0 || (!buffer && count > 0))
        return kResBadParam;
    if (count > Remaining())
        TK_TRY(GrowBy(count - Remaining()));
    if (count > 0)
        std::memcpy(GetData() + m_position, buffer, size_t(count));
    m_position += count;
    return kResOk;
}

tResult tCMemFile::ReadTextLine(tCString& text)
{
    TK_TRY(CheckCanRead());
    const char* start = reinterpret_cast<const char*>(GetData() + m_position);
    // The scan stops at the end of the data, never in the spare bytes beyond it.
    const void* nul = std::memchr(start, 0, size_t(Remaining()));
    const int64_t bytes = nul ? static_cast<const char*>(nul) - start : Remaining();
    TK_TRY(text.AssignFromAnsi(start, size_t(bytes)));
    if (!nul) {
        m_position = m_length;
        return kResFileIO;
    }
    m_position += bytes + 1;
    return kResOk;
}

tResult tCMemFile::ReadTextLineW(tCString& text)
{
    if (m_narrowText)
        return ReadTextLine(text);
    TK_TRY(CheckCanRead());
    const unsigned char* bytes = GetData() + m_position;
    const int64_t units = Remaining() / 2;
    std::u16string line;
    int64_t length = 0;
    while (length < units) {
        const char16_t unit = char16_t(bytes[2 * length] | bytes[2 * length + 1] << 8);
        if (unit == 0)
            break;
        line += unit;
        ++length;
    }
    TK_TRY(text.SetText(line.data(), int32_t(line.size())));
    if (length == units) {
        m_position = m_length;
        return kResFileIO;
    }
    m_position += 2 * length + 2;
    return kResOk;
}

tResult tCMemFile::WriteText(const tCString& text, bool lineEnd)
{
    if (!IsOpen())
        return kResFileInvalid;
    std::string bytes = text.ToAnsi();
    if (lineEnd)
        bytes += "\r\n";
    return WriteBytes(bytes.c_str(), int64_t(bytes.size()) + 1);
}

tResult tCMemFile::WriteTextW(const tCString& text, bool lineEnd)
{
    if (m_narrowText)
        return WriteText(text, lineEnd);
    if (!IsOpen())
        return kResFileInvalid;
    std::u16string units(text.View());
    if (lineEnd)
        units += u"\r\n";
    units += char16_t(0);
    const std::string bytes = LittleEndianUnits(units);
    return WriteBytes(bytes.data(), int64_t(bytes.size()));
}

int64_t tCMemFile::GetTextWSize(const tCString& text, bool lineEnd) const
{
    const int64_t ending = lineEnd ? 2 : 0;
    if (m_narrowText)
        return int64_t(text.ToAnsi().size()) + ending + 1;
    return 2 * (int64_t(text.GetLength()) + ending + 1);
}

tResult tCMemFile::Rewind()
{
    if (!IsOpen())
        return kResFileInvalid;
    m_position = 0;
    return kResOk;
}

tResult tCMemFile::SeekToEnd()
{
    if (!IsOpen())
        return kResFileInvalid;
    m_position = m_length;
    return kResOk;
}

tResult tCMemFile::GetPosition64(uint64_t* position)
{
    if (!IsOpen())
        return kResFileInvalid;
    *position = uint64_t(m_position);
    return kResOk;
}

tResult tCMemFile::SetPosition(int64_t position)
{
    if (!IsOpen() || position < 0)
        return kResBadParam;
    if (position > m_length) {
        m_position = LastBytePosition();
        return kResFileIO;
    }
    m_position = position;
    return kResOk;
}
