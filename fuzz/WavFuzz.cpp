#include <cstddef>
#include <cstdint>

#include "toolkit/core/CApp.h"
#include "toolkit/core/CSound.h"
#include "toolkit/core/tCMemFile.h"

// Reads the input as a sound's WAV file; the application's mixer makes the buffer it fills.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CApp application;
    tCMemFile stream;
    if (size > 0 && stream.WriteBytes(data, int64_t(size)) != kResOk)
        return 0;
    stream.Rewind();
    CSound sound;
    sound.ReadWav(stream, stream.GetLength());
    return 0;
}
