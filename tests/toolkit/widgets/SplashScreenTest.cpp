#include <gtest/gtest.h>

#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/Window.h"
#include "platform/headless/Headless.h"
#include "toolkit/core/CAppWindow.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CSplashScreen.h"
#include "toolkit/widgets/CSplashWindow.h"
#include "toolkit/widgets/EffectTestSupport.h"
#include "toolkit/widgets/SplashScreen.h"
#include "toolkit/widgets/WidgetResources.h"

namespace {

// An image widget that tells when it is deleted.
class WatchedWidget : public CImWidget {
public:
    explicit WatchedWidget(bool* deleted) : m_deleted(deleted) {}
    ~WatchedWidget() override { *m_deleted = true; }

private:
    bool* m_deleted;
};

// A 40 x 30 picture: a transparent ring 5 pixels wide around an opaque orange centre.
WatchedWidget* Ringed(bool* deleted)
{
    auto* widget = new WatchedWidget(deleted);
    auto* image = new CImage(40, 30);
    for (int32_t y = 5; y < 25; ++y)
        for (int32_t x = 5; x < 35; ++x)
            SetPixel(*image, x, y, 0xFFFF8000);
    EXPECT_EQ(widget->SetImage(image, 1, 0), kResOk);
    CWidgetLayout* layout = widget->GetLayout();
    layout->width = 40;
    layout->height = 30;
    layout->xCentred = 1;
    layout->yCentred = 1;
    EXPECT_EQ(widget->SetVisible(1, 0), kResOk);
    return widget;
}

class SplashScreenTest : public WidgetLoadTest {
protected:
    void SetUp() override
    {
        WidgetLoadTest::SetUp();
        w32::headless::SetDisplays({w32::tDisplay{{0, 0, 1280, 1024}, {0, 30, 1280, 1024}}});
        // One message for the pump step that ends the splash's start.
        w32::PostThreadMessageW(w32::GetCurrentThreadId(), w32::WM_NULL, 0, 0);
    }
    void TearDown() override
    {
        if (CSplashWindow* live = CSplashWindow::GetLive())
            live->DestroyWindow();
        WidgetLoadTest::TearDown();
    }
    // The window's pixels after the whole splash is presented.
    std::vector<uint32_t> Shown(CSplashScreen* splash)
    {
        const w32::HWND handle = splash->GetSplashWindow()->GetHandle();
        w32::ShowWindow(handle, w32::SW_SHOWNORMAL);
        const tCRect all{0, 0, splash->GetWidth(), splash->GetHeight()};
        EXPECT_EQ(splash->InvalidateRect(&all, 1), kResOk);
        int32_t width = 0, height = 0;
        std::vector<uint32_t> pixels = w32::headless::ReadWindowPixels(handle, &width, &height);
        EXPECT_EQ(width, 40);
        EXPECT_EQ(height, 30);
        return pixels;
    }
};

TEST_F(SplashScreenTest, ACentredWidgetIsPlacedOnTheWorkAreaWithoutItsOffset)
{
    CImWidget widget;
    CWidgetLayout* layout = widget.GetLayout();
    layout->width = 301;
    layout->height = 200;
    layout->xCentred = 1;
    layout->yCentred = 1;
    tCRect rect;
    ComputeSplashRect(&rect, &widget, nullptr);
    // (1280 - 301) / 2 = 489.5 rounds to 490; (994 - 200) / 2 = 397.
    EXPECT_EQ(rect, (tCRect{490, 397, 791, 597}));

    CWidgetLayout other;
    other.width = 0.25f;
    other.widthRelative = 1;
    other.height = 100;
    other.heightInset = 1;
    other.x = 10;
    other.xFromRight = 1;
    other.xIsRightEdge = 1;
    other.y = 0.5f;
    other.yRelative = 1;
    ComputeSplashRect(&rect, &widget, &other);
    EXPECT_EQ(rect, (tCRect{1270 - 320, 497, 1270, 497 + 894}));
    other.widthInset = 1;
    other.width = 5000;
    ComputeSplashRect(&rect, &widget, &other);
    EXPECT_EQ(rect.Width(), 0) << "a negative width is none";
}

TEST_F(SplashScreenTest, WithoutACaptureTheTransparentRingShowsTheBackdropColour)
{
    bool deleted = false;
    CSplashScreen* splash = ShowSplashScreen(Ringed(&deleted), nullptr, nullptr, 0, 0);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->GetWidgetType(), CSplashScreen::kType);
    CSplashWindow* window = splash->GetSplashWindow();
    ASSERT_EQ(window, CSplashWindow::GetLive());
    char16_t title[32] = {};
    w32::GetWindowTextW(window->GetHandle(), title, 32);
    EXPECT_EQ(std::u16string(title), u"Splash Screen");
    w32::RECT rect;
    w32::GetWindowRect(window->GetHandle(), &rect);
    EXPECT_EQ(rect.left, 620);
    EXPECT_EQ(rect.top, 482);
    EXPECT_FALSE(w32::IsWindowVisible(window->GetHandle())) << "not shown when not asked";
    const std::vector<uint32_t> pixels = Shown(splash);
    EXPECT_EQ(pixels[0], 0xFF303050u);
    EXPECT_EQ(pixels[29 * 40 + 39], 0xFF303050u);
    EXPECT_EQ(pixels[15 * 40 + 20], 0xFFFF8000u);
    EXPECT_GE(splash->GetFrameCount(), 2u);

    ASSERT_EQ(splash->CloseSplashWindow(), kResOk);
    EXPECT_TRUE(deleted) << "the widget goes with the splash";
    EXPECT_EQ(CSplashWindow::GetLive(), nullptr);
    w32::MSG message;
    EXPECT_FALSE(w32::PeekMessageW(&message, nullptr, w32::WM_QUIT, w32::WM_QUIT, w32::PM_NOREMOVE))
        << "closing the splash does not end the application";
    EXPECT_FALSE(app->IsQuitting());
}

TEST_F(SplashScreenTest, ACaptureBehindShowsTheScreenThroughTheRing)
{
    std::vector<uint32_t> screen(1280 * 1024);
    for (size_t i = 0; i < screen.size(); ++i)
        screen[i] = uint32_t(i * 2654435761u) & 0x00FFFFFF;
    w32::headless::SetScreenPixels(1280, 1024, screen);
    bool deleted = false;
    CSplashScreen* splash = ShowSplashScreen(Ringed(&deleted), "Kostrel", nullptr, 1, 1);
    ASSERT_NE(splash, nullptr);
    const w32::HWND handle = splash->GetSplashWindow()->GetHandle();
    EXPECT_TRUE(w32::GetWindowLongW(handle, w32::GWL_EXSTYLE) & w32::WS_EX_TOPMOST);
    char16_t title[32] = {};
    w32::GetWindowTextW(handle, title, 32);
    EXPECT_EQ(std::u16string(title), u"Kostrel");
    const std::vector<uint32_t> pixels = Shown(splash);
    // The splash lies at (620, 482) on the screen; the capture is made opaque.
    EXPECT_EQ(pixels[0], 0xFF000000u | screen[482 * 1280 + 620]);
    EXPECT_EQ(pixels[3 * 40 + 38], 0xFF000000u | screen[485 * 1280 + 658]);
    EXPECT_EQ(pixels[15 * 40 + 20], 0xFFFF8000u);
    ASSERT_EQ(splash->CloseSplashWindow(), kResOk);
    EXPECT_TRUE(deleted);
}

TEST_F(SplashScreenTest, WhereTheScreenCannotBeReadTheSplashShowsWithoutACapture)
{
    bool deleted = false;
    CSplashScreen* splash = ShowSplashScreen(Ringed(&deleted), nullptr, nullptr, 1, 0);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(Shown(splash)[0], 0xFF303050u);
    ASSERT_EQ(splash->CloseSplashWindow(), kResOk);
    EXPECT_TRUE(deleted);
}

TEST_F(SplashScreenTest, EveryFailureDeletesTheWidget)
{
    bool deleted = false;
    // Too large for a back buffer.
    auto* huge = new WatchedWidget(&deleted);
    huge->GetLayout()->width = 100000;
    huge->GetLayout()->height = 100000;
    EXPECT_EQ(ShowSplashScreen(huge, nullptr, nullptr, 0, 0), nullptr);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(CSplashWindow::GetLive(), nullptr);
    EXPECT_EQ(ShowSplashScreen(nullptr, nullptr, nullptr, 0, 0), nullptr);
}

TEST_F(SplashScreenTest, KeysReachTheWidgetAndTheDestroyMessageIsAnsweredAtOnce)
{
    bool deleted = false;
    WatchedWidget* widget = Ringed(&deleted);
    CallLog log;
    widget->SetKeyDownProc(LogKey, ToMsgArg(&log));
    widget->SetName(u"ringed");
    CSplashScreen* splash = ShowSplashScreen(widget, nullptr, nullptr, 0, 0);
    ASSERT_NE(splash, nullptr);
    widget->SetFocus(0);
    splash->GetSplashWindow()->OnKeyDown('k');
    EXPECT_EQ(log.calls, (std::vector<std::string>{"ringed"}));
    const w32::HWND handle = splash->GetSplashWindow()->GetHandle();
    EXPECT_EQ(SplashWindowProc(handle, w32::WM_DESTROY, 0, 0), 0);
    EXPECT_TRUE(w32::IsWindow(handle));
    EXPECT_FALSE(deleted);
    ASSERT_EQ(splash->CloseSplashWindow(), kResOk);
    EXPECT_TRUE(deleted);
}

TEST_F(SplashScreenTest, AMainWindowTitledAsTheSplashIsServedByItsOwnObject)
{
    CBackdrop::RegisterRootWidgetFactory();
    bool deleted = false;
    CSplashScreen* splash = ShowSplashScreen(Ringed(&deleted), "Kostrel", nullptr, 0, 0);
    ASSERT_NE(splash, nullptr);
    // Made while the splash lives, the main window takes the splash's class of the same name.
    auto* main = new CAppWindow;
    ASSERT_EQ(main->Create(300, 200, tCString(u"Kostrel"), -1), 1);
    ASSERT_NE(main->GetHandle(), nullptr);
    EXPECT_NE(main->GetRootWidget(), nullptr);
    EXPECT_EQ(main->GetWidth(), 300);
    CAppBase::SetMainWindow(main);
    ASSERT_EQ(splash->CloseSplashWindow(), kResOk);
    EXPECT_TRUE(deleted);
    EXPECT_TRUE(w32::IsWindow(main->GetHandle()));
    main->DestroyWindow();
    w32::MSG message;
    EXPECT_TRUE(w32::PeekMessageW(&message, nullptr, w32::WM_QUIT, w32::WM_QUIT, w32::PM_NOREMOVE))
        << "the main window's destruction ends the application";
}

}  // namespace
