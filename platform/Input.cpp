#include "platform/Input.h"

#include <atomic>

#include "platform/Backend.h"
#include "platform/InputState.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"
#include "platform/VirtualKeys.h"

namespace w32 {
namespace {

std::atomic<int32_t> gCursorCounter{0};

}  // namespace

SHORT GetAsyncKeyState(int virtualKey)
{
    CBackend* backend = GetBackend();
    if (backend && GetCurrentThreadId() == GetInterfaceThreadId())
        backend->RefreshInput();
    return input::IsKeyDown(virtualKey) ? SHORT(0x8000) : SHORT(0);
}

SHORT GetKeyState(int virtualKey)
{
    const int32_t handled = input::GetHandledModifiers();
    const DWORD flag = virtualKey == VK_SHIFT     ? DWORD(MK_SHIFT)
                       : virtualKey == VK_CONTROL ? DWORD(MK_CONTROL)
                       : virtualKey == VK_MENU    ? DWORD(MK_ALT)
                       : virtualKey == VK_SPACE   ? DWORD(MK_SPACE)
                                                  : 0;
    if (handled < 0 || flag == 0)
        return GetAsyncKeyState(virtualKey);
    return (DWORD(handled) & flag) ? SHORT(0x8000) : SHORT(0);
}

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return 0;
    *point = input::GetCursorScreenPos();
    return 1;
}

BOOL SetCursorPos(int32_t x, int32_t y)
{
    CBackend* backend = GetBackend();
    if (!backend || !backend->WarpPointer(x, y))
        return 0;
    input::SetCursorScreenPos(POINT{x, y});
    return 1;
}

int32_t ShowCursor(BOOL show)
{
    const int32_t counter = show ? ++gCursorCounter : --gCursorCounter;
    if (CBackend* backend = GetBackend())
        backend->SetPointerVisible(counter >= 0);
    return counter;
}

namespace input {

void ResetCursorCounter()
{
    gCursorCounter = 0;
}

}  // namespace input

}  // namespace w32
