#include "toolkit/core/FileOperations.h"

#include "toolkit/core/tCFRelative.h"
#include "toolkit/core/tCFile.h"

tResult OpenFileAtPath(tCFile* file, const tCFPath& path, int32_t access)
{
    if (!file || !path.HasText())
        return kResBadParam;
    return file->Open(path, access);
}

tResult OpenFileByName(tCFile* file, const tCString& relativeName, int32_t access)
{
    return OpenFileAtPath(file, tCFRelative(relativeName, 0), access);
}
