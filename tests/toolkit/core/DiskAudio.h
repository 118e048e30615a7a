#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/platform/ScopedEnvironment.h"
#include "tests/toolkit/core/TempFolder.h"

// SDL's disk audio driver, writing what the output plays into a file, for as long as it lives.
class DiskAudioOutput {
public:
    DiskAudioOutput()
    {
        m_environment.Set("SDL_AUDIODRIVER", "disk");
        m_environment.Set("SDL_DISKAUDIOFILE", File());
    }

    std::string File() const { return m_folder.File("output.raw"); }

    // 50 ms of a stereo pattern at the output's own rate (44100), so that it reaches the file unchanged.
    static std::vector<int16_t> Pattern()
    {
        std::vector<int16_t> pattern;
        for (int i = 0; i < 2205; ++i) {
            pattern.push_back(int16_t(i * 7 - 9000));
            pattern.push_back(int16_t(12000 - i * 5));
        }
        return pattern;
    }

private:
    TempFolder m_folder;
    ScopedEnvironment m_environment;
};
