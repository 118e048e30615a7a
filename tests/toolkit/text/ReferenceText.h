#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// What text should measure and look like, worked out from FreeType's own figures of a face the
// test opened itself, by the rules of the text renderer.

inline int64_t ReferenceAdvance(FT_Face face, char16_t c)
{
    EXPECT_EQ(FT_Load_Glyph(face, FT_Get_Char_Index(face, c), FT_LOAD_DEFAULT), 0);
    return face->glyph->advance.x;
}

// Whole pixels: the 26.6 sum plus 1.5 pixels, cut.
inline int32_t ReferencePixels(int64_t pen)
{
    return int32_t((pen + 96) >> 6);
}

inline int32_t ReferenceWidth(FT_Face face, const std::u16string& text, int32_t tracking = 0)
{
    int64_t pen = 0;
    for (size_t i = 0; i < text.size(); ++i)
        pen += ReferenceAdvance(face, text[i]) + (i > 0 ? tracking : 0);
    return text.empty() ? 0 : ReferencePixels(pen);
}

// Where each character ends, with the pen snapped to whole pixels: n + 1 entries.
inline std::vector<int32_t> ReferenceEnds(FT_Face face, const std::u16string& text, int32_t tracking = 0)
{
    std::vector<int32_t> ends{0};
    int64_t pen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        pen += ReferenceAdvance(face, text[i]) + (i > 0 ? tracking : 0);
        ends.push_back(ReferencePixels((pen + 31) & ~int64_t(63)));
    }
    return ends;
}

inline float ReferenceLineHeight(FT_Face face)
{
    const double box = double(face->bbox.yMax - face->bbox.yMin) * face->size->metrics.y_ppem / face->units_per_EM;
    return float(std::trunc(std::max(face->size->metrics.height / 64.0, box)));
}

// An 8-bit picture of one line of text: each glyph rendered by FreeType at its pen position
// (whole pixels) on the baseline below a line box whose top is at `top`, its coverage mapped
// through `gamma`, the larger coverage kept where glyphs meet.
struct tReferencePicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;

    tReferencePicture(FT_Face face, const std::u16string& text, int32_t w, int32_t h, int32_t left, float top,
                      const uint8_t* gamma)
        : width(w), height(h), pixels(size_t(w) * size_t(h), 0)
    {
        const double scale = double(face->size->metrics.y_ppem) / face->units_per_EM;
        int64_t baseline = std::llrint((double(h - 1) - top) * 64.0) - std::llrint(face->bbox.yMax * scale * 64.0);
        baseline = (baseline + 32) & ~int64_t(63);
        int64_t pen = int64_t(left) * 64;
        for (char16_t c : text) {
            const FT_UInt index = FT_Get_Char_Index(face, c);
            FT_Glyph glyph = nullptr;
            if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0 || FT_Get_Glyph(face->glyph, &glyph) != 0) {
                ADD_FAILURE() << "glyph " << index;
                continue;
            }
            FT_Vector origin{FT_Pos(pen), FT_Pos(baseline)};
            pen += face->glyph->advance.x;
            EXPECT_EQ(FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, &origin, 1), 0);
            const FT_BitmapGlyph bitmap = reinterpret_cast<FT_BitmapGlyph>(glyph);
            for (int32_t y = 0; y < int32_t(bitmap->bitmap.rows); ++y)
                for (int32_t x = 0; x < int32_t(bitmap->bitmap.width); ++x) {
                    const int32_t column = bitmap->left + x, row = h - 1 - bitmap->top + y;
                    if (column >= 0 && column < w && row >= 0 && row < h) {
                        uint8_t& pixel = pixels[size_t(row) * size_t(w) + size_t(column)];
                        pixel = std::max(pixel, gamma[bitmap->bitmap.buffer[y * bitmap->bitmap.pitch + x]]);
                    }
                }
            FT_Done_Glyph(glyph);
        }
    }

    uint8_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    int32_t InkCount() const { return int32_t(std::count_if(pixels.begin(), pixels.end(), [](uint8_t p) { return p; })); }
};
