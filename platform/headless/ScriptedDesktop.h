#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/DesktopInternal.h"
#include "platform/PrintInternal.h"

// Under the headless platform the file and print dialogs and the document opener answer from
// scripts that a test queues, and record what they were asked; printed documents are kept.
namespace w32::headless {

// The next dialog answers this; a dialog without a queued answer is cancelled.
void ScriptFileDialog(const desktop::tFileDialogAnswer& answer);
// The dialogs shown since the last call.
std::vector<desktop::tFileDialogRequest> TakeFileDialogRequests();

// The next ShellExecuteW answers this; without one it answers success (33).
void ScriptShellOpen(intptr_t answer);
// The texts opened since the last call.
std::vector<std::u16string> TakeShellOpens();

// The next print dialog answers this; a dialog without a queued answer is cancelled.
void ScriptPrintDialog(const printing::tPrintDialogAnswer& answer);
std::vector<printing::tPrintDialogRequest> TakePrintDialogRequests();
// The documents whose PDF was made since the last call, handed over or not.
std::vector<printing::tPrintedDocument> TakePrintedDocuments();

}  // namespace w32::headless
