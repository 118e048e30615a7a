#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "resources/CompiledResources.h"
#include "tests/toolkit/imaging/BmpBuilder.h"
#include "tests/toolkit/imaging/ImageFixtures.h"
#include "tests/toolkit/imaging/ImageMagickPictures.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/imaging/CImage16.h"
#include "toolkit/imaging/ResourceImages.h"

namespace {

// Two BMP images and a text, compiled by the resource compiler from the ImageMagick files.
class ResourceImages : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string source = "vers 2\n"
                                   "text 1 \"before\" \"an image follows\"\n"
                                   "imag 4151 \"grid\" bmp \"imagemagick-24bit.bmp\"\n"
                                   "imag 4152 \"mono\" bmp \"imagemagick-1bit.bmp\"\n";
        m_file = StreamOver(CompileResources(source, std::string(KOSTREL_TEST_DATA) + "/bmp"));
        ASSERT_EQ(m_directory.Read(m_file.get()), kResOk);
    }

    std::unique_ptr<TempFileStream> m_file;
    CResourceDirectory m_directory;
    ErrorBoxRecorder m_boxes;
};

void ExpectPicture(CImage& image, uint32_t (*picture)(int, int))
{
    ASSERT_EQ(image.GetWidth(), 13);
    ASSERT_EQ(image.GetHeight(), 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(PixelAt(image, x, y), 0xFF000000u | picture(x, y)) << x << "," << y;
}

TEST_F(ResourceImages, LoadByIdAndByNameThroughTheDirectory)
{
    std::unique_ptr<CImage> grid(LoadResImage(4151, m_file.get(), &m_directory));
    ASSERT_NE(grid, nullptr);
    ExpectPicture(*grid, TrueColour);
    EXPECT_EQ(grid->GetId(), 4151u);
    EXPECT_EQ(grid->GetName(), tCString(u"grid"));
    EXPECT_EQ(grid->GetType(), CImageBase::kType);

    std::unique_ptr<CImage> mono(LoadResImageByName(u"mono", m_file.get(), &m_directory));
    ASSERT_NE(mono, nullptr);
    ExpectPicture(*mono, Mono);
    EXPECT_EQ(mono->GetId(), 4152u);

    std::unique_ptr<CImage8> grey(LoadResImage8ByName(u"mono", m_file.get(), &m_directory));
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(grey->GetWidth(), 13);
    EXPECT_EQ(CountBytes(*grey, 255) + CountBytes(*grey, 0), 13 * 7);
    EXPECT_EQ(ByteAt(*grey, 0, 0), 255);
    EXPECT_EQ(m_boxes.count, 0);
}

TEST_F(ResourceImages, LoadWithoutADirectoryScansAndWraps)
{
    m_file->SetPosition(m_file->GetLength());
    CImage8 grey(10, 10);
    ASSERT_EQ(grey.GetFromRes(4151, m_file.get(), nullptr), kResOk);
    EXPECT_EQ(ByteAt(grey, 12, 6), GreyOf(TrueColour(12, 6)));
}

TEST_F(ResourceImages, MissingResourcesAnswerQuietly)
{
    CImage image;
    EXPECT_EQ(image.GetFromRes(9999, m_file.get(), &m_directory), kResResourceNotFound);
    EXPECT_EQ(image.GetFromRes(u"Grid", m_file.get(), &m_directory), kResResourceNotFound);
    EXPECT_EQ(LoadResImage(1, m_file.get(), &m_directory), nullptr);  // a text, not an image
    EXPECT_EQ(m_boxes.count, 0);
}

TEST_F(ResourceImages, SixteenBitImagesHaveNoResourceForm)
{
    CImage16 image(4, 4);
    EXPECT_EQ(image.GetFromRes(4151, m_file.get(), &m_directory), kResNotImplemented);
    EXPECT_EQ(TakeExtraLine(m_boxes), "CImage16::GetFromRes");
    EXPECT_EQ(image.GetFromRes(u"grid", m_file.get(), &m_directory), kResNotImplemented);
}

TEST(ResourceImageData, BrokenCountsAndFilesAreReported)
{
    ErrorBoxRecorder boxes;
    const std::string header = U32(5) + Line(u"broken");
    struct tCase {
        std::string payload;
        const char* message;
    };
    const tCase cases[] = {
        {header + U32(1000) + "BM", "Image load size failed."},
        {header + U32(0xFFFFFFF0) + "BM", "Image load size failed."},
        {header + "\x01\x00", "Image load size failed."},
        {header + U32(6) + "BMxxxx", "Image failed to load from resources."},
        {header + U32(4) + "GIF8", "Image failed to load from resources."},
        {header + U32(0), "Image failed to load from resources."},
    };
    for (const tCase& c : cases) {
        auto file = StreamOver(Chunk("imag", c.payload));
        CImage image;
        EXPECT_NE(image.GetFromRes(5, file.get(), nullptr), kResOk) << c.message;
        EXPECT_EQ(TakeExtraLine(boxes), c.message);
    }
    auto file = StreamOver(Chunk("imag", header + U32(6) + "BMxxxx"));
    EXPECT_EQ(LoadResImage8(5, file.get(), nullptr), nullptr);
    EXPECT_EQ(TakeExtraLine(boxes), "Image8 failed to load from resources.");
}

TEST(PooledImages, LoadedFromTheApplicationsFileIntoThePoolOnce)
{
    ProgramSubfolder resources;
    ScriptedApp app;
    app.SetResourceFolderName(tCString::FromAnsi(resources.Name()));
    WriteWholeFile(resources.File("system.trf"),
                   CompileResources("vers 2\n"
                                    "imag 4151 \"grid\" bmp \"imagemagick-24bit.bmp\"\n"
                                    "imag 4152 \"mono\" bmp \"imagemagick-1bit.bmp\"\n",
                                    std::string(KOSTREL_TEST_DATA) + "/bmp"));
    ASSERT_EQ(app.StartUp(), kResOk);

    CImage* grid = GetPooledImage(4151, nullptr, nullptr);
    ASSERT_NE(grid, nullptr);
    ExpectPicture(*grid, TrueColour);
    EXPECT_TRUE(grid->IsPoolOwned());
    EXPECT_EQ(app.FindResourceById(kImagePool, 4151), grid);
    // The second request is answered from the pool, even with the file at its end.
    app.GetResourceFile()->SeekToEnd();
    EXPECT_EQ(GetPooledImage(4151, app.GetResourceFile(), nullptr), grid);

    CImage8* mono = GetPooledImage8(4152, nullptr, nullptr);
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(ByteAt(*mono, 0, 0), 255);
    EXPECT_EQ(GetPooledImage8(4152, nullptr, nullptr), mono);
    // An id pooled as the other kind of image is not handed out as this kind.
    EXPECT_EQ(GetPooledImage8(4151, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetPooledImage(4152, nullptr, nullptr), nullptr);
    // A resource that is not there leaves nothing in the pool.
    EXPECT_EQ(GetPooledImage(77, nullptr, nullptr), nullptr);
    EXPECT_EQ(app.FindResourceById(kImagePool, 77), nullptr);
}

TEST(PooledImages, NoApplicationNoPool)
{
    ASSERT_EQ(GetApplication(), nullptr);
    EXPECT_EQ(GetPooledImage(4151, nullptr, nullptr), nullptr);
}

}  // namespace
