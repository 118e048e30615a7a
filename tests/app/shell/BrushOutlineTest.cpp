#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "app/shell/BrushOutline.h"
#include "paint/engine/CStandardRenderer.h"
#include "toolkit/core/SineTable.h"
#include "toolkit/imaging/CImage.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kOutlineGround = 0xFF406080u;

// What a pixel of the band must become, worked out here from the profile's description: the
// colour moved halfway to 241, lit with the normal (cos phi u, -sin phi), phi = t x 0.5711987
// (plus a turn below 0), blended by coverage (2.75 - |t|) x 255.
uint32_t ExpectedPixel(const CStandardRenderer& renderer, uint32_t old, double t, double ux, double uy)
{
    if (std::fabs(t) > 2.75)
        return old;
    const auto half = [](int c) { return c + (241 - c) / 2; };
    const uint32_t base = (old & 0xFF000000u) | uint32_t(half(int((old >> 16) & 255))) << 16 |
                          uint32_t(half(int((old >> 8) & 255))) << 8 | uint32_t(half(int(old & 255)));
    double phi = t * 0.5711987;
    if (phi < 0)
        phi += 2 * kPi;
    const SurfaceNormal normal{float(std::cos(phi) * ux), float(std::cos(phi) * uy), float(-std::sin(phi))};
    const uint32_t shaded = renderer.ShadeCell(normal, base, 0);
    const int coverage = int(std::nearbyint(std::min((2.75 - std::fabs(t)) * 255.0, 255.0)));
    if (coverage == 0)
        return old;
    if (coverage == 255)
        return shaded;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int o = int((old >> shift) & 255), s = int((shaded >> shift) & 255);
        out |= uint32_t(o + int(std::floor((s - o + 1) * coverage / 256.0))) << shift;
    }
    return out;
}

// Channels within one of each other: the test's angles come from the library, the painter's
// from the sine table.
bool CloseColours(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > 1)
            return false;
    return true;
}

class BrushOutlineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuildSineTable();
        ASSERT_EQ(renderer.ResetLights(), kResOk);
        Clear(image);
    }
    static void Clear(CImage& target)
    {
        CImNav nav(&target);
        nav.Fill(kOutlineGround);
    }
    static uint32_t At(CImage& target, int32_t x, int32_t y)
    {
        CImNav nav(&target);
        return nav.Pixels(y)[x];
    }
    // Every pixel of `a` equals the same pixel of `b`.
    static bool SameImages(CImage& a, CImage& b)
    {
        for (int32_t y = 0; y < a.GetHeight(); ++y)
            for (int32_t x = 0; x < a.GetWidth(); ++x)
                if (At(a, x, y) != At(b, x, y))
                    return false;
        return true;
    }

    CStandardRenderer renderer;
    CImage image{400, 400};
    const tCRect all{0, 0, 400, 400};
};

TEST_F(BrushOutlineTest, ARingOfRadius40IsShadedNearItsLineBlendedOutToTwoAndThreeQuartersAndNothingBeyond)
{
    // The centre a quarter pixel off, so that pixel (142, 200) lies 2.25 outside the line.
    const double cx = 99.75, cy = 200.0;
    COutlinePainter painter(renderer, &image, all);
    painter.PaintRoundRing(float(cx), float(cy), 40.0f);

    int full = 0, blended = 0, untouched = 0;
    for (int32_t y = 150; y < 250; ++y) {
        for (int32_t x = 50; x < 150; ++x) {
            const double dx = x - cx, dy = y - cy, d = std::hypot(dx, dy), t = d - 40.0;
            const uint32_t pixel = At(image, x, y);
            const uint32_t expected = ExpectedPixel(renderer, kOutlineGround, t, dx / d, dy / d);
            ASSERT_TRUE(CloseColours(pixel, expected)) << x << "," << y << " t " << t << std::hex << " " << pixel
                                                       << " expected " << expected;
            if (std::fabs(t) > 2.75) {
                ++untouched;
                ASSERT_EQ(pixel, kOutlineGround) << x << "," << y;
            } else if (std::fabs(t) <= 1.75) {
                ++full;
            } else {
                ++blended;
            }
        }
    }
    EXPECT_GT(full, 500);
    EXPECT_GT(blended, 200);
    EXPECT_GT(untouched, 5000);
    // Coverage (2.75 - 2.25) x 255 = 127.5 rounds to 128; the profile there points straight out.
    EXPECT_TRUE(CloseColours(At(image, 142, 200), ExpectedPixel(renderer, kOutlineGround, 2.25, 1.0, 0.0)));
    EXPECT_NE(At(image, 142, 200), kOutlineGround);
    // 3 pixels out and at the centre nothing.
    EXPECT_EQ(At(image, 143, 200), kOutlineGround);
    EXPECT_EQ(At(image, 100, 200), kOutlineGround);
}

TEST_F(BrushOutlineTest, TheBlendAtCoverage128IsHalfTheDifferencePlusOneRoundedDown)
{
    COutlinePainter painter(renderer, &image, all);
    painter.PaintRoundRing(99.75f, 200.0f, 40.0f);
    const uint32_t pixel = At(image, 142, 200);
    // Worked by hand from the shaded colour: old + ((shaded - old + 1) x 128) / 256.
    const uint32_t shaded = renderer.ShadeCell(SurfaceNormal{float(std::cos(2.25 * 0.5711987)), 0.0f,
                                                             float(-std::sin(2.25 * 0.5711987))},
                                               0xFF98A8B8u, 0);
    for (int shift = 0; shift < 24; shift += 8) {
        const int o = int((kOutlineGround >> shift) & 255), s = int((shaded >> shift) & 255);
        EXPECT_NEAR(int((pixel >> shift) & 255), o + int(std::floor((s - o + 1) / 2.0)), 1) << shift;
    }
    EXPECT_EQ(pixel >> 24, 0xFFu);
}

TEST_F(BrushOutlineTest, AnUprightAirbrushIsTheRoundRingOfNineTenthsAndSoIsAnOvalOfEqualAxes)
{
    CImage ring(400, 400), other(400, 400);
    Clear(ring);
    COutlinePainter(renderer, &ring, all).PaintRoundRing(200.0f, 190.0f, 0.9f * 100.0f);
    for (float angle : {0.0f, 0.7f, 2.9f, 5.5f}) {
        const OutlineShape shape{200.0f, 190.0f, 1.0f, angle, 100.0f, 100.0f};
        Clear(other);
        std::vector<tCRect> rects;
        CFloatPoint points[4];
        AddTiltedEllipseArea(rects, shape, points);
        COutlinePainter(renderer, &other, all).PaintTiltedEllipse(shape, points);
        EXPECT_TRUE(SameImages(ring, other)) << angle;
        Clear(other);
        COutlinePainter(renderer, &other, all).PaintOilOval(shape);
        EXPECT_TRUE(SameImages(ring, other)) << angle;
    }
}

TEST_F(BrushOutlineTest, ATiltedEllipsePaintsTheBandOfItsMeasureShiftedAlongTheAngle)
{
    // k = 0.5 at theta = 0: u = dx - 0.5 x 45 x 1.2 = dx - 27, v = dy x 1.25, measure
    // u^2 x 0.96875 + v^2 between (45 -+ 2.75)^2.
    const OutlineShape shape{150.0f, 200.0f, 0.5f, 0.0f, 50.0f, 50.0f};
    std::vector<tCRect> rects;
    CFloatPoint points[4];
    AddTiltedEllipseArea(rects, shape, points);
    COutlinePainter(renderer, &image, all).PaintTiltedEllipse(shape, points);
    int painted = 0;
    for (int32_t y = 0; y < 400; ++y) {
        for (int32_t x = 0; x < 400; ++x) {
            const double u = (x - 150.0) - 27.0, v = (y - 200.0) * 1.25;
            const double q = std::sqrt(u * u * 0.96875 + v * v) - 45.0;
            const bool changed = At(image, x, y) != kOutlineGround;
            painted += changed;
            if (std::fabs(q) > 2.76) {
                ASSERT_FALSE(changed) << x << "," << y;
            } else if (std::fabs(q) < 2.7) {
                ASSERT_TRUE(changed) << x << "," << y;
            }
        }
    }
    EXPECT_GT(painted, 1000);
    // The shift along theta: the right end lies at 27 + 45 / sqrt(0.96875) = 72.7 from the pen.
    EXPECT_NE(At(image, 150 + 73, 200), kOutlineGround);
    EXPECT_EQ(At(image, 150 - 45, 200), kOutlineGround);
}

TEST_F(BrushOutlineTest, ATurnedTiltedEllipseIsLitAlongTheGradientOfItsMeasure)
{
    // k = 0.3, R = 80 at theta = 0.6: r = 72, the centre 60.48 along theta, weight 0.95625,
    // stretch 1.35.
    const double theta = 0.6, c = std::cos(theta), s = std::sin(theta);
    const OutlineShape shape{170.0f, 180.0f, 0.3f, float(theta), 80.0f, 80.0f};
    std::vector<tCRect> rects;
    CFloatPoint points[4];
    AddTiltedEllipseArea(rects, shape, points);
    COutlinePainter(renderer, &image, all).PaintTiltedEllipse(shape, points);
    int lit = 0;
    for (int32_t y = 0; y < 400; ++y) {
        for (int32_t x = 0; x < 400; ++x) {
            const double dx = x - 170.0, dy = y - 180.0;
            const double u = dx * c + dy * s - 60.48, v = (-dx * s + dy * c) * 1.35;
            const double q = std::sqrt(u * u * 0.95625 + v * v) - 72.0;
            const uint32_t pixel = At(image, x, y);
            if (std::fabs(q) > 2.8) {
                ASSERT_EQ(pixel, kOutlineGround) << x << "," << y;
            } else if (std::fabs(q) < 2.6) {
                ASSERT_NE(pixel, kOutlineGround) << x << "," << y;
            }
            if (std::fabs(q) < 1.5) {
                const double gx = 0.95625 * u, gy = 1.35 * v, length = std::hypot(gx, gy);
                const double ux = (gx * c - gy * s) / length, uy = (gx * s + gy * c) / length;
                ASSERT_TRUE(CloseColours(pixel, ExpectedPixel(renderer, kOutlineGround, q, ux, uy))) << x << "," << y;
                ++lit;
            }
        }
    }
    EXPECT_GT(lit, 500);
}

TEST_F(BrushOutlineTest, ADiagonalLinePaintsEveryPixelNearItWithinItsRows)
{
    const CFloatPoint from{100.0f, 100.0f}, to{250.0f, 180.0f};
    COutlinePainter(renderer, &image, all).PaintLine(from, to);
    const double lx = to.x - from.x, ly = to.y - from.y, length2 = lx * lx + ly * ly;
    int painted = 0;
    for (int32_t y = 90; y < 190; ++y) {
        for (int32_t x = 90; x < 260; ++x) {
            const double along = std::clamp(((x - from.x) * lx + (y - from.y) * ly) / length2, 0.0, 1.0);
            const double d = std::hypot(x - from.x - along * lx, y - from.y - along * ly);
            const bool rows = y >= 98.5 && y <= 181.5;
            const bool changed = At(image, x, y) != kOutlineGround;
            if (d > 2.8 || !rows) {
                ASSERT_FALSE(changed) << x << "," << y;
            } else if (d < 2.6) {
                ASSERT_TRUE(changed) << x << "," << y;
                ++painted;
            }
        }
    }
    EXPECT_GT(painted, 500);
    // A pixel on the centre line is lit across the line: (-80, 150) / 170.
    EXPECT_TRUE(CloseColours(At(image, 115, 108), ExpectedPixel(renderer, kOutlineGround, 0.0, -80.0 / 170.0, 150.0 / 170.0)));
}

TEST_F(BrushOutlineTest, TheOilOvalFollowsTheBlendedRadiusTurnedHalfATurnFromTheAngle)
{
    // theta = pi: the orientation is 0, a = 90 along x, b = 45 along y.
    const OutlineShape shape{200.0f, 200.0f, 1.0f, float(kPi), 100.0f, 50.0f};
    COutlinePainter(renderer, &image, all).PaintOilOval(shape);
    EXPECT_NE(At(image, 290, 200), kOutlineGround);
    EXPECT_NE(At(image, 110, 200), kOutlineGround);
    EXPECT_NE(At(image, 200, 245), kOutlineGround);
    EXPECT_NE(At(image, 200, 155), kOutlineGround);
    EXPECT_EQ(At(image, 200, 290), kOutlineGround);
    EXPECT_EQ(At(image, 200, 200), kOutlineGround);
    // On the diagonal the blended radius is sqrt((90^2 + 45^2) / 2) = 71.15.
    const double along = 71.15 / std::sqrt(2.0);
    EXPECT_NE(At(image, int32_t(std::lround(200 + along)), int32_t(std::lround(200 + along))), kOutlineGround);
}

TEST_F(BrushOutlineTest, ALineIsARidgeAlongTheSegmentWithRowsOnlyOverItsSpanWidenedByOneAndAHalf)
{
    COutlinePainter painter(renderer, &image, all);
    painter.PaintLine({100.0f, 100.0f}, {300.0f, 100.0f});
    // On the line the profile is at t = 0: full coverage.
    EXPECT_TRUE(CloseColours(At(image, 200, 100), ExpectedPixel(renderer, kOutlineGround, 0.0, 0.0, 1.0)));
    EXPECT_TRUE(CloseColours(At(image, 200, 101), ExpectedPixel(renderer, kOutlineGround, 1.0, 0.0, 1.0)));
    // Rows 2 away lie outside the span widened by 1.5.
    EXPECT_EQ(At(image, 200, 102), kOutlineGround);
    EXPECT_EQ(At(image, 200, 98), kOutlineGround);
    // Past the ends the cap reaches 2.75 along the row.
    EXPECT_NE(At(image, 302, 100), kOutlineGround);
    EXPECT_EQ(At(image, 303, 100), kOutlineGround);
    // On a line at y = 200.6 the rows run from 199.1 to 202.1: row 199, 1.6 away, stays.
    Clear(image);
    COutlinePainter(renderer, &image, all).PaintLine({100.0f, 200.6f}, {300.0f, 200.6f});
    EXPECT_EQ(At(image, 200, 199), kOutlineGround);
    EXPECT_NE(At(image, 200, 200), kOutlineGround);
    EXPECT_NE(At(image, 200, 202), kOutlineGround);
    EXPECT_EQ(At(image, 200, 203), kOutlineGround);
    // At y = 200.4 they run to 201.9: row 202, 1.6 away, stays.
    Clear(image);
    COutlinePainter(renderer, &image, all).PaintLine({100.0f, 200.4f}, {300.0f, 200.4f});
    EXPECT_NE(At(image, 200, 201), kOutlineGround);
    EXPECT_EQ(At(image, 200, 202), kOutlineGround);
}

TEST_F(BrushOutlineTest, AClipThatMissesTheShapePaintsNothing)
{
    CImage copy(400, 400);
    Clear(copy);
    const CFloatPoint corners[4] = {{150, 150}, {250, 150}, {250, 250}, {150, 250}};
    COutlinePainter painter(renderer, &image, {0, 0, 40, 40});
    painter.PaintRoundRing(200.0f, 200.0f, 40.0f);
    painter.PaintOilOval({200.0f, 200.0f, 1.0f, 1.0f, 60.0f, 30.0f});
    painter.PaintRectangle(corners);
    const OutlineShape tilted{200.0f, 200.0f, 0.3f, 1.0f, 60.0f, 60.0f};
    std::vector<tCRect> rects;
    CFloatPoint points[4];
    AddTiltedEllipseArea(rects, tilted, points);
    painter.PaintTiltedEllipse(tilted, points);
    EXPECT_TRUE(SameImages(image, copy));
    // A clip over part of the ring paints that part alone.
    COutlinePainter(renderer, &image, {230, 190, 260, 210}).PaintRoundRing(200.0f, 200.0f, 40.0f);
    EXPECT_NE(At(image, 240, 200), kOutlineGround);
    EXPECT_EQ(At(image, 160, 200), kOutlineGround);
    EXPECT_EQ(At(image, 229, 200), kOutlineGround);
    // A clip whose left edge cuts a diagonal line keeps every row to its right.
    Clear(image);
    COutlinePainter(renderer, &image, {150, 0, 400, 400}).PaintLine({100.0f, 100.0f}, {300.0f, 200.0f});
    for (int32_t y = 90; y < 210; ++y)
        for (int32_t x = 90; x < 150; ++x)
            ASSERT_EQ(At(image, x, y), kOutlineGround) << x << "," << y;
    EXPECT_NE(At(image, 150, 125), kOutlineGround);
}

// A target whose origin is moved: the clip and the shapes stay in the view's coordinates.
TEST_F(BrushOutlineTest, TheTargetsOriginIsTheViewsTopLeft)
{
    CImage buffer(500, 500);
    Clear(buffer);
    buffer.SetOrigin({100, 50});
    COutlinePainter(renderer, &buffer, all).PaintRoundRing(200.0f, 200.0f, 40.0f);
    EXPECT_NE(At(buffer, 340, 250), kOutlineGround);
    EXPECT_EQ(At(buffer, 240, 200), kOutlineGround);
}

bool Inside(const std::vector<tCRect>& rects, int32_t x, int32_t y)
{
    for (const tCRect& r : rects)
        if (r.Contains({x, y}))
            return true;
    return false;
}

// Paints with `paint` into a fresh image and checks every changed pixel against the rects.
template <typename Paint>
void ExpectPaintInside(CStandardRenderer& renderer, const std::vector<tCRect>& rects, Paint paint, const char* what)
{
    CImage target(700, 700);
    {
        CImNav nav(&target);
        nav.Fill(kOutlineGround);
    }
    COutlinePainter painter(renderer, &target, {0, 0, 700, 700});
    paint(painter);
    CImNav nav(&target);
    for (int32_t y = 0; y < 700; ++y)
        for (int32_t x = 0; x < 700; ++x)
            if (nav.Pixels(y)[x] != kOutlineGround) {
                ASSERT_TRUE(Inside(rects, x, y)) << what << " pixel " << x << "," << y;
            }
}

TEST_F(BrushOutlineTest, EveryPaintedPixelLiesInTheInvalidatedRectanglesAndARingsMiddleIsLeftOut)
{
    std::mt19937 random(36);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int trial = 0; trial < 60; ++trial) {
        OutlineShape shape;
        shape.x = 350.0f + unit(random) * 2.0f;
        shape.y = 350.0f + unit(random) * 2.0f;
        shape.radius = 8.0f + unit(random) * 292.0f;
        shape.secondary = shape.radius * (0.1f + unit(random) * 0.9f);
        shape.tilt = unit(random);
        shape.angle = unit(random) * 6.2831855f;
        SCOPED_TRACE(testing::Message() << "R " << shape.radius << " S " << shape.secondary << " k " << shape.tilt
                                        << " angle " << shape.angle);

        std::vector<tCRect> rects;
        AddRingArea(rects, shape.x, shape.y, 0.9f * shape.radius);
        EXPECT_EQ(rects.size(), 12u);
        const float r = 0.9f * shape.radius;
        ExpectPaintInside(renderer, rects, [&](COutlinePainter& p) { p.PaintRoundRing(shape.x, shape.y, r); }, "ring");
        if (shape.radius >= 40.0f) {
            EXPECT_FALSE(Inside(rects, int32_t(shape.x), int32_t(shape.y)));
        }

        rects.clear();
        CFloatPoint points[4];
        AddTiltedEllipseArea(rects, shape, points);
        ExpectPaintInside(renderer, rects, [&](COutlinePainter& p) { p.PaintTiltedEllipse(shape, points); }, "ellipse");
        if (shape.radius >= 40.0f && shape.tilt > 0.5f) {
            EXPECT_FALSE(Inside(rects, int32_t(shape.x), int32_t(shape.y)));
        }

        rects.clear();
        AddOilOvalArea(rects, shape, points);
        ExpectPaintInside(renderer, rects, [&](COutlinePainter& p) { p.PaintOilOval(shape); }, "oval");

        rects.clear();
        SetLinePoints(shape, unit(random) < 0.5f ? 1.0f : 0.6f, points);
        AddSegmentArea(rects, points[0], points[1]);
        ExpectPaintInside(renderer, rects, [&](COutlinePainter& p) { p.PaintLine(points[0], points[1]); }, "line");

        rects.clear();
        SetRollerPoints(shape, points);
        for (int i = 0; i < 4; ++i)
            AddSegmentArea(rects, points[i], points[(i + 1) % 4]);
        ExpectPaintInside(renderer, rects, [&](COutlinePainter& p) { p.PaintRectangle(points); }, "rectangle");
    }
}

TEST_F(BrushOutlineTest, ASegmentAlongAnAxisIsCoveredInStepsOfAtLeastAPixel)
{
    for (const auto& ends : std::vector<std::pair<CFloatPoint, CFloatPoint>>{
             {{100, 100}, {300, 100}}, {{100, 300}, {100, 100}}, {{200, 200}, {200, 200}}, {{50, 50}, {51, 250}}}) {
        const CFloatPoint from = ends.first, to = ends.second;
        std::vector<tCRect> rects;
        AddSegmentArea(rects, from, to);
        ASSERT_FALSE(rects.empty());
        EXPECT_LE(rects.size(), 300u);
        ExpectPaintInside(renderer, rects, [&](COutlinePainter& p) { p.PaintLine(from, to); }, "axis line");
    }
    // 200 pixels along x, no extent across: one run of 200 + 5.5 pixels, 4.25 either side.
    std::vector<tCRect> rects;
    AddSegmentArea(rects, {100, 100}, {300, 100});
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].left, 97);
    EXPECT_EQ(rects[0].right, 303);
    EXPECT_EQ(rects[0].top, 95);
    EXPECT_EQ(rects[0].bottom, 105);
}

TEST_F(BrushOutlineTest, AStepOfADiagonalSegmentIsAtMostTwentyTimesTheRatioOfItsExtents)
{
    // 100 along, 50 across: steps of 40 over 105.5 pixels make three runs.
    std::vector<tCRect> rects;
    AddSegmentArea(rects, {100, 100}, {200, 150});
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].left, 97);
    EXPECT_EQ(rects[0].right, 138);
    EXPECT_EQ(rects[1].left, 137);
    // The run from 97.25 to 137.25 holds the segment's y from 100 to 118.6, widened by 4.25.
    EXPECT_EQ(rects[0].top, 95);
    EXPECT_EQ(rects[0].bottom, 123);
}

TEST_F(BrushOutlineTest, TheRingsTwelveRectanglesFollowTheAnnulusBetweenThreeAndAQuarterEitherSide)
{
    std::vector<tCRect> rects;
    AddRingArea(rects, 200.0f, 200.0f, 100.0f);
    ASSERT_EQ(rects.size(), 12u);
    // The sector from 0 to 30 degrees: x from 96.75 x cos 30 = 83.8 to 103.25, y from 0 to
    // 103.25 / 2 = 51.6.
    EXPECT_EQ(rects[0].left, 283);
    EXPECT_EQ(rects[0].right, 304);
    EXPECT_EQ(rects[0].top, 199);
    EXPECT_EQ(rects[0].bottom, 252);
    int64_t area = 0;
    for (const tCRect& r : rects)
        area += int64_t(r.Width()) * r.Height();
    // Far less than the 207 x 207 box.
    EXPECT_LT(area, 207 * 207 / 2);
}

TEST_F(BrushOutlineTest, TheKnifeAndRollerPointsAreTurnedByTheAngle)
{
    // theta = pi / 2: (0, -L) turns to (L, 0).
    const OutlineShape shape{100.0f, 100.0f, 1.0f, float(kPi / 2), 50.0f, 10.0f};
    CFloatPoint points[4];
    SetLinePoints(shape, 0.6f, points);
    EXPECT_NEAR(points[0].x, 130.0f, 1e-3f);
    EXPECT_NEAR(points[0].y, 100.0f, 1e-3f);
    EXPECT_NEAR(points[1].x, 70.0f, 1e-3f);
    SetRollerPoints(shape, points);
    // (S, -R) = (10, -50) turns to (50, 10).
    EXPECT_NEAR(points[0].x, 150.0f, 1e-3f);
    EXPECT_NEAR(points[0].y, 110.0f, 1e-3f);
    EXPECT_NEAR(points[2].x, 50.0f, 1e-3f);
    EXPECT_NEAR(points[2].y, 90.0f, 1e-3f);
}

TEST(SineTableInterpolationTest, ReadsBetweenNeighboursAndWrapsAnglesOutsideOneTurn)
{
    BuildSineTable();
    for (float angle : {0.3f, 1.0001f, 2.5f, 4.0f, 6.28f}) {
        EXPECT_NEAR(LookUpSinCosInterpolated(angle).sine, std::sin(angle), 3e-7f) << angle;
        EXPECT_NEAR(LookUpSinCosInterpolated(angle).cosine, std::cos(angle), 3e-7f) << angle;
    }
    EXPECT_NEAR(LookUpSinCosInterpolated(-1.0f).sine, std::sin(-1.0f), 3e-7f);
    EXPECT_NEAR(LookUpSinCosInterpolated(-40.0f).cosine, std::cos(-40.0f), 1e-6f);
    EXPECT_NEAR(LookUpSinCosInterpolated(100.0f).sine, std::sin(100.0f), 1e-5f);
    EXPECT_EQ(LookUpSinCosInterpolated(NAN).sine, 0.0f);
    // Halfway between entries 1 and 2 the read is their mean.
    const tSinCos* table = GetSineTable();
    const float between = float(1.5 * 6.2831854820251465 / 7999.0);
    EXPECT_NEAR(LookUpSinCosInterpolated(between).sine, (table[1].sine + table[2].sine) / 2, 1e-9f);
}

TEST(FloatPointTest, HelpersWorkPerCoordinateAndPreferTheSecondWhenUnordered)
{
    const CFloatPoint a{3.0f, -4.0f}, b{1.0f, 2.0f};
    EXPECT_EQ(a - b, (CFloatPoint{2.0f, -6.0f}));
    EXPECT_EQ(a / 2.0f, (CFloatPoint{1.5f, -2.0f}));
    EXPECT_EQ(-a, (CFloatPoint{-3.0f, 4.0f}));
    EXPECT_EQ(CFloatPoint{}, (CFloatPoint{0.0f, 0.0f}));
    EXPECT_EQ(MaxFloat(1.0f, 2.0f), 2.0f);
    EXPECT_EQ(MinFloat(1.0f, 2.0f), 1.0f);
    EXPECT_EQ(MaxFloat(NAN, 2.0f), 2.0f);
    EXPECT_EQ(MinFloat(NAN, 2.0f), 2.0f);
    EXPECT_TRUE(std::isnan(MaxFloat(2.0f, NAN)));
}

}  // namespace
