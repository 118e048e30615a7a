#pragma once

#include "toolkit/core/tCFPath.h"

// A path relative to one of the application's base folders, written with ":" separators
// ("Papers:Fine.png") and stored with "/". Only the relative part is kept; GetText answers the
// base folder followed directly by it.
class tCFRelative : public tCFPath {
public:
    tCFRelative() : tCFPath(tCString(), kRelativePath) {}
    // Selector 0 is the program folder, any other value the second base folder.
    tCFRelative(const tCString& relative, uint32_t selector);
    tCFRelative(const tCFRelative&) = default;
    // A plain copy of the relative text and selector.
    tCFRelative& operator=(const tCFRelative& other);
    using tCFPath::operator=;

    void Clear() override;
    // True when the resolved file can be opened for reading.
    bool Exists() const override;
    tResult SetText(const tCString& relative) override;
    tCString GetText() const override;

    uint32_t GetSelector() const { return m_selector; }

private:
    uint32_t m_selector = 0;
};
