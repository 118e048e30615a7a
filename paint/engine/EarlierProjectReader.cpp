#include <algorithm>
#include <string>

#include "paint/engine/CChunkImage.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CellMemory.h"
#include "paint/engine/IProjectHost.h"
#include "paint/engine/ProjectFile.h"
#include "paint/engine/ProjectFileTags.h"
#include "paint/engine/ProjectReading.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"

// Files of the earlier format hold one layer: its paper settings and its cells as three images,
// and the current tool as an index with its size and stroke count.

namespace {

// The tool indexes of the earlier format and the ids they name; any other is the oil brush.
constexpr uint32_t kEarlierToolIds[] = {4900, 4901, 4900, 4903, 4902, 4906, 4905, 4904};
constexpr uint32_t kEarlierOilBrushId = 4900;

constexpr char kCutShortText[] = "The file was cut short: the painting holds what could be read of it.";
constexpr char kUnreadableText[] = "Part of the file could not be read: the painting holds what was read before it.";

// The cells are made at the header's size when the first image comes.
tResult PrepareCells(StagedProject& staged)
{
    if (!staged.HasHeader())
        return kResFileInvalid;
    if (staged.cells.IsValid())
        return kResOk;
    TK_TRY(CheckCellMemory(staged.width, staged.height));
    return staged.cells.SetSize(staged.width, staged.height);
}

// Each pixel of an image the layer's size gives one field of its cell: the colour, the alpha
// as shine, or the low 16 bits / 3 as thickness. An image whose header gives another size is
// refused before it is decoded.
tResult ReadCellImage(ProjectReading& reading, uint32_t tag, int64_t length)
{
    StagedProject& staged = reading.staged;
    TK_TRY(PrepareCells(staged));
    CChunkImage encoded;
    TK_TRY(encoded.SetPayload(reading.stream, length));
    TK_TRY(encoded.Measure());
    if (encoded.GetMeasure().width != staged.width || encoded.GetMeasure().height != staged.height)
        return kResFileInvalid;
    CImage image;
    TK_TRY(encoded.Decode(&image));
    const CImNav pixels(&image);
    const CPaintCellNav cells(staged.cells);
    if (!pixels.IsLocked() || !cells.IsValid())
        return kResNoMemory;
    for (int32_t y = 0; y < staged.height; ++y) {
        const CPixel* from = pixels.Pixels(y);
        PaintCell* to = cells.Cells(y);
        for (int32_t x = 0; x < staged.width; ++x) {
            if (tag == kTagEarlierColours)
                to[x].colour = from[x];
            else if (tag == kTagEarlierShine)
                to[x].shine = uint8_t(AlphaOf(from[x]));
            else
                to[x].thickness = uint16_t((from[x] & 0xFFFFu) / 3);
        }
    }
    return kResOk;
}

tResult ReadWord(ProjectReading& reading, int64_t length, uint32_t* word)
{
    return ReadChunkWords(reading.stream, length, word, 1);
}

}  // namespace

tResult ReadEarlierProjectChunk(ProjectReading& reading, uint32_t tag, int64_t length)
{
    if (tag < kTagProjectHeader || tag > kTagTracingMode)
        return kResOk;
    StagedProject& staged = reading.staged;
    uint32_t word;
    switch (tag) {
    case kTagProjectHeader:
        return ReadProjectHeader(reading, length);
    case kTagCurrentTool:
        TK_TRY(ReadWord(reading, length, &word));
        staged.toolId = word < std::size(kEarlierToolIds) ? kEarlierToolIds[word] : kEarlierOilBrushId;
        return kResOk;
    case kTagEarlierToolSize:
        TK_TRY(ReadWord(reading, length, &word));
        staged.toolSize = float(int32_t(word) / 100.0);
        return kResOk;
    case kTagEarlierStrokeCount:
        TK_TRY(ReadWord(reading, length, &word));
        staged.strokeCount = word;
        return kResOk;
    case kTagEarlierPaperColour:
        TK_TRY(ReadWord(reading, length, &word));
        staged.paperColour = word;
        return kResOk;
    case kTagEarlierGrainDepth:
        TK_TRY(ReadWord(reading, length, &word));
        if (const std::optional<float> depth = UnitFloat(word))
            staged.grainDepth = depth;
        return kResOk;
    case kTagEarlierPaperShine:
        TK_TRY(ReadWord(reading, length, &word));
        if (const std::optional<float> shine = UnitFloat(word))
            staged.paperShine = shine;
        return kResOk;
    case kTagEarlierColours:
    case kTagEarlierThickness:
    case kTagEarlierShine:
        return ReadCellImage(reading, tag, length);
    default:
        return ReadSharedChunk(reading, tag, length);
    }
}

// Reading stops at the first failure; what was read before it still makes the painting, and an
// error box says that the file was cut short, or that a part of it could not be read. Without a
// header nothing was read, and a painting that would not fit in the memory left is no painting
// at all: the failure is the answer and the painting stays.
tResult ReadProjectEarlier(IProjectHost& host, tCStream& stream, const tCFPath& path, const tCString& name)
{
    if (!host.GetCanvas())
        return kResBadParam;
    TK_TRY(stream.Rewind());
    ProjectFormat format;
    TK_TRY(ReadProjectLines(stream, &format));
    if (format != ProjectFormat::kEarlier)
        return kResFileInvalid;
    StagedProject staged;
    ProjectReading reading{host, stream, staged, nullptr};
    if (StreamEndsWithin(stream, sizeof(staged.version)))
        return kResFileInvalid;
    TK_TRY(stream.ReadU32(&staged.version));
    const tResult stopped = ReadProjectChunks(reading, ReadEarlierProjectChunk);
    if (!staged.HasHeader())
        return stopped != kResOk ? stopped : kResFileInvalid;
    if (stopped == kResNoMemory)
        return stopped;
    const tResult opened = CommitProject(reading, ProjectFormat::kEarlier, path, name);
    if (opened != kResOk || (stopped == kResOk && !staged.passedOver.Any()))
        return opened;
    std::string told = stopped == kResOk ? "" : (reading.cutShort ? kCutShortText : kUnreadableText);
    const std::string passedOver = PassedOverText(staged.passedOver);
    if (!told.empty() && !passedOver.empty())
        told += ' ';
    told += passedOver;
    ReportResult(stopped != kResOk ? stopped : kResFileIO, told.c_str());
    return opened;
}
