#pragma once

#include "app/shell/ShellResources.h"
#include "toolkit/core/CTextList.h"
#include "app/panels/CPresetGrid.h"
#include "toolkit/core/ResourceUse.h"
#include "toolkit/imaging/CImageBase.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/text/tCFont.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CRoRectWidget.h"

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
// The colour picker's layout: root, handle, wheel with its mask and marker, strip with its
// marker, the two swatches, the shine checkbox, the mode button, the notice and the widget shown
// with it; the menu of the modes and the string naming it.
inline constexpr uint32_t kWgtColourPicker = 5000;
inline constexpr uint32_t kWgtColourPickerHandle = 5007;
inline constexpr uint32_t kWgtColourWheel = 5015;
inline constexpr uint32_t kImgColourWheelMask = 5016;
inline constexpr uint32_t kWgtColourWheelMarker = 5017;
inline constexpr uint32_t kWgtColourStrip = 5020;
inline constexpr uint32_t kWgtColourStripMarker = 5022;
inline constexpr uint32_t kWgtColourSwatch1 = 5030;
inline constexpr uint32_t kWgtColourShine = 5050;
inline constexpr uint32_t kWgtColourModeButton = 5052;
inline constexpr uint32_t kWgtColourSwatch2 = 5054;
inline constexpr uint32_t kWgtColourNotice = 5060;
inline constexpr uint32_t kWgtColourNoticeMark = 5070;
inline constexpr uint32_t kMenuColourModes = 6500;

// The floating colour: its root, the colour areas (a run of ids), the comparison bar, the drop
// target and the hand-off button.
inline constexpr uint32_t kWgtFloatingColour = 100600;
inline constexpr uint32_t kWgtFloatingAreaFirst = 100622;
inline constexpr uint32_t kWgtFloatingAreaCount = 5;
inline constexpr uint32_t kWgtFloatingComparison = 100630;
inline constexpr uint32_t kWgtFloatingDropTarget = 100640;
inline constexpr uint32_t kWgtFloatingHandOff = 100641;

// The swatch pane: its root, the two pieces of its background, its handle, its top button, the
// layout of one swatch place and the face every place shows.
inline constexpr uint32_t kWgtSwatches = 100850;
inline constexpr uint32_t kImgSwatchesCap = 100851;
inline constexpr uint32_t kImgSwatchesBase = 100852;
inline constexpr uint32_t kWgtSwatchesHandle = 100855;
inline constexpr uint32_t kWgtSwatchesTop = 100857;
inline constexpr uint32_t kWgtSwatchPlace = 100859;
inline constexpr uint32_t kImgSwatchFace = 100860;

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

// The tool picker: its root and handle, the first of its twelve tool-button places, the preview,
// the size buttons and the size label.
inline constexpr uint32_t kWgtToolPicker = 100700;
inline constexpr uint32_t kWgtToolPickerHandle = 100703;
inline constexpr uint32_t kWgtToolButtonFirst = 100731;
inline constexpr uint32_t kWgtToolButtonCount = 12;
inline constexpr uint32_t kWgtToolPreview = 100770;
inline constexpr uint32_t kWgtToolSizeUp = 100775;
inline constexpr uint32_t kWgtToolSizeDown = 100776;
inline constexpr uint32_t kWgtToolSizeLabel = 100779;

// The tool settings: the root, its handle and the two corners of its background.
inline constexpr uint32_t kWgtToolSettings = 100800;
inline constexpr uint32_t kWgtToolSettingsHandle = 100805;
inline constexpr uint32_t kImgToolSettingsCap = 100801;
inline constexpr uint32_t kImgToolSettingsBase = 100802;

// The clean-brush button: the root, the widget showing the brush, the brush's picture and the
// paint on it.
inline constexpr uint32_t kWgtCleanBrush = 900;
inline constexpr uint32_t kWgtCleanBrushPicture = 910;
inline constexpr uint32_t kImgCleanBrushPicture = 911;
inline constexpr uint32_t kImgCleanBrushMask = 912;

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

// The canvas navigation pane: its root, the frame with the handle, the bar, the thumbnail, the
// buttons (move, zoom, the spare one, rotate, tracing image with its label, menu), the frame
// images, the two labels of the tracing button (fields 0 and 1) and the menu.
inline constexpr uint32_t kWgtNavigation = 7000;
inline constexpr uint32_t kWgtNavigationFrame = 7001;
inline constexpr uint32_t kWgtNavigationHandle = 7010;
inline constexpr uint32_t kWgtNavigationBar = 7020;
inline constexpr uint32_t kWgtNavigationThumbnail = 7031;
inline constexpr uint32_t kWgtNavigationMove = 7055;
inline constexpr uint32_t kWgtNavigationZoom = 7056;
inline constexpr uint32_t kWgtNavigationSpare = 7070;
inline constexpr uint32_t kWgtNavigationRotate = 7071;
inline constexpr uint32_t kWgtNavigationTracing = 7092;
inline constexpr uint32_t kWgtNavigationTracingLabel = 7093;
inline constexpr uint32_t kWgtNavigationMenu = 7095;
inline constexpr uint32_t kImgNavigationFrame = 7002;
inline constexpr uint32_t kImgNavigationHandle = 7011;
inline constexpr uint32_t kImgNavigationBar = 7021;
inline constexpr uint32_t kStrNavigationTracing = 7093;
inline constexpr uint32_t kMenuNavigation = 7097;

// The tracing controls: the root, the frame with the close bar, the preview and the tracing
// image in it, the placement and load buttons (labelled by the texts of their ids), the opacity
// dial with its label, the column of the two drag buttons, and the placement menu.
inline constexpr uint32_t kWgtTracing = 10000;
inline constexpr uint32_t kWgtTracingFrame = 10001;
inline constexpr uint32_t kWgtTracingClose = 10002;
inline constexpr uint32_t kWgtTracingPreview = 10010;
inline constexpr uint32_t kWgtTracingPreviewImage = 10015;
inline constexpr uint32_t kWgtTracingPlacement = 100330;
inline constexpr uint32_t kWgtTracingLoad = 100331;
inline constexpr uint32_t kWgtTracingOpacity = 100335;
inline constexpr uint32_t kWgtTracingDragColumn = 100336;
inline constexpr uint32_t kWgtTracingDragMove = 100340;
inline constexpr uint32_t kWgtTracingDragScale = 100341;
inline constexpr uint32_t kStrTracingOpacity = 100753;
inline constexpr uint32_t kMenuTracingPlacement = 100321;

// The label of the confirm bar's right half; in the paper controls it takes the string-table
// text of its own id.
inline constexpr uint32_t kWgtConfirmBarApply = 100512;

inline constexpr tResourceUse kPanelResources[] = {
    // The preset grid's page and save buttons with their labels, and a preset's cell.
    {CImWidget::kType, CPresetGrid::kPreviousButton, 3},
    {kStringTableText, CPresetGrid::kPreviousButton, 3},
    {kWidgetTypePlain, CPresetGrid::kCellLayout},
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
    {kStringTableText, kStrErrPresetDelete},
    {kStringTableText, kStrErrTracingChoose},
    {kStringTableText, kStrErrTracingLoad},
    {kStringTableText, kStrColourNotice},
    {tCFont::kType, 0, 1, kFontColourNotice},
    {kStringTableText, kStrColourModeFirst, kStrColourModeCount},
    {kStringTableText, kStrMenuTracingColours},
    {CImWidget::kType, kWgtColourPicker},
    {CImWidget::kType, kWgtColourWheel},
    {CImageBase::kType, kImgColourWheelMask},
    {CImWidget::kType, kWgtColourStrip},
    {CCoWidget::kType, kWgtColourSwatch1},
    {CCoWidget::kType, kWgtColourSwatch2},
    {kWidgetTypePlain, kWgtColourNotice},
    {CTextList::kType, kMenuColourModes},
    {kStringTableText, kMenuColourModes},
    {kWidgetTypePlain, kWgtFloatingColour},
    {CImWidget::kType, kWgtFloatingComparison},
    {CImWidget::kType, kWgtSwatches},
    {CImageBase::kType, kImgSwatchesCap},
    {CImageBase::kType, kImgSwatchesBase},
    {CImageBase::kType, kImgSwatchFace},
    {CImWidget::kType, kWgtSwatchPlace},
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
    {kWidgetTypePlain, kWgtToolPicker},
    {kWidgetTypePlain, kWgtToolPickerHandle},
    {CRoRectWidget::kType, kWgtToolButtonFirst, kWgtToolButtonCount},
    {kWidgetTypePlain, kWgtToolPreview},
    {CRoRectWidget::kType, kWgtToolSizeUp},
    {CRoRectWidget::kType, kWgtToolSizeDown},
    {CTxWidget::kType, kWgtToolSizeLabel},
    {CImWidget::kType, kWgtToolSettings},
    {kWidgetTypePlain, kWgtToolSettingsHandle},
    {CImageBase::kType, kImgToolSettingsCap},
    {CImageBase::kType, kImgToolSettingsBase},
    {CImWidget::kType, kWgtCleanBrush},
    {CImWidget::kType, kWgtCleanBrushPicture},
    {CImageBase::kType, kImgCleanBrushPicture},
    {CImageBase::kType, kImgCleanBrushMask},
    {CImageBase::kType, kImgGrainFirst, kImgGrainCount},
    {kStringTableText, kWgtGrainCellFirst, kWgtGrainCellCount},
    {kStringTableText, kWgtConfirmBarApply},
    {CTxWidget::kType, kWgtConfirmBarApply},
    {CImWidget::kType, kWgtGrainPicker},
    {CCoWidget::kType, kWgtGrainPickerClose},
    {kWidgetTypePlain, kWgtGrainCellFirst, kWgtGrainCellCount},
    {kWidgetTypePlain, kWgtNavigation},
    {CImWidget::kType, kWgtNavigationFrame},
    {CImWidget::kType, kWgtNavigationHandle},
    {CImWidget::kType, kWgtNavigationBar},
    {CImWidget::kType, kWgtNavigationThumbnail},
    {CRoRectWidget::kType, kWgtNavigationMove},
    {CRoRectWidget::kType, kWgtNavigationZoom},
    {CCoWidget::kType, kWgtNavigationSpare},
    {CRoRectWidget::kType, kWgtNavigationRotate},
    {CRoRectWidget::kType, kWgtNavigationTracing},
    {CTxWidget::kType, kWgtNavigationTracingLabel},
    {CRoRectWidget::kType, kWgtNavigationMenu},
    {CImageBase::kType, kImgNavigationFrame},
    {CImageBase::kType, kImgNavigationHandle},
    {CImageBase::kType, kImgNavigationBar},
    {kStringTableText, kStrNavigationTracing},
    {CTextList::kType, kMenuNavigation},
    {kWidgetTypePlain, kWgtTracing},
    {CImWidget::kType, kWgtTracingFrame},
    {kWidgetTypePlain, kWgtTracingClose},
    {CCoWidget::kType, kWgtTracingPreview},
    {CImWidget::kType, kWgtTracingPreviewImage},
    {CImWidget::kType, kWgtTracingPlacement},
    {CImWidget::kType, kWgtTracingLoad},
    {kWidgetTypePlain, kWgtTracingOpacity},
    {kWidgetTypePlain, kWgtTracingDragColumn},
    {CRoRectWidget::kType, kWgtTracingDragMove},
    {CRoRectWidget::kType, kWgtTracingDragScale},
    {kStringTableText, kWgtTracingPlacement},
    {kStringTableText, kWgtTracingLoad},
    {kStringTableText, kStrTracingOpacity},
    {CTextList::kType, kMenuTracingPlacement},
};
