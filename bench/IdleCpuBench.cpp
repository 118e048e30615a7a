#include <benchmark/benchmark.h>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/RunBenchmarks.h"

// The processor time the program takes while it sits idle with its window open: the heartbeat
// paces it 333 times a second, so this is the cost of the pace itself. It runs the real program
// on a virtual display (Xvfb) for 10 seconds; the goal is under 2% of a core.

namespace {

// Nanoseconds on a processor, summed over the process's threads (exact, from the scheduler).
int64_t CpuNanoseconds(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    int64_t total = 0;
    DIR* folder = opendir(tasks.c_str());
    if (!folder)
        return -1;
    while (const dirent* entry = readdir(folder)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
        int64_t running = 0;
        if (stat >> running)
            total += running;
    }
    closedir(folder);
    return total;
}

pid_t Spawn(const std::vector<std::string>& arguments, int keepOpen)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (int fd = 3; fd < 256; ++fd)
        if (fd != keepOpen)
            close(fd);
    execvp(argv[0], argv.data());
    _exit(127);
}

void Stop(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Starts Xvfb on a display it chooses and answers the display's number, or -1.
int StartDisplay(pid_t* server)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    *server = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x800x24", "-nolisten", "tcp"},
                    fds[1]);
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    return number.empty() ? -1 : std::atoi(number.c_str());
}

void BM_IdleProgramCpu(benchmark::State& state)
{
    for (auto _ : state) {
        pid_t server = -1;
        const int display = StartDisplay(&server);
        if (display < 0) {
            Stop(server);
            state.SkipWithError("Xvfb could not be started");
            return;
        }
        setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
        unsetenv("SDL_VIDEODRIVER");
        const pid_t program = Spawn({KOSTREL_EXECUTABLE}, -1);
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
