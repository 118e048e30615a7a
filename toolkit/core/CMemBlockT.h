#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "toolkit/core/Memory.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"

// A typed block of plain elements (pixels, samples, cells) owned through the allocation hooks.
template <typename T>
class CMemBlockT : public tCBaseObject {
    static_assert(std::is_trivially_copyable_v<T>, "blocks hold plain data");

public:
    CMemBlockT() = default;
    CMemBlockT(const CMemBlockT&) = delete;
    CMemBlockT& operator=(const CMemBlockT&) = delete;
    ~CMemBlockT() override { Free(); }

    int32_t GetCount() const { return m_count; }
    T* GetData() { return m_data; }
    const T* GetData() const { return m_data; }

    // Resizes to `count` elements, keeping the first min(old, new); new elements are zeroed.
    tResult Resize(int32_t count)
    {
        if (count < 0)
            return kResBadParam;
        size_t bytes;
        if (!CheckedArrayBytes(size_t(count), sizeof(T), &bytes))
            return kResNoMemory;
        void* grown = ToolkitRealloc(m_data, bytes);
        if (!grown)
            return kResNoMemory;
        m_data = static_cast<T*>(grown);
        if (count > m_count)
            std::memset(static_cast<void*>(m_data + m_count), 0, size_t(count - m_count) * sizeof(T));
        m_count = count;
        return kResOk;
    }

    // Copies min(count, n) elements from `source`.
    void CopyFrom(const T* source, int32_t n)
    {
        const int32_t count = std::min(m_count, n);
        if (count > 0)
            std::memcpy(static_cast<void*>(m_data), source, size_t(count) * sizeof(T));
    }

    void Free()
    {
        ToolkitFree(m_data);
        m_data = nullptr;
        m_count = 0;
    }

private:
    int32_t m_count = 0;
    T* m_data = nullptr;
};

class CMemBlock : public CMemBlockT<unsigned char> {};
