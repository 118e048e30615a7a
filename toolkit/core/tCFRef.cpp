#include "toolkit/core/tCFRef.h"

#include "toolkit/core/FileProbes.h"

bool tCFRef::Exists() const
{
    return PathFileReadable(*this);
}
