#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "paint/engine/CColourList.h"
#include "paint/engine/EngineResources.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCStringTable.h"

// Loads the input as a colour-list file and reads it as a record's payload; a list that was read
// must come back the same from its own record.

namespace {

// An application whose string table, in a folder of its own beside the program, holds the
// header colour-list files begin with.
class HeaderApplication {
public:
    HeaderApplication()
    {
        const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        const std::string name = "colour-list-fuzz-" + std::to_string(getpid());
        m_folder = program / name;
        std::filesystem::create_directories(m_folder);
        WriteFile("system.trf", nullptr, 0);
        tCMemFile table;
        tCStringTable::WriteRecord(table, kStrColourListHeader, 0, tCString(u"colourlist.header"),
                                   tCString(u"Kostrel Colour List"));
        WriteFile("system.tsf", table.GetData(), size_t(table.GetSize()));
        m_application.SetResourceFolderName(tCString::FromAnsi(name));
        if (m_application.StartUp() != kResOk)
            std::abort();
    }
    ~HeaderApplication()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

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

void RoundTrip(const CColourList& list)
{
    tCMemFile record;
    if (list.Write(&record) != kResOk)
        std::abort();
    if (list.GetCount() == 0)
        return;
    CColourList again;
    record.SetPosition(12);
    if (again.Read(&record) != kResOk || again.GetCount() != list.GetCount())
        std::abort();
    for (int32_t i = 0; i < list.GetCount(); ++i)
        if (again.GetEntry(i) != list.GetEntry(i))
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static HeaderApplication application;
    tCMemFile stream;
    if (size > 0 && stream.WriteBytes(data, int64_t(size)) != kResOk)
        return 0;
    stream.Rewind();
    CColourList list;
    if (list.Load(&stream) == kResOk)
        RoundTrip(list);
    stream.Rewind();
    CColourList payload;
    if (payload.Read(&stream) == kResOk)
        RoundTrip(payload);
    return 0;
}
