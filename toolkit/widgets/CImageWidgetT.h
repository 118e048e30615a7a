#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CCoWidget.h"

class CImage8;

// What the image widget (32-bit images, tCImageList) and the mask widget (8-bit masks,
// tCImageList8) share: the picture they hold, an optional list of pictures, stretching, run-length
// packing, hit testing and alpha masks by the picture's coverage (a pixel's alpha, a mask's byte),
// effects fed from the picture, and the data-block chunks that name it.
//
// The widget owns the picture it holds unless a resource pool owns it or it is an entry of the
// list (the list owns those); it owns the list unless a pool does. A picture smaller than the
// widget covers only its own area: past it the widget is transparent.
template <typename Image, typename List>
class CImageWidgetT : public CCoWidget {
public:
    using tElement = typename Image::tElement;

    // The load-time fields of the data block, applied after its hierarchy.
    class CDataHolder : public CWidgetDataHolder {
    public:
        int32_t listIndex = 0;
        tCString imageName;
        tCString listName;
        uint32_t shared = 0;
        uint32_t sizeToImage = 0;
    };

    // The texts shown when applying the holder fails, by situation.
    struct tLoadTexts {
        const char* imageLoadFailed;   // an unshared picture not loaded (24, result 23)
        const char* sharedImageLoad;   // a shared picture neither pooled nor loadable (22, result 23)
        const char* assignFailed;      // SetImage failed (24, its result)
        const char* listLoadFailed;    // the list not loaded (24, result 23)
        const char* listAssignFailed;  // SetImageList failed (24, its result)
        const char* indexFailed;       // SetImageListIndex failed (24, its result)
    };

    ~CImageWidgetT() override;

    // A threshold of 0 hits everywhere; otherwise the picture's coverage under the point must
    // reach it, and a point off the picture misses.
    uint32_t HitTest(const tCPoint* point) override;
    // The picture's coverage over the part of the mask the widget covers (255 with Opaque Blit).
    tResult RenderAlphaMask(CImage8* mask) override;
    // Effects see a 32-bit image whose alpha is the picture's coverage.
    tResult RefreshEffect(IWidgetEffect* effect, uint32_t update) override;
    // A widget of at least 1 x 1 gets a picture of its size that it owns, filled by
    // RenderOwnImage; one of that size already is left alone.
    tResult OnSizeChanged() override;
    tResult ReadDataBlock(tCStream* stream) override;
    // The picture chunks ('imsh', 'stim', 'imlx', 'imag', 'imcm', 'imls') into the holder, which
    // must be a CDataHolder; other tags go to CCoWidget.
    tResult ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder);

    virtual tResult SizeToImage(uint32_t update);
    // 6 without a list or for an index outside it.
    virtual tResult SetImageListIndex(int32_t index, uint32_t sizeToImage, uint32_t present);
    // 6 for a null or invalid picture. The widget takes the picture (with stretch, a copy scaled
    // to its size, and the picture is deleted unless a pool owns it); on failure it stays the
    // caller's. The picture already held changes nothing.
    virtual tResult SetImage(Image* image, uint32_t sizeToImage, uint32_t present);
    // 6 for null. Nothing is shown from the list until an index is chosen.
    virtual tResult SetImageList(List* list);
    // 6 without a list or with fewer than 2 entries; wraps from the last entry to the first.
    virtual tResult NextImageListEntry(uint32_t sizeToImage, uint32_t present);
    virtual tResult CompressImage();
    virtual tResult DecompressImage();
    virtual Image* GetImage() const { return m_image; }
    virtual int32_t GetImageListIndex() const { return m_list ? m_listIndex : 0; }
    virtual List* GetImageList() const { return m_list; }
    virtual uint32_t GetStretchImage() const { return m_stretch; }
    virtual void SetStretchImage(uint32_t stretch) { m_stretch = stretch; }
    virtual uint32_t IsImageCompressed() const { return m_image ? m_image->IsCompressed() : 0; }
    // Refreshes every effect, then invalidates them.
    virtual tResult RefreshEffects(uint32_t update);

    bool HasValidImage() const { return m_image && m_image->IsValid(); }

protected:
    // `chunkOwner` ("ImWidget", "MaskWidget") names the class in chunk failures; `loadTexts`
    // are the holder's failures of ReadDataBlock.
    CImageWidgetT(uint32_t type, const char* chunkOwner, const tLoadTexts& loadTexts);

    // Fills a picture the widget made for itself.
    virtual tResult RenderOwnImage() = 0;
    // Lets go of the picture (deleting it unless someone else owns it); the next size change
    // makes a new one.
    void DeleteImage() { DropImage(); }
    // Loads what the holder names and shows it, reporting failures with `texts`.
    tResult ApplyHolder(CDataHolder& holder, tCStream* stream, const tLoadTexts& texts);
    // Hands visit(row, elements) each row of `rect` (inside the picture), reading a packed
    // picture through its run-length reader; 5 when the picture cannot be viewed.
    template <typename Visit>
    tResult ForEachImageRow(const tCRect& rect, Visit visit);

    static uint32_t CoverageOf(tElement element);

private:
    // A plain picture of that size, null beyond the area allowed or without memory.
    static Image* NewPicture(int32_t width, int32_t height);
    bool OwnsImage() const;
    bool IsListEntry(const Image* image) const;
    // Deletes the picture held unless someone else owns it.
    void DropImage();
    void StoreImage(Image* image, bool fromList);
    Image* LoadPicture(const CDataHolder& holder, tCStream* stream, const tLoadTexts& texts);

    Image* m_image = nullptr;
    bool m_imageFromList = false;
    List* m_list = nullptr;
    int32_t m_listIndex = 0;
    uint32_t m_stretch = 0;
    // "ImWidget" or "MaskWidget": the chunk failures name it.
    const char* m_chunkOwner;
    const tLoadTexts* m_loadTexts;
    std::vector<tElement> m_rowScratch;
};

template <typename Image, typename List>
template <typename Visit>
tResult CImageWidgetT<Image, List>::ForEachImageRow(const tCRect& rect, Visit visit)
{
    if (rect.IsEmpty())
        return kResOk;
    if (auto* runs = m_image->IsCompressed() ? m_image->GetRunLengthCopy() : nullptr) {
        m_rowScratch.resize(size_t(rect.Width()));
        for (int32_t row = 0; row < rect.Height(); ++row) {
            auto cursor = runs->CursorAt(rect.left, rect.top + row);
            for (tElement& element : m_rowScratch)
                element = runs->ReadFrom(cursor);
            visit(row, static_cast<const tElement*>(m_rowScratch.data()));
        }
        return kResOk;
    }
    typename Image::tNav view(m_image, rect);
    if (!view.IsLocked())
        return kResNoMemory;
    for (int32_t row = 0; row < view.GetHeight(); ++row)
        visit(row, reinterpret_cast<const tElement*>(view.Row(row)));
    return kResOk;
}
