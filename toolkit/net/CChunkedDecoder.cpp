#include "toolkit/net/CChunkedDecoder.h"

#include <algorithm>

#include "toolkit/net/HTTPText.h"

namespace {

// The line at the start of `input` without its LF (and a CR before it); false when no LF came.
bool TakeLine(std::string_view input, std::string_view* line, size_t* used)
{
    const size_t end = input.find('\n');
    if (end == std::string_view::npos)
        return false;
    *line = input.substr(0, end);
    if (!line->empty() && line->back() == '\r')
        line->remove_suffix(1);
    *used = end + 1;
    return true;
}

bool ParseChunkSize(std::string_view line, uint64_t* size)
{
    size_t digits = 0;
    uint64_t value = 0;
    while (digits < line.size() && HexDigitValue(line[digits]) >= 0) {
        if (digits == 16)
            return false;
        value = value * 16 + uint64_t(HexDigitValue(line[digits]));
        ++digits;
    }
    if (digits == 0)
        return false;
    std::string_view rest = line.substr(digits);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    if (!rest.empty() && rest.front() != ';')
        return false;
    *size = value;
    return true;
}

}  // namespace

void CChunkedDecoder::Reset()
{
    m_phase = kSizeLine;
    m_remaining = 0;
    m_trailerBytes = 0;
}

CChunkedDecoder::Status CChunkedDecoder::Next(std::string_view input, size_t* used, std::string_view* piece)
{
    *used = 0;
    *piece = std::string_view();
    switch (m_phase) {
    case kSizeLine:
        return ReadSizeLine(input, used);
    case kData: {
        if (input.empty())
            return kNeedMore;
        const size_t take = size_t(std::min<uint64_t>(m_remaining, input.size()));
        *piece = input.substr(0, take);
        *used = take;
        m_remaining -= take;
        if (m_remaining == 0)
            m_phase = kDataEnd;
        return kProgress;
    }
    case kDataEnd:
        return ReadDataEnd(input, used);
    case kTrailer:
        return ReadTrailer(input, used);
    case kFinished:
        return kDone;
    }
    return kMalformed;
}

CChunkedDecoder::Status CChunkedDecoder::ReadSizeLine(std::string_view input, size_t* used)
{
    std::string_view line;
    if (!TakeLine(input, &line, used))
        return input.size() > kMaxLineBytes ? kMalformed : kNeedMore;
    if (*used > kMaxLineBytes || !ParseChunkSize(line, &m_remaining))
        return kMalformed;
    m_phase = m_remaining == 0 ? kTrailer : kData;
    return kProgress;
}

CChunkedDecoder::Status CChunkedDecoder::ReadDataEnd(std::string_view input, size_t* used)
{
    if (input.empty() || (input[0] == '\r' && input.size() < 2))
        return kNeedMore;
    if (input[0] == '\n')
        *used = 1;
    else if (input[0] == '\r' && input[1] == '\n')
        *used = 2;
    else
        return kMalformed;
    m_phase = kSizeLine;
    return kProgress;
}

CChunkedDecoder::Status CChunkedDecoder::ReadTrailer(std::string_view input, size_t* used)
{
    std::string_view line;
    if (!TakeLine(input, &line, used))
        return input.size() > kMaxLineBytes ? kMalformed : kNeedMore;
    m_trailerBytes += *used;
    if (m_trailerBytes > kMaxTrailerBytes)
        return kMalformed;
    if (!line.empty())
        return kProgress;
    m_phase = kFinished;
    return kDone;
}
