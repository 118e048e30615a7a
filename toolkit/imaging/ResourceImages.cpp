#include "toolkit/imaging/ResourceImages.h"

#include <new>

#include "toolkit/core/CAppBase.h"
#include "toolkit/core/ScopedGuards.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"

namespace {

// Makes an image with `make` and loads it with `load`; deletes it when either fails.
template <typename Image, typename Make, typename Load>
Image* MakeAndLoad(Make make, Load load)
{
    Image* image = make();
    if (!image)
        return nullptr;
    ScopedObjectGuard<Image> guard(&image);
    if (load(image) != kResOk)
        return nullptr;
    guard.Disarm();
    return image;
}

CImage* NewImage()
{
    return new (std::nothrow) CImage;
}

CImage8* NewImage8()
{
    return new (std::nothrow) CImage8(10, 10);
}

template <typename Image, typename Load>
Image* FromImagePool(uint32_t id, Load load)
{
    CAppBase* app = GetApplication();
    if (!app)
        return nullptr;
    if (tCResourceObject* pooled = app->FindResourceById(kImagePool, id))
        return dynamic_cast<Image*>(pooled);
    Image* image = load();
    if (image && app->AddResourceToPool(kImagePool, image) != kResOk) {
        delete image;
        return nullptr;
    }
    return image;
}

}  // namespace

CImage* LoadResImage(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    return MakeAndLoad<CImage>(NewImage, [&](CImage* image) { return image->GetFromRes(id, stream, directory); });
}

CImage* LoadResImageByName(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    return MakeAndLoad<CImage>(NewImage, [&](CImage* image) { return image->GetFromRes(name, stream, directory); });
}

CImage8* LoadResImage8(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    return MakeAndLoad<CImage8>(NewImage8, [&](CImage8* image) { return image->GetFromRes(id, stream, directory); });
}

CImage8* LoadResImage8ByName(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    return MakeAndLoad<CImage8>(NewImage8, [&](CImage8* image) { return image->GetFromRes(name, stream, directory); });
}

CImage* GetPooledImage(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    return FromImagePool<CImage>(id, [&] { return LoadResImage(id, stream, directory); });
}

CImage8* GetPooledImage8(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    return FromImagePool<CImage8>(id, [&] { return LoadResImage8(id, stream, directory); });
}
