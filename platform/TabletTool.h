#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// An input device as the window system describes it, and the sources' side of the tablet
// service: a device becomes a tablet tool when its valuators carry the labels of a pen's axes,
// and its input then becomes packets of the open contexts.
namespace w32::tablet {

struct tValuator {
    std::string label;
    double min = 0;
    double max = 0;
    double value = 0;
};

struct tToolInfo {
    std::string name;
    // In the device's own valuator order.
    std::vector<tValuator> valuators;
};

// Where a tool's axes lie among its valuators (-1 when absent) and whether it is an eraser.
struct tToolAxes {
    int32_t x = -1;
    int32_t y = -1;
    int32_t pressure = -1;
    int32_t tiltX = -1;
    int32_t tiltY = -1;
    bool eraser = false;
};

// The axes by their labels ("Abs X", "Abs Y", "Abs Pressure", "Abs Tilt X", "Abs Tilt Y"); an
// eraser is named so. False for a device without position and pressure, or with an empty
// range on any of them.
bool FindToolAxes(const tToolInfo& info, tToolAxes* axes);

// Tilts in degrees (x toward the right, y toward the user) as tenths of a degree of azimuth
// (0 to 3599, clockwise from the tablet's top) and altitude (900 upright).
void TiltToOrientation(double tiltX, double tiltY, int32_t* azimuth, int32_t* altitude);

// `id` is the source's own number for the device; the device is ignored unless it is a tool.
void ConnectTool(int32_t id, const tToolInfo& info);
void DisconnectTool(int32_t id);
// New values of some of a tool's valuators (by number), then a packet.
void MoveTool(int32_t id, const std::vector<std::pair<int32_t, double>>& values);
// A button (1 the tip) goes down or up, then a packet.
void PressToolButton(int32_t id, int32_t button, bool down);
// While set, tools come only from the calls above (the headless platform) and no source starts.
void UseInjectedTools(bool injected);

}  // namespace w32::tablet
