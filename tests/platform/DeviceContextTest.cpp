#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "HeadlessFixture.h"
#include "TestWindows.h"
#include "XDisplayFixture.h"
#include "platform/Kernel.h"
#include "platform/Paint.h"
#include "platform/Window.h"
#include "platform/headless/Headless.h"
#include "platform/sdl/X11Connection.h"
#include "platform/sdl/X11Screen.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace DeviceContextTests {

using namespace w32;

namespace {

// Pixel (x, y) of a pattern holds 0xFF00yyxx plus a tag in the red byte.
uint32_t PatternPixel(int32_t x, int32_t y, uint32_t tag)
{
    return 0xFF000000u | tag << 16 | uint32_t(y) << 8 | uint32_t(x);
}

std::vector<uint32_t> Pattern(int32_t width, int32_t height, uint32_t tag)
{
    std::vector<uint32_t> pixels(size_t(width * height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[size_t(y * width + x)] = PatternPixel(x, y, tag);
    return pixels;
}

class DeviceContextTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        m_window = MakeTestWindow(u"blit test", RECT{0, 0, 8, 6});
        // The first paint brings the window on screen all black.
        PAINTSTRUCT paint;
        BeginPaint(m_window, &paint);
        EndPaint(m_window, &paint);
    }

    std::vector<uint32_t> Screen()
    {
        int32_t width = 0, height = 0;
        std::vector<uint32_t> pixels = headless::ReadWindowPixels(m_window, &width, &height);
        EXPECT_EQ(width, 8);
        EXPECT_EQ(height, 6);
        return pixels;
    }

    // What the window's own surface holds, read back through a memory context.
    std::vector<uint32_t> Surface()
    {
        std::vector<uint32_t> pixels(48, 0);
        const HDC memory = CreateMemoryDC(pixels.data(), 8, 6, 8);
        const HDC window = GetDC(m_window);
        EXPECT_TRUE(BitBlt(memory, 0, 0, 8, 6, window, 0, 0, SRCCOPY));
        ReleaseDC(m_window, window);
        DeleteDC(memory);
        return pixels;
    }

    HWND m_window = nullptr;
};

TEST_F(DeviceContextTest, CopiesIntoAWindowAreShownAtTheFlushClippedToBothSides)
{
    std::vector<uint32_t> image = Pattern(4, 3, 0x11);
    const HDC memory = CreateMemoryDC(image.data(), 4, 3, 4);
    ASSERT_NE(memory, nullptr);
    const HDC window = GetDC(m_window);
    ASSERT_NE(window, nullptr);
    // From (1, 1), three by three, to (6, 4): two by two fit the window, and the image.
    EXPECT_TRUE(BitBlt(window, 6, 4, 3, 3, memory, 1, 1, SRCCOPY));
    EXPECT_EQ(Screen()[4 * 8 + 6], 0xFF000000u) << "nothing shows before the flush";
    EXPECT_TRUE(GdiFlush());
    const std::vector<uint32_t> screen = Screen();
    EXPECT_EQ(screen[4 * 8 + 6], PatternPixel(1, 1, 0x11));
    EXPECT_EQ(screen[4 * 8 + 7], PatternPixel(2, 1, 0x11));
    EXPECT_EQ(screen[5 * 8 + 7], PatternPixel(2, 2, 0x11));
    EXPECT_EQ(screen[3 * 8 + 6], 0xFF000000u);
    EXPECT_EQ(ReleaseDC(m_window, window), 1);
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_FALSE(BitBlt(window, 0, 0, 1, 1, memory, 0, 0, SRCCOPY)) << "a deleted context is gone";
}

TEST_F(DeviceContextTest, AMoveWithinAWindowReadsEveryPixelBeforeItIsOverwritten)
{
    std::vector<uint32_t> image = Pattern(8, 6, 0x22);
    const HDC memory = CreateMemoryDC(image.data(), 8, 6, 8);
    const HDC window = GetDC(m_window);
    ASSERT_TRUE(BitBlt(window, 0, 0, 8, 6, memory, 0, 0, SRCCOPY));
    // Down and right by one, then the lower-right part back up and left by two.
    ASSERT_TRUE(BitBlt(window, 1, 1, 6, 4, window, 0, 0, SRCCOPY));
    std::vector<uint32_t> expected = image;
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x)
            expected[size_t((y + 1) * 8 + x + 1)] = image[size_t(y * 8 + x)];
    EXPECT_EQ(Surface(), expected);
    const std::vector<uint32_t> moved = expected;
    ASSERT_TRUE(BitBlt(window, 0, 0, 6, 4, window, 2, 2, SRCCOPY));
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x)
            expected[size_t(y * 8 + x)] = moved[size_t((y + 2) * 8 + x + 2)];
    EXPECT_EQ(Surface(), expected);
    GdiFlush();
    EXPECT_EQ(Screen(), expected);
    DeleteDC(memory);
}

TEST_F(DeviceContextTest, TheScreenIsReadFromTheScriptAndNeverWritten)
{
    std::vector<uint32_t> into(16, 0);
    const HDC memory = CreateMemoryDC(into.data(), 4, 4, 4);
    const HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDC(GetDesktopWindow()), screen);
    EXPECT_FALSE(BitBlt(memory, 0, 0, 4, 4, screen, 0, 0, SRCCOPY)) << "no screen to read yet";

    headless::SetScreenPixels(10, 10, Pattern(10, 10, 0x33));
    // Two columns past the right edge of the screen read black.
    ASSERT_TRUE(BitBlt(memory, 0, 0, 4, 4, screen, 8, 3, SRCCOPY));
    EXPECT_EQ(into[0], PatternPixel(8, 3, 0x33));
    EXPECT_EQ(into[1], PatternPixel(9, 3, 0x33));
    EXPECT_EQ(into[2], 0xFF000000u);
    EXPECT_EQ(into[3 * 4 + 1], PatternPixel(9, 6, 0x33));

    EXPECT_FALSE(BitBlt(screen, 0, 0, 4, 4, memory, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(memory, 0, 0, 4, 4, screen, 0, 0, 0x00EE0086)) << "only plain copies are made";
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    DeleteDC(memory);
}

TEST_F(DeviceContextTest, AScreenCopyWithoutRoomForItsPixelsFailsAndLaterOnesWork)
{
    headless::SetScreenPixels(10, 10, Pattern(10, 10, 0x44));
    uint32_t into = 0;
    const HDC memory = CreateMemoryDC(&into, 1, 1, 1);
    const HDC screen = GetDC(nullptr);
    // 2^30 by 2^30 pixels of the screen asked for: four exbibytes.
    SetLastError(0);
    EXPECT_FALSE(BitBlt(memory, 0, 0, 1 << 30, 1 << 30, screen, 0, 0, SRCCOPY));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(into, 0u);
    EXPECT_TRUE(BitBlt(memory, 0, 0, 1, 1, screen, 3, 2, SRCCOPY));
    EXPECT_EQ(into, PatternPixel(3, 2, 0x44));
    ReleaseDC(nullptr, screen);
    DeleteDC(memory);
}

// A display that refuses to read its root window, as a rootless server (XWayland's) does: a
// relay on a TCP port of its own between Xlib and the virtual display moves every GetImage far
// off the screen, and the server answers it with BadMatch.
class CRefusingDisplay {
public:
    CRefusingDisplay()
    {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (m_number = 100; m_number < 400; ++m_number) {
            address.sin_port = htons(uint16_t(6000 + m_number));
            if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
                break;
        }
        if (m_number < 400 && listen(m_listener, 1) == 0)
            m_relay = std::thread([this] { Relay(); });
    }
    ~CRefusingDisplay()
    {
        shutdown(m_listener, SHUT_RDWR);
        if (m_relay.joinable())
            m_relay.join();
        close(m_listener);
    }
    std::string Name() const { return "127.0.0.1:" + std::to_string(m_number); }

private:
    void Relay()
    {
        const int client = accept(m_listener, nullptr, nullptr);
        if (client < 0)
            return;
        const int server = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string display = std::getenv("DISPLAY");
        std::snprintf(address.sun_path, sizeof address.sun_path, "/tmp/.X11-unix/X%s", display.c_str() + 1);
        if (connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            Carry(client, server);
        close(server);
        close(client);
    }
    // The client's bytes go on a request at a time (after the connection's setup, which goes
    // as it is); the server's as they come. Xlib on this machine writes little-endian.
    static void Carry(int client, int server)
    {
        std::string held;
        bool setUp = false;
        pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        char buffer[65536];
        while (poll(ends, 2, -1) > 0) {
            if (ends[1].revents) {
                const ssize_t n = read(server, buffer, sizeof buffer);
                if (n <= 0 || write(client, buffer, size_t(n)) != n)
                    return;
            }
            if (!ends[0].revents)
                continue;
            const ssize_t n = read(client, buffer, sizeof buffer);
            if (n <= 0)
                return;
            held.append(buffer, size_t(n));
            for (;;) {
                size_t length = 0;
                if (!setUp) {
                    if (held.size() < 12)
                        break;
                    const auto padded = [](size_t size) { return (size + 3) & ~size_t(3); };
                    length = 12 + padded(Word16(held, 6)) + padded(Word16(held, 8));
                } else if (held.size() >= 4) {
                    length = Word16(held, 2) ? 4 * size_t(Word16(held, 2))
                                             : held.size() >= 8 ? 4 * size_t(Word32(held, 4)) : 0;
                }
                if (!length || held.size() < length)
                    break;
                if (setUp && uint8_t(held[0]) == kGetImage)
                    held[8] = 0, held[9] = 0x70;
                setUp = true;
                if (write(server, held.data(), length) != ssize_t(length))
                    return;
                held.erase(0, length);
            }
        }
    }
    static uint16_t Word16(const std::string& bytes, size_t at)
    {
        return uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8);
    }
    static uint32_t Word32(const std::string& bytes, size_t at)
    {
        return uint32_t(Word16(bytes, at)) | uint32_t(Word16(bytes, at + 2)) << 16;
    }

    // X_GetImage: Xproto.h's types would clash with the platform's.
    static constexpr uint8_t kGetImage = 73;
    int m_listener = -1;
    int m_number = 0;
    std::thread m_relay;
};

std::vector<int> gNotedErrors;

int NoteError(Display*, XErrorEvent* error)
{
    gNotedErrors.push_back(error->error_code);
    return 0;
}

TEST_F(XDisplayTest, TheX11ScreenIsReadFromTheRootWindow)
{
    // ImageMagick paints the root window in one colour from a process of its own.
    const std::string picture = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                                "/kostrel-root-" + std::to_string(getpid()) + ".png";
    ASSERT_EQ(std::system(("convert -size 640x480 xc:'#20FFC0' " + picture).c_str()), 0);
    std::system(("display -window root " + picture + " 2>/dev/null").c_str());
    std::remove(picture.c_str());
    sdl::CX11Connection connection;
    const auto capture = [&](const RECT& area, uint32_t* pixels) {
        return connection.Run([&](_XDisplay* display) { return sdl::CaptureX11Screen(display, area, pixels); });
    };
    std::vector<uint32_t> pixels(8);
    ASSERT_TRUE(capture(RECT{40, 50, 44, 52}, pixels.data()));
    EXPECT_EQ(pixels, std::vector<uint32_t>(8, 0xFF20FFC0u));
    pixels.assign(4, 0);
    ASSERT_TRUE(capture(RECT{638, 0, 642, 1}, pixels.data()));
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF20FFC0u, 0xFF20FFC0u, 0xFF000000u, 0xFF000000u}))
        << "black beyond the 640-pixel screen";
    pixels.assign(2, 0);
    ASSERT_TRUE(capture(RECT{10, 479, 11, 481}, pixels.data())) << "a read that reaches the bottom edge";
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF20FFC0u, 0xFF000000u})) << "black below the 480-pixel screen";
    pixels.assign(4, 0);
    ASSERT_TRUE(capture(RECT{-1, -1, 1, 1}, pixels.data())) << "a read that starts above and left of the screen";
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF20FFC0u}));
    pixels.assign(2, 0);
    ASSERT_TRUE(capture(RECT{640, 0, 642, 1}, pixels.data())) << "a read wholly beside the screen";
    EXPECT_EQ(pixels, std::vector<uint32_t>(2, 0xFF000000u));
    pixels.assign(2, 0);
    ASSERT_TRUE(capture(RECT{0, 480, 1, 482}, pixels.data())) << "a read wholly below the screen";
    EXPECT_EQ(pixels, std::vector<uint32_t>(2, 0xFF000000u));
    EXPECT_FALSE(capture(RECT{5, 5, 5, 9}, pixels.data())) << "an area without width";
    EXPECT_FALSE(capture(RECT{5, 5, 9, 5}, pixels.data())) << "an area without height";

    // A server that refuses to read its root answers the read with false, and its refusal is no
    // error of the program's; every other error on the connection, a refused read of the root
    // made elsewhere among them, still reaches the process's handler.
    CRefusingDisplay refusing;
    Display* display = XOpenDisplay(refusing.Name().c_str());
    ASSERT_NE(display, nullptr) << refusing.Name();
    const auto handler = XSetErrorHandler(NoteError);
    gNotedErrors.clear();
    pixels.assign(8, 0);
    EXPECT_FALSE(sdl::CaptureX11Screen(display, RECT{40, 50, 44, 52}, pixels.data()));
    XSync(display, False);
    EXPECT_EQ(gNotedErrors, std::vector<int>{});
    EXPECT_EQ(XGetImage(display, DefaultRootWindow(display), 0, 0, 1, 1, AllPlanes, ZPixmap), nullptr);
    XMapWindow(display, 0x7FFFFF);
    XSync(display, False);
    EXPECT_EQ(gNotedErrors, (std::vector<int>{BadMatch, BadWindow}));
    XSetErrorHandler(handler);
    XCloseDisplay(display);
}

}  // namespace

}  // namespace DeviceContextTests
