#include "toolkit/core/tCStream.h"

#include <algorithm>
#include <bit>
#include <string>

#include "toolkit/core/LittleEndian.h"

// Typed reads go through a byte buffer so that a failed read never leaves half a value behind.
template <typename T>
tResult tCStream::ReadLittleEndian(T* value)
{
    uint8_t bytes[sizeof(T)];
    TK_TRY(ReadFixed(bytes, sizeof bytes));
    *value = DecodeLittleEndian<T>(bytes);
    return kResOk;
}

template <typename T>
tResult tCStream::WriteLittleEndian(T value)
{
    uint8_t bytes[sizeof(T)];
    EncodeLittleEndian<T>(value, bytes);
    return WriteBytes(bytes, sizeof bytes);
}

tResult tCStream::ReadI8(int8_t* value) { return ReadLittleEndian(value); }
tResult tCStream::ReadI16(int16_t* value) { return ReadLittleEndian(value); }
tResult tCStream::ReadI32(int32_t* value) { return ReadLittleEndian(value); }
tResult tCStream::ReadI64(int64_t* value) { return ReadLittleEndian(value); }
tResult tCStream::ReadU8(uint8_t* value) { return ReadLittleEndian(value); }
tResult tCStream::ReadU16(uint16_t* value) { return ReadLittleEndian(value); }
tResult tCStream::ReadU32(uint32_t* value) { return ReadLittleEndian(value); }
tResult tCStream::ReadU64(uint64_t* value) { return ReadLittleEndian(value); }

tResult tCStream::WriteI8(int8_t value) { return WriteLittleEndian(value); }
tResult tCStream::WriteI16(int16_t value) { return WriteLittleEndian(value); }
tResult tCStream::WriteI32(int32_t value) { return WriteLittleEndian(value); }
tResult tCStream::WriteI64(int64_t value) { return WriteLittleEndian(value); }
tResult tCStream::WriteU8(uint8_t value) { return WriteLittleEndian(value); }
tResult tCStream::WriteU16(uint16_t value) { return WriteLittleEndian(value); }
tResult tCStream::WriteU32(uint32_t value) { return WriteLittleEndian(value); }
tResult tCStream::WriteU64(uint64_t value) { return WriteLittleEndian(value); }

tResult tCStream::ReadFloat(float* value)
{
    uint32_t bits;
    TK_TRY(ReadU32(&bits));
    *value = std::bit_cast<float>(bits);
    return kResOk;
}

tResult tCStream::ReadDouble(double* value)
{
    uint64_t bits;
    TK_TRY(ReadU64(&bits));
    *value = std::bit_cast<double>(bits);
    return kResOk;
}

tResult tCStream::ReadBool(bool* value)
{
    int32_t stored;
    TK_TRY(ReadI32(&stored));
    *value = stored != 0;
    return kResOk;
}

tResult tCStream::WriteFloat(float value)
{
    return WriteU32(std::bit_cast<uint32_t>(value));
}

tResult tCStream::WriteDouble(double value)
{
    return WriteU64(std::bit_cast<uint64_t>(value));
}

tResult tCStream::WriteBool(bool value)
{
    return WriteI32(value ? 1 : 0);
}

int64_t tCStream::GetPosition()
{
    uint64_t position;
    return GetPosition64(&position) == kResOk ? int64_t(position) : -1;
}

tResult tCStream::CheckCanRead()
{
    if (!IsOpen())
        return kResFileInvalid;
    return IsAtEnd() ? kResFileIO : kResOk;
}

bool tCStream::TakeByteOrderMark(char16_t unit)
{
    if (unit == 0xFFFE) {
        m_byteSwapped = 1;
        return true;
    }
    if (unit == 0xFEFF) {
        m_byteSwapped = 0;
        return true;
    }
    return false;
}

char16_t tCStream::Unswap(char16_t unit) const
{
    // Units above 0xFEFE are left alone so that both marks stay recognisable in either order.
    if (m_byteSwapped && unit <= 0xFEFE)
        return char16_t((unit >> 8) | (unit << 8));
    return unit;
}

tResult tCStream::ReadLineW(tCString& text)
{
    const tResult read = ReadTextLineW(text);
    // Only a break is dropped: a line that ran to the end of the data keeps its last character.
    if (text.GetAt(text.GetLength() - 1) == u'\n')
        text.Erase(text.GetLength() - 1, 1);
    if (text.GetAt(text.GetLength() - 1) == u'\r')
        text.Erase(text.GetLength() - 1, 1);
    return read;
}

tResult tCStream::ReadStringW(tCString& text)
{
    if (m_narrowText)
        return ReadTextLine(text);
    TK_TRY(CheckCanRead());
    const int64_t start = GetPosition();
    if (start < 0)
        return kResFileIO;

    std::u16string gathered;
    int64_t counted = 0;
    bool ended = false;
    uint8_t block[4096];
    while (!ended) {
        int64_t got = 0;
        const tResult read = ReadAvailable(block, sizeof block, &got);
        if (read != kResOk) {
            text.SetText(gathered.data(), int32_t(gathered.size()));
            return read;
        }
        const int64_t units = got / 2;
        for (int64_t i = 0; i < units; ++i) {
            const char16_t unit = Unswap(char16_t(block[2 * i] | block[2 * i + 1] << 8));
            if (counted == 0 && (TakeByteOrderMark(unit) || unit == u'\n')) {
                ++counted;
                continue;
            }
            if (unit == u'\r' || unit == 0) {
                ended = true;
                break;
            }
            gathered += unit;
            ++counted;
        }
        if (got < int64_t(sizeof block))
            break;
    }
    TK_TRY(text.SetText(gathered.data(), int32_t(gathered.size())));
    // Past the terminating unit; a string that ran to the end leaves the stream at its end.
    const int64_t next = start + 2 * counted + 2;
    return SetPosition(std::min(next, GetLength()));
}

std::string tCStream::LittleEndianUnits(std::u16string_view units)
{
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t unit : units) {
        bytes += char(unit & 0xFF);
        bytes += char(unit >> 8);
    }
    return bytes;
}
