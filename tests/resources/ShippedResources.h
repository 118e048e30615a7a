#pragma once

#include <gtest/gtest.h>

#include <string>

#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCStringTable.h"

// The Resources folder that the build puts beside the program.
inline std::string ShippedFile(const std::string& name)
{
    return KOSTREL_BIN_DIR "/Resources/" + name;
}

// The shipped resource file with its directory, and the shipped string table.
class ShippedResources {
public:
    ShippedResources()
    {
        EXPECT_EQ(file.Open(tCFRef(tCString::FromAnsi(ShippedFile("system.trf"))), tCFile::kAccessRead), kResOk);
        EXPECT_EQ(directory.Read(&file), kResOk);
        tCFile strings;
        EXPECT_EQ(strings.Open(tCFRef(tCString::FromAnsi(ShippedFile("system.tsf"))), tCFile::kAccessRead), kResOk);
        EXPECT_EQ(table.LoadStringTable(&strings), kResOk);
    }

    // Field `field` of a text; "%%String Table Error" when there is none.
    std::u16string Text(uint32_t id, int32_t field = 0) const
    {
        tCString text;
        return std::u16string(table.GetString(text, id, field).View());
    }

    tCFile file;
    CResourceDirectory directory;
    tCStringTable table;
};
