#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "PrintTestSupport.h"
#include "app/shell/CHMRPrintManager.h"
#include "tests/toolkit/core/ErrorBoxRecorder.h"

namespace w32 {

bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << ", " << r.top << ") - (" << r.right << ", " << r.bottom << ")";
}

}  // namespace w32

namespace {

using w32::printing::tPrintedDocument;

// Where the Part's rule puts an image: the larger resolution over the smaller per axis, fitted
// to the printable width, then height, then nine tenths, all in single precision; centred with
// the halves cut toward zero.
w32::RECT ExpectedDestination(int32_t width, int32_t height, int32_t screen, int32_t printer, int32_t printableWidth,
                   int32_t printableHeight)
{
    float across = printer >= screen ? float(printer) / float(screen) : float(screen) / float(printer);
    float down = across;
    if (float(width) * across > float(printableWidth)) {
        const float k = float(printableWidth) / (float(width) * across);
        across *= k;
        down *= k;
    }
    if (float(height) * down > float(printableHeight)) {
        const float k = float(printableHeight) / (float(height) * down);
        across *= k;
        down *= k;
    }
    across *= 0.9f;
    down *= 0.9f;
    const int32_t w = int32_t(float(width) * across);
    const int32_t h = int32_t(float(height) * down);
    const int32_t x = printableWidth / 2 - w / 2;
    const int32_t y = printableHeight / 2 - h / 2;
    return w32::RECT{x, y, x + w, y + h};
}

class PrintManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless));
        ASSERT_EQ(printer.Initialise(), kResOk);
    }
    void TearDown() override { w32::StopPlatform(); }

    // Prints with the dialog into a PDF file on the given page; the one document it made.
    tPrintedDocument PrintToFile(CImage& image, const std::string& file, int32_t dotsPerInch, int32_t paperWidth,
                                 int32_t paperLength)
    {
        ScriptSaveAsPdf(file, dotsPerInch, paperWidth, paperLength);
        EXPECT_EQ(printer.Print(tCString(u"Painting"), image, 1), kResOk);
        auto documents = w32::headless::TakePrintedDocuments();
        EXPECT_EQ(documents.size(), 1u);
        return documents.empty() ? tPrintedDocument{} : documents[0];
    }

    NoCupsServer noCups;
    TempFolder folder;
    CHMRPrintManager printer;
};

TEST_F(PrintManagerTest, AWidePaintingOnA600DpiPageGetsTheFiguresOfTheRule)
{
    CImage image(1000, 500);
    Paint(image);
    const std::string file = folder.File("wide.pdf");
    // 8 x 11 inches: 4800 x 6600 device pixels at 600 dpi.
    const tPrintedDocument document = PrintToFile(image, file, 600, 2032, 2794);
    EXPECT_EQ(document.name, u"Painting");
    EXPECT_EQ(document.choice.file, w32::ToWide(file));
    EXPECT_TRUE(document.delivered);
    ASSERT_EQ(document.pages.size(), 1u);
    const auto& page = document.pages[0];
    EXPECT_EQ(page.width, 4800);
    EXPECT_EQ(page.height, 6600);
    ASSERT_EQ(page.images.size(), 1u);
    // 6.25, then 4.8 to fit the width, then 4.32: 4320 x 2160 at (240, 2220).
    EXPECT_EQ(page.images[0].destination, (w32::RECT{240, 2220, 240 + 4320, 2220 + 2160}));
    EXPECT_EQ(ExpectedDestination(1000, 500, 96, 600, 4800, 6600), page.images[0].destination);
    EXPECT_EQ(page.images[0].width, 1000);
    EXPECT_EQ(page.images[0].height, 500);
    EXPECT_EQ(page.images[0].pixels, PixelsOf(image));
    EXPECT_EQ(ReadWholeFile(file), document.pdf);

    // The page is the paper in points, and the image comes back out with exactly its pixels.
    double width = 0, height = 0;
    PageSizeOf(file, &width, &height);
    EXPECT_NEAR(width, 576, 0.01);
    EXPECT_NEAR(height, 792, 0.01);
    ASSERT_EQ(RunPoppler({"pdfimages", file, folder.File("image")}), "");
    const tRaster extracted = ReadNetpbm(ReadWholeFile(folder.File("image-000.ppm")));
    ASSERT_EQ(extracted.width, 1000);
    ASSERT_EQ(extracted.height, 500);
    std::vector<uint32_t> colours = PixelsOf(image);
    for (uint32_t& pixel : colours)
        pixel &= 0x00FFFFFF;
    EXPECT_TRUE(extracted.pixels == colours);

    // Rendered at 600 dpi, a margin of ten pixels around the rectangle, the image covers exactly
    // the rectangle (within a pixel) and the rest is white.
    const int32_t left = 230, top = 2210;
    const tRaster render = ReadNetpbm(RunPoppler({"pdftoppm", "-r", "600", "-gray", "-x", std::to_string(left), "-y",
                                                  std::to_string(top), "-W", "4340", "-H", "2180", file}));
    ASSERT_EQ(render.width, 4340);
    ASSERT_EQ(render.height, 2180);
    int32_t minX = render.width, minY = render.height, maxX = -1, maxY = -1;
    for (int32_t y = 0; y < render.height; ++y) {
        for (int32_t x = 0; x < render.width; ++x) {
            if (render.pixels[size_t(y) * size_t(render.width) + size_t(x)] < 0xF0) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
        }
    }
    EXPECT_NEAR(left + minX, 240, 1);
    EXPECT_NEAR(top + minY, 2220, 1);
    EXPECT_NEAR(left + maxX + 1, 240 + 4320, 1);
    EXPECT_NEAR(top + maxY + 1, 2220 + 2160, 1);
}

TEST_F(PrintManagerTest, ImagesAreEnlargedByTheResolutionsAndFittedToThePage)
{
    struct Case {
        const char* what;
        int32_t width, height, dotsPerInch, paperWidth, paperLength;
    };
    const Case cases[] = {
        // 96 / 72: a third larger, 400 x 200 on 612 x 792, then nine tenths.
        {"small at 72 dpi", 300, 150, 72, 2159, 2794},
        {"small at 600 dpi", 100, 50, 600, 2159, 2794},
        {"tall, fitted to the height", 500, 2000, 600, 2032, 2794},
        {"fitted to the width, then the height", 700, 1200, 96, 1480, 2100},
    };
    for (const Case& c : cases) {
        CImage image(c.width, c.height);
        Paint(image, uint32_t(c.width));
        const tPrintedDocument document =
            PrintToFile(image, folder.File("page.pdf"), c.dotsPerInch, c.paperWidth, c.paperLength);
        ASSERT_EQ(document.pages.size(), 1u) << c.what;
        const auto& page = document.pages[0];
        EXPECT_EQ(page.width, c.paperWidth * c.dotsPerInch / 254) << c.what;
        EXPECT_EQ(page.height, c.paperLength * c.dotsPerInch / 254) << c.what;
        ASSERT_EQ(page.images.size(), 1u) << c.what;
        EXPECT_EQ(page.images[0].destination,
                  ExpectedDestination(c.width, c.height, 96, c.dotsPerInch, page.width, page.height))
            << c.what;
        EXPECT_EQ(page.images[0].pixels, PixelsOf(image)) << c.what;
    }
    // The Part's own figure for a 72-dpi printer: 300 x 150 becomes 360 x 180.
    CImage small(300, 150);
    Paint(small);
    const auto page = PrintToFile(small, folder.File("small.pdf"), 72, 2159, 2794).pages.at(0);
    EXPECT_EQ(page.images.at(0).destination, (w32::RECT{126, 306, 126 + 360, 306 + 180}));
    double width = 0, height = 0;
    PageSizeOf(folder.File("small.pdf"), &width, &height);
    EXPECT_NEAR(width, 612, 0.01);
    EXPECT_NEAR(height, 792, 0.01);
}

TEST_F(PrintManagerTest, PrintingAgainWithoutTheDialogUsesTheLastChoice)
{
    const std::string file = folder.File("again.pdf");
    CImage first(40, 30);
    Paint(first, 1);
    PrintToFile(first, file, 300, 1480, 2100);
    EXPECT_EQ(w32::headless::TakePrintDialogRequests().size(), 1u);
    EXPECT_EQ(w32::headless::TakeFileDialogRequests().size(), 1u);

    for (uint32_t seed : {2u, 3u}) {
        CImage image(40, 30);
        Paint(image, seed);
        ASSERT_EQ(printer.Print(tCString(u"Again"), image, 0), kResOk);
        const auto documents = w32::headless::TakePrintedDocuments();
        ASSERT_EQ(documents.size(), 1u);
        EXPECT_EQ(documents[0].choice.file, w32::ToWide(file));
        ASSERT_EQ(documents[0].pages.size(), 1u);
        EXPECT_EQ(documents[0].pages[0].width, 1480 * 300 / 254);
        EXPECT_EQ(documents[0].pages[0].images.at(0).pixels, PixelsOf(image));
        EXPECT_EQ(ReadWholeFile(file), documents[0].pdf);
    }
    EXPECT_TRUE(w32::headless::TakePrintDialogRequests().empty());
    EXPECT_TRUE(w32::headless::TakeFileDialogRequests().empty());

    // The dialog starts on the last choice; cancelling the save dialog prints nothing.
    w32::printing::tPrintDialogAnswer saveAsPdf;
    saveAsPdf.outcome = w32::printing::tPrintDialogAnswer::kChosen;
    saveAsPdf.entry = w32::printing::kSaveAsPdf;
    w32::headless::ScriptPrintDialog(saveAsPdf);
    EXPECT_EQ(printer.Print(tCString(u"Again"), first, 1), kResOk);
    const auto asked = w32::headless::TakePrintDialogRequests();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].selected, w32::printing::kSaveAsPdf);
    const auto files = w32::headless::TakeFileDialogRequests();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].initialFile, w32::ToWide(file));
    EXPECT_TRUE(w32::headless::TakePrintedDocuments().empty());
}

TEST_F(PrintManagerTest, CancellingOrHavingNoPrinterAnswersZeroAndPrintsNothing)
{
    CImage image(20, 10);
    Paint(image);
    EXPECT_EQ(printer.Print(tCString(u"Cancelled"), image, 1), kResOk);
    const auto asked = w32::headless::TakePrintDialogRequests();
    ASSERT_EQ(asked.size(), 1u);
    // Without CUPS only the PDF file is offered.
    EXPECT_EQ(asked[0].entries, std::vector<std::u16string>{w32::printing::kSaveAsPdf});
    EXPECT_EQ(asked[0].selected, w32::printing::kSaveAsPdf);

    // No dialog, no choice kept and no CUPS default: nothing to print on.
    EXPECT_EQ(printer.Print(tCString(u"No printer"), image, 0), kResOk);
    EXPECT_TRUE(w32::headless::TakePrintDialogRequests().empty());
    EXPECT_TRUE(w32::headless::TakePrintedDocuments().empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST_F(PrintManagerTest, ADialogThatCannotBeShownIsReportedOnce)
{
    ErrorBoxRecorder boxes;
    CImage image(20, 10);
    Paint(image);
    w32::printing::tPrintDialogAnswer failed;
    failed.outcome = w32::printing::tPrintDialogAnswer::kFailed;
    w32::headless::ScriptPrintDialog(failed);
    EXPECT_EQ(printer.Print(tCString(u"No dialog"), image, 1), kResOk);
    EXPECT_EQ(boxes.count, 1);
    EXPECT_NE(boxes.text.find("zenity or kdialog"), std::string::npos) << boxes.text;
    EXPECT_TRUE(w32::headless::TakePrintedDocuments().empty());

    // Cancelling, and printing without a dialog and without a printer, say nothing.
    EXPECT_EQ(printer.Print(tCString(u"Cancelled"), image, 1), kResOk);
    EXPECT_EQ(printer.Print(tCString(u"No printer"), image, 0), kResOk);
    EXPECT_EQ(boxes.count, 1);
}

TEST_F(PrintManagerTest, AnImageWithoutPixelsGivesABlankPageAndAPackedOnePrintsWhole)
{
    CImage empty;
    const tPrintedDocument blank = PrintToFile(empty, folder.File("blank.pdf"), 600, 2100, 2970);
    ASSERT_EQ(blank.pages.size(), 1u);
    EXPECT_TRUE(blank.pages[0].images.empty());
    EXPECT_NE(RunPoppler({"pdfinfo", folder.File("blank.pdf")}).find("Pages:           1"), std::string::npos);

    CImage flat(300, 200);
    CImNav(&flat).Fill(0xFF336699);
    ASSERT_EQ(flat.Compress(), kResOk);
    ASSERT_TRUE(flat.IsCompressed());
    const tPrintedDocument packed = PrintToFile(flat, folder.File("flat.pdf"), 600, 2100, 2970);
    ASSERT_EQ(packed.pages.at(0).images.size(), 1u);
    EXPECT_EQ(packed.pages[0].images[0].pixels, std::vector<uint32_t>(300 * 200, 0xFF336699));
    EXPECT_TRUE(flat.IsCompressed());
}

TEST_F(PrintManagerTest, AFailedImageTransferAnswersItsCodeAndLeavesTheFileAlone)
{
    const std::string file = folder.File("kept.pdf");
    WriteWholeFile(file, "the old file");
    // Wider than a PDF image may be.
    CImage tooWide(40000, 1);
    ASSERT_TRUE(tooWide.IsValid());
    ScriptSaveAsPdf(file, 600, 2100, 2970);
    EXPECT_EQ(printer.Print(tCString(u"Too wide"), tooWide, 1), kResCreateFailed);
    EXPECT_EQ(ReadWholeFile(file), "the old file");
    EXPECT_TRUE(w32::headless::TakePrintedDocuments().empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST_F(PrintManagerTest, AFailedSaveAnswersItsCodeAndLeavesTheFileAlone)
{
    CImage image(200, 100);
    Paint(image);
    const std::string file = folder.File("kept.pdf");
    WriteWholeFile(file, "the old file");
    // A file size limit makes the write of the new file fail half-way.
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ScriptSaveAsPdf(file, 600, 2100, 2970);
    const tResult result = printer.Print(tCString(u"Too big"), image, 1);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(result, kResFileIO);
    EXPECT_EQ(ReadWholeFile(file), "the old file");
    const auto documents = w32::headless::TakePrintedDocuments();
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_FALSE(documents[0].delivered);
    EXPECT_GT(documents[0].pdf.size(), 512u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1) << "no temporary file left";

    // A folder that is not there: nothing is made.
    ScriptSaveAsPdf(folder.File("missing/page.pdf"), 600, 2100, 2970);
    EXPECT_EQ(printer.Print(tCString(u"Nowhere"), image, 1), kResFileIO);
    EXPECT_FALSE(std::filesystem::exists(folder.File("missing")));
}

}  // namespace
