#include "ResourceUseCheck.h"

#include <cstdio>
#include <memory>

#include "app/panels/PanelResources.h"
#include "app/shell/ShellResources.h"
#include "paint/engine/EngineResources.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/core/tCStringTable.h"
#include "toolkit/text/TextResources.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/WidgetChunkSchema.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

std::string TagText(uint32_t tag)
{
    if (tag == kStringTableText)
        return "string-table text";
    std::string text = "'";
    for (int shift = 24; shift >= 0; shift -= 8)
        text += char(tag >> shift);
    return text + "'";
}

std::string IdText(uint32_t id)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u (0x%X)", id, id);
    return text;
}

bool HasText(const tCStringTable& strings, uint32_t id)
{
    for (int32_t i = 0; i < strings.GetCount(); ++i)
        if (strings.GetIdAt(i) == id) {
            tCString text;
            return !strings.GetString(text, id, 0).View().starts_with(u"%%");
        }
    return false;
}

// The type tag of the resource whose chunk starts at `position`; 0 when it cannot be read.
uint32_t TagAt(tCStream& resources, int64_t position)
{
    tResourceChunk chunk;
    if (position < 0 || resources.SetPosition(position) != kResOk ||
        ReadResourceChunkHeader(resources, &chunk) != kResOk)
        return 0;
    return chunk.tag;
}

std::string Quoted(const tCString& name)
{
    return '"' + name.ToAnsi() + '"';
}

// Builds the widget resource named `name` through the factory: empty when it is built as a
// `type` widget without an error box, else what went wrong.
std::string BuildThroughFactory(const tCString& name, uint32_t type, tCStream& resources)
{
    w32::headless::TakeMessageBoxes();
    const std::unique_ptr<CWidget> widget(CreateWidgetByResourceName(name, &resources));
    std::string fault;
    if (!widget)
        fault = "is not built";
    else if (widget->GetWidgetType() != type)
        fault = "is built as a " + TagText(widget->GetWidgetType());
    for (const auto& box : w32::headless::TakeMessageBoxes())
        fault += (fault.empty() ? "shows \"" : ", shows \"") + tCString(std::u16string_view(box.text)).ToAnsi() + '"';
    return fault.empty() ? fault : TagText(type) + " " + Quoted(name) + " " + fault;
}

}  // namespace

std::vector<std::string> FindWidgetLayoutFaults(tCStream& resources, const CResourceDirectory& directory)
{
    std::vector<std::string> faults;
    for (int32_t i = 0; i < directory.GetCount(); ++i) {
        const tResourceEntry& entry = directory.GetEntry(i);
        const uint32_t tag = TagAt(resources, entry.position);
        if (!FindWidgetClass(tag))
            continue;
        if (!IsHierarchyWidgetType(tag))
            faults.push_back(TagText(tag) + " " + Quoted(entry.name) + " is of a class the widget factory cannot build");
        else if (std::string fault = BuildThroughFactory(entry.name, tag, resources); !fault.empty())
            faults.push_back(fault);
    }
    return faults;
}

std::vector<std::string> FindWrongWidgetKinds(std::span<const tResourceUse> uses, tCStream& resources,
                                              const CResourceDirectory& directory)
{
    std::vector<std::string> faults;
    for (const tResourceUse& use : uses) {
        if (use.type == kStringTableText || !FindWidgetClass(use.type))
            continue;
        const uint32_t count = use.name ? 1 : use.count;
        for (uint32_t id = use.id; id - use.id < count; ++id) {
            tCString name = use.name ? tCString::FromAnsi(use.name) : tCString();
            if (!use.name) {
                const int64_t position = directory.FindResourceById(id);
                for (int32_t i = 0; i < directory.GetCount() && position >= 0; ++i)
                    if (directory.GetEntry(i).position == position)
                        name = directory.GetEntry(i).name;
                if (name.IsEmpty()) {
                    faults.push_back(TagText(use.type) + " " + IdText(id) + " has no layout with a name");
                    continue;
                }
            }
            if (std::string fault = BuildThroughFactory(name, use.type, resources); !fault.empty())
                faults.push_back(fault);
        }
    }
    return faults;
}

std::vector<std::string> FindMissingResources(std::span<const tResourceUse> uses, tCStream& resources,
                                              const CResourceDirectory& directory, const tCStringTable& strings)
{
    std::vector<std::string> missing;
    for (const tResourceUse& use : uses) {
        const uint32_t count = use.name ? 1 : use.count;
        for (uint32_t id = use.id; id - use.id < count; ++id) {
            const std::string what = TagText(use.type) + " " + (use.name ? '"' + std::string(use.name) + '"' : IdText(id));
            if (use.type == kStringTableText) {
                if (!HasText(strings, id))
                    missing.push_back(what + " is missing");
                continue;
            }
            const int64_t position = use.name ? directory.FindResourceByName(tCString::FromAnsi(use.name))
                                              : directory.FindResourceById(id);
            if (position < 0)
                missing.push_back(what + " is missing");
            else if (const uint32_t tag = TagAt(resources, position); tag != use.type)
                missing.push_back(what + " is a " + TagText(tag));
        }
    }
    return missing;
}

std::vector<std::span<const tResourceUse>> AllResourceTables()
{
    return {kTextResources, kEngineResources, kShellResources, kPanelResources};
}
