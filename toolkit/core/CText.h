#pragma once

#include "toolkit/core/tCResourceObject.h"

class CResourceDirectory;

// A 'text' resource: one UTF-16 line.
class CText : public tCResourceObject {
public:
    static constexpr uint32_t kType = MakeFourCC("text");

    CText() : tCResourceObject(kType) {}

    tResult LoadFromResourceId(uint32_t id, tCStream* stream, CResourceDirectory* directory);
    tResult LoadFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory);

    const tCString& GetText() const { return m_text; }
    // 5 when memory runs out; the old text then stays.
    tResult SetText(const tCString& text) { return m_text.Assign(text); }

    // The resource data this class reads.
    static tResult WriteData(tCStream& stream, const tCString& text);

private:
    tResult ReadData(tCStream& stream);

    tCString m_text;
};
