#include <sys/sysinfo.h>

#include <atomic>
#include <cstdio>

#include "platform/Kernel.h"
#include "platform/headless/Headless.h"

namespace w32 {
namespace {

std::atomic<uint64_t> gScriptedAvailable{0};

// MemAvailable counts the page cache that can be dropped as well; kernels before 3.14 lack it,
// and free plus buffer memory is the nearest figure there.
uint64_t MachineAvailableMemory(const struct sysinfo& info)
{
    if (FILE* meminfo = std::fopen("/proc/meminfo", "r")) {
        char line[128];
        unsigned long long kilobytes = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, meminfo))
            found = std::sscanf(line, "MemAvailable: %llu kB", &kilobytes) == 1;
        std::fclose(meminfo);
        if (found)
            return uint64_t(kilobytes) * 1024;
    }
    return (uint64_t(info.freeram) + uint64_t(info.bufferram)) * info.mem_unit;
}

}  // namespace

BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status)
{
    if (!status || status->dwLength != sizeof(MEMORYSTATUSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    struct sysinfo info {};
    if (sysinfo(&info) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    status->ullTotalPhys = uint64_t(info.totalram) * info.mem_unit;
    const uint64_t scripted = gScriptedAvailable.load();
    status->ullAvailPhys = scripted != 0 ? scripted : MachineAvailableMemory(info);
    return 1;
}

namespace headless {

void SetAvailableMemory(uint64_t bytes)
{
    gScriptedAvailable = bytes;
}

}  // namespace headless
}  // namespace w32
