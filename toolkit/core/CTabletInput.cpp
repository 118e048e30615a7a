#include "toolkit/core/CTabletInput.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>

#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/Window.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/IRootWidget.h"
#include "toolkit/core/PenSettings.h"

namespace {

int32_t gEraser = 0;
int32_t gTiltSupported = 0;

constexpr int32_t kPacketsDroppedOnReset = 120;
// The messages of a stroke's input.
constexpr w32::UINT kStrokeMessages[] = {w32::WM_MOUSEMOVE, w32::WM_LBUTTONUP, w32::WT_PACKET};

w32::HWND MainHandle()
{
    CWindowBase* window = GetMainWindow();
    return window ? window->GetHandle() : nullptr;
}

tCPoint CursorPosition()
{
    CAppBase* application = GetApplication();
    return application ? application->GetCursorPosition() : tCPoint{};
}

// A screen point in the main window's root coordinates; nothing moves without a root.
tCPoint ScreenToRoot(int32_t x, int32_t y)
{
    CWindowBase* window = GetMainWindow();
    IRootWidget* root = window ? window->GetRootWidget() : nullptr;
    tCPoint point{x, y};
    if (!root)
        return tCPoint{};
    root->ScreenToLocalPoint(&point);
    return point;
}

// A message's client point on the screen.
tCPoint ScreenPointOf(w32::HWND window, w32::LPARAM lParam)
{
    w32::POINT point{w32::GET_X_LPARAM(lParam), w32::GET_Y_LPARAM(lParam)};
    w32::ClientToScreen(window, &point);
    return tCPoint{point.x, point.y};
}

// A pressure level within its range; a tablet that tells an empty range gives full pressure
// rather than none, or dividing by it would give no number.
float Level(float value, float range)
{
    return range > 0 ? std::clamp(value / range, 0.0f, 1.0f) : 1.0f;
}

// The cursor on the screen with the mouse's pressure.
int32_t MouseSample(CPenSample* sample, tCPoint cursor, float mouse)
{
    gEraser = 0;
    sample->x = float(cursor.x);
    sample->y = float(cursor.y);
    sample->pressure = mouse;
    return 1;
}

// The user's pressure response applied to a pen's pressure.
float ShapePressure(float pressure, float mouse)
{
    const float shaped = mouse < 0.5f ? pressure * (1.5f * mouse + 0.25f) : 2 * mouse * pressure;
    return std::clamp(shaped, 0.0f, 1.0f);
}

}  // namespace

int32_t IsPenEraser()
{
    return gEraser;
}

int32_t IsTiltSupported()
{
    return gTiltSupported;
}

ITabletInput* MakeTabletInput()
{
    return new (std::nothrow) CTabletInput;
}

CTabletInput* ApplicationTabletInput()
{
    CAppBase* application = GetApplication();
    return application ? dynamic_cast<CTabletInput*>(application->GetTabletInput()) : nullptr;
}

CTabletInput::CTabletInput()
{
    gTiltSupported = 0;
}

CTabletInput::~CTabletInput()
{
    CloseContext();
}

void CTabletInput::CloseContext()
{
    if (m_context)
        w32::WTClose(m_context);
    m_context = nullptr;
}

void CTabletInput::Close()
{
    CloseContext();
    w32::UnloadWintab();
}

tResult CTabletInput::OpenTabletContext()
{
    const w32::HWND window = MainHandle();
    if (!window)
        return kResOk;
    CloseContext();
    gTiltSupported = 0;
    m_altitudeResolution = m_azimuthResolution = 1.0f;
    m_cursor = 0;
    m_lastCursor = -1;
    m_pressureButton = 0;
    m_pressMark = m_pressRange = m_pressureMinimum = m_pressureRange = 0;
    // This system has no Tablet PC ink service: a tablet context is the only pen source.
    if (w32::WTInfoA(0, 0, nullptr) == 0)
        return kResOk;

    w32::LOGCONTEXTA context;
    if (w32::WTInfoA(w32::WTI_DEFSYSCTX, 0, &context) == 0)
        return kResOk;
    std::strcpy(context.lcName, "VeltranaWorks");
    context.lcOptions = w32::CXO_SYSTEM | w32::CXO_MESSAGES;
    context.lcPktData = w32::kWintabPacketData;
    context.lcPktMode = 0;
    context.lcMoveMask = w32::kWintabPacketData;
    context.lcBtnUpMask = context.lcBtnDnMask;

    w32::AXIS x, y;
    w32::AXIS orientation[3];
    const w32::UINT device = w32::WTI_DEVICES + context.lcDevice;
    // A device without an area to scale from is no tablet to paint with.
    if (w32::WTInfoA(device, w32::DVC_X, &x) == 0 || w32::WTInfoA(device, w32::DVC_Y, &y) == 0 || x.axMax == 0 ||
        y.axMax == 0)
        return kResOk;
    if (w32::WTInfoA(device, w32::DVC_ORIENTATION, orientation) != 0 && orientation[0].axResolution != 0 &&
        orientation[1].axResolution != 0) {
        gTiltSupported = 1;
        m_azimuthResolution = float(orientation[0].axResolution) / 65536.0f;
        m_altitudeResolution = float(orientation[1].axResolution) / 65536.0f;
    }
    context.lcOutOrgX = context.lcOutOrgY = 0;
    context.lcOutExtX = x.axMax;
    context.lcOutExtY = -std::abs(y.axMax);

    m_context = w32::WTOpenA(window, &context, 1);
    if (!m_context)
        return kResOk;
    m_originX = w32::GetSystemMetrics(w32::SM_XVIRTUALSCREEN);
    m_originY = w32::GetSystemMetrics(w32::SM_YVIRTUALSCREEN);
    m_scaleX = float(w32::GetSystemMetrics(w32::SM_CXVIRTUALSCREEN)) / float(x.axMax);
    m_scaleY = float(std::abs(w32::GetSystemMetrics(w32::SM_CYVIRTUALSCREEN))) / float(std::abs(y.axMax));
    w32::WTQueueSizeSet(m_context, kQueueSize);
    m_contact = 0;
    return kResOk;
}

void CTabletInput::OnActivate(w32::WPARAM* wParam, w32::LPARAM*)
{
    if (!m_context)
        return;
    w32::WTEnable(m_context, w32::LOWORD(*wParam));
    if (*wParam != 0) {
        w32::WTOverlap(m_context, 1);
        w32::WTQueueSizeSet(m_context, kQueueSize);
    }
}

void CTabletInput::UpdatePressureRanges()
{
    if (!m_context)
        return;
    w32::BYTE button = 255;
    w32::WTInfoA(w32::WTI_CURSORS + w32::UINT(m_cursor), w32::CSR_NPBUTTON, &button);
    w32::BYTE map[32] = {};
    if (button < w32::WTInfoA(w32::WTI_CURSORS + w32::UINT(m_cursor), w32::CSR_BUTTONMAP, map))
        button = map[button];
    m_pressureButton = button;

    w32::LOGCONTEXTA context;
    if (!w32::WTGetA(m_context, &context))
        return;
    w32::AXIS pressure;
    w32::WTInfoA(w32::WTI_DEVICES + context.lcDevice, w32::DVC_NPRESSURE, &pressure);
    m_pressureMinimum = float(pressure.axMin);
    m_pressureRange = float(pressure.axMax) - float(pressure.axMin);
    w32::UINT marks[2] = {0, 0};
    w32::WTInfoA(w32::WTI_CURSORS + w32::UINT(m_cursor), w32::CSR_NPBTNMARKS, marks);
    m_pressMark = float(marks[1]);
    m_pressRange = float(pressure.axMax) - m_pressMark;
}

void CTabletInput::OnPacket(w32::WPARAM* wParam, w32::LPARAM* lParam)
{
    if (!m_context)
        return;
    w32::PACKET packet;
    if (!w32::WTPacket(reinterpret_cast<w32::HCTX>(*lParam), w32::UINT(*wParam), &packet))
        return;
    gEraser = (packet.pkStatus & w32::TPS_INVERT) ? 1 : 0;
    if (GetPenSettings().useCursorPosition) {
        const tCPoint cursor = CursorPosition();
        m_x = float(cursor.x);
        m_y = float(cursor.y);
    } else {
        m_x = float(packet.pkX) * m_scaleX + float(m_originX);
        m_y = float(packet.pkY) * m_scaleY + float(m_originY);
    }
    m_cursor = int32_t(packet.pkCursor);
    if (m_cursor != m_lastCursor) {
        UpdatePressureRanges();
        m_lastCursor = m_cursor;
    }
    m_level = float(packet.pkNormalPressure);
    m_pressureButtonDown = (packet.pkButtons & (w32::DWORD(1) << (m_pressureButton % 32))) != 0;
    WeighPressure();
    if (gTiltSupported) {
        m_tiltA = float(packet.pkOrientation.orAltitude) / m_altitudeResolution * 4;
        m_tiltB = float(packet.pkOrientation.orAzimuth) / m_azimuthResolution;
    } else {
        m_tiltA = 1.0f;
        m_tiltB = 0.0f;
    }
}

void CTabletInput::ResetPen()
{
    m_pressure = kNoPen;
    gEraser = 0;
    m_contact = 0;
    if (m_context)
        w32::WTPacketsGet(m_context, kPacketsDroppedOnReset, nullptr);
}

bool CTabletInput::IsButtonDown()
{
    CAppBase* application = GetApplication();
    return application && application->IsPrimaryButtonDown();
}

void CTabletInput::TakeWaitingPackets()
{
    const w32::HWND window = MainHandle();
    w32::MSG message;
    w32::MSG last;
    bool any = false;
    while (w32::PeekMessageW(&message, window, w32::WT_PACKET, w32::WT_PACKET, w32::PM_REMOVE)) {
        last = message;
        any = true;
    }
    if (any)
        OnPacket(&last.wParam, &last.lParam);
}

void CTabletInput::WeighPressure()
{
    if (m_pressureButtonDown)
        m_pressure = m_contact ? Level(m_level - m_pressMark, m_pressRange) : 0.0f;
    else
        m_pressure = m_contact ? Level(m_level - m_pressureMinimum, m_pressureRange) : kPenInRange;
}

void CTabletInput::SetContact(int32_t contact)
{
    m_contact = contact;
    if (m_pressure != kNoPen)
        WeighPressure();
}

int32_t CTabletInput::PumpPackets(CPenSample* sample)
{
    if (m_context)
        TakeWaitingPackets();
    return CurrentSample(CursorPosition(), sample);
}

int32_t CTabletInput::CurrentSample(tCPoint cursor, CPenSample* sample)
{
    sample->pen = 0;
    const tPenSettings settings = GetPenSettings();
    const float mouse = MappedPressure(settings.pressure, settings.response);
    if (!m_context)
        return MouseSample(sample, cursor, mouse);
    if (m_pressure == kNoPen) {
        sample->tiltA = 1.0f;
        sample->tiltB = 0.0f;
        return MouseSample(sample, cursor, mouse);
    }
    if (m_pressure == kPenInRange) {
        const tCPoint offset = ScreenToRoot(0, 0);
        sample->x = float(cursor.x + offset.x);
        sample->y = float(cursor.y + offset.y);
        sample->pressure = 0.0f;
        sample->tiltA = m_tiltA;
        sample->tiltB = m_tiltB;
        return 0;
    }
    // Tablet positions are placed one pixel up and left of the same cursor position.
    const tCPoint offset = settings.useCursorPosition ? ScreenToRoot(0, 0) : ScreenToRoot(-1, -1);
    sample->x = m_x + float(offset.x);
    sample->y = m_y + float(offset.y);
    sample->pressure = ShapePressure(m_pressure, mouse);
    sample->tiltA = m_tiltA;
    sample->tiltB = m_tiltB;
    sample->pen = 1;
    return 0;
}

int32_t CTabletInput::BeginStroke(tCPoint press, CPenSample* sample)
{
    SetContact(1);
    if (!MainHandle()) {
        *sample = CPenSample{};
        const int32_t answer = CurrentSample(CursorPosition(), sample);
        m_liveSample = *sample;
        return answer;
    }
    m_strokeCursor = press;
    return DeliveredSample(sample);
}

int32_t CTabletInput::DeliveredSample(CPenSample* sample)
{
    *sample = CPenSample{};
    const int32_t screen = CurrentSample(m_strokeCursor, sample);
    sample->pen = 1;
    return screen;
}

int32_t CTabletInput::NextStrokeInput(CPenSample* sample, int32_t* screen)
{
    const w32::HWND window = MainHandle();
    if (!window)
        return NextLiveInput(sample, screen);
    // The button is read before the queue: a release it saw is in the queue by then.
    const bool held = IsButtonDown();
    const size_t count = std::size(kStrokeMessages);
    w32::MSG message;
    while (w32::PeekMessageAmongW(&message, window, kStrokeMessages, count, w32::PM_NOREMOVE)) {
        if (message.message == w32::WM_LBUTTONUP) {
            m_strokeCursor = ScreenPointOf(window, message.lParam);
            *screen = DeliveredSample(sample);
            return kStrokeRelease;
        }
        (void)w32::PeekMessageAmongW(&message, window, kStrokeMessages, count, w32::PM_REMOVE);
        if (message.message == w32::WT_PACKET) {
            OnPacket(&message.wParam, &message.lParam);
            if (m_pressure == kNoPen)
                continue;
            // The cursor the packet goes with is the one delivered before it, not the live one.
            if (GetPenSettings().useCursorPosition) {
                m_x = float(m_strokeCursor.x);
                m_y = float(m_strokeCursor.y);
            }
        } else {
            m_strokeCursor = ScreenPointOf(window, message.lParam);
            // A touching pen's moves come from its packets.
            if (m_context && m_pressure != kNoPen)
                continue;
        }
        *screen = DeliveredSample(sample);
        return kStrokeMove;
    }
    if (held)
        return kStrokeNothing;
    *screen = DeliveredSample(sample);
    return kStrokeRelease;
}

void CTabletInput::WaitForStrokeInput(uint32_t milliseconds)
{
    const w32::HWND window = MainHandle();
    if (!window || !IsButtonDown())
        return;
    // Whether input came is for NextStrokeInput to find.
    (void)w32::WaitMessageAmongW(window, kStrokeMessages, std::size(kStrokeMessages), milliseconds);
}

int32_t CTabletInput::NextLiveInput(CPenSample* sample, int32_t* screen)
{
    const bool held = IsButtonDown();
    CPenSample now;
    const int32_t answer = CurrentSample(CursorPosition(), &now);
    if (held && now.x == m_liveSample.x && now.y == m_liveSample.y && now.pressure == m_liveSample.pressure)
        return kStrokeNothing;
    m_liveSample = *sample = now;
    *screen = answer;
    return held ? kStrokeMove : kStrokeRelease;
}
