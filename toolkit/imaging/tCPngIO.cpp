#include "toolkit/imaging/tCPngIO.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <string>

#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/CStreamInput.h"
#include "toolkit/imaging/ImageCodecs.h"

// Every libpng call that can fail runs inside RunPngGuarded, whose jump point the library's errors
// return to. The frames the jump leaves behind (the work functions, the library's and the
// stream callbacks) hold nothing with a destructor: what needs cleaning up lives in the
// caller's frame, which the jump never crosses.

namespace {

const char kAuthor[] = "Veltrana Works LTD";
const char kDescription[] = "Image written with Veltrana Works LTD Tessel application toolkit.";

// The most memory the library may take at once while reading. Its rows need far less; a text
// chunk, though, is allocated whole at the length its header gives before a byte of it is read,
// so a few damaged bytes could otherwise ask for two gigabytes.
constexpr png_alloc_size_t kPngReadAllocationLimit = 16 << 20;

png_voidp AllocateForRead(png_structp, png_alloc_size_t size)
{
    return size > kPngReadAllocationLimit ? nullptr : std::malloc(size);
}

void FreeForRead(png_structp, png_voidp block)
{
    std::free(block);
}

void RaiseError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// The stream as the library reads it. A file cut short hands over what is there and zeros for
// the rest, once, so that the rows it holds are decoded before the library meets the damage.
// The row being decoded then, and all below it, are not the file's: the decoding clears them
// and fails, whatever the library made of the zeros; every later read fails.
struct tPngInput {
    CStreamInput stream;
    bool cut = false;
    png_uint_32 cutRow = 0;
};

// Image data is read in small pieces, so that little of a file cut short is lost with its
// last piece.
constexpr size_t kImageDataPiece = 256;

void ReadInput(png_structp png, png_bytep data, size_t length)
{
    tPngInput* input = static_cast<tPngInput*>(png_get_io_ptr(png));
    if (input->stream.Read(data, int64_t(length)))
        return;
    const int64_t there = input->cut ? -1 : input->stream.ReadSome(data, int64_t(length));
    if (there < 0)
        png_error(png, "read failed");
    std::memset(data + there, 0, length - size_t(there));
    input->cut = true;
    input->cutRow = png_get_current_pass_number(png) == 0 ? png_get_current_row_number(png) : 0;
}

void WriteOutput(png_structp png, png_bytep data, size_t length)
{
    if (static_cast<tCStream*>(png_get_io_ptr(png))->WriteBytes(data, int64_t(length)) != kResOk)
        png_error(png, "write failed");
}

void FlushNothing(png_structp) {}

bool RunPngGuarded(png_structp png, void (*work)(png_structp, void*), void* context)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    work(png, context);
    return true;
}

// The read or write structures of one call, destroyed with it.
struct tPngStructs {
    explicit tPngStructs(bool read) : reading(read)
    {
        png = read ? png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, RaiseError, IgnoreWarning, nullptr,
                                              AllocateForRead, FreeForRead)
                   : png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, RaiseError, IgnoreWarning);
        if (png)
            info = png_create_info_struct(png);
    }
    ~tPngStructs()
    {
        if (reading)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        else
            png_destroy_write_struct(&png, info ? &info : nullptr);
    }
    tPngStructs(const tPngStructs&) = delete;
    tPngStructs& operator=(const tPngStructs&) = delete;

    bool reading;
    png_structp png = nullptr;
    png_infop info = nullptr;
};

// The top-down row addresses of a locked view, as the library takes them.
tResult CollectRows(const CImNavBase& view, CMemBlockT<png_bytep>* rows)
{
    if (!view.IsLocked() || view.IsEmpty())
        return kResNoMemory;
    TK_TRY(rows->Resize(view.GetHeight()));
    for (int32_t y = 0; y < view.GetHeight(); ++y)
        rows->GetData()[y] = view.Row(y);
    return kResOk;
}

struct tReadLayout {
    png_infop info;
    bool argb;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    // The bytes of the file's rows before compression, each with its filter byte.
    uint64_t storedBytes = 0;
    size_t rowBytes = 0;
};

void ReadPngHeader(png_structp png, void* context)
{
    tReadLayout* layout = static_cast<tReadLayout*>(context);
    png_set_sig_bytes(png, 0);
    png_read_info(png, layout->info);
    layout->width = png_get_image_width(png, layout->info);
    layout->height = png_get_image_height(png, layout->info);
    const uint64_t bits = uint64_t(png_get_bit_depth(png, layout->info)) * png_get_channels(png, layout->info);
    layout->storedBytes = uint64_t(layout->height) * (1 + (uint64_t(layout->width) * bits + 7) / 8);
}

// Deflate codes at most 258 bytes with a length and a distance code of at least a bit each, so
// no file holds more than 1032 bytes of rows in a byte of data.
bool CanHoldRows(const tPngInput& input, const tReadLayout& layout)
{
    return uint64_t(input.stream.Remaining()) * 1032 >= layout.storedBytes;
}

// Reads the header up to the image data: 16 when the library refuses it, kResImageTooLarge for
// a side past the decoders' limit.
tResult StartReading(tPngStructs& read, tPngInput& input, tReadLayout& layout)
{
    png_set_read_fn(read.png, &input, ReadInput);
    // Every size the format allows reaches the check below, which answers the clear code.
    png_set_user_limits(read.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_compression_buffer_size(read.png, kImageDataPiece);
    if (!RunPngGuarded(read.png, ReadPngHeader, &layout))
        return kResFileIO;
    return IsImageTooLarge(layout.width, layout.height) ? kResImageTooLarge : kResOk;
}

// Asks for the transformations that give B, G, R, A bytes or one grey byte per pixel, whatever
// the file holds. The library sizes its row buffers here.
void SetTransformations(png_structp png, void* context)
{
    tReadLayout* layout = static_cast<tReadLayout*>(context);
    png_infop info = layout->info;
    const int depth = png_get_bit_depth(png, info);
    const int colourType = png_get_color_type(png, info);
    const bool colour = (colourType & PNG_COLOR_MASK_COLOR) != 0;
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (depth == 16)
        png_set_strip_16(png);
    png_color_16p background = nullptr;
    if (png_get_bKGD(png, info, &background))
        png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_expand(png);
    if (layout->argb) {
        if (!colour) {
            if (depth < 8)
                png_set_expand(png);
            png_set_gray_to_rgb(png);
        }
        if (transparency)
            png_set_expand(png);
        if (colour)
            png_set_bgr(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    } else {
        if (!colour && depth < 8)
            png_set_expand(png);
        if (colour)
            png_set_rgb_to_gray_fixed(png, PNG_ERROR_ACTION_NONE, -1, -1);
        // Expanded transparency gives a palette or low-depth grey pixel an alpha byte too.
        if ((colourType & PNG_COLOR_MASK_ALPHA) || transparency)
            png_set_strip_alpha(png);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    layout->rowBytes = png_get_rowbytes(png, info);
}

void ReadRows(png_structp png, void* context)
{
    png_read_image(png, static_cast<png_bytepp>(context));
    png_read_end(png, nullptr);
}

struct tWriteLayout {
    png_infop info;
    png_uint_32 width;
    png_uint_32 height;
    bool argb;
    const char* title;
    png_bytepp rows;
};

void WriteAll(png_structp png, void* context)
{
    const tWriteLayout* layout = static_cast<const tWriteLayout*>(context);
    png_infop info = layout->info;
    png_set_IHDR(png, info, layout->width, layout->height, 8,
                 layout->argb ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_text texts[3] = {};
    const char* const keys[3] = {"Title", "Author", "Description"};
    const char* const values[3] = {layout->title, kAuthor, kDescription};
    for (int i = 0; i < 3; ++i) {
        texts[i].compression = i == 2 ? PNG_TEXT_COMPRESSION_zTXt : PNG_TEXT_COMPRESSION_NONE;
        texts[i].key = const_cast<char*>(keys[i]);
        texts[i].text = const_cast<char*>(values[i]);
    }
    png_set_text(png, info, texts, 3);
    png_write_info(png, info);
    if (layout->argb)
        png_set_bgr(png);
    png_write_image(png, layout->rows);
    png_write_end(png, nullptr);
}

}  // namespace

tResult tCPngIO::ReadImage8(tCStream* stream, CImage8* image)
{
    return Decode(stream, image);
}

tResult tCPngIO::ReadImage(tCStream* stream, CImage* image)
{
    return Decode(stream, image);
}

tResult tCPngIO::WriteImage8(tCStream* stream, CImage8* image)
{
    return Encode(stream, image);
}

tResult tCPngIO::WriteImage(tCStream* stream, CImage* image)
{
    return Encode(stream, image);
}

tResult tCPngIO::ReadImageSize(tCStream* stream, int32_t* width, int32_t* height)
{
    if (!stream || !width || !height)
        return kResBadParam;
    tPngStructs read(true);
    if (!read.info)
        return kResNoMemory;
    tPngInput input{CStreamInput(stream)};
    tReadLayout layout{read.info, true};
    TK_TRY(StartReading(read, input, layout));
    if (!CanHoldRows(input, layout))
        return kResFileIO;
    *width = int32_t(layout.width);
    *height = int32_t(layout.height);
    return kResOk;
}

tResult tCPngIO::Decode(tCStream* stream, CImageBase* image)
{
    const int32_t pixelBytes = image ? image->GetBytesPerPixel() : 0;
    if (!stream || (pixelBytes != 4 && pixelBytes != 1))
        return kResBadParam;
    tPngStructs read(true);
    if (!read.info)
        return kResNoMemory;
    tPngInput input{CStreamInput(stream)};
    tReadLayout layout{read.info, pixelBytes == 4};
    TK_TRY(StartReading(read, input, layout));
    if (!CanHoldRows(input, layout) || !RunPngGuarded(read.png, SetTransformations, &layout))
        return kResFileIO;
    // The transformations must leave exactly the image's row: the library writes whole rows.
    if (layout.rowBytes != size_t(layout.width) * size_t(pixelBytes))
        return kResFileIO;
    if (image->SetSize(int32_t(layout.width), int32_t(layout.height)) != kResOk)
        return kResNoMemory;
    CImNavBase view(image);
    CMemBlockT<png_bytep> rows;
    TK_TRY(CollectRows(view, &rows));
    const bool complete = RunPngGuarded(read.png, ReadRows, rows.GetData());
    if (input.cut) {
        const png_uint_32 from = png_get_interlace_type(read.png, read.info) == PNG_INTERLACE_NONE ? input.cutRow : 0;
        for (png_uint_32 y = from; y < layout.height; ++y)
            std::memset(rows.GetData()[y], 0, layout.rowBytes);
    }
    return (complete && !input.cut) ? kResOk : kResFileIO;
}

tResult tCPngIO::Encode(tCStream* stream, CImageBase* image)
{
    const int32_t pixelBytes = image ? image->GetBytesPerPixel() : 0;
    if (!stream || (pixelBytes != 4 && pixelBytes != 1))
        return kResBadParam;
    tPngStructs write(false);
    if (!write.info)
        return kResNoMemory;
    const std::string title = image->GetName().ToAnsi();
    return WithPixelsUnpacked(image, [&]() -> tResult {
        CImNavBase view(image);
        CMemBlockT<png_bytep> rows;
        TK_TRY(CollectRows(view, &rows));
        png_set_write_fn(write.png, stream, WriteOutput, FlushNothing);
        tWriteLayout layout{write.info,  png_uint_32(view.GetWidth()), png_uint_32(view.GetHeight()),
                            pixelBytes == 4, title.c_str(), rows.GetData()};
        return RunPngGuarded(write.png, WriteAll, &layout) ? kResOk : kResFileIO;
    });
}
