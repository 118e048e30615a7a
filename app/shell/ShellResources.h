#pragma once

#include "toolkit/core/CSound.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/core/ResourceUse.h"
#include "toolkit/imaging/CImageBase.h"
#include "toolkit/text/CTxEdWidget.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CMaskWidget.h"
#include "toolkit/widgets/CRoRectWidget.h"
#include "toolkit/widgets/CWidget.h"

// The resources and string-table texts that the application shell loads.

// Interface sounds: index i of the backdrop's sound list is resource kSndFirst + i.
inline constexpr uint32_t kSndFirst = 90000;
inline constexpr uint32_t kSndButtonReleased = 0;
inline constexpr uint32_t kSndQuietClick = 1;
inline constexpr uint32_t kSndPromptShown = 2;
inline constexpr uint32_t kSndSavePromptAnswered = 3;
inline constexpr uint32_t kSndCleanBrush = 4;

// Images: the panel frame that panes draw in nine slices, and the pictures that the backdrop's
// layouts place (the start-up picture, the clean view's hint, the cursors 130000 + cursor id).
inline constexpr uint32_t kImgPanelFrame = 4151;
// The frame that text fields draw in three slices across.
inline constexpr uint32_t kImgFieldFrame = 4132;
inline constexpr uint32_t kImgSplashPicture = 108210;
inline constexpr uint32_t kImgRestoreHint = 108220;
inline constexpr uint32_t kImgCursorFirst = 130000;
inline constexpr uint32_t kCursorSizeDrag = 31;
inline constexpr uint32_t kCursorPlain = 34;
inline constexpr uint32_t kCursorMove = 36;
inline constexpr uint32_t kCursorRotate = 37;
inline constexpr uint32_t kCursorZoom = 38;

// The main backdrop's layout, loaded by name, and the children the shell looks up in it: the
// painting view that the canvas draws into and the hint shown in the clean view.
inline constexpr char kWgtMainBackdropName[] = "Kostrel";
inline constexpr uint32_t kWgtPaintingView = 5;
inline constexpr uint32_t kWgtRestore = 3;
// The start-up splash, an image widget.
inline constexpr uint32_t kWgtSplash = 108201;
// Cursor c is the image widget of layout id c, whose position is the hotspot; ids kWgtCursorFirst
// to kWgtCursorLast are tried and missing ones skipped.
inline constexpr uint32_t kWgtCursorFirst = 30;
inline constexpr uint32_t kWgtCursorLast = 40;
// The edit part that every text field's layout holds.
inline constexpr uint32_t kWgtFieldEdit = 4131;
// The parts of every checkbox's layout, the check mark (an image list, entry 0 clear and 1
// ticked) and the label, shown in the pattern layout kWgtCheckbox.
inline constexpr uint32_t kWgtCheckbox = 4100;
inline constexpr uint32_t kWgtCheckMark = 4101;
inline constexpr uint32_t kWgtCheckLabel = 4105;

// The caption of the application's error report for result code c is text kStrReportCaptionFirst + c.
inline constexpr uint32_t kStrReportCaptionFirst = 110000;
inline constexpr uint32_t kStrReportCaptionCount = 32;

// The program, its files and its version.
inline constexpr uint32_t kStrProduct = 0xB2D05E00;
inline constexpr uint32_t kStrProjectTypeName = 0xB2D05E01;
inline constexpr uint32_t kStrProjectExtension = 0xB2D05E02;
inline constexpr uint32_t kStrNewPaintingName = 0xB2D05E05;
inline constexpr uint32_t kStrVersion = 0xB2D05E3A;
// Text variants: the one whose text equals kStrVariantCurrent's is in use.
inline constexpr uint32_t kStrVariantCurrent = 0xB2D05E31;
inline constexpr uint32_t kStrVariantFirst = 0xB2D05E32;
inline constexpr uint32_t kStrVariantCount = 7;

// Documents (":" separated paths under the program's folder) and web addresses.
inline constexpr uint32_t kStrHelpDocument = 0xB2D05E22;
inline constexpr uint32_t kStrProgramDocument = 0xB2D05E23;
inline constexpr uint32_t kStrWebAddress = 0xB2D05E20;
inline constexpr uint32_t kStrAboutWebAddress = 0xB2D05EE9;
inline constexpr uint32_t kStrUpdateDownloadAddress = 0xB2D05E1C;
// The update manifest's host and path, "|" separated.
inline constexpr uint32_t kStrUpdateManifest = 0xB2D05E47;

// Error texts.
inline constexpr uint32_t kStrErrQuitPrompt = 0xB2D05E0B;
inline constexpr uint32_t kStrErrPreferences = 0xB2D05E0D;
inline constexpr uint32_t kStrErrDocument = 0xB2D05E0E;
inline constexpr uint32_t kStrErrOpen = 0xB2D05E10;
inline constexpr uint32_t kStrErrOpenInvalid = 0xB2D05E11;
inline constexpr uint32_t kStrErrSave = 0xB2D05E0F;
// A painting handed over while the changes of the one shown could not be asked about.
inline constexpr uint32_t kStrErrOpenPrompt = 0xB2D05E13;
// A command that works on the painting while there is none (the memory refused the first one).
inline constexpr uint32_t kStrErrNoPainting = 0xB2D05E12;
inline constexpr uint32_t kStrErrTracingChoose = 0xB2D05E16;
inline constexpr uint32_t kStrErrTracingLoad = 0xB2D05E17;
inline constexpr uint32_t kStrErrOpenFile = 0xB2D05E18;
inline constexpr uint32_t kStrErrAboutWeb = 0xB2D05E1D;
inline constexpr uint32_t kStrErrWeb = 0xB2D05E21;
inline constexpr uint32_t kStrErrAbout = 0xB2D05E24;
inline constexpr uint32_t kStrErrExport = 0xB2D05E28;
inline constexpr uint32_t kStrErrImport = 0xB2D05E29;
inline constexpr uint32_t kStrErrFloatingColour = 0xB2D05E2C;
inline constexpr uint32_t kStrErrNewPainting = 0xB2D05E2D;
inline constexpr uint32_t kStrErrResize = 0xB2D05E2E;
inline constexpr uint32_t kStrErrTracingControls = 0xB2D05E4E;
inline constexpr uint32_t kStrErrPaperControls = 0xB2D05E4F;
inline constexpr uint32_t kStrErrUpdatePane = 0xB2D05EDE;
inline constexpr uint32_t kStrErrUndoStopped = 0xB2D05E0C;

// Popup menus: the separator entry and the names of the shortcut keys.
inline constexpr uint32_t kStrMenuSeparator = 0xB2D05E57;
inline constexpr uint32_t kStrKeyControl = 0xB2D05E58;
inline constexpr uint32_t kStrKeyShift = 0xB2D05E59;
inline constexpr uint32_t kStrKeyAlt = 0xB2D05E5A;

// Menu bar entries, each the label of its entry.
inline constexpr uint32_t kStrMenuNew = 0xB2D05E65;
inline constexpr uint32_t kStrMenuOpen = 0xB2D05E66;
inline constexpr uint32_t kStrMenuSave = 0xB2D05E67;
inline constexpr uint32_t kStrMenuSaveAs = 0xB2D05E68;
inline constexpr uint32_t kStrMenuExport = 0xB2D05E69;
inline constexpr uint32_t kStrMenuNewFromImage = 0xB2D05E6A;
inline constexpr uint32_t kStrMenuPrint = 0xB2D05E6B;
inline constexpr uint32_t kStrMenuQuit = 0xB2D05E6D;
inline constexpr uint32_t kStrMenuUndo = 0xB2D05E6E;
inline constexpr uint32_t kStrMenuRedo = 0xB2D05E6F;
inline constexpr uint32_t kStrMenuSounds = 0xB2D05E73;
inline constexpr uint32_t kStrMenuTransitions = 0xB2D05E74;
inline constexpr uint32_t kStrMenuPlainCursor = 0xB2D05E75;
inline constexpr uint32_t kStrMenuFullScreen = 0xB2D05E76;
inline constexpr uint32_t kStrMenuClassicTablet = 0xB2D05E77;
inline constexpr uint32_t kStrMenuResetTool = 0xB2D05E79;
inline constexpr uint32_t kStrMenuHelp = 0xB2D05E7D;
inline constexpr uint32_t kStrMenuAbout = 0xB2D05E7E;
inline constexpr uint32_t kStrMenuUpdates = 0xB2D05E7F;
inline constexpr uint32_t kStrMenuWeb = 0xB2D05E80;
inline constexpr uint32_t kStrMenuReadMe = 0xB2D05E81;
inline constexpr uint32_t kStrMenuTracingLoad = 0xB2D05E94;
inline constexpr uint32_t kStrMenuTracingRemove = 0xB2D05E95;
inline constexpr uint32_t kStrMenuTracingShow = 0xB2D05E96;
inline constexpr uint32_t kStrMenuResetRotation = 0xB2D05E9F;
inline constexpr uint32_t kStrMenuActualSize = 0xB2D05EA0;
inline constexpr uint32_t kStrMenuCentre = 0xB2D05EA1;
inline constexpr uint32_t kStrMenuLayerDelete = 0xB2D05EC1;
inline constexpr uint32_t kStrMenuLayerMergeDown = 0xB2D05EC3;
inline constexpr uint32_t kStrMenuLayerFlatten = 0xB2D05EC4;
inline constexpr uint32_t kStrMenuLayerPaper = 0xB2D05EC5;
inline constexpr uint32_t kStrMenuLayerClear = 0xB2D05EC7;
inline constexpr uint32_t kStrMenuTracingControls = 0xB2D05ED8;

// Texts of the shell's panes and controls.
inline constexpr uint32_t kStrPercentUnit = 0xB2D05E19;
inline constexpr uint32_t kStrBusyTitle = 0xB2D05EDB;
inline constexpr uint32_t kStrProgressOpening = 0xB2D05EDC;
inline constexpr uint32_t kStrProgressSaving = 0xB2D05EDD;
inline constexpr uint32_t kStrUpdateFooterClose = 0xB2D05E08;
inline constexpr uint32_t kStrUpdateKeyword = 0xB2D05EDF;
// Field 0 goes before the program's name, field 1 after the release's title.
inline constexpr uint32_t kStrUpdateNewer = 0xB2D05EE0;
inline constexpr uint32_t kStrUpdateCurrent = 0xB2D05EE1;
inline constexpr uint32_t kStrUpdateChecking = 0xB2D05EE2;
inline constexpr uint32_t kStrUpdateFailed = 0xB2D05EE3;
inline constexpr uint32_t kStrUpdateCheckingBody = 0xB2D05EE4;
inline constexpr uint32_t kStrUpdateFailedBody = 0xB2D05EE5;
inline constexpr uint32_t kStrUpdateFooterReport = 0xB2D05EE6;

// Free buttons, on-off switches and percentage dials: the faces of a free button and its label,
// a switch's title, button and texts, a dial's value box, label and value text.
inline constexpr uint32_t kImgButtonFace = 4121;
inline constexpr uint32_t kImgButtonFaceLit = 4122;
inline constexpr uint32_t kWgtFreeButton = 4120;
inline constexpr uint32_t kWgtFreeButtonLabel = 4123;
inline constexpr uint32_t kWgtSwitch = 4160;
inline constexpr uint32_t kWgtSwitchTitle = 4161;
inline constexpr uint32_t kWgtSwitchButton = 4162;
inline constexpr uint32_t kTxlSwitchStates = 4163;
inline constexpr uint32_t kWgtDial = 4140;
inline constexpr uint32_t kWgtDialValueBox = 4141;
inline constexpr uint32_t kWgtDialLabel = 4143;
inline constexpr uint32_t kWgtDialValue = 4144;
// Popup menus: the layer, a menu's frame and its image, an item with its parts, a separator.
inline constexpr uint32_t kWgtMenuLayer = 6000;
inline constexpr uint32_t kWgtMenuFrame = 6001;
inline constexpr uint32_t kImgMenuFrame = 6002;
inline constexpr uint32_t kWgtMenuItem = 6010;
inline constexpr uint32_t kWgtMenuItemLabel = 6011;
inline constexpr uint32_t kWgtMenuItemShortcut = 6012;
inline constexpr uint32_t kWgtMenuItemArrowRight = 6013;
inline constexpr uint32_t kWgtMenuItemArrowLeft = 6015;
inline constexpr uint32_t kWgtMenuItemCheck = 6017;
inline constexpr uint32_t kWgtMenuSeparator = 6030;

// The about pane: its root (an image widget that takes the blurred picture of the window), the
// picture on the left, the two extras of a lucky showing, and the six framed panels of the column
// with the texts the code fills: the title's text, the two columns of facts (marks 1121 to 1124
// beside values 1125 to 1128), the note, the web link and the story's text, and the close panel.
inline constexpr uint32_t kWgtAboutPane = 1100;
inline constexpr uint32_t kWgtAboutPicture = 1101;
inline constexpr uint32_t kWgtAboutExtra = 1102;
inline constexpr uint32_t kWgtAboutExtraText = 1104;
inline constexpr uint32_t kWgtAboutTitle = 1110;
inline constexpr uint32_t kWgtAboutTitleText = 1111;
inline constexpr uint32_t kWgtAboutFacts = 1120;
inline constexpr uint32_t kWgtAboutFactMarkFirst = 1121;
inline constexpr uint32_t kWgtAboutFactFirst = 1125;
inline constexpr uint32_t kAboutFactCount = 4;
inline constexpr uint32_t kWgtAboutNote = 1130;
inline constexpr uint32_t kWgtAboutWeb = 1140;
inline constexpr uint32_t kWgtAboutStory = 1150;
inline constexpr uint32_t kWgtAboutStoryText = 1154;
inline constexpr uint32_t kWgtAboutClose = 1160;
inline constexpr uint32_t kImgAboutBadge = 1103;
inline constexpr uint32_t kImgAboutPicture = 1105;

// The busy pane: its root (an image widget framed by the panel frame), its message and the
// spinner's picture.
inline constexpr uint32_t kWgtBusyPane = 106000;
inline constexpr uint32_t kWgtBusyText = 106001;
inline constexpr uint32_t kImgBusySpinner = 106002;

// The progress pane: its root (an image widget framed by the panel frame), the title and percent
// texts, the bar's track and the bar, with the pictures of track and bar.
inline constexpr uint32_t kWgtProgressPane = 106500;
inline constexpr uint32_t kWgtProgressTitle = 106501;
inline constexpr uint32_t kWgtProgressPercent = 106502;
inline constexpr uint32_t kWgtProgressTrack = 106510;
inline constexpr uint32_t kImgProgressTrack = 106511;
inline constexpr uint32_t kWgtProgressBar = 106512;
inline constexpr uint32_t kImgProgressBar = 106513;

// The update pane: its root, the text area that carries the glow (front effect 1) and the close
// bar's light (front effect 2), the headline, the note template, the footer, the close bar, the
// two widgets shown for a note holding the keyword, and the link button.
inline constexpr uint32_t kWgtUpdatePane = 107000;
inline constexpr uint32_t kWgtUpdateTextArea = 107001;
inline constexpr uint32_t kWgtUpdateHeadline = 107010;
inline constexpr uint32_t kWgtUpdateNote = 107012;
inline constexpr uint32_t kWgtUpdateFooter = 107013;
inline constexpr uint32_t kWgtUpdateClose = 107020;
inline constexpr uint32_t kWgtUpdateKeywordMark = 107030;
inline constexpr uint32_t kWgtUpdateKeywordText = 107031;
inline constexpr uint32_t kWgtUpdateLink = 107040;

// The menu bar: its root (an image widget composed from the two ends and the centre), the handle,
// the title list whose entry ids are the menus' ids, a title with its text, a separator; the
// window buttons' holders and buttons, the zoom group with its steps, display and entry field,
// and the undo and redo group with its holders and buttons. Their icons are masks.
inline constexpr uint32_t kWgtMenuBar = 8000;
inline constexpr uint32_t kImgMenuBarLeft = 8001;
inline constexpr uint32_t kImgMenuBarRight = 8002;
inline constexpr uint32_t kImgMenuBarCentre = 8003;
inline constexpr uint32_t kWgtMenuBarHandle = 8010;
inline constexpr uint32_t kTxlMenuTitles = 8020;
inline constexpr uint32_t kWgtMenuTitle = 8022;
inline constexpr uint32_t kWgtMenuTitleText = 8023;
inline constexpr uint32_t kWgtMenuBarSeparator = 8024;
inline constexpr uint32_t kWgtHolderClose = 8047;
inline constexpr uint32_t kWgtHolderMaximise = 8048;
inline constexpr uint32_t kWgtHolderMinimise = 8049;
inline constexpr uint32_t kWgtButtonClose = 8051;
inline constexpr uint32_t kWgtButtonMaximise = 8052;
inline constexpr uint32_t kWgtButtonMinimise = 8053;
inline constexpr uint32_t kWgtZoomGroup = 8060;
inline constexpr uint32_t kWgtZoomOut = 8062;
inline constexpr uint32_t kWgtZoomIn = 8063;
inline constexpr uint32_t kWgtZoomDisplay = 8070;
inline constexpr uint32_t kWgtZoomEntry = 8072;
inline constexpr uint32_t kWgtUndoGroup = 8080;
inline constexpr uint32_t kWgtUndoHolder = 8081;
inline constexpr uint32_t kWgtRedoHolder = 8082;
inline constexpr uint32_t kWgtButtonUndo = 8083;
inline constexpr uint32_t kWgtButtonRedo = 8084;
inline constexpr uint32_t kWgtZoomText = 8071;
// The menus: the four that titles open, and the tools, settings and layer menus within them.
inline constexpr uint32_t kTxlMenuFile = 8040;
inline constexpr uint32_t kTxlMenuEdit = 8041;
inline constexpr uint32_t kTxlMenuView = 8042;
inline constexpr uint32_t kTxlMenuHelp = 8045;
inline constexpr uint32_t kTxlMenuTools = 8043;
inline constexpr uint32_t kTxlMenuSettings = 8091;
inline constexpr uint32_t kTxlMenuLayer = 9035;

inline constexpr tResourceUse kShellResources[] = {
    {CSound::kType, kSndFirst + kSndButtonReleased},
    {CSound::kType, kSndFirst + kSndQuietClick},
    {CSound::kType, kSndFirst + kSndPromptShown},
    {CSound::kType, kSndFirst + kSndSavePromptAnswered},
    {CSound::kType, kSndFirst + kSndCleanBrush},
    {CImageBase::kType, kImgPanelFrame},
    {CImageBase::kType, kImgSplashPicture},
    {CImageBase::kType, kImgRestoreHint},
    {CImageBase::kType, kImgCursorFirst + kCursorSizeDrag},
    {CImageBase::kType, kImgCursorFirst + kCursorPlain},
    {CImageBase::kType, kImgCursorFirst + kCursorMove},
    {CImageBase::kType, kImgCursorFirst + kCursorRotate},
    {CImageBase::kType, kImgCursorFirst + kCursorZoom},
    {CBackdrop::kType, 0, 1, kWgtMainBackdropName},
    {kWidgetTypePlain, kWgtPaintingView},
    {CImWidget::kType, kWgtRestore},
    {CImWidget::kType, kWgtSplash},
    {CImWidget::kType, kCursorSizeDrag},
    {CImWidget::kType, kCursorPlain},
    {CImWidget::kType, kCursorMove},
    {CImWidget::kType, kCursorRotate},
    {CImWidget::kType, kCursorZoom},
    {CImageBase::kType, kImgFieldFrame},
    {CTxEdWidget::kType, kWgtFieldEdit},
    {CCoWidget::kType, kWgtCheckbox},
    {CImWidget::kType, kWgtCheckMark},
    {CTxWidget::kType, kWgtCheckLabel},
    {kStringTableText, kStrReportCaptionFirst, kStrReportCaptionCount},
    {kStringTableText, kStrProduct},
    {kStringTableText, kStrProjectTypeName},
    {kStringTableText, kStrProjectExtension},
    {kStringTableText, kStrNewPaintingName},
    {kStringTableText, kStrVersion},
    {kStringTableText, kStrVariantCurrent},
    {kStringTableText, kStrVariantFirst, kStrVariantCount},
    {kStringTableText, kStrHelpDocument},
    {kStringTableText, kStrProgramDocument},
    {kStringTableText, kStrWebAddress},
    {kStringTableText, kStrAboutWebAddress},
    {kStringTableText, kStrUpdateDownloadAddress},
    {kStringTableText, kStrUpdateManifest},
    {kStringTableText, kStrErrQuitPrompt},
    {kStringTableText, kStrErrPreferences},
    {kStringTableText, kStrErrDocument},
    {kStringTableText, kStrErrOpen},
    {kStringTableText, kStrErrOpenInvalid},
    {kStringTableText, kStrErrSave},
    {kStringTableText, kStrErrOpenPrompt},
    {kStringTableText, kStrErrNoPainting},
    {kStringTableText, kStrErrTracingChoose},
    {kStringTableText, kStrErrTracingLoad},
    {kStringTableText, kStrErrOpenFile},
    {kStringTableText, kStrErrAboutWeb},
    {kStringTableText, kStrErrWeb},
    {kStringTableText, kStrErrAbout},
    {kStringTableText, kStrErrExport},
    {kStringTableText, kStrErrImport},
    {kStringTableText, kStrErrFloatingColour},
    {kStringTableText, kStrErrNewPainting},
    {kStringTableText, kStrErrResize},
    {kStringTableText, kStrErrTracingControls},
    {kStringTableText, kStrErrPaperControls},
    {kStringTableText, kStrErrUpdatePane},
    {kStringTableText, kStrErrUndoStopped},
    {kStringTableText, kStrMenuSeparator},
    {kStringTableText, kStrKeyControl},
    {kStringTableText, kStrKeyShift},
    {kStringTableText, kStrKeyAlt},
    {kStringTableText, kStrMenuNew},
    {kStringTableText, kStrMenuOpen},
    {kStringTableText, kStrMenuSave},
    {kStringTableText, kStrMenuSaveAs},
    {kStringTableText, kStrMenuExport},
    {kStringTableText, kStrMenuNewFromImage},
    {kStringTableText, kStrMenuPrint},
    {kStringTableText, kStrMenuQuit},
    {kStringTableText, kStrMenuUndo},
    {kStringTableText, kStrMenuRedo},
    {kStringTableText, kStrMenuSounds},
    {kStringTableText, kStrMenuTransitions},
    {kStringTableText, kStrMenuPlainCursor},
    {kStringTableText, kStrMenuFullScreen},
    {kStringTableText, kStrMenuClassicTablet},
    {kStringTableText, kStrMenuResetTool},
    {kStringTableText, kStrMenuHelp},
    {kStringTableText, kStrMenuAbout},
    {kStringTableText, kStrMenuUpdates},
    {kStringTableText, kStrMenuWeb},
    {kStringTableText, kStrMenuReadMe},
    {kStringTableText, kStrMenuTracingLoad},
    {kStringTableText, kStrMenuTracingRemove},
    {kStringTableText, kStrMenuTracingShow},
    {kStringTableText, kStrMenuResetRotation},
    {kStringTableText, kStrMenuActualSize},
    {kStringTableText, kStrMenuCentre},
    {kStringTableText, kStrMenuLayerDelete},
    {kStringTableText, kStrMenuLayerMergeDown},
    {kStringTableText, kStrMenuLayerFlatten},
    {kStringTableText, kStrMenuLayerPaper},
    {kStringTableText, kStrMenuLayerClear},
    {kStringTableText, kStrMenuTracingControls},
    {kStringTableText, kStrPercentUnit},
    {kStringTableText, kStrBusyTitle},
    {kStringTableText, kStrProgressOpening},
    {kStringTableText, kStrProgressSaving},
    {kStringTableText, kStrUpdateFooterClose},
    {kStringTableText, kStrUpdateKeyword},
    {kStringTableText, kStrUpdateNewer},
    {kStringTableText, kStrUpdateCurrent},
    {kStringTableText, kStrUpdateChecking},
    {kStringTableText, kStrUpdateFailed},
    {kStringTableText, kStrUpdateCheckingBody},
    {kStringTableText, kStrUpdateFailedBody},
    {kStringTableText, kStrUpdateFooterReport},
    {CImageBase::kType, kImgButtonFace},
    {CImageBase::kType, kImgButtonFaceLit},
    {CImWidget::kType, kWgtFreeButton},
    {CTxWidget::kType, kWgtFreeButtonLabel},
    {kWidgetTypePlain, kWgtSwitch},
    {CTxWidget::kType, kWgtSwitchTitle},
    {CImWidget::kType, kWgtSwitchButton},
    {CTextList::kType, kTxlSwitchStates},
    {kWidgetTypePlain, kWgtDial},
    {CCoWidget::kType, kWgtDialValueBox},
    {CTxWidget::kType, kWgtDialLabel},
    {CTxWidget::kType, kWgtDialValue},
    {kWidgetTypePlain, kWgtMenuLayer},
    {CImWidget::kType, kWgtMenuFrame},
    {CImageBase::kType, kImgMenuFrame},
    {CCoWidget::kType, kWgtMenuItem},
    {CTxWidget::kType, kWgtMenuItemLabel},
    {CTxWidget::kType, kWgtMenuItemShortcut},
    {CImWidget::kType, kWgtMenuItemArrowRight},
    {CImWidget::kType, kWgtMenuItemArrowLeft},
    {CImWidget::kType, kWgtMenuItemCheck},
    {CCoWidget::kType, kWgtMenuSeparator},
    {CImWidget::kType, kWgtProgressPane},
    {CTxWidget::kType, kWgtProgressTitle},
    {CTxWidget::kType, kWgtProgressPercent},
    {CImWidget::kType, kWgtProgressTrack},
    {CImageBase::kType, kImgProgressTrack},
    {CImWidget::kType, kWgtProgressBar},
    {CImageBase::kType, kImgProgressBar},
    {CImWidget::kType, kWgtUpdatePane},
    {CCoWidget::kType, kWgtUpdateTextArea},
    {CTxWidget::kType, kWgtUpdateHeadline},
    {CTxWidget::kType, kWgtUpdateNote},
    {CTxWidget::kType, kWgtUpdateFooter},
    {CCoWidget::kType, kWgtUpdateClose},
    {CRoRectWidget::kType, kWgtUpdateKeywordMark},
    {CTxWidget::kType, kWgtUpdateKeywordText},
    {CRoRectWidget::kType, kWgtUpdateLink},
    {CImWidget::kType, kWgtMenuBar},
    {CImageBase::kType, kImgMenuBarLeft},
    {CImageBase::kType, kImgMenuBarRight},
    {CImageBase::kType, kImgMenuBarCentre},
    {kWidgetTypePlain, kWgtMenuBarHandle},
    {CTextList::kType, kTxlMenuTitles},
    {CCoWidget::kType, kWgtMenuTitle},
    {CTxWidget::kType, kWgtMenuTitleText},
    {kWidgetTypePlain, kWgtMenuBarSeparator},
    {kWidgetTypePlain, kWgtHolderClose},
    {kWidgetTypePlain, kWgtHolderMaximise},
    {kWidgetTypePlain, kWgtHolderMinimise},
    {CMaskWidget::kType, kWgtButtonClose},
    {CMaskWidget::kType, kWgtButtonMaximise},
    {CMaskWidget::kType, kWgtButtonMinimise},
    {kWidgetTypePlain, kWgtZoomGroup},
    {CCoWidget::kType, kWgtZoomOut},
    {CCoWidget::kType, kWgtZoomIn},
    {CRoRectWidget::kType, kWgtZoomDisplay},
    {CTxWidget::kType, kWgtZoomText},
    {CTxEdWidget::kType, kWgtZoomEntry},
    {kWidgetTypePlain, kWgtUndoGroup},
    {kWidgetTypePlain, kWgtUndoHolder},
    {kWidgetTypePlain, kWgtRedoHolder},
    {CMaskWidget::kType, kWgtButtonUndo},
    {CMaskWidget::kType, kWgtButtonRedo},
    {CTextList::kType, kTxlMenuFile},
    {CTextList::kType, kTxlMenuEdit},
    {CTextList::kType, kTxlMenuView},
    {CTextList::kType, kTxlMenuHelp},
    {CTextList::kType, kTxlMenuTools},
    {CTextList::kType, kTxlMenuSettings},
    {CTextList::kType, kTxlMenuLayer},
    {CImWidget::kType, kWgtBusyPane},
    {CTxWidget::kType, kWgtBusyText},
    {CImageBase::kType, kImgBusySpinner},
    {CImWidget::kType, kWgtAboutPane},
    {CImWidget::kType, kWgtAboutPicture},
    {CImWidget::kType, kWgtAboutExtra},
    {CTxWidget::kType, kWgtAboutExtraText},
    {CImWidget::kType, kWgtAboutTitle},
    {CTxWidget::kType, kWgtAboutTitleText},
    {CImWidget::kType, kWgtAboutFacts},
    {CRoRectWidget::kType, kWgtAboutFactMarkFirst, kAboutFactCount},
    {CTxWidget::kType, kWgtAboutFactFirst, kAboutFactCount},
    {CImWidget::kType, kWgtAboutNote},
    {CImWidget::kType, kWgtAboutWeb},
    {CImWidget::kType, kWgtAboutStory},
    {CTxWidget::kType, kWgtAboutStoryText},
    {CImWidget::kType, kWgtAboutClose},
    {CImageBase::kType, kImgAboutBadge},
    {CImageBase::kType, kImgAboutPicture},
};
