#include "toolkit/imaging/PackBits.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

constexpr int32_t kLongest = 127;

// The one scan behind both the size and the encoding; `out` is null when only sizing.
int32_t Pack(const uint8_t* source, int32_t count, int32_t stride, uint8_t* out)
{
    const auto at = [&](int32_t i) { return source[ptrdiff_t(i) * stride]; };
    int32_t size = 0;
    for (int32_t i = 0; i < count;) {
        int32_t run = 1;
        if (i != count - 1)
            while (run < kLongest && i + run < count && at(i + run) == at(i))
                ++run;
        if (run >= 2) {
            if (out) {
                out[size] = uint8_t(1 - run);
                out[size + 1] = at(i);
            }
            size += 2;
            i += run;
            continue;
        }
        // The literal ends before the first pair of equal bytes, taking its first byte.
        int32_t length = 1;
        while (length < kLongest && i + length < count && at(i + length - 1) != at(i + length))
            ++length;
        if (out) {
            out[size] = uint8_t(length - 1);
            for (int32_t k = 0; k < length; ++k)
                out[size + 1 + k] = at(i + k);
        }
        size += length + 1;
        i += length;
    }
    return size;
}

}  // namespace

int32_t PackBitsSize(const uint8_t* source, int32_t count, int32_t stride)
{
    return Pack(source, count, stride, nullptr);
}

int32_t PackBitsEncode(const uint8_t* source, int32_t count, int32_t stride, uint8_t* out)
{
    return Pack(source, count, stride, out);
}

bool PackBitsDecode(const uint8_t* packed, int32_t packedCount, uint8_t* row, int32_t rowBytes)
{
    int32_t in = 0, out = 0;
    while (in < packedCount) {
        const int32_t header = int8_t(packed[in++]);
        // -128 is no header at all: writers pad with it.
        if (header == -128)
            continue;
        if (header >= 0) {
            const int32_t bytes = header + 1;
            if (bytes > rowBytes - out)
                return false;
            const int32_t there = std::min(bytes, packedCount - in);
            std::memcpy(row + out, packed + in, size_t(there));
            in += there;
            out += there;
            continue;
        }
        const int32_t repeats = 1 - header;
        if (repeats > rowBytes - out)
            return false;
        if (in == packedCount)
            break;
        std::memset(row + out, packed[in++], size_t(repeats));
        out += repeats;
    }
    return true;
}
