#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "paint/engine/CChunkImage.h"
#include "paint/engine/CColourList.h"
#include "paint/engine/CPaintCellMap.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCPoint.h"

class CLayer;
class ICanvasTool;
class IProjectHost;
class tCFPath;
class tCProgress;
class tCStream;
class tCString;

// What the readers of project files share: the content read so far, kept apart from the painting
// until the whole file was read, and the readers of the chunks both formats know.

// A tool's settings record, where it lies in the stream.
struct StagedToolRecord {
    ICanvasTool* tool = nullptr;
    int64_t start = 0;
    int64_t end = 0;
};

// A layer's grain image, measured and not yet decoded.
struct StagedGrain {
    int32_t layer = 0;
    CChunkImage* image = nullptr;
};

// The images of the file that the painting opens without: damaged, or not decoded.
struct PassedOverImages {
    bool tracingImage = false;
    int32_t grains = 0;

    bool Any() const { return tracingImage || grains > 0; }
};

// Everything a project file sets, as far as it was read. Values the file did not hold, or held
// in a form that could not be taken, are empty and leave the painting's own as they are.
struct StagedProject {
    StagedProject() = default;
    ~StagedProject();
    StagedProject(const StagedProject&) = delete;
    StagedProject& operator=(const StagedProject&) = delete;

    bool HasHeader() const { return width > 0; }

    uint32_t version = 0;
    // The painting's size from the header; 0 until it was read.
    int32_t width = 0;
    int32_t height = 0;
    // The layers of the current format, bottom first; owned until the painting takes them.
    tCArray<CLayer*> layers;
    // Their grain images, owned; decoded once the whole painting was found to fit with them,
    // each let go once it is.
    tCArray<StagedGrain> grains;
    std::optional<int32_t> currentLayer;
    std::optional<int32_t> secondLayer;
    tCArray<StagedToolRecord> toolRecords;
    std::optional<uint32_t> colour;
    std::optional<uint32_t> toolId;
    std::optional<uint32_t> tracingVisible;
    std::optional<uint32_t> traceColourPick;
    std::optional<uint32_t> tracingMode;
    std::optional<float> tracingOpacity;
    std::optional<float> tracingScale;
    std::optional<float> tracingValueB;
    std::optional<tCPoint> tracingOffset;
    // Decoded, as the grains, once the whole painting was found to fit with it.
    std::unique_ptr<CChunkImage> tracingImage;
    PassedOverImages passedOver;
    std::unique_ptr<CColourList> colourList;

    // The earlier format's settings of the current tool and of the one layer.
    std::optional<float> toolSize;
    std::optional<uint32_t> strokeCount;
    std::optional<uint32_t> paperColour;
    std::optional<float> grainDepth;
    std::optional<float> paperShine;
    // Its cells, made when the first cell image arrives.
    CPaintCellMap cells;
};

struct ProjectReading {
    IProjectHost& host;
    tCStream& stream;
    StagedProject& staged;
    tCProgress* progress = nullptr;
    // Set when the chunks stopped at one whose head or payload runs past the stream's end.
    bool cutShort = false;
};

enum class ProjectFormat { kCurrent, kEarlier };

// Floats from a file: a value that is not finite is not taken; UnitFloat keeps the others to 0..1.
std::optional<float> FiniteFloat(uint32_t bits);
std::optional<float> UnitFloat(uint32_t bits);

// True when fewer than `size` bytes follow the stream's position: a file that ends inside its
// lines or its version was cut short and is no project file (17).
bool StreamEndsWithin(tCStream& stream, int64_t size);

// Reads the banner and the creator line from the stream's position: 17 when they are not those
// of a project file or the stream ends inside them, 1 when a read fails before its end.
tResult ReadProjectLines(tCStream& stream, ProjectFormat* format);

// Each reads the payload of `length` bytes at the stream's position (the chunk's size is known to
// lie within the stream). The current format's: 17 for a second header or a header of a size
// outside 1..32000, a layer record before the header or one that does not read (its code); 5 when
// the memory left cannot hold what a chunk needs; any other payload that does not read is left
// unapplied. Images are only measured here, a damaged one noted as passed over: CommitProject
// decodes them, refusing the painting with 5 when their pixels do not fit. The earlier format's
// answers any failure.
tResult ReadProjectChunk(ProjectReading& reading, uint32_t tag, int64_t length);
tResult ReadEarlierProjectChunk(ProjectReading& reading, uint32_t tag, int64_t length);

// Reads the chunks from the stream's position to its end, each with `readChunk`, telling the
// progress (when there is one) how far it got. 17 for a chunk that is empty or whose head or
// payload runs past the end (the reading's cutShort then set), else the first failure of a read
// or of `readChunk`.
using ProjectChunkReader = tResult (*)(ProjectReading& reading, uint32_t tag, int64_t length);
tResult ReadProjectChunks(ProjectReading& reading, ProjectChunkReader readChunk);

// The header, and the chunks both formats share: colour and the tracing values and image. 0 for
// a tag that is none of these.
tResult ReadProjectHeader(ProjectReading& reading, int64_t length);
tResult ReadSharedChunk(ProjectReading& reading, uint32_t tag, int64_t length);

// The host's tool of the id, or null.
ICanvasTool* FindProjectTool(IProjectHost& host, uint32_t id);

// `count` little-endian words from the payload; 16 when it is shorter.
tResult ReadChunkWords(tCStream& stream, int64_t length, uint32_t* words, int32_t count);

// Makes the staged content the painting: a new painting of the header's size (0xFF000002, its
// failure answered and nothing more changed; 5 before it when what the painting still has to
// allocate, the file's images with it, would not fit in the memory the system has), then the
// layers (their failure answered, the new painting then left without a file), tools' settings,
// colour, tool, tracing values and image and colour list, then the notifications of an opened
// project. The file's images are decoded before the new painting is made; one that does not
// decode is passed over and noted in the staged content.
tResult CommitProject(ProjectReading& reading, ProjectFormat format, const tCFPath& path, const tCString& name);

// What the opened painting lacks of its file's images, as one sentence for the box that tells it;
// empty when it lacks none.
std::string PassedOverText(const PassedOverImages& passedOver);
