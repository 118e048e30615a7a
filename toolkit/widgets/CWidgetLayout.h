#pragma once

#include <cstdint>

// The rules from which a widget's rect is computed whenever its parent's size changes. Callers
// may edit them and then ask the widget to lay itself out again.
struct CWidgetLayout {
    float x = 0.0f;
    float y = 0.0f;
    uint32_t xRelative = 0;    // x is a fraction of the parent's width
    uint32_t yRelative = 0;
    uint32_t xFromRight = 0;   // x is measured leftwards from the parent's right edge
    uint32_t yFromBottom = 0;
    float width = 0.0f;
    float height = 0.0f;
    uint32_t widthRelative = 0;  // width is a fraction of the parent's width
    uint32_t heightRelative = 0;
    uint32_t widthInset = 0;     // the widget is as wide as the parent minus width pixels
    uint32_t heightInset = 0;
    uint32_t xIsRightEdge = 0;   // the computed x is the right edge
    uint32_t yIsBottomEdge = 0;
    uint32_t xCentred = 0;       // centred in the parent; the other x rules are ignored
    uint32_t yCentred = 0;

    bool HasAnyFlag() const
    {
        return (xRelative | yRelative | xFromRight | yFromBottom | widthRelative | heightRelative | widthInset |
                heightInset | xIsRightEdge | yIsBottomEdge | xCentred | yCentred) != 0;
    }
};
