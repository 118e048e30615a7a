#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "app/panels/CNewFile.h"
#include "app/panels/PanelResources.h"
#include "app/shell/controls/CKS2FreeButton.h"
#include "app/shell/controls/CKS2TextEdit.h"
#include "app/shell/ReportText.h"
#include "paint/engine/CPaintingImageFile.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/FileDialogs.h"
#include "toolkit/core/FileTypes.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFTypeList.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"

namespace {

constexpr uint32_t kKeyTab = 9;
// The room between a field and its label, and between the two halves of a panel.
constexpr int32_t kLabelGap = 10;
constexpr int32_t kHalfGap = 5;

tCString Number(int32_t value)
{
    return tCString::FromAnsi(std::to_string(value));
}

}  // namespace

tResult CNewFile::AttachSizeField(uint32_t id, uint32_t labelId, CKS2TextEdit** edit)
{
    CWidget* field = m_sizePanel->FindWidgetById(id);
    if (!field)
        return kResResourceNotFound;
    *edit = new (std::nothrow) CKS2TextEdit;
    if (!*edit)
        return kResCreateFailed;
    TK_TRY((*edit)->Attach(field, this, 0, int32_t(id)));
    (*edit)->SetNumericInput(1, 1);
    CTxEdWidget* part = (*edit)->GetEditWidget();
    if (!part)
        return kResResourceNotFound;
    part->SetLButtonDownProc(OnSizeFieldPress, ToMsgArg(this));
    part->SetKeyDownProc(OnSizeFieldKeyDown, ToMsgArg(this));
    part->SetCanGetFocus(0);
    field->SetXPosition(m_sizePanel->GetWidth() / 2 + kHalfGap, 0);
    if (CWidget* label = m_sizePanel->FindWidgetById(labelId))
        label->SetXPosition(field->GetRect().left - label->GetWidth() - kLabelGap, 0);
    return kResOk;
}

tResult CNewFile::BuildSizeControls()
{
    TK_TRY(AttachSizeField(kWidthField, kWidthLabel, &m_widthEdit));
    TK_TRY(AttachSizeField(kHeightField, kHeightLabel, &m_heightEdit));
    ShowSize(m_root->GetWidth(), m_root->GetHeight());
    CWidget* windowSize = m_sizePanel->FindWidgetById(kWindowSizeButton);
    CWidget* imageSize = m_sizePanel->FindWidgetById(kImageSizeButton);
    TK_TRY(AttachFreeButton(windowSize));
    TK_TRY(AttachFreeButton(imageSize));
    CKS2Control* first = FindControl(kWindowSizeButton);
    CKS2Control* second = FindControl(kImageSizeButton);
    if (!first || !second)
        return kResOk;
    // The pair shares the wider button's width and stands centred, 10 apart.
    const int32_t width = std::max(windowSize->GetWidth(), imageSize->GetWidth());
    for (CKS2Control* button : {first, second})
        if (button->GetWidget()->GetWidth() != width) {
            TK_TRY(button->GetWidget()->SetWidth(width, 0));
            TK_TRY(button->BuildLook(0));
        }
    const int32_t parentWidth = windowSize->GetParent()->GetWidth();
    windowSize->SetXPosition(parentWidth / 2 - (2 * width + kLabelGap) / 2, 0);
    imageSize->SetXPosition(windowSize->GetRect().right + kLabelGap, 0);
    return kResOk;
}

tResult CNewFile::BuildTraceControls()
{
    if (CWidget* button = m_tracingPanel->FindWidgetById(kTracingButton)) {
        TK_TRY(AttachFreeButton(button));
        button->SetXPosition(m_tracingPanel->GetWidth() / 2 - button->GetWidth() - kHalfGap, 0);
    }
    if (CWidget* text = m_tracingPanel->FindWidgetById(kTracingText))
        text->SetXPosition(m_tracingPanel->GetWidth() / 2 + kHalfGap, 0);
    return kResOk;
}

void CNewFile::ShowSize(int32_t width, int32_t height)
{
    if (CTxEdWidget* part = m_widthEdit ? m_widthEdit->GetEditWidget() : nullptr)
        (void)part->SetText(Number(width), 1, 0);
    if (CTxEdWidget* part = m_heightEdit ? m_heightEdit->GetEditWidget() : nullptr)
        (void)part->SetText(Number(height), 1, 1);
}

void CNewFile::CheckSizeField(CKS2TextEdit* field)
{
    CTxEdWidget* part = field ? field->GetEditWidget() : nullptr;
    if (!part)
        return;
    // Read without wrapping, so that a long number stays a large one and is held at the top.
    const int32_t read = part->GetText().ToSaturatedInteger();
    const int32_t side = ClampSide(read);
    if (side != read)
        (void)part->SetText(Number(side), 1, 1);
}

CKS2TextEdit* CNewFile::OtherField(const CWidget* editPart) const
{
    if (m_widthEdit && m_widthEdit->GetEditWidget() == editPart)
        return m_heightEdit;
    if (m_heightEdit && m_heightEdit->GetEditWidget() == editPart)
        return m_widthEdit;
    return nullptr;
}

tResult CNewFile::OnRootMessage(tMsgArg context, CWidget*, uint32_t message, tMsgArg a, tMsgArg)
{
    auto* pane = FromMsgArg<CNewFile>(context);
    const CWidget* lost = FromMsgArg<CWidget>(a);
    if (message != CBackdrop::kMsgFocusPrevious || !lost)
        return kResOk;
    for (CKS2TextEdit* field : {pane->m_widthEdit, pane->m_heightEdit})
        if (field && lost->GetParent() == field->GetWidget())
            pane->CheckSizeField(field);
    return kResOk;
}

tResult CNewFile::OnSizeFieldKeyDown(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key)
{
    auto* pane = FromMsgArg<CNewFile>(context);
    if (key == kKeyTab) {
        *takenBy = widget;
        if (CKS2TextEdit* other = pane->OtherField(widget))
            if (CTxEdWidget* part = other->GetEditWidget()) {
                part->SetFocus(1);
                (void)part->SelectAll(1);
            }
        return kResOk;
    }
    *takenBy = nullptr;
    if (key != kKeyEnter && key != kKeyEscape)
        return widget->OnKeyDown(takenBy, key);
    // The first Enter or Esc only leaves the field; the next one reaches the pane.
    pane->m_root->SetFocus(1);
    const tResult answer = widget->OnKeyDown(takenBy, key);
    if (!*takenBy)
        *takenBy = widget;
    return answer;
}

tResult CNewFile::OnSizeFieldPress(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point)
{
    (void)context;
    if (widget->HasFocus()) {
        *takenBy = nullptr;
        return widget->OnLButtonDown(takenBy, point);
    }
    *takenBy = widget;
    widget->SetFocus(1);
    if (auto* part = dynamic_cast<CTxEdWidget*>(widget))
        (void)part->SelectAll(1);
    return kResOk;
}

tResult CNewFile::ShowTracingImage(uint32_t redraw)
{
    auto* text = dynamic_cast<CTxWidget*>(m_tracingPanel->FindWidgetById(kTracingText));
    if (!text)
        return kResResourceNotFound;
    const bool chosen = m_tracingPath != nullptr;
    if (CKS2Control* imageSize = FindControl(kImageSizeButton))
        (void)imageSize->SetEnabled(chosen ? 1 : 0, 1, 0);
    if (auto* button = dynamic_cast<CKS2FreeButton*>(FindControl(kTracingButton))) {
        tCString label;
        if (CAppBase* app = GetApplication())
            app->GetString(label, chosen ? kStrTracingRemove : kStrTracingChoose, 0);
        (void)button->SetLabel(label, 0);
        // A longer label widens the button, which keeps its right edge beside the middle.
        CWidget* widget = button->GetWidget();
        widget->SetXPosition(m_tracingPanel->GetWidth() / 2 - widget->GetWidth() - kHalfGap, 0);
    }
    tCString name;
    if (chosen)
        name = m_tracingPath->GetFileName();
    else if (CAppBase* app = GetApplication())
        app->GetString(name, kStrTracingNone, 0);
    (void)text->SetText(name, 1, 0);
    (void)text->SetOpacity(chosen ? kTracingShown : kTracingNoneShown, 0);
    if (redraw)
        m_root->PresentDirtyRects();
    return kResOk;
}

void CNewFile::RemoveTracingImage()
{
    delete m_tracingPath;
    m_tracingPath = nullptr;
    m_tracingWidth = -1;
    m_tracingHeight = -1;
}

tResult CNewFile::ChooseTracingImage()
{
    tCFTypeList list;
    ListImageTypes(list);
    tCFPath chosen;
    const tResult asked = AskOpenPath(chosen, &list);
    if (asked == kResHandled)
        return kResOk;
    if (asked != kResOk) {
        ReportWithText(asked, kStrErrTracingLoad);
        return kResOk;
    }
    NoteWorkFile(chosen);
    std::unique_ptr<tCFRef> path(new (std::nothrow) tCFRef(chosen));
    if (!path) {
        ReportWithText(kResOk, kStrErrTracingChoose);
        return kResOk;
    }
    // The earlier choice stays until the new image has been measured, so that the panel never
    // shows a file that is no longer chosen. Its size comes from its header; the painting
    // decodes it at Create, once the new painting fits beside it. One that would not fit even
    // beside the painting shown is refused now.
    CPaintingImageFile image;
    tResult measured = image.Open(*path);
    if (measured == kResOk)
        measured = image.CheckMemory();
    if (measured != kResOk) {
        ReportWithText(measured, kStrErrTracingLoad);
        return kResOk;
    }
    delete m_tracingPath;
    m_tracingPath = path.release();
    m_tracingWidth = image.GetWidth();
    m_tracingHeight = image.GetHeight();
    return ShowTracingImage(1);
}
