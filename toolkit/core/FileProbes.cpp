#include "toolkit/core/FileProbes.h"

#include <sys/stat.h>

#include <string>

#include "toolkit/core/CAppBase.h"
#include "toolkit/core/PathText.h"
#include "toolkit/core/tCFRelative.h"
#include "toolkit/core/tCFile.h"

bool PathFileExists(const tCFPath& path)
{
    tCFile file;
    return file.Open(path, tCFile::kAccessRead) == kResOk;
}

bool PathFileReadable(const tCFPath& path)
{
    tCFile file;
    return file.OpenOrCreate(path, tCFile::kAccessRead) == kResOk;
}

bool NamedFileExists(const tCString& name, uint32_t selector)
{
    return PathFileExists(tCFRelative(name, selector));
}

bool IsFolderText(const tCString& text)
{
    struct stat status;
    std::string name;
    return text.ToFileName(&name) && !name.empty() && stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool IsFolderPath(const tCBasePath& path)
{
    return IsFolderText(path.GetText());
}

bool AppSubfolderExists(const tCString& name, uint32_t selector)
{
    return IsFolderText(GetBaseFolder(selector).Concat(RelativeToPathText(name)));
}

bool IsShortcutName(const tCString& name)
{
    return name.GetLength() >= 4 && name.Right(4) == u".lnk";
}
