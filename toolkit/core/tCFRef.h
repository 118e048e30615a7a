#pragma once

#include "toolkit/core/tCFPath.h"

// A reference to a file named by its full path.
class tCFRef : public tCFPath {
public:
    tCFRef() : tCFPath(tCString(), kFileRef) {}
    explicit tCFRef(const tCString& text) : tCFPath(text, kFileRef) {}
    // Takes the other's kind, full text and codes.
    explicit tCFRef(const tCFPath& other) : tCFPath(tCString(), kFileRef) { tCFPath::operator=(other); }
    tCFRef(const tCFRef&) = default;
    tCFRef& operator=(const tCFRef&) = default;
    using tCFPath::operator=;

    // True when the file can be opened for reading.
    bool Exists() const override;
};
