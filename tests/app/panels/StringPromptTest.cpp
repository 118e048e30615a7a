#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/panels/CStringPrompt.h"
#include "app/panels/PromptTestSupport.h"
#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2TextEdit.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CTransitionWidget.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"

namespace {

using PromptSetup = CStringPrompt::CStringPromptSetup;

class StringPromptTest : public PromptTest {
protected:
    void Open(int32_t width = 1000, int32_t height = 700)
    {
        Start(width, height);
        prompt = new CStringPrompt;
        ASSERT_EQ(prompt->Create(nullptr, nullptr), kResOk);
        root = prompt->GetRoot();
        title = dynamic_cast<CTxWidget*>(root->FindWidgetById(CStringPrompt::kTitle));
        ASSERT_NE(title, nullptr);
        ASSERT_NE(prompt->GetEditWidget(), nullptr);
    }
    void TearDown() override
    {
        delete prompt;
        PromptTest::TearDown();
    }
    // Shows the prompt at once for `owner`.
    tResult ShowNow(const PromptSetup& setup, tCCmdTarget* owner = nullptr)
    {
        return prompt->Show(0, 1, ToMsgArg(&setup), 0, owner);
    }
    // The width of a text in the title's font, and a text at least `width` pixels wide.
    int32_t Measure(const std::u16string& text) { return title->GetTextRenderer()->GetTextWidth(text.c_str()); }
    // A text exactly `width` pixels wide, or "" when none of those tried is.
    std::u16string TextOfExactWidth(int32_t width)
    {
        const std::u16string narrow = u"il.,' tjfr";
        std::u16string base = u"Size";
        while (Measure(base + u"WW") < width)
            base += u'a';
        for (char16_t a : narrow + u"abcdeghkmnopqsuvwxyz")
            for (char16_t b : narrow)
                for (char16_t c : narrow)
                    for (const std::u16string& text : {base + a, base + a + b, base + a + b + c})
                        if (Measure(text) == width)
                            return text;
        return {};
    }
    std::u16string TextOfWidth(int32_t width)
    {
        const std::u16string words = u"Size of the brush in percent ";
        std::u16string text;
        while (Measure(text) < width)
            text += words[text.size() % words.size()];
        return text;
    }
    CWidget* Button(uint32_t id) { return root->FindWidgetById(id); }

    CStringPrompt* prompt = nullptr;
    CWidget* root = nullptr;
    CTxWidget* title = nullptr;
};

// Keeps the text of every 0xFF001030, which lives only through the call.
class TextOwner : public RecordingTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override
    {
        texts.push_back(message == kMsgTextEntered ? FromMsgArg<tCString>(b)->ToAnsi() : std::string());
        return RecordingTarget::OnMessage(message, a, b, c, apply);
    }
    std::vector<std::string> texts;
};

TEST_F(StringPromptTest, TheRootFollowsTheTitlesWidthUpToFourHundredAndThenBreaksIt)
{
    Open();
    ASSERT_GT(Measure(u"Size"), 0) << "the shipped fonts measure texts";
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, u"Size")), kResOk);
    EXPECT_EQ(root->GetWidth(), 240);
    EXPECT_EQ(root->GetHeight(), 96);
    EXPECT_EQ(title->GetWidth(), 220);
    prompt->Hide(0, 0, 0, 0);

    const std::u16string middle = TextOfWidth(300);
    const int32_t width = Measure(middle);
    ASSERT_GT(width, 220);
    ASSERT_LE(width, 380);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, middle.c_str())), kResOk);
    EXPECT_EQ(root->GetWidth(), width + 20);
    EXPECT_EQ(root->GetHeight(), 96);
    EXPECT_EQ(title->GetWidth(), width + 20);
    prompt->Hide(0, 0, 0, 0);

    const std::u16string wide = TextOfWidth(500);
    const int32_t lineHeight = title->GetTextRenderer()->GetTextHeight(u"Size", 380);
    const int32_t brokenHeight = title->GetTextRenderer()->GetTextHeight(wide.c_str(), 380);
    ASSERT_GE(brokenHeight, 2 * lineHeight - 2) << "a 500-pixel title takes two lines at 380";
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, wide.c_str())), kResOk);
    EXPECT_EQ(root->GetWidth(), 400);
    EXPECT_EQ(title->GetWidth(), 380);
    EXPECT_EQ(title->GetHeight(), brokenHeight);
    EXPECT_EQ(root->GetHeight(), title->GetRect().top + brokenHeight + 76);
    // The edit field spans the root but for 10 pixels each side; the buttons keep to the bottom.
    CWidget* field = prompt->GetEditControl()->GetWidget();
    EXPECT_EQ(field->GetWidth(), 380);
    // The panel's shape is the glows' shape: nothing lights the shadow margin.
    CImage* prepared = dynamic_cast<CWidgetEffectGradient*>(Glow(root, 1))->GetPreparedImage();
    ASSERT_NE(prepared, nullptr);
    EXPECT_EQ(CImNav(prepared).Pixels(root->GetHeight() - 3)[root->GetWidth() - 3] >> 24, 0u);
    EXPECT_GT(CImNav(prepared).Pixels(root->GetHeight() - 20)[root->GetWidth() - 30] >> 24, 0u);
    // A short title afterwards gives the title its short width again.
    prompt->Hide(0, 0, 0, 0);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, u"Size")), kResOk);
    EXPECT_EQ(title->GetWidth(), 220);
    EXPECT_EQ(root->GetWidth(), 240);
    prompt->Hide(0, 0, 0, 0);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, wide.c_str())), kResOk);
    // The frame is drawn again at the field's new width: clear at its ends, its fill inside.
    auto* image = static_cast<CImWidget*>(field);
    ASSERT_EQ(image->DecompressImage(), kResOk);
    CImNav pixels(image->GetImage());
    ASSERT_EQ(pixels.GetWidth(), 380);
    EXPECT_EQ(pixels.Pixels(12)[2] >> 24, 0u);
    EXPECT_EQ(pixels.Pixels(12)[377] >> 24, 0u);
    EXPECT_EQ(pixels.Pixels(12)[190], 0xFF2E2E48u);
    image->CompressImage();
    EXPECT_EQ(prompt->GetEditControl()->GetControlId(), int32_t(CStringPrompt::kField));
    EXPECT_EQ(Button(CStringPrompt::kOkButton)->GetRect().bottom, root->GetHeight() - 17);
}

TEST_F(StringPromptTest, TheBoundsOfTheThreeSizesBelongToTheSmallerSize)
{
    Open();
    // A title of 220 pixels still fits the 240-pixel root; one of 230 widens it to 250.
    const std::u16string exact = TextOfExactWidth(220);
    ASSERT_FALSE(exact.empty()) << "no text of exactly 220 pixels";
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, exact.c_str())), kResOk);
    EXPECT_EQ(root->GetWidth(), 240);
    EXPECT_EQ(title->GetWidth(), 220);
    prompt->Hide(0, 0, 0, 0);
    const std::u16string wider = TextOfExactWidth(230);
    ASSERT_FALSE(wider.empty()) << "no text of exactly 230 pixels";
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, wider.c_str())), kResOk);
    EXPECT_EQ(root->GetWidth(), 250);
    EXPECT_EQ(root->GetHeight(), 96);
}

TEST_F(StringPromptTest, ATitleAsWideAsTheLimitAllowsStaysOnOneLine)
{
    Open();
    const char16_t* text = u"Size of the brush in percent of the picture";
    const int32_t width = Measure(text);
    ASSERT_GT(width, 240);
    // A backdrop of T + 40 pixels: the limit is exactly T + 20.
    ASSERT_EQ(backdrop->SetSize(width + 40, 400, 0u), kResOk);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, text)), kResOk);
    EXPECT_EQ(root->GetWidth(), width + 20);
    EXPECT_EQ(root->GetHeight(), 96);
    prompt->Hide(0, 0, 0, 0);
    ASSERT_EQ(backdrop->SetSize(width + 39, 400, 0u), kResOk);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, text)), kResOk);
    EXPECT_EQ(root->GetWidth(), width + 19);
    EXPECT_GT(root->GetHeight(), 96);
}

TEST_F(StringPromptTest, ANarrowBackdropLimitsTheRootToItsWidthLessTwenty)
{
    Open(300, 400);
    const std::u16string middle = TextOfWidth(300);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, middle.c_str())), kResOk);
    EXPECT_EQ(root->GetWidth(), 280);
    EXPECT_EQ(title->GetWidth(), 260);
    EXPECT_GT(root->GetHeight(), 96);
}

TEST_F(StringPromptTest, TheTitleComesFromTheTextOrTheStringTableAndMissingTextsShowNothing)
{
    Open();
    tCString sizeTitle;
    m_app->GetString(sizeTitle, kStrSizePromptTitle, 0);
    ASSERT_FALSE(sizeTitle.IsEmpty());
    ASSERT_EQ(ShowNow(PromptSetup(int32_t(kStrSizePromptTitle), -1, -1, u"", 0, nullptr)), kResOk);
    EXPECT_EQ(title->GetText().ToAnsi(), sizeTitle.ToAnsi());
    prompt->Hide(0, 0, 0, 0);
    ASSERT_EQ(ShowNow(PromptSetup(int32_t(kStrSizePromptTitle), -1, -1, u"", 0, u"Own title")), kResOk);
    EXPECT_EQ(title->GetText().ToAnsi(), "Own title");
    prompt->Hide(0, 0, 0, 0);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, u"")), kResOk);
    EXPECT_EQ(title->GetText().ToAnsi(), "");
    prompt->Hide(0, 0, 0, 0);
    // An id the table lacks answers "%%String Table Error".
    ASSERT_EQ(ShowNow(PromptSetup(int32_t(0xB2D05FFF), -1, -1, u"", 0, nullptr)), kResOk);
    EXPECT_EQ(title->GetText().ToAnsi(), "");
}

TEST_F(StringPromptTest, APlaceIsTakenOnlyWhenBothCoordinatesAreGiven)
{
    Open();
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, 50, u"", 0, u"Size")), kResOk);
    // The layout centres the root on the backdrop.
    EXPECT_EQ(root->GetRect().left, (1000 - 240) / 2);
    EXPECT_EQ(root->GetRect().top, (700 - 96) / 2);
    prompt->Hide(0, 0, 0, 0);
    ASSERT_EQ(ShowNow(PromptSetup(-1, 30, 40, u"", 0, u"Size")), kResOk);
    EXPECT_EQ(root->GetRect().left, 30);
    EXPECT_EQ(root->GetRect().top, 40);
    prompt->Hide(0, 0, 0, 0);
    ASSERT_EQ(ShowNow(PromptSetup(-1, 60, -1, u"", 0, u"Size")), kResOk);
    EXPECT_EQ(root->GetRect().left, (1000 - 240) / 2);
}

TEST_F(StringPromptTest, EnterAndOkReportTheTextEscAndCancelReportNothing)
{
    Open();
    TextOwner owner;
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"12", 0, u"Size"), &owner), kResOk);
    ASSERT_EQ(prompt->GetEditWidget()->GetText().ToAnsi(), "12");
    // The field has the focus and its whole text selected: typing replaces it.
    Type(u"abc");
    EXPECT_EQ(Key(13), kResOk);
    EXPECT_EQ(prompt->IsShown(), 0u);
    ASSERT_EQ(owner.Count(kMsgTextEntered), 1);
    EXPECT_EQ(owner.texts[0], "abc");
    EXPECT_EQ(owner.heard[0].a, ToMsgArg(prompt));
    EXPECT_EQ(owner.heard[0].c, 0u);

    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"kept", 0, u"Size"), &owner), kResOk);
    Key(27);
    EXPECT_EQ(prompt->IsShown(), 0u);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"kept", 0, u"Size"), &owner), kResOk);
    ClickOn(Button(CStringPrompt::kCancelButton));
    EXPECT_EQ(prompt->IsShown(), 0u);
    EXPECT_EQ(owner.Count(kMsgTextEntered), 1);

    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"by button", 0, u"Size"), &owner), kResOk);
    ClickOn(Button(CStringPrompt::kOkButton));
    EXPECT_EQ(prompt->IsShown(), 0u);
    ASSERT_EQ(owner.Count(kMsgTextEntered), 2);
    EXPECT_EQ(owner.texts.back(), "by button");
}

TEST_F(StringPromptTest, EnterAndEscWorkAlsoWhenTheFieldHasLostTheFocus)
{
    Open();
    TextOwner owner;
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"kept", 0, u"Size"), &owner), kResOk);
    root->SetFocus(1);
    ASSERT_NE(root->GetFocusChild(), prompt->GetEditControl()->GetWidget());
    EXPECT_EQ(Key('x'), kResOk);
    EXPECT_EQ(prompt->IsShown(), 1u);
    EXPECT_EQ(Key(13), kResOk);
    EXPECT_EQ(prompt->IsShown(), 0u);
    ASSERT_EQ(owner.texts.size(), 1u);
    EXPECT_EQ(owner.texts[0], "kept");
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, u"Size"), &owner), kResOk);
    root->SetFocus(1);
    EXPECT_EQ(Key(27), kResOk);
    EXPECT_EQ(prompt->IsShown(), 0u);
    EXPECT_EQ(owner.texts.size(), 1u);
}

TEST_F(StringPromptTest, AButtonReleasedOutsideLeavesThePromptUp)
{
    Open();
    RecordingTarget owner;
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"x", 0, u"Size"), &owner), kResOk);
    CWidget* ok = Button(CStringPrompt::kOkButton);
    EXPECT_EQ(Click(ok, ScreenOf(ok, {-30, -30})), kResOk);
    EXPECT_EQ(prompt->IsShown(), 1u);
    EXPECT_EQ(backdrop->GetTopModal(), root) << "the button left the modal stack";
    EXPECT_EQ(owner.Count(kMsgTextEntered), 0);
    EXPECT_EQ(Sounds(), (std::vector<tMsgArg>{2}));
    ClickOn(ok);
    EXPECT_EQ(Sounds(), (std::vector<tMsgArg>{2, 0}));
}

TEST_F(StringPromptTest, ANumericSetupTakesDigitsOnly)
{
    Open();
    TextOwner owner;
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 1, u"Size"), &owner), kResOk);
    Type(u"1a2.5-");
    Key(13);
    ASSERT_EQ(owner.texts.size(), 1u);
    EXPECT_EQ(owner.texts[0], "125");
    // A start text that numeric mode refuses leaves the field empty, not the last text.
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"abc", 1, u"Size"), &owner), kResOk);
    EXPECT_EQ(prompt->GetEditWidget()->GetText().ToAnsi(), "");
    prompt->Hide(0, 0, 0, 0);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, u"Size"), &owner), kResOk);
    Type(u"2.5a");
    Key(13);
    EXPECT_EQ(owner.texts.back(), "2.5a");
}

TEST_F(StringPromptTest, ItOpensThroughATransitionAndTakesTypedTextAfterIt)
{
    Open();
    TextOwner owner;
    const PromptSetup setup(-1, -1, -1, u"", 0, u"Name");
    ASSERT_EQ(prompt->Show(1, 1, ToMsgArg(&setup), 0, &owner), kResOk);
    ASSERT_NE(prompt->GetTransition(), nullptr);
    EXPECT_EQ(prompt->IsShown(), 0u);
    RunFor(420);
    EXPECT_EQ(prompt->GetTransition(), nullptr);
    EXPECT_EQ(prompt->IsShown(), 1u);
    Type(u"Blue");
    Key(13);
    ASSERT_NE(prompt->GetTransition(), nullptr) << "Enter hides through a transition";
    ASSERT_EQ(owner.texts.size(), 1u);
    EXPECT_EQ(owner.texts[0], "Blue");
    RunFor(300);
    EXPECT_EQ(prompt->GetTransition(), nullptr);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
}

TEST_F(StringPromptTest, ANullSetupIsRefusedAndThePromptStaysHidden)
{
    Open();
    EXPECT_EQ(prompt->Show(0, 1, 0, 0, nullptr), kResBadParam);
    EXPECT_EQ(prompt->IsShown(), 0u);
    EXPECT_EQ(Sounds(), std::vector<tMsgArg>{});
}

TEST_F(StringPromptTest, AnOwnerThatGoesAwayHearsNothing)
{
    Open();
    auto* owner = new TextOwner;
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"x", 0, u"Size"), owner), kResOk);
    prompt->ForgetOwner(owner);
    delete owner;
    EXPECT_EQ(Key(13), kResOk);
    EXPECT_EQ(prompt->IsShown(), 0u);
}

TEST_F(StringPromptTest, TheGlowRisesToEightyOverAButtonAndFallsSlowerWhenThePointerLeaves)
{
    Open();
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, u"Size")), kResOk);
    CWidget* ok = Button(CStringPrompt::kOkButton);
    PointAt(ok, {10, 10});
    ASSERT_EQ(backdrop->GetRolloverWidget(), ok);
    // One unit per 2.6 ms rising: 80 after 208 ms, eased on the way.
    RunFor(100);
    EXPECT_GT(Glow(root, 1)->GetOpacity(), 0u);
    EXPECT_LT(Glow(root, 1)->GetOpacity(), 80u);
    RunFor(120);
    EXPECT_EQ(Glow(root, 1)->GetOpacity(), 80u);
    EXPECT_EQ(Glow(root, 2)->GetOpacity(), 0u);
    PointAt(root, {5, 5});
    // Falling at 3.6 ms a unit: 288 ms.
    RunFor(240);
    EXPECT_GT(Glow(root, 1)->GetOpacity(), 0u);
    RunFor(60);
    EXPECT_EQ(Glow(root, 1)->GetOpacity(), 0u);
    // The cancel button lights the second glow.
    PointAt(Button(CStringPrompt::kCancelButton), {10, 10});
    RunFor(220);
    EXPECT_EQ(Glow(root, 2)->GetOpacity(), 80u);
    EXPECT_EQ(Glow(root, 1)->GetOpacity(), 0u);
    // A new show starts both glows from nothing, aiming at nothing.
    PointAt(Button(CStringPrompt::kOkButton), {10, 10});
    RunFor(100);
    ASSERT_GT(Glow(root, 1)->GetOpacity(), 0u);
    prompt->Hide(0, 0, 0, 0);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, u"Size")), kResOk);
    for (const auto& [button, glow] : {std::pair{CStringPrompt::kOkButton, 1}, std::pair{CStringPrompt::kCancelButton, 2}}) {
        EXPECT_EQ(Glow(root, glow)->GetOpacity(), 0u) << glow;
        auto* step = dynamic_cast<CTimeStep*>(Button(button)->GetUserObject(0));
        ASSERT_NE(step, nullptr);
        EXPECT_EQ(step->GetTarget(), 0.0f) << glow;
        EXPECT_EQ(step->GetValue(), 0.0f) << glow;
    }
}

TEST_F(StringPromptTest, EachGlowKeepsToTheCornerOfItsButton)
{
    Open();
    // The blend mode is the prompt's, whatever the layout says.
    dynamic_cast<CWidgetEffectGradient*>(Glow(root, 1))->SetBlendMode(0, 0);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, TextOfWidth(500).c_str())), kResOk);
    const tCRect ok = Button(CStringPrompt::kOkButton)->GetRect();
    const tCRect cancel = Button(CStringPrompt::kCancelButton)->GetRect();
    const int32_t width = root->GetWidth();
    const int32_t height = root->GetHeight();
    EXPECT_EQ(Glow(root, 1)->GetOpacity(), 0u);
    for (const tCPoint& p : {tCPoint{ok.left, ok.top}, tCPoint{width - 1, height - 1}, tCPoint{ok.left, height - 1}})
        EXPECT_FALSE(Excluded(root, 1, p)) << p.x << "," << p.y;
    for (const tCPoint& p : {tCPoint{ok.left - 1, ok.top}, tCPoint{width - 1, ok.top - 1}, tCPoint{0, 0}})
        EXPECT_TRUE(Excluded(root, 1, p)) << p.x << "," << p.y;
    for (const tCPoint& p : {tCPoint{0, cancel.top}, tCPoint{cancel.right - 1, height - 1}})
        EXPECT_FALSE(Excluded(root, 2, p)) << p.x << "," << p.y;
    for (const tCPoint& p : {tCPoint{cancel.right, cancel.top}, tCPoint{0, cancel.top - 1}})
        EXPECT_TRUE(Excluded(root, 2, p)) << p.x << "," << p.y;
    auto* gradient = dynamic_cast<CWidgetEffectGradient*>(Glow(root, 1));
    ASSERT_NE(gradient, nullptr);
    EXPECT_EQ(gradient->GetBlendMode(), 1);
    // A shorter title later moves the buttons; the clips follow them.
    prompt->Hide(0, 0, 0, 0);
    ASSERT_EQ(ShowNow(PromptSetup(-1, -1, -1, u"", 0, u"Size")), kResOk);
    const tCRect okNow = Button(CStringPrompt::kOkButton)->GetRect();
    EXPECT_FALSE(Excluded(root, 1, {okNow.left, okNow.top}));
    EXPECT_TRUE(Excluded(root, 1, {okNow.left - 1, okNow.top}));
}

}  // namespace
