#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "PlaneTestSupport.h"
#include "RecordBytes.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CellPlanes.h"
#include "paint/engine/LayerRecordTags.h"
#include "platform/HeadlessFixture.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage8.h"

namespace {

class LayerRecordTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        CLayer::SetViewImageSize({0, 0});
        CLayer::SetLayersChanged(0);
    }
};

// A stream whose writes fail once `room` bytes are written.
class FullStream : public tCMemFile {
public:
    explicit FullStream(int64_t room) : m_room(room) {}
    tResult WriteBytes(const void* buffer, int64_t count) override
    {
        return GetSize() + count > m_room ? kResFileIO : tCMemFile::WriteBytes(buffer, count);
    }

private:
    int64_t m_room;
};

std::string CellBytes(CLayer& layer)
{
    if (layer.GetWidth() == 0)
        return {};
    return std::string(reinterpret_cast<const char*>(&CellAt(layer.GetCellMap(), 0, 0)),
                       size_t(layer.GetWidth()) * size_t(layer.GetHeight()) * kPaintCellBytes);
}

// Everything a record can change, to tell that a failed read changed nothing.
struct LayerState {
    std::string cells;
    std::vector<float> floats;
    uint32_t paperColour = 0;
    uint32_t visible = 0;
    uint32_t paperVisible = 0;
    CImage8* grain = nullptr;

    explicit LayerState(CLayer& layer)
        : cells(CellBytes(layer)),
          floats{layer.GetPaperShine(), layer.GetGrainDepth(), layer.GetPaperExtra(), layer.GetGrainScale(),
                 layer.GetPaperSpare(), layer.GetOpacity(), layer.GetPaperOpacity()},
          visible(layer.GetVisible()), paperVisible(layer.GetPaperVisible()), grain(layer.GetGrainImage())
    {
        layer.GetPaperColour(&paperColour);
    }
    bool operator==(const LayerState& other) const
    {
        return cells == other.cells && floats == other.floats && paperColour == other.paperColour &&
               visible == other.visible && paperVisible == other.paperVisible && grain == other.grain;
    }
};

CImage8* MakeGrain(int32_t width, int32_t height, uint32_t seed)
{
    auto* grain = new CImage8(width, height);
    CImNav8 nav(grain);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            nav.Bytes(y)[x] = uint8_t(x * 31 + y * 7 + seed);
    return grain;
}

// Sizes the layer and paints stretches of 1 to `longest` equal values into every field; a grain
// image of its own when `grainSide` is not 0.
void PaintLayer(CLayer& layer, int32_t width, int32_t height, uint32_t seed, int longest, int32_t grainSide)
{
    ASSERT_EQ(layer.SetSize(width, height), kResOk);
    std::mt19937 random(seed);
    FillStretches(layer.GetCellMap(), random, longest);
    if (grainSide > 0)
        layer.SetGrainImage(MakeGrain(grainSide, grainSide + 1, seed));
}

std::string GrainBytes(CImage8* grain)
{
    std::string bytes;
    CImNav8 nav(grain);
    for (int32_t y = 0; y < grain->GetHeight(); ++y)
        bytes.append(reinterpret_cast<const char*>(nav.Bytes(y)), size_t(grain->GetWidth()));
    return bytes;
}

void SetPaper(CLayer& layer)
{
    layer.SetPaperColour(0x80102030u);
    layer.SetPaperShine(0.3f);
    layer.SetGrainDepth(0.7f);
    layer.SetPaperExtra(0.1f);
    layer.SetGrainScale(0.9f);
    layer.SetPaperSpare(0.25f);
    layer.SetOpacity(0.4f);
    layer.SetPaperOpacity(0.6f);
    layer.SetVisible(0);
    layer.SetPaperVisible(0);
}

std::string WriteLayer(CLayer& layer)
{
    tCMemFile stream;
    EXPECT_EQ(layer.WriteRecord(&stream, nullptr), kResOk);
    return StreamBytes(stream);
}

// Reads a whole record chunk the way a file's reader meets it: the header first, then the
// payload within it.
tResult ReadLayer(CLayer& layer, const std::string& record)
{
    tCMemFile stream;
    Holding(stream, record);
    if (record.size() < 12)
        return kResFileIO;
    stream.SetPosition(12);
    return layer.ReadRecord(&stream, int64_t(record.size()) - 12, nullptr);
}

// The property block as the format lays it out.
std::string Properties(uint32_t paper, float shine, float depth, float extra, float scale, float spare, float opacity,
                       float paperOpacity, uint32_t visible, uint32_t paperVisible)
{
    return U32(paper) + F32(shine) + F32(depth) + F32(extra) + F32(scale) + F32(spare) + F32(opacity) +
           F32(paperOpacity) + U32(visible) + U32(paperVisible);
}

std::string DefaultProperties() { return Properties(0xFFFFFFFAu, 0.2f, 0.5f, 0, 0.5f, 0, 1, 1, 1, 1); }

// The five raw plane chunks of a layer whose cells are all `cell`.
std::vector<std::string> RawPlaneChunks(int32_t width, int32_t height, const PaintCell& cell)
{
    std::vector<std::string> chunks;
    for (uint32_t plane = 0; plane < 5; ++plane) {
        std::string record = PlaneHeader(width, height, int32_t(plane), 0);
        for (int32_t i = 0; i < width * height; ++i)
            record += LittleEndian(FieldOf(cell, plane), kValueBytes[plane]);
        chunks.push_back(Chunk(kTagLayerPlane, record));
    }
    return chunks;
}

// Planes `first` to `last` of those chunks, one after another.
std::string Join(const std::vector<std::string>& chunks, size_t first = 0, size_t last = 4)
{
    std::string joined;
    for (size_t i = first; i <= last; ++i)
        joined += chunks[i];
    return joined;
}

std::string RawPlanes(int32_t width, int32_t height, const PaintCell& cell)
{
    return Join(RawPlaneChunks(width, height, cell));
}

std::string Record(const std::string& children) { return Chunk(kTagLayerRecord, children); }

TEST_F(LayerRecordTest, LayersComeBackWithTheirCellsPaperAndGrain)
{
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {2, 3}, {9, 9}, {40, 33}, {130, 20}};
    for (bool withGrain : {false, true}) {
        for (auto [width, height] : sizes) {
            CLayer layer;
            PaintLayer(layer, width, height, uint32_t(width * height), 5, withGrain ? 16 : 0);
            SetPaper(layer);
            const std::string record = WriteLayer(layer);

            CLayer read;
            ASSERT_EQ(read.SetSize(width, height), kResOk);
            CLayer::SetLayersChanged(0);
            ASSERT_EQ(ReadLayer(read, record), kResOk) << width << "x" << height;
            EXPECT_EQ(CLayer::GetLayersChanged(), 0u);
            EXPECT_EQ(CellBytes(read), CellBytes(layer)) << width << "x" << height;
            LayerState expected(layer), got(read);
            EXPECT_EQ(got.floats, expected.floats);
            EXPECT_EQ(got.paperColour, 0x80102030u);
            EXPECT_EQ(got.visible, 0u);
            EXPECT_EQ(got.paperVisible, 0u);
            ASSERT_EQ(read.GetGrainImage() != nullptr, withGrain);
            if (withGrain) {
                EXPECT_EQ(read.GetGrainImage()->GetHeight(), 17);
                EXPECT_EQ(GrainBytes(read.GetGrainImage()), GrainBytes(layer.GetGrainImage()));
            }
        }
    }
}

TEST_F(LayerRecordTest, ARecordRoundTripsThroughAFile)
{
    TempFolder folder;
    const tCFRef path(tCString::FromAnsi(folder.File("layer.bin")));
    CLayer layer;
    PaintLayer(layer, 70, 50, 2, 30, 8);
    {
        tCFile file;
        ASSERT_EQ(file.Open(path, tCFile::kAccessWrite), kResOk);
        ASSERT_EQ(layer.WriteRecord(&file, nullptr), kResOk);
        ASSERT_EQ(file.WriteU32(0x12345678u), kResOk);
    }
    tCFile file;
    ASSERT_EQ(file.Open(path, tCFile::kAccessRead), kResOk);
    CChunkReader chunks(file);
    tChunkHeader chunk;
    ASSERT_TRUE(chunks.Next(&chunk));
    ASSERT_EQ(chunk.tag, kTagLayerRecord);
    CLayer read;
    ASSERT_EQ(read.SetSize(70, 50), kResOk);
    ASSERT_EQ(read.ReadRecord(&file, chunk.length, nullptr), kResOk);
    EXPECT_EQ(CellBytes(read), CellBytes(layer));
    // The reader stops at the record's end, where the next data begins.
    uint32_t next = 0;
    ASSERT_EQ(file.ReadU32(&next), kResOk);
    EXPECT_EQ(next, 0x12345678u);
}

uint32_t WordAt(const std::string& bytes, int64_t offset)
{
    return DecodeLittleEndian<uint32_t>(reinterpret_cast<const uint8_t*>(bytes.data()) + offset);
}

// Walks a plane record by the format's rules alone and answers where it ends.
int64_t PlaneRecordEnd(const std::string& bytes, int64_t at)
{
    const int32_t width = int32_t(WordAt(bytes, at)), height = int32_t(WordAt(bytes, at + 4));
    const int64_t b = kValueBytes[WordAt(bytes, at + 8)];
    const bool raw = WordAt(bytes, at + 12) == 0;
    at += 16;
    if (raw)
        return at + b * width * height;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width;) {
            const uint32_t item = WordAt(bytes, at);
            const int64_t count = item & 0x7FFFFFFF;
            at += 4 + ((item & 0x80000000u) ? count : 1) * b;
            x += int32_t(count);
        }
    }
    return at;
}

TEST_F(LayerRecordTest, EveryAnnouncedLengthIsTheRealSize)
{
    CLayer layer;
    PaintLayer(layer, 61, 47, 9, 12, 5);
    const std::string record = WriteLayer(layer);
    ASSERT_GE(record.size(), 12u);
    EXPECT_EQ(int64_t(WordAt(record, 4)) | int64_t(WordAt(record, 8)) << 32, int64_t(record.size()) - 12);

    tCMemFile stream;
    Holding(stream, record);
    CChunkReader top(stream);
    tChunkHeader recordChunk;
    ASSERT_TRUE(top.Next(&recordChunk));
    CChunkReader children(stream, recordChunk);
    tChunkHeader chunk;
    std::vector<uint32_t> tags;
    while (children.Next(&chunk)) {
        tags.push_back(chunk.tag);
        if (chunk.tag == kTagLayerPlane) {
            EXPECT_EQ(PlaneRecordEnd(record, chunk.payloadStart), chunk.GetEnd()) << tags.size();
        }
        if (chunk.tag == kTagLayerProperties) {
            EXPECT_EQ(chunk.length, kLayerPropertyBytes);
        }
    }
    EXPECT_EQ(children.GetResult(), kResOk);
    const std::vector<uint32_t> expected = {kTagLayerProperties, kTagLayerGrain, kTagLayerPlaneCount, kTagLayerPlane,
                                            kTagLayerPlane,      kTagLayerPlane, kTagLayerPlane,      kTagLayerPlane};
    EXPECT_EQ(tags, expected);
}

// A record put together here from the format's tables: an unknown chunk first, then properties,
// the count and five planes, some raw and some run-length, and an unknown chunk last, past which
// the reader leaves the stream.
TEST_F(LayerRecordTest, AHandMadeRecordReadsToItsCellsAndSettings)
{
    const uint32_t red = 0xFFFF0000u, clear = 0x00ABCDEFu;
    std::string planes;
    planes += Chunk(kTagLayerPlane, PlaneHeader(3, 2, 0, 1) + U32(0x80000002u) + U32(red) + U32(clear) +
                                        U32(0x80000001u) + U32(red) + U32(3) + U32(0xFF00FF00u));
    planes += Chunk(kTagLayerPlane, PlaneHeader(3, 2, 1, 0) + U16(1) + U16(2) + U16(3) + U16(4) + U16(5) + U16(6));
    planes += Chunk(kTagLayerPlane, PlaneHeader(3, 2, 2, 1) + U32(3) + U16(65535) + U32(3) + U16(0));
    planes += Chunk(kTagLayerPlane, PlaneHeader(3, 2, 3, 0) + U8(10) + U8(20) + U8(30) + U8(40) + U8(50) + U8(60));
    planes += Chunk(kTagLayerPlane, PlaneHeader(3, 2, 4, 1) + U32(2) + U8(9) + U32(0x80000001u) + U8(8) + U32(3) +
                                        U8(7));
    const std::string record =
        Record(Chunk(0xFF0030FFu, "future") +
               Chunk(kTagLayerProperties, Properties(0xFF808080u, 0.25f, 0.75f, 0.5f, 1.0f, 0.125f, 0.5f, 0.0f, 1, 0)) +
               Chunk(kTagLayerPlaneCount, I32(5)) + planes + Chunk(0xFF0030FEu, "tail"));
    CLayer layer;
    ASSERT_EQ(layer.SetSize(3, 2), kResOk);
    tCMemFile stream;
    Holding(stream, record + "next");
    stream.SetPosition(12);
    ASSERT_EQ(layer.ReadRecord(&stream, int64_t(record.size()) - 12, nullptr), kResOk);
    EXPECT_EQ(stream.GetPosition(), int64_t(record.size()));

    const PaintCell expected[2][3] = {
        {MakeCell(red, 1, 65535, 10, 9), MakeCell(clear, 2, 65535, 20, 9), MakeCell(red, 3, 65535, 30, 8)},
        {MakeCell(0xFF00FF00u, 4, 0, 40, 7), MakeCell(0xFF00FF00u, 5, 0, 50, 7), MakeCell(0xFF00FF00u, 6, 0, 60, 7)}};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_TRUE(SameCell(CellAt(layer.GetCellMap(), x, y), expected[y][x])) << x << "," << y;
    uint32_t paper = 0;
    layer.GetPaperColour(&paper);
    EXPECT_EQ(paper, 0xFF808080u);
    EXPECT_EQ(layer.GetPaperShine(), 0.25f);
    EXPECT_EQ(layer.GetGrainDepth(), 0.75f);
    EXPECT_EQ(layer.GetPaperExtra(), 0.5f);
    EXPECT_EQ(layer.GetGrainScale(), 1.0f);
    EXPECT_EQ(layer.GetPaperSpare(), 0.125f);
    EXPECT_EQ(layer.GetOpacity(), 0.5f);
    EXPECT_EQ(layer.GetPaperOpacity(), 0.0f);
    EXPECT_EQ(layer.GetVisible(), 1u);
    EXPECT_EQ(layer.GetPaperVisible(), 0u);
}

TEST_F(LayerRecordTest, AGrainThatIsMissingOrUnreadableLeavesTheLayersGrain)
{
    const std::string body = Chunk(kTagLayerPlaneCount, I32(5)) + RawPlanes(2, 2, MakeCell(0xFF010203u, 4, 5, 6, 7));
    // A grain whose bytes cannot hold what its header says is damaged, not too large.
    w32::headless::SetAvailableMemory(100 << 20);
    for (const std::string& record :
         {Record(body), Record(Chunk(kTagLayerGrain, "\x89PNG not really") + body),
          Record(Chunk(kTagLayerGrain, BmpHeaderOnly(30000)) + body)}) {
        CLayer layer;
        ASSERT_EQ(layer.SetSize(2, 2), kResOk);
        CImage8* grain = MakeGrain(4, 4, 0);
        layer.SetGrainImage(grain);
        ASSERT_EQ(ReadLayer(layer, record), kResOk);
        EXPECT_EQ(layer.GetGrainImage(), grain);
        EXPECT_EQ(ColourAt(layer.GetCellMap(), 1, 1), 0xFF010203u);
        // Without a property block the settings stay.
        EXPECT_EQ(layer.GetOpacity(), 1.0f);
    }
    w32::headless::SetAvailableMemory(0);
    // One whose header asks for more than the memory left is not decoded, and the record fails.
    CLayer layer;
    ASSERT_EQ(layer.SetSize(2, 2), kResOk);
    const LayerState before(layer);
    w32::headless::SetAvailableMemory(1599);
    EXPECT_EQ(ReadLayer(layer, Record(Chunk(kTagLayerGrain, RleBmpEndingAtOnce(40)) + body)), kResNoMemory);
    w32::headless::SetAvailableMemory(0);
    EXPECT_TRUE(LayerState(layer) == before);
}

TEST_F(LayerRecordTest, FloatsThatAreNoNumbersAreLeftAndTheOthersKeptToRange)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::string body = Chunk(kTagLayerPlaneCount, I32(5)) + RawPlanes(1, 1, MakeCell(0));
    CLayer layer;
    ASSERT_EQ(layer.SetSize(1, 1), kResOk);
    ASSERT_EQ(ReadLayer(layer, Record(Chunk(kTagLayerProperties,
                                            Properties(1, nan, inf, -inf, nan, nan, inf, nan, 1, 1)) + body)),
              kResOk);
    EXPECT_EQ(layer.GetPaperShine(), 0.2f);
    EXPECT_EQ(layer.GetGrainDepth(), 0.5f);
    EXPECT_EQ(layer.GetPaperExtra(), 0.0f);
    EXPECT_EQ(layer.GetGrainScale(), 0.5f);
    EXPECT_EQ(layer.GetPaperSpare(), 0.0f);
    EXPECT_EQ(layer.GetOpacity(), 1.0f);
    EXPECT_EQ(layer.GetPaperOpacity(), 1.0f);

    ASSERT_EQ(ReadLayer(layer, Record(Chunk(kTagLayerProperties,
                                            Properties(1, -0.5f, 7, 2, -1, 7, -3, 1.5f, 1, 1) + "extra bytes") +
                                      body)),
              kResOk);
    EXPECT_EQ(layer.GetPaperShine(), 0.0f);
    EXPECT_EQ(layer.GetGrainDepth(), 1.0f);
    EXPECT_EQ(layer.GetPaperExtra(), 1.0f);
    EXPECT_EQ(layer.GetGrainScale(), 0.0f);
    // The spare setting has no range of its own.
    EXPECT_EQ(layer.GetPaperSpare(), 7.0f);
    EXPECT_EQ(layer.GetOpacity(), 0.0f);
    EXPECT_EQ(layer.GetPaperOpacity(), 1.0f);
}

// Each damaged record answers a code and leaves the layer exactly as it was.
TEST_F(LayerRecordTest, DamagedRecordsChangeNothing)
{
    const std::string props = Chunk(kTagLayerProperties, DefaultProperties());
    const std::string count = Chunk(kTagLayerPlaneCount, I32(5));
    const std::vector<std::string> chunks = RawPlaneChunks(3, 2, MakeCell(0xFF445566u, 1, 2, 3, 4));
    const std::string planes = Join(chunks);
    const std::string firstFour = Join(chunks, 0, 3);
    const auto withLength = [](uint32_t tag, int64_t length, const std::string& payload) {
        return U32(tag) + I64(length) + payload;
    };
    std::string zeroRuns = PlaneHeader(3, 2, 0, 1);
    for (int i = 0; i < 50; ++i)
        zeroRuns += U32(0) + U32(0xFFFFFFFFu) + U32(0x80000000u);
    const struct {
        const char* what;
        std::string record;
    } cases[] = {
        {"property block of 39 bytes", Record(Chunk(kTagLayerProperties, DefaultProperties().substr(0, 39)) + count + planes)},
        {"no plane count", Record(props + planes)},
        {"plane count 0", Record(props + Chunk(kTagLayerPlaneCount, I32(0)) + planes)},
        {"plane count 4", Record(props + Chunk(kTagLayerPlaneCount, I32(4)) + planes)},
        {"plane count 6", Record(props + Chunk(kTagLayerPlaneCount, I32(6)) + planes + chunks[4])},
        {"plane count -1", Record(props + Chunk(kTagLayerPlaneCount, I32(-1)) + planes)},
        {"plane count of two bytes", Record(props + Chunk(kTagLayerPlaneCount, "\x05\x00") + planes)},
        {"four planes", Record(props + count + firstFour)},
        {"a stranger among the planes", Record(props + count + Chunk(0xFF0030FFu, "x") + Join(chunks, 1, 4))},
        {"planes of another size", Record(props + count + RawPlanes(2, 3, MakeCell(1)))},
        {"child of length 0", Record(props + withLength(0xFF0030FFu, 0, "") + count + planes)},
        {"child of negative length", Record(props + withLength(0xFF0030FFu, -1, "") + count + planes)},
        {"child of huge length", Record(props + withLength(kTagLayerGrain, INT64_MAX, "") + count + planes)},
        {"child past its parent",
         Record(props + count + firstFour + withLength(kTagLayerPlane, 100, PlaneHeader(3, 2, 4, 0) + "abcdef"))},
        {"plane of length 0", Record(props + count + firstFour + withLength(kTagLayerPlane, 0, ""))},
        {"plane record longer than its chunk",
         Record(props + count + firstFour + withLength(kTagLayerPlane, 20, PlaneHeader(3, 2, 4, 0) + "abcdef"))},
        {"items of no cells only", Record(props + count + Chunk(kTagLayerPlane, zeroRuns) + Join(chunks, 1, 4))},
        {"record of length 0", withLength(kTagLayerRecord, 0, "")},
    };
    for (const auto& c : cases) {
        CLayer layer;
        PaintLayer(layer, 3, 2, 4, 5, 3);
        SetPaper(layer);
        const LayerState before(layer);
        EXPECT_NE(ReadLayer(layer, c.record), kResOk) << c.what;
        EXPECT_TRUE(LayerState(layer) == before) << c.what;
    }

    // The whole record must lie in the stream, and the count must be whole.
    CLayer layer;
    ASSERT_EQ(layer.SetSize(3, 2), kResOk);
    tCMemFile stream;
    Holding(stream, props + count + planes);
    EXPECT_EQ(layer.ReadRecord(&stream, stream.GetSize() + 1, nullptr), kResFileInvalid);
    EXPECT_EQ(layer.ReadRecord(&stream, -5, nullptr), kResFileInvalid);
    EXPECT_EQ(layer.ReadRecord(nullptr, 5, nullptr), kResBadParam);
    EXPECT_EQ(layer.ReadRecord(&stream, stream.GetSize(), nullptr), kResOk);
}

TEST_F(LayerRecordTest, RecordsCutAtEveryByteChangeNothing)
{
    CLayer source;
    PaintLayer(source, 12, 9, 8, 5, 4);
    const std::string record = WriteLayer(source);

    CLayer layer;
    ASSERT_EQ(layer.SetSize(12, 9), kResOk);
    FillDistinct(layer.GetCellMap());
    const LayerState before(layer);
    const int64_t payload = int64_t(record.size()) - 12;
    tCMemFile stream;
    for (size_t cut = 12; cut < record.size(); ++cut) {
        // The data ends early, or the length given ends the record early.
        Holding(stream, record.substr(0, cut));
        stream.SetPosition(12);
        EXPECT_NE(layer.ReadRecord(&stream, payload, nullptr), kResOk) << cut;
        Holding(stream, record);
        stream.SetPosition(12);
        EXPECT_NE(layer.ReadRecord(&stream, int64_t(cut) - 12, nullptr), kResOk) << cut;
        ASSERT_TRUE(LayerState(layer) == before) << cut;
    }
}

TEST_F(LayerRecordTest, ALayerLargerThanTheMemoryLeftIsNotRead)
{
    CLayer source;
    ASSERT_EQ(source.SetSize(20, 20), kResOk);
    const std::string record = WriteLayer(source);
    CLayer layer;
    ASSERT_EQ(layer.SetSize(20, 20), kResOk);
    FillDistinct(layer.GetCellMap());
    const LayerState before(layer);
    w32::headless::SetAvailableMemory(20 * 20 * kPaintCellBytes - 1);
    EXPECT_EQ(ReadLayer(layer, record), kResNoMemory);
    EXPECT_TRUE(LayerState(layer) == before);
    w32::headless::SetAvailableMemory(20 * 20 * kPaintCellBytes);
    EXPECT_EQ(ReadLayer(layer, record), kResOk);
    EXPECT_EQ(CellBytes(layer), CellBytes(source));
}

TEST_F(LayerRecordTest, WritingReportsElevenUnitsAndStopsAtTheFirstFailure)
{
    CLayer layer;
    PaintLayer(layer, 30, 30, 6, 5, 6);
    {
        tCProgress progress(kLayerRecordProgressUnits, tCString(u"saving"), 0);
        tCMemFile stream;
        ASSERT_EQ(layer.WriteRecord(&stream, &progress), kResOk);
        EXPECT_EQ(progress.GetDone(), 11);
    }
    const int64_t size = int64_t(WriteLayer(layer).size());
    for (int64_t room = 0; room < size; room += 97) {
        FullStream stream(room);
        EXPECT_EQ(layer.WriteRecord(&stream, nullptr), kResFileIO) << room;
    }
    tCMemFile stream;
    EXPECT_EQ(layer.WriteRecord(nullptr, nullptr), kResBadParam);
    CLayer empty;
    EXPECT_EQ(empty.WriteRecord(&stream, nullptr), kResNoMemory);
}

// The files kept beside the fuzzer: records this program wrote, which read and write again byte
// for byte, and damaged ones it found, which must merely be answered.
TEST_F(LayerRecordTest, TheKeptRecordsReadAndTheOnesWrittenHereWriteAgainTheSame)
{
    w32::headless::SetAvailableMemory(4000000);
    int written = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KOSTREL_TEST_DATA "/layer_record")) {
        const std::string name = entry.path().filename().string();
        const std::string bytes = ReadWholeFile(entry.path().string());
        ASSERT_GE(bytes.size(), 2u) << name;
        tCMemFile stream;
        Holding(stream, bytes.substr(2));
        if (uint8_t(bytes[0]) & 0x80) {
            CPaintCellMap map;
            const tResult result = ReadPlaneRecord(map, &stream, uint8_t(bytes[1]) % 5, 1, stream.GetSize());
            EXPECT_TRUE(name.rfind("plane-", 0) != 0 || result == kResOk) << name;
            continue;
        }
        CLayer layer;
        ASSERT_EQ(layer.SetSize(1 + (bytes[0] & 63), 1 + (bytes[1] & 63)), kResOk);
        const tResult result = ReadLayer(layer, bytes.substr(2));
        if (name.rfind("layer-", 0) == 0) {
            EXPECT_EQ(result, kResOk) << name;
            EXPECT_EQ(WriteLayer(layer), bytes.substr(2)) << name;
            ++written;
        }
    }
    EXPECT_GE(written, 4);
}

}  // namespace
