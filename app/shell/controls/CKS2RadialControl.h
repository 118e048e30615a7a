#pragma once

#include "app/shell/controls/CKS2Control.h"
#include "toolkit/core/tCString.h"

class CKS2PieWidget;
class CTimeStep;

// The percentage dial: a round gauge (a pie widget created here, behind the layout's parts), a
// label and the value in percent. The value is set by dragging round the gauge, by dragging
// the value text up or down, or by typing it into the host's text prompt after a click on the
// value text.
class CKS2RadialControl : public CKS2Control {
public:
    static constexpr uint32_t kPartValueBox = 4141;
    static constexpr uint32_t kPartLabel = 4143;
    static constexpr uint32_t kPartValueText = 4144;
    static constexpr int32_t kPieSize = 50;
    static constexpr float kPieTop = 14.0f;
    static constexpr int32_t kMinWidth = 54;
    static constexpr uint32_t kHoverFrom = 0xFF999999;
    static constexpr uint32_t kHoverTo = 0xFFA9C200;
    // A value-box press moving more than this vertically is a drag; each pixel is a percent.
    static constexpr int32_t kDragSlack = 4;
    static constexpr float kDragPerPixel = 0.01f;

    CKS2RadialControl() : CKS2Control(kRadialControl) {}

    // initArg: a pointer to the u32 string-table id of the label, or 0. 24 without memory, or
    // the error of adding the gauge.
    tResult Init(tMsgArg initArg) override;
    tResult SetEnabled(uint32_t enable, uint32_t apply, uint32_t redraw) override;
    uint32_t IsEnabled() override;
    // 0xFF00101D sets or reports the value (2 without a gauge, 6 without a value to read or
    // write); 0xFF001030 takes a typed entry.
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

    tResult SetLabel(const tCString& text, uint32_t redraw);
    // The value in whole percent followed by the unit.
    tResult ShowValueText(float value, uint32_t redraw);

    static tResult DialPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult DialHoverHeartbeatProc(tMsgArg context, CWidget* widget);
    static tResult ValueBoxPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

    CKS2PieWidget* GetPie() const { return m_pie; }
    void SetLiveReport(uint32_t live) { m_liveReport = live; }
    uint32_t GetLiveReport() const { return m_liveReport; }
    uint32_t GetLabelTextId() const { return m_labelTextId; }

private:
    tResult OnDialPress();
    tResult OnHoverTick();
    tResult OnValueBoxPress(CWidget* box);
    // Shows the value on the gauge and as text, and reports it to the pane.
    void ApplyValue(float value, bool report);
    // Opens the host's text prompt over the value box, holding `start`.
    tResult OpenTypedEntry(CWidget* box, float start);
    tResult TakeTypedEntry(const tCString& text);
    void FitWidth(CWidget* label);

    CKS2PieWidget* m_pie = nullptr;
    uint32_t m_liveReport = 1;
    uint32_t m_labelTextId = 0;
};

// The dial's drag across 12 o'clock: the quarter each point lies in is stamped with a running
// count, and a point that came into the last quarter from the first (or into the first from the
// last) stays pinned to the end it crossed.
class CDialDrag {
public:
    // The quarter of a value is trunc(value x kQuarters), 0..3.
    static constexpr float kQuarters = 3.9999f;

    // The value for the next point, whose unpinned value is `value`.
    float Next(float value);

private:
    int64_t m_stamps[4] = {};
    int64_t m_counter = 0;
    bool m_first = true;
};

// The typed value of a dial: a whole number of percent, clamped to 0..100, as a fraction; false
// for anything else.
bool ReadTypedPercent(const tCString& text, float* value);
