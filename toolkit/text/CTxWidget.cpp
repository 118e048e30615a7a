#include "toolkit/text/CTxWidget.h"

#include <new>

#include "toolkit/core/CText.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/widgets/WidgetFactory.h"

const CTxWidget::tLoadTexts CTxWidget::kLoadTexts = {
    "MaskWidget image load failed!",   "MaskWidget image load.",
    "MaskWidget assign image failed.", "MaskWidget image list load failed!",
    "MaskWidget assign image list failed.", "MaskWidget change image idx failed.",
};

CTxWidget::CTxWidget() : CMaskWidget(kType, kLoadTexts)
{
    CCoWidget::SetColour(0xFF000000, 0);
}

CTxWidget::~CTxWidget()
{
    DropTextObject();
    if (m_list && !m_list->IsPoolOwned())
        delete m_list;
}

CTxWidget* CTxWidget::NewFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidgetById<CTxWidget>(id, file, directory);
}

CTxWidget* CTxWidget::NewFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidget<CTxWidget>(name, file, directory);
}

void CTxWidget::DropTextObject()
{
    if (m_text && !m_text->IsPoolOwned())
        delete m_text;
    m_text = nullptr;
}

tResult CTxWidget::OnSizeChanged()
{
    TK_TRY(CMaskWidget::OnSizeChanged());
    return RenderText(1, 0);
}

tResult CTxWidget::SetColour(uint32_t colour, uint32_t update)
{
    TK_TRY(CCoWidget::SetColour(colour, 0));
    return RenderText(1, update);
}

tResult CTxWidget::SetImageListIndex(int32_t, uint32_t, uint32_t)
{
    return kResOk;
}

tResult CTxWidget::SetImage(CImage8*, uint32_t, uint32_t)
{
    return kResOk;
}

tResult CTxWidget::SetImageList(tCImageList8*)
{
    return kResOk;
}

tResult CTxWidget::NextImageListEntry(uint32_t, uint32_t)
{
    return kResOk;
}

tCString CTxWidget::GetText() const
{
    return m_text ? m_text->GetText() : tCString(u"");
}

tResult CTxWidget::SetText(const tCString& text, uint32_t relayout, uint32_t present)
{
    DropTextObject();
    m_text = new (std::nothrow) CText;
    if (!m_text || m_text->SetText(text) != kResOk) {
        DropTextObject();
        return kResNoMemory;
    }
    if (!GetImage()) {
        auto* mask = new (std::nothrow) CImage8(4, 4);
        if (!mask || !mask->IsValid() || CMaskWidget::SetImage(mask, 0, 0) != kResOk) {
            delete mask;
            return kResNoMemory;
        }
    }
    if (m_renderDeferred)
        return kResOk;
    return RenderText(relayout, present);
}

tResult CTxWidget::SetTextObject(CText* text, uint32_t relayout, uint32_t present)
{
    if (text != m_text) {
        DropTextObject();
        m_text = text;
    }
    if (!GetImage())
        TK_TRY(CWidget::SetSize(4, 4, 0));
    return RenderText(relayout, present);
}

tResult CTxWidget::SetTextList(CTextList* list)
{
    if (!list)
        return kResBadParam;
    if (list != m_list) {
        if (m_list && !m_list->IsPoolOwned())
            delete m_list;
        m_list = list;
    }
    return kResOk;
}

tResult CTxWidget::SetTextListIndex(int32_t index, uint32_t relayout, uint32_t present)
{
    if (!m_list || index >= m_list->GetCount())
        return kResBadParam;
    return SetText(m_list->GetEntryText(index), relayout, present);
}

tResult CTxWidget::NextTextListEntry(uint32_t relayout, uint32_t present)
{
    if (!m_list || m_list->GetCount() < 2)
        return kResBadParam;
    const int32_t next = m_list->GetCurrentIndex() + 1;
    return SetTextListIndex(next >= m_list->GetCount() ? 0 : next, relayout, present);
}

int32_t CTxWidget::GetTextListIndex() const
{
    return m_list ? m_list->GetCurrentIndex() : -1;
}

tResult CTxWidget::SetFontName(const tCString& name, uint32_t relayout, uint32_t present)
{
    m_renderer.SetFaceName(name);
    return RenderText(relayout, present);
}

tResult CTxWidget::SetPixelSize(int32_t pixels, uint32_t relayout, uint32_t present)
{
    m_renderer.SetPixelSize(pixels);
    m_renderer.SetPointSize(0.0f);
    return RenderText(relayout, present);
}

tResult CTxWidget::SetPointSize(float points, uint32_t relayout, uint32_t present)
{
    m_renderer.SetPointSize(points);
    m_renderer.SetPixelSize(0);
    return RenderText(relayout, present);
}

tResult CTxWidget::SetJustification(int32_t justification, uint32_t relayout, uint32_t present)
{
    m_renderer.SetJustification(justification);
    return RenderText(relayout, present);
}

tResult CTxWidget::SetFontStyle(uint32_t bold, uint32_t italic, uint32_t underline, uint32_t relayout,
                                uint32_t present)
{
    m_renderer.SetBold(bold);
    m_renderer.SetItalic(italic);
    m_renderer.SetUnderline(underline);
    return RenderText(relayout, present);
}

tResult CTxWidget::SetBold(uint32_t on, uint32_t relayout, uint32_t present)
{
    m_renderer.SetBold(on);
    return RenderText(relayout, present);
}

tResult CTxWidget::SetItalic(uint32_t on, uint32_t relayout, uint32_t present)
{
    m_renderer.SetItalic(on);
    return RenderText(relayout, present);
}

tResult CTxWidget::SetUnderline(uint32_t on, uint32_t relayout, uint32_t present)
{
    m_renderer.SetUnderline(on);
    return RenderText(relayout, present);
}

tResult CTxWidget::SetWrap(uint32_t on, uint32_t relayout, uint32_t present)
{
    m_renderer.SetWrap(on);
    return RenderText(relayout, present);
}

tResult CTxWidget::SetRotation(int32_t rotation, uint32_t relayout, uint32_t present)
{
    m_rotation = rotation;
    return RenderText(relayout, present);
}

tResult CTxWidget::SetWidthScale(float scale, uint32_t relayout, uint32_t present)
{
    m_renderer.SetWidthScale(scale);
    return RenderText(relayout, present);
}

tResult CTxWidget::SetLineSpacing(float spacing, uint32_t relayout, uint32_t present)
{
    m_renderer.SetLineSpacing(spacing);
    return RenderText(relayout, present);
}

tResult CTxWidget::SetFontScale(float scale, uint32_t relayout, uint32_t present)
{
    m_renderer.SetFontScale(scale);
    return RenderText(relayout, present);
}

tResult CTxWidget::RenderText(uint32_t relayout, uint32_t present)
{
    if (m_renderDeferred || !m_text)
        return kResOk;
    CImage8* mask = GetImage();
    if (!mask)
        return kResNoMemory;
    uint32_t colour = 0;
    GetColour(&colour);
    m_renderer.SetColour(colour);
    const uint32_t mean = (((colour >> 16) & 0xFF) + ((colour >> 8) & 0xFF) + (colour & 0xFF)) / 3;
    m_renderer.SetLightText(mean >= 127 ? 1 : 0);
    if (m_rotation == 0)
        TK_TRY(m_renderer.DrawTextBlock(m_text->GetText(), mask, m_autoSize != 0));
    else if (m_rotation >= 1 && m_rotation <= 3)
        TK_TRY(RenderRotated(m_text->GetText(), mask));
    if (relayout && m_autoSize) {
        if (mask->GetWidth() == GetWidth() && mask->GetHeight() == GetHeight())
            TK_TRY(RefreshEffects(present));
        else
            TK_TRY(SizeToImage(present));
    }
    if (IsVisible())
        TK_TRY(Invalidate(0));
    return present ? PresentDirtyRects() : kResOk;
}

tResult CTxWidget::RenderRotated(const tCString& text, CImage8* mask)
{
    const bool quarter = m_rotation != 2;
    CImage8 upright(quarter ? mask->GetHeight() : mask->GetWidth(), quarter ? mask->GetWidth() : mask->GetHeight());
    TK_TRY(m_renderer.DrawTextBlock(text, &upright, m_autoSize != 0));
    const int32_t tw = upright.GetWidth(), th = upright.GetHeight();
    TK_TRY(mask->SetSize(quarter ? th : tw, quarter ? tw : th));
    if (tw <= 0 || th <= 0)
        return kResOk;
    CImNav8 from(&upright);
    CImNav8 to(mask);
    if (!from.IsLocked() || !to.IsLocked())
        return kResNoMemory;
    for (int32_t y = 0; y < th; ++y) {
        const uint8_t* row = from.Bytes(y);
        for (int32_t x = 0; x < tw; ++x) {
            switch (m_rotation) {
            case 1: to.Bytes(tw - 1 - x)[y] = row[x]; break;
            case 2: to.Bytes(th - 1 - y)[tw - 1 - x] = row[x]; break;
            default: to.Bytes(x)[th - 1 - y] = row[x]; break;
            }
        }
    }
    return kResOk;
}
