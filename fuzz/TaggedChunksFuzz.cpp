#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzFile.h"
#include "toolkit/core/TaggedChunks.h"

// Walks the input as tagged chunks, and each payload again as the chunks within it, eight levels
// deep; a payload is read as the writers write one. Every chunk must lie inside its parent,
// right after the one before it.

namespace {

constexpr int64_t kHeaderBytes = 12;
constexpr int kDepth = 8;

void ReadPayload(tCStream& stream, const tChunkHeader& chunk)
{
    if (chunk.length == 4) {
        uint32_t value;
        float number;
        stream.ReadU32(&value);
        stream.SetPosition(chunk.payloadStart);
        stream.ReadFloat(&number);
    } else if (chunk.length == 8) {
        uint64_t value;
        int32_t pair[2];
        stream.ReadU64(&value);
        stream.SetPosition(chunk.payloadStart);
        stream.ReadI32(&pair[0]);
        stream.ReadI32(&pair[1]);
    } else {
        std::vector<uint8_t> bytes(size_t(chunk.length));
        if (stream.ReadBytes(bytes.data(), chunk.length) != kResOk)
            __builtin_trap();
    }
    if (stream.GetPosition() != chunk.GetEnd())
        __builtin_trap();
}

void Walk(tCStream& stream, CChunkReader& reader, int64_t start, int64_t end, int depth)
{
    tChunkHeader chunk;
    for (int64_t next = start; reader.Next(&chunk); next = chunk.GetEnd()) {
        if (chunk.payloadStart != next + kHeaderBytes || chunk.length < 0 || chunk.GetEnd() > end)
            __builtin_trap();
        ReadPayload(stream, chunk);
        if (depth < kDepth) {
            CChunkReader inner(stream, chunk);
            Walk(stream, inner, chunk.payloadStart, chunk.GetEnd(), depth + 1);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CFuzzFile input(data, size);
    tCFile file;
    if (!input.Open(&file))
        return 0;
    CChunkReader reader(file);
    Walk(file, reader, 0, int64_t(size), 0);
    return 0;
}
