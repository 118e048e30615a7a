#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "FuzzApplication.h"
#include "FuzzFile.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/EngineResources.h"
#include "toolkit/core/tCMemFile.h"

// Reads the input as a canvas preset from memory and from a file, which must agree; a preset
// that was read holds only values a painting can take, and comes back the same from its own
// file. The input is also read as one record of each tag.

namespace {

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameFields(const CCanvasInfo& a, const CCanvasInfo& b)
{
    return a.name == b.name && a.paperName == b.paperName && a.paperColour == b.paperColour &&
           a.paperOpacity == b.paperOpacity && SameBits(a.grainScale, b.grainScale) &&
           SameBits(a.paperSpare, b.paperSpare) && SameBits(a.grainDepth, b.grainDepth) &&
           SameBits(a.paperShine, b.paperShine) && SameBits(a.paperExtra, b.paperExtra) && a.flag == b.flag;
}

bool IsFraction(float value) { return value >= 0.0f && value <= 1.0f; }

void CheckTaken(const CCanvasInfo& info)
{
    if (!IsFraction(info.grainScale) || !IsFraction(info.grainDepth) || !IsFraction(info.paperShine) ||
        !IsFraction(info.paperExtra) || !std::isfinite(info.paperSpare) || info.paperOpacity < 0 ||
        info.paperOpacity > 255)
        std::abort();
}

void RoundTrip(const CCanvasInfo& info)
{
    tCMemFile preset;
    if (info.WritePreset(&preset) != kResOk)
        std::abort();
    CCanvasInfo again;
    again.flag = info.flag;
    if (again.ReadPreset(&preset) != kResOk)
        std::abort();
    // The flag is written as 1 whatever it held.
    again.flag = info.flag;
    if (!SameFields(info, again))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CFuzzApplication application("preset-fuzz-",
                                        {{kStrPresetHeader, u"presets.header", u"Kostrel Canvas Preset"}});
    tCMemFile stream;
    if (size > 0 && stream.WriteBytes(data, int64_t(size)) != kResOk)
        return 0;
    CCanvasInfo fromMemory;
    const tResult read = fromMemory.ReadPreset(&stream);
    CheckTaken(fromMemory);
    if (read == kResOk)
        RoundTrip(fromMemory);

    const CFuzzFile input(data, size);
    tCFile file;
    if (input.Open(&file)) {
        CCanvasInfo fromFile;
        if (fromFile.LoadPreset(&file) != read || !SameFields(fromFile, fromMemory))
            std::abort();
    }

    for (uint32_t tag = 0; tag <= 12; ++tag) {
        CCanvasInfo record;
        stream.Rewind();
        (void)record.ApplyPresetRecord(&stream, tag, int64_t(size));
        CheckTaken(record);
    }
    return 0;
}
