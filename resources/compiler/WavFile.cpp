#include "resources/compiler/WavFile.h"

#include <cstdint>

#include "toolkit/core/LittleEndian.h"

namespace {

uint32_t Read32(const std::string& bytes, size_t at)
{
    return DecodeLittleEndian<uint32_t>(reinterpret_cast<const uint8_t*>(bytes.data() + at));
}

uint16_t Read16(const std::string& bytes, size_t at)
{
    return DecodeLittleEndian<uint16_t>(reinterpret_cast<const uint8_t*>(bytes.data() + at));
}

void Put32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += char(value >> (8 * i));
}

void Put16(std::string& out, uint16_t value)
{
    out += char(value & 0xFF);
    out += char(value >> 8);
}

tResult Refuse(std::string* error, const char* why)
{
    *error = why;
    return kResFileInvalid;
}

}  // namespace

tResult NormaliseWav(const std::string& wav, std::string* normalised, std::string* error)
{
    if (wav.size() < 12 || wav.compare(0, 4, "RIFF") != 0 || wav.compare(8, 4, "WAVE") != 0)
        return Refuse(error, "not a RIFF WAVE file");
    uint16_t format = 0, channels = 0, align = 0, bits = 0;
    uint32_t rate = 0;
    bool haveFormat = false;
    std::string samples;
    bool haveData = false;
    for (size_t at = 12; at + 8 <= wav.size();) {
        const std::string id = wav.substr(at, 4);
        const uint32_t size = Read32(wav, at + 4);
        if (size > wav.size() - at - 8)
            return Refuse(error, "a chunk runs past the end of the file");
        if (id == "fmt ") {
            if (size < 16)
                return Refuse(error, "format block too short");
            format = Read16(wav, at + 8);
            channels = Read16(wav, at + 10);
            rate = Read32(wav, at + 12);
            align = Read16(wav, at + 20);
            bits = Read16(wav, at + 22);
            haveFormat = true;
        } else if (id == "data" && !haveData) {
            samples = wav.substr(at + 8, size);
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    if (!haveFormat || !haveData)
        return Refuse(error, "no format block or no data");
    if (format != 1)
        return Refuse(error, "only PCM sound is supported");
    if ((channels != 1 && channels != 2) || (bits != 8 && bits != 16) || align != bits * channels / 8)
        return Refuse(error, "only 8- or 16-bit mono or stereo sound is supported");

    if (samples.size() > UINT32_MAX - 64)
        return Refuse(error, "sound too long");
    const uint32_t pad = uint32_t(samples.size() & 1);
    std::string out = "RIFF";
    Put32(out, uint32_t(4 + 8 + 16 + 8 + samples.size() + pad));
    out += "WAVEfmt ";
    Put32(out, 16);
    Put16(out, format);
    Put16(out, channels);
    Put32(out, rate);
    Put32(out, rate * align);
    Put16(out, align);
    Put16(out, bits);
    out += "data";
    Put32(out, uint32_t(samples.size()));
    out += samples;
    if (pad)
        out += '\0';
    *normalised = std::move(out);
    return kResOk;
}
