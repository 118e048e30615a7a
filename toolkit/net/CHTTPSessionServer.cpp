// The server side of CHTTPSession: one GET answered on an accepted connection.
#include <algorithm>
#include <cstring>

#include "toolkit/core/PathText.h"
#include "toolkit/net/CHTTPSession.h"
#include "toolkit/net/HTTPText.h"

namespace {

// The end of a request head: an empty line after CR LF, or after a bare LF.
size_t FindRequestEnd(std::string_view buffered, size_t* endLength)
{
    size_t end = buffered.find("\r\n\r\n");
    *endLength = 4;
    const size_t bare = buffered.find("\n\n");
    if (bare != std::string_view::npos && (end == std::string_view::npos || bare < end)) {
        end = bare;
        *endLength = 2;
    }
    return end;
}

bool HasControlByte(std::string_view bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const unsigned char byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

bool IsTextPath(const tCString& path)
{
    if (path.IsEmpty())
        return true;
    const std::u16string_view view = path.View();
    const size_t dot = view.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return false;
    const tCString extension = UpperCasedAscii(tCString(view.substr(dot + 1)));
    return extension == u"TXT" || extension == u"HTM" || extension == u"HTML";
}

}  // namespace

tResult CHTTPSession::HandleRequest()
{
    const std::string_view buffered(reinterpret_cast<const char*>(m_receive.GetData()), size_t(m_receive.GetSize()));
    size_t endLength = 0;
    const size_t end = FindRequestEnd(buffered, &endLength);
    if (end == std::string_view::npos)
        return buffered.size() > kMaxHeadBytes ? Refuse(kResBufferOverrun) : kResOk;
    if (end + endLength > kMaxHeadBytes)
        return Refuse(kResBufferOverrun);
    const std::string head(buffered.substr(0, end + endLength));
    m_receive.Reset();
    const tResult received = Ask(m_http.requestReceived, this, std::string_view(head));
    if (received != kResOk)
        return Refuse(received);
    const tResult parsed = ParseRequest(head);
    if (parsed != kResOk)
        return Refuse(parsed);
    return Answer();
}

tResult CHTTPSession::ParseRequest(std::string_view head)
{
    std::string_view line = head.substr(0, head.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (!line.starts_with("GET "))
        return kResFailure;
    // The target runs to the blank before the last "HTTP/", so it may hold blanks itself.
    const size_t version = line.rfind(" HTTP/");
    if (version == std::string_view::npos || version < 4)
        return kResFailure;
    const std::string target = PercentDecode(line.substr(4, version - 4));
    if (HasControlByte(target))
        return kResFailure;
    SetRequestPath(tCString::FromAnsi(target));

    tCString requestLine;
    tCStringArray names, values;
    TK_TRY(SplitHeadLines(head, requestLine, names, values));
    m_rangeAsked = false;
    for (int32_t i = 0; i < names.GetCount(); ++i) {
        if (names[i] == u"RANGE")
            m_rangeAsked = ParseRangeRequest(values[i], &m_rangeStart, &m_rangeEnd, &m_rangeHasEnd);
        else if (names[i] == u"USER-AGENT")
            m_agent = values[i];
    }
    Tell(m_http.headersReceived, names, values);
    return kResOk;
}

tResult CHTTPSession::Answer()
{
    tCStream* supplied = nullptr;
    const tResult opened = Ask(m_http.openServedFile, this, m_fileName, supplied);
    if (supplied)
        m_bodyStream.reset(supplied);
    if (opened != kResOk)
        return Refuse(opened);
    if (!m_bodyStream) {
        m_bodyMemory.Reset();
        const tResult filled = Ask(m_http.fillBody, this, m_bodyMemory);
        if (filled != kResOk)
            return Refuse(filled);
    }
    const int64_t bodyLength = m_bodyStream ? m_bodyStream->GetLength() : m_bodyMemory.GetSize();
    if (bodyLength < 0)
        return Refuse(kResFileIO);
    const uint64_t length = uint64_t(bodyLength);

    m_headParsed = true;
    m_servedLength = m_contentLength = length;
    m_lengthKnown = true;
    // A range that starts inside the body is served from there (its last byte included);
    // any other is ignored and the whole body is served.
    bool partial = false;
    if (m_rangeAsked && m_rangeStart < length) {
        m_rangeEnd = m_rangeHasEnd ? std::min(m_rangeEnd, length - 1) : length - 1;
        partial = !(m_rangeStart == 0 && m_rangeEnd == length - 1);
    }
    if (!partial) {
        m_rangeStart = 0;
        m_rangeEnd = length > 0 ? length - 1 : 0;
    }
    const uint64_t sentLength = partial ? m_rangeEnd - m_rangeStart + 1 : length;

    tCStringArray names, values;
    const auto add = [&](const tCString& name, const tCString& value) {
        const tResult added = names.Add(name);
        return added != kResOk ? added : values.Add(value);
    };
    tResult listed = add(partial ? u"HTTP/1.1 206 Partial Content" : u"HTTP/1.1 200 OK", tCString());
    if (listed == kResOk)
        listed = add(u"Server:", u"Tessel HTTP");
    if (listed == kResOk)
        listed = add(u"Content-type:", IsTextPath(m_requestPath) ? u"text/html" : u"application/binary");
    if (listed == kResOk)
        listed = add(u"Content-length:", DecimalText(sentLength));
    if (listed == kResOk && partial)
        listed = add(u"Content-Range:", tCString(u"bytes ")
                                            .Concat(DecimalText(m_rangeStart))
                                            .Concat(u"-")
                                            .Concat(DecimalText(m_rangeEnd))
                                            .Concat(u"/")
                                            .Concat(DecimalText(length)));
    if (listed == kResOk)
        listed = add(u"Connection:", u"close");
    if (listed == kResOk)
        listed = Ask(m_http.addResponseHeaders, names, values);
    for (int32_t i = 0; listed == kResOk && i < names.GetCount() && i < values.GetCount(); ++i)
        if (!IsSafeHeaderText(names[i]) || !IsSafeHeaderText(values[i]))
            listed = kResBadParam;
    std::string text;
    if (listed == kResOk)
        listed = FormatHeaderLines(names, values, text);
    if (listed == kResOk)
        listed = text.size() > size_t(INT32_MAX) ? kResBadParam : m_send.Resize(int32_t(text.size()));
    if (listed != kResOk)
        return Refuse(listed);
    m_send.CopyFrom(text.data(), int32_t(text.size()));

    m_bodyPosition = m_rangeStart;
    m_bodyEnd = partial ? m_rangeEnd + 1 : length;
    m_received = m_bodyPosition;
    return kResOk;
}

tResult CHTTPSession::QueueNextPiece()
{
    if (!m_headParsed || IsFinished() || m_send.GetCount() > 0)
        return kResOk;
    if (m_bodyPosition >= m_bodyEnd)
        return FinishServing();
    const int32_t piece = int32_t(std::min<uint64_t>(kReadSize, m_bodyEnd - m_bodyPosition));
    tResult read = m_send.Resize(piece);
    if (read == kResOk && m_bodyStream) {
        read = m_bodyStream->SetPosition(int64_t(m_bodyPosition));
        if (read == kResOk)
            read = m_bodyStream->ReadBytes(m_send.GetData(), piece);
    } else if (read == kResOk) {
        std::memcpy(m_send.GetData(), m_bodyMemory.GetData() + m_bodyPosition, size_t(piece));
    }
    if (read != kResOk)
        return FailTransfer(read);
    m_bodyPosition += uint64_t(piece);
    m_received = m_bodyPosition;
    return ReportProgress();
}

tResult CHTTPSession::FinishServing()
{
    m_outcome = tOutcome::kSucceeded;
    m_lastProgress = 1000;
    const tResult released = ReleaseBodyStream();
    // The peer sees the end of the body and closes; the time-out closes a peer that does not.
    // A peer that is gone already needs nothing more than the close.
    if (ShutdownSending() != kResOk)
        return Close();
    return released;
}
