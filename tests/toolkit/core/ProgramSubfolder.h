#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// A fresh folder beside the test program, which is the program folder relative names resolve
// against; removed with everything in it. Its name serves as a relative name.
class ProgramSubfolder {
public:
    ProgramSubfolder()
    {
        const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        std::string pattern = (program / "folder-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            m_path = pattern;
            m_name = m_path.filename().string();
        }
    }
    ~ProgramSubfolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    ProgramSubfolder(const ProgramSubfolder&) = delete;
    ProgramSubfolder& operator=(const ProgramSubfolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder's own name, which follows the program folder in a relative name.
    const std::string& Name() const { return m_name; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
    std::string m_name;
};
