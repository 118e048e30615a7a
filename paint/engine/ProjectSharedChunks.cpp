#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>
#include <new>
#include <string>

#include "paint/engine/CCanvas.h"
#include "paint/engine/EngineResources.h"
#include "paint/engine/ProjectFileTags.h"
#include "paint/engine/ProjectReading.h"
#include "toolkit/core/tCProgress.h"

// The parts of a project file both formats read alike: the first lines, the header, the colour
// and the tracing values and image.

namespace {

// Lines longer than this are no project's.
constexpr int32_t kMaxLineBytes = 256;

// A narrow line up to its LF, less the character before the LF (the CR of a CR LF). A file that
// ends before the LF is no project file.
tResult ReadLine(tCStream& stream, std::string* line)
{
    line->clear();
    for (;;) {
        if (StreamEndsWithin(stream, 1))
            return kResFileInvalid;
        uint8_t byte;
        if (stream.ReadU8(&byte) != kResOk)
            return kResFailure;
        if (byte == '\n')
            break;
        if (line->size() == size_t(kMaxLineBytes))
            return kResFileInvalid;
        line->push_back(char(byte));
    }
    if (!line->empty())
        line->pop_back();
    return kResOk;
}

bool IsEarlierCreator(const std::string& line)
{
    for (const char* name : kEarlierCreators)
        if (line == name)
            return true;
    return false;
}

// The image is measured from its header now and decoded once the whole painting was found to
// fit with it. One that cannot be read or is damaged is passed over, and the painting opens
// without a tracing image; a later tracing image takes the place of an earlier one.
tResult ReadTracingImage(ProjectReading& reading, int64_t length)
{
    StagedProject& staged = reading.staged;
    staged.tracingImage.reset();
    staged.passedOver.tracingImage = true;
    std::unique_ptr<CChunkImage> image(new (std::nothrow) CChunkImage);
    if (!image)
        return kResNoMemory;
    TK_TRY(image->SetPayload(reading.stream, length));
    if (image->Measure() != kResOk)
        return kResOk;
    staged.tracingImage = std::move(image);
    staged.passedOver.tracingImage = false;
    return kResOk;
}

// A chunk that runs past the stream's end: the file was cut short.
tResult CutShort(ProjectReading& reading)
{
    reading.cutShort = true;
    return kResFileInvalid;
}

constexpr uint32_t kLastStoredTracingMode = 4;
constexpr int64_t kSharedChunkHeaderBytes = 12;

}  // namespace

bool StreamEndsWithin(tCStream& stream, int64_t size)
{
    const int64_t position = stream.GetPosition();
    return position >= 0 && stream.GetLength() - position < size;
}

std::optional<float> FiniteFloat(uint32_t bits)
{
    const float value = std::bit_cast<float>(bits);
    return std::isfinite(value) ? std::optional<float>(value) : std::nullopt;
}

std::optional<float> UnitFloat(uint32_t bits)
{
    const std::optional<float> value = FiniteFloat(bits);
    return value ? std::optional<float>(std::clamp(*value, 0.0f, 1.0f)) : std::nullopt;
}

tResult ReadProjectChunks(ProjectReading& reading, ProjectChunkReader readChunk)
{
    tCStream& stream = reading.stream;
    const int64_t fileLength = stream.GetLength();
    for (;;) {
        const int64_t start = stream.GetPosition();
        if (start < 0)
            return kResFileIO;
        if (start >= fileLength)
            return kResOk;
        // A chunk whose head or payload runs past the end belongs to a file cut short.
        if (fileLength - start < kSharedChunkHeaderBytes)
            return CutShort(reading);
        uint32_t tag;
        int64_t length;
        TK_TRY(stream.ReadU32(&tag));
        TK_TRY(stream.ReadI64(&length));
        if (length <= 0)
            return kResFileInvalid;
        if (length > fileLength - start - kSharedChunkHeaderBytes)
            return CutShort(reading);
        TK_TRY(readChunk(reading, tag, length));
        const int64_t next = start + kSharedChunkHeaderBytes + length;
        TK_TRY(stream.SetPosition(next));
        if (reading.progress)
            TK_TRY(reading.progress->SetFraction(float(double(next) / double(fileLength))));
    }
}

tResult ReadProjectLines(tCStream& stream, ProjectFormat* format)
{
    std::string line;
    TK_TRY(ReadLine(stream, &line));
    if (line != kProjectBanner)
        return kResFileInvalid;
    TK_TRY(ReadLine(stream, &line));
    tCString product;
    if (GetEngineText(kStrProductName, product) && line == product.ToAnsi()) {
        *format = ProjectFormat::kCurrent;
        return kResOk;
    }
    if (!IsEarlierCreator(line))
        return kResFileInvalid;
    *format = ProjectFormat::kEarlier;
    return kResOk;
}

tResult ReadChunkWords(tCStream& stream, int64_t length, uint32_t* words, int32_t count)
{
    if (length < 4 * int64_t(count))
        return kResFileIO;
    for (int32_t i = 0; i < count; ++i)
        TK_TRY(stream.ReadU32(&words[i]));
    return kResOk;
}

// The name before the size is not used: the project keeps the name it is opened with. Taking the
// size from the payload's last 8 bytes reads names that end in a NUL and names without an end.
tResult ReadProjectHeader(ProjectReading& reading, int64_t length)
{
    StagedProject& staged = reading.staged;
    if (staged.HasHeader() || length < 8)
        return kResFileInvalid;
    const int64_t size = reading.stream.GetPosition() + length - 8;
    TK_TRY(reading.stream.SetPosition(size));
    int32_t width;
    int32_t height;
    TK_TRY(reading.stream.ReadI32(&width));
    TK_TRY(reading.stream.ReadI32(&height));
    if (width < 1 || height < 1 || width > kMaxCanvasSide || height > kMaxCanvasSide)
        return kResFileInvalid;
    staged.width = width;
    staged.height = height;
    return kResOk;
}

tResult ReadSharedChunk(ProjectReading& reading, uint32_t tag, int64_t length)
{
    StagedProject& staged = reading.staged;
    uint32_t words[2];
    switch (tag) {
    case kTagPaintColour:
        TK_TRY(ReadChunkWords(reading.stream, length, words, 1));
        staged.colour = words[0];
        return kResOk;
    case kTagTracingVisible:
        TK_TRY(ReadChunkWords(reading.stream, length, words, 1));
        // Shown or hidden; another value would ask the controller to toggle it.
        if (words[0] <= 1)
            staged.tracingVisible = words[0];
        return kResOk;
    case kTagTraceColourPick:
        TK_TRY(ReadChunkWords(reading.stream, length, words, 1));
        staged.traceColourPick = words[0];
        return kResOk;
    case kTagTracingMode:
        TK_TRY(ReadChunkWords(reading.stream, length, words, 1));
        if (words[0] <= kLastStoredTracingMode)
            staged.tracingMode = words[0];
        return kResOk;
    case kTagTracingOpacity:
        TK_TRY(ReadChunkWords(reading.stream, length, words, 1));
        if (const std::optional<float> value = UnitFloat(words[0]))
            staged.tracingOpacity = value;
        return kResOk;
    case kTagTracingScale:
        TK_TRY(ReadChunkWords(reading.stream, length, words, 1));
        if (const std::optional<float> value = UnitFloat(words[0]))
            staged.tracingScale = value;
        return kResOk;
    case kTagTracingValueB:
        TK_TRY(ReadChunkWords(reading.stream, length, words, 1));
        if (const std::optional<float> value = FiniteFloat(words[0]))
            staged.tracingValueB = value;
        return kResOk;
    case kTagTracingOffset:
        TK_TRY(ReadChunkWords(reading.stream, length, words, 2));
        staged.tracingOffset = tCPoint{int32_t(words[0]), int32_t(words[1])};
        return kResOk;
    case kTagTracingImage:
        return ReadTracingImage(reading, length);
    default:
        return kResOk;
    }
}
