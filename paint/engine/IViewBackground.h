#pragma once

#include <cstdint>

class CImage;

// What the painting view shows around and under the painting, supplied by the application's
// backdrop: a texture tiled from the view's origin (or none) and the colour it is tinted with.
// Main thread only; the canvas keeps no copy, so changes show at the next redraw.
class IViewBackground {
public:
    // The texture, or null for a plain background of the tint.
    virtual CImage* GetBackgroundTexture() = 0;
    // The tint, 0xAARRGGBB; its alpha becomes the background's.
    virtual uint32_t GetBackgroundTint() = 0;

protected:
    ~IViewBackground() = default;
};
