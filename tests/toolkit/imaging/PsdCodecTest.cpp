#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/imaging/CodecFiles.h"
#include "toolkit/imaging/PackBits.h"
#include "toolkit/imaging/tCPsdIO.h"
#include "toolkit/imaging/BigEndianBytes.h"

namespace {

uint32_t ReadBig(const std::string& bytes, size_t at, int size)
{
    uint32_t v = 0;
    for (int i = 0; i < size; ++i)
        v = v << 8 | uint8_t(bytes[at + size_t(i)]);
    return v;
}

// A file made byte by byte: header, no colour data or resources, the layer section given, then
// the merged image data given.
std::string MakePsd(int channels, uint32_t height, uint32_t width, int depth, int mode, const std::string& layers,
                    const std::string& merged)
{
    return "8BPS" + Big16(1) + std::string(6, '\0') + Big16(uint32_t(channels)) + Big32(height) + Big32(width) +
           Big16(uint32_t(depth)) + Big16(uint32_t(mode)) + Big32(0) + Big32(0) + Big32(uint32_t(layers.size())) +
           layers + merged;
}

// A layer section whose only record says, by the sign of its count, whether the merged image
// carries alpha.
std::string LayerSection(bool mergedAlpha)
{
    const std::string record = Big32(0) + Big32(0) + Big32(1) + Big32(1) + Big16(0) + "8BIMnorm" +
                               std::string("\xFF\x00\x08\x00", 4) + Big32(0);
    const std::string info = Big16(mergedAlpha ? 0xFFFF : 1) + record;
    return Big32(uint32_t(info.size())) + info + Big32(0);
}

struct tResource {
    uint32_t id;
    uint32_t size;
    size_t data;
};

std::vector<tResource> Resources(const std::string& psd)
{
    std::vector<tResource> found;
    const size_t start = 26 + 4 + 4, end = start + ReadBig(psd, 30, 4);
    for (size_t at = start; at + 12 <= end;) {
        found.push_back({ReadBig(psd, at + 4, 2), ReadBig(psd, at + 8, 4), at + 12});
        at += 12 + found.back().size;
    }
    return found;
}

std::string Packed(const std::vector<uint8_t>& row)
{
    std::string out(size_t(PackBitsMaxSize(int32_t(row.size()))), '\0');
    const int32_t size = PackBitsEncode(row.data(), int32_t(row.size()), 1, reinterpret_cast<uint8_t*>(out.data()));
    EXPECT_EQ(size, PackBitsSize(row.data(), int32_t(row.size()), 1));
    out.resize(size_t(size));
    return out;
}

}  // namespace

TEST(PackBits, RunsAndLiterals)
{
    EXPECT_EQ(Packed({'A', 'B', 'B'}), std::string("\x01" "AB" "\x00" "B", 5));
    EXPECT_EQ(Packed(std::vector<uint8_t>(200, 7)), std::string("\x82\x07\xB8\x07", 4));
    std::vector<uint8_t> row;
    for (int i = 0; i < 300; ++i)
        row.push_back(uint8_t(i % 5 == 0 ? 9 : i * 31));
    const std::string packed = Packed(row);
    std::vector<uint8_t> back(300);
    ASSERT_TRUE(PackBitsDecode(reinterpret_cast<const uint8_t*>(packed.data()), int32_t(packed.size()), back.data(), 300));
    EXPECT_EQ(back, row);
    // Output past the row fails; data past the packed bytes ends the row, the rest untouched.
    uint8_t out[4] = {0, 0, 0, 0};
    EXPECT_FALSE(PackBitsDecode(reinterpret_cast<const uint8_t*>("\xFC\x01"), 2, out, 4));
    EXPECT_TRUE(PackBitsDecode(reinterpret_cast<const uint8_t*>("\x03\x05\x06"), 3, out, 4));
    EXPECT_EQ(out[1], 6);
    EXPECT_EQ(out[2], 0);
    EXPECT_TRUE(PackBitsDecode(reinterpret_cast<const uint8_t*>("\x01\x05\xFF"), 3, out, 4));
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(Packed({1, 2, 2, 3, 3, 4, 4}).size(), 11u);
    // The header -128 is padding.
    EXPECT_TRUE(PackBitsDecode(reinterpret_cast<const uint8_t*>("\x80\x00\x07\x80"), 4, out, 1));
    EXPECT_EQ(out[0], 7);
}

TEST(PsdCodec, OpaqueAndTransparentRoundTrips)
{
    CImage image(112, 56);
    FillPattern(image);
    const std::string opaque = EncodeBytes(image, kImageFormatPsd);
    EXPECT_EQ(ReadBig(opaque, 12, 2), 3u);
    std::vector<tResource> resources = Resources(opaque);
    ASSERT_EQ(resources.size(), 4u);
    const uint32_t ids[4] = {1005, 1037, 1034, 1036}, sizes[3] = {16, 4, 2};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(resources[size_t(i)].id, ids[i]);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(resources[size_t(i)].size, sizes[i]);
    EXPECT_EQ(ReadBig(opaque, resources[3].data + 4, 4), 112u);
    EXPECT_EQ(ReadBig(opaque, resources[3].data + 8, 4), 56u);
    EXPECT_EQ(ReadBig(opaque, resources[3].data + 12, 4), 336u);  // (112 x 24 + 31) / 32 x 4
    const size_t layers = resources[3].data + resources[3].size;
    EXPECT_EQ(ReadBig(opaque, layers, 4), 0u);
    CImage back;
    ASSERT_EQ(DecodeBytes(opaque, &back), kResOk);
    EXPECT_EQ(MaxDifference(back, PictureOf(image)), 0);

    SetPixel(image, 3, 4, 0x20102030);
    const std::string transparent = EncodeBytes(image, kImageFormatPsd);
    EXPECT_EQ(ReadBig(transparent, 12, 2), 4u);
    const size_t section = Resources(transparent)[3].data + Resources(transparent)[3].size;
    EXPECT_GT(ReadBig(transparent, section, 4), 0u);
    EXPECT_EQ(ReadBig(transparent, section + 8, 2), 0xFFFFu);
    ASSERT_EQ(DecodeBytes(transparent, &back), kResOk);
    EXPECT_EQ(MaxDifference(back, PictureOf(image)), 0);

    // Other programs take the merged image of a transparent file as matted with white, and read
    // the transparency from its layer.
    for (const std::string* psd : {&opaque, &transparent}) {
        tPicture theirs;
        ASSERT_TRUE(DecodeBytesWithImageMagick(*psd, "ours.psd", &theirs, psd == &opaque ? "[0]" : "[1]"));
        CImage ours;
        ASSERT_EQ(DecodeBytes(*psd, &ours), kResOk);
        EXPECT_EQ(MaxDifference(ours, theirs), 0);
    }
}

TEST(PsdCodec, GreyRoundTripAndThumbnailSizes)
{
    CImage8 grey(10, 20);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 10; ++x)
            SetByte(grey, x, y, uint8_t(x * 20 + y));
    const std::string psd = EncodeBytes(grey, kImageFormatPsd);
    EXPECT_EQ(ReadBig(psd, 12, 2), 1u);
    EXPECT_EQ(ReadBig(psd, 24, 2), 1u);
    const tResource thumbnail = Resources(psd)[3];
    EXPECT_EQ(ReadBig(psd, thumbnail.data + 4, 4), 56u);
    EXPECT_EQ(ReadBig(psd, thumbnail.data + 8, 4), 112u);
    CImage8 back;
    ASSERT_EQ(DecodeBytes(psd, &back), kResOk);
    CImage colour;
    ASSERT_EQ(DecodeBytes(psd, &colour), kResOk);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 10; ++x) {
            ASSERT_EQ(ByteAt(back, x, y), ByteAt(grey, x, y));
            ASSERT_EQ(PixelAt(colour, x, y), 0xFF000000u | ByteAt(grey, x, y) * 0x010101u);
        }
    tPicture theirs;
    ASSERT_TRUE(DecodeBytesWithImageMagick(psd, "grey.psd", &theirs, "[0]"));
    EXPECT_EQ(MaxDifference(colour, theirs), 0);

    // A very wide image still gets a thumbnail of one pixel's height.
    CImage8 wide(3000, 1);
    const std::string strip = EncodeBytes(wide, kImageFormatPsd);
    EXPECT_EQ(ReadBig(strip, Resources(strip)[3].data + 4, 4), 112u);
    EXPECT_EQ(ReadBig(strip, Resources(strip)[3].data + 8, 4), 1u);
}

TEST(PsdCodec, FilesWrittenByImageMagick)
{
    tPicture picture{23, 9, {}};
    for (int32_t y = 0; y < 9; ++y)
        for (int32_t x = 0; x < 23; ++x)
            picture.argb.push_back(uint32_t(255 - x * 5) << 24 | uint32_t(x * 11) << 16 | uint32_t(y * 28) << 8 |
                                   uint32_t(x * y & 255));
    tPicture opaque = picture;
    for (uint32_t& p : opaque.argb)
        p |= 0xFF000000u;
    TempFolder folder;
    struct tCase {
        const tPicture* picture;
        const char* options;
    };
    const tCase cases[] = {{&opaque, "-compress RLE"},
                           {&opaque, "-compress None"},
                           {&opaque, "-depth 16 -compress RLE"},
                           {&picture, "-compress RLE"},
                           {&picture, "-depth 16 -compress None"}};
    for (const tCase& c : cases) {
        SCOPED_TRACE(c.options);
        ASSERT_TRUE(EncodeWithImageMagick(*c.picture, folder.File("theirs.psd"), c.options));
        CImage image;
        ASSERT_EQ(DecodeBytes(ReadWholeFile(folder.File("theirs.psd")), &image), kResOk);
        EXPECT_EQ(MaxDifference(image, *c.picture), 0);
    }
    ASSERT_TRUE(EncodeWithImageMagick(opaque, folder.File("grey.psd"), "-colorspace Gray"));
    tPicture grey;
    ASSERT_TRUE(DecodeWithImageMagick(folder.File("grey.psd"), "", &grey));
    CImage image;
    ASSERT_EQ(DecodeBytes(ReadWholeFile(folder.File("grey.psd")), &image), kResOk);
    EXPECT_EQ(MaxDifference(image, grey), 0);
}

TEST(PsdCodec, HandMadeFiles)
{
    // A 16-bit RGB file, raw: the high byte of each sample counts.
    const std::string deep = MakePsd(3, 1, 2, 16, 3, "",
                                     Big16(0) + Big16(0x1234) + Big16(0xABFF) + Big16(0x5600) + Big16(0x0001) +
                                         Big16(0xFF00) + Big16(0x8080));
    CImage image;
    ASSERT_EQ(DecodeBytes(deep, &image), kResOk);
    EXPECT_EQ(PixelAt(image, 0, 0), 0xFF1256FFu);
    EXPECT_EQ(PixelAt(image, 1, 0), 0xFFAB0080u);

    // RGBA data: a positive layer count leaves the merged image opaque, a negative one takes
    // its fourth channel as alpha.
    const std::string rgba = Big16(0) + "\x10\x20\x30\x40";
    ASSERT_EQ(DecodeBytes(MakePsd(4, 1, 1, 8, 3, LayerSection(false), rgba), &image), kResOk);
    EXPECT_EQ(PixelAt(image, 0, 0), 0xFF102030u);
    ASSERT_EQ(DecodeBytes(MakePsd(4, 1, 1, 8, 3, LayerSection(true), rgba), &image), kResOk);
    EXPECT_EQ(PixelAt(image, 0, 0), 0x40102030u);
    CImage8 grey;
    ASSERT_EQ(DecodeBytes(MakePsd(4, 1, 1, 8, 3, LayerSection(true), rgba), &grey), kResOk);
    EXPECT_EQ(ByteAt(grey, 0, 0), (0x30 + 2 * ((0x10 + 0x20) / 2)) / 3);

    // A packed row whose data ends early is zero beyond it.
    const std::string shortRow = Big16(1) + Big16(2) + "\x03\x09";
    ASSERT_EQ(DecodeBytes(MakePsd(1, 1, 4, 8, 1, "", shortRow), &grey), kResOk);
    EXPECT_EQ(ByteAt(grey, 0, 0), 9);
    EXPECT_EQ(ByteAt(grey, 3, 0), 0);

    struct tBad {
        std::string file;
        tResult code;
    };
    const tBad bad[] = {
        {MakePsd(4, 1, 1, 8, 4, "", rgba), kResNotImplemented},                    // CMYK
        {MakePsd(1, 1, 1, 8, 2, "", Big16(0) + "x"), kResNotImplemented},          // indexed
        {MakePsd(3, 1, 1, 32, 3, "", Big16(0) + "xyz"), kResNotImplemented},       // 32 bits
        {MakePsd(1, 1, 30001, 8, 1, "", ""), kResFileInvalid},                     // too wide for the format
        {MakePsd(1, 1, 32001, 8, 1, "", ""), kResImageTooLarge},                   // and for the program
        {MakePsd(3, 40000, 40000, 8, 3, "", ""), kResImageTooLarge},
        {MakePsd(1, 30000, 30000, 8, 1, "", ""), kResFileIO},                      // no data for 900 MB
        {MakePsd(1, 0, 1, 8, 1, "", ""), kResNotImplemented},                      // no rows
        {MakePsd(25, 1, 1, 8, 1, "", ""), kResFileInvalid},                        // channels
        {MakePsd(1, 1, 1, 8, 3, "", Big16(1) + Big16(1) + "\x00" "A"), kResFileInvalid},  // RGB in one channel
        {MakePsd(1, 1, 2, 8, 1, "", Big16(1) + Big16(2) + "\xFC\x01"), kResFileIO},       // row overflow
        {MakePsd(1, 2, 2, 8, 1, "", Big16(0) + "ab"), kResFileIO},                        // cut short
        {"8BPS" + Big16(2), kResFileInvalid},
    };
    for (const tBad& b : bad) {
        EXPECT_EQ(DecodeBytes(b.file, &image), b.code) << &b - bad;
        EXPECT_EQ(DecodeBytes(b.file, &grey), b.code) << &b - bad;
    }
}

// The header alone must not size the image: its data must be there first, raw, or as many
// packed bytes as the row counts say and PackBits needs at least.
TEST(PsdCodec, AnImageIsSizedOnlyWhenTheFileHoldsItsData)
{
    const std::string packedCounts = Big16(1) + std::string(2 * 3 * 30000, '\0');
    const std::string cases[] = {
        MakePsd(3, 30000, 30000, 8, 3, "", Big16(0) + std::string(65536, 'x')),
        MakePsd(3, 30000, 30000, 8, 3, "", packedCounts + std::string(60000, '\0')),
        MakePsd(1, 2, 300, 8, 1, "", Big16(1) + Big16(3) + Big16(3) + "\x81\x00\x81\x00\x81\x00"),
    };
    for (const std::string& file : cases) {
        CImage image;
        EXPECT_EQ(DecodeBytes(file, &image), kResFileIO) << &file - cases;
        EXPECT_FALSE(image.IsValid()) << &file - cases;
    }
    // A row that ends early is still taken once the file holds the least PackBits needs: three
    // runs of 128, 128 and 44 bytes for each of the two rows.
    CImage8 grey;
    const std::string runs = "\x81\x07\x81\x07\xD5\x07";
    ASSERT_EQ(DecodeBytes(MakePsd(1, 2, 300, 8, 1, "", Big16(1) + Big16(6) + Big16(0) + runs + "spare!"), &grey),
              kResOk);
    EXPECT_EQ(ByteAt(grey, 299, 0), 7);
    EXPECT_EQ(ByteAt(grey, 0, 1), 0);
}

TEST(PsdCodec, TheWidestExportReadsBack)
{
    CImage image(tCPsdIO::kMaxSide, 3);
    FillPattern(image);
    CImage back;
    ASSERT_EQ(DecodeBytes(EncodeBytes(image, kImageFormatPsd), &back), kResOk);
    ASSERT_EQ(back.GetWidth(), tCPsdIO::kMaxSide);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < tCPsdIO::kMaxSide; ++x)
            ASSERT_EQ(PixelAt(back, x, y), PixelAt(image, x, y)) << x << "," << y;
}

TEST(PsdCodec, ExportsLargerThanTheFormatAreRefused)
{
    CImage8 wide(30001, 1);
    tCMemFile stream;
    EXPECT_EQ(EncodeImage8Stream(&stream, &wide, kImageFormatPsd), kResOutOfRange);
    EXPECT_EQ(stream.GetSize(), 0);
    tFullStream full(100);
    CImage image(40, 30);
    EXPECT_EQ(EncodeImageStream(&full, &image, kImageFormatPsd), kResFileIO);
}
