#pragma once

#include <cstdint>
#include <string_view>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCString.h"

class tCFile;
class tCMemFile;

// The one folder into which updates are downloaded and installed, held open while the object
// lives. Names are plain names of files directly in it; folders are relative to it with ":" (or
// "/") between levels and must have passed CFileData::IsSafe. Nothing below the folder is
// reached through a symbolic link: every level is opened without following one, and files are
// made new (never opened by name for writing) and renamed into place.
class CUpdateFolder {
public:
    // Numbered names are tried up to this number.
    static constexpr int32_t kMaxNumberedTries = 1000;

    CUpdateFolder() = default;
    ~CUpdateFolder();
    CUpdateFolder(const CUpdateFolder&) = delete;
    CUpdateFolder& operator=(const CUpdateFolder&) = delete;

    // "Update" beside the preferences file: the application-data folder, "Veltrana Works", the
    // product name (string 0xB2D05E00), "Update". 24 without an application-data folder, 22
    // without a usable product name.
    static tResult GetDefaultPath(tCString* path);

    // 6 for an empty path; 9 when the folder is missing and `create` is not set; 24 when it
    // cannot be made or opened.
    tResult Open(const tCString& path, bool create);
    bool IsOpen() const { return m_root >= 0; }
    // The open folder, for work relative to it; -1 before a successful Open.
    int GetDescriptor() const { return m_root; }

    // Makes the file prefix + n + extension for the first n from 1 whose name is free, opened
    // for writing in `file`. 14 when none of the tries is free or the file cannot be made.
    tResult CreateNumberedFile(std::string_view prefix, std::string_view extension, tCString* name, tCFile* file);
    // The whole file into `contents`: 9 when it is missing or a link, 13 when it holds more than
    // `limit` bytes, 16 when it is no plain file (a folder, a pipe) or cannot be read.
    tResult ReadFile(const tCString& name, int64_t limit, tCMemFile* contents);
    // Replaces the file with `count` bytes, whole or not at all: 14 or 16.
    tResult ReplaceFile(const tCString& name, const void* bytes, int64_t count);
    // 0, or 16 when the file cannot be deleted.
    tResult DeleteFile(const tCString& name);

private:
    int m_root = -1;
};
