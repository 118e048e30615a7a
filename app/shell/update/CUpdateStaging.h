#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/shell/update/CFileData.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCString.h"

class CUpdateFolder;

// The received files of one release, kept in a private folder inside the update folder until all
// of them are installed together. Each body is stored under a name of its own made from the
// entry's index, so no two downloads and no target ever share a name. Installing moves the bodies
// into place one by one and keeps every file they replace; PutBack undoes all of it, so that a
// release is installed whole or not at all. Everything is done relative to the folders opened at
// Open, never through a link.
class CUpdateStaging {
public:
    static constexpr char kFolderName[] = "KSUTemp";

    CUpdateStaging() = default;
    // Discards what is still staged.
    ~CUpdateStaging();
    CUpdateStaging(const CUpdateStaging&) = delete;
    CUpdateStaging& operator=(const CUpdateStaging&) = delete;

    // Makes the staging folder inside `folder`, after removing one that an earlier run left
    // behind: 24 when `folder` is not open or the staging folder cannot be made.
    tResult Open(const CUpdateFolder& folder);
    bool IsOpen() const { return m_staging >= 0; }

    // Stores `count` bytes as the body of entry `index`; `name` gets the file's name in the
    // staging folder. 14 or 16, and nothing is left, when that fails.
    tResult Store(int32_t index, const void* bytes, int64_t count, tCString* name);
    // Hands every stored body to the disk at once, before any is installed: 16 when that fails.
    tResult Flush() const;

    // Checks, before anything is moved, that every entry that needs download can be installed:
    // no level of its folder is a file or a link, its target is no folder, and no entry's target
    // is a folder level of another. 18 when one cannot, 16 when the disk cannot be read.
    tResult CheckTargets(const tCArray<CFileData>& entries) const;
    // Moves the entry's stored body (its temp path) to its target, making the missing levels of
    // its folder; a file that was there is kept in the staging folder. 16 when a level cannot be
    // made or opened or a move fails; PutBack then restores the target too.
    tResult Install(const CFileData& entry);
    // Undoes every Install since Open, the latest first: each replaced file is back in place,
    // each installed one back in the staging folder, and the folders made for them are removed.
    void PutBack();
    // Deletes the staging folder with everything in it; nothing more can be put back.
    void Discard();

private:
    struct tInstalled {
        std::vector<std::string> levels;
        std::string name;
        std::string body;
        // A file was there and is kept in the staging folder.
        bool replaced;
        // The body is at the target.
        bool moved;
    };

    // Opens the first `count` levels below the update folder, never through a link; with `made`,
    // missing ones are made and noted there. -1 when one cannot be made or opened.
    int OpenLevels(const std::vector<std::string>& levels, size_t count, std::vector<std::string>* made) const;

    int m_root = -1;
    int m_staging = -1;
    std::vector<tInstalled> m_installed;
    // Folders made by Install, as paths below the update folder, in the order they were made.
    std::vector<std::string> m_madeFolders;
};
