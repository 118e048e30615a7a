#pragma once

#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/tCStream.h"

// A stream over a growable block of memory, used to assemble payloads before they are written
// as one piece and to parse data read in one piece. Its texts are NUL-terminated. The block
// always keeps at least one spare byte beyond the data.
class tCMemFile : public tCStream {
public:
    static constexpr int32_t kBlockStep = 2048;

    tCMemFile();
    tCMemFile(const tCMemFile&) = delete;
    tCMemFile& operator=(const tCMemFile&) = delete;

    // Back to an empty block of 2048 bytes; on a failed reallocation the old block stays.
    void Reset();
    int64_t GetSize() const { return m_length; }
    // Lengthens the data by `count` bytes, which are left as they are; the position stays.
    // 6 for a negative count or without a block, 5 when the block cannot grow that far.
    tResult GrowBy(int64_t count);
    // The data, `GetSize` bytes; readers fill a grown stream through it.
    unsigned char* GetData() { return m_block.GetData(); }
    const unsigned char* GetData() const { return m_block.GetData(); }
    int32_t GetCapacity() const { return m_block.GetCount(); }

    bool IsOpen() const override { return m_block.GetData() != nullptr; }

    // A read that would pass the end copies nothing, leaves the position on the last byte and
    // answers 16.
    tResult ReadBytes(void* buffer, int64_t count) override;
    tResult WriteBytes(const void* buffer, int64_t count) override;

    // The text at the position up to its NUL; without one the rest of the data comes back
    // with 16 and the position at the end.
    tResult ReadTextLine(tCString& text) override;
    tResult ReadTextLineW(tCString& text) override;
    tResult WriteText(const tCString& text, bool lineEnd) override;
    tResult WriteTextW(const tCString& text, bool lineEnd) override;
    int64_t GetTextWSize(const tCString& text, bool lineEnd) const override;

    tResult Rewind() override;
    tResult SeekToEnd() override;
    tResult GetPosition64(uint64_t* position) override;
    // Up to the length; beyond it the position goes to the last byte and the answer is 16.
    tResult SetPosition(int64_t position) override;
    bool IsAtEnd() override { return !IsOpen() || m_position >= m_length; }
    int64_t GetLength() override { return m_length; }

protected:
    tResult ReadFixed(void* value, size_t size) override;
    tResult ReadAvailable(void* buffer, int64_t count, int64_t* got) override;

private:
    int64_t LastBytePosition() const { return m_length > 0 ? m_length - 1 : 0; }
    int64_t Remaining() const { return m_length - m_position; }

    CMemBlock m_block;
    int64_t m_length = 0;
    int64_t m_position = 0;
};
