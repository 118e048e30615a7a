#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCFPoint.h"
#include "toolkit/core/tCString.h"
#include "toolkit/imaging/CImageBase.h"
#include "toolkit/text/FreeTypeLibrary.h"
#include "toolkit/text/TextResources.h"

class CGlyphCache;
class tCFont;

// A text style (face, size, flags, colour, justification, spacing) and what is done with it:
// measuring, breaking into lines and drawing UTF-16 text into an 8-bit coverage image or a
// 32-bit image. Texts are NUL-terminated UTF-16; a surrogate pair is one character, and a
// character the face lacks is its missing glyph. Counts and indices are in UTF-16 units.
// Measures are 26.6 fixed point inside and whole pixels at the interface.
class CTextRenderer : public tCBaseObject {
public:
    enum : int32_t { kLeft = 0, kRight = 1, kCentre = 2, kFull = 3 };

    CTextRenderer();
    ~CTextRenderer() override = default;
    CTextRenderer(const CTextRenderer&) = delete;
    CTextRenderer& operator=(const CTextRenderer&) = delete;

    // Draws the text into the image, broken into lines when wrapping; with `resize` the image
    // first takes the text's size (its width kept when wrapping), else it is cleared.
    virtual tResult DrawTextBlock(const tCString& text, CImageBase* image, bool resize);
    // As DrawTextBlock without resizing, over what the image holds.
    virtual tResult DrawTextLines(const tCString& text, CImageBase* image);
    // One unwrapped line blended into the image at `point`, which the justification anchors.
    virtual tResult DrawTextLine(const tCString& text, CImageBase* image, tCFPoint point, int32_t targetWidth);
    // positions[0] = 0 and positions[k + 1] the pixel where the character of unit k ends (both
    // halves of a pair end where the pair does); length + 1 entries.
    virtual tResult GetCharPositions(const char16_t* text, int32_t* positions, int32_t targetWidth);
    // 0 when no font can be had.
    virtual int32_t GetTextWidth(const char16_t* text);
    virtual int32_t GetTextHeight(const char16_t* text, int32_t width);
    // The number of characters of the first line of the text that fit in `width`.
    virtual int32_t BreakLine(const char16_t* text, int32_t width);
    virtual int32_t GetTextHeightWithFont(FT_Face face, const char16_t* text, int32_t width);
    // The width of the first `count` units (count <= 0: all).
    virtual int32_t GetTextWidthWithFont(FT_Face face, const char16_t* text, int32_t count);
    virtual tResult GetCharPositionsWithFont(FT_Face face, const char16_t* text, int32_t* positions,
                                             int32_t targetWidth);
    // Draws `count` units (count <= 0: all) with the top of the line box at (x, y).
    virtual tResult RasterizeText(FT_Face face, const char16_t* text, CImageBase* image, float x, float y,
                                  int32_t count, bool blend, int32_t targetWidth);
    // Finds and sizes the font of the style; the line height follows from it.
    virtual tResult GetFont(FT_Face* face);

    void SetFaceName(const tCString& name);
    // Copies the style, but not the line spacing, the layout flags, the tracking, the light-text
    // flag or the line height.
    CTextRenderer& CopySettings(const CTextRenderer& other);

    const tCString& GetFaceName() const { return m_faceName; }
    tCFont* GetFontObject() const { return m_font; }
    int32_t GetPixelSize() const { return m_pixelSize; }
    void SetPixelSize(int32_t pixels) { m_pixelSize = pixels; }
    float GetPointSize() const { return m_pointSize; }
    void SetPointSize(float points) { m_pointSize = points; }
    float GetFontScale() const { return m_fontScale; }
    void SetFontScale(float scale) { m_fontScale = scale; }
    float GetWidthScale() const { return m_widthScale; }
    void SetWidthScale(float scale) { m_widthScale = scale; }
    float GetLineSpacing() const { return m_lineSpacing; }
    void SetLineSpacing(float spacing) { m_lineSpacing = spacing; }
    uint32_t GetBold() const { return m_bold; }
    void SetBold(uint32_t on) { m_bold = on; }
    uint32_t GetItalic() const { return m_italic; }
    void SetItalic(uint32_t on) { m_italic = on; }
    uint32_t GetUnderline() const { return m_underline; }
    void SetUnderline(uint32_t on) { m_underline = on; }
    uint32_t GetWrap() const { return m_wrap; }
    void SetWrap(uint32_t on) { m_wrap = on; }
    uint32_t GetUnhinted() const { return m_unhinted; }
    void SetUnhinted(uint32_t on) { m_unhinted = on; }
    uint32_t GetFractionalMetrics() const { return m_fractionalMetrics; }
    void SetFractionalMetrics(uint32_t on) { m_fractionalMetrics = on; }
    uint32_t GetColour() const { return m_colour; }
    void SetColour(uint32_t colour) { m_colour = colour; }
    int32_t GetJustification() const { return m_justification; }
    void SetJustification(int32_t justification) { m_justification = justification; }
    float GetLineHeight() const { return m_lineHeight; }
    uint32_t GetLightText() const { return m_lightText; }
    void SetLightText(uint32_t on) { m_lightText = on; }
    int32_t GetTracking() const { return m_tracking; }
    void SetTracking(int32_t tracking) { m_tracking = tracking; }
    tCFPoint GetOffset() const { return {m_xOffset, m_yOffset}; }
    void SetOffset(tCFPoint offset) { m_xOffset = offset.x, m_yOffset = offset.y; }

private:
    // Where the pen stands (26.6) and the character before it.
    struct tPen {
        int64_t position = 0;
        FT_UInt previousGlyph = 0;
        uint32_t previousCode = 0;
    };

    // y_ppem / units_per_EM: font units to pixels.
    static double EmScale(FT_Face face);
    // The glyph cache when the face's largest glyph box stays under 10000 square pixels and
    // neither hinting nor pixel snapping is off; made on first need.
    CGlyphCache* UsableCache(FT_Face face) const;
    bool KerningApplies(FT_Face face) const;
    // Tracking and kerning between two characters whose glyphs are both non-zero.
    int32_t Spacing(FT_Face face, const tPen& pen, uint32_t code, FT_UInt glyph) const;
    // The advance of one glyph in 26.6, through the cache where it serves; false when the glyph
    // does not load.
    bool Advance(FT_Face face, CGlyphCache* cache, uint32_t code, FT_UInt glyph, int32_t* advance) const;
    // Moves the pen over one character as the measures do; a glyph that does not load adds
    // no advance.
    void MoveOn(FT_Face face, CGlyphCache* cache, tPen* pen, uint32_t code) const;
    // A pen position in whole pixels, after the width scale.
    int32_t PixelOfPen(int64_t pen) const;
    // Whole pixels added before each space of a fully justified line to fill `targetWidth`.
    int32_t SpaceExtra(FT_Face face, const char16_t* text, int32_t count, int32_t targetWidth);
    // Draws the text over the image as a block: wrapped lines, or one line placed by the
    // justification unless `atOffset` keeps it at the offset.
    tResult DrawBlock(FT_Face face, const char16_t* text, CImageBase* image, bool atOffset);
    tResult DrawWrappedLines(FT_Face face, const char16_t* text, CImageBase* image);
    // One line of `count` characters with the top of its box at y, placed by the justification.
    tResult PlaceLine(FT_Face face, const char16_t* text, int32_t count, CImageBase* image, float y);

    tCString m_faceName{tCString::FromAnsi(kFontDefault)};
    tCFont* m_font = nullptr;
    int32_t m_pixelSize = 0;
    float m_pointSize = 16.0f;
    float m_fontScale = 1.0f;
    float m_widthScale = 1.0f;
    float m_lineSpacing = 1.0f;
    uint32_t m_bold = 0;
    uint32_t m_italic = 0;
    uint32_t m_underline = 0;
    uint32_t m_wrap = 0;
    uint32_t m_unhinted = 0;
    uint32_t m_fractionalMetrics = 0;
    uint32_t m_colour = 0xFF000000;
    int32_t m_justification = kLeft;
    float m_lineHeight = 0.0f;
    uint32_t m_lightText = 0;
    int32_t m_tracking = 0;
    float m_xOffset = 0.0f;
    float m_yOffset = 0.0f;
};
