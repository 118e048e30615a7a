#include "platform/XInputTablet.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/TabletTool.h"
#include "platform/sdl/X11Screen.h"

namespace w32::xinput {
namespace {

// More valuators than any pen has; numbers beyond are not taken from the server.
constexpr int kMostValuators = 64;

// A connection of its own, read by a thread of its own; the pipe wakes the thread to stop.
struct tSource {
    Display* display = nullptr;
    int opcode = 0;
    int wake[2] = {-1, -1};
    std::thread thread;
    // The pointer devices handed to the service, which keeps the tablet tools among them;
    // touched only by the thread once it runs.
    std::set<int> handed;
};

tSource& Source()
{
    static tSource* source = new tSource;
    return *source;
}

tablet::tToolInfo DescribeDevice(Display* display, const XIDeviceInfo& device)
{
    tablet::tToolInfo info;
    info.name = device.name ? device.name : "";
    for (int i = 0; i < device.num_classes; ++i) {
        if (device.classes[i]->type != XIValuatorClass)
            continue;
        const auto* valuator = reinterpret_cast<const XIValuatorClassInfo*>(device.classes[i]);
        if (valuator->number < 0 || valuator->number >= kMostValuators)
            continue;
        if (size_t(valuator->number) >= info.valuators.size())
            info.valuators.resize(size_t(valuator->number) + 1);
        tablet::tValuator& entry = info.valuators[size_t(valuator->number)];
        if (valuator->label != None) {
            if (char* label = XGetAtomName(display, valuator->label)) {
                entry.label = label;
                XFree(label);
            }
        }
        entry.min = valuator->min;
        entry.max = valuator->max;
        entry.value = valuator->value;
    }
    return info;
}

// Hands every enabled pointer device to the service, which keeps the tablet tools among them,
// and takes back the ones that went away.
void Rescan(tSource& source)
{
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(source.display, XIAllDevices, &count);
    std::set<int> present;
    for (int i = 0; i < count; ++i) {
        const XIDeviceInfo& device = devices[i];
        if (!device.enabled || (device.use != XISlavePointer && device.use != XIFloatingSlave))
            continue;
        present.insert(device.deviceid);
        if (source.handed.insert(device.deviceid).second)
            tablet::ConnectTool(device.deviceid, DescribeDevice(source.display, device));
    }
    if (devices)
        XIFreeDeviceInfo(devices);
    for (auto it = source.handed.begin(); it != source.handed.end();) {
        if (present.count(*it) != 0) {
            ++it;
            continue;
        }
        tablet::DisconnectTool(*it);
        it = source.handed.erase(it);
    }
}

void HandleRawEvent(const XIRawEvent& raw)
{
    if (raw.evtype == XI_RawButtonPress || raw.evtype == XI_RawButtonRelease) {
        tablet::PressToolButton(raw.deviceid, raw.detail, raw.evtype == XI_RawButtonPress);
        return;
    }
    std::vector<std::pair<int32_t, double>> values;
    const double* value = raw.valuators.values;
    for (int i = 0; i < raw.valuators.mask_len * 8; ++i)
        if (XIMaskIsSet(raw.valuators.mask, i))
            values.emplace_back(i, *value++);
    tablet::MoveTool(raw.deviceid, values);
}

void Run(tSource& source)
{
    pollfd waits[2] = {{ConnectionNumber(source.display), POLLIN, 0}, {source.wake[0], POLLIN, 0}};
    for (;;) {
        while (XPending(source.display)) {
            XEvent event;
            XNextEvent(source.display, &event);
            XGenericEventCookie& cookie = event.xcookie;
            if (cookie.type != GenericEvent || cookie.extension != source.opcode || !XGetEventData(source.display, &cookie))
                continue;
            if (cookie.evtype == XI_HierarchyChanged)
                Rescan(source);
            else
                HandleRawEvent(*static_cast<const XIRawEvent*>(cookie.data));
            XFreeEventData(source.display, &cookie);
        }
        if (poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if (waits[1].revents)
            return;
    }
}

void DisconnectAll(const tSource& source)
{
    for (int id : source.handed)
        tablet::DisconnectTool(id);
}

void Close(tSource& source)
{
    if (source.display)
        XCloseDisplay(source.display);
    source.display = nullptr;
    for (int& end : source.wake) {
        if (end >= 0)
            close(end);
        end = -1;
    }
    source.handed.clear();
}

}  // namespace

void StartSource()
{
    tSource& source = Source();
    if (source.display || !sdl::OnX11())
        return;
    source.display = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 2, minor = 2;
    if (!source.display || !XQueryExtension(source.display, "XInputExtension", &source.opcode, &event, &error) ||
        XIQueryVersion(source.display, &major, &minor) != Success || pipe(source.wake) != 0) {
        Close(source);
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawMotion);
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XISetMask(bits, XI_HierarchyChanged);
    XIEventMask mask{XIAllDevices, int(sizeof(bits)), bits};
    XISelectEvents(source.display, DefaultRootWindow(source.display), &mask, 1);
    Rescan(source);
    XFlush(source.display);
    try {
        source.thread = std::thread([&source] { Run(source); });
    } catch (const std::system_error&) {
        // A source that cannot read the display is not there: its tools go, the pen is the mouse.
        DisconnectAll(source);
        Close(source);
    }
}

void StopSource()
{
    tSource& source = Source();
    if (!source.display)
        return;
    if (source.thread.joinable()) {
        const char stop = 1;
        while (write(source.wake[1], &stop, 1) < 0 && errno == EINTR) {
        }
        source.thread.join();
    }
    DisconnectAll(source);
    Close(source);
}

bool IsSourceRunning()
{
    return Source().thread.joinable();
}

}  // namespace w32::xinput
