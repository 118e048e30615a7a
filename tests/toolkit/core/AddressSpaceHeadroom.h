#pragma once

#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

// While it lives, the process may map `headroom` bytes more than it has mapped now.
class AddressSpaceHeadroom {
public:
    explicit AddressSpaceHeadroom(uint64_t headroom)
    {
        std::ifstream status("/proc/self/status");
        unsigned long long kilobytes = 0;
        for (std::string line; std::getline(status, line) && std::sscanf(line.c_str(), "VmSize: %llu kB", &kilobytes) != 1;)
            kilobytes = 0;
        rlimit limit{};
        m_set = kilobytes > 0 && getrlimit(RLIMIT_AS, &m_saved) == 0;
        limit = m_saved;
        limit.rlim_cur = kilobytes * 1024 + headroom;
        m_set = m_set && setrlimit(RLIMIT_AS, &limit) == 0;
    }
    ~AddressSpaceHeadroom()
    {
        if (m_set)
            setrlimit(RLIMIT_AS, &m_saved);
    }
    AddressSpaceHeadroom(const AddressSpaceHeadroom&) = delete;
    AddressSpaceHeadroom& operator=(const AddressSpaceHeadroom&) = delete;
    bool IsSet() const { return m_set; }

private:
    rlimit m_saved{};
    bool m_set = false;
};
