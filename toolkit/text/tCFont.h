#pragma once

#include <cstdint>
#include <memory>

#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/tCDictionary.h"
#include "toolkit/core/tCResourceObject.h"
#include "toolkit/text/CGlyphCache.h"
#include "toolkit/text/FreeTypeLibrary.h"

class CResourceDirectory;
class tCStream;

// One typeface at one size: a FreeType face made from a 'font' resource (a u32 byte count and
// a font file) or from an installed font file. Fonts are shared through the application's font
// pool under the face name that was asked for; the font owns its glyph cache.
class tCFont : public tCResourceObject {
public:
    static constexpr uint32_t kType = MakeFourCC("font");

    // A pair of character codes and its kerning in font units.
    struct CKerning {
        uint32_t left = 0;
        uint32_t right = 0;
        int32_t value = 0;
    };

    tCFont();
    ~tCFont() override;
    tCFont(const tCFont&) = delete;
    tCFont& operator=(const tCFont&) = delete;

    // The pooled font of that face name, made on the first request: a 'font' resource of that
    // name, else an installed face (see LoadSystemFont). 24 without FreeType or an application.
    static tResult FindFont(const tCString& name, tCFont** font);

    // Loads the face of a 'font' resource. Given no stream, or either opening of the
    // application's resource file, the second opening and its directory are read.
    virtual tResult GetFromRes(const tCString& name, tCStream* stream, CResourceDirectory* directory);
    virtual tResult GetFromRes(uint32_t id, tCStream* stream, CResourceDirectory* directory);

    // Size the face in points at 72 dpi (widths stretched by `widthFactor`) or in pixels; FreeType
    // is asked only when the size really changes, and each change drops the glyph cache. 24
    // without a face or when FreeType refuses the size.
    tResult SetCharSize(float points, float widthFactor);
    tResult SetPixelSizes(int32_t pixels, float widthFactor);

    // 0 with the pair's kerning at the face's current size in 26.6 whole pixels; 1 when the table
    // lacks the pair.
    tResult GetKerning(FT_Face face, uint32_t left, uint32_t right, int32_t* value) const;
    tResult AddKerning(const CKerning& pair);
    bool HasKerningPairs() const { return !m_kerning.IsEmpty(); }

    // Drops the glyph cache, the face, its font data and the kerning pairs.
    void ReleaseFace();

    FT_Face GetFace() const { return m_face; }
    // Takes a face opened elsewhere; the font releases it.
    void SetFace(FT_Face face);
    // The cache of the current size, made when `make` is set and there is none; null when it
    // cannot be made.
    CGlyphCache* GetGlyphCache(bool make);

    int32_t GetPixelSize() const { return m_pixelSize; }
    float GetPointSize() const { return m_pointSize; }
    float GetWidthFactor() const { return m_widthFactor; }

private:
    struct tKerningKey {
        uint32_t left;
        uint32_t right;
    };
    static int32_t CompareKerning(const tKerningKey& key, const CKerning& entry, void* context);

    // The common part of the two loads; `locate` finds the resource's header.
    template <typename TLocate>
    tResult Load(tCStream* stream, CResourceDirectory* directory, TLocate locate);
    tResult ReadFace(tCStream& stream);

    FT_Face m_face = nullptr;
    CMemBlockT<unsigned char> m_fontData;
    int32_t m_pixelSize = -1;
    float m_pointSize = -1.0f;
    float m_widthFactor = 1.0f;
    tCDictionary<CKerning, tKerningKey> m_kerning;
    std::unique_ptr<CGlyphCache> m_glyphCache;
};

// Makes a font from the 'font' resource of that name and adds it to the font pool; the font is
// deleted on any failure.
tResult LoadResourceFontByName(const tCString& name, tCStream* stream, CResourceDirectory* directory);
// Makes a font from the installed face the machine's font list gives for the name (falling back
// to Arial, then DejaVu Sans), named and pooled as asked.
tResult LoadSystemFont(const tCString& name, uint32_t id);
