#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "PrintTestSupport.h"
#include "PrivateCups.h"
#include "app/shell/CHMRPrintManager.h"
#include "platform/Clipboard.h"
#include "tests/platform/ScopedEnvironment.h"

namespace {

using w32::printing::tPrintDialogAnswer;

// The document name reaches lp whole: spaces, quotes and a shell's favourite characters.
const char16_t kName[] = u"Still life; 'pears' & $HOME";

tPrintDialogAnswer Choose(const std::u16string& entry)
{
    tPrintDialogAnswer answer;
    answer.outcome = tPrintDialogAnswer::kChosen;
    answer.entry = entry;
    return answer;
}

// Each test has its own scheduler, which CUPS_SERVER points lp, lpstat and lpoptions at.
class CupsPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        environment.Set("CUPS_SERVER", cups.Socket());
        environment.Set("HOME", home.Path().string());
        environment.Unset("LPDEST");
        environment.Unset("PRINTER");
        ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless));
        ASSERT_EQ(printer.Initialise(), kResOk);
        std::string why;
        if (!cups.Start(&why))
            GTEST_SKIP() << "A private cupsd cannot run here: " << why;
    }
    void TearDown() override
    {
        cups.Stop();
        w32::StopPlatform();
    }

    ScopedEnvironment environment;
    TempFolder home;
    PrivateCups cups;
    CHMRPrintManager printer;
};

TEST_F(CupsPrintTest, TheDialogListsTheQueueAndThePrintIsAJobThere)
{
    CImage image(640, 480);
    Paint(image);
    w32::headless::ScriptPrintDialog(Choose(u"kostrel-test"));
    ASSERT_EQ(printer.Print(tCString(kName), image, 1), kResOk);

    const auto asked = w32::headless::TakePrintDialogRequests();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].entries,
              (std::vector<std::u16string>{u"-dash", u"kostrel-closed", u"kostrel-test", w32::printing::kSaveAsPdf}));
    EXPECT_EQ(asked[0].selected, u"kostrel-test") << "the default destination is marked";

    const auto documents = w32::headless::TakePrintedDocuments();
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_TRUE(documents[0].delivered);
    EXPECT_EQ(documents[0].choice.destination, u"kostrel-test");
    // The queue's A5 at 600 dpi.
    ASSERT_EQ(documents[0].pages.size(), 1u);
    EXPECT_EQ(documents[0].pages[0].width, 1480 * 600 / 254);
    EXPECT_EQ(documents[0].pages[0].height, 2100 * 600 / 254);

    ASSERT_TRUE(cups.WaitForJob(documents[0].pdf.size())) << "the job never reached the queue's file";
    EXPECT_EQ(ReadWholeFile(cups.Output()), documents[0].pdf);
    EXPECT_EQ(w32::ToWide(ReadWholeFile(cups.Title())), kName);
    double width = 0, height = 0;
    PageSizeOf(cups.Output(), &width, &height);
    EXPECT_NEAR(width, 148 / 25.4 * 72, 0.01);
    EXPECT_NEAR(height, 210 / 25.4 * 72, 0.01);
}

TEST_F(CupsPrintTest, WithoutADialogOrAChoiceTheDefaultQueueIsTaken)
{
    CImage image(64, 48);
    Paint(image);
    ASSERT_EQ(printer.Print(tCString(u"Default"), image, 0), kResOk);
    EXPECT_TRUE(w32::headless::TakePrintDialogRequests().empty());
    const auto documents = w32::headless::TakePrintedDocuments();
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(documents[0].choice.destination, u"kostrel-test");
    ASSERT_TRUE(cups.WaitForJob(documents[0].pdf.size()));
    EXPECT_EQ(ReadWholeFile(cups.Output()), documents[0].pdf);
    EXPECT_EQ(ReadWholeFile(cups.Title()), "Default");
}

// The dialog's record marks the CUPS default as the default printer, and no other queue.
TEST_F(CupsPrintTest, TheRecordMarksOnlyTheDefaultQueue)
{
    for (const auto& [queue, flag] : {std::pair{u"kostrel-test", w32::WORD(w32::DN_DEFAULTPRN)},
                                      std::pair{u"-dash", w32::WORD(0)}}) {
        w32::PRINTDLGW dialog;
        dialog.lStructSize = sizeof(w32::PRINTDLGW);
        w32::headless::ScriptPrintDialog(Choose(queue));
        ASSERT_NE(w32::PrintDlgW(&dialog), 0);
        w32::DEVNAMES names;
        std::memcpy(static_cast<void*>(&names), w32::GlobalLock(dialog.hDevNames), sizeof names);
        w32::GlobalUnlock(dialog.hDevNames);
        EXPECT_EQ(names.wDefault, flag);
        w32::GlobalFree(dialog.hDevMode);
        w32::GlobalFree(dialog.hDevNames);
    }
}

TEST_F(CupsPrintTest, AQueueNamedLikeAnOptionTakesTheJob)
{
    CImage image(64, 48);
    Paint(image);
    w32::headless::ScriptPrintDialog(Choose(u"-dash"));
    EXPECT_EQ(printer.Print(tCString(u"-t dashed"), image, 1), kResOk);
    const auto documents = w32::headless::TakePrintedDocuments();
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(documents[0].choice.destination, u"-dash");
    EXPECT_TRUE(documents[0].delivered);
}

TEST_F(CupsPrintTest, AQueueRefusingJobsOrAStoppedSchedulerAnswersACode)
{
    CImage image(64, 48);
    Paint(image);
    w32::headless::ScriptPrintDialog(Choose(u"kostrel-closed"));
    EXPECT_EQ(printer.Print(tCString(u"Refused"), image, 1), kResFileIO);
    auto documents = w32::headless::TakePrintedDocuments();
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_FALSE(documents[0].delivered);

    w32::headless::ScriptPrintDialog(Choose(u"kostrel-test"));
    ASSERT_EQ(printer.Print(tCString(u"First"), image, 1), kResOk);
    ASSERT_TRUE(cups.WaitForJob(w32::headless::TakePrintedDocuments().at(0).pdf.size()));
    cups.Stop();
    EXPECT_EQ(printer.Print(tCString(u"Stopped"), image, 0), kResFileIO);
    documents = w32::headless::TakePrintedDocuments();
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(documents[0].choice.destination, u"kostrel-test");
    EXPECT_FALSE(documents[0].delivered);
}

}  // namespace
