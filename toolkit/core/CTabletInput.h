#pragma once

#include <cstdint>

#include "platform/Wintab.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/ITabletInput.h"

// The pen input: samples of position, pressure and tilt from a tablet context of the main
// window, or from the mouse without one. The stored pressure tells the pen's state: kNoPen, a
// pen in range that does not touch (kPenInRange, while contact is 0 and the tip is up), or
// touching. The canvas sets contact when a stroke starts and resets the pen to forget it.
// A stroke reads the input in the order the main window was given it, so that it passes through
// every position the pointer took while the button was held and nothing after the release.
// Everything runs on the main thread.
class CTabletInput : public ITabletInput {
public:
    static constexpr float kNoPen = -1000.0f;
    static constexpr float kPenInRange = -2000.0f;
    static constexpr int32_t kQueueSize = 100;
    // What NextStrokeInput found.
    enum : int32_t { kStrokeNothing = 0, kStrokeMove = 1, kStrokeRelease = 2 };

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
    // Makes contact and fills the stroke's first sample: the pen where its packets put it, else
    // the mouse at `press` (screen coordinates), or without a main window where it is now. Answers
    // as PumpPackets. A sample of input the window was given carries the pen flag, as a pen's
    // packet does: its values are the hand's own, not a position read in passing.
    int32_t BeginStroke(tCPoint press, CPenSample* sample);
    // Takes the next pointer input the main window was given since the press: a move or a pen
    // packet fills a sample (kStrokeMove), the primary button's release the last one
    // (kStrokeRelease; its message stays queued for the window). A button seen up with no release
    // delivered ends the stroke where the input last put it. kStrokeNothing leaves the sample
    // alone. Without a main window nothing is delivered and the live pointer serves: its moves
    // and its button. `screen` receives 1 for a mouse sample, 0 for a pen's.
    int32_t NextStrokeInput(CPenSample* sample, int32_t* screen);
    // While no stroke input waits and the button is held, waits for some up to `milliseconds`;
    // without a main window there is none to wait for.
    void WaitForStrokeInput(uint32_t milliseconds);
    // Contact set or taken again weighs the last packet's pressure anew.
    void SetContact(int32_t contact);
    int32_t GetContact() const { return m_contact; }
    bool HasContext() const { return m_context != nullptr; }

private:
    void CloseContext();
    // Takes every waiting packet message and reads the last one.
    void TakeWaitingPackets();
    // The pressure of the last packet as contact makes it.
    void WeighPressure();
    // The sample of the pen as its last packet left it, or of the mouse at `cursor` (screen
    // coordinates) when no pen is in; answers as PumpPackets.
    int32_t CurrentSample(tCPoint cursor, CPenSample* sample);
    // The current sample at the cursor the stroke's input last gave, as delivered input.
    int32_t DeliveredSample(CPenSample* sample);
    int32_t NextLiveInput(CPenSample* sample, int32_t* screen);

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
    // The last packet's pressure level and whether its pressure button was down.
    float m_level = 0;
    bool m_pressureButtonDown = false;
    // Where the stroke's input last put the mouse, in screen coordinates.
    tCPoint m_strokeCursor;
    // Without a main window: the pointer as the stroke last read it.
    CPenSample m_liveSample;
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
