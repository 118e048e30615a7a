#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"

// Direct pixel access for tests, independent of the navigators under test.

inline uint8_t* PixelAddress(CImageBase& image, int32_t x, int32_t y)
{
    uint8_t* base = nullptr;
    image.LockPixels(&base);
    return base + size_t(y) * size_t(image.GetRowBytes()) + size_t(x) * size_t(image.GetBytesPerPixel());
}

inline CPixel PixelAt(CImage& image, int32_t x, int32_t y)
{
    return *reinterpret_cast<CPixel*>(PixelAddress(image, x, y));
}

inline void SetPixel(CImage& image, int32_t x, int32_t y, CPixel value)
{
    *reinterpret_cast<CPixel*>(PixelAddress(image, x, y)) = value;
}

inline uint8_t ByteAt(CImage8& image, int32_t x, int32_t y)
{
    return *PixelAddress(image, x, y);
}

inline void SetByte(CImage8& image, int32_t x, int32_t y, uint8_t value)
{
    *PixelAddress(image, x, y) = value;
}

// A different opaque colour at every position.
inline CPixel PatternPixel(int32_t x, int32_t y)
{
    return 0xFF000000u | uint32_t((x * 37 + 11) & 0xFF) << 16 | uint32_t((y * 53 + 5) & 0xFF) << 8 |
           uint32_t((x * 7 + y * 13) & 0xFF);
}

inline void FillPattern(CImage& image)
{
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            SetPixel(image, x, y, PatternPixel(x, y));
}

inline int CountPixels(CImage& image, CPixel value)
{
    int count = 0;
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            count += PixelAt(image, x, y) == value;
    return count;
}

inline int CountBytes(CImage8& image, uint8_t value)
{
    int count = 0;
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            count += ByteAt(image, x, y) == value;
    return count;
}

// Every pixel of the image, row by row.
inline std::vector<uint32_t> PixelsOf(CImage& image)
{
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            pixels.push_back(PixelAt(image, x, y));
    return pixels;
}
