#pragma once

#include "toolkit/core/ResultCodes.h"

class CHMRBackdrop;

// The preferences file as the main backdrop reads it at the end of its build and writes it when
// the program closes: each pane's settings are rows of it. Answers of ReadPreferences: 0 read,
// 2 when there is no file (the defaults stay), else a failure that leaves the rest of the
// defaults in place.
class IPreferences {
public:
    virtual tResult ReadPreferences(CHMRBackdrop& backdrop) = 0;
    virtual tResult WritePreferences(CHMRBackdrop& backdrop) = 0;

protected:
    ~IPreferences() = default;
};

// The preferences of a program that keeps no file: nothing is read (2) and nothing is written.
IPreferences& NoPreferencesFile();
