#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The arithmetic of the sound output: PCM voices mixed into 16-bit stereo frames at the output's
// rate, with linear interpolation between a voice's frames.
namespace w32 {

struct tPcmVoice {
    std::vector<uint8_t> samples;
    uint32_t frames = 0;
    uint32_t rate = 0;
    uint16_t channels = 1;
    uint16_t bits = 8;
    // In frames, 32.32 fixed point.
    uint64_t position = 0;
    bool playing = false;
    bool locked = false;
};

// Adds `frames` output frames of a playing, unlocked voice to the stereo accumulator (left,
// right, left, ...). A voice that reaches its end stops and returns to its start.
void MixVoice(tPcmVoice& voice, int32_t* accumulator, uint32_t frames, uint32_t outputRate);

// Mixes the voices into `frames` 16-bit stereo frames, clamping their sum; `accumulator` is
// scratch space that grows as needed.
void MixVoices(tPcmVoice* const* voices, size_t count, int16_t* out, uint32_t frames, uint32_t outputRate,
               std::vector<int32_t>& accumulator);

}  // namespace w32
