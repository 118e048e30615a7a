#pragma once

#include <cstdint>
#include <memory>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/imaging/CImage8.h"

// What a font remembers of its first 688 character codes at its current size: each glyph's
// coverage and its place relative to the pixel-rounded pen, and its advance. The font drops the
// whole cache whenever its size or face changes.
class CGlyphCache {
public:
    static constexpr int32_t kCodes = 688;

    struct tEntry {
        // The glyph's coverage as FreeType rendered it, before any gamma table.
        std::unique_ptr<CImage8> image;
        int32_t top = 0;
        int32_t left = 0;
        // 26.6; -1 until measured.
        int32_t advance = -1;
    };

    // The cache with its 688 empty entries, or null when memory runs out.
    static std::unique_ptr<CGlyphCache> Make();

    // The entry of a code below kCodes.
    tEntry& At(uint32_t code) { return m_entries[int32_t(code)]; }

private:
    CGlyphCache() = default;

    tCArray<tEntry> m_entries;
};
