#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/FuzzFile.h"
#include "platform/RegistryStore.h"

// Loads the input as the settings store's file. Whatever loads is saved; the saved file must
// load, and saving that store again must give the same file.

namespace {

class CScratchFolder {
public:
    CScratchFolder()
    {
        const char* temporary = getenv("TMPDIR");
        m_path = std::string(temporary && *temporary ? temporary : "/tmp") + "/kostrel-fuzz-XXXXXX";
        if (!mkdtemp(m_path.data()))
            m_path.clear();
    }
    ~CScratchFolder()
    {
        if (m_path.empty())
            return;
        unlink(File("first").c_str());
        unlink(File("second").c_str());
        rmdir(m_path.c_str());
    }

    bool IsValid() const { return !m_path.empty(); }
    std::string File(const char* name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

std::string ReadAll(const std::string& name)
{
    std::ifstream file(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CScratchFolder folder;
    const CFuzzFile input(data, size);
    if (!folder.IsValid() || input.Name().empty())
        return 0;
    w32::registry::CRegistryStore store;
    if (!store.Load(input.Name()) || !store.Save(folder.File("first")))
        return 0;
    w32::registry::CRegistryStore again;
    if (!again.Load(folder.File("first")))
        __builtin_trap();
    if (again.Save(folder.File("second")) && ReadAll(folder.File("first")) != ReadAll(folder.File("second")))
        __builtin_trap();
    return 0;
}
