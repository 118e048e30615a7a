#include "platform/Process.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace w32::process {
namespace {

// Starts the program with its standard input and error on /dev/null and its standard output on
// `output` (or /dev/null when it is -1); answers its process id, or -1.
pid_t Start(const std::vector<std::string>& arguments, int output)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (output >= 0)
        posix_spawn_file_actions_adddup2(&actions, output, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
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
    tProcessResult result;
    int pipeEnds[2];
    if (arguments.empty() || pipe2(pipeEnds, O_CLOEXEC) != 0)
        return result;
    const pid_t child = Start(arguments, pipeEnds[1]);
    close(pipeEnds[1]);
    if (child < 0) {
        close(pipeEnds[0]);
        return result;
    }
    result.started = true;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        result.output.append(buffer, size_t(got));
    }
    close(pipeEnds[0]);
    Reap(child, 0, &result);
    return result;
}

tProcessResult RunForExitCode(const std::vector<std::string>& arguments, DWORD milliseconds)
{
    tProcessResult result;
    if (arguments.empty())
        return result;
    const pid_t child = Start(arguments, -1);
    if (child < 0)
        return result;
    result.started = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!Reap(child, WNOHANG, &result)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            // Still starting what it opens: let it finish and be collected on its own.
            std::thread([child] { waitpid(child, nullptr, 0); }).detach();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return result;
}

}  // namespace w32::process
