#include "platform/Platform.h"

#include <atomic>
#include <memory>
#include <string>

#include "platform/Backend.h"
#include "platform/DesktopInternal.h"
#include "platform/InputState.h"
#include "platform/Kernel.h"
#include "platform/KernelClock.h"
#include "platform/QueueInternal.h"
#include "platform/RegistryInternal.h"
#include "platform/SoundOutput.h"
#include "platform/SystemFonts.h"
#include "platform/TabletTool.h"
#include "platform/WindowTable.h"
#include "platform/headless/Headless.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/sdl/SdlBackend.h"

namespace w32 {
namespace {

std::atomic<CBackend*> gBackend{nullptr};
std::atomic<DWORD> gInterfaceThread{0};

std::string& ErrorText()
{
    static std::string* text = new std::string;
    return *text;
}

}  // namespace

bool StartPlatform(tBackendKind kind)
{
    if (gBackend.load()) {
        ErrorText() = "the platform is already running";
        return false;
    }
    std::unique_ptr<CBackend> backend;
    switch (kind) {
    case tBackendKind::kHeadless:
        backend = headless::MakeBackend();
        kernel::UseVirtualClock(true, 0);
        registry::UseStoreFile("");
        desktop::UseScriptedAnswers(true);
        sound::UseMemoryOutput(true);
        tablet::UseInjectedTools(true);
        break;
    case tBackendKind::kSdl:
        backend = sdl::MakeBackend(&ErrorText());
        if (!backend)
            return false;
        kernel::UseVirtualClock(false, 0);
        registry::UseStoreFile(registry::DefaultStoreFile());
        desktop::UseScriptedAnswers(false);
        sound::UseMemoryOutput(false);
        tablet::UseInjectedTools(false);
        break;
    }
    desktop::ForgetRecentFolder();
    ErrorText().clear();
    gInterfaceThread = GetCurrentThreadId();
    gBackend = backend.release();
    return true;
}

void StopPlatform()
{
    CBackend* backend = gBackend.exchange(nullptr);
    if (!backend)
        return;
    windows::RemoveAll();
    queue::ResetQueues();
    input::ResetState();
    input::ResetCursorCounter();
    delete backend;
    fonts::CloseFontLibrary();
    gInterfaceThread = 0;
    kernel::UseVirtualClock(false, 0);
    headless::SetAvailableMemory(0);
    registry::UseStoreFile("");
    desktop::UseScriptedAnswers(false);
    sound::UseMemoryOutput(false);
    tablet::UseInjectedTools(false);
}

bool IsPlatformStarted()
{
    return gBackend.load() != nullptr;
}

const char* GetPlatformError()
{
    return ErrorText().c_str();
}

CBackend* GetBackend()
{
    return gBackend.load();
}

DWORD GetInterfaceThreadId()
{
    return gInterfaceThread.load();
}

}  // namespace w32
