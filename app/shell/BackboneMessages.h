#pragma once

#include <cstdint>

#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ProjectFile.h"
#include "paint/tools/ToolMessages.h"

// The messages the controller (CHMRBackbone) answers itself or sends. In each, a is the sender
// and b the argument: a value, or a pointer through which a value goes in (apply) or out
// (report). Codes it shares with the canvas, the project file and the tools are theirs: the
// colour (kMsgColourChanged), the new painting (kMsgNewProject), the modified mark
// (kMsgPaintingModified), the tracing image and mode (kMsgTracingImage, kMsgTracingMode), the
// pick of a tool (kMsgPickTool), no tool (kMsgDropCurrentTool) and a tool's reset
// (kMsgToolReset).

// The controller's set-up: the canvas, the tools and the renderer.
inline constexpr uint32_t kMsgInitialise = 0xFF000001u;
// b = CProjectInfo*: a save to the record's file, an open of it.
inline constexpr uint32_t kMsgSaveProject = 0xFF000003u;
inline constexpr uint32_t kMsgOpenProject = 0xFF000004u;
// Report: the address of the controller's project record into b = CProjectInfo**.
inline constexpr uint32_t kMsgProjectRecord = 0xFF000005u;
// b = tCFPath* of the image file to write the painting into, or 0: the save dialog asks.
inline constexpr uint32_t kMsgExportImage = 0xFF000006u;
inline constexpr uint32_t kMsgUndo = 0xFF000007u;
inline constexpr uint32_t kMsgRedo = 0xFF000008u;
// With b and c both 0: print the painting.
inline constexpr uint32_t kMsgPrint = 0xFF000009u;
// Through b = uint32_t*: the modified word.
inline constexpr uint32_t kMsgModifiedWord = 0xFF00000Eu;
// From the canvas after a stroke or an applied paint step; b = the layer index.
inline constexpr uint32_t kMsgStrokeDone = 0xFF000011u;
// Through b = uint32_t*: the current tool's clean-brush switch.
inline constexpr uint32_t kMsgCleanBrush = 0xFF000012u;
// The current tool reloads the paint colour.
inline constexpr uint32_t kMsgReloadColour = 0xFF000013u;
// Report: the paint colour into b = uint32_t*.
inline constexpr uint32_t kMsgPaintColour = 0xFF000014u;
// Through b = float*: the pressure-response setting.
inline constexpr uint32_t kMsgPressureResponse = 0xFF000027u;
// Through b = float*: the current tool's common property.
inline constexpr uint32_t kMsgCommonProperty = 0xFF000028u;
// Report: the current tool's id (0 for none) into b = uint32_t*.
inline constexpr uint32_t kMsgCurrentToolId = 0xFF000038u;
// b = a signed layer index (negative: the current layer): the message goes to that layer.
inline constexpr uint32_t kMsgToLayer = 0xFF001006u;
// Sent to the controller itself with b = the canvas (0 before the old canvas goes).
inline constexpr uint32_t kMsgCanvasReplaced = 0xFF001007u;
// Report: the address of the tool list into b = const tCArray<CToolBase*>**.
inline constexpr uint32_t kMsgToolList = 0xFF00103Du;
// Report: whether the current tool uses the clean-brush switch, into b = uint32_t*.
inline constexpr uint32_t kMsgUsesCleanBrush = 0xFF001041u;
// Through b = uint32_t*: the pen input's cursor-position preference.
inline constexpr uint32_t kMsgCursorPosition = 0xFF001042u;
// Through b = float*: the value kept beside the paint colour.
inline constexpr uint32_t kMsgColourChannel = 0xFF001043u;
// b = tCStream*: a colour-list file saved to it or loaded from it.
inline constexpr uint32_t kMsgSaveColourList = 0xFF001044u;
inline constexpr uint32_t kMsgLoadColourList = 0xFF001045u;
// Through b = ColourListEntry*: an entry of the colour list.
inline constexpr uint32_t kMsgColourListEntry = 0xFF001046u;
// Report: the colour-list count into b = uint32_t*.
inline constexpr uint32_t kMsgColourListCount = 0xFF001047u;
// b = an index: that entry leaves the list; all ones empties it.
inline constexpr uint32_t kMsgRemoveColourListEntry = 0xFF001048u;
// b = CellMapResize*: the painting resized.
inline constexpr uint32_t kMsgResizePainting = 0xFF00104Au;
// Report into b = uint32_t*: whether a step can be undone, redone.
inline constexpr uint32_t kMsgCanUndo = 0xFF00104Bu;
inline constexpr uint32_t kMsgCanRedo = 0xFF00104Cu;
// Sent to the backdrop after a new painting, a save and an open: the title is rebuilt.
inline constexpr uint32_t kMsgProjectChanged = 0xFF001057u;

// The texts the controller reports a failed resize with and compares versions against.
inline constexpr uint32_t kStrResizeFailed = 0xB2D05E2Eu;
inline constexpr uint32_t kStrProgramVersion = 0xB2D05E3Au;
