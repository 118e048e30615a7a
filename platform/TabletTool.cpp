#include "platform/TabletTool.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace w32::tablet {
namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180;
constexpr double kTenthsPerRadian = 10 / kRadiansPerDegree;

int32_t FindLabel(const tToolInfo& info, const char* label)
{
    for (size_t i = 0; i < info.valuators.size(); ++i)
        if (info.valuators[i].label == label)
            return int32_t(i);
    return -1;
}

bool HasRange(const tToolInfo& info, int32_t valuator)
{
    return valuator >= 0 && info.valuators[size_t(valuator)].max > info.valuators[size_t(valuator)].min;
}

bool NamesAnEraser(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return name.find("eraser") != std::string::npos;
}

}  // namespace

bool FindToolAxes(const tToolInfo& info, tToolAxes* axes)
{
    tToolAxes found;
    found.x = FindLabel(info, "Abs X");
    found.y = FindLabel(info, "Abs Y");
    found.pressure = FindLabel(info, "Abs Pressure");
    if (!HasRange(info, found.x) || !HasRange(info, found.y) || !HasRange(info, found.pressure))
        return false;
    found.tiltX = FindLabel(info, "Abs Tilt X");
    found.tiltY = FindLabel(info, "Abs Tilt Y");
    if (!HasRange(info, found.tiltX) || !HasRange(info, found.tiltY))
        found.tiltX = found.tiltY = -1;
    found.eraser = NamesAnEraser(info.name);
    *axes = found;
    return true;
}

void TiltToOrientation(double tiltX, double tiltY, int32_t* azimuth, int32_t* altitude)
{
    // The pen leans by the two tilts; its shadow on the tablet points along (tan x, tan y).
    const double dx = std::tan(std::clamp(tiltX, -89.0, 89.0) * kRadiansPerDegree);
    const double dy = std::tan(std::clamp(tiltY, -89.0, 89.0) * kRadiansPerDegree);
    const double lean = std::hypot(dx, dy);
    *altitude = int32_t(std::lround(std::atan2(1.0, lean) * kTenthsPerRadian));
    int32_t turn = lean > 0 ? int32_t(std::lround(std::atan2(dx, -dy) * kTenthsPerRadian)) : 0;
    if (turn < 0)
        turn += 3600;
    *azimuth = turn % 3600;
}

}  // namespace w32::tablet
