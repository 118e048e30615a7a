#include "toolkit/text/CTxImWidget.h"

#include "toolkit/widgets/WidgetFactory.h"

const CTxImWidget::tLoadTexts CTxImWidget::kLoadTexts = {
    "TxImWidget image load failed!",   "ImWidget image load.",
    "TxImWidget assign image failed.", "TxImWidget image list load failed!",
    "TxImWidget assign image list failed.", "TxImWidget change image idx failed.",
};

CTxImWidget::CTxImWidget(uint32_t type) : CImWidget(type, kLoadTexts)
{
    (void)AddChild(&m_textWidget, 1);
    CWidgetLayout* layout = m_textWidget.GetLayout();
    layout->xCentred = 1;
    layout->yCentred = 1;
    m_textWidget.SetAutoSize(1);
    (void)m_textWidget.SetVisible(1, 0);
}

CTxImWidget::~CTxImWidget()
{
    // The embedded text widget is a member, not the child array's to delete.
    (void)RemoveChild(&m_textWidget, 0);
}

CTxImWidget* CTxImWidget::NewFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidget<CTxImWidget>(name, file, directory);
}

tResult CTxImWidget::Follow(uint32_t relayout, uint32_t present)
{
    if (relayout)
        return LayoutFromParent(present);
    return present ? PresentDirtyRects() : kResOk;
}

tResult CTxImWidget::SetText(const tCString& text, uint32_t relayout, uint32_t present)
{
    TK_TRY(m_textWidget.SetText(text, relayout, 0));
    return Follow(relayout, present);
}

tResult CTxImWidget::SetTextObject(CText* text, uint32_t relayout, uint32_t present)
{
    TK_TRY(m_textWidget.SetTextObject(text, relayout, 0));
    return Follow(relayout, present);
}

tResult CTxImWidget::SetTextListIndex(int32_t index, uint32_t relayout, uint32_t present)
{
    TK_TRY(m_textWidget.SetTextListIndex(index, relayout, 0));
    return Follow(relayout, present);
}

tResult CTxImWidget::NextTextListEntry(uint32_t relayout, uint32_t present)
{
    if (!m_textWidget.GetImage())
        TK_TRY(m_textWidget.SetSize(4, 4, 0));
    TK_TRY(m_textWidget.NextTextListEntry(relayout, 0));
    return Follow(relayout, present);
}

tResult CTxImWidget::SetTextColour(uint32_t colour, uint32_t present)
{
    (void)m_textWidget.SetColour(colour, present);
    return kResOk;
}

tResult CTxImWidget::SetFontName(const tCString& name, uint32_t relayout, uint32_t present)
{
    TK_TRY(m_textWidget.SetFontName(name, relayout, 0));
    return Follow(relayout, present);
}

tResult CTxImWidget::SetPixelSize(int32_t pixels, uint32_t relayout, uint32_t present)
{
    TK_TRY(m_textWidget.SetPixelSize(pixels, relayout, 0));
    return Follow(relayout, present);
}

tResult CTxImWidget::SetPointSize(float points, uint32_t relayout, uint32_t present)
{
    TK_TRY(m_textWidget.SetPointSize(points, relayout, 0));
    return Follow(relayout, present);
}

tResult CTxImWidget::SetJustification(int32_t justification, uint32_t relayout, uint32_t present)
{
    TK_TRY(m_textWidget.SetJustification(justification, relayout, 0));
    return Follow(relayout, present);
}

tResult CTxImWidget::SetFontStyle(uint32_t bold, uint32_t italic, uint32_t underline, uint32_t relayout,
                                  uint32_t present)
{
    (void)m_textWidget.SetBold(bold, 1, 1);
    (void)m_textWidget.SetItalic(italic, 1, 1);
    (void)m_textWidget.SetUnderline(underline, 1, 1);
    return Follow(relayout, present);
}

tResult CTxImWidget::SetBold(uint32_t on, uint32_t relayout, uint32_t present)
{
    (void)m_textWidget.SetBold(on, 1, 1);
    return Follow(relayout, present);
}

tResult CTxImWidget::SetItalic(uint32_t on, uint32_t relayout, uint32_t present)
{
    (void)m_textWidget.SetItalic(on, 1, 1);
    return Follow(relayout, present);
}

tResult CTxImWidget::SetUnderline(uint32_t on, uint32_t relayout, uint32_t present)
{
    (void)m_textWidget.SetUnderline(on, 1, 1);
    return Follow(relayout, present);
}

tResult CTxImWidget::SetWidthScale(float scale, uint32_t relayout, uint32_t present)
{
    return m_textWidget.SetWidthScale(scale, relayout, present);
}

tResult CTxImWidget::SetLineSpacing(float spacing, uint32_t relayout, uint32_t present)
{
    return m_textWidget.SetLineSpacing(spacing, relayout, present);
}

tResult CTxImWidget::SetFontScale(float scale, uint32_t relayout, uint32_t present)
{
    return m_textWidget.SetFontScale(scale, relayout, present);
}

void CTxImWidget::SetTextAnchoring(int32_t justification)
{
    CWidgetLayout* layout = m_textWidget.GetLayout();
    layout->xCentred = justification != 0 && justification != 1;
    layout->xFromRight = justification == 1;
    layout->xIsRightEdge = justification == 1;
}
