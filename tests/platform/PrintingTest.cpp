#include <gtest/gtest.h>

#include <errno.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "DialogStandIns.h"
#include "HeadlessFixture.h"
#include "NoCupsServer.h"
#include "ScopedEnvironment.h"
#include "platform/Clipboard.h"
#include "platform/FileDialogs.h"
#include "platform/Paint.h"
#include "platform/PrintDestinations.h"
#include "platform/PrintDialog.h"
#include "platform/Printing.h"
#include "platform/TextCodec.h"
#include "platform/headless/ScriptedDesktop.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace PrintingTests {

namespace {

using namespace w32;

TEST(PaperNames, SelfDescribingAndCommonNamesGiveTenthsOfAMillimetre)
{
    struct Case {
        const char* name;
        int32_t width, length;
    };
    const Case known[] = {
        {"iso_a5_148x210mm", 1480, 2100}, {"na_letter_8.5x11in", 2159, 2794}, {"A4", 2100, 2970},
        {" letter\n", 2159, 2794},        {"Legal", 2159, 3556},             {"om_small-photo_100x150mm", 1000, 1500},
        {"custom_w_3.5x5in", 889, 1270},
    };
    for (const Case& c : known) {
        int32_t width = 0, length = 0;
        ASSERT_TRUE(printing::ParsePaperName(c.name, &width, &length)) << c.name;
        EXPECT_EQ(width, c.width) << c.name;
        EXPECT_EQ(length, c.length) << c.name;
    }
    for (const char* name : {"", "a4x", "iso_a4", "iso_a4_210x297", "iso_a4_210x297cm", "x_0x5mm", "x_-5x5mm",
                             "x_5x5x5mm", "x_5xmm", "x_1e9x2in", "x_4000x10mm", "x_nanx5mm", "x_5 x5mm"}) {
        int32_t width = -1, length = -1;
        EXPECT_FALSE(printing::ParsePaperName(name, &width, &length)) << name;
        EXPECT_EQ(width, -1) << name;
    }
}

TEST_F(HeadlessTest, TheScreenHas96PixelsPerInchAndTheDisplaysSize)
{
    const HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1280);
    EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 800);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(uintptr_t(0x7770))), nullptr) << "no such window";
    EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSX), 0);
}

// A print dialog record that deletes and frees what the dialog gave it.
struct OwnedPrintDialog : PRINTDLGW {
    OwnedPrintDialog()
    {
        lStructSize = sizeof(PRINTDLGW);
        Flags = PD_RETURNDC;
    }
    ~OwnedPrintDialog()
    {
        if (hDC)
            DeleteDC(hDC);
        GlobalFree(hDevMode);
        GlobalFree(hDevNames);
    }
    OwnedPrintDialog(const OwnedPrintDialog&) = delete;
    OwnedPrintDialog& operator=(const OwnedPrintDialog&) = delete;
};

class PrintDialogTest : public HeadlessTest {
protected:
    // Chooses "Save as PDF" and then `file` in the save dialog.
    BOOL SaveAsPdf(const std::string& file)
    {
        printing::tPrintDialogAnswer answer;
        answer.outcome = printing::tPrintDialogAnswer::kChosen;
        answer.entry = printing::kSaveAsPdf;
        headless::ScriptPrintDialog(answer);
        headless::ScriptFileDialog(desktop::tFileDialogAnswer{desktop::tFileDialogAnswer::kChosen, ToWide(file), 0});
        return PrintDlgW(&dialog);
    }

    // The three texts of the kept DEVNAMES block.
    std::vector<std::u16string> Names()
    {
        std::u16string block(GlobalSize(dialog.hDevNames) / 2, u'\0');
        std::memcpy(block.data(), GlobalLock(dialog.hDevNames), block.size() * 2);
        DEVNAMES header;
        std::memcpy(static_cast<void*>(&header), block.data(), sizeof header);
        std::vector<std::u16string> texts;
        for (WORD offset : {header.wDriverOffset, header.wDeviceOffset, header.wOutputOffset})
            texts.push_back(block.substr(offset, block.find(u'\0', offset) - offset));
        return texts;
    }

    NoCupsServer noCups;
    ScopedEnvironment environment;
    TempFolder folder;
    OwnedPrintDialog dialog;
};

TEST_F(PrintDialogTest, SaveAsPdfMakesAPageOfTheSystemsPaperAt600Dpi)
{
    environment.Set("PAPERSIZE", "letter");
    ASSERT_NE(SaveAsPdf(folder.File("page")), 0);
    ASSERT_NE(dialog.hDC, nullptr);
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(GetDeviceCaps(dialog.hDC, LOGPIXELSX), 600);
    EXPECT_EQ(GetDeviceCaps(dialog.hDC, LOGPIXELSY), 600);
    EXPECT_EQ(GetDeviceCaps(dialog.hDC, HORZRES), 5100);
    EXPECT_EQ(GetDeviceCaps(dialog.hDC, VERTRES), 6600);
    // The save dialog asks for a PDF file and adds the extension.
    const auto asked = headless::TakeFileDialogRequests();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].save);
    EXPECT_TRUE(asked[0].confirmOverwrite);
    ASSERT_EQ(asked[0].filters.size(), 1u);
    EXPECT_EQ(asked[0].filters[0].patterns, std::vector<std::u16string>{u"*.pdf"});
    const std::vector<std::u16string> expected = {u"pdf", printing::kSaveAsPdf, ToWide(folder.File("page.pdf"))};
    EXPECT_EQ(Names(), expected);

    // A paper nobody knows is A4.
    environment.Set("PAPERSIZE", "quarto-ish");
    DeleteDC(dialog.hDC);
    ASSERT_NE(SaveAsPdf(folder.File("a4.pdf")), 0);
    EXPECT_EQ(GetDeviceCaps(dialog.hDC, HORZRES), 2100 * 600 / 254);
    EXPECT_EQ(GetDeviceCaps(dialog.hDC, VERTRES), 2970 * 600 / 254);
}

TEST_F(PrintDialogTest, FailuresAndCancelsSayWhy)
{
    dialog.lStructSize = 12;
    EXPECT_EQ(PrintDlgW(&dialog), 0);
    EXPECT_EQ(CommDlgExtendedError(), DWORD(CDERR_STRUCTSIZE));
    dialog.lStructSize = sizeof(PRINTDLGW);

    dialog.Flags = PD_RETURNDC | PD_RETURNDEFAULT;
    EXPECT_EQ(PrintDlgW(&dialog), 0);
    EXPECT_EQ(CommDlgExtendedError(), DWORD(PDERR_NODEFAULTPRN));

    dialog.Flags = PD_RETURNDC;
    EXPECT_EQ(PrintDlgW(&dialog), 0) << "no answer: cancelled";
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    printing::tPrintDialogAnswer failed;
    failed.outcome = printing::tPrintDialogAnswer::kFailed;
    headless::ScriptPrintDialog(failed);
    EXPECT_EQ(PrintDlgW(&dialog), 0);
    EXPECT_EQ(CommDlgExtendedError(), DWORD(CDERR_DIALOGFAILURE));
    EXPECT_EQ(dialog.hDC, nullptr);
    EXPECT_EQ(dialog.hDevNames, nullptr);
}

TEST_F(PrintDialogTest, ADocumentWithoutPagesFailsAndWritesNothing)
{
    const std::string file = folder.File("empty.pdf");
    ASSERT_NE(SaveAsPdf(file), 0);
    DOCINFOW document;
    document.lpszDocName = u"Empty";
    ASSERT_GT(StartDocW(dialog.hDC, &document), 0);
    EXPECT_EQ(EndDoc(dialog.hDC), SP_ERROR);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(headless::TakePrintedDocuments().empty());
}

TEST_F(PrintDialogTest, TheSmallestImagesAndPagesPrintAndEmptyOnesAreRefused)
{
    ASSERT_NE(SaveAsPdf(folder.File("small.pdf")), 0);
    const HDC printer = dialog.hDC;
    DOCINFOW document;
    document.lpszDocName = u"Small";
    const uint32_t pixel = 0xFF336699;
    BITMAPINFO info;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = -1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const auto stretch = [&](const BITMAPINFO& header, int32_t width, int32_t height) {
        return StretchDIBits(printer, 0, 0, width, height, 0, 0, 1, 1, &pixel, &header, DIB_RGB_COLORS, SRCCOPY);
    };
    ASSERT_GT(StartDocW(printer, &document), 0);
    ASSERT_EQ(StartPage(printer), 1);
    EXPECT_EQ(stretch(info, 1, 1), 1) << "one pixel onto one pixel";
    EXPECT_EQ(stretch(info, 0, 1), 0);
    EXPECT_EQ(stretch(info, 1, 0), 0);
    BITMAPINFO noRows = info;
    noRows.bmiHeader.biHeight = 0;
    EXPECT_EQ(StretchDIBits(printer, 0, 0, 1, 1, 0, 0, 1, 0, &pixel, &noRows, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(EndDoc(printer), SP_ERROR) << "the refused images failed the document";
}

TEST_F(PrintDialogTest, ADocumentWithAFailedStepIsNotHandedOver)
{
    const std::string file = folder.File("never.pdf");
    ASSERT_NE(SaveAsPdf(file), 0);
    const HDC printer = dialog.hDC;
    DOCINFOW document;
    document.lpszDocName = u"Never";
    const uint32_t pixels[4] = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0};
    BITMAPINFO info;
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const auto stretch = [&](const BITMAPINFO& header, int32_t xSrc, int32_t srcWidth) {
        return StretchDIBits(printer, 10, 10, 20, 20, xSrc, 0, srcWidth, 2, pixels, &header, DIB_RGB_COLORS, SRCCOPY);
    };

    EXPECT_EQ(StartPage(printer), SP_ERROR) << "no document";
    DOCINFOW wrongSize = document;
    wrongSize.cbSize = 8;
    EXPECT_EQ(StartDocW(printer, &wrongSize), SP_ERROR);
    ASSERT_GT(StartDocW(printer, &document), 0);
    EXPECT_EQ(StartDocW(printer, &document), SP_ERROR) << "one document at a time";
    EXPECT_EQ(stretch(info, 0, 2), 0) << "no page";
    ASSERT_EQ(StartPage(printer), 1);
    EXPECT_EQ(stretch(info, 0, 2), 2);
    EXPECT_EQ(stretch(info, 1, 2), 0) << "the source runs past the bitmap";
    BITMAPINFO bottomUp = info;
    bottomUp.bmiHeader.biHeight = 2;
    EXPECT_EQ(stretch(bottomUp, 0, 2), 0);
    BITMAPINFO threeBytes = info;
    threeBytes.bmiHeader.biBitCount = 24;
    EXPECT_EQ(stretch(threeBytes, 0, 2), 0);
    EXPECT_EQ(EndPage(printer), 1);
    EXPECT_EQ(EndDoc(printer), SP_ERROR);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(headless::TakePrintedDocuments().empty());

    // The context works again for the next document, and not at all once deleted.
    ASSERT_GT(StartDocW(printer, &document), 0);
    ASSERT_EQ(StartPage(printer), 1);
    EXPECT_EQ(stretch(info, 0, 2), 2);
    EXPECT_EQ(EndDoc(printer), 1) << "the open page is ended";
    const auto documents = headless::TakePrintedDocuments();
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(documents[0].pages.at(0).images.at(0).pixels, std::vector<uint32_t>(pixels, pixels + 4));
    EXPECT_EQ(ReadWholeFile(file), documents[0].pdf);
    EXPECT_EQ(DeleteDC(printer), 1);
    dialog.hDC = nullptr;
    EXPECT_EQ(StartDocW(printer, &document), SP_ERROR);
    EXPECT_EQ(GetDeviceCaps(printer, HORZRES), 0);
    EXPECT_EQ(DeleteDC(printer), 0);
}

}  // namespace

namespace {

// zenity or kdialog stand-ins first on PATH: they answer with the texts given, the list first
// and then the save dialog.
class DesktopPrintDialogTest : public ::testing::Test {
protected:
    void Install(const std::string& program, const std::string& listAnswer, int listExit = 0)
    {
        standIns.Install(program, "case \"$*\" in\n*--file-selection*|*--getsavefilename*) echo " +
                                      standIns.File("out.pdf") + " ;;\n*) printf '%s\\n' '" + listAnswer + "'; exit " +
                                      std::to_string(listExit) + " ;;\nesac");
    }

    NoCupsServer noCups;
    DialogStandIns standIns{false};
    OwnedPrintDialog dialog;
};

TEST_F(DesktopPrintDialogTest, ZenityListsTheEntriesAndItsAnswerIsTheChoice)
{
    Install("zenity", "Save as PDF");
    ASSERT_NE(PrintDlgW(&dialog), 0);
    const std::vector<std::string> expectedList = {"--list",    "--radiolist", "--hide-header", "--title=Print",
                                                   "--text=Print to:", "--column=", "--column=", "--", "TRUE",
                                                   "Save as PDF"};
    const std::vector<std::string> arguments = standIns.TakeArguments();
    ASSERT_GT(arguments.size(), expectedList.size());
    EXPECT_EQ(std::vector<std::string>(arguments.begin(), arguments.begin() + expectedList.size()), expectedList);
    EXPECT_EQ(arguments[expectedList.size()], "--file-selection");
    ASSERT_NE(dialog.hDC, nullptr);
    EXPECT_EQ(GetDeviceCaps(dialog.hDC, LOGPIXELSX), 600);
}

TEST_F(DesktopPrintDialogTest, KdialogOnKdeAndCancelledOrUnknownAnswers)
{
    Install("zenity", "unused");
    Install("kdialog", "Save as PDF", 1);
    standIns.SetDesktop("KDE");
    EXPECT_EQ(PrintDlgW(&dialog), 0);
    EXPECT_EQ(CommDlgExtendedError(), 0u) << "cancelled";
    EXPECT_EQ(standIns.TakeArguments(), (std::vector<std::string>{"--title", "Print", "--radiolist", "Print to:", "--", "Save as PDF",
                                                     "Save as PDF", "on"}));
    for (const auto& [answer, exitCode] : {std::pair{"", 3}, std::pair{"not-listed", 0}}) {
        Install("kdialog", answer, exitCode);
        EXPECT_EQ(PrintDlgW(&dialog), 0) << answer;
        EXPECT_EQ(CommDlgExtendedError(), DWORD(CDERR_DIALOGFAILURE)) << answer;
    }
    EXPECT_EQ(dialog.hDC, nullptr);
}

}  // namespace

namespace {

// An lp stand-in first on PATH: it notes its process id, its arguments and the mode of the file
// it was given, then does what the test asks.
class LpStandInTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* path = std::getenv("PATH");
        environment.Set("PATH", m_bin.Path().string() + ":" + (path ? path : ""));
    }

    void Install(const std::string& then)
    {
        const std::string script = m_bin.File("lp");
        WriteWholeFile(script, "#!/bin/sh\necho $$ > " + m_bin.File("pid") + "\nfor last; do :; done\nprintf '%s\\n' \"$@\" > " +
                                   m_bin.File("arguments") + "\nstat -c %a \"$last\" > " + m_bin.File("mode") +
                                   "\ncp \"$last\" " + m_bin.File("copy") + "\n" + then + "\n");
        chmod(script.c_str(), 0755);
    }

    std::string Noted(const std::string& name) { return ReadWholeFile(m_bin.File(name)); }

    ScopedEnvironment environment;
    TempFolder m_bin;
};

TEST_F(LpStandInTest, TheQueuedFileIsPrivateAndGoneAfterwards)
{
    Install("exit 0");
    const std::string pdf = "%PDF-1.5 not really";
    EXPECT_TRUE(printing::SendToDestination(u"-dash", u"Title -t", pdf));
    EXPECT_EQ(Noted("mode"), "600\n");
    EXPECT_EQ(Noted("copy"), pdf);
    std::istringstream lines(Noted("arguments"));
    std::vector<std::string> arguments;
    for (std::string line; std::getline(lines, line);)
        arguments.push_back(line);
    ASSERT_EQ(arguments.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(arguments.begin(), arguments.begin() + 4),
              (std::vector<std::string>{"-d", "-dash", "-t", "Title -t"}));
    EXPECT_FALSE(std::filesystem::exists(arguments[4])) << "the temporary file is deleted";

    Install("exit 1");
    EXPECT_FALSE(printing::SendToDestination(u"kostrel-test", u"Refused", pdf));
}

TEST_F(LpStandInTest, AnLpPastItsTimeIsEndedBeforeItsFileGoes)
{
    Install("exec sleep 30");
    EXPECT_FALSE(printing::SendToDestination(u"kostrel-test", u"Slow", "%PDF", 300));
    const pid_t pid = pid_t(std::stol(Noted("pid")));
    EXPECT_NE(kill(pid, 0), 0) << "lp still runs after the failure was reported";
    EXPECT_EQ(errno, ESRCH);
}

}  // namespace

}  // namespace PrintingTests
