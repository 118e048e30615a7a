#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "NetTestSupport.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/core/tCFile.h"

// Our server answering GET requests, read by python's http.client, by curl, by our own client
// and by raw sockets.
namespace {

class HTTPServerTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        WriteWholeFile(m_folder.File("file.bin"), PatternBytes(300000));
        tHTTPCallbacks& callbacks = m_listener.GetHTTPCallbacks();
        const tMsgArg self = ToMsgArg(this);
        callbacks.acceptConnection = {[](CHTTPSession*, CHTTPSession* accepted, tMsgArg context) -> tResult {
                                          HTTPServerTest* test = FromMsgArg<HTTPServerTest>(context);
                                          if (test->m_refuse)
                                              return kResFailure;
                                          test->m_accepted.emplace_back(accepted);
                                          return kResOk;
                                      },
                                      self};
        callbacks.openServedFile = {[](CHTTPSession*, const tCString& name, tCStream*& stream, tMsgArg context) -> tResult {
                                        HTTPServerTest* test = FromMsgArg<HTTPServerTest>(context);
                                        if (!(name == u"_file.bin"))
                                            return kResOk;
                                        auto* file = new tCFile;
                                        stream = file;
                                        return file->Open(tCFPath(tCString::FromAnsi(test->m_folder.File("file.bin"))),
                                                          tCFile::kAccessRead);
                                    },
                                    self};
        callbacks.fillBody = {[](CHTTPSession* session, tCMemFile& body, tMsgArg) -> tResult {
                                  const std::string text = "served " + session->GetRequestPath().ToAnsi();
                                  return body.WriteBytes(text.data(), int64_t(text.size()));
                              },
                              self};
        callbacks.stateChanged = {[](CHTTPSession* session, tMsgArg context) -> tResult {
                                      HTTPServerTest* test = FromMsgArg<HTTPServerTest>(context);
                                      if (session != &test->m_listener)
                                          ++test->m_sessionStateChanges;
                                      return kResOk;
                                  },
                                  self};
        callbacks.requestFailed = {[](CHTTPSession*, tMsgArg context) -> tResult {
                                       ++FromMsgArg<HTTPServerTest>(context)->m_requestFailures;
                                       return kResOk;
                                   },
                                   self};
        ASSERT_EQ(m_listener.StartRequest(false, u"127.0.0.1:0", u"", u"", u"", 0), kResOk);
        ASSERT_NE(m_listener.GetPort(), 0);
    }

    void PollServer()
    {
        m_listener.PollEvents();
        for (const auto& session : m_accepted)
            session->PollEvents();
    }

    std::string Url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_listener.GetPort()) + path;
    }

    // Sends `request` from a plain socket and collects the reply until the server closes.
    std::string RawExchange(const std::string& request)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(m_listener.GetPort());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL), ssize_t(request.size()));
        std::string reply;
        bool ended = false;
        EXPECT_TRUE(DriveUntil(
            [&] {
                PollServer();
                char buffer[65536];
                const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (got > 0)
                    reply.append(buffer, size_t(got));
                ended = got == 0 || (got < 0 && errno != EAGAIN);
            },
            [&] { return ended; }));
        ::close(fd);
        return reply;
    }

    // Runs a program that talks to the server while the server is polled; its output.
    std::string RunClient(const std::vector<std::string>& arguments)
    {
        ChildProcess client;
        EXPECT_TRUE(client.Start(arguments, true));
        EXPECT_TRUE(DriveUntil([&] { PollServer(); }, [&] { return client.HasEnded(); }));
        std::string output;
        EXPECT_TRUE(client.ReadAll(&output, 1000));
        return output;
    }

    TempFolder m_folder;
    CHTTPSession m_listener;
    std::vector<std::unique_ptr<CHTTPSession>> m_accepted;
    bool m_refuse = false;
    int m_requestFailures = 0;
    int m_sessionStateChanges = 0;
};

TEST_F(HTTPServerTest, PythonsClientReadsTheAnswer)
{
    const std::string script =
        "import http.client, sys\n"
        "c = http.client.HTTPConnection('127.0.0.1', int(sys.argv[1]), timeout=10)\n"
        "c.request('GET', '/report%20one.htm')\n"
        "r = c.getresponse()\n"
        "print(r.status, r.getheader('Content-type'), r.getheader('Content-length'), r.read().decode())\n";
    const std::string output = RunClient({PythonProgram(), "-c", script, std::to_string(m_listener.GetPort())});
    EXPECT_EQ(output, "200 text/html 22 served /report one.htm\n");
    ASSERT_EQ(m_accepted.size(), 1u);
    EXPECT_EQ(m_accepted[0]->GetRequestPath(), u"/report one.htm");
    ASSERT_TRUE(DriveUntil([&] { PollServer(); },
                           [&] { return m_accepted[0]->GetState() == CTCPSocket::kStateClosed; }));
}

TEST_F(HTTPServerTest, CurlReadsARangeOfAServedFile)
{
    const std::string head = m_folder.File("head.txt");
    const std::string out = m_folder.File("out.bin");
    RunClient({"curl", "-s", "-S", "--noproxy", "*", "--max-time", "10", "-r", "1000-", "-D", head, "-o", out,
               Url("/file.bin")});
    const std::string headers = ReadWholeFile(head);
    EXPECT_EQ(headers.rfind("HTTP/1.1 206 Partial Content\r\n", 0), 0u) << headers;
    EXPECT_NE(headers.find("Content-Range: bytes 1000-299999/300000\r\n"), std::string::npos) << headers;
    EXPECT_NE(headers.find("Content-length: 299000\r\n"), std::string::npos) << headers;
    EXPECT_NE(headers.find("Content-type: application/binary\r\n"), std::string::npos) << headers;
    EXPECT_EQ(Sha256OfFile(out), Sha256OfBytes(m_folder, PatternBytes(299000, 1000)));
}

TEST_F(HTTPServerTest, OurClientDownloadsAServedFileWhole)
{
    SessionLog log;
    CHTTPSession client;
    log.Attach(client);
    const tCString server = tCString::FromAnsi("127.0.0.1:" + std::to_string(m_listener.GetPort()));
    ASSERT_EQ(client.StartRequest(true, server, u"/file.bin", tCString::FromAnsi(m_folder.Path().string()),
                                  u"copy.bin", 0),
              kResOk);
    ASSERT_TRUE(DriveUntil(
        [&] {
            client.PollEvents();
            PollServer();
        },
        [&] { return client.GetState() == CTCPSocket::kStateClosed; }));
    EXPECT_EQ(log.events, (std::vector<std::string>{"state 1", "state 3", "headers", "finished 1 300000", "state 4"}));
    EXPECT_EQ(ReadWholeFile(m_folder.File("copy.bin")), PatternBytes(300000));
    ASSERT_EQ(m_accepted.size(), 1u);
    EXPECT_EQ(m_accepted[0]->GetAgent(), u"Tessel HTTP");
}

TEST_F(HTTPServerTest, ARequestEndingInBareLineFeedsIsAnswered)
{
    const std::string reply = RawExchange("GET /notes.txt HTTP/1.0\nUser-Agent: raw\n\n");
    EXPECT_EQ(reply, "HTTP/1.1 200 OK\r\nServer: Tessel HTTP\r\nContent-type: text/html\r\nContent-length: 17\r\n"
                     "Connection: close\r\n\r\nserved /notes.txt");
    ASSERT_EQ(m_accepted.size(), 1u);
    EXPECT_EQ(m_accepted[0]->GetAgent(), u"raw");
}

TEST_F(HTTPServerTest, PercentEscapesAreDecodedOnlyWhenComplete)
{
    const std::string reply = RawExchange("GET /a%20b%4Gc%2 HTTP/1.1\r\n\r\n");
    EXPECT_NE(reply.find("\r\n\r\nserved /a b%4Gc%2"), std::string::npos) << reply;
    EXPECT_NE(reply.find("Content-type: application/binary"), std::string::npos) << reply;
    ASSERT_EQ(m_accepted.size(), 1u);
    EXPECT_EQ(m_accepted[0]->GetFileName(), u"_a b%4Gc%2");
}

TEST_F(HTTPServerTest, OneRequestIsAnsweredAndTheConnectionClosed)
{
    const std::string reply = RawExchange("GET /one HTTP/1.1\r\n\r\nGET /two HTTP/1.1\r\n\r\n");
    EXPECT_NE(reply.find("served /one"), std::string::npos) << reply;
    EXPECT_EQ(reply.find("served /two"), std::string::npos) << reply;
    EXPECT_EQ(reply.find("HTTP/1.1 200 OK"), reply.rfind("HTTP/1.1 200 OK"));
}

TEST_F(HTTPServerTest, RequestsThatAreNotGetOrCarryControlBytesAreRefused)
{
    EXPECT_EQ(RawExchange("POST /x HTTP/1.1\r\nContent-Length: 0\r\n\r\n"), "");
    EXPECT_EQ(RawExchange("GET /x%0D%0AEvil HTTP/1.1\r\n\r\n"), "");
    EXPECT_EQ(m_requestFailures, 2);
    ASSERT_EQ(m_accepted.size(), 2u);
    EXPECT_EQ(m_accepted[0]->GetState(), CTCPSocket::kStateClosedWithError);
}

TEST_F(HTTPServerTest, ARefusedConnectionIsClosedAndReleased)
{
    m_refuse = true;
    EXPECT_EQ(RawExchange("GET /x HTTP/1.1\r\n\r\n"), "");
    EXPECT_TRUE(m_accepted.empty());
    // A refused session is gone without a word to the owner it never had.
    EXPECT_EQ(m_sessionStateChanges, 0);
    EXPECT_EQ(m_requestFailures, 0);
    // Without an owner to take them, connections are refused as well.
    m_refuse = false;
    m_listener.GetHTTPCallbacks().acceptConnection = {};
    EXPECT_EQ(RawExchange("GET /x HTTP/1.1\r\n\r\n"), "");
    EXPECT_TRUE(m_accepted.empty());
}

TEST_F(HTTPServerTest, AnOverlongRequestHeadIsRefused)
{
    const std::string request = "GET /x HTTP/1.1\r\nX-Filler: " + std::string(70000, 'a') + "\r\n\r\n";
    EXPECT_EQ(RawExchange(request), "");
    EXPECT_EQ(m_requestFailures, 1);
}

}  // namespace
