#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Takes a chunked body apart as its bytes arrive, without holding the chunks: each step
// consumes framing and hands back at most one piece of body bytes, so a chunk of any announced
// size costs no memory. Size lines (with optional extensions after ';') and trailer lines are
// bounded; a size of more than 16 hexadecimal digits, a missing CR LF after the data or an
// over-long line is malformed.
class CChunkedDecoder {
public:
    static constexpr size_t kMaxLineBytes = 1024;
    static constexpr size_t kMaxTrailerBytes = 65536;

    enum Status {
        // Something was consumed or handed back: call again with the rest.
        kProgress,
        // The rest holds no complete step: call again when more bytes came.
        kNeedMore,
        // The final chunk and its trailer have been read; bytes after them are not the body's.
        kDone,
        kMalformed,
    };

    void Reset();
    // `used` receives the count of input bytes consumed; `piece`, body bytes inside the input
    // (empty when the step carried none).
    Status Next(std::string_view input, size_t* used, std::string_view* piece);
    bool IsDone() const { return m_phase == kFinished; }

private:
    enum Phase { kSizeLine, kData, kDataEnd, kTrailer, kFinished };

    Status ReadSizeLine(std::string_view input, size_t* used);
    Status ReadDataEnd(std::string_view input, size_t* used);
    Status ReadTrailer(std::string_view input, size_t* used);

    Phase m_phase = kSizeLine;
    uint64_t m_remaining = 0;
    size_t m_trailerBytes = 0;
};
