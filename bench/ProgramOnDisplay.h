#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// The real program run on a virtual display (Xvfb) of its own, for the benchmarks that measure
// the processor time it takes.

// Nanoseconds on a processor, summed over the process's threads (exact, from the scheduler); -1
// when the process is gone.
int64_t CpuNanoseconds(pid_t pid);
// Starts the program (or tool) with its arguments; descriptors past 2 are closed but `keepOpen`,
// and a `quiet` one's standard output goes nowhere.
pid_t Spawn(const std::vector<std::string>& arguments, int keepOpen = -1, bool quiet = false);
// Runs a tool to its end, its standard output unread; true when it ended with 0.
bool RunTool(const std::vector<std::string>& arguments);
// Ends the process with SIGTERM and waits for it.
void Stop(pid_t pid);
// Starts Xvfb with a screen of `size` ("WIDTHxHEIGHT") on a display it chooses and answers the
// display's number, or -1.
int StartDisplay(const std::string& size, pid_t* server);
