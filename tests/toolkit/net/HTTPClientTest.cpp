#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NetTestSupport.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/net/CResolver.h"

using Events = std::vector<std::string>;

namespace {

class HTTPClientTest : public NetTest {
protected:
    static void SetUpTestSuite()
    {
        s_server = new RawHttpServer;
        s_serverStarted = s_server->Start();
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override
    {
        NetTest::SetUp();
        ASSERT_TRUE(s_serverStarted);
        m_log.Attach(m_session);
    }

    // Fetches `target` from the raw server into memory and polls until the session closed or
    // failed.
    void Fetch(const std::string& target, uint64_t resumeOffset = 0)
    {
        ASSERT_EQ(m_session.StartRequest(true, m_server.HostAndPort(), tCString::FromAnsi(target), u"", u"",
                                         resumeOffset),
                  kResOk);
        ASSERT_TRUE(PollUntil(m_session, [&] { return m_session.GetState() >= CTCPSocket::kStateClosed; }));
    }

    std::string Body() const
    {
        CHTTPSession& session = const_cast<CHTTPSession&>(m_session);
        return std::string(reinterpret_cast<const char*>(session.GetBodyMemory().GetData()),
                           size_t(session.GetBodyMemory().GetSize()));
    }

    static inline RawHttpServer* s_server = nullptr;
    static inline bool s_serverStarted = false;
    RawHttpServer& m_server = *s_server;
    // The log outlives the session, whose close at its end may still report.
    SessionLog m_log;
    CHTTPSession m_session;
};

TEST_F(HTTPClientTest, SendsTheRequestLinesExactly)
{
    Fetch("/echo");
    EXPECT_EQ(Body(), "GET /echo HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: Tessel HTTP\r\n"
                      "Connection: close\r\nAccept-Encoding:\r\n\r\n");
    EXPECT_EQ(m_log.request, Body());
}

TEST_F(HTTPClientTest, AResumeAsksForTheRestWithARangeLine)
{
    m_session.SetAgent(u"Kostrel updater");
    Fetch("/echo", 1000);
    const std::string expected = "GET /echo HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: Kostrel updater\r\n"
                                 "Connection: close\r\nAccept-Encoding:\r\nRange: bytes=1000-\r\n\r\n";
    EXPECT_EQ(Body(), expected);
    // The memory body holds only the new bytes; the count goes on from the offset.
    EXPECT_EQ(m_session.GetReceived(), 1000 + expected.size());
    EXPECT_EQ(m_session.GetContentLength(), 1000 + expected.size());
    EXPECT_EQ(m_session.GetRangeStart(), 1000u);
}

TEST_F(HTTPClientTest, ANameWithAPortIsLookedUpAndTheHostLineCarriesTheNameOnly)
{
    const std::string hostAndPort = "localhost:" + std::to_string(m_server.Port());
    ASSERT_EQ(m_session.StartRequest(true, tCString::FromAnsi(hostAndPort), u"/echo", u"", u"", 0), kResOk);
    EXPECT_EQ(GetResolver().GetPendingCount(), 1);
    EXPECT_EQ(m_session.GetState(), CTCPSocket::kStateIdle);
    ASSERT_TRUE(PollUntil(m_session, [&] { return m_session.GetState() == CTCPSocket::kStateClosed; }));
    EXPECT_EQ(Body(), "GET /echo HTTP/1.1\r\nHost: localhost\r\nUser-Agent: Tessel HTTP\r\n"
                      "Connection: close\r\nAccept-Encoding:\r\n\r\n");
    EXPECT_EQ(m_session.GetRemotePort(), m_server.Port());
    EXPECT_EQ(GetResolver().GetPendingCount(), 0);
}

TEST_F(HTTPClientTest, ASuccessfulDownloadReportsItsStepsInOrder)
{
    // 200 KB sent and closed at once: the close waits until every byte before it was read.
    Fetch("/pattern/200000");
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "headers", "finished 1 200000", "state 4"}));
    EXPECT_EQ(Body(), PatternBytes(200000));
    ASSERT_FALSE(m_log.progress.empty());
    EXPECT_EQ(m_log.progress.back(), 1000u);
    for (size_t i = 1; i < m_log.progress.size(); ++i)
        EXPECT_LT(m_log.progress[i - 1], m_log.progress[i]);
    EXPECT_TRUE(m_session.IsFinished());
    // One session carries one exchange.
    EXPECT_EQ(m_session.StartRequest(true, m_server.HostAndPort(), u"/echo", u"", u"", 0), kResBusy);
}

TEST_F(HTTPClientTest, DestroyingASessionMidBodyReportsTheBrokenTransfer)
{
    SessionLog log;
    auto session = std::make_unique<CHTTPSession>();
    log.Attach(*session);
    ASSERT_EQ(session->StartRequest(true, m_server.HostAndPort(), u"/chunkhuge", u"", u"", 0), kResOk);
    ASSERT_TRUE(PollUntil(*session, [&] { return session->GetReceived() > 0; }));
    session.reset();
    EXPECT_EQ(log.events.back(), "transferFailed");
    EXPECT_EQ(log.finishedCalls, 1);
    EXPECT_EQ(log.events[log.events.size() - 3].rfind("finished 0 ", 0), 0u);
}

TEST_F(HTTPClientTest, ARefusedConnectionFailsOnce)
{
    const std::string hostAndPort = "127.0.0.1:" + std::to_string(UnusedLoopbackPort());
    ASSERT_EQ(m_session.StartRequest(true, tCString::FromAnsi(hostAndPort), u"/", u"", u"", 0), kResOk);
    ASSERT_TRUE(PollUntil(m_session, [&] { return m_session.IsFinished(); }));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(m_session.PollEvents(), kResOk);
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 2", "requestFailed"}));
    EXPECT_FALSE(m_session.IsOpen());
}

TEST_F(HTTPClientTest, AHostThatIsNotFoundFailsOnce)
{
    // Two dots in a row: the system refuses the name without asking any name server.
    ASSERT_EQ(m_session.StartRequest(true, u"no-such-host..invalid:80", u"/", u"", u"", 0), kResOk);
    ASSERT_TRUE(PollUntil(m_session, [&] { return m_session.IsFinished(); }));
    EXPECT_EQ(m_log.events, (Events{"state 2", "requestFailed"}));
    EXPECT_FALSE(m_session.IsOpen());
}

TEST_F(HTTPClientTest, ARefusedStatusIsReportedExactlyOnce)
{
    Fetch("/status/404");
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(m_session.PollEvents(), kResOk);
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "state 5", "requestFailed"}));
    EXPECT_TRUE(m_session.IsHeadParsed());
    EXPECT_EQ(m_log.finishedCalls, 0);
    EXPECT_EQ(m_session.GetBodyMemory().GetSize(), 0);
}

TEST_F(HTTPClientTest, RedirectionsAndAStatusWithoutCodeAreRefused)
{
    Fetch("/status/302");
    EXPECT_EQ(m_log.events.back(), "requestFailed");
    SessionLog log;
    CHTTPSession bare;
    log.Attach(bare);
    ASSERT_EQ(bare.StartRequest(true, m_server.HostAndPort(), u"/versiononly", u"", u"", 0), kResOk);
    ASSERT_TRUE(PollUntil(bare, [&] { return bare.IsFinished(); }));
    EXPECT_EQ(log.events, (Events{"state 1", "state 3", "state 5", "requestFailed"}));
}

TEST_F(HTTPClientTest, AReplyThatIsNotHTTPIsRefused)
{
    Fetch("/notHTTP");
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "state 5", "requestFailed"}));
}

TEST_F(HTTPClientTest, AConnectionClosedBeforeAnyHeadIsAFailure)
{
    Fetch("/closeearly");
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "state 5", "transferFailed"}));
    EXPECT_EQ(m_log.finishedCalls, 0);
}

TEST_F(HTTPClientTest, ABodyCutShortIsReportedIncompleteThenFailed)
{
    Fetch("/cut/1000/500");
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "headers", "finished 0 500", "state 5", "transferFailed"}));
}

TEST_F(HTTPClientTest, ABodyWithoutLengthEndsWithTheConnection)
{
    Fetch("/nolength/70000");
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "headers", "finished 1 70000", "state 4"}));
    EXPECT_EQ(Body(), PatternBytes(70000));
    EXPECT_TRUE(m_log.progress.empty());
}

TEST_F(HTTPClientTest, AResetEndsABodyWithoutLengthAsAFailure)
{
    Fetch("/nolengthreset/500");
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "headers", "finished 0 500", "state 5", "transferFailed"}));
    EXPECT_EQ(m_log.finishedCalls, 1);
}

TEST_F(HTTPClientTest, ARequiredLengthRefusesABodyThatOnlyTheCloseWouldEnd)
{
    m_session.SetBodyLengthRequired(true);
    Fetch("/nolength/100");
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "state 5", "requestFailed"}));
    EXPECT_EQ(m_log.finishedCalls, 0);
    EXPECT_EQ(m_session.GetBodyMemory().GetSize(), 0);

    // A length or chunks are enough.
    for (const auto& [target, finished] : {std::pair{"/pattern/100", "finished 1 100"}, {"/chunked", "finished 1 31"}}) {
        SessionLog log;
        CHTTPSession session;
        log.Attach(session);
        session.SetBodyLengthRequired(true);
        ASSERT_EQ(session.StartRequest(true, m_server.HostAndPort(), tCString::FromAnsi(target), u"", u"", 0), kResOk);
        ASSERT_TRUE(PollUntil(session, [&] { return session.IsFinished(); }));
        // The server may have closed in the same poll.
        log.events.resize(4);
        EXPECT_EQ(log.events, (Events{"state 1", "state 3", "headers", finished})) << target;
    }
}

TEST_F(HTTPClientTest, AChunkedBodyIsCompleteAtItsFinalChunk)
{
    ASSERT_EQ(m_session.StartRequest(true, m_server.HostAndPort(), u"/chunked", u"", u"", 0), kResOk);
    ASSERT_TRUE(PollUntil(m_session, [&] { return m_session.IsFinished(); }));
    // Reported before the server closes (it holds the connection open), and only once.
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "headers", "finished 1 31"}));
    EXPECT_EQ(m_log.stateAtFinish, CTCPSocket::kStateConnected);
    EXPECT_EQ(Body(), "helloabcdefghijklmnopqrstuvwxyz");
    EXPECT_TRUE(m_session.IsChunked());
    EXPECT_EQ(m_session.Close(), kResOk);
    EXPECT_EQ(m_log.events.back(), "state 4");
    EXPECT_EQ(m_log.finishedCalls, 1);
}

TEST_F(HTTPClientTest, AChunkedBodyCutShortIsAFailure)
{
    Fetch("/chunkedcut");
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "headers", "finished 0 8", "state 5", "transferFailed"}));
}

TEST_F(HTTPClientTest, ContentLengthsMustAgreeAndBeWholeNumbers)
{
    Fetch("/twolengths");
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "state 5", "requestFailed"}));

    SessionLog log;
    CHTTPSession huge;
    log.Attach(huge);
    ASSERT_EQ(huge.StartRequest(true, m_server.HostAndPort(), u"/length264", u"", u"", 0), kResOk);
    ASSERT_TRUE(PollUntil(huge, [&] { return huge.IsFinished(); }));
    EXPECT_EQ(log.events, (Events{"state 1", "state 3", "state 5", "requestFailed"}));
    EXPECT_FALSE(huge.IsOpen());
}

TEST_F(HTTPClientTest, AContentRangeOnA200IsIgnored)
{
    Fetch("/rangeon200/40");
    EXPECT_EQ(Body(), PatternBytes(40));
    EXPECT_EQ(m_session.GetContentLength(), 40u);
    EXPECT_EQ(m_log.events.back(), "state 4");
}

TEST_F(HTTPClientTest, AnOverlongHeadFailsWithTheBufferBounded)
{
    ASSERT_EQ(m_session.StartRequest(true, m_server.HostAndPort(), u"/headhuge", u"", u"", 0), kResOk);
    ASSERT_TRUE(PollUntil(m_session, [&] {
        EXPECT_LE(m_session.GetReceiveBufferSize(), int64_t(CHTTPSession::kMaxHeadBytes + CHTTPSession::kReadSize));
        return m_session.IsFinished();
    }));
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "state 5", "requestFailed"}));
    EXPECT_EQ(m_session.GetReceiveBufferSize(), 0);
}

TEST_F(HTTPClientTest, AHugeChunkIsStreamedAndASilentServerTimesOut)
{
    ASSERT_EQ(m_session.StartRequest(true, m_server.HostAndPort(), u"/chunkhuge", u"", u"", 0), kResOk);
    ASSERT_TRUE(PollUntil(m_session, [&] { return m_session.GetReceived() == 100000; }));
    EXPECT_LT(m_session.GetReceiveBufferSize(), 1024);
    EXPECT_FALSE(m_session.IsFinished());
    w32::headless::AdvanceClock(CHTTPSession::kDefaultTimeoutMs);
    EXPECT_EQ(m_session.PollEvents(), kResNetRecoverable);
    EXPECT_EQ(m_log.events,
              (Events{"state 1", "state 3", "headers", "finished 0 100000", "state 5", "transferFailed"}));
    EXPECT_FALSE(m_session.IsOpen());
}

TEST_F(HTTPClientTest, AServerThatNeverAnswersTimesOut)
{
    m_session.SetTimeout(5000);
    ASSERT_EQ(m_session.StartRequest(true, m_server.HostAndPort(), u"/silence", u"", u"", 0), kResOk);
    ASSERT_TRUE(PollUntil(m_session, [&] { return m_session.GetBytesSent() > 0; }));
    w32::headless::AdvanceClock(4999);
    EXPECT_EQ(m_session.PollEvents(), kResOk);
    EXPECT_FALSE(m_session.IsFinished());
    w32::headless::AdvanceClock(1);
    EXPECT_EQ(m_session.PollEvents(), kResNetRecoverable);
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "state 5", "transferFailed"}));
}

TEST_F(HTTPClientTest, ALookUpThatTakesTooLongFailsTheConnectAndIsForgotten)
{
    ASSERT_EQ(m_session.StartRequest(true, u"localhost:9", u"/", u"", u"", 0), kResOk);
    ASSERT_EQ(GetResolver().GetPendingCount(), 1);
    w32::headless::AdvanceClock(CHTTPSession::kDefaultTimeoutMs);
    EXPECT_EQ(m_session.PollEvents(), kResNetRecoverable);
    EXPECT_EQ(m_log.events, (Events{"state 2", "requestFailed"}));
    // The answer still comes; it only removes the request.
    ASSERT_TRUE(DriveUntil([] {}, [] { return GetResolver().GetPendingCount() == 0; }));
    EXPECT_EQ(m_log.events.size(), 2u);
    EXPECT_EQ(m_session.GetState(), CTCPSocket::kStateConnectFailed);
}

TEST_F(HTTPClientTest, TextsThatWouldInjectHeadersAreRefused)
{
    const tCString host = m_server.HostAndPort();
    EXPECT_EQ(m_session.StartRequest(true, host, u"/a\r\nX-Evil: 1", u"", u"", 0), kResBadParam);
    EXPECT_EQ(m_session.StartRequest(true, host, u"/a b", u"", u"", 0), kResBadParam);
    EXPECT_EQ(m_session.StartRequest(true, host, u"", u"", u"", 0), kResBadParam);
    EXPECT_EQ(m_session.StartRequest(true, u"evil\n.host:80", u"/", u"", u"", 0), kResBadParam);
    EXPECT_EQ(m_session.StartRequest(true, u"127.0.0.1:0", u"/", u"", u"", 0), kResBadParam);
    EXPECT_EQ(m_session.StartRequest(true, u"127.0.0.1:65536", u"/", u"", u"", 0), kResBadParam);
    EXPECT_EQ(m_session.StartRequest(true, u"127.0.0.1:8x", u"/", u"", u"", 0), kResBadParam);
    EXPECT_EQ(m_session.StartRequest(true, u":80", u"/", u"", u"", 0), kResBadParam);
    EXPECT_EQ(m_session.StartRequest(true, host, u"/", u"", std::u16string_view(u"a\0b", 3), 0), kResBadParam);
    m_session.SetAgent(u"agent\x01");
    EXPECT_EQ(m_session.StartRequest(true, host, u"/", u"", u"", 0), kResBadParam);
    m_session.SetAgent(u"agent");
    m_session.GetHTTPCallbacks().addHeaders = {[](tCStringArray& names, tCStringArray& values, tMsgArg) {
                                                   const tResult added = names.Add(u"X-Note:");
                                                   return added != kResOk ? added : values.Add(u"one\rtwo");
                                               },
                                               0};
    EXPECT_EQ(m_session.StartRequest(true, host, u"/", u"", u"", 0), kResBadParam);
    EXPECT_FALSE(m_session.IsOpen());
    EXPECT_TRUE(m_log.events.empty());
}

TEST_F(HTTPClientTest, AddedHeadersAreSentAfterTheStandardOnes)
{
    m_session.GetHTTPCallbacks().addHeaders = {[](tCStringArray& names, tCStringArray& values, tMsgArg) {
                                                   const tResult added = names.Add(u"X-Note:");
                                                   return added != kResOk ? added : values.Add(u"one two");
                                               },
                                               0};
    Fetch("/echo");
    EXPECT_EQ(Body(), "GET /echo HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: Tessel HTTP\r\n"
                      "Connection: close\r\nAccept-Encoding:\r\nX-Note: one two\r\n\r\n");
}

TEST_F(HTTPClientTest, TheBodyInMemoryIsCapped)
{
    m_session.SetBodyMemoryLimit(1000);
    Fetch("/pattern/5000");
    EXPECT_EQ(m_log.events, (Events{"state 1", "state 3", "state 5", "requestFailed"}));

    SessionLog log;
    CHTTPSession unannounced;
    log.Attach(unannounced);
    unannounced.SetBodyMemoryLimit(1000);
    ASSERT_EQ(unannounced.StartRequest(true, m_server.HostAndPort(), u"/nolength/5000", u"", u"", 0), kResOk);
    ASSERT_TRUE(PollUntil(unannounced, [&] { return unannounced.IsFinished(); }));
    EXPECT_EQ(log.events.back(), "transferFailed");
    EXPECT_LE(unannounced.GetBodyMemory().GetSize(), 1000);
}

TEST_F(HTTPClientTest, AFailingFinishedCallbackGoesToTheErrorBox)
{
    ErrorBoxRecorder boxes;
    m_session.GetHTTPCallbacks().downloadFinished = {
        [](CHTTPSession*, const tCString&, const tCString&, uint32_t, uint64_t, tMsgArg) -> tResult {
            return kResFileIO;
        },
        0};
    Fetch("/pattern/10");
    EXPECT_EQ(boxes.count, 1);
    EXPECT_NE(boxes.text.find("Download finished callback failed."), std::string::npos);
    EXPECT_EQ(m_session.GetState(), CTCPSocket::kStateClosed);
}

}  // namespace
