#pragma once

#include "toolkit/core/tCBasePath.h"

// A folder, stored with its final "/".
class tCFolderRef : public tCBasePath {
public:
    tCFolderRef() : tCBasePath(tCString(), kFolderRef) {}

    bool Exists() const override;
    // Creates the last folder of the path (its parent must exist): 0, or 24 when it cannot.
    tResult Create() override;
    // Appends "/" unless the text ends in one; "" becomes "/".
    tResult SetText(const tCString& text) override;

    // The base folder of the selector (0 the program folder, else the second base folder)
    // joined by one separator with a relative folder written with ":" separators.
    tResult SetFromAppFolder(const tCString& relative, uint32_t selector);
};
