#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "resources/compiler/ResourceSource.h"
#include "resources/compiler/StringTableSource.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/LittleEndianBytes.h"
#include "toolkit/core/TempFolder.h"

// A file holding the bytes, open for reading, removed with its folder when the stream goes.
class TempFileStream : public tCFile {
public:
    explicit TempFileStream(const std::string& bytes)
    {
        WriteWholeFile(m_folder.File("resource.bin"), bytes);
        EXPECT_EQ(Open(tCFRef(tCString::FromAnsi(m_folder.File("resource.bin"))), kAccessRead), kResOk);
    }

private:
    TempFolder m_folder;
};

inline std::unique_ptr<TempFileStream> StreamOver(const std::string& bytes)
{
    return std::make_unique<TempFileStream>(bytes);
}

// Files named in the source are looked up in each of the folders in turn.
inline std::string CompileResourcesFrom(const std::string& source, const std::vector<std::filesystem::path>& folders)
{
    tCMemFile out;
    std::string error;
    EXPECT_EQ(CompileResourceSource(source, folders, out, &error), kResOk) << error;
    return StreamBytes(out);
}

inline std::string CompileResources(const std::string& source, const std::filesystem::path& base = ".")
{
    return CompileResourcesFrom(source, {base});
}

inline std::string CompileStrings(const std::string& source)
{
    tCMemFile out;
    std::string error;
    EXPECT_EQ(CompileStringTableSource(source, out, &error), kResOk) << error;
    return StreamBytes(out);
}

// The little-endian bytes of UTF-16 text with CR LF, as the files hold them.
inline std::string Line(const std::u16string& text)
{
    std::string bytes;
    for (char16_t unit : text + u"\r\n") {
        bytes += char(unit & 0xFF);
        bytes += char(unit >> 8);
    }
    return bytes;
}

inline std::string Chunk(const char* tag, const std::string& payload)
{
    const uint32_t code = uint32_t(uint8_t(tag[0])) << 24 | uint32_t(uint8_t(tag[1])) << 16 |
                          uint32_t(uint8_t(tag[2])) << 8 | uint32_t(uint8_t(tag[3]));
    return U32(code) + U32(uint32_t(payload.size())) + payload;
}
