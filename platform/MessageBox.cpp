#include "platform/MessageBox.h"

#include <cstdio>
#include <string>

#include "platform/Backend.h"
#include "platform/TextCodec.h"

namespace w32 {

int32_t MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption, UINT type)
{
    const std::u16string body = text ? text : u"";
    const std::u16string title = caption ? caption : u"";
    if (CBackend* backend = GetBackend())
        return backend->ShowMessageBox(owner, body, title, type);
    std::fprintf(stderr, "%s\n%s\n", ToAnsi(title).c_str(), ToAnsi(body).c_str());
    return IDOK;
}

}  // namespace w32
