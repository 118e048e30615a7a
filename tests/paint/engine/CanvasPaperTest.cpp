#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PaperTestSupport.h"
#include "paint/engine/CCanvas.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/CLayer.h"
#include "toolkit/core/FileProbes.h"

namespace {

class CanvasPaperTest : public ::testing::Test {
protected:
    void TearDown() override { CLayer::SetPaperGrainBuilder(nullptr); }

    CCanvasInfo Named(const std::string& name)
    {
        CCanvasInfo info;
        info.paperName = tCString::FromAnsi(name);
        return info;
    }

    // Made again without its texts by the tests that need that: one application at a time.
    std::unique_ptr<PaperApplication> paper = std::make_unique<PaperApplication>();
};

TEST_F(CanvasPaperTest, AnUnnamedPaperIsTheImageTheSettingsHold)
{
    CImage8 image(3, 2);
    FillGrey(image, NamedGrainValue);
    CCanvasInfo info;
    info.paperImage = &image;
    const std::unique_ptr<CImage> texture(info.LoadPaperTexture());
    EXPECT_TRUE(HoldsGrey(texture.get(), 3, 2, NamedGrainValue));
    const std::unique_ptr<CImage8> grain(info.BuildPaperGrain());
    EXPECT_TRUE(HoldsGrey(grain.get(), 3, 2, NamedGrainValue));
    EXPECT_NE(grain.get(), &image);

    // No copy is made that would not fit in the memory left: 24 bytes as a texture, 6 as grain.
    w32::headless::SetAvailableMemory(23);
    EXPECT_EQ(std::unique_ptr<CImage>(info.LoadPaperTexture()), nullptr);
    EXPECT_NE(std::unique_ptr<CImage8>(info.BuildPaperGrain()), nullptr);
    w32::headless::SetAvailableMemory(5);
    EXPECT_EQ(std::unique_ptr<CImage8>(info.BuildPaperGrain()), nullptr);
    w32::headless::SetAvailableMemory(0);

    info.paperImage = nullptr;
    EXPECT_EQ(info.LoadPaperTexture(), nullptr);
    EXPECT_EQ(info.BuildPaperGrain(), nullptr);
}

TEST_F(CanvasPaperTest, ANameIsAResourceImageThenAFileThenAFileInThePaperFolder)
{
    const std::unique_ptr<CImage> resource(Named(tCString(kNamedGrain).ToAnsi()).LoadPaperTexture());
    EXPECT_TRUE(HoldsGrey(resource.get(), 3, 2, NamedGrainValue));

    TempFolder elsewhere;
    WriteGreyPng(elsewhere.File("Path.png"), 5, 1, FileGrainValue);
    const std::unique_ptr<CImage> file(Named(elsewhere.File("Path.png")).LoadPaperTexture());
    EXPECT_TRUE(HoldsGrey(file.get(), 5, 1, FileGrainValue));
    // Its 20 bytes of pixels are not decoded where they would not fit in the memory left.
    w32::headless::SetAvailableMemory(19);
    EXPECT_EQ(std::unique_ptr<CImage>(Named(elsewhere.File("Path.png")).LoadPaperTexture()), nullptr);
    // A progressive JPEG's decoder holds the coefficients of the whole image beside its pixels:
    // 2 x 2 blocks of 128 bytes in each of three components, beside 16 x 12 pixels.
    const std::string progressive = std::string(KOSTREL_TEST_DATA) + "/jpeg/imagemagick-progressive.jpg";
    w32::headless::SetAvailableMemory(16 * 12 * 4 + 1536 - 1);
    EXPECT_EQ(std::unique_ptr<CImage>(Named(progressive).LoadPaperTexture()), nullptr);
    w32::headless::SetAvailableMemory(16 * 12 * 4 + 1536);
    EXPECT_NE(std::unique_ptr<CImage>(Named(progressive).LoadPaperTexture()), nullptr);
    w32::headless::SetAvailableMemory(0);

    // Only the file's name counts in the paper folder.
    WriteGreyPng(paper->papers.File("Folder.png"), 5, 1, FileGrainValue);
    const std::unique_ptr<CImage> inFolder(Named("/no/such/folder/Folder.png").LoadPaperTexture());
    EXPECT_TRUE(HoldsGrey(inFolder.get(), 5, 1, FileGrainValue));
    const std::unique_ptr<CImage8> grain(Named("Folder.png").BuildPaperGrain());
    EXPECT_TRUE(HoldsGrey(grain.get(), 5, 1, FileGrainValue));
    // As grain, the file is decoded only where its grey copy fits beside its pixels.
    w32::headless::SetAvailableMemory(5 * 4 + 5 - 1);
    EXPECT_EQ(std::unique_ptr<CImage8>(Named("Folder.png").BuildPaperGrain()), nullptr);
    w32::headless::SetAvailableMemory(5 * 4 + 5);
    EXPECT_NE(std::unique_ptr<CImage8>(Named("Folder.png").BuildPaperGrain()), nullptr);
    w32::headless::SetAvailableMemory(0);

    EXPECT_EQ(Named("Nowhere.png").LoadPaperTexture(), nullptr);
    EXPECT_EQ(Named("Nowhere.png").BuildPaperGrain(), nullptr);
    WriteWholeFile(paper->papers.File("Junk.png"), "not an image at all");
    EXPECT_EQ(Named("Junk.png").LoadPaperTexture(), nullptr);
}

TEST_F(CanvasPaperTest, ANameOfBothAResourceImageAndAFileIsTheResourceImage)
{
    ASSERT_TRUE(PathFileExists(tCFRef(tCString::FromAnsi(paper->BothPath()))));
    const std::unique_ptr<CImage> texture(Named(paper->BothPath()).LoadPaperTexture());
    EXPECT_TRUE(HoldsGrey(texture.get(), 2, 2, NamedGrainValue));
    // A file in the paper folder under a resource's name is passed over too.
    WriteGreyPng(paper->papers.File(tCString(kNamedGrain).ToAnsi()), 5, 1, FileGrainValue);
    const std::unique_ptr<CImage8> grain(Named(tCString(kNamedGrain).ToAnsi()).BuildPaperGrain());
    EXPECT_TRUE(HoldsGrey(grain.get(), 3, 2, NamedGrainValue));
}

TEST_F(CanvasPaperTest, WithoutThePaperFolderTextOnlyResourcesAndPathsAreFound)
{
    paper.reset();
    paper = std::make_unique<PaperApplication>(false);
    WriteGreyPng(paper->papers.File("Folder.png"), 5, 1, FileGrainValue);
    EXPECT_EQ(Named("Folder.png").LoadPaperTexture(), nullptr);
    const std::unique_ptr<CImage> path(Named(paper->papers.File("Folder.png")).LoadPaperTexture());
    EXPECT_TRUE(HoldsGrey(path.get(), 5, 1, FileGrainValue));
}

TEST_F(CanvasPaperTest, LayersBuildTheirGrainFromSettingsOnceACanvasIsInitialised)
{
    CLayer layer;
    ASSERT_EQ(layer.SetSize(2, 2), kResOk);
    CCanvasInfo info = Named(tCString(kNamedGrain).ToAnsi());
    CLayer::SetPaperGrainBuilder(nullptr);
    ASSERT_EQ(layer.ApplyCanvasInfo(&info), kResOk);
    EXPECT_EQ(layer.GetGrainImage(), nullptr);

    CCanvas canvas;
    ASSERT_EQ(canvas.Initialise(), kResOk);
    ASSERT_EQ(layer.ApplyCanvasInfo(&info), kResOk);
    EXPECT_TRUE(HoldsGrey(layer.GetGrainImage(), 3, 2, NamedGrainValue));
}

}  // namespace
