#include "paint/engine/CCanvasInfo.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <string>
#include <type_traits>

#include "paint/engine/CPaintingImageFile.h"
#include "paint/engine/EngineResources.h"
#include "paint/engine/StrokeContext.h"
#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/core/FileDialogs.h"
#include "toolkit/core/FileProbes.h"
#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFRelative.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/imaging/ResourceImages.h"

namespace {

// A header line is a few words; a first line longer than this is no preset's.
constexpr int32_t kMaxHeaderUnits = 1024;
// Names are short: a text record longer than this is damaged, and is not read into memory.
constexpr int64_t kMaxTextRecordBytes = 0x20000;
constexpr int64_t kValueBytes = 4;

// The text's UTF-16 units and CR LF, as bytes. Written as bytes, the preset is the same on
// every stream: a memory stream's own text writer ends a text with a NUL as well.
std::string LineBytes(const tCString& text)
{
    return tCStream::LittleEndianUnits(std::u16string(text.View()) + u"\r\n");
}

tResult WriteTextRecord(tCStream* stream, uint32_t tag, const tCString& text)
{
    const std::string bytes = LineBytes(text);
    return WriteChunkBytes(stream, tag, bytes.data(), int64_t(bytes.size()));
}

// The first line's UTF-16 units without its line end; false when no LF ends it early enough.
bool ReadHeaderLine(tCStream* stream, std::u16string* line)
{
    for (int32_t i = 0; i < kMaxHeaderUnits; ++i) {
        uint16_t unit = 0;
        if (stream->ReadU16(&unit) != kResOk)
            return false;
        if (unit == u'\n') {
            if (!line->empty() && line->back() == u'\r')
                line->pop_back();
            return true;
        }
        line->push_back(char16_t(unit));
    }
    return false;
}

// A text record: the UTF-16 units of its payload up to the line end, which need not be there.
tResult ReadTextRecord(tCStream* stream, int64_t length, tCString* text)
{
    if (length > kMaxTextRecordBytes)
        return kResFileInvalid;
    std::string bytes(size_t(length), '\0');
    TK_TRY(stream->ReadBytes(bytes.data(), length));
    std::u16string units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = char16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8);
        if (unit == u'\r' || unit == u'\n' || unit == 0)
            break;
        units.push_back(unit);
    }
    return text->SetText(units.data(), int32_t(units.size()));
}

// A float record: not taken when it is not finite, else clamped to 0..1 when `unit` is set.
tResult ReadFloatRecord(tCStream* stream, float* field, bool unit)
{
    float value = 0.0f;
    TK_TRY(stream->ReadFloat(&value));
    if (std::isfinite(value))
        *field = unit ? ClampUnit(value) : value;
    return kResOk;
}

// A new image of width x height filled by `convert`, or null, also when it would not fit in the
// memory left: a paper texture may be as large as any image.
template <typename Image, typename Convert>
Image* NewConverted(int32_t width, int32_t height, Convert convert)
{
    constexpr int32_t kPixelBytes = std::is_same_v<Image, CImage8> ? 1 : 4;
    if (CheckImageMemory(ImageMeasure{width, height, 0}, kPixelBytes) != kResOk)
        return nullptr;
    std::unique_ptr<Image> image(new (std::nothrow) Image(width, height));
    if (!image || !image->IsValid() || convert(*image) != kResOk)
        return nullptr;
    return image.release();
}

// The image file at `path` decoded into a new 32-bit image, or null, also when its pixels with
// `besideBytes` more a pixel, what the caller makes of them, would not fit in the memory left.
CImage* LoadImageAt(const tCFPath& path, int32_t besideBytes)
{
    CPaintingImageFile file;
    std::unique_ptr<CImage> image(new (std::nothrow) CImage);
    if (!image || file.Open(path) != kResOk || file.Decode(image.get(), besideBytes) != kResOk)
        return nullptr;
    return image.release();
}

}  // namespace

tResult CCanvasInfo::WritePreset(tCStream* stream) const
{
    if (!stream)
        return kResBadParam;
    TK_TRY(stream->Rewind());
    tCString header;
    if (!GetEngineText(kStrPresetHeader, header))
        return kResCreateFailed;
    const std::string headerLine = LineBytes(header);
    TK_TRY(stream->WriteBytes(headerLine.data(), int64_t(headerLine.size())));
    TK_TRY(WriteChunkI32(stream, kPresetFlag, 1));
    TK_TRY(WriteTextRecord(stream, kPresetName, name));
    TK_TRY(WriteTextRecord(stream, kPresetPaperName, paperName));
    TK_TRY(WriteChunkU32(stream, kPresetPaperColour, paperColour));
    TK_TRY(WriteChunkI32(stream, kPresetPaperOpacity, paperOpacity));
    TK_TRY(WriteChunkFloat(stream, kPresetGrainScale, grainScale));
    TK_TRY(WriteChunkFloat(stream, kPresetPaperSpare, paperSpare));
    TK_TRY(WriteChunkFloat(stream, kPresetGrainDepth, grainDepth));
    TK_TRY(WriteChunkFloat(stream, kPresetPaperShine, paperShine));
    return WriteChunkFloat(stream, kPresetPaperExtra, paperExtra);
}

tResult CCanvasInfo::SavePresetFile(tCFPath& path) const
{
    CSafeFileWriter writer;
    TK_TRY(OpenFileForSafeSave(&writer, path, nullptr));
    TK_TRY(WritePreset(&writer.GetFile()));
    return writer.Commit();
}

tResult CCanvasInfo::ReadPreset(tCStream* stream)
{
    if (!stream)
        return kResBadParam;
    TK_TRY(stream->Rewind());
    std::u16string line;
    if (!ReadHeaderLine(stream, &line))
        return kResBadParam;
    tCString header;
    if (GetEngineText(kStrPresetHeader, header) && line != header.View())
        return kResBadParam;
    CChunkReader records(*stream);
    tChunkHeader record;
    while (records.Next(&record)) {
        if (record.length < 1)
            return kResFileInvalid;
        TK_TRY(ApplyPresetRecord(stream, record.tag, record.length));
    }
    return records.GetResult();
}

tResult CCanvasInfo::ApplyPresetRecord(tCStream* stream, uint32_t tag, int64_t length)
{
    if (!stream)
        return kResBadParam;
    if (length < 0)
        return kResFileInvalid;
    if (tag == kPresetName)
        return ReadTextRecord(stream, length, &name);
    if (tag == kPresetPaperName)
        return ReadTextRecord(stream, length, &paperName);
    if (tag > kPresetPaperExtra)
        return kResOk;
    if (length < kValueBytes)
        return kResFileInvalid;
    switch (tag) {
    case kPresetFlag: {
        int32_t value = 0;
        TK_TRY(stream->ReadI32(&value));
        flag = uint32_t(value);
        return kResOk;
    }
    case kPresetPaperColour:
        return stream->ReadU32(&paperColour);
    case kPresetPaperOpacity: {
        int32_t value = 0;
        TK_TRY(stream->ReadI32(&value));
        paperOpacity = std::clamp(value, 0, 255);
        return kResOk;
    }
    case kPresetGrainScale:
        return ReadFloatRecord(stream, &grainScale, true);
    case kPresetPaperSpare:
        return ReadFloatRecord(stream, &paperSpare, false);
    case kPresetGrainDepth:
        return ReadFloatRecord(stream, &grainDepth, true);
    case kPresetPaperShine:
        return ReadFloatRecord(stream, &paperShine, true);
    default:
        return ReadFloatRecord(stream, &paperExtra, true);
    }
}

CImage* CCanvasInfo::LoadPaperTexture() const { return LoadTexture(0); }

CImage* CCanvasInfo::LoadTexture(int32_t besideBytes) const
{
    if (paperName.IsEmpty()) {
        if (!paperImage || !paperImage->IsValid())
            return nullptr;
        return NewConverted<CImage>(paperImage->GetWidth(), paperImage->GetHeight(), [&](CImage& image) {
            CImNav8 from(paperImage);
            CImNav to(&image);
            return ConvertGrey8ToArgb(&to, &from);
        });
    }
    if (CImage* image = LoadResImageByName(paperName, nullptr, nullptr))
        return image;
    const tCFRef file(paperName);
    if (PathFileReadable(file))
        return LoadImageAt(file, besideBytes);
    tCString folder;
    if (!GetEngineText(kStrPapersFolder, folder))
        return nullptr;
    // The folder text ends in its separator: the file's name follows it directly.
    const tCFRelative inFolder(folder.Concat(file.GetFileName()), 0);
    return PathFileExists(inFolder) ? LoadImageAt(inFolder, besideBytes) : nullptr;
}

CImage8* CCanvasInfo::BuildPaperGrain() const
{
    if (paperName.IsEmpty()) {
        if (!paperImage || !paperImage->IsValid())
            return nullptr;
        return NewConverted<CImage8>(paperImage->GetWidth(), paperImage->GetHeight(), [&](CImage8& grain) {
            CImNav8 from(paperImage);
            CImNav8 to(&grain);
            return CopyNavPixels(&to, &from);
        });
    }
    // Decoded only when its grey copy fits beside it.
    const std::unique_ptr<CImage> texture(LoadTexture(1));
    if (!texture)
        return nullptr;
    return NewConverted<CImage8>(texture->GetWidth(), texture->GetHeight(), [&](CImage8& grain) {
        CImNav from(texture.get());
        CImNav8 to(&grain);
        return ConvertArgbToGrey8(&to, &from);
    });
}

bool CCanvasInfo::GivesPaperOf(const CCanvasInfo& other) const
{
    return paperColour == other.paperColour && paperOpacity == other.paperOpacity && grainScale == other.grainScale &&
           paperSpare == other.paperSpare && grainDepth == other.grainDepth && paperShine == other.paperShine &&
           paperExtra == other.paperExtra && paperName == other.paperName &&
           (!paperName.IsEmpty() || paperImage == other.paperImage);
}
