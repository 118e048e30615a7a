#include "toolkit/text/CGlyphCache.h"

#include <new>

std::unique_ptr<CGlyphCache> CGlyphCache::Make()
{
    std::unique_ptr<CGlyphCache> cache(new (std::nothrow) CGlyphCache);
    if (!cache || cache->m_entries.SetCount(kCodes) != kResOk)
        return nullptr;
    return cache;
}
