#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "FuzzApplication.h"
#include "fuzz/FuzzFile.h"
#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/text/CTableWidget.h"
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

struct tWidgetResource {
    tCString name;
    uint32_t type = 0;
};

// The names of the file's first widget and table resources, whatever else the file holds.
std::vector<tWidgetResource> WidgetResources(tCStream* file, size_t most)
{
    std::vector<tWidgetResource> widgets;
    if (file->Rewind() != kResOk)
        return widgets;
    while (!file->IsAtEnd() && widgets.size() < most) {
        tResourceChunk chunk;
        if (ReadResourceChunkHeader(*file, &chunk) != kResOk)
            break;
        uint32_t id = 0;
        tCString name;
        const bool widget = IsHierarchyWidgetType(chunk.tag) || chunk.tag == CTableWidget::kType;
        if (widget && ReadResourcePreamble(*file, chunk.payloadEnd, &id, &name) == kResOk)
            widgets.push_back({name, chunk.tag});
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

// What an owner does to a table: rows and columns of both kinds, cells, selection, scrolling.
void Fill(CTableWidget* table)
{
    (void)table->SetSize(120, 50, 0);
    (void)table->AddColumn(40, 0, 0);
    for (int32_t row = 0; row < 6; ++row) {
        (void)table->AddRow(0);
        (void)table->SetCellText(row, 1, u"cell", 0);
    }
    (void)table->SelectRow(2, 0);
    (void)table->ScrollToBottom(0);
    (void)table->SetRowHeight(9, 0);
    (void)table->DeleteRow(0, 0);
}

}  // namespace

// Fontconfig keeps what it found about the machine's fonts for the life of the process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// Reads the input as a resource file and builds its first widgets by name through the factory,
// the text, text-on-image and edit widgets among them; the edit fields that load are edited.
// Tables, which no hierarchy builds, are loaded by name and filled.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static tTextSetUp setUp;
    static CFuzzApplication application("text-widgets-fuzz-", {});
    static ErrorBoxRecorder boxes;
    const CFuzzFile input(data, size);
    tCFile file;
    if (!input.Open(&file))
        return 0;
    for (const auto& [name, type] : WidgetResources(&file, 8)) {
        if (type == CTableWidget::kType) {
            CTableWidget table;
            if (table.LoadFromResourceName(name, &file, nullptr) == kResOk)
                Fill(&table);
            continue;
        }
        std::unique_ptr<CWidget> widget(CreateWidgetByResourceName(name, &file));
        if (widget && widget->GetWidgetType() == CTxEdWidget::kType)
            Edit(static_cast<CTxEdWidget*>(widget.get()));
    }
    return 0;
}
