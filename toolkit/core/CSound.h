#pragma once

#include <cstdint>

#include "platform/Sound.h"
#include "toolkit/core/tCResourceObject.h"

class CResourceDirectory;
class tCStream;

// An 'audi' resource: PCM samples (8 or 16 bits, mono or stereo) in a static buffer of the
// application's sound mixer. The resource holds a u32 size and a WAV file of that size.
class CSound : public tCResourceObject {
public:
    static constexpr uint32_t kType = MakeFourCC("audi");

    CSound();
    ~CSound() override;
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    // Stop the sound and make a buffer for `frames` frames (none for 0). 24 without the mixer's
    // device or when the buffer cannot be made.
    tResult SetFormat(int32_t bits, int32_t stereo, uint32_t rate, uint32_t frames);
    tResult SetFrameCount(uint32_t frames);
    tResult CreateBuffer();

    tResult LoadFromResId(uint32_t id, tCStream* stream, CResourceDirectory* directory);
    tResult LoadFromResName(const tCString& name, tCStream* stream, CResourceDirectory* directory);
    // Reads a WAV file at the stream's position that ends by `end`: 10 when it is not RIFF,
    // 17 when it is not PCM of 8 or 16 bits, mono or stereo, or does not fit.
    tResult ReadWav(tCStream& stream, int64_t end);

    // Plays the sound through the application's mixer: 0, or -1 when it cannot play. A playing
    // sound goes on from where it is. The pitch is in semitones and changes nothing here.
    int32_t Play(float pitch);

    bool Is16Bit() const { return m_16Bit; }
    bool IsStereo() const { return m_stereo; }
    uint32_t GetSampleRate() const { return m_sampleRate; }
    uint32_t GetBytesPerFrame() const { return m_bytesPerFrame; }
    uint32_t GetLength() const { return m_length; }
    uint32_t GetSerial() const { return m_serial; }
    w32::IDirectSoundBuffer* GetBuffer() const { return m_buffer; }

private:
    tResult ReadChunkAndWav(tCStream& stream);
    void StopSound();
    void ReleaseBuffer();

    w32::IDirectSoundBuffer* m_buffer = nullptr;
    bool m_16Bit = false;
    bool m_stereo = false;
    uint32_t m_sampleRate = 22000;
    uint32_t m_bytesPerFrame = 1;
    uint32_t m_length = 0;
    uint32_t m_serial;
};

// The samples of a sound while the scope lives; null without a buffer.
class CSoundLock {
public:
    explicit CSoundLock(const CSound& sound);
    ~CSoundLock();
    CSoundLock(const CSoundLock&) = delete;
    CSoundLock& operator=(const CSoundLock&) = delete;

    uint8_t* GetData() const { return m_data; }
    uint32_t GetSize() const { return m_size; }

private:
    w32::IDirectSoundBuffer* m_buffer;
    uint8_t* m_data = nullptr;
    uint32_t m_size = 0;
};

// A sound loaded by id from the stream (the application's resource file when null); null
// when it cannot be loaded or there is no application.
CSound* LoadResSound(uint32_t id, tCStream* stream = nullptr, CResourceDirectory* directory = nullptr);
