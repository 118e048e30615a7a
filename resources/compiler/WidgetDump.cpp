#include "resources/compiler/WidgetDump.h"

#include <cmath>

#include "resources/compiler/ResourceKinds.h"
#include "resources/compiler/SourceText.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/widgets/WidgetChunkSchema.h"

namespace {

// The smallest 'hier' entry and colour stop: an empty name's two units and a tag; a colour and a
// position.
constexpr int64_t kMinEntryBytes = 8;

class tWidgetDataReader {
public:
    tWidgetDataReader(tCMemFile& block, tWidgetDump* dump, tWidgetFacts* facts, size_t fact, std::string* error)
        : m_block(block), m_dump(dump), m_facts(facts), m_fact(fact), m_error(error)
    {
    }

    tResult ReadChunks()
    {
        while (!m_block.IsAtEnd()) {
            uint32_t tag = 0;
            TK_TRY(Check(m_block.ReadU32(&tag)));
            const tWidgetChunk* chunk = FindWidgetChunk(m_dump->classTag, tag);
            if (!chunk)
                return Fail("the class " + FourCCText(m_dump->classTag) + " reads no chunk '" + FourCCText(tag) +
                            "'");
            std::string payload;
            TK_TRY(ReadPayload(*chunk, &payload));
            const std::string line = FourCCText(tag) + " " + payload;
            // Only the last chunk may turn into "+" children; an earlier 'hier' stays in place.
            if (!m_dump->lastHierarchyLine.empty())
                m_dump->chunkLines.push_back(m_dump->lastHierarchyLine);
            m_dump->lastHierarchyLine.clear();
            m_dump->endsWithHierarchy = chunk->payload == tWidgetPayload::kHierarchy;
            if (m_dump->endsWithHierarchy)
                m_dump->lastHierarchyLine = line;
            else
                m_dump->chunkLines.push_back(line);
        }
        return kResOk;
    }

private:
    tWidgetFacts::tWidget& Widget() { return m_facts->widgets[m_fact]; }
    int Where() { return Widget().where; }

    tResult ReadPayload(const tWidgetChunk& chunk, std::string* text)
    {
        uint32_t number = 0;
        float real = 0.0f;
        switch (chunk.payload) {
        case tWidgetPayload::kU32:
        case tWidgetPayload::kColour:
            TK_TRY(Check(m_block.ReadU32(&number)));
            *text = chunk.payload == tWidgetPayload::kU32 ? std::to_string(number) : FormatColour(number);
            return kResOk;
        case tWidgetPayload::kF32:
            TK_TRY(ReadFinite(&real));
            *text = FormatFloat(real);
            return kResOk;
        case tWidgetPayload::kHierarchy: return ReadHierarchy(text);
        case tWidgetPayload::kFields: return ReadFields(chunk, text);
        default: return ReadTextPayload(chunk.payload, text);
        }
    }

    tResult ReadFinite(float* value)
    {
        TK_TRY(Check(m_block.ReadFloat(value)));
        return std::isfinite(*value) ? kResOk : Fail("a number that is not finite");
    }

    // A text as the compiler writes it: its units, a LF and a NUL.
    tResult ReadText(tCString* text)
    {
        tCString stored;
        TK_TRY(Check(m_block.ReadTextLineW(stored)));
        if (stored.IsEmpty() || stored.GetAt(stored.GetLength() - 1) != u'\n')
            return Fail("a text not ended by LF and NUL");
        *text = stored.Left(stored.GetLength() - 1);
        return kResOk;
    }

    tResult ReadTextPayload(tWidgetPayload payload, std::string* out)
    {
        tCString text, cursor;
        TK_TRY(ReadText(&text));
        std::string why;
        switch (payload) {
        case tWidgetPayload::kUserData:
            if (!CheckUserDataText(text, &why))
                return Fail(why);
            break;
        case tWidgetPayload::kCursor:
            if (!CheckCursorText(text, &cursor, &why))
                return Fail(why);
            Widget().cursors.push_back(cursor);
            m_facts->references.push_back(tWidgetFacts::tReference{cursor, 0, Where()});
            break;
        case tWidgetPayload::kDefaultCursor:
            if (!text.IsEmpty())
                Widget().defaultCursors.push_back(tWidgetFacts::tReference{text, 0, Where()});
            break;
        case tWidgetPayload::kImageName:
        case tWidgetPayload::kGradientName:
        case tWidgetPayload::kImageListName:
        case tWidgetPayload::kMaskListName:
        case tWidgetPayload::kTextListName:
            if (!text.IsEmpty())
                m_facts->references.push_back(tWidgetFacts::tReference{text, ResourceTypeNamedBy(payload), Where()});
            break;
        default: break;
        }
        *out = QuoteText(std::u16string(text.View()));
        return kResOk;
    }

    tResult ReadCount(uint32_t* count)
    {
        TK_TRY(Check(m_block.ReadU32(count)));
        return int64_t(*count) <= (m_block.GetLength() - m_block.GetPosition()) / kMinEntryBytes
                   ? kResOk
                   : Fail("a count larger than the data");
    }

    tResult ReadHierarchy(std::string* text)
    {
        uint32_t count = 0;
        TK_TRY(ReadCount(&count));
        m_dump->lastChildren.clear();
        *text = "[";
        for (uint32_t i = 0; i < count; ++i) {
            tCString name;
            uint32_t classTag = 0;
            TK_TRY(ReadText(&name));
            TK_TRY(Check(m_block.ReadU32(&classTag)));
            if (!IsStorableLine(name))
                return Fail("a child name that a resource name cannot be");
            if (!FindWidgetClass(classTag))
                return Fail("a child of an unknown class");
            const tWidgetFacts::tReference child{name, classTag, Where()};
            Widget().children.push_back(child);
            m_dump->lastChildren.push_back(child);
            *text += (i ? " " : "") + QuoteText(std::u16string(name.View())) + " " + FourCCText(classTag);
        }
        *text += "]";
        return kResOk;
    }

    tResult ReadFields(const tWidgetChunk& chunk, std::string* text)
    {
        for (const tWidgetField& field : chunk.fields) {
            *text += (text->empty() ? "" : " ") + field.name + "=";
            int32_t number = 0;
            float real = 0.0f;
            uint32_t colour = 0;
            switch (field.kind) {
            case tWidgetField::kI32:
                TK_TRY(Check(m_block.ReadI32(&number)));
                if (number < field.least || number > field.most)
                    return Fail(field.name + " outside " + std::to_string(field.least) + " to " +
                                std::to_string(field.most));
                *text += std::to_string(number);
                break;
            case tWidgetField::kF32:
                TK_TRY(ReadFinite(&real));
                *text += FormatFloat(real);
                break;
            case tWidgetField::kColour:
            case tWidgetField::kRgb:
                TK_TRY(Check(m_block.ReadU32(&colour)));
                *text += field.kind == tWidgetField::kRgb ? FormatRgbColour(colour) : FormatColour(colour);
                break;
            case tWidgetField::kStops: TK_TRY(ReadStops(text)); break;
            }
        }
        return kResOk;
    }

    tResult ReadStops(std::string* text)
    {
        uint32_t count = 0;
        TK_TRY(ReadCount(&count));
        if (count > uint32_t(INT32_MAX))
            return Fail("a negative count of colour stops");
        *text += "[";
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t colour = 0;
            float position = 0.0f;
            TK_TRY(Check(m_block.ReadU32(&colour)));
            TK_TRY(ReadFinite(&position));
            if (!(position >= 0.0f && position <= 1.0f))
                return Fail("a colour stop outside 0 to 1");
            *text += (i ? " " : "") + FormatGradientPoint(colour, position);
        }
        *text += "]";
        return kResOk;
    }

    tResult Check(tResult result)
    {
        return result == kResOk ? kResOk : Fail(std::string("reading failed: ") + ResultText(result));
    }

    tResult Fail(const std::string& message)
    {
        *m_error = message;
        return kResFileInvalid;
    }

    tCMemFile& m_block;
    tWidgetDump* m_dump;
    tWidgetFacts* m_facts;
    size_t m_fact;
    std::string* m_error;
};

// Prints widgets, nesting the children a widget's last 'hier' chunk names where they follow it in
// the file, depth first; everything else is printed in file order.
class tResourcePrinter {
public:
    tResourcePrinter(const std::vector<const tWidgetDump*>& widgets, const std::vector<std::string>& lines)
        : m_widgets(widgets), m_lines(lines), m_nestEnd(widgets.size(), kUnknown)
    {
    }

    std::string Print()
    {
        for (size_t i = 0; i < m_widgets.size();) {
            if (m_widgets[i]) {
                i = PrintWidget(i, 0);
            } else {
                m_text += m_lines[i] + "\n";
                ++i;
            }
        }
        return m_text;
    }

private:
    static constexpr size_t kUnknown = size_t(-1);
    static constexpr size_t kFlat = size_t(-2);

    // Where the widget at `at` and its nested children end, or kFlat when they do not nest.
    size_t NestEnd(size_t at)
    {
        if (m_nestEnd[at] != kUnknown)
            return m_nestEnd[at];
        const tWidgetDump& widget = *m_widgets[at];
        size_t next = at + 1;
        bool nests = widget.endsWithHierarchy && !widget.lastChildren.empty();
        for (size_t i = 0; nests && i < widget.lastChildren.size(); ++i) {
            const tWidgetFacts::tReference& child = widget.lastChildren[i];
            nests = next < m_widgets.size() && m_widgets[next] && m_widgets[next]->name == child.name &&
                    m_widgets[next]->classTag == child.type;
            if (nests)
                next = SubtreeEnd(next);
        }
        return m_nestEnd[at] = nests ? next : kFlat;
    }

    size_t SubtreeEnd(size_t at)
    {
        const size_t end = NestEnd(at);
        return end == kFlat ? at + 1 : end;
    }

    size_t PrintWidget(size_t at, int depth)
    {
        const tWidgetDump& widget = *m_widgets[at];
        const std::string indent(size_t(depth) * 2, ' ');
        m_text += indent + (depth ? "+ " : "") + FourCCText(widget.classTag) + " " + std::to_string(widget.id) +
                  " " + QuoteText(std::u16string(widget.name.View())) + "\n";
        for (const std::string& line : widget.chunkLines)
            m_text += indent + "  " + line + "\n";
        if (NestEnd(at) == kFlat) {
            if (widget.endsWithHierarchy)
                m_text += indent + "  " + widget.lastHierarchyLine + "\n";
            return at + 1;
        }
        size_t next = at + 1;
        for (size_t i = 0; i < widget.lastChildren.size(); ++i)
            next = PrintWidget(next, depth + 1);
        return next;
    }

    const std::vector<const tWidgetDump*>& m_widgets;
    const std::vector<std::string>& m_lines;
    std::vector<size_t> m_nestEnd;
    std::string m_text;
};

}  // namespace

tResult DumpWidgetData(tCStream& in, int64_t end, tWidgetDump* dump, tWidgetFacts* facts, size_t fact,
                       std::string* error)
{
    uint32_t size = 0;
    if (in.ReadU32(&size) != kResOk || in.GetPosition() + int64_t(size) != end) {
        *error = "a widget data block that does not fill its resource";
        return kResFileInvalid;
    }
    facts->widgets[fact].emptyBlock = size == 0;
    tCMemFile block;
    tResult result = block.GrowBy(size);
    if (result == kResOk && size > 0)
        result = in.ReadBytes(block.GetData(), size);
    if (result != kResOk) {
        *error = std::string("reading failed: ") + ResultText(result);
        return result;
    }
    return tWidgetDataReader(block, dump, facts, fact, error).ReadChunks();
}

std::string PrintResources(const std::vector<const tWidgetDump*>& widgets, const std::vector<std::string>& lines)
{
    return tResourcePrinter(widgets, lines).Print();
}
