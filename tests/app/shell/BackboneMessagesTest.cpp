#include <gtest/gtest.h>

#include "BackboneTestSupport.h"
#include "app/shell/PressureResponse.h"
#include "app/shell/VersionText.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/tools/CToolBase.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/PenSettings.h"

namespace {

constexpr uint32_t kNobodysMessage = 0xFF00ABCDu;

class BackboneMessagesTest : public BackboneTest {
protected:
    void SetUp() override
    {
        BackboneTest::SetUp();
        ASSERT_EQ(NewPainting(40, 30), kResOk);
        ASSERT_EQ(Send(kMsgPickTool, 4900), kResOk);
        backdrop.messages.clear();
    }
};

TEST_F(BackboneMessagesTest, AnUnansweredMessageReachesTheBackdropOnlyWhenApplied)
{
    backdrop.answer = 7;
    EXPECT_EQ(Send(kNobodysMessage, 3, kMsgReport), kResOk);
    EXPECT_TRUE(backdrop.messages.empty());
    EXPECT_EQ(Send(kNobodysMessage, 3, kMsgApply), 7);
    ASSERT_EQ(backdrop.messages.size(), 1u);
    EXPECT_EQ(backdrop.messages[0].code, kNobodysMessage);
    EXPECT_EQ(backdrop.messages[0].b, 3u);
}

TEST_F(BackboneMessagesTest, TheFirstNonZeroAnswerOfCanvasRendererOrToolIsTheAnswer)
{
    backdrop.answer = 7;
    // The canvas refuses a layer value without its record; nobody after it is asked.
    EXPECT_EQ(Send(kMsgLayerOpacity, 0, kMsgApply), kResBadParam);
    // The canvas does not know the tool's size message; the current tool takes it, answers 0,
    // and the applied message goes on to the backdrop, whose answer is the answer.
    float size = 0.25f;
    EXPECT_EQ(SendPointer(kMsgToolSize, &size, kMsgApply), 7);
    EXPECT_FLOAT_EQ(controller->GetCurrentToolBase()->GetSize(), 0.25f);
    EXPECT_EQ(backdrop.Codes(), (std::vector<uint32_t>{kMsgToolSize}));
}

TEST_F(BackboneMessagesTest, TheModifiedWord)
{
    EXPECT_EQ(Send(kMsgPaintingModified, 0, kMsgReport), kResOk);
    EXPECT_EQ(controller->GetProject().modified, 0u);
    EXPECT_EQ(Send(kMsgPaintingModified, 0, kMsgApply), kResOk);
    EXPECT_EQ(controller->GetProject().modified, 1u);
    uint32_t word = 9;
    EXPECT_EQ(SendPointer(kMsgModifiedWord, &word, kMsgReport), kResOk);
    EXPECT_EQ(word, 1u);
    word = 0;
    EXPECT_EQ(SendPointer(kMsgModifiedWord, &word, kMsgApply), kResOk);
    EXPECT_EQ(controller->GetProject().modified, 0u);
    EXPECT_TRUE(backdrop.messages.empty());
}

TEST_F(BackboneMessagesTest, QueriesSentAsAppliedWriteNothing)
{
    const uint32_t sentinel = 0xDEADBEEFu;
    for (uint32_t message : {kMsgProjectRecord, kMsgToolList, kMsgUsesCleanBrush}) {
        uintptr_t out = sentinel;
        EXPECT_EQ(SendPointer(message, &out, kMsgApply), kResOk) << std::hex << message;
        EXPECT_EQ(out, sentinel) << std::hex << message;
    }
    EXPECT_TRUE(backdrop.messages.empty());

    CProjectInfo* project = nullptr;
    EXPECT_EQ(SendPointer(kMsgProjectRecord, &project, kMsgReport), kResOk);
    EXPECT_EQ(project, &controller->GetProject());
    const tCArray<CToolBase*>* tools = nullptr;
    EXPECT_EQ(SendPointer(kMsgToolList, &tools, kMsgReport), kResOk);
    EXPECT_EQ(tools, &controller->GetTools());
    uint32_t uses = 7;
    EXPECT_EQ(SendPointer(kMsgUsesCleanBrush, &uses, kMsgReport), kResOk);
    EXPECT_EQ(uses, controller->GetCurrentToolBase()->UsesCleanBrush());
}

TEST_F(BackboneMessagesTest, RemovingColourListEntries)
{
    for (uint32_t i = 0; i < 3; ++i) {
        ColourListEntry entry{i, 0xFF000010u + i};
        ASSERT_EQ(SendPointer(kMsgColourListEntry, &entry, kMsgApply), kResOk);
    }
    uint32_t count = 0;
    ASSERT_EQ(SendPointer(kMsgColourListCount, &count, kMsgReport), kResOk);
    EXPECT_EQ(count, 3u);

    ColourListEntry fifth{5, 0};
    ASSERT_EQ(SendPointer(kMsgColourListEntry, &fifth, kMsgReport), kResOk);
    EXPECT_EQ(fifth.colour, 0x00FFFFFFu);

    EXPECT_EQ(Send(kMsgRemoveColourListEntry, 3), kResOk);
    EXPECT_EQ(controller->GetColourList().GetCount(), 3);
    EXPECT_EQ(Send(kMsgRemoveColourListEntry, 1), kResOk);
    ASSERT_EQ(controller->GetColourList().GetCount(), 2);
    EXPECT_EQ(controller->GetColourList().GetEntry(0), 0xFF000010u);
    EXPECT_EQ(controller->GetColourList().GetEntry(1), 0xFF000012u);
    EXPECT_EQ(Send(kMsgRemoveColourListEntry, 0xFFFFFFFFu), kResOk);
    EXPECT_EQ(controller->GetColourList().GetCount(), 0);
}

TEST_F(BackboneMessagesTest, ThePressureResponseIsClampedAndReachesThePenInput)
{
    float value = 1.7f;
    ASSERT_EQ(SendPointer(kMsgPressureResponse, &value, kMsgApply), kResOk);
    float stored = 0.0f;
    ASSERT_EQ(SendPointer(kMsgPressureResponse, &stored, kMsgReport), kResOk);
    EXPECT_EQ(stored, 1.0f);
    EXPECT_EQ(GetPenSettings().response, 1.0f);
    value = -0.2f;
    ASSERT_EQ(SendPointer(kMsgPressureResponse, &value, kMsgApply), kResOk);
    ASSERT_EQ(SendPointer(kMsgPressureResponse, &stored, kMsgReport), kResOk);
    EXPECT_EQ(stored, 0.0f);
    EXPECT_EQ(GetPenSettings().response, 0.0f);
    SetPressureResponse(0.5f);

    uint32_t cursor = 1;
    ASSERT_EQ(SendPointer(kMsgCursorPosition, &cursor, kMsgApply), kResOk);
    EXPECT_EQ(GetPenSettings().useCursorPosition, 1);
    cursor = 0;
    ASSERT_EQ(SendPointer(kMsgCursorPosition, &cursor, kMsgApply), kResOk);
}

TEST_F(BackboneMessagesTest, ALayerMessageWithANegativeIndexReachesTheCurrentLayer)
{
    ASSERT_EQ(Canvas().InsertNewLayer(1), kResOk);
    Canvas().GetLayer(0)->SetPaperColour(0xFF112233u);
    Canvas().GetLayer(1)->SetPaperColour(0xFF445566u);
    Canvas().SetCurrentLayerIndex(1);
    CCanvasInfo info;
    EXPECT_EQ(controller->OnMessage(kMsgToLayer, ToMsgArg(&info), tMsgArg(-1), 0, kMsgReport), kResOk);
    EXPECT_EQ(info.paperColour, 0xFF445566u);
    EXPECT_EQ(controller->OnMessage(kMsgToLayer, ToMsgArg(&info), 0, 0, kMsgReport), kResOk);
    EXPECT_EQ(info.paperColour, 0xFF112233u);
    // No layer there: nothing answers and nothing goes on; a layer's answer goes no further.
    EXPECT_EQ(controller->OnMessage(kMsgToLayer, ToMsgArg(&info), 5, 0, kMsgApply), kResOk);
    info.paperColour = 0xFF778899u;
    EXPECT_EQ(controller->OnMessage(kMsgToLayer, ToMsgArg(&info), 1, 0, kMsgApply), kResOk);
    uint32_t paper = 0;
    Canvas().GetLayer(1)->GetPaperColour(&paper);
    EXPECT_EQ(paper, 0xFF778899u);
    EXPECT_EQ(backdrop.Count(kMsgToLayer), 0);
}

TEST_F(BackboneMessagesTest, TheColourReachesTheCurrentToolAndTheValueBesideIt)
{
    EXPECT_EQ(Send(kMsgColourChanged, 0xFF102030u), kResOk);
    EXPECT_EQ(controller->GetPaintColour(), 0xFF102030u);
    uint32_t colour = 0;
    EXPECT_EQ(SendPointer(kMsgPaintColour, &colour, kMsgReport), kResOk);
    EXPECT_EQ(colour, 0xFF102030u);
    float channel = 1.0f;
    EXPECT_EQ(SendPointer(kMsgColourChannel, &channel, kMsgApply), kResOk);
    EXPECT_EQ(controller->GetPaintValue(), 1.0f);
    EXPECT_EQ(controller->GetColourChannel(), 1.0f);
}

TEST_F(BackboneMessagesTest, TheModifyingMessagesMarkThePainting)
{
    for (uint32_t message : {kMsgStrokeDone, kMsgTracingMode}) {
        controller->GetProject().modified = 0;
        uint32_t mode = 3;
        (void)SendPointer(message, &mode, kMsgApply);
        EXPECT_EQ(controller->GetProject().modified, 1u) << std::hex << message;
    }
    // The open tracing controls ask for the mode all the time.
    controller->GetProject().modified = 0;
    uint32_t mode = 0;
    EXPECT_EQ(SendPointer(kMsgTracingMode, &mode, kMsgReport), kResOk);
    EXPECT_EQ(controller->GetProject().modified, 0u) << "a query is no change";
    ASSERT_EQ(Send(kMsgTracingImage, ToMsgArg(new CImage(4, 4))), kResOk);
    EXPECT_EQ(controller->GetProject().modified, 1u) << "a new tracing image is one";
}

TEST_F(BackboneMessagesTest, ReloadingTheColourIsTheToolsWhenThereIsOne)
{
    EXPECT_EQ(Send(kMsgReloadColour), kResOk);
    EXPECT_TRUE(backdrop.messages.empty());
    ASSERT_EQ(Send(kMsgDropCurrentTool), kResOk);
    backdrop.messages.clear();
    EXPECT_EQ(Send(kMsgReloadColour), kResOk);
    EXPECT_EQ(backdrop.Codes(), (std::vector<uint32_t>{kMsgReloadColour}));
}

TEST_F(BackboneMessagesTest, WhatCanBeUndoneAndRedone)
{
    uint32_t can = 7;
    ASSERT_EQ(SendPointer(kMsgCanUndo, &can, kMsgReport), kResOk);
    EXPECT_EQ(can, 0u);
    ASSERT_EQ(Canvas().InsertLayerCopy(1, 1), kResOk);
    ASSERT_EQ(SendPointer(kMsgCanUndo, &can, kMsgReport), kResOk);
    EXPECT_EQ(can, 1u);
    ASSERT_EQ(SendPointer(kMsgCanRedo, &can, kMsgReport), kResOk);
    EXPECT_EQ(can, 0u);
    ASSERT_EQ(Send(kMsgUndo), kResOk);
    ASSERT_EQ(SendPointer(kMsgCanRedo, &can, kMsgReport), kResOk);
    EXPECT_EQ(can, 1u);
    ASSERT_EQ(SendPointer(kMsgCanUndo, &can, kMsgReport), kResOk);
    EXPECT_EQ(can, 0u);
}

TEST_F(BackboneMessagesTest, WithoutACanvasTheHandlersAnswerStands)
{
    CHMRBackbone bare;
    CCanvasInfo info;
    EXPECT_EQ(bare.OnMessage(kMsgToLayer, ToMsgArg(&info), 0, 0, kMsgApply), kResOk);
    tCString offered(u"3.0");
    EXPECT_EQ(bare.OnMessage(kMsgUpdateIsNewer, ToMsgArg(&offered), 0, 0, kMsgReport), kResBadParam);
    EXPECT_TRUE(backdrop.messages.empty());
    EXPECT_FALSE(bare.ApplyUndoStep(1));
}

TEST_F(BackboneMessagesTest, TheVersionTest)
{
    const struct {
        const char16_t* offered;
        uint32_t newer;
    } cases[] = {{u"2.1", 1}, {u"1.9", 0}, {u"2.0", 0}, {u"2.0.1", 1}, {u"10.0", 1}, {u"2", 0}, {u"", 0}};
    for (const auto& c : cases) {
        tCString offered(c.offered);
        uint32_t newer = 7;
        EXPECT_EQ(controller->OnMessage(kMsgUpdateIsNewer, ToMsgArg(&offered), ToMsgArg(&newer), 0, kMsgReport), kResOk);
        EXPECT_EQ(newer, c.newer) << tCString(c.offered).ToAnsi();
    }
    EXPECT_TRUE(backdrop.messages.empty());
    // Without a place for the answer nothing is compared and nothing goes on.
    tCString offered(u"2.1");
    EXPECT_EQ(controller->OnMessage(kMsgUpdateIsNewer, ToMsgArg(&offered), 0, 0, kMsgApply), kResBadParam);
    EXPECT_TRUE(backdrop.messages.empty());
    // Parts compare as numbers, a missing part as 0.
    EXPECT_EQ(IsNewerVersion(tCString(u"2.10"), tCString(u"2.9")), 1u);
    EXPECT_EQ(IsNewerVersion(tCString(u"2.9"), tCString(u"2.10")), 0u);
    EXPECT_EQ(IsNewerVersion(tCString(u"2.0"), tCString(u"2.0.1")), 0u);
    EXPECT_EQ(IsNewerVersion(tCString(u"3"), tCString(u"2.99")), 1u);
}

TEST_F(BackboneMessagesTest, TheUpdateFlagFallsWhenATransferEnds)
{
    EXPECT_EQ(controller->GetUpdateTransfer(), 0u);
    EXPECT_EQ(Send(kMsgUpdateFailed), kResOk);
    EXPECT_EQ(controller->GetUpdateTransfer(), 0u);
    EXPECT_EQ(backdrop.Codes(), (std::vector<uint32_t>{kMsgUpdateFailed}));
}

}  // namespace
