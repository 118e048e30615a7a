#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/TextWidgetApp.h"

namespace {

const char* const kEditSource = R"(vers 2
bkdp 1 "main"
  colr #FF101010
  + tewg 10 "field"
    xpos 10
    ypos 10
    xsiz 160
    ysiz 24
    vsbl 1
    colr #FFFFFFFF
    fsiz 16
    text "abc def"
)";

// Keeps the messages the field sends its owner.
class Owner : public tCCmdTarget {
public:
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg, tMsgArg, uint32_t apply) override
    {
        heard.push_back(message);
        from = FromMsgArg<CWidget>(a);
        applied = apply;
        return kResOk;
    }
    std::vector<uint32_t> heard;
    CWidget* from = nullptr;
    uint32_t applied = 0;
};

class EditFieldTest : public TextWindowTest {
protected:
    void SetUp() override
    {
        TextWindowTest::SetUp();
        OpenWindow(kEditSource, 200, 60);
        field = static_cast<CTxEdWidget*>(backdrop->FindWidgetByName(u"field"));
        ASSERT_NE(field, nullptr);
        ASSERT_EQ(field->GetWidgetType(), CTxEdWidget::kType);
        field->SetFocus(1);
        Drain();
    }

    // The caret positions as the field's renderer measures its text.
    std::vector<int32_t> Positions() const
    {
        const tCArray<int32_t>& positions = field->GetCaretPositions();
        return std::vector<int32_t>(positions.GetData(), positions.GetData() + positions.GetCount());
    }

    void Select(int32_t anchor, int32_t caret)
    {
        ASSERT_EQ(field->SetCaretPos(anchor, 0, 0), kResOk);
        ASSERT_EQ(field->SetCaretPos(caret, 1, 0), kResOk);
    }

    // A click at x in the embedded text widget's coordinates, after the double-click interval.
    void ClickText(int32_t x)
    {
        w32::headless::AdvanceClock(300);
        Click(field, {field->GetTextWidget()->GetRect().left + x, 12});
    }

    tCString Clipboard()
    {
        tCString text;
        EXPECT_EQ(m_app->GetClipboardText(text), kResOk);
        return text;
    }

    CTxEdWidget* field = nullptr;
};

TEST_F(EditFieldTest, FocusSelectsAllAndTypingReplacesIt)
{
    EXPECT_EQ(field->GetText(), u"abc def");
    EXPECT_EQ(field->GetAnchor(), 0);
    EXPECT_EQ(field->GetCaret(), 7);
    Type(u"xy");
    EXPECT_EQ(field->GetText(), u"xy");
    EXPECT_EQ(field->GetCaret(), 2);
    EXPECT_EQ(field->GetAnchor(), 2);
    uint32_t colour = 0;
    EXPECT_EQ(*field->GetTextColour(&colour), 0xFF000000u) << "no txcl gives opaque black";
}

TEST_F(EditFieldTest, NumericModeTestsTheTextWithADigitAfterIt)
{
    field->SetNumericOnly(1, 0);
    EXPECT_EQ(field->SetText(u"", 1, 0), kResHandled) << "an empty text is no number";
    EXPECT_EQ(field->SetText(u"1.5", 1, 0), kResHandled);
    EXPECT_EQ(field->GetText(), u"abc def");
    ASSERT_EQ(field->SetText(u"12", 1, 0), kResOk);
    Type(u"-");
    EXPECT_EQ(field->GetText(), u"-") << "\"-0\" is an integer";
    Type(u".");
    EXPECT_EQ(field->GetText(), u"-");
    Type(u"4x");
    EXPECT_EQ(field->GetText(), u"-4");

    field->SetNumericOnly(1, 1);
    ASSERT_EQ(field->SetText(u"7", 1, 0), kResOk);
    Type(u".");
    EXPECT_EQ(field->GetText(), u".") << "\".0\" is a number";
    Type(u"5.");
    EXPECT_EQ(field->GetText(), u".5") << "a second point is refused";
    // The keypad's decimal key is the point, whatever character the layout gives it; a comma of
    // another key is none, and a text field takes the key's own character.
    const auto decimalKey = [](std::u16string_view typed) {
        w32::headless::PressKey(w32::VK_DECIMAL);
        Type(typed);
        w32::headless::ReleaseKey(w32::VK_DECIMAL);
        Drain();
    };
    ASSERT_EQ(field->SetText(u"7", 1, 0), kResOk);
    Type(u"-12");
    decimalKey(u",");
    Type(u"5,");
    EXPECT_EQ(field->GetText(), u"-12.5");
    field->SetNumericOnly(0, 0);
    decimalKey(u"\u066B");
    EXPECT_EQ(field->GetText(), u"-12.5\u066B");
    field->SetNumericOnly(1, 1);

    ASSERT_EQ(m_app->SetClipboardText(u"-"), kResOk);
    ASSERT_EQ(field->SetText(u"3", 1, 0), kResOk);
    WithKey(w32::VK_CONTROL, 'V');
    EXPECT_EQ(field->GetText(), u"-") << "a paste is tested as typing is";
    ASSERT_EQ(m_app->SetClipboardText(u"4a"), kResOk);
    WithKey(w32::VK_CONTROL, 'V');
    EXPECT_EQ(field->GetText(), u"-");
    // The text the paste makes is tested, not the pasted text alone.
    ASSERT_EQ(field->SetText(u"1600", 1, 0), kResOk);
    ASSERT_EQ(field->SetCaretPos(4, 0, 0), kResOk);
    ASSERT_EQ(m_app->SetClipboardText(u"-5"), kResOk);
    WithKey(w32::VK_CONTROL, 'V');
    EXPECT_EQ(field->GetText(), u"1600") << "\"1600-5\" is no number";
    WithKey(w32::VK_CONTROL, 'A');
    WithKey(w32::VK_CONTROL, 'V');
    EXPECT_EQ(field->GetText(), u"-5");
}

TEST_F(EditFieldTest, TheMaximumLengthRefusesTypingPastingAndTexts)
{
    field->SetMaximumLength(4);
    EXPECT_EQ(field->SetText(u"abcde", 1, 0), kResHandled);
    ASSERT_EQ(field->SetText(u"abcd", 1, 0), kResOk);
    ASSERT_EQ(field->SetCaretPos(4, 0, 0), kResOk);
    Type(u"e");
    EXPECT_EQ(field->GetText(), u"abcd");
    Select(1, 3);
    ASSERT_EQ(m_app->SetClipboardText(u"XYZ"), kResOk);
    WithKey(w32::VK_CONTROL, 'V');
    EXPECT_EQ(field->GetText(), u"abcd") << "4 - 2 + 3 is more than 4";
    ASSERT_EQ(m_app->SetClipboardText(u"XY"), kResOk);
    WithKey(w32::VK_CONTROL, 'V');
    EXPECT_EQ(field->GetText(), u"aXYd");
    EXPECT_EQ(field->GetCaret(), 3);
}

TEST_F(EditFieldTest, DeletingAtTheEndsChangesNothingAndASelectionGoesWhole)
{
    ASSERT_EQ(field->SetCaretPos(0, 0, 0), kResOk);
    Key(w32::VK_BACK);
    EXPECT_EQ(field->GetText(), u"abc def");
    ASSERT_EQ(field->SetCaretPos(7, 0, 0), kResOk);
    Key(w32::VK_DELETE);
    EXPECT_EQ(field->GetText(), u"abc def");
    Key(w32::VK_BACK);
    EXPECT_EQ(field->GetText(), u"abc de");
    ASSERT_EQ(field->SetCaretPos(1, 0, 0), kResOk);
    Key(w32::VK_DELETE);
    EXPECT_EQ(field->GetText(), u"ac de");
    EXPECT_EQ(field->GetCaret(), 1);

    Select(4, 1);
    Key(w32::VK_DELETE);
    EXPECT_EQ(field->GetText(), u"ae");
    EXPECT_EQ(field->GetCaret(), 1);
    Select(0, 1);
    Key(w32::VK_BACK);
    EXPECT_EQ(field->GetText(), u"e");
    EXPECT_EQ(field->GetCaret(), 0);
    EXPECT_EQ(field->GetAnchor(), 0);
}

TEST_F(EditFieldTest, CaretKeysMoveByCharactersAndToTheEnds)
{
    ASSERT_EQ(field->SetCaretPos(3, 0, 0), kResOk);
    Key(w32::VK_UP);
    EXPECT_EQ(field->GetCaret(), 2);
    Key(w32::VK_DOWN);
    Key(w32::VK_RIGHT);
    EXPECT_EQ(field->GetCaret(), 4);
    Key(w32::VK_PRIOR);
    EXPECT_EQ(field->GetCaret(), 0);
    Key(w32::VK_LEFT);
    EXPECT_EQ(field->GetCaret(), 0);
    Key(w32::VK_NEXT);
    EXPECT_EQ(field->GetCaret(), 7);
    Key(w32::VK_RIGHT);
    EXPECT_EQ(field->GetCaret(), 7);
    Key(w32::VK_HOME);
    EXPECT_EQ(field->GetCaret(), 0);
    Key(w32::VK_END);
    EXPECT_EQ(field->GetCaret(), 7);
    EXPECT_EQ(field->GetAnchor(), 7);
}

TEST_F(EditFieldTest, ShiftExtendsAndLeftWithASelectionJumpsToItsStart)
{
    ASSERT_EQ(field->SetCaretPos(2, 0, 0), kResOk);
    w32::headless::PressKey(w32::VK_SHIFT);
    Key(w32::VK_RIGHT);
    Key(w32::VK_RIGHT);
    w32::headless::ReleaseKey(w32::VK_SHIFT);
    EXPECT_EQ(field->GetAnchor(), 2);
    EXPECT_EQ(field->GetCaret(), 4);
    Key(w32::VK_LEFT);
    EXPECT_EQ(field->GetCaret(), 2) << "to the anchor";
    EXPECT_EQ(field->GetAnchor(), 2);

    Select(5, 3);
    Key(w32::VK_RIGHT);
    EXPECT_EQ(field->GetCaret(), 5) << "to the selection's right end";
    w32::headless::PressKey(w32::VK_SHIFT);
    Key(w32::VK_HOME);
    w32::headless::ReleaseKey(w32::VK_SHIFT);
    EXPECT_EQ(field->GetCaret(), 0);
    EXPECT_EQ(field->GetAnchor(), 5);
}

TEST_F(EditFieldTest, ControlArrowsMoveByWords)
{
    ASSERT_EQ(field->SetText(u"one  two three", 1, 0), kResOk);
    ASSERT_EQ(field->SetCaretPos(7, 0, 0), kResOk);
    WithKey(w32::VK_CONTROL, w32::VK_LEFT);
    EXPECT_EQ(field->GetCaret(), 5) << "inside a word: its start";
    WithKey(w32::VK_CONTROL, w32::VK_LEFT);
    EXPECT_EQ(field->GetCaret(), 0) << "after spaces: the previous word's start";
    WithKey(w32::VK_CONTROL, w32::VK_LEFT);
    EXPECT_EQ(field->GetCaret(), 0) << "at the start it stays";
    ASSERT_EQ(field->SetCaretPos(1, 0, 0), kResOk);
    WithKey(w32::VK_CONTROL, w32::VK_LEFT);
    EXPECT_EQ(field->GetCaret(), 0);
    WithKey(w32::VK_CONTROL, w32::VK_RIGHT);
    EXPECT_EQ(field->GetCaret(), 5);
    WithKey(w32::VK_CONTROL, w32::VK_RIGHT);
    EXPECT_EQ(field->GetCaret(), 9);
    WithKey(w32::VK_CONTROL, w32::VK_RIGHT);
    EXPECT_EQ(field->GetCaret(), 14);
}

TEST_F(EditFieldTest, SetCaretPosRefusesPositionsOutsideTheText)
{
    EXPECT_EQ(field->SetCaretPos(-1, 0, 0), kResHandled);
    EXPECT_EQ(field->SetCaretPos(8, 0, 0), kResHandled);
    EXPECT_EQ(field->SetCaretPos(7, 0, 0), kResOk);
    EXPECT_EQ(field->GetCaret(), 7);
}

TEST_F(EditFieldTest, AClickLandsBeforeACharacterInItsFirstSixtyPercent)
{
    ASSERT_EQ(field->SetText(u"WiW", 1, 0), kResOk);
    const std::vector<int32_t> p = Positions();
    ASSERT_EQ(p.size(), 4u);
    for (int32_t k = 0; k < 3; ++k) {
        const double width = p[size_t(k) + 1] - p[size_t(k)];
        // The first x from which the point lands after character k.
        const int32_t after = int32_t(std::ceil(p[size_t(k)] + 0.6 * width + 1e-9));
        if (after - 1 >= 1) {
            ClickText(after - 1);
            EXPECT_EQ(field->GetCaret(), k) << k;
        }
        ClickText(after);
        EXPECT_EQ(field->GetCaret(), k + 1) << k;
        EXPECT_EQ(field->GetAnchor(), field->GetCaret());
    }
    ClickText(p.back() + 20);
    EXPECT_EQ(field->GetCaret(), 3) << "right of the text: the end";
    ClickText(0);
    EXPECT_EQ(field->GetCaret(), 0);
}

TEST_F(EditFieldTest, DoubleAndTripleClicksSelectAWordAndEverything)
{
    const std::vector<int32_t> p = Positions();
    ClickText(p[1] + 1);
    const tCPoint at = {field->GetTextWidget()->GetRect().left + p[1] + 1, 12};
    Click(field, at);
    EXPECT_EQ(field->GetAnchor(), 0);
    EXPECT_EQ(field->GetCaret(), 3);
    Click(field, at);
    EXPECT_EQ(field->GetAnchor(), 0);
    EXPECT_EQ(field->GetCaret(), 7);

    // On the space itself: the space.
    ClickText(p[3] + 1);
    ASSERT_EQ(field->GetCaret(), 3);
    Click(field, {field->GetTextWidget()->GetRect().left + p[3] + 1, 12});
    EXPECT_EQ(field->GetAnchor(), 4);
    EXPECT_EQ(field->GetCaret(), 3);
    tCString selected;
    field->GetSelectedText(&selected, 0);
    EXPECT_EQ(selected, u" ");
}

TEST_F(EditFieldTest, TabPassesAndEnterAndEscapeGoToTheOwner)
{
    CWidget* takenBy = nullptr;
    ASSERT_EQ(field->OnKeyDown(&takenBy, 9), kResOk);
    EXPECT_EQ(takenBy, nullptr);

    Owner owner;
    field->SetNotifyTarget(&owner);
    Key(w32::VK_RETURN);
    Key(w32::VK_ESCAPE);
    EXPECT_EQ(owner.heard, (std::vector<uint32_t>{CTxEdWidget::kMsgEnter, CTxEdWidget::kMsgEscape}));
    EXPECT_EQ(owner.from, field);
    EXPECT_EQ(owner.applied, 1u);
    takenBy = nullptr;
    ASSERT_EQ(field->OnKeyDown(&takenBy, 13), kResOk);
    EXPECT_EQ(takenBy, field);

    // Not the focus: nothing.
    backdrop->SetFocus(1);
    takenBy = nullptr;
    ASSERT_EQ(field->OnKeyDown(&takenBy, 'a'), kResOk);
    EXPECT_EQ(takenBy, nullptr);
    EXPECT_EQ(field->GetText(), u"abc def");
}

TEST_F(EditFieldTest, ControlKeysCutCopyPasteAndSelectAll)
{
    ASSERT_EQ(field->SetCaretPos(0, 0, 0), kResOk);
    WithKey(w32::VK_CONTROL, 'A');
    EXPECT_EQ(field->GetCaret(), 7);
    EXPECT_EQ(field->GetAnchor(), 0);
    WithKey(w32::VK_CONTROL, 'C');
    EXPECT_EQ(Clipboard(), u"abc def");
    EXPECT_EQ(field->GetText(), u"abc def");
    Select(4, 7);
    WithKey(w32::VK_CONTROL, 'X');
    EXPECT_EQ(Clipboard(), u"def");
    EXPECT_EQ(field->GetText(), u"abc ");
    ASSERT_EQ(field->SetCaretPos(0, 0, 0), kResOk);
    WithKey(w32::VK_CONTROL, 'V');
    EXPECT_EQ(field->GetText(), u"defabc ");
    EXPECT_EQ(field->GetCaret(), 3);
    // Nothing selected: copy and cut leave the clipboard alone.
    ASSERT_EQ(m_app->SetClipboardText(u"kept"), kResOk);
    WithKey(w32::VK_CONTROL, 'C');
    WithKey(w32::VK_CONTROL, 'X');
    EXPECT_EQ(Clipboard(), u"kept");
    EXPECT_EQ(field->OnMessage(CTxEdWidget::kMsgPaste, 0, 0, 0, 1), kResOk);
    EXPECT_EQ(field->GetText(), u"defkeptabc ");
}

TEST_F(EditFieldTest, ASurrogatePairIsOneCharacter)
{
    ASSERT_EQ(field->SetText(u"ab", 1, 0), kResOk);
    ASSERT_EQ(field->SetCaretPos(1, 0, 0), kResOk);
    Type(u"\U0001F600");
    EXPECT_EQ(field->GetText(), u"a\U0001F600b");
    EXPECT_EQ(field->GetText().GetLength(), 4);
    EXPECT_EQ(field->GetCaret(), 3);
    Key(w32::VK_LEFT);
    EXPECT_EQ(field->GetCaret(), 1);
    Key(w32::VK_RIGHT);
    EXPECT_EQ(field->GetCaret(), 3);
    EXPECT_EQ(field->SetCaretPos(2, 0, 0), kResOk);
    EXPECT_EQ(field->GetCaret(), 1) << "never inside a pair";
    Key(w32::VK_DELETE);
    EXPECT_EQ(field->GetText(), u"ab");
    ASSERT_EQ(field->SetText(u"x\U0001F600", 1, 0), kResOk);
    Key(w32::VK_END);
    Key(w32::VK_BACK);
    EXPECT_EQ(field->GetText(), u"x");
}

TEST_F(EditFieldTest, ALongTextScrollsSoThatTheCaretStaysTwoPixelsInside)
{
    ASSERT_EQ(field->SetText(u"a rather long line of text that the field cannot show at once", 1, 0), kResOk);
    const std::vector<int32_t> p = Positions();
    ASSERT_GT(p.back(), 200);
    Key(w32::VK_END);
    const int32_t left = field->GetTextWidget()->GetRect().left;
    EXPECT_EQ(left + p.back(), field->GetWidth() - 2);
    Key(w32::VK_HOME);
    EXPECT_EQ(field->GetTextWidget()->GetRect().left, 2);
    ASSERT_EQ(field->SetCaretPos(30, 0, 0), kResOk);
    const int32_t middle = field->GetTextWidget()->GetRect().left;
    EXPECT_GE(middle + p[30], 2);
    EXPECT_LE(middle + p[31], field->GetWidth() - 2);
}

TEST_F(EditFieldTest, TheCaretIsDrawnInvertedTwoPixelsWideOverTheTextBand)
{
    ASSERT_EQ(field->SetCaretPos(0, 0, 0), kResOk);
    ASSERT_EQ(field->RefreshCaret(1), kResOk);
    ASSERT_EQ(backdrop->PresentDirtyRects(), kResOk);
    int32_t width = 0, height = 0;
    std::vector<uint32_t> screen = w32::headless::ReadWindowPixels(GetMainWindow()->GetHandle(), &width, &height);
    ASSERT_EQ(width, 200);
    const tCRect caret = field->GetCaretRect();
    EXPECT_EQ(caret.Width(), 2);
    const float line = field->GetTextWidget()->GetLineHeight();
    EXPECT_EQ(caret.top, int32_t(std::nearbyint((24 - line) * 0.5f)));
    EXPECT_EQ(caret.bottom, int32_t(std::nearbyint((24 + line) * 0.5f)));
    const auto at = [&](int32_t x, int32_t y) { return screen[size_t((y + 10) * width + x + 10)]; };
    // White inverted is black; beside the caret the field stays white.
    EXPECT_EQ(at(caret.left, caret.top), 0xFF000000u);
    EXPECT_EQ(at(caret.left + 1, caret.bottom - 1), 0xFF000000u);
    EXPECT_EQ(at(caret.left, caret.top - 1), 0xFFFFFFFFu);
    EXPECT_EQ(at(caret.left, caret.bottom), 0xFFFFFFFFu);
    EXPECT_EQ(at(caret.right, caret.top), 0xFFFFFFFFu);
    // Inside the text the caret's left edge is a pixel before the boundary.
    ASSERT_EQ(field->SetCaretPos(3, 0, 0), kResOk);
    EXPECT_EQ(field->GetCaretRect().left, field->GetTextWidget()->GetRect().left + Positions()[3] - 1);
    // A paste draws no caret where the caret's new index stood in the old text.
    const int32_t stale = field->GetTextWidget()->GetRect().left + Positions()[6] - 1;
    ASSERT_EQ(m_app->SetClipboardText(u"XYZ"), kResOk);
    WithKey(w32::VK_CONTROL, 'V');
    screen = w32::headless::ReadWindowPixels(GetMainWindow()->GetHandle(), &width, &height);
    EXPECT_EQ(at(stale, caret.top), 0xFFFFFFFFu);
    ASSERT_EQ(field->SetCaretPos(0, 0, 0), kResOk);

    ASSERT_EQ(field->SelectAll(1), kResOk);
    screen = w32::headless::ReadWindowPixels(GetMainWindow()->GetHandle(), &width, &height);
    const tCRect selection = field->GetSelectionRect();
    EXPECT_EQ(selection.left, field->GetTextWidget()->GetRect().left);
    EXPECT_EQ(selection.Width(), Positions().back());
    EXPECT_EQ(at(selection.left, selection.top), 0xFF000000u);
}

TEST_F(EditFieldTest, TheCaretBlinksWhileTheFieldHasTheFocus)
{
    EXPECT_EQ(field->GetBlinkPeriod(), 500);
    ASSERT_EQ(field->RefreshCaret(1), kResOk);
    w32::headless::AdvanceClock(100);
    ASSERT_EQ(field->OnHeartbeat(), kResOk);
    EXPECT_EQ(field->GetBlinkPhase(), 0);
    w32::headless::AdvanceClock(200);
    ASSERT_EQ(field->OnHeartbeat(), kResOk);
    EXPECT_NE(field->GetBlinkPhase(), 0);
    field->SetBlinkPeriod(1000);
    EXPECT_EQ(field->GetBlinkPeriod(), 1000);
    ASSERT_EQ(field->OnHeartbeat(), kResOk);
    EXPECT_EQ(field->GetBlinkPhase(), 0) << "300 ms of 1000 is still the first half";

    // Losing the focus collapses the selection and hides the caret.
    ASSERT_EQ(field->SelectAll(0), kResOk);
    backdrop->SetFocus(1);
    Drain();
    EXPECT_EQ(field->GetAnchor(), field->GetCaret());
    EXPECT_EQ(field->GetBlinkPhase(), 1);
}

TEST_F(EditFieldTest, TheTextColourComesFromTheBlock)
{
    tCStream* file = Layouts(R"(vers 2
tewg 11 "red"
  xsiz 80
  ysiz 20
  txcl #FFFF0000
  text "Red"
)");
    std::unique_ptr<CTxEdWidget> red(CTxEdWidget::NewFromResourceName(u"red", file, nullptr));
    ASSERT_NE(red, nullptr);
    uint32_t colour = 0;
    EXPECT_EQ(*red->GetTextColour(&colour), 0xFFFF0000u);
    EXPECT_EQ(red->GetText(), u"Red");

    auto cut = CompiledFile::FromBytes(handmade::Widget("tewg", 11, u"red", handmade::Tag("txcl") + "\1\2"));
    CTxEdWidget broken;
    EXPECT_NE(broken.LoadFromResourceName(u"red", cut.get(), nullptr), kResOk);
    EXPECT_EQ(Boxes().at(0), BoxText(kResResourceRead, "TxEdWidget txcl."));
}

TEST_F(EditFieldTest, DraggingExtendsTheSelectionAndEndsWhenTheFieldLeavesTheTree)
{
    const std::vector<int32_t> p = Positions();
    const int32_t left = field->GetTextWidget()->GetRect().left;
    int ticks = 0;
    m_app->tick = [&] {
        ++ticks;
        if (ticks == 2) {
            const tCPoint to = OnScreen(field, {left + p[5] + 1, 12});
            w32::headless::MoveMouse(to.x, to.y);
        } else if (ticks == 6) {
            w32::headless::ReleaseButton(w32::VK_LBUTTON);
        }
        return kResOk;
    };
    RunClock();
    w32::headless::AdvanceClock(300);
    const tCPoint from = OnScreen(field, {left + p[1] + 1, 12});
    w32::headless::MoveMouse(from.x, from.y);
    w32::headless::PressButton(w32::VK_LBUTTON);
    Drain();
    StopClock();
    EXPECT_EQ(field->GetAnchor(), 1);
    EXPECT_EQ(field->GetCaret(), 5);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    Drain();

    // The field is taken out of the tree while the button stays down.
    ticks = 0;
    m_app->tick = [&] {
        if (++ticks == 2) {
            EXPECT_EQ(backdrop->RemoveChild(field, 0), kResOk);
        }
        if (ticks == 500)
            w32::headless::ReleaseButton(w32::VK_LBUTTON);
        return kResOk;
    };
    RunClock();
    w32::headless::AdvanceClock(300);
    w32::headless::PressButton(w32::VK_LBUTTON);
    Drain();
    StopClock();
    EXPECT_LT(ticks, 500) << "the loop ended with the field gone";
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    w32::headless::ReleaseButton(w32::VK_LBUTTON);
    Drain();
    delete field;
}

TEST_F(EditFieldTest, OnlyItsOwnFocusLossCollapsesTheSelectionAndTheScreenShowsIt)
{
    ASSERT_EQ(field->SelectAll(1), kResOk);
    ASSERT_EQ(backdrop->PresentDirtyRects(), kResOk);
    const tCRect selection = field->GetSelectionRect();
    const auto pixel = [&](int32_t x, int32_t y) {
        int32_t width = 0, height = 0;
        const std::vector<uint32_t> screen =
            w32::headless::ReadWindowPixels(GetMainWindow()->GetHandle(), &width, &height);
        return screen[size_t((y + 10) * width + x + 10)];
    };
    EXPECT_EQ(pixel(selection.left, selection.top), 0xFF000000u) << "selected: inverted";
    EXPECT_EQ(field->BroadcastMessage(CBackdrop::kMsgFocusPrevious, ToMsgArg(backdrop), 0), kResOk);
    EXPECT_EQ(field->BroadcastMessage(0xF0000002, ToMsgArg(field), 0), kResOk);
    EXPECT_EQ(field->GetAnchor(), 0) << "another widget's focus loss or another message leaves it";
    EXPECT_EQ(field->GetCaret(), 7);

    backdrop->SetFocus(1);
    Drain();
    EXPECT_EQ(field->GetAnchor(), field->GetCaret());
    EXPECT_EQ(pixel(selection.left, selection.top), 0xFFFFFFFFu) << "the field shows plain again at once";
}

TEST_F(EditFieldTest, ControlLettersSelectAllEvenWhenControlWasLetGo)
{
    ASSERT_EQ(field->SetCaretPos(2, 0, 0), kResOk);
    CWidget* takenBy = nullptr;
    ASSERT_EQ(field->OnKeyDown(&takenBy, 1), kResOk);
    EXPECT_EQ(takenBy, field);
    EXPECT_EQ(field->GetAnchor(), 0);
    EXPECT_EQ(field->GetCaret(), 7);
    // The special keys -65536 to -1 are never typed.
    takenBy = nullptr;
    ASSERT_EQ(field->OnKeyDown(&takenBy, 0xFFFF0000u), kResOk);
    EXPECT_EQ(takenBy, nullptr);
    ASSERT_EQ(field->OnKeyDown(&takenBy, 0xFFFEFFFFu), kResOk);
    EXPECT_EQ(field->GetText().GetLength(), 1) << "the unit below them is typed";
}

TEST_F(EditFieldTest, EnterGoesToTheApplicationWithoutANotifyTarget)
{
    Owner listener;
    struct Heard : tCCmdTarget {
        tResult OnNotify(uint32_t message, tMsgArg a, tMsgArg) override
        {
            if (message == CTxEdWidget::kMsgEnter || message == CTxEdWidget::kMsgEscape)
                heard.emplace_back(message, FromMsgArg<CWidget>(a));
            return kResOk;
        }
        std::vector<std::pair<uint32_t, CWidget*>> heard;
    } application;
    ASSERT_EQ(m_app->AddListener(&application), kResOk);
    Key(w32::VK_ESCAPE);
    Key(w32::VK_RETURN);
    m_app->RemoveListener(&application);
    EXPECT_EQ(application.heard, (std::vector<std::pair<uint32_t, CWidget*>>{{CTxEdWidget::kMsgEscape, field},
                                                                             {CTxEdWidget::kMsgEnter, field}}));
    EXPECT_TRUE(listener.heard.empty());
}

TEST_F(EditFieldTest, SelectionHelpers)
{
    tCString text;
    field->GetSelectedText(&text, 0);
    EXPECT_EQ(text, u"abc def");
    ASSERT_EQ(field->SetCaretPos(3, 0, 0), kResOk);
    field->GetSelectedText(&text, 0);
    EXPECT_EQ(text, u"");
    field->GetSelectedText(&text, 1);
    EXPECT_EQ(text, u"abc def");
    ASSERT_EQ(field->DeleteSelection(0, 0), kResOk);
    EXPECT_EQ(field->GetText(), u"abc def");
    const tCString inserted(u"XY");
    ASSERT_EQ(field->InsertText(&inserted, 0), kResOk);
    EXPECT_EQ(field->GetText(), u"abcXY def");
    EXPECT_EQ(field->GetCaret(), 5);
    Select(1, 4);
    ASSERT_EQ(field->InsertText(nullptr, 0), kResOk);
    EXPECT_EQ(field->GetText(), u"aY def");
    EXPECT_EQ(field->GetCaret(), 1);
    ASSERT_EQ(field->DeleteSelection(1, 0), kResOk);
    EXPECT_EQ(field->GetText(), u"");
    EXPECT_EQ(field->GetCaret(), 0);
    EXPECT_EQ(field->GetCaretPositions().GetCount(), 0);
    // An empty clipboard pastes nothing.
    ASSERT_EQ(m_app->SetClipboardText(u""), kResOk);
    EXPECT_EQ(field->Paste(), kResOk);
    EXPECT_EQ(field->GetText(), u"");
}

TEST_F(EditFieldTest, ATextWiderThanTheFieldKeepsTheNextBoundaryInsideAndComesBack)
{
    ASSERT_EQ(field->SetText(u"a rather long line of text that the field cannot show at once", 1, 0), kResOk);
    const std::vector<int32_t> p = Positions();
    const int32_t last = int32_t(p.size()) - 1;
    Key(w32::VK_HOME);
    ASSERT_EQ(field->SetCaretPos(last - 1, 0, 0), kResOk);
    EXPECT_EQ(field->GetTextWidget()->GetRect().left + p[size_t(last)], field->GetWidth() - 2)
        << "the character after the caret shows whole";
    // Scrolled to the end, a shorter text that still overflows keeps its right edge on the field's.
    Key(w32::VK_END);
    ASSERT_EQ(field->SetCaretPos(last - 1, 0, 0), kResOk);
    ASSERT_EQ(field->SetCaretPos(0, 0, 0), kResOk);
    EXPECT_EQ(field->GetTextWidget()->GetRect().left, 2);
    ASSERT_EQ(field->SetText(u"short", 1, 0), kResOk);
    EXPECT_EQ(field->GetTextWidget()->GetRect().left, 2) << "a text that fits stands at the left";
}

TEST_F(EditFieldTest, AWideTextAtTheLeftEdgeStaysWhileTheCaretShows)
{
    ASSERT_EQ(field->SetText(u"a rather long line of text that the field cannot show at once", 1, 0), kResOk);
    ASSERT_EQ(field->SetJustification(0, 1, 0), kResOk);
    ASSERT_EQ(field->GetTextWidget()->GetRect().left, 0);
    ASSERT_EQ(field->SetCaretPos(3, 0, 0), kResOk);
    EXPECT_EQ(field->GetTextWidget()->GetRect().left, 0);
}

TEST_F(EditFieldTest, JustificationAnchorsTheTextThatFits)
{
    ASSERT_EQ(field->SetJustification(1, 1, 1), kResOk);
    EXPECT_EQ(field->GetJustification(), 1);
    EXPECT_EQ(field->GetTextWidget()->GetRect().right, field->GetWidth());
    EXPECT_EQ(field->GetTextWidget()->GetJustification(), 0) << "the text keeps its own";
    ASSERT_EQ(field->SetJustification(2, 1, 1), kResOk);
    const tCRect centred = field->GetTextWidget()->GetRect();
    EXPECT_EQ(centred.left, int32_t(std::nearbyint((field->GetWidth() - centred.Width()) * 0.5)));
    ASSERT_EQ(field->SetJustification(0, 1, 1), kResOk);
    EXPECT_EQ(field->GetTextWidget()->GetRect().left, 0);
}

TEST_F(EditFieldTest, TypingOverASelectionCountsWhatItReplaces)
{
    field->SetMaximumLength(4);
    ASSERT_EQ(field->SetText(u"abcd", 1, 0), kResOk);
    Select(1, 3);
    Type(u"~");
    EXPECT_EQ(field->GetText(), u"a~d") << "4 - 2 + 1 is within 4; '~' is the last plain character";
    Type(u"xy");
    EXPECT_EQ(field->GetText(), u"a~xd") << "the second character would make 5";

    CTxEdWidget fresh;
    tCString built;
    fresh.BuildTextWithChar(u'q', &built, 1);
    EXPECT_EQ(built, u"q") << "without a text, the character alone";
    EXPECT_EQ(fresh.GetCaret(), 1);
}

TEST_F(EditFieldTest, ANewTextShowsFromItsStartAndDropsTheRightAnchoring)
{
    const tCString wide(u"a rather long line of text that the field cannot show at once");
    ASSERT_EQ(field->SetJustification(1, 1, 0), kResOk);
    ASSERT_EQ(field->SetText(wide, 1, 0), kResOk);
    const std::vector<int32_t> p = Positions();
    Key(w32::VK_END);
    EXPECT_EQ(field->GetTextWidget()->GetRect().left + p.back(), field->GetWidth() - 2);
    EXPECT_EQ(field->GetTextWidget()->GetLayout()->xFromRight, 0u) << "scrolling places the text from the left";
    ASSERT_EQ(field->SetText(tCString(u"another ").Concat(wide), 1, 0), kResOk);
    EXPECT_EQ(field->GetTextWidget()->GetRect().left, 2) << "the start shows";
}

}  // namespace
