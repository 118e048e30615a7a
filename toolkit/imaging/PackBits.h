#pragma once

#include <cstdint>

// PackBits run-length coding of one row of bytes. The encoder takes every `stride`-th byte from
// `source` (one channel of 32-bit pixels, or a plain row with stride 1): runs of 2 to 127 equal
// bytes become a header 1 - n and the byte, everything else literals of up to 127 bytes behind
// a header n - 1.

// The encoded size of the row, without writing it.
int32_t PackBitsSize(const uint8_t* source, int32_t count, int32_t stride);
// Encodes the row into `out`, which holds at least PackBitsMaxSize(count) bytes; answers the size.
int32_t PackBitsEncode(const uint8_t* source, int32_t count, int32_t stride, uint8_t* out);
// A literal ends before an equal pair, so the worst rows alternate two-byte literals with the
// pairs they split: 3 bytes for every 2.
inline int32_t PackBitsMaxSize(int32_t count)
{
    return count + count / 2 + 2;
}

// Decodes `packedCount` bytes into a row of `rowBytes` bytes; the header byte -128 is skipped.
// A header whose literal or run value lies past the packed bytes ends the row with what is
// there; the rest of the row is left as it was. False when the output would pass the row's end.
bool PackBitsDecode(const uint8_t* packed, int32_t packedCount, uint8_t* row, int32_t rowBytes);
