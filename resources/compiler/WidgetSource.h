#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "resources/compiler/SourceText.h"
#include "resources/compiler/WidgetFacts.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/widgets/WidgetChunkSchema.h"

// The widget resources of a source. A widget line "<class> <id> "<name>"" opens a widget; the
// lines indented below it are its chunks, "<tag> <payload>", in order; "+ <class> <id> "<name>""
// declares a child resource, whose own lines are indented below it. Each widget is written as a
// resource after its parent's (depth first), and the children declared with "+" as one 'hier'
// chunk after the parent's other chunks, the first declared the backmost.
class tWidgetSource {
public:
    explicit tWidgetSource(tWidgetFacts* facts) : m_facts(facts) {}

    // A widget line at the start of a line; `classTag` is the class of the word already taken.
    bool Open(uint32_t classTag, tStatement& statement);
    // A line indented by `indent` blanks: a chunk of the open widget it falls under, or a child.
    bool Continue(int indent, tStatement& statement);
    bool IsOpen() const { return m_root != nullptr; }
    // Writes the open widget and its children, and closes it.
    tResult Close(tCStream& out);

private:
    struct tNode {
        uint32_t classTag = 0;
        uint32_t id = 0;
        tCString name;
        int line = 0;
        int indent = 0;
        tCMemFile chunks;
        std::vector<std::unique_ptr<tNode>> children;
        size_t fact = 0;
    };

    bool Declare(tNode* node, uint32_t classTag, tStatement& statement);
    bool CompileChunk(tNode* node, const std::string& word, tStatement& statement);
    bool CompileText(tNode* node, tWidgetPayload payload, tStatement& statement);
    bool CompileHierarchy(tNode* node, tStatement& statement);
    tResult Write(const tNode& node, tCStream& out);

    tWidgetFacts* m_facts;
    std::unique_ptr<tNode> m_root;
    // The widgets open at the current line, outermost first.
    std::vector<tNode*> m_open;
};
