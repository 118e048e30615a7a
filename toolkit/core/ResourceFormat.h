#pragma once

#include <cstdint>

#include "toolkit/core/FourCC.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCString.h"

class tCStream;

// The pieces of the resource file's chunk format that its readers and writers share.
inline constexpr uint32_t kResourceVersionTag = MakeFourCC("vers");
inline constexpr int64_t kResourceChunkHeaderBytes = 8;

struct tResourceChunk {
    uint32_t tag = 0;
    int64_t start = 0;
    int64_t payloadEnd = 0;
};

// Reads the chunk header at the stream's position. 17 when fewer than 8 bytes remain or the
// payload runs past the end of the stream.
tResult ReadResourceChunkHeader(tCStream& stream, tResourceChunk* chunk);
// Reads a resource payload's id and, when `name` is given, its name line; 17 when they run
// past the payload.
tResult ReadResourcePreamble(tCStream& stream, int64_t payloadEnd, uint32_t* id, tCString* name);
// Reads a resource's name line; 17 when it runs past the payload.
tResult ReadResourceName(tCStream& stream, int64_t payloadEnd, tCString* name);
// 17 when the stream has read past `payloadEnd`.
tResult CheckWithinPayload(tCStream& stream, int64_t payloadEnd);

// Writes one chunk: tag, u32 size and the payload; 6 for a payload of 4 GiB or more.
tResult WriteResourceChunk(tCStream& stream, uint32_t tag, const void* payload, int64_t size);
tResult WriteVersionChunk(tCStream& stream, uint32_t version);
// The beginning of every resource payload: the id and the name line.
tResult WriteResourcePreamble(tCStream& payload, uint32_t id, const tCString& name);

// A UTF-16 text line as the file stream writes it (units and CR LF), on any stream.
tResult WriteResourceLine(tCStream& stream, const tCString& text);
// Reads a line of a file stream and checks that it was stored as WriteResourceLine stores it:
// 17 for any other break (LF alone, LF CR) or a byte-order mark inside it.
tResult ReadStoredLine(tCStream& stream, tCString* text);
// True when a text can be stored as one line and read back unchanged: no CR, LF or NUL, and no
// U+FEFF or U+FFFE, which the line reader takes for byte-order marks.
bool IsStorableLine(const tCString& text);
