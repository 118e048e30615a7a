#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/core/TempFolder.h"
#include "toolkit/net/CHTTPSession.h"

// A program started with an argument vector (never through a shell), with pipes to its
// standard input and output when asked. Stopped when destroyed: its input is closed, then it is
// sent SIGTERM, then SIGKILL, each after a short wait.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::vector<std::string>& arguments, bool withPipes);
    // A line of its output without the line end; "" when none came within the time.
    std::string ReadLine(int milliseconds);
    // All of its output until it ends, at most `milliseconds`; false when it did not end.
    bool ReadAll(std::string* output, int milliseconds);
    bool HasEnded();
    int ExitStatus() const { return m_status; }
    void Stop();

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    int m_status = -1;
    std::string m_pending;
};

// The raw-socket server of tests/data/net, started for one test.
class RawHttpServer {
public:
    bool Start();
    uint16_t Port() const { return m_port; }
    // "127.0.0.1:port".
    tCString HostAndPort() const;

private:
    ChildProcess m_process;
    uint16_t m_port = 0;
};

// Debian's nginx run as this user, in the foreground, with every path inside a folder of its
// own: it serves www/ of that folder plainly and, under /chunked/, through its SSI filter, which
// answers in chunks; any path that starts with /numbered- it answers with that path.
class NginxServer {
public:
    bool Start(const TempFolder& folder);
    uint16_t Port() const { return m_port; }
    std::string WebFolder() const { return m_web; }

private:
    bool TryPort(const TempFolder& folder, uint16_t port);

    ChildProcess m_process;
    uint16_t m_port = 0;
    std::string m_web;
};

// The python3 interpreter to run helpers with.
const char* PythonProgram();
// A port on 127.0.0.1 that nothing listens on at the moment.
uint16_t UnusedLoopbackPort();
// The bytes the raw server's "pattern" sends: byte i is ((i * 31) ^ (i >> 8)) & 0xFF.
std::string PatternBytes(size_t count, size_t offset = 0);
// The SHA-256 of a file's bytes in hexadecimal, as sha256sum computes it.
std::string Sha256OfFile(const std::string& path);
std::string Sha256OfBytes(const TempFolder& folder, const std::string& bytes);

// Takes every finished host look-up off the queue and hands it to the resolver.
void PumpHostLookups();
// Asks `done` until it holds, at most `milliseconds` of real time and a bounded number of
// rounds; answers whether it held.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 15000);
// Runs `step` (which polls), then the look-ups, until `done` holds, at most `milliseconds` of real
// time and a bounded number of rounds; answers whether `done` held.
bool DriveUntil(const std::function<void()>& step, const std::function<bool()>& done, int milliseconds = 15000);
// The same with one session polled.
bool PollUntil(CHTTPSession& session, const std::function<bool()>& done, int milliseconds = 60000);

// Records what a client session tells its owner, in order.
class SessionLog {
public:
    void Attach(CHTTPSession& session);
    std::vector<std::string> events;
    std::vector<uint32_t> progress;
    tCStringArray headerNames;
    tCStringArray headerValues;
    std::string request;
    int finishedCalls = 0;
    // The session's state when downloadFinished came.
    uint32_t stateAtFinish = 0;
};

// Every network test runs on a fresh headless platform with the sockets started.
class NetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};
