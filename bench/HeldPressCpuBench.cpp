#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/ProgramOnDisplay.h"

// The processor time the program takes while a button is held still on one of its controls:
// the loop that follows the press rests until the pointer moves, the button comes up or the next
// tick, as the program does at rest. It runs the real program on a 1024 x 768 virtual display,
// presses with xdotool and reads the time over 3 seconds of the hold; the goal is under 5% of a
// core at every place.

namespace {

struct tPlace {
    const char* name;
    int x;
    int y;
    bool press;
};

// Where the controls stand in the window as the program first shows it on a 1024 x 768 screen.
constexpr tPlace kPlaces[] = {
    {"nothing_held", 700, 150, false},
    {"pressure_dial", 43, 197, true},
    {"dry_brush_switch", 44, 443, true},
    {"navigation_handle", 512, 687, true},
    {"menu_bar_handle", 512, 28, true},
    {"tool_preview", 53, 676, true},
    {"colour_wheel", 960, 710, true},
    {"colour_strip", 858, 700, true},
};

bool Xdotool(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunTool(command);
}

// Waits up to 30 seconds for the program's window, then for the splash to have gone.
bool WaitForWindow()
{
    for (int i = 0; i < 300; ++i) {
        if (Xdotool({"search", "--onlyvisible", "--name", "^Kostrel 2 - Untitled$"})) {
            std::this_thread::sleep_for(std::chrono::seconds(4));
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void BM_HeldPressCpu(benchmark::State& state)
{
    const tPlace& place = kPlaces[state.range(0)];
    state.SetLabel(place.name);
    for (auto _ : state) {
        char folder[] = "/tmp/kostrel-held-press-XXXXXX";
        if (!mkdtemp(folder)) {
            state.SkipWithError("no work folder");
            return;
        }
        pid_t server = -1;
        const int display = StartDisplay("1024x768", &server);
        if (display < 0) {
            Stop(server);
            std::filesystem::remove_all(folder);
            state.SkipWithError("Xvfb could not be started");
            return;
        }
        // The preferences of a first run, kept in the work folder: the panes stand where they
        // first come.
        setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
        setenv("XDG_CONFIG_HOME", folder, 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_VIDEODRIVER");
        const pid_t program = Spawn({KOSTREL_EXECUTABLE});
        bool pressed = false;
        bool ready = WaitForWindow() && Xdotool({"mousemove", std::to_string(place.x), std::to_string(place.y)});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (ready && place.press)
            ready = pressed = Xdotool({"mousedown", "1"});
        // The press is taken in and its loop begins before the time is read.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const int64_t before = CpuNanoseconds(program);
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const int64_t after = CpuNanoseconds(program);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (pressed)
            (void)Xdotool({"mouseup", "1"});
        Stop(program);
        Stop(server);
        std::filesystem::remove_all(folder);
        if (!ready) {
            state.SkipWithError("the program's window did not come or xdotool failed");
            return;
        }
        if (before < 0 || after < 0) {
            state.SkipWithError("the program did not keep running");
            return;
        }
        state.SetIterationTime(seconds);
        state.counters["cpu_percent_of_a_core"] = double(after - before) / (seconds * 1e9) * 100.0;
    }
}

BENCHMARK(BM_HeldPressCpu)
    ->DenseRange(0, int(std::size(kPlaces)) - 1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
