#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <utility>

#include "CanvasTestSupport.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/RecordingRoot.h"
#include "toolkit/widgets/CRegion.h"
#include "toolkit/widgets/MainWindowFixture.h"
#include "toolkit/widgets/WidgetTestSupport.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The painting is 400 x 300 cells of one layer.
class CanvasViewTest : public CanvasViewFixture {
protected:
    void SetUp() override
    {
        CanvasViewFixture::SetUp();
        ASSERT_EQ(canvas.SetCanvasSize(400, 300), kResOk);
        ASSERT_EQ(canvas.InsertNewLayer(0), kResOk);
    }
    // Binds the view and places the painting at `zoom` with its top-left at `topLeft`.
    void Show(float zoom, tCPoint topLeft)
    {
        ASSERT_EQ(canvas.AttachView(view), kResOk);
        ASSERT_EQ(canvas.SetZoom(zoom, 0), kResOk);
        canvas.SetPaintingTopLeft(topLeft);
        root.ClearRecords();
        controller.messages.clear();
    }

    RecordingController controller;
};

TEST_F(CanvasViewTest, AttachingTheViewShowsItAndRendersThePainting)
{
    EXPECT_EQ(view->IsVisible(), 0u);
    root.ClearRecords();
    ASSERT_EQ(canvas.AttachView(view), kResOk);
    EXPECT_EQ(canvas.GetView(), view);
    EXPECT_EQ(view->IsVisible(), 1u);
    // The paper 0xFFFFFFFA lit flat, with the highlights of its shine 0.2 (51):
    // (c x 64328 + (c + 768) x (93 + 25)) >> 16.
    EXPECT_EQ(PixelAt(*canvas.GetComposite(), 10, 10), 0xFFFCFCF7u);
    EXPECT_FALSE(root.invalidated.empty());
    EXPECT_EQ(root.presents, 0);
    EXPECT_TRUE(controller.messages.empty());
}

TEST_F(CanvasViewTest, AttachingAgainRefitsThePaintingThroughTheController)
{
    ASSERT_EQ(canvas.SetCanvasSize(1600, 900), kResOk);
    ASSERT_EQ(canvas.AttachView(view), kResOk);
    canvas.SetRotation(0.3f);
    canvas.SetFlipHorizontal(1);
    canvas.SetFlipVertical(1);
    ASSERT_EQ(canvas.AttachView(nullptr), kResOk);
    ASSERT_EQ(controller.messages.size(), 2u);
    EXPECT_EQ(controller.messages[0].code, kMsgCanvasPosition);
    // The area's centre less half the painting's cells, not scaled by the zoom.
    EXPECT_EQ(controller.messages[0].point, (tCPoint{400 - 800, 300 - 450}));
    EXPECT_EQ(controller.messages[1].code, kMsgCanvasZoom);
    EXPECT_EQ(controller.messages[1].zoom, 0.5f);
    EXPECT_EQ(canvas.GetRotation(), 0.0f);
    EXPECT_EQ(canvas.GetFlipHorizontal(), 0u);
    EXPECT_EQ(canvas.GetFlipVertical(), 0u);
    // A view taken out of the tree is left alone.
    ASSERT_EQ(area->RemoveChild(view, 0), kResOk);
    controller.messages.clear();
    EXPECT_EQ(canvas.AttachView(nullptr), kResOk);
    EXPECT_TRUE(controller.messages.empty());
    delete view;
}

TEST_F(CanvasViewTest, WithoutAMainWindowThereIsNoViewToFind)
{
    CCanvas other;
    EXPECT_EQ(other.AttachView(nullptr), kResBadParam);
    EXPECT_EQ(other.GetView(), nullptr);
}

class CanvasMainWindowTest : public MainWindowTest {};

TEST_F(CanvasMainWindowTest, TheViewIsTheWidgetWithId5UnderTheMainRoot)
{
    auto* backdrop = new BackdropRoot;
    window->SetRootWidget(backdrop);
    auto* panel = new TestWidget(u"panel");
    ASSERT_EQ(Place(backdrop, panel, {0, 0, 640, 480}), kResOk);
    CCanvas canvas;
    EXPECT_EQ(canvas.AttachView(nullptr), kResBadParam);
    auto* view = new CWidget;
    view->SetId(kPaintingViewId);
    ASSERT_EQ(Place(panel, view, {0, 0, 640, 480}, false), kResOk);
    ASSERT_EQ(canvas.AttachView(nullptr), kResOk);
    EXPECT_EQ(canvas.GetView(), view);
    EXPECT_EQ(view->IsVisible(), 1u);
}

TEST_F(CanvasViewTest, ZoomStepsGoThroughTheController)
{
    const std::pair<float, std::pair<float, float>> cases[] = {
        {1.0f, {2.0f, 0.75f}}, {0.3f, {0.5f, 0.25f}}, {7.5f, {8.0f, 7.0f}}, {0.05f, {0.1f, 0.0f}}, {8.0f, {0.0f, 7.0f}},
    };
    for (const auto& [zoom, steps] : cases) {
        ASSERT_EQ(canvas.SetZoom(zoom, 0), kResOk);
        for (uint32_t larger : {1u, 0u}) {
            controller.messages.clear();
            ASSERT_EQ(canvas.StepZoom(larger), kResOk);
            const float expected = larger ? steps.first : steps.second;
            if (expected == 0.0f) {
                EXPECT_TRUE(controller.messages.empty()) << zoom;
                continue;
            }
            ASSERT_EQ(controller.messages.size(), 1u);
            EXPECT_EQ(controller.messages[0].code, kMsgCanvasZoom);
            EXPECT_EQ(controller.messages[0].zoom, expected) << zoom << (larger ? " larger" : " smaller");
        }
        // The canvas's zoom changes only when the controller hands the step back.
        EXPECT_EQ(canvas.GetZoom(), zoom);
    }
    controller.answer = kResFailure;
    EXPECT_EQ(canvas.StepZoom(0), kResFailure);
}

TEST_F(CanvasViewTest, ZoomingKeepsThePointUnderTheAreasCentre)
{
    Show(1.0f, {100, 50});
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{100, 50, 500, 350}));
    ASSERT_EQ(canvas.SetZoom(2.0f, 1), kResOk);
    // Cell (300, 250) stays under the centre (400, 300).
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{-200, -200, 600, 400}));
    EXPECT_EQ(root.presents, 1);
    for (float bad : {0.0f, -1.0f, std::nanf(""), std::numeric_limits<float>::infinity()})
        EXPECT_EQ(canvas.SetZoom(bad, 0), kResBadParam);
    EXPECT_EQ(canvas.GetZoom(), 2.0f);
    // Away from the centre the painting keeps its own centre.
    canvas.SetPaintingTopLeft({550, 450});
    const tCRect before = canvas.GetViewRect();
    ASSERT_EQ(before, (tCRect{400, 300, 1200, 900}));
    ASSERT_EQ(canvas.SetZoom(1.0f, 0), kResOk);
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{600, 450, 1000, 750}).Offset({-200, -150}));
}

TEST_F(CanvasViewTest, AnEmptyPaintingRectKeepsItsCentre)
{
    ASSERT_EQ(canvas.AttachView(view), kResOk);
    EXPECT_TRUE(canvas.GetViewRect().IsEmpty());
    ASSERT_EQ(canvas.SetZoom(0.5f, 0), kResOk);
    // Centred on (0, 0), then kept in the area.
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{0, 0, 200, 150}));
}

TEST_F(CanvasViewTest, ALargePaintingKeepsHalfTheAreaCovered)
{
    Show(4.0f, {0, 0});
    canvas.SetPaintingTopLeft({5000, 5000});
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{400, 300, 2000, 1500}));
    canvas.SetPaintingTopLeft({-5000, -5000});
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{-1200, -900, 400, 300}));
    ASSERT_EQ(canvas.MovePainting({9000, -9000}), kResOk);
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{400, -900, 2000, 300}));
}

TEST_F(CanvasViewTest, ASmallPaintingCannotLeaveTheArea)
{
    Show(0.25f, {0, 0});
    canvas.SetPaintingTopLeft({-50, 9000});
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{0, 525, 100, 600}));
    ASSERT_EQ(canvas.MovePainting({2000, -3}), kResOk);
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{700, 0, 800, 75}));
}

TEST_F(CanvasViewTest, DraggingScrollsThePaintingAndRedrawsItsShadow)
{
    Show(1.0f, {100, 50});
    ASSERT_EQ(canvas.MovePainting({130, 40}), kResOk);
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{130, 40, 530, 340}));
    EXPECT_EQ(canvas.GetShadowRect(), (tCRect{123, 33, 541, 351}));
    ASSERT_FALSE(root.scrolls.empty());
    for (const auto& [rect, offset] : root.scrolls)
        EXPECT_EQ(offset, (tCPoint{30, -10}));
    // The shadow ring is drawn again at both places; the frame's left column was on the ring.
    bool oldRing = false, newRing = false;
    for (const tCRect& rect : root.invalidated) {
        oldRing |= rect.Contains({10 + 94, 20 + 200});
        newRing |= rect.Contains({10 + 124, 20 + 200});
    }
    EXPECT_TRUE(oldRing);
    EXPECT_TRUE(newRing);
    EXPECT_GE(root.presents, 1);
}

TEST_F(CanvasViewTest, TheShadowGrowsByNinePixelsWithFourteenFalloffEntriesAtEachEnd)
{
    Show(1.0f, {100, 50});
    EXPECT_EQ(canvas.GetShadowRect(), (tCRect{93, 43, 511, 361}));
    EXPECT_EQ(canvas.GetFrameRect(), (tCRect{93, 43, 511, 361}));
    const CMemBlockT<uint32_t>& columns = canvas.GetShadowColumns();
    ASSERT_EQ(columns.GetCount(), 418);
    const uint32_t* c = columns.GetData();
    // From the inner edge out.
    const uint32_t inner[] = {65536, 63520, 57835};
    const uint32_t outer[] = {728, 333};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(c[13 - i], inner[i]);
        EXPECT_EQ(c[404 + i], inner[i]);
    }
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(c[1 - i], outer[i]);
        EXPECT_EQ(c[416 + i], outer[i]);
    }
    for (int i = 14; i < 404; ++i)
        ASSERT_EQ(c[i], 65536u);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(c[13 - i], uint32_t(std::lround(std::exp(-(i * 0.25) * (i * 0.25) / 2) * 65536))) << i;
    const CMemBlockT<uint32_t>& rows = canvas.GetShadowRows();
    ASSERT_EQ(rows.GetCount(), 318);
    const uint32_t alpha = 0x60 * 257;
    EXPECT_EQ(rows.GetData()[13], alpha);
    EXPECT_EQ(rows.GetData()[150], alpha);
    EXPECT_EQ(rows.GetData()[0], uint32_t(std::lround(std::exp(-3.25 * 3.25 / 2) * alpha)));
    EXPECT_EQ(rows.GetData()[317], rows.GetData()[0]);
}

TEST_F(CanvasViewTest, TheShadowOffsetTurnsWithTheView)
{
    Show(1.0f, {100, 50});
    canvas.TurnView(0.125f, 0);
    const tCRect painting = canvas.GetViewRect();
    // The offset (2, 2) turned by +2 pi x 0.125: (2 cos a - 2 sin a, 2 sin a + 2 cos a) = (0, 2.83),
    // rounded (0, 3); then grown by 9 on every side.
    EXPECT_EQ(canvas.GetShadowRect(),
              (tCRect{painting.left - 9, painting.top + 3 - 9, painting.right + 9, painting.bottom + 3 + 9}));
    canvas.TurnView(0.625f, 0);
    EXPECT_EQ(canvas.GetShadowRect(),
              (tCRect{painting.left - 9, painting.top - 3 - 9, painting.right + 9, painting.bottom - 3 + 9}));
}

// A painting narrower than two falloffs: each end takes half the table, meeting in the middle.
TEST_F(CanvasViewTest, TheShadowOfANarrowPaintingFallsOffFromItsMiddle)
{
    ASSERT_EQ(canvas.SetCanvasSize(3, 2), kResOk);
    Show(1.0f, {100, 50});
    const auto falloff = [](int i, double scale) {
        return uint32_t(std::lround(std::exp(-(i * 0.25) * (i * 0.25) / 2) * scale));
    };
    // 3 + 2 x 9 columns: 11 entries from each end, the middle one shared.
    const CMemBlockT<uint32_t>& columns = canvas.GetShadowColumns();
    ASSERT_EQ(columns.GetCount(), 21);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(columns.GetData()[10 - i], falloff(i, 65536.0)) << i;
        EXPECT_EQ(columns.GetData()[10 + i], falloff(i, 65536.0)) << i;
    }
    // 2 + 2 x 9 rows: 10 entries from each end.
    const CMemBlockT<uint32_t>& rows = canvas.GetShadowRows();
    ASSERT_EQ(rows.GetCount(), 20);
    const double alpha = 0x60 * 257;
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(rows.GetData()[9 - i], falloff(i, alpha)) << i;
        EXPECT_EQ(rows.GetData()[10 + i], falloff(i, alpha)) << i;
    }
}

TEST_F(CanvasViewTest, ViewPointsBecomeCellsAndBack)
{
    Show(2.0f, {100, 50});
    canvas.SetPaintingTopLeft({100, 50});
    // Root point = area origin + painting top-left + cells x zoom.
    CPenSample sample;
    sample.x = 10 + 100 + 20;
    sample.y = 20 + 50 + 40;
    sample.pressure = 0.7f;
    canvas.ViewToCanvas(&sample);
    EXPECT_FLOAT_EQ(sample.x, 10.0f);
    EXPECT_FLOAT_EQ(sample.y, 20.0f);
    EXPECT_EQ(sample.pressure, 0.7f);
    canvas.SetFlipHorizontal(1);
    canvas.SetRotation(0.25f);
    tCFPoint point{0.0f, 0.0f};
    canvas.CanvasToView(&point);
    // Cell (0, 0) flipped is the painting's top-right (900, 50); a quarter turn about the
    // centre (500, 350) takes it to (800, 750); plus the area's origin.
    EXPECT_NEAR(point.x, 810.0f, 1e-3);
    EXPECT_NEAR(point.y, 770.0f, 1e-3);
}

TEST_F(CanvasViewTest, CanvasToViewUndoesViewToCanvasUnderFlipsAndTurns)
{
    std::mt19937 random(5);
    Show(1.5f, {37, 21});
    for (float rotation : {0.0f, 0.125f, 0.25f, 0.3f, 0.5f, 0.75f, 0.9f, -0.4f, 2.25f}) {
        for (uint32_t flips = 0; flips < 4; ++flips) {
            canvas.SetRotation(rotation);
            canvas.SetFlipHorizontal(flips & 1);
            canvas.SetFlipVertical(flips >> 1);
            for (int i = 0; i < 20; ++i) {
                const float x = float(random() % 40000) / 100.0f, y = float(random() % 30000) / 100.0f;
                tCFPoint point{x, y};
                canvas.CanvasToView(&point);
                CPenSample sample;
                sample.x = point.x;
                sample.y = point.y;
                canvas.ViewToCanvas(&sample);
                ASSERT_NEAR(sample.x, x, 2e-3) << rotation << " flips " << flips;
                ASSERT_NEAR(sample.y, y, 2e-3) << rotation << " flips " << flips;
            }
        }
    }
}

// Which pixels of the box a region holds.
std::vector<bool> PixelsOf(const CRegion& region, const tCRect& box)
{
    std::vector<bool> pixels(size_t(box.Width()) * size_t(box.Height()));
    for (const tCRect& rect : region) {
        const tCRect part = rect.Intersect(box);
        for (int32_t y = part.top; y < part.bottom; ++y)
            for (int32_t x = part.left; x < part.right; ++x)
                pixels[size_t(y - box.top) * size_t(box.Width()) + size_t(x - box.left)] = true;
    }
    return pixels;
}

struct Quad {
    double x[4];
    double y[4];

    // Inside every edge of the convex quadrilateral (corners in turning order).
    bool Contains(double px, double py, double margin = 0.0) const
    {
        for (int i = 0; i < 4; ++i) {
            const int j = (i + 1) % 4;
            const double cross = (x[j] - x[i]) * (py - y[i]) - (y[j] - y[i]) * (px - x[i]);
            const double length = std::hypot(x[j] - x[i], y[j] - y[i]);
            if (cross / length < margin)
                return false;
        }
        return true;
    }
};

TEST_F(CanvasViewTest, ATurnedPaintingsRegionCoversItOrLiesInside)
{
    Show(0.5f, {150, 120});
    canvas.SetRotation(0.125f);
    const tCRect rect = canvas.GetViewRect();
    const double cx = (rect.left + rect.right) / 2.0, cy = (rect.top + rect.bottom) / 2.0;
    const double angle = 0.125 * 2 * kPi;
    Quad quad;
    const int32_t xs[] = {rect.left, rect.right, rect.right, rect.left};
    const int32_t ys[] = {rect.top, rect.top, rect.bottom, rect.bottom};
    for (int i = 0; i < 4; ++i) {
        quad.x[i] = (xs[i] - cx) * std::cos(angle) - (ys[i] - cy) * std::sin(angle) + cx;
        quad.y[i] = (xs[i] - cx) * std::sin(angle) + (ys[i] - cy) * std::cos(angle) + cy;
    }
    CRegion cover, inner;
    ASSERT_EQ(canvas.BuildPaintingRegion(rect, &cover, 1), kResOk);
    ASSERT_EQ(canvas.BuildPaintingRegion(rect, &inner, 0), kResOk);
    // Every rect of both regions lies in the box; the box reaches past the turned painting.
    const tCRect box{rect.left - 120, rect.top - 120, rect.right + 120, rect.bottom + 120};
    ASSERT_EQ(cover.GetBounds().Intersect(box), cover.GetBounds());
    const std::vector<bool> covered = PixelsOf(cover, box), inside = PixelsOf(inner, box);
    int64_t touched = 0, wholly = 0, coveredCount = 0, insideCount = 0;
    for (int32_t y = box.top; y < box.bottom; ++y) {
        for (int32_t x = box.left; x < box.right; ++x) {
            const size_t at = size_t(y - box.top) * size_t(box.Width()) + size_t(x - box.left);
            coveredCount += covered[at] ? 1 : 0;
            insideCount += inside[at] ? 1 : 0;
            bool touches = false, whole = true;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const bool in = quad.Contains(x + 0.125 + sx * 0.25, y + 0.125 + sy * 0.25);
                    touches |= in;
                    whole &= in;
                }
            if (touches) {
                ++touched;
                ASSERT_TRUE(covered[at]) << "uncovered pixel " << x << ", " << y;
            }
            whole = whole && quad.Contains(x, y, -1e-9) && quad.Contains(x + 1, y, -1e-9) &&
                    quad.Contains(x, y + 1, -1e-9) && quad.Contains(x + 1, y + 1, -1e-9);
            wholly += whole ? 1 : 0;
            if (inside[at]) {
                ASSERT_TRUE(whole) << "pixel outside " << x << ", " << y;
            }
        }
    }
    // Ten bands at an eighth of a turn: each band gains (cover) or loses (inside) a triangle
    // of its height at either end, about a fifth of the painting.
    EXPECT_GE(insideCount * 4, wholly * 3);
    EXPECT_LE(coveredCount * 4, touched * 5);
    // Unturned, both are the rect itself.
    canvas.SetRotation(0.0f);
    ASSERT_EQ(canvas.BuildPaintingRegion(rect, &cover, 1), kResOk);
    ASSERT_EQ(cover.GetCount(), 1);
    EXPECT_EQ(cover.GetBounds(), rect);
}

TEST_F(CanvasViewTest, ChangedCellsInvalidateTheirPixelsWithAMargin)
{
    Show(2.0f, {100, 50});
    canvas.InvalidateCellRect({10, 10, 20, 15}, 1);
    // Cells 10..20 x 10..15 at zoom 2 from (100, 50), a pixel of margin, in root coordinates.
    const tCRect expected = tCRect{119, 69, 141, 81}.Offset({10, 20});
    ASSERT_EQ(root.invalidated.size(), 1u);
    EXPECT_EQ(root.invalidated[0], expected);
    EXPECT_EQ(root.presents, 1);
    root.ClearRecords();
    // A quarter turn about the painting's centre stands the 20 x 10 pixels on end, exactly.
    canvas.SetRotation(0.25f);
    canvas.InvalidateCellRect({190, 140, 200, 145}, 0);
    ASSERT_EQ(root.invalidated.size(), 1u);
    EXPECT_EQ(root.invalidated[0], (tCRect{509, 329, 521, 351}).Offset({10, 20}));
    EXPECT_EQ(root.invalidated[0].Width(), 12);
    EXPECT_EQ(root.invalidated[0].Height(), 22);
    EXPECT_EQ(root.presents, 0);
}

TEST_F(CanvasViewTest, ChangedCellsOfAFlippedPaintingInvalidateTheirMirroredPixels)
{
    Show(1.0f, {100, 50});
    canvas.SetFlipHorizontal(1);
    canvas.InvalidateCellRect({10, 10, 20, 15}, 0);
    // Columns 10..20 of 400 mirrored to 380..390.
    ASSERT_EQ(root.invalidated.size(), 1u);
    EXPECT_EQ(root.invalidated[0], (tCRect{479, 59, 491, 66}.Offset({10, 20})));
    root.ClearRecords();
    canvas.SetFlipHorizontal(0);
    canvas.SetFlipVertical(1);
    canvas.InvalidateCellRect({10, 10, 20, 15}, 0);
    // Rows 10..15 of 300 mirrored to 285..290.
    ASSERT_EQ(root.invalidated.size(), 1u);
    EXPECT_EQ(root.invalidated[0], (tCRect{109, 334, 121, 341}.Offset({10, 20})));
}

TEST_F(CanvasViewTest, APartOfThePaintingInvalidatesItsPixelsAtTheZoom)
{
    Show(2.0f, {100, 50});
    ASSERT_EQ(canvas.InvalidateCanvasRect({10, 12, 20, 15}, 1), kResOk);
    // Cells 10..20 x 12..15 at zoom 2 from (100, 50), in root coordinates.
    ASSERT_FALSE(root.invalidated.empty());
    EXPECT_EQ(root.dirty.GetBounds(), (tCRect{120, 74, 140, 80}.Offset({10, 20})));
    EXPECT_EQ(root.presents, 1);
}

TEST_F(CanvasViewTest, InvalidatingThePaintingCoversItsTurnedPixels)
{
    Show(1.0f, {200, 150});
    canvas.SetRotation(0.1f);
    canvas.InvalidatePainting(1);
    EXPECT_EQ(root.presents, 1);
    EXPECT_GT(root.invalidated.size(), 5u);
    // The turned painting's centre and a point near a turned corner are dirty.
    const tCRect& bounds = root.dirty.GetBounds();
    EXPECT_TRUE(bounds.Contains({10 + 400, 20 + 300}));
    EXPECT_LT(bounds.top, 20 + 150);
}

// After each change the screen, as drawn before, moved by the scrolls the change asked for and
// drawn again where it invalidated, is what the view draws now: nothing of a turned painting or
// its shadow stays where it was, nothing of it is missing where it is.
TEST_F(CanvasViewTest, ATurnedPaintingIsDrawnWholeAndLeavesNothingWhereItWas)
{
    Show(1.0f, {200, 150});
    const tCRect viewArea{10, 20, 810, 620};
    const auto draw = [&] {
        CImage image(800, 600);
        const tCRect clip{0, 0, 800, 600};
        EXPECT_EQ(CCanvas::RedrawView(ToMsgArg(&canvas), view, &clip, &image, 255), kResOk);
        return PixelsOf(image);
    };
    const auto expectRedrawn = [&](const char* change, const std::function<void()>& make) {
        std::vector<uint32_t> screen = draw();
        root.ClearRecords();
        make();
        for (const auto& [rect, by] : root.scrolls) {
            const std::vector<uint32_t> from = screen;
            const tCRect moved = rect.Intersect(viewArea).Intersect(viewArea.Offset({-by.x, -by.y}));
            const tCRect source = moved.Offset({-viewArea.left, -viewArea.top});
            for (int32_t y = source.top; y < source.bottom; ++y)
                for (int32_t x = source.left; x < source.right; ++x)
                    screen[size_t(y + by.y) * 800 + size_t(x + by.x)] = from[size_t(y) * 800 + size_t(x)];
        }
        const std::vector<uint32_t> now = draw();
        const std::vector<bool> dirty = PixelsOf(root.dirty, viewArea);
        int stale = 0;
        for (size_t i = 0; i < now.size(); ++i)
            stale += !dirty[i] && screen[i] != now[i] ? 1 : 0;
        EXPECT_EQ(stale, 0) << change;
    };
    expectRedrawn("a turn by 30 degrees", [&] { canvas.TurnView(1.0f / 12.0f, 0); });
    expectRedrawn("a zoom", [&] { ASSERT_EQ(canvas.SetZoom(0.75f, 0), kResOk); });
    expectRedrawn("a move", [&] { ASSERT_EQ(canvas.MovePainting({170, 190}), kResOk); });
    expectRedrawn("a quarter turn more", [&] { canvas.TurnView(1.0f / 12.0f + 0.25f, 0); });
    expectRedrawn("a zoom to 400%", [&] { ASSERT_EQ(canvas.SetZoom(4.0f, 0), kResOk); });
    expectRedrawn("a move at 400%", [&] { ASSERT_EQ(canvas.MovePainting({380, 280}), kResOk); });
    expectRedrawn("a turn at 400%", [&] { canvas.TurnView(0.3f, 0); });
    expectRedrawn("no turn", [&] { canvas.TurnView(0.0f, 0); });
}

TEST_F(CanvasViewTest, FitToViewCentresThePaintingUnderOneFrozenPresent)
{
    ASSERT_EQ(canvas.SetCanvasSize(1600, 900), kResOk);
    Show(1.0f, {0, 0});
    canvas.SetRotation(0.4f);
    canvas.SetFlipVertical(1);
    std::vector<uint32_t> frozen;
    controller.onMessage = [&](const RecordingController::Message&) { frozen.push_back(root.frozen); };
    ASSERT_EQ(canvas.FitToView(), kResOk);
    ASSERT_EQ(controller.messages.size(), 2u);
    EXPECT_EQ(controller.messages[0].code, kMsgCanvasZoom);
    EXPECT_EQ(controller.messages[0].zoom, 0.5f);
    EXPECT_EQ(controller.messages[1].code, kMsgCanvasPosition);
    EXPECT_EQ(controller.messages[1].point, (tCPoint{400 - 400, 300 - 225}));
    EXPECT_EQ(frozen, (std::vector<uint32_t>{1, 1}));
    EXPECT_EQ(root.frozen, 0u);
    EXPECT_EQ(root.presents, 1);
    EXPECT_EQ(canvas.GetRotation(), 0.0f);
    EXPECT_EQ(canvas.GetFlipVertical(), 0u);
}

TEST_F(CanvasViewTest, FitToViewClearsTheFlipsEvenWhenTheControllerRefusesTheZoom)
{
    Show(1.0f, {0, 0});
    canvas.SetFlipHorizontal(1);
    canvas.SetFlipVertical(1);
    controller.answer = kResFileIO;
    EXPECT_EQ(canvas.FitToView(), kResFileIO);
    EXPECT_EQ(controller.messages.size(), 1u) << "the position is not sent after a refused zoom";
    EXPECT_EQ(canvas.GetFlipHorizontal(), 0u);
    EXPECT_EQ(canvas.GetFlipVertical(), 0u);
    EXPECT_EQ(root.frozen, 0u);
}

TEST_F(CanvasViewTest, ANewSizeInvalidatesTheViewEvenWhenRefused)
{
    Show(1.0f, {100, 50});
    EXPECT_EQ(canvas.SetCanvasSize(0, 0), kResBadParam);
    EXPECT_FALSE(root.invalidated.empty());
    EXPECT_EQ(canvas.GetWidth(), 400);
    ASSERT_EQ(canvas.SetCanvasSize(1600, 1200), kResOk);
    // Fitted: min(800 / 1600, 600 / 1200, 1).
    EXPECT_EQ(canvas.GetZoom(), 0.5f);
    EXPECT_EQ(canvas.GetViewRect().Width(), 800);
}

}  // namespace
