#include "resources/compiler/ResourceKinds.h"

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
    uint32_t argb = 0;
    float value = 0.0f;
    if (at != 9 || !ParseColour(word.substr(0, at), &argb) || !ParseFloat(word.substr(10), &value) ||
        !(value >= 0.0f && value <= 1.0f))
        return false;
    *colour = argb;
    *position = value;
    return true;
}

std::string FormatGradientPoint(uint32_t colour, float position)
{
    return FormatColour(colour) + "@" + FormatFloat(position);
}

bool ParseRgbColour(const std::string& word, uint32_t* colour)
{
    return ParseColour(word.size() == 7 && word[0] == '#' ? "#00" + word.substr(1) : word, colour);
}

std::string FormatRgbColour(uint32_t colour)
{
    return colour >> 24 ? FormatColour(colour) : "#" + FormatColour(colour).substr(3);
}
