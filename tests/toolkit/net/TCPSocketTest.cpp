#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "NetTestSupport.h"
#include "platform/Sockets.h"
#include "toolkit/net/CResolver.h"
#include "toolkit/net/CTCPSocket.h"
#include "toolkit/net/WinSockSupport.h"

namespace {

// What the callbacks of the sockets in a test saw.
struct Seen {
    std::vector<uint64_t> connects;
    std::vector<tResult> accepts;
    std::unique_ptr<CTCPSocket> accepted;
    std::string received;
    int readables = 0;
    int writables = 0;
    // The state after every read while bytes were still waiting.
    std::vector<uint32_t> statesWhilePending;
};

Seen* gSeen = nullptr;

tResult OnConnect(CTCPSocket*, uint64_t connected, tMsgArg)
{
    gSeen->connects.push_back(connected);
    return kResOk;
}

tResult OnAcceptReady(CTCPSocket* listener, uint64_t, tMsgArg)
{
    gSeen->accepts.push_back(listener->Accept());
    return kResOk;
}

tResult OnApproval(CTCPSocket* accepted, uint64_t, tMsgArg)
{
    gSeen->accepted.reset(accepted);
    return kResOk;
}

tResult OnReadable(CTCPSocket* socket, uint64_t, tMsgArg)
{
    ++gSeen->readables;
    CMemBlockT<char> block;
    TK_TRY(block.Resize(64000));
    uint32_t length = 64000;
    TK_TRY(socket->Receive(length, block));
    gSeen->received.append(block.GetData(), length);
    if (socket->IsMorePending())
        gSeen->statesWhilePending.push_back(socket->GetState());
    return kResOk;
}

tResult OnWritable(CTCPSocket*, uint64_t, tMsgArg)
{
    ++gSeen->writables;
    return kResOk;
}

class TCPSocketTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        gSeen = &m_seen;
    }
    void TearDown() override
    {
        m_seen.accepted.reset();
        gSeen = nullptr;
        NetTest::TearDown();
    }

    // A listener on a free port of 127.0.0.1 and a client connected to it, both polled until the
    // connection stands on both sides.
    void Connect(CTCPSocket& listener, CTCPSocket& client)
    {
        ASSERT_EQ(listener.SetCallbacks(OnApproval, OnAcceptReady, nullptr, nullptr, nullptr, nullptr, 0), kResOk);
        ASSERT_EQ(listener.Listen(0), kResOk);
        ASSERT_NE(listener.GetOwnPort(), 0);
        ASSERT_EQ(client.SetCallbacks(nullptr, nullptr, OnConnect, OnReadable, OnWritable, nullptr, 0), kResOk);
        ASSERT_EQ(client.ConnectToHost(u"127.0.0.1", listener.GetOwnPort()), kResOk);
        ASSERT_TRUE(DriveUntil(
            [&] {
                listener.PollEvents();
                client.PollEvents();
            },
            [&] { return m_seen.accepted && client.GetState() == CTCPSocket::kStateConnected; }));
    }

    Seen m_seen;
};

TEST_F(TCPSocketTest, APollWithoutASocketDoesNothing)
{
    CTCPSocket socket;
    EXPECT_EQ(socket.PollEvents(), kResOk);
    ASSERT_EQ(socket.Create(0), kResOk);
    EXPECT_EQ(socket.Close(), kResOk);
    EXPECT_EQ(socket.PollEvents(), kResOk);
    EXPECT_EQ(socket.GetState(), CTCPSocket::kStateIdle);
}

TEST_F(TCPSocketTest, ARefusedConnectEndsInStateTwoWithTheSocketClosed)
{
    CTCPSocket socket;
    ASSERT_EQ(socket.SetCallbacks(nullptr, nullptr, OnConnect, nullptr, nullptr, nullptr, 0), kResOk);
    ASSERT_EQ(socket.ConnectToHost(u"127.0.0.1", UnusedLoopbackPort()), kResOk);
    EXPECT_EQ(socket.GetState(), CTCPSocket::kStateConnecting);
    ASSERT_TRUE(DriveUntil([&] { socket.PollEvents(); }, [&] { return !m_seen.connects.empty(); }));
    EXPECT_EQ(m_seen.connects, std::vector<uint64_t>{0});
    EXPECT_EQ(socket.GetState(), CTCPSocket::kStateConnectFailed);
    EXPECT_FALSE(socket.IsOpen());
    EXPECT_FALSE(socket.IsConnected());
}

TEST_F(TCPSocketTest, AConnectionIsMadeAndAcceptedWithPeerAddresses)
{
    CTCPSocket listener, client;
    Connect(listener, client);
    EXPECT_EQ(m_seen.connects, std::vector<uint64_t>{1});
    EXPECT_EQ(m_seen.accepts, std::vector<tResult>{kResOk});
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.GetRemotePort(), listener.GetOwnPort());
    EXPECT_EQ(m_seen.accepted->GetState(), CTCPSocket::kStateConnected);
    EXPECT_TRUE(m_seen.accepted->IsConnected());
    EXPECT_EQ(m_seen.accepted->GetRemoteAddress(), client.GetRemoteAddress());
    // The first writable event follows the connect.
    ASSERT_TRUE(DriveUntil([&] { client.PollEvents(); }, [&] { return client.IsWritable(); }));
    EXPECT_EQ(m_seen.writables, 1);
}

TEST_F(TCPSocketTest, BytesThatCameBeforeThePeersCloseAreAllReadFirst)
{
    CTCPSocket listener, client;
    Connect(listener, client);
    const std::string bytes = PatternBytes(200000);
    CMemBlockT<char> block;
    ASSERT_EQ(block.Resize(int32_t(bytes.size())), kResOk);
    block.CopyFrom(bytes.data(), block.GetCount());
    // Loopback takes all of it at once; the client has not read anything yet.
    uint32_t sent = 0;
    ASSERT_EQ(m_seen.accepted->Send(sent, block), kResOk);
    ASSERT_EQ(sent, bytes.size());
    EXPECT_EQ(block.GetCount(), 0);
    EXPECT_EQ(m_seen.accepted->GetBytesSent(), bytes.size());
    ASSERT_EQ(m_seen.accepted->Close(), kResOk);

    ASSERT_TRUE(DriveUntil([&] { client.PollEvents(); }, [&] { return !client.IsOpen(); }));
    EXPECT_EQ(m_seen.received, bytes);
    EXPECT_EQ(client.GetBytesReceived(), bytes.size());
    EXPECT_GE(m_seen.readables, 4);
    // While bytes were waiting the close was held back.
    ASSERT_FALSE(m_seen.statesWhilePending.empty());
    for (const uint32_t state : m_seen.statesWhilePending)
        EXPECT_EQ(state, CTCPSocket::kStateConnected);
    EXPECT_EQ(client.GetState(), CTCPSocket::kStateClosed);
}

TEST_F(TCPSocketTest, ASendThatWouldBlockAnswers27UntilTheNextWritableEvent)
{
    CTCPSocket listener, client;
    Connect(listener, client);
    CTCPSocket& server = *m_seen.accepted;
    ASSERT_TRUE(DriveUntil([&] { server.PollEvents(); }, [&] { return server.IsWritable(); }));
    tResult result = kResOk;
    uint64_t total = 0;
    for (int i = 0; i < 10000 && result == kResOk; ++i) {
        CMemBlockT<char> block;
        ASSERT_EQ(block.Resize(1 << 20), kResOk);
        uint32_t sent = 0;
        result = server.Send(sent, block);
        total += sent;
        if (result == kResOk && sent < (1u << 20)) {
            EXPECT_EQ(block.GetCount(), int32_t((1u << 20) - sent));
        }
    }
    EXPECT_EQ(result, kResNetRecoverable);
    EXPECT_EQ(server.GetLastError(), w32::WSAEWOULDBLOCK);
    EXPECT_FALSE(server.IsWritable());
    ASSERT_TRUE(DriveUntil(
        [&] {
            client.PollEvents();
            server.PollEvents();
        },
        [&] { return server.IsWritable(); }));
    EXPECT_GT(m_seen.received.size(), 0u);
    EXPECT_LE(m_seen.received.size(), total);
}

TEST_F(TCPSocketTest, AConnectionWithoutApprovalIsRefusedAndClosed)
{
    CTCPSocket listener, client;
    ASSERT_EQ(listener.SetCallbacks(nullptr, OnAcceptReady, nullptr, nullptr, nullptr, nullptr, 0), kResOk);
    ASSERT_EQ(listener.Listen(0), kResOk);
    ASSERT_EQ(client.SetCallbacks(nullptr, nullptr, OnConnect, OnReadable, nullptr, nullptr, 0), kResOk);
    ASSERT_EQ(client.ConnectToHost(u"127.0.0.1", listener.GetOwnPort()), kResOk);
    ASSERT_TRUE(DriveUntil(
        [&] {
            listener.PollEvents();
            client.PollEvents();
        },
        [&] { return !m_seen.accepts.empty() && !client.IsOpen(); }));
    EXPECT_EQ(m_seen.accepts, std::vector<tResult>{kResNetFatal});
    EXPECT_EQ(client.GetState(), CTCPSocket::kStateClosed);
}

TEST_F(TCPSocketTest, ReceiveNeverWritesPastItsBlock)
{
    CTCPSocket listener, client;
    Connect(listener, client);
    CMemBlockT<char> block;
    ASSERT_EQ(block.Resize(10), kResOk);
    block.CopyFrom("0123456789", 10);
    uint32_t sent = 0;
    ASSERT_EQ(m_seen.accepted->Send(sent, block), kResOk);
    CMemBlockT<char> small;
    ASSERT_EQ(small.Resize(4), kResOk);
    uint32_t length = 64000;
    ASSERT_TRUE(DriveUntil([] {}, [&] {
        length = 64000;
        return client.Receive(length, small) == kResOk && length > 0;
    }));
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(std::string(small.GetData(), 4), "0123");
    EXPECT_TRUE(client.IsMorePending());
}

TEST_F(TCPSocketTest, AFailingCloseCallbackStillClosesAndCancelsTheLookUp)
{
    CTCPSocket socket;
    ASSERT_EQ(socket.SetCallbacks(nullptr, nullptr, OnConnect, nullptr, nullptr,
                                  [](CTCPSocket*, uint64_t, tMsgArg) -> tResult { return kResBusy; }, 0),
              kResOk);
    ASSERT_EQ(socket.ConnectToHost(u"localhost", 9), kResOk);
    EXPECT_EQ(socket.Close(), kResBusy);
    EXPECT_FALSE(socket.IsOpen());
    ASSERT_TRUE(DriveUntil([] {}, [] { return GetResolver().GetPendingCount() == 0; }));
    EXPECT_TRUE(m_seen.connects.empty());
    EXPECT_EQ(socket.GetState(), CTCPSocket::kStateIdle);
}

TEST(SocketErrorsTest, ErrorNumbersAreClassedIntoResultCodes)
{
    for (const int32_t fatal : {w32::WSAEINTR, w32::WSAEACCES, w32::WSAEINVAL, w32::WSANOTINITIALISED,
                                w32::WSANO_RECOVERY, w32::WSANO_DATA, w32::WSAEHOSTUNREACH})
        EXPECT_EQ(GetErrFatality(fatal), kResNetFatal) << fatal;
    for (const int32_t recoverable : {w32::WSAEWOULDBLOCK, w32::WSAECONNREFUSED, w32::WSAECONNRESET,
                                      w32::WSAETIMEDOUT, w32::WSAHOST_NOT_FOUND, w32::WSATRY_AGAIN})
        EXPECT_EQ(GetErrFatality(recoverable), kResNetRecoverable) << recoverable;
    // Unknown numbers are only logged: no box.
    EXPECT_EQ(GetErrFatality(w32::WSAENETRESET), kResFailure);
    EXPECT_EQ(GetErrFatality(4242), kResFailure);
}

}  // namespace
