#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "CompiledResources.h"
#include "ResourceUseCheck.h"
#include "ShippedResources.h"
#include "app/shell/ShellResources.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/TextLibraryHooks.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/text/TextLibrary.h"
#include "toolkit/text/TextWidgets.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/SplashScreen.h"
#include "WidgetSourceBytes.h"

namespace {

// Pixel (x, y) of a 32-bit image, 0 when it cannot be read.
uint32_t PixelOf(CImageBase* image, int32_t x, int32_t y)
{
    uint8_t* pixels = nullptr;
    if (!image || image->LockPixels(&pixels) != kResOk)
        return 0;
    uint32_t pixel = 0;
    std::memcpy(&pixel, pixels + size_t(y) * size_t(image->GetRowBytes()) + size_t(x) * 4, 4);
    image->UnlockPixels();
    return pixel;
}

// The 'imag' resource of that id.
std::unique_ptr<CImage> ImageOf(uint32_t id)
{
    auto image = std::make_unique<CImage>();
    EXPECT_EQ(image->GetFromRes(id, nullptr, nullptr), kResOk) << id;
    return image;
}

// An application started over a resource file the test gives, with the text library and the
// text widgets, as the program has them.
class WidgetLayouts : public HeadlessAppTest {
protected:
    void StartWith(const std::string& resourceFile)
    {
        WriteWholeFile(m_folder.File("system.trf"), resourceFile);
        InstallTextLibraryHooks();
        RegisterTextWidgets();
        m_app = std::make_unique<ScriptedApp>();
        m_app->SetResourceFolderName(tCString::FromAnsi(m_folder.Name()));
        ASSERT_EQ(m_app->StartUp(), kResOk);
    }
    void TearDown() override
    {
        m_app.reset();
        SetTextLibraryHooks({});
        HeadlessAppTest::TearDown();
    }

    // The texts of the error boxes shown since the last call.
    std::vector<std::string> Boxes()
    {
        std::vector<std::string> texts;
        for (const auto& box : w32::headless::TakeMessageBoxes())
            texts.push_back(tCString(std::u16string_view(box.text)).ToAnsi());
        return texts;
    }

    tCStream& File() { return *m_app->GetResourceFile(); }
    const CResourceDirectory& Directory() { return *m_app->GetResourceDirectory(); }

    ProgramSubfolder m_folder;
    std::unique_ptr<ScriptedApp> m_app;
};

TEST_F(WidgetLayouts, EveryShippedLayoutLoadsThroughTheFactoryWithoutAMessage)
{
    StartWith(ReadWholeFile(ShippedFile("system.trf")));
    EXPECT_EQ(Lines(FindWidgetLayoutFaults(File(), Directory())), "");
}

TEST_F(WidgetLayouts, TheWidgetsTheCodeLooksUpHaveTheKindsItExpects)
{
    StartWith(ReadWholeFile(ShippedFile("system.trf")));
    for (const std::span<const tResourceUse> table : AllResourceTables())
        EXPECT_EQ(Lines(FindWrongWidgetKinds(table, File(), Directory())), "");
}

TEST_F(WidgetLayouts, AnotherKindOrAMissingLayoutFailsTheCheck)
{
    StartWith(ReadWholeFile(ShippedFile("system.trf")));
    const tResourceUse wrong[] = {
        {CCoWidget::kType, 31}, {CImWidget::kType, 5}, {CImWidget::kType, 4151}, {CImWidget::kType, 0, 1, "Nowhere"}};
    EXPECT_EQ(Lines(FindWrongWidgetKinds(wrong, File(), Directory())),
              "'cowg' \"pointer.size\" is built as a 'imwg'\n"
              "'imwg' \"painting.view\" is built as a 'wdgt'\n"
              "'imwg' \"panel.frame\" is not built\n"
              "'imwg' \"Nowhere\" is not built\n");
    const tResourceUse noLayout[] = {{CImWidget::kType, 987654}};
    EXPECT_EQ(Lines(FindWrongWidgetKinds(noLayout, File(), Directory())),
              "'imwg' 987654 (0xF1206) has no layout with a name\n");
}

TEST_F(WidgetLayouts, ALayoutWhosePictureIsDamagedFailsTheCheck)
{
    std::string bytes = CompileResourcesFrom("vers 2\n"
                                             "imag 7 \"picture\" png \"art/cursors/plain.png\"\n"
                                             "imwg 8 \"shows.picture\"\n"
                                             "  imag \"picture\"\n"
                                             "  vsbl 1\n"
                                             "imwg 9 \"plain\"\n"
                                             "  vsbl 1\n",
                                             {KOSTREL_RESOURCE_WORK});
    const size_t data = bytes.find("IDAT");
    ASSERT_NE(data, std::string::npos);
    for (size_t i = data + 4; i < data + 12; ++i)
        bytes[i] = char(~bytes[i]);
    StartWith(bytes);
    const std::vector<std::string> faults = FindWidgetLayoutFaults(File(), Directory());
    ASSERT_EQ(faults.size(), 1u) << Lines(faults);
    EXPECT_EQ(faults[0].rfind("'imwg' \"shows.picture\" ", 0), 0u) << faults[0];
}

// The cursors are image widgets of their images whose position is the hotspot.
TEST_F(WidgetLayouts, CursorLayoutsGiveTheirHotspotsInTheirPosition)
{
    StartWith(ReadWholeFile(ShippedFile("system.trf")));
    struct tCursor {
        uint32_t id;
        tCPoint hotspot;
    };
    std::vector<tCursor> found;
    for (uint32_t id = kWgtCursorFirst; id <= kWgtCursorLast; ++id) {
        std::unique_ptr<CImWidget> cursor(CImWidget::CreateFromResourceId(id, nullptr, nullptr));
        if (!cursor)
            continue;
        found.push_back({id, {int32_t(cursor->GetLayout()->x), int32_t(cursor->GetLayout()->y)}});
        EXPECT_EQ(cursor->GetWidth(), 32) << id;
        EXPECT_EQ(cursor->GetHeight(), 32) << id;
        const std::unique_ptr<CImage> image = ImageOf(kImgCursorFirst + id);
        uint32_t drawn = 0;
        for (int32_t y = 0; y < 32; ++y)
            for (int32_t x = 0; x < 32; ++x) {
                ASSERT_EQ(PixelOf(cursor->GetImage(), x, y), PixelOf(image.get(), x, y)) << id;
                drawn += PixelOf(image.get(), x, y) >> 24 == 0xFF;
            }
        EXPECT_GT(drawn, 32u) << id;
    }
    ASSERT_EQ(found.size(), 5u);
    const tCursor expected[] = {{kCursorSizeDrag, {16, 16}},
                                {kCursorPlain, {16, 16}},
                                {kCursorMove, {16, 16}},
                                {kCursorRotate, {16, 16}},
                                {kCursorZoom, {13, 13}}};
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].id, expected[i].id);
        EXPECT_EQ(found[i].hotspot, expected[i].hotspot) << found[i].id;
    }
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
}

// The main backdrop: the ground colour everywhere, a painting view that fills it and draws
// nothing, and the clean view's hint hidden, centred 12 pixels below the top when shown.
TEST_F(WidgetLayouts, TheMainBackdropShowsTheGroundAndKeepsItsHintHidden)
{
    StartWith(ReadWholeFile(ShippedFile("system.trf")));
    std::unique_ptr<CBackdrop> backdrop(
        CBackdrop::CreateFromResource(tCString::FromAnsi(kWgtMainBackdropName), nullptr, nullptr));
    ASSERT_TRUE(backdrop);
    EXPECT_EQ(backdrop->GetBackgroundColour(), 0xFF303050u);
    ASSERT_EQ(backdrop->SetSize(1024, 768, 0), kResOk);
    CWidget* view = backdrop->FindWidgetById(kWgtPaintingView);
    CWidget* restore = backdrop->FindWidgetById(kWgtRestore);
    ASSERT_TRUE(view && restore);
    EXPECT_EQ(view->GetRect(), (tCRect{0, 0, 1024, 768}));
    EXPECT_TRUE(view->IsVisible());
    EXPECT_FALSE(view->GetOpaqueBlit());
    EXPECT_FALSE(restore->IsVisible());
    EXPECT_EQ(restore->GetRect(), (tCRect{356, 12, 668, 60}));

    const auto render = [&] {
        ASSERT_EQ(backdrop->Invalidate(0), kResOk);
        ASSERT_EQ(backdrop->RenderDirtyRegion(), kResOk);
    };
    render();
    for (const tCPoint point : {tCPoint{0, 0}, tCPoint{512, 36}, tCPoint{1023, 767}, tCPoint{300, 500}})
        EXPECT_EQ(backdrop->GetPixelAt(point), 0xFF303050u) << point.x << ", " << point.y;
    ASSERT_EQ(restore->SetVisible(1, 0), kResOk);
    render();
    EXPECT_NE(backdrop->GetPixelAt({512, 36}), 0xFF303050u);
    EXPECT_EQ(backdrop->GetPixelAt({340, 36}), 0xFF303050u);
    EXPECT_EQ(backdrop->GetPixelAt({512, 80}), 0xFF303050u);

    // Both follow the window's size.
    ASSERT_EQ(backdrop->SetSize(800, 600, 0), kResOk);
    EXPECT_EQ(view->GetRect(), (tCRect{0, 0, 800, 600}));
    EXPECT_EQ(restore->GetRect(), (tCRect{244, 12, 556, 60}));
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
}

TEST_F(WidgetLayouts, TheSplashShowsTheStartUpPictureCentredOnTheScreen)
{
    StartWith(ReadWholeFile(ShippedFile("system.trf")));
    CImWidget* widget = CImWidget::CreateFromResourceId(kWgtSplash, nullptr, nullptr);
    ASSERT_TRUE(widget);
    tCRect rect;
    ComputeSplashRect(&rect, widget, nullptr);
    EXPECT_EQ(rect.Width(), 520);
    EXPECT_EQ(rect.Height(), 340);
    EXPECT_TRUE(widget->GetLayout()->xCentred && widget->GetLayout()->yCentred);
    // Sized to the picture, which it shows as it is.
    const std::unique_ptr<CImage> picture = ImageOf(kImgSplashPicture);
    for (const tCPoint point : {tCPoint{100, 100}, tCPoint{260, 250}})
        EXPECT_EQ(PixelOf(widget->GetImage(), point.x, point.y), PixelOf(picture.get(), point.x, point.y));
    delete widget;
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
}

}  // namespace
