#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzDecode.h"
#include "fuzz/FuzzFile.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/CSound.h"
#include "toolkit/core/CText.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/imaging/CGradient.h"
#include "toolkit/imaging/tCImageList.h"

// Reads the input as a resource file: the directory scan, then every resource through the
// reader of its kind, found by id through the directory and by name through the scan of the
// chunk headers.

namespace {

// An image list may name one image hundreds of times, and each is decoded: the images stay tiny.
constexpr int64_t kResourceImagePixels = int64_t(1) << 12;

bool HoldsLargeImage(const uint8_t* data, size_t size)
{
    for (size_t at = 0; at < size; ++at)
        if (DeclaresLargeImage(data + at, size - at, kResourceImagePixels))
            return true;
    return false;
}

void ReadResource(uint32_t tag, const tResourceEntry& entry, tCFile& file, CResourceDirectory& directory)
{
    switch (tag) {
    case CText::kType: {
        CText byId, byName;
        byId.LoadFromResourceId(entry.id, &file, &directory);
        byName.LoadFromResourceName(entry.name, &file, nullptr);
        break;
    }
    case CTextList::kType: {
        CTextList byId, byName;
        byId.LoadFromResourceId(entry.id, &file, &directory);
        byName.LoadFromResourceName(entry.name, &file, nullptr);
        break;
    }
    case CImageBase::kType: {
        CImage colour;
        CImage8 grey;
        colour.GetFromRes(entry.id, &file, &directory);
        grey.GetFromRes(entry.name, &file, nullptr);
        break;
    }
    case tCImageList::kType: {
        tCImageList list;
        list.LoadFromResourceId(entry.id, &file, &directory);
        delete tCImageList::NewFromResourceName(entry.name, &file, nullptr);
        break;
    }
    case tCImageList8::kType: {
        tCImageList8 list;
        list.LoadFromResourceId(entry.id, &file, &directory);
        delete tCImageList8::NewFromResourceName(entry.name, &file, nullptr);
        break;
    }
    case CSound::kType: {
        CSound byId, byName;
        byId.LoadFromResId(entry.id, &file, &directory);
        byName.LoadFromResName(entry.name, &file, nullptr);
        break;
    }
    case CGradient::kType: {
        CGradient byId(0xFF000000, 0xFFFFFFFF);
        if (byId.GetFromRes(entry.id, &file, &directory) == kResOk)
            byId.BuildLookupTable();
        delete CGradient::NewFromResourceName(entry.name, &file, nullptr);
        break;
    }
    default:
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ErrorBoxRecorder boxes;
    if (HoldsLargeImage(data, size))
        return 0;
    // The application holds the pools that sharing image lists fill; each input starts afresh.
    CApp application;
    const CFuzzFile input(data, size);
    tCFile file;
    if (!input.Open(&file))
        return 0;
    CResourceDirectory directory;
    directory.Read(&file);
    for (int32_t i = 0; i < directory.GetCount(); ++i) {
        const tResourceEntry& entry = directory.GetEntry(i);
        if (entry.position < 0 || uint64_t(entry.position) + 4 > size)
            __builtin_trap();
        ReadResource(uint32_t(LittleEndianAt(data, size_t(entry.position), 4, false)), entry, file, directory);
    }
    return 0;
}
