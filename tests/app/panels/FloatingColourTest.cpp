#include <gtest/gtest.h>

#include "app/panels/CKS2FloatingColour.h"
#include "app/panels/ColourTestSupport.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidgetEffectBase.h"

namespace {

class FloatingColourTest : public ColourPaneTest {
protected:
    void Open()
    {
        StartColour();
        pane = new CKS2FloatingColour;
        ASSERT_EQ(pane->Create(nullptr, nullptr), kResOk);
        root = pane->GetRoot();
        root->SetPosition(100, 80, 0);
        comparison = root->FindWidgetById(CKS2FloatingColour::kComparison);
        spectrum = dynamic_cast<CImWidget*>(root->FindWidgetById(CKS2FloatingColour::kAreaFirst));
        ASSERT_TRUE(comparison && spectrum);
    }
    void TearDown() override
    {
        delete pane;
        ColourPaneTest::TearDown();
    }
    void ShowWith(uint32_t colour)
    {
        owner.heard.clear();
        ASSERT_EQ(pane->Show(1, 1, colour, 0, &owner), kResOk);
        ASSERT_EQ(pane->IsShown(), 1u);
    }
    // Runs the opening drag: the button is down at `start` (screen) and the pointer passes
    // through `moves`, one a heartbeat, before the button goes up.
    tResult Track(tCPoint start, const std::vector<tCPoint>& moves)
    {
        w32::headless::MoveMouse(start.x, start.y);
        Tick(1);
        size_t next = 0;
        w32::headless::SetKeyState(w32::VK_LBUTTON, true);
        script = [&] {
            w32::headless::AdvanceClock(1);
            if (next < moves.size()) {
                w32::headless::MoveMouse(moves[next].x, moves[next].y);
                ++next;
            } else {
                w32::headless::SetKeyState(w32::VK_LBUTTON, false);
            }
            return kResOk;
        };
        const tResult answer = pane->TrackColourDrag();
        script = nullptr;
        w32::headless::SetKeyState(w32::VK_LBUTTON, false);
        return answer;
    }
    std::vector<uint32_t> Sent() const
    {
        std::vector<uint32_t> sent;
        for (const tHeard& heard : owner.heard)
            if (heard.message == CKS2FloatingColour::kMsgColourChosen) {
                EXPECT_EQ(heard.a, ToMsgArg(pane));
                EXPECT_EQ(heard.c, 0u);
                sent.push_back(uint32_t(heard.b));
            }
        return sent;
    }
    uint32_t SpectrumPixel(tCPoint local)
    {
        CImNav view(spectrum->GetImage());
        return view.Pixels(local.y)[local.x];
    }
    float GlowOpacity(int32_t effect)
    {
        return float(dynamic_cast<CWidgetEffectBase*>(comparison->GetFrontEffect(effect))->GetOpacity());
    }

    CKS2FloatingColour* pane = nullptr;
    CWidget* root = nullptr;
    CWidget* comparison = nullptr;
    CImWidget* spectrum = nullptr;
    RecordingTarget owner;
};

TEST_F(FloatingColourTest, APressWithoutADragLeavesItOpenAndEscapeGivesBackTheStart)
{
    Open();
    ShowWith(0xFF112233);
    const tCPoint at = ScreenOf(spectrum, {50, 30});
    ASSERT_EQ(Track(at, {{at.x + 6, at.y - 10}, {at.x + 10, at.y}}), kResOk);
    EXPECT_EQ(pane->IsShown(), 1u);
    EXPECT_EQ(pane->IsOpenedByClick(), 1u);
    EXPECT_EQ(comparison->IsVisible(), 1u);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(Key(27), kResOk);
    EXPECT_EQ(Sent(), std::vector<uint32_t>{0xFF112233});
    RunFor(400);
    EXPECT_EQ(pane->IsShown(), 0u);
    EXPECT_EQ(comparison->IsVisible(), 0u);
    EXPECT_EQ(pane->IsOpenedByClick(), 0u);
}

TEST_F(FloatingColourTest, DraggingAcrossAreasSendsTheirPixelsAndTheStartElsewhere)
{
    Open();
    ShowWith(0xFF445566);
    const tCPoint at = ScreenOf(spectrum, {20, 10});
    const tCPoint over = ScreenOf(spectrum, {150, 40});
    const tCPoint outside = ScreenOf(root, {-60, 50});
    ASSERT_EQ(Track(at, {over, outside, over, {over.x + 1, over.y}}), kResOk);
    const std::vector<uint32_t> sent = Sent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0], SpectrumPixel({150, 40}) | 0xFF000000u);
    EXPECT_EQ(sent[1], 0xFF445566u);
    EXPECT_EQ(sent[2], sent[0]);
    EXPECT_EQ(sent[3], SpectrumPixel({151, 40}) | 0xFF000000u);
    // Released after a drag: closed, and the owner keeps the last colour.
    EXPECT_EQ(pane->IsShown(), 0u);
    RunFor(400);
    EXPECT_EQ(Sent().size(), 4u);
    EXPECT_EQ(pane->GetCurrentColour(), sent[3]);
}

TEST_F(FloatingColourTest, KeysAcceptOrCancelInEitherCase)
{
    Open();
    for (uint32_t key : {uint32_t('y'), uint32_t('Y'), 13u, uint32_t('o')}) {
        ShowWith(0xFF000001);
        EXPECT_EQ(Key(key), kResOk);
        RunFor(400);
        EXPECT_EQ(pane->IsShown(), 0u) << key;
        EXPECT_TRUE(Sent().empty()) << key;
    }
    for (uint32_t key : {uint32_t('n'), uint32_t('N'), uint32_t('c')}) {
        ShowWith(0xFF000002);
        EXPECT_EQ(Key(key), kResOk);
        RunFor(400);
        EXPECT_EQ(pane->IsShown(), 0u) << key;
        EXPECT_EQ(Sent(), std::vector<uint32_t>{0xFF000002}) << key;
    }
    ShowWith(0xFF000003);
    EXPECT_EQ(Key('x'), kResOk);
    EXPECT_EQ(pane->IsShown(), 1u);
}

TEST_F(FloatingColourTest, TheOpenDialogTakesAreasByPressing)
{
    Open();
    ShowWith(0xFF010101);
    const tCPoint at = ScreenOf(spectrum, {30, 30});
    ASSERT_EQ(Track(at, {}), kResOk);
    ASSERT_EQ(pane->IsShown(), 1u);
    // A chip gives its colour, the spectrum its pixel.
    CWidget* chip = root->FindWidgetById(CKS2FloatingColour::kAreaFirst + 3);
    ASSERT_EQ(ClickOn(chip), kResOk);
    EXPECT_EQ(Sent().at(0), 0xFFF4EEDCu);
    owner.heard.clear();
    ASSERT_EQ(PressAndMove(spectrum, {120, 20}, {}), kResOk);
    EXPECT_EQ(Sent().at(0), SpectrumPixel({120, 20}) | 0xFF000000u);
    // Accepting through the comparison bar's right half sends nothing more.
    owner.heard.clear();
    PointAt(comparison, {comparison->GetWidth() - 40, comparison->GetHeight() / 2});
    ASSERT_EQ(Click(comparison, ScreenOf(comparison, {comparison->GetWidth() - 40, comparison->GetHeight() / 2})),
              kResOk);
    EXPECT_EQ(pane->IsShown(), 0u);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(FloatingColourTest, TheComparisonLightsTheHalfUnderThePointer)
{
    Open();
    ShowWith(0xFF010101);
    ASSERT_EQ(Track(ScreenOf(spectrum, {30, 30}), {}), kResOk);
    PointAt(comparison, {comparison->GetWidth() - 30, 45});
    RunFor(60);
    EXPECT_GT(GlowOpacity(1), 20.0f);
    EXPECT_EQ(GlowOpacity(2), 0.0f);
    RunFor(200);
    EXPECT_EQ(GlowOpacity(1), 80.0f);
    PointAt(comparison, {30, 45});
    RunFor(400);
    EXPECT_EQ(GlowOpacity(1), 0.0f);
    EXPECT_EQ(GlowOpacity(2), 80.0f);
    // A release over the left half cancels.
    owner.heard.clear();
    ASSERT_EQ(Click(comparison, ScreenOf(comparison, {30, 45})), kResOk);
    EXPECT_EQ(Sent(), std::vector<uint32_t>{0xFF010101});
}

TEST_F(FloatingColourTest, ChoicesFromTheHandOffReachTheOwner)
{
    Open();
    ShowWith(0xFF010101);
    EXPECT_EQ(pane->OnMessage(CKS2FloatingColour::kMsgColourChosen, 9, 0xFF0A0B0C, 0, kMsgApply), kResOk);
    ASSERT_EQ(owner.heard.size(), 1u);
    EXPECT_EQ(owner.heard[0].b, 0xFF0A0B0Cu);
    EXPECT_EQ(pane->GetCurrentColour(), 0xFF0A0B0Cu);
}

TEST_F(FloatingColourTest, WithoutAnOwnerNothingIsSent)
{
    Open();
    ASSERT_EQ(pane->Show(1, 1, 0xFF222222, 0, nullptr), kResOk);
    const tCPoint at = ScreenOf(spectrum, {20, 10});
    ASSERT_EQ(Track(at, {ScreenOf(spectrum, {150, 40})}), kResOk);
    EXPECT_EQ(pane->GetCurrentColour(), SpectrumPixel({150, 40}) | 0xFF000000u);
    EXPECT_TRUE(owner.heard.empty());
}

}  // namespace
