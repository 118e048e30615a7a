#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCFRef.h"

class CCanvasInfo;
class CKS2Control;
class CKS2FreeButton;
class CProxyCanvas;
class CWidget;

// The canvas presets of the presets folder as the full-window paper panes show them: a grid of
// cells in the preset panel, three to a row, each with a thumbnail of the preset's paper under
// a crayon stroke and the preset's name, one page at a time, with previous, next and save
// buttons and a menu that deletes a preset's file. Each preset keeps the file it was listed
// from, so that deleting it removes exactly that file. The grid owns the presets, the page
// buttons and the thumbnail canvas; the cells belong to the panel, each owning its button.
class CPresetGrid {
public:
    static constexpr uint32_t kPanel = 100720;
    static constexpr uint32_t kPreviousButton = 100710;
    static constexpr uint32_t kNextButton = 100711;
    static constexpr uint32_t kSaveButton = 100712;
    static constexpr uint32_t kCellLayout = 100714;
    static constexpr uint32_t kCellThumbnail = 100743;
    static constexpr uint32_t kCellName = 100744;
    static constexpr uint32_t kCellButton = 100746;
    static constexpr uint32_t kMenu = 100747;
    static constexpr uint32_t kMenuDelete = 0xB2D05ED6;
    static constexpr int32_t kColumns = 3;
    static constexpr int32_t kFirstRowTop = 18;
    static constexpr int32_t kRowPitch = 108;
    static constexpr int32_t kColumnPitch = 130;
    static constexpr int32_t kGridWidth = 390;
    static constexpr int32_t kThumbnailWidth = 120;
    static constexpr int32_t kThumbnailHeight = 82;
    // The panel's preview: 20 pixels in from either side, its top 99 pixels above the panel's foot.
    static constexpr int32_t kPreviewInset = 20;
    static constexpr int32_t kPreviewFromBottom = 99;
    // The presets folder lies below the second base folder.
    static constexpr uint32_t kFolderBase = 1;

    CPresetGrid() = default;
    ~CPresetGrid();
    CPresetGrid(const CPresetGrid&) = delete;
    CPresetGrid& operator=(const CPresetGrid&) = delete;

    // Finds the panel in `root` and attaches the page and save buttons that its layout has to
    // `pane`; 22 without the panel.
    tResult Build(CWidget* root, tCCmdTarget* pane);

    // Reads every file of the presets folder that holds a preset, in listing order, creating
    // the folder when it is missing; failures are reported, unreadable files skipped.
    tResult Load();
    void Clear();
    // Makes or removes cells until the grid has `rows` rows (at least one); 24 when a cell
    // cannot be made, else the failure of adding it or attaching its button.
    tResult Fit(int32_t rows);
    // Fills the cells from the page's presets and sets the page buttons.
    tResult ShowPage(uint32_t redraw);
    void UpdatePageButtons(uint32_t redraw);
    // A new 120 x 82 thumbnail canvas; 24 or the set-up's failure.
    tResult MakeThumbnailCanvas();

    // A click on a control of the grid: paging, saving `info` as a preset, or copying the
    // clicked cell's preset into `info` (then `applied` is set). False for other controls.
    bool OnClicked(CKS2Control* control, CCanvasInfo* info, bool* applied);
    // A right click on a cell's button opens the preset menu answering `pane`.
    tResult OnRightClicked(CKS2Control* control, tCCmdTarget* pane);
    // The preset menu's choice (`popup` one of the popup manager's menus); other menus' choices
    // are not the grid's.
    tResult OnPopupItem(tMsgArg popup, uint32_t item);

    // Copies preset `index` into `info`; false when there is no such preset.
    bool ApplyPreset(int32_t index, CCanvasInfo* info) const;
    // Deletes the file the preset was listed from; the preset leaves the list when it is gone.
    tResult DeletePreset(int32_t index);
    // Asks for a file and writes `info` there as a preset named after the file, then lists the
    // folder again.
    tResult SavePreset(CCanvasInfo* info);

    int32_t GetPresetCount() const { return m_presets.GetCount(); }
    const CCanvasInfo* GetPreset(int32_t index) const;
    const tCFRef* GetPresetFile(int32_t index) const;
    int32_t GetCellCount() const { return m_cells.GetCount(); }
    CWidget* GetCell(int32_t index) const { return m_cells.GetAt(index); }
    int32_t GetPage() const { return m_page; }
    void SetPage(int32_t page) { m_page = page; }
    CWidget* GetPanel() const { return m_panel; }
    CKS2Control* GetPageButton(uint32_t id) const;
    // Whether the control is a page button or a cell's button of the grid.
    bool Owns(const CKS2Control* control) const;
    // The panel's own preview (not a cell's thumbnail), or null.
    CWidget* GetPreview() const;
    // The index of the preset shown by the cell whose button is `control`, or -1.
    int32_t PresetIndexOf(const CKS2Control* control) const;

private:
    struct tListedPreset {
        CCanvasInfo* info = nullptr;
        tCFRef* file = nullptr;
    };

    void PlacePreview();
    tResult AddRow(int32_t row);
    void DropLastCell();
    tResult DrawThumbnail(CWidget* cell, const CCanvasInfo& preset);
    void AddPreset(tCFRef* file);

    CWidget* m_root = nullptr;
    CWidget* m_panel = nullptr;
    tCCmdTarget* m_pane = nullptr;
    tCArray<tListedPreset> m_presets{tCArray<tListedPreset>::kAutoGrowth};
    tCArray<CWidget*> m_cells{tCArray<CWidget*>::kAutoGrowth};
    tCArray<CKS2FreeButton*> m_pageButtons{tCArray<CKS2FreeButton*>::kAutoGrowth};
    int32_t m_page = 0;
    CProxyCanvas* m_thumbnailCanvas = nullptr;
};
