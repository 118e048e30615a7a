#include <memory>
#include <new>

#include "paint/engine/CColourList.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CellMemory.h"
#include "paint/engine/EngineResources.h"
#include "paint/engine/ICanvasTool.h"
#include "paint/engine/IProjectHost.h"
#include "paint/engine/LayerRecordTags.h"
#include "paint/engine/ProjectFile.h"
#include "paint/engine/ProjectFileTags.h"
#include "paint/engine/ProjectReading.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCStreamWindow.h"
#include "toolkit/core/tCProgress.h"

namespace {

constexpr int32_t kOpenProgressSteps = 100;

// Records of tools the host does not have are passed over; the others are read once the whole
// file was, from where they lie.
tResult StageToolRecord(ProjectReading& reading, int64_t length)
{
    const int64_t start = reading.stream.GetPosition();
    uint32_t id;
    TK_TRY(ReadChunkWords(reading.stream, length, &id, 1));
    ICanvasTool* tool = FindProjectTool(reading.host, id);
    if (!tool)
        return kResOk;
    return reading.staged.toolRecords.Add({tool, start, start + length});
}

tResult StageCurrentTool(ProjectReading& reading, int64_t length)
{
    uint32_t id;
    TK_TRY(ReadChunkWords(reading.stream, length, &id, 1));
    reading.staged.toolId = id;
    return kResOk;
}

tResult StageLayerIndex(ProjectReading& reading, int64_t length, std::optional<int32_t>& index)
{
    uint32_t word;
    TK_TRY(ReadChunkWords(reading.stream, length, &word, 1));
    index = int32_t(word);
    return kResOk;
}

// Every layer record makes a layer of the header's size; one that would not fit in the memory
// the system has is refused before its cells are made. Its grain is measured, and decoded with
// the file's other images once the whole painting was found to fit.
tResult StageLayer(ProjectReading& reading, int64_t length)
{
    StagedProject& staged = reading.staged;
    if (!staged.HasHeader())
        return kResFileInvalid;
    TK_TRY(CheckCellMemory(staged.width, staged.height));
    std::unique_ptr<CLayer> layer(new (std::nothrow) CLayer);
    if (!layer)
        return kResNoMemory;
    TK_TRY(layer->SetSize(staged.width, staged.height));
    std::unique_ptr<CChunkImage> grain;
    TK_TRY(layer->ReadRecord(&reading.stream, length, reading.progress, &grain));
    if (grain && !grain->IsMeasured())
        ++staged.passedOver.grains;
    else if (grain) {
        TK_TRY(staged.grains.Add({staged.layers.GetCount(), grain.get()}));
        grain.release();
    }
    TK_TRY(staged.layers.Add(layer.get()));
    layer.release();
    return kResOk;
}

tResult StageColourList(ProjectReading& reading, int64_t length)
{
    tCStreamWindow payload;
    TK_TRY(payload.Open(reading.stream, reading.stream.GetPosition(), length));
    std::unique_ptr<CColourList> list(new (std::nothrow) CColourList);
    if (!list)
        return kResNoMemory;
    TK_TRY(list->Read(&payload));
    reading.staged.colourList = std::move(list);
    return kResOk;
}

// Values outside the header and the layers; each is read from the file where it lies.
tResult ReadProjectValue(ProjectReading& reading, uint32_t tag, int64_t length)
{
    switch (tag) {
    case kTagToolSettings:
        return StageToolRecord(reading, length);
    case kTagCurrentTool:
        return StageCurrentTool(reading, length);
    case kTagCurrentLayer:
        return StageLayerIndex(reading, length, reading.staged.currentLayer);
    case kTagSecondLayer:
        return StageLayerIndex(reading, length, reading.staged.secondLayer);
    case kTagColourList:
        return StageColourList(reading, length);
    default:
        return ReadSharedChunk(reading, tag, length);
    }
}

}  // namespace

tResult ReadProjectChunk(ProjectReading& reading, uint32_t tag, int64_t length)
{
    switch (tag) {
    case kTagProjectHeader:
        return ReadProjectHeader(reading, length);
    case kTagLayerRecord:
        return StageLayer(reading, length);
    default: {
        // A value that does not read is left unapplied, but one that runs out of memory refuses
        // the painting, as a layer does: opening without it would lose it at the next save.
        const tResult read = ReadProjectValue(reading, tag, length);
        return read == kResNoMemory ? read : kResOk;
    }
    }
}

tResult ReadProjectCurrent(IProjectHost& host, tCStream& stream, const tCFPath& path, const tCString& name)
{
    if (!host.GetCanvas())
        return kResBadParam;
    TK_TRY(stream.Rewind());
    ProjectFormat format;
    TK_TRY(ReadProjectLines(stream, &format));
    if (format != ProjectFormat::kCurrent)
        return kResFileInvalid;
    tCProgress progress(kOpenProgressSteps, GetEngineTextOrEmpty(kStrOpeningProject), 0);
    StagedProject staged;
    ProjectReading reading{host, stream, staged, &progress};
    if (StreamEndsWithin(stream, sizeof(staged.version)))
        return kResFileInvalid;
    TK_TRY(stream.ReadU32(&staged.version));
    TK_TRY(ReadProjectChunks(reading, ReadProjectChunk));
    if (!staged.HasHeader())
        return kResFileInvalid;
    TK_TRY(CommitProject(reading, ProjectFormat::kCurrent, path, name));
    if (staged.passedOver.Any())
        ReportResult(kResFileIO, PassedOverText(staged.passedOver).c_str());
    return kResOk;
}

tResult ReadProject(IProjectHost& host, tCStream& stream, const tCFPath& path, const tCString& name)
{
    TK_TRY(stream.Rewind());
    ProjectFormat format;
    TK_TRY(ReadProjectLines(stream, &format));
    return format == ProjectFormat::kCurrent ? ReadProjectCurrent(host, stream, path, name)
                                             : ReadProjectEarlier(host, stream, path, name);
}

tResult OpenProject(IProjectHost& host, const tCFPath& path, const tCString& name)
{
    tCFile file;
    TK_TRY(file.Open(path, tCFile::kAccessRead));
    return ReadProject(host, file, path, name);
}
