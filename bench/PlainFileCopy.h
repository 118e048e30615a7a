// The yardstick of the undo benchmarks: what copying the bytes of a step from file to file costs.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

// Reads a file of `bytes` and writes it to a second file, 1 MiB at a time, each iteration.
void PlainFileCopy(benchmark::State& state, int64_t bytes);
