#pragma once

#include <cstdint>
#include <utility>

#include "platform/SoundMixing.h"
#include "platform/Win32Types.h"

// Sound output shaped like DirectSound: static buffers of PCM samples played once through the
// default device. Every device object shares one audio output, opened on the first play; a
// machine without sound plays nothing and says so only through Play's answer. The output's
// thread reads the buffers, so every operation here takes the output's lock.
namespace w32 {

using HRESULT = int32_t;
using ULONG = uint32_t;

enum : HRESULT {
    DS_OK = 0,
    DSERR_INVALIDPARAM = HRESULT(0x80070057),
    DSERR_OUTOFMEMORY = HRESULT(0x8007000E),
    DSERR_INVALIDCALL = HRESULT(0x88780032),
    DSERR_NODRIVER = HRESULT(0x88780078),
};

constexpr bool FAILED(HRESULT result) { return result < 0; }

enum : WORD { WAVE_FORMAT_PCM = 1 };

struct WAVEFORMATEX {
    WORD wFormatTag = 0;
    WORD nChannels = 0;
    DWORD nSamplesPerSec = 0;
    DWORD nAvgBytesPerSec = 0;
    WORD nBlockAlign = 0;
    WORD wBitsPerSample = 0;
    WORD cbSize = 0;
};

enum : DWORD { DSBCAPS_STATIC = 0x2 };

struct DSBUFFERDESC {
    DWORD dwSize = 0;
    DWORD dwFlags = 0;
    DWORD dwBufferBytes = 0;
    DWORD dwReserved = 0;
    const WAVEFORMATEX* lpwfxFormat = nullptr;
};

enum : DWORD { DSBSTATUS_PLAYING = 0x1 };
enum : DWORD { DSBLOCK_ENTIREBUFFER = 0x2 };
enum : DWORD { DSSCL_NORMAL = 1 };

class IDirectSoundBuffer {
public:
    IDirectSoundBuffer(const IDirectSoundBuffer&) = delete;
    IDirectSoundBuffer& operator=(const IDirectSoundBuffer&) = delete;

    ULONG AddRef();
    ULONG Release();
    // Starts the buffer from where it stands; a playing buffer goes on undisturbed. Only a
    // single play (flags 0) is offered. DSERR_NODRIVER when there is no sound output.
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags);
    // Stops at once; the next Play goes on from here. A buffer that played out stands at its start.
    HRESULT Stop();
    HRESULT GetStatus(DWORD* status);
    // The samples as one region (`audio2` is always null). A locked buffer is silent until unlocked.
    HRESULT Lock(DWORD offset, DWORD bytes, void** audio1, DWORD* bytes1, void** audio2, DWORD* bytes2,
                 DWORD flags);
    HRESULT Unlock(void* audio1, DWORD bytes1, void* audio2, DWORD bytes2);

private:
    friend class IDirectSound;
    friend struct tSoundOutputAccess;
    explicit IDirectSoundBuffer(tPcmVoice voice) : m_voice(std::move(voice)) {}
    ~IDirectSoundBuffer() = default;

    tPcmVoice m_voice;
    ULONG m_references = 1;
};

class IDirectSound {
public:
    IDirectSound(const IDirectSound&) = delete;
    IDirectSound& operator=(const IDirectSound&) = delete;

    ULONG AddRef();
    ULONG Release();
    // Every level shares the one output, so the level changes nothing.
    HRESULT SetCooperativeLevel(HWND window, DWORD level);
    // Static PCM buffers of 8 or 16 bits, one or two channels, a rate above 0 and a size of whole
    // frames above 0; the samples start as silence.
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer, void* outer);

private:
    friend HRESULT DirectSoundCreate(const void* device, IDirectSound** sound, void* outer);
    IDirectSound() = default;
    ~IDirectSound() = default;

    ULONG m_references = 1;
};

// The default device only (`device` null).
HRESULT DirectSoundCreate(const void* device, IDirectSound** sound, void* outer);

}  // namespace w32
