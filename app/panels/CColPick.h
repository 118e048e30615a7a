#pragma once

#include <cstdint>
#include <optional>

#include "app/panels/CColourModel.h"
#include "app/panels/PanelResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "app/shell/panes/IColourModePane.h"
#include "toolkit/core/tCArray.h"

class CCoWidget;
class CImWidget;
class CKS2Button;
class CKS2Checkbox;
class CKS2Control;
class CWidget;

// The pane in which the user chooses the paint colour: a quarter-ring wheel and a strip whose
// meaning the mode sets, their two markers, two swatches of the current colour, the mode button
// with its popup, the shine checkbox, and a notice that stands in for wheel and strip while
// colours come from the tracing image. Every colour picked goes to the controller as 0xF1000002
// and comes back through the backdrop; the pane redraws from that echo.
class CColPick : public CKS2Pane, public IColourModePane {
public:
    static constexpr uint32_t kRoot = kWgtColourPicker;
    static constexpr uint32_t kHandle = kWgtColourPickerHandle;
    static constexpr uint32_t kWheel = kWgtColourWheel;
    static constexpr uint32_t kWheelMask = kImgColourWheelMask;
    static constexpr uint32_t kWheelMarker = kWgtColourWheelMarker;
    static constexpr uint32_t kStrip = kWgtColourStrip;
    static constexpr uint32_t kStripMarker = kWgtColourStripMarker;
    static constexpr uint32_t kSwatch1 = kWgtColourSwatch1;
    static constexpr uint32_t kSwatch2 = kWgtColourSwatch2;
    static constexpr uint32_t kShine = kWgtColourShine;
    static constexpr uint32_t kModeButton = kWgtColourModeButton;
    static constexpr uint32_t kNotice = kWgtColourNotice;
    static constexpr uint32_t kNoticeMark = kWgtColourNoticeMark;
    static constexpr uint32_t kModeMenu = kMenuColourModes;
    static constexpr uint32_t kSwatchThreshold = 250;
    // The popup opens to the left and up of the mode button's top-right corner.
    static constexpr uint32_t kPopupDirection = 3;

    CColPick();
    ~CColPick() override;
    CColPick(const CColPick&) = delete;
    CColPick& operator=(const CColPick&) = delete;

    tResult Build() override;
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    tResult OnSideChanging(uint32_t side) override;
    tResult OnSideReached() override;

    // Stores the mode (taken into 0..5), shows the wheel marker and redraws wheel, strip and
    // markers; the first failure.
    tResult SetMode(int32_t mode) override;
    int32_t GetMode() const override { return m_model.GetMode(); }
    uint32_t GetColour() const { return m_model.GetColour(); }
    const CColourModel& GetModel() const { return m_model; }

    // Redraws: 6 without the widget, 5 when its image cannot be locked; the wheel also 22
    // without its mask and 24 when the mask's size differs.
    tResult RenderWheel();
    tResult RenderStrip();
    // Moves both markers over the current colour; 6 when a marker, the wheel or the strip is missing.
    tResult PlaceMarkers();
    // Shows the notice instead of wheel and strip when `value` is non-zero and there is a
    // tracing image; else wheel or swatch 2 by the side.
    void ApplyTracingState(uint32_t value, uint32_t present);

    // Wheel and strip presses: the drag loops, sending the colour on every pass.
    static tResult WheelPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult StripPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

    CKS2Checkbox* GetShineCheckbox() const { return m_shine; }
    CKS2Button* GetModeButton() const { return m_modeButton; }

private:
    tResult FindWidgets();
    tResult AttachControls();
    void ClearWheel();
    // The strip (modes 0, 1) or the wheel (mode 2), then the swatches and the markers; nothing
    // when they show the model as it is already.
    tResult RedrawColour();
    tResult RedrawSwatches();
    tResult OpenModePopup();
    // 6 when the sender is not a popup menu.
    tResult AnswerPopup(tMsgArg menu, tMsgArg item);
    tResult SendColour();
    tResult WheelDrag();
    tResult StripDrag();

    CImWidget* m_strip = nullptr;
    CImWidget* m_wheel = nullptr;
    CWidget* m_wheelMarker = nullptr;
    CWidget* m_stripMarker = nullptr;
    CCoWidget* m_swatch1 = nullptr;
    CCoWidget* m_swatch2 = nullptr;
    CWidget* m_notice = nullptr;
    CColourModel m_model;
    // The mode and colour the strip, wheel, swatches and markers were last drawn for: a held drag
    // sends its colour on every heartbeat, and its echo draws nothing again.
    struct tShown {
        int32_t mode;
        uint32_t colour;
        CColourModel::tHls hls;
        bool operator==(const tShown&) const = default;
    };
    std::optional<tShown> m_shown;
    CKS2Checkbox* m_shine = nullptr;
    CKS2Button* m_modeButton = nullptr;
    tCArray<CKS2Control*> m_controls{tCArray<CKS2Control*>::kAutoGrowth};
};
