#pragma once

// Starting and stopping the platform layer. The thread that starts it is its interface thread:
// it owns the windows and receives their input. Nothing of the platform is destroyed by a static
// destructor, so objects that outlive main() may still call it until StopPlatform.
namespace w32 {

enum class tBackendKind {
    // In memory: virtual clock, injected input, captured message boxes, readable window pixels.
    kHeadless,
    // Real windows, input, clipboard and message boxes through SDL2. SDL_VIDEODRIVER=dummy runs
    // it without a display; message boxes then go to standard error.
    kSdl,
};

// Answers false when the backend cannot start (for SDL: no display); the reason is then in
// GetPlatformError.
bool StartPlatform(tBackendKind kind);
void StopPlatform();
bool IsPlatformStarted();
const char* GetPlatformError();

}  // namespace w32
