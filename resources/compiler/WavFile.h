#pragma once

#include <string>

#include "toolkit/core/ResultCodes.h"

// Rewrites a PCM WAV file (8 or 16 bits, mono or stereo) in the layout the sound loader reads:
// "RIFF", "WAVE", a 16-byte "fmt " block and the "data" chunk, nothing else. Writing a
// normalised file again gives the same bytes. 17 with a message for anything else.
tResult NormaliseWav(const std::string& wav, std::string* normalised, std::string* error);
