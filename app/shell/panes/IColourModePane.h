#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

// The colour picker's picking mode as the preferences file keeps it; the picker lives above the
// shell and implements it.
class IColourModePane {
public:
    virtual int32_t GetMode() const = 0;
    // Modes outside the picker's range are taken to the nearest one.
    virtual tResult SetMode(int32_t mode) = 0;

protected:
    ~IColourModePane() = default;
};
