#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/DesktopInternal.h"

// Under the headless platform the file dialogs and the document opener answer from scripts
// that a test queues, and record what they were asked.
namespace w32::headless {

// The next dialog answers this; a dialog without a queued answer is cancelled.
void ScriptFileDialog(const desktop::tFileDialogAnswer& answer);
// The dialogs shown since the last call.
std::vector<desktop::tFileDialogRequest> TakeFileDialogRequests();

// The next ShellExecuteW answers this; without one it answers success (33).
void ScriptShellOpen(intptr_t answer);
// The texts opened since the last call.
std::vector<std::u16string> TakeShellOpens();

}  // namespace w32::headless
