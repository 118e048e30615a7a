#include "toolkit/imaging/tCImageList.h"

#include <memory>

#include "toolkit/core/CAppBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/ResourceImages.h"

namespace {

CImage* LoadNamed(const tCString& name, tCStream* stream, CImage*)
{
    return LoadResImageByName(name, stream, nullptr);
}

CImage8* LoadNamed(const tCString& name, tCStream* stream, CImage8*)
{
    return LoadResImage8ByName(name, stream, nullptr);
}

// The smallest entry is an empty name: its CR LF takes 4 bytes.
constexpr int64_t kSmallestEntry = 4;

template <typename List>
List* NewLoaded(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    auto list = std::make_unique<List>(1);
    return list->LoadFromResourceName(name, stream, directory) == kResOk ? list.release() : nullptr;
}

}  // namespace

template <typename Image>
CImageListT<Image>::~CImageListT()
{
    if (m_ownsImages)
        for (Image* image : m_entries)
            delete image;
}

template <typename Image>
tResult CImageListT<Image>::LoadFromResourceName(const tCString& name, tCStream* stream,
                                                 CResourceDirectory* directory)
{
    return Load(&name, 0, stream, directory);
}

template <typename Image>
tResult CImageListT<Image>::LoadFromResourceId(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    return Load(nullptr, id, stream, directory);
}

template <typename Image>
tResult CImageListT<Image>::Load(const tCString* name, uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    tCStream* used = nullptr;
    TK_TRY(name ? LocateByName(*name, stream, directory, &used) : LocateById(id, stream, directory, &used));
    return ReadData(*used);
}

template <typename Image>
tResult CImageListT<Image>::ReadData(tCStream& stream)
{
    int32_t exclusivity, count;
    tResult result = stream.ReadI32(&exclusivity);
    if (result != kResOk) {
        ReportResult(kResResourceRead, "Error reading exclusivity");
        return result;
    }
    // Whether the entries are owned decides who deletes them: a list that already holds
    // entries cannot change sides.
    const uint32_t owns = exclusivity != 0 ? 1 : 0;
    if (m_entries.GetCount() > 0 && owns != m_ownsImages)
        return kResBadParam;
    m_ownsImages = owns;
    result = stream.ReadI32(&count);
    if (result != kResOk) {
        ReportResult(kResResourceRead, "Error reading number of entries");
        return result;
    }
    const int64_t room = GetDataEnd() - stream.GetPosition();
    if (count < 0 || room < 0 || count > room / kSmallestEntry)
        return kResFileInvalid;
    // Every name is read before any image: the image searches move the stream.
    tCStringArray names;
    for (int32_t i = 0; i < count; ++i) {
        tCString name;
        TK_TRY(stream.ReadLineW(name));
        TK_TRY(CheckWithinPayload(stream, GetDataEnd()));
        TK_TRY(names.Add(name));
    }
    for (const tCString& name : names)
        TK_TRY(AddNamedImage(name, stream));
    return kResOk;
}

template <typename Image>
tResult CImageListT<Image>::AddNamedImage(const tCString& name, tCStream& stream)
{
    CAppBase* app = GetApplication();
    if (!m_ownsImages && app) {
        // The pool holds lists and images of every depth under their names.
        if (Image* pooled = dynamic_cast<Image*>(app->FindResourceByName(kImagePool, name)))
            return AddImage(pooled);
    }
    Image* image = LoadNamed(name, &stream, static_cast<Image*>(nullptr));
    if (!image) {
        ReportResult(kResResourceNotFound, name.ToAnsi().c_str());
        return kResResourceRead;
    }
    const tResult added = AddImage(image);
    if (added != kResOk && !image->IsPoolOwned())
        delete image;
    return added;
}

template <typename Image>
tResult CImageListT<Image>::AddImage(Image* image)
{
    if (!image)
        return kResBadParam;
    if (!m_ownsImages && !image->IsPoolOwned()) {
        CAppBase* app = GetApplication();
        if (!app)
            return kResInvalidObject;
        TK_TRY(app->AddResourceToPool(kImagePool, image));
    }
    TK_TRY(m_entries.Add(image));
    if (!image->IsPoolOwned())
        image->MarkPoolOwned();
    return kResOk;
}

template <typename Image>
tResult CImageListT<Image>::WriteData(tCStream& stream, int32_t exclusivity, const tCStringArray& names)
{
    for (const tCString& name : names)
        if (!IsStorableLine(name))
            return kResBadParam;
    TK_TRY(stream.WriteI32(exclusivity));
    TK_TRY(stream.WriteI32(names.GetCount()));
    for (const tCString& name : names)
        TK_TRY(WriteResourceLine(stream, name));
    return kResOk;
}

template class CImageListT<CImage>;
template class CImageListT<CImage8>;

tCImageList* tCImageList::NewFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    return NewLoaded<tCImageList>(name, stream, directory);
}

tCImageList8* tCImageList8::NewFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    return NewLoaded<tCImageList8>(name, stream, directory);
}
