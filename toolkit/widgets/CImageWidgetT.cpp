#include "toolkit/widgets/CImageWidgetT.h"

#include <algorithm>
#include <new>
#include <string>
#include <type_traits>

#include "toolkit/core/CAppBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/PixelScale.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/imaging/tCImageList.h"
#include "toolkit/widgets/CWidgetEffectBase.h"
#include "toolkit/widgets/IWidgetEffect.h"
#include "toolkit/widgets/WidgetDataText.h"

namespace {

template <typename Image>
Image* LoadNamedImage(const tCString& name, tCStream* stream)
{
    if constexpr (std::is_same_v<Image, CImage>)
        return LoadResImageByName(name, stream, nullptr);
    else
        return LoadResImage8ByName(name, stream, nullptr);
}

CPixel ToArgb(CPixel pixel)
{
    return pixel;
}

CPixel ToArgb(uint8_t coverage)
{
    return CPixel(coverage) << 24;
}

}  // namespace

template <typename Image, typename List>
CImageWidgetT<Image, List>::CImageWidgetT(uint32_t type, const char* chunkOwner, const tLoadTexts& loadTexts)
    : CCoWidget(type), m_chunkOwner(chunkOwner), m_loadTexts(&loadTexts)
{
}

template <typename Image, typename List>
CImageWidgetT<Image, List>::~CImageWidgetT()
{
    DropImage();
    if (m_list && !m_list->IsPoolOwned())
        delete m_list;
}

template <typename Image, typename List>
uint32_t CImageWidgetT<Image, List>::CoverageOf(tElement element)
{
    if constexpr (std::is_same_v<tElement, CPixel>)
        return element >> 24;
    else
        return element;
}

template <typename Image, typename List>
Image* CImageWidgetT<Image, List>::NewPicture(int32_t width, int32_t height)
{
    if (!IsPictureAreaAllowed(width, height))
        return nullptr;
    Image* picture = new (std::nothrow) Image(width, height);
    if (picture && !picture->IsValid()) {
        delete picture;
        return nullptr;
    }
    return picture;
}

template <typename Image, typename List>
bool CImageWidgetT<Image, List>::OwnsImage() const
{
    return m_image && !m_imageFromList && !m_image->IsPoolOwned();
}

template <typename Image, typename List>
void CImageWidgetT<Image, List>::DropImage()
{
    if (OwnsImage())
        delete m_image;
    m_image = nullptr;
    m_imageFromList = false;
}

template <typename Image, typename List>
void CImageWidgetT<Image, List>::StoreImage(Image* image, bool fromList)
{
    DropImage();
    m_image = image;
    m_imageFromList = fromList;
}

template <typename Image, typename List>
uint32_t CImageWidgetT<Image, List>::HitTest(const tCPoint* point)
{
    if (GetOpaqueThreshold() == 0)
        return 1;
    if (!HasValidImage() || !m_image->GetBounds().Intersect({0, 0, GetWidth(), GetHeight()}).Contains(*point))
        return 0;
    uint32_t coverage = 0;
    if (ForEachImageRow(tCRect{point->x, point->y, point->x + 1, point->y + 1},
                        [&](int32_t, const tElement* element) { coverage = CoverageOf(*element); }) != kResOk)
        return 0;
    return coverage >= GetOpaqueThreshold() ? 1 : 0;
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::RenderAlphaMask(CImage8* mask)
{
    if (!mask || !mask->IsValid() || mask->IsCompressed())
        return kResOk;
    const tCRect covered = mask->GetBounds().Intersect({0, 0, GetWidth(), GetHeight()});
    const tCRect overlap = HasValidImage() ? covered.Intersect(m_image->GetBounds()) : tCRect{};
    if (GetOpaqueBlit() || overlap.IsEmpty())
        return CCoWidget::RenderAlphaMask(mask);
    CImNav8 out(mask, covered);
    if (!out.IsLocked())
        return kResNoMemory;
    out.Fill(0);
    const tCPoint at = overlap.GetTopLeft().Minus(covered.GetTopLeft());
    return ForEachImageRow(overlap, [&](int32_t row, const tElement* elements) {
        uint8_t* bytes = out.Bytes(at.y + row) + at.x;
        for (int32_t x = 0; x < overlap.Width(); ++x)
            bytes[x] = uint8_t(CoverageOf(elements[x]));
    });
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::RefreshEffect(IWidgetEffect* effect, uint32_t update)
{
    if (!effect)
        return kResBadParam;
    CImage* direct = nullptr;
    if constexpr (std::is_same_v<Image, CImage>)
        direct = HasValidImage() && !m_image->IsCompressed() ? m_image : nullptr;
    if (!HasValidImage() || direct) {
        TK_TRY(effect->UpdateFromImage(direct));
    } else {
        // A packed picture is expanded, and a mask turned into alphas, in a picture of its own.
        CImage source(m_image->GetWidth(), m_image->GetHeight());
        CImNav out(&source);
        if (!out.IsLocked())
            return kResNoMemory;
        TK_TRY(ForEachImageRow(m_image->GetBounds(), [&](int32_t row, const tElement* elements) {
            CPixel* pixels = out.Pixels(row);
            for (int32_t x = 0; x < out.GetWidth(); ++x)
                pixels[x] = ToArgb(elements[x]);
        }));
        out.Detach();
        TK_TRY(effect->UpdateFromImage(&source));
    }
    UpdateExtent();
    return InvalidateWithEffects(update);
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::OnSizeChanged()
{
    const int32_t width = GetWidth(), height = GetHeight();
    if (width < 1 || height < 1)
        return kResOk;
    if (m_image && m_image->GetWidth() == width && m_image->GetHeight() == height)
        return kResOk;
    if (!IsPictureAreaAllowed(width, height))
        return kResNoMemory;
    if (OwnsImage()) {
        TK_TRY(m_image->SetSize(width, height));
    } else {
        // A picture shared through a pool or a list is left to its other users.
        Image* own = NewPicture(width, height);
        if (!own)
            return kResNoMemory;
        StoreImage(own, false);
    }
    return RenderOwnImage();
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::SizeToImage(uint32_t update)
{
    return m_image ? CWidget::SetSize(m_image->GetWidth(), m_image->GetHeight(), update) : kResOk;
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::SetImageListIndex(int32_t index, uint32_t sizeToImage, uint32_t present)
{
    if (!m_list || index < 0 || index >= m_list->GetCount())
        return kResBadParam;
    m_listIndex = index;
    m_list->SetCurrentIndex(index);
    return SetImage(m_list->GetImage(index), sizeToImage, present);
}

template <typename Image, typename List>
bool CImageWidgetT<Image, List>::IsListEntry(const Image* image) const
{
    for (int32_t i = 0; m_list && i < m_list->GetCount(); ++i)
        if (m_list->GetImage(i) == image)
            return true;
    return false;
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::SetImage(Image* image, uint32_t sizeToImage, uint32_t present)
{
    if (!image || !image->IsValid())
        return kResBadParam;
    if (image == m_image)
        return kResOk;
    const bool listEntry = IsListEntry(image);
    if (!m_stretch) {
        StoreImage(image, listEntry);
        if (sizeToImage)
            return SizeToImage(present);
    } else {
        Image* scaled = NewPicture(GetWidth(), GetHeight());
        if (!scaled)
            return kResNoMemory;
        const tResult result = ScaleImageToImage(scaled, image, 0);
        if (result != kResOk) {
            delete scaled;
            return result;
        }
        StoreImage(scaled, false);
        // The caller's picture is used up, unless it belongs to a pool or to the list.
        if (!image->IsPoolOwned() && !listEntry)
            delete image;
    }
    if (IsVisible())
        TK_TRY(Invalidate(0));
    return present ? PresentDirtyRects() : kResOk;
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::SetImageList(List* list)
{
    if (!list)
        return kResBadParam;
    if (list == m_list)
        return kResOk;
    if (m_imageFromList) {
        // The list is about to take its entries with it.
        m_image = nullptr;
        m_imageFromList = false;
    }
    if (m_list && !m_list->IsPoolOwned())
        delete m_list;
    m_list = list;
    m_listIndex = 0;
    return kResOk;
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::NextImageListEntry(uint32_t sizeToImage, uint32_t present)
{
    if (!m_list || m_list->GetCount() < 2)
        return kResBadParam;
    const int32_t next = m_list->GetCurrentIndex() + 1;
    return SetImageListIndex(next >= m_list->GetCount() || next < 0 ? 0 : next, sizeToImage, present);
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::CompressImage()
{
    return m_image && !m_image->IsCompressed() ? m_image->Compress() : kResOk;
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::DecompressImage()
{
    return m_image && m_image->IsCompressed() ? m_image->Decompress() : kResOk;
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::RefreshEffects(uint32_t update)
{
    TK_TRY(RefreshAllEffects());
    return InvalidateWithEffects(update);
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::ReadDataBlock(tCStream* stream)
{
    CDataHolder holder;
    TK_TRY(ReadBlockWith(stream, &holder, kWidgetBlockTexts,
                         [](CWidget* widget, uint32_t tag, tCStream* block, CWidgetDataHolder* h) {
                             return static_cast<CImageWidgetT*>(widget)->ParseDataChunk(tag, block, h);
                         }));
    return ApplyHolder(holder, stream, *m_loadTexts);
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder)
{
    auto* own = static_cast<CDataHolder*>(holder);
    uint32_t value = 0;
    tResult result;
    switch (tag) {
    case MakeFourCC("imsh"):
    case MakeFourCC("stim"):
    case MakeFourCC("imlx"):
    case MakeFourCC("imcm"):
        result = block->ReadU32(&value);
        break;
    case MakeFourCC("imag"): result = ReadWidgetText(block, &own->imageName); break;
    case MakeFourCC("imls"): result = ReadWidgetText(block, &own->listName); break;
    default: return CCoWidget::ParseDataChunk(tag, block, holder);
    }
    if (result != kResOk) {
        // Both widgets report an unreadable 'imcm' as the image widget.
        const std::string owner = tag == MakeFourCC("imcm") ? "ImWidget" : m_chunkOwner;
        ReportResult(kResResourceRead, (owner + " " + FourCCText(tag) + ".").c_str());
        return result;
    }
    if (tag == MakeFourCC("imsh"))
        own->shared = value == 1;
    else if (tag == MakeFourCC("stim"))
        own->sizeToImage = value == 1;
    else if (tag == MakeFourCC("imlx"))
        own->listIndex = int32_t(value);
    return kResOk;
}

template <typename Image, typename List>
Image* CImageWidgetT<Image, List>::LoadPicture(const CDataHolder& holder, tCStream* stream, const tLoadTexts& texts)
{
    CAppBase* application = GetApplication();
    if (!holder.shared || !application) {
        Image* image = LoadNamedImage<Image>(holder.imageName, stream);
        if (!image)
            ReportResult(kResCreateFailed, texts.imageLoadFailed);
        return image;
    }
    if (auto* pooled = dynamic_cast<Image*>(application->FindResourceByName(kImagePool, holder.imageName)))
        return pooled;
    Image* image = LoadNamedImage<Image>(holder.imageName, stream);
    if (image && application->AddResourceToPool(kImagePool, image) != kResOk) {
        delete image;
        image = nullptr;
    }
    if (!image)
        ReportResult(kResResourceNotFound, texts.sharedImageLoad);
    return image;
}

template <typename Image, typename List>
tResult CImageWidgetT<Image, List>::ApplyHolder(CDataHolder& holder, tCStream* stream, const tLoadTexts& texts)
{
    if (!holder.imageName.IsEmpty()) {
        Image* image = LoadPicture(holder, stream, texts);
        if (!image)
            return kResResourceRead;
        const tResult assigned = SetImage(image, 0, 0);
        if (assigned != kResOk) {
            ReportResult(kResCreateFailed, texts.assignFailed);
            if (!image->IsPoolOwned())
                delete image;
            return assigned;
        }
    } else if (!holder.listName.IsEmpty()) {
        List* list = List::NewFromResourceName(holder.listName, stream, nullptr);
        if (!list) {
            ReportResult(kResCreateFailed, texts.listLoadFailed);
            return kResResourceRead;
        }
        const tResult assigned = SetImageList(list);
        if (assigned != kResOk) {
            ReportResult(kResCreateFailed, texts.listAssignFailed);
            delete list;
            return assigned;
        }
        const tResult chosen = SetImageListIndex(holder.listIndex, 0, 0);
        if (chosen != kResOk) {
            ReportResult(kResCreateFailed, texts.indexFailed);
            return chosen;
        }
    } else {
        return kResOk;
    }
    return holder.sizeToImage ? SizeToImage(0) : kResOk;
}

template class CImageWidgetT<CImage, tCImageList>;
template class CImageWidgetT<CImage8, tCImageList8>;
