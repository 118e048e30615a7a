#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "HeadlessApp.h"
#include "RecordingRoot.h"
#include "platform/Input.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/Paint.h"
#include "platform/Queue.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "toolkit/core/CAppWindow.h"
#include "toolkit/core/IRootWidget.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace WindowTests {

using namespace w32;

namespace {

// Records the files it is handed and lets the window close only on the second request.
class WindowApp : public ScriptedApp {
public:
    tResult OpenFiles(tCStringArray files) override
    {
        for (const tCString& file : files)
            opened.emplace_back(file.View());
        return kResOk;
    }
    tResult OnCloseRequest() override { return ++closeRequests >= closeOnRequest ? kResHandled : kResOk; }

    std::vector<std::u16string> opened;
    int closeRequests = 0;
    int closeOnRequest = 1;
};

class WindowTest : public HeadlessAppTest {
protected:
    void SetUp() override
    {
        HeadlessAppTest::SetUp();
        app = std::make_unique<WindowApp>();
    }
    void TearDown() override
    {
        if (CWindowBase* window = GetMainWindow())
            window->DestroyWindow();
        app.reset();
        HeadlessAppTest::TearDown();
    }

    CAppWindow* MakeMain(int32_t systemBar)
    {
        root = new RecordingRoot;
        root->systemBar = systemBar;
        EXPECT_EQ(app->CreateMainWindow(root, 104, 640, 480, nullptr, 1), kResOk);
        return static_cast<CAppWindow*>(GetMainWindow());
    }

    // Answers whether the quit message came by.
    static bool Pump()
    {
        bool quit = false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            quit |= message.message == WM_QUIT;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return quit;
    }

    static RECT WindowRect(CWindowBase* window)
    {
        RECT rect;
        GetWindowRect(window->GetHandle(), &rect);
        return rect;
    }

    static void ExpectRect(const RECT& r, int32_t left, int32_t top, int32_t right, int32_t bottom)
    {
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.top, top);
        EXPECT_EQ(r.right, right);
        EXPECT_EQ(r.bottom, bottom);
    }

    std::unique_ptr<WindowApp> app;
    RecordingRoot* root = nullptr;
};

TEST_F(WindowTest, TheMainWindowIsMadeOverItsRootAndShown)
{
    CAppWindow* window = MakeMain(1);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->IsCreated());
    EXPECT_TRUE(root->ready);
    EXPECT_EQ(root->window, window);
    EXPECT_EQ(window->GetTitle(), u"Test Root");
    EXPECT_EQ(root->width, 640);
    EXPECT_EQ(root->height, 480);
    EXPECT_FALSE(app->IsActive()) << "making a window deactivates the application";
    // Centred in the 1280 x 760 work area, with a caption of 23 and a border of 1 around it.
    ExpectRect(WindowRect(window), 319, 116, 961, 621);
}

TEST_F(WindowTest, ALayoutSizeServesWhenNoneIsGivenAndAFailedBuildIsAnswered)
{
    root = new RecordingRoot;
    root->layoutWidth = 300.9f;
    root->layoutHeight = 200.2f;
    root->buildResult = kResResourceNotFound;
    EXPECT_EQ(app->CreateMainWindow(root, 104, 0, 0, "Title", 1), kResResourceNotFound);
    EXPECT_FALSE(root->ready);
    EXPECT_EQ(root->width, 300);
    EXPECT_EQ(root->height, 200);
    EXPECT_EQ(GetMainWindow()->GetTitle(), u"Title");
}

TEST_F(WindowTest, SetBoundsMovesTheWindowBackIntoTheAreaAndClampsItsSize)
{
    CAppWindow* window = MakeMain(1);
    EXPECT_EQ(window->SetBounds(1000, 600, 400, 300, 1), kResOk);
    ExpectRect(WindowRect(window), 878, 435, 1280, 760);
    EXPECT_EQ(root->width, 400);
    EXPECT_EQ(root->height, 300);
    EXPECT_TRUE(GetWindowLongW(window->GetHandle(), GWL_STYLE) & WS_CAPTION);

    EXPECT_EQ(window->SetBounds(-50, -50, 5000, 5000, 1), kResOk);
    ExpectRect(WindowRect(window), 0, 0, 1280, 760);
    EXPECT_FALSE(GetWindowLongW(window->GetHandle(), GWL_STYLE) & WS_CAPTION);
    EXPECT_EQ(root->width, 1280);
    EXPECT_EQ(root->height, 760);
    EXPECT_EQ(window->SetBounds(0, 0, 0, 10, 1), kResFailure);
}

TEST_F(WindowTest, FunctionKeysFillTheAreaShrinkTheWindowAndToggleTheApplication)
{
    CAppWindow* window = MakeMain(1);
    PostMessageW(window->GetHandle(), WM_KEYDOWN, VK_F(7), 0);
    Pump();
    ExpectRect(WindowRect(window), 0, 0, 1280, 760);
    EXPECT_EQ(root->width, 1280);

    PostMessageW(window->GetHandle(), WM_KEYDOWN, VK_F(8), 0);
    Pump();
    // 0.8 of 1280 x 760 is 1024 x 608, centred at (128, 76), with its caption and border.
    ExpectRect(WindowRect(window), 127, 52, 1153, 685);
    EXPECT_EQ(root->width, 1024);
    EXPECT_EQ(root->height, 608);

    PostMessageW(window->GetHandle(), WM_KEYDOWN, VK_F(11), 0);
    Pump();
    EXPECT_TRUE(app->IsActive());
    root->consumeKeys = true;
    PostMessageW(window->GetHandle(), WM_KEYDOWN, VK_F(11), 0);
    Pump();
    EXPECT_TRUE(app->IsActive()) << "a key the root consumed does nothing more";
}

TEST_F(WindowTest, RectanglesFromFractions)
{
    CAppWindow* window = MakeMain(1);
    const uint32_t centred = kPlaceCentreX | kPlaceCentreY | kPlaceSizeFraction;
    tCRect r = window->RectFromFractions(centred, tCFPoint{0.5f, 0.5f}, tCFPoint{-2, -2}, 0);
    EXPECT_EQ(r, (tCRect{321, 214, 959, 569}));
    r = window->RectFromFractions(centred | kPlaceResizable, tCFPoint{0.5f, 0.5f}, tCFPoint{-2, -2}, 1);
    EXPECT_EQ(r, (tCRect{324, 237, 956, 566}));
    r = window->RectFromFractions(kPlacePositionFraction, tCFPoint{100, 50}, tCFPoint{0.25f, 0.5f}, 0);
    EXPECT_EQ(r, (tCRect{321, 404, 419, 429}));
    EXPECT_FALSE(window->IsFullScreen());

    EXPECT_EQ(window->RectFromFractions(kPlaceFullScreen, tCFPoint{-1, -1}, tCFPoint{-1, -1}, 1),
              (tCRect{0, 0, 1280, 800}));
    EXPECT_EQ(window->RectFromFractions(kPlaceFullScreen, tCFPoint{-1, -1}, tCFPoint{-1, -1}, 0),
              (tCRect{0, 0, 1280, 760}));
    EXPECT_TRUE(window->IsFullScreen());
    EXPECT_EQ(window->RectFromFractions(0, tCFPoint{2000, 2000}, tCFPoint{5, 5}, 0), (tCRect{0, 0, 1280, 760}));
    EXPECT_TRUE(window->IsFullScreen());
}

// The window's mode follows what a window manager does on its own: its restore gives a window
// of the size asked for the window out of full screen last (1024 x 768 before any was); its full
// screen over the whole monitor turns the cover flag on, its maximise over the work area off; a
// minimised full screen comes back as one.
TEST_F(WindowTest, TheApplicationsFullScreenWindowCoversTheWorkAreaAndFollowsTheSystem)
{
    root = new RecordingRoot;
    root->systemBar = 1;
    ASSERT_EQ(app->CreateMainWindowAt(root, 104, 0x21, -1, -1, -1, -1, nullptr, 1), kResOk);
    CWindowBase* window = GetMainWindow();
    const HWND handle = window->GetHandle();
    ExpectRect(WindowRect(window), 0, 0, 1280, 760);
    EXPECT_TRUE(GetWindowLongW(handle, GWL_STYLE) & WS_MAXIMIZE);
    EXPECT_EQ(root->width, 1280);
    EXPECT_EQ(root->height, 760);

    const auto expectMode = [&](bool fullScreen, int32_t width, int32_t height, int32_t cover) {
        EXPECT_EQ(window->IsFullScreen(), fullScreen);
        EXPECT_EQ((GetWindowLongW(handle, GWL_STYLE) & WS_CAPTION) != 0, !fullScreen);
        EXPECT_EQ(root->width, width);
        EXPECT_EQ(root->height, height);
        EXPECT_EQ(window->GetMonitorFlag(), cover);
    };
    // 1024 x 768 less the frame and caption.
    headless::ReportShowState(handle, SIZE_RESTORED);
    expectMode(false, 1022, 735, 0);
    headless::ReportZoomed(handle, RECT{0, 0, 1280, 800});
    expectMode(true, 1280, 800, 1);
    headless::ReportShowState(handle, SIZE_MINIMIZED);
    headless::ReportShowState(handle, SIZE_RESTORED);
    expectMode(true, 1280, 800, 1);
    headless::ReportZoomed(handle, RECT{0, 0, 1280, 760});
    expectMode(true, 1280, 760, 0);
    ASSERT_EQ(window->Relayout(kPlaceCentreX | kPlaceCentreY, {800.0f, 600.0f}, {-1.0f, -1.0f}, 1), kResOk);
    const int32_t width = root->width, height = root->height;
    headless::ReportZoomed(handle, RECT{0, 0, 1280, 760});
    expectMode(true, 1280, 760, 0);
    headless::ReportShowState(handle, SIZE_RESTORED);
    expectMode(false, width, height, 0);
}

TEST_F(WindowTest, SizesOfSevenOrLessChangeNothingAndAFailedResizeQuits)
{
    CAppWindow* window = MakeMain(0);
    SendMessageW(window->GetHandle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(7, 100));
    EXPECT_EQ(root->width, 640);
    SendMessageW(window->GetHandle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(8, 100));
    EXPECT_EQ(root->width, 8);
    EXPECT_EQ(root->height, 100);

    root->sizeResult = kResNoMemory;
    app->closeOnRequest = 99;
    SendMessageW(window->GetHandle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    const auto boxes = headless::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, u"Not enough memory to perform action.\nWindow SetSize failed. Offscreen buffer error.");
    EXPECT_EQ(boxes[0].owner, window->GetHandle());
    EXPECT_EQ(app->closeRequests, 1);
    EXPECT_FALSE(app->IsQuitting()) << "the close request kept the window, so the run goes on";
}

TEST_F(WindowTest, AWindowClosedByAResizeItsRootCannotTakeGoesOnceAndIsNotTouchedAfter)
{
    const std::u16string sizeFailure =
        u"Not enough memory to perform action.\nWindow SetSize failed. Offscreen buffer error.";
    // The first WM_SIZE of the creation quits the application, which destroys the window; both
    // ways of making the main window answer the failure, and the window object and its root go once.
    for (const bool relative : {false, true}) {
        int deletions = 0;
        root = new RecordingRoot(&deletions);
        root->sizeResult = kResNoMemory;
        const tResult made = relative ? app->CreateMainWindowAt(root, 104, 0x21, -1, -1, -1, -1, nullptr, 1)
                                      : app->CreateMainWindow(root, 104, 640, 480, nullptr, 1);
        EXPECT_EQ(made, kResFailure) << "relative " << relative;
        EXPECT_EQ(deletions, 1) << "relative " << relative;
        EXPECT_EQ(GetMainWindow(), nullptr) << "relative " << relative;
        const auto boxes = headless::TakeMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u) << "relative " << relative;
        EXPECT_EQ(boxes[0].text, sizeFailure);
    }

    // Without a root, and no factory to make one, the system window goes again, and the object.
    ASSERT_EQ(GetRootWidgetFactory(), nullptr);
    EXPECT_EQ(app->CreateAppWindow()->Create(200, 100, tCString(u"rootless"), -1), 0);

    // A maximise the root cannot follow ends the window the same way while it is placed.
    CAppWindow* window = MakeMain(0);
    const HWND handle = window->GetHandle();
    root->sizeResult = kResNoMemory;
    SendMessageW(handle, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(1280, 760));
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(GetMainWindow(), nullptr);
    const auto boxes = headless::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, sizeFailure);
}

// A screen whose pixels could never be had: the window keeps its client size, and so does its
// root, which is not asked to take the size the window could not.
TEST_F(WindowTest, ALayoutWhosePixelsCannotBeHadLeavesTheWindowAndItsRootTheirSize)
{
    CAppWindow* window = MakeMain(1);
    ASSERT_EQ(window->Relayout(kPlaceCentreX | kPlaceCentreY, {640.0f, 480.0f}, {-1.0f, -1.0f}, 1), kResOk);
    const LONG style = GetWindowLongW(window->GetHandle(), GWL_STYLE);
    const RECT place = WindowRect(window);
    headless::SetDisplays({tDisplay{{0, 0, 1 << 30, 1 << 30}, {0, 0, 1 << 30, 1 << 30}}});
    const float huge = float(1 << 29);
    for (const uint32_t options : {uint32_t(kPlaceFullScreen), uint32_t(kPlaceCentreX | kPlaceCentreY), 0u}) {
        EXPECT_NE(options ? window->Relayout(options, {huge, huge}, {-1.0f, -1.0f}, 1)
                          : window->SetBounds(0, 0, 1 << 30, 1 << 30, 1), kResOk) << options;
        RECT client;
        ASSERT_TRUE(GetClientRect(window->GetHandle(), &client));
        EXPECT_EQ(window->GetWidth(), client.right) << options;
        EXPECT_EQ(window->GetHeight(), client.bottom) << options;
        EXPECT_EQ(root->GetWidth(), client.right) << options;
        EXPECT_EQ(root->GetHeight(), client.bottom) << options;
        EXPECT_FALSE(window->IsFullScreen()) << options;
        EXPECT_EQ(GetWindowLongW(window->GetHandle(), GWL_STYLE), style) << options;
        ExpectRect(WindowRect(window), place.left, place.top, place.right, place.bottom);
    }
    headless::SetDisplays({tDisplay{{0, 0, 1280, 800}, {0, 0, 1280, 760}}});
    EXPECT_EQ(window->Relayout(kPlaceFullScreen, {-1.0f, -1.0f}, {-1.0f, -1.0f}, 1), kResOk);
    ExpectRect(WindowRect(window), 0, 0, 1280, 760);
}

TEST_F(WindowTest, AltF4SendsEscapeToAnOpenModalAndOtherwiseClosesThroughTheCloseRequest)
{
    CAppWindow* window = MakeMain(1);
    const HWND handle = window->GetHandle();
    root->modalOpen = true;
    app->closeOnRequest = 2;
    SetFocus(handle);
    headless::PressKey(VK_LMENU);
    headless::PressKey(VK_F(4));
    Pump();
    EXPECT_EQ(root->keys, std::vector<int32_t>{kKeyEscape});
    EXPECT_EQ(app->closeRequests, 0);

    root->modalOpen = false;
    headless::PressKey(VK_F(4));
    Pump();
    EXPECT_EQ(app->closeRequests, 1);
    EXPECT_TRUE(IsWindow(handle)) << "the first request keeps the window";
    headless::PressKey(VK_F(4));
    EXPECT_TRUE(Pump()) << "the main window's end posts the quit message";
    EXPECT_EQ(app->closeRequests, 2);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(GetMainWindow(), nullptr);
}

TEST_F(WindowTest, KeysTranslateToToolkitCodes)
{
    CAppWindow* window = MakeMain(1);
    const HWND handle = window->GetHandle();
    const auto press = [&](int key) {
        PostMessageW(handle, WM_KEYDOWN, WPARAM(key), 0);
        Pump();
    };
    for (int key : {int(VK_PRIOR), int(VK_NEXT), int(VK_END), int(VK_HOME), int(VK_LEFT), int(VK_UP), int(VK_RIGHT),
                    int(VK_DOWN), int(VK_DELETE), VK_F(1), VK_F(4), VK_F(12), int('A')})
        press(key);
    EXPECT_EQ(root->keys, (std::vector<int32_t>{-250, -249, -251, -252, -256, -254, -255, -253, 127, -248, -245,
                                                -237}));
    root->keys.clear();

    headless::SetKeyState(VK_LCONTROL, true);
    for (int key : {int(VK_ADD), int(VK_OEM_PLUS), int(VK_OEM_MINUS), int(VK_OEM_3), int('5'), int(VK_TAB), int('Q')})
        press(key);
    headless::SetKeyState(VK_LSHIFT, true);
    press(VK_OEM_PLUS);
    EXPECT_EQ(root->keys, (std::vector<int32_t>{'+', '=', '-', '`', '5', 9, 17, '+'})) << "Ctrl+Q arrives as WM_CHAR 17";
    headless::SetKeyState(VK_LSHIFT, false);
    headless::SetKeyState(VK_LCONTROL, false);
    root->keys.clear();

    window->SetSysKeysAsKeys(1);
    headless::SetKeyState(VK_LMENU, true);
    PostMessageW(handle, WM_SYSKEYDOWN, 'X', 0);
    for (int key : {int(VK_NUMPAD0) + 5, int(VK_SUBTRACT), int(VK_DECIMAL), int(VK_DIVIDE), int(VK_INSERT)})
        PostMessageW(handle, WM_SYSKEYDOWN, WPARAM(key), 0);
    // Modifier and lock keys held with Alt are no characters (Shift would read as Ctrl+P).
    for (int key : {VK_SHIFT, VK_CONTROL, VK_PAUSE, VK_CAPITAL, VK_LWIN, VK_RWIN, VK_NUMLOCK, VK_SCROLL})
        PostMessageW(handle, WM_SYSKEYDOWN, WPARAM(key), 0);
    PostMessageW(handle, WM_CHAR, 0x20AC, 0);
    Pump();
    EXPECT_EQ(root->keys, (std::vector<int32_t>{'X', 0x20AC}));
    headless::SetKeyState(VK_LMENU, false);
    root->keys.clear();

    // A letter of another script typed on a letter key is that key's letter where no widget takes
    // it as text; a symbol is none.
    const auto type = [&](int key, char16_t character) {
        PostMessageW(handle, WM_KEYDOWN, WPARAM(key), 0);
        PostMessageW(handle, WM_CHAR, WPARAM(character), 0);
        Pump();
    };
    type('Z', u'\u044F');
    headless::SetKeyState(VK_LSHIFT, true);
    type('Z', u'\u042F');
    headless::SetKeyState(VK_LSHIFT, false);
    type('I', u'\u2192');
    root->consumeKeys = true;
    type('Z', u'\u044F');
    EXPECT_EQ(root->keys, (std::vector<int32_t>{0x44F, 'z', 0x42F, 'Z', 0x2192, 0x44F}));
}

TEST_F(WindowTest, MousePointsAndWheelDeltasKeepTheirSign)
{
    CAppWindow* window = MakeMain(0);
    const HWND handle = window->GetHandle();
    PostMessageW(handle, WM_LBUTTONDOWN, 0, MAKELPARAM(WORD(-5), WORD(-12)));
    PostMessageW(handle, WM_MOUSEWHEEL, WPARAM(WORD(-120)) << 16, MAKELPARAM(400, 300));
    PostMessageW(handle, WM_RBUTTONUP, 0, MAKELPARAM(10, 20));
    Pump();
    // A press first finds the widget under the pointer.
    EXPECT_EQ(root->events,
              (std::vector<std::string>{"rollover", "ldown -5,-12", "wheel -120", "at 400,300", "rup 10,20"}));
}

TEST_F(WindowTest, DroppedFilesReachOpenFilesWhole)
{
    CAppWindow* window = MakeMain(0);
    const std::u16string longPath = u"/srv/paintings/" + std::u16string(300, u'p') + u".ptg";
    headless::DropFiles(window->GetHandle(), {longPath, u"/tmp/b.png"});
    Pump();
    EXPECT_EQ(app->opened, (std::vector<std::u16string>{longPath, u"/tmp/b.png"}));
}

TEST_F(WindowTest, PaintingCopiesTheBackBufferToTheWindow)
{
    CAppWindow* window = MakeMain(0);
    ShowWindow(window->GetHandle(), SW_SHOWNORMAL);
    root->pixels[5 * 640 + 7] = 0xFFFFFFFFu;
    app->Activate();
    EXPECT_TRUE(app->IsPaintPending());
    EXPECT_EQ(app->OnHeartbeat(0), kResOk);
    EXPECT_FALSE(app->IsPaintPending());
    int32_t width = 0, height = 0;
    const std::vector<uint32_t> screen = headless::ReadWindowPixels(window->GetHandle(), &width, &height);
    ASSERT_EQ(width, 640);
    ASSERT_EQ(height, 480);
    EXPECT_EQ(screen[0], 0xFF204060u);
    EXPECT_EQ(screen[5 * 640 + 7], 0xFFFFFFFFu);
    EXPECT_EQ(root->heartbeats, 1);
}

TEST_F(WindowTest, AWindowDeletedDuringTheHeartbeatIsNotCalled)
{
    MakeMain(0);
    int deletions = 0;
    static CAppWindow* second = nullptr;
    static int secondBeats = 0;
    secondBeats = 0;
    second = app->CreateAppWindow();
    auto* secondRoot = new RecordingRoot(&deletions);
    secondRoot->onHeartbeat = []() -> tResult {
        ++secondBeats;
        return kResOk;
    };
    second->SetRootWidget(secondRoot);
    ASSERT_EQ(second->Create(200, 100, tCString(u"second"), -1), 1);
    root->onHeartbeat = []() -> tResult {
        second->DestroyWindow();
        return kResOk;
    };
    app->Activate();
    EXPECT_EQ(app->OnHeartbeat(0), kResOk);
    EXPECT_EQ(root->heartbeats, 1);
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(secondBeats, 0);
}

TEST_F(WindowTest, TheHeartbeatTracksTheWidgetUnderThePointer)
{
    CAppWindow* window = MakeMain(0);
    ShowWindow(window->GetHandle(), SW_SHOWNORMAL);
    CWindowBase::SetRolloverActive(false);
    headless::MoveMouse(5, 5);
    window->Heartbeat();
    headless::MoveMouse(700, 400);
    window->Heartbeat();
    SendMessageW(window->GetHandle(), WM_NCACTIVATE, 1, 0);
    headless::MoveMouse(5, 5);
    window->Heartbeat();
    SendMessageW(window->GetHandle(), WM_NCACTIVATE, 0, 0);
    EXPECT_EQ(root->events, (std::vector<std::string>{"no rollover", "rollover", "rollover"}));
}

TEST_F(WindowTest, TheBackdropCursorAndNotificationsGoThroughTheRoot)
{
    MakeMain(0);
    app->ShowBackdropCursor();
    EXPECT_TRUE(app->IsBackdropCursorShown());
    EXPECT_FALSE(app->IsSystemCursorShown());
    app->PushSystemCursor();
    EXPECT_FALSE(root->cursorShown);
    EXPECT_TRUE(headless::IsPointerVisible());
    app->PopSystemCursor();
    EXPECT_TRUE(app->IsBackdropCursorShown());
    EXPECT_FALSE(headless::IsPointerVisible());
    app->TrackBackdropCursor();
    app->StopCursorTracking();
    app->TrackBackdropCursor();
    EXPECT_EQ(root->tracks, 1);

    root->broadcastAnswer = kResBusy;
    EXPECT_EQ(app->Notify(0xF1000301, 0, 0), kResBusy);
}

TEST_F(WindowTest, ACloseRequestAnsweredTwoEndsTheRunWithItsExitCode)
{
    int drained = 0;
    app->closeOnRequest = 2;
    app->setUp = [&] {
        root = new RecordingRoot;
        const tResult made = app->CreateMainWindowAt(root, 104, 0x21, -1, -1, -1, -1, nullptr, 1);
        app->Activate();
        return made;
    };
    app->tick = [&] {
        if (app->ticks == 2 || app->ticks == 4) {
            PostThreadMessageW(GetCurrentThreadId(), WM_APP + 9, 0, 0);
            app->Quit();
        }
        return kResOk;
    };
    app->dispatch = [&](const MSG& message) {
        drained += message.message == WM_APP + 9;
        return kResOk;
    };
    app->exitResult = kResOk;
    RunClock();
    EXPECT_EQ(app->Run(nullptr, "", SW_SHOWNORMAL), 0);
    StopClock();
    EXPECT_EQ(app->closeRequests, 2);
    EXPECT_EQ(drained, 2);
    EXPECT_EQ(GetMainWindow(), nullptr);
    EXPECT_FALSE(app->IsHeartbeatThreadRunning());
    EXPECT_TRUE(headless::TakeMessageBoxes().empty());
}

TEST_F(WindowTest, MessagesOfAWindowWithoutObjectAreAnsweredZero)
{
    WNDCLASSEXW windowClass;
    windowClass.lpfnWndProc = CWinWindow::StaticWindowProc;
    windowClass.lpszClassName = u"bare";
    RegisterClassExW(&windowClass);
    EXPECT_EQ(CreateWindowExW(0, u"bare", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
}

}  // namespace

}  // namespace WindowTests
