#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCString.h"

class tCStream;

// Numbered texts of the interface. A text may hold '|'-separated alternatives. The file is a
// sequence of records without header or count: u32 id, u32 (unused), a name line and a text
// line, the lines UTF-16 with CR LF.
class tCStringTable : public tCBaseObject {
public:
    tCStringTable() = default;
    tCStringTable(const tCStringTable&) = delete;
    tCStringTable& operator=(const tCStringTable&) = delete;

    // Empties the table and loads the file named relative to the program folder (":"
    // separators). The open's code when the file cannot be opened.
    tResult LoadFromFile(const tCString& relativeName);
    // Adds the stream's records; a later record replaces an earlier one of the same id. A read
    // error ends the load with its code, keeping the records before it.
    tResult LoadStringTable(tCStream* stream);
    tResult Clear();

    // Writes the wanted alternative (0 the first) of the id's text into `out` and answers it;
    // "%%String Table Error" for an unknown id, an empty text or a missing alternative.
    tCString& GetString(tCString& out, uint32_t id, int32_t alternative) const;

    int32_t GetCount() const { return m_ids.GetCount(); }
    uint32_t GetIdAt(int32_t index) const { return m_ids[index]; }

    // One record as LoadStringTable reads it.
    static tResult WriteRecord(tCStream& stream, uint32_t id, uint32_t second, const tCString& name,
                               const tCString& text);

private:
    tCArray<uint32_t> m_ids;
    tCArray<tCString> m_texts;
};
