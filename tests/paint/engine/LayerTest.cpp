#include <gtest/gtest.h>

#include <cmath>

#include "CellTestSupport.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/CLayer.h"
#include "paint/engine/ILayerImageView.h"
#include "paint/engine/IPaperGrainBuilder.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageFixtures.h"

namespace {

// Each test starts with no shared view-image size and the layers-changed flag down.
class LayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CLayer::SetViewImageSize({0, 0});
        CLayer::SetLayersChanged(0);
    }
    void TearDown() override
    {
        CLayer::SetViewImageSize({0, 0});
        CLayer::SetLayersChanged(0);
        CLayer::SetPaperGrainBuilder(nullptr);
    }
};

void FillLayer(CLayer& layer, const PaintCell& cell)
{
    CPaintCellNav nav(layer.GetCellMap());
    FillCells(nav, &cell);
}

uint32_t Channel(uint32_t colour, int shift) { return (colour >> shift) & 255; }

// Per channel a + floor((b - a) w / 256), all four bytes.
uint32_t LerpBytes(uint32_t a, uint32_t b, int w)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = int(Channel(a, shift)), cb = int(Channel(b, shift));
        out |= uint32_t(ca + int(std::floor((cb - ca) * w / 256.0))) << shift;
    }
    return out;
}

// A colour with alpha a over a background: red, green and blue move by floor((c - bg + 1) a / 256);
// the background keeps its alpha.
uint32_t Over(uint32_t colour, uint32_t background)
{
    const int a = int(colour >> 24);
    if (a == 255)
        return colour;
    uint32_t out = background & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = int(Channel(colour, shift)), bg = int(Channel(background, shift));
        out |= uint32_t(bg + int(std::floor((c - bg + 1) * a / 256.0))) << shift;
    }
    return out;
}

TEST_F(LayerTest, ANewLayerHasThePaperDefaults)
{
    CLayer layer;
    uint32_t colour = 0;
    layer.GetPaperColour(&colour);
    EXPECT_EQ(colour, 0xFFFFFFFAu);
    EXPECT_FLOAT_EQ(layer.GetPaperShine(), 0.2f);
    EXPECT_FLOAT_EQ(layer.GetGrainDepth(), 0.5f);
    EXPECT_FLOAT_EQ(layer.GetGrainScale(), 0.5f);
    EXPECT_FLOAT_EQ(layer.GetPaperExtra(), 0.0f);
    EXPECT_FLOAT_EQ(layer.GetPaperSpare(), 0.0f);
    EXPECT_FLOAT_EQ(layer.GetOpacity(), 1.0f);
    EXPECT_FLOAT_EQ(layer.GetPaperOpacity(), 1.0f);
    EXPECT_EQ(layer.GetVisible(), 1u);
    EXPECT_EQ(layer.GetPaperVisible(), 1u);
    EXPECT_TRUE(layer.GetName().IsEmpty());
    EXPECT_EQ(layer.GetGrainImage(), nullptr);
    EXPECT_EQ(layer.GetWidth(), 0);
    EXPECT_EQ(layer.DryAll(), kResNoMemory);
    EXPECT_EQ(layer.WetAll(), kResNoMemory);
    EXPECT_EQ(layer.ConvertToPaint(60), kResNoMemory);
}

TEST_F(LayerTest, FourSettersRaiseTheSharedLayersChangedFlag)
{
    CLayer layer;
    layer.SetPaperShine(0.5f);
    layer.SetGrainDepth(0.1f);
    layer.SetPaperVisible(0);
    layer.SetName(u"Fine");
    EXPECT_EQ(CLayer::GetLayersChanged(), 0u);
    layer.SetPaperColour(0xFF000000u);
    EXPECT_EQ(CLayer::GetLayersChanged(), 1u);
    for (int i = 0; i < 3; ++i) {
        CLayer::SetLayersChanged(0);
        if (i == 0)
            layer.SetPaperOpacity(0.5f);
        else if (i == 1)
            layer.SetOpacity(0.5f);
        else
            layer.SetVisible(0);
        EXPECT_EQ(CLayer::GetLayersChanged(), 1u) << i;
    }
}

TEST_F(LayerTest, SizingFollowsTheSharedViewImageSize)
{
    CLayer layer;
    ASSERT_EQ(layer.SetSize(6, 4), kResOk);
    EXPECT_FALSE(layer.GetImage().IsValid());
    CLayer::SetViewImageSize({3, 2});
    ASSERT_EQ(layer.SetSize(8, 5), kResOk);
    EXPECT_EQ(layer.GetImage().GetWidth(), 3);
    EXPECT_EQ(layer.GetImage().GetHeight(), 2);
    EXPECT_EQ(layer.GetDirtyRect(), (tCRect{0, 0, 8, 5}));
    EXPECT_EQ(layer.SetSize(40000, 5), kResBadParam);
}

TEST_F(LayerTest, AnEmptyDirtyRectangleTakesTheNextOneUnchanged)
{
    CLayer layer;
    layer.AddDirtyRect({5, 5, 5, 9});
    EXPECT_EQ(layer.GetDirtyRect(), (tCRect{5, 5, 5, 9}));
    layer.AddDirtyRect({1, 2, 3, 4});
    EXPECT_EQ(layer.GetDirtyRect(), (tCRect{1, 2, 3, 4}));
    layer.AddDirtyRect({2, 0, 7, 3});
    EXPECT_EQ(layer.GetDirtyRect(), (tCRect{1, 0, 7, 4}));
}

TEST_F(LayerTest, HalfRedMergedOverWhiteIsPinkInLinearLight)
{
    CLayer bottom, top;
    bottom.SetSize(2, 1);
    top.SetSize(2, 1);
    FillLayer(bottom, MakeCell(0xFFFFFFFFu, 100, 1000, 200, 10));
    // Odd distances, at which the + 1 of the rounding shows: 2001, -99 and 101.
    CellAt(top.GetCellMap(), 0, 0) = MakeCell(0x80FF0000u, 50, 3001, 101, 111);
    CellAt(top.GetCellMap(), 1, 0) = MakeCell(0x00FF0000u, 300, 3000, 100, 110);
    bottom.SetVisible(0);
    top.SetVisible(1);
    ASSERT_EQ(bottom.MergeFrom(&top), kResOk);
    // Not the byte average (255, 127, 127): half of full light is 0.5^(1/1.7) = 0.665 of 255.
    EXPECT_EQ(ColourAt(bottom.GetCellMap(), 0, 0), 0xFFFFA9A9u);
    // Thickness is the larger; the rest moves toward the source by (s - v + 1) x 128 >> 8, with
    // an arithmetic shift: 1000 + 1001, 200 - 49 and 10 + 51 (without the + 1: 1000, -50, 50).
    EXPECT_EQ(ThicknessAt(bottom.GetCellMap(), 0, 0), 100u);
    EXPECT_EQ(WetnessAt(bottom.GetCellMap(), 0, 0), 2001u);
    EXPECT_EQ(ShineAt(bottom.GetCellMap(), 0, 0), 151u);
    EXPECT_EQ(ExtraAt(bottom.GetCellMap(), 0, 0), 61u);
    // A source without coverage leaves the colour and the other fields, but not the thickness.
    EXPECT_TRUE(SameCell(CellAt(bottom.GetCellMap(), 1, 0), MakeCell(0xFFFFFFFFu, 300, 1000, 200, 10)));
    EXPECT_EQ(bottom.GetVisible(), 1u);
}

TEST_F(LayerTest, MergingLayersOfDifferentSizesOrWithoutCellsIsRefused)
{
    CLayer a, b, none;
    a.SetSize(2, 2);
    b.SetSize(3, 2);
    EXPECT_EQ(a.MergeFrom(&b), kResBadParam);
    EXPECT_EQ(a.MergeFrom(&none), kResNoMemory);
    EXPECT_EQ(none.MergeFrom(&a), kResNoMemory);
}

TEST_F(LayerTest, ConvertToPaintWithoutGrainMakesOpaqueCellsWetPaint)
{
    CLayer layer;
    layer.SetSize(3, 2);
    FillLayer(layer, MakeCell(0xFE102030u, 10, 0, 3, 4));
    CellAt(layer.GetCellMap(), 1, 0).thickness = 500;
    ASSERT_EQ(layer.ConvertToPaint(60), kResOk);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x) {
            const uint16_t thickness = x == 1 && y == 0 ? 500 : 60;
            EXPECT_TRUE(SameCell(CellAt(layer.GetCellMap(), x, y), MakeCell(0xFE102030u, thickness, 65535, 250, 0)));
        }
}

TEST_F(LayerTest, ConvertToPaintLeavesCellsBelowOpaqueAsTheyAre)
{
    CLayer layer;
    layer.SetSize(2, 1);
    layer.SetGrainImage(new CImage8(2, 2));
    CellAt(layer.GetCellMap(), 0, 0) = MakeCell(0xFDFFFFFFu, 0, 0, 0, 9);
    CellAt(layer.GetCellMap(), 1, 0) = MakeCell(0xFCFFFFFFu, 0, 7, 1, 9);
    ASSERT_EQ(layer.ConvertToPaint(60), kResOk);
    EXPECT_TRUE(SameCell(CellAt(layer.GetCellMap(), 0, 0), MakeCell(0xFDFFFFFFu, 60, 65535, 250, 0)));
    EXPECT_TRUE(SameCell(CellAt(layer.GetCellMap(), 1, 0), MakeCell(0xFCFFFFFFu, 0, 7, 1, 9)));
}

TEST_F(LayerTest, ConvertToPaintOfAnOpaqueLayerFollowsTheGrain)
{
    // Grain scale 0.5 is zoom 1: one grain pixel per cell, sampled exactly. Depth 0.5 is 256,
    // so the relief of a sample is the sample itself and the base is the largest value + 60.
    CLayer layer;
    layer.SetSize(5, 3);
    CImage8* grain = new CImage8(2, 2);
    {
        CImNav8 nav(grain);
        nav.Bytes(0)[0] = 10;
        nav.Bytes(0)[1] = 200;
        nav.Bytes(1)[0] = 0;
        nav.Bytes(1)[1] = 90;
    }
    layer.SetGrainImage(grain);
    FillLayer(layer, MakeCell(0xFF123456u, 0, 0, 0, 3));
    CellAt(layer.GetCellMap(), 4, 2).thickness = 1000;
    ASSERT_EQ(layer.ConvertToPaint(60), kResOk);
    const int values[2][2] = {{10, 200}, {0, 90}};
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            const uint32_t expected = x == 4 && y == 2 ? 1000 : uint32_t(200 + 60 - values[y % 2][x % 2]);
            EXPECT_EQ(ThicknessAt(layer.GetCellMap(), x, y), expected) << x << "," << y;
            EXPECT_EQ(ShineAt(layer.GetCellMap(), x, y), 250u);
            EXPECT_EQ(WetnessAt(layer.GetCellMap(), x, y), 65535u);
            EXPECT_EQ(ExtraAt(layer.GetCellMap(), x, y), 0u);
        }
}

TEST_F(LayerTest, DryingAndWettingChangeNothingButWetness)
{
    CLayer layer;
    layer.SetSize(4, 3);
    FillDistinct(layer.GetCellMap());
    CPaintCellMap original;
    original.SetSize(4, 3);
    FillDistinct(original);
    ASSERT_EQ(layer.DryAll(), kResOk);
    EXPECT_EQ(WetnessAt(layer.GetCellMap(), 2, 1), 0u);
    ASSERT_EQ(layer.WetAll(), kResOk);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            PaintCell expected = CellAt(original, x, y);
            expected.wetness = 65535;
            EXPECT_TRUE(SameCell(CellAt(layer.GetCellMap(), x, y), expected));
        }
}

TEST_F(LayerTest, ATransparentLayerWithoutPaperDrawsTheCheckerboard)
{
    CLayer layer;
    layer.SetSize(16, 16);
    layer.SetPaperVisible(0);
    ASSERT_EQ(layer.SetImageSize(16, 16), kResOk);
    ASSERT_EQ(layer.RedrawImage(), kResOk);
    // The centre (8, 8) is a multiple of 8: the square touching it from the top left is dark,
    // squares are 4 pixels wide, and they alternate.
    EXPECT_EQ(PixelAt(layer.GetImage(), 7, 7), 0xFFE0E0E0u);
    EXPECT_EQ(PixelAt(layer.GetImage(), 4, 4), 0xFFE0E0E0u);
    EXPECT_EQ(PixelAt(layer.GetImage(), 3, 4), 0xFFF0F0F0u);
    EXPECT_EQ(PixelAt(layer.GetImage(), 8, 7), 0xFFF0F0F0u);
    EXPECT_EQ(PixelAt(layer.GetImage(), 8, 8), 0xFFE0E0E0u);
    EXPECT_EQ(PixelAt(layer.GetImage(), 0, 0), 0xFFE0E0E0u);
}

TEST_F(LayerTest, PaperIsLaidOverTheCheckerboardByItsOpacity)
{
    CLayer layer;
    layer.SetSize(8, 8);
    layer.SetPaperColour(0xFF204080u);
    layer.SetPaperOpacity(0.5f);
    ASSERT_EQ(layer.SetImageSize(8, 8), kResOk);
    ASSERT_EQ(layer.RedrawImage(), kResOk);
    // a = round(0.5 x 255) = 128; the paper's alpha becomes the top byte of 129 x 0xFF2040.
    const uint32_t paper = ((129u * 0xFF2040u) & 0xFF000000u) | 0x204080u;
    EXPECT_EQ(paper >> 24, 128u);
    EXPECT_EQ(PixelAt(layer.GetImage(), 0, 0), Over(paper, 0xFFE0E0E0u));
    EXPECT_EQ(PixelAt(layer.GetImage(), 4, 0), Over(paper, 0xFFF0F0F0u));

    layer.SetPaperOpacity(1.0f);
    ASSERT_EQ(layer.RedrawImage(), kResOk);
    EXPECT_EQ(PixelAt(layer.GetImage(), 5, 5), 0xFF204080u);
}

TEST_F(LayerTest, AtFullSizeEachPixelShowsItsCellAndTheLastRowIsMixed)
{
    CLayer layer;
    layer.SetSize(3, 2);
    layer.SetPaperVisible(0);
    const uint32_t colours[2][3] = {{0xFFFF0000u, 0x8000FF00u, 0x00000000u}, {0xFF0000FFu, 0xFFFFFFFFu, 0x40102030u}};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            CellAt(layer.GetCellMap(), x, y) = MakeCell(colours[y][x]);
    ASSERT_EQ(layer.SetImageSize(3, 2), kResOk);
    ASSERT_EQ(layer.RedrawImage(), kResOk);
    // Image 3 x 2, centre (1, 1): pixel (x, y) lies in the dark square when (1 + x) mod 8 and
    // (1 + y) mod 8 are both below 4, which holds for all six.
    for (int32_t x = 0; x < 3; ++x) {
        EXPECT_EQ(PixelAt(layer.GetImage(), x, 0), Over(colours[0][x], 0xFFE0E0E0u)) << x;
        // Row 1 is the last row: rows 0 and 1 mixed with weight 255.
        EXPECT_EQ(PixelAt(layer.GetImage(), x, 1), Over(LerpBytes(colours[0][x], colours[1][x], 255), 0xFFE0E0E0u))
            << x;
    }
}

TEST_F(LayerTest, DrawingSwitchesToAveragingAtAStepOf81921)
{
    // 5 cells over 4 pixels is a step of 81920 and still interpolates; 13654 over 10923 is 81921
    // and averages. Vertically both halve. Pixel 0 covers cell column 0 either way: interpolation
    // shows the upper cell, averaging the mean of both.
    struct Case {
        int32_t mapWidth;
        int32_t imageWidth;
        uint32_t expected;
    };
    const Case cases[] = {{5, 4, 0xFFFF0000u}, {13654, 10923, 0xFF7F007Fu}};
    for (const Case& c : cases) {
        CLayer layer;
        layer.SetSize(c.mapWidth, 2);
        CellAt(layer.GetCellMap(), 0, 0) = MakeCell(0xFFFF0000u);
        CellAt(layer.GetCellMap(), 0, 1) = MakeCell(0xFF0000FFu);
        ASSERT_EQ(layer.SetImageSize(c.imageWidth, 1), kResOk);
        ASSERT_EQ(layer.RedrawImage(), kResOk);
        EXPECT_EQ(PixelAt(layer.GetImage(), 0, 0), c.expected) << c.mapWidth;
    }
}

TEST_F(LayerTest, AveragingManyCellsPerPixelSumsWithoutOverflow)
{
    // 300 x 300 = 90000 cells per pixel: 32-bit sums of value x alpha would wrap.
    CLayer layer;
    layer.SetSize(300, 300);
    FillLayer(layer, MakeCell(0xFFFFFFFFu));
    CellAt(layer.GetCellMap(), 0, 0) = MakeCell(0x00000000u);
    ASSERT_EQ(layer.SetImageSize(1, 1), kResOk);
    ASSERT_EQ(layer.RedrawImage(), kResOk);
    // Alpha 255 x 89999 / 90000 = 254, white over the paper (0xFFFFFFFA: blue 250 + 1 x 254 / 256).
    EXPECT_EQ(PixelAt(layer.GetImage(), 0, 0), Over(0xFEFFFFFFu, 0xFFFFFFFAu));
}

class FakeView : public ILayerImageView {
public:
    CImage image{4, 2};
    tCRect invalidated;
    uint32_t invalidations = 0;
    CImage* GetImage() override { return &image; }
    void InvalidateRectInBounds(const tCRect& rect, uint32_t flag) override
    {
        invalidated = rect;
        invalidations += flag;
    }
};

TEST_F(LayerTest, UpdateImageRedrawsTheDirtyCellsAndCopiesThemIntoTheView)
{
    CLayer layer;
    layer.SetSize(8, 4);
    layer.SetPaperVisible(0);
    ASSERT_EQ(layer.SetImageSize(4, 2), kResOk);
    CellAt(layer.GetCellMap(), 6, 3) = MakeCell(0xFF00FF00u);
    layer.AddDirtyRect({6, 3, 7, 4});
    FakeView view;
    LayerViewUpdate update;
    update.view = &view;
    // The dirty rectangle was the whole map after SetImageSize; the union still is.
    ASSERT_EQ(layer.UpdateImage(&update), kResOk);
    EXPECT_EQ(update.rect, (tCRect{0, 0, 4, 2}));
    EXPECT_EQ(view.invalidated, (tCRect{0, 0, 4, 2}));
    EXPECT_EQ(view.invalidations, 1u);
    EXPECT_TRUE(layer.GetDirtyRect().IsEmpty());
    // 2 cells per pixel: pixel (3, 1) averages cells 6..7 x 2..3, one of them green; with the
    // centre at (2, 1) it lies in a light square.
    EXPECT_EQ(PixelAt(view.image, 3, 1), Over(0x3F00FF00u, 0xFFF0F0F0u));
    EXPECT_EQ(PixelAt(view.image, 0, 0), 0xFFE0E0E0u);

    // A later change of one cell redraws its pixels and a margin of one.
    CellAt(layer.GetCellMap(), 0, 0) = MakeCell(0xFFFF0000u);
    layer.AddDirtyRect({0, 0, 1, 1});
    ASSERT_EQ(layer.UpdateImage(&update), kResOk);
    EXPECT_EQ(update.rect, (tCRect{0, 0, 1, 1}));
    EXPECT_EQ(PixelAt(view.image, 0, 0), Over(0x3FFF0000u, 0xFFE0E0E0u));

    // Without dirty cells the whole view is copied, not redrawn.
    CellAt(layer.GetCellMap(), 2, 0) = MakeCell(0xFF0000FFu);
    ASSERT_EQ(layer.UpdateImage(&update), kResOk);
    EXPECT_EQ(update.rect, (tCRect{0, 0, 4, 2}));
    EXPECT_EQ(PixelAt(view.image, 1, 0), 0xFFE0E0E0u);
    // The shared flag redraws every cell.
    CLayer::SetLayersChanged(1);
    ASSERT_EQ(layer.UpdateImage(&update), kResOk);
    EXPECT_EQ(PixelAt(view.image, 1, 0), Over(0x3F0000FFu, 0xFFE0E0E0u));
}

TEST_F(LayerTest, UpdateImageWithoutAViewOrCellsDoesNothing)
{
    CLayer layer;
    LayerViewUpdate update;
    EXPECT_EQ(layer.UpdateImage(&update), kResOk);
    FakeView view;
    update.view = &view;
    CLayer::SetLayersChanged(1);
    EXPECT_EQ(layer.UpdateImage(&update), kResOk);
    EXPECT_EQ(view.invalidations, 0u);
    layer.SetSize(0, 0);
    EXPECT_EQ(layer.UpdateImage(&update), kResOk);
    EXPECT_EQ(view.invalidations, 0u);
}

class GrainBuilder : public IPaperGrainBuilder {
public:
    int calls = 0;
    CImage8* BuildPaperGrain(const CCanvasInfo& info) override
    {
        ++calls;
        return info.paperName.IsEmpty() ? nullptr : new CImage8(3, 3);
    }
};

class Controller : public tCCmdTarget {
public:
    uint32_t lastMessage = 0;
    tMsgArg lastSender = 0;
    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg, tMsgArg, uint32_t) override
    {
        lastMessage = message;
        lastSender = a;
        return kResOk;
    }
};

TEST_F(LayerTest, CanvasSettingsAreAppliedAndReported)
{
    GrainBuilder builder;
    CLayer::SetPaperGrainBuilder(&builder);
    Controller controller;
    tCCmdTarget::SetBackboneTarget(&controller);

    CLayer layer;
    layer.SetSize(4, 4);
    CCanvasInfo info;
    info.paperName = u"Rough";
    info.paperColour = 0xFF808080u;
    info.paperOpacity = 128;
    info.grainScale = 0.25f;
    info.grainDepth = 0.75f;
    info.paperShine = 0.4f;
    info.paperExtra = 0.1f;
    info.paperSpare = 0.6f;
    ASSERT_EQ(layer.OnMessage(kMsgLayerCanvasInfo, ToMsgArg(&info), 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(controller.lastMessage, kMsgLayersChanged);
    EXPECT_EQ(controller.lastSender, ToMsgArg(&layer));
    EXPECT_EQ(builder.calls, 1);
    ASSERT_NE(layer.GetGrainImage(), nullptr);
    EXPECT_EQ(layer.GetGrainImage()->GetWidth(), 3);
    EXPECT_FLOAT_EQ(layer.GetPaperOpacity(), 128 / 255.0f);
    EXPECT_EQ(layer.GetName(), u"Rough");

    CCanvasInfo reported;
    ASSERT_EQ(layer.ExchangeCanvasInfo(&reported, kMsgReport), kResOk);
    EXPECT_EQ(reported.paperColour, 0xFF808080u);
    EXPECT_EQ(reported.paperOpacity, 128);
    EXPECT_FLOAT_EQ(reported.grainScale, 0.25f);
    EXPECT_FLOAT_EQ(reported.grainDepth, 0.75f);
    EXPECT_FLOAT_EQ(reported.paperShine, 0.4f);
    EXPECT_FLOAT_EQ(reported.paperExtra, 0.1f);
    EXPECT_FLOAT_EQ(reported.paperSpare, 0.6f);
    EXPECT_EQ(reported.paperName, u"Rough");
    EXPECT_EQ(reported.paperImage, layer.GetGrainImage());

    // Unchanged colour and opacity do not raise the shared flag; no grain keeps the old one.
    CLayer::SetLayersChanged(0);
    CImage8* grain = layer.GetGrainImage();
    reported.paperName = u"";
    ASSERT_EQ(layer.ApplyCanvasInfo(&reported), kResOk);
    EXPECT_EQ(CLayer::GetLayersChanged(), 0u);
    EXPECT_EQ(layer.GetGrainImage(), grain);
    EXPECT_TRUE(layer.GetName().IsEmpty());

    EXPECT_EQ(layer.ExchangeCanvasInfo(nullptr, kMsgApply), kResOk);
    EXPECT_EQ(layer.OnMessage(0xFF001007u, 0, 0, 0, kMsgApply), kResOk);
    tCCmdTarget::SetBackboneTarget(nullptr);
}

// A layer with distinct cells and paper settings unlike the defaults.
void MakeSourceLayer(CLayer& layer)
{
    layer.SetSize(5, 3);
    FillDistinct(layer.GetCellMap());
    layer.SetPaperColour(0xFF102030u);
    layer.SetPaperShine(0.7f);
    layer.SetGrainDepth(0.9f);
    layer.SetPaperExtra(0.3f);
    layer.SetGrainScale(0.8f);
    layer.SetPaperSpare(0.4f);
    layer.SetOpacity(0.6f);
    layer.SetPaperOpacity(0.25f);
    layer.SetVisible(0);
    layer.SetPaperVisible(0);
}

TEST_F(LayerTest, CopyFromTakesCellsAndSettingsAndSharesThePooledGrain)
{
    ScriptedApp application;
    CLayer source;
    MakeSourceLayer(source);
    CImage8* grain = new CImage8(4, 4);
    source.SetGrainImage(grain);
    CLayer copy;
    copy.SetSize(2, 2);
    CLayer::SetLayersChanged(0);
    ASSERT_EQ(copy.CopyFrom(&source), kResOk);
    EXPECT_EQ(CLayer::GetLayersChanged(), 0u);
    EXPECT_EQ(copy.GetWidth(), 5);
    EXPECT_EQ(copy.GetHeight(), 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            EXPECT_TRUE(SameCell(CellAt(copy.GetCellMap(), x, y), CellAt(source.GetCellMap(), x, y)));
    uint32_t colour = 0;
    copy.GetPaperColour(&colour);
    EXPECT_EQ(colour, 0xFF102030u);
    EXPECT_FLOAT_EQ(copy.GetPaperShine(), 0.7f);
    EXPECT_FLOAT_EQ(copy.GetGrainDepth(), 0.9f);
    EXPECT_FLOAT_EQ(copy.GetPaperExtra(), 0.3f);
    EXPECT_FLOAT_EQ(copy.GetGrainScale(), 0.8f);
    EXPECT_FLOAT_EQ(copy.GetPaperSpare(), 0.4f);
    EXPECT_FLOAT_EQ(copy.GetOpacity(), 0.6f);
    EXPECT_FLOAT_EQ(copy.GetPaperOpacity(), 0.25f);
    EXPECT_EQ(copy.GetVisible(), 0u);
    EXPECT_EQ(copy.GetPaperVisible(), 0u);
    EXPECT_EQ(copy.GetDirtyRect(), (tCRect{0, 0, 5, 3}));
    // Both hold the one grain image, which now belongs to the pool: neither layer deletes it.
    EXPECT_EQ(copy.GetGrainImage(), grain);
    EXPECT_EQ(source.GetGrainImage(), grain);
    EXPECT_TRUE(grain->IsPoolOwned());
    EXPECT_EQ(copy.CopyFrom(&copy), kResOk);
    EXPECT_EQ(copy.GetWidth(), 5);
    EXPECT_TRUE(SameCell(CellAt(copy.GetCellMap(), 4, 2), CellAt(source.GetCellMap(), 4, 2)));
}

TEST_F(LayerTest, CopyingALayerWithoutGrainDropsTheCopysGrain)
{
    ScriptedApp application;
    CImage8* pooled = new CImage8(2, 2);
    ASSERT_EQ(application.AddResourceToPool(kImagePool, pooled), kResOk);
    CLayer source, withPooled, withOwn;
    MakeSourceLayer(source);
    withPooled.SetGrainImage(pooled);
    withOwn.SetGrainImage(new CImage8(2, 2));
    ASSERT_EQ(withPooled.CopyFrom(&source), kResOk);
    ASSERT_EQ(withOwn.CopyFrom(&source), kResOk);
    EXPECT_EQ(withPooled.GetGrainImage(), nullptr);
    EXPECT_EQ(withOwn.GetGrainImage(), nullptr);
    EXPECT_EQ(application.FindResourceById(kImagePool, 0), pooled);
}

TEST_F(LayerTest, WithoutAnApplicationAGrainCannotBeSharedAndNothingIsCopied)
{
    ASSERT_EQ(GetApplication(), nullptr);
    CLayer source;
    MakeSourceLayer(source);
    source.SetGrainImage(new CImage8(4, 4));
    CLayer copy;
    copy.SetSize(2, 2);
    CellAt(copy.GetCellMap(), 1, 1) = MakeCell(0xFF0000FFu, 7);
    EXPECT_EQ(copy.CopyFrom(&source), kResFailure);
    EXPECT_EQ(copy.GetWidth(), 2);
    EXPECT_TRUE(SameCell(CellAt(copy.GetCellMap(), 1, 1), MakeCell(0xFF0000FFu, 7)));
    EXPECT_EQ(copy.GetGrainImage(), nullptr);
    EXPECT_FALSE(source.GetGrainImage()->IsPoolOwned());
    EXPECT_EQ(copy.CopyFrom(nullptr), kResBadParam);
}

TEST(GrainZoom, RunsFromHalfToFourAndIsOneAtTheMiddle)
{
    EXPECT_FLOAT_EQ(CLayer::GrainZoom(0.0f), 0.5f);
    EXPECT_FLOAT_EQ(CLayer::GrainZoom(0.5f), 1.0f);
    EXPECT_FLOAT_EQ(CLayer::GrainZoom(1.0f), 4.0f);
    EXPECT_FLOAT_EQ(CLayer::GrainZoom(0.25f), 0.625f);
}

}  // namespace
