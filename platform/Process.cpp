#include "platform/Process.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <thread>

extern char** environ;

namespace w32::process {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kReaperStackBytes = 64 * 1024;

struct tForking {
    pid_t parent;
    const std::function<void()>* forked;
};

// Set while this thread runs RunEndingForksWithUs. A fork handler takes no argument; the child is
// a copy of the thread that forked, this with it.
thread_local const tForking* t_forking = nullptr;

// Runs in every child forked, before fork returns there. The child of a library's fork (SDL's
// box) is a copy of ours in the middle of a call, with nothing to clean up, and keeps the signal
// mask of the thread that forked: SIGKILL, which nothing blocks.
void EndForkWithParent()
{
    const tForking* forking = t_forking;
    t_forking = nullptr;
    // A parent that went before the request is not watched by it.
    if (forking && prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 && getppid() != forking->parent)
        _exit(127);
}

// Runs in our process after each fork, on the thread that forked.
void TellForked()
{
    if (t_forking && *t_forking->forked)
        (*t_forking->forked)();
}

// Standard input and error on /dev/null, standard output on `output` (or /dev/null when it is
// -1), in a child just forked: calls safe in a copy of a threaded process alone.
bool Redirect(int output)
{
    const int nothing = open("/dev/null", O_RDWR);
    if (nothing < 0 || dup2(nothing, 0) != 0 || dup2(output >= 0 ? output : nothing, 1) != 1 || dup2(nothing, 2) != 2)
        return false;
    if (nothing > 2)
        close(nothing);
    return true;
}

// Starts the program as a child that the kernel ends (SIGTERM) as soon as the thread that
// started it ends, the process with it, whatever ends it: the child asks for that itself, which a
// spawned one cannot. False where no child could be made; `child` is -1 where the program cannot
// run.
bool StartEndingWithUs(char* const* argv, int output, pid_t* child)
{
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t parent = getpid();
    const pid_t forked = fork();
    if (forked == 0) {
        // A parent that went before the request is not watched by it.
        if (prctl(PR_SET_PDEATHSIG, SIGTERM) == 0 && getppid() == parent && Redirect(output))
            execvp(argv[0], argv);
        const int error = errno;
        (void)!write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    if (forked < 0) {
        close(report[0]);
        return false;
    }
    // The report's end closes as the program starts, or brings the reason it could not.
    int error = 0;
    ssize_t got;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    *child = forked;
    if (got != 0) {
        while (waitpid(forked, nullptr, 0) < 0 && errno == EINTR) {
        }
        *child = -1;
    }
    return true;
}

// Starts the program with its standard input and error on /dev/null and its standard output on
// `output` (or /dev/null when it is -1); answers its process id, or -1. A program that
// `endsWithUs` ends with ours, where a child can be forked.
pid_t Start(const std::vector<std::string>& arguments, int output, bool endsWithUs)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    if (endsWithUs && StartEndingWithUs(argv.data(), output, &child))
        return child;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (output >= 0)
        posix_spawn_file_actions_adddup2(&actions, output, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? child : -1;
}

bool Reap(pid_t child, int options, tProcessResult* result)
{
    int status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(child, &status, options);
    } while (reaped < 0 && errno == EINTR);
    if (reaped != child)
        return false;
    result->finished = true;
    result->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

// Ends a program that outlived its wait, asked first and then forced, and reaps it: it counts
// as not finished.
void End(pid_t child, tProcessResult* result)
{
    kill(child, SIGTERM);
    const Clock::time_point forced = Clock::now() + std::chrono::seconds(1);
    while (!Reap(child, WNOHANG, result)) {
        if (Clock::now() >= forced) {
            kill(child, SIGKILL);
            Reap(child, 0, result);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result->finished = false;
    result->exitCode = -1;
}

// A program collected on a thread of its own, and what is told of its end.
struct tReaped {
    pid_t child;
    std::function<void(int)> ended;
};

void* ReapAlone(void* reaped)
{
    const std::unique_ptr<tReaped> owned(static_cast<tReaped*>(reaped));
    tProcessResult result;
    (void)Reap(owned->child, 0, &result);
    if (owned->ended)
        owned->ended(result.exitCode);
    return nullptr;
}

// Collects the program on a thread of its own once it ends, and tells `ended` its exit code there.
// The thread only waits, and its small stack still fits where address space is short; where no
// thread starts at all, the program stays a zombie until ours ends and nothing is told.
void ReapLater(pid_t child, std::function<void(int)> ended = {})
{
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return;
    pthread_attr_setstacksize(&attributes, std::max(kReaperStackBytes, size_t(PTHREAD_STACK_MIN)));
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    auto* reaped = new tReaped{child, std::move(ended)};
    pthread_t reaper;
    if (pthread_create(&reaper, &attributes, ReapAlone, reaped) != 0)
        delete reaped;
    pthread_attr_destroy(&attributes);
}

// Waits for the program until the deadline; then it is ended, or left to finish alone and be
// collected by a thread of its own.
void WaitUntil(pid_t child, Clock::time_point deadline, bool endIt, tProcessResult* result)
{
    while (!Reap(child, WNOHANG, result)) {
        if (Clock::now() >= deadline) {
            if (endIt)
                End(child, result);
            else
                ReapLater(child);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Waits until the program's output or one of the service's descriptors can be read, or the
// deadline passes, serving the service's descriptors that can; true when the output can be read.
bool WaitForOutput(int output, const Clock::time_point* deadline, IWaitService* service)
{
    std::vector<pollfd> watched = {{output, POLLIN, 0}};
    int timeout = -1;
    if (deadline)
        timeout = int(std::clamp<int64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count() + 1, 0, INT32_MAX));
    for (const int descriptor : service ? service->Descriptors() : std::vector<int>{}) {
        watched.push_back({descriptor, POLLIN, 0});
        if (service->IsWaiting(descriptor))
            timeout = 0;
    }
    if (poll(watched.data(), watched.size(), timeout) < 0)
        return false;
    for (size_t i = 1; i < watched.size(); ++i)
        if (watched[i].revents || service->IsWaiting(watched[i].fd))
            service->Serve(watched[i].fd);
    return watched[0].revents != 0;
}

// Reads what the program prints until it closes its output, within the deadline when there is
// one, serving the service meanwhile when there is one.
tProcessResult Collect(const std::vector<std::string>& arguments, const Clock::time_point* deadline,
                       IWaitService* service)
{
    tProcessResult result;
    int pipeEnds[2];
    if (arguments.empty() || pipe2(pipeEnds, O_CLOEXEC) != 0)
        return result;
    const pid_t child = Start(arguments, pipeEnds[1], true);
    close(pipeEnds[1]);
    if (child < 0) {
        close(pipeEnds[0]);
        return result;
    }
    result.started = true;
    if (service)
        service->Started(int(child));
    char buffer[4096];
    for (;;) {
        if (deadline && Clock::now() >= *deadline)
            break;
        if ((deadline || service) && !WaitForOutput(pipeEnds[0], deadline, service))
            continue;
        const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        result.output.append(buffer, size_t(got));
    }
    close(pipeEnds[0]);
    if (deadline)
        WaitUntil(child, *deadline, true, &result);
    else
        Reap(child, 0, &result);
    return result;
}

tProcessResult RunWithoutOutput(const std::vector<std::string>& arguments, DWORD milliseconds, bool endIt)
{
    tProcessResult result;
    if (arguments.empty())
        return result;
    const pid_t child = Start(arguments, -1, false);
    if (child < 0)
        return result;
    result.started = true;
    WaitUntil(child, Clock::now() + std::chrono::milliseconds(milliseconds), endIt, &result);
    return result;
}

}  // namespace

bool IsOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    if (!path || program.empty() || program.find('/') != std::string::npos)
        return false;
    std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        struct stat status;
        if (end > start && stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

tProcessResult RunForOutput(const std::vector<std::string>& arguments)
{
    return Collect(arguments, nullptr, nullptr);
}

tProcessResult RunForOutput(const std::vector<std::string>& arguments, IWaitService* service)
{
    return Collect(arguments, nullptr, service);
}

tProcessResult RunForOutput(const std::vector<std::string>& arguments, DWORD milliseconds)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    return Collect(arguments, &deadline, nullptr);
}

bool RunEndingForksWithUs(const std::function<bool()>& work, const std::function<void()>& forked)
{
    static const bool handled = pthread_atfork(nullptr, TellForked, EndForkWithParent) == 0;
    const tForking forking{getpid(), &forked};
    const tForking* outer = t_forking;
    t_forking = handled ? &forking : nullptr;
    const bool answer = work();
    t_forking = outer;
    return answer;
}

tProcessResult RunForExitCode(const std::vector<std::string>& arguments, DWORD milliseconds)
{
    return RunWithoutOutput(arguments, milliseconds, false);
}

tProcessResult RunToEnd(const std::vector<std::string>& arguments, DWORD milliseconds)
{
    return RunWithoutOutput(arguments, milliseconds, true);
}

bool RunWatched(const std::vector<std::string>& arguments, std::function<void(int)> ended)
{
    if (arguments.empty())
        return false;
    const pid_t child = Start(arguments, -1, false);
    if (child < 0)
        return false;
    ReapLater(child, std::move(ended));
    return true;
}

}  // namespace w32::process
