#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCString.h"

class tCStream;

// A tagged chunk is {u32 tag, i64 payload length, payload}, little-endian, chunks following one
// another without padding. Each writer answers 6 without a stream, else the code of the first
// write that fails (the chunk is then incomplete), else 0.
tResult WriteChunkFloat(tCStream* stream, uint32_t tag, float value);
tResult WriteChunkI32(tCStream* stream, uint32_t tag, int32_t value);
tResult WriteChunkU32(tCStream* stream, uint32_t tag, uint32_t value);
tResult WriteChunkU64(tCStream* stream, uint32_t tag, uint64_t value);
tResult WriteChunkI32Pair(tCStream* stream, uint32_t tag, const int32_t pair[2]);
tResult WriteChunkFloatPair(tCStream* stream, uint32_t tag, const float pair[2]);
tResult WriteChunkBytes(tCStream* stream, uint32_t tag, const void* buffer, int64_t count);
// The text as the stream's WriteTextW writes it with a line end; the length counts what is
// really written on that stream.
tResult WriteChunkText(tCStream* stream, uint32_t tag, const tCString& text);
// A chunk whose payload is written straight to the stream, its length known only then, so that
// no copy of a large payload is held: BeginChunk writes the head with no length and notes where
// it stands; EndChunk, at the payload's end, writes the payload's length into that head and
// returns to the end, giving the length. The stream must take a position set back.
tResult BeginChunk(tCStream* stream, uint32_t tag, int64_t* head);
tResult EndChunk(tCStream* stream, int64_t head, int64_t* length = nullptr);

struct tChunkHeader {
    uint32_t tag = 0;
    int64_t length = 0;
    // Where the payload begins in the stream.
    int64_t payloadStart = 0;

    int64_t GetEnd() const { return payloadStart + length; }
};

// Walks a sequence of chunks: each Next moves past the previous chunk's payload, however much
// of it was read, so unknown chunks are skipped by their length. A length that is negative or
// runs past the data (or past the parent chunk) ends the walk with 17.
class CChunkReader {
public:
    // The chunks from the stream's position to its end.
    explicit CChunkReader(tCStream& stream);
    // The chunks inside a parent chunk's payload.
    CChunkReader(tCStream& stream, const tChunkHeader& parent);

    // Leaves the stream at the payload of the next chunk. False at the end of the data or on a
    // failure; GetResult tells which.
    bool Next(tChunkHeader* chunk);
    tResult GetResult() const { return m_result; }

private:
    tCStream& m_stream;
    int64_t m_next;
    int64_t m_end;
    tResult m_result = kResOk;
};
