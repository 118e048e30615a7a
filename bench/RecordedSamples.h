#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Recorded pen input, one sample a line: "milliseconds x y pressure tiltA tiltB", pressure 0..1,
// tiltA the pen's altitude (1 upright) and tiltB its azimuth. Lines that do not hold six numbers
// are skipped.
struct tRecordedSample {
    double milliseconds = 0;
    double x = 0;
    double y = 0;
    double pressure = 0;
    double tiltA = 0;
    double tiltB = 0;
};

inline std::vector<tRecordedSample> ReadRecordedSamples(const std::string& path)
{
    std::vector<tRecordedSample> read;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        tRecordedSample sample;
        if (fields >> sample.milliseconds >> sample.x >> sample.y >> sample.pressure >> sample.tiltA >> sample.tiltB)
            read.push_back(sample);
    }
    return read;
}
