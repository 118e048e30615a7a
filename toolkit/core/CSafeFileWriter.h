#pragma once

#include "platform/FileSystem.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"

// Saves a file through a temporary file beside it, which takes the file's place only once all
// was written and synced: a save that fails half-way leaves the old file as it was.
class CSafeFileWriter {
public:
    CSafeFileWriter() = default;
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;
    // Removes the temporary file unless the save was committed.
    ~CSafeFileWriter();

    // Creates the temporary file in the folder of the file the target names (a link there is
    // followed as w32::FindReplacedFile follows it, and stays) and opens it for writing, held for
    // as long as it is open where the file system allows locks; the target's temporaries that no
    // program holds any more (left by a program that ended mid-save) are removed first. 6 for a
    // target without text; 14 for a target FindReplacedFile refuses (a file this program may not
    // write, a link another user planted in a shared folder, anything but a regular file), or
    // when the temporary cannot be made for a file not there yet; 16 when it cannot be made
    // beside a file that may be written.
    tResult Begin(const tCFPath& target);
    // The stream to write the file's contents to.
    tCFile& GetFile() { return m_file; }
    // Syncs the temporary, renames it over the file found at Begin (whose owner, group and
    // permissions it takes) and closes it; 16 when the sync or the rename fails or the target no
    // longer leads to that file, and the target is then untouched.
    tResult Commit();

private:
    void Discard();

    tCFile m_file;
    tCFRef m_target;
    tCFRef m_temporary;
    // The temporary's descriptor, which m_file owns.
    int m_descriptor = -1;
    w32::tReplacedFile m_replaced;
};
