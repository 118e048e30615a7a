#include <cstddef>
#include <cstdint>

#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/text/CTextRenderer.h"
#include "toolkit/text/tCFont.h"

// Reads the input as the data of a 'font' resource (a u32 byte count and a font file); a face
// that loads is sized, measured and drawn into both kinds of image.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ErrorBoxRecorder boxes;
    static const tResult started = InitFreeType();
    if (started != kResOk)
        return 0;
    tCMemFile payload;
    tCMemFile file;
    if (WriteResourcePreamble(payload, 1, tCString(u"Fuzz")) != kResOk ||
        (size > 0 && payload.WriteBytes(data, int64_t(size)) != kResOk) ||
        WriteResourceChunk(file, tCFont::kType, payload.GetData(), payload.GetSize()) != kResOk)
        return 0;
    file.Rewind();
    tCFont font;
    if (font.GetFromRes(1, &file, nullptr) != kResOk || font.SetPixelSizes(14, 1.0f) != kResOk)
        return 0;
    CTextRenderer renderer;
    const char16_t text[] = u"Ag\u00e9 \u20ac";
    renderer.GetTextWidthWithFont(font.GetFace(), text, 0);
    CImage8 coverage(40, 20);
    renderer.RasterizeText(font.GetFace(), text, &coverage, 2.0f, 1.0f, 0, false, 0);
    CImage colour(40, 20);
    renderer.SetUnderline(1);
    renderer.RasterizeText(font.GetFace(), text, &colour, -3.0f, -2.0f, 0, true, 0);
    return 0;
}
