#include <gtest/gtest.h>

#include <algorithm>

#include "BackboneTestSupport.h"
#include "paint/engine/CStandardRenderer.h"
#include "paint/tools/CToolBase.h"

namespace {

using BackboneSetUpTest = BackboneTest;

TEST_F(BackboneSetUpTest, InitialiseMakesTheCanvasTheRendererAndTheToolsWithoutTheSmudge)
{
    ASSERT_NE(controller->GetCanvas(), nullptr);
    ASSERT_NE(controller->GetRenderer(), nullptr);
    EXPECT_EQ(controller->GetCurrentTool(), nullptr);
    EXPECT_EQ(controller->FindTool(4907), nullptr);
    // Fifteen tools, in their start-up order.
    const std::vector<uint32_t> order = {4900, 4901, 4902, 4903, 4904, 4905, 4906, 4913,
                                         4908, 4910, 4911, 4912, 4909, 4914, 4915};
    std::vector<uint32_t> made;
    for (CToolBase* tool : controller->GetTools())
        made.push_back(tool->GetToolId());
    EXPECT_EQ(made, order);
    ASSERT_NE(controller->FindTool(4906), nullptr);
    EXPECT_EQ(Canvas().GetEraserTool(), controller->FindTool(4906));
    EXPECT_TRUE(Reports().empty());
    // The canvas's input asks the controller for the colour it samples outside the painting.
    ASSERT_NE(Canvas().GetShellServices(), nullptr);
    ASSERT_EQ(Send(kMsgColourChanged, 0xFF204060u), kResOk);
    EXPECT_EQ(Canvas().GetShellServices()->GetPaintColour(), 0xFF204060u);
}

TEST_F(BackboneSetUpTest, ANewPaintingIsKeptToTheLargestSideAlsoInTheCallersRecord)
{
    ASSERT_EQ(Send(kMsgPickTool, 4900), kResOk);
    controller->GetCurrentToolBase()->SetStrokeCount(12);
    controller->GetProject().modified = 1;
    backdrop.messages.clear();
    CProjectInfo project(40000, 50, u"Wide", tCString(), nullptr);
    ASSERT_EQ(Send(kMsgNewProject, ToMsgArg(&project)), kResOk);
    EXPECT_EQ(project.width, 32000);
    EXPECT_EQ(project.height, 50);
    EXPECT_EQ(controller->GetProject().width, 32000);
    EXPECT_EQ(controller->GetProject().height, 50);
    EXPECT_EQ(controller->GetProject().name, u"Wide");
    EXPECT_EQ(controller->GetProject().modified, 0u);
    EXPECT_EQ(controller->GetCurrentToolBase()->GetStrokeCount(), 0u);
    EXPECT_EQ(Canvas().GetWidth(), 32000);
    EXPECT_EQ(Canvas().GetHeight(), 50);
    // The title first, then the new painting goes on to the backdrop after the canvas made it.
    const std::vector<uint32_t> codes = backdrop.Codes();
    const auto title = std::find(codes.begin(), codes.end(), kMsgProjectChanged);
    ASSERT_NE(title, codes.end());
    EXPECT_NE(std::find(title, codes.end(), kMsgNewProject), codes.end());
}

TEST_F(BackboneSetUpTest, ANewPaintingWithoutASideChangesNothing)
{
    // One cell each way is a painting.
    ASSERT_EQ(NewPainting(1, 1), kResOk);
    EXPECT_EQ(Canvas().GetWidth(), 1);
    EXPECT_EQ(controller->GetProject().height, 1);
    ASSERT_EQ(NewPainting(30, 20), kResOk);
    controller->GetProject().modified = 1;
    backdrop.messages.clear();
    for (auto [w, h] : {std::pair{0, 20}, std::pair{30, -5}}) {
        CProjectInfo project(w, h, u"Empty", tCString(), nullptr);
        EXPECT_EQ(Send(kMsgNewProject, ToMsgArg(&project)), kResBadParam);
    }
    EXPECT_EQ(controller->GetProject().width, 30);
    EXPECT_EQ(controller->GetProject().name, u"Test");
    EXPECT_EQ(controller->GetProject().modified, 1u);
    EXPECT_EQ(Canvas().GetWidth(), 30);
    EXPECT_TRUE(backdrop.messages.empty());
}

TEST_F(BackboneSetUpTest, APaintingThatFitsOnlyPieceByPieceIsRefusedAndThePaintingShownStays)
{
    ASSERT_EQ(NewPainting(30, 20), kResOk);
    const PaintCell cell{0xFF336699u, 40, 7, 9, 1};
    FillLayerCells(*Canvas().GetLayer(0), cell);
    ASSERT_EQ(controller->GetUndoStore().PushStep(3), kResOk);
    controller->GetProject().modified = 1;
    backdrop.messages.clear();
    // 4000 x 3000 makes 120,000,000 bytes of cells and a 48,000,000-byte composite, each of which
    // fits, and 200,655,640 bytes in all.
    w32::headless::SetAvailableMemory(150000000);
    CProjectInfo project(4000, 3000, u"Large", tCString(), nullptr);
    EXPECT_EQ(Send(kMsgNewProject, ToMsgArg(&project)), kResNoMemory);
    EXPECT_EQ(Canvas().GetWidth(), 30);
    EXPECT_EQ(Canvas().GetHeight(), 20);
    ASSERT_EQ(Canvas().GetLayerCount(), 1);
    EXPECT_EQ(ColourAt(Canvas().GetLayer(0)->GetCellMap(), 29, 19), cell.colour);
    EXPECT_EQ(controller->GetProject().width, 30);
    EXPECT_EQ(controller->GetProject().name, u"Test");
    EXPECT_EQ(controller->GetProject().modified, 1u);
    EXPECT_TRUE(controller->GetUndoStore().CanUndo());
    EXPECT_TRUE(backdrop.messages.empty());

    w32::headless::SetAvailableMemory(200655640);
    ASSERT_EQ(Send(kMsgNewProject, ToMsgArg(&project)), kResOk);
    EXPECT_EQ(Canvas().GetWidth(), 4000);
    EXPECT_EQ(Canvas().GetHeight(), 3000);
    EXPECT_EQ(controller->GetProject().name, u"Large");
}

TEST_F(BackboneSetUpTest, PickingATool)
{
    ASSERT_EQ(Send(kMsgPickTool, 4905), kResOk);
    CToolBase* knife = controller->GetCurrentToolBase();
    ASSERT_NE(knife, nullptr);
    EXPECT_EQ(knife->GetToolId(), 4905u);
    EXPECT_EQ(Canvas().GetCurrentTool(), controller->GetCurrentTool());
    // Without a tool before it, a tool takes the resting sample.
    const CPenSample rest = knife->GetLastPenSample();
    EXPECT_EQ(rest.x, 0.0f);
    EXPECT_EQ(rest.pressure, 0.0f);
    EXPECT_EQ(rest.tiltA, 1.0f);
    EXPECT_EQ(rest.tiltB, 1.0f);

    knife->SetLastPenSample({12.5f, 7.25f, 0.75f, 0.5f, 0.125f, 1});
    ASSERT_EQ(Send(kMsgPickTool, 4914), kResOk);
    const CPenSample taken = controller->GetCurrentToolBase()->GetLastPenSample();
    EXPECT_EQ(taken.x, 12.5f);
    EXPECT_EQ(taken.y, 7.25f);
    EXPECT_EQ(taken.pressure, 0.75f);
    EXPECT_EQ(taken.tiltA, 0.5f);
    EXPECT_EQ(taken.tiltB, 0.125f);
    EXPECT_EQ(taken.pen, 1);

    uint32_t id = 0;
    ASSERT_EQ(SendPointer(kMsgCurrentToolId, &id, kMsgReport), kResOk);
    EXPECT_EQ(id, 4914u);
    ASSERT_EQ(Send(kMsgDropCurrentTool), kResOk);
    EXPECT_EQ(controller->GetCurrentTool(), nullptr);
    EXPECT_EQ(Canvas().GetCurrentTool(), nullptr);
    ASSERT_EQ(SendPointer(kMsgCurrentToolId, &id, kMsgReport), kResOk);
    EXPECT_EQ(id, 0u);
}

TEST_F(BackboneSetUpTest, AToolThatIsNotThereIsReportedAndAToolKept)
{
    // With no tool before it the painting gets the oil brush.
    backdrop.messages.clear();
    EXPECT_EQ(Send(kMsgPickTool, 4907), kResOk);
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].first, kResCreateFailed);
    EXPECT_EQ(Reports()[0].second, "Backbone failed to pick up the requested tool.");
    ASSERT_NE(controller->GetCurrentToolBase(), nullptr);
    EXPECT_EQ(controller->GetCurrentToolBase()->GetToolId(), 4900u);
    EXPECT_EQ(Canvas().GetCurrentTool(), controller->GetCurrentTool());
    EXPECT_TRUE(backdrop.messages.empty());

    ASSERT_EQ(Send(kMsgPickTool, 4912), kResOk);
    EXPECT_EQ(Send(kMsgPickTool, 0), kResOk);
    EXPECT_EQ(Reports().size(), 2u);
    EXPECT_EQ(controller->GetCurrentToolBase()->GetToolId(), 4912u);
}

TEST_F(BackboneSetUpTest, TheCleanBrushAndTheCommonPropertyOfTheCurrentTool)
{
    ASSERT_EQ(Send(kMsgPickTool, 4900), kResOk);
    uint32_t clean = 0;
    ASSERT_EQ(SendPointer(kMsgCleanBrush, &clean, kMsgApply), kResOk);
    EXPECT_EQ(controller->GetCurrentToolBase()->GetCleanBrush(), 0u);
    clean = 1;
    ASSERT_EQ(SendPointer(kMsgCleanBrush, &clean, kMsgApply), kResOk);
    clean = 0;
    ASSERT_EQ(SendPointer(kMsgCleanBrush, &clean, kMsgReport), kResOk);
    EXPECT_EQ(clean, 1u);
    float property = 0.8f;
    ASSERT_EQ(SendPointer(kMsgCommonProperty, &property, kMsgApply), kResOk);
    EXPECT_FLOAT_EQ(controller->GetCurrentToolBase()->GetCommonProperty(), 0.8f);
}

TEST_F(BackboneSetUpTest, TheCanvasIsAnnouncedBeforeItGoesAndOnceMade)
{
    backdrop.messages.clear();
    ASSERT_EQ(Send(kMsgInitialise), kResOk);
    const std::vector<uint32_t> codes = backdrop.Codes();
    ASSERT_GE(std::count(codes.begin(), codes.end(), kMsgCanvasReplaced), 2);
    std::vector<tMsgArg> canvases;
    for (const auto& m : backdrop.messages)
        if (m.code == kMsgCanvasReplaced)
            canvases.push_back(m.b);
    EXPECT_EQ(canvases.front(), 0u);
    EXPECT_EQ(canvases.back(), ToMsgArg(controller->GetCanvas()));
    // The new renderer's first drawing is asked for, not announced to the backdrop.
    EXPECT_EQ(backdrop.Count(kMsgLayersChanged), 0);
    EXPECT_NE(controller->GetCanvas(), nullptr);
    // Initialising again makes no second set of tools.
    EXPECT_EQ(controller->FindTool(4900), controller->GetTools()[0]);
    int oil = 0;
    for (CToolBase* tool : controller->GetTools())
        oil += tool->GetToolId() == 4900;
    EXPECT_EQ(oil, 1);
}

}  // namespace

namespace {

TEST_F(BackboneSetUpTest, SavingAndOpeningTheProjectClearTheModifiedWordAndRetitle)
{
    TempFolder folder;
    ASSERT_EQ(NewPainting(40, 30), kResOk);
    ASSERT_EQ(Send(kMsgPickTool, 4905), kResOk);
    PaintCell cell{0xFF336699u, 40, 7, 9, 1};
    FillLayerCells(*Canvas().GetLayer(0), cell);
    controller->GetProject().modified = 1;
    backdrop.messages.clear();

    CProjectInfo saved(0, 0, u"Saved", tCString(), nullptr);
    saved.file = tCFRef(tCString::FromAnsi(folder.File("painting.ptg")));
    ASSERT_EQ(Send(kMsgSaveProject, ToMsgArg(&saved)), kResOk);
    EXPECT_EQ(controller->GetProject().modified, 0u);
    EXPECT_EQ(backdrop.Count(kMsgProjectChanged), 1);

    ASSERT_EQ(NewPainting(10, 10), kResOk);
    ASSERT_EQ(Send(kMsgPickTool, 4900), kResOk);
    controller->GetProject().modified = 1;
    backdrop.messages.clear();
    ASSERT_EQ(Send(kMsgOpenProject, ToMsgArg(&saved)), kResOk);
    EXPECT_EQ(controller->GetProject().modified, 0u);
    // The opened painting's new painting retitles too; the open's own comes last.
    ASSERT_EQ(backdrop.Count(kMsgProjectChanged), 2);
    EXPECT_EQ(backdrop.messages.back().code, kMsgOpenProject);
    EXPECT_EQ(Canvas().GetWidth(), 40);
    const uint32_t colour = CellAt(Canvas().GetLayer(0)->GetCellMap(), 5, 5).colour;
    EXPECT_EQ(colour, 0xFF336699u);
    EXPECT_EQ(controller->GetCurrentToolBase()->GetToolId(), 4905u);

    // A file that is not there: the code, the word and the title as they were.
    controller->GetProject().modified = 1;
    backdrop.messages.clear();
    CProjectInfo missing(0, 0, u"Missing", tCString(), nullptr);
    missing.file = tCFRef(tCString::FromAnsi(folder.File("none.ptg")));
    EXPECT_NE(Send(kMsgOpenProject, ToMsgArg(&missing)), kResOk);
    EXPECT_EQ(controller->GetProject().modified, 1u);
    EXPECT_EQ(backdrop.Count(kMsgProjectChanged), 0);
}

}  // namespace
