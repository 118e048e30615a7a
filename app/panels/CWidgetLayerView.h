#pragma once

#include "paint/engine/ILayerImageView.h"

class CImWidget;
class CWidget;

// An image widget as the view a layer draws its preview into.
class CWidgetLayerView : public ILayerImageView {
public:
    // Null or a widget that is no image widget leaves the view without an image.
    void SetWidget(CWidget* widget);
    CImage* GetImage() override;
    void InvalidateRectInBounds(const tCRect& rect, uint32_t flag) override;

private:
    CImWidget* m_widget = nullptr;
};
