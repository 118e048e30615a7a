#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "BackboneTestSupport.h"
#include "paint/engine/CPaintCellNav.h"
#include "platform/headless/ScriptedDesktop.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/ImageCodecs.h"

namespace {

using w32::desktop::tFileDialogAnswer;

// A 40 x 30 painting whose left half is painted and right half bare paper.
class BackboneExportTest : public BackboneTest {
protected:
    void SetUp() override
    {
        BackboneTest::SetUp();
        ASSERT_EQ(NewPainting(40, 30), kResOk);
        {
            CPaintCellNav cells(Canvas().GetLayer(0)->GetCellMap());
            for (int32_t y = 0; y < 30; ++y)
                for (int32_t x = 0; x < 20; ++x)
                    cells.Cells(y)[x] = PaintCell{0xFF336699u, 400, 0, 40, 0};
        }
        ASSERT_EQ(Canvas().RenderLayerAlone(-1), kResOk);
        controller->GetProject().modified = 1;
        backdrop.messages.clear();
    }

    tCFRef PathOf(const std::string& name) { return tCFRef(tCString::FromAnsi(folder.File(name))); }
    bool Exists(const std::string& name) { return std::filesystem::exists(folder.File(name)); }

    TempFolder folder;
};

TEST_F(BackboneExportTest, ThePaintingIsWrittenToTheImageFileAndTheMessageGoesOn)
{
    tCFRef path = PathOf("painting.png");
    ASSERT_EQ(Send(kMsgExportImage, ToMsgArg(&path)), kResOk);
    CImage image;
    ASSERT_EQ(LoadImageFile(path, &image), kResOk);
    ASSERT_EQ(image.GetWidth(), 40);
    ASSERT_EQ(image.GetHeight(), 30);
    // The blue paint on the left, the pale paper on the right.
    CImNav pixels(&image);
    const auto blueOverRed = [&](int32_t x) {
        const uint32_t p = pixels.Pixels(15)[x];
        return int32_t(p & 0xFF) - int32_t(p >> 16 & 0xFF);
    };
    EXPECT_GT(blueOverRed(5), 60);
    EXPECT_LT(std::abs(blueOverRed(35)), 10);
    // An export is no change of the painting; the message goes on to the backdrop.
    EXPECT_EQ(controller->GetProject().modified, 1u);
    EXPECT_EQ(backdrop.Codes(), (std::vector<uint32_t>{kMsgExportImage}));
    EXPECT_TRUE(Reports().empty());
}

TEST_F(BackboneExportTest, AnotherTypeIsReportedAndAnUnwritableFileAnswersItsCode)
{
    tCFRef text = PathOf("painting.txt");
    EXPECT_EQ(Send(kMsgExportImage, ToMsgArg(&text)), kResOk);
    EXPECT_FALSE(Exists("painting.txt"));
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].first, kResBadParam);
    EXPECT_EQ(Reports()[0].second, tCString(kExportFailedText).ToAnsi());
    backdrop.messages.clear();

    tCFRef nowhere = PathOf("missing-folder/painting.png");
    EXPECT_EQ(Send(kMsgExportImage, ToMsgArg(&nowhere)), kResFileOpen);
    EXPECT_TRUE(backdrop.messages.empty()) << "a failure goes no further";
    EXPECT_EQ(Reports().size(), 1u);
}

TEST_F(BackboneExportTest, WithoutAFileTheDialogAsks)
{
    w32::headless::ScriptFileDialog(tFileDialogAnswer{tFileDialogAnswer::kCancelled, u"", 0});
    EXPECT_EQ(Send(kMsgExportImage, 0), kResOk);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));

    const tCFRef chosen = PathOf("chosen.bmp");
    w32::headless::ScriptFileDialog(tFileDialogAnswer{tFileDialogAnswer::kChosen, std::u16string(chosen.GetText().View()), 0});
    EXPECT_EQ(Send(kMsgExportImage, 0), kResOk);
    CImage image;
    ASSERT_EQ(LoadImageFile(chosen, &image), kResOk);
    EXPECT_EQ(image.GetWidth(), 40);
}

}  // namespace
