#include "app/panels/CColourModel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kByte = 1.0f / 255.0f;
constexpr float kSixth = 1.0f / 6.0f;
constexpr float kThird = 1.0f / 3.0f;
constexpr float kTwoThirds = 2.0f / 3.0f;
constexpr int32_t kRed = 16;
constexpr int32_t kGreen = 8;
constexpr int32_t kBlue = 0;

float ByteOf(uint32_t colour, int32_t shift) { return float((colour >> shift) & 0xFF) * kByte; }

// The processor's rounding: to nearest, ties to even.
uint32_t RoundToEvenByte(float value) { return uint32_t(std::lrint(value)); }

float HueValue(float p, float q, float t)
{
    if (t > 1.0f)
        t -= 1.0f;
    else if (t < 0.0f)
        t += 1.0f;
    if (t < kSixth)
        return p + (q - p) * 6.0f * t;
    if (t < 0.5f)
        return q;
    if (t < kTwoThirds)
        return p + (q - p) * (kTwoThirds - t) * 6.0f;
    return p;
}

uint32_t HueChannel(float p, float q, float t)
{
    const float scaled = HueValue(p, q, t) * 255.0f + 0.4f;
    return RoundToEvenByte(scaled) & 0xFF;
}

uint32_t WithRgb(uint32_t colour, uint32_t red, uint32_t green, uint32_t blue)
{
    return (colour & 0xFF000000u) | (red << kRed) | (green << kGreen) | blue;
}

}  // namespace

CColourModel::CColourModel() : m_hls(RgbToHls(kStartColour)) {}

CColourModel::tHls CColourModel::RgbToHls(uint32_t colour)
{
    const float r = ByteOf(colour, kRed);
    const float g = ByteOf(colour, kGreen);
    const float b = ByteOf(colour, kBlue);
    const float most = std::max(r, std::max(g, b));
    const float least = std::min(r, std::min(g, b));
    tHls hls;
    hls.lightness = (most + least) * 0.5f;
    if (most == least)
        return hls;
    const float d = most - least;
    hls.saturation = hls.lightness < 0.5f ? d / (most + least) : d / (2.0f - most - least);
    float hue;
    if (most == r)
        hue = (g - b) / d;
    else if (most == g)
        hue = (b - r) / d + 2.0f;
    else
        hue = (r - g) / d + 4.0f;
    hue *= kSixth;
    if (hue < 0.0f)
        hue += 1.0f;
    hls.hue = hue;
    return hls;
}

uint32_t CColourModel::HlsToRgb(const tHls& hls, uint32_t colour)
{
    const float l = hls.lightness;
    const float s = hls.saturation;
    if (s == 0.0f) {
        const uint32_t grey = RoundToEvenByte(255.0f * l) & 0xFF;
        return WithRgb(colour, grey, grey, grey);
    }
    const float q = l <= 0.5f ? l * (1.0f + s) : l + s - l * s;
    const float p = 2.0f * l - q;
    return WithRgb(colour, HueChannel(p, q, hls.hue + kThird), HueChannel(p, q, hls.hue),
                   HueChannel(p, q, hls.hue - kThird));
}

uint32_t CColourModel::ChannelOf(float value)
{
    const float scaled = 255.0f * value;
    return RoundToEvenByte(scaled) & 0xFF;
}

int32_t CColourModel::ClampMode(int32_t mode) { return std::clamp(mode, int32_t(0), int32_t(kModeCount - 1)); }

void CColourModel::SetColour(uint32_t colour)
{
    m_colour = colour;
    m_hls = RgbToHls(colour);
}

uint32_t CColourModel::WheelColour(float a, float rho) const
{
    switch (m_mode) {
    case kHueLightness: return HlsToRgb({a, rho, 1.0f}, 0xFF000000u);
    case kHueSaturation: return HlsToRgb({a, 0.5f, rho}, 0xFF000000u);
    case kLightnessSaturation: return HlsToRgb({m_hls.hue, a, rho}, 0xFF000000u);
    case kRedGreen: return WithRgb(0xFF000000u, ChannelOf(a), ChannelOf(rho), 0);
    case kRedBlue: return WithRgb(0xFF000000u, ChannelOf(a), 0, ChannelOf(rho));
    default: return WithRgb(0xFF000000u, 0, ChannelOf(rho), ChannelOf(a));
    }
}

uint32_t CColourModel::StripColour(float t) const
{
    switch (m_mode) {
    case kHueLightness: return HlsToRgb({m_hls.hue, m_hls.lightness, t}, 0xFF000000u);
    case kHueSaturation: return HlsToRgb({m_hls.hue, t, m_hls.saturation}, 0xFF000000u);
    case kLightnessSaturation: return HlsToRgb({t, 0.5f, 1.0f}, 0xFF000000u);
    case kRedGreen: return WithRgb(0xFF000000u, 0, 0, ChannelOf(t));
    case kRedBlue: return WithRgb(0xFF000000u, 0, ChannelOf(t), 0);
    default: return WithRgb(0xFF000000u, ChannelOf(t), 0, 0);
    }
}

CColourModel::tQuantities CColourModel::Quantities() const
{
    const float r = ByteOf(m_colour, kRed);
    const float g = ByteOf(m_colour, kGreen);
    const float b = ByteOf(m_colour, kBlue);
    switch (m_mode) {
    case kHueLightness: return {m_hls.hue, m_hls.lightness, m_hls.saturation};
    case kHueSaturation: return {m_hls.hue, m_hls.saturation, m_hls.lightness};
    case kLightnessSaturation: return {m_hls.lightness, m_hls.saturation, m_hls.hue};
    case kRedGreen: return {r, g, b};
    case kRedBlue: return {r, b, g};
    default: return {b, g, r};
    }
}

void CColourModel::SetChannel(int32_t shift, uint32_t value)
{
    m_colour = (m_colour & ~(0xFFu << shift)) | ((value & 0xFF) << shift);
}

void CColourModel::ApplyWheel(float a, float rho)
{
    switch (m_mode) {
    case kHueLightness:
        m_hls.hue = a;
        m_hls.lightness = rho;
        return ColourFromHls();
    case kHueSaturation:
        m_hls.hue = a;
        m_hls.saturation = rho;
        return ColourFromHls();
    case kLightnessSaturation:
        m_hls.lightness = a;
        m_hls.saturation = rho;
        return ColourFromHls();
    case kRedGreen:
        SetChannel(kRed, ChannelOf(a));
        SetChannel(kGreen, ChannelOf(rho));
        break;
    case kRedBlue:
        SetChannel(kRed, ChannelOf(a));
        SetChannel(kBlue, ChannelOf(rho));
        break;
    default:
        SetChannel(kBlue, ChannelOf(a));
        SetChannel(kGreen, ChannelOf(rho));
        break;
    }
    m_hls = RgbToHls(m_colour);
}

void CColourModel::ApplyStrip(int32_t y, int32_t h)
{
    // A strip one row high has no span to divide: its only row is the top.
    const int32_t span = h - 1;
    const float v = span > 0 ? 1.0f - float(y) / float(span) : 1.0f;
    const uint32_t channel = span > 0 ? uint32_t(255 - (y * 255) / span) : 255u;
    switch (m_mode) {
    case kHueLightness:
        m_hls.saturation = v;
        return ColourFromHls();
    case kHueSaturation:
        m_hls.lightness = v;
        return ColourFromHls();
    case kLightnessSaturation:
        m_hls.hue = v;
        return ColourFromHls();
    case kRedGreen: SetChannel(kBlue, channel); break;
    case kRedBlue: SetChannel(kGreen, channel); break;
    default: SetChannel(kRed, channel); break;
    }
    m_hls = RgbToHls(m_colour);
}
