#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "FuzzApplication.h"
#include "fuzz/FuzzFile.h"
#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

// The text library started before the application, so that the text widgets find their fonts
// (the machine's: the fuzz application's resource file holds none).
struct tTextSetUp {
    tTextSetUp()
    {
        InstallTextLibraryHooks();
        RegisterTextWidgets();
    }
};

// The names of the file's first widget resources, whatever else the file holds.
std::vector<tCString> WidgetResources(tCStream* file, size_t most)
{
    std::vector<tCString> widgets;
    if (file->Rewind() != kResOk)
        return widgets;
    while (!file->IsAtEnd() && widgets.size() < most) {
        tResourceChunk chunk;
        if (ReadResourceChunkHeader(*file, &chunk) != kResOk)
            break;
        uint32_t id = 0;
        tCString name;
        if (IsHierarchyWidgetType(chunk.tag) && ReadResourcePreamble(*file, chunk.payloadEnd, &id, &name) == kResOk)
            widgets.push_back(name);
        if (file->SetPosition(chunk.payloadEnd) != kResOk)
            break;
    }
    return widgets;
}

// What a user does to a field: typing over the selection, moving, deleting, copying.
void Edit(CTxEdWidget* field)
{
    (void)field->SelectAll(0);
    (void)field->InsertChar(u'x');
    (void)field->MoveCaretByKey(-256);
    (void)field->DeleteChar(1);
    (void)field->SetCaretPos(0, 1, 0);
    (void)field->DeleteChar(0);
}

}  // namespace

// Fontconfig keeps what it found about the machine's fonts for the life of the process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// Reads the input as a resource file and builds its first widgets by name through the factory,
// the text, text-on-image and edit widgets among them; the edit fields that load are edited.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static tTextSetUp setUp;
    static CFuzzApplication application("text-widgets-fuzz-", {});
    static ErrorBoxRecorder boxes;
    const CFuzzFile input(data, size);
    tCFile file;
    if (!input.Open(&file))
        return 0;
    for (const tCString& name : WidgetResources(&file, 8)) {
        std::unique_ptr<CWidget> widget(CreateWidgetByResourceName(name, &file));
        if (widget && widget->GetWidgetType() == CTxEdWidget::kType)
            Edit(static_cast<CTxEdWidget*>(widget.get()));
    }
    return 0;
}
