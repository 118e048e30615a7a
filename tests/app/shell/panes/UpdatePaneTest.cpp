#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "ShippedPaneTest.h"
#include "app/shell/CHMRSound.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/CKS2Progress.h"
#include "app/shell/panes/CKS2Update.h"
#include "platform/headless/ScriptedDesktop.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/widgets/CWidgetEffectBase.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"

namespace {

tCStringArray List(std::initializer_list<const char16_t*> texts)
{
    tCStringArray list;
    for (const char16_t* text : texts)
        EXPECT_EQ(list.Add(tCString(text)), kResOk);
    return list;
}

bool Covers(const CRegion& region, tCPoint point)
{
    for (const tCRect& rect : region)
        if (point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom)
            return true;
    return false;
}

class UpdatePaneTest : public ShippedPaneTest {
protected:
    void SetUp() override
    {
        ShippedPaneTest::SetUp();
        ASSERT_EQ(pane.Create(nullptr, nullptr), kResOk);
        root = pane.GetRoot();
        area = root->FindWidgetById(kWgtUpdateTextArea);
        headline = root->FindWidgetById(kWgtUpdateHeadline);
        note = root->FindWidgetById(kWgtUpdateNote);
        footer = root->FindWidgetById(kWgtUpdateFooter);
        close = root->FindWidgetById(kWgtUpdateClose);
        link = root->FindWidgetById(kWgtUpdateLink);
        mark = root->FindWidgetById(kWgtUpdateKeywordMark);
        ASSERT_TRUE(area && headline && note && footer && close && link && mark);
        w32::headless::TakeShellOpens();
    }
    bool Shown() const { return root->IsVisible() != 0; }
    // Opens the pane from the menu: the checking text, and the check asked for.
    void Open()
    {
        ASSERT_EQ(pane.Show(0, 1, 0, 0, nullptr), kResOk);
        ASSERT_TRUE(Shown());
    }
    // The manager's report while the pane is up, laid out a second later.
    void Report(const tCStringArray& list)
    {
        ASSERT_EQ(pane.OnMessage(kMsgUpdateReport, 0, ToMsgArg(&list), 0, 1), kResOk);
        Tick(1001);
    }
    CWidgetEffectBase* Effect(int32_t index) { return dynamic_cast<CWidgetEffectBase*>(area->GetFrontEffect(index)); }
    uint32_t GlowColour()
    {
        auto* glow = dynamic_cast<CWidgetEffectGradient*>(area->GetFrontEffect(1));
        return glow ? glow->GetGradient()->GetPoint(0).colour : 0;
    }

    CKS2Update pane;
    CWidget* root = nullptr;
    CWidget* area = nullptr;
    CWidget* headline = nullptr;
    CWidget* note = nullptr;
    CWidget* footer = nullptr;
    CWidget* close = nullptr;
    CWidget* link = nullptr;
    CWidget* mark = nullptr;
};

TEST_F(UpdatePaneTest, OpeningItSaysItChecksAndAsksForTheCheckOnce)
{
    Open();
    EXPECT_EQ(TextOf(headline), Text(kStrUpdateChecking));
    EXPECT_EQ(TextOf(note), Text(kStrUpdateCheckingBody));
    EXPECT_EQ(TextOf(footer), Text(kStrUpdateFooterClose));
    EXPECT_TRUE(note->IsVisible());
    EXPECT_EQ(Effect(1)->GetOpacity(), 0u);
    EXPECT_EQ(controller.Count(kMsgUpdateCheck), 1);
    for (const tHeard& heard : controller.heard)
        if (heard.message == kMsgUpdateCheck) {
            EXPECT_EQ(heard.a, ToMsgArg(&pane));
            EXPECT_EQ(heard.b, 0u);
            EXPECT_EQ(heard.c, 0u);
        }
    EXPECT_EQ(root->GetWidth(), 482);
    EXPECT_EQ(root->GetHeight(), note->GetRect().bottom + 132);
    // Centred on the window, 31 to the right and 25 up.
    EXPECT_EQ(root->GetRect().left, 400 - 482 / 2 + 31);
    EXPECT_EQ(root->GetRect().top, 300 - root->GetHeight() / 2 - 25);
    EXPECT_EQ(area->GetRect().left, 10);
    EXPECT_EQ(area->GetRect().top, 70);
    EXPECT_EQ(area->GetWidth(), 482 - 82);
    EXPECT_EQ(area->GetHeight(), root->GetHeight() - 90);
    EXPECT_EQ(note->GetWidth(), 380);
}

TEST_F(UpdatePaneTest, AReportReplacesTheCheckingTextASecondLater)
{
    Open();
    controller.newer = 1;
    const tCStringArray list = List({u"2.1", u"https://kostrel.example.org/2.1", u"Faster oil paint.", u"New papers."});
    ASSERT_EQ(pane.OnMessage(kMsgUpdateReport, 0, ToMsgArg(&list), 0, 1), kResOk);
    EXPECT_TRUE(pane.IsLayoutPending());
    Tick(500);
    EXPECT_EQ(TextOf(headline), Text(kStrUpdateChecking));
    Tick(501);
    EXPECT_FALSE(pane.IsLayoutPending());
    EXPECT_EQ(controller.asked, u"2.1");
    ASSERT_EQ(controller.Count(kMsgUpdateIsNewer), 1);
    for (const tHeard& heard : controller.heard)
        if (heard.message == kMsgUpdateIsNewer) {
            EXPECT_EQ(heard.c, 0u);
        }
    // "Kostrel 2" is not doubled before the release "2.1".
    EXPECT_EQ(TextOf(headline), u"A new release of Kostrel 2.1 is available.");
    EXPECT_EQ(GlowColour(), 0xFFD3E842u);
    EXPECT_EQ(Effect(1)->GetOpacity(), 120u);
    EXPECT_EQ(pane.GetLinkAddress(), tCString(u"https://kostrel.example.org/2.1"));
    ASSERT_EQ(pane.GetNoteWidgets().size(), 2u);
    EXPECT_FALSE(note->IsVisible());
    EXPECT_EQ(TextOf(pane.GetNoteWidgets()[0]), u"Faster oil paint.");
    EXPECT_EQ(TextOf(pane.GetNoteWidgets()[1]), u"New papers.");
    // Each note is as high as its text at the wrap width.
    auto* first = dynamic_cast<CTxWidget*>(pane.GetNoteWidgets()[0]);
    EXPECT_GT(first->GetHeight(), 10);
    EXPECT_EQ(first->GetHeight(), first->GetTextRenderer()->GetTextHeight(u"Faster oil paint.", 380));
    EXPECT_EQ(first->GetWidth(), 380);
    EXPECT_EQ(pane.GetNoteWidgets()[0]->GetRect().top, note->GetRect().top);
    EXPECT_EQ(pane.GetNoteWidgets()[1]->GetRect().top, pane.GetNoteWidgets()[0]->GetRect().bottom + 10);
    EXPECT_EQ(root->GetHeight(), std::max(92, pane.GetNoteWidgets()[1]->GetRect().bottom) + 132);
    EXPECT_EQ(TextOf(footer), Text(kStrUpdateFooterReport));
    EXPECT_EQ(controller.Count(kMsgUpdateCheck), 1);
}

TEST_F(UpdatePaneTest, AReleaseThatIsNotNewerSaysSoWithoutTheGlow)
{
    Open();
    controller.newer = 0;
    Report(List({u"2.0", u"https://kostrel.example.org/"}));
    EXPECT_EQ(TextOf(headline), Text(kStrUpdateCurrent));
    EXPECT_EQ(Effect(1)->GetOpacity(), 0u);
}

TEST_F(UpdatePaneTest, AProgramNameIsKeptWhenTheTitleStartsOtherwise)
{
    Open();
    controller.newer = 1;
    Report(List({u"Spring 2027", u""}));
    EXPECT_EQ(TextOf(headline), u"A new release of Kostrel 2 Spring 2027 is available.");
}

TEST_F(UpdatePaneTest, ATitleWithOneNoteLineTakesItAsTheLinkAndMakesNoNote)
{
    Open();
    Report(List({u"2.1", u"https://kostrel.example.org/2.1"}));
    EXPECT_EQ(pane.GetLinkAddress(), tCString(u"https://kostrel.example.org/2.1"));
    EXPECT_TRUE(pane.GetNoteWidgets().empty());
    EXPECT_TRUE(note->IsVisible());
    EXPECT_EQ(note->GetWidth(), 380);
    EXPECT_EQ(root->GetHeight(), link->GetRect().bottom + 132);
}

TEST_F(UpdatePaneTest, AnEmptyFirstNoteOpensTheDownloadPage)
{
    Open();
    Report(List({u"2.1", u"", u"Notes."}));
    EXPECT_EQ(std::u16string(pane.GetLinkAddress().View()), Text(kStrUpdateDownloadAddress));
    Click(link, {5, 5}, ScreenOf(link, {5, 5}));
    EXPECT_EQ(w32::headless::TakeShellOpens(), std::vector<std::u16string>{Text(kStrUpdateDownloadAddress)});
}

TEST_F(UpdatePaneTest, ATitleAloneEndsTheChecking)
{
    Open();
    Report(List({u"2.1"}));
    EXPECT_NE(TextOf(headline), Text(kStrUpdateChecking));
    EXPECT_EQ(TextOf(headline), Text(kStrUpdateCurrent));
    EXPECT_EQ(std::u16string(pane.GetLinkAddress().View()), Text(kStrUpdateDownloadAddress));
}

TEST_F(UpdatePaneTest, AReportWithoutNotesShowsNoTextOfTheCheckingOrTheFailure)
{
    Open();
    Report(List({u"2.0", u"https://kostrel.example.org/2.0"}));
    EXPECT_EQ(TextOf(headline), Text(kStrUpdateCurrent));
    EXPECT_EQ(TextOf(note), u"");
    ASSERT_EQ(pane.OnMessage(kMsgUpdateFailed, 0, 0, 0, 1), kResOk);
    Tick(1001);
    ASSERT_EQ(TextOf(note), Text(kStrUpdateFailedBody));
    Report(List({u"2.0"}));
    EXPECT_EQ(TextOf(note), u"");
}

TEST_F(UpdatePaneTest, NotesWithABraceCarryALinkUnlessTheBraceComesFirst)
{
    Open();
    Report(List({u"2.1", u"https://kostrel.example.org/", u"Read the guide{https://kostrel.example.org/guide}",
                 u"{braces} stay as they are"}));
    ASSERT_EQ(pane.GetNoteWidgets().size(), 2u);
    CWidget* linked = pane.GetNoteWidgets()[0];
    CWidget* plain = pane.GetNoteWidgets()[1];
    EXPECT_EQ(TextOf(linked), u"Read the guide");
    EXPECT_EQ(linked->GetName(), tCString(u"https://kostrel.example.org/guide"));
    uint32_t colour = 0;
    dynamic_cast<CCoWidget*>(linked)->GetColour(&colour);
    EXPECT_EQ(colour, 0xFF394100u);
    EXPECT_TRUE(linked->IsActive());
    EXPECT_EQ(TextOf(plain), u"{braces} stay as they are");
    EXPECT_NE(plain->GetName(), tCString(u"braces"));
    dynamic_cast<CCoWidget*>(plain)->GetColour(&colour);
    EXPECT_NE(colour, 0xFF394100u);

    Click(linked, {3, 3}, ScreenOf(linked, {3, 3}));
    EXPECT_EQ(w32::headless::TakeShellOpens(), std::vector<std::u16string>{u"https://kostrel.example.org/guide"});
    // Released elsewhere, a press opens nothing.
    Click(linked, {3, 3}, ScreenOf(root, {2, 2}));
    EXPECT_TRUE(w32::headless::TakeShellOpens().empty());
}

TEST_F(UpdatePaneTest, OnlyWebAddressesReachTheShellWhole)
{
    for (const char16_t* refused : {u"file:///etc/passwd", u"javascript:alert(1)", u"--help", u"", u"http:/x",
                                    u"https://a.example/x y", u"https://a.example/\nrm", u"ftp://a.example/"})
        EXPECT_EQ(CKS2Update::OpenAddress(tCString(refused)), kResBadParam) << tCString(refused).ToAnsi();
    EXPECT_TRUE(w32::headless::TakeShellOpens().empty());
    EXPECT_EQ(CKS2Update::OpenAddress(tCString(u"HTTPS://A.example/Release?x=1&y=2")), kResOk);
    EXPECT_EQ(CKS2Update::OpenAddress(tCString(u"http://a.example/")), kResOk);
    EXPECT_EQ(w32::headless::TakeShellOpens(),
              (std::vector<std::u16string>{u"HTTPS://A.example/Release?x=1&y=2", u"http://a.example/"}));
}

TEST_F(UpdatePaneTest, AVeryWideHeadlineWidensTheNotesAndThePane)
{
    Open();
    controller.newer = 1;
    Report(List({u"2.1 with the long awaited watercolour brushes and the new paper library", u"", u"A note."}));
    ASSERT_GT(headline->GetWidth(), 380);
    EXPECT_EQ(root->GetWidth(), headline->GetWidth() + 102);
    ASSERT_EQ(pane.GetNoteWidgets().size(), 1u);
    EXPECT_EQ(pane.GetNoteWidgets()[0]->GetWidth(), headline->GetWidth());
}

TEST_F(UpdatePaneTest, TheKeywordIsFoundInAnyCase)
{
    Open();
    CWidget* markText = root->FindWidgetById(kWgtUpdateKeywordText);
    Report(List({u"2.1", u"", u"Nothing to see."}));
    EXPECT_FALSE(mark->IsVisible());
    EXPECT_FALSE(markText->IsVisible());
    Report(List({u"2.1", u"", u"Fine.", u"Important: back up your paintings first."}));
    EXPECT_TRUE(mark->IsVisible());
    EXPECT_TRUE(markText->IsVisible());
}

TEST_F(UpdatePaneTest, AFailureShowsTheFailureTextASecondLater)
{
    Open();
    ASSERT_EQ(pane.OnMessage(kMsgUpdateFailed, 0, 0, 0, 1), kResOk);
    Tick(999);
    EXPECT_EQ(TextOf(headline), Text(kStrUpdateChecking));
    Tick(2);
    EXPECT_EQ(TextOf(headline), Text(kStrUpdateFailed));
    EXPECT_EQ(TextOf(note), Text(kStrUpdateFailedBody));
    EXPECT_EQ(TextOf(footer), Text(kStrUpdateFooterClose));
    EXPECT_EQ(GlowColour(), 0xFFE85942u);
    EXPECT_EQ(Effect(1)->GetOpacity(), 120u);
    EXPECT_EQ(note->GetWidth(), 380);
}

TEST_F(UpdatePaneTest, TheSingleNoteComesBackAfterAListOfNotes)
{
    Open();
    Report(List({u"2.1", u"", u"A note.", u"Another note."}));
    ASSERT_FALSE(note->IsVisible());
    Report(List({u"2.2", u"https://kostrel.example.org/2.2"}));
    EXPECT_TRUE(note->IsVisible());
    Report(List({u"2.3", u"", u"A note."}));
    ASSERT_FALSE(note->IsVisible());
    ASSERT_EQ(pane.OnMessage(kMsgUpdateFailed, 0, 0, 0, 1), kResOk);
    Tick(1001);
    EXPECT_EQ(TextOf(note), Text(kStrUpdateFailedBody));
    EXPECT_TRUE(note->IsVisible());
    EXPECT_EQ(dynamic_cast<CTxWidget*>(note)->GetWrap(), 1u);
}

TEST_F(UpdatePaneTest, HidingStopsTheCheckAndDropsAWaitingReport)
{
    Open();
    const tCStringArray list = List({u"2.1", u"", u"Notes."});
    ASSERT_EQ(pane.OnMessage(kMsgUpdateReport, 0, ToMsgArg(&list), 0, 1), kResOk);
    ASSERT_EQ(pane.Hide(0, 1, 0, 0), kResOk);
    EXPECT_EQ(controller.Count(kMsgUpdateStop), 1);
    Tick(1500);
    EXPECT_EQ(TextOf(headline), Text(kStrUpdateChecking));
    EXPECT_TRUE(pane.GetNoteWidgets().empty());
}

TEST_F(UpdatePaneTest, AReportWhileHiddenShowsThePaneWithoutANewCheck)
{
    const tCStringArray list = List({u"2.1", u"", u"Notes."});
    ASSERT_EQ(pane.OnMessage(kMsgUpdateReport, 0, ToMsgArg(&list), 0, 1), kResOk);
    // The pane slides in with the report laid out at once.
    EXPECT_TRUE(pane.IsShownWithList());
    EXPECT_EQ(pane.GetNoteWidgets().size(), 1u);
    for (int i = 0; i < 60; ++i)
        Tick(20);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(controller.Count(kMsgUpdateCheck), 0);
    ASSERT_EQ(pane.Hide(0, 1, 0, 0), kResOk);
    // A failure while hidden shows nothing.
    ASSERT_EQ(pane.OnMessage(kMsgUpdateFailed, 0, 0, 0, 1), kResOk);
    EXPECT_FALSE(Shown());
}

TEST_F(UpdatePaneTest, EnterAndEscapeCloseIt)
{
    for (uint32_t key : {13u, 27u}) {
        Open();
        CWidget* takenBy = nullptr;
        ASSERT_EQ(backdrop->DispatchKeyDown(&takenBy, key), kResOk);
        for (int i = 0; i < 40; ++i)
            Tick(20);
        EXPECT_FALSE(Shown()) << key;
    }
    EXPECT_EQ(controller.Count(kMsgUpdateStop), 2);
}

TEST_F(UpdatePaneTest, TheCloseBarLightsUnderThePointerAndClosesWithAClick)
{
    Open();
    for (int i = 0; i < 30; ++i)
        Tick(20);
    const tCPoint over = ScreenOf(close, {close->GetWidth() / 2, 10});
    w32::headless::MoveMouse(over.x, over.y);
    for (int i = 0; i < 20; ++i)
        Tick(20);
    EXPECT_EQ(Effect(2)->GetOpacity(), 80u);
    w32::headless::MoveMouse(2, 2);
    for (int i = 0; i < 30; ++i)
        Tick(20);
    EXPECT_EQ(Effect(2)->GetOpacity(), 0u);

    Click(close, {close->GetWidth() / 2, 10}, over);
    for (int i = 0; i < 40; ++i)
        Tick(20);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(backdropTarget.Count(CHMRSound::kMsgPlaySound), 1);
    for (const tHeard& heard : backdropTarget.heard)
        if (heard.message == CHMRSound::kMsgPlaySound) {
            EXPECT_EQ(heard.a | heard.b | heard.c, 0u) << "the sound of a released button is sound 0";
        }
    for (const tHeard& heard : controller.heard)
        if (heard.message == kMsgUpdateStop) {
            EXPECT_EQ(heard.b | heard.c, 0u);
        }
    EXPECT_EQ(controller.Count(kMsgUpdateStop), 1);
    // Opened again, the light starts dark.
    Open();
    EXPECT_EQ(Effect(2)->GetOpacity(), 0u);
}

}  // namespace

namespace {

TEST_F(UpdatePaneTest, TheGlowLightsOnlyTheHeadlinesBandAndTheCloseLightOnlyTheFoot)
{
    Open();
    // A taller layout first: what it excluded must not stay.
    Report(List({u"2.1", u"", u"One.", u"Two.", u"Three.", u"Four.", u"Five.", u"Six."}));
    Report(List({u"2.1", u"", u"A note.", u"Another note."}));
    const int32_t width = area->GetWidth();
    const int32_t height = area->GetHeight();
    const CRegion& glow = Effect(1)->GetExcludedRegion();
    EXPECT_TRUE(Covers(glow, {5, 25}));
    EXPECT_FALSE(Covers(glow, {5, 26}));
    EXPECT_FALSE(Covers(glow, {width - 1, 57}));
    EXPECT_TRUE(Covers(glow, {5, 58}));
    EXPECT_TRUE(Covers(glow, {width - 1, height - 1}));
    const CRegion& light = Effect(2)->GetExcludedRegion();
    EXPECT_TRUE(Covers(light, {0, 0}));
    EXPECT_TRUE(Covers(light, {width - 1, height - 33}));
    EXPECT_FALSE(Covers(light, {0, height - 32}));
    EXPECT_FALSE(Covers(light, {width - 1, height - 1}));
}

TEST_F(UpdatePaneTest, TheCloseLightComesUpFasterThanItGoes)
{
    Open();
    for (int i = 0; i < 30; ++i)
        Tick(20);
    auto* animator = dynamic_cast<CTimeStep*>(close->GetUserObject(0));
    ASSERT_NE(animator, nullptr);
    const tCPoint over = ScreenOf(close, {close->GetWidth() / 2, 10});
    w32::headless::MoveMouse(over.x, over.y);
    while (animator->GetTarget() != 80.0f)
        Tick(1);
    // 2.6 ms a unit, eased: after 150 ms the linear value is 57 of 80, the eased one 64.
    Tick(150);
    EXPECT_NEAR(double(Effect(2)->GetOpacity()), 64.0, 2.0);
    Tick(60);
    EXPECT_EQ(Effect(2)->GetOpacity(), 80u);
    w32::headless::MoveMouse(2, 2);
    while (animator->GetTarget() != 0.0f)
        Tick(1);
    // 3.6 ms a unit: after 150 ms 41 units of 80 are gone, eased 41.5.
    Tick(150);
    EXPECT_NEAR(double(Effect(2)->GetOpacity()), 38.0, 2.0);
}

}  // namespace

namespace {

TEST_F(UpdatePaneTest, ASecondReportReplacesTheFirstAndItsNotes)
{
    Open();
    const int32_t children = area->GetChildCount();
    Report(List({u"2.1", u"", u"One.", u"Two."}));
    EXPECT_EQ(area->GetChildCount(), children + 2);
    const tCStringArray first = List({u"2.2", u"", u"Three.", u"Four.", u"Five."});
    const tCStringArray second = List({u"2.3", u"", u"Six."});
    ASSERT_EQ(pane.OnMessage(kMsgUpdateReport, 0, ToMsgArg(&first), 0, 1), kResOk);
    ASSERT_EQ(pane.OnMessage(kMsgUpdateReport, 0, ToMsgArg(&second), 0, 1), kResOk);
    Tick(1001);
    EXPECT_EQ(controller.asked, u"2.3");
    ASSERT_EQ(pane.GetNoteWidgets().size(), 1u);
    EXPECT_EQ(TextOf(pane.GetNoteWidgets()[0]), u"Six.");
    EXPECT_EQ(area->GetChildCount(), children + 1);
    // A failure after the report shows its own text in the template again.
    ASSERT_EQ(pane.OnMessage(kMsgUpdateFailed, 0, 0, 0, 1), kResOk);
    Tick(1001);
    EXPECT_TRUE(pane.GetNoteWidgets().empty());
    EXPECT_EQ(area->GetChildCount(), children);
    EXPECT_TRUE(note->IsVisible());
    EXPECT_EQ(TextOf(note), Text(kStrUpdateFailedBody));
}

// The progress pane's Build needs the percent text and the bar: a root without them is refused.
class PercentlessProgress : public CKS2Progress {
public:
    PercentlessProgress() { m_rootId = int32_t(kWgtUpdatePane); }
};

TEST_F(UpdatePaneTest, AProgressLayoutWithoutItsPartsIsRefused)
{
    PercentlessProgress progress;
    EXPECT_EQ(progress.Create(nullptr, nullptr), kResCreateFailed);
    EXPECT_EQ(progress.GetRoot(), nullptr);
}

}  // namespace
