#pragma once

#include <string>
#include <vector>

#include "platform/Win32Types.h"

// Starting the desktop's helper programs (dialogs, document openers) with an argument vector,
// never through a shell.
namespace w32::process {

struct tProcessResult {
    bool started = false;
    // False when the program was still running when the wait ended; it then finishes alone.
    bool finished = false;
    int exitCode = -1;
    std::string output;
};

// True when a program of that name is on PATH.
bool IsOnPath(const std::string& program);

// Runs the program and collects its standard output until it ends.
tProcessResult RunForOutput(const std::vector<std::string>& arguments);
// The same, for at most `milliseconds` of real time: a program still running then is ended,
// reaped, and answers not finished with what it printed so far.
tProcessResult RunForOutput(const std::vector<std::string>& arguments, DWORD milliseconds);
// Runs the program without collecting output, waiting at most `milliseconds` of real time.
tProcessResult RunForExitCode(const std::vector<std::string>& arguments, DWORD milliseconds);
// The same, but a program still running at the end of the wait is ended and reaped before
// this answers, so that nothing it uses is touched afterwards.
tProcessResult RunToEnd(const std::vector<std::string>& arguments, DWORD milliseconds);

}  // namespace w32::process
