#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "NetTestSupport.h"

// Downloads of a 10 MB file from Debian's nginx and of files resumed from the raw server, into
// files, checked by their SHA-256.
namespace {

constexpr size_t kFileSize = 10000000;

// Bytes of a simple generator, with '<' left out so that the SSI filter finds no command in them.
std::string MakeFileBytes()
{
    std::string bytes(kFileSize, '\0');
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        byte = char(state >> 56);
        if (byte == '<')
            byte = '>';
    }
    return bytes;
}

class NginxDownloadTest : public NetTest {
protected:
    static void SetUpTestSuite()
    {
        s_folder = new TempFolder;
        s_nginx = new NginxServer;
        s_started = s_nginx->Start(*s_folder);
        if (s_started)
            WriteWholeFile(s_nginx->WebFolder() + "/big.bin", MakeFileBytes());
    }
    static void TearDownTestSuite()
    {
        delete s_nginx;
        delete s_folder;
        s_nginx = nullptr;
        s_folder = nullptr;
    }
    void SetUp() override
    {
        NetTest::SetUp();
        ASSERT_TRUE(s_started);
        m_log.Attach(m_session);
    }

    tCString HostAndPort() const { return tCString::FromAnsi("127.0.0.1:" + std::to_string(s_nginx->Port())); }
    std::string Source() const { return s_nginx->WebFolder() + "/big.bin"; }
    tCString Folder() const { return tCString::FromAnsi(m_target.Path().string()); }

    static inline TempFolder* s_folder = nullptr;
    static inline NginxServer* s_nginx = nullptr;
    static inline bool s_started = false;
    TempFolder m_target;
    // The log outlives the session, whose close at its end may still report.
    SessionLog m_log;
    CHTTPSession m_session;
};

TEST_F(NginxDownloadTest, APlainDownloadLandsWholeInItsFile)
{
    ASSERT_EQ(m_session.StartRequest(true, HostAndPort(), u"/big.bin", Folder(), u"big.bin", 0), kResOk);
    ASSERT_TRUE(PollUntil(m_session, [&] { return m_session.GetState() >= CTCPSocket::kStateClosed; }));
    EXPECT_EQ(m_log.events,
              (std::vector<std::string>{"state 1", "state 3", "headers", "finished 1 10000000", "state 4"}));
    EXPECT_EQ(m_session.GetContentLength(), kFileSize);
    EXPECT_EQ(Sha256OfFile(m_target.File("big.bin")), Sha256OfFile(Source()));
}

TEST_F(NginxDownloadTest, AResumeAppendsTheRestToWhatTheFileHolds)
{
    const std::string whole = ReadWholeFile(Source());
    WriteWholeFile(m_target.File("big.bin"), whole.substr(0, 1000));
    ASSERT_EQ(m_session.StartRequest(true, HostAndPort(), u"/big.bin", Folder(), u"big.bin", 1000), kResOk);
    ASSERT_TRUE(PollUntil(m_session, [&] { return m_session.GetState() >= CTCPSocket::kStateClosed; }));
    ASSERT_EQ(m_log.events,
              (std::vector<std::string>{"state 1", "state 3", "headers", "finished 1 10000000", "state 4"}));

    const int32_t range = m_log.headerNames.IndexOf(tCString(u"CONTENT-RANGE"));
    ASSERT_GE(range, 0);
    EXPECT_EQ(m_log.headerValues[range], u"bytes 1000-9999999/10000000");
    EXPECT_EQ(m_session.GetRangeStart(), 1000u);
    EXPECT_EQ(m_session.GetRangeEnd(), 9999999u);
    EXPECT_EQ(Sha256OfFile(m_target.File("big.bin")), Sha256OfFile(Source()));
}

TEST_F(NginxDownloadTest, AChunkedReplyIsDecodedWhole)
{
    m_session.SetBodyMemoryLimit(kFileSize);
    ASSERT_EQ(m_session.StartRequest(true, HostAndPort(), u"/chunked/big.bin", u"", u"", 0), kResOk);
    ASSERT_TRUE(PollUntil(m_session, [&] { return m_session.GetState() >= CTCPSocket::kStateClosed; }));
    EXPECT_TRUE(m_session.IsChunked());
    EXPECT_EQ(m_log.events,
              (std::vector<std::string>{"state 1", "state 3", "headers", "finished 1 10000000", "state 4"}));
    tCMemFile& body = m_session.GetBodyMemory();
    const std::string bytes(reinterpret_cast<const char*>(body.GetData()), size_t(body.GetSize()));
    EXPECT_EQ(Sha256OfBytes(m_target, bytes), Sha256OfFile(Source()));
}

// The fixture ends a download that is still open: the session's close reports to its log, which
// is still there to take it.
TEST_F(NginxDownloadTest, ADownloadOpenAtTheEndReportsItsCloseToALiveLog)
{
    ASSERT_EQ(m_session.StartRequest(true, HostAndPort(), u"/big.bin", Folder(), u"big.bin", 0), kResOk);
    ASSERT_TRUE(PollUntil(m_session, [&] { return !m_log.events.empty() && m_log.events.back() == "headers"; }));
    EXPECT_EQ(m_session.GetState(), CTCPSocket::kStateConnected);
    EXPECT_EQ(m_log.finishedCalls, 0);
}

class ResumeTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        ASSERT_TRUE(m_server.Start());
        m_log.Attach(m_session);
        WriteWholeFile(m_target.File("file.bin"), PatternBytes(1000));
    }

    void Resume(const char* target)
    {
        ASSERT_EQ(m_session.StartRequest(true, m_server.HostAndPort(), tCString::FromAnsi(target),
                                         tCString::FromAnsi(m_target.Path().string()), u"file.bin", 1000),
                  kResOk);
        ASSERT_TRUE(PollUntil(m_session, [&] { return m_session.GetState() >= CTCPSocket::kStateClosed; }));
    }

    RawHttpServer m_server;
    TempFolder m_target;
    // The log outlives the session, whose close at its end may still report.
    SessionLog m_log;
    CHTTPSession m_session;
};

TEST_F(ResumeTest, TheRestIsAppendedAtTheExpectedOffset)
{
    Resume("/resume/5000");
    EXPECT_EQ(m_log.events.back(), "state 4");
    EXPECT_EQ(ReadWholeFile(m_target.File("file.bin")), PatternBytes(5000));
    EXPECT_EQ(m_session.GetReceived(), 5000u);
}

TEST_F(ResumeTest, ARangeAtAnotherOffsetFailsAndKeepsTheFile)
{
    Resume("/resumewrong/5000");
    EXPECT_EQ(m_log.events, (std::vector<std::string>{"state 1", "state 3", "state 5", "requestFailed"}));
    EXPECT_EQ(ReadWholeFile(m_target.File("file.bin")), PatternBytes(1000));
}

TEST_F(ResumeTest, AWholeBodyInsteadOfTheRestFailsAndKeepsTheFile)
{
    Resume("/pattern/5000");
    EXPECT_EQ(m_log.events, (std::vector<std::string>{"state 1", "state 3", "state 5", "requestFailed"}));
    EXPECT_EQ(ReadWholeFile(m_target.File("file.bin")), PatternBytes(1000));
}

TEST_F(ResumeTest, ChunksPastTheAnnouncedEndFailTheTransfer)
{
    Resume("/resumechunkedlong/5000");
    EXPECT_EQ(m_log.events.back(), "transferFailed");
    EXPECT_EQ(m_log.events[m_log.events.size() - 3].rfind("finished 0 ", 0), 0u);
    EXPECT_LE(m_session.GetReceived(), 5000u);
    EXPECT_LE(ReadWholeFile(m_target.File("file.bin")).size(), 5000u);
}

// Keeps what it holds when the session releases it.
class CapturingStream : public tCMemFile {
public:
    explicit CapturingStream(std::string* kept) : m_kept(kept) {}
    ~CapturingStream() override { *m_kept = std::string(reinterpret_cast<const char*>(GetData()), size_t(GetSize())); }

private:
    std::string* m_kept;
};

TEST_F(ResumeTest, AnOwnersStreamReceivesTheRestAfterWhatItHolds)
{
    std::string kept;
    m_session.GetHTTPCallbacks().openBodyStream = {
        [](CHTTPSession*, const tCString&, tCString& fileName, uint64_t length, tCStream*& stream, tMsgArg context) {
            EXPECT_EQ(fileName, u"file.bin");
            EXPECT_EQ(length, 5000u);
            auto* memory = new CapturingStream(FromMsgArg<std::string>(context));
            const std::string held = PatternBytes(1000);
            stream = memory;
            return memory->WriteBytes(held.data(), int64_t(held.size()));
        },
        ToMsgArg(&kept)};
    Resume("/resume/5000");
    EXPECT_EQ(m_log.events.back(), "state 4");
    EXPECT_EQ(kept, PatternBytes(5000));
    // The file was never touched: the body went to the owner's stream.
    EXPECT_EQ(ReadWholeFile(m_target.File("file.bin")), PatternBytes(1000));
}

}  // namespace
