#include "platform/sdl/X11Screen.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// Xlib's internal header, for the error hook of one connection; its macros min and max would
// stand for std's.
#include <X11/Xlibint.h>
#undef min
#undef max

#include <algorithm>
#include <cstring>

namespace w32::sdl {
namespace {

// One channel of a pixel value by its mask, scaled to 8 bits.
uint32_t Channel(unsigned long value, unsigned long mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const unsigned long maximum = mask >> shift;
    return uint32_t(((value & mask) >> shift) * 255 / maximum);
}

// A rootless server (XWayland's) keeps no picture of its root window and refuses to read it: the
// refusal answers the capture and is not noted. Only the read's own refusal can arrive while the
// read waits for its answer, since every request before it on the connection has been answered.
Bool NoteAllButImageRefusal(Display*, XErrorEvent* error, xError*)
{
    return error->request_code != X_GetImage;
}

// XGetImage of the root, null where the server refuses it.
XImage* ReadRoot(Display* display, int x, int y, unsigned width, unsigned height)
{
    const auto noting = XESetWireToError(display, BadMatch, NoteAllButImageRefusal);
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, width, height, AllPlanes, ZPixmap);
    XESetWireToError(display, BadMatch, noting);
    return image;
}

Window KeyboardFocus(Display* display)
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus;
}

bool FellBack(Display* display, Window focus)
{
    return focus == None || focus == PointerRoot || focus == DefaultRootWindow(display);
}

}  // namespace

bool OnX11()
{
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
    return driver && std::strcmp(driver, "x11") == 0;
}

bool SdlX11Window(SDL_Window* window, Display** display, unsigned long* xwindow)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    *display = info.info.x11.display;
    *xwindow = info.info.x11.window;
    return true;
}

bool CaptureX11Screen(Display* display, const RECT& area, uint32_t* pixels)
{
    const int64_t width = int64_t(area.right) - area.left, height = int64_t(area.bottom) - area.top;
    if (width <= 0 || height <= 0)
        return false;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    bool read = XGetWindowAttributes(display, root, &attributes) != 0;
    if (read) {
        std::fill_n(pixels, size_t(width) * size_t(height), 0xFF000000u);
        const int64_t left = std::max<int64_t>(area.left, 0), top = std::max<int64_t>(area.top, 0);
        const int64_t right = std::min<int64_t>(area.right, attributes.width);
        const int64_t bottom = std::min<int64_t>(area.bottom, attributes.height);
        if (right > left && bottom > top) {
            XImage* image =
                ReadRoot(display, int(left), int(top), unsigned(right - left), unsigned(bottom - top));
            read = image != nullptr;
            for (int64_t y = top; read && y < bottom; ++y)
                for (int64_t x = left; x < right; ++x) {
                    const unsigned long value = XGetPixel(image, int(x - left), int(y - top));
                    pixels[size_t((y - area.top) * width + (x - area.left))] =
                        0xFF000000u | Channel(value, image->red_mask) << 16 | Channel(value, image->green_mask) << 8 |
                        Channel(value, image->blue_mask);
                }
            if (image)
                XDestroyImage(image);
        }
    }
    return read;
}

bool X11KeyboardFellBack(Display* display)
{
    return FellBack(display, KeyboardFocus(display));
}

// The server gives each client's windows ids that differ from other clients' in the bits above
// the resource mask.
bool X11KeyboardWentElsewhere(Display* display, unsigned long manager)
{
    const Window focus = KeyboardFocus(display);
    const XID client = ~display->resource_mask;
    return !FellBack(display, focus) && (!manager || (focus & client) != (manager & client));
}

}  // namespace w32::sdl
