#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "toolkit/core/Memory.h"
#include "toolkit/core/ResultCodes.h"

// The toolkit's growable array: element pointer, count, capacity and growth step. A growth of -1
// grows by a quarter of the count, clamped to 8..2048 elements; any other growth is the step.
// New slots are value-initialised; storage goes through the toolkit's allocation hooks.
template <typename T>
class tCArray {
public:
    static constexpr int32_t kAutoGrowth = -1;

    tCArray() = default;
    explicit tCArray(int32_t growth) : m_growth(growth) {}
    ~tCArray() { SetCount(0); }

    tCArray(const tCArray&) = delete;
    tCArray& operator=(const tCArray&) = delete;
    tCArray(tCArray&& other) noexcept { Swap(other); }
    tCArray& operator=(tCArray&& other) noexcept
    {
        if (this != &other) {
            SetCount(0);
            Swap(other);
        }
        return *this;
    }

    int32_t GetCount() const { return m_count; }
    int32_t GetCapacity() const { return m_capacity; }
    int32_t GetGrowth() const { return m_growth; }
    void SetGrowth(int32_t growth) { m_growth = growth; }
    bool IsEmpty() const { return m_count == 0; }

    T* GetData() { return m_data; }
    const T* GetData() const { return m_data; }
    T* begin() { return m_data; }
    T* end() { return m_data + m_count; }
    const T* begin() const { return m_data; }
    const T* end() const { return m_data + m_count; }

    T& operator[](int32_t index)
    {
        assert(index >= 0 && index < m_count);
        return m_data[index];
    }
    const T& operator[](int32_t index) const
    {
        assert(index >= 0 && index < m_count);
        return m_data[index];
    }

    bool IsValidIndex(int32_t index) const { return index >= 0 && index < m_count; }

    // A copy of the element at `index`; a value-initialised element when out of range.
    T GetAt(int32_t index) const { return IsValidIndex(index) ? m_data[index] : T{}; }

    // Sets the number of elements by the growth rule; on failure the array is unchanged.
    tResult SetCount(int32_t count);

    tResult Add(const T& value) { return Emplace(value); }
    tResult Add(T&& value) { return Emplace(std::move(value)); }

    tResult InsertAt(int32_t index, T value)
    {
        if (index < 0 || index > m_count)
            return kResOutOfRange;
        TK_TRY(SetCount(m_count + 1));
        for (int32_t i = m_count - 1; i > index; --i)
            m_data[i] = std::move(m_data[i - 1]);
        m_data[index] = std::move(value);
        return kResOk;
    }

    tResult RemoveAt(int32_t index)
    {
        if (!IsValidIndex(index))
            return kResOutOfRange;
        for (int32_t i = index; i + 1 < m_count; ++i)
            m_data[i] = std::move(m_data[i + 1]);
        return SetCount(m_count - 1);
    }

    int32_t IndexOf(const T& value) const
    {
        for (int32_t i = 0; i < m_count; ++i)
            if (m_data[i] == value)
                return i;
        return -1;
    }

    // Removes the first element equal to `value`; false when there is none.
    bool Remove(const T& value)
    {
        const int32_t index = IndexOf(value);
        return index >= 0 && RemoveAt(index) == kResOk;
    }

    void RemoveAll() { SetCount(0); }

    // Replaces the contents with copies of another array's elements.
    tResult CopyFrom(const tCArray& other)
    {
        if (this == &other)
            return kResOk;
        SetCount(0);
        TK_TRY(SetCount(other.m_count));
        for (int32_t i = 0; i < m_count; ++i)
            m_data[i] = other.m_data[i];
        return kResOk;
    }

private:
    template <typename U>
    tResult Emplace(U&& value)
    {
        // The value may live inside this array, so copy it before the storage moves.
        T copy(std::forward<U>(value));
        TK_TRY(SetCount(m_count + 1));
        m_data[m_count - 1] = std::move(copy);
        return kResOk;
    }

    void Swap(tCArray& other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_count, other.m_count);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_growth, other.m_growth);
    }

    tResult Reallocate(int32_t capacity);

    T* m_data = nullptr;
    int32_t m_count = 0;
    int32_t m_capacity = 0;
    int32_t m_growth = kAutoGrowth;
};

template <typename T>
tResult tCArray<T>::Reallocate(int32_t capacity)
{
    size_t bytes;
    if (!CheckedArrayBytes(size_t(capacity), sizeof(T), &bytes))
        return kResNoMemory;
    if constexpr (std::is_trivially_copyable_v<T>) {
        void* grown = ToolkitRealloc(m_data, bytes);
        if (!grown)
            return kResNoMemory;
        m_data = static_cast<T*>(grown);
    } else {
        T* grown = static_cast<T*>(ToolkitAlloc(bytes));
        if (!grown)
            return kResNoMemory;
        for (int32_t i = 0; i < m_count; ++i) {
            new (grown + i) T(std::move(m_data[i]));
            m_data[i].~T();
        }
        ToolkitFree(m_data);
        m_data = grown;
    }
    m_capacity = capacity;
    return kResOk;
}

template <typename T>
tResult tCArray<T>::SetCount(int32_t count)
{
    if (count < 0)
        return kResBadParam;
    if (count == m_count)
        return kResOk;
    if (count == 0) {
        std::destroy(m_data, m_data + m_count);
        ToolkitFree(m_data);
        m_data = nullptr;
        m_count = m_capacity = 0;
        return kResOk;
    }
    if (!m_data) {
        TK_TRY(Reallocate(count));
    } else if (count > m_capacity) {
        const int32_t step = m_growth == kAutoGrowth ? std::clamp(m_count >> 2, 8, 2048) : std::max(m_growth, 0);
        int64_t capacity = int64_t(m_count) + step;
        if (capacity < count)
            capacity = int64_t(count) + step;
        TK_TRY(Reallocate(int32_t(std::min<int64_t>(capacity, INT32_MAX))));
    }
    if (count > m_count)
        std::uninitialized_value_construct(m_data + m_count, m_data + count);
    else
        std::destroy(m_data + count, m_data + m_count);
    m_count = count;
    return kResOk;
}
