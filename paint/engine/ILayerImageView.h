#pragma once

#include <cstdint>

#include "toolkit/core/tCRect.h"

class CImage;

// The widget that shows one layer's view image (an image widget): the image the layer copies
// into, and the invalidation of what it copied.
class ILayerImageView {
public:
    virtual ~ILayerImageView() = default;
    // The widget's image, or null when it has none.
    virtual CImage* GetImage() = 0;
    virtual void InvalidateRectInBounds(const tCRect& rect, uint32_t flag) = 0;
};
