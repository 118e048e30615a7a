#pragma once

#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCResourceObject.h"

class CResourceDirectory;

// A 'txlt' resource: a list of texts with ids. In files of version 1 the entries are lines
// without ids (-1); in version 2 each line is followed by its u32 id.
class CTextList : public tCResourceObject {
public:
    static constexpr uint32_t kType = MakeFourCC("txlt");

    CTextList() : tCResourceObject(kType) {}

    // A loaded list owned by the caller, or null.
    static CTextList* NewFromResourceId(uint32_t id, tCStream* stream, CResourceDirectory* directory);
    static CTextList* NewFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory);

    // Appends the entries of the resource to those already held. A file version other than 1
    // or 2, or entries that run past the resource, answer 17; entries read before a failure stay.
    tResult LoadFromResourceId(uint32_t id, tCStream* stream, CResourceDirectory* directory);
    tResult LoadFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory);

    tResult AddEntry(const tCString& text, int32_t id);
    int32_t GetCount() const { return m_texts.GetCount(); }
    // -1 outside the list.
    int32_t GetEntryId(int32_t index) const;
    // The entry's text, which becomes the current one; "" outside the list (the current index
    // then stays).
    tCString GetEntryText(int32_t index);
    int32_t GetCurrentIndex() const { return m_currentIndex; }

    // The resource data this class reads in a file of `version`: entries with their ids in
    // version 2, without them in version 1.
    static tResult WriteData(tCStream& stream, uint32_t version, uint32_t exclusivity, const tCStringArray& texts,
                             const tCArray<int32_t>& ids);

private:
    tResult ReadData(tCStream& stream, uint32_t version);

    int32_t m_currentIndex = 0;
    tCArray<tCString> m_texts;
    tCArray<int32_t> m_ids;
};
