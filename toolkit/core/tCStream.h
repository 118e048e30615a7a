#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCString.h"

// The byte stream every file format is read and written through. Values are little-endian;
// floats and doubles are their IEEE bytes; a bool is a 4-byte integer. Codes: 6 bad parameter,
// 16 a read or write failed (also a read at the end), 17 the stream is not open.
class tCStream : public tCBaseObject {
public:
    enum Kind : int32_t { kFileStream = 1, kMemoryStream = 2, kWindowStream = 3 };

    int32_t GetKind() const { return m_kind; }
    // A file stream with a file, a memory stream with its block.
    virtual bool IsOpen() const = 0;

    // Each reads the whole value or answers a failure and leaves the destination unchanged.
    tResult ReadI8(int8_t* value);
    tResult ReadI16(int16_t* value);
    tResult ReadI32(int32_t* value);
    tResult ReadI64(int64_t* value);
    tResult ReadU8(uint8_t* value);
    tResult ReadU16(uint16_t* value);
    tResult ReadU32(uint32_t* value);
    tResult ReadU64(uint64_t* value);
    tResult ReadFloat(float* value);
    tResult ReadDouble(double* value);
    tResult ReadBool(bool* value);

    tResult WriteI8(int8_t value);
    tResult WriteI16(int16_t value);
    tResult WriteI32(int32_t value);
    tResult WriteI64(int64_t value);
    tResult WriteU8(uint8_t value);
    tResult WriteU16(uint16_t value);
    tResult WriteU32(uint32_t value);
    tResult WriteU64(uint64_t value);
    tResult WriteFloat(float value);
    tResult WriteDouble(double value);
    tResult WriteBool(bool value);

    virtual tResult ReadBytes(void* buffer, int64_t count) = 0;
    virtual tResult WriteBytes(const void* buffer, int64_t count) = 0;

    // Text lines come back with their first terminator character, which callers strip.
    virtual tResult ReadTextLine(tCString& text) = 0;
    virtual tResult ReadTextLineW(tCString& text) = 0;
    // A UTF-16 line without its break: ReadTextLineW less the final LF (and a CR before it).
    tResult ReadLineW(tCString& text);
    // UTF-16 units up to a CR or NUL unit, which is passed; a LF or a byte-order mark at the
    // start is skipped, so strings written with line ends read back one after another.
    tResult ReadStringW(tCString& text);
    virtual tResult WriteText(const tCString& text, bool lineEnd) = 0;
    virtual tResult WriteTextW(const tCString& text, bool lineEnd) = 0;
    // How many bytes WriteTextW of this text writes on this stream.
    virtual int64_t GetTextWSize(const tCString& text, bool lineEnd) const = 0;

    // The unit 0xFEFF: the bytes FF FE.
    tResult WriteByteOrderMark() { return WriteU16(0xFEFF); }

    virtual tResult Rewind() = 0;
    virtual tResult SeekToEnd() = 0;
    virtual tResult GetPosition64(uint64_t* position) = 0;
    // A position before the start is refused with 6.
    virtual tResult SetPosition(int64_t position) = 0;
    // True when nothing is open or the position is at or past the end.
    virtual bool IsAtEnd() = 0;
    virtual int64_t GetLength() = 0;

    // The position, or -1 when the stream cannot tell it.
    int64_t GetPosition();

    // While set, the UTF-16 text operations use the narrow forms. Answers the flag.
    int32_t SetNarrowText(int32_t narrow)
    {
        m_narrowText = narrow;
        return narrow;
    }
    bool IsNarrowText() const { return m_narrowText != 0; }
    bool IsByteSwapped() const { return m_byteSwapped != 0; }

    // UTF-16 units as the little-endian bytes written for them.
    static std::string LittleEndianUnits(std::u16string_view units);

protected:
    explicit tCStream(int32_t kind) : m_kind(kind) {}

    // Reads exactly `size` bytes of a fixed-width value, or fails.
    virtual tResult ReadFixed(void* value, size_t size) = 0;
    // Reads up to `count` bytes; `got` says how many came. Short only at the end of the data.
    virtual tResult ReadAvailable(void* buffer, int64_t count, int64_t* got) = 0;

    // 17 when the stream is not open, 16 at its end, else 0: where every text read begins.
    tResult CheckCanRead();
    // Applies a byte-order mark unit to the byte-swapped flag; true when the unit was one.
    bool TakeByteOrderMark(char16_t unit);
    // Exchanges the bytes of a unit read while the byte-swapped flag is set.
    char16_t Unswap(char16_t unit) const;

    int32_t m_byteSwapped = 0;
    int32_t m_narrowText = 0;

private:
    template <typename T>
    tResult ReadLittleEndian(T* value);
    template <typename T>
    tResult WriteLittleEndian(T value);

    int32_t m_kind;
};
