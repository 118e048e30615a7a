#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/Headless.h"
#include "resources/compiler/ResourceSource.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCMemFile.h"

// A resource file compiled from source, or made of bytes as they are, open for reading; the file
// goes with it.
class CompiledFile : public tCFile {
public:
    explicit CompiledFile(const std::string& source)
    {
        tCMemFile out;
        std::string error;
        EXPECT_EQ(CompileResourceSource(source, {"."}, out, &error), kResOk) << error;
        m_bytes.assign(reinterpret_cast<const char*>(out.GetData()), size_t(out.GetSize()));
        OpenBytes();
    }
    static std::unique_ptr<CompiledFile> FromBytes(const std::string& bytes)
    {
        return std::unique_ptr<CompiledFile>(new CompiledFile(bytes, 0));
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    CompiledFile(const std::string& bytes, int) : m_bytes(bytes) { OpenBytes(); }
    void OpenBytes()
    {
        WriteWholeFile(m_folder.File("resources.trf"), m_bytes);
        EXPECT_EQ(Open(tCFRef(tCString::FromAnsi(m_folder.File("resources.trf"))), kAccessRead), kResOk);
    }

    TempFolder m_folder;
    std::string m_bytes;
};

// The text of an error box: the code's message, then the text it was given.
inline std::string BoxText(tResult code, const std::string& extra)
{
    return std::string(ResultText(code)) + "\n" + extra;
}

// Loads run in a headless application, whose error boxes are captured.
class WidgetLoadTest : public ScriptedAppTest {
protected:
    // The texts of the boxes shown since the last call.
    static std::vector<std::string> Boxes()
    {
        std::vector<std::string> texts;
        for (const w32::headless::tMessageBoxRecord& box : w32::headless::TakeMessageBoxes())
            texts.push_back(tCString(std::u16string_view(box.text)).ToAnsi());
        return texts;
    }
};

// The bytes with the first stored occurrence of one four-character tag replaced by another.
inline std::string ReplaceTag(std::string bytes, const char* from, const char* to)
{
    const std::string stored{from[3], from[2], from[1], from[0]};
    const size_t at = bytes.find(stored);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        bytes.replace(at, 4, std::string{to[3], to[2], to[1], to[0]});
    return bytes;
}

// Widget resources made byte by byte, as another program would write them.
namespace handmade {

inline std::string U32(uint32_t value)
{
    return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

inline std::string Tag(const char* tag)
{
    return U32(uint32_t(uint8_t(tag[0])) << 24 | uint32_t(uint8_t(tag[1])) << 16 | uint32_t(uint8_t(tag[2])) << 8 |
               uint32_t(uint8_t(tag[3])));
}

inline std::string Units(const std::u16string& text)
{
    std::string bytes;
    for (char16_t unit : text)
        bytes += {char(unit & 0xFF), char(unit >> 8)};
    return bytes;
}

// A widget data text: the units, the unit the reader drops, a NUL.
inline std::string Text(const std::u16string& text)
{
    return Units(text + u"\n") + std::string(2, '\0');
}

inline std::string ChunkU32(const char* tag, uint32_t value)
{
    return Tag(tag) + U32(value);
}

inline std::string ChunkText(const char* tag, const std::u16string& text)
{
    return Tag(tag) + Text(text);
}

inline std::string Hierarchy(const std::vector<std::pair<std::u16string, const char*>>& children)
{
    std::string bytes = Tag("hier") + U32(uint32_t(children.size()));
    for (const auto& [name, tag] : children)
        bytes += Text(name) + Tag(tag);
    return bytes;
}

// A widget resource: the chunk header, the id and name line, the block's size and its chunks.
inline std::string Widget(const char* tag, uint32_t id, const std::u16string& name, const std::string& chunks)
{
    const std::string payload = U32(id) + Units(name + u"\r\n") + U32(uint32_t(chunks.size())) + chunks;
    return Tag(tag) + U32(uint32_t(payload.size())) + payload;
}

}  // namespace handmade
