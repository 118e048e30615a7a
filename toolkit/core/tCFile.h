#pragma once

#include <cstdio>
#include <string>

#include "toolkit/core/tCStream.h"

class tCFPath;

// A stream over a file. Narrow text is UTF-8, UTF-16 text little-endian; both are written
// without byte-order mark or terminator, lines ended by CR LF.
class tCFile : public tCStream {
public:
    enum Access : int32_t {
        kAccessReadWrite = 0,  // an existing file; OpenOrCreate creates a missing one
        kAccessRead = 1,
        kAccessWrite = 2,  // created or emptied
        kAccessAppend = 3,
    };

    tCFile() : tCStream(kFileStream) {}
    ~tCFile() override;
    tCFile(const tCFile&) = delete;
    tCFile& operator=(const tCFile&) = delete;

    // 6 for a path without text or an unknown access state, 14 when the file cannot be opened.
    // Only a regular file is taken, and the open never waits: a folder, a pipe, a socket or a
    // device gives 14. The file that was open is closed first.
    tResult Open(const tCFPath& path, int32_t access);
    // As Open, but read-write access creates the file when it is missing.
    tResult OpenOrCreate(const tCFPath& path, int32_t access);
    // Takes over an open descriptor of a regular file for reading and writing (private files
    // made with mkstemp stay reachable without a second look-up by name). The descriptor is
    // closed on failure too: 14 when it cannot be taken over.
    tResult AdoptDescriptor(int descriptor);
    // 0 when nothing is open; 15 when the system reports a failure (the file is closed anyway).
    tResult Close();

    // Hands everything written to the storage device; 16 when that fails.
    tResult Sync();

    bool IsOpen() const override { return m_file != nullptr; }
    int64_t GetFileLength() { return GetLength(); }

    // 6 when no file is open. A read cut short by the end of the file succeeds with what was
    // there; ReadBlock tells how many bytes that was.
    tResult ReadBuffer(void* buffer, int64_t count);
    tResult ReadBlock(void* buffer, int64_t count, int64_t* read);
    tResult WriteBuffer(const void* buffer, int64_t count);

    // At the end of the file: 16 and nothing read. Cut short by the end: 0 with the bytes
    // that were there (readers of formats that end early rely on it).
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
    // A position past the end is accepted.
    tResult SetPosition(int64_t position) override;
    bool IsAtEnd() override;
    int64_t GetLength() override;

protected:
    tResult ReadFixed(void* value, size_t size) override;
    tResult ReadAvailable(void* buffer, int64_t count, int64_t* got) override;

private:
    enum class LastAccess { kNone, kRead, kWrite };

    tResult OpenPath(const tCFPath& path, int32_t access, bool create);
    tResult Attach(FILE* file);
    // Reads at most `count` bytes; answers how many came, and sets `failed` on a system error.
    size_t RawRead(void* buffer, size_t count, bool* failed);
    bool RawWrite(const void* buffer, size_t count);
    template <typename Unit>
    tResult GatherLine(std::basic_string<Unit>& line, int64_t* consumed, bool* ended);

    FILE* m_file = nullptr;
    // Reads and writes of a file open for update must be separated by a flush or a seek.
    LastAccess m_lastAccess = LastAccess::kNone;
    // The file's length, or -1 when a write may have changed it.
    int64_t m_length = -1;
};
