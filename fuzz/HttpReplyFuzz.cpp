#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "toolkit/net/CChunkedDecoder.h"
#include "toolkit/net/HTTPText.h"

// Reads the input as an HTTP reply: the head's lines and the numbers and ranges in its values,
// then the rest as a chunked body arriving in pieces whose size the first byte picks.

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t step = size_t(data[0]) + 1;
    const std::string_view reply(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t headEnd = reply.find("\r\n\r\n");
    tCString first;
    tCStringArray names, values;
    if (SplitHeadLines(reply.substr(0, headEnd), first, names, values) == kResOk) {
        for (const tCString& value : values) {
            uint64_t number = 0, last = 0;
            bool hasLast = false;
            tContentRange range;
            ParseDecimalU64(value.View(), &number);
            ParseContentRange(value, &range);
            ParseRangeRequest(value, &number, &last, &hasLast);
        }
    }
    const std::string_view body = headEnd == std::string_view::npos ? reply : reply.substr(headEnd + 4);
    CChunkedDecoder decoder;
    size_t taken = 0, arrived = 0, handedOn = 0;
    while (arrived < body.size()) {
        arrived = std::min(body.size(), arrived + step);
        for (;;) {
            size_t used = 0;
            std::string_view piece;
            const CChunkedDecoder::Status status = decoder.Next(body.substr(taken, arrived - taken), &used, &piece);
            taken += used;
            handedOn += piece.size();
            if (taken > arrived || handedOn > taken)
                __builtin_trap();
            if (status != CChunkedDecoder::kProgress)
                break;
        }
    }
    return 0;
}
