#pragma once

#include <functional>
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

// What a wait for a program's output serves besides: descriptors of its own, watched beside the
// output, each served when something can be read on it.
class IWaitService {
public:
    virtual ~IWaitService() = default;
    // The program runs as process `processId`.
    virtual void Started(int processId) = 0;
    virtual std::vector<int> Descriptors() = 0;
    // True when what came on the descriptor was read already and waits to be served: the wait
    // then does not block.
    virtual bool IsWaiting(int descriptor) = 0;
    virtual void Serve(int descriptor) = 0;
};

// True when a program of that name is on PATH.
bool IsOnPath(const std::string& program);

// Runs the program and collects its standard output until it ends. The program ends with ours
// (SIGTERM), however ours ends: a dialog waited for goes with the program.
tProcessResult RunForOutput(const std::vector<std::string>& arguments);
// The same, serving `service` meanwhile.
tProcessResult RunForOutput(const std::vector<std::string>& arguments, IWaitService* service);
// The same, for at most `milliseconds` of real time: a program still running then is ended,
// reaped, and answers not finished with what it printed so far.
tProcessResult RunForOutput(const std::vector<std::string>& arguments, DWORD milliseconds);
// Runs `work` and answers its answer. A process this thread forks meanwhile, as a library forks
// one to show a window of its own (SDL's message box), is ended (SIGKILL) as the thread ends, and
// so with ours, however that ends: it holds copies of the program's connections, whose windows
// would stay on the screen while it lasts. `forked` runs in our process after each such fork, on
// this thread.
bool RunEndingForksWithUs(const std::function<bool()>& work, const std::function<void()>& forked);

// Runs the program without collecting output, waiting at most `milliseconds` of real time.
tProcessResult RunForExitCode(const std::vector<std::string>& arguments, DWORD milliseconds);
// The same, but a program still running at the end of the wait is ended and reaped before
// this answers, so that nothing it uses is touched afterwards.
tProcessResult RunToEnd(const std::vector<std::string>& arguments, DWORD milliseconds);

// Starts the program without waiting for it: once it ends, `ended` runs with its exit code (-1
// when a signal ended it) on a thread of its own. The program outlives ours. False when it could
// not start.
bool RunWatched(const std::vector<std::string>& arguments, std::function<void(int)> ended);

}  // namespace w32::process
