#include "toolkit/core/tCFRelative.h"

#include "toolkit/core/FileProbes.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/PathText.h"

tCFRelative::tCFRelative(const tCString& relative, uint32_t selector)
    : tCFPath(RelativeToPathText(relative), kRelativePath), m_selector(selector)
{
}

tCFRelative& tCFRelative::operator=(const tCFRelative& other)
{
    if (this != &other) {
        m_kind = other.m_kind;
        m_text = other.m_text;
        m_fileType = other.m_fileType;
        m_creator = other.m_creator;
        m_selector = other.m_selector;
    }
    return *this;
}

void tCFRelative::Clear()
{
    tCFPath::Clear();
    m_selector = 0;
}

bool tCFRelative::Exists() const
{
    return PathFileExists(*this);
}

tResult tCFRelative::SetText(const tCString& relative)
{
    return tCFPath::SetText(RelativeToPathText(relative));
}

tCString tCFRelative::GetText() const
{
    if (m_text.IsEmpty())
        return tCString(u"");
    return GetBaseFolder(m_selector).Concat(m_text);
}
