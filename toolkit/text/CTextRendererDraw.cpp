#include <cmath>

#include "toolkit/text/CTextRenderer.h"

namespace {

bool IsLineEnd(char16_t c)
{
    return c == 13 || c == 10;
}

}  // namespace

tResult CTextRenderer::DrawTextBlock(const tCString& text, CImageBase* image, bool resize)
{
    FT_Face face = nullptr;
    TK_TRY(GetFont(&face));
    if (!image)
        return kResOk;
    if (text.IsEmpty()) {
        image->Clear();
        return kResOk;
    }
    if (!resize) {
        image->Clear();
    } else if (m_wrap) {
        TK_TRY(image->SetSize(image->GetWidth(), GetTextHeightWithFont(face, text.GetText(), image->GetWidth())));
    } else {
        const int32_t height = int32_t(std::lrint(m_lineHeight + 1.5f));
        TK_TRY(image->SetSize(GetTextWidthWithFont(face, text.GetText(), 0), height));
    }
    return DrawBlock(face, text.GetText(), image, resize);
}

tResult CTextRenderer::DrawTextLines(const tCString& text, CImageBase* image)
{
    FT_Face face = nullptr;
    TK_TRY(GetFont(&face));
    if (!image || text.IsEmpty())
        return kResOk;
    return DrawBlock(face, text.GetText(), image, false);
}

tResult CTextRenderer::DrawTextLine(const tCString& text, CImageBase* image, tCFPoint point, int32_t targetWidth)
{
    FT_Face face = nullptr;
    TK_TRY(GetFont(&face));
    if (m_wrap || text.IsEmpty() || !image)
        return kResOk;
    const float baseX = m_xOffset + point.x;
    const float baseY = m_yOffset + point.y;
    float x = baseX;
    if (m_justification == kRight)
        x = baseX - float(GetTextWidthWithFont(face, text.GetText(), 0));
    else if (m_justification != kLeft && m_justification != kFull)
        x = baseX - float(GetTextWidthWithFont(face, text.GetText(), 0) / 2);
    return RasterizeText(face, text.GetText(), image, x, baseY, 0, true, targetWidth);
}

tResult CTextRenderer::DrawBlock(FT_Face face, const char16_t* text, CImageBase* image, bool atOffset)
{
    if (m_wrap)
        return DrawWrappedLines(face, text, image);
    if (atOffset)
        return RasterizeText(face, text, image, m_xOffset, m_yOffset, 0, false, 0);
    return PlaceLine(face, text, 0, image, m_yOffset);
}

tResult CTextRenderer::DrawWrappedLines(FT_Face face, const char16_t* text, CImageBase* image)
{
    const float step = m_lineHeight * m_lineSpacing;
    const float bottom = float(image->GetHeight());
    float y = m_yOffset;
    for (int32_t i = 0;;) {
        const int32_t start = i;
        int32_t taken = 0;
        if (!IsLineEnd(text[i])) {
            taken = BreakLine(text + i, image->GetWidth());
            // A character wider than the image ends the block, as it ends its measure: every
            // later pass would stop at it again, however tall the image.
            if (taken <= 0)
                return kResOk;
            if (y + step >= 0.0f)
                TK_TRY(PlaceLine(face, text + i, taken, image, y));
        }
        i += taken;
        y += step;
        if (y > bottom)
            return kResOk;
        if (IsLineEnd(text[i]))
            ++i;
        if (!text[i])
            return kResOk;
        // A line that takes no character with a step that does not move down would repeat for ever.
        if (i == start && !(step > 0.0f))
            return kResOk;
    }
}

tResult CTextRenderer::PlaceLine(FT_Face face, const char16_t* text, int32_t count, CImageBase* image, float y)
{
    const int32_t width = image->GetWidth();
    switch (m_justification) {
    case kLeft: return RasterizeText(face, text, image, m_xOffset, y, count, false, 0);
    // A fully justified line starts at the left and spreads the spare width over its spaces.
    case kFull: return RasterizeText(face, text, image, m_xOffset, y, count, false, width);
    case kRight:
        return RasterizeText(face, text, image, float(width - GetTextWidthWithFont(face, text, count)) + m_xOffset, y,
                             count, false, 0);
    default:
        return RasterizeText(face, text, image,
                             float(width - GetTextWidthWithFont(face, text, count)) * 0.5f + m_xOffset, y, count,
                             false, 0);
    }
}
