#include <gtest/gtest.h>

#include <functional>

#include "BackboneUndoSupport.h"

namespace {

struct UndoKind {
    const char* name;
    std::function<void(BackboneUndoTest&)> change;
};

class BackboneUndoKindsTest : public BackboneUndoTest, public ::testing::WithParamInterface<size_t> {
public:
    // A, the change, B; then undo gives A, redo B and undo A again, bit for bit.
    void RoundTrip(const UndoKind& kind)
    {
        SCOPED_TRACE(kind.name);
        const PaintingSnapshot before = Snapshot();
        kind.change(*this);
        const PaintingSnapshot after = Snapshot();
        ASSERT_NE(after, before);
        ASSERT_TRUE(after.canUndo);
        PaintingSnapshot undone = before;
        undone.canRedo = true;
        controller->GetProject().modified = 0;
        backdrop.messages.clear();
        ASSERT_EQ(Undo(), kResOk);
        EXPECT_EQ(Snapshot(), undone);
        // The step was applied: the painting is modified and the layers' listeners heard of it.
        EXPECT_EQ(controller->GetProject().modified, 1u);
        EXPECT_GE(backdrop.Count(kMsgLayersChanged), std::string(kind.name) == "stroke" ? 0 : 1);
        ASSERT_EQ(Redo(), kResOk);
        EXPECT_EQ(Snapshot(), after);
        ASSERT_EQ(Undo(), kResOk);
        EXPECT_EQ(Snapshot(), undone);
    }
};

const UndoKind kKinds[] = {
    {"stroke", [](BackboneUndoTest& t) { t.Stroke(4, 6, 58, 50); }},
    {"layer added", [](BackboneUndoTest& t) { ASSERT_EQ(t.Canvas().InsertLayerCopy(1, 1), kResOk); }},
    {"layer deleted", [](BackboneUndoTest& t) { ASSERT_EQ(t.Send(kMsgDeleteLayer, 1), kResOk); }},
    {"layer moved up", [](BackboneUndoTest& t) { ASSERT_EQ(t.Pair(kMsgMoveLayer, 0, 2), kResOk); }},
    {"layer moved down", [](BackboneUndoTest& t) { ASSERT_EQ(t.Pair(kMsgMoveLayer, 2, 0), kResOk); }},
    {"layers merged", [](BackboneUndoTest& t) { ASSERT_EQ(t.Pair(kMsgMergeLayers, 2, 1), kResOk); }},
    {"layer duplicated", [](BackboneUndoTest& t) { ASSERT_EQ(t.Pair(kMsgDuplicateLayer, 0, 3), kResOk); }},
    {"layers flattened", [](BackboneUndoTest& t) { ASSERT_EQ(t.Send(kMsgFlattenLayers), kResOk); }},
    {"resized", [](BackboneUndoTest& t) { ASSERT_EQ(t.Resize(80, 48), kResOk); }},
    {"resized to one cell wide", [](BackboneUndoTest& t) { ASSERT_EQ(t.Resize(1, 48), kResOk); }},
    {"layer duplicated below the current", [](BackboneUndoTest& t) { ASSERT_EQ(t.Pair(kMsgDuplicateLayer, 2, 0), kResOk); }},
};

TEST_P(BackboneUndoKindsTest, UndoesAndRedoesExactly) { RoundTrip(kKinds[GetParam()]); }

INSTANTIATE_TEST_SUITE_P(EveryKind, BackboneUndoKindsTest, ::testing::Range(size_t(0), std::size(kKinds)),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             std::string name = kKinds[info.param].name;
                             std::erase(name, ' ');
                             return name;
                         });

TEST_F(BackboneUndoTest, AChainOfEveryKindUndoesToTheStartAndRedoesToTheEnd)
{
    std::vector<PaintingSnapshot> states{Snapshot()};
    for (const UndoKind& kind : kKinds) {
        kind.change(*this);
        states.push_back(Snapshot());
    }
    for (size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_EQ(Undo(), kResOk);
        EXPECT_TRUE(Snapshot().SamePainting(states[i - 1])) << "undo to state " << i - 1 << ": " << Snapshot();
        EXPECT_TRUE(controller->GetUndoStore().CanRedo());
    }
    EXPECT_FALSE(controller->GetUndoStore().CanUndo());
    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_EQ(Redo(), kResOk);
        EXPECT_TRUE(Snapshot().SamePainting(states[i])) << "redo to state " << i << ": " << Snapshot();
        EXPECT_TRUE(controller->GetUndoStore().CanUndo());
    }
    EXPECT_FALSE(controller->GetUndoStore().CanRedo());
}

TEST_F(BackboneUndoTest, AfterAResizeIsUndoneOrRedoneTheViewIsRefittedAndStrokesGoOnAtTheSizeInForce)
{
    ASSERT_EQ(Resize(80, 48), kResOk);
    // Undo, redo, then undo again with the stroke's step after it taken back first.
    for (int pass = 0; pass < 3; ++pass) {
        const bool undo = pass != 1;
        backdrop.messages.clear();
        ASSERT_EQ(undo ? Undo() : Redo(), kResOk);
        ASSERT_EQ(backdrop.Count(kMsgNewProject), 1) << pass;
        for (const auto& m : backdrop.messages) {
            if (m.code == kMsgNewProject) {
                EXPECT_EQ(FromMsgArg<CProjectInfo>(m.b), &controller->GetProject());
            }
        }
        EXPECT_EQ(controller->GetProject().width, undo ? 64 : 80);
        EXPECT_EQ(controller->GetProject().height, undo ? 64 : 48);
        EXPECT_EQ(Canvas().GetWidth(), undo ? 64 : 80);
        EXPECT_EQ(Canvas().GetHeight(), undo ? 64 : 48);
        if (pass == 0)
            continue;
        const PaintingSnapshot before = Snapshot();
        Stroke(2, 2, undo ? 62.0f : 78.0f, undo ? 62.0f : 46.0f);
        EXPECT_NE(Snapshot().cells, before.cells);
        ASSERT_EQ(Undo(), kResOk);
        EXPECT_EQ(Snapshot().cells, before.cells);
        ASSERT_EQ(Redo(), kResOk);
        EXPECT_NE(Snapshot().cells, before.cells);
        ASSERT_EQ(Undo(), kResOk);
    }
}

TEST_F(BackboneUndoTest, UndoWithNothingToUndoSendsNothingAndLeavesThePaintingUnmodified)
{
    controller->GetProject().modified = 0;
    backdrop.messages.clear();
    EXPECT_FALSE(controller->ApplyUndoStep(1));
    EXPECT_FALSE(controller->ApplyUndoStep(0));
    EXPECT_TRUE(backdrop.messages.empty());
    ASSERT_EQ(Undo(), kResOk);
    EXPECT_EQ(controller->GetProject().modified, 0u);
    EXPECT_EQ(backdrop.Codes(), (std::vector<uint32_t>{kMsgUndo}));
}

TEST_F(BackboneUndoTest, APaintStepOverALayerOfAnotherSizeDoesNothing)
{
    Stroke(4, 6, 58, 50);
    CLayer& layer = *Canvas().GetLayer(1);
    for (auto [w, h] : {std::pair{32, 32}, std::pair{64, 63}, std::pair{65, 64}}) {
        ASSERT_EQ(layer.SetSize(w, h), kResOk);
        const std::string cells = CellBytes(layer.GetCellMap());
        EXPECT_FALSE(controller->ApplyUndoStep(1));
        EXPECT_EQ(CellBytes(layer.GetCellMap()), cells);
    }
}

TEST_F(BackboneUndoTest, UndoingAMergeLeavesOneLayerMore)
{
    ASSERT_EQ(Pair(kMsgMergeLayers, 0, 2), kResOk);
    EXPECT_EQ(Canvas().GetLayerCount(), 2);
    ASSERT_EQ(Undo(), kResOk);
    EXPECT_EQ(Canvas().GetLayerCount(), 3);
}

TEST_F(BackboneUndoTest, RedoingAFlattenOnOneLayerDoesNothing)
{
    ASSERT_EQ(Send(kMsgFlattenLayers), kResOk);
    ASSERT_EQ(Undo(), kResOk);
    Canvas().DeleteLayer(2);
    Canvas().DeleteLayer(1);
    const PaintingSnapshot one = Snapshot();
    EXPECT_FALSE(controller->ApplyUndoStep(0));
    EXPECT_EQ(Snapshot().cells, one.cells);
    EXPECT_EQ(Canvas().GetLayerCount(), 1);
}

TEST_F(BackboneUndoTest, RedoingALayerAddedAtTheBottomInsertsItThere)
{
    ASSERT_EQ(controller->PushUndoStep(0), kResOk);
    ASSERT_EQ(Undo(), kResOk);
    EXPECT_EQ(Canvas().GetLayerCount(), 2);
    ASSERT_EQ(Redo(), kResOk);
    ASSERT_EQ(Canvas().GetLayerCount(), 3);
    EXPECT_EQ(Canvas().GetCurrentLayerIndex(), 0);
    uint32_t paper = 0;
    Canvas().GetLayer(0)->GetPaperColour(&paper);
    uint32_t below = 0;
    Canvas().GetLayer(1)->GetPaperColour(&below);
    EXPECT_EQ(paper, below);
}

TEST_F(BackboneUndoTest, ALayerAddedOnTopIsTakenBackAndRedoneOnTop)
{
    Canvas().SetCurrentLayerIndex(2);
    const PaintingSnapshot before = Snapshot();
    ASSERT_EQ(Canvas().InsertLayerCopy(1, 1), kResOk);
    const PaintingSnapshot after = Snapshot();
    ASSERT_EQ(after.layerCount, 4);
    ASSERT_EQ(after.currentLayer, 3);
    ASSERT_EQ(Undo(), kResOk);
    EXPECT_TRUE(Snapshot().SamePainting(before));
    ASSERT_EQ(Redo(), kResOk);
    EXPECT_EQ(Snapshot(), after);
}

TEST_F(BackboneUndoTest, AOneLayerPaintingIsResizedAndTakenBack)
{
    Canvas().DeleteLayer(2);
    Canvas().DeleteLayer(1);
    const PaintingSnapshot before = Snapshot();
    ASSERT_EQ(Resize(80, 48), kResOk);
    const PaintingSnapshot after = Snapshot();
    ASSERT_EQ(after.canvasWidth, 80);
    ASSERT_EQ(Undo(), kResOk);
    EXPECT_TRUE(Snapshot().SamePainting(before));
    ASSERT_EQ(Redo(), kResOk);
    EXPECT_EQ(Snapshot(), after);
}

TEST_F(BackboneUndoTest, AnUndoneStrokeRedrawsTheViewsPictureWhole)
{
    // From corner to corner, so that the first and the last row and column change.
    Stroke(0, 0, 63, 63);
    ASSERT_EQ(Canvas().RenderLayerAlone(-1), kResOk);
    const std::string stroked = ImageBytes(*Canvas().GetComposite());
    ASSERT_EQ(Undo(), kResOk);
    const std::string undone = ImageBytes(*Canvas().GetComposite());
    EXPECT_NE(undone, stroked);
    // A full render draws nothing the undo's own redraw left out.
    ASSERT_EQ(Canvas().RenderLayerAlone(-1), kResOk);
    EXPECT_EQ(ImageBytes(*Canvas().GetComposite()), undone);
    ASSERT_EQ(Redo(), kResOk);
    EXPECT_EQ(ImageBytes(*Canvas().GetComposite()), stroked);
}

TEST_F(BackboneUndoTest, TwoLayersMergeAndComeApartAgain)
{
    Canvas().DeleteLayer(2);
    const PaintingSnapshot before = Snapshot();
    ASSERT_EQ(Pair(kMsgMergeLayers, 1, 0), kResOk);
    const PaintingSnapshot after = Snapshot();
    ASSERT_EQ(after.layerCount, 1);
    ASSERT_EQ(Undo(), kResOk);
    EXPECT_TRUE(Snapshot().SamePainting(before));
    ASSERT_EQ(Redo(), kResOk);
    EXPECT_EQ(Snapshot(), after);
}

TEST_F(BackboneUndoTest, AResizeRecordWithoutLayersRecordsNothing)
{
    CellMapResize size;
    size.width = 80;
    size.height = 48;
    EXPECT_EQ(controller->RecordCanvasResize(nullptr, 0, &size, nullptr), kResOk);
    CLayer* none = nullptr;
    EXPECT_EQ(controller->RecordCanvasResize(&none, 1, &size, nullptr), kResOk);
    EXPECT_FALSE(controller->GetUndoStore().CanUndo());
}

}  // namespace
