#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "CanvasTestSupport.h"
#include "PaperTestSupport.h"
#include "paint/engine/CCanvasInfo.h"
#include "paint/engine/CProjectInfo.h"
#include "toolkit/widgets/MainWindowFixture.h"

namespace {

// The main window's root holds an area whose child at (20, 10) is the 600 x 400 painting view.
// The application's resource file holds grain 80 and the named grain, its string table a paper
// folder of the test's own.
class CanvasSetUpTest : public HeadlessAppTest {
protected:
    void SetUp() override
    {
        HeadlessAppTest::SetUp();
        CLayer::SetViewImageSize({0, 0});
        CLayer::SetLayersChanged(0);
        paper = std::make_unique<PaperApplication>();
        window = std::make_unique<StandInWindow>();
        CAppBase::SetMainWindow(window.get());
        auto* backdrop = new BackdropRoot;
        window->SetRootWidget(backdrop);
        auto* area = new TestWidget(u"area");
        ASSERT_EQ(Place(backdrop, area, {0, 0, 640, 480}), kResOk);
        view = new CWidget;
        view->SetId(kPaintingViewId);
        view->SetOpaqueBlit(1);
        ASSERT_EQ(Place(area, view, {20, 10, 620, 410}, false), kResOk);
        ASSERT_EQ(renderer.ResetLights(), kResOk);
        host.renderer = &renderer;
        canvas.SetHost(&host);
        ASSERT_EQ(canvas.Initialise(), kResOk);
    }
    void TearDown() override
    {
        window.reset();
        paper.reset();
        CLayer::SetPaperGrainBuilder(nullptr);
        CLayer::SetViewImageSize({0, 0});
        HeadlessAppTest::TearDown();
    }

    // A painting of three 10 x 10 layers, the third current.
    void MakeOldPainting()
    {
        ASSERT_EQ(canvas.SetCanvasSize(10, 10), kResOk);
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(canvas.InsertNewLayer(i), kResOk);
        canvas.SetCurrentLayerIndex(2);
        canvas.SetSecondLayerIndex(1);
        controller.messages.clear();
    }

    std::vector<uint32_t> Codes() const
    {
        std::vector<uint32_t> codes;
        for (const RecordingController::Message& m : controller.messages)
            codes.push_back(m.code);
        return codes;
    }

    CImage8* Grain() { return canvas.GetLayer(0)->GetGrainImage(); }

    std::unique_ptr<PaperApplication> paper;
    std::unique_ptr<StandInWindow> window;
    CWidget* view = nullptr;
    CStandardRenderer renderer;
    FakeCanvasHost host;
    CCanvas canvas;
    RecordingController controller{&canvas};
    RecordingBackdrop backdropTarget;
};

TEST(ProjectInfo, DefaultsAndValues)
{
    const CProjectInfo defaults;
    EXPECT_EQ(defaults.width, 800);
    EXPECT_EQ(defaults.height, 600);
    EXPECT_EQ(defaults.name, u"%%%");
    EXPECT_FALSE(defaults.file.HasText());
    EXPECT_EQ(defaults.file.GetFileTypeCode(), MakeFourCC("????"));
    EXPECT_EQ(defaults.file.GetCreatorCode(), MakeFourCC("????"));
    EXPECT_EQ(defaults.modified, 0u);
    EXPECT_TRUE(defaults.tracingPath.IsEmpty());
    EXPECT_EQ(defaults.canvasInfo, nullptr);

    CCanvasInfo info;
    const CProjectInfo project(120, 82, tCString(), u"/pictures/trace.png", &info);
    EXPECT_EQ(project.width, 120);
    EXPECT_EQ(project.height, 82);
    EXPECT_EQ(project.name, u"");
    EXPECT_FALSE(project.file.HasText());
    EXPECT_EQ(project.modified, 0u);
    EXPECT_EQ(project.tracingPath, u"/pictures/trace.png");
    EXPECT_EQ(project.canvasInfo, &info);
}

TEST_F(CanvasSetUpTest, AOneByOneProjectReplacesThePaintingWithOneLayerAndHalfImagesOfTwo)
{
    MakeOldPainting();
    canvas.TurnView(0.3f, 0);
    ASSERT_EQ(canvas.SetZoom(2.0f, 0), kResOk);
    const CProjectInfo project(1, 1, u"One", u"", nullptr);
    ASSERT_EQ(canvas.SetUpProject(&project), kResOk);
    ASSERT_EQ(canvas.GetLayerCount(), 1);
    EXPECT_EQ(canvas.GetLayer(0)->GetWidth(), 1);
    EXPECT_EQ(canvas.GetLayer(0)->GetHeight(), 1);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 0);
    EXPECT_EQ(canvas.GetSecondLayerIndex(), 0);
    EXPECT_EQ(canvas.GetWidth(), 1);
    EXPECT_EQ(canvas.GetHeight(), 1);
    EXPECT_EQ(canvas.GetComposite()->GetWidth(), 1);
    EXPECT_EQ(canvas.GetHalfImageA()->GetWidth(), 2);
    EXPECT_EQ(canvas.GetHalfImageA()->GetHeight(), 2);
    EXPECT_EQ(canvas.GetHalfImageB()->GetWidth(), 2);
    EXPECT_EQ(canvas.GetHalfImageB()->GetHeight(), 2);
    EXPECT_EQ(canvas.GetZoom(), 1.0f);
    EXPECT_EQ(canvas.GetRotation(), 0.0f);
    ASSERT_EQ(canvas.GetDirtyRowCount(), 1);
    EXPECT_EQ(canvas.GetRowMinX()[0], kCleanRowMin);
    EXPECT_EQ(canvas.GetRowMaxX()[0], kCleanRowMax);
    EXPECT_EQ(canvas.GetDirtyRowFirst(), kCleanRowMin);
}

TEST_F(CanvasSetUpTest, AnUnnamedPaperTakesGrain80AndTheLayerTakesTheSettings)
{
    const CProjectInfo defaults(8, 8, u"", u"", nullptr);
    ASSERT_EQ(canvas.SetUpProject(&defaults), kResOk);
    CLayer* layer = canvas.GetLayer(0);
    uint32_t colour = 0;
    layer->GetPaperColour(&colour);
    EXPECT_EQ(colour, 0xFFFFFFFAu);
    EXPECT_EQ(layer->GetPaperShine(), 0.3f);
    EXPECT_EQ(layer->GetPaperOpacity(), 1.0f);
    EXPECT_EQ(layer->GetGrainScale(), 0.5f);
    EXPECT_TRUE(HoldsGrey(Grain(), 4, 4, DefaultGrainValue));

    // An image of the settings' own is not used without a name: the paper is grain 80.
    CImage8 own(3, 2);
    FillGrey(own, NamedGrainValue);
    CCanvasInfo info;
    info.paperImage = &own;
    info.paperColour = 0xFF806040u;
    info.paperOpacity = 128;
    info.paperShine = 0.7f;
    info.paperExtra = 0.2f;
    info.grainDepth = 0.9f;
    info.grainScale = 0.1f;
    info.paperSpare = 0.4f;
    const CProjectInfo project(8, 8, u"", u"", &info);
    ASSERT_EQ(canvas.SetUpProject(&project), kResOk);
    layer = canvas.GetLayer(0);
    layer->GetPaperColour(&colour);
    EXPECT_EQ(colour, 0xFF806040u);
    EXPECT_FLOAT_EQ(layer->GetPaperOpacity(), 128 / 255.0f);
    EXPECT_EQ(layer->GetPaperShine(), 0.7f);
    EXPECT_EQ(layer->GetPaperExtra(), 0.2f);
    EXPECT_EQ(layer->GetGrainDepth(), 0.9f);
    EXPECT_EQ(layer->GetGrainScale(), 0.1f);
    EXPECT_EQ(layer->GetPaperSpare(), 0.4f);
    EXPECT_TRUE(layer->GetName().IsEmpty());
    EXPECT_TRUE(HoldsGrey(Grain(), 4, 4, DefaultGrainValue));
}

TEST_F(CanvasSetUpTest, ANamedPaperIsBuiltOrTakenFromTheCanvasesFolderElseGrain80)
{
    // The paper folder beside the program, which other tests may share: a file of its own.
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    std::filesystem::create_directories(program / "Canvases");
    const std::string beside = "setup-" + std::to_string(getpid()) + ".png";
    WriteGreyPng((program / "Canvases" / beside).string(), 5, 1, FileGrainValue);
    WriteGreyPng(paper->papers.File("Folder.png"), 5, 1, FileGrainValue);

    const struct {
        std::string name;
        int32_t width, height;
        uint8_t (*value)(int32_t, int32_t);
    } cases[] = {
        {tCString(kNamedGrain).ToAnsi(), 3, 2, NamedGrainValue},
        {"Folder.png", 5, 1, FileGrainValue},
        {beside, 5, 1, FileGrainValue},
        {"Nowhere.png", 4, 4, DefaultGrainValue},
    };
    for (const auto& c : cases) {
        CCanvasInfo info;
        info.paperName = tCString::FromAnsi(c.name);
        const CProjectInfo project(6, 6, u"", u"", &info);
        ASSERT_EQ(canvas.SetUpProject(&project), kResOk) << c.name;
        EXPECT_TRUE(HoldsGrey(Grain(), c.width, c.height, c.value)) << c.name;
        EXPECT_EQ(canvas.GetLayer(0)->GetName(), info.paperName);
    }
    // A texture whose 5 bytes of grain would not fit in the memory left is not decoded.
    CCanvasInfo info;
    info.paperName = tCString::FromAnsi(beside);
    const CProjectInfo project(6, 6, u"", u"", &info);
    w32::headless::SetAvailableMemory(4);
    ASSERT_EQ(canvas.SetUpProject(&project), kResOk);
    w32::headless::SetAvailableMemory(0);
    EXPECT_TRUE(HoldsGrey(Grain(), 4, 4, DefaultGrainValue));
    std::filesystem::remove(program / "Canvases" / beside);
}

TEST_F(CanvasSetUpTest, TheMainCanvasAsksTheControllerForTheTracingImageOrForNone)
{
    canvas.SetTracingMode(3);
    const CProjectInfo none(4, 4, u"", u"", nullptr);
    ASSERT_EQ(canvas.SetUpProject(&none), kResOk);
    EXPECT_EQ(Codes(), std::vector<uint32_t>{kMsgRemoveTracingImage});
    EXPECT_EQ(canvas.GetTracingMode(), 1u);
    EXPECT_EQ(canvas.GetTracingImage(), nullptr);

    controller.messages.clear();
    const CProjectInfo traced(4, 4, u"", u"/pictures/trace.png", nullptr);
    ASSERT_EQ(canvas.SetUpProject(&traced), kResOk);
    ASSERT_EQ(Codes(), (std::vector<uint32_t>{kMsgLoadTracingImage, kMsgTracingVisible, kMsgPaintingModified}));
    EXPECT_EQ(controller.messages[0].path, u"/pictures/trace.png");
    EXPECT_EQ(controller.messages[1].arg, 1u);
    EXPECT_EQ(canvas.GetTracingVisible(), 1u);

    // The controller's failure is the answer; it was asked before the painting shown went, which
    // stays.
    MakeOldPainting();
    const CLayer* bottom = canvas.GetLayer(0);
    const int32_t layers = canvas.GetLayerCount();
    controller.answer = kResFileIO;
    EXPECT_EQ(canvas.SetUpProject(&traced), kResFileIO);
    EXPECT_EQ(Codes(), std::vector<uint32_t>{kMsgLoadTracingImage});
    EXPECT_EQ(canvas.GetLayerCount(), layers);
    EXPECT_EQ(canvas.GetLayer(0), bottom);
    EXPECT_EQ(canvas.GetWidth(), 10);

    // A preview canvas asks for nothing and keeps its mode.
    controller.answer = kResOk;
    controller.messages.clear();
    canvas.SetId(1);
    canvas.SetTracingMode(3);
    ASSERT_EQ(canvas.SetUpProject(&traced), kResOk);
    EXPECT_TRUE(controller.messages.empty());
    EXPECT_EQ(canvas.GetTracingMode(), 3u);
}

TEST_F(CanvasSetUpTest, ANewPaintingIsCentredOnThePaintingViewAtZoomOne)
{
    canvas.TurnView(0.3f, 0);
    const CProjectInfo project(201, 101, u"", u"", nullptr);
    ASSERT_EQ(canvas.SetUpProject(&project), kResOk);
    // The view's centre in its own coordinates is (300, 200).
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{200, 150, 401, 251}));
    EXPECT_EQ(canvas.GetZoom(), 1.0f);
    EXPECT_EQ(canvas.GetRotation(), 0.0f);

    CAppBase::ForgetMainWindow(window.get());
    ASSERT_EQ(canvas.SetUpProject(&project), kResOk);
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{0, 0, 201, 101}));
}

TEST_F(CanvasSetUpTest, TheNewPaintingMessageSetsUpThenBindsTheViewInThePartsOrder)
{
    const CProjectInfo first(40, 30, u"", u"", nullptr);
    ASSERT_EQ(canvas.OnMessage(kMsgNewProject, 0, ToMsgArg(&first), 0, kMsgApply), kResOk);
    // The first painting finds the view and renders into the composite.
    EXPECT_EQ(canvas.GetView(), view);
    EXPECT_EQ(view->IsVisible(), 1u);
    EXPECT_EQ(PixelAt(*canvas.GetComposite(), 5, 5) >> 24, 0xFFu);

    controller.messages.clear();
    const CProjectInfo traced(1600, 800, u"", u"/pictures/trace.png", nullptr);
    ASSERT_EQ(canvas.OnMessage(kMsgNewProject, 0, ToMsgArg(&traced), 0, kMsgApply), kResOk);
    EXPECT_EQ(Codes(), (std::vector<uint32_t>{kMsgLoadTracingImage, kMsgTracingVisible, kMsgPaintingModified,
                                              kMsgCanvasPosition, kMsgCanvasZoom}));
    // Refitted: the view is 600 wide.
    EXPECT_EQ(canvas.GetZoom(), 0.375f);
    EXPECT_TRUE(paper->app.reports.empty());
    // The bound view shows the new painting: its composite is rendered, the far corner too.
    EXPECT_EQ(PixelAt(*canvas.GetComposite(), 1599, 799) >> 24, 0xFFu);
}

TEST_F(CanvasSetUpTest, SidesOutsideOneTo32000AreRefusedAndNothingChanges)
{
    MakeOldPainting();
    const CLayer* bottom = canvas.GetLayer(0);
    const CImage* composite = canvas.GetComposite();
    const tCRect rect = canvas.GetViewRect();
    for (const auto& [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-1, 10}, std::pair{0, 0},
                               std::pair{32001, 1}, std::pair{1, 32001}, std::pair{-5, -5}}) {
        const CProjectInfo project(w, h, u"", u"", nullptr);
        EXPECT_EQ(canvas.SetUpProject(&project), kResBadParam) << w << " x " << h;
    }
    EXPECT_EQ(canvas.SetUpProject(nullptr), kResBadParam);
    EXPECT_EQ(canvas.GetLayerCount(), 3);
    EXPECT_EQ(canvas.GetLayer(0), bottom);
    EXPECT_EQ(canvas.GetComposite(), composite);
    EXPECT_EQ(canvas.GetWidth(), 10);
    EXPECT_EQ(canvas.GetViewRect(), rect);
    EXPECT_TRUE(controller.messages.empty());

    const CProjectInfo widest(32000, 1, u"", u"", nullptr);
    EXPECT_EQ(canvas.SetUpProject(&widest), kResOk);
    EXPECT_EQ(canvas.GetWidth(), 32000);
}

TEST_F(CanvasSetUpTest, AFailureWhileMakingTheNewPaintingLeavesTheOldOneAndIsReported)
{
    MakeOldPainting();
    const CLayer* bottom = canvas.GetLayer(0);
    const CImage* composite = canvas.GetComposite();
    // Every new layer is to have a view image larger than images may be.
    CLayer::SetViewImageSize({40000, 40000});
    const CProjectInfo project(8, 8, u"", u"", nullptr);
    const tResult failed = canvas.SetUpProject(&project);
    EXPECT_NE(failed, kResOk);
    EXPECT_EQ(canvas.GetLayerCount(), 3);
    EXPECT_EQ(canvas.GetLayer(0), bottom);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 2);
    EXPECT_EQ(canvas.GetComposite(), composite);
    EXPECT_EQ(canvas.GetWidth(), 10);

    EXPECT_EQ(canvas.OnMessage(kMsgNewProject, 0, ToMsgArg(&project), 0, kMsgApply), failed);
    ASSERT_EQ(paper->app.reports.size(), 1u);
    EXPECT_EQ(paper->app.reports[0].first, failed);
    EXPECT_EQ(paper->app.reports[0].second, "CCanvas Failed to set up a new project.");
    EXPECT_EQ(canvas.GetView(), nullptr);
    EXPECT_TRUE(controller.messages.empty());
}

}  // namespace
