#include "toolkit/core/CSound.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CSoundMixer.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"

namespace {

// Counts every sound ever constructed; each takes its serial from it.
std::atomic<uint32_t> gSoundCount{0};

constexpr int64_t kSmallestWav = 20;

struct tWavLayout {
    int32_t bits = 8;
    bool stereo = false;
    uint32_t rate = 0;
    uint32_t dataSize = 0;
};

// Tags are compared as the four bytes in file order.
bool ReadTag(tCStream& stream, const char* expected)
{
    char tag[4];
    return stream.ReadBytes(tag, 4) == kResOk && std::memcmp(tag, expected, 4) == 0;
}

// True when `bytes` more bytes from the stream's position end by `end`.
bool FitsBefore(tCStream& stream, int64_t bytes, int64_t end)
{
    const int64_t position = stream.GetPosition();
    return position >= 0 && bytes <= end - position;
}

// The header of a WAV file from its "RIFF" tag to the first sample; false for anything but PCM
// of 8 or 16 bits, mono or stereo, at a rate above 0, or for a block that runs past `end`.
bool ReadWavHeader(tCStream& stream, int64_t end, tWavLayout* layout)
{
    uint32_t riffSize = 0, formatSize = 0;
    if (!ReadTag(stream, "RIFF") || stream.ReadU32(&riffSize) != kResOk || !FitsBefore(stream, int64_t(riffSize) - 4, end))
        return false;
    if (!ReadTag(stream, "WAVE") || !ReadTag(stream, "fmt ") || stream.ReadU32(&formatSize) != kResOk)
        return false;
    // A short format block would make the skip below move backwards.
    const int64_t formatStart = stream.GetPosition();
    if (formatSize < 16 || !FitsBefore(stream, formatSize, end))
        return false;
    uint16_t tag = 0, channels = 0, align = 0, bits = 0;
    uint32_t rate = 0, byteRate = 0;
    if (stream.ReadU16(&tag) != kResOk || stream.ReadU16(&channels) != kResOk || stream.ReadU32(&rate) != kResOk ||
        stream.ReadU32(&byteRate) != kResOk || stream.ReadU16(&align) != kResOk || stream.ReadU16(&bits) != kResOk)
        return false;
    if (bits == 0 && align == 1)
        bits = 8;
    if (tag != 1 || (channels != 1 && channels != 2) || rate == 0 || (bits != 8 && bits != 16) ||
        align != bits * channels / 8)
        return false;
    if (stream.SetPosition(formatStart + formatSize) != kResOk)
        return false;

    char next[4];
    if (stream.ReadBytes(next, 4) != kResOk)
        return false;
    if (std::memcmp(next, "fact", 4) == 0) {
        uint32_t factSize = 0;
        if (stream.ReadU32(&factSize) != kResOk || !FitsBefore(stream, factSize, end) ||
            stream.SetPosition(stream.GetPosition() + factSize) != kResOk || stream.ReadBytes(next, 4) != kResOk)
            return false;
    }
    if (std::memcmp(next, "data", 4) != 0 || stream.ReadU32(&layout->dataSize) != kResOk ||
        !FitsBefore(stream, layout->dataSize, end))
        return false;
    layout->bits = bits;
    layout->stereo = channels == 2;
    layout->rate = rate;
    return true;
}

}  // namespace

CSound::CSound() : tCResourceObject(kType), m_serial(gSoundCount++) {}

CSound::~CSound()
{
    StopSound();
    ReleaseBuffer();
}

void CSound::StopSound()
{
    if (CSoundMixer* mixer = ApplicationSoundMixer())
        mixer->StopSound(this);
    else if (m_buffer)
        (void)m_buffer->Stop();
}

void CSound::ReleaseBuffer()
{
    if (m_buffer)
        m_buffer->Release();
    m_buffer = nullptr;
}

tResult CSound::SetFormat(int32_t bits, int32_t stereo, uint32_t rate, uint32_t frames)
{
    m_16Bit = bits == 16;
    m_stereo = stereo != 0;
    m_sampleRate = rate;
    m_bytesPerFrame = (m_16Bit ? 2 : 1) * (m_stereo ? 2 : 1);
    return SetFrameCount(frames);
}

tResult CSound::SetFrameCount(uint32_t frames)
{
    StopSound();
    const uint64_t length = uint64_t(m_bytesPerFrame) * frames;
    if (length > UINT32_MAX)
        return kResBadParam;
    m_length = uint32_t(length);
    return CreateBuffer();
}

tResult CSound::CreateBuffer()
{
    CSoundMixer* mixer = ApplicationSoundMixer();
    w32::IDirectSound* device = mixer ? mixer->GetDevice() : nullptr;
    if (!device)
        return kResCreateFailed;
    ReleaseBuffer();
    if (m_length == 0)
        return kResOk;
    w32::WAVEFORMATEX format;
    format.wFormatTag = w32::WAVE_FORMAT_PCM;
    format.nChannels = m_stereo ? 2 : 1;
    format.nSamplesPerSec = m_sampleRate;
    format.wBitsPerSample = m_16Bit ? 16 : 8;
    format.nBlockAlign = w32::WORD(format.wBitsPerSample * format.nChannels / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * m_sampleRate;
    w32::DSBUFFERDESC description;
    description.dwSize = sizeof(description);
    description.dwFlags = w32::DSBCAPS_STATIC;
    description.dwBufferBytes = m_length / m_bytesPerFrame * m_bytesPerFrame;
    description.lpwfxFormat = &format;
    if (w32::FAILED(device->CreateSoundBuffer(&description, &m_buffer, nullptr))) {
        m_buffer = nullptr;
        return kResCreateFailed;
    }
    return kResOk;
}

tResult CSound::LoadFromResId(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    if (!GetApplication())
        return kResFailure;
    tCStream* used;
    TK_TRY(LocateById(id, stream, directory, &used));
    return ReadChunkAndWav(*used);
}

tResult CSound::LoadFromResName(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    if (!GetApplication())
        return kResFailure;
    tCStream* used;
    TK_TRY(LocateByName(name, stream, directory, &used));
    return ReadChunkAndWav(*used);
}

tResult CSound::ReadChunkAndWav(tCStream& stream)
{
    int32_t size = 0;
    tResult result = stream.ReadI32(&size);
    if (result == kResOk)
        result = CheckWithinPayload(stream, GetDataEnd());
    if (result != kResOk) {
        ReportResult(kResResourceRead, "Sound load size failed.");
        return result;
    }
    // The WAV file must lie within its resource.
    if (size < 0 || !FitsBefore(stream, size, GetDataEnd()))
        return kResFileInvalid;
    StopSound();
    return ReadWav(stream, stream.GetPosition() + size);
}

tResult CSound::ReadWav(tCStream& stream, int64_t end)
{
    const int64_t start = stream.GetPosition();
    if (start < 0)
        return kResFileIO;
    if (end - start < kSmallestWav)
        return kResFileInvalid;
    const bool riff = ReadTag(stream, "RIFF");
    TK_TRY(stream.SetPosition(start));
    if (!riff)
        return kResNotImplemented;
    tWavLayout layout;
    if (!ReadWavHeader(stream, end, &layout))
        return kResFileInvalid;
    TK_TRY(SetFormat(layout.bits, layout.stereo ? 1 : 0, layout.rate, 0));
    TK_TRY(SetFrameCount(layout.dataSize / m_bytesPerFrame));
    if (m_length == 0)
        return kResOk;
    CSoundLock lock(*this);
    if (!lock.GetData())
        return kResNoMemory;
    return stream.ReadBytes(lock.GetData(), std::min<int64_t>(layout.dataSize, lock.GetSize()));
}

int32_t CSound::Play(float pitch)
{
    CSoundMixer* mixer = GetApplication() ? ApplicationSoundMixer() : nullptr;
    return mixer ? mixer->Play(this, pitch) : -1;
}

CSoundLock::CSoundLock(const CSound& sound) : m_buffer(sound.GetBuffer())
{
    void* data = nullptr;
    w32::DWORD size = 0;
    if (m_buffer && m_buffer->Lock(0, 0, &data, &size, nullptr, nullptr, w32::DSBLOCK_ENTIREBUFFER) == w32::DS_OK) {
        m_data = static_cast<uint8_t*>(data);
        m_size = size;
    }
}

CSoundLock::~CSoundLock()
{
    if (m_data)
        (void)m_buffer->Unlock(m_data, m_size, nullptr, 0);
}

CSound* LoadResSound(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    if (!GetApplication())
        return nullptr;
    CSound* sound = new (std::nothrow) CSound;
    if (sound && sound->LoadFromResId(id, stream, directory) != kResOk) {
        delete sound;
        return nullptr;
    }
    return sound;
}
