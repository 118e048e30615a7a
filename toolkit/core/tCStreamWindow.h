#pragma once

#include "toolkit/core/tCStream.h"

// The `length` bytes of another stream from `start` (a chunk's payload) as a stream of their own,
// read where they lie, so that no copy of a large payload is held. Its positions count from
// `start` and it ends at the window's end: nothing before or past the window is ever read. The
// other stream is moved to each read's place first, so others may move it in between; it must
// outlive the window. It only reads bytes: its text reads and every write answer 16.
class tCStreamWindow : public tCStream {
public:
    tCStreamWindow() : tCStream(kWindowStream) {}
    tCStreamWindow(const tCStreamWindow&) = delete;
    tCStreamWindow& operator=(const tCStreamWindow&) = delete;

    // Opens the window at its start: 6 for a negative start or length, 16 when the window runs
    // past the other stream's end (the window is closed then).
    tResult Open(tCStream& stream, int64_t start, int64_t length);

    bool IsOpen() const override { return m_stream && m_stream->IsOpen(); }

    // A read that would pass the window's end reads nothing and answers 16; so does one that the
    // other stream ends inside.
    tResult ReadBytes(void* buffer, int64_t count) override;
    tResult WriteBytes(const void* buffer, int64_t count) override;

    tResult ReadTextLine(tCString& text) override;
    tResult ReadTextLineW(tCString& text) override;
    tResult WriteText(const tCString& text, bool lineEnd) override;
    tResult WriteTextW(const tCString& text, bool lineEnd) override;
    int64_t GetTextWSize(const tCString& text, bool lineEnd) const override;

    tResult Rewind() override;
    tResult SeekToEnd() override;
    tResult GetPosition64(uint64_t* position) override;
    // Up to the window's length; beyond it the position stays and the answer is 16.
    tResult SetPosition(int64_t position) override;
    bool IsAtEnd() override { return !IsOpen() || m_position >= m_length; }
    int64_t GetLength() override { return m_length; }

protected:
    tResult ReadFixed(void* value, size_t size) override;
    tResult ReadAvailable(void* buffer, int64_t count, int64_t* got) override;

private:
    tCStream* m_stream = nullptr;
    int64_t m_start = 0;
    int64_t m_length = 0;
    int64_t m_position = 0;
};
