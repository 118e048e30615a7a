#pragma once

#include <cstdint>

#include "platform/Wintab.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/ITabletInput.h"

// The pen input: samples of position, pressure and tilt from a tablet context of the main
// window, or from the mouse without one. The stored pressure tells the pen's state: kNoPen, a
// pen in range that does not touch (kPenInRange, while contact is 0 and the tip is up), or
// touching. The canvas sets contact when a stroke starts and resets the pen to forget it.
// Everything runs on the main thread.
class CTabletInput : public ITabletInput {
public:
    static constexpr float kNoPen = -1000.0f;
    static constexpr float kPenInRange = -2000.0f;
    static constexpr int32_t kQueueSize = 100;

    CTabletInput();
    ~CTabletInput() override;
    CTabletInput(const CTabletInput&) = delete;
    CTabletInput& operator=(const CTabletInput&) = delete;

    // Without a main window, or without a tablet, no context opens and the mouse serves; 0.
    tResult OpenTabletContext() override;
    // Closes the context and stops the tablet service.
    void Close() override;
    void OnActivate(w32::WPARAM* wParam, w32::LPARAM* lParam) override;
    void OnPacket(w32::WPARAM* wParam, w32::LPARAM* lParam) override;
    void UpdatePressureRanges() override;

    // Forgets the pen: no pen, no eraser, no contact, and the queued packets dropped.
    void ResetPen();
    bool IsButtonDown();
    // Fills the sample: 1 for a mouse sample, 0 for a pen's (a hovering pen included).
    int32_t PumpPackets(CPenSample* sample);
    void SetContact(int32_t contact) { m_contact = contact; }
    int32_t GetContact() const { return m_contact; }
    bool HasContext() const { return m_context != nullptr; }

private:
    void CloseContext();
    // Takes every waiting packet message and reads the last one.
    void TakeWaitingPackets();

    w32::HCTX m_context = nullptr;
    float m_scaleX = 1.0f;
    float m_scaleY = 1.0f;
    float m_x = 0;
    float m_y = 0;
    float m_pressure = kNoPen;
    float m_tiltA = 1.0f;
    float m_tiltB = 0.0f;
    int32_t m_originX = 0;
    int32_t m_originY = 0;
    int32_t m_contact = 0;
    float m_altitudeResolution = 1.0f;
    float m_azimuthResolution = 1.0f;
    int32_t m_cursor = 0;
    int32_t m_lastCursor = -1;
    int32_t m_pressureButton = 0;
    float m_pressMark = 0;
    float m_pressRange = 0;
    float m_pressureMinimum = 0;
    float m_pressureRange = 0;
};

// The pen flags the painting reads: the eraser end is in use; the tablet tells the pen's tilt.
int32_t IsPenEraser();
int32_t IsTiltSupported();

// How the application makes its pen input.
ITabletInput* MakeTabletInput();
// The application's pen input, or null.
CTabletInput* ApplicationTabletInput();
