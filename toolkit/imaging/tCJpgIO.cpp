#include "toolkit/imaging/tCJpgIO.h"

#include <cstddef>
#include <cstdio>
#include <csetjmp>

#include <jpeglib.h>
#include <jerror.h>

#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/CStreamInput.h"
#include "toolkit/imaging/ImageCodecs.h"
#include "toolkit/imaging/PixelMath.h"

// Every libjpeg call that can fail runs inside RunJpegGuarded, whose jump point the library's error
// exit returns to. The frames the jump leaves behind (the work functions, the library's and
// the stream managers) hold nothing with a destructor: the library records live in the caller's
// frame, which the jump never crosses, and are destroyed there.

namespace {

constexpr size_t kBufferBytes = 4096;

struct tJpegErrors {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void ShowNothing(j_common_ptr) {}

void JumpBack(j_common_ptr info)
{
    (*info->err->output_message)(info);
    longjmp(reinterpret_cast<tJpegErrors*>(info->err)->jump, 1);
}

jpeg_error_mgr* SetUpErrors(tJpegErrors* errors)
{
    jpeg_std_error(&errors->manager);
    errors->manager.output_message = ShowNothing;
    errors->manager.error_exit = JumpBack;
    return &errors->manager;
}

bool RunJpegGuarded(tJpegErrors* errors, void (*work)(void*), void* context)
{
    if (setjmp(errors->jump))
        return false;
    work(context);
    return true;
}

// The source manager: the stream through a 4096-byte buffer that holds what was really read.
struct tJpegSource {
    jpeg_source_mgr manager;
    CStreamInput* input;
    JOCTET buffer[kBufferBytes];
    boolean startOfFile;
};

void InitSource(j_decompress_ptr info)
{
    reinterpret_cast<tJpegSource*>(info->src)->startOfFile = TRUE;
}

boolean FillInput(j_decompress_ptr info)
{
    tJpegSource* source = reinterpret_cast<tJpegSource*>(info->src);
    int64_t got = source->input->ReadSome(source->buffer, kBufferBytes);
    // A read that fails is no end of the data: the image is not the file's.
    if (got < 0)
        ERREXIT(info, JERR_FILE_READ);
    if (got == 0) {
        if (source->startOfFile)
            ERREXIT(info, JERR_INPUT_EMPTY);
        // A file cut short ends as if its end-of-image marker came now.
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        got = 2;
    }
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = size_t(got);
    source->startOfFile = FALSE;
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long count)
{
    jpeg_source_mgr* source = info->src;
    if (count <= 0)
        return;
    while (size_t(count) > source->bytes_in_buffer) {
        count -= long(source->bytes_in_buffer);
        (*source->fill_input_buffer)(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

void TerminateNothing(j_decompress_ptr) {}

void AttachSource(j_decompress_ptr info, CStreamInput* input)
{
    tJpegSource* source = static_cast<tJpegSource*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, sizeof(tJpegSource)));
    source->input = input;
    source->manager.init_source = InitSource;
    source->manager.fill_input_buffer = FillInput;
    source->manager.skip_input_data = SkipInput;
    source->manager.resync_to_restart = jpeg_resync_to_restart;
    source->manager.term_source = TerminateNothing;
    source->manager.bytes_in_buffer = 0;
    source->manager.next_input_byte = nullptr;
    info->src = &source->manager;
}

// The destination manager: the stream through a 4096-byte buffer; a failed write is a library
// error.
struct tJpegDestination {
    jpeg_destination_mgr manager;
    tCStream* stream;
    JOCTET* buffer;
};

void InitDestination(j_compress_ptr info)
{
    tJpegDestination* destination = reinterpret_cast<tJpegDestination*>(info->dest);
    destination->buffer = static_cast<JOCTET*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, kBufferBytes));
    destination->manager.next_output_byte = destination->buffer;
    destination->manager.free_in_buffer = kBufferBytes;
}

void WriteBuffer(j_compress_ptr info, size_t count)
{
    tJpegDestination* destination = reinterpret_cast<tJpegDestination*>(info->dest);
    if (count > 0 && destination->stream->WriteBytes(destination->buffer, int64_t(count)) != kResOk)
        ERREXIT(info, JERR_FILE_WRITE);
    destination->manager.next_output_byte = destination->buffer;
    destination->manager.free_in_buffer = kBufferBytes;
}

boolean EmptyOutput(j_compress_ptr info)
{
    WriteBuffer(info, kBufferBytes);
    return TRUE;
}

void TerminateDestination(j_compress_ptr info)
{
    WriteBuffer(info, kBufferBytes - info->dest->free_in_buffer);
}

void AttachDestination(j_compress_ptr info, tCStream* stream)
{
    tJpegDestination* destination = static_cast<tJpegDestination*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, sizeof(tJpegDestination)));
    destination->stream = stream;
    destination->buffer = nullptr;
    destination->manager.init_destination = InitDestination;
    destination->manager.empty_output_buffer = EmptyOutput;
    destination->manager.term_destination = TerminateDestination;
    info->dest = &destination->manager;
}

// The library records of one read, destroyed with it.
struct tJpegRead {
    tJpegRead() { info.err = SetUpErrors(&errors); }
    ~tJpegRead() { jpeg_destroy_decompress(&info); }
    tJpegRead(const tJpegRead&) = delete;
    tJpegRead& operator=(const tJpegRead&) = delete;

    tJpegErrors errors = {};
    jpeg_decompress_struct info = {};
    CStreamInput* input = nullptr;
    CImNavBase* view = nullptr;
    bool multipleScans = false;
};

struct tJpegWrite {
    tJpegWrite() { info.err = SetUpErrors(&errors); }
    ~tJpegWrite() { jpeg_destroy_compress(&info); }
    tJpegWrite(const tJpegWrite&) = delete;
    tJpegWrite& operator=(const tJpegWrite&) = delete;

    tJpegErrors errors = {};
    jpeg_compress_struct info = {};
    tCStream* stream = nullptr;
    CImNavBase* view = nullptr;
};

void ReadJpegHeader(void* context)
{
    tJpegRead* read = static_cast<tJpegRead*>(context);
    jpeg_create_decompress(&read->info);
    AttachSource(&read->info, read->input);
    jpeg_read_header(&read->info, TRUE);
    read->multipleScans = jpeg_has_multiple_scans(&read->info);
}

int64_t RoundUp(JDIMENSION value, int factor)
{
    return (int64_t(value) + factor - 1) / factor * factor;
}

// A file of several scans (progressive, or sequential with its components in scans of their own)
// is decoded through coefficient buffers for the whole image, held from the first scan until the
// last: 64 coefficients of two bytes for each 8 x 8 block of each component, a component's blocks
// rounded up to whole sampling units. A single scan needs a few rows of blocks only.
int64_t CoefficientBytes(const tJpegRead& read)
{
    if (!read.multipleScans)
        return 0;
    int64_t bytes = 0;
    for (int c = 0; c < read.info.num_components; ++c) {
        const jpeg_component_info& component = read.info.comp_info[c];
        bytes += RoundUp(component.width_in_blocks, component.h_samp_factor) *
                 RoundUp(component.height_in_blocks, component.v_samp_factor) * int64_t(sizeof(JBLOCK));
    }
    return bytes;
}

void StartDecompress(void* context)
{
    jpeg_start_decompress(&static_cast<tJpegRead*>(context)->info);
}

// A Huffman code is at least a bit long, and every 8 x 8 block of every component codes its DC
// value, so a file cannot hold more blocks than it has bits left. Arithmetic coding can take
// less than a bit a block: such files are taken as they are.
bool CanHoldBlocks(const jpeg_decompress_struct& info, const CStreamInput& input)
{
    if (info.arith_code)
        return true;
    uint64_t blocks = 0;
    for (int c = 0; c < info.num_components; ++c)
        blocks += uint64_t(info.comp_info[c].width_in_blocks) * info.comp_info[c].height_in_blocks;
    const uint64_t bytes = uint64_t(input.Remaining()) + info.src->bytes_in_buffer;
    return bytes * 8 >= blocks;
}

// CMYK as the library gives it: files with the Adobe marker store the inks inverted.
void CmykToArgb(const JSAMPLE* in, bool inverted, int32_t width, CPixel* out)
{
    for (int32_t x = 0; x < width; ++x, in += 4) {
        uint32_t v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = inverted ? in[i] : 255u - in[i];
        out[x] = 0xFF000000u | (v[0] * v[3] / 255) << 16 | (v[1] * v[3] / 255) << 8 | v[2] * v[3] / 255;
    }
}

void ConvertRow(const jpeg_decompress_struct& info, const JSAMPLE* in, uint8_t* row, bool argb)
{
    const int32_t width = int32_t(info.output_width);
    CPixel* pixels = reinterpret_cast<CPixel*>(row);
    if (info.output_components == 3) {
        for (int32_t x = 0; x < width; ++x, in += 3) {
            if (argb)
                pixels[x] = 0xFF000000u | uint32_t(in[0]) << 16 | uint32_t(in[1]) << 8 | in[2];
            else
                row[x] = uint8_t((in[0] + in[1] + in[2]) / 3);
        }
    } else if (info.out_color_space == JCS_CMYK && argb) {
        CmykToArgb(in, info.saw_Adobe_marker, width, pixels);
    } else if (info.out_color_space == JCS_CMYK) {
        for (int32_t x = 0; x < width; ++x, in += 4) {
            CPixel colour;
            CmykToArgb(in, info.saw_Adobe_marker, 1, &colour);
            row[x] = ArgbToGrey(colour);
        }
    } else {
        // Any other layout reads its first bytes as grey, one a pixel.
        for (int32_t x = 0; x < width; ++x)
            if (argb)
                pixels[x] = 0xFF000000u | in[x] * 0x010101u;
            else
                row[x] = in[x];
    }
}

void ReadScanlines(void* context)
{
    tJpegRead* read = static_cast<tJpegRead*>(context);
    jpeg_decompress_struct& info = read->info;
    JSAMPARRAY line = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * JDIMENSION(info.output_components), 1);
    const bool argb = read->view->GetBytesPerPixel() == 4;
    while (info.output_scanline < info.output_height) {
        const int32_t y = int32_t(info.output_scanline);
        jpeg_read_scanlines(&info, line, 1);
        ConvertRow(info, line[0], read->view->Row(y), argb);
    }
    jpeg_finish_decompress(&info);
}

void WriteScanlines(void* context)
{
    tJpegWrite* write = static_cast<tJpegWrite*>(context);
    jpeg_compress_struct& info = write->info;
    const bool argb = write->view->GetBytesPerPixel() == 4;
    jpeg_create_compress(&info);
    AttachDestination(&info, write->stream);
    info.image_width = JDIMENSION(write->view->GetWidth());
    info.image_height = JDIMENSION(write->view->GetHeight());
    info.input_components = argb ? 3 : 1;
    info.in_color_space = argb ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    JSAMPARRAY line = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.image_width * JDIMENSION(info.input_components), 1);
    for (int32_t y = 0; y < write->view->GetHeight(); ++y) {
        const uint8_t* row = write->view->Row(y);
        if (argb) {
            const CPixel* pixels = reinterpret_cast<const CPixel*>(row);
            for (JDIMENSION x = 0; x < info.image_width; ++x) {
                line[0][3 * x] = JSAMPLE(pixels[x] >> 16);
                line[0][3 * x + 1] = JSAMPLE(pixels[x] >> 8);
                line[0][3 * x + 2] = JSAMPLE(pixels[x]);
            }
        } else {
            for (JDIMENSION x = 0; x < info.image_width; ++x)
                line[0][x] = row[x];
        }
        jpeg_write_scanlines(&info, line, 1);
    }
    jpeg_finish_compress(&info);
}

// Reads the header from `input`; a side past the decoders' limit is refused here, before the
// library allocates anything of the image's size.
tResult ReadCheckedHeader(CStreamInput* input, tJpegRead* read)
{
    read->input = input;
    if (!RunJpegGuarded(&read->errors, ReadJpegHeader, read))
        return kResFailure;
    return IsImageTooLarge(read->info.image_width, read->info.image_height) ? kResImageTooLarge : kResOk;
}

}  // namespace

tResult tCJpgIO::ReadImage8(tCStream* stream, CImage8* image)
{
    return Decode(stream, image);
}

tResult tCJpgIO::ReadImage(tCStream* stream, CImage* image)
{
    return Decode(stream, image);
}

tResult tCJpgIO::WriteImage8(tCStream* stream, CImage8* image)
{
    return Encode(stream, image);
}

tResult tCJpgIO::WriteImage(tCStream* stream, CImage* image)
{
    return Encode(stream, image);
}

tResult tCJpgIO::ReadImageSize(tCStream* stream, int32_t* width, int32_t* height)
{
    if (!stream || !width || !height)
        return kResBadParam;
    CStreamInput input(stream);
    tJpegRead read;
    TK_TRY(ReadCheckedHeader(&input, &read));
    if (!CanHoldBlocks(read.info, input))
        return kResFailure;
    *width = int32_t(read.info.image_width);
    *height = int32_t(read.info.image_height);
    m_decoderBytes = CoefficientBytes(read);
    return kResOk;
}

tResult tCJpgIO::Decode(tCStream* stream, CImageBase* image)
{
    const int32_t pixelBytes = image ? image->GetBytesPerPixel() : 0;
    if (!stream || (pixelBytes != 4 && pixelBytes != 1))
        return kResBadParam;
    CStreamInput input(stream);
    tJpegRead read;
    TK_TRY(ReadCheckedHeader(&input, &read));
    if (!CanHoldBlocks(read.info, input))
        return kResFailure;
    if (!RunJpegGuarded(&read.errors, StartDecompress, &read))
        return kResFailure;
    if (image->SetSize(int32_t(read.info.output_width), int32_t(read.info.output_height)) != kResOk)
        return kResNoMemory;
    CImNavBase view(image);
    if (!view.IsLocked())
        return kResNoMemory;
    read.view = &view;
    return RunJpegGuarded(&read.errors, ReadScanlines, &read) ? kResOk : kResFailure;
}

tResult tCJpgIO::Encode(tCStream* stream, CImageBase* image)
{
    if (!stream || !image || !image->IsValid())
        return kResBadParam;
    return WithPixelsUnpacked(image, [&]() -> tResult {
        CImNavBase view(image);
        if (!view.IsLocked() || view.IsEmpty())
            return kResNoMemory;
        tJpegWrite write;
        write.stream = stream;
        write.view = &view;
        return RunJpegGuarded(&write.errors, WriteScanlines, &write) ? kResOk : kResFailure;
    });
}
