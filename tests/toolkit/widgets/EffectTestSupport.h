#pragma once

#include <cmath>
#include <cstdint>

#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ImageFixtures.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/WidgetTestSupport.h"

// A target in an effect owner's frame: local (0, 0) lies at `origin` of the image, which starts
// filled with one colour.
struct EffectCanvas {
    EffectCanvas(int32_t width, int32_t height, tCPoint at, CPixel fill) : image(width, height), origin(at)
    {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                SetPixel(image, x, y, fill);
        image.SetOrigin(origin);
    }
    tCRect Local() const { return image.GetBounds().Offset({-origin.x, -origin.y}); }
    CPixel At(int32_t x, int32_t y) { return PixelAt(image, x + origin.x, y + origin.y); }

    CImage image;
    tCPoint origin;
};

// The pixel blends as their contract states them, channel by channel in plain arithmetic: the
// colour at alpha a over an opaque destination, d + floor(a (s - d + 1) / 256) per channel, the
// destination's alpha kept; alpha 0 leaves it and 255 replaces it by the colour.
inline CPixel OverReference(CPixel d, uint32_t a, CPixel s)
{
    if (a == 0)
        return d;
    if (a == 255)
        return s;
    CPixel out = d & 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double dc = (d >> shift) & 0xFF, sc = (s >> shift) & 0xFF;
        out |= CPixel(dc + std::floor(a * (sc - dc + 1.0) / 256.0)) << shift;
    }
    return out;
}

// A composite widget of that size placed on a root, as effects need an owner.
struct EffectOwner {
    explicit EffectOwner(int32_t width, int32_t height, tCPoint at = {20, 20}) : root(200, 200)
    {
        widget = new CCoWidget;
        EXPECT_EQ(Place(&root, widget, {at.x, at.y, at.x + width, at.y + height}), kResOk);
    }
    TestRoot root;
    CCoWidget* widget;
};
