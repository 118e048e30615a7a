#include "app/shell/CHMRSound.h"

#include "toolkit/core/CSound.h"

CHMRSound::CHMRSound(const uint32_t* soundsOn) : m_soundsOn(soundsOn) {}

CHMRSound::~CHMRSound()
{
    for (CSound* sound : m_sounds)
        delete sound;
}

tResult CHMRSound::LoadSounds()
{
    for (int32_t i = 0; i < kSoundCount; ++i) {
        CSound* sound = LoadResSound(kFirstSoundId + uint32_t(i));
        const tResult added = m_sounds.Add(sound);
        if (added != kResOk) {
            delete sound;
            return added;
        }
    }
    return kResOk;
}

tResult CHMRSound::OnMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg c, uint32_t)
{
    if (!m_soundsOn || *m_soundsOn == 0 || message != kMsgPlaySound)
        return kResOk;
    const int64_t index = int64_t((uint64_t(c) << 32) | (uint64_t(b) & 0xFFFFFFFFu));
    if (index < 0 || index >= m_sounds.GetCount())
        return kResOk;
    if (CSound* sound = m_sounds[int32_t(index)])
        sound->Play(0);
    return kResOk;
}
