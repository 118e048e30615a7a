#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "toolkit/core/tCFile.h"

// The input as a file in memory. The resource file, the string table and the program's chunked
// files are read through file streams, whose text lines end otherwise than a memory stream's.
class CFuzzFile {
public:
    CFuzzFile(const uint8_t* data, size_t size) : m_descriptor(memfd_create("fuzz-input", 0))
    {
        for (size_t written = 0; m_descriptor >= 0 && written < size;) {
            const ssize_t count = write(m_descriptor, data + written, size - written);
            if (count <= 0) {
                close(m_descriptor);
                m_descriptor = -1;
                break;
            }
            written += size_t(count);
        }
    }
    ~CFuzzFile()
    {
        if (m_descriptor >= 0)
            close(m_descriptor);
    }
    CFuzzFile(const CFuzzFile&) = delete;
    CFuzzFile& operator=(const CFuzzFile&) = delete;

    // A name that opens the input, or "" when it could not be made.
    std::string Name() const { return m_descriptor < 0 ? std::string() : "/proc/self/fd/" + std::to_string(m_descriptor); }

    // Opens the input from its start in `file`, which then owns a descriptor of its own.
    bool Open(tCFile* file) const
    {
        if (m_descriptor < 0)
            return false;
        const int descriptor = dup(m_descriptor);
        if (descriptor < 0)
            return false;
        lseek(descriptor, 0, SEEK_SET);
        return file->AdoptDescriptor(descriptor) == kResOk;
    }

private:
    int m_descriptor;
};

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
