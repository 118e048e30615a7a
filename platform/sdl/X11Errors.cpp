#include "platform/sdl/X11Errors.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <string>

namespace w32::sdl {
namespace {

// Windows of other programs (a drag's source, a clipboard's requester) and frames a window
// manager remakes can go at any moment; a request about one is refused, and that is all.
int NoteX11Error(Display* display, XErrorEvent* error)
{
    char text[128] = "";
    XGetErrorText(display, error->error_code, text, sizeof text);
    char request[64] = "";
    if (error->request_code < 128) {
        const std::string code = std::to_string(error->request_code);
        XGetErrorDatabaseText(display, "XRequest", code.c_str(), "", request, sizeof request);
    }
    std::fprintf(stderr, "X error passed over: %s, request %s%s%d.%d, resource 0x%lx\n", text, request,
                 *request ? " " : "", error->request_code, error->minor_code, error->resourceid);
    return 0;
}

}  // namespace

void PassOverX11Errors()
{
    XSetErrorHandler(NoteX11Error);
}

}  // namespace w32::sdl
