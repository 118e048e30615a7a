#pragma once

#include <cstdint>

// Tool ids, one per tool class.
enum : uint32_t {
    kToolOilBrush = 4900,
    kToolPencil = 4901,
    kToolCrayon = 4902,
    kToolChalk = 4903,
    kToolPen = 4904,
    kToolPaletteKnife = 4905,
    kToolEraser = 4906,
    kToolSmudge = 4907,
    kToolPaintTube = 4908,
    kToolSampler = 4909,
    kToolMove = 4910,
    kToolRotate = 4911,
    kToolZoom = 4912,
    kToolGlitterGun = 4913,
    kToolAirbrush = 4914,
    kToolPaintRoller = 4915
};

// Messages a tool answers (CToolBase::OnMessage); b is the argument after the sender.
// Brush size, b = float*: applied through SetSize, or reported.
inline constexpr uint32_t kMsgToolSize = 0xFF000029u;
// The paint colour changed, b = the packed colour: the nib reloads at the next stroke.
inline constexpr uint32_t kMsgColourChanged = 0xF1000002u;
// b = float*: the tool's narrowest and widest nib are written through it.
inline constexpr uint32_t kMsgToolMinNibWidth = 0xFF000015u;
inline constexpr uint32_t kMsgToolMaxNibWidth = 0xFF000016u;
// b = tCArray<CToolProperty*>*: the tool appends its property list; the caller owns the entries.
inline constexpr uint32_t kMsgToolPropertyList = 0xFF00103Eu;
// b = ToolPropertyValue*: applied through SetProperty, or the value reported.
inline constexpr uint32_t kMsgToolPropertyValue = 0xFF00103Fu;
// The tool takes its default settings.
inline constexpr uint32_t kMsgToolReset = 0xFF001040u;

// The record of the property-value message: a property's text id and its value.
struct ToolPropertyValue {
    uint32_t textId = 0;
    float value = 0.0f;
};

// String-table ids that name the tools' properties.
enum : uint32_t {
    kPropertyPressure = 0xB2D05EA3u,
    kPropertyThinners = 0xB2D05EA4u,
    kPropertyPaintLoad = 0xB2D05EA5u,
    // The pencil's grain response, the pen's nib softness, the crayon's and the eraser's softness.
    kPropertySoftness = 0xB2D05EA6u,
    kPropertyInkFlow = 0xB2D05EA7u,
    kPropertyBluntness = 0xB2D05EA9u,
    kPropertyCleanBrush = 0xB2D05EAEu,
    kPropertyDryBrush = 0xB2D05EAFu,
    kPropertyReset = 0xB2D05EB0u,
    kPropertyEdgeMode = 0xB2D05EB1u
};
