// The root of a benchmark's widget tree, the size of a large screen, which only has to take
// invalidations.
#pragma once

#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/IWidgetRoot.h"

class BenchRoot : public CWidget, public IWidgetRoot {
public:
    static constexpr int32_t kWidth = 1920;
    static constexpr int32_t kHeight = 1080;

    BenchRoot()
    {
        (void)SetSize(kWidth, kHeight, 0);
        (void)SetVisible(1, 0);
    }
    IWidgetRoot* AsWidgetRoot() override { return this; }
    tResult InvalidateRect(const tCRect*, uint32_t) override { return kResOk; }
    tResult PresentDirtyRects() override { return kResOk; }
    tResult QueueScrollRect(const tCRect&, tCPoint) override { return kResOk; }
    uint32_t GetPresentFrozen() const override { return 0; }
    uint32_t SetPresentFrozen(uint32_t) override { return 0; }
    void OnWidgetDetached(CWidget*) override {}
};
