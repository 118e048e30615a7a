#pragma once

#include <cstdint>

#include "toolkit/widgets/CImWidget.h"

// The rounded-rectangle widget: draws its own picture, a rectangle in the widget's colour with
// an optional border of fractional width and a band along the top (a title bar), both in the
// border colour, and any of its corners rounded with an anti-aliased radius. The picture is
// rendered whenever the size or a shape setting changes and then kept run-length packed.
// Type tag 'rrwg'.
class CRoRectWidget : public CImWidget {
public:
    static constexpr uint32_t kType = MakeFourCC("rrwg");
    enum : uint32_t { kTopLeft = 1, kTopRight = 2, kBottomLeft = 4, kBottomRight = 8, kAllCorners = 15 };

    CRoRectWidget();

    // A new widget loaded by id or name; null when loading fails.
    static CRoRectWidget* CreateFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory);
    static CRoRectWidget* CreateFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory);

    uint32_t GetWidgetType() const override { return kType; }
    // The rounded-rectangle chunks; other tags go to CCoWidget (not to the picture chunks).
    tResult ReadDataBlock(tCStream* stream) override;
    tResult ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder);

    // The picture is always the widget's own rendering: these do nothing.
    tResult SetImageListIndex(int32_t, uint32_t, uint32_t) override { return kResOk; }
    tResult SetImage(CImage*, uint32_t, uint32_t) override { return kResOk; }
    tResult SetImageList(tCImageList*) override { return kResOk; }
    tResult NextImageListEntry(uint32_t, uint32_t) override { return kResOk; }
    // Renders the shape into the picture and packs it; 0 without a picture.
    tResult RenderImage() override;

    // Each setter stores its value; with `rebuild` the picture is made again and the effects
    // refreshed, then the widget is invalidated (when visible) and, with `present`, presented.
    float GetCornerRadius() const { return m_radius; }
    tResult SetCornerRadius(float radius, uint32_t rebuild, uint32_t present);
    float GetBorderWidth() const { return m_borderWidth; }
    tResult SetBorderWidth(float width, uint32_t rebuild, uint32_t present);
    float GetTopBarHeight() const { return m_topBarHeight; }
    tResult SetTopBarHeight(float height, uint32_t rebuild, uint32_t present);
    uint32_t* GetBorderColour(uint32_t* out) const;
    tResult SetBorderColour(uint32_t colour, uint32_t rebuild, uint32_t present);
    uint32_t GetCornerMask() const { return m_cornerMask; }
    tResult SetCornerMask(uint32_t mask, uint32_t rebuild, uint32_t present);
    tResult SetCorners(uint32_t bits, uint32_t rebuild, uint32_t present);
    tResult ClearCorners(uint32_t bits, uint32_t rebuild, uint32_t present);
    tResult SetFillColour(uint32_t colour, uint32_t rebuild, uint32_t present);

private:
    tResult Update(uint32_t rebuild, uint32_t present);

    float m_radius = 20.0f;
    float m_borderWidth = 0.0f;
    float m_topBarHeight = 0.0f;
    uint32_t m_borderColour = 0xFF000000;
    uint32_t m_cornerMask = kAllCorners;
};
