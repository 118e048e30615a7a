#include "toolkit/text/CDebugInfoWidget.h"

#include <new>

#include "platform/Kernel.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/text/CTableWidget.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CWidgetEffectBorder.h"
#include "toolkit/widgets/CWidgetEffectCutout.h"
#include "toolkit/widgets/CWidgetEffectShadow.h"
#include "toolkit/widgets/WidgetEvents.h"

namespace {

constexpr uint32_t kSearchField = MakeFourCC("txed");
constexpr uint32_t kById = MakeFourCC("byID");
constexpr uint32_t kByName = MakeFourCC("byNM");
constexpr uint32_t kAssert = MakeFourCC("Asst");
constexpr uint32_t kTrack = MakeFourCC("scrl");
constexpr uint32_t kGrip = MakeFourCC("grip");
constexpr uint32_t kTable = MakeFourCC("tabl");
constexpr uint32_t kLeftPressOutside = 0xF0000005;
constexpr int32_t kMinGrip = 10;
const char16_t kName[] = u"CBackdrop Info Widget for Debugging.";

IWidgetInspector* NewInspector()
{
    return new (std::nothrow) CDebugInfoWidget;
}

uint32_t MoveChannels(uint32_t colour, int32_t target)
{
    uint32_t result = colour & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int32_t x = int32_t(colour >> shift & 0xFF);
        // Floor division towards minus infinity for the darkening's negative distances.
        const int32_t step = (target - x) * 80;
        const int32_t moved = x + (step >= 0 ? step / 256 : -((-step + 255) / 256));
        result |= uint32_t(moved & 0xFF) << shift;
    }
    return result;
}

// A cutout at the given radius and opacity installed as the widget's first front effect; the
// widget is drawn opaque while the effect takes its shape.
tResult AddCutout(CWidget* widget, float radius, uint32_t opacity, bool opaqueWhileInstalling)
{
    auto* cutout = new (std::nothrow) CWidgetEffectCutout;
    if (!cutout)
        return kResNoMemory;
    (void)cutout->SetRadius(radius, 0);
    (void)cutout->SetOpacity(opacity, 0);
    const uint32_t wasOpaque = widget->GetOpaqueBlit();
    if (opaqueWhileInstalling)
        widget->SetOpaqueBlit(1);
    const tResult result = widget->SetFrontEffect(cutout, 0, 0);
    if (opaqueWhileInstalling)
        widget->SetOpaqueBlit(wasOpaque);
    return result;
}

}  // namespace

void InstallWidgetInspector()
{
    SetWidgetInspectorCreator(&NewInspector);
}

uint32_t CDebugInfoWidget::Lightened(uint32_t colour)
{
    return MoveChannels(colour, 256);
}

uint32_t CDebugInfoWidget::Darkened(uint32_t colour)
{
    return MoveChannels(colour, 1);
}

CDebugInfoWidget::CDebugInfoWidget()
{
    EnableEvents(0xFFFFFFFFu, 0);
    SetId(kId);
    SetName(tCString(kName));
    (void)SetCornerRadius(0.0f, 1, 1);
    (void)SetBorderColour(0xFF000000u, 1, 1);
    (void)SetBorderWidth(2.5f, 1, 1);
    (void)SetTopBarHeight(25.0f, 1, 1);
    if (auto* title = new (std::nothrow) CTxWidget) {
        (void)title->SetPointSize(18.0f, 0, 0);
        (void)title->SetVisible(1, 0);
        (void)title->SetColour(0xFFE0E0FFu, 0);
        (void)title->SetText(tCString(u"Debugging Information for CWidgets"), 1, 0);
        title->GetLayout()->xCentred = 1;
        title->GetLayout()->y = 1.0f;
        if (AddChild(title, 1) != kResOk)
            delete title;
    }
    if (auto* shadow = new (std::nothrow) CWidgetEffectShadow) {
        (void)shadow->SetOpacity(100, 0);
        (void)shadow->SetOffset({5, 5}, 0);
        if (SetBackEffect(shadow, 0, 0) != kResOk)
            delete shadow;
    }
}

CDebugInfoWidget::~CDebugInfoWidget() = default;

CWidget* CDebugInfoWidget::MainRoot()
{
    CWindowBase* window = GetMainWindow();
    return window ? dynamic_cast<CBackdrop*>(window->GetRootWidget()) : nullptr;
}

namespace {

// Whether `widget` is `from` or lies below it, by comparing addresses only: the widget may be
// gone already.
bool HoldsWidget(const CWidget* from, const CWidget* widget)
{
    if (from == widget)
        return true;
    for (int32_t i = 0; i < from->GetChildCount(); ++i)
        if (HoldsWidget(from->GetChild(i), widget))
            return true;
    return false;
}

}  // namespace

CWidget* CDebugInfoWidget::StillInTree(CWidget* widget) const
{
    if (!widget)
        return nullptr;
    const CWidget* root = MainRoot();
    const CWidget* top = const_cast<CDebugInfoWidget*>(this)->GetRoot();
    if ((root && HoldsWidget(root, widget)) || (top != root && HoldsWidget(top, widget)))
        return widget;
    return nullptr;
}

tResult CDebugInfoWidget::AddLabel(CWidget* parent, const tCString& text, int32_t x, int32_t y, CTxWidget** out)
{
    auto* label = new (std::nothrow) CTxWidget;
    if (!label)
        return kResNoMemory;
    (void)label->SetPointSize(12.0f, 0, 0);
    (void)label->SetVisible(1, 0);
    (void)label->SetText(text, 1, 0);
    (void)label->SetPosition(x, y, 0);
    const tResult result = parent->AddChild(label, 0);
    if (result != kResOk) {
        delete label;
        return result;
    }
    if (out)
        *out = label;
    return kResOk;
}

tResult CDebugInfoWidget::BuildPanel(CWidget* target)
{
    const int32_t w = GetWidth();
    const int32_t h = GetHeight();
    uint32_t colour = 0;
    GetColour(&colour);
    TK_TRY(AddLabel(this, tCString(u"Find Widget:"), 10, 30, nullptr));

    auto* field = new (std::nothrow) CTxEdWidget;
    if (!field)
        return kResNoMemory;
    (void)field->SetVisible(1, 0);
    (void)field->SetPointSize(12.0f, 0, 0);
    (void)field->SetColour(Lightened(colour), 0);
    (void)field->SetPosition(100, 30, 0);
    (void)field->SetSize(w - 310, 15, 0);
    field->SetOpaqueBlit(1);
    field->SetId(kSearchField);
    if (const tResult added = AddChild(field, 0); added != kResOk) {
        delete field;
        return added;
    }
    TK_TRY(AddCutout(field, 1.7f, 180, false));

    TK_TRY(AddButton(kById, tCString(u"By ID"), w - 200, 30, 50, 15));
    TK_TRY(AddButton(kByName, tCString(u"Name"), w - 140, 30, 50, 15));
    TK_TRY(AddButton(kAssert, tCString(u"Assert"), w - 60, 30, 50, 15));

    const int32_t third = w / 3;
    const int32_t half = w / 2;
    struct tFieldPlace {
        const char* id;
        const char16_t* label;
        int32_t labelX, valueX, y, right;
    };
    const int32_t c1l = 10, c1v = third - 94, c1r = third - 20;
    const int32_t c2l = third + 20, c2v = 2 * third - 94, c2r = 2 * third - 20;
    const int32_t c3l = 2 * third + 20, c3v = w - 84, c3r = w - 10;
    const tFieldPlace fields[] = {
        {"name", u"Resource Name:", 10, 130, 55, w - 10},
        {"rsid", u"Resource ID:", 10, 130, 72, half + 60},
        {"wgty", u"Widget Type:", half + 120, w - 84, 72, w - 10},
        {"evky", u"E Key:", c1l, c1v, 97, c1r},
        {"evtm", u"E Timer:", c2l, c2v, 97, c2r},
        {"evhb", u"E Heart:", c3l, c3v, 97, c3r},
        {"evbl", u"E L Button:", c1l, c1v, 114, c1r},
        {"evbm", u"E M Button:", c2l, c2v, 114, c2r},
        {"evbr", u"E R Button:", c3l, c3v, 114, c3r},
        {"evmm", u"E Mouse Move:", c1l, c1v, 131, c1r},
        {"evms", u"E Message:", c2l, c2v, 131, c2r},
        {"rend", u"RenderProc:", c3l, c3v, 131, c3r},
        {"flvs", u"Visible:", c1l, c1v, 156, c1r},
        {"flip", u"Stay In Parent:", c2l, c2v, 156, c2r},
        {"flgf", u"Can Get Focus:", c3l, c3v, 156, c3r},
        {"flac", u"Active:", c1l, c1v, 173, c1r},
        {"flpo", u"Prop Opacity:", c2l, c2v, 173, c2r},
        {"flob", u"Opaque Blit:", c3l, c3v, 173, c3r},
        {"inop", u"Opacity:", c1l, c1v, 190, c1r},
        {"inot", u"Opac Thresh:", c2l, c2v, 190, c2r},
        {"fldb", u"Direct Blit:", c3l, c3v, 190, c3r},
        {"crpr", u"Client Area:", 10, 90, 215, half - 20},
        {"crbk", u"Area Backdrop:", half + 10, half + 100, 215, w - 10},
    };
    for (const tFieldPlace& place : fields) {
        uint32_t id = 0;
        ParseFourCC(place.id, &id);
        TK_TRY(AddField(id, tCString(place.label), place.labelX, place.valueX, place.y, place.right));
    }

    auto* note = new (std::nothrow) CTxWidget;
    if (!note)
        return kResNoMemory;
    (void)note->SetVisible(1, 0);
    (void)note->SetPointSize(12.0f, 0, 0);
    (void)note->SetColour(0xFFFF0000u, 0);
    (void)note->SetWrap(1, 0, 0);
    (void)note->SetPosition(10, 240, 0);
    note->SetAutoSize(0);
    (void)note->SetSize(w - 20, 45, 0);
    note->SetId(MakeFourCC("note"));
    if (const tResult added = AddChild(note, 0); added != kResOk) {
        delete note;
        return added;
    }
    TK_TRY(AddCutout(note, 1.7f, 180, true));
    TK_TRY(PresentDirtyRects());

    auto* track = new (std::nothrow) CCoWidget;
    if (!track)
        return kResNoMemory;
    (void)track->SetSize(16, h - 300, 0);
    (void)track->SetPosition(w - 26, 290, 0);
    (void)track->SetVisible(1, 0);
    (void)track->SetColour(0x50606080u, 0);
    track->SetId(kTrack);
    if (const tResult added = AddChild(track, 0); added != kResOk) {
        delete track;
        return added;
    }
    TK_TRY(AddCutout(track, 2.0f, 180, false));
    track->EnableEvents(eMouseMoveEvent | eLButtonEvent | eMButtonEvent | eRButtonEvent | eMouseWheelEvent, 0);

    auto* grip = new (std::nothrow) CCoWidget;
    if (!grip)
        return kResNoMemory;
    (void)grip->SetSize(16, h - 300, 0);
    (void)grip->SetPosition(0, 0, 0);
    (void)grip->SetVisible(1, 0);
    (void)grip->SetColour(0x706090FFu, 0);
    grip->SetStayInParent(1);
    grip->SetId(kGrip);
    if (const tResult added = track->AddChild(grip, 0); added != kResOk) {
        delete grip;
        return added;
    }

    auto* table = new (std::nothrow) CTableWidget;
    if (!table)
        return kResNoMemory;
    CTextRenderer renderer;
    table->GetTextRenderer(&renderer);
    renderer.SetPointSize(12.0f);
    renderer.SetPixelSize(0);
    (void)table->SetTextRenderer(renderer, 0);
    (void)table->SetSelectedTextRenderer(renderer, 0);
    (void)table->SetColour(0xFF9898B8u, 1);
    (void)table->SetEvenRowColour(0xFF9898C0u, 1);
    (void)table->SetTextShadow(0);
    table->SetSelectable(1);
    (void)table->SetMultiSelect(0, 0);
    table->EnableEvents(0xFFFFFFFFu, 0);
    table->SetOpaqueBlit(1);
    table->SetId(kTable);
    if (const tResult added = AddChild(table, 0); added != kResOk) {
        delete table;
        return added;
    }
    TK_TRY(AddCutout(table, 2.0f, 180, false));
    table->SetListener(this);
    TK_TRY(table->SetSize(w - 38, h - 300, 0));
    TK_TRY(table->SetPosition(10, 290, 0));
    TK_TRY(table->SetVisible(1, 0));
    grip->SetLButtonDownProc(&CDebugInfoWidget::OnGripPressed, reinterpret_cast<tMsgArg>(table));

    TK_TRY(ListHierarchy(table, target));
    TK_TRY(PresentDirtyRects());
    return ShowProperties(target);
}

tResult CDebugInfoWidget::AddButton(uint32_t id, const tCString& text, int32_t x, int32_t y, int32_t width,
                                    int32_t height)
{
    uint32_t colour = 0;
    GetColour(&colour);
    auto* button = new (std::nothrow) CCoWidget;
    if (!button)
        return kResNoMemory;
    button->SetOpaqueBlit(1);
    (void)button->SetVisible(1, 0);
    (void)button->SetPosition(x, y, 0);
    (void)button->SetSize(width, height, 0);
    button->EnableEvents(eLButtonEvent, 0);
    button->SetLButtonDownProc(&CDebugInfoWidget::OnButtonPressed, reinterpret_cast<tMsgArg>(this));
    (void)button->SetColour(Darkened(colour), 0);
    button->SetId(id);
    if (const tResult added = AddChild(button, 0); added != kResOk) {
        delete button;
        return added;
    }
    auto* label = new (std::nothrow) CTxWidget;
    if (!label)
        return kResNoMemory;
    (void)label->SetPointSize(12.0f, 0, 0);
    (void)label->SetVisible(1, 0);
    (void)label->SetColour(0xFFFFFFFFu, 0);
    label->SetActive(0);
    (void)label->SetText(text, 1, 0);
    label->GetLayout()->xCentred = 1;
    label->GetLayout()->y = 0.0f;
    if (button->AddChild(label, 0) != kResOk) {
        delete label;
        return kResNoMemory;
    }
    auto* border = new (std::nothrow) CWidgetEffectBorder;
    if (!border)
        return kResNoMemory;
    if (const tResult set = button->SetFrontEffect(border, 0, 0); set != kResOk) {
        delete border;
        return set;
    }
    auto* shadow = new (std::nothrow) CWidgetEffectShadow;
    if (!shadow)
        return kResNoMemory;
    (void)shadow->SetRadius(2.0f, 0);
    (void)shadow->SetOffset({2, 2}, 0);
    (void)shadow->SetOpacity(160, 0);
    if (const tResult set = button->SetBackEffect(shadow, 0, 0); set != kResOk) {
        delete shadow;
        return set;
    }
    return kResOk;
}

tResult CDebugInfoWidget::OnButtonPressed(tMsgArg context, CWidget* button, CWidget** takenBy, tCPoint*)
{
    auto* self = reinterpret_cast<CDebugInfoWidget*>(context);
    if (button->GetId() == kAssert) {
        *takenBy = button;
        return kResOk;
    }
    auto* field = static_cast<CTxEdWidget*>(self->FindWidgetById(kSearchField));
    if (!field)
        return kResOk;
    const tCString text = field->GetText();
    const tResult result = button->GetId() == kById ? self->FindById(text) : self->FindByName(text);
    if (result == kResOk)
        *takenBy = button;
    return result;
}

tResult CDebugInfoWidget::OnGripPressed(tMsgArg context, CWidget* grip, CWidget** takenBy, tCPoint*)
{
    auto* table = reinterpret_cast<CTableWidget*>(context);
    CAppBase* app = GetApplication();
    *takenBy = grip;
    if (!app)
        return kResOk;
    CCursorHideGuard hidden;
    // The last round reads where the button came up, not where the pointer went after.
    CButtonPress press;
    const tCPoint start = press.Start();
    const tCPoint topLeft = grip->GetRect().GetTopLeft();
    const int32_t trackHeight = grip->GetParent() ? grip->GetParent()->GetHeight() : 0;
    tCPoint last = start;
    tCPoint now;
    while (press.NextRound(&now)) {
        if (now.x != last.x || now.y != last.y) {
            const tCPoint at{topLeft.x + now.x - start.x, topLeft.y + now.y - start.y};
            TK_TRY(table->ScrollToTrackPoint(trackHeight, grip->GetHeight(), &at, 1));
        }
        last = now;
    }
    table->SetFocus(1);
    return kResOk;
}

tResult CDebugInfoWidget::UpdateGrip(uint32_t length, uint32_t update)
{
    CWidget* track = FindWidgetById(kTrack);
    CWidget* grip = FindWidgetById(kGrip);
    auto* table = static_cast<CTableWidget*>(FindWidgetById(kTable));
    if (!track || !grip || !table)
        return kResOk;
    const int32_t trackHeight = track->GetHeight();
    if (length) {
        const int32_t thumb = std::max(table->GetThumbLength(trackHeight), kMinGrip);
        TK_TRY(grip->SetHeight(thumb, 0));
        TK_TRY(grip->SetOpacity(thumb < trackHeight ? 255 : 80, 0));
    }
    return grip->SetYPosition(table->GetThumbPosition(trackHeight, grip->GetHeight()), update);
}

tResult CDebugInfoWidget::OnNotify(uint32_t message, tMsgArg a, tMsgArg b)
{
    switch (message) {
    case CTableWidget::kRowsChanged: return UpdateGrip(1, uint32_t(b));
    case CTableWidget::kScrolled: return UpdateGrip(0, uint32_t(b));
    case CTableWidget::kSelectionChanged: {
        auto* table = reinterpret_cast<CTableWidget*>(a);
        const int32_t row = table->GetNextSelected(0);
        if (row >= 0) {
            CWidget* picked = StillInTree(reinterpret_cast<CWidget*>(table->GetRowData(row)));
            if (picked && picked == m_lastSelected &&
                w32::timeGetTime() - m_clickTimer.GetStartTick() < kDoublePickMilliseconds)
                TK_TRY(ListHierarchy(table, picked));
            if (picked)
                TK_TRY(ShowProperties(picked));
            m_lastSelected = picked;
        }
        m_clickTimer.Restart();
        return kResOk;
    }
    case kLeftPressOutside: Close(); return kResOk;
    default: return kResOk;
    }
}

tResult CDebugInfoWidget::Close()
{
    CWidget* root = MainRoot();
    if (!root)
        root = GetRoot();
    if (auto* backdrop = dynamic_cast<CBackdrop*>(root))
        backdrop->PopModal();
    CWidget* parent = GetParent();
    return parent ? parent->DeleteChild(this, 1) : kResOk;
}

tResult CDebugInfoWidget::OnKeyDown(CWidget** takenBy, uint32_t key)
{
    *takenBy = this;
    if (key == 27)
        (void)Close();
    return kResOk;
}

tResult CDebugInfoWidget::OnLButtonDown(CWidget** takenBy, tCPoint*)
{
    *takenBy = this;
    CAppBase* app = GetApplication();
    if (!app)
        return kResOk;
    CButtonPress press;
    tCPoint last = press.Start();
    tCPoint now;
    while (press.NextRound(&now)) {
        const tCPoint delta{now.x - last.x, now.y - last.y};
        if (delta.x || delta.y)
            (void)MoveByPt(&delta, 1);
        last = now;
    }
    return kResOk;
}
