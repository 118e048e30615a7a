#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>

#include "HeadlessFixture.h"
#include "platform/HostLookup.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/Sockets.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace SocketsTests {

using namespace w32;

namespace {

constexpr int32_t kAllEvents = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

bool Eventually(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return done();
}

sockaddr_in LoopbackAddress(uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

class SocketsTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        m_event = WSACreateEvent();
        ASSERT_NE(m_event, WSA_INVALID_EVENT);
    }
    void TearDown() override
    {
        for (SOCKET s : m_sockets)
            closesocket(s);
        WSACloseEvent(m_event);
        EXPECT_EQ(WSACleanup(), 0);
        HeadlessTest::TearDown();
    }

    SOCKET Selected()
    {
        const SOCKET s = w32::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        EXPECT_NE(s, INVALID_SOCKET);
        EXPECT_EQ(WSAEventSelect(s, m_event, kAllEvents), 0);
        m_sockets.push_back(s);
        return s;
    }

    uint16_t Listening(SOCKET s)
    {
        sockaddr_in address = LoopbackAddress(0);
        EXPECT_EQ(w32::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(w32::listen(s, 4), 0);
        int32_t size = sizeof address;
        EXPECT_EQ(w32::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size), 0);
        return ntohs(address.sin_port);
    }

    // Enumerates until `wanted` came (all of its bits, gathered over several calls); the events
    // seen and the error codes of the last call that brought each.
    WSANETWORKEVENTS WaitFor(SOCKET s, int32_t wanted)
    {
        WSANETWORKEVENTS gathered;
        Eventually([&] {
            WSANETWORKEVENTS events;
            EXPECT_EQ(WSAEnumNetworkEvents(s, m_event, &events), 0);
            gathered.lNetworkEvents |= events.lNetworkEvents;
            for (int bit = 0; bit < FD_MAX_EVENTS; ++bit)
                if (events.lNetworkEvents & (1 << bit))
                    gathered.iErrorCode[bit] = events.iErrorCode[bit];
            return (gathered.lNetworkEvents & wanted) == wanted;
        });
        return gathered;
    }

    WSAEVENT m_event = WSA_INVALID_EVENT;
    std::vector<SOCKET> m_sockets;
};

TEST(SocketsStartTest, CallsFailUntilStartedAndVersionsAreGranted)
{
    WSASetLastError(0);
    EXPECT_EQ(w32::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(WSAAsyncGetHostByName(nullptr, WM_APP + 1, "localhost"), nullptr);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);

    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(data.wVersion, 0x0202);
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &data), 0);
    EXPECT_EQ(data.wVersion, 0x0002);
    ASSERT_EQ(WSAStartup(MAKEWORD(3, 1), &data), 0);
    EXPECT_EQ(data.wVersion, 0x0202);
    EXPECT_EQ(WSAStartup(MAKEWORD(0, 9), &data), WSAVERNOTSUPPORTED);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(WSACleanup(), 0);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
}

TEST(SocketsStartTest, SystemErrorsBecomeWinSockNumbers)
{
    EXPECT_EQ(WinSockErrorFromErrno(EINPROGRESS), WSAEWOULDBLOCK);
    EXPECT_EQ(WinSockErrorFromErrno(EAGAIN), WSAEWOULDBLOCK);
    EXPECT_EQ(WinSockErrorFromErrno(ECONNREFUSED), WSAECONNREFUSED);
    EXPECT_EQ(WinSockErrorFromErrno(ECONNRESET), WSAECONNRESET);
    EXPECT_EQ(WinSockErrorFromErrno(EPIPE), WSAECONNRESET);
    EXPECT_EQ(WinSockErrorFromErrno(EHOSTUNREACH), WSAEHOSTUNREACH);
    EXPECT_EQ(WinSockErrorFromErrno(ENOTCONN), WSAENOTCONN);
    EXPECT_EQ(WinSockErrorFromErrno(EMFILE), WSAEMFILE);
}

TEST_F(SocketsTest, ARefusedConnectEndsThroughFdConnect)
{
    const SOCKET closedPort = w32::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    m_sockets.push_back(closedPort);
    const uint16_t port = Listening(closedPort);
    closesocket(closedPort);
    m_sockets.pop_back();

    const SOCKET client = Selected();
    const sockaddr_in address = LoopbackAddress(port);
    EXPECT_EQ(WSAConnect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address, nullptr, nullptr,
                         nullptr, nullptr),
              SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    const WSANETWORKEVENTS events = WaitFor(client, FD_CONNECT);
    EXPECT_EQ(events.lNetworkEvents, FD_CONNECT);
    EXPECT_EQ(events.iErrorCode[FD_CONNECT_BIT], WSAECONNREFUSED);
    // Nothing more follows a failed connect.
    WSANETWORKEVENTS later;
    EXPECT_EQ(WSAEnumNetworkEvents(client, m_event, &later), 0);
    EXPECT_EQ(later.lNetworkEvents, 0);
}

TEST_F(SocketsTest, AConnectionReportsItsEventsOnceEach)
{
    const SOCKET listener = Selected();
    const uint16_t port = Listening(listener);
    const SOCKET client = Selected();
    const sockaddr_in address = LoopbackAddress(port);
    ASSERT_EQ(WSAConnect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address, nullptr, nullptr,
                         nullptr, nullptr),
              SOCKET_ERROR);
    ASSERT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

    EXPECT_EQ(WaitFor(listener, FD_ACCEPT).lNetworkEvents, FD_ACCEPT);
    const SOCKET accepted = w32::accept(listener, nullptr, nullptr);
    ASSERT_NE(accepted, INVALID_SOCKET);
    m_sockets.push_back(accepted);
    const WSANETWORKEVENTS connected = WaitFor(client, FD_CONNECT | FD_WRITE);
    EXPECT_EQ(connected.iErrorCode[FD_CONNECT_BIT], 0);
    // The accepted socket took the listener's selection and may write at once.
    EXPECT_EQ(WaitFor(accepted, FD_WRITE).lNetworkEvents, FD_WRITE);
    WSANETWORKEVENTS none;
    ASSERT_EQ(WSAEnumNetworkEvents(client, m_event, &none), 0);
    EXPECT_EQ(none.lNetworkEvents, 0);

    ASSERT_EQ(w32::send(accepted, "twelve bytes", 12, 0), 12);
    ASSERT_EQ(w32::shutdown(accepted, SD_SEND), 0);
    // The bytes and the end of the stream come together; the close only once.
    const WSANETWORKEVENTS arrived = WaitFor(client, FD_READ | FD_CLOSE);
    EXPECT_EQ(arrived.iErrorCode[FD_CLOSE_BIT], 0);
    w32::u_long waiting = 0;
    ASSERT_EQ(ioctlsocket(client, FIONREAD, &waiting), 0);
    EXPECT_EQ(waiting, 12u);
    char buffer[32];
    EXPECT_EQ(w32::recv(client, buffer, sizeof buffer, 0), 12);
    WSANETWORKEVENTS after;
    ASSERT_EQ(WSAEnumNetworkEvents(client, m_event, &after), 0);
    EXPECT_EQ(after.lNetworkEvents, 0);
    EXPECT_EQ(w32::recv(client, buffer, sizeof buffer, 0), 0);
}

TEST_F(SocketsTest, AResetConnectionClosesWithItsError)
{
    const SOCKET listener = Selected();
    const SOCKET client = Selected();
    const sockaddr_in address = LoopbackAddress(Listening(listener));
    WSAConnect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address, nullptr, nullptr, nullptr, nullptr);
    WaitFor(listener, FD_ACCEPT);
    const SOCKET accepted = w32::accept(listener, nullptr, nullptr);
    ASSERT_NE(accepted, INVALID_SOCKET);
    WaitFor(client, FD_CONNECT);
    // A zero linger time makes the close a reset.
    const linger abort{1, 0};
    ASSERT_EQ(::setsockopt(int(accepted), SOL_SOCKET, SO_LINGER, &abort, sizeof abort), 0);
    ASSERT_EQ(closesocket(accepted), 0);
    EXPECT_EQ(WaitFor(client, FD_CLOSE).iErrorCode[FD_CLOSE_BIT], WSAECONNRESET);
    char byte;
    EXPECT_EQ(w32::send(client, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
}

TEST_F(SocketsTest, OnlySocketsMadeHereAreKnown)
{
    char byte;
    EXPECT_EQ(w32::recv(SOCKET(0), &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    const SOCKET s = Selected();
    EXPECT_EQ(closesocket(s), 0);
    m_sockets.clear();
    EXPECT_EQ(closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

class HostLookupTest : public SocketsTest {
protected:
    // The look-up message posted to this thread for `task`.
    bool TakeMessage(HANDLE task, MSG* message)
    {
        return Eventually([&] {
            return PeekMessageW(message, nullptr, WM_APP + 1, WM_APP + 1, PM_REMOVE) &&
                   message->wParam == reinterpret_cast<WPARAM>(task);
        });
    }
};

TEST_F(HostLookupTest, ANameIsAnsweredByAMessageWithTheTask)
{
    const HANDLE task = WSAAsyncGetHostByName(nullptr, WM_APP + 1, "localhost");
    ASSERT_NE(task, nullptr);
    MSG message;
    ASSERT_TRUE(TakeMessage(task, &message));
    EXPECT_EQ(HIWORD(uintptr_t(message.lParam)), 0);
    uint32_t address = 0;
    EXPECT_EQ(WSAGetAsyncHostAddress(task, &address), 0);
    EXPECT_EQ(address, htonl(INADDR_LOOPBACK));
    // The answer is released once taken.
    EXPECT_EQ(WSAGetAsyncHostAddress(task, &address), WSAEINVAL);
}

TEST_F(HostLookupTest, AnUnknownNameCarriesItsError)
{
    const HANDLE task = WSAAsyncGetHostByName(nullptr, WM_APP + 1, "no-such-host..invalid");
    ASSERT_NE(task, nullptr);
    MSG message;
    ASSERT_TRUE(TakeMessage(task, &message));
    EXPECT_EQ(HIWORD(uintptr_t(message.lParam)), WSAHOST_NOT_FOUND);
    uint32_t address = 1;
    EXPECT_EQ(WSAGetAsyncHostAddress(task, &address), WSAHOST_NOT_FOUND);
    EXPECT_EQ(address, 0u);
}

TEST_F(HostLookupTest, ACancelledTaskIsForgotten)
{
    const HANDLE task = WSAAsyncGetHostByName(nullptr, WM_APP + 1, "localhost");
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(WSACancelAsyncRequest(task), 0);
    uint32_t address = 0;
    EXPECT_EQ(WSAGetAsyncHostAddress(task, &address), WSAEINVAL);
    EXPECT_EQ(WSACancelAsyncRequest(task), SOCKET_ERROR);
}

}  // namespace

}  // namespace SocketsTests
