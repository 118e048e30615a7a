#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

class tCFTypeList;

// Shows the application's error box for `code` with the string-table text `textId`; nothing
// without an application.
void ReportWithText(tResult code, uint32_t textId);

// The image types and "all images", starting on the latter: the open dialogs of images.
void ListImageTypes(tCFTypeList& list);
