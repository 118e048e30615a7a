#include <gtest/gtest.h>

#include <vector>

#include "toolkit/imaging/ImageFixtures.h"
#include "toolkit/imaging/SubtractRect.h"
#include "toolkit/widgets/WidgetTestSupport.h"

namespace {

constexpr CPixel kRed = 0xFFFF0000;
constexpr CPixel kGreen = 0xFF00FF00;
constexpr CPixel kBlue = 0xFF0000FF;
constexpr CPixel kYellow = 0xFFFFFF00;
constexpr CPixel kWhite = 0xFFFFFFFF;

// What a render callback was asked to draw.
struct RenderLog {
    std::vector<tCRect> clips;
    std::vector<uint32_t> opacities;
    CPixel colour = 0;
};

tResult RecordAndFill(tMsgArg context, CWidget*, const tCRect* clip, CImage* target, uint32_t opacity)
{
    RenderLog* log = FromMsgArg<RenderLog>(context);
    log->clips.push_back(*clip);
    log->opacities.push_back(opacity);
    CImNav nav(target, *clip);
    if (!nav.IsLocked())
        return kResNoMemory;
    nav.Fill(log->colour);
    return kResOk;
}

void PaintExpected(std::vector<CPixel>& pixels, int32_t width, const tCRect& rect, CPixel colour)
{
    for (int32_t y = rect.top; y < rect.bottom; ++y)
        for (int32_t x = rect.left; x < rect.right; ++x)
            pixels[size_t(y * width + x)] = colour;
}

TEST(WidgetDrawTest, ATreeDrawsInOrderWithEffectsAndClipping)
{
    TestRoot root(40, 30);
    CWidget* panel = new CWidget;
    TestWidget* a = new TestWidget(u"a");
    TestWidget* b = new TestWidget(u"b");
    TestWidget* c = new TestWidget(u"c");
    ASSERT_EQ(Place(&root, panel, {5, 5, 35, 25}), kResOk);
    ASSERT_EQ(Place(panel, a, {2, 2, 12, 12}), kResOk);
    ASSERT_EQ(Place(panel, b, {8, 4, 18, 14}), kResOk);
    // Hangs out of b on the left: only the part inside b shows.
    ASSERT_EQ(Place(b, c, {-3, 2, 3, 5}), kResOk);

    RenderLog logA{{}, {}, kRed}, logB{{}, {}, kBlue}, logC{{}, {}, kYellow};
    a->SetRenderProc(RecordAndFill, ToMsgArg(&logA));
    b->SetRenderProc(RecordAndFill, ToMsgArg(&logB));
    c->SetRenderProc(RecordAndFill, ToMsgArg(&logC));

    // A back effect two pixels around a, with its right part excluded, and a front one inside.
    TestEffect* halo = new TestEffect({-2, -2, 12, 12}, kGreen);
    ASSERT_EQ(halo->excluded.AddRect({8, -2, 12, 12}), kResOk);
    TestEffect* mark = new TestEffect({4, 4, 6, 6}, kWhite);
    ASSERT_EQ(a->SetBackEffect(halo, 0, 0), kResOk);
    ASSERT_EQ(a->SetFrontEffect(mark, 2, 0), kResOk);
    EXPECT_EQ(halo->layer, 0);
    EXPECT_EQ(mark->layer, 2);
    EXPECT_EQ(halo->owner, a);
    EXPECT_EQ(a->GetExtent(), (tCRect{0, 0, 14, 14}));

    CImage target(40, 30);
    ASSERT_TRUE(target.IsValid());
    const tCRect all{0, 0, 40, 30};
    ASSERT_EQ(root.DrawSubtree(&all, &target, 255), kResOk);
    EXPECT_EQ(target.GetOrigin(), (tCPoint{}));

    // Root coordinates: panel at (5, 5), a at (7, 7), b at (13, 9).
    std::vector<CPixel> expected(40 * 30, 0);
    PaintExpected(expected, 40, {5, 5, 15, 19}, kGreen);
    PaintExpected(expected, 40, {7, 7, 17, 17}, kRed);
    PaintExpected(expected, 40, {11, 11, 13, 13}, kWhite);
    PaintExpected(expected, 40, {13, 9, 23, 19}, kBlue);
    PaintExpected(expected, 40, {13, 11, 16, 14}, kYellow);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x)
            ASSERT_EQ(PixelAt(target, x, y), expected[size_t(y * 40 + x)]) << x << "," << y;

    // Clips reach the callbacks in local coordinates.
    EXPECT_EQ(logA.clips, (std::vector<tCRect>{{0, 0, 10, 10}}));
    EXPECT_EQ(logC.clips, (std::vector<tCRect>{{3, 0, 6, 3}}));
    EXPECT_EQ(halo->drawn, (std::vector<tCRect>{{-2, -2, 8, 12}}));
}

TEST(WidgetDrawTest, OpacityCombinesDownTheTree)
{
    TestRoot root(20, 20);
    TestWidget* parent = new TestWidget(u"parent");
    TestWidget* child = new TestWidget(u"child");
    ASSERT_EQ(Place(&root, parent, {0, 0, 20, 20}), kResOk);
    ASSERT_EQ(Place(parent, child, {0, 0, 10, 10}), kResOk);
    RenderLog parentLog, childLog;
    parent->SetRenderProc(RecordAndFill, ToMsgArg(&parentLog));
    child->SetRenderProc(RecordAndFill, ToMsgArg(&childLog));
    TestEffect* effect = new TestEffect({0, 0, 20, 20}, 0);
    effect->opacity = 200;
    ASSERT_EQ(parent->SetMiddleEffect(effect, 0, 0), kResOk);
    ASSERT_EQ(parent->SetOpacity(128, 0), kResOk);

    CImage target(20, 20);
    const tCRect all{0, 0, 20, 20};
    ASSERT_EQ(root.DrawSubtree(&all, &target, 255), kResOk);
    // ((128 + 1) x 255) >> 8 = 128 for the parent; the child at full opacity under it also 128;
    // the effect (200 x (128 + 1)) >> 8 = 100.
    EXPECT_EQ(parentLog.opacities, (std::vector<uint32_t>{128}));
    EXPECT_EQ(childLog.opacities, (std::vector<uint32_t>{128}));
    EXPECT_EQ(effect->drawOpacities, (std::vector<uint32_t>{100}));

    ASSERT_EQ(parent->SetPropOpacity(0, 0), kResOk);
    ASSERT_EQ(root.DrawSubtree(&all, &target, 255), kResOk);
    EXPECT_EQ(childLog.opacities.back(), 255u);
}

// The backdrop's rendering of one rect: draw from the frontmost opaque widget, then the rest of
// the rect around what it covered.
tResult RenderRect(CWidget& root, const tCRect& rect, CImage* target)
{
    tCRect covered;
    TK_TRY(root.DrawFromOpaque(&rect, target, 255, &covered));
    if (covered.IsEmpty())
        return root.DrawSubtree(&rect, target, 255);
    tCRect pieces[4];
    const int32_t count = SubtractRect(rect, covered, pieces);
    for (int32_t i = 0; i < count; ++i)
        TK_TRY(RenderRect(root, pieces[i], target));
    return kResOk;
}

TEST(WidgetDrawTest, DrawFromOpaqueSkipsWhatTheOpaqueWidgetCovers)
{
    TestRoot root(40, 30);
    TestWidget* behind = new TestWidget(u"behind");
    TestWidget* opaque = new TestWidget(u"opaque");
    TestWidget* over = new TestWidget(u"over");
    ASSERT_EQ(Place(&root, behind, {0, 0, 40, 30}), kResOk);
    ASSERT_EQ(Place(&root, opaque, {10, 10, 30, 20}), kResOk);
    ASSERT_EQ(Place(&root, over, {25, 15, 35, 25}), kResOk);
    opaque->SetOpaqueBlit(1);
    RenderLog behindLog{{}, {}, kRed}, opaqueLog{{}, {}, kBlue}, overLog{{}, {}, kGreen};
    behind->SetRenderProc(RecordAndFill, ToMsgArg(&behindLog));
    opaque->SetRenderProc(RecordAndFill, ToMsgArg(&opaqueLog));
    over->SetRenderProc(RecordAndFill, ToMsgArg(&overLog));

    CImage target(40, 30);
    ASSERT_EQ(RenderRect(root, {0, 0, 40, 30}, &target), kResOk);

    const tCRect opaqueArea{10, 10, 30, 20};
    int32_t behindPixels = 0;
    for (const tCRect& clip : behindLog.clips) {
        EXPECT_TRUE(clip.Intersect(opaqueArea).IsEmpty()) << clip.left << "," << clip.top;
        behindPixels += clip.Width() * clip.Height();
    }
    EXPECT_EQ(behindPixels, 40 * 30 - 20 * 10);
    EXPECT_EQ(opaqueLog.clips, (std::vector<tCRect>{{0, 0, 20, 10}}));
    EXPECT_EQ(opaqueLog.opacities, (std::vector<uint32_t>{255}));
    EXPECT_EQ(PixelAt(target, 27, 17), kGreen);
    EXPECT_EQ(PixelAt(target, 12, 12), kBlue);
    EXPECT_EQ(PixelAt(target, 5, 5), kRed);
    EXPECT_EQ(PixelAt(target, 32, 22), kGreen);

    // Without an opaque widget nothing is drawn and nothing covered.
    opaque->SetOpaqueBlit(0);
    const size_t drawnBefore = behindLog.clips.size();
    tCRect covered;
    const tCRect all{0, 0, 40, 30};
    ASSERT_EQ(root.DrawFromOpaque(&all, &target, 255, &covered), kResOk);
    EXPECT_TRUE(covered.IsEmpty());
    EXPECT_EQ(behindLog.clips.size(), drawnBefore);
}

TEST(WidgetDrawTest, HiddenWidgetsAndEmptyContainersMarkNothing)
{
    TestRoot root(100, 100);
    TestWidget* hidden = new TestWidget(u"hidden");
    ASSERT_EQ(Place(&root, hidden, {10, 10, 20, 20}, false), kResOk);
    root.ClearRecords();
    ASSERT_EQ(hidden->Invalidate(0), kResOk);
    EXPECT_TRUE(root.dirty.IsEmpty());
    ASSERT_EQ(hidden->Invalidate(1), kResOk);
    EXPECT_TRUE(root.dirty.IsEmpty());
    EXPECT_EQ(root.presents, 1);

    // A plain container is invalidated only where its children lie.
    CWidget* box = new CWidget;
    TestWidget* item = new TestWidget(u"item");
    ASSERT_EQ(Place(&root, box, {30, 30, 90, 90}), kResOk);
    ASSERT_EQ(Place(box, item, {5, 5, 15, 15}), kResOk);
    root.ClearRecords();
    ASSERT_EQ(box->Invalidate(0), kResOk);
    EXPECT_EQ(root.invalidated, (std::vector<tCRect>{{35, 35, 45, 45}}));
    root.ClearRecords();
    const tCRect empty{20, 20, 50, 50};
    ASSERT_EQ(box->InvalidateRectInBounds(&empty, 0), kResOk);
    EXPECT_TRUE(root.dirty.IsEmpty());

    // With an effect the container paints and is invalidated whole.
    ASSERT_EQ(box->SetBackEffect(new TestEffect({0, 0, 60, 60}, kRed), 0, 0), kResOk);
    root.ClearRecords();
    ASSERT_EQ(box->Invalidate(0), kResOk);
    EXPECT_EQ(root.invalidated, (std::vector<tCRect>{{30, 30, 90, 90}}));
}

TEST(WidgetDrawTest, DirectMoveScrollsAndRedrawsTheUncoveredL)
{
    TestRoot root(100, 100);
    TestWidget* widget = new TestWidget(u"mover");
    ASSERT_EQ(Place(&root, widget, {10, 10, 30, 20}), kResOk);
    widget->SetDirectBlit(1);
    root.ClearRecords();

    ASSERT_EQ(widget->MoveBy(5, 3, 0), kResOk);
    ASSERT_EQ(root.scrolls.size(), 1u);
    EXPECT_EQ(root.scrolls[0].first, (tCRect{10, 10, 30, 20}));
    EXPECT_EQ(root.scrolls[0].second, (tCPoint{5, 3}));
    // What the moved pixels no longer cover: the top strip and the left strip of the old place.
    EXPECT_EQ(root.invalidated, (std::vector<tCRect>{{10, 10, 30, 13}, {10, 13, 15, 20}}));
}

TEST(WidgetDrawTest, MovesSkipWhatWidgetsInFrontHide)
{
    TestRoot root(100, 100);
    TestWidget* widget = new TestWidget(u"mover");
    TestWidget* cover = new TestWidget(u"cover");
    ASSERT_EQ(Place(&root, widget, {10, 10, 30, 20}), kResOk);
    ASSERT_EQ(Place(&root, cover, {0, 0, 14, 40}), kResOk);
    widget->SetDirectBlit(1);
    root.ClearRecords();

    ASSERT_EQ(widget->MoveBy(5, 3, 0), kResOk);
    // Pixels under the cover cannot be moved: the source starts right of it.
    ASSERT_EQ(root.scrolls.size(), 1u);
    EXPECT_EQ(root.scrolls[0].first, (tCRect{14, 10, 30, 20}));
    // Everything of the old and new places that was not moved is redrawn.
    CRegion expected(tCRect{10, 10, 30, 20});
    ASSERT_EQ(expected.AddRect({15, 13, 35, 23}), kResOk);
    ASSERT_EQ(expected.SubtractRect({19, 13, 35, 23}), kResOk);
    CRegion redrawn;
    for (const tCRect& rect : root.invalidated)
        ASSERT_EQ(redrawn.AddRect(rect), kResOk);
    CRegion difference(redrawn);
    ASSERT_EQ(difference.SubtractRegion(expected), kResOk);
    EXPECT_TRUE(difference.IsEmpty());
    ASSERT_EQ(expected.SubtractRegion(redrawn), kResOk);
    EXPECT_TRUE(expected.IsEmpty());
}

TEST(WidgetDrawTest, QueuedMovesNeverOverwriteASourceStillToBeRead)
{
    TestRoot root(100, 100);
    CWidget* panel = new CWidget;
    TestWidget* widget = new TestWidget(u"w");
    ASSERT_EQ(Place(&root, panel, {5, 5, 95, 95}), kResOk);
    ASSERT_EQ(Place(panel, widget, {0, 0, 10, 10}), kResOk);
    CRegion region(tCRect{0, 0, 10, 10});
    ASSERT_EQ(region.AddRect({10, 0, 20, 10}), kResOk);
    const tCPoint offset{10, 0};
    ASSERT_EQ(widget->QueueRegionMove(&region, &offset), kResOk);
    // The right rect moves first; both in root coordinates.
    ASSERT_EQ(root.scrolls.size(), 2u);
    EXPECT_EQ(root.scrolls[0].first, (tCRect{15, 5, 25, 15}));
    EXPECT_EQ(root.scrolls[1].first, (tCRect{5, 5, 15, 15}));
}

TEST(WidgetDrawTest, EffectsSetTheExtentAndAreFoundAndTold)
{
    TestRoot root(100, 100);
    TestWidget* widget = new TestWidget(u"w");
    ASSERT_EQ(Place(&root, widget, {20, 20, 40, 40}), kResOk);
    bool destroyed = false;
    TestEffect* shadow = new TestEffect({-5, -5, 25, 28}, 0, &destroyed);
    shadow->type = 0x73686678;  // 'shfx'
    ASSERT_EQ(widget->SetBackEffect(shadow, 1, 0), kResOk);
    EXPECT_EQ(shadow->updates, 1);
    EXPECT_EQ(widget->GetExtent(), (tCRect{15, 15, 45, 48}));
    EXPECT_EQ(widget->GetBackEffect(1), shadow);
    EXPECT_EQ(widget->GetBackEffect(4), nullptr);
    EXPECT_EQ(widget->SetBackEffect(shadow, 4, 0), kResBadParam);

    TestWidget* inner = new TestWidget(u"inner");
    ASSERT_EQ(Place(widget, inner, {0, 0, 5, 5}), kResOk);
    EXPECT_EQ(inner->FindEffect(0x73686678), shadow);
    EXPECT_EQ(inner->FindEffect(0x676C6678), nullptr);

    // Moving the widget tells its effects of the old and the new rect, and the extent follows.
    shadow->changes.clear();
    ASSERT_EQ(widget->MoveBy(1, 0, 0), kResOk);
    ASSERT_EQ(shadow->changes.size(), 2u);
    EXPECT_EQ(shadow->changes[0].second, (tCRect{20, 20, 40, 40}));
    EXPECT_EQ(shadow->changes[1].second, (tCRect{21, 20, 41, 40}));
    EXPECT_EQ(widget->GetExtent(), (tCRect{16, 15, 46, 48}));

    // Replacing the effect deletes the old one.
    ASSERT_EQ(widget->SetBackEffect(new TestEffect({0, 0, 1, 1}, 0), 1, 0), kResOk);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(widget->GetExtent(), widget->GetRect());
}

}  // namespace
