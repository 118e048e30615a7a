#include "resources/compiler/ResourceKinds.h"

#include <cstdio>
#include <cstdlib>

#include "resources/compiler/SourceText.h"
#include "toolkit/core/FourCC.h"

namespace {

const tResourceKind kKinds[] = {
    {"text", MakeFourCC("text"), tResourceKind::kText},
    {"txlt", MakeFourCC("txlt"), tResourceKind::kTextList},
    {"imag", MakeFourCC("imag"), tResourceKind::kImage},
    {"imlt", MakeFourCC("imlt"), tResourceKind::kImageList},
    {"iml8", MakeFourCC("iml8"), tResourceKind::kImageList},
    {"audi", MakeFourCC("audi"), tResourceKind::kSound},
    {"font", MakeFourCC("font"), tResourceKind::kFont},
    {"grad", MakeFourCC("grad"), tResourceKind::kGradient},
};

struct tSignature {
    const char* format;
    std::string bytes;
};

const tSignature kImageSignatures[] = {
    {"png", std::string("\x89PNG\r\n\x1A\n", 8)},
    {"bmp", "BM"},
    {"jpg", "\xFF\xD8\xFF"},
    {"psd", "8BPS"},
};

const std::string kFontSignatures[] = {std::string("\0\1\0\0", 4), "OTTO", "true", "ttcf"};

bool StartsWith(const std::string& bytes, const std::string& prefix)
{
    return bytes.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

const tResourceKind* FindResourceKind(const std::string& name)
{
    for (const tResourceKind& kind : kKinds)
        if (name == kind.name)
            return &kind;
    return nullptr;
}

const tResourceKind* FindResourceKind(uint32_t tag)
{
    for (const tResourceKind& kind : kKinds)
        if (tag == kind.tag)
            return &kind;
    return nullptr;
}

bool HasSignature(const tResourceKind& kind, const std::string& imageFormat, const std::string& bytes)
{
    switch (kind.data) {
    case tResourceKind::kImage: return !imageFormat.empty() && ImageFormatOf(bytes) == imageFormat;
    case tResourceKind::kSound: return StartsWith(bytes, "RIFF");
    case tResourceKind::kFont:
        for (const std::string& signature : kFontSignatures)
            if (StartsWith(bytes, signature))
                return true;
        return false;
    default: return false;
    }
}

std::string ImageFormatOf(const std::string& bytes)
{
    for (const tSignature& signature : kImageSignatures)
        if (StartsWith(bytes, signature.bytes))
            return signature.format;
    return std::string();
}

std::string FileExtensionOf(const tResourceKind& kind, const std::string& imageFormat)
{
    switch (kind.data) {
    case tResourceKind::kImage: return imageFormat;
    case tResourceKind::kSound: return "wav";
    default: return "ttf";
    }
}

bool ParseGradientPoint(const std::string& word, uint32_t* colour, float* position)
{
    const size_t at = word.find('@');
    if (word.size() < 11 || word[0] != '#' || at != 9)
        return false;
    uint32_t argb = 0;
    for (size_t i = 1; i < 9; ++i) {
        const int digit = HexDigitValue(word[i]);
        if (digit < 0)
            return false;
        argb = argb << 4 | uint32_t(digit);
    }
    // A range error is no fault here: an overflow lands outside 0 to 1 and is refused there, and
    // an underflow is the nearest float (a dumped denormal position reads back as itself).
    char* end = nullptr;
    const std::string number = word.substr(10);
    const float value = std::strtof(number.c_str(), &end);
    if (*end != '\0' || !(value >= 0.0f && value <= 1.0f))
        return false;
    *colour = argb;
    *position = value;
    return true;
}

std::string FormatGradientPoint(uint32_t colour, float position)
{
    char text[48];
    std::snprintf(text, sizeof text, "#%08X@%.9g", colour, double(position));
    return text;
}
