#include "app/shell/VersionText.h"

#include <string_view>

namespace {

// Reads the part of `text` that starts at *at and moves *at past its dot. Parts too long for a
// number stop growing at a bound no real version reaches.
uint64_t NextPart(std::u16string_view text, size_t* at)
{
    constexpr uint64_t kLimit = uint64_t(1) << 60;
    uint64_t value = 0;
    bool digits = true;
    size_t i = *at;
    for (; i < text.size() && text[i] != u'.'; ++i) {
        const char16_t c = text[i];
        digits = digits && c >= u'0' && c <= u'9';
        if (digits && value < kLimit)
            value = value * 10 + uint64_t(c - u'0');
    }
    *at = i < text.size() ? i + 1 : i;
    return value;
}

}  // namespace

uint32_t IsNewerVersion(const tCString& offered, const tCString& own)
{
    const std::u16string_view a = offered.View();
    const std::u16string_view b = own.View();
    size_t atA = 0, atB = 0;
    while (atA < a.size() || atB < b.size()) {
        const uint64_t partA = NextPart(a, &atA);
        const uint64_t partB = NextPart(b, &atB);
        if (partA != partB)
            return partA > partB ? 1 : 0;
    }
    return 0;
}
