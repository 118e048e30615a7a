#include <string>
#include <vector>

#include "platform/headless/Headless.h"
#include "toolkit/text/CDebugInfoWidget.h"
#include "toolkit/text/CTableWidget.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/text/TextWidgetApp.h"
#include "toolkit/widgets/CWidgetEffectBorder.h"
#include "toolkit/widgets/CWidgetEffectCutout.h"
#include "toolkit/widgets/CWidgetEffectShadow.h"

namespace {

const char* const kSource = R"(vers 2
bkdp 1 "main"
  colr #FF101010
  xsiz 800
  ysiz 600
  + cowg 20 "Parent"
    xpos 10
    ypos 10
    xsiz 300
    ysiz 200
    vsbl 1
    colr #FF808080
    + cowg 100500 "Subject"
      xpos 5
      ypos 5
      xsiz 50
      ysiz 50
      vsbl 1
      colr #FF00FF00
      + cowg 31 "ToolPane"
        xsiz 10
        ysiz 10
        vsbl 1
        + cowg 32 "Grand"
          xsiz 4
          ysiz 4
          vsbl 1
  + cowg 40 "Other Pane"
    xpos 400
    ypos 10
    xsiz 50
    ysiz 50
    vsbl 1
)";

uint32_t Id(const char* code)
{
    uint32_t id = 0;
    ParseFourCC(code, &id);
    return id;
}

}  // namespace

class DebugInfoWidgetTest : public TextWindowTest {
protected:
    void SetUp() override
    {
        TextWindowTest::SetUp();
        OpenWindow(kSource, 800, 600);
    }

    CDebugInfoWidget* Open(CWidget* target, int32_t width = 600, int32_t height = 450)
    {
        auto* panel = new CDebugInfoWidget;
        panel->SetFillColour(0xFFA0A0B8);
        EXPECT_EQ(panel->SetSize(width, height, 0), kResOk);
        panel->GetLayout()->xCentred = 1;
        panel->GetLayout()->yCentred = 1;
        (void)panel->SetVisible(1, 0);
        EXPECT_EQ(backdrop->AddChild(panel, 0), kResOk);
        EXPECT_EQ(panel->BuildPanel(target), kResOk);
        EXPECT_EQ(backdrop->PushModal(panel), kResOk);
        return panel;
    }

    CWidget* Named(const char16_t* name) { return Find(backdrop, tCString(name)); }

    static CWidget* Find(CWidget* from, const tCString& name)
    {
        if (from->GetName() == name)
            return from;
        for (int32_t i = 0; i < from->GetChildCount(); ++i)
            if (CWidget* found = Find(from->GetChild(i), name))
                return found;
        return nullptr;
    }

    static std::string Field(CWidget* panel, const char* id)
    {
        auto* field = static_cast<CTxWidget*>(panel->FindWidgetById(Id(id)));
        return field ? field->GetText().ToAnsi() : "<missing>";
    }

    static std::vector<std::string> Rows(CTableWidget* table)
    {
        std::vector<std::string> rows;
        for (int32_t i = 0; i < table->GetRowCount(); ++i)
            rows.push_back(table->GetCellText(i, 0)->ToAnsi());
        return rows;
    }

    static CTableWidget* TableOf(CWidget* panel)
    {
        return static_cast<CTableWidget*>(panel->FindWidgetById(Id("tabl")));
    }

    static tCRect RectOf(CWidget* panel, const char* id)
    {
        CWidget* widget = panel->FindWidgetById(Id(id));
        return widget ? widget->GetRect() : tCRect{-1, -1, -1, -1};
    }

    // The label child whose text is `text`.
    static CWidget* Label(CWidget* panel, const char16_t* text)
    {
        for (int32_t i = 0; i < panel->GetChildCount(); ++i) {
            CWidget* child = panel->GetChild(i);
            if (child->GetWidgetType() == CTxWidget::kType && static_cast<CTxWidget*>(child)->GetText() == text)
                return child;
        }
        return nullptr;
    }

    std::string Row(const char* indent, const char* name, uint32_t id)
    {
        return std::string(indent) + "\"" + name + "\"  - ID = " + CDebugInfoWidget::FormatId(id).ToAnsi();
    }
};

TEST_F(DebugInfoWidgetTest, ColoursAndIdFormat)
{
    EXPECT_EQ(CDebugInfoWidget::Lightened(0xFFA0A0B8), 0xFFBEBECEu);
    EXPECT_EQ(CDebugInfoWidget::Darkened(0xFFA0A0B8), 0xFF6E6E7Eu);
    EXPECT_EQ(CDebugInfoWidget::Darkened(0x40000000), 0x40000000u);
    EXPECT_EQ(CDebugInfoWidget::Lightened(0x80FF0000), 0x80FF5050u);
    EXPECT_EQ(CDebugInfoWidget::FormatId(100500).ToAnsi(), " 100500,  (0x018894)");
    EXPECT_EQ(CDebugInfoWidget::FormatId(0x5F44625F).ToAnsi(), " 1598317151,  (0x05F44625F)");
}

TEST_F(DebugInfoWidgetTest, PanelLayoutFollowsItsWidth)
{
    CDebugInfoWidget* panel = Open(Named(u"Subject"));
    EXPECT_EQ(panel->GetId(), 0x5F44625Fu);
    EXPECT_EQ(panel->GetName(), u"CBackdrop Info Widget for Debugging.");
    EXPECT_EQ(panel->GetEventMask(), 0xFFFFFFFFu);
    EXPECT_EQ(panel->GetCornerRadius(), 0.0f);
    EXPECT_EQ(panel->GetBorderWidth(), 2.5f);
    EXPECT_EQ(panel->GetTopBarHeight(), 25.0f);
    uint32_t border = 0;
    EXPECT_EQ(*panel->GetBorderColour(&border), 0xFF000000u);
    EXPECT_EQ(RectOf(panel, "txed"), (tCRect{100, 30, 390, 45}));
    EXPECT_EQ(RectOf(panel, "byID"), (tCRect{400, 30, 450, 45}));
    EXPECT_EQ(RectOf(panel, "byNM"), (tCRect{460, 30, 510, 45}));
    EXPECT_EQ(RectOf(panel, "Asst"), (tCRect{540, 30, 590, 45}));
    EXPECT_EQ(RectOf(panel, "tabl"), (tCRect{10, 290, 572, 440}));
    EXPECT_EQ(RectOf(panel, "scrl"), (tCRect{574, 290, 590, 440}));
    EXPECT_EQ(RectOf(panel, "note"), (tCRect{10, 240, 590, 285}));
    EXPECT_EQ(RectOf(panel, "evky"), (tCRect{106, 97, 180, 112}));
    EXPECT_EQ(RectOf(panel, "evtm"), (tCRect{306, 97, 380, 112}));
    EXPECT_EQ(RectOf(panel, "evhb"), (tCRect{516, 97, 590, 112}));
    EXPECT_EQ(RectOf(panel, "rsid"), (tCRect{130, 72, 360, 87}));
    EXPECT_EQ(RectOf(panel, "name"), (tCRect{130, 55, 590, 70}));
    EXPECT_EQ(RectOf(panel, "crpr"), (tCRect{90, 215, 280, 230}));
    EXPECT_EQ(RectOf(panel, "crbk"), (tCRect{400, 215, 590, 230}));
    ASSERT_NE(Label(panel, u"Widget Type:"), nullptr);
    EXPECT_EQ(Label(panel, u"Widget Type:")->GetRect().left, 420);
    EXPECT_EQ(Label(panel, u"E Timer:")->GetRect().left, 220);
    uint32_t colour = 0;
    EXPECT_EQ(*static_cast<CCoWidget*>(panel->FindWidgetById(Id("byID")))->GetColour(&colour), 0xFF6E6E7Eu);
    EXPECT_EQ(static_cast<CTxEdWidget*>(panel->FindWidgetById(Id("txed")))->GetColour(&colour)[0], 0xFFBEBECEu);
    EXPECT_EQ(TableOf(panel)->GetListener(), panel);
    EXPECT_EQ(TableOf(panel)->GetMultiSelect(), 0u);
    EXPECT_EQ(TableOf(panel)->GetTextShadow(), 0u);
    EXPECT_EQ(panel->FindWidgetById(Id("scrl"))->GetEventMask() & 0x178u, 0x178u);
    // The panel's shadow behind it, the search field's cutout.
    auto* shadow = dynamic_cast<CWidgetEffectShadow*>(panel->GetBackEffect(0));
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->GetOpacity(), 100u);
    EXPECT_EQ(shadow->GetOffset(), (tCPoint{5, 5}));
    auto* cutout = dynamic_cast<CWidgetEffectCutout*>(panel->FindWidgetById(Id("txed"))->GetFrontEffect(0));
    ASSERT_NE(cutout, nullptr);
    EXPECT_EQ(cutout->GetRadius(), 1.7f);
    EXPECT_EQ(cutout->GetOpacity(), 180u);

    CDebugInfoWidget* narrow = Open(Named(u"Subject"), 450, 450);
    EXPECT_EQ(RectOf(narrow, "txed"), (tCRect{100, 30, 240, 45}));
    EXPECT_EQ(RectOf(narrow, "byID"), (tCRect{250, 30, 300, 45}));
    EXPECT_EQ(RectOf(narrow, "Asst"), (tCRect{390, 30, 440, 45}));
    EXPECT_EQ(RectOf(narrow, "tabl"), (tCRect{10, 290, 422, 440}));
    EXPECT_EQ(RectOf(narrow, "evky"), (tCRect{56, 97, 130, 112}));
    EXPECT_EQ(RectOf(narrow, "evbr"), (tCRect{366, 114, 440, 129}));
    EXPECT_EQ(RectOf(narrow, "rsid"), (tCRect{130, 72, 285, 87}));
}

TEST_F(DebugInfoWidgetTest, PropertyPageShowsTheWidget)
{
    CWidget* subject = Named(u"Subject");
    subject->EnableEvents(0x01, 0);
    subject->SetKeyDownProc([](tMsgArg, CWidget*, CWidget**, uint32_t) -> tResult { return kResOk; }, 0);
    CDebugInfoWidget* panel = Open(subject);
    EXPECT_EQ(panel->GetInspected(), subject);
    EXPECT_EQ(Field(panel, "name"), " Subject");
    EXPECT_EQ(Field(panel, "rsid"), " 100500,  (0x018894)");
    EXPECT_EQ(Field(panel, "wgty"), " cowg");
    EXPECT_EQ(Field(panel, "evky"), " True +o");
    EXPECT_EQ(Field(panel, "evtm"), " False o");
    EXPECT_EQ(Field(panel, "rend"), "   o");
    EXPECT_EQ(Field(panel, "flvs"), " True");
    EXPECT_EQ(Field(panel, "flip"), " False");
    EXPECT_EQ(Field(panel, "inop"), " 255");
    EXPECT_EQ(Field(panel, "fldb"), " False");
    EXPECT_EQ(Field(panel, "crpr"), " ( 5, 5 ),  ( 55, 55)");
    EXPECT_EQ(Field(panel, "crbk"), " ( 15, 15 ),  ( 65, 65)");

    // Partly outside its parent, and drawn directly below a parent with a front effect.
    CWidget* pane = Named(u"ToolPane");
    EXPECT_EQ(pane->SetPosition(45, -2, 0), kResOk);
    pane->SetDirectBlit(1);
    EXPECT_EQ(panel->ShowProperties(pane), kResOk);
    EXPECT_EQ(Field(panel, "crpr"), " ( 45, -2 ),  ( 55, 8)   ***");
    EXPECT_EQ(Field(panel, "fldb"), " True");
    EXPECT_EQ(subject->SetFrontEffect(new CWidgetEffectBorder, 2, 0), kResOk);
    EXPECT_EQ(panel->ShowProperties(pane), kResOk);
    EXPECT_EQ(Field(panel, "fldb"), " True  ***");
    EXPECT_EQ(Field(panel, "crbk"), " ( 60, 13 ),  ( 70, 23)");

    EXPECT_EQ(panel->ShowProperties(panel), kResOk);
    EXPECT_EQ(Field(panel, "rsid"), " 1598317151,  (0x05F44625F)");
    EXPECT_EQ(panel->ShowProperties(nullptr), kResOk);
    EXPECT_EQ(panel->GetInspected(), nullptr);
    EXPECT_EQ(Field(panel, "rsid"), " 1598317151,  (0x05F44625F)");
}

TEST_F(DebugInfoWidgetTest, WarningsOfTheWidgetThenItsAncestors)
{
    CWidget* parent = Named(u"Parent");
    CWidget* subject = Named(u"Subject");
    CDebugInfoWidget* panel = Open(subject);
    (void)subject->SetVisible(0, 0);
    subject->SetActive(0);
    subject->SetCanGetFocus(0);
    (void)subject->SetOpacity(39, 0);
    subject->SetOpaqueThreshold(201);
    subject->EnableEvents(0x01 | 0x10 | 0x100, 0);
    (void)parent->SetVisible(0, 0);
    EXPECT_EQ(panel->ShowWarnings(subject), kResOk);
    const uint32_t parentMask = parent->GetEventMask();
    std::string lacking;
    if (!(parentMask & 0x01))
        lacking += "eKeyEvent False.   ";
    if (!(parentMask & 0x10))
        lacking += "eLButtonEvent False.   ";
    EXPECT_EQ(Field(panel, "note"), "Warning: Not visible.   Warning: Not Active.   Warning: Can't get focus.   "
                                    "Warning: Opacity < 40   Warning: OpaqueThreshold > 200   "
                                    "Warning: \"Parent\"  - ID =  20,  (0x014) : Not visible.  " +
                                        lacking + "   ");

    // A plain widget with threshold 0 warns only when it takes some event.
    auto* plain = new CWidget;
    (void)plain->SetVisible(1, 0);
    EXPECT_EQ(backdrop->AddChild(plain, 0), kResOk);
    plain->EnableEvents(0xFF, 0);
    plain->SetOpaqueThreshold(0);
    backdrop->EnableEvents(0xFF, 0);
    EXPECT_EQ(panel->ShowWarnings(plain), kResOk);
    EXPECT_EQ(Field(panel, "note"), "Warning: CWidget may need OpaqueThreshold > 0   ");
    auto* quiet = new CWidget;
    quiet->DisableEvents(0xFFFFFFFF);
    (void)quiet->SetVisible(1, 0);
    EXPECT_EQ(backdrop->AddChild(quiet, 0), kResOk);
    quiet->SetOpaqueThreshold(0);
    EXPECT_EQ(panel->ShowWarnings(quiet), kResOk);
    EXPECT_EQ(Field(panel, "note"), "");
}

TEST_F(DebugInfoWidgetTest, DeepChainsStopAtTheDepthLimit)
{
    // A chain of 103 hidden widgets under the backdrop; the last has 103 ancestors.
    CWidget* parent = backdrop;
    std::vector<CWidget*> chain;
    for (int32_t i = 0; i < 103; ++i) {
        auto* link = new CCoWidget;
        link->SetName(tCString::FromAnsi(("L" + std::to_string(i)).c_str()));
        link->SetId(uint32_t(1000 + i));
        link->EnableEvents(0xFF, 0);
        ASSERT_EQ(parent->AddChild(link, 0), kResOk);
        chain.push_back(link);
        parent = link;
    }
    CDebugInfoWidget* panel = Open(chain.front());
    CWidget* deepest = chain.back();
    deepest->EnableEvents(0x01, 0);
    (void)deepest->SetOpacity(10, 0);
    for (CWidget* link : chain)
        (void)link->SetVisible(0, 0);
    EXPECT_EQ(panel->ShowWarnings(deepest), kResOk);
    const std::string note = Field(panel, "note");
    const std::string head = "*** Possible recursion error: Depth greater than 100 ***   Warning: Not visible.   "
                             "Warning: Opacity < 40   Warning: \"L1\"";
    EXPECT_EQ(note.substr(0, head.size()), head);
    size_t lines = 0;
    for (size_t at = note.find("Warning: \""); at != std::string::npos; at = note.find("Warning: \"", at + 1))
        ++lines;
    EXPECT_EQ(lines, 101u);

    // The listing around L0: the backdrop, L0, L1 to L100, and a recursion row for L101.
    CTableWidget* table = TableOf(panel);
    EXPECT_EQ(panel->ListHierarchy(table, chain.front()), kResOk);
    const auto rows = Rows(table);
    ASSERT_EQ(rows.size(), 103u);
    std::string indent = "   ";
    for (int32_t i = 0; i < 100; ++i)
        indent += " : ";
    EXPECT_EQ(rows[101], Row(indent.c_str(), "L100", 1100));
    EXPECT_EQ(rows[102], "*** Possible recursion error: Depth greater than 100 ***");
    EXPECT_EQ(table->GetRowData(102), 0u);

    // Listing the deepest: the recursion row first, then 101 ancestors.
    EXPECT_EQ(panel->ListHierarchy(table, deepest), kResOk);
    EXPECT_EQ(Rows(table)[0], "*** Possible recursion error: Depth greater than 100 ***");
    EXPECT_EQ(table->GetRowCount(), 1 + 101 + 1);
}

TEST_F(DebugInfoWidgetTest, ListingIndentsByLevel)
{
    CWidget* subject = Named(u"Subject");
    CDebugInfoWidget* panel = Open(subject);
    CTableWidget* table = TableOf(panel);
    const auto rows = Rows(table);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], Row("", "main", 1));
    EXPECT_EQ(rows[1], Row("   ", "Parent", 20));
    EXPECT_EQ(rows[2], Row("      ", "Subject", 100500));
    EXPECT_EQ(rows[3], Row("       : ", "ToolPane", 31));
    EXPECT_EQ(rows[4], Row("       :  : ", "Grand", 32));
    EXPECT_EQ(table->GetNextSelected(0), 2);
    EXPECT_EQ(table->GetRowData(2), reinterpret_cast<uintptr_t>(subject));

    EXPECT_EQ(panel->ListHierarchy(table, backdrop), kResOk);
    const auto all = Rows(table);
    EXPECT_EQ(all[0], Row("", "main", 1));
    EXPECT_EQ(table->GetNextSelected(0), 0);
    EXPECT_EQ(table->FindRowByData(reinterpret_cast<uintptr_t>(panel)), -1);
    EXPECT_EQ(all.size(), 6u);
    EXPECT_EQ(all[1], Row(" : ", "Other Pane", 40));
}

TEST_F(DebugInfoWidgetTest, SearchesStepThroughMatchesAndWrap)
{
    CDebugInfoWidget* panel = Open(Named(u"Parent"));
    EXPECT_EQ(panel->FindById(tCString(u"0x1F")), kResOk);
    EXPECT_EQ(panel->GetInspected(), Named(u"ToolPane"));
    EXPECT_EQ(Field(panel, "rsid"), " 31,  (0x01F)");
    EXPECT_EQ(TableOf(panel)->GetRowData(TableOf(panel)->GetNextSelected(0)),
              reinterpret_cast<uintptr_t>(Named(u"ToolPane")));
    // The lone match is found again.
    EXPECT_EQ(panel->FindById(tCString(u"31")), kResOk);
    EXPECT_EQ(panel->GetInspected(), Named(u"ToolPane"));
    EXPECT_EQ(panel->GetSearchState(), 2);

    // "pane" matches ToolPane and Other Pane in pre-order, then wraps.
    EXPECT_EQ(panel->FindByName(tCString(u"pane")), kResOk);
    EXPECT_EQ(panel->GetInspected(), Named(u"Other Pane"));
    EXPECT_EQ(panel->FindByName(tCString(u"pane")), kResOk);
    EXPECT_EQ(panel->GetInspected(), Named(u"ToolPane"));
    EXPECT_TRUE(Boxes().empty());

    EXPECT_EQ(panel->FindByName(tCString(u"foo")), kResOk);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"FOO : Cant find that widget in the hierarchy."}));
    EXPECT_EQ(panel->GetInspected(), Named(u"ToolPane"));
    EXPECT_EQ(panel->GetSearchState(), 3);

    // An empty name matches every named widget: the next one after ToolPane.
    EXPECT_EQ(panel->FindByName(tCString()), kResOk);
    EXPECT_EQ(panel->GetInspected(), Named(u"Grand"));

    // "abc" reads as 0: the Parent's layout-less widgets have ids; none bears 0 here.
    EXPECT_EQ(panel->FindById(tCString(u"abc")), kResOk);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"abc : Cant find that widget in the hierarchy."}));
    Named(u"Grand")->SetId(0);
    EXPECT_EQ(panel->FindById(tCString(u"abc")), kResOk);
    EXPECT_EQ(panel->GetInspected(), Named(u"Grand"));
}

TEST_F(DebugInfoWidgetTest, GripFollowsTheListing)
{
    CDebugInfoWidget* panel = Open(Named(u"Subject"));
    CWidget* grip = panel->FindWidgetById(Id("grip"));
    EXPECT_EQ(grip->GetHeight(), 150);
    EXPECT_EQ(grip->GetOpacity(), 80u);

    CDebugInfoWidget* deep = nullptr;
    CWidget* parent = Named(u"Grand");
    for (int32_t i = 0; i < 20; ++i) {
        auto* link = new CCoWidget;
        ASSERT_EQ(parent->AddChild(link, 0), kResOk);
        parent = link;
    }
    deep = panel;
    CTableWidget* table = TableOf(deep);
    EXPECT_EQ(deep->ListHierarchy(table, Named(u"Subject")), kResOk);
    // 25 rows of 16 in 150: a thumb of 150 x 150 / 400 = 56.
    EXPECT_EQ(grip->GetHeight(), 56);
    EXPECT_EQ(grip->GetOpacity(), 255u);
    EXPECT_EQ(table->ScrollToBottom(0), kResOk);
    EXPECT_EQ(grip->GetRect().top, 150 - 56);
    for (int32_t i = 0; i < 300; ++i)
        EXPECT_EQ(table->AddRow(0), kResOk);
    EXPECT_EQ(grip->GetHeight(), 10);
}

TEST_F(DebugInfoWidgetTest, SecondPickWithinHalfASecondReRoots)
{
    CDebugInfoWidget* panel = Open(Named(u"Parent"));
    CTableWidget* table = TableOf(panel);
    const auto pick = [&](int32_t row) {
        EXPECT_EQ(table->SelectOnly(row, 0), kResOk);
        return panel->OnNotify(CTableWidget::kSelectionChanged, reinterpret_cast<tMsgArg>(table), 0);
    };
    // Rows: main, Parent (selected), Subject, ToolPane, Grand.
    EXPECT_EQ(pick(3), kResOk);
    EXPECT_EQ(panel->GetInspected(), Named(u"ToolPane"));
    EXPECT_EQ(table->GetRowCount(), 5);
    w32::headless::AdvanceClock(500);
    EXPECT_EQ(pick(3), kResOk);
    EXPECT_EQ(Rows(table)[0], Row("", "main", 1));
    EXPECT_EQ(table->GetRowCount(), 5);
    w32::headless::AdvanceClock(499);
    EXPECT_EQ(pick(3), kResOk);
    // Re-rooted on ToolPane: main, Parent, Subject, ToolPane (selected), Grand.
    EXPECT_EQ(table->GetNextSelected(0), 3);
    EXPECT_EQ(Rows(table)[3], Row("         ", "ToolPane", 31));
    w32::headless::AdvanceClock(100);
    EXPECT_EQ(pick(2), kResOk);
    EXPECT_EQ(pick(4), kResOk);
    EXPECT_EQ(Rows(table)[4], Row("          : ", "Grand", 32));
    EXPECT_EQ(panel->GetInspected(), Named(u"Grand"));

    // No row: only the timer restarts.
    const uint32_t before = panel->GetClickTimer().GetStartTick();
    w32::headless::AdvanceClock(30);
    EXPECT_EQ(table->SetAllSelected(0, 0), kResOk);
    EXPECT_EQ(panel->OnNotify(CTableWidget::kSelectionChanged, reinterpret_cast<tMsgArg>(table), 0), kResOk);
    EXPECT_EQ(panel->GetClickTimer().GetStartTick(), before + 30);
    EXPECT_EQ(panel->GetInspected(), Named(u"Grand"));
}

TEST_F(DebugInfoWidgetTest, EscapeAndPressesOutsideClose)
{
    CDebugInfoWidget* panel = Open(Named(u"Subject"));
    (void)panel->LayoutFromParent(0);
    Key('a');
    EXPECT_NE(backdrop->FindWidgetById(CDebugInfoWidget::kId), nullptr);
    Key(w32::VK_ESCAPE);
    EXPECT_EQ(backdrop->FindWidgetById(CDebugInfoWidget::kId), nullptr);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);

    Open(Named(u"Subject"));
    Click(backdrop, {2, 2});
    EXPECT_EQ(backdrop->FindWidgetById(CDebugInfoWidget::kId), nullptr);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);

    // A widget deleted while the panel is open is no longer shown or listed.
    CDebugInfoWidget* again = Open(Named(u"ToolPane"));
    CWidget* pane = Named(u"ToolPane");
    EXPECT_EQ(Named(u"Subject")->DeleteChild(pane, 0), kResOk);
    EXPECT_EQ(again->ShowProperties(pane), kResOk);
    EXPECT_EQ(again->GetInspected(), nullptr);
    EXPECT_EQ(again->FindByName(tCString(u"other")), kResOk);
    EXPECT_EQ(again->GetInspected(), Named(u"Other Pane"));
}

TEST_F(DebugInfoWidgetTest, AssertDoesNothingAndTheButtonsSearch)
{
    CDebugInfoWidget* panel = Open(Named(u"Parent"));
    CWidget* taken = nullptr;
    tCPoint point{1, 1};
    EXPECT_EQ(CDebugInfoWidget::OnButtonPressed(reinterpret_cast<tMsgArg>(panel), panel->FindWidgetById(Id("Asst")),
                                                &taken, &point),
              kResOk);
    EXPECT_EQ(taken, panel->FindWidgetById(Id("Asst")));
    EXPECT_EQ(panel->GetInspected(), Named(u"Parent"));
    auto* field = static_cast<CTxEdWidget*>(panel->FindWidgetById(Id("txed")));
    EXPECT_EQ(field->SetText(tCString(u"100500"), 0, 0), kResOk);
    taken = nullptr;
    EXPECT_EQ(CDebugInfoWidget::OnButtonPressed(reinterpret_cast<tMsgArg>(panel), panel->FindWidgetById(Id("byID")),
                                                &taken, &point),
              kResOk);
    EXPECT_NE(taken, nullptr);
    EXPECT_EQ(panel->GetInspected(), Named(u"Subject"));
}

TEST_F(DebugInfoWidgetTest, APressOnAFreePartDragsThePanel)
{
    CDebugInfoWidget* panel = Open(Named(u"Subject"));
    (void)panel->LayoutFromParent(0);
    const tCRect before = panel->GetRect();
    // Left of the labels and above the warnings: no child there.
    const tCPoint from = OnScreen(panel, {5, 200});
    int ticks = 0;
    m_app->tick = [&] {
        ++ticks;
        if (ticks == 2)
            w32::headless::MoveMouse(from.x + 30, from.y + 20);
        else if (ticks == 4)
            w32::headless::MoveMouse(from.x + 37, from.y + 12);
        else if (ticks == 6)
            w32::headless::ReleaseButton(w32::VK_LBUTTON);
        return kResOk;
    };
    RunClock();
    w32::headless::AdvanceClock(300);
    w32::headless::MoveMouse(from.x, from.y);
    w32::headless::PressButton(w32::VK_LBUTTON);
    Drain();
    StopClock();
    m_app->tick = nullptr;
    EXPECT_GE(ticks, 6);
    EXPECT_EQ(panel->GetRect(), before.Offset({37, 12}));
    EXPECT_EQ(backdrop->FindWidgetById(CDebugInfoWidget::kId), panel) << "a press inside does not close";
    EXPECT_EQ(panel->GetInspected(), Named(u"Subject"));
}

TEST_F(DebugInfoWidgetTest, DraggingTheGripScrollsTheListingAndTheGripFollows)
{
    CDebugInfoWidget* panel = Open(Named(u"Subject"));
    (void)panel->LayoutFromParent(0);
    CWidget* parent = Named(u"Grand");
    for (int32_t i = 0; i < 20; ++i) {
        auto* link = new CCoWidget;
        ASSERT_EQ(parent->AddChild(link, 0), kResOk);
        parent = link;
    }
    CTableWidget* table = TableOf(panel);
    ASSERT_EQ(panel->ListHierarchy(table, Named(u"Subject")), kResOk);
    ASSERT_EQ(table->SetScrollY(0, 0), kResOk);
    CWidget* grip = panel->FindWidgetById(Id("grip"));
    // 25 rows of 16 in 150: a grip of 56 on a track of 150 leaves it 94 to travel over the
    // listing's 400 - 150 = 250.
    ASSERT_EQ(grip->GetHeight(), 56);
    ASSERT_EQ(grip->GetRect().top, 0);
    const tCPoint from = OnScreen(grip, {8, 20});
    int ticks = 0;
    int32_t halfwayScroll = -1, halfwayGrip = -1;
    m_app->tick = [&] {
        ++ticks;
        if (ticks == 2) {
            w32::headless::MoveMouse(from.x + 3, from.y + 47);
        } else if (ticks == 4) {
            halfwayScroll = table->GetScrollY();
            halfwayGrip = grip->GetRect().top;
            w32::headless::MoveMouse(from.x, from.y + 300);
        } else if (ticks == 6) {
            w32::headless::ReleaseButton(w32::VK_LBUTTON);
        }
        return kResOk;
    };
    RunClock();
    w32::headless::AdvanceClock(300);
    w32::headless::MoveMouse(from.x, from.y);
    w32::headless::PressButton(w32::VK_LBUTTON);
    Drain();
    StopClock();
    m_app->tick = nullptr;
    // 47 of 94 is half the travel: half of 250.
    EXPECT_EQ(halfwayScroll, 125);
    EXPECT_EQ(halfwayGrip, 47);
    // Far below the track the listing stops at its end and the grip at the track's.
    EXPECT_EQ(table->GetScrollY(), 250);
    EXPECT_EQ(grip->GetRect().top, 94);
    EXPECT_EQ(panel->GetRect().GetTopLeft(), (tCPoint{100, 75})) << "the panel stays";
    EXPECT_EQ(backdrop->FindWidgetById(CDebugInfoWidget::kId), panel);
}
