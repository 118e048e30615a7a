#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "CanvasTestSupport.h"
#include "paint/engine/StrokeContext.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/imaging/CImage8.h"

namespace {

class CanvasLayersTest : public CanvasGlobalsTest {
protected:
    // A canvas of `count` layers, each marked by the colour of its cell (0, 0): 0xFF000000 + i.
    void MakeLayers(int32_t count, int32_t width = 4, int32_t height = 3)
    {
        ASSERT_EQ(canvas.Initialise(), kResOk);
        ASSERT_EQ(canvas.SetCanvasSize(width, height), kResOk);
        for (int32_t i = 0; i < count; ++i) {
            ASSERT_EQ(canvas.InsertNewLayer(i), kResOk);
            CellAt(canvas.GetLayer(i)->GetCellMap(), 0, 0) = MakeCell(0xFF000000u + uint32_t(i));
        }
        canvas.SetHost(&host);
    }
    // The layers' marks from the bottom up.
    std::vector<uint32_t> Marks()
    {
        std::vector<uint32_t> marks;
        for (int32_t i = 0; i < canvas.GetLayerCount(); ++i)
            marks.push_back(ColourAt(canvas.GetLayer(i)->GetCellMap(), 0, 0) & 0xFF);
        return marks;
    }

    FakeCanvasHost host;
    RecordingController controller;
    CCanvas canvas;
};

using Stack = std::vector<uint32_t>;

TEST_F(CanvasLayersTest, ANewCanvasHasThePartsDefaults)
{
    EXPECT_EQ(canvas.GetId(), 0u);
    EXPECT_EQ(canvas.GetView(), nullptr);
    EXPECT_EQ(canvas.GetCurrentTool(), nullptr);
    EXPECT_EQ(canvas.GetWidth(), 0);
    EXPECT_EQ(canvas.GetZoom(), 1.0f);
    EXPECT_EQ(canvas.GetRotation(), 0.0f);
    EXPECT_EQ(canvas.GetLayerCount(), 0);
    EXPECT_EQ(canvas.GetComposite(), nullptr);
    EXPECT_EQ(canvas.GetTracingImage(), nullptr);
    EXPECT_EQ(canvas.GetTracingVisible(), 0u);
    EXPECT_EQ(canvas.GetTraceColourPick(), 1u);
    EXPECT_EQ(canvas.GetTracingMode(), 1u);
    EXPECT_EQ(canvas.GetTracingOpacity(), 0.4f);
    EXPECT_EQ(canvas.GetTracingValueB(), 0.0f);
    EXPECT_EQ(canvas.GetTracingScale(), 0.5f);
    EXPECT_EQ(canvas.GetTracingOffset(), (tCPoint{0, 0}));
    EXPECT_EQ(canvas.GetInputIdle(), 1u);
    EXPECT_EQ(canvas.GetShadowColour(), 0x60000000u);
    EXPECT_EQ(canvas.GetShadowRadius(), 4.0f);
    EXPECT_EQ(canvas.GetDirtyRowFirst(), kCleanRowMin);
    EXPECT_EQ(canvas.GetDirtyRowLast(), kCleanRowMax);
    EXPECT_EQ(canvas.GetRenderer(), nullptr);
    ASSERT_EQ(canvas.Initialise(), kResOk);
    EXPECT_EQ(canvas.GetGrain().GetWidth(), 4);
    EXPECT_EQ(canvas.GetGrain().GetHeight(), 4);
    FakeCanvasTool eraser(4906);
    canvas.SetEraserTool(&eraser);
    EXPECT_EQ(canvas.GetEraserTool(), &eraser);
}

TEST_F(CanvasLayersTest, ASideOutsideOneTo32000IsRefused)
{
    for (auto [w, h] : {std::pair{0, 0}, {0, 300}, {-5, 100}, {100, -1}, {32001, 10}, {10, 32001}}) {
        EXPECT_EQ(canvas.SetCanvasSize(w, h), kResBadParam) << w << " x " << h;
        EXPECT_EQ(canvas.GetWidth(), 0);
        EXPECT_EQ(canvas.GetComposite(), nullptr);
    }
    ASSERT_EQ(canvas.SetCanvasSize(1, 1), kResOk);
    EXPECT_EQ(canvas.GetComposite()->GetWidth(), 1);
    EXPECT_EQ(canvas.GetHalfImageA()->GetWidth(), 2);
    EXPECT_EQ(canvas.GetHalfImageA()->GetHeight(), 2);
    EXPECT_EQ(canvas.GetHalfImageB()->GetWidth(), 2);
    EXPECT_EQ(canvas.GetHalfImageB()->GetHeight(), 2);
    ASSERT_EQ(canvas.GetDirtyRowCount(), 1);
    EXPECT_EQ(canvas.GetRowMinX()[0], kCleanRowMin);
    EXPECT_EQ(canvas.GetRowMaxX()[0], kCleanRowMax);
    ASSERT_EQ(canvas.SetCanvasSize(32000, 3), kResOk);
    EXPECT_EQ(canvas.GetHalfImageA()->GetWidth(), 16002);
    EXPECT_EQ(canvas.GetHalfImageA()->GetHeight(), 3);
    EXPECT_EQ(canvas.GetDirtyRowCount(), 3);
}

TEST_F(CanvasLayersTest, AnInsertedLayerMovesTheSecondIndexAlong)
{
    ASSERT_EQ(canvas.SetCanvasSize(3, 2), kResOk);
    ASSERT_EQ(canvas.InsertNewLayer(5), kResOk);
    EXPECT_EQ(canvas.GetLayerCount(), 1);
    EXPECT_EQ(canvas.GetLayer(0)->GetWidth(), 3);
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 0);
    ASSERT_EQ(canvas.InsertNewLayer(1), kResOk);
    // The second index named the top layer, so it follows to the new top.
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 1);
    canvas.SetSecondLayerIndex(0);
    ASSERT_EQ(canvas.InsertNewLayer(2), kResOk);
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 0);
    ASSERT_EQ(canvas.InsertNewLayer(0), kResOk);
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 1);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 0);
    canvas.SetCurrentLayerIndex(-3);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 0);
    canvas.SetCurrentLayerIndex(99);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 3);
    EXPECT_EQ(canvas.GetLayer(4), nullptr);
    EXPECT_EQ(canvas.GetLayer(-1), nullptr);
}

TEST_F(CanvasLayersTest, DeletingTheBottomLayerKeepsTheCurrentLayer)
{
    MakeLayers(3);
    canvas.SetCurrentLayerIndex(2);
    canvas.SetSecondLayerIndex(2);
    canvas.DeleteLayer(0);
    EXPECT_EQ(Marks(), (Stack{1, 2}));
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 1);
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 1);
    canvas.DeleteLayer(-7);
    EXPECT_EQ(Marks(), (Stack{2}));
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 0);
    canvas.DeleteLayer(0);
    canvas.DeleteLayer(0);
    EXPECT_EQ(canvas.GetLayerCount(), 0);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 0);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(CanvasLayersTest, DeletingTheCurrentLayerMakesTheOneBelowItCurrent)
{
    MakeLayers(4);
    canvas.SetCurrentLayerIndex(2);
    canvas.SetSecondLayerIndex(2);
    canvas.DeleteLayer(2);
    EXPECT_EQ(Marks(), (Stack{0, 1, 3}));
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 1);
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 1);
    // A layer above the current one leaves it where it is.
    canvas.DeleteLayer(2);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 1);
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 1);
}

TEST_F(CanvasLayersTest, MovesPlaceTheLayerBeforeTheNamedOne)
{
    MakeLayers(4);
    LayerIndexPair up{0, 3};
    ASSERT_EQ(canvas.MoveLayer(&up, 0), kResOk);
    EXPECT_EQ(Marks(), (Stack{1, 2, 0, 3}));
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(controller.Count(kMsgLayersChanged), 1);

    canvas.DeleteLayer(0);
    canvas.DeleteLayer(0);
    canvas.DeleteLayer(0);
    canvas.DeleteLayer(0);
    MakeLayers(4);
    LayerIndexPair down{3, 0};
    ASSERT_EQ(canvas.MoveLayer(&down, 1), kResOk);
    EXPECT_EQ(Marks(), (Stack{3, 0, 1, 2}));
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].name, "RecordLayerMoved");
    EXPECT_EQ(host.calls[0].first, 3);
    EXPECT_EQ(host.calls[0].second, 0);
}

TEST_F(CanvasLayersTest, AMoveClampsItsSourceAndStaysPutOntoItself)
{
    MakeLayers(3);
    LayerIndexPair beyond{7, 0};
    ASSERT_EQ(canvas.MoveLayer(&beyond, 1), kResOk);
    EXPECT_EQ(beyond.first, 2u);
    EXPECT_EQ(Marks(), (Stack{2, 0, 1}));
    LayerIndexPair same{1, 1};
    host.calls.clear();
    const int changes = controller.Count(kMsgLayersChanged);
    ASSERT_EQ(canvas.MoveLayer(&same, 1), kResOk);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(controller.Count(kMsgLayersChanged), changes);
    // A failing record leaves the stack as it was.
    host.answer = kResFileIO;
    LayerIndexPair refused{0, 3};
    EXPECT_EQ(canvas.MoveLayer(&refused, 1), kResFileIO);
    EXPECT_EQ(Marks(), (Stack{2, 0, 1}));
}

TEST_F(CanvasLayersTest, MergingIntoALowerLayerMakesItCurrent)
{
    MakeLayers(3);
    CLayer* into = canvas.GetLayer(0);
    CLayer* from = canvas.GetLayer(2);
    CellAt(from->GetCellMap(), 1, 1) = MakeCell(0xFF00FF00u, 900);
    LayerIndexPair record{2, 0};
    ASSERT_EQ(canvas.MergeLayers(&record, 1), kResOk);
    EXPECT_EQ(canvas.GetLayerCount(), 2);
    EXPECT_EQ(canvas.GetLayer(0), into);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 0);
    EXPECT_EQ(ColourAt(into->GetCellMap(), 1, 1), 0xFF00FF00u);
    EXPECT_EQ(ThicknessAt(into->GetCellMap(), 1, 1), 900u);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].name, "RecordLayersMerged");
    EXPECT_EQ(host.calls[0].first, 2);
    EXPECT_EQ(host.calls[0].second, 0);
    EXPECT_TRUE(host.calls[0].hadProgress);
    EXPECT_EQ(host.mergedInto, into);
    EXPECT_EQ(host.mergedFrom, from);
    EXPECT_EQ(controller.Count(kMsgLayersChanged), 1);
}

TEST_F(CanvasLayersTest, MergingIntoAHigherLayerMakesTheLayerBelowItCurrent)
{
    MakeLayers(3);
    CLayer* into = canvas.GetLayer(2);
    LayerIndexPair record{0, 2};
    ASSERT_EQ(canvas.MergeLayers(&record, 0), kResOk);
    // The old layer 2 now holds layer 0's opaque mark over its own.
    EXPECT_EQ(Marks(), (Stack{1, 0}));
    EXPECT_EQ(canvas.GetLayer(1), into);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 1);
    EXPECT_TRUE(host.calls.empty());
    LayerIndexPair clamped{uint32_t(-4), 9};
    ASSERT_EQ(canvas.MergeLayers(&clamped, 0), kResOk);
    EXPECT_EQ(clamped.first, 0u);
    EXPECT_EQ(clamped.second, 1u);
    EXPECT_EQ(canvas.GetLayerCount(), 1);
    LayerIndexPair itself{0, 0};
    ASSERT_EQ(canvas.MergeLayers(&itself, 1), kResOk);
    EXPECT_EQ(canvas.GetLayerCount(), 1);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(CanvasLayersTest, ADuplicateIsACopyMadeCurrent)
{
    MakeLayers(3);
    canvas.GetLayer(1)->SetOpacity(0.25f);
    LayerIndexPair record{1, 0};
    ASSERT_EQ(canvas.DuplicateLayer(&record, 1), kResOk);
    EXPECT_EQ(Marks(), (Stack{1, 0, 1, 2}));
    EXPECT_EQ(canvas.GetLayer(0)->GetOpacity(), 0.25f);
    EXPECT_NE(canvas.GetLayer(0), canvas.GetLayer(2));
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 0);
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 3);
    ASSERT_EQ(host.Names(), (std::vector<std::string>{"RecordLayerDuplicated"}));
    EXPECT_EQ(host.calls[0].first, 1);
    EXPECT_EQ(host.calls[0].second, 0);
    LayerIndexPair above{9, 99};
    ASSERT_EQ(canvas.DuplicateLayer(&above, 0), kResOk);
    EXPECT_EQ(above.first, 3u);
    EXPECT_EQ(above.second, 4u);
    EXPECT_EQ(Marks(), (Stack{1, 0, 1, 2, 2}));
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 4);
    EXPECT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(controller.Count(kMsgLayersChanged), 2);
}

TEST_F(CanvasLayersTest, AnOperationThatCannotBeDoneRecordsNothing)
{
    MakeLayers(3);
    // Without an application no pool can hold a grain for a copy to share.
    canvas.GetLayer(1)->SetGrainImage(new CImage8(2, 2));
    LayerIndexPair duplicate{1, 3};
    EXPECT_EQ(canvas.DuplicateLayer(&duplicate, 1), kResFailure);
    ASSERT_EQ(canvas.GetLayer(2)->SetSize(5, 5), kResOk);
    LayerIndexPair merge{2, 0};
    EXPECT_EQ(canvas.MergeLayers(&merge, 1), kResBadParam);
    EXPECT_EQ(canvas.GetLayerCount(), 3);
    EXPECT_TRUE(host.calls.empty());
    // A copy whose undo step cannot be recorded is taken out again.
    host.answer = kResFileIO;
    canvas.SetCurrentLayerIndex(0);
    const std::vector<CLayer*> before{canvas.GetLayer(0), canvas.GetLayer(1), canvas.GetLayer(2)};
    EXPECT_EQ(canvas.InsertLayerCopy(1, 1), kResFileIO);
    EXPECT_EQ((std::vector<CLayer*>{canvas.GetLayer(0), canvas.GetLayer(1), canvas.GetLayer(2)}), before);
    EXPECT_EQ(canvas.GetLayerCount(), 3);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 0);
    EXPECT_EQ(controller.Count(kMsgLayersChanged), 0);
}

TEST_F(CanvasLayersTest, FlatteningMergesEveryLayerIntoTheBottomOne)
{
    MakeLayers(3);
    CellAt(canvas.GetLayer(1)->GetCellMap(), 2, 2) = MakeCell(0xFF123456u);
    CellAt(canvas.GetLayer(2)->GetCellMap(), 3, 2) = MakeCell(0xFF654321u);
    std::vector<CLayer*> before{canvas.GetLayer(0), canvas.GetLayer(1), canvas.GetLayer(2)};
    canvas.SetCurrentLayerIndex(2);
    canvas.SetSecondLayerIndex(2);
    ASSERT_EQ(canvas.FlattenLayers(1), kResOk);
    EXPECT_EQ(canvas.GetLayerCount(), 1);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 0);
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 0) << "clamped to the one layer left";
    uint32_t second = 7;
    EXPECT_EQ(canvas.OnMessage(kMsgSecondLayer, 0, ToMsgArg(&second), 0, kMsgReport), kResOk);
    EXPECT_EQ(second, 0u);
    EXPECT_EQ(Marks(), (Stack{2}));
    EXPECT_EQ(ColourAt(canvas.GetLayer(0)->GetCellMap(), 2, 2), 0xFF123456u);
    EXPECT_EQ(ColourAt(canvas.GetLayer(0)->GetCellMap(), 3, 2), 0xFF654321u);
    EXPECT_EQ(host.Names(), (std::vector<std::string>{"RecordLayersFlattened"}));
    EXPECT_TRUE(host.calls[0].hadProgress) << "the record gets the flatten's progress";
    EXPECT_EQ(host.flattened, before);
    EXPECT_EQ(controller.Count(kMsgLayersChanged), 1);
    ASSERT_EQ(canvas.FlattenLayers(1), kResOk);
    EXPECT_EQ(host.calls.size(), 1u);
}

TEST_F(CanvasLayersTest, LayersOfUnequalSizeAreNotFlattened)
{
    MakeLayers(2);
    ASSERT_EQ(canvas.GetLayer(1)->SetSize(2, 2), kResOk);
    EXPECT_EQ(canvas.FlattenLayers(1), kResBadParam);
    EXPECT_EQ(canvas.GetLayerCount(), 2);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(CanvasLayersTest, ALayerCopyTakesThePaperOfTheCurrentLayer)
{
    MakeLayers(2);
    CLayer& old = *canvas.GetLayer(1);
    old.SetPaperColour(0xFF203040u);
    old.SetPaperShine(0.7f);
    old.SetPaperExtra(0.2f);
    old.SetGrainDepth(0.9f);
    old.SetGrainScale(0.3f);
    old.SetPaperSpare(0.6f);
    old.SetPaperVisible(0);
    old.SetPaperOpacity(0.8f);
    old.SetGrainImage(new CImage8(2, 2));
    canvas.SetCurrentLayerIndex(1);
    ASSERT_EQ(canvas.InsertLayerCopy(1, 1), kResOk);
    ASSERT_EQ(canvas.GetLayerCount(), 3);
    const CLayer& copy = *canvas.GetLayer(2);
    uint32_t colour = 0;
    copy.GetPaperColour(&colour);
    EXPECT_EQ(colour, 0xFF203040u);
    EXPECT_EQ(copy.GetPaperShine(), 0.7f);
    EXPECT_EQ(copy.GetPaperExtra(), 0.2f);
    EXPECT_EQ(copy.GetGrainDepth(), 0.9f);
    EXPECT_EQ(copy.GetGrainScale(), 0.3f);
    EXPECT_EQ(copy.GetPaperSpare(), 0.6f);
    EXPECT_EQ(copy.GetPaperVisible(), 0u);
    // Over other layers the new layer's paper does not show.
    EXPECT_EQ(copy.GetPaperOpacity(), 0.0f);
    // Without an application no pool can hold the grain for both layers.
    EXPECT_EQ(copy.GetGrainImage(), nullptr);
    EXPECT_EQ(ColourAt(canvas.GetLayer(2)->GetCellMap(), 0, 0), 0u);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 2);
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 2);
    ASSERT_EQ(host.Names(), (std::vector<std::string>{"PushUndoStep"}));
    EXPECT_EQ(host.calls[0].first, 2);
    EXPECT_EQ(controller.Count(kMsgLayersChanged), 1);
}

TEST_F(CanvasLayersTest, ALayerCopySharesAGrainThePoolTakes)
{
    ScriptedApp application;
    MakeLayers(1);
    CImage8* grain = new CImage8(2, 2);
    canvas.GetLayer(0)->SetGrainImage(grain);
    canvas.GetLayer(0)->SetPaperOpacity(0.5f);
    ASSERT_EQ(canvas.InsertLayerCopy(0, 0), kResOk);
    EXPECT_TRUE(grain->IsPoolOwned());
    EXPECT_EQ(canvas.GetLayer(1)->GetGrainImage(), grain);
    EXPECT_EQ(canvas.GetLayer(1)->GetPaperOpacity(), 0.0f);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 0);
    EXPECT_TRUE(host.calls.empty());
    // The first layer of an empty canvas keeps its paper.
    CCanvas empty;
    ASSERT_EQ(empty.SetCanvasSize(2, 2), kResOk);
    ASSERT_EQ(empty.InsertLayerCopy(1, 0), kResOk);
    EXPECT_EQ(empty.GetLayerCount(), 1);
    EXPECT_EQ(empty.GetLayer(0)->GetPaperOpacity(), 1.0f);
    EXPECT_EQ(empty.GetCurrentLayerIndex(), 0);
    // The pool, and the grain with it, goes with the application: the layers go first.
    canvas.DeleteLayer(1);
    canvas.DeleteLayer(0);
}

TEST_F(CanvasLayersTest, AResizeTakesTheNewSizeOnlyWithEveryLayerResized)
{
    MakeLayers(2, 4, 3);
    CellMapResize record;
    record.width = 6;
    record.height = 5;
    record.offsetX = 1;
    record.offsetY = 1;
    ASSERT_EQ(canvas.ResizeCanvas(&record, 1), kResOk);
    EXPECT_EQ(canvas.GetWidth(), 6);
    EXPECT_EQ(canvas.GetHeight(), 5);
    EXPECT_EQ(canvas.GetComposite()->GetWidth(), 6);
    EXPECT_EQ(canvas.GetDirtyRowCount(), 5);
    for (int32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(canvas.GetLayer(i)->GetWidth(), 6);
        EXPECT_EQ(ColourAt(canvas.GetLayer(i)->GetCellMap(), 1, 1), 0xFF000000u + uint32_t(i));
    }
    ASSERT_EQ(host.Names(), (std::vector<std::string>{"RecordCanvasResize"}));
    EXPECT_EQ(host.calls[0].first, 6);
    EXPECT_EQ(host.calls[0].second, 5);
    EXPECT_TRUE(host.calls[0].hadProgress);
    EXPECT_EQ(controller.Count(kMsgLayersChanged), 1);

    // A size out of range, or an undo record that fails, leaves everything as it was.
    record.width = 0;
    EXPECT_EQ(canvas.ResizeCanvas(&record, 1), kResBadParam);
    record.width = 9;
    host.answer = kResFileIO;
    EXPECT_EQ(canvas.ResizeCanvas(&record, 1), kResFileIO);
    EXPECT_EQ(canvas.GetWidth(), 6);
    EXPECT_EQ(canvas.GetLayer(0)->GetWidth(), 6);
    EXPECT_EQ(canvas.GetComposite()->GetWidth(), 6);
    EXPECT_EQ(controller.Count(kMsgLayersChanged), 1);
}

// The layers' new cells of 6 x 5 take 300 bytes each: with less memory the resize is refused
// before it is recorded, and the painting keeps its size, layers and composite.
TEST_F(CanvasLayersTest, AResizeWhoseCellsDoNotFitInMemoryChangesNothing)
{
    MakeLayers(2, 4, 3);
    CellMapResize record;
    record.width = 6;
    record.height = 5;
    w32::headless::SetAvailableMemory(6 * 5 * kPaintCellBytes - 1);
    EXPECT_EQ(canvas.ResizeCanvas(&record, 1), kResNoMemory);
    EXPECT_EQ(canvas.GetWidth(), 4);
    EXPECT_EQ(canvas.GetHeight(), 3);
    EXPECT_EQ(canvas.GetComposite()->GetWidth(), 4);
    for (int32_t i = 0; i < 2; ++i) {
        EXPECT_EQ(canvas.GetLayer(i)->GetWidth(), 4);
        EXPECT_EQ(canvas.GetLayer(i)->GetHeight(), 3);
    }
    EXPECT_EQ(Marks(), (Stack{0, 1}));
    EXPECT_TRUE(host.calls.empty()) << "nothing is recorded";
    EXPECT_EQ(controller.Count(kMsgLayersChanged), 0);

    w32::headless::SetAvailableMemory(6 * 5 * kPaintCellBytes);
    ASSERT_EQ(canvas.ResizeCanvas(&record, 1), kResOk);
    EXPECT_EQ(canvas.GetLayer(1)->GetWidth(), 6);
    EXPECT_EQ(canvas.GetWidth(), 6);
}

// Layers handed over go in as a block before the named index; the second index moves along
// when the block goes in at or below it. A layer of another size or an index outside 0..count
// is refused and nothing changes.
TEST_F(CanvasLayersTest, InsertedLayersGoInAsABlockBeforeTheIndex)
{
    MakeLayers(3);
    canvas.SetSecondLayerIndex(1);
    const auto made = [](uint32_t mark, int32_t width) {
        CLayer* layer = new CLayer;
        EXPECT_EQ(layer->SetSize(width, 3), kResOk);
        CellAt(layer->GetCellMap(), 0, 0) = MakeCell(0xFF000000u + mark);
        return layer;
    };
    tCArray<CLayer*> wrong;
    ASSERT_EQ(wrong.Add(made(9, 5)), kResOk);
    EXPECT_EQ(canvas.InsertLayers(1, wrong), kResBadParam);
    delete wrong[0];
    tCArray<CLayer*> block;
    ASSERT_EQ(block.Add(made(7, 4)), kResOk);
    ASSERT_EQ(block.Add(made(8, 4)), kResOk);
    EXPECT_EQ(canvas.InsertLayers(4, block), kResBadParam);
    EXPECT_EQ(canvas.InsertLayers(-1, block), kResBadParam);
    EXPECT_EQ(Marks(), (Stack{0, 1, 2}));
    ASSERT_EQ(canvas.InsertLayers(1, block), kResOk);
    EXPECT_EQ(Marks(), (Stack{0, 7, 8, 1, 2}));
    EXPECT_EQ(block.GetCount(), 0) << "the canvas owns them now";
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 3) << "it follows its layer";
    tCArray<CLayer*> top;
    ASSERT_EQ(top.Add(made(6, 4)), kResOk);
    ASSERT_EQ(canvas.InsertLayers(5, top), kResOk);
    EXPECT_EQ(Marks(), (Stack{0, 7, 8, 1, 2, 6}));
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 3);
}

TEST_F(CanvasLayersTest, EveryLayerUsesTheNearestGrainAtOrBelowIt)
{
    MakeLayers(3);
    EXPECT_EQ(canvas.GetGrainImageFor(2), &canvas.GetGrain());
    CImage8* grain = new CImage8(3, 3);
    canvas.GetLayer(1)->SetGrainImage(grain);
    EXPECT_EQ(canvas.GetGrainImageFor(0), &canvas.GetGrain());
    EXPECT_EQ(canvas.GetGrainImageFor(1), grain);
    EXPECT_EQ(canvas.GetGrainImageFor(2), grain);
    EXPECT_EQ(canvas.GetGrainImageFor(7), grain);
}

TEST_F(CanvasLayersTest, DirtySpansWidenAndReset)
{
    MakeLayers(1, 10, 8);
    canvas.MarkCellsDirty({2, 1, 5, 3});
    canvas.MarkCellsDirty({-4, 2, 1, 20});
    EXPECT_EQ(canvas.GetDirtyRowFirst(), 1);
    EXPECT_EQ(canvas.GetDirtyRowLast(), 7);
    EXPECT_EQ(canvas.GetDirtyColFirst(), 0);
    EXPECT_EQ(canvas.GetDirtyColLast(), 4);
    EXPECT_EQ(canvas.GetRowMinX()[1], 2);
    EXPECT_EQ(canvas.GetRowMaxX()[1], 4);
    EXPECT_EQ(canvas.GetRowMinX()[2], 0);
    EXPECT_EQ(canvas.GetRowMaxX()[2], 4);
    EXPECT_EQ(canvas.GetRowMinX()[7], 0);
    EXPECT_EQ(canvas.GetRowMaxX()[7], 0);
    EXPECT_EQ(canvas.GetRowMinX()[0], kCleanRowMin);
    canvas.ResetDirtySpans();
    for (int32_t y = 0; y < 8; ++y) {
        EXPECT_EQ(canvas.GetRowMinX()[y], kCleanRowMin);
        EXPECT_EQ(canvas.GetRowMaxX()[y], kCleanRowMax);
    }
    EXPECT_EQ(canvas.GetDirtyColFirst(), kCleanRowMin);
    EXPECT_EQ(canvas.GetDirtyColLast(), kCleanRowMax);
    canvas.MarkAllDirty();
    EXPECT_EQ(canvas.GetDirtyRowFirst(), 0);
    EXPECT_EQ(canvas.GetDirtyRowLast(), 7);
    EXPECT_EQ(canvas.GetRowMaxX()[5], 9);
}

TEST_F(CanvasLayersTest, UndoHooksGoToTheControllerWithTheCurrentLayer)
{
    MakeLayers(3);
    canvas.SetCurrentLayerIndex(2);
    ASSERT_EQ(canvas.BeginUndoStep(), kResOk);
    CPaintCellNav cells(canvas.GetLayer(2)->GetCellMap());
    StrokeContext context = MakeStrokeContext(&cells, nullptr, *canvas.GetLayer(2));
    ASSERT_EQ(canvas.SaveUndoTiles(context, {1, 1, 3, 2}), kResOk);
    ASSERT_EQ(canvas.EndUndoStep(), kResOk);
    ASSERT_EQ(host.Names(), (std::vector<std::string>{"BeginUndoStep", "SaveUndoTiles", "EndUndoStep"}));
    EXPECT_EQ(host.calls[0].first, 0);
    EXPECT_EQ(host.calls[0].second, 2);
    EXPECT_EQ(host.calls[1].pointer, &canvas.GetLayer(2)->GetCellMap());
    EXPECT_EQ(host.savedArea, (tCRect{1, 1, 3, 2}));
    StrokeContext empty;
    EXPECT_EQ(canvas.SaveUndoTiles(empty, {0, 0, 1, 1}), kResBadParam);
    canvas.SetHost(nullptr);
    EXPECT_EQ(canvas.BeginUndoStep(), kResOk);
    EXPECT_EQ(host.calls.size(), 3u);
}

TEST_F(CanvasLayersTest, AStrokeContextCarriesTheLayersGrainInIntegers)
{
    MakeLayers(1);
    CLayer& layer = *canvas.GetLayer(0);
    layer.SetGrainDepth(0.5f);
    layer.SetGrainScale(0.5f);
    StrokeContext context = MakeStrokeContext(nullptr, nullptr, layer);
    EXPECT_EQ(context.grainDepth, 256);
    EXPECT_EQ(context.grainStep, 65536);
    // Scale 0: zoom 0.5, step 131072; scale 1: zoom 4, step 16384. Out of range clamps.
    layer.SetGrainScale(0.0f);
    layer.SetGrainDepth(2.0f);
    context = MakeStrokeContext(nullptr, nullptr, layer);
    EXPECT_EQ(context.grainStep, 131072);
    EXPECT_EQ(context.grainDepth, 512);
    layer.SetGrainScale(std::numeric_limits<float>::infinity());
    layer.SetGrainDepth(std::nanf(""));
    context = MakeStrokeContext(nullptr, nullptr, layer);
    EXPECT_EQ(context.grainStep, 16384);
    EXPECT_EQ(context.grainDepth, 0);
}

TEST_F(CanvasLayersTest, UpdateRectRendersTheDirtySpansAndMarksTheLayer)
{
    CStandardRenderer renderer;
    ASSERT_EQ(renderer.ResetLights(), kResOk);
    host.renderer = &renderer;
    MakeLayers(2, 8, 6);
    canvas.SetCurrentLayerIndex(1);
    const tCRect before = canvas.GetLayer(1)->GetDirtyRect();
    CImNav(canvas.GetComposite()).Fill(0x11111111u);
    canvas.MarkCellsDirty({2, 2, 4, 3});
    ASSERT_EQ(canvas.UpdateRect({2, 2, 3, 2}, 1), kResOk);
    EXPECT_NE(PixelAt(*canvas.GetComposite(), 2, 2), 0x11111111u);
    EXPECT_EQ(PixelAt(*canvas.GetComposite(), 2, 3), 0x11111111u);
    // Inclusive edges 2..3 by 2..2, widened by one cell right and bottom.
    const tCRect widened{2, 2, 4, 3};
    EXPECT_EQ(canvas.GetLayer(1)->GetDirtyRect(), before.IsEmpty() ? widened : before.Union(widened));
}

class TracingImage : public CImage {
public:
    explicit TracingImage(bool* deleted) : CImage(2, 2), m_deleted(deleted) {}
    ~TracingImage() override { *m_deleted = true; }

private:
    bool* m_deleted;
};

TEST_F(CanvasLayersTest, TheTracingImageIsDeletedUnlessThePoolHoldsIt)
{
    bool firstGone = false, secondGone = false;
    auto* first = new TracingImage(&firstGone);
    EXPECT_EQ(canvas.SetTracingImage(first), kResOk);
    EXPECT_EQ(canvas.SetTracingImage(first), kResOk);
    EXPECT_FALSE(firstGone);
    auto* second = new TracingImage(&secondGone);
    second->MarkPoolOwned();
    EXPECT_EQ(canvas.SetTracingImage(second), kResOk);
    EXPECT_TRUE(firstGone);
    canvas.ClearTracingImage(0);
    EXPECT_EQ(canvas.GetTracingImage(), nullptr);
    EXPECT_FALSE(secondGone);
    delete second;
}

TEST_F(CanvasLayersTest, TheLayerImageSizeIsSharedAndTheChangeFlagCleared)
{
    MakeLayers(2);
    FillLayerCells(*canvas.GetLayer(1), MakeCell(0xFFFF0000u, 100));
    CLayer::SetLayersChanged(1);
    ASSERT_EQ(canvas.SetLayerImageSize(20, 15), kResOk);
    EXPECT_EQ(CLayer::GetViewImageSize(), (tCPoint{20, 15}));
    EXPECT_EQ(canvas.GetLayer(1)->GetImage().GetWidth(), 20);
    // Each image shows its layer at once: the red layer's is red.
    const CPixel shown = PixelAt(canvas.GetLayer(1)->GetImage(), 10, 7);
    EXPECT_GT((shown >> 16) & 255, (shown >> 8) & 255) << std::hex << shown;
    EXPECT_EQ(CLayer::GetLayersChanged(), 0u);
    ASSERT_EQ(canvas.InsertNewLayer(2), kResOk);
    EXPECT_EQ(canvas.GetLayer(2)->GetImage().GetHeight(), 15);
}

TEST_F(CanvasLayersTest, TakenLayersReadBeforeTheImageSizeWasSetAreSizedAndDrawn)
{
    MakeLayers(1);
    // Read while no painting had set the size, as the first painting opened at the start is.
    auto* red = new CLayer;
    ASSERT_EQ(red->SetSize(4, 3), kResOk);
    FillLayerCells(*red, MakeCell(0xFFFF0000u, 100));
    EXPECT_FALSE(red->GetImage().IsValid());
    ASSERT_EQ(canvas.SetLayerImageSize(20, 15), kResOk);
    tCArray<CLayer*> read;
    ASSERT_EQ(read.Add(red), kResOk);
    ASSERT_EQ(canvas.TakeLayers(read), kResOk);
    ASSERT_EQ(canvas.GetLayer(0), red);
    ASSERT_EQ(red->GetImage().GetWidth(), 20);
    ASSERT_EQ(red->GetImage().GetHeight(), 15);
    const CPixel shown = PixelAt(red->GetImage(), 10, 7);
    EXPECT_GT((shown >> 16) & 255, (shown >> 8) & 255) << std::hex << shown;

    // Layers read for a painting of another shape carry the size of the painting before, which
    // may differ in one side only; one pixel is a size too.
    for (const tCPoint next : {tCPoint{20, 12}, tCPoint{16, 12}, tCPoint{1, 1}}) {
        auto* other = new CLayer;
        ASSERT_EQ(other->SetSize(4, 3), kResOk);
        ASSERT_EQ(canvas.SetLayerImageSize(next.x, next.y), kResOk);
        tCArray<CLayer*> again;
        ASSERT_EQ(again.Add(other), kResOk);
        ASSERT_EQ(canvas.TakeLayers(again), kResOk);
        EXPECT_EQ(other->GetImage().GetWidth(), next.x);
        EXPECT_EQ(other->GetImage().GetHeight(), next.y);
    }
}

}  // namespace
