#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCString.h"

class tCFile;

// The temporary files of the undo history, in order, each with the offset just past its last
// valid step. The files are private to the user (mode 0600) in the system's temporary folder,
// named ".kostrel-KSU" + a unique part of six letters and digits + ".tmp", and are reopened only
// when they are still the very files made here: never through a link, never created anew. Each
// is held (platform's TemporaryFiles.h) from its making to its deletion, so that no other
// program takes it for one left behind; where the temporary folder refuses locks it is used
// unheld, and no program can take it for one left behind either.
class CUndoTempFiles {
public:
    CUndoTempFiles() = default;
    CUndoTempFiles(const CUndoTempFiles&) = delete;
    CUndoTempFiles& operator=(const CUndoTempFiles&) = delete;
    // Deletes every file.
    ~CUndoTempFiles();

    int32_t GetCount() const { return m_files.GetCount(); }
    int64_t GetEnd(int32_t index) const { return m_files[index].end; }
    void SetEnd(int32_t index, int64_t end) { m_files[index].end = end; }

    // Makes a new empty file after the last one and opens it in `file` for reading and writing.
    // 14 when no file can be made, 5 when the list cannot grow.
    tResult Create(tCFile& file);
    // Opens file `index` in `file`: 9 when it was deleted, 14 when it cannot be opened, 17 when
    // its name no longer leads to the file made here.
    tResult Reopen(int32_t index, tCFile& file);

    // Deletes the files from `index` on and forgets them.
    void DeleteFrom(int32_t index);
    // Deletes the files before `index`; they keep their places, empty, so indexes stay valid.
    void DeleteBefore(int32_t index);

    // Deletes the undo files in the temporary folder (names of the form above only) that no
    // program holds: those of programs that ended without deleting theirs. Answers how many.
    static int32_t RemoveStale();

private:
    struct Entry {
        tCString path;
        int64_t end = 0;
        uint64_t device = 0;
        uint64_t inode = 0;
        // A descriptor of the file's own, which holds it while the history's stream is closed
        // and reopened; -1 once the file is deleted.
        int holder = -1;
    };

    static void DeleteEntryFile(Entry& entry);

    tCArray<Entry> m_files;
};
