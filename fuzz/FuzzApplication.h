#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "toolkit/core/CApp.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCStringTable.h"

// An application whose string table, in a folder of its own beside the program, holds the
// given texts, as the readers that check a file's first line against one need.
class CFuzzApplication {
public:
    struct tText {
        uint32_t id;
        const char16_t* name;
        const char16_t* text;
    };

    CFuzzApplication(const char* folderPrefix, std::initializer_list<tText> texts)
    {
        const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        const std::string name = folderPrefix + std::to_string(getpid());
        m_folder = program / name;
        std::filesystem::create_directories(m_folder);
        WriteFile("system.trf", nullptr, 0);
        tCMemFile table;
        for (const tText& text : texts)
            tCStringTable::WriteRecord(table, text.id, 0, tCString(text.name), tCString(text.text));
        WriteFile("system.tsf", table.GetData(), size_t(table.GetSize()));
        m_application.SetResourceFolderName(tCString::FromAnsi(name));
        if (m_application.StartUp() != kResOk)
            std::abort();
    }
    ~CFuzzApplication()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    CFuzzApplication(const CFuzzApplication&) = delete;
    CFuzzApplication& operator=(const CFuzzApplication&) = delete;

private:
    void WriteFile(const char* name, const void* bytes, size_t count)
    {
        FILE* file = std::fopen((m_folder / name).c_str(), "wb");
        if (!file || (count > 0 && std::fwrite(bytes, 1, count, file) != count))
            std::abort();
        std::fclose(file);
    }

    CApp m_application;
    std::filesystem::path m_folder;
};
