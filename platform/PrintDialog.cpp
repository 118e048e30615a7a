#include "platform/PrintDialog.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/DesktopInternal.h"
#include "platform/FileDialogs.h"
#include "platform/PrintDestinations.h"
#include "platform/PrintInternal.h"

namespace w32 {
namespace {

const char16_t kCupsDriver[] = u"cups";
const char16_t kPdfDriver[] = u"pdf";
const char16_t kPdfFilter[] = u"PDF document (*.pdf)\0*.pdf\0";
// Longer than any path the file dialog answers.
constexpr DWORD kLongestPath = 4096;

std::u16string BlockText(HGLOBAL block)
{
    std::u16string text(GlobalSize(block) / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), GlobalLock(block), text.size() * sizeof(char16_t));
    GlobalUnlock(block);
    return text;
}

// The text at `offset` units of a DEVNAMES block, up to its terminator.
std::u16string TextAt(const std::u16string& block, WORD offset)
{
    const size_t header = sizeof(DEVNAMES) / sizeof(char16_t);
    if (offset < header || offset >= block.size())
        return std::u16string();
    return block.substr(offset, block.find(u'\0', offset) - offset);
}

// The choice the two blocks keep; false when they keep none.
bool ReadChoice(HGLOBAL names, HGLOBAL mode, printing::tPrintChoice* choice)
{
    if (!names || !mode || GlobalSize(names) < sizeof(DEVNAMES) || GlobalSize(mode) < sizeof(DEVMODEW))
        return false;
    DEVMODEW page;
    std::memcpy(&page, GlobalLock(mode), sizeof page);
    GlobalUnlock(mode);
    DEVNAMES header;
    const std::u16string block = BlockText(names);
    std::memcpy(static_cast<void*>(&header), block.data(), sizeof header);
    const std::u16string driver = TextAt(block, header.wDriverOffset);
    const std::u16string output = TextAt(block, header.wOutputOffset);
    if (output.empty() || (driver != kCupsDriver && driver != kPdfDriver))
        return false;
    choice->destination = driver == kCupsDriver ? output : std::u16string();
    choice->file = driver == kPdfDriver ? output : std::u16string();
    choice->page = printing::tPage{page.dmPrintQuality, page.dmYResolution, page.dmPaperWidth, page.dmPaperLength};
    return true;
}

HGLOBAL MakeNames(const printing::tPrintChoice& choice, bool isDefault)
{
    const bool toFile = choice.destination.empty();
    const std::u16string texts[] = {toFile ? kPdfDriver : kCupsDriver, toFile ? printing::kSaveAsPdf : choice.destination,
                                    toFile ? choice.file : choice.destination};
    std::u16string block(sizeof(DEVNAMES) / sizeof(char16_t), u'\0');
    WORD offsets[3];
    for (int i = 0; i < 3; ++i) {
        if (block.size() > 0xFFFF)
            return nullptr;
        offsets[i] = WORD(block.size());
        block += texts[i] + u'\0';
    }
    const DEVNAMES header{offsets[0], offsets[1], offsets[2], WORD(isDefault ? DN_DEFAULTPRN : 0)};
    std::memcpy(block.data(), &header, sizeof header);
    HGLOBAL names = GlobalAlloc(GMEM_MOVEABLE, block.size() * sizeof(char16_t));
    std::memcpy(GlobalLock(names), block.data(), block.size() * sizeof(char16_t));
    GlobalUnlock(names);
    return names;
}

HGLOBAL MakeMode(const printing::tPage& page)
{
    DEVMODEW mode;
    mode.dmFields = DM_PAPERWIDTH | DM_PAPERLENGTH | DM_PRINTQUALITY | DM_YRESOLUTION;
    mode.dmPaperWidth = SHORT(page.paperWidth);
    mode.dmPaperLength = SHORT(page.paperLength);
    mode.dmPrintQuality = SHORT(page.dotsPerInchX);
    mode.dmYResolution = SHORT(page.dotsPerInchY);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof mode);
    std::memcpy(GlobalLock(block), &mode, sizeof mode);
    GlobalUnlock(block);
    return block;
}

bool FitsDevMode(const printing::tPage& page)
{
    const auto fits = [](int32_t value) { return value > 0 && value <= 0x7FFF; };
    return fits(page.dotsPerInchX) && fits(page.dotsPerInchY) && fits(page.paperWidth) && fits(page.paperLength);
}

// The save dialog for the PDF file, starting on the last one.
BOOL AskForPdfFile(HWND owner, const printing::tPrintChoice* kept, std::u16string* file)
{
    std::vector<char16_t> name(kLongestPath, u'\0');
    if (kept && kept->destination.empty())
        std::copy_n(kept->file.begin(), std::min<size_t>(kept->file.size(), kLongestPath - 1), name.begin());
    OPENFILENAMEW save;
    save.hwndOwner = owner;
    save.lpstrFilter = kPdfFilter;
    save.nFilterIndex = 1;
    save.lpstrFile = name.data();
    save.nMaxFile = kLongestPath;
    save.Flags = OFN_OVERWRITEPROMPT;
    save.lpstrDefExt = u"pdf";
    if (!GetSaveFileNameW(&save))
        return 0;
    *file = name.data();
    return 1;
}

// Shows the list, marked at the kept entry, else at the CUPS default.
BOOL AskForChoice(HWND owner, const printing::tPrintChoice* kept, printing::tPrintChoice* choice, bool* isDefault)
{
    printing::tPrintDialogRequest request;
    request.entries = printing::ListDestinations();
    const std::u16string defaultDestination = printing::DefaultDestination(request.entries);
    request.entries.push_back(printing::kSaveAsPdf);
    const std::u16string keptEntry = !kept ? u"" : kept->destination.empty() ? printing::kSaveAsPdf : kept->destination;
    const bool keptListed = std::find(request.entries.begin(), request.entries.end(), keptEntry) != request.entries.end();
    request.selected = keptListed ? keptEntry : defaultDestination.empty() ? request.entries.front() : defaultDestination;

    const printing::tPrintDialogAnswer answer =
        desktop::IsScripted() ? RunScriptedPrintDialog(request) : RunDesktopPrintDialog(request);
    if (answer.outcome == printing::tPrintDialogAnswer::kCancelled)
        return desktop::FailDialog(0);
    const bool listed = std::find(request.entries.begin(), request.entries.end(), answer.entry) != request.entries.end();
    if (answer.outcome == printing::tPrintDialogAnswer::kFailed || !listed)
        return desktop::FailDialog(CDERR_DIALOGFAILURE);
    if (answer.entry == printing::kSaveAsPdf) {
        if (!AskForPdfFile(owner, kept, &choice->file))
            return 0;
        choice->page = printing::SystemPage();
    } else {
        choice->destination = answer.entry;
        choice->page = printing::DestinationPage(answer.entry);
        *isDefault = answer.entry == defaultDestination;
    }
    if (answer.dotsPerInch > 0)
        choice->page.dotsPerInchX = choice->page.dotsPerInchY = answer.dotsPerInch;
    if (answer.paperWidth > 0 && answer.paperLength > 0) {
        choice->page.paperWidth = answer.paperWidth;
        choice->page.paperLength = answer.paperLength;
    }
    return 1;
}

}  // namespace

BOOL PrintDlgW(PRINTDLGW* dialog)
{
    if (!dialog || dialog->lStructSize != sizeof(PRINTDLGW))
        return desktop::FailDialog(CDERR_STRUCTSIZE);
    printing::tPrintChoice kept;
    const bool hasKept = ReadChoice(dialog->hDevNames, dialog->hDevMode, &kept);
    printing::tPrintChoice choice;
    bool isDefault = false;
    if (!(dialog->Flags & PD_RETURNDEFAULT)) {
        if (!AskForChoice(dialog->hwndOwner, hasKept ? &kept : nullptr, &choice, &isDefault))
            return 0;
    } else if (hasKept) {
        choice = kept;
    } else {
        choice.destination = printing::DefaultDestination(printing::ListDestinations());
        if (choice.destination.empty())
            return desktop::FailDialog(PDERR_NODEFAULTPRN);
        choice.page = printing::DestinationPage(choice.destination);
        isDefault = true;
    }
    HGLOBAL names = FitsDevMode(choice.page) ? MakeNames(choice, isDefault) : nullptr;
    if (!names)
        return desktop::FailDialog(PDERR_CREATEICFAILURE);
    GlobalFree(dialog->hDevNames);
    GlobalFree(dialog->hDevMode);
    dialog->hDevNames = names;
    dialog->hDevMode = MakeMode(choice.page);
    dialog->hDC = nullptr;
    if (dialog->Flags & PD_RETURNDC) {
        dialog->hDC = printing::CreatePrinterDC(choice);
        if (!dialog->hDC)
            return desktop::FailDialog(PDERR_CREATEICFAILURE);
    }
    desktop::SetDialogError(0);
    return 1;
}

}  // namespace w32
