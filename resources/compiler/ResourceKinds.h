#pragma once

#include <cstdint>
#include <string>

// The resource types the compiler writes, with the data form of the class that reads each.
struct tResourceKind {
    enum Data { kText, kTextList, kImage, kImageList, kSound, kFont, kGradient };
    const char* name;
    uint32_t tag;
    Data data;
};

// Null for a type the compiler does not know.
const tResourceKind* FindResourceKind(const std::string& name);
const tResourceKind* FindResourceKind(uint32_t tag);

// True when the bytes begin as a file of the kind (for images: of the named format, png, bmp,
// jpg or psd) must begin.
bool HasSignature(const tResourceKind& kind, const std::string& imageFormat, const std::string& bytes);
// The image format whose signature the bytes carry; "" for none.
std::string ImageFormatOf(const std::string& bytes);
// The file extension for a file-data resource, without its dot.
std::string FileExtensionOf(const tResourceKind& kind, const std::string& imageFormat);

// A gradient point "#AARRGGBB@<position>", the position from 0 to 1.
bool ParseGradientPoint(const std::string& word, uint32_t* colour, float* position);
// The same text for a point; parsing it gives back the same bits.
std::string FormatGradientPoint(uint32_t colour, float position);

// A colour of which only red, green and blue count: "#RRGGBB" (alpha 0) or "#AARRGGBB".
bool ParseRgbColour(const std::string& word, uint32_t* colour);
// "#RRGGBB" when the alpha byte is 0, else "#AARRGGBB"; parsing it gives back the same bits.
std::string FormatRgbColour(uint32_t colour);
