#include "NetTestSupport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Platform.h"
#include "platform/Queue.h"
#include "toolkit/core/HostLookupHook.h"
#include "toolkit/net/CResolver.h"
#include "toolkit/net/WinSockSupport.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

bool AcceptsConnections(uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

}  // namespace

bool ChildProcess::Start(const std::vector<std::string>& arguments, bool withPipes)
{
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    if (withPipes && (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0))
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (withPipes) {
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (withPipes) {
        ::close(input[0]);
        ::close(output[1]);
        m_input = input[1];
        m_output = output[0];
    }
    if (spawned != 0) {
        m_pid = -1;
        return false;
    }
    return true;
}

std::string ChildProcess::ReadLine(int milliseconds)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (m_pending.find('\n') == std::string::npos) {
        pollfd watch{m_output, POLLIN, 0};
        if (m_output < 0 || ::poll(&watch, 1, RemainingMs(deadline)) <= 0)
            return "";
        char buffer[256];
        const ssize_t got = ::read(m_output, buffer, sizeof buffer);
        if (got <= 0)
            return "";
        m_pending.append(buffer, size_t(got));
    }
    const size_t end = m_pending.find('\n');
    std::string line = m_pending.substr(0, end);
    m_pending.erase(0, end + 1);
    return line;
}

bool ChildProcess::ReadAll(std::string* output, int milliseconds)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    *output = m_pending;
    m_pending.clear();
    while (m_output >= 0) {
        pollfd watch{m_output, POLLIN, 0};
        if (::poll(&watch, 1, RemainingMs(deadline)) <= 0)
            return false;
        char buffer[4096];
        const ssize_t got = ::read(m_output, buffer, sizeof buffer);
        if (got <= 0)
            break;
        output->append(buffer, size_t(got));
    }
    while (!HasEnded()) {
        if (RemainingMs(deadline) == 0)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool ChildProcess::HasEnded()
{
    if (m_pid < 0)
        return true;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) != m_pid)
        return false;
    m_status = status;
    m_pid = -1;
    return true;
}

void ChildProcess::Stop()
{
    // A child that reads its input ends by itself when the input closes.
    const bool endsByItself = m_input >= 0;
    if (m_input >= 0) {
        ::close(m_input);
        m_input = -1;
    }
    for (const int signal : {0, SIGTERM, SIGKILL}) {
        if (m_pid < 0)
            break;
        if (signal == 0 && !endsByItself)
            continue;
        if (signal != 0)
            kill(m_pid, signal);
        for (int wait = 0; wait < 200 && !HasEnded(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (m_output >= 0) {
        ::close(m_output);
        m_output = -1;
    }
}

const char* PythonProgram()
{
    // Debian's own interpreter starts fastest; any other on the path serves as well.
    return access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
}

bool RawHttpServer::Start()
{
    if (!m_process.Start({PythonProgram(), KOSTREL_TEST_DATA "/net/raw_http_server.py"}, true))
        return false;
    const std::string line = m_process.ReadLine(10000);
    m_port = uint16_t(std::atoi(line.c_str()));
    return m_port != 0;
}

tCString RawHttpServer::HostAndPort() const
{
    return tCString::FromAnsi("127.0.0.1:" + std::to_string(m_port));
}

bool NginxServer::Start(const TempFolder& folder)
{
    for (int attempt = 0; attempt < 5; ++attempt)
        if (TryPort(folder, UnusedLoopbackPort()))
            return true;
    return false;
}

bool NginxServer::TryPort(const TempFolder& folder, uint16_t port)
{
    const std::string root = folder.Path().string();
    m_web = folder.File("www");
    std::filesystem::create_directories(m_web);
    std::filesystem::create_directories(folder.File("temp"));
    {
        std::ofstream config(folder.File("nginx.conf"));
        config << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
               << "pid " << root << "/nginx.pid;\nerror_log " << root << "/error.log;\n"
               << "events { worker_connections 64; }\nhttp {\n  access_log off;\n"
               << "  client_body_temp_path " << root << "/temp/body;\n"
               << "  proxy_temp_path " << root << "/temp/proxy;\n"
               << "  fastcgi_temp_path " << root << "/temp/fastcgi;\n"
               << "  uwsgi_temp_path " << root << "/temp/uwsgi;\n"
               << "  scgi_temp_path " << root << "/temp/scgi;\n"
               << "  default_type application/octet-stream;\n"
               << "  server {\n    listen 127.0.0.1:" << port << ";\n    root " << m_web << ";\n"
               << "    location /chunked/ { alias " << m_web << "/; ssi on; ssi_types *; }\n"
               << "    location /numbered- { return 200 $uri; }\n  }\n}\n";
    }
    m_process.Stop();
    if (!m_process.Start({"/usr/sbin/nginx", "-p", root, "-c", folder.File("nginx.conf")}, false))
        return false;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
        if (m_process.HasEnded())
            return false;
        if (AcceptsConnections(port)) {
            m_port = port;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_process.Stop();
    return false;
}

uint16_t UnusedLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

std::string PatternBytes(size_t count, size_t offset)
{
    std::string bytes(count, '\0');
    for (size_t i = 0; i < count; ++i) {
        const size_t at = offset + i;
        bytes[i] = char(((at * 31) ^ (at >> 8)) & 0xFF);
    }
    return bytes;
}

std::string Sha256OfFile(const std::string& path)
{
    ChildProcess tool;
    std::string output;
    if (!tool.Start({"sha256sum", "-b", path}, true) || !tool.ReadAll(&output, 10000))
        return "";
    return output.substr(0, output.find(' '));
}

std::string Sha256OfBytes(const TempFolder& folder, const std::string& bytes)
{
    const std::string name = folder.File("hashed.bin");
    WriteWholeFile(name, bytes);
    return Sha256OfFile(name);
}

void PumpHostLookups()
{
    w32::MSG message;
    while (w32::PeekMessageW(&message, nullptr, kMsgHostLookupDone, kMsgHostLookupDone, w32::PM_REMOVE))
        EXPECT_EQ(CompleteHostLookup(&message), kResOk);
}

bool WaitFor(const std::function<bool()>& done, int milliseconds)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (int round = 0; round < 1000000 && Clock::now() < deadline; ++round) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return done();
}

bool DriveUntil(const std::function<void()>& step, const std::function<bool()>& done, int milliseconds)
{
    return WaitFor(
        [&] {
            step();
            PumpHostLookups();
            return done();
        },
        milliseconds);
}

bool PollUntil(CHTTPSession& session, const std::function<bool()>& done, int milliseconds)
{
    return DriveUntil([&] { session.PollEvents(); }, done, milliseconds);
}

void SessionLog::Attach(CHTTPSession& session)
{
    tHTTPCallbacks& callbacks = session.GetHTTPCallbacks();
    const tMsgArg self = ToMsgArg(this);
    callbacks.stateChanged = {[](CHTTPSession* s, tMsgArg context) -> tResult {
                                  FromMsgArg<SessionLog>(context)->events.push_back("state " + std::to_string(s->GetState()));
                                  return kResOk;
                              },
                              self};
    callbacks.requestFailed = {[](CHTTPSession*, tMsgArg context) -> tResult {
                                   FromMsgArg<SessionLog>(context)->events.push_back("requestFailed");
                                   return kResOk;
                               },
                               self};
    callbacks.transferFailed = {[](CHTTPSession*, tMsgArg context) -> tResult {
                                    FromMsgArg<SessionLog>(context)->events.push_back("transferFailed");
                                    return kResOk;
                                },
                                self};
    callbacks.requestBuilt = {[](CHTTPSession*, std::string_view request, tMsgArg context) {
                                  FromMsgArg<SessionLog>(context)->request = std::string(request);
                              },
                              self};
    callbacks.progressChanged = {[](CHTTPSession*, uint32_t thousandths, tMsgArg context) -> tResult {
                                     FromMsgArg<SessionLog>(context)->progress.push_back(thousandths);
                                     return kResOk;
                                 },
                                 self};
    callbacks.headersReceived = {[](const tCStringArray& names, const tCStringArray& values, tMsgArg context) {
                                     SessionLog* me = FromMsgArg<SessionLog>(context);
                                     me->events.push_back("headers");
                                     me->headerNames.CopyFrom(names);
                                     me->headerValues.CopyFrom(values);
                                 },
                                 self};
    callbacks.downloadFinished = {[](CHTTPSession* s, const tCString&, const tCString&, uint32_t complete,
                                     uint64_t received, tMsgArg context) -> tResult {
                                      SessionLog* me = FromMsgArg<SessionLog>(context);
                                      me->events.push_back("finished " + std::to_string(complete) + " " +
                                                           std::to_string(received));
                                      ++me->finishedCalls;
                                      me->stateAtFinish = s->GetState();
                                      return kResOk;
                                  },
                                  self};
}

void NetTest::SetUp()
{
    ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless));
    ASSERT_EQ(StartUpWinSock(), kResOk);
}

void NetTest::TearDown()
{
    EXPECT_EQ(CleanUpWinSock(), kResOk);
    w32::StopPlatform();
}
