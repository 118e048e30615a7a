#include <cstddef>
#include <cstdint>

#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CGradient.h"
#include "toolkit/imaging/CNoise.h"

// Reads the input as a noise chunk, as a gradient's stream form and as gradient resource data.

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The resource reader's error boxes are recorded, not shown.
    static ErrorBoxRecorder boxes;
    tCMemFile stream;
    if (size > 0 && stream.WriteBytes(data, int64_t(size)) != kResOk)
        return 0;
    stream.Rewind();
    CNoise noise;
    if (noise.Read(stream) == kResOk)
        noise.GetColourMap().GetTable();
    stream.Rewind();
    CGradient gradient(0xFF000000, 0xFFFFFFFF);
    if (gradient.Read(stream) == kResOk)
        gradient.GetTable();
    stream.Rewind();
    CGradient fromResource(0xFF000000, 0xFFFFFFFF);
    fromResource.ReadResData(stream);
    uint32_t colour;
    fromResource.GetColourAt(&colour, 3, 7);
    return 0;
}
