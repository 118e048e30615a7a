#include <cstdio>
#include <new>
#include <vector>

#include "toolkit/text/CDebugInfoWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CWidgetEffectCutout.h"

namespace {

constexpr uint32_t kWarnings = MakeFourCC("note");

const char16_t kRecursion[] = u"*** Possible recursion error: Depth greater than 100 ***   ";

tCString Ansi(const char* text)
{
    return tCString::FromAnsi(text);
}

void Append(tCString* text, const tCString& more)
{
    tCString joined;
    std::u16string whole(text->View());
    whole += more.View();
    if (joined.SetText(whole.data(), int32_t(whole.size())) == kResOk)
        *text = std::move(joined);
}

void Append(tCString* text, const char16_t* more)
{
    Append(text, tCString(more));
}

tCString Rect(const tCRect& r)
{
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, " ( %d, %d ),  ( %d, %d)", r.left, r.top, r.right, r.bottom);
    return Ansi(buffer);
}

bool Outside(const tCRect& inner, const tCRect& outer)
{
    return inner.left < outer.left || inner.top < outer.top || inner.right > outer.right ||
           inner.bottom > outer.bottom;
}

// " True " or " False ", then "+" or "o" for each callback index.
tCString EventText(const CWidget* widget, uint32_t bit, std::initializer_list<int32_t> callbacks)
{
    tCString text((widget->GetEventMask() & bit) ? u" True " : u" False ");
    for (int32_t index : callbacks)
        Append(&text, widget->GetEventProc(index) ? u"+" : u"o");
    return text;
}

tCString Flag(uint32_t on)
{
    return tCString(on ? u" True" : u" False");
}

bool IsPlainWithoutThreshold(const CWidget* widget)
{
    return widget->GetWidgetType() == kWidgetTypePlain && widget->GetOpaqueThreshold() == 0;
}

}  // namespace

tCString CDebugInfoWidget::FormatId(uint32_t id)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, " %d,  (0x0%X)", int32_t(id), id);
    return Ansi(buffer);
}

tResult CDebugInfoWidget::AddField(uint32_t id, const tCString& label, int32_t labelX, int32_t valueX, int32_t y,
                                   int32_t right)
{
    if (AddLabel(this, label, labelX, y, nullptr) != kResOk)
        return kResNoMemory;
    auto* value = new (std::nothrow) CTxWidget;
    if (!value)
        return kResNoMemory;
    (void)value->SetVisible(1, 0);
    (void)value->SetPointSize(12.0f, 0, 0);
    (void)value->SetPosition(valueX, y, 0);
    value->SetAutoSize(0);
    (void)value->SetSize(right - valueX, 15, 0);
    value->SetId(id);
    if (AddChild(value, 0) != kResOk) {
        delete value;
        return kResNoMemory;
    }
    auto* cutout = new (std::nothrow) CWidgetEffectCutout;
    if (!cutout)
        return kResNoMemory;
    (void)cutout->SetRadius(1.7f, 0);
    (void)cutout->SetOpacity(180, 0);
    value->SetOpaqueBlit(1);
    const tResult result = value->SetFrontEffect(cutout, 0, 0);
    value->SetOpaqueBlit(0);
    return result;
}

tResult CDebugInfoWidget::SetFieldText(uint32_t id, const tCString& text)
{
    CWidget* field = FindWidgetById(id);
    if (!field || field->GetWidgetType() != CTxWidget::kType)
        return kResOk;
    return static_cast<CTxWidget*>(field)->SetText(text, 1, 0);
}

tResult CDebugInfoWidget::ShowProperties(CWidget* widget)
{
    m_inspected = StillInTree(widget);
    if (!m_inspected)
        return kResOk;
    CWidget* w = m_inspected;
    tCString name(u" ");
    Append(&name, w->GetName());
    TK_TRY(SetFieldText(MakeFourCC("name"), name));
    TK_TRY(SetFieldText(MakeFourCC("rsid"), FormatId(w->GetId())));
    const uint32_t type = w->GetWidgetType();
    const char typeText[] = {' ', char(type >> 24), char(type >> 16), char(type >> 8), char(type), 0};
    TK_TRY(SetFieldText(MakeFourCC("wgty"), Ansi(typeText)));
    TK_TRY(SetFieldText(MakeFourCC("evky"), EventText(w, 0x01, {0, 1})));
    TK_TRY(SetFieldText(MakeFourCC("evtm"), EventText(w, 0x02, {2})));
    TK_TRY(SetFieldText(MakeFourCC("evhb"), EventText(w, 0x04, {3})));
    TK_TRY(SetFieldText(MakeFourCC("evbl"), EventText(w, 0x10, {5, 6})));
    TK_TRY(SetFieldText(MakeFourCC("evbm"), EventText(w, 0x20, {7, 8})));
    TK_TRY(SetFieldText(MakeFourCC("evbr"), EventText(w, 0x40, {9, 10})));
    TK_TRY(SetFieldText(MakeFourCC("evmm"), EventText(w, 0x08, {4})));
    TK_TRY(SetFieldText(MakeFourCC("evms"), EventText(w, 0x80, {11})));
    TK_TRY(SetFieldText(MakeFourCC("rend"), tCString(w->GetEventProc(12) ? u"   +" : u"   o")));
    TK_TRY(SetFieldText(MakeFourCC("flvs"), Flag(w->IsVisible())));
    TK_TRY(SetFieldText(MakeFourCC("flip"), Flag(w->GetStayInParent())));
    TK_TRY(SetFieldText(MakeFourCC("flgf"), Flag(w->CanGetFocus())));
    TK_TRY(SetFieldText(MakeFourCC("flac"), Flag(w->IsActive())));
    TK_TRY(SetFieldText(MakeFourCC("flpo"), Flag(w->GetPropOpacity())));
    TK_TRY(SetFieldText(MakeFourCC("flob"), Flag(w->GetOpaqueBlit())));
    char number[24];
    std::snprintf(number, sizeof number, " %d", int32_t(w->GetOpacity()));
    TK_TRY(SetFieldText(MakeFourCC("inop"), Ansi(number)));
    std::snprintf(number, sizeof number, " %d", int32_t(w->GetOpaqueThreshold()));
    TK_TRY(SetFieldText(MakeFourCC("inot"), Ansi(number)));

    tCString direct = Flag(w->GetDirectBlit());
    if (w->GetDirectBlit()) {
        int32_t depth = 0;
        for (CWidget* a = w->GetParent(); a && depth <= kDepthLimit; a = a->GetParent(), ++depth) {
            const bool hasFront = a->GetFrontEffect(0) || a->GetFrontEffect(1) || a->GetFrontEffect(2) ||
                                  a->GetFrontEffect(3);
            if (hasFront) {
                Append(&direct, u"  ***");
                break;
            }
        }
    }
    TK_TRY(SetFieldText(MakeFourCC("fldb"), direct));

    const tCRect own = w->GetRect();
    tCString client = Rect(own);
    if (CWidget* parent = w->GetParent()) {
        tCRect area = parent->GetRect();
        parent->ParentToLocalRect(&area);
        if (Outside(own, area))
            Append(&client, u"   ***");
    }
    TK_TRY(SetFieldText(MakeFourCC("crpr"), client));

    tCRect onRoot = own;
    w->ParentToLocalRect(&onRoot);
    w->LocalToRootRect(&onRoot);
    tCString backdrop = Rect(onRoot);
    if (w->GetParent()) {
        if (CWidget* root = MainRoot(); root && Outside(onRoot, root->GetRect()))
            Append(&backdrop, u"   ***");
    }
    TK_TRY(SetFieldText(MakeFourCC("crbk"), backdrop));
    TK_TRY(ShowWarnings(w));
    TK_TRY(PresentDirtyRects());
    return kResOk;
}

tResult CDebugInfoWidget::ShowWarnings(CWidget* widget)
{
    CWidget* note = FindWidgetById(kWarnings);
    if (!widget || !note || note->GetWidgetType() != CTxWidget::kType)
        return kResOk;
    tCString text;
    std::vector<CWidget*> ancestors;
    for (CWidget* a = widget->GetParent(); a; a = a->GetParent()) {
        ancestors.push_back(a);
        if (ancestors.size() > size_t(kDepthLimit)) {
            text = kRecursion;
            break;
        }
    }
    if (widget->GetEventMask() != 0) {
        if (!widget->IsVisible())
            Append(&text, u"Warning: Not visible.   ");
        if (!widget->IsActive())
            Append(&text, u"Warning: Not Active.   ");
        if (!widget->CanGetFocus())
            Append(&text, u"Warning: Can't get focus.   ");
        if (widget->GetOpacity() < 40)
            Append(&text, u"Warning: Opacity < 40   ");
        if (widget->GetOpaqueThreshold() > 200)
            Append(&text, u"Warning: OpaqueThreshold > 200   ");
        if (IsPlainWithoutThreshold(widget))
            Append(&text, u"Warning: CWidget may need OpaqueThreshold > 0   ");
    }
    for (auto a = ancestors.rbegin(); a != ancestors.rend(); ++a)
        (void)CheckAncestor(widget, *a, &text);
    return static_cast<CTxWidget*>(note)->SetText(text, 1, 0);
}

tResult CDebugInfoWidget::CheckAncestor(CWidget* widget, CWidget* ancestor, tCString* text)
{
    tCString local;
    if (!ancestor->IsVisible())
        Append(&local, u"Not visible.  ");
    if (!ancestor->IsActive())
        Append(&local, u"Not Active.  ");
    if (!ancestor->CanGetFocus())
        Append(&local, u"Can't get focus.  ");
    if (ancestor->GetOpacity() < 40)
        Append(&local, u"Opacity < 40  ");
    if (ancestor->GetOpaqueThreshold() > 200)
        Append(&local, u"OpaqueThreshold > 200  ");
    if (IsPlainWithoutThreshold(ancestor))
        Append(&local, u"CWidget may need OpaqueThreshold > 0  ");
    static const char16_t* const kBits[] = {
        u"eKeyEvent False.   ",       u"eTimerEvent False.   ",  u"eHeartbeatEvent False.   ",
        u"eMouseMoveEvent False.   ", u"eLButtonEvent False.   ", u"eMButtonEvent False.   ",
        u"eRButtonEvent False.   ",   u"eMessageEvent False.   ",
    };
    for (uint32_t bit = 0; bit < 8; ++bit) {
        const uint32_t mask = 1u << bit;
        if ((widget->GetEventMask() & mask) && !(ancestor->GetEventMask() & mask))
            Append(&local, kBits[bit]);
    }
    if (local.IsEmpty())
        return kResOk;
    tCString line(u"Warning: \"");
    Append(&line, ancestor->GetName());
    Append(&line, u"\"  - ID = ");
    Append(&line, FormatId(ancestor->GetId()));
    Append(&line, u" : ");
    Append(&line, local);
    Append(&line, u"   ");
    Append(text, line);
    return kResOk;
}
