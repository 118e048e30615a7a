#pragma once

#include <cstdint>

#include "platform/Sound.h"
#include "toolkit/core/ISoundMixer.h"

class CSound;

// The application's sound device and the plays and stops of its sounds. Every sound plays
// from its own static buffer and keeps no voice, so the heartbeat's sweep and the exit find
// nothing to close.
class CSoundMixer : public ISoundMixer {
public:
    CSoundMixer();
    ~CSoundMixer() override;
    CSoundMixer(const CSoundMixer&) = delete;
    CSoundMixer& operator=(const CSoundMixer&) = delete;

    // 0 for a sound without samples (nothing plays), 0 once it plays, -1 when it cannot.
    int32_t Play(CSound* sound, float pitch);
    // Stops the sound and waits, yielding, up to 2 s until its buffer says it stopped.
    void StopSound(CSound* sound);

    void RemoveFinished() override {}
    void StopAll() override {}

    // Null when the device could not be made.
    w32::IDirectSound* GetDevice() const { return m_device; }

private:
    w32::IDirectSound* m_device = nullptr;
};

// The application's mixer, or null without an application or a mixer.
CSoundMixer* ApplicationSoundMixer();
