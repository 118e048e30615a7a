#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "bench/ProgramOnDisplay.h"
#include "bench/RunBenchmarks.h"

// The processor time the program takes while it sits idle with its window open: the heartbeat
// paces it 333 times a second, so this is the cost of the pace itself. It runs the real program
// on a virtual display (Xvfb) for 10 seconds; the goal is under 2% of a core.

namespace {

void BM_IdleProgramCpu(benchmark::State& state)
{
    for (auto _ : state) {
        pid_t server = -1;
        const int display = StartDisplay("1280x800", &server);
        if (display < 0) {
            Stop(server);
            state.SkipWithError("Xvfb could not be started");
            return;
        }
        setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
        unsetenv("SDL_VIDEODRIVER");
        const pid_t program = Spawn({KOSTREL_EXECUTABLE});
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const int64_t before = CpuNanoseconds(program);
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const int64_t after = CpuNanoseconds(program);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        Stop(program);
        Stop(server);
        if (before < 0 || after < 0) {
            state.SkipWithError("the program did not keep running");
            return;
        }
        state.SetIterationTime(seconds);
        state.counters["cpu_percent_of_a_core"] = double(after - before) / (seconds * 1e9) * 100.0;
    }
}

BENCHMARK(BM_IdleProgramCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks(argc, argv);
}
