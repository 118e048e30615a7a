#include <vector>

#include "resources/compiler/BinaryFiles.h"
#include "resources/compiler/ResourceKinds.h"
#include "resources/compiler/ResourceSource.h"
#include "resources/compiler/SourceText.h"
#include "resources/compiler/WavFile.h"
#include "resources/compiler/WidgetSource.h"
#include "toolkit/core/CText.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CGradient.h"
#include "toolkit/imaging/tCImageList.h"
#include "toolkit/widgets/WidgetChunkSchema.h"

namespace {

class tResourceCompiler {
public:
    tResourceCompiler(const std::vector<std::filesystem::path>& folders, tCStream& out, uint32_t version,
                      tWidgetFacts* facts)
        : m_folders(folders), m_out(out), m_version(version), m_facts(facts), m_widgets(facts)
    {
    }

    // One line of the source: widget lines and the lines indented below them, or a resource.
    bool CompileLine(const std::string& text, tStatement& line)
    {
        const size_t indent = text.find_first_not_of(" \t");
        if (indent > 0)
            return m_widgets.Continue(int(indent), line);
        if (!Written(m_widgets.Close(m_out), line))
            return false;
        return Compile(line);
    }

    // Writes the widget still open at the end of the source.
    tResult Finish() { return m_widgets.Close(m_out); }

    // Compiles one statement; false with the statement's error set on a fault.
    bool Compile(tStatement& line)
    {
        std::string tag;
        if (!line.TakeWord(&tag))
            return false;
        if (tag == "vers") {
            uint32_t version;
            return line.TakeU32(&version) && line.Finish() && Written(WriteVersionChunk(m_out, version), line);
        }
        uint32_t widgetClass = 0;
        if (ParseFourCC(tag, &widgetClass) && FindWidgetClass(widgetClass))
            return m_widgets.Open(widgetClass, line);
        const tResourceKind* kind = FindResourceKind(tag);
        if (!kind)
            return line.Fail("unknown resource type '" + tag + "'");
        uint32_t id;
        tCString name;
        if (!line.TakeU32(&id) || !line.TakeLine(&name))
            return false;
        tCMemFile payload;
        if (!Written(WriteResourcePreamble(payload, id, name), line) || !CompileData(line, *kind, payload) ||
            !line.Finish())
            return false;
        m_facts->resources.push_back(tWidgetFacts::tResource{kind->tag, name});
        return Written(WriteResourceChunk(m_out, kind->tag, payload.GetData(), payload.GetSize()), line);
    }

private:
    bool CompileData(tStatement& line, const tResourceKind& kind, tCStream& payload)
    {
        switch (kind.data) {
        case tResourceKind::kText: {
            tCString text;
            return line.TakeLine(&text) && Written(CText::WriteData(payload, text), line);
        }
        case tResourceKind::kTextList: return CompileTextList(line, payload);
        case tResourceKind::kImageList: return CompileImageList(line, payload);
        case tResourceKind::kGradient: return CompileGradient(line, payload);
        case tResourceKind::kImage:
        case tResourceKind::kSound:
        case tResourceKind::kFont: return CompileFileData(line, kind, payload);
        }
        return false;
    }

    bool CompileTextList(tStatement& line, tCStream& payload)
    {
        uint32_t exclusivity = 0;
        if (!line.TakeOption("exclusivity", &exclusivity) || !line.Take(tToken::kOpen, "'[' expected"))
            return false;
        tCStringArray texts;
        tCArray<int32_t> ids;
        while (!line.NextIs(tToken::kClose)) {
            uint32_t id = 0;
            std::string word;
            if (m_version == 2 && (!line.TakeWord(&word) || word.empty() || word.back() != ':' ||
                                   !ParseU32(word.substr(0, word.size() - 1), &id)))
                return line.Fail("version 2 entries are written <id>:\"<text>\"");
            tCString text;
            if (!line.TakeLine(&text))
                return false;
            if (texts.Add(text) != kResOk || ids.Add(int32_t(id)) != kResOk)
                return line.Fail("out of memory");
        }
        if (!line.Take(tToken::kClose, "']' expected"))
            return false;
        return Written(CTextList::WriteData(payload, m_version, exclusivity, texts, ids), line);
    }

    bool CompileImageList(tStatement& line, tCStream& payload)
    {
        uint32_t exclusivity = 0;
        if (!line.TakeOption("exclusivity", &exclusivity) || !line.Take(tToken::kOpen, "'[' expected"))
            return false;
        tCStringArray names;
        while (!line.NextIs(tToken::kClose)) {
            tCString name;
            if (!line.TakeLine(&name))
                return false;
            if (names.Add(name) != kResOk)
                return line.Fail("out of memory");
        }
        if (!line.Take(tToken::kClose, "']' expected"))
            return false;
        return Written(tCImageList::WriteData(payload, int32_t(exclusivity), names), line);
    }

    bool CompileGradient(tStatement& line, tCStream& payload)
    {
        if (!line.Take(tToken::kOpen, "'[' expected"))
            return false;
        tCArray<uint32_t> colours;
        tCArray<float> positions;
        while (!line.NextIs(tToken::kClose)) {
            std::string word;
            if (!line.TakeWord(&word))
                return false;
            uint32_t colour;
            float position;
            if (!ParseGradientPoint(word, &colour, &position))
                return line.Fail("gradient points are written #AARRGGBB@<position from 0 to 1>");
            if (colours.Add(colour) != kResOk || positions.Add(position) != kResOk)
                return line.Fail("out of memory");
        }
        if (!line.Take(tToken::kClose, "']' expected"))
            return false;
        const tResult result = CGradient::WriteResData(payload, colours, positions);
        return Written(result, line);
    }

    bool CompileFileData(tStatement& line, const tResourceKind& kind, tCStream& payload)
    {
        std::string format;
        if (kind.data == tResourceKind::kImage && !line.TakeWord(&format))
            return false;
        std::u16string fileName;
        if (!line.TakeString(&fileName))
            return false;
        const std::filesystem::path name = tCString(std::u16string_view(fileName)).ToAnsi();
        std::filesystem::path path;
        std::string bytes;
        if (!ReadFromFolders(name, &path, &bytes))
            return line.Fail("cannot read " + name.string());
        std::string why;
        if (kind.data == tResourceKind::kSound && NormaliseWav(std::string(bytes), &bytes, &why) != kResOk)
            return line.Fail(path.string() + ": " + why);
        if (!HasSignature(kind, format, bytes))
            return line.Fail(path.string() + " is not a " + (format.empty() ? kind.name : format) + " file");
        if (bytes.size() > UINT32_MAX - 64)
            return line.Fail(path.string() + " is too large");
        tResult result = payload.WriteU32(uint32_t(bytes.size()));
        if (result == kResOk)
            result = payload.WriteBytes(bytes.data(), int64_t(bytes.size()));
        return Written(result, line);
    }

    // The first of the folders that holds a readable file of that name.
    bool ReadFromFolders(const std::filesystem::path& name, std::filesystem::path* path, std::string* bytes) const
    {
        for (const std::filesystem::path& folder : m_folders) {
            *path = folder / name;
            if (ReadBinaryFile(*path, bytes) == kResOk)
                return true;
        }
        return false;
    }

    static bool Written(tResult result, tStatement& line)
    {
        return result == kResOk || line.Fail(std::string("writing failed: ") + ResultText(result));
    }

    std::vector<std::filesystem::path> m_folders;
    tCStream& m_out;
    uint32_t m_version;
    tWidgetFacts* m_facts;
    tWidgetSource m_widgets;
};

// The version the vers line gives, 1 without one; false for a second vers line or a bad value.
bool FindVersion(const std::vector<std::string>& lines, uint32_t* version, std::string* error)
{
    *version = 1;
    bool seen = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<tToken> tokens;
        std::string ignored;
        if (TokenizeLine(lines[i], &tokens, &ignored) != kResOk || tokens.empty() || tokens[0].word != "vers")
            continue;
        uint32_t value = 0;
        if (seen || tokens.size() != 2 || !ParseU32(tokens[1].word, &value) || (value != 1 && value != 2)) {
            *error = "line " + std::to_string(i + 1) + ": one vers line of version 1 or 2 is allowed";
            return false;
        }
        seen = true;
        *version = value;
    }
    return true;
}

}  // namespace

tResult CompileResourceSource(const std::string& source, const std::vector<std::filesystem::path>& folders,
                              tCStream& out, std::string* error)
{
    const std::vector<std::string> lines = SplitLines(source);
    uint32_t version;
    if (!FindVersion(lines, &version, error))
        return kResTextParse;
    tWidgetFacts facts;
    tResourceCompiler compiler(folders, out, version, &facts);
    TK_TRY(CompileLines(
        source, [&](const std::string& line, tStatement& statement) { return compiler.CompileLine(line, statement); },
        error));
    const tResult finished = compiler.Finish();
    if (finished != kResOk) {
        *error = std::string("writing failed: ") + ResultText(finished);
        return finished;
    }
    int where = 0;
    std::string why;
    if (!CheckWidgetFacts(facts, &where, &why)) {
        *error = "line " + std::to_string(where) + ": " + why;
        return kResTextParse;
    }
    return kResOk;
}
