#include "toolkit/net/CHTTPSession.h"

#include <algorithm>
#include <new>

#include "platform/Kernel.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/core/PathText.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/net/HTTPText.h"

namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";
constexpr int32_t kMaxSendsPerPoll = 16;

CHTTPSession* SessionOf(CTCPSocket* socket)
{
    return static_cast<CHTTPSession*>(socket);
}

tResult FirstFailure(tResult first, tResult second)
{
    return first != kResOk ? first : second;
}

}  // namespace

CHTTPSession::CHTTPSession() = default;

CHTTPSession::~CHTTPSession()
{
    const tResult ignored = Close();
    (void)ignored;
}

CTCPSocket* CHTTPSession::NewSocket() const
{
    return new (std::nothrow) CHTTPSession;
}

void CHTTPSession::ChangeState(uint32_t state)
{
    if (state == GetState())
        return;
    CTCPSocket::ChangeState(state);
    const tResult answer = Ask(m_http.stateChanged, this);
    if (answer != kResOk)
        ReportResult(answer, "HTTP session failed state change callback - CHTTPSession::ChangeState");
}

tResult CHTTPSession::InstallSocketCallbacks(uint16_t port)
{
    // Sending happens in PollEvents once the socket has marked itself writable.
    return SetCallbacks(OnAccepted, OnAcceptReady, OnConnectResult, OnReadable, nullptr, OnClosed, port);
}

tResult CHTTPSession::StartRequest(bool client, const tCString& hostAndPort, const tCString& target,
                                   const tCString& folder, const tCString& path, uint64_t resumeOffset)
{
    // One session carries one exchange.
    if (IsOpen() || m_outcome != tOutcome::kOpen || GetState() != kStateIdle)
        return kResBusy;
    m_serverMode = !client;
    tCString host;
    uint16_t port = 0;
    TK_TRY(SplitHostPort(hostAndPort, host, &port, m_serverMode));
    if (m_serverMode) {
        TK_TRY(InstallSocketCallbacks(port));
        TK_TRY(Listen(port));
        m_listening = true;
        m_port = GetOwnPort();
        return Ask(m_http.started, this);
    }

    if (!IsSafeRequestWord(host) || !IsSafeRequestWord(target) || !IsSafeHeaderText(folder) ||
        !IsSafeHeaderText(path))
        return kResBadParam;
    m_host = host;
    TK_TRY(BuildRequest(target, folder, path, resumeOffset));
    m_port = port;
    TK_TRY(InstallSocketCallbacks(port));
    m_timeoutArmed = true;
    NoteActivity();
    const tResult connecting = ConnectToHost(host, port);
    if (connecting != kResOk) {
        // The caller hears of it from the answer; nothing more is reported later.
        m_outcome = tOutcome::kFailed;
        m_timeoutArmed = false;
        return FirstFailure(connecting, Close());
    }
    return Ask(m_http.started, this);
}

void CHTTPSession::SetRequestPath(const tCString& path)
{
    m_requestPath = path;
    m_fileName = path;
    for (const char16_t unit : {u'*', u'?', u'\\', u'/', u':'})
        m_fileName.ReplaceChar(unit, u'_');
}

tResult CHTTPSession::BuildRequest(const tCString& target, const tCString& folder, const tCString& path,
                                   uint64_t resumeOffset)
{
    SetRequestPath(path);
    m_folder = folder;
    m_resumeOffset = resumeOffset;
    if (m_agent.IsEmpty())
        m_agent = u"Tessel HTTP";

    tCStringArray names, values;
    const auto add = [&](const tCString& name, const tCString& value) {
        return FirstFailure(names.Add(name), values.Add(value));
    };
    TK_TRY(add(tCString(u"HTTP/").Concat(m_version), tCString()));
    TK_TRY(add(u"Host:", m_host));
    TK_TRY(add(u"User-Agent:", m_agent));
    TK_TRY(add(u"Connection:", u"close"));
    TK_TRY(add(u"Accept-Encoding:", tCString()));
    if (resumeOffset > 0)
        TK_TRY(add(u"Range:", tCString(u"bytes=").Concat(DecimalText(resumeOffset)).Concat(u"-")));
    TK_TRY(Ask(m_http.addHeaders, names, values));
    for (int32_t i = 0; i < names.GetCount() && i < values.GetCount(); ++i)
        if (!IsSafeHeaderText(names[i]) || !IsSafeHeaderText(values[i]))
            return kResBadParam;

    std::string text = "GET " + target.ToAnsi() + " ";
    TK_TRY(FormatHeaderLines(names, values, text));
    if (text.size() > size_t(INT32_MAX))
        return kResBadParam;
    TK_TRY(m_send.Resize(int32_t(text.size())));
    m_send.CopyFrom(text.data(), int32_t(text.size()));
    Tell(m_http.requestBuilt, this, std::string_view(text));
    return kResOk;
}

void CHTTPSession::NoteActivity()
{
    m_lastActivity = w32::timeGetTime();
}

bool CHTTPSession::IsTimedOut() const
{
    return uint32_t(w32::timeGetTime() - m_lastActivity) >= m_timeoutMs;
}

tResult CHTTPSession::PollEvents()
{
    if (m_timeoutArmed && IsTimedOut())
        return HandleTimeout();
    TK_TRY(CTCPSocket::PollEvents());
    return SendPending();
}

tResult CHTTPSession::HandleTimeout()
{
    m_timeoutArmed = false;
    if (IsFinished())
        return Close();
    if (!m_serverMode && GetState() < kStateConnected) {
        const tResult answer = FailConnect();
        return FirstFailure(answer, kResNetRecoverable);
    }
    return FailTransfer(kResNetRecoverable);
}

tResult CHTTPSession::SendPending()
{
    for (int32_t pass = 0; pass < kMaxSendsPerPoll; ++pass) {
        if (!IsOpen() || !IsWritable() || IsFinished() || m_send.GetCount() == 0)
            return kResOk;
        uint32_t sent = 0;
        const tResult result = Send(sent, m_send);
        // A full send buffer clears the writable flag; the next FD_WRITE sets it again.
        if (result == kResNetRecoverable && !IsWritable())
            return kResOk;
        if (result != kResOk)
            return FailTransfer(result);
        NoteActivity();
        if (m_serverMode)
            TK_TRY(QueueNextPiece());
    }
    return kResOk;
}

tResult CHTTPSession::OnConnectResult(CTCPSocket* socket, uint64_t connected, tMsgArg)
{
    CHTTPSession* session = SessionOf(socket);
    if (connected) {
        session->NoteActivity();
        return kResOk;
    }
    if (session->GetState() != kStateConnectFailed || session->m_outcome != tOutcome::kOpen)
        return kResOk;
    session->m_outcome = tOutcome::kFailed;
    session->m_timeoutArmed = false;
    return Ask(session->m_http.requestFailed, session);
}

tResult CHTTPSession::OnAcceptReady(CTCPSocket* socket, uint64_t, tMsgArg)
{
    return socket->Accept();
}

tResult CHTTPSession::OnAccepted(CTCPSocket* accepted, uint64_t, tMsgArg context)
{
    CHTTPSession* listener = SessionOf(FromMsgArg<CTCPSocket>(context));
    CHTTPSession* session = SessionOf(accepted);
    // Without an owner to take it, an accepted session would never be released. A refused
    // session is released with no callbacks of its own, so its owner-to-be hears nothing more.
    if (!listener->m_http.acceptConnection.function)
        return kResNetFatal;
    TK_TRY(Ask(listener->m_http.acceptConnection, listener, session));
    session->m_http = listener->m_http;
    session->m_serverMode = true;
    session->m_port = listener->m_port;
    session->m_timeoutMs = listener->m_timeoutMs;
    session->m_bodyMemoryLimit = listener->m_bodyMemoryLimit;
    session->m_timeoutArmed = true;
    session->NoteActivity();
    return kResOk;
}

tResult CHTTPSession::OnReadable(CTCPSocket* socket, uint64_t, tMsgArg)
{
    return SessionOf(socket)->ReadAvailable();
}

tResult CHTTPSession::OnClosed(CTCPSocket* socket, uint64_t, tMsgArg)
{
    return SessionOf(socket)->HandleClosed();
}

tResult CHTTPSession::OnPeerClosed(bool withError)
{
    // A reset ends no body, however the body was framed; after the outcome it changes nothing.
    if (withError && !IsFinished())
        return FailTransfer(kResNetRecoverable);
    // Otherwise the session decides its final state from what it received.
    return Close();
}

tResult CHTTPSession::ReadAvailable()
{
    if (m_readBlock.GetCount() == 0)
        TK_TRY(m_readBlock.Resize(int32_t(kReadSize)));
    uint32_t length = kReadSize;
    TK_TRY(Receive(length, m_readBlock));
    if (length == 0)
        return kResOk;
    NoteActivity();
    const std::string_view bytes(m_readBlock.GetData(), length);
    Tell(m_http.dataReceived, this, bytes);
    // Nothing that comes after the outcome, or after the one request a server answers, is kept.
    if (IsFinished() || (m_serverMode && m_headParsed))
        return kResOk;
    const tResult buffered = FirstFailure(m_receive.SeekToEnd(), m_receive.WriteBytes(bytes.data(), length));
    if (buffered != kResOk)
        return m_serverMode ? Refuse(buffered) : FailTransfer(buffered);
    if (m_serverMode)
        return HandleRequest();
    return m_headParsed ? ProcessBody() : ParseResponseHead();
}

tResult CHTTPSession::HandleClosed()
{
    if (m_outcome == tOutcome::kSucceeded || m_listening) {
        ChangeState(kStateClosed);
        return kResOk;
    }
    // A failure has been reported already; a failed connect is reported by its handler.
    if (m_outcome == tOutcome::kFailed || GetState() == kStateConnectFailed)
        return kResOk;
    if (m_responseAccepted && !m_chunked && !m_lengthKnown) {
        // A body without length or chunks ends with the connection.
        TK_TRY(Succeed());
        ChangeState(kStateClosed);
        return kResOk;
    }
    return FailTransfer(kResNetRecoverable);
}

tResult CHTTPSession::ParseResponseHead()
{
    const std::string_view buffered(reinterpret_cast<const char*>(m_receive.GetData()), size_t(m_receive.GetSize()));
    const size_t end = buffered.find(kHeadEnd);
    if (end == std::string_view::npos)
        return buffered.size() > kMaxHeadBytes ? Refuse(kResBufferOverrun) : kResOk;
    const size_t headBytes = end + kHeadEnd.size();
    if (end == 0)
        return Refuse(kResFailure);
    if (headBytes > kMaxHeadBytes)
        return Refuse(kResBufferOverrun);

    tCString statusLine;
    tCStringArray names, values;
    const tResult split = SplitHeadLines(buffered.substr(0, end + 2), statusLine, names, values);
    if (split != kResOk)
        return Refuse(split);
    if (statusLine.Left(4) != u"HTTP")
        return Refuse(kResFailure);
    const std::u16string_view line = statusLine.View();
    const size_t blank = line.find(u' ');
    std::u16string_view codeText = blank == std::u16string_view::npos ? std::u16string_view() : line.substr(blank + 1);
    codeText = codeText.substr(0, codeText.find(u' '));
    uint64_t status = 404;
    if (!codeText.empty() && (codeText.size() != 3 || !ParseDecimalU64(codeText, &status)))
        return Refuse(kResFailure);
    // A refused status is no failure of the poll; the owner hears of it through requestFailed.
    if (status != 200 && status != 206)
        return Refuse(kResOk);

    const tResult applied = ApplyResponseHeaders(uint32_t(status), names, values);
    if (applied != kResOk)
        return Refuse(applied);
    const tResult opened = OpenBodyTarget();
    if (opened != kResOk)
        return FailTransfer(opened);
    // The body must continue exactly what the target holds.
    if (m_received != (status == 206 ? m_rangeStart : 0))
        return Refuse(kResFailure);
    if (!m_bodyStream && m_lengthKnown && m_contentLength - m_received > m_bodyMemoryLimit)
        return Refuse(kResBufferOverrun);

    m_headParsed = true;
    m_responseAccepted = true;
    m_chunks.Reset();
    Tell(m_http.headersReceived, names, values);
    const tResult consumed = ConsumeReceived(int64_t(headBytes));
    if (consumed != kResOk)
        return FailTransfer(consumed);
    if (m_lengthKnown && !m_chunked && m_received >= m_contentLength)
        return Succeed();
    return ProcessBody();
}

tResult CHTTPSession::ApplyResponseHeaders(uint32_t status, const tCStringArray& names, const tCStringArray& values)
{
    bool hasLength = false;
    uint64_t length = 0;
    const tCString* range = nullptr;
    for (int32_t i = 0; i < names.GetCount(); ++i) {
        const tCString& name = names[i];
        const tCString& value = values[i];
        if (name == u"CONTENT-LENGTH") {
            uint64_t parsed = 0;
            if (!ParseDecimalU64(value.View(), &parsed) || (hasLength && parsed != length))
                return kResFailure;
            hasLength = true;
            length = parsed;
        } else if (name == u"CONTENT-RANGE") {
            if (range && !(*range == value))
                return kResFailure;
            range = &value;
        } else if (name == u"TRANSFER-ENCODING") {
            const tCString coding = UpperCasedAscii(value);
            if (coding == u"CHUNKED")
                m_chunked = true;
            else if (!(coding == u"IDENTITY"))
                return kResFailure;
        }
    }

    if (status == 206) {
        // Only the rest of the whole file is asked for.
        tContentRange parsed;
        if (!range || !ParseContentRange(*range, &parsed) || parsed.last + 1 != parsed.total)
            return kResFailure;
        if (hasLength && !m_chunked && length != parsed.last - parsed.first + 1)
            return kResFailure;
        m_rangeStart = parsed.first;
        m_rangeEnd = parsed.last;
        m_contentLength = parsed.total;
        m_lengthKnown = true;
        return kResOk;
    }
    // A resume needs the rest of the file; the whole of it would be appended after its start.
    if (m_resumeOffset > 0 || (m_lengthRequired && !hasLength && !m_chunked))
        return kResFailure;
    m_lengthKnown = hasLength && !m_chunked;
    m_contentLength = m_lengthKnown ? length : 0;
    return kResOk;
}

tResult CHTTPSession::OpenBodyTarget()
{
    m_received = 0;
    if (m_fileName.IsEmpty()) {
        m_bodyMemory.Reset();
        m_received = m_resumeOffset;
        return kResOk;
    }
    tCStream* supplied = nullptr;
    const tResult asked = Ask(m_http.openBodyStream, this, m_folder, m_fileName, m_contentLength, supplied);
    if (supplied) {
        m_bodyStream.reset(supplied);
        TK_TRY(asked);
        TK_TRY(m_bodyStream->SeekToEnd());
        m_received = uint64_t(std::max<int64_t>(0, m_bodyStream->GetLength()));
        return kResOk;
    }
    TK_TRY(asked);

    const tCString pathText = MakePathText(m_folder, m_fileName, tCString());
    if (pathText.IsEmpty())
        return kResFileIO;
    std::unique_ptr<tCFile> file(new (std::nothrow) tCFile);
    if (!file)
        return kResNoMemory;
    // A resume appends to what the file holds; only a new download empties it.
    TK_TRY(OpenFileAtPath(file.get(), tCFPath(pathText),
                          m_resumeOffset > 0 ? tCFile::kAccessAppend : tCFile::kAccessWrite));
    if (m_resumeOffset > 0)
        m_received = uint64_t(std::max<int64_t>(0, file->GetLength()));
    m_bodyStream = std::move(file);
    return kResOk;
}

tResult CHTTPSession::ProcessBody()
{
    const std::string_view buffered(reinterpret_cast<const char*>(m_receive.GetData()), size_t(m_receive.GetSize()));
    if (buffered.empty())
        return kResOk;
    if (!m_chunked) {
        const uint64_t wanted = m_lengthKnown ? m_contentLength - m_received : buffered.size();
        // Bytes past the body's end are not the body's.
        const tResult stored = WriteBody(buffered.substr(0, size_t(std::min<uint64_t>(wanted, buffered.size()))));
        m_receive.Reset();
        if (stored != kResOk)
            return FailTransfer(stored);
        TK_TRY(ReportProgress());
        return m_lengthKnown && m_received >= m_contentLength ? Succeed() : kResOk;
    }

    size_t position = 0;
    for (;;) {
        size_t used = 0;
        std::string_view piece;
        const CChunkedDecoder::Status status = m_chunks.Next(buffered.substr(position), &used, &piece);
        position += used;
        const tResult stored = WriteBody(piece);
        if (stored != kResOk)
            return FailTransfer(stored);
        if (status == CChunkedDecoder::kMalformed)
            return FailTransfer(kResFailure);
        if (status == CChunkedDecoder::kDone) {
            m_receive.Reset();
            TK_TRY(ReportProgress());
            // A ranged body sent in chunks must still reach the end of the file.
            return m_lengthKnown && m_received < m_contentLength ? FailTransfer(kResFailure) : Succeed();
        }
        if (status == CChunkedDecoder::kNeedMore)
            break;
    }
    const tResult consumed = ConsumeReceived(int64_t(position));
    if (consumed != kResOk)
        return FailTransfer(consumed);
    return ReportProgress();
}

tResult CHTTPSession::WriteBody(std::string_view bytes)
{
    if (bytes.empty())
        return kResOk;
    // Chunks are not bounded by the announced length; bytes past the file's end are refused.
    if (m_lengthKnown && bytes.size() > m_contentLength - m_received)
        return kResFailure;
    if (m_bodyStream) {
        TK_TRY(m_bodyStream->WriteBytes(bytes.data(), int64_t(bytes.size())));
    } else {
        if (uint64_t(m_bodyMemory.GetSize()) + bytes.size() > m_bodyMemoryLimit)
            return kResBufferOverrun;
        TK_TRY(m_bodyMemory.WriteBytes(bytes.data(), int64_t(bytes.size())));
    }
    m_received += bytes.size();
    return kResOk;
}

tResult CHTTPSession::ReportProgress()
{
    if (!m_http.progressChanged.function || !m_lengthKnown || m_contentLength == 0)
        return kResOk;
    const unsigned __int128 scaled = static_cast<unsigned __int128>(m_received) * 1000 / m_contentLength;
    const uint32_t thousandths = uint32_t(std::min<unsigned __int128>(scaled, 1000));
    if (thousandths == m_lastProgress)
        return kResOk;
    m_lastProgress = thousandths;
    return Ask(m_http.progressChanged, this, thousandths);
}

tResult CHTTPSession::ConsumeReceived(int64_t count)
{
    const int64_t size = m_receive.GetSize();
    if (count >= size) {
        m_receive.Reset();
        return kResOk;
    }
    const unsigned char* data = m_receive.GetData();
    const std::string rest(reinterpret_cast<const char*>(data) + count, size_t(size - count));
    m_receive.Reset();
    return m_receive.WriteBytes(rest.data(), int64_t(rest.size()));
}

tResult CHTTPSession::ReleaseBodyStream()
{
    if (!m_bodyStream)
        return kResOk;
    tResult result = kResOk;
    if (tCFile* file = dynamic_cast<tCFile*>(m_bodyStream.get()))
        result = file->Close();
    m_bodyStream.reset();
    return result;
}

void CHTTPSession::ReportDownloadFinished(bool complete)
{
    if (m_serverMode)
        return;
    const tResult answer = Ask(m_http.downloadFinished, this, m_folder, m_fileName, complete ? 1u : 0u, m_received);
    if (answer != kResOk)
        ReportResult(answer, "Download finished callback failed.");
}

tResult CHTTPSession::Succeed()
{
    // A body file that cannot be closed may not hold what was written.
    const tResult released = ReleaseBodyStream();
    if (released != kResOk)
        return FailTransfer(released);
    m_outcome = tOutcome::kSucceeded;
    ReportDownloadFinished(true);
    return kResOk;
}

tResult CHTTPSession::Refuse(tResult code)
{
    if (m_outcome != tOutcome::kOpen)
        return kResOk;
    m_headParsed = true;
    m_outcome = tOutcome::kFailed;
    m_timeoutArmed = false;
    m_receive.Reset();
    const tResult released = ReleaseBodyStream();
    ChangeState(kStateClosedWithError);
    const tResult answer = Ask(m_http.requestFailed, this);
    const tResult closed = Close();
    return FirstFailure(answer, FirstFailure(code, FirstFailure(released, closed)));
}

tResult CHTTPSession::FailTransfer(tResult code)
{
    if (m_outcome != tOutcome::kOpen)
        return kResOk;
    m_outcome = tOutcome::kFailed;
    m_timeoutArmed = false;
    m_receive.Reset();
    const tResult released = ReleaseBodyStream();
    if (m_responseAccepted)
        ReportDownloadFinished(false);
    ChangeState(kStateClosedWithError);
    const tResult answer = Ask(m_http.transferFailed, this);
    const tResult closed = Close();
    return FirstFailure(answer, FirstFailure(code, FirstFailure(released, closed)));
}
