#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <set>
#include <string>

#include "ProjectBytes.h"
#include "ProjectTestSupport.h"
#include "UndoTestSupport.h"
#include "paint/engine/CLayer.h"
#include "platform/headless/Headless.h"
#include "toolkit/imaging/CImNav.h"

namespace {

// A painting to open files into, and what it was before.
class ProjectHostileTest : public ProjectTest {
protected:
    void SetUp() override
    {
        ProjectTest::SetUp();
        Paint(target, 20, 10, 3, 5);
        before = StateOf(target);
    }

    // The file is refused with `code` and the painting stays as it was.
    void ExpectRefused(const std::string& file, tResult code)
    {
        EXPECT_EQ(OpenBytes(target, file), code);
        EXPECT_TRUE(SamePainting(StateOf(target), before));
        EXPECT_EQ(target.Count(kMsgNewProject), 1);
    }

    FakeProjectHost target;
    PaintingState before;
};

// A stream that fails its `failing`-th write and every one after it.
class FailingStream : public tCMemFile {
public:
    explicit FailingStream(int failing) : m_failing(failing) {}
    tResult WriteBytes(const void* buffer, int64_t count) override
    {
        return ++m_writes >= m_failing ? kResFileIO : tCMemFile::WriteBytes(buffer, count);
    }
    int Writes() const { return m_writes; }

private:
    int m_failing;
    int m_writes = 0;
};

TEST_F(ProjectHostileTest, AFileCutAnywhereInsideAChunkChangesNothing)
{
    FakeProjectHost source;
    Paint(source, 12, 9, 2);
    const std::string file = Save(source, "whole.ptg");
    // A file cut between two chunks is a shorter file; one cut inside anything is refused.
    std::set<size_t> boundaries;
    for (const FileChunk& chunk : ChunksOf(file))
        boundaries.insert(chunk.start + chunk.length);
    int refused = 0;
    for (size_t cut = 0; cut < file.size(); ++cut) {
        const tResult result = OpenBytes(target, file.substr(0, cut));
        if (result == kResOk) {
            EXPECT_TRUE(boundaries.count(cut)) << cut;
            Paint(target, 20, 10, 3, 5);
            continue;
        }
        ++refused;
        ASSERT_TRUE(SamePainting(StateOf(target), before)) << cut;
    }
    EXPECT_GE(refused, int(file.size() - boundaries.size()));
}

TEST_F(ProjectHostileTest, ChunkLengthsThatAreNotThereAreRefused)
{
    const std::string lines = ProjectLines("Kostrel 2");
    const std::string layer = PlainLayer(4, 4, 0xFF000000u);
    for (int64_t length : {int64_t(0), int64_t(-1), int64_t(-12), std::numeric_limits<int64_t>::max(),
                           int64_t(1) << 40, int64_t(layer.size()) + 1}) {
        SCOPED_TRACE(length);
        ExpectRefused(lines + HeaderChunk(4, 4) + U32(kTagPaintColour) + I64(length) + layer, kResFileInvalid);
    }
    // The same in a layer's children and in its planes.
    ExpectRefused(lines + HeaderChunk(4, 4) + Chunk(kTagLayerRecord, U32(kTagLayerProperties) + I64(-40)),
                  kResFileInvalid);
}

TEST_F(ProjectHostileTest, HeadersOfNoSizeOrTooLargeOrTwiceAreRefused)
{
    const std::string lines = ProjectLines("Kostrel 2");
    for (const auto& [width, height] : {std::pair{0, 10}, std::pair{10, 0}, std::pair{-3, 10}, std::pair{32001, 5},
                                        std::pair{5, 32001}, std::pair{INT32_MIN, INT32_MIN}}) {
        SCOPED_TRACE(width);
        ExpectRefused(lines + HeaderChunk(width, height) + PlainLayer(4, 4, 0), kResFileInvalid);
    }
    ExpectRefused(lines + HeaderChunk(4, 4) + PlainLayer(4, 4, 0) + HeaderChunk(4, 4), kResFileInvalid);
    ExpectRefused(lines + Chunk(kTagProjectHeader, I32(4) + U16(4)), kResFileInvalid);
    // Without a header there is nothing to open, and layers have no size before it.
    ExpectRefused(lines, kResFileInvalid);
    ExpectRefused(lines + Chunk(kTagPaintColour, U32(1)), kResFileInvalid);
    ExpectRefused(lines + PlainLayer(4, 4, 0) + HeaderChunk(4, 4), kResFileInvalid);
    // A layer of another size than the header's.
    ExpectRefused(lines + HeaderChunk(5, 4) + PlainLayer(4, 4, 0), kResFileIO);
}

TEST_F(ProjectHostileTest, BrokenLayerRecordsAreRefused)
{
    const std::string lines = ProjectLines("Kostrel 2") + HeaderChunk(3, 2);
    const std::vector<uint32_t> six(6, 0);
    const std::vector<std::string> planes = {RawPlane(3, 2, 0, six, 4), RawPlane(3, 2, 1, six, 2),
                                             RawPlane(3, 2, 2, six, 2), RawPlane(3, 2, 3, six, 1),
                                             RawPlane(3, 2, 4, six, 1)};
    const std::string properties = LayerProperties().Bytes();
    for (int32_t count : {0, 4, 6, -1}) {
        SCOPED_TRACE(count);
        ExpectRefused(lines + LayerRecordBytes(properties, planes, "", count), kResFileInvalid);
    }
    ExpectRefused(lines + LayerRecordBytes(properties.substr(0, 39), planes), kResFileInvalid);
    ExpectRefused(lines + LayerRecordBytes(properties, {planes[0], planes[1], planes[2], planes[3]}),
                  kResFileInvalid);
    // Rows of runs and literals of no cells never end; a run past the row's end.
    for (const std::string& item : {U32(0) + U16(1), U32(0x80000000u), U32(4) + U16(1)}) {
        std::vector<std::string> runs = planes;
        runs[1] = PlaneHeader(3, 2, 1, 1);
        for (int i = 0; i < 8; ++i)
            runs[1] += item;
        ExpectRefused(lines + LayerRecordBytes(properties, runs), kResFileIO);
    }
    // Planes of another size or number.
    std::vector<std::string> wrong = planes;
    wrong[2] = RawPlane(3, 2, 3, six, 2);
    ExpectRefused(lines + LayerRecordBytes(properties, wrong), kResFileIO);
}

TEST_F(ProjectHostileTest, ValuesThatAreNotNumbersOrOutOfRangeAreLeftAsTheyWere)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    LayerProperties properties;
    properties.opacity = nan;
    properties.paperOpacity = 7.0f;
    properties.grainDepth = -infinity;
    properties.grainScale = -2.0f;
    const std::string file = ProjectLines("Kostrel 2") + HeaderChunk(4, 4) + PlainLayer(4, 4, 0, properties) +
                             Chunk(kTagTracingOpacity, F32(nan)) + Chunk(kTagTracingScale, F32(infinity)) +
                             Chunk(kTagTracingValueB, F32(-nan)) + Chunk(kTagTracingMode, I32(5)) +
                             Chunk(kTagTracingVisible, I32(2)) + Chunk(kTagPaintColour, U16(3)) +
                             Chunk(kTagCurrentTool, "xy") + Chunk(kTagTracingOffset, I32(1)) +
                             Chunk(kTagTraceColourPick, I32(1)) + Chunk(kTagTracingImage, "not a png") +
                             Chunk(kTagColourList, U16(1));
    ASSERT_EQ(OpenBytes(target, file), kResOk);
    CLayer& layer = *target.canvas.GetLayer(0);
    EXPECT_EQ(layer.GetOpacity(), 1.0f);
    EXPECT_EQ(layer.GetPaperOpacity(), 1.0f);
    EXPECT_EQ(layer.GetGrainDepth(), 0.5f);
    EXPECT_EQ(layer.GetGrainScale(), 0.0f);
    EXPECT_EQ(target.canvas.GetTracingOpacity(), before.tracingFloats[0]);
    EXPECT_EQ(target.canvas.GetTracingScale(), before.tracingFloats[1]);
    EXPECT_EQ(target.canvas.GetTracingValueB(), before.tracingFloats[2]);
    EXPECT_EQ(target.canvas.GetTracingMode(), 1u);
    EXPECT_EQ(target.canvas.GetTracingVisible(), before.tracing[0]);
    EXPECT_EQ(target.canvas.GetTraceColourPick(), 1u);
    EXPECT_EQ(target.colour, before.colour);
    EXPECT_EQ(target.currentTool->GetToolId(), before.currentTool);
    EXPECT_EQ(target.canvas.GetTracingImage(), nullptr) << "the opened painting has no image that decodes";
    EXPECT_EQ(target.canvas.GetTracingOffset().x, int32_t(before.tracing[3]));
    EXPECT_EQ(target.colourList.GetCount(), int32_t(before.colourList.size()));

    // Finite values out of range are kept to 0..1.
    const std::string clamped = ProjectLines("Kostrel 2") + HeaderChunk(4, 4) + Chunk(kTagTracingOpacity, F32(3.0f)) +
                                Chunk(kTagTracingScale, F32(-1.0f)) + Chunk(kTagTracingValueB, F32(-1.0f));
    ASSERT_EQ(OpenBytes(target, clamped), kResOk);
    EXPECT_EQ(target.canvas.GetTracingOpacity(), 1.0f);
    EXPECT_EQ(target.canvas.GetTracingScale(), 0.0f);
    EXPECT_EQ(target.canvas.GetTracingValueB(), -1.0f);
}

TEST_F(ProjectHostileTest, ASmallFileAskingForGigabytesIsRefusedBeforeTheyAreMade)
{
    w32::headless::SetAvailableMemory(uint64_t(1) << 30);
    const std::string file = ProjectLines("Kostrel 2") + HeaderChunk(32000, 32000) + PlainLayer(2, 2, 0);
    ExpectRefused(file, kResNoMemory);
    // So is every image the file holds, from its header, and all of them together: three grains
    // of 28000 x 28000 do not fit where each fits alone.
    const std::string small = ProjectLines("Kostrel 2") + HeaderChunk(4, 4);
    ExpectRefused(small + Chunk(kTagTracingImage, RleBmpEndingAtOnce(20000)), kResNoMemory);
    const std::string grained = PlainLayer(4, 4, 0, LayerProperties(), RleBmpEndingAtOnce(28000));
    ExpectRefused(small + grained + grained + grained, kResNoMemory);
    EXPECT_TRUE(w32::headless::TakeMessageBoxes().empty());
    // Each layer is measured against what is available.
    w32::headless::SetAvailableMemory(999);
    ExpectRefused(ProjectLines("Kostrel 2") + HeaderChunk(10, 10) + PlainLayer(10, 10, 0), kResNoMemory);
    // A chunk's bytes are read where they lie in the file, never held whole: chunks of more bytes
    // than the memory left open when what they make fits in it.
    w32::headless::SetAvailableMemory(512 << 10);
    CImage tiny(6, 5);
    CImNav(&tiny).Pixels(4)[5] = 0xFF203040u;
    const std::string padding(1 << 20, '\0');
    ASSERT_EQ(OpenBytes(target, small + PlainLayer(4, 4, 0, LayerProperties(), PngOf(tiny) + padding) +
                                    Chunk(kTagTracingImage, PngOf(tiny) + padding) +
                                    Chunk(kTagColourList, U32(2) + U32(7) + U32(9) + padding)),
              kResOk);
    ASSERT_NE(target.canvas.GetTracingImage(), nullptr);
    EXPECT_EQ(CImNav(target.canvas.GetTracingImage()).Pixels(4)[5], 0xFF203040u);
    ASSERT_NE(target.canvas.GetLayer(0)->GetGrainImage(), nullptr);
    EXPECT_EQ(target.canvas.GetLayer(0)->GetGrainImage()->GetWidth(), 6);
    EXPECT_EQ(target.colourList.GetEntry(1), 9u);
    EXPECT_TRUE(w32::headless::TakeMessageBoxes().empty());
    w32::headless::SetAvailableMemory(uint64_t(1) << 30);
    EXPECT_EQ(OpenBytes(target, small + grained), kResOk);
    // Images whose bytes cannot hold what their headers say are damaged, not large: the painting
    // opens without them, and one box tells what it lacks.
    const std::string damaged = PlainLayer(4, 4, 0, LayerProperties(), BmpHeaderOnly(30000));
    ASSERT_EQ(OpenBytes(target, small + Chunk(kTagTracingImage, BmpHeaderOnly(20000)) + damaged + damaged), kResOk);
    EXPECT_EQ(target.canvas.GetLayerCount(), 2);
    EXPECT_EQ(target.canvas.GetTracingImage(), nullptr);
    EXPECT_EQ(target.canvas.GetLayer(1)->GetGrainImage(), nullptr);
    const std::vector<w32::headless::tMessageBoxRecord> boxes = w32::headless::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(u"The tracing image and the paper grains of 2 layers could not be read: the "
                                 u"painting opened without them."),
              std::u16string::npos);
    // So does one that measures but does not decode: its data was damaged after its header.
    CImage grain(6, 5);
    std::string png = PngOf(grain);
    png[png.find("IDAT") + 10] ^= 0x5A;
    ASSERT_EQ(OpenBytes(target, small + PlainLayer(4, 4, 0, LayerProperties(), png)), kResOk);
    const std::vector<w32::headless::tMessageBoxRecord> one = w32::headless::TakeMessageBoxes();
    ASSERT_EQ(one.size(), 1u);
    EXPECT_NE(one[0].text.find(u"A layer's paper grain could not be read: the painting opened without it."),
              std::u16string::npos);
    w32::headless::SetAvailableMemory(0);
}

TEST_F(ProjectHostileTest, AFailingNewPaintingIsTheAnswerAndNothingMoreChanges)
{
    FakeProjectHost source;
    Paint(source, 12, 9, 2);
    const std::string file = Save(source, "whole.ptg");
    target.newPaintingAnswer = kResNoMemory;
    EXPECT_EQ(OpenBytes(target, file), kResNoMemory);
    target.newPaintingAnswer = kResOk;
    EXPECT_TRUE(SamePainting(StateOf(target), before));
    EXPECT_EQ(target.busy, 0u);
}

TEST_F(ProjectHostileTest, AnOpenNeedsRoomOnlyForWhatItStillHasToMake)
{
    // Layers read at this view-image size hold their view images when the painting takes them.
    CLayer::SetViewImageSize({64, 48});
    FakeProjectHost source;
    Paint(source, 12, 9, 2);
    const std::string file = Save(source, "whole.ptg");
    // Still to make: the new painting's own layer of 1,080 bytes of cells and a 12,288-byte view
    // image, the composite (432), the half images (384), the row and shadow tables (72 and 84),
    // the undo store's tile mark and staging (1 and 2,592) and the renderer's rows (336), and
    // the file's images, all of them still to be decoded: the 7 x 5 tracing image (140) and the
    // grains of 4 x 4 and 5 x 3 (16 and 15).
    w32::headless::SetAvailableMemory(17440 - 1);
    ExpectRefused(file, kResNoMemory);
    // Less than both layers' view images again, which are there already.
    w32::headless::SetAvailableMemory(17440);
    ASSERT_EQ(OpenBytes(target, file), kResOk);
    EXPECT_EQ(target.canvas.GetLayerCount(), 2);
    EXPECT_EQ(target.canvas.GetWidth(), 12);
    EXPECT_EQ(LayerCells(*target.canvas.GetLayer(1)), LayerCells(*source.canvas.GetLayer(1)));
    // A size set by the new painting itself is met as the layers are taken.
    CLayer::SetViewImageSize({0, 0});
    target.viewImageAfterNewPainting = {64, 48};
    w32::headless::SetAvailableMemory(2 * 64 * 48 * 4 - 1);
    EXPECT_EQ(OpenBytes(target, file), kResNoMemory);
    // The new painting left is not the file's: a save asks where.
    EXPECT_TRUE(target.project.file.GetText().IsEmpty());
    w32::headless::SetAvailableMemory(0);
}

TEST_F(ProjectHostileTest, EveryFailingWriteIsTheAnswerOfTheSave)
{
    FakeProjectHost source;
    Paint(source, 12, 9, 2);
    FailingStream counting(1 << 30);
    ASSERT_EQ(WriteProject(source, counting, tCString(u"n"), nullptr), kResOk);
    ASSERT_GT(counting.Writes(), 40);
    for (int failing = 1; failing <= counting.Writes(); ++failing) {
        FailingStream stream(failing);
        EXPECT_EQ(WriteProject(source, stream, tCString(u"n"), nullptr), kResFileIO) << failing;
        EXPECT_EQ(stream.Writes(), failing);
    }
}

TEST_F(ProjectHostileTest, ASaveThatFailsLeavesThePreviousFileAsItWas)
{
    FakeProjectHost source;
    Paint(source, 30, 20, 2);
    const std::string previous = Save(source, "kept.ptg");
    Paint(source, 30, 20, 3, 9);
    tCFRef path = PathOf("kept.ptg");
    const tCString name = source.project.name;
    tCMemFile whole;
    ASSERT_EQ(WriteProject(source, whole, tCString(u"Changed"), nullptr), kResOk);
    for (int64_t room : {int64_t(0), int64_t(20), int64_t(45), int64_t(200), whole.GetSize() / 2, whole.GetSize() - 1}) {
        SCOPED_TRACE(room);
        tResult saved;
        {
            FileSizeLimit limit(room);
            saved = SaveProject(source, path, tCString(u"Changed"));
        }
        EXPECT_NE(saved, kResOk);
        EXPECT_EQ(ReadWholeFile(folder.File("kept.ptg")), previous);
        EXPECT_EQ(source.project.name, name);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

}  // namespace
