#pragma once

#include "app/shell/ShellResources.h"
#include "toolkit/core/ResourceUse.h"
#include "toolkit/imaging/CImageBase.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/text/tCFont.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CImWidget.h"

// The resources and string-table texts that the painting panels and dialogs load. Texts that the
// shell loads too keep their names from app/shell/ShellResources.h.

// Tool icons, masks that the tool picker and the navigation pane tint: 100000 + tool id.
inline constexpr uint32_t kImgToolIconFirst = 104900;
inline constexpr uint32_t kImgToolIconCount = 16;

// Tool property names; the id of a property is the id of its text.
inline constexpr uint32_t kStrPropertyPressure = 0xB2D05EA3;
inline constexpr uint32_t kStrPropertyThinners = 0xB2D05EA4;
inline constexpr uint32_t kStrPropertyPaintLoad = 0xB2D05EA5;
inline constexpr uint32_t kStrPropertySoftness = 0xB2D05EA6;
inline constexpr uint32_t kStrPropertyInkFlow = 0xB2D05EA7;
inline constexpr uint32_t kStrPropertyBluntness = 0xB2D05EA9;
inline constexpr uint32_t kStrPropertyCleanBrush = 0xB2D05EAE;
inline constexpr uint32_t kStrPropertyDryBrush = 0xB2D05EAF;
inline constexpr uint32_t kStrPropertyReset = 0xB2D05EB0;
inline constexpr uint32_t kStrPropertyOneSided = 0xB2D05EB1;

// The new-painting pane and its canvas presets.
inline constexpr uint32_t kStrTracingRemove = 0xB2D05E25;
inline constexpr uint32_t kStrTracingNone = 0xB2D05E26;
// The tracing image button's label while no image is chosen.
inline constexpr uint32_t kStrTracingChoose = 0xB2D05E27;
inline constexpr uint32_t kStrPresetsFolder = 0xB2D05E3E;
inline constexpr uint32_t kStrPresetNewName = 0xB2D05E3F;
inline constexpr uint32_t kStrPresetExtension = 0xB2D05E41;
inline constexpr uint32_t kStrPresetTypeName = 0xB2D05E42;
inline constexpr uint32_t kStrMenuPresetDelete = 0xB2D05ED6;
inline constexpr uint32_t kStrErrPresetSave = 0xB2D05E2A;
inline constexpr uint32_t kStrErrPresetsFolder = 0xB2D05E2B;
inline constexpr uint32_t kStrErrNewPainting = 0xB2D05E2D;
// The path of the preset follows the text directly.
inline constexpr uint32_t kStrErrPresetDelete = 0xB2D05E51;

// The colour picker: its notice (two lines as fields 0 and 1) and its six modes from
// kStrColourModeFirst + mode.
inline constexpr uint32_t kStrColourNotice = 0xB2D05E52;
inline constexpr uint32_t kStrColourModeFirst = 0xB2D05E5B;
inline constexpr uint32_t kStrColourModeCount = 6;
inline constexpr uint32_t kStrMenuTracingColours = 0xB2D05E97;
// The face the notice is set in.
inline constexpr char kFontColourNotice[] = "KS2_Kabel";

// The tracing pane's placement menu: modes from kStrMenuPlacementFirst + mode, then the reset.
inline constexpr uint32_t kStrMenuPlacementFirst = 0xB2D05E99;
inline constexpr uint32_t kStrMenuPlacementCount = 5;
inline constexpr uint32_t kStrMenuPlacementReset = 0xB2D05E9E;

// The navigation pane's layer menu.
inline constexpr uint32_t kStrMenuTracingPaint = 0xB2D05EDA;

// Other pane texts and failures.
inline constexpr uint32_t kStrSizePromptTitle = 0xB2D05EB4;
inline constexpr uint32_t kStrErrNavigation = 0xB2D05E4A;
inline constexpr uint32_t kStrErrToolSettings = 0xB2D05E50;
inline constexpr uint32_t kStrErrSwatch = 0xB2D05EBE;

// The text prompt's layout: the root, its title, the widget of its edit field and its buttons.
inline constexpr uint32_t kWgtTextPrompt = 101000;
inline constexpr uint32_t kWgtTextPromptTitle = 101005;
inline constexpr uint32_t kWgtTextPromptField = 101006;
inline constexpr uint32_t kWgtTextPromptOk = 101015;
inline constexpr uint32_t kWgtTextPromptCancel = 101016;
// The numeric entry: its root, OK and cancel buttons and the widget of its dial.
inline constexpr uint32_t kWgtNumberPrompt = 105000;
inline constexpr uint32_t kWgtNumberPromptOk = 105010;
inline constexpr uint32_t kWgtNumberPromptCancel = 105011;
inline constexpr uint32_t kWgtNumberPromptDial = 105020;

// The save prompt's layout: the root and its three buttons, save, do not save and cancel.
inline constexpr uint32_t kWgtSavePrompt = 1000;
inline constexpr uint32_t kWgtSavePromptSave = 1031;
inline constexpr uint32_t kWgtSavePromptDoNotSave = 1032;
inline constexpr uint32_t kWgtSavePromptCancel = 1033;

// The grain picker: its root, its close area and its three cells, each holding the grain's image,
// its label (the string-table text of the cell's id) and the button over it. Cell i shows grain
// image kImgGrainFirst + i, whose resource name is the texture name a choice reports.
inline constexpr uint32_t kWgtGrainPicker = 100950;
inline constexpr uint32_t kWgtGrainPickerClose = 100957;
inline constexpr uint32_t kWgtGrainCellFirst = 100960;
inline constexpr uint32_t kWgtGrainCellCount = 3;
inline constexpr uint32_t kWgtGrainCellImage = 100743;
inline constexpr uint32_t kWgtGrainCellLabel = 100744;
inline constexpr uint32_t kWgtGrainCellButton = 100746;
inline constexpr uint32_t kImgGrainFirst = 80;
inline constexpr uint32_t kImgGrainCount = 3;

// The label of the confirm bar's right half; in the paper controls it takes the string-table
// text of its own id.
inline constexpr uint32_t kWgtConfirmBarApply = 100512;

inline constexpr tResourceUse kPanelResources[] = {
    {CImageBase::kType, kImgPanelFrame},
    {CImageBase::kType, kImgToolIconFirst, kImgToolIconCount},
    {kStringTableText, kStrPropertyPressure},
    {kStringTableText, kStrPropertyThinners},
    {kStringTableText, kStrPropertyPaintLoad},
    {kStringTableText, kStrPropertySoftness},
    {kStringTableText, kStrPropertyInkFlow},
    {kStringTableText, kStrPropertyBluntness},
    {kStringTableText, kStrPropertyCleanBrush},
    {kStringTableText, kStrPropertyDryBrush},
    {kStringTableText, kStrPropertyReset},
    {kStringTableText, kStrPropertyOneSided},
    {kStringTableText, kStrNewPaintingName},
    {kStringTableText, kStrTracingRemove},
    {kStringTableText, kStrTracingNone},
    {kStringTableText, kStrTracingChoose},
    {kStringTableText, kStrPresetsFolder},
    {kStringTableText, kStrPresetNewName},
    {kStringTableText, kStrPresetExtension},
    {kStringTableText, kStrPresetTypeName},
    {kStringTableText, kStrMenuPresetDelete},
    {kStringTableText, kStrErrPresetSave},
    {kStringTableText, kStrErrPresetsFolder},
    {kStringTableText, kStrErrNewPainting},
    {kStringTableText, kStrErrPresetDelete},
    {kStringTableText, kStrErrTracingChoose},
    {kStringTableText, kStrErrTracingLoad},
    {kStringTableText, kStrColourNotice},
    {tCFont::kType, 0, 1, kFontColourNotice},
    {kStringTableText, kStrColourModeFirst, kStrColourModeCount},
    {kStringTableText, kStrMenuTracingColours},
    {kStringTableText, kStrMenuPlacementFirst, kStrMenuPlacementCount},
    {kStringTableText, kStrMenuPlacementReset},
    {kStringTableText, kStrMenuTracingLoad},
    {kStringTableText, kStrMenuTracingRemove},
    {kStringTableText, kStrMenuTracingShow},
    {kStringTableText, kStrMenuTracingControls},
    {kStringTableText, kStrMenuTracingPaint},
    {kStringTableText, kStrMenuLayerDelete},
    {kStringTableText, kStrMenuLayerMergeDown},
    {kStringTableText, kStrMenuLayerFlatten},
    {kStringTableText, kStrMenuLayerPaper},
    {kStringTableText, kStrMenuLayerClear},
    {kStringTableText, kStrSizePromptTitle},
    {kStringTableText, kStrErrNavigation},
    {kStringTableText, kStrErrToolSettings},
    {kStringTableText, kStrErrSwatch},
    {kStringTableText, kStrErrTracingControls},
    {kStringTableText, kStrErrPaperControls},
    {CImWidget::kType, kWgtTextPrompt},
    {CTxWidget::kType, kWgtTextPromptTitle},
    {CImWidget::kType, kWgtTextPromptField},
    {kWidgetTypePlain, kWgtTextPromptOk},
    {kWidgetTypePlain, kWgtTextPromptCancel},
    {CImWidget::kType, kWgtNumberPrompt},
    {kWidgetTypePlain, kWgtNumberPromptOk},
    {kWidgetTypePlain, kWgtNumberPromptCancel},
    {kWidgetTypePlain, kWgtNumberPromptDial},
    {CImWidget::kType, kWgtSavePrompt},
    {kWidgetTypePlain, kWgtSavePromptSave},
    {kWidgetTypePlain, kWgtSavePromptDoNotSave},
    {kWidgetTypePlain, kWgtSavePromptCancel},
    {CImageBase::kType, kImgGrainFirst, kImgGrainCount},
    {kStringTableText, kWgtGrainCellFirst, kWgtGrainCellCount},
    {kStringTableText, kWgtConfirmBarApply},
    {CTxWidget::kType, kWgtConfirmBarApply},
    {CImWidget::kType, kWgtGrainPicker},
    {CCoWidget::kType, kWgtGrainPickerClose},
    {kWidgetTypePlain, kWgtGrainCellFirst, kWgtGrainCellCount},
};
