#include "toolkit/core/tCStreamWindow.h"

#include <algorithm>

tResult tCStreamWindow::Open(tCStream& stream, int64_t start, int64_t length)
{
    m_stream = nullptr;
    m_start = 0;
    m_length = 0;
    m_position = 0;
    if (start < 0 || length < 0)
        return kResBadParam;
    if (length > stream.GetLength() - start)
        return kResFileIO;
    m_stream = &stream;
    m_start = start;
    m_length = length;
    return kResOk;
}

tResult tCStreamWindow::ReadBytes(void* buffer, int64_t count)
{
    if (!IsOpen())
        return kResFileInvalid;
    if (count < 0 || (!buffer && count > 0))
        return kResBadParam;
    if (count > m_length - m_position)
        return kResFileIO;
    if (count == 0)
        return kResOk;
    const int64_t from = m_start + m_position;
    TK_TRY(m_stream->SetPosition(from));
    TK_TRY(m_stream->ReadBytes(buffer, count));
    // A file stream answers a read that its end cuts short with what was there: the file was
    // shortened under the window.
    if (m_stream->GetPosition() != from + count)
        return kResFileIO;
    m_position += count;
    return kResOk;
}

tResult tCStreamWindow::ReadFixed(void* value, size_t size)
{
    return ReadBytes(value, int64_t(size));
}

tResult tCStreamWindow::ReadAvailable(void* buffer, int64_t count, int64_t* got)
{
    *got = 0;
    if (count < 0)
        return kResBadParam;
    const int64_t take = std::min(count, std::max<int64_t>(m_length - m_position, 0));
    TK_TRY(ReadBytes(buffer, take));
    *got = take;
    return kResOk;
}

tResult tCStreamWindow::WriteBytes(const void*, int64_t)
{
    return kResFileIO;
}

tResult tCStreamWindow::ReadTextLine(tCString&)
{
    return kResFileIO;
}

tResult tCStreamWindow::ReadTextLineW(tCString&)
{
    return kResFileIO;
}

tResult tCStreamWindow::WriteText(const tCString&, bool)
{
    return kResFileIO;
}

tResult tCStreamWindow::WriteTextW(const tCString&, bool)
{
    return kResFileIO;
}

int64_t tCStreamWindow::GetTextWSize(const tCString&, bool) const
{
    return 0;
}

tResult tCStreamWindow::Rewind()
{
    return SetPosition(0);
}

tResult tCStreamWindow::SeekToEnd()
{
    return SetPosition(m_length);
}

tResult tCStreamWindow::GetPosition64(uint64_t* position)
{
    if (!IsOpen())
        return kResFileInvalid;
    *position = uint64_t(m_position);
    return kResOk;
}

tResult tCStreamWindow::SetPosition(int64_t position)
{
    if (!IsOpen())
        return kResFileInvalid;
    if (position < 0)
        return kResBadParam;
    if (position > m_length)
        return kResFileIO;
    m_position = position;
    return kResOk;
}
