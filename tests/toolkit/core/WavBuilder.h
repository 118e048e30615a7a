#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/core/LittleEndianBytes.h"

// WAV files made field by field, as recording programs write them, with every field open to
// a test that wants it wrong.
struct tWavSpec {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t align = 1;
    uint16_t bits = 8;
    // Format blocks of 18 bytes and more carry these extra bytes; a negative count shortens it.
    int32_t formatExtra = 0;
    bool fact = false;
    // A chunk placed between the format block and the samples.
    std::string between;
    std::string data;
};

// PCM with the block align its bits and channels give.
inline tWavSpec Pcm(uint16_t channels, uint32_t rate, uint16_t bits, std::string data)
{
    tWavSpec spec;
    spec.channels = channels;
    spec.rate = rate;
    spec.bits = bits;
    spec.align = uint16_t(channels * bits / 8);
    spec.data = std::move(data);
    return spec;
}

inline std::string MakeWav(const tWavSpec& spec)
{
    std::string format = LittleEndian(spec.tag, 2) + LittleEndian(spec.channels, 2) + LittleEndian(spec.rate, 4) +
                         LittleEndian(uint64_t(spec.rate) * spec.align, 4) + LittleEndian(spec.align, 2) +
                         LittleEndian(spec.bits, 2);
    format.resize(size_t(16 + spec.formatExtra), '\0');
    std::string body = "WAVE";
    body += "fmt " + LittleEndian(format.size(), 4) + format;
    if (spec.fact)
        body += "fact" + LittleEndian(4, 4) + LittleEndian(12345, 4);
    body += spec.between;
    body += "data" + LittleEndian(spec.data.size(), 4) + spec.data;
    return "RIFF" + LittleEndian(body.size(), 4) + body;
}

inline std::string Samples16(const std::vector<int16_t>& samples)
{
    std::string out;
    for (int16_t sample : samples)
        out += LittleEndian(uint16_t(sample), 2);
    return out;
}
