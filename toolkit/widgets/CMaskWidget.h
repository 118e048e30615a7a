#pragma once

#include <cstdint>

#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/tCImageList.h"
#include "toolkit/widgets/CImageWidgetT.h"

// The mask widget: paints its colour through an 8-bit coverage mask loaded from the resource file
// (or an entry of an 8-bit image list), or through a mask of its own filled with the colour's
// alpha. Recolouring it changes the colour, not the mask. Type tag 'mkwg'.
class CMaskWidget : public CImageWidgetT<CImage8, tCImageList8> {
public:
    static constexpr uint32_t kType = MakeFourCC("mkwg");
    using CMaskWidgetDataHolder = CDataHolder;

    CMaskWidget() : CMaskWidget(kType, kLoadTexts) {}

    static CMaskWidget* CreateFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory);
    static CMaskWidget* CreateFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory);

    uint32_t GetWidgetType() const override { return kType; }
    // The colour through the mask over the clip (the clip filled with the opaque colour with
    // Opaque Blit); the plain colour fill only where there is no mask.
    tResult Draw(const tCRect* clip, CImage* target, uint32_t opacity) override;
    // The list's current entry; 0 without a list.
    int32_t GetImageListIndex() const override;

    // Fills the mask with the colour's alpha; 0 without a mask.
    virtual tResult FillMaskWithColourAlpha();

protected:
    // For subclasses with a type tag and load texts of their own.
    CMaskWidget(uint32_t type, const tLoadTexts& loadTexts) : CImageWidgetT(type, "MaskWidget", loadTexts) {}

    tResult RenderOwnImage() override { return FillMaskWithColourAlpha(); }

private:
    static const tLoadTexts kLoadTexts;
};
