#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCString.h"

// A type of the application's own: its extensions are given with their dots and separated by
// single commas (".bmp,.jpg").
struct tCFTypeEntry {
    uint32_t id = 0;
    tCString name;
    tCString pattern;
    uint32_t code = 0;
};

// The choices a file dialog offers, numbered from 0: first the custom entries, then the
// catalogue ids, in the order they were added; the position after them is "All Files (*.*)",
// offered while the include-all-files flag is set.
class tCFTypeList : public tCBaseObject {
public:
    // Appends the members of group 2, 8, 13 or 17; 6 for any other value.
    tResult AddTypeGroup(uint32_t group);
    // Appends the ids up to a terminating 24 (kFileTypeLastIndex), which is not appended.
    void AddTypes(std::initializer_list<uint32_t> ids);
    void AddCustomType(uint32_t id, const tCString& name, const tCString& pattern, uint32_t code);
    void AppendEntry(const tCFTypeEntry& entry);

    // The open dialog reads and writes it as a type id, the save dialog reads it as a position.
    tResult SetCurrentType(int32_t type)
    {
        m_currentType = type;
        return kResOk;
    }
    int32_t GetCurrentType() const { return m_currentType; }
    void SetIncludeAllFiles(bool include) { m_includeAllFiles = include; }
    bool GetIncludeAllFiles() const { return m_includeAllFiles; }

    // Entries plus ids: the position of "All Files".
    int32_t GetCount() const { return m_entries.GetCount() + m_ids.GetCount(); }
    // The type id at a position; 1 ("All Files") outside the choices.
    uint32_t GetTypeAt(int32_t position) const;
    // The position of a type id, entries first; -1 gives the count, and so does 1 when the
    // list does not hold it; -1 for any other id that is not in the list.
    int32_t IndexOfType(int32_t id) const;
    // The extension pattern at a position; "" outside the choices.
    tCString GetExtensionAt(int32_t position) const;

    // Writes the filter text: NUL-terminated name and pattern pairs ("*.bmp;*.jpg"), ended by
    // one more NUL. 13 when it does not fit in `capacity` units (nothing usable is written).
    tResult BuildFilter(char16_t* buffer, size_t capacity) const;

private:
    tCArray<uint32_t> m_ids;
    tCArray<tCFTypeEntry> m_entries;
    int32_t m_currentType = 0;
    bool m_includeAllFiles = true;
};
