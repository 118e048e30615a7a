#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>
#include <new>

#include "paint/engine/CChunkImage.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CellMemory.h"
#include "paint/engine/CellPlanes.h"
#include "paint/engine/LayerRecordTags.h"
#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCProgress.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageCodecs.h"

namespace {

constexpr int64_t kChunkHeaderBytes = 12;
constexpr int32_t kPlaneProgressUnits[kPlaneCount] = {4, 2, 2, 1, 1};

tResult AddProgress(tCProgress* progress, int32_t units)
{
    return progress ? progress->AddDone(units) : kResOk;
}

tResult ReportPosition(tCProgress* progress, tCStream& stream, int64_t length)
{
    if (!progress || length <= 0)
        return kResOk;
    return progress->SetFraction(float(double(std::max<int64_t>(stream.GetPosition(), 0)) / double(length)));
}

// Floats from a file: a value that is not a number, or infinite, leaves the setting as it was;
// the others are kept to 0..1 unless the setting has no range.
void TakeFloat(uint32_t bits, float& setting, bool unitRange = true)
{
    const float value = std::bit_cast<float>(bits);
    if (std::isfinite(value))
        setting = unitRange ? std::clamp(value, 0.0f, 1.0f) : value;
}

// What a record holds until the whole of it has been read.
struct StagedRecord {
    CPaintCellMap cells;
    bool planeRead[kPlaneCount] = {};
    bool hasProperties = false;
    uint32_t properties[kLayerPropertyBytes / 4] = {};
    std::unique_ptr<CChunkImage> grain;
};

tResult ReadProperties(tCStream& stream, const tChunkHeader& chunk, StagedRecord& staged)
{
    if (chunk.length < kLayerPropertyBytes)
        return kResFileInvalid;
    for (uint32_t& word : staged.properties)
        TK_TRY(stream.ReadU32(&word));
    staged.hasProperties = true;
    return kResOk;
}

// The grain is measured from its header; a damaged one stays unmeasured, to be passed over: the
// layer keeps the grain it has.
tResult ReadGrain(tCStream& stream, const tChunkHeader& chunk, StagedRecord& staged)
{
    std::unique_ptr<CChunkImage> grain(new (std::nothrow) CChunkImage);
    if (!grain)
        return kResNoMemory;
    TK_TRY(grain->SetPayload(stream, chunk.length));
    (void)grain->Measure();
    staged.grain = std::move(grain);
    return kResOk;
}

// The plane count is followed by that many chunks, its siblings; those that are planes are
// read in turn as planes 0 to 4, others are passed over.
tResult ReadPlanes(tCStream& stream, CChunkReader& chunks, const tChunkHeader& countChunk, StagedRecord& staged,
                   tCProgress* progress)
{
    int32_t count;
    if (countChunk.length < 4)
        return kResFileInvalid;
    TK_TRY(stream.ReadI32(&count));
    if (count != int32_t(kPlaneCount))
        return kResFileInvalid;
    for (uint32_t plane = 0; plane < kPlaneCount; ++plane) {
        tChunkHeader chunk;
        if (!chunks.Next(&chunk))
            return chunks.GetResult() != kResOk ? chunks.GetResult() : kResFileInvalid;
        if (chunk.length < 1)
            return kResFileInvalid;
        if (chunk.tag != kTagLayerPlane)
            continue;
        TK_TRY(ReadPlaneRecord(staged.cells, &stream, plane, 0, chunk.length));
        staged.planeRead[plane] = true;
        TK_TRY(ReportPosition(progress, stream, stream.GetLength()));
    }
    return kResOk;
}

tResult ReadChildren(tCStream& stream, const tChunkHeader& record, StagedRecord& staged, tCProgress* progress)
{
    CChunkReader chunks(stream, record);
    tChunkHeader chunk;
    while (chunks.Next(&chunk)) {
        if (chunk.length < 1)
            return kResFileInvalid;
        switch (chunk.tag) {
        case kTagLayerProperties:
            TK_TRY(ReadProperties(stream, chunk, staged));
            break;
        case kTagLayerGrain:
            TK_TRY(ReadGrain(stream, chunk, staged));
            break;
        case kTagLayerPlaneCount:
            TK_TRY(ReadPlanes(stream, chunks, chunk, staged, progress));
            break;
        default:
            break;
        }
        TK_TRY(ReportPosition(progress, stream, stream.GetLength()));
    }
    TK_TRY(chunks.GetResult());
    for (bool read : staged.planeRead)
        if (!read)
            return kResFileInvalid;
    return kResOk;
}

}  // namespace

tResult CLayer::WritePropertyBlock(tCStream& stream) const
{
    TK_TRY(stream.WriteU32(m_paperColour));
    for (float value : {m_paperShine, m_grainDepth, m_paperExtra, m_grainScale, m_paperSpare, m_opacity, m_paperOpacity})
        TK_TRY(stream.WriteFloat(value));
    TK_TRY(stream.WriteU32(m_visible));
    return stream.WriteU32(m_paperVisible);
}

void CLayer::TakePropertyBlock(const uint32_t words[10])
{
    // Taken as stored: no setter runs, so the layers-changed flag stays as it is.
    m_paperColour = words[0];
    TakeFloat(words[1], m_paperShine);
    TakeFloat(words[2], m_grainDepth);
    TakeFloat(words[3], m_paperExtra);
    TakeFloat(words[4], m_grainScale);
    TakeFloat(words[5], m_paperSpare, false);
    TakeFloat(words[6], m_opacity);
    TakeFloat(words[7], m_paperOpacity);
    m_visible = words[8];
    m_paperVisible = words[9];
}

tResult CLayer::WriteRecord(tCStream* stream, tCProgress* progress, uint32_t withGrain)
{
    if (!stream)
        return kResBadParam;
    tCMemFile properties;
    TK_TRY(WritePropertyBlock(properties));
    CImage8* grainImage = withGrain ? m_grainImage : nullptr;

    uint64_t planeBytes[kPlaneCount];
    uint32_t runLength[kPlaneCount];
    int64_t total = properties.GetSize() + kChunkHeaderBytes + kChunkHeaderBytes + 4;
    for (uint32_t plane = 0; plane < kPlaneCount; ++plane) {
        planeBytes[plane] = EstimatePlaneSize(m_cellMap, plane, &runLength[plane]);
        if (planeBytes[plane] == 0)
            return kResNoMemory;
        total += int64_t(planeBytes[plane]) + kChunkHeaderBytes;
    }
    TK_TRY(AddProgress(progress, 1));

    // The grain is encoded straight into the stream, as large as it may be, and the record's
    // length and the grain's are written into their heads once known.
    int64_t recordHead;
    TK_TRY(BeginChunk(stream, kTagLayerRecord, &recordHead));
    const int64_t start = stream->GetPosition();
    TK_TRY(WriteChunkBytes(stream, kTagLayerProperties, properties.GetData(), properties.GetSize()));
    if (grainImage) {
        int64_t grainHead;
        int64_t grainBytes;
        TK_TRY(BeginChunk(stream, kTagLayerGrain, &grainHead));
        TK_TRY(EncodeImage8Stream(stream, grainImage, kImageFormatPng));
        TK_TRY(EndChunk(stream, grainHead, &grainBytes));
        total += grainBytes + kChunkHeaderBytes;
    }
    TK_TRY(WriteChunkI32(stream, kTagLayerPlaneCount, int32_t(kPlaneCount)));
    for (uint32_t plane = 0; plane < kPlaneCount; ++plane) {
        TK_TRY(stream->WriteU32(kTagLayerPlane));
        TK_TRY(stream->WriteI64(int64_t(planeBytes[plane])));
        TK_TRY(WritePlaneRecord(m_cellMap, stream, plane, runLength[plane] != 0 ? 0 : 1));
        TK_TRY(AddProgress(progress, kPlaneProgressUnits[plane]));
    }
    if (start < 0 || stream->GetPosition() - start != total)
        return kResFileIO;
    return EndChunk(stream, recordHead);
}

tResult CLayer::ReadRecord(tCStream* stream, int64_t length, tCProgress* progress,
                          std::unique_ptr<CChunkImage>* storedGrain)
{
    if (!stream)
        return kResBadParam;
    const int64_t start = stream->GetPosition();
    if (start < 0)
        return kResFileIO;
    if (length < 1 || length > stream->GetLength() - start)
        return kResFileInvalid;
    TK_TRY(CheckCellMemory(GetWidth(), GetHeight()));
    StagedRecord staged;
    TK_TRY(staged.cells.SetSize(GetWidth(), GetHeight()));
    tChunkHeader record;
    record.tag = kTagLayerRecord;
    record.length = length;
    record.payloadStart = start;
    TK_TRY(ReadChildren(*stream, record, staged, progress));
    std::unique_ptr<CImage8> grain;
    if (!storedGrain && staged.grain)
        TK_TRY(staged.grain->DecodeNew(&grain));
    // Only now: the decode reads the grain where it lies, inside the record.
    TK_TRY(stream->SetPosition(record.GetEnd()));
    if (storedGrain)
        *storedGrain = std::move(staged.grain);

    m_cellMap.TakeCellsFrom(staged.cells);
    if (staged.hasProperties)
        TakePropertyBlock(staged.properties);
    if (grain)
        SetGrainImage(grain.release());
    return RedrawImage();
}
