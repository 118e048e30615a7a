#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"

// A tCArray kept sorted by a compare function, searched by halving. The compare function answers
// -1 when the key sorts after the entry, 1 when it sorts before, 0 when they are equal; its
// context word travels with it.
template <typename T, typename Key>
class tCDictionary {
public:
    using tCompare = int32_t (*)(const Key& key, const T& entry, void* context);

    explicit tCDictionary(tCompare compare, void* context = nullptr) : m_compare(compare), m_context(context) {}

    int32_t GetCount() const { return m_entries.GetCount(); }
    bool IsEmpty() const { return m_entries.IsEmpty(); }
    const T& operator[](int32_t index) const { return m_entries[index]; }

    // The index of the entry equal to `key`, or -1. The ends are tried first, so a key outside
    // them costs two comparisons.
    int32_t Find(const Key& key) const
    {
        const int32_t count = m_entries.GetCount();
        if (count == 0)
            return -1;
        int32_t low = 0;
        int32_t high = count - 1;
        const int32_t first = Compare(key, low);
        if (first >= 0)
            return first == 0 ? low : -1;
        const int32_t last = Compare(key, high);
        if (last <= 0)
            return last == 0 ? high : -1;
        // The key lies strictly between the entries at low and high.
        while (high - low > 1) {
            const int32_t middle = low + (high - low) / 2;
            const int32_t order = Compare(key, middle);
            if (order == 0)
                return middle;
            if (order < 0)
                low = middle;
            else
                high = middle;
        }
        return -1;
    }

    // Inserts `entry` (whose key is `key`) after every entry that does not sort after it.
    tResult Insert(const T& entry, const Key& key)
    {
        int32_t index = m_entries.GetCount();
        while (index > 0 && Compare(key, index - 1) > 0)
            --index;
        return m_entries.InsertAt(index, entry);
    }

    void RemoveAll() { m_entries.RemoveAll(); }

private:
    int32_t Compare(const Key& key, int32_t index) const { return m_compare(key, m_entries[index], m_context); }

    tCArray<T> m_entries;
    tCompare m_compare;
    void* m_context;
};
