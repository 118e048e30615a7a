#include "toolkit/widgets/WidgetChunkSchema.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "toolkit/widgets/WidgetEffectBuilder.h"

namespace {

using P = tWidgetPayload;

std::vector<tWidgetChunk> Chunks(P payload, std::initializer_list<const char*> tags)
{
    std::vector<tWidgetChunk> chunks;
    for (const char* tag : tags) {
        uint32_t code = 0;
        ParseFourCC(tag, &code);
        chunks.push_back(tWidgetChunk{code, payload, {}});
    }
    return chunks;
}

std::vector<tWidgetChunk> Join(std::initializer_list<std::vector<tWidgetChunk>> groups)
{
    std::vector<tWidgetChunk> all;
    for (const std::vector<tWidgetChunk>& group : groups)
        all.insert(all.end(), group.begin(), group.end());
    return all;
}

std::vector<tWidgetClass> BuiltInClasses()
{
    const tWidgetClass plain{
        MakeFourCC("wdgt"), 0,
        Join({Chunks(P::kU32, {"actv", "focs", "vsbl", "opac", "opct", "prop", "oblt", "sipr", "kydn", "kyup",
                               "timr", "hrtb", "msmv", "lbdn", "lbup", "mbdn", "mbup", "rbdn", "rbup", "mswh",
                               "xpsr", "ypsr", "xpsd", "ypsd", "xgrd", "ygrd", "xcnt", "ycnt", "xszr", "yszr",
                               "autt", "ttrg", "ttrt", "tfpt"}),
              Chunks(P::kF32, {"xpos", "ypos", "xsiz", "ysiz"}), Chunks(P::kUserData, {"usrd"}),
              Chunks(P::kHierarchy, {"hier"})})};
    const tWidgetClass composite{MakeFourCC("cowg"), MakeFourCC("wdgt"),
                                 Join({Chunks(P::kColour, {"colr"}), WidgetEffectChunks()})};
    const auto imageChunks = [](tWidgetPayload listName) {
        return Join({Chunks(P::kU32, {"imsh", "stim", "imlx", "imcm"}), Chunks(P::kImageName, {"imag"}),
                     Chunks(listName, {"imls"})});
    };
    const tWidgetClass image{MakeFourCC("imwg"), MakeFourCC("cowg"), imageChunks(P::kImageListName)};
    const tWidgetClass mask{MakeFourCC("mkwg"), MakeFourCC("cowg"), imageChunks(P::kMaskListName)};
    const tWidgetClass backdrop{
        MakeFourCC("bkdp"), MakeFourCC("wdgt"),
        Join({Chunks(P::kImageName, {"imag"}), Chunks(P::kU32, {"whsb", "grop", "grac", "fscr"}),
              Chunks(P::kF32, {"grcx", "grcy", "gran"}), Chunks(P::kGradientName, {"grad"}),
              Chunks(P::kColour, {"colr"}), Chunks(P::kCursor, {"curs"}), Chunks(P::kDefaultCursor, {"dcur"})})};
    const tWidgetClass roundedRect{
        MakeFourCC("rrwg"), MakeFourCC("cowg"),
        Join({Chunks(P::kF32, {"rrad", "rbwd", "rtbh"}), Chunks(P::kColour, {"rbcl"}),
              Chunks(P::kU32, {"rctl", "rctr", "rcbl", "rcbr"})})};
    const tWidgetClass shadow{MakeFourCC("shwg"), MakeFourCC("cowg"),
                              Join({Chunks(P::kU32, {"swst", "swsb", "swsl", "swsr"}), Chunks(P::kF32, {"swrd"})})};
    const tWidgetClass frame{MakeFourCC("fmwg"), MakeFourCC("cowg"), Chunks(P::kColour, {"frcl"})};
    return {plain, composite, backdrop, image, mask, roundedRect, shadow, frame};
}

std::vector<tWidgetClass>& Classes()
{
    static std::vector<tWidgetClass> classes = BuiltInClasses();
    return classes;
}

tWidgetClass* FindClass(uint32_t tag)
{
    for (tWidgetClass& widgetClass : Classes())
        if (widgetClass.tag == tag)
            return &widgetClass;
    return nullptr;
}

// A whole text as a number, without blanks or anything after it.
bool IsWholeNumber(const std::string& text, double* value)
{
    if (text.empty() || text[0] == ' ' || text[0] == '\t')
        return false;
    char* end = nullptr;
    errno = 0;
    *value = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(*value);
}

bool IsWholeInteger(const std::string& text)
{
    size_t start = text.rfind("0x", 0) == 0 ? 2 : text.rfind('-', 0) == 0 ? 1 : 0;
    const bool hex = start == 2;
    if (start >= text.size() || text.size() - start > (hex ? 8 : 10))
        return false;
    for (size_t i = start; i < text.size(); ++i)
        if (hex ? !std::isxdigit(uint8_t(text[i])) : !std::isdigit(uint8_t(text[i])))
            return false;
    return hex || std::llabs(std::strtoll(text.c_str(), nullptr, 10)) <= int64_t(UINT32_MAX);
}

// Cuts a text at the first of two separators and then at the second.
bool SplitThree(const tCString& text, const char16_t* first, const char16_t* second, tCString* a, tCString* b,
                tCString* c)
{
    tCString rest;
    return text.SplitAtFirstOf(*a, rest, first, false) == 0 && rest.SplitAtFirstOf(*b, *c, second, false) == 0;
}

}  // namespace

uint32_t ResourceTypeNamedBy(tWidgetPayload payload)
{
    switch (payload) {
    case P::kImageName: return MakeFourCC("imag");
    case P::kGradientName: return MakeFourCC("grad");
    case P::kImageListName: return MakeFourCC("imlt");
    case P::kMaskListName: return MakeFourCC("iml8");
    case P::kTextListName: return MakeFourCC("txlt");
    default: return 0;
    }
}

tResult RegisterWidgetClass(uint32_t tag, uint32_t base)
{
    if (FindClass(tag) || !FindClass(base))
        return kResBadParam;
    Classes().push_back(tWidgetClass{tag, base, {}});
    return kResOk;
}

tResult AddWidgetChunks(uint32_t classTag, const std::vector<tWidgetChunk>& chunks)
{
    if (!FindClass(classTag))
        return kResBadParam;
    for (const tWidgetChunk& chunk : chunks)
        if (FindWidgetChunk(classTag, chunk.tag))
            return kResBadParam;
    std::vector<tWidgetChunk>& own = FindClass(classTag)->chunks;
    own.insert(own.end(), chunks.begin(), chunks.end());
    return kResOk;
}

const tWidgetClass* FindWidgetClass(uint32_t tag)
{
    return FindClass(tag);
}

const tWidgetChunk* FindWidgetChunk(uint32_t classTag, uint32_t chunkTag)
{
    for (const tWidgetChunk* chunk : WidgetChunksOf(classTag))
        if (chunk->tag == chunkTag)
            return chunk;
    return nullptr;
}

std::vector<const tWidgetChunk*> WidgetChunksOf(uint32_t classTag)
{
    std::vector<const tWidgetChunk*> chunks;
    for (const tWidgetClass* widgetClass = FindClass(classTag); widgetClass;
         widgetClass = widgetClass->base ? FindClass(widgetClass->base) : nullptr)
        for (const tWidgetChunk& chunk : widgetClass->chunks)
            chunks.push_back(&chunk);
    return chunks;
}

bool CheckUserDataText(const tCString& text, std::string* why)
{
    tCString index, type, value;
    if (!SplitThree(text, u"|", u"|", &index, &type, &value)) {
        *why = "user data is written \"index|int|value\" or \"index|real|value\"";
        return false;
    }
    const std::string slot = index.ToAnsi();
    if (slot.size() != 1 || slot[0] < '0' || slot[0] > '7') {
        *why = "a user data index from 0 to 7 expected";
        return false;
    }
    double number = 0;
    const bool valid = type == u"int" ? IsWholeInteger(value.ToAnsi())
                       : type == u"real" ? IsWholeNumber(value.ToAnsi(), &number) && std::isfinite(float(number))
                                         : false;
    if (!valid)
        *why = "a user data value of type int or real expected";
    return valid;
}

bool CheckCursorText(const tCString& text, tCString* name, std::string* why)
{
    tCString x, y;
    double hotspotX = 0, hotspotY = 0;
    const bool valid = SplitThree(text, u"|", u",", name, &x, &y) && !name->IsEmpty() &&
                       IsWholeNumber(x.ToAnsi(), &hotspotX) && IsWholeNumber(y.ToAnsi(), &hotspotY) &&
                       std::fabs(hotspotX) < double(INT32_MAX) && std::fabs(hotspotY) < double(INT32_MAX);
    if (!valid)
        *why = "a cursor is written \"name|x,y\"";
    return valid;
}
