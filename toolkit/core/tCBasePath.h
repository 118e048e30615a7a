#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCString.h"

// The root of the path classes: a text, never null, and the kind code of the class.
class tCBasePath : public tCBaseObject {
public:
    enum Kind : uint32_t {
        kBasePath = 0,
        kFilePath = 1,
        kFileRef = 2,
        kRelativePath = 3,
        kFolderRef = 4,
    };

    explicit tCBasePath(const tCString& text = tCString(), uint32_t kind = kBasePath);

    uint32_t GetKind() const { return m_kind; }

    virtual bool HasText() const { return !m_text.IsEmpty(); }
    virtual void Clear();
    virtual bool Exists() const { return false; }
    // Only a folder can be created: 10 for every other path.
    virtual tResult Create() { return kResNotImplemented; }
    // Each class stores the text in its own form.
    virtual tResult SetText(const tCString& text);
    // The full text of the path.
    virtual tCString GetText() const { return m_text; }

    tResult Assign(const tCString& text) { return SetText(text); }

protected:
    uint32_t m_kind;
    tCString m_text;
};
