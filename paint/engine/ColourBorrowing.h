#pragma once

#include <cstdint>

#include "toolkit/imaging/PixelMath.h"

// Bilinear interpolation of four colours in which a transparent corner counts for nothing: it
// takes the red, green and blue of the covered corner of its pair (keeping alpha 0), or, when
// both corners of its pair are transparent, those of the other pair, so that the colour stored
// in empty pixels never bleeds in.

inline void BorrowWithinPair(uint32_t& a, uint32_t& b)
{
    if ((a >> 24) == 0 && (b >> 24) != 0)
        a = b & 0x00FFFFFFu;
    else if ((b >> 24) == 0 && (a >> 24) != 0)
        b = a & 0x00FFFFFFu;
}

// c00, c01 the upper pair (columns x and x + 1), c10, c11 the lower; wx and wy 0..255, the
// column weight applied first. Four transparent corners give 0.
inline uint32_t BilinearColourBorrowing(uint32_t c00, uint32_t c01, uint32_t c10, uint32_t c11, uint32_t wx,
                                        uint32_t wy)
{
    if (((c00 | c01 | c10 | c11) & 0xFF000000u) == 0)
        return 0;
    BorrowWithinPair(c00, c01);
    BorrowWithinPair(c10, c11);
    if (((c00 | c01) & 0xFF000000u) == 0) {
        c00 = c10 & 0x00FFFFFFu;
        c01 = c11 & 0x00FFFFFFu;
    } else if (((c10 | c11) & 0xFF000000u) == 0) {
        c10 = c00 & 0x00FFFFFFu;
        c11 = c01 & 0x00FFFFFFu;
    }
    return LerpArgb(LerpArgb(c00, c01, wx), LerpArgb(c10, c11, wx), wy);
}
