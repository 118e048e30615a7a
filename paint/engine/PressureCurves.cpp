#include "paint/engine/PressureCurves.h"

#include <algorithm>

namespace {

constexpr uint32_t kCurveOilBrushId = 4900;
constexpr uint32_t kCurvePencilId = 4901;

}  // namespace

float ToolPressureCurve(uint32_t toolId, float p, uint32_t firstSample)
{
    switch (toolId) {
    case kCurveOilBrushId:
        return p < 0.5f ? 1.4f * p + 0.05f : std::min(0.25f * (2.0f * p - 1.0f) + 0.75f, 1.0f);
    case kCurvePencilId:
        return p < 0.5f ? 1.8f * p + 0.075f : std::min(0.274f * (2.0f * p - 1.0f) + 0.975f, 1.224f);
    default:
        if (p < 0.5f)
            return firstSample ? 1.9f * p + 0.05f : 1.96f * p + 0.02f;
        return std::min(2.74f * (2.0f * p - 1.0f) + 1.0f, 1.224f);
    }
}
