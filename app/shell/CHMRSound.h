#pragma once

#include <cstdint>

#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"

class CSound;

// The interface sounds: clicks and swishes that panes and prompts ask for by index with
// kMsgPlaySound. Index i is the sound of resource 90000 + i.
class CHMRSound : public tCCmdTarget {
public:
    // b and c: the low and high words of the sound's signed 64-bit index.
    static constexpr uint32_t kMsgPlaySound = 0xFF000023;
    static constexpr uint32_t kFirstSoundId = 90000;
    static constexpr int32_t kSoundCount = 5;

    // `soundsOn` is the owner's interface-sounds switch, read at every request; sounds play
    // only while it is non-zero.
    explicit CHMRSound(const uint32_t* soundsOn);
    ~CHMRSound() override;
    CHMRSound(const CHMRSound&) = delete;
    CHMRSound& operator=(const CHMRSound&) = delete;

    // Appends the five sounds, a null entry for each that does not load.
    tResult LoadSounds();
    // Plays the sound kMsgPlaySound asks for, without waiting; always answers 0, so that the
    // request never stops a broadcast or a forwarding chain.
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

private:
    const uint32_t* m_soundsOn;
    tCArray<CSound*> m_sounds{tCArray<CSound*>::kAutoGrowth};
};
