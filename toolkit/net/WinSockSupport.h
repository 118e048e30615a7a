#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

// The process-wide start-up and clean-up of the sockets, and the classification of their error
// numbers into result codes.

// Starts the sockets asking for version 2.2; 0 when exactly 2.2 was granted. Otherwise the error
// box shows code 28 with the reason and the answer is 1.
tResult StartUpWinSock();
// 0, or the class of the clean-up's error.
tResult CleanUpWinSock();

// 28 for errors after which networking is probably no longer functional, 27 for those a later
// attempt may get past, 1 for a number that is neither (written to the error log).
tResult GetErrFatality(int32_t error);
