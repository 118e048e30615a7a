#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCCmdTarget.h"

class tCFTypeList;

// Shows the application's error box for `code` with the string-table text `textId`; nothing
// without an application.
void ReportWithText(tResult code, uint32_t textId);

// Tells why a painting could not be opened, the same whichever way it came (the command line,
// Open, a drop or the save question's follow-up); nothing for 0 and 2.
void ReportOpenFailure(tResult code);

// True when the controller holds no painting (the memory refused the first one), which the
// application's error box then tells the user; `sender` asks the controller. A controller that
// does not answer counts as holding one.
bool ReportNoPainting(tMsgArg sender);

// The image types and "all images", starting on the latter: the open dialogs of images.
void ListImageTypes(tCFTypeList& list);
