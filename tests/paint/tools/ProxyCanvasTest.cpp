#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/StrokeReplay.h"
#include "RecordingCanvasTool.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CProxyCanvas.h"
#include "paint/engine/ICanvasTool.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/PaintCell.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/ToolFactory.h"
#include "platform/Platform.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/tCFRect.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/ImageCodecs.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/WidgetTestSupport.h"

namespace {

// A painting of one stroke with a real undo store, and a preview that shares its host, tools and
// renderer.
class ProxyCanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless));
        InstallCanvasToolFactory();
        root = std::make_unique<TestRoot>(400, 300);
        widget = new TestWidget(u"preview");
        ASSERT_EQ(widget->SetSize(110, 150, 0), kResOk);
        ASSERT_EQ(root->AddChild(widget, 0), kResOk);
    }
    void TearDown() override
    {
        proxy.reset();
        root.reset();
        replay.reset();
        SetCanvasToolFactory({});
        w32::StopPlatform();
    }

    void MakePainting(uint32_t toolId)
    {
        ReplayOptions options;
        options.toolId = toolId;
        options.width = 160;
        options.height = 120;
        options.render = 1;
        replay = std::make_unique<CStrokeReplay>(options);
        ASSERT_EQ(replay->SetUp(), kResOk);
        proxy = std::make_unique<CProxyCanvas>();
        proxy->SetHost(replay.get());
        proxy->SetShellServices(replay.get());
        ASSERT_EQ(proxy->Initialise(), kResOk);
        ASSERT_EQ(proxy->AttachView(widget), kResOk);
        ASSERT_EQ(proxy->OnMessage(kMsgTakeCurrentTool, 0, 0, 0, kMsgApply), kResOk);
    }

    std::vector<PaintCell> PreviewCells()
    {
        CPaintCellNav nav(proxy->GetLayer(0)->GetCellMap());
        std::vector<PaintCell> cells;
        for (int32_t y = 0; y < nav.GetHeight(); ++y)
            cells.insert(cells.end(), nav.Cells(y), nav.Cells(y) + nav.GetWidth());
        return cells;
    }
    static std::vector<uint8_t> Bytes(CPaintCellMap& map)
    {
        CPaintCellNav nav(map);
        std::vector<uint8_t> bytes;
        for (int32_t y = 0; y < nav.GetHeight(); ++y) {
            const auto* row = reinterpret_cast<const uint8_t*>(nav.Cells(y));
            bytes.insert(bytes.end(), row, row + size_t(nav.GetWidth()) * sizeof(PaintCell));
        }
        return bytes;
    }

    std::unique_ptr<TestRoot> root;
    TestWidget* widget = nullptr;
    std::unique_ptr<CStrokeReplay> replay;
    std::unique_ptr<CProxyCanvas> proxy;
};

// The previews are left for a look in the pictures folder of the build.
std::string PreviewFolder()
{
    const std::filesystem::path folder = std::filesystem::path(KOSTREL_TEST_PICTURES) / "previews";
    std::filesystem::create_directories(folder);
    return folder.string();
}

tResult WritePng(CImage* image, const std::string& path)
{
    tCMemFile png;
    TK_TRY(EncodeImageStream(&png, image, kImageFormatPng));
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(png.GetData()), png.GetSize());
    return file.good() ? kResOk : kResFileIO;
}

TEST_F(ProxyCanvasTest, EveryToolRendersItsPreview)
{
    const std::string folder = PreviewFolder();
    for (uint32_t id = 4900; id <= 4915; ++id) {
        MakePainting(id);
        ASSERT_EQ(proxy->GetWidth(), 110);
        ASSERT_EQ(proxy->GetHeight(), 150);
        ASSERT_EQ(proxy->DrawSampleStroke(), kResOk) << id;
        ASSERT_EQ(WritePng(proxy->GetComposite(), folder + "/preview-" + std::to_string(id) + ".png"), kResOk);
        std::vector<PaintCell> cells = PreviewCells();
        size_t painted = 0;
        for (const PaintCell& cell : cells)
            painted += cell.colour >> 24 != 0 ? 1 : 0;
        // The navigation tools, the paint tube, the glitter gun, the airbrush and the roller lay
        // no paint: their previews stay bare paper.
        if (id <= 4907)
            EXPECT_GT(painted, 50u) << id;
        else
            EXPECT_EQ(painted, 0u) << id;
        // The tool's side switch comes back as it was.
        EXPECT_EQ(replay->GetTool().GetToolFlag(), 0u) << id;
    }
}

TEST_F(ProxyCanvasTest, EraserStartsFromADarkCoatAndClearsAPath)
{
    MakePainting(4906);
    ASSERT_EQ(proxy->PrepareSample(), kResOk);
    for (const PaintCell& cell : PreviewCells()) {
        ASSERT_EQ(uint32_t(cell.colour), 0x6E242A3Cu);
        ASSERT_EQ(uint32_t(cell.thickness), 0u);
        ASSERT_EQ(uint32_t(cell.wetness), 0u);
    }
    ASSERT_EQ(proxy->DrawSampleStroke(), kResOk);
    CPaintCellNav nav(proxy->GetLayer(0)->GetCellMap());
    // On the path from (68, 25) to (10, 120), halfway: (39, 72); the far corner keeps its coat.
    EXPECT_LT(nav.Cells(72)[39].colour >> 24, 0x6Eu);
    EXPECT_EQ(uint32_t(nav.Cells(140)[105].colour), 0x6E242A3Cu);
}

TEST_F(ProxyCanvasTest, KnifeAndSmudgeStartFromAWetRidge)
{
    MakePainting(4905);
    ASSERT_EQ(proxy->PrepareSample(), kResOk);
    CPaintCellNav nav(proxy->GetLayer(0)->GetCellMap());
    // round(16 sin(pi row / 30)): 0 at row 0, 8 at row 5, 16 at row 15, 1.67 -> 2 at row 29.
    const std::pair<int32_t, uint16_t> rows[] = {{0, 0}, {5, 8}, {15, 16}, {29, 2}};
    for (auto [row, thickness] : rows) {
        EXPECT_EQ(uint16_t(nav.Cells(row)[50].thickness), thickness) << row;
        EXPECT_EQ(uint32_t(nav.Cells(row)[50].colour), 0xFF6070A0u);
        EXPECT_EQ(uint32_t(nav.Cells(row)[50].wetness), 0xFFFFu);
        EXPECT_EQ(uint32_t(nav.Cells(row)[50].shine), 0xFFu);
    }
    EXPECT_EQ(uint32_t(nav.Cells(30)[50].colour), 0u);
}

TEST(ProxyCanvasRidge, IsClippedToAShortCanvas)
{
    std::vector<PaintCell> cells(4 * 10);
    FillSampleStart(cells.data(), 4, 10, 4, 4907);
    EXPECT_EQ(uint32_t(cells[5 * 4].thickness), 8u);
    EXPECT_EQ(uint32_t(cells[9 * 4 + 3].colour), 0xFF6070A0u);
}

TEST_F(ProxyCanvasTest, KnifeGoesStraightDownFirstAndPressuresFollowTheTable)
{
    MakePainting(4900);
    RecordingCanvasTool knife(4905);
    proxy->SetCurrentTool(&knife);
    ASSERT_EQ(proxy->DrawSampleStroke(), kResOk);
    ASSERT_EQ(knife.samples.size(), 11u);
    EXPECT_EQ(knife.samples[0].x, 40.0f);
    EXPECT_EQ(knife.samples[0].y, 0.0f);
    // k = 3, 7, 15, 20 keep x; y goes 120 x k / 100.
    const float ys[] = {3.6f, 8.4f, 18.0f, 24.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(knife.samples[1 + i].x, 40.0f) << i;
        EXPECT_NEAR(knife.samples[1 + i].y, ys[i], 1e-4f) << i;
    }
    // Full pressure up to k = 20, then falling.
    for (int i = 1; i <= 4; ++i)
        EXPECT_NEAR(knife.samples[i].pressure, 0.95f, 1e-6f) << i;
    EXPECT_NEAR(knife.samples[6].pressure, 0.95f * 0.6f, 1e-6f);
    EXPECT_NEAR(knife.samples[7].pressure, 0.95f * 0.4f, 1e-6f);
    EXPECT_NEAR(knife.samples[8].pressure, 0.95f * 0.25f, 1e-6f);
    // k = 50 bends towards (30, 120).
    EXPECT_NEAR(knife.samples[5].x, 35.0f, 1e-4f);
    // P = min(1.5 x 0.5, 1) + 0.2 = 0.95; the pen settings at 0.5 leave it unchanged.
    EXPECT_NEAR(knife.samples[0].pressure, 0.95f, 1e-6f);
    EXPECT_NEAR(knife.samples[5].pressure, 0.95f * 0.8f, 1e-6f);
    EXPECT_NEAR(knife.samples[9].pressure, 0.95f * 0.1f, 1e-6f);
    // The end at k = 102 keeps the last pressure.
    EXPECT_NEAR(knife.samples[10].y, 122.4f, 1e-3f);
    EXPECT_NEAR(knife.samples[10].pressure, 0.95f * 0.1f, 1e-6f);
    EXPECT_EQ(knife.flag, 5u) << "the side switch is put back";

    RecordingCanvasTool brush(4903);
    proxy->SetCurrentTool(&brush);
    ASSERT_EQ(proxy->DrawSampleStroke(), kResOk);
    EXPECT_EQ(brush.samples[0].x, 68.0f);
    EXPECT_EQ(brush.samples[0].y, 25.0f);
    EXPECT_NEAR(brush.samples[9].x, 10.0f, 1e-4f);
    EXPECT_NEAR(brush.samples[9].y, 120.0f, 1e-4f);
}

TEST_F(ProxyCanvasTest, OnlyIdentifierOneFollowsTheToolAndOtherMessagesAnswerZero)
{
    MakePainting(4900);
    EXPECT_EQ(proxy->GetCurrentTool(), &replay->GetTool());
    EXPECT_EQ(proxy->OnMessage(kMsgDropCurrentTool, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(proxy->GetCurrentTool(), nullptr);
    proxy->SetId(2);
    EXPECT_EQ(proxy->OnMessage(kMsgTakeCurrentTool, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(proxy->GetCurrentTool(), nullptr);
    proxy->SetCurrentTool(&replay->GetTool());
    EXPECT_EQ(proxy->OnMessage(kMsgDropCurrentTool, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(proxy->GetCurrentTool(), &replay->GetTool());
    const std::vector<PaintCell> before = PreviewCells();
    float turn = 0.25f;
    EXPECT_EQ(proxy->OnMessage(kMsgCanvasRotation, 0, ToMsgArg(&turn), 0, kMsgApply), kResOk);
    EXPECT_EQ(proxy->OnMessage(kMsgClearLayer, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(proxy->GetRotation(), 0.0f);
    EXPECT_EQ(proxy->GetLayerCount(), 1);
    EXPECT_EQ(0, std::memcmp(before.data(), PreviewCells().data(), before.size() * sizeof(PaintCell)));

    // The paper colour is applied as a value and reported through a pointer, as the canvas does.
    EXPECT_EQ(proxy->OnMessage(kMsgPaperColour, 0, tMsgArg(0x11223344u), 0, kMsgApply), kResOk);
    uint32_t read = 0;
    EXPECT_EQ(proxy->OnMessage(kMsgPaperColour, 0, ToMsgArg(&read), 0, kMsgReport), kResOk);
    EXPECT_EQ(read, 0x11223344u);
    EXPECT_EQ(proxy->OnMessage(kMsgPaperColour, 0, 0, 0, kMsgReport), kResBadParam) << "nowhere to report";
}

TEST_F(ProxyCanvasTest, TheCompositeShowsThroughTheWidgetsPicture)
{
    MakePainting(4905);
    ASSERT_EQ(proxy->DrawSampleStroke(), kResOk);
    // The picture's alpha: none left of x 30, half up to 60, whole beyond.
    CImWidget picture;
    ASSERT_EQ(picture.SetSize(110, 150, 0), kResOk);
    ASSERT_NE(picture.GetImage(), nullptr);
    {
        CImNav mask(picture.GetImage());
        for (int32_t y = 0; y < 150; ++y)
            for (int32_t x = 0; x < 110; ++x)
                mask.Pixels(y)[x] = (x < 30 ? 0u : x < 60 ? 0x80u : 0xFFu) << 24 | 0x123456u;
    }
    CImage target(110, 150);
    {
        CImNav fill(&target);
        for (int32_t y = 0; y < 150; ++y)
            for (int32_t x = 0; x < 110; ++x)
                fill.Pixels(y)[x] = 0x80102030u;
    }
    const tCRect clip{0, 20, 110, 150};
    ASSERT_EQ(CProxyCanvas::RenderPreview(ToMsgArg(proxy.get()), &picture, &clip, &target, 255), kResOk);
    CImNav out(&target);
    CImNav composite(proxy->GetComposite());
    for (int32_t y = 0; y < 150; ++y) {
        for (int32_t x = 0; x < 110; ++x) {
            const uint32_t t = 0x80102030u, p = composite.Pixels(y)[x];
            uint32_t expected = t;
            if (y >= 20 && x >= 60) {
                expected = p;
            } else if (y >= 20 && x >= 30) {
                // Each colour channel t + ((p - t + 1) x 128 >> 8); the target's alpha stays.
                expected = t & 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int32_t tc = int32_t(t >> shift & 0xFF), pc = int32_t(p >> shift & 0xFF);
                    expected |= uint32_t((tc + ((pc - tc + 1) * 128 >> 8)) & 0xFF) << shift;
                }
            }
            ASSERT_EQ(out.Pixels(y)[x], expected) << x << ", " << y;
        }
    }
}

TEST_F(ProxyCanvasTest, PreviewsLeaveThePaintingAndItsUndoAlone)
{
    MakePainting(4900);
    // One stroke on the painting, as one undo step.
    std::vector<tRecordedSample> stroke;
    for (int i = 0; i <= 20; ++i)
        stroke.push_back({double(i) * 16.0, 20.0 + i * 5.0, 60.0, 0.6, 1.0, 0.0});
    stroke.push_back({400.0, 120.0, 60.0, 0.0, 1.0, 0.0});
    ASSERT_EQ(replay->Run(stroke), kResOk);
    const std::vector<uint8_t> painted = Bytes(replay->GetCells());

    for (uint32_t id : {4900u, 4905u, 4906u, 4901u}) {
        std::unique_ptr<CToolBase> tool = MakeToolById(id);
        tool->SetShellServices(replay.get());
        proxy->SetCurrentTool(tool.get());
        ASSERT_EQ(proxy->DrawSampleStroke(), kResOk) << id;
    }
    CImage target;
    ASSERT_EQ(target.SetSize(110, 150), kResOk);
    ASSERT_EQ(proxy->DrawCrayonSample({80.0f, 10.0f}, &target, 0xFFC02020u), kResOk);
    EXPECT_EQ(Bytes(replay->GetCells()), painted);
    int32_t steps = 0;
    ASSERT_EQ(replay->UndoAll(&steps), kResOk);
    EXPECT_EQ(steps, 1);
}

TEST_F(ProxyCanvasTest, CrayonSampleIsCopiedIntoTheTarget)
{
    MakePainting(4900);
    CImage target;
    ASSERT_EQ(target.SetSize(110, 150), kResOk);
    ASSERT_EQ(proxy->DrawCrayonSample({80.0f, 10.0f}, &target, 0xFFC02020u), kResOk);
    ASSERT_EQ(WritePng(&target, PreviewFolder() + "/crayon.png"), kResOk);
    CImNav nav(&target);
    CImNav composite(proxy->GetComposite());
    for (int32_t y = 0; y < 150; ++y)
        for (int32_t x = 0; x < 110; ++x)
            ASSERT_EQ(nav.Pixels(y)[x], composite.Pixels(y)[x]);
    SetCanvasToolFactory({});
    EXPECT_EQ(proxy->DrawCrayonSample({80.0f, 10.0f}, &target, 0xFFC02020u), kResCreateFailed);
}

TEST_F(ProxyCanvasTest, TheCrayonSampleTakesTheSampleStrokesPressures)
{
    MakePainting(4900);
    // The crayon the preview makes for the call is one that keeps its samples.
    static RecordingCanvasTool crayon(4902);
    crayon.samples.clear();
    SetCanvasToolFactory({[](uint32_t, IShellServices*) -> ICanvasTool* { return &crayon; }, [](ICanvasTool*) {}});
    CImage target;
    ASSERT_EQ(target.SetSize(110, 150), kResOk);
    ASSERT_EQ(proxy->DrawCrayonSample({80.0f, 10.0f}, &target, 0xFFC02020u), kResOk);
    ASSERT_EQ(crayon.samples.size(), 11u);
    // P = min(1.5 x 0.5, 1) + 0.2 = 0.95, then each point's share of it.
    EXPECT_NEAR(crayon.samples[0].pressure, 0.95f, 1e-6f);
    EXPECT_NEAR(crayon.samples[5].pressure, 0.95f * 0.8f, 1e-6f);
    EXPECT_NEAR(crayon.samples[10].pressure, 0.95f * 0.1f, 1e-6f);
}

TEST_F(ProxyCanvasTest, AnUpdatedRectIsRedrawnWithTheCellRightAndBelowIt)
{
    MakePainting(4900);
    root->ClearRecords();
    ASSERT_EQ(proxy->UpdatePreviewRect({10, 20, 30, 40}), kResOk);
    ASSERT_FALSE(root->invalidated.empty());
    EXPECT_EQ(root->invalidated.back(), (tCRect{10, 20, 31, 41}));
    EXPECT_GE(root->presents, 1);
}

TEST_F(ProxyCanvasTest, WithoutAControllerThePreviewIsSetUpButNothingIsLit)
{
    TestWidget other(u"other");
    ASSERT_EQ(other.SetSize(40, 30, 0), kResOk);
    CProxyCanvas bare;
    ASSERT_EQ(bare.Initialise(), kResOk);
    EXPECT_EQ(bare.AttachView(nullptr), kResBadParam);
    EXPECT_EQ(bare.AttachView(&other), kResOk);
    EXPECT_EQ(bare.GetWidth(), 40);
    EXPECT_EQ(bare.GetLayerCount(), 1);
    EXPECT_EQ(bare.OnMessage(kMsgLayersChanged, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(bare.DrawSampleStroke(), kResOk);
}

TEST(RectCentre, IsTheMiddleOfBothSides)
{
    EXPECT_EQ(RectCentreF({1.0f, 2.0f, 4.0f, 10.0f}), (tCFPoint{2.5f, 6.0f}));
}

}  // namespace
