#include "paint/engine/EngineResources.h"

#include "toolkit/core/CAppBase.h"

bool GetEngineText(uint32_t id, tCString& text)
{
    const CAppBase* application = GetApplication();
    if (!application)
        return false;
    application->GetString(text, id, 0);
    return !text.IsEmpty() && text.GetAt(0) != u'%';
}

tCString GetEngineTextOrEmpty(uint32_t id)
{
    tCString text;
    return GetEngineText(id, text) ? text : tCString();
}
