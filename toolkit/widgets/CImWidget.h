#pragma once

#include <cstdint>

#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/tCImageList.h"
#include "toolkit/widgets/CImageWidgetT.h"

// The image widget: shows a 32-bit picture from the resource file, an entry of an image list, or
// a picture of its own filled with its colour (subclasses draw theirs over RenderImage). Its
// pixels are composited at the widget's opacity, or copied as they are with Opaque Blit. It can
// cross-fade two pictures into its own. Type tag 'imwg'.
class CImWidget : public CImageWidgetT<CImage, tCImageList> {
public:
    static constexpr uint32_t kType = MakeFourCC("imwg");
    using CImWidgetDataHolder = CDataHolder;

    CImWidget() : CImWidget(kType, kLoadTexts) {}

    // A new widget loaded by id or name; null when loading fails.
    static CImWidget* CreateFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory);
    static CImWidget* CreateFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory);

    uint32_t GetWidgetType() const override { return kType; }
    // The picture over the clip; the colour fill only where there is no picture.
    tResult Draw(const tCRect* clip, CImage* target, uint32_t opacity) override;

    // Fills the picture with the widget's colour made opaque; 0 without a picture.
    virtual tResult RenderImage();
    // Entries i and j of the list, i becoming the list's current entry; without a list or with
    // an index outside it, only the present.
    virtual tResult CrossFadeListImages(int32_t i, int32_t j, float t, uint32_t refreshEffects, uint32_t present);
    // Writes a mixed t (0 .. 1) of the way from a to b into the widget's own picture, over the
    // part the three pictures share; then refreshes the effects when asked, invalidates, and
    // presents when asked (also when a picture was missing).
    virtual tResult CrossFadeImages(CImage* a, CImage* b, float t, uint32_t refreshEffects, uint32_t present);

protected:
    // For subclasses with a type tag and load texts of their own.
    CImWidget(uint32_t type, const tLoadTexts& loadTexts) : CImageWidgetT(type, "ImWidget", loadTexts) {}

    tResult RenderOwnImage() override { return RenderImage(); }

    static const tLoadTexts kLoadTexts;
};

// One pixel of a cross-fade at k / 255 of the way from a to b (0 < k < 255), mixing colours by
// their alphas.
CPixel CrossFadePixel(CPixel a, CPixel b, uint32_t k);
