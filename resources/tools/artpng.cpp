// artpng [--mask] INPUT OUTPUT: makes a rasterised PNG fit to pack as an interface image.
// Without --mask the file is copied with its critical chunks and transparency only: the image
// loader composites over a background colour chunk, which would lose the alpha. With --mask it
// is rewritten as an 8-bit grey PNG, the form of the masks that widgets tint; the grey is the
// colour's luminance and alpha is dropped, so masks are drawn white on black.
#include <cstdio>
#include <cstring>
#include <string>

#include "resources/compiler/BinaryFiles.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/tCPngIO.h"

namespace {

const char kSignature[] = "\x89PNG\r\n\x1A\n";

uint32_t BigEndian32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

// The PNG with only its critical chunks and tRNS; false for a file that is not a whole PNG.
bool KeepEssentialChunks(const std::string& png, std::string* kept)
{
    if (png.compare(0, 8, kSignature) != 0)
        return false;
    *kept = png.substr(0, 8);
    for (size_t at = 8; at < png.size();) {
        if (png.size() - at < 12 || BigEndian32(png, at) > png.size() - at - 12)
            return false;
        const size_t size = 12 + BigEndian32(png, at);
        const std::string type = png.substr(at + 4, 4);
        const bool critical = type[0] >= 'A' && type[0] <= 'Z';
        if (critical || type == "tRNS")
            *kept += png.substr(at, size);
        at += size;
        if (type == "IEND")
            return at == png.size();
    }
    return false;
}

int Fail(const char* what, const char* file)
{
    std::fprintf(stderr, "artpng: %s %s\n", what, file);
    return 1;
}

int WriteMask(const char* input, const char* output)
{
    tCFile file;
    if (file.Open(tCFRef(tCString::FromAnsi(input)), tCFile::kAccessRead) != kResOk)
        return Fail("cannot open", input);
    CImage8 mask;
    tCPngIO png;
    if (png.ReadImage8(&file, &mask) != kResOk)
        return Fail("cannot decode", input);
    tCMemFile encoded;
    if (png.WriteImage8(&encoded, &mask) != kResOk ||
        WriteBinaryFile(output, std::string(reinterpret_cast<const char*>(encoded.GetData()),
                                            size_t(encoded.GetSize()))) != kResOk)
        return Fail("cannot write", output);
    return 0;
}

int WriteImage(const char* input, const char* output)
{
    std::string png, kept;
    if (ReadBinaryFile(input, &png) != kResOk)
        return Fail("cannot read", input);
    if (!KeepEssentialChunks(png, &kept))
        return Fail("is not a whole PNG file:", input);
    return WriteBinaryFile(output, kept) == kResOk ? 0 : Fail("cannot write", output);
}

}  // namespace

int main(int argc, char** argv)
{
    const bool mask = argc == 4 && std::strcmp(argv[1], "--mask") == 0;
    if (argc != 3 && !mask) {
        std::fprintf(stderr, "usage: artpng [--mask] INPUT OUTPUT\n");
        return 2;
    }
    return mask ? WriteMask(argv[2], argv[3]) : WriteImage(argv[1], argv[2]);
}
