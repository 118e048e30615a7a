#include "ResourceUseCheck.h"

#include <cstdio>

#include "app/panels/PanelResources.h"
#include "app/shell/ShellResources.h"
#include "paint/engine/EngineResources.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/core/tCStringTable.h"

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

}  // namespace

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
    return {kEngineResources, kShellResources, kPanelResources};
}
