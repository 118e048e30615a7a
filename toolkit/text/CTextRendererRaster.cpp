#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include <ft2build.h>
#include FT_GLYPH_H

#include "toolkit/imaging/CImNav.h"
#include "toolkit/text/CGlyphCache.h"
#include "toolkit/text/CTextRenderer.h"
#include "toolkit/text/TextGamma.h"
#include "toolkit/text/TextPixels.h"
#include "toolkit/text/Utf16Characters.h"
#include "toolkit/text/tCFont.h"

namespace {

int64_t SnapToPixel(int64_t value)
{
    return (value + 32) & ~int64_t(63);
}

// Coverage rows of a glyph: 8-bit grey, or 1-bit as embedded bitmaps may be.
struct tCoverage {
    const uint8_t* rows = nullptr;
    ptrdiff_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool mono = false;

    uint8_t At(int32_t x, int32_t y) const
    {
        const uint8_t* row = rows + y * pitch;
        return mono ? uint8_t(((row[x >> 3] >> (7 - (x & 7))) & 1) * 255) : row[x];
    }
};

// False for the kinds of bitmap text has no use for (colour, sub-pixel).
bool CoverageOf(const FT_Bitmap& bitmap, tCoverage* coverage)
{
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO)
        return false;
    coverage->pitch = bitmap.pitch;
    // A negative pitch lists the rows bottom first.
    coverage->rows = bitmap.pitch >= 0 ? bitmap.buffer : bitmap.buffer - ptrdiff_t(bitmap.rows - 1) * bitmap.pitch;
    coverage->width = int32_t(bitmap.width);
    coverage->height = int32_t(bitmap.rows);
    coverage->mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    return true;
}

// A glyph rendered at a 26.6 origin, released when it goes.
class CRenderedGlyph {
public:
    ~CRenderedGlyph()
    {
        if (m_glyph)
            FT_Done_Glyph(m_glyph);
    }

    // The slot's glyph, which the caller loaded, rendered with its origin at (x, y).
    bool Render(FT_GlyphSlot slot, FT_Pos x, FT_Pos y)
    {
        if (FT_Get_Glyph(slot, &m_glyph) != FT_Err_Ok) {
            m_glyph = nullptr;
            return false;
        }
        FT_Vector origin{x, y};
        return FT_Glyph_To_Bitmap(&m_glyph, FT_RENDER_MODE_NORMAL, &origin, 1) == FT_Err_Ok &&
               CoverageOf(Bitmap()->bitmap, &m_coverage);
    }

    FT_BitmapGlyph Bitmap() const { return reinterpret_cast<FT_BitmapGlyph>(m_glyph); }
    const tCoverage& Coverage() const { return m_coverage; }

private:
    FT_Glyph m_glyph = nullptr;
    tCoverage m_coverage;
};

// The image text is drawn into, with the rule by which coverage meets its pixels.
class CTextTarget {
public:
    CTextTarget(CImageBase* image, uint32_t colour, bool blend, const uint8_t* gamma)
        : m_nav(image), m_colour(colour), m_blend(blend), m_gamma(gamma)
    {
    }

    bool IsUsable() const { return m_nav.IsLocked() && (Depth() == 1 || Depth() == 4); }
    int32_t Width() const { return m_nav.GetWidth(); }
    int32_t Height() const { return m_nav.GetHeight(); }

    // Copies coverage through the gamma table with its top-left at (column, row); false when
    // the column lies at or right of the image's edge.
    bool Copy(const tCoverage& glyph, int32_t column, int32_t row)
    {
        if (column >= Width())
            return false;
        const int32_t first = std::max(-column, 0);
        const int32_t end = std::min(glyph.width, Width() - column);
        for (int32_t y = 0; first < end && y < glyph.height; ++y) {
            const int32_t targetRow = row + y;
            if (targetRow < 0)
                continue;
            if (targetRow >= Height())
                break;
            if (!glyph.mono && Depth() == 1)
                CopyGreyRow(glyph.rows + y * glyph.pitch + first, m_nav.Row(targetRow) + column + first, end - first,
                            m_gamma);
            else
                for (int32_t x = first; x < end; ++x)
                    if (const uint8_t a = glyph.At(x, y))
                        Put(column + x, targetRow, m_gamma[a]);
        }
        return true;
    }

    // The common case of grey coverage into an 8-bit image, a row at a time.
    static void CopyGreyRow(const uint8_t* from, uint8_t* to, int32_t count, const uint8_t* gamma)
    {
        for (int32_t x = 0; x < count; ++x)
            if (from[x])
                CombineCoverage(to + x, gamma[from[x]]);
    }

    void Put(int32_t x, int32_t y, uint8_t a)
    {
        uint8_t* row = m_nav.Row(y);
        if (Depth() == 1) {
            CombineCoverage(row + x, a);
            return;
        }
        CPixel* pixel = reinterpret_cast<CPixel*>(row) + x;
        *pixel = m_blend ? BlendTextPixel(*pixel, m_colour, TextAlpha(m_colour, a))
                         : ReplaceTextPixel(*pixel, m_colour, a);
    }

private:
    int32_t Depth() const { return m_nav.GetBytesPerPixel(); }

    CImNavBase m_nav;
    uint32_t m_colour;
    bool m_blend;
    const uint8_t* m_gamma;
};

// The underline's rows in top-down 26.6: its top and its thickness.
struct tUnderline {
    int64_t top = 0;
    int64_t thickness = 0;
};

// The face's underline below a baseline, on the pixel grid unless fractional.
tUnderline UnderlineOf(FT_Face face, int32_t height, int64_t baseline, bool fractional)
{
    int64_t position = baseline + FT_MulFix(face->underline_position, face->size->metrics.y_scale);
    if (!fractional)
        position = SnapToPixel(position);
    tUnderline line{int64_t(height - 1) * 64 - position,
                    FT_MulFix(face->underline_thickness, face->size->metrics.y_scale)};
    if (!fractional && line.thickness != 0)
        line.thickness = std::max<int64_t>(SnapToPixel(line.thickness), 64);
    return line;
}

void DrawUnderline(CTextTarget& target, const tUnderline& line, int64_t from, int64_t to, bool fractional)
{
    const int64_t left = std::max<int64_t>(from >> 6, 0);
    const int64_t right = std::min<int64_t>(to >> 6, target.Width() - 1);
    const int64_t bottom = line.top + line.thickness;
    const int64_t firstRow = line.top >> 6;
    const int64_t endRow = (bottom >> 6) + (fractional && (bottom & 63) ? 1 : 0);
    for (int64_t row = std::max<int64_t>(firstRow, 0); left < right && row < std::min<int64_t>(endRow, target.Height());
         ++row) {
        uint32_t coverage = 255;
        if (fractional && row == firstRow)
            coverage = 255 - 4 * uint32_t(line.top & 63);
        if (fractional && row == endRow - 1 && (bottom & 63))
            coverage = ((coverage + 1) * 4 * uint32_t(bottom & 63)) >> 8;
        for (int64_t x = left; x < right; ++x)
            target.Put(int32_t(x), int32_t(row), uint8_t(coverage));
    }
}

// Fills a cache entry with the glyph the slot holds, rendered at (x, y).
bool FillEntry(FT_Face face, FT_Pos x, FT_Pos y, CGlyphCache::tEntry* entry)
{
    CRenderedGlyph glyph;
    if (!glyph.Render(face->glyph, x, y))
        return false;
    const tCoverage& coverage = glyph.Coverage();
    std::unique_ptr<CImage8> image(
        new (std::nothrow) CImage8(std::max(coverage.width, 1), std::max(coverage.height, 1)));
    if (!image || !image->IsValid())
        return false;
    CImNav8 view(image.get());
    if (!view.IsLocked())
        return false;
    for (int32_t row = 0; row < coverage.height; ++row)
        for (int32_t column = 0; column < coverage.width; ++column)
            view.Bytes(row)[column] = coverage.At(column, row);
    entry->top = glyph.Bitmap()->top - int32_t((y + 31) >> 6);
    entry->left = glyph.Bitmap()->left - int32_t((x + 31) >> 6);
    entry->advance = int32_t(face->glyph->advance.x);
    entry->image = std::move(image);
    return true;
}

enum class tGlyphOutcome { kDrawn, kFailed, kPastRightEdge };

tCoverage CoverageOfView(const CImNav8& view)
{
    tCoverage coverage;
    if (!view.IsLocked())
        return coverage;
    coverage.rows = view.Bytes(0);
    coverage.pitch = view.GetRowBytes();
    coverage.width = view.GetWidth();
    coverage.height = view.GetHeight();
    return coverage;
}

// A glyph of the cache, which renders it at (x, y) the first time; the pen moves on only when
// the entry could be had.
tGlyphOutcome DrawCachedGlyph(FT_Face face, FT_UInt glyph, uint32_t code, CGlyphCache::tEntry& entry,
                              CTextTarget& target, int64_t x, int64_t y, int64_t* pen)
{
    if (!entry.image &&
        (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != FT_Err_Ok || !FillEntry(face, FT_Pos(x), FT_Pos(y), &entry)))
        return tGlyphOutcome::kFailed;
    *pen += entry.advance;
    if (code == u' ')
        return tGlyphOutcome::kDrawn;
    const CImNav8 view(entry.image.get());
    const bool inside = target.Copy(CoverageOfView(view), int32_t((x + 31) >> 6) + entry.left,
                                    target.Height() - int32_t((y + 31) >> 6) - entry.top - 1);
    return inside ? tGlyphOutcome::kDrawn : tGlyphOutcome::kPastRightEdge;
}

// A glyph rendered afresh at (x, y), x snapped to whole pixels first when `snap` is set; the
// pen moves on once the glyph loaded.
tGlyphOutcome DrawFreshGlyph(FT_Face face, FT_UInt glyph, uint32_t code, CTextTarget& target, int64_t* x, int64_t y,
                             bool snap, int64_t* pen)
{
    if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != FT_Err_Ok)
        return tGlyphOutcome::kFailed;
    *pen += face->glyph->advance.x;
    if (snap)
        *x = (*x + 31) & ~int64_t(63);
    if (code == u' ')
        return tGlyphOutcome::kDrawn;
    CRenderedGlyph rendered;
    if (!rendered.Render(face->glyph, FT_Pos(*x), FT_Pos(y)))
        return tGlyphOutcome::kFailed;
    const bool inside = target.Copy(rendered.Coverage(), rendered.Bitmap()->left,
                                    target.Height() - 1 - rendered.Bitmap()->top);
    return inside ? tGlyphOutcome::kDrawn : tGlyphOutcome::kPastRightEdge;
}

}  // namespace

tResult CTextRenderer::RasterizeText(FT_Face face, const char16_t* text, CImageBase* image, float x, float y,
                                     int32_t count, bool blend, int32_t targetWidth)
{
    const bool fractional = m_fractionalMetrics != 0;
    const int32_t height = image ? image->GetHeight() : 0;
    // The baseline in 26.6, counted up from the image's bottom row; y is the top of the line box.
    int64_t baseline = std::llrint((double(height - 1) - y) * 64.0) -
                       std::llrint(double(face->bbox.yMax) * EmScale(face) * 64.0);
    if (!fractional)
        baseline = SnapToPixel(baseline);
    const tUnderline line = UnderlineOf(face, height, baseline, fractional);
    CTextTarget target(image, m_colour, blend, m_lightText ? GetTextInverseGammaTable() : GetTextGammaTable());
    if (!target.IsUsable())
        return kResNoMemory;
    if (!text || !text[0])
        return kResOk;
    CGlyphCache* cache = UsableCache(face);
    const int32_t perSpace = SpaceExtra(face, text, count, targetWidth);
    int32_t extra = 0;
    tPen pen;
    const auto origin = [&] {
        return std::llrint(double(pen.position) * m_widthScale + (double(x) + extra) * 64.0);
    };
    // A character the face lacks has glyph 0, the face's missing glyph, drawn like any other.
    for (int32_t i = 0; text[i] && (count <= 0 || i < count);) {
        const tTextCharacter character = CharacterAt(text, i, count);
        i += character.units;
        const uint32_t code = character.code;
        const FT_UInt glyph = FT_Get_Char_Index(face, code);
        pen.position += Spacing(face, pen, code, glyph);
        pen.previousGlyph = glyph;
        pen.previousCode = code;
        if (code == u' ')
            extra += perSpace;
        int64_t ox = origin();
        const tGlyphOutcome outcome =
            cache && code < CGlyphCache::kCodes
                ? DrawCachedGlyph(face, glyph, code, cache->At(code), target, ox, baseline, &pen.position)
                : DrawFreshGlyph(face, glyph, code, target, &ox, baseline, !m_unhinted, &pen.position);
        if (outcome == tGlyphOutcome::kPastRightEdge)
            return kResOk;
        if (outcome == tGlyphOutcome::kFailed)
            continue;
        if (m_underline)
            DrawUnderline(target, line, ox, origin(), fractional);
    }
    return kResOk;
}
