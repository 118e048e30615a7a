#include "toolkit/core/tCFolderRef.h"

#include <sys/stat.h>

#include <string>

#include "toolkit/core/FileProbes.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/PathText.h"

bool tCFolderRef::Exists() const
{
    return IsFolderPath(*this);
}

tResult tCFolderRef::Create()
{
    if (Exists())
        return kResOk;
    std::string name;
    return GetText().ToFileName(&name) && mkdir(name.c_str(), 0777) == 0 ? kResOk : kResCreateFailed;
}

tResult tCFolderRef::SetText(const tCString& text)
{
    if (EndsWithSeparator(text))
        return tCBasePath::SetText(text);
    return tCBasePath::SetText(text.Concat(tCString(u"/")));
}

tResult tCFolderRef::SetFromAppFolder(const tCString& relative, uint32_t selector)
{
    tCString base = GetBaseFolder(selector);
    tCString folder = RelativeToPathText(relative);
    if (!EndsWithSeparator(folder))
        folder = folder.Concat(tCString(u"/"));
    if (folder.GetAt(0) == kPathSeparator && EndsWithSeparator(base))
        base = base.Left(base.GetLength() - 1);
    return SetText(base.Concat(folder));
}
