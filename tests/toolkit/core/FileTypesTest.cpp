#include <gtest/gtest.h>

#include <string>

#include "toolkit/core/FileTypes.h"
#include "toolkit/core/FourCC.h"
#include "toolkit/core/tCFTypeList.h"

namespace {

// A literal with embedded NULs, all of its units but the implicit terminator.
template <size_t N>
std::u16string Units(const char16_t (&text)[N])
{
    return std::u16string(text, N - 1);
}

std::u16string Filter(const tCFTypeList& list)
{
    char16_t buffer[4096];
    EXPECT_EQ(list.BuildFilter(buffer, 4096), kResOk);
    // The filter ends at the first empty string.
    size_t end = 0;
    while (buffer[end] != 0)
        end += std::u16string_view(buffer + end).size() + 1;
    return std::u16string(buffer, end + 1);
}

TEST(FileTypes, ExtensionsAreLookedUpWithoutRegardToCase)
{
    for (const char16_t* text : {u"png", u".png", u".PNG"}) {
        EXPECT_EQ(FileTypeIdForExtension(tCString(text)), kFileTypePng);
        EXPECT_EQ(FileTypeCodeForExtension(tCString(text)), MakeFourCC("PNGf"));
    }
    EXPECT_EQ(FileTypeIdForExtension(tCString(u"bmp")), kFileTypeBmp);
    EXPECT_EQ(FileTypeCodeForExtension(tCString(u".BMP")), 0x424D5020u);
    EXPECT_EQ(FileTypeIdForExtension(tCString(u".txt")), kFileTypeText);
    EXPECT_EQ(FileTypeIdForExtension(tCString(u".jpeg")), kFileTypeNone);
    EXPECT_EQ(FileTypeCodeForExtension(tCString(u".jpeg")), kUnknownFourCC);
    EXPECT_EQ(FileTypeIdForExtension(tCString(u"")), kFileTypeNone);
    EXPECT_EQ(FileTypeCodeForExtension(tCString(u"")), kUnknownFourCC);
    EXPECT_EQ(FileTypeIdForExtension(tCString(u".bmp,.jpg,.png,.psd")), kFileTypeAllImages);
    EXPECT_EQ(FileTypeCodeForExtension(tCString(u".wav")), MakeFourCC(".WAV"));
    EXPECT_EQ(FileTypeIdForExtension(tCString(u"trf")), kFileTypeResourceFile);
}

TEST(tCFTypeList, FiltersPairNamesWithPatterns)
{
    tCFTypeList images;
    EXPECT_EQ(images.AddTypeGroup(kFileTypeImageGroup), kResOk);
    images.AddTypes({kFileTypeAllImages, kFileTypeLastIndex});
    const std::u16string expected = Units(
        u"BMP Image (*.bmp)\0*.bmp\0JPEG Image (*.jpg)\0*.jpg\0PNG Image (*.png)\0*.png\0"
        u"Photoshop PSD (*.psd)\0*.psd\0All Image Files.\0*.bmp;*.jpg;*.png;*.psd\0"
        u"All Files (*.*)\0*.*\0\0");
    EXPECT_EQ(Filter(images), expected);

    tCFTypeList empty;
    EXPECT_EQ(Filter(empty), Units(u"All Files (*.*)\0*.*\0\0"));
    empty.SetIncludeAllFiles(false);
    EXPECT_EQ(Filter(empty), std::u16string(1, u'\0'));

    tCFTypeList custom;
    custom.AddCustomType(25, tCString(u"Paintings"), tCString(u".bmp, .jpg"), MakeFourCC("KPTG"));
    EXPECT_EQ(Filter(custom), Units(u"Paintings\0*.bmp;* .jpg\0All Files (*.*)\0*.*\0\0"));

    char16_t small[20];
    EXPECT_EQ(images.BuildFilter(small, 20), kResBufferOverrun);
}

TEST(tCFTypeList, PositionsCountEntriesThenIdsThenAllFiles)
{
    tCFTypeList list;
    list.AddCustomType(3, tCString(u"Mine"), tCString(u".mine"), 0);
    list.AddTypes({kFileTypeBmp, kFileTypePng, kFileTypeLastIndex, kFileTypePsd});
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.IndexOfType(kFileTypeBmp), 0);
    EXPECT_EQ(list.IndexOfType(kFileTypePng), 2);
    EXPECT_EQ(list.IndexOfType(kFileTypePsd), -1);
    EXPECT_EQ(list.IndexOfType(kFileTypeAllFiles), 3);
    EXPECT_EQ(list.IndexOfType(-1), 3);
    EXPECT_EQ(list.GetTypeAt(1), kFileTypeBmp);
    EXPECT_EQ(list.GetTypeAt(3), kFileTypeAllFiles);
    EXPECT_EQ(list.GetTypeAt(40), kFileTypeAllFiles);
    EXPECT_EQ(list.GetTypeAt(-1), kFileTypeAllFiles);
    EXPECT_EQ(std::u16string(list.GetExtensionAt(0).View()), u".mine");
    EXPECT_EQ(std::u16string(list.GetExtensionAt(2).View()), u".png");
    EXPECT_EQ(std::u16string(list.GetExtensionAt(3).View()), u"");

    tCFTypeList groups;
    for (uint32_t notAGroup : {kFileTypeGroupTypes, kFileTypeBmp, kFileTypeNone})
        EXPECT_EQ(groups.AddTypeGroup(notAGroup), kResBadParam);
    EXPECT_EQ(groups.GetCount(), 0);
    EXPECT_EQ(groups.AddTypeGroup(kFileTypeAudioGroup), kResOk);
    EXPECT_EQ(groups.GetCount(), 1);
    EXPECT_EQ(groups.GetTypeAt(0), kFileTypeWav);
    groups.AddTypes({kFileTypeLastIndex, kFileTypeBmp});
    EXPECT_EQ(groups.GetCount(), 1);
}

}  // namespace
