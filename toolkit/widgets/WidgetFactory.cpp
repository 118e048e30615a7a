#include "toolkit/widgets/WidgetFactory.h"

#include "toolkit/core/CAppBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/FourCC.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CFrameWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CMaskWidget.h"
#include "toolkit/widgets/CRoRectWidget.h"
#include "toolkit/widgets/CShadWidget.h"
#include "toolkit/widgets/CWidget.h"

namespace {

template <typename T>
CWidget* MakeByName(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidget<T>(name, file, directory);
}

struct tCreatorRow {
    uint32_t type;
    const char* failure;
    tWidgetCreator creator;
};

tCreatorRow gCreators[] = {
    {MakeFourCC("cowg"), "Widget Constructor cowidget create failed.", &MakeByName<CCoWidget>},
    {MakeFourCC("bkdp"), "Widget Constructor backdrop create failed.", &MakeByName<CBackdrop>},
    {MakeFourCC("fmwg"), "Widget Constructor framewidget create failed.", &MakeByName<CFrameWidget>},
    {MakeFourCC("mkwg"), "Widget Constructor maskwidget create failed.", &MakeByName<CMaskWidget>},
    {MakeFourCC("imwg"), "Widget Constructor imwidget create failed.", &MakeByName<CImWidget>},
    {MakeFourCC("rrwg"), "Widget Constructor rorectwidget create failed.", &MakeByName<CRoRectWidget>},
    {MakeFourCC("tewg"), "Widget Constructor txedwidget create failed.", nullptr},
    {MakeFourCC("shwg"), "Widget Constructor shadwidget create failed.", &MakeByName<CShadWidget>},
    {MakeFourCC("txwg"), "Widget Constructor txwidget create failed.", nullptr},
    {MakeFourCC("wdgt"), "Widget Constructor widget create failed.", &MakeByName<CWidget>},
    {MakeFourCC("tiwg"), "Widget Constructor tximwidget create failed.", nullptr},
};

tCreatorRow* FindRow(uint32_t type)
{
    for (tCreatorRow& row : gCreators)
        if (row.type == type)
            return &row;
    return nullptr;
}

tCStream* ApplicationFile()
{
    CAppBase* application = GetApplication();
    return application ? application->GetResourceFile() : nullptr;
}

// The tag of the first widget resource named `name`, searched from the start of the file: 1 and
// the tag on a match, 0 when there is none, or a read error (reported).
int32_t FindWidgetResource(tCStream* file, const tCString& name, uint32_t* type)
{
    tResult result = file->Rewind();
    while (result == kResOk && !file->IsAtEnd()) {
        tResourceChunk chunk;
        result = ReadResourceChunkHeader(*file, &chunk);
        if (result == kResOk && IsHierarchyWidgetType(chunk.tag)) {
            uint32_t id = 0;
            tCString found;
            result = ReadResourcePreamble(*file, chunk.payloadEnd, &id, &found);
            if (result == kResOk && found == name) {
                *type = chunk.tag;
                return 1;
            }
        }
        if (result == kResOk)
            result = file->SetPosition(chunk.payloadEnd);
    }
    if (result == kResOk)
        return 0;
    ReportResult(result, "Widget construct input error");
    return -1;
}

}  // namespace

tResult SetWidgetCreator(uint32_t type, tWidgetCreator creator)
{
    tCreatorRow* row = FindRow(type);
    if (!row)
        return kResBadParam;
    row->creator = creator;
    return kResOk;
}

bool IsHierarchyWidgetType(uint32_t type)
{
    return FindRow(type) != nullptr;
}

CWidget* CreateWidgetFromHierarchy(const tCString& name, uint32_t type, CWidget* parent, tCStream* file)
{
    if (name.IsEmpty()) {
        ReportResult(kResBadParam, "No res name in widget constructor.");
        return nullptr;
    }
    const tCreatorRow* row = FindRow(type);
    if (!row || !row->creator) {
        ReportResult(kResCreateFailed, "Unrecognised type in widget constructor.");
        return nullptr;
    }
    CWidget* widget = row->creator(name, file, nullptr);
    if (!widget) {
        ReportResult(kResCreateFailed, row->failure);
        return nullptr;
    }
    if (parent) {
        const tResult added = parent->AddChild(widget, 0);
        if (added != kResOk) {
            ReportResult(added, "Widget Constructor parent add failed.");
            // A child that could not be added is not in the parent's array: it is ours to delete.
            delete widget;
            return nullptr;
        }
    }
    return widget;
}

CWidget* CreateWidgetByResourceName(const tCString& name, tCStream* file)
{
    if (!file)
        file = ApplicationFile();
    if (!file)
        return nullptr;
    if (name.IsEmpty()) {
        ReportResult(kResBadParam, "No res name in widget constructor.");
        return nullptr;
    }
    uint32_t type = 0;
    if (FindWidgetResource(file, name, &type) != 1)
        return nullptr;
    if (file->Rewind() != kResOk)
        return nullptr;
    return CreateWidgetFromHierarchy(name, type, nullptr, file);
}

CWidget* CreateWidgetFromRes(uint32_t id, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidgetById<CWidget>(id, file, directory);
}

CWidget* CreateWidgetFromResName(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidget<CWidget>(name, file, directory);
}
