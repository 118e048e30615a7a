#pragma once

#include <cstdint>

#include "toolkit/widgets/CImWidget.h"

// The static widget: takes a snapshot of whatever lies beneath it and from then on shows the
// snapshot as an opaque picture, so that what lies below need not be drawn again. Its picture
// must have the widget's size (the image widget makes it when the widget is sized).
// Type tag 'stwg'.
class CStaticWidget : public CImWidget {
public:
    static constexpr uint32_t kType = MakeFourCC("stwg");

    CStaticWidget() : CImWidget(kType, kLoadTexts) {}

    uint32_t GetWidgetType() const override { return kType; }
    // The snapshot once captured; while capturing, copies what the target holds under the widget
    // into the picture; before that, nothing.
    tResult Draw(const tCRect* clip, CImage* target, uint32_t opacity) override;
    // Renders the root backdrop's tree over the widget's rect, keeping what lies beneath the
    // widget, and shows it from then on with Opaque Blit. Without a backdrop above it nothing is
    // captured. The pre-render's or the render's failure is returned.
    tResult CaptureBackground();
    uint32_t IsCaptured() const { return m_captured; }

private:
    uint32_t m_captured = 0;
    uint32_t m_capturing = 0;
};
