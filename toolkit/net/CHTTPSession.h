#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/core/tCString.h"
#include "toolkit/net/CChunkedDecoder.h"
#include "toolkit/net/CTCPSocket.h"

class CHTTPSession;

// A function and the context word it gets back as its last argument.
template <typename Function>
struct tHTTPCallback {
    Function function = nullptr;
    tMsgArg context = 0;
};

// How a session tells its owner what happens. Unset callbacks are skipped; where a callback
// answers a result code, a non-zero answer is passed up as the answer of the call that led to it,
// unless noted.
struct tHTTPCallbacks {
    // After every change of state. A non-zero answer goes to the error box.
    tHTTPCallback<tResult (*)(CHTTPSession* session, tMsgArg context)> stateChanged;
    // At the end of a successful StartRequest.
    tHTTPCallback<tResult (*)(CHTTPSession* session, tMsgArg context)> started;
    // After the standard request headers were listed; entries added here are sent too.
    tHTTPCallback<tResult (*)(tCStringArray& names, tCStringArray& values, tMsgArg context)> addHeaders;
    tHTTPCallback<void (*)(CHTTPSession* session, std::string_view request, tMsgArg context)> requestBuilt;
    // After every read, before the bytes are handled.
    tHTTPCallback<void (*)(CHTTPSession* session, std::string_view bytes, tMsgArg context)> dataReceived;
    // The connection could not be made, the host was not found, or the response or request was
    // refused. Reported at most once, and never together with transferFailed.
    tHTTPCallback<tResult (*)(CHTTPSession* session, tMsgArg context)> requestFailed;
    // The exchange broke off after it started: a send failed, the connection closed before the
    // whole body, the body was malformed or too large, or nothing happened within the time-out.
    tHTTPCallback<tResult (*)(CHTTPSession* session, tMsgArg context)> transferFailed;
    // Before a body file would be made; may supply the stream the body goes to instead (the
    // session then owns it) and may change the file name.
    tHTTPCallback<tResult (*)(CHTTPSession* session, const tCString& folder, tCString& fileName,
                              uint64_t contentLength, tCStream*& stream, tMsgArg context)>
        openBodyStream;
    // Thousandths of the body, when they change and the length is known.
    tHTTPCallback<tResult (*)(CHTTPSession* session, uint32_t thousandths, tMsgArg context)> progressChanged;
    tHTTPCallback<void (*)(const tCStringArray& names, const tCStringArray& values, tMsgArg context)>
        headersReceived;
    // Once per accepted response: with complete 1 as soon as the whole body is stored, or with
    // complete 0 when the exchange ends before that (just before transferFailed). A non-zero
    // answer goes to the error box.
    tHTTPCallback<tResult (*)(CHTTPSession* session, const tCString& folder, const tCString& fileName,
                              uint32_t complete, uint64_t received, tMsgArg context)>
        downloadFinished;

    // Server side. acceptConnection hands each accepted session to the listener's owner, who
    // polls it and deletes it; a non-zero answer refuses the connection, and without this
    // callback every connection is refused.
    tHTTPCallback<tResult (*)(CHTTPSession* listener, CHTTPSession* accepted, tMsgArg context)> acceptConnection;
    tHTTPCallback<tResult (*)(CHTTPSession* session, std::string_view request, tMsgArg context)> requestReceived;
    // May supply the stream to serve for the request's file name (the session then owns it).
    tHTTPCallback<tResult (*)(CHTTPSession* session, const tCString& fileName, tCStream*& stream, tMsgArg context)>
        openServedFile;
    // Writes the body into `body` when no stream was supplied.
    tHTTPCallback<tResult (*)(CHTTPSession* session, tCMemFile& body, tMsgArg context)> fillBody;
    tHTTPCallback<tResult (*)(tCStringArray& names, tCStringArray& values, tMsgArg context)> addResponseHeaders;
};

// One HTTP/1.1 GET over a CTCPSocket. As a client it resolves and connects, sends the whole
// request when the socket becomes writable, parses the response head (200, or 206 for a
// resume), and stores the body (by Content-Length, chunked, or up to an orderly close) in a file,
// in a stream its owner supplies, or in memory. A connection reset is a failure at any point. As a server it listens on 127.0.0.1 and answers one
// GET on each connection it accepts, then closes it. The owner calls PollEvents regularly;
// everything else reaches it through the callbacks.
//
// Each session ends in one outcome: success (downloadFinished with complete 1, then state 4
// when the connection closes) or failure (requestFailed, or transferFailed after a
// downloadFinished with complete 0 when a response had been accepted; state 2 or 5). A session
// that sees no progress for the time-out fails, and bytes that come after the outcome are
// dropped.
class CHTTPSession : public CTCPSocket {
public:
    static constexpr uint32_t kReadSize = 64000;
    static constexpr uint32_t kMaxHeadBytes = 65536;
    static constexpr uint32_t kDefaultTimeoutMs = 30000;
    static constexpr uint64_t kDefaultBodyMemoryLimit = 64ull << 20;

    CHTTPSession();
    // Runs the close handling while every member is still whole.
    ~CHTTPSession() override;

    tResult PollEvents() override;
    void ChangeState(uint32_t state) override;
    CTCPSocket* NewSocket() const override;

    // Client: `hostAndPort` is "host" or "host:port" (80 without one); `target` goes on the
    // request line as it is; a non-empty `path` names the body file inside `folder` (its '*',
    // '?', '\', '/' and ':' become '_'), else the body goes to memory; a resume offset above 0
    // asks for the bytes from there on and appends to the file. Hosts, targets and header texts
    // with control characters, and targets or hosts with blanks, are refused with 6.
    // Server (client false): listens on 127.0.0.1 at the port of `hostAndPort` (":0" takes a
    // free one, GetOwnPort answers it); the other arguments are not used.
    tResult StartRequest(bool client, const tCString& hostAndPort, const tCString& target, const tCString& folder,
                         const tCString& path, uint64_t resumeOffset);

    void SetHTTPCallbacks(const tHTTPCallbacks& callbacks) { m_http = callbacks; }
    tHTTPCallbacks& GetHTTPCallbacks() { return m_http; }
    void SetAgent(const tCString& agent) { m_agent = agent; }
    const tCString& GetAgent() const { return m_agent; }
    void SetTimeout(uint32_t milliseconds) { m_timeoutMs = milliseconds; }
    // The most body bytes kept in memory; a larger body fails the transfer.
    void SetBodyMemoryLimit(uint64_t bytes) { m_bodyMemoryLimit = bytes; }
    // When set, a response without a Content-Length or chunks is refused: such a body can only
    // end with the connection, and a connection cut early would end it just the same.
    void SetBodyLengthRequired(bool required) { m_lengthRequired = required; }

    bool IsFinished() const { return m_outcome != tOutcome::kOpen; }
    bool IsServerMode() const { return m_serverMode; }
    bool IsHeadParsed() const { return m_headParsed; }
    bool IsChunked() const { return m_chunked; }
    uint64_t GetReceived() const { return m_received; }
    uint64_t GetContentLength() const { return m_contentLength; }
    uint64_t GetRangeStart() const { return m_rangeStart; }
    uint64_t GetRangeEnd() const { return m_rangeEnd; }
    tCMemFile& GetBodyMemory() { return m_bodyMemory; }
    const tCString& GetRequestPath() const { return m_requestPath; }
    const tCString& GetFileName() const { return m_fileName; }
    const tCString& GetHost() const { return m_host; }
    uint16_t GetPort() const { return m_port; }
    int64_t GetReceiveBufferSize() const { return m_receive.GetSize(); }

protected:
    tResult OnPeerClosed(bool withError) override;

private:
    enum class tOutcome { kOpen, kSucceeded, kFailed };

    // Calls a callback that answers a result code (0 when it is unset) or one that answers nothing.
    template <typename Function, typename... Args>
    static tResult Ask(const tHTTPCallback<Function>& callback, Args&&... args)
    {
        return callback.function ? callback.function(std::forward<Args>(args)..., callback.context) : kResOk;
    }
    template <typename Function, typename... Args>
    static void Tell(const tHTTPCallback<Function>& callback, Args&&... args)
    {
        if (callback.function)
            callback.function(std::forward<Args>(args)..., callback.context);
    }

    static tResult OnConnectResult(CTCPSocket* socket, uint64_t connected, tMsgArg context);
    static tResult OnAcceptReady(CTCPSocket* socket, uint64_t, tMsgArg context);
    static tResult OnAccepted(CTCPSocket* accepted, uint64_t, tMsgArg context);
    static tResult OnReadable(CTCPSocket* socket, uint64_t, tMsgArg context);
    static tResult OnClosed(CTCPSocket* socket, uint64_t, tMsgArg context);

    tResult InstallSocketCallbacks(uint16_t port);
    void SetRequestPath(const tCString& path);
    tResult BuildRequest(const tCString& target, const tCString& folder, const tCString& path, uint64_t resumeOffset);
    tResult ReadAvailable();
    tResult SendPending();
    tResult HandleClosed();
    tResult HandleTimeout();
    bool IsTimedOut() const;
    void NoteActivity();

    // Client response.
    tResult ParseResponseHead();
    tResult ApplyResponseHeaders(uint32_t status, const tCStringArray& names, const tCStringArray& values);
    tResult OpenBodyTarget();
    tResult ProcessBody();
    tResult WriteBody(std::string_view bytes);
    tResult ReportProgress();
    tResult ConsumeReceived(int64_t count);
    tResult ReleaseBodyStream();
    tResult Succeed();
    // The response (or, for a server, the request) is not taken: state 5 and requestFailed.
    tResult Refuse(tResult code);
    // The exchange broke off: downloadFinished with complete 0 when a response had been
    // accepted, state 5 and transferFailed.
    tResult FailTransfer(tResult code);
    void ReportDownloadFinished(bool complete);

    // Server side.
    tResult HandleRequest();
    tResult ParseRequest(std::string_view head);
    tResult Answer();
    tResult QueueNextPiece();
    tResult FinishServing();

    tCMemFile m_receive;
    CMemBlockT<char> m_send;
    CMemBlockT<char> m_readBlock;
    bool m_serverMode = false;
    uint16_t m_port = 0;
    tCString m_requestPath;
    tCString m_folder;
    tCString m_host;
    std::unique_ptr<tCStream> m_bodyStream;
    uint64_t m_rangeStart = 0;
    uint64_t m_rangeEnd = 0;
    uint64_t m_received = 0;
    uint64_t m_contentLength = 0;
    uint32_t m_lastProgress = 0;
    bool m_headParsed = false;
    tCMemFile m_bodyMemory;
    tCString m_version{u"1.1"};
    tCString m_agent;
    bool m_chunked = false;
    tHTTPCallbacks m_http;
    tCString m_fileName;

    tOutcome m_outcome = tOutcome::kOpen;
    bool m_listening = false;
    // A response whose body is being stored; its end is reported through downloadFinished.
    bool m_responseAccepted = false;
    // The content length is known (Content-Length, or the total of a Content-Range); otherwise
    // the body ends with its final chunk or with the connection.
    bool m_lengthKnown = false;
    uint64_t m_resumeOffset = 0;
    CChunkedDecoder m_chunks;
    uint64_t m_bodyMemoryLimit = kDefaultBodyMemoryLimit;
    bool m_lengthRequired = false;
    uint32_t m_timeoutMs = kDefaultTimeoutMs;
    bool m_timeoutArmed = false;
    uint32_t m_lastActivity = 0;
    // Server side: the range asked for, and the part of the body still to send.
    bool m_rangeAsked = false;
    bool m_rangeHasEnd = false;
    uint64_t m_servedLength = 0;
    uint64_t m_bodyPosition = 0;
    uint64_t m_bodyEnd = 0;
};
