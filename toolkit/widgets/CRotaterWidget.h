#pragma once

#include <cstdint>

#include "toolkit/imaging/CGaussianPyramid.h"
#include "toolkit/widgets/CImWidget.h"

// The rotater: shows a source picture turned by an angle and scaled about the widget's centre.
// Strong reductions sample a level of the source's Gaussian pyramid instead of aliasing. The
// widget's own picture is the render target; it is rendered again only when marked dirty.
// Type tag 'rtwg'.
class CRotaterWidget : public CImWidget {
public:
    static constexpr uint32_t kType = MakeFourCC("rtwg");

    CRotaterWidget() : CImWidget(kType, kLoadTexts) {}
    ~CRotaterWidget() override;

    uint32_t GetWidgetType() const override { return kType; }
    // Renders first when dirty (a failure is returned), then draws as an image widget.
    tResult Draw(const tCRect* clip, CImage* target, uint32_t opacity) override;
    // Writes the turned and scaled source into the widget's picture and refreshes the effects;
    // nothing (0) unless both have pixels, and nothing is drawn for a scale that is 0, negative
    // or not a number. A view that cannot be made answers 5 and leaves the widget dirty.
    tResult RenderImage() override;

    using CImWidget::SetImage;
    // The widget takes the source (a pool's picture stays the pool's), unpacks it and builds its
    // pyramid; a failure of either is returned with the source kept. The source it holds
    // already changes nothing.
    tResult SetImage(CImage* source, uint32_t update);
    CImage* GetSource() const { return m_source; }
    // Radians; a positive angle turns the picture clockwise on screen.
    void SetAngle(float angle);
    float GetAngle() const { return m_angle; }
    // 1 shows a source as wide as the widget at its width.
    void SetScale(float scale);
    float GetScale() const { return m_scale; }
    uint32_t IsDirty() const { return m_dirty; }
    void MarkDirty() { m_dirty = 1; }

private:
    void DropSource();

    CImage* m_source = nullptr;
    uint32_t m_dirty = 1;
    float m_angle = 0.0f;
    float m_scale = 1.0f;
    CGaussianPyramid m_pyramid;
};
