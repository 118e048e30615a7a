#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzApplication.h"
#include "paint/engine/CColourList.h"
#include "paint/engine/EngineResources.h"
#include "toolkit/core/tCMemFile.h"

// Loads the input as a colour-list file and reads it as a record's payload; a list that was read
// must come back the same from its own record.

namespace {

void RoundTrip(const CColourList& list)
{
    tCMemFile record;
    if (list.Write(&record) != kResOk)
        std::abort();
    if (list.GetCount() == 0)
        return;
    CColourList again;
    record.SetPosition(12);
    if (again.Read(&record) != kResOk || again.GetCount() != list.GetCount())
        std::abort();
    for (int32_t i = 0; i < list.GetCount(); ++i)
        if (again.GetEntry(i) != list.GetEntry(i))
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CFuzzApplication application("colour-list-fuzz-",
                                        {{kStrColourListHeader, u"colourlist.header", u"Kostrel Colour List"}});
    tCMemFile stream;
    if (size > 0 && stream.WriteBytes(data, int64_t(size)) != kResOk)
        return 0;
    stream.Rewind();
    CColourList list;
    if (list.Load(&stream) == kResOk)
        RoundTrip(list);
    stream.Rewind();
    CColourList payload;
    if (payload.Read(&stream) == kResOk)
        RoundTrip(payload);
    return 0;
}
