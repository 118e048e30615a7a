#include "platform/SystemFonts.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <mutex>

#include "platform/TextCodec.h"

namespace w32::fonts {

namespace {

std::mutex& Lock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

bool gOpened = false;

}  // namespace

bool FindFamilyFile(const std::u16string& family, std::u16string* path)
{
    std::lock_guard<std::mutex> guard(Lock());
    if (family.empty() || !FcInit())
        return false;
    gOpened = true;
    const std::string name = ToAnsi(family);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    // The matcher always answers some font; only one of the family asked for counts.
    bool found = false;
    FcChar8* matched = nullptr;
    for (int i = 0; !found && FcPatternGetString(match, FC_FAMILY, i, &matched) == FcResultMatch; ++i)
        found = strcasecmp(reinterpret_cast<const char*>(matched), name.c_str()) == 0;
    FcChar8* file = nullptr;
    found = found && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    if (found)
        *path = FileNameToWide(reinterpret_cast<const char*>(file));
    FcPatternDestroy(match);
    return found;
}

void CloseFontLibrary()
{
    std::lock_guard<std::mutex> guard(Lock());
    if (gOpened)
        FcFini();
    gOpened = false;
}

}  // namespace w32::fonts
