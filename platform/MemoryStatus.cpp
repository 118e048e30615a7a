#include "platform/MemoryStatus.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <string_view>

#include "platform/Kernel.h"
#include "platform/SmallTextFile.h"
#include "platform/headless/Headless.h"

namespace w32 {
namespace {

std::atomic<uint64_t> gScriptedAvailable{0};

// The system's figure files are small; anything longer is not one of them.
constexpr size_t kLargestFigureFile = 64 * 1024;

// Decimal digits only, within 64 bits.
std::optional<uint64_t> ParseDecimal(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || __builtin_mul_overflow(value, 10u, &value) ||
            __builtin_add_overflow(value, uint64_t(c - '0'), &value))
            return std::nullopt;
    }
    return value;
}

// The value in bytes of a line "<key> <digits> kB" of /proc/meminfo or /proc/self/status.
std::optional<uint64_t> KilobyteField(std::string_view text, std::string_view key)
{
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (line.substr(0, key.size()) != key)
            continue;
        line.remove_prefix(key.size());
        const size_t digits = line.find_first_not_of(" \t");
        if (digits == std::string_view::npos || line.size() < digits + 3 || line.substr(line.size() - 3) != " kB")
            return std::nullopt;
        const std::optional<uint64_t> kilobytes = ParseDecimal(line.substr(digits, line.size() - 3 - digits));
        uint64_t bytes = 0;
        if (!kilobytes || __builtin_mul_overflow(*kilobytes, 1024u, &bytes))
            return std::nullopt;
        return bytes;
    }
    return std::nullopt;
}

// A cgroup file holding one number (or "max") and its line end.
std::optional<uint64_t> CgroupFigure(const std::string& path)
{
    const std::optional<std::string> text = ReadSmallTextFile(path, kLargestFigureFile);
    if (!text)
        return std::nullopt;
    std::string_view value(*text);
    if (!value.empty() && value.back() == '\n')
        value.remove_suffix(1);
    return ParseDecimal(value);
}

// The process's cgroup v2 path ("0::/a/b"), without "." or ".." steps; none elsewhere.
std::optional<std::string> CgroupPath(const std::string& processCgroup)
{
    const std::optional<std::string> text = ReadSmallTextFile(processCgroup, kLargestFigureFile);
    if (!text)
        return std::nullopt;
    std::string_view rest(*text);
    while (!rest.empty()) {
        const size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (line.substr(0, 4) != "0::/")
            continue;
        const std::string path(line.substr(3));
        if (path.find('\0') != std::string::npos || (path + "/").find("/./") != std::string::npos ||
            (path + "/").find("/../") != std::string::npos)
            return std::nullopt;
        return path;
    }
    return std::nullopt;
}

// The inactive file cache that a cgroup's memory.current counts (the line "inactive_file <bytes>"
// of its memory.stat), which the kernel reclaims before it refuses the cgroup memory. Nothing
// where the line is missing, malformed or cut short, or tells more than `current`.
uint64_t ReclaimableCache(const std::string& folder, uint64_t current)
{
    const std::optional<std::string> text = ReadSmallTextFile(folder + "/memory.stat", kLargestFigureFile);
    if (!text)
        return 0;
    constexpr std::string_view key = "inactive_file ";
    std::string_view rest(*text);
    for (size_t end; (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1)) {
        const std::string_view line = rest.substr(0, end);
        if (line.starts_with(key)) {
            const uint64_t cache = ParseDecimal(line.substr(key.size())).value_or(0);
            return cache <= current ? cache : 0;
        }
    }
    return 0;
}

// What memory.max leaves beside memory.current, less the cache the kernel reclaims, in the cgroup
// and in each above it; a cgroup without a number in memory.max ("max", or no such file) limits
// nothing.
uint64_t CgroupHeadroom(const tMemoryFiles& files)
{
    std::optional<std::string> path = CgroupPath(files.processCgroup);
    uint64_t least = kNoMemoryLimit;
    while (path) {
        const std::string folder = files.cgroupMount + (*path == "/" ? "" : *path);
        if (const std::optional<uint64_t> most = CgroupFigure(folder + "/memory.max")) {
            const uint64_t current = CgroupFigure(folder + "/memory.current").value_or(0);
            const uint64_t used = current - ReclaimableCache(folder, current);
            least = std::min(least, *most > used ? *most - used : 0);
        }
        const size_t slash = path->rfind('/');
        path = *path == "/" ? std::nullopt : std::optional<std::string>(slash == 0 ? "/" : path->substr(0, slash));
    }
    return least;
}

// The address space the limit still leaves; the whole limit when the space in use is unknown.
uint64_t AddressSpaceHeadroom(const tMemoryFiles& files, uint64_t limit)
{
    if (limit == kNoMemoryLimit)
        return kNoMemoryLimit;
    const std::optional<std::string> status = ReadSmallTextFile(files.processStatus, kLargestFigureFile);
    const std::optional<uint64_t> used = status ? KilobyteField(*status, "VmSize:") : std::nullopt;
    if (!used)
        return limit;
    return limit > *used ? limit - *used : 0;
}

uint64_t AddressSpaceLimit()
{
    struct rlimit limit {};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kNoMemoryLimit;
    return uint64_t(limit.rlim_cur);
}

}  // namespace

// MemAvailable counts the page cache that can be dropped as well; kernels before 3.14 lack it,
// and free plus buffer memory is the nearest figure there.
uint64_t LeastAvailableMemory(const tMemoryFiles& files, uint64_t addressSpaceLimit, uint64_t machineFallback)
{
    const std::optional<std::string> meminfo = ReadSmallTextFile(files.meminfo, kLargestFigureFile);
    const std::optional<uint64_t> machine = meminfo ? KilobyteField(*meminfo, "MemAvailable:") : std::nullopt;
    return std::min({machine.value_or(machineFallback), AddressSpaceHeadroom(files, addressSpaceLimit),
                     CgroupHeadroom(files)});
}

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
    const uint64_t fallback = (uint64_t(info.freeram) + uint64_t(info.bufferram)) * info.mem_unit;
    status->ullAvailPhys = scripted != 0 ? scripted : LeastAvailableMemory(tMemoryFiles{}, AddressSpaceLimit(), fallback);
    return 1;
}

namespace headless {

void SetAvailableMemory(uint64_t bytes)
{
    gScriptedAvailable = bytes;
}

}  // namespace headless
}  // namespace w32
