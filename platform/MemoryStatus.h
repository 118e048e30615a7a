#pragma once

#include <cstdint>
#include <string>

// The memory new allocations of this process can still have: the least of the machine's
// available memory, what the address-space limit (RLIMIT_AS) leaves beside the address space in
// use, and what the memory.max of the process's cgroup v2 and of each cgroup above it leave
// beside their memory.current, of which the inactive file cache in their memory.stat counts as
// free: the kernel reclaims it.
namespace w32 {

// Where the figures are read. A file that is missing, unreadable or malformed limits nothing; a
// memory.stat of that kind frees nothing.
struct tMemoryFiles {
    std::string meminfo = "/proc/meminfo";
    std::string processStatus = "/proc/self/status";
    std::string processCgroup = "/proc/self/cgroup";
    std::string cgroupMount = "/sys/fs/cgroup";
};

// UINT64_MAX for an address space without limit.
inline constexpr uint64_t kNoMemoryLimit = UINT64_MAX;

// `machineFallback` serves where the meminfo file gives no MemAvailable (kernels before 3.14).
uint64_t LeastAvailableMemory(const tMemoryFiles& files, uint64_t addressSpaceLimit, uint64_t machineFallback);

}  // namespace w32
