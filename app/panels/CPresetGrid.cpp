#include "app/panels/CPresetGrid.h"

#include <new>

#include "app/panels/CPaperPanel.h"
#include "app/panels/PanelFrame.h"
#include "app/panels/PanelResources.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/controls/CKS2FreeButton.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/CKS2PopupMenu.h"
#include "app/shell/panes/IPaneHost.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/CProxyCanvas.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/core/FileDialogs.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/core/FileProbes.h"
#include "toolkit/core/tCFTypeList.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCFRelative.h"
#include "toolkit/core/tCFolderRef.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidgetLayout.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

bool IsMissing(const tCString& text)
{
    return text.GetAt(0) == u'%';
}

void Report(tResult code, const tCString& text)
{
    if (CAppBase* app = GetApplication())
        (void)app->ReportError(code, text);
}

CKS2Button* CellButton(CWidget* cell)
{
    return dynamic_cast<CKS2Button*>(cell->GetUserObject(0));
}

}  // namespace

CPresetGrid::~CPresetGrid()
{
    Clear();
    // A cell's button goes before its cell, whose widgets it is hooked to.
    for (CWidget* cell : m_cells) {
        delete cell->GetUserObject(0);
        cell->SetUserObject(0, nullptr);
    }
    for (CKS2FreeButton* button : m_pageButtons)
        delete button;
    delete m_thumbnailCanvas;
}

tResult CPresetGrid::Build(CWidget* root, tCCmdTarget* pane)
{
    m_root = root;
    m_pane = pane;
    m_panel = root ? root->FindWidgetById(kPanel) : nullptr;
    if (!m_panel)
        return kResResourceNotFound;
    PlacePreview();
    for (uint32_t id : {kPreviousButton, kNextButton, kSaveButton}) {
        CWidget* widget = m_panel->FindWidgetById(id);
        if (!widget)
            continue;
        auto* button = new (std::nothrow) CKS2FreeButton;
        if (button && button->Attach(widget, pane, 0, int32_t(id)) == kResOk && m_pageButtons.Add(button) == kResOk)
            continue;
        delete button;
    }
    return kResOk;
}

void CPresetGrid::PlacePreview()
{
    // The panel's preview is the cells' thumbnail layout stretched across the panel's foot.
    CWidget* preview = GetPreview();
    if (!preview)
        return;
    CWidgetLayout* layout = preview->GetLayout();
    layout->x = float(kPreviewInset);
    layout->y = float(kPreviewFromBottom);
    layout->yFromBottom = 1;
    layout->width = float(kPreviewInset * 2);
    layout->widthInset = 1;
    (void)preview->LayoutFromParent(0);
}

CWidget* CPresetGrid::GetPreview() const
{
    for (int32_t i = 0; m_panel && i < m_panel->GetChildCount(); ++i)
        if (m_panel->GetChild(i)->GetId() == kCellThumbnail)
            return m_panel->GetChild(i);
    return nullptr;
}

CKS2Control* CPresetGrid::GetPageButton(uint32_t id) const
{
    for (CKS2FreeButton* button : m_pageButtons)
        if (button->GetControlId() == int32_t(id))
            return button;
    return nullptr;
}

tResult CPresetGrid::Load()
{
    const tCString folderText = ApplicationText(kStrPresetsFolder);
    if (IsMissing(folderText)) {
        Report(kResCreateFailed, ApplicationText(kStrErrPresetsFolder));
        return kResOk;
    }
    tCFolderRef folder;
    if (folder.SetFromAppFolder(folderText, kFolderBase) != kResOk || !AppSubfolderExists(folderText, kFolderBase) ||
        !IsFolderPath(folder)) {
        (void)CreateFolderPath(folderText, kFolderBase);
        return kResOk;
    }
    tCArray<tCFRef*> files{tCArray<tCFRef*>::kAutoGrowth};
    if (ListFolderFiles(folder, &files, nullptr) != kResOk) {
        for (tCFRef* file : files)
            delete file;
        Report(kResCreateFailed, ApplicationText(kStrErrPresetsFolder));
        return kResOk;
    }
    for (tCFRef* file : files)
        AddPreset(file);
    return kResOk;
}

void CPresetGrid::AddPreset(tCFRef* file)
{
    tCFile stream;
    auto* info = new (std::nothrow) CCanvasInfo;
    const bool read = info && OpenFileAtPath(&stream, *file, tCFile::kAccessRead) == kResOk && info->LoadPreset(&stream) == kResOk;
    if (read && m_presets.Add({info, file}) == kResOk)
        return;
    delete info;
    delete file;
}

void CPresetGrid::Clear()
{
    for (tListedPreset& preset : m_presets) {
        delete preset.info;
        delete preset.file;
    }
    m_presets.SetCount(0);
}

const CCanvasInfo* CPresetGrid::GetPreset(int32_t index) const
{
    return m_presets.IsValidIndex(index) ? m_presets[index].info : nullptr;
}

const tCFRef* CPresetGrid::GetPresetFile(int32_t index) const
{
    return m_presets.IsValidIndex(index) ? m_presets[index].file : nullptr;
}

tResult CPresetGrid::Fit(int32_t rows)
{
    if (rows < 1)
        rows = 1;
    for (int32_t row = m_cells.GetCount() / kColumns; row < rows; ++row)
        TK_TRY(AddRow(row));
    while (m_cells.GetCount() / kColumns > rows)
        for (int32_t column = 0; column < kColumns; ++column)
            DropLastCell();
    return kResOk;
}

tResult CPresetGrid::AddRow(int32_t row)
{
    const int32_t left = (m_panel->GetWidth() - kGridWidth) / 2;
    const int32_t top = kFirstRowTop + row * kRowPitch;
    for (int32_t column = 0; column < kColumns; ++column) {
        CWidget* cell = CreateWidgetFromRes(kCellLayout, nullptr, nullptr);
        if (!cell)
            return kResCreateFailed;
        if (const tResult added = m_panel->AddChild(cell, 0); added != kResOk) {
            delete cell;
            return added;
        }
        if (const tResult listed = m_cells.Add(cell); listed != kResOk) {
            m_panel->DeleteChild(cell, 0);
            return listed;
        }
        cell->SetUserData(0, uint32_t(row));
        cell->SetUserData(1, uint32_t(column));
        cell->SetPosition(left + column * kColumnPitch, top, 0);
        auto* button = new (std::nothrow) CKS2Button;
        if (!button)
            return kResCreateFailed;
        if (const tResult attached = button->Attach(cell->FindWidgetById(kCellButton), m_pane, 0, int32_t(kCellButton));
            attached != kResOk) {
            delete button;
            return attached;
        }
        cell->SetUserObject(0, button);
    }
    return kResOk;
}

void CPresetGrid::DropLastCell()
{
    CWidget* cell = m_cells[m_cells.GetCount() - 1];
    delete cell->GetUserObject(0);
    cell->SetUserObject(0, nullptr);
    (void)m_cells.RemoveAt(m_cells.GetCount() - 1);
    m_panel->DeleteChild(cell, 0);
}

tResult CPresetGrid::MakeThumbnailCanvas()
{
    delete m_thumbnailCanvas;
    m_thumbnailCanvas = nullptr;
    return MakePreviewCanvas(kThumbnailWidth, kThumbnailHeight, &m_thumbnailCanvas);
}

tResult CPresetGrid::ShowPage(uint32_t redraw)
{
    const int32_t first = m_page * m_cells.GetCount();
    for (int32_t i = 0; i < m_cells.GetCount(); ++i) {
        CWidget* cell = m_cells[i];
        const CCanvasInfo* preset = GetPreset(first + i);
        // An empty cell shows nothing: its picture would be the one an earlier page drew there.
        for (uint32_t part : {kCellThumbnail, kCellName, kCellButton})
            if (CWidget* widget = cell->FindWidgetById(part))
                widget->SetVisible(preset ? 1 : 0, 0);
        CWidget* name = cell->FindWidgetById(kCellName);
        if (!preset)
            continue;
        (void)DrawThumbnail(cell, *preset);
        if (auto* label = dynamic_cast<CTxWidget*>(name))
            (void)label->SetText(preset->name, 1, 0);
    }
    UpdatePageButtons(redraw);
    return kResOk;
}

tResult CPresetGrid::DrawThumbnail(CWidget* cell, const CCanvasInfo& preset)
{
    CLayer* layer = m_thumbnailCanvas && m_thumbnailCanvas->GetLayerCount() > 0 ? m_thumbnailCanvas->GetLayer(0) : nullptr;
    auto* thumbnail = dynamic_cast<CImWidget*>(cell->FindWidgetById(kCellThumbnail));
    if (!layer || !thumbnail)
        return kResOk;
    TK_TRY(layer->ApplyCanvasInfo(&preset));
    TK_TRY(thumbnail->DecompressImage());
    const tCFPoint start{float(thumbnail->GetWidth() / 2 + CPaperPanel::kCrayonOffset), 0.0f};
    TK_TRY(m_thumbnailCanvas->DrawCrayonSample(start, thumbnail->GetImage(), CPaperPanel::kCrayonColour));
    return thumbnail->Invalidate(0);
}

void CPresetGrid::UpdatePageButtons(uint32_t redraw)
{
    const int32_t perPage = m_cells.GetCount();
    for (CKS2FreeButton* button : m_pageButtons) {
        if (button->GetControlId() == int32_t(kPreviousButton))
            (void)button->SetEnabled(m_page != 0 ? 1 : 0, 1, 0);
        else if (button->GetControlId() == int32_t(kNextButton))
            (void)button->SetEnabled(m_presets.GetCount() > (m_page + 1) * perPage ? 1 : 0, 1, 0);
    }
    if (redraw && m_root)
        m_root->PresentDirtyRects();
}

bool CPresetGrid::Owns(const CKS2Control* control) const
{
    for (CKS2FreeButton* button : m_pageButtons)
        if (button == control)
            return true;
    for (CWidget* cell : m_cells)
        if (control && CellButton(cell) == control)
            return true;
    return false;
}

int32_t CPresetGrid::PresetIndexOf(const CKS2Control* control) const
{
    for (int32_t i = 0; i < m_cells.GetCount(); ++i)
        if (control && CellButton(m_cells[i]) == control)
            return i + m_page * m_cells.GetCount();
    return -1;
}

bool CPresetGrid::OnClicked(CKS2Control* control, CCanvasInfo* info, bool* applied)
{
    *applied = false;
    switch (control ? uint32_t(control->GetControlId()) : 0) {
    case kPreviousButton:
        if (m_page != 0) {
            --m_page;
            (void)ShowPage(1);
        }
        return true;
    case kNextButton:
        if (m_presets.GetCount() > (m_page + 1) * m_cells.GetCount()) {
            ++m_page;
            (void)ShowPage(1);
        }
        return true;
    case kSaveButton:
        (void)SavePreset(info);
        return true;
    case kCellButton:
        *applied = ApplyPreset(PresetIndexOf(control), info);
        return true;
    default:
        return false;
    }
}

bool CPresetGrid::ApplyPreset(int32_t index, CCanvasInfo* info) const
{
    const CCanvasInfo* preset = GetPreset(index);
    if (!preset || !info)
        return false;
    *info = *preset;
    return true;
}

tResult CPresetGrid::OnRightClicked(CKS2Control* control, tCCmdTarget* pane)
{
    if (!control || control->GetControlId() != int32_t(kCellButton))
        return kResOk;
    const int32_t index = PresetIndexOf(control);
    auto* backdrop = dynamic_cast<CHMRBackdrop*>(GetMainBackdropWidget());
    CKS2PopupManager* popups = backdrop ? backdrop->GetPopupManager() : nullptr;
    if (index < 0 || !popups || !GetApplication())
        return kResOk;
    // The menu opens where the button came up: the click is handled before its release.
    tCPoint point = CButtonPress::GetPointer(1);
    backdrop->ScreenToLocalPoint(&point);
    return popups->ShowPopup(pane, kMenu, index, point, 0, nullptr, nullptr);
}

tResult CPresetGrid::OnPopupItem(tMsgArg popup, uint32_t item)
{
    auto* backdrop = dynamic_cast<CHMRBackdrop*>(GetMainBackdropWidget());
    CKS2PopupManager* popups = backdrop ? backdrop->GetPopupManager() : nullptr;
    const CKS2PopupMenu* menu = nullptr;
    for (int32_t i = 0; popups && i < popups->GetPopupCount(); ++i)
        if (ToMsgArg(popups->GetPopup(i)) == popup)
            menu = popups->GetPopup(i);
    if (!menu || menu->GetResourceId() != int32_t(kMenu) || item != kMenuDelete)
        return kResOk;
    return DeletePreset(popups->GetAnchorId());
}

tResult CPresetGrid::DeletePreset(int32_t index)
{
    const tCFRef* file = GetPresetFile(index);
    if (!file)
        return kResOk;
    const tResult result = PathFileExists(*file) ? DeletePathFile(*file) : kResFileIO;
    if (result != kResOk) {
        Report(result, ApplicationText(kStrErrPresetDelete).Concat(file->GetPathText()));
        return kResOk;
    }
    delete m_presets[index].info;
    delete m_presets[index].file;
    (void)m_presets.RemoveAt(index);
    return ShowPage(1);
}

tResult CPresetGrid::SavePreset(CCanvasInfo* info)
{
    if (!info)
        return kResOk;
    tCString name = ApplicationText(kStrPresetNewName);
    if (IsMissing(name))
        name = u"Canvas";
    const tCString extension = ApplicationText(kStrPresetExtension);
    name = name.Concat(extension);
    tCFRef path(tCFRelative(ApplicationText(kStrPresetsFolder).Concat(name), kFolderBase).GetPathText());
    tCFTypeList types;
    types.AddCustomType(0, ApplicationText(kStrPresetTypeName), extension, kUnknownFourCC);
    const tResult asked = AskSavePath(path, &types);
    if (asked == kResHandled)
        return kResOk;
    tResult result = asked;
    if (result == kResOk) {
        info->name = path.GetName();
        result = info->SavePresetFile(path);
    }
    if (result != kResOk) {
        Report(result, ApplicationText(kStrErrPresetSave));
        return kResOk;
    }
    Clear();
    (void)Load();
    TK_TRY(Fit(m_cells.GetCount() / kColumns));
    return ShowPage(1);
}
