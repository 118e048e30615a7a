#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CFrameWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CMaskWidget.h"
#include "toolkit/widgets/CRoRectWidget.h"
#include "toolkit/widgets/CShadWidget.h"
#include "toolkit/widgets/WidgetFactory.h"

// Loads the file's widget resources (at most `most` of them) by name into widgets of their
// classes and builds each by name as well, handing every load's answer to `check`.
template <typename Check>
void LoadEveryWidget(tCStream* file, size_t most, Check check)
{
    std::vector<std::pair<uint32_t, tCString>> widgets;
    if (file->Rewind() != kResOk)
        return;
    while (!file->IsAtEnd() && widgets.size() < most) {
        tResourceChunk chunk;
        uint32_t id = 0;
        tCString name;
        if (ReadResourceChunkHeader(*file, &chunk) != kResOk ||
            ReadResourcePreamble(*file, chunk.payloadEnd, &id, &name) != kResOk)
            break;
        if (IsHierarchyWidgetType(chunk.tag))
            widgets.emplace_back(chunk.tag, name);
        if (file->SetPosition(chunk.payloadEnd) != kResOk)
            break;
    }
    for (const auto& [type, name] : widgets) {
        std::unique_ptr<CWidget> widget;
        if (type == CCoWidget::kType)
            widget = std::make_unique<CCoWidget>();
        else if (type == CBackdrop::kType)
            widget = std::make_unique<CBackdrop>();
        else if (type == CImWidget::kType)
            widget = std::make_unique<CImWidget>();
        else if (type == CMaskWidget::kType)
            widget = std::make_unique<CMaskWidget>();
        else if (type == CRoRectWidget::kType)
            widget = std::make_unique<CRoRectWidget>();
        else if (type == CShadWidget::kType)
            widget = std::make_unique<CShadWidget>();
        else if (type == CFrameWidget::kType)
            widget = std::make_unique<CFrameWidget>();
        else
            widget = std::make_unique<CWidget>();
        check(widget->LoadFromResourceName(name, file, nullptr));
        delete CreateWidgetByResourceName(name, file);
    }
}
