#include "resources/compiler/WidgetFacts.h"

#include <algorithm>
#include <map>
#include <string>

#include "toolkit/core/FourCC.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

using tWidget = tWidgetFacts::tWidget;

bool Fail(int at, const std::string& message, int* where, std::string* why)
{
    *where = at;
    *why = message;
    return false;
}

std::string Quoted(const tCString& name)
{
    return "\"" + name.ToAnsi() + "\"";
}

// Index of each widget by name; a duplicate name fails.
bool IndexWidgets(const tWidgetFacts& facts, std::map<std::u16string, size_t>* byName, int* where, std::string* why)
{
    for (size_t i = 0; i < facts.widgets.size(); ++i) {
        const tWidget& widget = facts.widgets[i];
        if (!byName->emplace(std::u16string(widget.name.View()), i).second)
            return Fail(widget.where, "the widget name " + Quoted(widget.name) + " is used twice", where, why);
        if (widget.emptyBlock)
            return Fail(widget.where, "the widget " + Quoted(widget.name) + " has no chunk, which its loader refuses",
                        where, why);
    }
    return true;
}

bool CheckReferences(const tWidgetFacts& facts, const std::map<std::u16string, size_t>& byName, int* where,
                     std::string* why)
{
    const auto widgetNamed = [&](const tCString& name) -> const tWidget* {
        const auto it = byName.find(std::u16string(name.View()));
        return it == byName.end() ? nullptr : &facts.widgets[it->second];
    };
    for (const tWidget& widget : facts.widgets)
        for (const tWidgetFacts::tReference& child : widget.children) {
            const tWidget* found = widgetNamed(child.name);
            if (!found || found->type != child.type || !IsHierarchyWidgetType(child.type))
                return Fail(child.where,
                            "no widget resource " + Quoted(child.name) + " of class " + FourCCText(child.type) +
                                " that a hierarchy can make",
                            where, why);
        }
    for (const tWidget& widget : facts.widgets)
        for (const tWidgetFacts::tReference& choice : widget.defaultCursors)
            if (std::find(widget.cursors.begin(), widget.cursors.end(), choice.name) == widget.cursors.end())
                return Fail(choice.where, "the default cursor " + Quoted(choice.name) + " is none of the cursors",
                            where, why);
    for (const tWidgetFacts::tReference& reference : facts.references) {
        if (reference.type == 0) {
            const tWidget* found = widgetNamed(reference.name);
            if (!found || !IsHierarchyWidgetType(found->type))
                return Fail(reference.where, "no widget resource " + Quoted(reference.name) + " for the cursor",
                            where, why);
            continue;
        }
        const bool found = std::any_of(facts.resources.begin(), facts.resources.end(), [&](const auto& resource) {
            return resource.type == reference.type && resource.name == reference.name;
        });
        if (!found)
            return Fail(reference.where,
                        "no " + FourCCText(reference.type) + " resource " + Quoted(reference.name), where, why);
    }
    return true;
}

// Walks the hierarchies depth first without recursion: a widget met again on the path being
// walked contains itself; every other widget's depth and size are worked out once.
bool CheckHierarchies(const tWidgetFacts& facts, const std::map<std::u16string, size_t>& byName, int* where,
                      std::string* why)
{
    enum State { kNew, kOnPath, kDone };
    const size_t count = facts.widgets.size();
    std::vector<State> state(count, kNew);
    std::vector<int64_t> depth(count, 1), made(count, 1);
    const auto childIndex = [&](const tWidgetFacts::tReference& child) {
        return byName.at(std::u16string(child.name.View()));
    };
    for (size_t root = 0; root < count; ++root) {
        if (state[root] != kNew)
            continue;
        std::vector<std::pair<size_t, size_t>> path{{root, 0}};
        state[root] = kOnPath;
        while (!path.empty()) {
            auto& [index, next] = path.back();
            const tWidget& widget = facts.widgets[index];
            if (next < widget.children.size()) {
                const tWidgetFacts::tReference& child = widget.children[next++];
                const size_t target = childIndex(child);
                if (state[target] == kOnPath)
                    return Fail(child.where, "the widget " + Quoted(child.name) + " contains itself", where, why);
                if (state[target] == kNew) {
                    state[target] = kOnPath;
                    path.emplace_back(target, 0);
                }
                continue;
            }
            for (const tWidgetFacts::tReference& child : widget.children) {
                const size_t target = childIndex(child);
                depth[index] = std::max(depth[index], depth[target] + 1);
                made[index] = std::min<int64_t>(made[index] + made[target], CWidget::kMaxLoadWidgets + 1);
            }
            if (depth[index] > CWidget::kMaxLoadDepth)
                return Fail(widget.where,
                            "the hierarchy of " + Quoted(widget.name) + " is more than " +
                                std::to_string(CWidget::kMaxLoadDepth) + " widgets deep",
                            where, why);
            if (made[index] > CWidget::kMaxLoadWidgets)
                return Fail(widget.where,
                            "the hierarchy of " + Quoted(widget.name) + " makes more than " +
                                std::to_string(CWidget::kMaxLoadWidgets) + " widgets",
                            where, why);
            state[index] = kDone;
            path.pop_back();
        }
    }
    return true;
}

}  // namespace

bool CheckWidgetFacts(const tWidgetFacts& facts, int* where, std::string* why)
{
    std::map<std::u16string, size_t> byName;
    return IndexWidgets(facts, &byName, where, why) && CheckReferences(facts, byName, where, why) &&
           CheckHierarchies(facts, byName, where, why);
}
