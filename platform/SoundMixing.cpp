#include "platform/SoundMixing.h"

#include <algorithm>

namespace w32 {
namespace {

struct tFrame {
    int32_t left;
    int32_t right;
};

// 8-bit samples are unsigned around 128; both depths come out on the 16-bit scale.
tFrame ReadFrame(const tPcmVoice& voice, uint32_t index)
{
    const size_t bytesPerSample = voice.bits / 8;
    const uint8_t* at = voice.samples.data() + size_t(index) * voice.channels * bytesPerSample;
    auto sample = [&](int channel) {
        const uint8_t* p = at + channel * bytesPerSample;
        return voice.bits == 16 ? int32_t(int16_t(uint16_t(p[0] | p[1] << 8))) : (int32_t(p[0]) - 128) * 256;
    };
    const int32_t left = sample(0);
    return {left, voice.channels == 2 ? sample(1) : left};
}

int32_t Lerp(int32_t a, int32_t b, uint32_t fraction16)
{
    return a + int32_t((int64_t(b - a) * fraction16) >> 16);
}

void Rewind(tPcmVoice& voice)
{
    voice.playing = false;
    voice.position = 0;
}

}  // namespace

void MixVoice(tPcmVoice& voice, int32_t* accumulator, uint32_t frames, uint32_t outputRate)
{
    if (!voice.playing || voice.locked || outputRate == 0)
        return;
    const uint64_t step = (uint64_t(voice.rate) << 32) / outputRate;
    for (uint32_t i = 0; i < frames; ++i) {
        const uint64_t index = voice.position >> 32;
        if (index >= voice.frames)
            break;
        const uint32_t fraction = uint32_t(voice.position >> 16) & 0xFFFF;
        const tFrame here = ReadFrame(voice, uint32_t(index));
        const tFrame next = ReadFrame(voice, uint32_t(std::min<uint64_t>(index + 1, voice.frames - 1)));
        accumulator[2 * i] += Lerp(here.left, next.left, fraction);
        accumulator[2 * i + 1] += Lerp(here.right, next.right, fraction);
        voice.position += step;
    }
    if ((voice.position >> 32) >= voice.frames)
        Rewind(voice);
}

void MixVoices(tPcmVoice* const* voices, size_t count, int16_t* out, uint32_t frames, uint32_t outputRate,
               std::vector<int32_t>& accumulator)
{
    accumulator.assign(size_t(frames) * 2, 0);
    for (size_t v = 0; v < count; ++v)
        MixVoice(*voices[v], accumulator.data(), frames, outputRate);
    for (size_t i = 0; i < accumulator.size(); ++i)
        out[i] = int16_t(std::clamp(accumulator[i], -32768, 32767));
}

}  // namespace w32
