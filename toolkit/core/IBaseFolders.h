#pragma once

#include <cstdint>

#include "toolkit/core/tCString.h"

// The application's two base folders, against which relative names resolve: the program
// folder (selector 0) and the second base folder (any other selector). Both end in "/". The
// application object implements this and registers itself.
class IBaseFolders {
public:
    virtual tCString GetProgramFolder() const = 0;
    virtual tCString GetSecondBaseFolder() const = 0;

protected:
    ~IBaseFolders() = default;
};

IBaseFolders* GetBaseFolders();
void SetBaseFolders(IBaseFolders* folders);

// The base folder a selector names; "" while no application is registered.
tCString GetBaseFolder(uint32_t selector);
