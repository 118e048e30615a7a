#include "resources/compiler/WidgetSource.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>

#include "resources/compiler/ResourceKinds.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/widgets/WidgetDataText.h"

namespace {

constexpr uint32_t kHierarchyTag = MakeFourCC("hier");

bool Written(tResult result, tStatement& statement)
{
    return result == kResOk || statement.Fail(std::string("writing failed: ") + ResultText(result));
}

bool TakeClass(tStatement& statement, uint32_t* classTag)
{
    std::string word;
    if (!statement.TakeWord(&word))
        return false;
    return (ParseFourCC(word, classTag) && FindWidgetClass(*classTag)) ||
           statement.Fail("unknown widget class '" + word + "'");
}

bool TakeNumber(tStatement& statement, uint32_t* value)
{
    std::string word;
    return statement.TakeWord(&word) && (ParseU32(word, value) || ParseColour(word, value) ||
                                         statement.Fail("a 32-bit number or #AARRGGBB expected"));
}

bool TakeFloat(tStatement& statement, float* value)
{
    std::string word;
    return statement.TakeWord(&word) && (ParseFloat(word, value) || statement.Fail("a finite number expected"));
}

// One field's value as the loader reads it.
bool CompileValue(tStatement& statement, const tWidgetField& field, const std::string& value, tCStream& out)
{
    switch (field.kind) {
    case tWidgetField::kI32: {
        char* end = nullptr;
        const long long number = std::strtoll(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || number < INT32_MIN || number > INT32_MAX)
            return statement.Fail("a 32-bit integer expected for " + field.name);
        if (number < field.least || number > field.most)
            return statement.Fail(field.name + " from " + std::to_string(field.least) + " to " +
                                  std::to_string(field.most) + " expected");
        return Written(out.WriteI32(int32_t(number)), statement);
    }
    case tWidgetField::kF32: {
        float number = 0.0f;
        return (ParseFloat(value, &number) || statement.Fail("a finite number expected for " + field.name)) &&
               Written(out.WriteFloat(number), statement);
    }
    case tWidgetField::kColour:
    case tWidgetField::kRgb: {
        uint32_t colour = 0;
        const bool parsed = field.kind == tWidgetField::kRgb ? ParseRgbColour(value, &colour) : ParseColour(value, &colour);
        return (parsed || statement.Fail(std::string(field.kind == tWidgetField::kRgb ? "#RRGGBB or " : "") +
                                         "#AARRGGBB expected for " + field.name)) &&
               Written(out.WriteU32(colour), statement);
    }
    case tWidgetField::kStops: break;
    }
    if (!value.empty() || !statement.Take(tToken::kOpen, "'[' expected"))
        return statement.Fail("colour stops are written " + field.name + "=[#AARRGGBB@<position> ...]");
    tCMemFile stops;
    int32_t count = 0;
    while (!statement.NextIs(tToken::kClose)) {
        std::string word;
        uint32_t colour = 0;
        float position = 0.0f;
        if (!statement.TakeWord(&word))
            return false;
        if (!ParseGradientPoint(word, &colour, &position))
            return statement.Fail("colour stops are written #AARRGGBB@<position from 0 to 1>");
        if (!Written(stops.WriteU32(colour), statement) || !Written(stops.WriteFloat(position), statement))
            return false;
        ++count;
    }
    return statement.Take(tToken::kClose, "']' expected") && Written(out.WriteI32(count), statement) &&
           Written(out.WriteBytes(stops.GetData(), stops.GetSize()), statement);
}

// Fields "name=value" in any order, each once and none missing, written in the order of the list.
bool CompileFields(tStatement& statement, const std::vector<tWidgetField>& fields, tCStream& out)
{
    std::vector<std::unique_ptr<tCMemFile>> values(fields.size());
    while (!statement.AtEnd()) {
        std::string word;
        if (!statement.TakeWord(&word))
            return false;
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const auto field = std::find_if(fields.begin(), fields.end(), [&](const auto& f) { return f.name == name; });
        if (equals == std::string::npos || field == fields.end())
            return statement.Fail("no field '" + name + "' here");
        std::unique_ptr<tCMemFile>& value = values[size_t(field - fields.begin())];
        if (value)
            return statement.Fail("the field " + name + "= is given twice");
        value = std::make_unique<tCMemFile>();
        if (!CompileValue(statement, *field, word.substr(equals + 1), *value))
            return false;
    }
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!values[i])
            return statement.Fail("the field " + fields[i].name + "= is missing");
        if (!Written(out.WriteBytes(values[i]->GetData(), values[i]->GetSize()), statement))
            return false;
    }
    return true;
}

}  // namespace

bool tWidgetSource::Open(uint32_t classTag, tStatement& statement)
{
    m_root = std::make_unique<tNode>();
    m_open = {m_root.get()};
    return Declare(m_root.get(), classTag, statement);
}

bool tWidgetSource::Declare(tNode* node, uint32_t classTag, tStatement& statement)
{
    node->classTag = classTag;
    node->line = statement.GetLine();
    if (!statement.TakeU32(&node->id) || !statement.TakeLine(&node->name) || !statement.Finish())
        return false;
    node->fact = m_facts->widgets.size();
    m_facts->widgets.push_back(tWidgetFacts::tWidget{classTag, node->name, node->line, {}, {}, {}, false});
    return true;
}

bool tWidgetSource::Continue(int indent, tStatement& statement)
{
    while (!m_open.empty() && m_open.back()->indent >= indent)
        m_open.pop_back();
    if (m_open.empty())
        return statement.Fail("an indented line belongs to no widget");
    tNode* parent = m_open.back();
    std::string word;
    if (!statement.TakeWord(&word))
        return false;
    if (word != "+")
        return CompileChunk(parent, word, statement);
    uint32_t classTag = 0;
    if (!TakeClass(statement, &classTag))
        return false;
    auto child = std::make_unique<tNode>();
    child->indent = indent;
    if (!Declare(child.get(), classTag, statement))
        return false;
    const tWidgetFacts::tReference reference{child->name, classTag, statement.GetLine()};
    m_facts->widgets[parent->fact].children.push_back(reference);
    m_open.push_back(child.get());
    parent->children.push_back(std::move(child));
    return true;
}

bool tWidgetSource::CompileChunk(tNode* node, const std::string& word, tStatement& statement)
{
    uint32_t tag = 0;
    const tWidgetChunk* chunk = ParseFourCC(word, &tag) ? FindWidgetChunk(node->classTag, tag) : nullptr;
    if (!chunk)
        return statement.Fail("the class " + FourCCText(node->classTag) + " reads no chunk '" + word + "'");
    if (!Written(node->chunks.WriteU32(tag), statement))
        return false;
    uint32_t number = 0;
    float real = 0.0f;
    bool compiled = false;
    switch (chunk->payload) {
    case tWidgetPayload::kU32:
    case tWidgetPayload::kColour:
        compiled = TakeNumber(statement, &number) && Written(node->chunks.WriteU32(number), statement);
        break;
    case tWidgetPayload::kF32:
        compiled = TakeFloat(statement, &real) && Written(node->chunks.WriteFloat(real), statement);
        break;
    case tWidgetPayload::kHierarchy: compiled = CompileHierarchy(node, statement); break;
    case tWidgetPayload::kFields: compiled = CompileFields(statement, chunk->fields, node->chunks); break;
    default: compiled = CompileText(node, chunk->payload, statement); break;
    }
    return compiled && statement.Finish();
}

bool tWidgetSource::CompileText(tNode* node, tWidgetPayload payload, tStatement& statement)
{
    std::u16string units;
    if (!statement.TakeString(&units))
        return false;
    const tCString text{std::u16string_view(units)};
    tWidgetFacts::tWidget& widget = m_facts->widgets[node->fact];
    std::string why;
    tCString cursor;
    switch (payload) {
    case tWidgetPayload::kUserData:
        if (!CheckUserDataText(text, &why))
            return statement.Fail(why);
        break;
    case tWidgetPayload::kCursor:
        if (!CheckCursorText(text, &cursor, &why))
            return statement.Fail(why);
        widget.cursors.push_back(cursor);
        m_facts->references.push_back(tWidgetFacts::tReference{cursor, 0, statement.GetLine()});
        break;
    case tWidgetPayload::kDefaultCursor:
        if (!text.IsEmpty())
            widget.defaultCursors.push_back(tWidgetFacts::tReference{text, 0, statement.GetLine()});
        break;
    case tWidgetPayload::kImageName:
    case tWidgetPayload::kGradientName:
    case tWidgetPayload::kImageListName:
    case tWidgetPayload::kMaskListName:
    case tWidgetPayload::kTextListName:
        if (!text.IsEmpty())
            m_facts->references.push_back(tWidgetFacts::tReference{text, ResourceTypeNamedBy(payload), statement.GetLine()});
        break;
    default: break;
    }
    const tResult written = WriteWidgetText(&node->chunks, text);
    return written != kResBadParam ? Written(written, statement) : statement.Fail("a text may hold no NUL");
}

bool tWidgetSource::CompileHierarchy(tNode* node, tStatement& statement)
{
    if (!statement.Take(tToken::kOpen, "'[' expected"))
        return false;
    tCMemFile entries;
    uint32_t count = 0;
    while (!statement.NextIs(tToken::kClose)) {
        tCString name;
        uint32_t classTag = 0;
        if (!statement.TakeLine(&name) || !TakeClass(statement, &classTag))
            return false;
        m_facts->widgets[node->fact].children.push_back(tWidgetFacts::tReference{name, classTag, statement.GetLine()});
        if (!Written(WriteWidgetText(&entries, name), statement) || !Written(entries.WriteU32(classTag), statement))
            return false;
        ++count;
    }
    return statement.Take(tToken::kClose, "']' expected") && Written(node->chunks.WriteU32(count), statement) &&
           Written(node->chunks.WriteBytes(entries.GetData(), entries.GetSize()), statement);
}

tResult tWidgetSource::Close(tCStream& out)
{
    const std::unique_ptr<tNode> root = std::move(m_root);
    m_open.clear();
    return root ? Write(*root, out) : kResOk;
}

tResult tWidgetSource::Write(const tNode& node, tCStream& out)
{
    tCMemFile hierarchy;
    if (!node.children.empty()) {
        TK_TRY(hierarchy.WriteU32(kHierarchyTag));
        TK_TRY(hierarchy.WriteU32(uint32_t(node.children.size())));
        for (const std::unique_ptr<tNode>& child : node.children) {
            TK_TRY(WriteWidgetText(&hierarchy, child->name));
            TK_TRY(hierarchy.WriteU32(child->classTag));
        }
    }
    const int64_t blockSize = node.chunks.GetSize() + hierarchy.GetSize();
    m_facts->widgets[node.fact].emptyBlock = blockSize == 0;
    if (blockSize > int64_t(UINT32_MAX))
        return kResBadParam;
    tCMemFile payload;
    TK_TRY(WriteResourcePreamble(payload, node.id, node.name));
    TK_TRY(payload.WriteU32(uint32_t(blockSize)));
    TK_TRY(payload.WriteBytes(node.chunks.GetData(), node.chunks.GetSize()));
    TK_TRY(payload.WriteBytes(hierarchy.GetData(), hierarchy.GetSize()));
    TK_TRY(WriteResourceChunk(out, node.classTag, payload.GetData(), payload.GetSize()));
    for (const std::unique_ptr<tNode>& child : node.children)
        TK_TRY(Write(*child, out));
    return kResOk;
}
