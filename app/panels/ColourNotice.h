#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

class CImage;
class CImage8;
class CWidget;

// The colour picker's notice: two lines of text bent along an arc about a point 9 pixels beyond
// the bottom-right corner of the notice widget, drawn as a dark mask with a soft shadow.

// The arc the text is bent along.
struct tNoticeArc {
    int32_t outer = 0;   // outer radius R
    int32_t inner = 0;   // inner radius r0
    float halfSpan = 0;  // half the arc's angle, radians
};

// The arc for text `textWidth` x `textHeight` in a notice `noticeWidth` wide; `wide` takes the
// whole width as the outer radius (the text variant with the longer texts).
tNoticeArc NoticeArc(int32_t noticeWidth, int32_t textWidth, int32_t textHeight, bool wide);
// Writes into every pixel of `mask` the darkness of `flat` (black text on white) bent along
// `arc`, and 0 off the arc; samples are bilinear and clamped to the flat image. Nothing is
// drawn for an arc without thickness or radius, or an empty flat image (6); 5 when an image
// cannot be locked.
tResult WarpNoticeText(CImage8* mask, CImage* flat, const tNoticeArc& arc);
// Adds the notice's mask widget to `notice`; any failure leaves the notice without it.
tResult BuildColourNotice(CWidget* notice);
