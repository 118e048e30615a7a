#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"

// A folder of the fuzzer's own under the temporary folder, removed when the fuzzer ends.
class CFuzzFolder {
public:
    CFuzzFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kostrel-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        m_path = pattern;
    }
    ~CFuzzFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CFuzzFolder(const CFuzzFolder&) = delete;
    CFuzzFolder& operator=(const CFuzzFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The resource readers read files: the input is written to one and opened.
inline bool OpenAsFile(const uint8_t* data, size_t size, tCFile* file)
{
    static const CFuzzFolder folder;
    const std::string path = (folder.Path() / "input.trf").string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    return file->Open(tCFRef(tCString::FromAnsi(path)), tCFile::kAccessRead) == kResOk;
}
