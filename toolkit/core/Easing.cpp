#include "toolkit/core/Easing.h"

namespace {

float Smooth(float u)
{
    return u * u * (3.0f - 2.0f * u);
}

}  // namespace

float EaseWithOvershoot(float t, float p)
{
    const float peak = 1.0f + 0.1f * p;
    const float dip = 1.0f - 0.05f * p;
    if (t < 0.8f)
        return Smooth(t / 0.8f) * peak;
    if (t < 0.92f)
        return peak + (dip - peak) * Smooth((t - 0.8f) / 0.12f);
    return dip + (1.0f - dip) * Smooth((t - 0.92f) / (1.0f - 0.92f));
}

float EaseCurve(int32_t mode, float factor, float t)
{
    switch (mode) {
    case kEaseSmooth:
        return Smooth(t);
    case kEaseOvershoot:
        return EaseWithOvershoot(t, factor);
    case kEaseBias:
        return t / ((1.0f / factor - 2.0f) * (1.0f - t) + 1.0f);
    case kEaseGain: {
        const float k = (1.0f / factor - 2.0f) * (1.0f - 2.0f * t);
        return t < 0.5f ? t / (k + 1.0f) : (k - t) / (k - 1.0f);
    }
    default:
        return t;
    }
}
