#include <gtest/gtest.h>

#include "BackboneUndoSupport.h"
#include "paint/engine/LayerRecordTags.h"
#include "paint/engine/UndoTestSupport.h"
#include "toolkit/core/tCMemFile.h"

namespace {

class BackboneDamagedStepsTest : public BackboneUndoTest {
public:
    // A record of the given kind and value whose payload `write` writes, then undo and redo:
    // neither changes the painting.
    template <typename Write>
    void ExpectNoChange(uint32_t kind, uint32_t value, Write write)
    {
        tCStream* stream = controller->GetUndoStore().OpenRecord(kind, value);
        ASSERT_NE(stream, nullptr);
        write(*stream);
        ASSERT_EQ(controller->GetUndoStore().CloseRecord(), kResOk);
        const PaintingSnapshot before = Snapshot();
        controller->GetProject().modified = 0;
        EXPECT_FALSE(controller->ApplyUndoStep(1));
        EXPECT_TRUE(Snapshot().SamePainting(before));
        EXPECT_FALSE(controller->ApplyUndoStep(0));
        EXPECT_TRUE(Snapshot().SamePainting(before));
        ASSERT_EQ(Undo(), kResOk);
        EXPECT_EQ(controller->GetProject().modified, 0u);
    }

    // The bytes of the layer record of layer `index`.
    std::string LayerRecordBytes(int32_t index)
    {
        tCMemFile record;
        EXPECT_EQ(Canvas().GetLayer(index)->WriteRecord(&record, nullptr), kResOk);
        return std::string(reinterpret_cast<const char*>(record.GetData()), size_t(record.GetSize()));
    }

    static void Bytes(tCStream& stream, const std::string& bytes)
    {
        ASSERT_EQ(stream.WriteBytes(bytes.data(), int64_t(bytes.size())), kResOk);
    }
    static void Words(tCStream& stream, std::initializer_list<uint32_t> words)
    {
        for (uint32_t word : words)
            ASSERT_EQ(stream.WriteU32(word), kResOk);
    }
};

TEST_F(BackboneDamagedStepsTest, IndexesPastTheLayers)
{
    const std::string layer = LayerRecordBytes(0);
    ExpectNoChange(CHMRBackbone::kStepLayerDeleted, 4, [&](tCStream& s) { Bytes(s, layer), Words(s, {0}); });
    ExpectNoChange(CHMRBackbone::kStepLayerMoved, 7, [&](tCStream& s) { Words(s, {7, 0, 0}); });
    ExpectNoChange(CHMRBackbone::kStepLayerMoved, 0, [&](tCStream& s) { Words(s, {0, 9, 0}); });
    // The layer count itself is one past the last layer; a layer moved onto itself moves nothing.
    ExpectNoChange(CHMRBackbone::kStepLayerMoved, 3, [&](tCStream& s) { Words(s, {3, 0, 0}); });
    ExpectNoChange(CHMRBackbone::kStepLayerMoved, 1, [&](tCStream& s) { Words(s, {1, 1, 0}); });
    ExpectNoChange(CHMRBackbone::kStepLayersMerged, 1, [&](tCStream& s) {
        Words(s, {1, 1});
        Bytes(s, layer);
        Bytes(s, layer);
        Words(s, {0});
    });
    ExpectNoChange(CHMRBackbone::kStepLayersMerged, 6, [&](tCStream& s) {
        Words(s, {6, 1});
        Bytes(s, layer);
        Bytes(s, layer);
        Words(s, {0});
    });
    ExpectNoChange(CHMRBackbone::kStepLayerDuplicated, 0, [&](tCStream& s) { Words(s, {0, 5, 0}); });
    ExpectNoChange(kUndoStepTiles, 3, [](tCStream&) {});
    ExpectNoChange(kUndoStepMarker, 8, [](tCStream&) {});
}

TEST_F(BackboneDamagedStepsTest, CountsTheRecordCannotHold)
{
    const std::string layer = LayerRecordBytes(1);
    ExpectNoChange(CHMRBackbone::kStepLayersFlattened, 0, [&](tCStream& s) { Words(s, {1000000}), Bytes(s, layer); });
    ExpectNoChange(CHMRBackbone::kStepLayersFlattened, 0, [&](tCStream& s) { Words(s, {0}); });
    ExpectNoChange(CHMRBackbone::kStepCanvasResized, 0, [&](tCStream& s) {
        Words(s, {64, 64, 80, 48, 1, 0, 0, 0, 1000000});
        Bytes(s, layer);
    });
}

TEST_F(BackboneDamagedStepsTest, LayerRecordsCutShort)
{
    const std::string layer = LayerRecordBytes(2);
    for (size_t cut : {size_t(0), size_t(5), size_t(12), layer.size() / 2, layer.size() - 1}) {
        SCOPED_TRACE(cut);
        const std::string part = layer.substr(0, cut);
        ExpectNoChange(CHMRBackbone::kStepLayerDeleted, 1, [&](tCStream& s) { Bytes(s, part); });
        ExpectNoChange(CHMRBackbone::kStepLayersMerged, 0, [&](tCStream& s) {
            Words(s, {0, 1});
            Bytes(s, layer);
            Bytes(s, part);
        });
        ExpectNoChange(CHMRBackbone::kStepLayersFlattened, 0, [&](tCStream& s) {
            Words(s, {3});
            Bytes(s, layer);
            Bytes(s, layer);
            Bytes(s, part);
        });
    }
    // A record whose length runs past the step.
    std::string longer = layer;
    longer[10] = char(0x7F);
    ExpectNoChange(CHMRBackbone::kStepLayerDeleted, 1, [&](tCStream& s) { Bytes(s, longer); });
}

TEST_F(BackboneDamagedStepsTest, SizesOutsideThePainting)
{
    const std::string layer = LayerRecordBytes(0);
    for (const std::array<int32_t, 4>& sizes :
         {std::array{64, 64, 0, 0}, std::array{0, 0, 80, 48}, std::array{64, 64, 40000, 48}}) {
        ExpectNoChange(CHMRBackbone::kStepCanvasResized, 0, [&](tCStream& s) {
            Words(s, {uint32_t(sizes[0]), uint32_t(sizes[1]), uint32_t(sizes[2]), uint32_t(sizes[3]), 1, 0, 0, 0, 3});
            Bytes(s, layer);
            Bytes(s, layer);
            Bytes(s, layer);
            Words(s, {0});
        });
    }
    // Stored layers of another size than the record's old size.
    ExpectNoChange(CHMRBackbone::kStepCanvasResized, 0, [&](tCStream& s) {
        Words(s, {32, 32, 64, 64, 1, 0, 0, 0, 3});
        Bytes(s, layer);
        Bytes(s, layer);
        Bytes(s, layer);
        Words(s, {0});
    });
}

TEST_F(BackboneDamagedStepsTest, AStoreThatCannotWriteLeavesThePaintingAsItWas)
{
    TemporaryFolderScope folder;
    ASSERT_EQ(controller->GetUndoStore().Initialise(64, 64), kResOk);
    const PaintingSnapshot before = Snapshot();
    {
        FileSizeLimit limit(0);
        EXPECT_NE(Send(kMsgDeleteLayer, 1), kResOk);
        EXPECT_NE(Pair(kMsgMergeLayers, 0, 2), kResOk);
        EXPECT_NE(Send(kMsgFlattenLayers), kResOk);
        EXPECT_NE(Resize(80, 48), kResOk);
        EXPECT_NE(Pair(kMsgMoveLayer, 0, 2), kResOk);
        EXPECT_TRUE(Snapshot().SamePainting(before)) << Snapshot();
        for (int i = 0; i < 3; ++i) {
            (void)controller->ApplyUndoStep(1);
            (void)controller->ApplyUndoStep(0);
        }
    }
    EXPECT_TRUE(Snapshot().SamePainting(before)) << Snapshot();
    // The resize's box came with its text, and no step was taken back for it.
    bool resizeReported = false;
    for (const auto& [code, text] : Reports())
        resizeReported = resizeReported || text == tCString(kResizeFailedText).ToAnsi();
    EXPECT_TRUE(resizeReported);
}

TEST_F(BackboneDamagedStepsTest, AFailedResizeTakesBackOnlyItsOwnStep)
{
    TemporaryFolderScope folder;
    ASSERT_EQ(controller->GetUndoStore().Initialise(64, 64), kResOk);
    Stroke(4, 6, 58, 50);
    const PaintingSnapshot stroked = Snapshot();
    backdrop.messages.clear();
    {
        FileSizeLimit limit(0);
        CellMapResize size;
        size.width = 80;
        size.height = 48;
        EXPECT_NE(Send(kMsgResizePainting, ToMsgArg(&size)), kResOk);
    }
    EXPECT_TRUE(Snapshot().SamePainting(stroked)) << Snapshot();
    EXPECT_EQ(backdrop.Count(kMsgNewProject), 1);
}

}  // namespace
