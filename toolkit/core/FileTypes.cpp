#include "toolkit/core/FileTypes.h"

#include "toolkit/core/FourCC.h"
#include "toolkit/core/PathText.h"

namespace {

struct FileTypeRow {
    const char16_t* name;
    const char16_t* extension;
    uint32_t code;
};

const FileTypeRow kCatalogue[kFileTypeCount] = {
    {u"", u"", kUnknownFourCC},
    {u"All Files (*.*)", u".*", kUnknownFourCC},
    {u"Image Files Flag.", u"", 0},
    {u"BMP Image (*.bmp)", u".bmp", MakeFourCC("BMP ")},
    {u"JPEG Image (*.jpg)", u".jpg", MakeFourCC("JPEG")},
    {u"PNG Image (*.png)", u".png", MakeFourCC("PNGf")},
    {u"Photoshop PSD (*.psd)", u".psd", MakeFourCC("8BPS")},
    {u"Last Image File Flag.", u"", 0},
    {u"Text Files Flag", u"", 0},
    {u"Text File (*.txt)", u".txt", MakeFourCC("TEXT")},
    {u"Header File (*.h)", u".h", MakeFourCC("TEXT")},
    {u"PDF File (*.pdf)", u".pdf", MakeFourCC("PDF ")},
    {u"Last Text File Flag.", u"", 0},
    {u"Tessel Files Flag.", u"", 0},
    {u"Tessel Res File (*.trf)", u".trf", MakeFourCC("TRES")},
    {u"Tessel Res Script (*.txt)", u".txt", MakeFourCC("TEXT")},
    {u"Last Tessel File Flag.", u"", 0},
    {u"Audio Files Flag", u"", 0},
    {u"WAV Audio (*.wav)", u".wav", MakeFourCC(".WAV")},
    {u"Last Audio File Flag.", u"", 0},
    {u"Group Types Flag", u"", 0},
    {u"All Image Files.", u".bmp,.jpg,.png,.psd", MakeFourCC("JPEG")},
    {u"Last Group Types Flag", u"", 0},
    {u"Unknown File Type.", u"", kUnknownFourCC},
    {u"Last Type Index.", u"", 0},
    {u"Num Types Index.", u"", 0},
};

// Ids above this one are never matched by extension.
constexpr uint32_t kLastMatchedId = 22;

int32_t FindByExtension(const tCString& extension)
{
    tCString wanted(extension.View());
    if (!wanted.IsEmpty() && wanted.GetAt(0) != u'.')
        wanted.InsertChar(u'.', 0);
    wanted = UpperCasedAscii(wanted);
    for (uint32_t id = 0; id <= kLastMatchedId; ++id)
        if (UpperCasedAscii(tCString(kCatalogue[id].extension)) == wanted)
            return int32_t(id);
    return -1;
}

}  // namespace

tCString FileTypeName(uint32_t id)
{
    return tCString(id < kFileTypeCount ? kCatalogue[id].name : u"");
}

tCString FileTypeExtension(uint32_t id)
{
    return tCString(id < kFileTypeCount ? kCatalogue[id].extension : u"");
}

uint32_t FileTypeCode(uint32_t id)
{
    return id < kFileTypeCount ? kCatalogue[id].code : 0;
}

uint32_t FileTypeIdForExtension(const tCString& extension)
{
    const int32_t id = FindByExtension(extension);
    return id < 0 ? kFileTypeNone : uint32_t(id);
}

uint32_t FileTypeCodeForExtension(const tCString& extension)
{
    const int32_t id = FindByExtension(extension);
    return id < 0 ? kUnknownFourCC : kCatalogue[id].code;
}
