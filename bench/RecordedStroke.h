#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/RecordedSamples.h"

// 30 seconds of a person painting with a pressure tablet, for the benchmarks to replay,
// positions within about 800 x 600.
inline constexpr double kRecordedWidth = 800;
inline constexpr double kRecordedHeight = 600;

// The benchmarks' data folder: $KOSTREL_BENCH_DATA when it is set, else the folder the build
// was configured with.
inline std::string BenchDataFolder()
{
    const char* folder = std::getenv("KOSTREL_BENCH_DATA");
    return folder && *folder ? folder : KOSTREL_BENCH_DATA;
}

// The recording, read once. Empty when it cannot be read; `error` then says where it looked.
inline const std::vector<tRecordedSample>& RecordedStroke(std::string* error)
{
    static const std::string path = BenchDataFolder() + "/stroke-30s.txt";
    static const std::vector<tRecordedSample> samples = ReadRecordedSamples(path);
    if (samples.empty())
        *error = "no recorded stroke at " + path +
                 " (configure with -DKOSTREL_BENCH_DATA=FOLDER or set KOSTREL_BENCH_DATA to a copy elsewhere)";
    return samples;
}
