#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "paint/engine/CLayer.h"
#include "paint/engine/CellPlanes.h"
#include "paint/engine/LayerRecordTags.h"
#include "platform/headless/Headless.h"
#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/tCMemFile.h"

// The first byte chooses what the rest is: with its top bit clear, a layer record for a layer of
// 1 + (first & 63) by 1 + (second & 63) cells; with it set, a plane record (of plane second % 5)
// that sizes its map. A layer that reads must write the same record again after a round trip.

namespace {

// Sizes from the input must stay small: the system is said to have room for 400,000 cells.
constexpr uint64_t kFuzzMemory = 4000000;

tResult WriteBytes(CLayer& layer, tCMemFile& out)
{
    out.Reset();
    return layer.WriteRecord(&out, nullptr);
}

void RoundTrip(CLayer& layer)
{
    tCMemFile first;
    if (WriteBytes(layer, first) != kResOk)
        std::abort();
    CLayer again;
    if (again.SetSize(layer.GetWidth(), layer.GetHeight()) != kResOk)
        return;
    first.SetPosition(12);
    if (again.ReadRecord(&first, first.GetSize() - 12, nullptr) != kResOk)
        std::abort();
    tCMemFile second;
    if (WriteBytes(again, second) != kResOk || second.GetSize() != first.GetSize())
        std::abort();
    for (int64_t i = 0; i < first.GetSize(); ++i)
        if (first.GetData()[i] != second.GetData()[i])
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ErrorBoxRecorder boxes;
    static const bool capped = (w32::headless::SetAvailableMemory(kFuzzMemory), true);
    (void)capped;
    if (size < 2)
        return 0;
    tCMemFile stream;
    if (stream.WriteBytes(data + 2, int64_t(size) - 2) != kResOk)
        return 0;
    stream.Rewind();
    if (data[0] & 0x80) {
        CPaintCellMap map;
        ReadPlaneRecord(map, &stream, data[1] % 5, 1, stream.GetSize());
        return 0;
    }
    CLayer layer;
    if (layer.SetSize(1 + (data[0] & 63), 1 + (data[1] & 63)) != kResOk)
        return 0;
    CChunkReader chunks(stream);
    tChunkHeader chunk;
    while (chunks.Next(&chunk)) {
        if (chunk.tag == kTagLayerRecord && layer.ReadRecord(&stream, chunk.length, nullptr) == kResOk)
            RoundTrip(layer);
    }
    return 0;
}
