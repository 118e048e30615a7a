#pragma once

#include <cstdint>

// A project file is the narrow banner line kProjectBanner, a narrow creator line (the product's
// name, or one of the two names of the earlier format), each ended by CR LF, the u32 version
// kProjectVersion, then tagged chunks to the end of the file. Chunks of the current format, in
// the order they are written:
inline constexpr uint32_t kTagProjectHeader = 0xFF003002u;       // UTF-16 name, NUL, i32 width, i32 height
inline constexpr uint32_t kTagProjectPreview = 0xFF003081u;      // PNG within 200 x 200
inline constexpr uint32_t kTagToolSettings = 0xFF003082u;        // one tool's settings record
inline constexpr uint32_t kTagPaintColour = 0xFF003003u;         // u32 ARGB
inline constexpr uint32_t kTagPaintValue = 0xFF00308Eu;          // f32 kept beside the colour
inline constexpr uint32_t kTagCurrentTool = 0xFF003004u;         // i32 tool id
inline constexpr uint32_t kTagViewZoom = 0xFF003083u;            // f32
inline constexpr uint32_t kTagViewRotation = 0xFF003084u;        // f32
inline constexpr uint32_t kTagViewTopLeft = 0xFF003085u;         // i32, i32
// Then one layer record (LayerRecordTags.h) per layer, the bottom one first.
inline constexpr uint32_t kTagCurrentLayer = 0xFF00308Bu;        // i32
inline constexpr uint32_t kTagSecondLayer = 0xFF00308Cu;         // i32
inline constexpr uint32_t kTagTracingVisible = 0xFF00300Fu;      // i32
inline constexpr uint32_t kTagTraceColourPick = 0xFF003010u;     // i32
inline constexpr uint32_t kTagTracingMode = 0xFF003012u;         // i32
inline constexpr uint32_t kTagTracingOpacity = 0xFF003090u;      // f32
inline constexpr uint32_t kTagTracingScale = 0xFF003091u;        // f32
inline constexpr uint32_t kTagTracingValueB = 0xFF003092u;       // f32
inline constexpr uint32_t kTagTracingOffset = 0xFF003093u;       // i32, i32
inline constexpr uint32_t kTagTracingImage = 0xFF003011u;        // PNG, only with a tracing image
// Then the colour list's record (CColourList.h), only when the list has colours.

// Chunks only the earlier format has (the header, the colour, the current tool as an index 0..7
// and the tracing values are shared).
inline constexpr uint32_t kTagEarlierToolSize = 0xFF003005u;     // i32 hundredths
inline constexpr uint32_t kTagEarlierStrokeCount = 0xFF003006u;  // i32
inline constexpr uint32_t kTagEarlierPaperColour = 0xFF003007u;  // u32 ARGB
inline constexpr uint32_t kTagEarlierGrainDepth = 0xFF003008u;   // f32
inline constexpr uint32_t kTagEarlierPaperShine = 0xFF003009u;   // f32
inline constexpr uint32_t kTagEarlierColours = 0xFF00300Bu;      // image: each pixel a cell's colour
inline constexpr uint32_t kTagEarlierThickness = 0xFF00300Cu;    // image: low 16 bits / 3
inline constexpr uint32_t kTagEarlierShine = 0xFF00300Du;        // image: alpha

inline constexpr char kProjectBanner[] = "Veltrana Works Project file. ";
inline constexpr char kEarlierCreators[][9] = {"Kostrel", "Hollimar"};
inline constexpr uint32_t kProjectVersion = 0x00010000u;

// The preview fits this square.
inline constexpr int32_t kPreviewSide = 200;
