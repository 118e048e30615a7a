#include "toolkit/text/CTextRenderer.h"

#include <algorithm>
#include <cmath>

#include "toolkit/text/CGlyphCache.h"
#include "toolkit/text/Utf16Characters.h"
#include "toolkit/text/tCFont.h"

namespace {

constexpr char16_t kCR = 13;
constexpr char16_t kLF = 10;

// BreakLine measures 64 characters at a time into this buffer, with the end of the last.
constexpr int32_t kBreakChunk = 64;
int32_t gCharPositions[kBreakChunk + 1];

bool IsBreakCharacter(char16_t c)
{
    static constexpr std::u16string_view kBreaks = u" .,:;()_-+={[}]`~!@#$%^&*|\\<>/?";
    return kBreaks.find(c) != std::u16string_view::npos;
}

bool EndsLine(char16_t c)
{
    return c == 0 || c == kCR || c == kLF;
}

}  // namespace

CTextRenderer::CTextRenderer() = default;

void CTextRenderer::SetFaceName(const tCString& name)
{
    m_faceName = tCString(name.View());
}

CTextRenderer& CTextRenderer::CopySettings(const CTextRenderer& other)
{
    m_faceName = other.m_faceName;
    m_font = other.m_font;
    m_pixelSize = other.m_pixelSize;
    m_pointSize = other.m_pointSize;
    m_colour = other.m_colour;
    m_justification = other.m_justification;
    m_bold = other.m_bold;
    m_italic = other.m_italic;
    m_underline = other.m_underline;
    m_wrap = other.m_wrap;
    m_fontScale = other.m_fontScale;
    m_widthScale = other.m_widthScale;
    m_xOffset = other.m_xOffset;
    m_yOffset = other.m_yOffset;
    return *this;
}

tResult CTextRenderer::GetFont(FT_Face* face)
{
    tCString name = m_faceName;
    if (m_bold)
        name = name.Concat(tCString(u" Bold"));
    if (m_italic)
        name = name.Concat(tCString(u" Italic"));
    tCFont* font = nullptr;
    tResult result = tCFont::FindFont(name, &font);
    if (result != kResOk && (m_bold || m_italic))
        result = tCFont::FindFont(m_faceName, &font);
    TK_TRY(result);
    m_font = font;
    TK_TRY(m_pixelSize != 0 ? font->SetPixelSizes(m_pixelSize, m_fontScale) : font->SetCharSize(m_pointSize, m_fontScale));
    FT_Face found = font->GetFace();
    const double height = std::max(found->size->metrics.height / 64.0,
                                   (found->bbox.yMax - found->bbox.yMin) * EmScale(found));
    m_lineHeight = float(m_fractionalMetrics ? height : std::trunc(height));
    if (!found->charmap && found->num_charmaps > 0)
        FT_Set_Charmap(found, found->charmaps[0]);
    *face = found;
    return kResOk;
}

double CTextRenderer::EmScale(FT_Face face)
{
    return face->units_per_EM ? double(face->size->metrics.y_ppem) / face->units_per_EM : 0.0;
}

CGlyphCache* CTextRenderer::UsableCache(FT_Face face) const
{
    if (m_unhinted || m_fractionalMetrics || !m_font || m_font->GetFace() != face)
        return nullptr;
    const double scale = EmScale(face);
    const double box = double(face->bbox.xMax - face->bbox.xMin) * double(face->bbox.yMax - face->bbox.yMin);
    return box * scale * scale < 10000.0 ? m_font->GetGlyphCache(true) : nullptr;
}

bool CTextRenderer::KerningApplies(FT_Face face) const
{
    return FT_HAS_KERNING(face) && m_font && m_font->GetFace() == face && m_font->HasKerningPairs();
}

int32_t CTextRenderer::Spacing(FT_Face face, const tPen& pen, uint32_t code, FT_UInt glyph) const
{
    if (!glyph || !pen.previousGlyph)
        return 0;
    int32_t kerning = 0;
    if (KerningApplies(face) && m_font->GetKerning(face, pen.previousCode, code, &kerning) != kResOk) {
        FT_Vector delta{0, 0};
        const FT_UInt mode = m_unhinted ? FT_KERNING_UNFITTED : FT_KERNING_DEFAULT;
        kerning = FT_Get_Kerning(face, pen.previousGlyph, glyph, mode, &delta) == FT_Err_Ok ? int32_t(delta.x) : 0;
    }
    return m_tracking + kerning;
}

bool CTextRenderer::Advance(FT_Face face, CGlyphCache* cache, uint32_t code, FT_UInt glyph, int32_t* advance) const
{
    CGlyphCache::tEntry* entry = cache && code < CGlyphCache::kCodes ? &cache->At(code) : nullptr;
    if (entry && entry->advance != -1) {
        *advance = entry->advance;
        return true;
    }
    if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != FT_Err_Ok)
        return false;
    *advance = int32_t(face->glyph->advance.x);
    if (entry)
        entry->advance = *advance;
    return true;
}

int32_t CTextRenderer::PixelOfPen(int64_t pen) const
{
    return int32_t((std::llrint(double(m_widthScale) * double(pen)) + 96) >> 6);
}

void CTextRenderer::MoveOn(FT_Face face, CGlyphCache* cache, tPen* pen, uint32_t code) const
{
    const FT_UInt glyph = FT_Get_Char_Index(face, code);
    pen->position += Spacing(face, *pen, code, glyph);
    int32_t advance = 0;
    if (Advance(face, cache, code, glyph, &advance))
        pen->position += advance;
    pen->previousGlyph = glyph;
    pen->previousCode = code;
}

int32_t CTextRenderer::GetTextWidthWithFont(FT_Face face, const char16_t* text, int32_t count)
{
    if (!text || !text[0])
        return 0;
    CGlyphCache* cache = UsableCache(face);
    tPen pen;
    for (int32_t i = 0; text[i] && (count <= 0 || i < count);) {
        const tTextCharacter character = CharacterAt(text, i, count);
        MoveOn(face, cache, &pen, character.code);
        i += character.units;
    }
    return PixelOfPen(pen.position);
}

int32_t CTextRenderer::SpaceExtra(FT_Face face, const char16_t* text, int32_t count, int32_t targetWidth)
{
    if (m_justification != kFull || targetWidth <= 0)
        return 0;
    int32_t spaces = 0;
    for (int32_t i = 0; text[i] && (count <= 0 || i < count); ++i)
        spaces += text[i] == u' ';
    if (spaces == 0)
        return 0;
    // A line that is already too wide is not squeezed.
    return std::max(targetWidth - GetTextWidthWithFont(face, text, count), 0) / spaces;
}

tResult CTextRenderer::GetCharPositionsWithFont(FT_Face face, const char16_t* text, int32_t* positions,
                                                int32_t targetWidth)
{
    if (!text || !text[0])
        return kResOk;
    const int32_t perSpace = SpaceExtra(face, text, 0, targetWidth);
    CGlyphCache* cache = UsableCache(face);
    tPen pen;
    int32_t extra = 0;
    positions[0] = 0;
    for (int32_t k = 0; text[k];) {
        const tTextCharacter character = CharacterAt(text, k, 0);
        MoveOn(face, cache, &pen, character.code);
        const int64_t snapped = m_unhinted ? pen.position : (pen.position + 31) & ~int64_t(63);
        k += character.units;
        if (text[k] == u' ')
            extra += perSpace;
        // Both halves of a pair end where the pair does, so no break or caret falls between them.
        const int32_t end = PixelOfPen(snapped) + int32_t(std::lrint(m_xOffset + float(extra)));
        for (int32_t unit = k - character.units; unit < k; ++unit)
            positions[unit + 1] = end;
    }
    return kResOk;
}

tResult CTextRenderer::GetCharPositions(const char16_t* text, int32_t* positions, int32_t targetWidth)
{
    FT_Face face = nullptr;
    TK_TRY(GetFont(&face));
    return GetCharPositionsWithFont(face, text, positions, targetWidth);
}

int32_t CTextRenderer::GetTextWidth(const char16_t* text)
{
    FT_Face face = nullptr;
    return GetFont(&face) == kResOk ? GetTextWidthWithFont(face, text, 0) : 0;
}

int32_t CTextRenderer::GetTextHeight(const char16_t* text, int32_t width)
{
    FT_Face face = nullptr;
    return GetFont(&face) == kResOk ? GetTextHeightWithFont(face, text, width) : 0;
}

int32_t CTextRenderer::BreakLine(const char16_t* text, int32_t width)
{
    if (!text)
        return 0;
    const int32_t usable = width - 2;
    int32_t offset = 0;
    int32_t consumed = 0;
    int32_t lastBreak = 0;
    char16_t chunk[kBreakChunk + 1];
    for (;;) {
        int32_t n = 0;
        while (n < kBreakChunk && !EndsLine(text[consumed + n])) {
            chunk[n] = text[consumed + n];
            ++n;
        }
        // A chunk does not end between the halves of a pair, which are measured as one.
        if (n == kBreakChunk && IsHighSurrogate(chunk[n - 1]) && IsLowSurrogate(text[consumed + n]))
            --n;
        const bool lineEnds = EndsLine(text[consumed + n]);
        chunk[n] = 0;
        if (n == 0)
            return consumed;
        if (GetCharPositions(chunk, gCharPositions, 0) != kResOk)
            return 0;
        if (gCharPositions[n] + offset < usable) {
            for (int32_t k = 0; k < n; ++k)
                if (IsBreakCharacter(chunk[k]))
                    lastBreak = consumed + k + 1;
            if (lineEnds)
                return consumed + n;
            offset += gCharPositions[n];
            consumed += n;
            continue;
        }
        for (int32_t k = 0; k < n; ++k) {
            if (gCharPositions[k + 1] + offset >= usable)
                return lastBreak > 0 ? lastBreak : consumed + k;
            if (IsBreakCharacter(chunk[k]))
                lastBreak = consumed + k + 1;
        }
        return consumed + n;
    }
}

int32_t CTextRenderer::GetTextHeightWithFont(FT_Face, const char16_t* text, int32_t width)
{
    if (!m_wrap || !text || !text[0])
        return int32_t(std::lrint(m_lineHeight + 0.5f));
    int32_t lines = 1;
    for (int32_t i = 0; text[i];) {
        if (text[i] == kCR || text[i] == kLF) {
            ++lines;
            ++i;
            continue;
        }
        const int32_t taken = BreakLine(text + i, width);
        if (taken <= 0)
            break;
        i += taken;
        if (!text[i])
            break;
        ++lines;
        if (text[i] == kCR || text[i] == kLF)
            ++i;
    }
    return int32_t(std::lrint(double(m_lineHeight) * m_lineSpacing * lines + 1.5));
}
