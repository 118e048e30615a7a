#include <gtest/gtest.h>

#include <string>

#include "app/panels/CSavePrompt.h"
#include "app/panels/PromptTestSupport.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"

namespace {

// Counts the hook that a hide without a transition calls after the answer.
class CountingSavePrompt : public CSavePrompt {
public:
    tResult OnHidden() override
    {
        ++hidden;
        return CSavePrompt::OnHidden();
    }
    int hidden = 0;
};

class SavePromptTest : public PromptTest {
protected:
    void Open()
    {
        Start();
        prompt = new CountingSavePrompt;
        ASSERT_EQ(prompt->Create(nullptr, nullptr), kResOk);
        root = prompt->GetRoot();
    }
    void TearDown() override
    {
        delete prompt;
        PromptTest::TearDown();
    }
    void ShowWith(int32_t context)
    {
        backdropTarget.heard.clear();
        ASSERT_EQ(prompt->Show(0, 1, tMsgArg(intptr_t(context)), 0, nullptr), kResOk);
        ASSERT_EQ(prompt->IsShown(), 1u);
    }
    // The answers the backdrop was sent, without the sounds.
    std::vector<tHeard> Answers() const
    {
        std::vector<tHeard> answers;
        for (const tHeard& heard : backdropTarget.heard)
            if (heard.message != CHMRSound::kMsgPlaySound)
                answers.push_back(heard);
        return answers;
    }
    CWidget* Button(uint32_t id) { return root->FindWidgetById(id); }

    CountingSavePrompt* prompt = nullptr;
    CWidget* root = nullptr;
};

TEST_F(SavePromptTest, KeysAnswerSaveDoNotSaveAndCancel)
{
    Open();
    struct Case {
        uint32_t key;
        uint32_t answer;
        bool transition;
    };
    for (const Case& c : {Case{13, kMsgSaveFirst, false}, Case{'y', kMsgSaveFirst, false}, Case{'Y', kMsgSaveFirst, false},
                          Case{'n', kMsgDoNotSave, false}, Case{'N', kMsgDoNotSave, false},
                          Case{27, kMsgCancelSave, true}}) {
        ShowWith(2);
        EXPECT_EQ(Key(c.key), kResOk);
        const std::vector<tHeard> answers = Answers();
        ASSERT_EQ(answers.size(), 1u) << c.key;
        EXPECT_EQ(answers[0].message, c.answer) << c.key;
        EXPECT_EQ(answers[0].a, ToMsgArg(prompt));
        EXPECT_EQ(answers[0].b, 2u);
        EXPECT_EQ(answers[0].c, 0u);
        EXPECT_EQ(prompt->GetTransition() != nullptr, c.transition) << c.key;
        EXPECT_EQ(prompt->IsShown(), 0u);
        RunFor(300);
        EXPECT_EQ(prompt->GetTransition(), nullptr);
    }
    ShowWith(0);
    EXPECT_EQ(Key('x'), kResOk);
    EXPECT_EQ(prompt->IsShown(), 1u);
    EXPECT_TRUE(Answers().empty());
}

TEST_F(SavePromptTest, TheContextComesBackWithItsSignExtensionAfterTheSound)
{
    Open();
    ShowWith(-1);
    EXPECT_EQ(Sounds(), std::vector<tMsgArg>{2});
    Key('n');
    ASSERT_EQ(backdropTarget.heard.size(), 3u);
    EXPECT_EQ(backdropTarget.heard[1].message, CHMRSound::kMsgPlaySound);
    EXPECT_EQ(backdropTarget.heard[1].b, 3u);
    EXPECT_EQ(backdropTarget.heard[2].message, kMsgDoNotSave);
    EXPECT_EQ(int32_t(backdropTarget.heard[2].b), -1);
    EXPECT_EQ(backdropTarget.heard[2].c, ~tMsgArg(0));
    EXPECT_EQ(prompt->GetContext(), -1);
    for (int32_t context : {0, 3}) {
        ShowWith(context);
        Key('y');
        EXPECT_EQ(Answers().at(0).b, tMsgArg(context));
        EXPECT_EQ(Answers().at(0).c, 0u) << context;
    }
}

TEST_F(SavePromptTest, TheBackdropsAnswerDecidesWhetherTheHideGoesOn)
{
    Open();
    // Answered with 0: the prompt took care of it, and a hide at once calls no OnHidden.
    ShowWith(0);
    EXPECT_EQ(prompt->Hide(0, 1, CSavePrompt::kSaveButton, 0), kResOk);
    EXPECT_EQ(prompt->hidden, 0);
    EXPECT_EQ(prompt->OnDismissed(CSavePrompt::kSaveButton, 0), CKS2Pane::kDismissHandled);
    backdropTarget.answer = kResFileIO;
    EXPECT_EQ(prompt->OnDismissed(CSavePrompt::kSaveButton, 0), kResFileIO);
    ShowWith(0);
    EXPECT_EQ(prompt->Hide(0, 1, CSavePrompt::kSaveButton, 0), kResFileIO);
}

TEST_F(SavePromptTest, AnyOtherHideCancels)
{
    Open();
    const tMsgArg results[][2] = {{0, 0},
                                  {CSavePrompt::kSaveButton, 1},
                                  {4242, 0},
                                  {tMsgArg(CSavePrompt::kDoNotSaveButton) + (tMsgArg(1) << 32), 0}};
    for (const auto& [result, flag] : results) {
        ShowWith(1);
        prompt->Hide(0, 1, result, flag);
        ASSERT_EQ(Answers().size(), 1u) << result;
        EXPECT_EQ(Answers()[0].message, kMsgCancelSave) << result;
    }
}

TEST_F(SavePromptTest, ButtonsAnswerWhenReleasedOverThemAndCancelHidesThroughATransition)
{
    Open();
    ShowWith(2);
    CWidget* save = Button(CSavePrompt::kSaveButton);
    Click(save, ScreenOf(save, {-40, -40}));
    EXPECT_EQ(prompt->IsShown(), 1u);
    EXPECT_TRUE(Answers().empty());
    ClickOn(save);
    EXPECT_EQ(prompt->IsShown(), 0u);
    EXPECT_EQ(prompt->GetTransition(), nullptr);
    ASSERT_EQ(Answers().size(), 1u);
    EXPECT_EQ(Answers()[0].message, kMsgSaveFirst);
    EXPECT_EQ(Sounds(), (std::vector<tMsgArg>{2, 0, 3}));

    ShowWith(2);
    ClickOn(Button(CSavePrompt::kDoNotSaveButton));
    EXPECT_EQ(Answers().at(0).message, kMsgDoNotSave);
    EXPECT_EQ(prompt->GetTransition(), nullptr);

    ShowWith(2);
    ClickOn(Button(CSavePrompt::kCancelButton));
    EXPECT_EQ(Answers().at(0).message, kMsgCancelSave);
    EXPECT_NE(prompt->GetTransition(), nullptr);
    RunFor(300);
}

TEST_F(SavePromptTest, EachGlowIsClippedToItsButtonsCellOfTheBottomRow)
{
    Open();
    const int32_t width = root->GetWidth();
    const int32_t height = root->GetHeight();
    const int32_t w = Button(CSavePrompt::kSaveButton)->GetWidth();
    const int32_t top = height - Button(CSavePrompt::kSaveButton)->GetHeight();
    struct Cell {
        int32_t effect;
        int32_t left;
        int32_t right;
    };
    for (const Cell& cell : {Cell{1, 0, w}, Cell{2, w, width - w}, Cell{3, width - w, width}}) {
        auto* gradient = dynamic_cast<CWidgetEffectGradient*>(Glow(root, cell.effect));
        ASSERT_NE(gradient, nullptr);
        EXPECT_EQ(gradient->GetBlendMode(), 1);
        EXPECT_FALSE(Excluded(root, cell.effect, {cell.left, top})) << cell.effect;
        EXPECT_FALSE(Excluded(root, cell.effect, {cell.right - 1, height - 1})) << cell.effect;
        EXPECT_TRUE(Excluded(root, cell.effect, {cell.left, top - 1})) << cell.effect;
        if (cell.right < width) {
            EXPECT_TRUE(Excluded(root, cell.effect, {cell.right, top})) << cell.effect;
        }
        if (cell.left > 0) {
            EXPECT_TRUE(Excluded(root, cell.effect, {cell.left - 1, height - 1})) << cell.effect;
        }
    }
}

TEST_F(SavePromptTest, TheGlowsFollowThePanelsShapeNotTheShadowMargin)
{
    Open();
    for (int32_t effect = 1; effect <= 3; ++effect) {
        CImage* prepared = dynamic_cast<CWidgetEffectGradient*>(Glow(root, effect))->GetPreparedImage();
        ASSERT_NE(prepared, nullptr);
        CImNav pixels(prepared);
        const int32_t bottom = pixels.GetHeight() - 3;
        EXPECT_EQ(pixels.Pixels(bottom)[2] >> 24, 0u) << effect;
        EXPECT_GT(pixels.Pixels(bottom - 20)[pixels.GetWidth() / 2] >> 24, 0u) << effect;
    }
}

TEST_F(SavePromptTest, TheGlowRisesToFiftyOverAButton)
{
    Open();
    ShowWith(0);
    PointAt(Button(CSavePrompt::kDoNotSaveButton), {60, 20});
    RunFor(60);
    EXPECT_GT(Glow(root, 2)->GetOpacity(), 0u);
    EXPECT_LT(Glow(root, 2)->GetOpacity(), 50u);
    // 50 units at 2.6 ms: 130 ms.
    RunFor(80);
    EXPECT_EQ(Glow(root, 2)->GetOpacity(), 50u);
    EXPECT_EQ(Glow(root, 1)->GetOpacity(), 0u);
    EXPECT_EQ(Glow(root, 3)->GetOpacity(), 0u);
    // A new show puts every glow out.
    Key(27);
    RunFor(300);
    ShowWith(0);
    EXPECT_EQ(Glow(root, 2)->GetOpacity(), 0u);
}

// A save prompt over a layout without its buttons.
class ButtonlessPrompt : public CSavePrompt {
public:
    ButtonlessPrompt() { m_rootId = 108201; }
};

TEST_F(SavePromptTest, AFailedBuildTakesTheRootAwayAgain)
{
    Start();
    const int32_t children = backdrop->GetChildCount();
    ButtonlessPrompt prompt;
    EXPECT_EQ(prompt.Create(nullptr, nullptr), kResResourceNotFound);
    EXPECT_EQ(prompt.GetRoot(), nullptr);
    EXPECT_EQ(backdrop->GetChildCount(), children);
}

}  // namespace
