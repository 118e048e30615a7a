#include "app/shell/controls/CKS2TextEdit.h"

#include "app/shell/TextVariant.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelTile.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/widgets/CImWidget.h"

tResult CKS2TextEdit::Init(tMsgArg)
{
    if (CTxEdWidget* edit = GetEditWidget()) {
        const float y = GetTextVariant() == kLowTextVariant ? 7.0f : 0.5f;
        edit->GetTextWidget()->GetTextRenderer()->SetOffset({0.0f, y});
    }
    return BuildLook(0);
}

CTxEdWidget* CKS2TextEdit::GetEditWidget() const
{
    return m_widget ? dynamic_cast<CTxEdWidget*>(m_widget->FindWidgetById(kPartEdit)) : nullptr;
}

void CKS2TextEdit::SetNumericInput(uint32_t numericOnly, uint32_t integersOnly)
{
    if (CTxEdWidget* edit = GetEditWidget())
        edit->SetNumericOnly(numericOnly, integersOnly ? 0 : 1);
}

tResult CKS2TextEdit::BuildLook(uint32_t redraw)
{
    auto* field = dynamic_cast<CImWidget*>(m_widget);
    CImage* image = field ? field->GetImage() : nullptr;
    if (!image)
        return kResOk;
    CImage* frame = GetPooledImage(kFrameImage, nullptr, nullptr);
    if (!frame)
        return kResResourceNotFound;
    if (field->DecompressImage() != kResOk || NineSliceScaleBlit(field->GetImage(), frame, 1, 1) != kResOk) {
        CImNav whole(field->GetImage());
        if (whole.IsLocked())
            whole.Fill(0xFFFFFFFF);
    }
    field->CompressImage();
    return field->RefreshEffects(redraw);
}
