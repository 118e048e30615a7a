#pragma once

#include <cstdint>

// Nearly every operation answers a result code: 0 is success, 2 a success that needs nothing
// more, every other code a failure with a fixed message.
using tResult = uint32_t;

enum : tResult {
    kResOk = 0,
    kResFailure = 1,
    kResHandled = 2,
    kResCompleted = 3,
    kResCancelled = 4,
    kResNoMemory = 5,
    kResBadParam = 6,
    kResBusy = 7,
    kResInvalidObject = 8,
    kResFileNotFound = 9,
    kResNotImplemented = 10,
    kResPrefError = 11,
    kResOutOfRange = 12,
    kResBufferOverrun = 13,
    kResFileOpen = 14,
    kResFileClose = 15,
    kResFileIO = 16,
    kResFileInvalid = 17,
    kResFileExists = 18,
    kResPathError = 19,
    kResTextParse = 20,
    kResResourceWrite = 21,
    kResResourceNotFound = 22,
    kResResourceRead = 23,
    kResCreateFailed = 24,
    kResDamaged = 25,
    kResBadTaste = 26,
    kResNetRecoverable = 27,
    kResNetFatal = 28,
    kResKeyExists = 29,
    kResBadCompare = 30,
    kResKeyNotFound = 31,
    kResCodeCount = 32
};

// The message of a code as the error box shows it; codes of 32 and more read as code 1.
const char* ResultText(tResult code);

// Success in the sense of the message pump and the heartbeat: 0 and 2 alike.
inline bool IsSuccess(tResult code) { return code == kResOk || code == kResHandled; }

// Passes a non-zero result code up to the caller.
#define TK_TRY(expr)                          \
    do {                                      \
        const tResult tkTryResult_ = (expr);  \
        if (tkTryResult_ != kResOk)           \
            return tkTryResult_;              \
    } while (0)
