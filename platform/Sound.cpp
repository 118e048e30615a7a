#include "platform/Sound.h"

#include <SDL.h>

#include <algorithm>
#include <mutex>
#include <new>

#include "platform/SoundOutput.h"
#include "platform/headless/HeadlessSound.h"

namespace w32 {

// The one output all device objects share. It lives while any device object or buffer does; the
// last one to go closes it, so that the next play opens it afresh. Its audio thread mixes under
// the lock, so the buffers change only under it.
struct tSoundOutput {
    std::mutex lock;
    std::vector<IDirectSoundBuffer*> buffers;
    std::vector<tPcmVoice*> voices;
    std::vector<int32_t> accumulator;
    int32_t objects = 0;
    SDL_AudioDeviceID device = 0;
    uint32_t rate = 0;
    bool failed = false;
    bool memory = false;
};

struct tSoundOutputAccess {
    static tPcmVoice& Voice(IDirectSoundBuffer* buffer) { return buffer->m_voice; }
};

namespace {

constexpr int kOutputRate = 44100;
constexpr int kOutputFramesPerCallback = 1024;

// The audio thread may outlive every static object, so the output is never destroyed.
tSoundOutput& Output()
{
    static tSoundOutput* output = new tSoundOutput;
    return *output;
}

void MixLocked(tSoundOutput& output, int16_t* out, uint32_t frames, uint32_t rate)
{
    output.voices.clear();
    for (IDirectSoundBuffer* buffer : output.buffers)
        output.voices.push_back(&tSoundOutputAccess::Voice(buffer));
    MixVoices(output.voices.data(), output.voices.size(), out, frames, rate, output.accumulator);
}

void SDLCALL OutputCallback(void*, Uint8* stream, int length)
{
    tSoundOutput& output = Output();
    std::lock_guard<std::mutex> guard(output.lock);
    MixLocked(output, reinterpret_cast<int16_t*>(stream), uint32_t(length) / 4, output.rate);
}

// Opens the SDL device on the first play; a failure is remembered until the output closes. The
// device starts paused, so its thread does not call back while the lock is held here.
bool EnsureOutputLocked(tSoundOutput& output)
{
    if (output.memory || output.device)
        return true;
    if (output.failed)
        return false;
    output.failed = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec wanted{};
    wanted.freq = kOutputRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = kOutputFramesPerCallback;
    wanted.callback = OutputCallback;
    SDL_AudioSpec obtained{};
    output.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (!output.device) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    output.failed = false;
    output.rate = uint32_t(obtained.freq);
    SDL_PauseAudioDevice(output.device, 0);
    return true;
}

// Counts one object less; the device to close when it was the last one.
SDL_AudioDeviceID DropObjectLocked(tSoundOutput& output)
{
    if (--output.objects > 0)
        return 0;
    const SDL_AudioDeviceID device = output.device;
    output.device = 0;
    output.failed = false;
    output.rate = 0;
    return device;
}

// Closing waits for the audio thread, which may wait for the lock: never call it holding the lock.
void CloseDevice(SDL_AudioDeviceID device)
{
    if (!device)
        return;
    SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool IsPlayableFormat(const WAVEFORMATEX& format)
{
    return format.wFormatTag == WAVE_FORMAT_PCM && (format.nChannels == 1 || format.nChannels == 2) &&
           (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) && format.nSamplesPerSec > 0 &&
           format.nBlockAlign == format.wBitsPerSample * format.nChannels / 8;
}

}  // namespace

ULONG IDirectSoundBuffer::AddRef()
{
    std::lock_guard<std::mutex> guard(Output().lock);
    return ++m_references;
}

ULONG IDirectSoundBuffer::Release()
{
    tSoundOutput& output = Output();
    std::unique_lock<std::mutex> held(output.lock);
    const ULONG left = --m_references;
    if (left > 0)
        return left;
    output.buffers.erase(std::find(output.buffers.begin(), output.buffers.end(), this));
    const SDL_AudioDeviceID closing = DropObjectLocked(output);
    held.unlock();
    delete this;
    CloseDevice(closing);
    return 0;
}

HRESULT IDirectSoundBuffer::Play(DWORD reserved, DWORD priority, DWORD flags)
{
    if (reserved != 0 || priority != 0 || flags != 0)
        return DSERR_INVALIDPARAM;
    tSoundOutput& output = Output();
    std::lock_guard<std::mutex> guard(output.lock);
    if (!EnsureOutputLocked(output))
        return DSERR_NODRIVER;
    m_voice.playing = true;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Stop()
{
    std::lock_guard<std::mutex> guard(Output().lock);
    m_voice.playing = false;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::GetStatus(DWORD* status)
{
    if (!status)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(Output().lock);
    *status = m_voice.playing ? DWORD(DSBSTATUS_PLAYING) : 0;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Lock(DWORD offset, DWORD bytes, void** audio1, DWORD* bytes1, void** audio2,
                                 DWORD* bytes2, DWORD flags)
{
    if (!audio1 || !bytes1)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(Output().lock);
    const size_t size = m_voice.samples.size();
    if (flags & DSBLOCK_ENTIREBUFFER) {
        offset = 0;
        bytes = DWORD(size);
    } else if (bytes == 0 || offset > size || bytes > size - offset) {
        return DSERR_INVALIDPARAM;
    }
    if (m_voice.locked)
        return DSERR_INVALIDCALL;
    m_voice.locked = true;
    *audio1 = m_voice.samples.data() + offset;
    *bytes1 = bytes;
    if (audio2)
        *audio2 = nullptr;
    if (bytes2)
        *bytes2 = 0;
    return DS_OK;
}

HRESULT IDirectSoundBuffer::Unlock(void*, DWORD, void*, DWORD)
{
    std::lock_guard<std::mutex> guard(Output().lock);
    if (!m_voice.locked)
        return DSERR_INVALIDCALL;
    m_voice.locked = false;
    return DS_OK;
}

ULONG IDirectSound::AddRef()
{
    std::lock_guard<std::mutex> guard(Output().lock);
    return ++m_references;
}

ULONG IDirectSound::Release()
{
    tSoundOutput& output = Output();
    std::unique_lock<std::mutex> held(output.lock);
    const ULONG left = --m_references;
    if (left > 0)
        return left;
    const SDL_AudioDeviceID closing = DropObjectLocked(output);
    held.unlock();
    delete this;
    CloseDevice(closing);
    return 0;
}

HRESULT IDirectSound::SetCooperativeLevel(HWND, DWORD level)
{
    return level == DSSCL_NORMAL ? DS_OK : DSERR_INVALIDPARAM;
}

HRESULT IDirectSound::CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer, void* outer)
{
    if (!buffer)
        return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (!description || description->dwSize != sizeof(DSBUFFERDESC) || !description->lpwfxFormat || outer)
        return DSERR_INVALIDPARAM;
    const WAVEFORMATEX& format = *description->lpwfxFormat;
    if (!IsPlayableFormat(format) || description->dwBufferBytes == 0 ||
        description->dwBufferBytes % format.nBlockAlign != 0)
        return DSERR_INVALIDPARAM;

    tPcmVoice voice;
    voice.frames = description->dwBufferBytes / format.nBlockAlign;
    voice.rate = format.nSamplesPerSec;
    voice.channels = format.nChannels;
    voice.bits = format.wBitsPerSample;
    tSoundOutput& output = Output();
    IDirectSoundBuffer* made = nullptr;
    try {
        voice.samples.assign(description->dwBufferBytes, format.wBitsPerSample == 8 ? 0x80 : 0);
        made = new IDirectSoundBuffer(std::move(voice));
        std::lock_guard<std::mutex> guard(output.lock);
        output.buffers.push_back(made);
        ++output.objects;
    } catch (const std::bad_alloc&) {
        delete made;
        return DSERR_OUTOFMEMORY;
    }
    *buffer = made;
    return DS_OK;
}

HRESULT DirectSoundCreate(const void* device, IDirectSound** sound, void* outer)
{
    if (!sound)
        return DSERR_INVALIDPARAM;
    *sound = nullptr;
    if (device || outer)
        return DSERR_INVALIDPARAM;
    IDirectSound* made = new (std::nothrow) IDirectSound;
    if (!made)
        return DSERR_OUTOFMEMORY;
    std::lock_guard<std::mutex> guard(Output().lock);
    ++Output().objects;
    *sound = made;
    return DS_OK;
}

namespace sound {

void UseMemoryOutput(bool memory)
{
    std::lock_guard<std::mutex> guard(Output().lock);
    Output().memory = memory;
}

}  // namespace sound

namespace headless {

void RenderSound(int16_t* out, uint32_t frames, uint32_t rate)
{
    tSoundOutput& output = Output();
    std::lock_guard<std::mutex> guard(output.lock);
    MixLocked(output, out, frames, rate);
}

}  // namespace headless

}  // namespace w32
