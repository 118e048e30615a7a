#pragma once

#include <cstdint>

// The colour picker's colour: a packed colour kept beside its hue, lightness and saturation, and
// the picking mode that says what the wheel's angle, the wheel's radius and the strip stand for.
// The three HSL values are recomputed only when the colour comes from elsewhere; a colour made
// from them keeps the exact values that produced it. All arithmetic is single precision and
// channels round to nearest, ties to even.
class CColourModel {
public:
    enum : int32_t {
        kHueLightness = 0,
        kHueSaturation = 1,
        kLightnessSaturation = 2,
        kRedGreen = 3,
        kRedBlue = 4,
        kBlueGreen = 5,
        kModeCount = 6,
    };
    static constexpr uint32_t kStartColour = 0xFF80A0FF;
    static constexpr int32_t kStartMode = kHueSaturation;
    // The wheel's ring starts this many pixels from its centre.
    static constexpr int32_t kRingStart = 24;

    struct tHls {
        float hue = 0.0f;
        float lightness = 0.0f;
        float saturation = 0.0f;
        bool operator==(const tHls&) const = default;
    };
    // What a mode makes of the wheel's angle, the wheel's radius and the strip, each 0..1.
    struct tQuantities {
        float angle = 0.0f;
        float radius = 0.0f;
        float strip = 0.0f;
    };

    CColourModel();

    static tHls RgbToHls(uint32_t colour);
    // Replaces red, green and blue of `colour`, keeping its alpha.
    static uint32_t HlsToRgb(const tHls& hls, uint32_t colour);
    // 255 x value rounded; the low byte is kept.
    static uint32_t ChannelOf(float value);
    // Modes outside 0..5 are taken to the nearest one.
    static int32_t ClampMode(int32_t mode);

    // Stores a colour from elsewhere and recomputes hue, lightness and saturation.
    void SetColour(uint32_t colour);
    void SetMode(int32_t mode) { m_mode = ClampMode(mode); }

    // The colour of the wheel at angle a and radius fraction rho, opaque black alpha aside.
    uint32_t WheelColour(float a, float rho) const;
    // The colour of the strip's row standing for t.
    uint32_t StripColour(float t) const;
    // The current colour as the mode's three quantities.
    tQuantities Quantities() const;

    // A wheel drag at angle a and radius fraction rho; a strip drag at row y of h rows.
    void ApplyWheel(float a, float rho);
    void ApplyStrip(int32_t y, int32_t h);

    uint32_t GetColour() const { return m_colour; }
    const tHls& GetHls() const { return m_hls; }
    int32_t GetMode() const { return m_mode; }

private:
    void ColourFromHls() { m_colour = HlsToRgb(m_hls, m_colour); }
    void SetChannel(int32_t shift, uint32_t value);

    uint32_t m_colour = kStartColour;
    tHls m_hls;
    int32_t m_mode = kStartMode;
};
