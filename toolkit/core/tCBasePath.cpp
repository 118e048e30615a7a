#include "toolkit/core/tCBasePath.h"

tCBasePath::tCBasePath(const tCString& text, uint32_t kind) : m_kind(kind), m_text(text.View()) {}

void tCBasePath::Clear()
{
    m_text.SetText(u"");
}

tResult tCBasePath::SetText(const tCString& text)
{
    return m_text.SetText(text.GetTextOrEmpty(), text.GetLength());
}
