#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CanvasTestSupport.h"
#include "UndoTestSupport.h"
#include "paint/engine/GammaTables.h"
#include "paint/engine/TracingPlacement.h"

namespace {


// Pixel (x, y) of a test image: opaque and different from its neighbours.
CPixel Distinct(int32_t x, int32_t y) { return 0xFF000000u | uint32_t(x & 255) << 16 | uint32_t(y & 255) << 8 | 0x40u; }

CImage* MakeImage(int32_t width, int32_t height, CPixel (*pixel)(int32_t, int32_t) = Distinct)
{
    auto* image = new CImage(width, height);
    CImNav nav(image);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            nav.Pixels(y)[x] = pixel(x, y);
    return image;
}

bool IsBare(const PaintCell& cell) { return SameCell(cell, MakeCell(0)); }

// A 100 x 100 painting of one layer whose controller records the undo hooks.
class ImageImportTest : public CanvasGlobalsTest {
protected:
    void SetUp() override
    {
        CanvasGlobalsTest::SetUp();
        ASSERT_EQ(canvas.SetCanvasSize(100, 100), kResOk);
        ASSERT_EQ(canvas.InsertNewLayer(0), kResOk);
        canvas.SetHost(&host);
    }
    CPaintCellMap& Cells() { return canvas.GetLayer(0)->GetCellMap(); }
    tResult Import(int32_t width, int32_t height, uint32_t placement)
    {
        std::unique_ptr<CImage> image(MakeImage(width, height));
        return canvas.ImportImageIntoLayer(image.get(), placement);
    }
    // After any import: every opaque cell is wet paint at least 60 thick with shine 250.
    void ExpectOpaqueCellsArePaint()
    {
        for (int32_t y = 0; y < 100; ++y)
            for (int32_t x = 0; x < 100; ++x)
                if ((ColourAt(Cells(), x, y) >> 24) == 255) {
                    ASSERT_GE(ThicknessAt(Cells(), x, y), 60u) << x << "," << y;
                    ASSERT_EQ(ShineAt(Cells(), x, y), 250u);
                    ASSERT_EQ(WetnessAt(Cells(), x, y), 65535u);
                }
    }

    FakeCanvasHost host;
    CCanvas canvas;
};

TEST_F(ImageImportTest, FittingAWideImageFillsTheMiddleBandOfRows)
{
    FillLayerCells(*canvas.GetLayer(0), MakeCell(0xFF123456u, 900, 5, 9, 9));
    canvas.GetLayer(0)->SetVisible(0);
    ASSERT_EQ(Import(200, 100, 1), kResOk);
    EXPECT_EQ(canvas.GetLayer(0)->GetVisible(), 1u);
    for (int32_t y = 0; y < 100; ++y) {
        for (int32_t x = 0; x < 100; ++x) {
            if (y < 25 || y >= 75) {
                ASSERT_TRUE(IsBare(CellAt(Cells(), x, y))) << x << "," << y;
                continue;
            }
            // Each cell averages two by two pixels of the image halved into 100 x 50.
            const int32_t sx = 2 * x, sy = 2 * (y - 25);
            const uint32_t red = (uint32_t(sx & 255) + uint32_t((sx + 1) & 255)) * 2 / 4;
            const uint32_t green = (uint32_t(sy & 255) + uint32_t((sy + 1) & 255)) * 2 / 4;
            ASSERT_EQ(ColourAt(Cells(), x, y), 0xFF000040u | red << 16 | green << 8) << x << "," << y;
        }
    }
    ExpectOpaqueCellsArePaint();
}

TEST_F(ImageImportTest, FittingATallImageFillsTheMiddleBandOfColumns)
{
    ASSERT_EQ(Import(100, 300, 1), kResOk);
    // A third of the width: columns round(33.3) = 33 to round(66.7) = 67.
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            ASSERT_EQ(ColourAt(Cells(), x, y) >> 24, x >= 33 && x < 67 ? 255u : 0u) << x << "," << y;
}

TEST_F(ImageImportTest, FillingTakesTheMiddleColumnsOfAWideImage)
{
    ASSERT_EQ(Import(200, 100, 2), kResOk);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            ASSERT_EQ(ColourAt(Cells(), x, y), Distinct(50 + x, y)) << x << "," << y;
    ExpectOpaqueCellsArePaint();
}

TEST_F(ImageImportTest, FillingTakesTheMiddleRowsOfATallImage)
{
    ASSERT_EQ(Import(100, 300, 2), kResOk);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            ASSERT_EQ(ColourAt(Cells(), x, y), Distinct(x, 100 + y)) << x << "," << y;
}

TEST_F(ImageImportTest, AnImageOfThePaintingsSizeIsCopiedWhateverThePlacement)
{
    const auto seeThrough = [](int32_t x, int32_t y) { return uint32_t((x + y) % 256) << 24 | uint32_t(x) << 8 | uint32_t(y); };
    for (uint32_t placement : {0u, 1u, 2u, 3u, 4u, 9u}) {
        std::unique_ptr<CImage> image(MakeImage(100, 100, seeThrough));
        ASSERT_EQ(canvas.ImportImageIntoLayer(image.get(), placement), kResOk);
        for (int32_t y = 0; y < 100; ++y)
            for (int32_t x = 0; x < 100; ++x)
                ASSERT_EQ(ColourAt(Cells(), x, y), seeThrough(x, y)) << placement;
        ExpectOpaqueCellsArePaint();
    }
}

TEST_F(ImageImportTest, CentringCopiesPixelForCell)
{
    ASSERT_EQ(Import(30, 20, 3), kResOk);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x) {
            const bool inside = x >= 35 && x < 65 && y >= 40 && y < 60;
            if (inside)
                ASSERT_EQ(ColourAt(Cells(), x, y), Distinct(x - 35, y - 40));
            else
                ASSERT_TRUE(IsBare(CellAt(Cells(), x, y)));
        }
    // Larger than the painting: its middle.
    ASSERT_EQ(Import(141, 120, 3), kResOk);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            ASSERT_EQ(ColourAt(Cells(), x, y), Distinct(x + 20, y + 10));
    ExpectOpaqueCellsArePaint();
}

TEST_F(ImageImportTest, TilingRepeatsTheImageFromTheCentre)
{
    ASSERT_EQ(Import(30, 20, 4), kResOk);
    // The first cell shows column 30 - ((70 / 2) mod 30) - 1 = 24 and row 20 - ((80 / 2) mod 20) - 1 = 19.
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            ASSERT_EQ(ColourAt(Cells(), x, y), Distinct((24 + x) % 30, (19 + y) % 20)) << x << "," << y;
    ExpectOpaqueCellsArePaint();
}

TEST_F(ImageImportTest, StretchingResamplesOverTheWholeLayer)
{
    ASSERT_EQ(Import(50, 50, 0), kResOk);
    // Doubled: the first position lies half a pixel before the first pixel, the last on the last.
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            ASSERT_EQ(ColourAt(Cells(), x, y) >> 24, 255u);
    EXPECT_EQ(ColourAt(Cells(), 0, 0), Distinct(0, 0));
    EXPECT_EQ(ColourAt(Cells(), 99, 99), Distinct(49, 49));
    ExpectOpaqueCellsArePaint();
}

TEST_F(ImageImportTest, AnUnknownPlacementLeavesTheCellsEmpty)
{
    FillLayerCells(*canvas.GetLayer(0), MakeCell(0xFF123456u, 900));
    ASSERT_EQ(Import(30, 20, 5), kResOk);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            ASSERT_TRUE(IsBare(CellAt(Cells(), x, y)));
}

TEST_F(ImageImportTest, AnImageWithoutAreaIsRefusedAndNothingElseIsAFailure)
{
    FillLayerCells(*canvas.GetLayer(0), MakeCell(0xFF123456u, 900));
    CImage empty;
    EXPECT_EQ(canvas.ImportImageIntoLayer(&empty, 1), kResBadParam);
    CImage noRows(5, 0);
    EXPECT_EQ(canvas.ImportImageIntoLayer(&noRows, 2), kResBadParam);
    EXPECT_EQ(canvas.PaintImageIntoLayer(&empty, 1, 0.5f, {}), kResBadParam);
    EXPECT_EQ(ColourAt(Cells(), 3, 3), 0xFF123456u);
    EXPECT_EQ(canvas.ImportImageIntoLayer(nullptr, 1), kResOk);
    std::unique_ptr<CImage> image(MakeImage(4, 4));
    EXPECT_EQ(canvas.PaintImageIntoLayer(image.get(), 5, 0.5f, {}), kResBadParam);
    CCanvas bare;
    EXPECT_EQ(bare.ImportImageIntoLayer(image.get(), 1), kResOk);
    EXPECT_EQ(bare.PaintImageIntoLayer(image.get(), 1, 0.5f, {}), kResOk);
    // A layer without cells.
    ASSERT_EQ(bare.InsertNewLayer(0), kResOk);
    ASSERT_EQ(bare.GetLayer(0)->GetWidth(), 0);
    EXPECT_EQ(bare.ImportImageIntoLayer(image.get(), 1), kResOk);
    EXPECT_EQ(bare.PaintImageIntoLayer(image.get(), 1, 0.5f, {}), kResOk);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ImageImportTest, TheImportMessageTellsTheControllerFirstAndStretches)
{
    RecordingController controller;
    std::unique_ptr<CImage> image(MakeImage(50, 25));
    controller.onMessage = [&](const RecordingController::Message&) {
        EXPECT_TRUE(IsBare(CellAt(Cells(), 0, 0)));
    };
    ASSERT_EQ(canvas.OnMessage(kMsgImportImage, 0, ToMsgArg(image.get()), 0, kMsgApply), kResOk);
    ASSERT_EQ(controller.messages.size(), 1u);
    EXPECT_EQ(controller.messages[0].code, kMsgPaintingModified);
    // Stretched over the whole layer, not fitted.
    EXPECT_EQ(ColourAt(Cells(), 0, 0), Distinct(0, 0));
    EXPECT_EQ(ColourAt(Cells(), 99, 99), Distinct(49, 24));
    EXPECT_EQ(canvas.OnMessage(kMsgImportImage, 0, ToMsgArg(image.get()), 0, kMsgReport), kResOk);
    EXPECT_EQ(controller.messages.size(), 1u);
}

// Washes: the controller's hooks go to a real undo store.
class UndoStoreHost : public FakeCanvasHost {
public:
    tResult BeginUndoStep(uint32_t type, uint32_t value) override { return store.BeginStep(type, value); }
    tResult EndUndoStep() override { return store.EndStep(); }
    tResult SaveUndoTiles(const tCRect& area, CPaintCellMap& cells) override { return store.SaveTilesInRect(area, cells); }

    CHMRUndoManager store;
};

class PaintImageTest : public ImageImportTest {
protected:
    void SetUp() override
    {
        ImageImportTest::SetUp();
        ASSERT_EQ(undo.store.Initialise(100, 100), kResOk);
        canvas.SetHost(&undo);
    }

    TemporaryFolderScope folder;
    UndoStoreHost undo;
};

TEST_F(PaintImageTest, ATransparentImageWetsTheCellsUnderItAndUndoRestoresThem)
{
    std::mt19937 random(5);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            CellAt(Cells(), x, y) = MakeCell(uint32_t(random() % 0xF0) << 24 | uint32_t(random() & 0xFFFFFF),
                                             uint16_t(random()), uint16_t(random() % 1000), uint8_t(random()),
                                             uint8_t(random()));
    const std::string before = MapBytes(Cells());
    std::vector<PaintCell> old(10000);
    for (int32_t i = 0; i < 10000; ++i)
        old[size_t(i)] = CellAt(Cells(), i % 100, i / 100);
    std::unique_ptr<CImage> clear(MakeImage(200, 100, [](int32_t, int32_t) { return CPixel(0x00FFFFFFu); }));
    // Fitted, the image covers rows 25 to 74.
    ASSERT_EQ(canvas.PaintImageIntoLayer(clear.get(), 1, 0.5f, {}), kResOk);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x) {
            const PaintCell& was = old[size_t(y * 100 + x)];
            ASSERT_EQ(ColourAt(Cells(), x, y), uint32_t(was.colour));
            ASSERT_EQ(ThicknessAt(Cells(), x, y), uint32_t(was.thickness));
            ASSERT_EQ(WetnessAt(Cells(), x, y), y >= 25 && y < 75 ? 65535u : uint32_t(was.wetness)) << x << "," << y;
        }
    MoveTileStep(undo.store, Cells(), true);
    EXPECT_EQ(MapBytes(Cells()), before);
}

TEST_F(PaintImageTest, AnOpaqueImageReplacesTheColourAndThinsThePaint)
{
    FillLayerCells(*canvas.GetLayer(0), MakeCell(0x40808080u, 1000, 7, 200, 50));
    canvas.GetLayer(0)->SetVisible(0);
    std::unique_ptr<CImage> image(MakeImage(100, 100));
    ASSERT_EQ(canvas.PaintImageIntoLayer(image.get(), 0, 0.5f, {}), kResOk);
    // Opaque: the colour is the pixel's; 1000 x 1 >> 8 = 3, made at least 60 by the paint.
    for (int32_t y = 0; y < 99; ++y)
        for (int32_t x = 0; x < 99; ++x) {
            ASSERT_EQ(ColourAt(Cells(), x, y), Distinct(x, y));
            ASSERT_EQ(ThicknessAt(Cells(), x, y), 60u);
            ASSERT_EQ(ShineAt(Cells(), x, y), 250u);
            ASSERT_EQ(ExtraAt(Cells(), x, y), 0u);
        }
    EXPECT_EQ(canvas.GetLayer(0)->GetVisible(), 1u);
}

TEST_F(PaintImageTest, AHalfCoveringImageMixesAsAMergeDoesAndHalvesThePaint)
{
    const PaintCell cell = MakeCell(0x40806040u, 1000, 7, 200, 50);
    FillLayerCells(*canvas.GetLayer(0), cell);
    std::unique_ptr<CImage> image(MakeImage(50, 50, [](int32_t, int32_t) { return CPixel(0x80FF2010u); }));
    // The same colour merged from a layer.
    CLayer top, bottom;
    ASSERT_EQ(top.SetSize(1, 1), kResOk);
    ASSERT_EQ(bottom.SetSize(1, 1), kResOk);
    FillLayerCells(top, MakeCell(0x80FF2010u));
    FillLayerCells(bottom, cell);
    ASSERT_EQ(bottom.MergeFrom(&top), kResOk);
    const uint32_t merged = ColourAt(bottom.GetCellMap(), 0, 0);
    ASSERT_LT(merged >> 24, 0xFDu);

    ASSERT_EQ(canvas.PaintImageIntoLayer(image.get(), 0, 0.5f, {}), kResOk);
    EXPECT_EQ(ColourAt(Cells(), 10, 10), merged);
    EXPECT_EQ(ThicknessAt(Cells(), 10, 10), 500u);
    EXPECT_EQ(ShineAt(Cells(), 10, 10), 100u);
    EXPECT_EQ(ExtraAt(Cells(), 10, 10), 25u);
    EXPECT_EQ(WetnessAt(Cells(), 10, 10), 65535u);
    // Stretched twice, the last column samples half a pixel past the image's edge: alpha 64, so a
    // weaker mix and thicker paint, 1000 x 192 >> 8.
    EXPECT_NE(ColourAt(Cells(), 99, 10), merged);
    EXPECT_EQ(ThicknessAt(Cells(), 99, 10), 750u);
}

// Undo hooks whose step cannot be stored, as the store's end answers a tile it could not keep.
class FailingTileHost : public FakeCanvasHost {
public:
    tResult EndUndoStep() override
    {
        FakeCanvasHost::EndUndoStep();
        return kResNoMemory;
    }
};

TEST_F(ImageImportTest, WhenTheUndoStepCannotBeStoredThePaintStaysAndTheStepIsLost)
{
    FailingTileHost failing;
    canvas.SetHost(&failing);
    FillLayerCells(*canvas.GetLayer(0), MakeCell(0x40808080u, 1000, 7, 200, 50));
    std::unique_ptr<CImage> image(MakeImage(100, 100));
    EXPECT_EQ(canvas.PaintImageIntoLayer(image.get(), 0, 0.5f, {}), kResOk);
    EXPECT_EQ(failing.Names(), (std::vector<std::string>{"BeginUndoStep", "SaveUndoTiles", "EndUndoStep", "UndoStepLost"}));
    EXPECT_EQ(ColourAt(Cells(), 5, 5), Distinct(5, 5));
    EXPECT_EQ(canvas.ClearLayer(0), kResOk);
    EXPECT_TRUE(IsBare(CellAt(Cells(), 5, 5)));
}

TEST_F(PaintImageTest, TilingWashesEveryCellAndTheMessageNeedsATracingImage)
{
    RecordingController controller;
    FillLayerCells(*canvas.GetLayer(0), MakeCell(0x20000000u, 0, 0));
    ASSERT_EQ(canvas.OnMessage(kMsgPaintTracingImage, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_TRUE(controller.messages.empty());
    EXPECT_EQ(WetnessAt(Cells(), 0, 0), 0u);
    canvas.SetTracingImage(MakeImage(7, 5, [](int32_t, int32_t) { return CPixel(0x00000000u); }));
    canvas.SetTracingMode(4);
    canvas.SetTracingOffset({-300, 77});
    ASSERT_EQ(canvas.OnMessage(kMsgPaintTracingImage, 0, 0, 0, kMsgApply), kResOk);
    ASSERT_EQ(controller.messages.size(), 1u);
    EXPECT_EQ(controller.messages[0].code, kMsgPaintingModified);
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            ASSERT_EQ(WetnessAt(Cells(), x, y), 65535u);
    UndoStepHeader header;
    tCStream* stream = nullptr;
    ASSERT_EQ(undo.store.ReadStep(&header, &stream, true), kResOk);
    EXPECT_EQ(header.type, kUndoStepTiles);
    EXPECT_EQ(header.value, 0u);
}

TEST(TracingPlacementTest, EachModeByHand)
{
    TracingPlacement p;
    ASSERT_TRUE(MakeTracingPlacement(200, 100, 100, 100, kTracingStretch, 0.5f, {3, -2}, &p));
    EXPECT_EQ(p.stepX, 131072);
    EXPECT_EQ(p.stepY, 65536);
    EXPECT_EQ(p.originX, 0);
    EXPECT_EQ(p.originY, 0);
    ASSERT_TRUE(MakeTracingPlacement(200, 100, 100, 100, kTracingFit, 0.5f, {3, -2}, &p));
    EXPECT_EQ(p.stepX, 131072);
    EXPECT_EQ(p.stepY, 131072);
    EXPECT_EQ(p.originX, 0);
    EXPECT_EQ(p.originY, -3276800);
    ASSERT_TRUE(MakeTracingPlacement(200, 100, 100, 100, kTracingFill, 0.5f, {3, -2}, &p));
    EXPECT_EQ(p.stepX, 65536);
    EXPECT_EQ(p.originX, 3276800);
    EXPECT_EQ(p.originY, 0);
    // Scale 0.5: s = 0.25, zoom (0.25 - 0.25) / 0.75 x 3 + 1 = 1; the offset moves it by whole
    // image pixels.
    ASSERT_TRUE(MakeTracingPlacement(200, 100, 100, 100, kTracingZoomed, 0.5f, {3, -2}, &p));
    EXPECT_EQ(p.stepX, 65536);
    EXPECT_EQ(p.originX, 3276800 - 3 * 65536);
    EXPECT_EQ(p.originY, 2 * 65536);
    EXPECT_FALSE(p.wraps);
    // Scale 0.25: s = 0.0625, zoom 0.625, step round(104857.6) = 104858; ((7 << 16) - 104858 x 3) / 2
    // = 72089.
    ASSERT_TRUE(MakeTracingPlacement(7, 1, 3, 1, kTracingTiled, 0.25f, {}, &p));
    EXPECT_EQ(p.stepX, 104858);
    EXPECT_EQ(p.originX, 72089);
    // Scale 0.2: zoom 0.58, step 112993; (65536 - 112993 x 3) / 2 = -136721.5, halved towards zero.
    ASSERT_TRUE(MakeTracingPlacement(1, 1, 3, 1, kTracingTiled, 0.2f, {}, &p));
    EXPECT_EQ(p.stepX, 112993);
    EXPECT_EQ(p.originX, -136721);
    EXPECT_TRUE(p.wraps);
    ASSERT_TRUE(MakeTracingPlacement(1, 1, 1, 1, kTracingStretch, 0.5f, {}, &p));
    EXPECT_EQ(p.stepX, 65536);
    EXPECT_FALSE(MakeTracingPlacement(0, 5, 3, 1, kTracingFit, 0.5f, {}, &p));
    EXPECT_FALSE(MakeTracingPlacement(5, 5, 3, 0, kTracingFit, 0.5f, {}, &p));
    EXPECT_FALSE(MakeTracingPlacement(5, 5, 3, 3, 5, 0.5f, {}, &p));
    // Offsets and steps far out stay exact in 64 bits.
    ASSERT_TRUE(MakeTracingPlacement(32000, 32000, 50, 50, kTracingZoomed, 0.0f, {2000000000, -2000000000}, &p));
    EXPECT_EQ(p.stepX, 131072);
    EXPECT_EQ(p.originX, ((int64_t(32000) << 16) - 131072 * 50) / 2 - int64_t(2000000000) * 131072);
    EXPECT_EQ(p.ImageX(int64_t(49) << 16), p.originX + 49 * int64_t(131072));
}

TEST(TracingPlacementTest, SamplingFadesAtTheEdgeAndWraps)
{
    std::unique_ptr<CImage> image(MakeImage(2, 2, [](int32_t x, int32_t y) { return x == 0 && y == 0 ? CPixel(0xFF000000u) : CPixel(0xFF0000FFu); }));
    CImNav nav(image.get());
    EXPECT_EQ(SampleImageBilinear(nav, 0, 0, false), 0xFF000000u);
    EXPECT_EQ(SampleImageBilinear(nav, 0x8000, 0, false), 0xFF00007Fu);
    // Past the last column the neighbour is transparent: alpha falls, the colour stays.
    EXPECT_EQ(SampleImageBilinear(nav, 0x18000, 0x10000, false), 0x7F0000FFu);
    EXPECT_EQ(SampleImageBilinear(nav, -1, 0, false), 0u);
    EXPECT_EQ(SampleImageBilinear(nav, 0x20000, 0, false), 0u);
    // Wrapping, the last column's neighbour is the first.
    EXPECT_EQ(SampleImageBilinear(nav, 0x18000, 0, true), 0xFF00007Fu);
    EXPECT_EQ(SampleImageBilinear(nav, -0x8000, -0x20000, true), 0xFF00007Fu);
    CImage empty;
    CImNav none(&empty);
    EXPECT_EQ(SampleImageBilinear(none, 0, 0, false), 0u);
    EXPECT_EQ(SampleImageBilinear(none, 0, 0, true), 0u);
}

// Picking the colour under the pen from the tracing image.
class TracingPickTest : public CanvasViewFixture {
protected:
    void SetUp() override
    {
        CanvasViewFixture::SetUp();
        ASSERT_EQ(canvas.SetCanvasSize(100, 100), kResOk);
        ASSERT_EQ(canvas.AttachView(view), kResOk);
        ASSERT_EQ(canvas.SetZoom(1.0f, 0), kResOk);
        canvas.SetPaintingTopLeft({100, 50});
        canvas.SetTracingImage(MakeImage(100, 100, [](int32_t x, int32_t y) {
            return x >= 50 ? CPixel(0x00FF0000u) : Distinct(x, y);
        }));
        canvas.SetTracingMode(0);
        controller.messages.clear();
    }
    // The root's point over cell (x, y): the area lies at (10, 20), the painting at (100, 50) in it.
    tResult Pick(float x, float y) { return canvas.SampleTracingImage({10.0f + 100.0f + x, 20.0f + 50.0f + y}); }

    RecordingController controller;
};

TEST_F(TracingPickTest, TheColourUnderThePenGoesToTheController)
{
    ASSERT_EQ(Pick(30.0f, 40.0f), kResOk);
    ASSERT_EQ(controller.messages.size(), 1u);
    EXPECT_EQ(controller.messages[0].code, kMsgCanvasColourPicked);
    EXPECT_EQ(controller.messages[0].arg, tMsgArg(Distinct(30, 40)));
    // The first row and column count.
    ASSERT_EQ(Pick(0.0f, 0.0f), kResOk);
    ASSERT_EQ(controller.messages.size(), 2u);
    EXPECT_EQ(controller.messages[1].arg, tMsgArg(Distinct(0, 0)));
    controller.messages.erase(controller.messages.begin() + 1);
    // Half way between two columns.
    controller.messages.clear();
    ASSERT_EQ(Pick(30.5f, 40.0f), kResOk);
    ASSERT_EQ(controller.messages.size(), 1u);
    EXPECT_EQ(controller.messages[0].arg, tMsgArg(0xFF1E2840u));
    // Half way between rows 41 and 42.
    ASSERT_EQ(Pick(30.0f, 41.5f), kResOk);
    ASSERT_EQ(controller.messages.size(), 2u);
    EXPECT_EQ(controller.messages[1].arg, tMsgArg(0xFF1E2940u));
}

TEST_F(TracingPickTest, TransparentPartsEdgesAndTheSwitchSendNothing)
{
    EXPECT_EQ(Pick(70.0f, 40.0f), kResOk);
    EXPECT_EQ(Pick(99.0f, 40.0f), kResOk);
    EXPECT_EQ(Pick(20.0f, 99.0f), kResOk);
    EXPECT_EQ(Pick(-3.0f, 40.0f), kResOk);
    EXPECT_EQ(Pick(20.0f, -1.0f), kResOk);
    canvas.SetTraceColourPick(0);
    EXPECT_EQ(Pick(30.0f, 40.0f), kResOk);
    canvas.SetTraceColourPick(1);
    // An opaque image: nothing from its last column or row, whose neighbours lie outside.
    canvas.SetTracingImage(MakeImage(100, 100, [](int32_t, int32_t) { return CPixel(0xFF00FF00u); }));
    EXPECT_EQ(Pick(99.0f, 40.0f), kResOk);
    EXPECT_EQ(Pick(40.0f, 99.0f), kResOk);
    EXPECT_TRUE(controller.messages.empty());
    // The last column that has a neighbour counts; a colour without blue is a colour.
    ASSERT_EQ(Pick(98.0f, 98.0f), kResOk);
    ASSERT_EQ(controller.messages.size(), 1u);
    EXPECT_EQ(controller.messages[0].arg, tMsgArg(0xFF00FF00u));
    controller.messages.clear();
    canvas.SetTracingImage(new CImage);
    EXPECT_EQ(Pick(30.0f, 40.0f), kResOk);
    EXPECT_TRUE(controller.messages.empty());
}

TEST_F(TracingPickTest, TiledPositionsWrapIntoTheImage)
{
    canvas.SetTracingMode(4);
    canvas.SetTracingScale(0.5f);
    // Zoom 1, offset (130, 0): the image column is the cell's less 130, wrapped: cell 60 shows 30.
    canvas.SetTracingOffset({130, 0});
    ASSERT_EQ(Pick(60.0f, 40.0f), kResOk);
    ASSERT_EQ(controller.messages.size(), 1u);
    EXPECT_EQ(controller.messages[0].arg, tMsgArg(Distinct(30, 40)));
}

}  // namespace
