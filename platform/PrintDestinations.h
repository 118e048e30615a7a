#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/PrintInternal.h"

// The CUPS side of printing, through its command-line clients (which honour CUPS_SERVER): the
// destinations, their paper, and handing a PDF file to a queue. The system's paper is
// $PAPERSIZE, else the name in /etc/papersize, else A4.
namespace w32::printing {

// `lpstat -e`; empty when CUPS cannot be asked.
std::vector<std::u16string> ListDestinations();
// The one of `destinations` that `lpstat -d` names; empty when there is none.
std::u16string DefaultDestination(const std::vector<std::u16string>& destinations);

// A 600-dpi page of the destination's default media (`lpoptions -p`), else of the system's paper.
tPage DestinationPage(const std::u16string& destination);
tPage SystemPage();

// A paper's size in tenths of a millimetre from a media name: a self-describing one
// ("iso_a5_148x210mm", "na_letter_8.5x11in") or a common name ("A4", "letter"). False when
// unknown or out of range.
bool ParsePaperName(std::string_view name, int32_t* width, int32_t* length);

// Runs `lp -d <destination> -t <title> <file>` on a private temporary copy of the PDF; true when
// lp queued it (exit code 0) within the wait. An lp still running then is ended before the copy
// is deleted.
constexpr DWORD kQueueMilliseconds = 60000;
bool SendToDestination(const std::u16string& destination, const std::u16string& title, const std::string& pdf,
                       DWORD waitMilliseconds = kQueueMilliseconds);

}  // namespace w32::printing
