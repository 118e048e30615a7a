#include "platform/Wintab.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <vector>

#include "platform/Queue.h"
#include "platform/TabletTool.h"
#include "platform/XInputTablet.h"

namespace w32 {
namespace {

constexpr size_t kDefaultQueueSize = 8;
constexpr int32_t kLargestQueue = 1000;
constexpr UINT kButtonMapSize = 32;
constexpr FIX32 kTenthsPerCircle = FIX32(3600) << 16;

struct tTool {
    int32_t id = 0;
    UINT cursor = 0;
    tablet::tToolInfo info;
    tablet::tToolAxes axes;
    DWORD buttons = 0;
};

struct tQueuedPacket {
    UINT serial;
    PACKET packet;
};

struct tContext {
    uintptr_t handle = 0;
    HWND window = nullptr;
    LOGCONTEXTA settings;
    bool enabled = false;
    std::deque<tQueuedPacket> queue;
    size_t queueSize = kDefaultQueueSize;
    UINT nextSerial = 1;
};

// The tools and contexts. Sources feed the tools from their own thread, so everything here is
// read and written under the lock; the start lock orders starting and stopping the source.
struct tTabletService {
    std::mutex lock;
    // In connection order; the first one's axes are the device's.
    std::vector<tTool> tools;
    std::vector<tContext> contexts;
    uintptr_t nextHandle = 1;
    UINT nextCursor = 0;
    bool injected = false;
    std::mutex startLock;
    bool sourceStarted = false;
};

// The source's thread may outlive every static object, so the service is never destroyed.
tTabletService& Service()
{
    static tTabletService* service = new tTabletService;
    return *service;
}

void EnsureSource()
{
    tTabletService& service = Service();
    std::lock_guard<std::mutex> start(service.startLock);
    if (service.sourceStarted)
        return;
    {
        std::lock_guard<std::mutex> guard(service.lock);
        if (service.injected)
            return;
    }
    service.sourceStarted = true;
    xinput::StartSource();
}

tTool* FindTool(tTabletService& service, int32_t id)
{
    for (tTool& tool : service.tools)
        if (tool.id == id)
            return &tool;
    return nullptr;
}

tContext* FindContext(tTabletService& service, HCTX handle)
{
    for (tContext& context : service.contexts)
        if (context.handle == reinterpret_cast<uintptr_t>(handle))
            return &context;
    return nullptr;
}

const tablet::tValuator& Valuator(const tTool& tool, int32_t index)
{
    return tool.info.valuators[size_t(index)];
}

double Fraction(const tablet::tValuator& valuator)
{
    return std::clamp((valuator.value - valuator.min) / (valuator.max - valuator.min), 0.0, 1.0);
}

AXIS AxisOf(const tablet::tValuator& valuator)
{
    AXIS axis;
    axis.axMin = LONG(std::lround(valuator.min));
    axis.axMax = LONG(std::lround(valuator.max));
    return axis;
}

// A position in the context's output. The tool's input grows right and down; the output's x
// grows right with a positive extent, its y up with a positive extent and down with a negative one.
LONG ToExtent(const tablet::tValuator& valuator, LONG origin, LONG extent, bool vertical)
{
    const bool asInput = vertical ? extent < 0 : extent > 0;
    const double fraction = asInput ? Fraction(valuator) : 1.0 - Fraction(valuator);
    return origin + LONG(std::lround(fraction * std::abs(double(extent))));
}

PACKET MakePacket(const tTool& tool, const tTool& reference, const LOGCONTEXTA& settings)
{
    PACKET packet;
    packet.pkStatus = tool.axes.eraser ? DWORD(TPS_INVERT) : 0;
    packet.pkCursor = tool.cursor;
    packet.pkButtons = tool.buttons;
    packet.pkX = ToExtent(Valuator(tool, tool.axes.x), settings.lcOutOrgX, settings.lcOutExtX, false);
    packet.pkY = ToExtent(Valuator(tool, tool.axes.y), settings.lcOutOrgY, settings.lcOutExtY, true);
    // Every tool's pressure is told in the range of the device's.
    const AXIS pressure = AxisOf(Valuator(reference, reference.axes.pressure));
    const double level = pressure.axMin + Fraction(Valuator(tool, tool.axes.pressure)) * (pressure.axMax - pressure.axMin);
    packet.pkNormalPressure = UINT(std::max<long>(0, std::lround(level)));
    packet.pkOrientation.orAltitude = 900;
    if (tool.axes.tiltX >= 0)
        tablet::TiltToOrientation(Valuator(tool, tool.axes.tiltX).value, Valuator(tool, tool.axes.tiltY).value,
                                  &packet.pkOrientation.orAzimuth, &packet.pkOrientation.orAltitude);
    return packet;
}

void SendPacketLocked(tTabletService& service, const tTool& tool)
{
    for (tContext& context : service.contexts) {
        if (!context.enabled)
            continue;
        const UINT serial = context.nextSerial++;
        if (context.queue.size() >= context.queueSize)
            context.queue.pop_front();
        context.queue.push_back({serial, MakePacket(tool, service.tools.front(), context.settings)});
        PostMessageW(context.window, WT_PACKET, serial, LPARAM(context.handle));
    }
}

void AnnounceChangeLocked(tTabletService& service)
{
    for (const tContext& context : service.contexts)
        PostMessageW(context.window, WT_INFOCHANGE, 0, 0);
}

template <typename T>
UINT Answer(void* output, const T& value)
{
    if (output)
        std::memcpy(output, &value, sizeof(T));
    return UINT(sizeof(T));
}

UINT DeviceInfoLocked(const tTabletService& service, UINT index, void* output)
{
    if (service.tools.empty())
        return 0;
    const tTool& reference = service.tools.front();
    switch (index) {
    case DVC_X: return Answer(output, AxisOf(Valuator(reference, reference.axes.x)));
    case DVC_Y: return Answer(output, AxisOf(Valuator(reference, reference.axes.y)));
    case DVC_NPRESSURE: return Answer(output, AxisOf(Valuator(reference, reference.axes.pressure)));
    case DVC_ORIENTATION: {
        if (reference.axes.tiltX < 0)
            return 0;
        AXIS orientation[3];
        orientation[0] = {0, 3599, TU_CIRCLE, kTenthsPerCircle};
        orientation[1] = {-900, 900, TU_CIRCLE, kTenthsPerCircle};
        orientation[2] = {0, 0, TU_CIRCLE, kTenthsPerCircle};
        return Answer(output, orientation);
    }
    default: return 0;
    }
}

UINT CursorInfoLocked(tTabletService& service, UINT cursor, UINT index, void* output)
{
    const auto tool = std::find_if(service.tools.begin(), service.tools.end(),
                                   [&](const tTool& t) { return t.cursor == cursor; });
    if (tool == service.tools.end())
        return 0;
    switch (index) {
    case CSR_NPBUTTON: return Answer(output, BYTE(0));
    case CSR_BUTTONMAP: {
        BYTE map[kButtonMapSize];
        for (UINT i = 0; i < kButtonMapSize; ++i)
            map[i] = BYTE(i);
        return Answer(output, map);
    }
    case CSR_NPBTNMARKS: {
        // The system tells no press threshold: the tip counts as pressed from the device's minimum.
        const LONG minimum = AxisOf(Valuator(service.tools.front(), service.tools.front().axes.pressure)).axMin;
        const UINT marks[2] = {UINT(std::max<LONG>(0, minimum)), UINT(std::max<LONG>(0, minimum))};
        return Answer(output, marks);
    }
    default: return 0;
    }
}

LOGCONTEXTA DefaultContextLocked(const tTabletService& service)
{
    LOGCONTEXTA context;
    std::strcpy(context.lcName, "Default");
    context.lcOptions = CXO_SYSTEM;
    context.lcPktData = kWintabPacketData;
    context.lcMoveMask = kWintabPacketData;
    context.lcBtnDnMask = context.lcBtnUpMask = 0xFFFFFFFF;
    const tTool& reference = service.tools.front();
    context.lcOutExtX = AxisOf(Valuator(reference, reference.axes.x)).axMax;
    context.lcOutExtY = AxisOf(Valuator(reference, reference.axes.y)).axMax;
    return context;
}

// Runs `call` on the context under the lock; false for a handle that is not open.
template <typename Call>
BOOL WithContext(HCTX handle, Call call)
{
    EnsureSource();
    tTabletService& service = Service();
    std::lock_guard<std::mutex> guard(service.lock);
    tContext* context = FindContext(service, handle);
    if (!context)
        return 0;
    call(*context);
    return 1;
}

}  // namespace

namespace tablet {

void ConnectTool(int32_t id, const tToolInfo& info)
{
    tToolAxes axes;
    if (!FindToolAxes(info, &axes))
        return;
    tTabletService& service = Service();
    std::lock_guard<std::mutex> guard(service.lock);
    tTool* tool = FindTool(service, id);
    if (!tool) {
        service.tools.push_back(tTool{});
        tool = &service.tools.back();
        tool->id = id;
        tool->cursor = service.nextCursor++;
    }
    tool->info = info;
    tool->axes = axes;
    tool->buttons = 0;
    AnnounceChangeLocked(service);
}

void DisconnectTool(int32_t id)
{
    tTabletService& service = Service();
    std::lock_guard<std::mutex> guard(service.lock);
    const auto tool = std::find_if(service.tools.begin(), service.tools.end(), [&](const tTool& t) { return t.id == id; });
    if (tool == service.tools.end())
        return;
    service.tools.erase(tool);
    AnnounceChangeLocked(service);
}

void MoveTool(int32_t id, const std::vector<std::pair<int32_t, double>>& values)
{
    tTabletService& service = Service();
    std::lock_guard<std::mutex> guard(service.lock);
    tTool* tool = FindTool(service, id);
    if (!tool)
        return;
    for (const auto& [valuator, value] : values)
        if (valuator >= 0 && size_t(valuator) < tool->info.valuators.size())
            tool->info.valuators[size_t(valuator)].value = value;
    SendPacketLocked(service, *tool);
}

void PressToolButton(int32_t id, int32_t button, bool down)
{
    tTabletService& service = Service();
    std::lock_guard<std::mutex> guard(service.lock);
    tTool* tool = FindTool(service, id);
    if (!tool || button < 1 || button > 32)
        return;
    const DWORD bit = DWORD(1) << (button - 1);
    tool->buttons = down ? (tool->buttons | bit) : (tool->buttons & ~bit);
    SendPacketLocked(service, *tool);
}

void UseInjectedTools(bool injected)
{
    tTabletService& service = Service();
    std::lock_guard<std::mutex> guard(service.lock);
    service.injected = injected;
    service.tools.clear();
    service.contexts.clear();
    service.nextCursor = 0;
}

}  // namespace tablet

UINT WTInfoA(UINT category, UINT index, void* output)
{
    EnsureSource();
    tTabletService& service = Service();
    std::lock_guard<std::mutex> guard(service.lock);
    if (service.tools.empty())
        return 0;
    if (category == 0)
        return UINT(sizeof(LOGCONTEXTA));
    if (category == WTI_DEFSYSCTX)
        return Answer(output, DefaultContextLocked(service));
    if (category == WTI_DEVICES)
        return DeviceInfoLocked(service, index, output);
    if (category >= WTI_CURSORS && category < WTI_CURSORS + 100)
        return CursorInfoLocked(service, category - WTI_CURSORS, index, output);
    return 0;
}

HCTX WTOpenA(HWND window, LOGCONTEXTA* settings, BOOL enable)
{
    EnsureSource();
    if (!window || !settings || settings->lcPktData != kWintabPacketData || settings->lcPktMode != 0 ||
        settings->lcOutExtX == 0 || settings->lcOutExtY == 0)
        return nullptr;
    tTabletService& service = Service();
    std::lock_guard<std::mutex> guard(service.lock);
    tContext context;
    context.handle = service.nextHandle++;
    context.window = window;
    context.settings = *settings;
    context.enabled = enable != 0;
    try {
        service.contexts.push_back(std::move(context));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return reinterpret_cast<HCTX>(service.contexts.back().handle);
}

BOOL WTClose(HCTX handle)
{
    tTabletService& service = Service();
    std::lock_guard<std::mutex> guard(service.lock);
    const auto context = std::find_if(service.contexts.begin(), service.contexts.end(), [&](const tContext& c) {
        return c.handle == reinterpret_cast<uintptr_t>(handle);
    });
    if (context == service.contexts.end())
        return 0;
    service.contexts.erase(context);
    return 1;
}

int32_t WTPacketsGet(HCTX handle, int32_t count, void* packets)
{
    int32_t taken = 0;
    WithContext(handle, [&](tContext& context) {
        while (taken < count && !context.queue.empty()) {
            if (packets)
                std::memcpy(static_cast<PACKET*>(packets) + taken, &context.queue.front().packet, sizeof(PACKET));
            context.queue.pop_front();
            ++taken;
        }
    });
    return taken;
}

BOOL WTPacket(HCTX handle, UINT serial, void* packet)
{
    bool found = false;
    WithContext(handle, [&](tContext& context) {
        const auto at = std::find_if(context.queue.begin(), context.queue.end(),
                                     [&](const tQueuedPacket& queued) { return queued.serial == serial; });
        if (at == context.queue.end())
            return;
        found = true;
        if (packet)
            std::memcpy(packet, &at->packet, sizeof(PACKET));
        context.queue.erase(context.queue.begin(), at + 1);
    });
    return found ? 1 : 0;
}

BOOL WTEnable(HCTX handle, BOOL enable)
{
    return WithContext(handle, [&](tContext& context) { context.enabled = enable != 0; });
}

BOOL WTOverlap(HCTX handle, BOOL)
{
    return WithContext(handle, [](tContext&) {});
}

BOOL WTGetA(HCTX handle, LOGCONTEXTA* out)
{
    if (!out)
        return 0;
    return WithContext(handle, [&](tContext& context) { *out = context.settings; });
}

BOOL WTQueueSizeSet(HCTX handle, int32_t size)
{
    if (size < 1 || size > kLargestQueue)
        return 0;
    return WithContext(handle, [&](tContext& context) {
        context.queue.clear();
        context.queueSize = size_t(size);
    });
}

void UnloadWintab()
{
    tTabletService& service = Service();
    std::lock_guard<std::mutex> start(service.startLock);
    if (service.sourceStarted)
        xinput::StopSource();
    service.sourceStarted = false;
    std::lock_guard<std::mutex> guard(service.lock);
    service.contexts.clear();
    if (!service.injected) {
        service.tools.clear();
        service.nextCursor = 0;
    }
}

}  // namespace w32
