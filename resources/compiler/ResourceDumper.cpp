#include <memory>
#include <string>
#include <vector>

#include "resources/compiler/BinaryFiles.h"
#include "resources/compiler/ResourceKinds.h"
#include "resources/compiler/ResourceSource.h"
#include "resources/compiler/SourceText.h"
#include "resources/compiler/WavFile.h"
#include "resources/compiler/WidgetDump.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/widgets/WidgetChunkSchema.h"

namespace {

// Reads one resource's data back into its source form, refusing anything the compiler would
// not write in the same bytes.
class tResourceDumper {
public:
    tResourceDumper(tCStream& in, const std::filesystem::path& fileFolder, const std::string& fileFolderName,
                    uint32_t version)
        : m_in(in), m_fileFolder(fileFolder), m_fileFolderName(fileFolderName), m_version(version)
    {
    }

    // One resource as a source line, or as a widget when the chunk is one; `facts` learn what
    // it names.
    tResult Dump(const tResourceChunk& chunk, int index, std::string* line, tWidgetDump* widget, tWidgetFacts* facts,
                 std::string* error)
    {
        m_end = chunk.payloadEnd;
        m_error = error;
        const tResourceKind* kind = FindResourceKind(chunk.tag);
        const bool isWidget = FindWidgetClass(chunk.tag) != nullptr;
        if (!kind && !isWidget)
            return Fail("a resource type the compiler does not write");
        uint32_t id;
        std::u16string name;
        TK_TRY(Check(m_in.ReadU32(&id)));
        TK_TRY(ReadLine(&name));
        if (isWidget) {
            *widget = tWidgetDump{chunk.tag, id, tCString(std::u16string_view(name)), {}, {}, {}, false};
            facts->widgets.push_back(tWidgetFacts::tWidget{chunk.tag, widget->name, index, {}, {}, {}, false});
            return DumpWidgetData(m_in, m_end, widget, facts, facts->widgets.size() - 1, error);
        }
        facts->resources.push_back(tWidgetFacts::tResource{kind->tag, tCString(std::u16string_view(name))});
        *line = std::string(kind->name) + " " + std::to_string(id) + " " + QuoteText(name);
        switch (kind->data) {
        case tResourceKind::kText: TK_TRY(DumpText(line)); break;
        case tResourceKind::kTextList: TK_TRY(DumpList(line, true)); break;
        case tResourceKind::kImageList: TK_TRY(DumpList(line, false)); break;
        case tResourceKind::kGradient: TK_TRY(DumpGradient(line)); break;
        default: TK_TRY(DumpFileData(*kind, index, line)); break;
        }
        return m_in.GetPosition() == m_end ? kResOk : Fail("bytes left at the end of the resource");
    }

private:
    tResult DumpText(std::string* line)
    {
        std::u16string text;
        TK_TRY(ReadLine(&text));
        *line += " " + QuoteText(text);
        return kResOk;
    }

    tResult DumpList(std::string* line, bool textList)
    {
        uint32_t exclusivity, count;
        TK_TRY(Check(m_in.ReadU32(&exclusivity)));
        TK_TRY(Check(m_in.ReadU32(&count)));
        if (exclusivity != 0)
            *line += " exclusivity=" + std::to_string(exclusivity);
        *line += " [";
        for (uint32_t i = 0; i < count; ++i) {
            std::u16string text;
            TK_TRY(ReadLine(&text));
            uint32_t id = 0;
            if (textList && m_version == 2)
                TK_TRY(Check(m_in.ReadU32(&id)));
            *line += i ? " " : "";
            if (textList && m_version == 2)
                *line += std::to_string(id) + ":";
            *line += QuoteText(text);
        }
        *line += "]";
        return kResOk;
    }

    tResult DumpGradient(std::string* line)
    {
        uint32_t count;
        TK_TRY(Check(m_in.ReadU32(&count)));
        *line += " [";
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t colour;
            float position;
            TK_TRY(Check(m_in.ReadU32(&colour)));
            TK_TRY(Check(m_in.ReadFloat(&position)));
            if (!(position >= 0.0f && position <= 1.0f))
                return Fail("a gradient position outside 0 to 1");
            *line += (i ? " " : "") + FormatGradientPoint(colour, position);
        }
        *line += "]";
        return kResOk;
    }

    tResult DumpFileData(const tResourceKind& kind, int index, std::string* line)
    {
        uint32_t size;
        TK_TRY(Check(m_in.ReadU32(&size)));
        if (size > m_end - m_in.GetPosition())
            return Fail("file data runs past the resource");
        std::string bytes(size, '\0');
        TK_TRY(Check(m_in.ReadBytes(bytes.data(), size)));
        const std::string format = kind.data == tResourceKind::kImage ? ImageFormatOf(bytes) : "";
        if (!HasSignature(kind, format, bytes))
            return Fail("file data of an unknown format");
        // The compiler stores every sound in its normalised form.
        std::string normalised, why;
        if (kind.data == tResourceKind::kSound && (NormaliseWav(bytes, &normalised, &why) != kResOk || normalised != bytes))
            return Fail("a sound the compiler would store otherwise");
        const std::string fileName =
            std::string(kind.name) + "-" + std::to_string(index) + "." + FileExtensionOf(kind, format);
        if (WriteBinaryFile(m_fileFolder / fileName, bytes) != kResOk)
            return Fail("cannot write " + (m_fileFolder / fileName).string());
        if (!format.empty())
            *line += " " + format;
        *line += " " + QuoteText(std::u16string(tCString::FromAnsi(m_fileFolderName + "/" + fileName).View()));
        return kResOk;
    }

    // A line as the compiler writes it: its units, then CR LF, inside the resource.
    tResult ReadLine(std::u16string* text)
    {
        tCString line;
        const tResult read = ReadStoredLine(m_in, &line);
        if (read == kResFileInvalid || m_in.GetPosition() > m_end)
            return Fail("a text line not ended by CR LF inside its resource");
        TK_TRY(Check(read));
        *text = line.View();
        return kResOk;
    }

    tResult Check(tResult result)
    {
        if (result == kResOk && m_in.GetPosition() > m_end)
            return Fail("data runs past the resource");
        return result == kResOk ? kResOk : Fail(std::string("reading failed: ") + ResultText(result));
    }

    tResult Fail(const std::string& message)
    {
        *m_error = message;
        return kResFileInvalid;
    }

    tCStream& m_in;
    std::filesystem::path m_fileFolder;
    std::string m_fileFolderName;
    uint32_t m_version;
    int64_t m_end = 0;
    std::string* m_error = nullptr;
};

// The version of the file: its one vers chunk, 1 without one.
tResult FindFileVersion(tCStream& in, uint32_t* version, std::string* error)
{
    *version = 1;
    bool seen = false;
    TK_TRY(in.Rewind());
    while (!in.IsAtEnd()) {
        tResourceChunk chunk;
        tResult result = ReadResourceChunkHeader(in, &chunk);
        if (result == kResOk && chunk.tag == kResourceVersionTag) {
            if (seen || chunk.payloadEnd - in.GetPosition() != 4) {
                *error = "one vers chunk of 4 bytes is allowed";
                return kResFileInvalid;
            }
            seen = true;
            result = in.ReadU32(version);
            if (result == kResOk && *version != 1 && *version != 2) {
                *error = "a version other than 1 or 2";
                return kResFileInvalid;
            }
        }
        if (result == kResOk)
            result = in.SetPosition(chunk.payloadEnd);
        if (result != kResOk) {
            *error = std::string("damaged chunk: ") + ResultText(result);
            return result;
        }
    }
    return in.Rewind();
}

}  // namespace

tResult DumpResourceFile(tCStream& in, const std::filesystem::path& fileFolder, const std::string& fileFolderName,
                         std::string* source, std::string* error)
{
    uint32_t version;
    TK_TRY(FindFileVersion(in, &version, error));
    tResourceDumper dumper(in, fileFolder, fileFolderName, version);
    tWidgetFacts facts;
    std::vector<std::unique_ptr<tWidgetDump>> widgets;
    std::vector<std::string> lines;
    for (int index = 0; !in.IsAtEnd(); ++index) {
        tResourceChunk chunk;
        TK_TRY(ReadResourceChunkHeader(in, &chunk));
        std::string line;
        auto widget = std::make_unique<tWidgetDump>();
        if (chunk.tag == kResourceVersionTag) {
            uint32_t value;
            TK_TRY(in.ReadU32(&value));
            line = "vers " + std::to_string(value);
        } else {
            const tResult dumped = dumper.Dump(chunk, index, &line, widget.get(), &facts, error);
            if (dumped != kResOk) {
                *error = "resource " + std::to_string(index) + ": " + *error;
                return dumped;
            }
        }
        widgets.push_back(FindWidgetClass(chunk.tag) ? std::move(widget) : nullptr);
        lines.push_back(line);
    }
    int where = 0;
    std::string why;
    if (!CheckWidgetFacts(facts, &where, &why)) {
        *error = "resource " + std::to_string(where) + ": " + why;
        return kResFileInvalid;
    }
    std::vector<const tWidgetDump*> order;
    for (const std::unique_ptr<tWidgetDump>& widget : widgets)
        order.push_back(widget.get());
    *source = PrintResources(order, lines);
    return kResOk;
}
