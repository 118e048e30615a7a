#pragma once

#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace threadless {

inline void* WaitForEver(void*)
{
    for (;;)
        pause();
}

inline unsigned long long MappedBytes()
{
    std::ifstream status("/proc/self/status");
    unsigned long long kilobytes = 0;
    for (std::string line; std::getline(status, line);)
        if (std::sscanf(line.c_str(), "VmSize: %llu kB", &kilobytes) == 1)
            return kilobytes * 1024;
    return 0;
}

// Lowers the address space to `bytes` above what is mapped.
inline std::string LeaveRoom(unsigned long long bytes)
{
    const unsigned long long mapped = MappedBytes();
    rlimit room{};
    if (mapped == 0 || getrlimit(RLIMIT_AS, &room) != 0)
        return "the mapped size is unknown; ";
    room.rlim_cur = mapped + bytes;
    if (setrlimit(RLIMIT_AS, &room) != 0)
        return "the address space cannot be lowered; ";
    return "";
}

// Lowers the address space to a megabyte above what is mapped, then takes every thread stack
// the C library keeps for reuse with a thread that never ends: no new thread's stack fits.
inline std::string LeaveNoRoomForThreads()
{
    if (std::string lowered = LeaveRoom(1 << 20); !lowered.empty())
        return lowered;
    for (int kept = 0; kept < 256; ++kept) {
        pthread_t waiter;
        if (pthread_create(&waiter, nullptr, WaitForEver, nullptr) != 0)
            return "";
    }
    return "threads still start; ";
}

}  // namespace threadless

// Runs `checks` in a child process once `limit` has lowered its address space (answering what
// kept it from doing so); `checks` answers what it found wrong, nothing when all is well. The
// answer is what went wrong, also a child ended by a signal: an exception that leaves `checks`
// ends the child as it would end the program, never going back into the test framework.
inline std::string RunInLimitedChild(const std::function<std::string()>& limit,
                                     const std::function<std::string()>& checks)
{
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(report[0]);
        std::string faults = limit();
        if (faults.empty())
            faults = [&]() noexcept { return checks(); }();
        const ssize_t written = write(report[1], faults.data(), faults.size());
        _exit(written == ssize_t(faults.size()) ? 0 : 1);
    }
    close(report[1]);
    std::string faults;
    char buffer[256];
    for (ssize_t got; (got = read(report[0], buffer, sizeof buffer)) > 0;)
        faults.append(buffer, size_t(got));
    close(report[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return faults + "no child";
    if (WIFSIGNALED(status))
        return faults + "the child was ended by signal " + std::to_string(WTERMSIG(status));
    return WEXITSTATUS(status) == 0 ? faults : faults + "the child could not report";
}

// Runs `checks` as RunInLimitedChild does, in a child in which no thread can start for want of
// address space.
inline std::string RunWhereNoThreadStarts(const std::function<std::string()>& checks)
{
    return RunInLimitedChild(threadless::LeaveNoRoomForThreads, checks);
}

// Runs `checks` as RunInLimitedChild does, in a child with `bytes` of address space left.
inline std::string RunWithRoomLeft(unsigned long long bytes, const std::function<std::string()>& checks)
{
    return RunInLimitedChild([bytes] { return threadless::LeaveRoom(bytes); }, checks);
}
