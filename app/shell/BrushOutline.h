#pragma once

#include <cstdint>
#include <vector>

#include "app/shell/CFloatPoint.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/imaging/CImNav.h"

class CImage;
class CStandardRenderer;

// The brush outline is a thin relief line painted straight into the painting view's pixels: a
// band 2.75 pixels either side of a centre line, lit by the canvas's lights. All coordinates are
// the view's own pixels; pixel (i, j) stands at the point (i, j).

// Half the band's width, and the margin the invalidated areas keep beyond it for rounding.
inline constexpr float kOutlineBand = 2.75f;
inline constexpr float kOutlineAreaBand = 3.25f;

// What the shapes read of the outline: the pen position, the tilt altitude k (1 upright), the
// direction angle theta in radians, the radius R and the secondary radius S.
struct OutlineShape {
    float x = 0.0f;
    float y = 0.0f;
    float tilt = 1.0f;
    float angle = 0.0f;
    float radius = 0.0f;
    float secondary = 0.0f;
};

// The tilted ellipse of the glitter gun and the airbrush in its own frame, turned by theta about
// the pen: ring radius r = 0.9 R, the centre moved along theta by (1 - k) x r x 1.2, the along
// coordinate weighted by 0.0625 k + 0.9375 and the across coordinate stretched by 1.5 - 0.5 k.
struct EllipseFrame {
    explicit EllipseFrame(const OutlineShape& shape);

    float cosine = 1.0f;
    float sine = 0.0f;
    float r = 0.0f;
    float shift = 0.0f;
    float weight = 1.0f;
    float stretch = 1.0f;
};

// Paints outline shapes into `target` within `clip` (the view's coordinates; the target's
// origin is the view's top-left). Each pixel of a shape's band gets the ring profile: its
// colour moved halfway to 241, lit through ShadeCell with the profile's normal, and blended in
// by the band's coverage at that pixel.
class COutlinePainter {
public:
    COutlinePainter(const CStandardRenderer& renderer, CImage* target, const tCRect& clip);

    // Ring of radius r about (cx, cy).
    void PaintRoundRing(float cx, float cy, float r);
    // Within the box the four points span.
    void PaintTiltedEllipse(const OutlineShape& shape, const CFloatPoint* points);
    // The oil brush's oval: semi-axes 0.9 R and 0.9 S, turned to theta - pi.
    void PaintOilOval(const OutlineShape& shape);
    void PaintLine(CFloatPoint from, CFloatPoint to);
    // The four edges 1-2, 2-3, 3-4 and 4-1.
    void PaintRectangle(const CFloatPoint* points);

private:
    // The part of the box [left, right] x [top, bottom] (real bounds) that lies in the clip, as
    // inclusive pixel bounds; false when nothing does.
    bool ClipBox(float left, float top, float right, float bottom, tCRect* box) const;
    uint32_t* PixelAt(int32_t x, int32_t y) const;
    // The profile at signed distance t from the centre line, outward direction (ux, uy).
    void PaintPixel(int32_t x, int32_t y, float t, float ux, float uy);

    const CStandardRenderer& m_renderer;
    CImNav m_nav;
    // The locked pixels in view coordinates.
    tCRect m_area;
};

// The invalidated areas: every pixel a shape can paint lies in one of the rectangles appended
// to `rects` (view coordinates, exclusive right and bottom).

// The annulus between r - 3.25 and r + 3.25 as 12 rectangles that follow it.
void AddRingArea(std::vector<tCRect>& rects, float cx, float cy, float r);
// A run of rectangles along the segment's longer axis.
void AddSegmentArea(std::vector<tCRect>& rects, CFloatPoint from, CFloatPoint to);
// The four points: corners of a turned rectangle around the ring, which the painting's box
// follows; the rectangles follow the ring in 12 sectors about the ellipse's centre.
void AddTiltedEllipseArea(std::vector<tCRect>& rects, const OutlineShape& shape, CFloatPoint* points);
// The four points: the ends of the oval's axes; 12 sectors about the pen follow the ring.
void AddOilOvalArea(std::vector<tCRect>& rects, const OutlineShape& shape, CFloatPoint* points);

// Outline points 1 and 2 of the palette knife's and the paint roller's line: (0, -L) and (0, L)
// with L = R x lengthFactor, turned by theta and moved to the pen.
void SetLinePoints(const OutlineShape& shape, float lengthFactor, CFloatPoint* points);
// The roller's rectangle: (S, -R), (S, R), (-S, R), (-S, -R) turned by theta and moved to the pen.
void SetRollerPoints(const OutlineShape& shape, CFloatPoint* points);
