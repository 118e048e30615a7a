#pragma once

#include <cstdint>

#include "toolkit/core/FourCC.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCResourceObject.h"

class CImage;
class CImage8;
class CResourceDirectory;
class tCStream;

// A resource that names a sequence of 'imag' resources of the same file: the states of a
// button, the frames of an animation. A list owns private copies of its images, or shares them
// through the application's image pool, where an image named by several lists is loaded once.
// The resource data: i32 exclusivity (non-zero: owning), i32 count, then the image names as
// UTF-16 lines.
template <typename Image>
class CImageListT : public tCResourceObject {
public:
    CImageListT(uint32_t type, uint32_t ownsImages) : tCResourceObject(type), m_ownsImages(ownsImages) {}
    ~CImageListT() override;
    CImageListT(const CImageListT&) = delete;
    CImageListT& operator=(const CImageListT&) = delete;

    // Loads the entries the resource names, after those already held; entries loaded before a
    // failure stay. An image that cannot be loaded is reported in the error box with its name
    // and answers 23. A list holding entries refuses (6) data of the other kind of ownership.
    virtual tResult LoadFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory);
    virtual tResult LoadFromResourceId(uint32_t id, tCStream* stream, CResourceDirectory* directory);

    // Appends an image. A sharing list first hands an image that no pool holds yet to the
    // application's image pool; the image is then marked pool-owned so that no other owner
    // deletes it.
    tResult AddImage(Image* image);

    int32_t GetCount() const { return m_entries.GetCount(); }
    // Null outside the list.
    Image* GetImage(int32_t index) const { return m_entries.GetAt(index); }
    int32_t GetCurrentIndex() const { return m_currentIndex; }
    void SetCurrentIndex(int32_t index) { m_currentIndex = index; }
    bool OwnsImages() const { return m_ownsImages != 0; }

    // The resource data this class reads. 6 for a name that cannot be stored as one line.
    static tResult WriteData(tCStream& stream, int32_t exclusivity, const tCStringArray& names);

private:
    tResult Load(const tCString* name, uint32_t id, tCStream* stream, CResourceDirectory* directory);
    tResult ReadData(tCStream& stream);
    // Adds the image of that name: a sharing list takes it from the application's pool when it
    // is there; otherwise a new one is loaded from the stream.
    tResult AddNamedImage(const tCString& name, tCStream& stream);

    tCArray<Image*> m_entries{tCArray<Image*>::kAutoGrowth};
    int32_t m_currentIndex = 0;
    uint32_t m_ownsImages;
};

class tCImageList : public CImageListT<CImage> {
public:
    static constexpr uint32_t kType = MakeFourCC("imlt");

    explicit tCImageList(uint32_t ownsImages = 1) : CImageListT(kType, ownsImages) {}

    // A loaded list that owns its images, owned by the caller; null on any failure.
    static tCImageList* NewFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory);
};

class tCImageList8 : public CImageListT<CImage8> {
public:
    static constexpr uint32_t kType = MakeFourCC("iml8");

    explicit tCImageList8(uint32_t ownsImages = 1) : CImageListT(kType, ownsImages) {}

    static tCImageList8* NewFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory);
};
