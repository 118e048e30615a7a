#pragma once

#include <cstdint>

// The pictures the ImageMagick files under tests/data/bmp were made from (13 x 7, and 40 x 9
// for the RLE8 file), as 0xRRGGBB.
inline uint32_t Rgb(int r, int g, int b)
{
    return uint32_t(r & 255) << 16 | uint32_t(g & 255) << 8 | uint32_t(b & 255);
}

inline uint32_t Mono(int x, int y)
{
    return (x + y) % 3 == 0 ? 0xFFFFFF : 0;
}

inline uint32_t Palette16(int x, int y)
{
    const int i = (x + 2 * y) % 16;
    return Rgb(i * 53, i * 97 + 31, 255 - i * 16);
}

inline uint32_t Palette91Entry(int i)
{
    return Rgb(i * 29, i * 71 + 7, i * 13 + 100);
}

inline uint32_t Palette91(int x, int y)
{
    return Palette91Entry((x * 7 + y * 13) % 91);
}

inline uint32_t TrueColour(int x, int y)
{
    return Rgb(x * 19, y * 37, x * y * 5 + 3);
}

inline uint32_t Runs(int x, int y)
{
    static const uint32_t runs[4] = {Rgb(200, 10, 10), Rgb(10, 200, 10), Rgb(10, 10, 200), Rgb(250, 250, 0)};
    return x < 30 ? runs[(x / 7 + y) % 4] : Palette91Entry((x * 3 + y) % 91);
}

inline uint8_t GreyOf(uint32_t rgb)
{
    return uint8_t(((rgb >> 16 & 255) + (rgb >> 8 & 255) + (rgb & 255)) / 3);
}
