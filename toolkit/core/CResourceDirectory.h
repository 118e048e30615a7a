#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCString.h"

class tCStream;

// The resource file is a plain sequence of chunks {u32 tag, u32 size, payload}, without a file
// header. A 'vers' chunk holds the file's version (a u32); every other chunk is a resource whose
// payload begins with its u32 id and its name as a UTF-16 line.
struct tResourceEntry {
    uint32_t id = 0;
    // Where the chunk's tag lies in the file.
    int64_t position = 0;
    tCString name;
};

// The list of a resource file's resources, in file order, and the file's version.
class CResourceDirectory : public tCBaseObject {
public:
    CResourceDirectory() = default;
    CResourceDirectory(const CResourceDirectory&) = delete;
    CResourceDirectory& operator=(const CResourceDirectory&) = delete;

    // Appends the entries of an open stream, read from its start. 6 without an open stream,
    // 17 for a chunk that runs past the end of the file or a resource header that runs past
    // its chunk; a read error as it comes. An entry that cannot be stored is dropped.
    tResult Read(tCStream* stream);
    void Clear();

    // The position of the first entry with that id or exact name, or -1.
    int64_t FindResourceById(uint32_t id) const;
    int64_t FindResourceByName(const tCString& name) const;

    int32_t GetCount() const { return m_entries.GetCount(); }
    const tResourceEntry& GetEntry(int32_t index) const { return m_entries[index]; }
    uint32_t GetVersion() const { return m_version; }

private:
    tCArray<tResourceEntry> m_entries;
    uint32_t m_version = 1;
};
