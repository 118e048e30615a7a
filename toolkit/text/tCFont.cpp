#include "toolkit/text/tCFont.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <new>
#include <string>

#include "platform/RegularFiles.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCStream.h"

namespace {

// Rounds to the nearest integer, halves to even; false for values FreeType cannot take.
bool RoundSize(double value, FT_F26Dot6* out)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= 0.0 && rounded <= double(INT32_MAX)))
        return false;
    *out = FT_F26Dot6(rounded);
    return true;
}

unsigned long ReadFontFile(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count)
{
    // A read of nothing is a seek, which answers non-zero past the end.
    if (count == 0)
        return offset > stream->size ? 1 : 0;
    unsigned long done = 0;
    while (done < count) {
        const ssize_t got = pread(int(stream->descriptor.value), buffer + done, count - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += (unsigned long)got;
    }
    return done;
}

void CloseFontFile(FT_Stream stream)
{
    close(int(stream->descriptor.value));
    delete stream;
}

// Opens the face of an installed font file through a stream of ours, which FreeType closes with
// the face or on failure: FreeType's own open of a name would wait for good on a pipe.
FT_Error OpenFontFile(const std::string& file, FT_Face* face)
{
    struct stat status;
    const int descriptor = w32::OpenRegularFile(file, O_RDONLY, &status);
    if (descriptor < 0)
        return FT_Err_Cannot_Open_Resource;
    auto* stream = new (std::nothrow) FT_StreamRec();
    if (!stream) {
        close(descriptor);
        return FT_Err_Out_Of_Memory;
    }
    stream->size = (unsigned long)status.st_size;
    stream->descriptor.value = descriptor;
    stream->read = ReadFontFile;
    stream->close = CloseFontFile;
    FT_Open_Args args = {};
    args.flags = FT_OPEN_STREAM;
    args.stream = stream;
    return FT_Open_Face(GetFreeTypeLibrary(), &args, 0, face);
}

}  // namespace

tCFont::tCFont() : tCResourceObject(kType), m_kerning(CompareKerning) {}

tCFont::~tCFont()
{
    ReleaseFace();
}

tResult tCFont::FindFont(const tCString& name, tCFont** font)
{
    CAppBase* application = GetApplication();
    if (!GetFreeTypeLibrary() || !application)
        return kResCreateFailed;
    const auto pooled = [&] { return static_cast<tCFont*>(application->FindResourceByName(kFontPool, name)); };
    if ((*font = pooled()))
        return kResOk;
    if (LoadResourceFontByName(name, nullptr, nullptr) == kResOk) {
        *font = pooled();
        return *font ? kResOk : kResResourceNotFound;
    }
    TK_TRY(LoadSystemFont(name, 0));
    *font = pooled();
    return *font ? kResOk : kResCreateFailed;
}

tResult tCFont::GetFromRes(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    return Load(stream, directory, [&](tCStream* in, CResourceDirectory* index, tCStream** used) {
        return LocateByName(name, in, index, used);
    });
}

tResult tCFont::GetFromRes(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    return Load(stream, directory, [&](tCStream* in, CResourceDirectory* index, tCStream** used) {
        return LocateById(id, in, index, used);
    });
}

template <typename TLocate>
tResult tCFont::Load(tCStream* stream, CResourceDirectory* directory, TLocate locate)
{
    ReleaseFace();
    // Fonts read the second opening of the resource file, whose position no other load moves.
    CAppBase* application = GetApplication();
    if (application && (!stream || stream == application->GetResourceFile() ||
                        stream == application->GetSecondResourceFile())) {
        stream = application->GetSecondResourceFile();
        directory = application->GetSecondResourceDirectory();
        if (directory->GetCount() == 0)
            directory = nullptr;
    }
    if (!stream)
        return kResBadParam;
    tCStream* used = nullptr;
    TK_TRY(locate(stream, directory, &used));
    return ReadFace(*used);
}

tResult tCFont::ReadFace(tCStream& stream)
{
    uint32_t count = 0;
    tResult result = stream.ReadU32(&count);
    if (result != kResOk) {
        ReportResult(kResResourceRead, "Font load size failed.");
        return result;
    }
    // The count is checked against the resource's own bytes before anything is sized by it.
    if (int64_t(count) > GetDataEnd() - stream.GetPosition()) {
        ReportResult(kResResourceRead, "Font failed to load from resources.");
        return kResFileInvalid;
    }
    if (m_fontData.Resize(int32_t(count)) != kResOk) {
        ReportResult(kResNoMemory, "Not enough memory to load font");
        return kResNoMemory;
    }
    if (count > 0 && (result = stream.ReadBytes(m_fontData.GetData(), count)) != kResOk) {
        ReportResult(kResResourceRead, "Font failed to load from resources.");
        m_fontData.Free();
        return result;
    }
    if (FT_New_Memory_Face(GetFreeTypeLibrary(), m_fontData.GetData(), FT_Long(count), 0, &m_face) != FT_Err_Ok) {
        m_face = nullptr;
        m_fontData.Free();
        ReportResult(kResCreateFailed, "Font failed to create from loaded resources.");
        return kResCreateFailed;
    }
    return kResOk;
}

tResult tCFont::SetCharSize(float points, float widthFactor)
{
    if (!m_face)
        return kResCreateFailed;
    if (points == m_pointSize && widthFactor == m_widthFactor) {
        m_pixelSize = -1;
        return kResOk;
    }
    m_glyphCache.reset();
    FT_F26Dot6 width = 0, height = 0;
    if (!RoundSize(double(points) * widthFactor * 64.0, &width) || !RoundSize(double(points) * 64.0, &height) ||
        FT_Set_Char_Size(m_face, width, height, 72, 72) != FT_Err_Ok) {
        // The face's size is unknown now: the next request asks FreeType again.
        m_pointSize = -1.0f;
        m_pixelSize = -1;
        return kResCreateFailed;
    }
    m_pointSize = points;
    m_widthFactor = widthFactor;
    m_pixelSize = -1;
    return kResOk;
}

tResult tCFont::SetPixelSizes(int32_t pixels, float widthFactor)
{
    if (!m_face)
        return kResCreateFailed;
    if (pixels == m_pixelSize && widthFactor == m_widthFactor) {
        m_pointSize = -1.0f;
        return kResOk;
    }
    m_glyphCache.reset();
    FT_F26Dot6 width = 0;
    if (pixels < 0 || !RoundSize(double(pixels) * widthFactor, &width) ||
        FT_Set_Pixel_Sizes(m_face, FT_UInt(width), FT_UInt(pixels)) != FT_Err_Ok) {
        m_pointSize = -1.0f;
        m_pixelSize = -1;
        return kResCreateFailed;
    }
    m_pixelSize = pixels;
    m_widthFactor = widthFactor;
    m_pointSize = -1.0f;
    return kResOk;
}

int32_t tCFont::CompareKerning(const tKerningKey& key, const CKerning& entry, void*)
{
    if (key.left != entry.left)
        return key.left > entry.left ? -1 : 1;
    if (key.right != entry.right)
        return key.right > entry.right ? -1 : 1;
    return 0;
}

tResult tCFont::GetKerning(FT_Face face, uint32_t left, uint32_t right, int32_t* value) const
{
    const int32_t index = m_kerning.Find(tKerningKey{left, right});
    if (index < 0)
        return kResFailure;
    const FT_Pos scaled = FT_MulFix(m_kerning[index].value, face->size->metrics.x_scale);
    *value = int32_t((scaled + 32) & ~FT_Pos(63));
    return kResOk;
}

tResult tCFont::AddKerning(const CKerning& pair)
{
    return m_kerning.Insert(pair, tKerningKey{pair.left, pair.right});
}

void tCFont::ReleaseFace()
{
    m_glyphCache.reset();
    if (m_face)
        FT_Done_Face(m_face);
    m_face = nullptr;
    m_fontData.Free();
    m_pointSize = -1.0f;
    m_widthFactor = 1.0f;
    m_pixelSize = -1;
    m_kerning.RemoveAll();
}

void tCFont::SetFace(FT_Face face)
{
    ReleaseFace();
    m_face = face;
}

CGlyphCache* tCFont::GetGlyphCache(bool make)
{
    if (!m_glyphCache && make && m_face)
        m_glyphCache = CGlyphCache::Make();
    return m_glyphCache.get();
}

tResult LoadResourceFontByName(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    CAppBase* application = GetApplication();
    if (!application)
        return kResCreateFailed;
    std::unique_ptr<tCFont> font(new (std::nothrow) tCFont);
    if (!font)
        return kResNoMemory;
    TK_TRY(font->GetFromRes(name, stream, directory));
    TK_TRY(application->AddResourceToPool(kFontPool, font.get()));
    font.release();
    return kResOk;
}

namespace {

// The machine's font list names each installed family "<family> (TrueType)" with the absolute
// path of its regular face; the system has no fonts folder to join it to.
const char16_t kFontsKey[] = u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

tResult FindFontFile(CAppBase& application, const tCString& name, tCString* path)
{
    const tCString key(kFontsKey);
    if (application.ReadMachinePrefString(key, name.Concat(tCString(u" (TrueType)")), *path) == kResOk ||
        application.ReadMachinePrefString(key, tCString(u"Arial (TrueType)"), *path) == kResOk)
        return kResOk;
    // Debian has no Arial; its own sans face stands in.
    return application.ReadMachinePrefString(key, tCString(u"DejaVu Sans (TrueType)"), *path);
}

}  // namespace

tResult LoadSystemFont(const tCString& name, uint32_t id)
{
    CAppBase* application = GetApplication();
    if (!GetFreeTypeLibrary() || !application)
        return kResCreateFailed;
    tCString path;
    TK_TRY(FindFontFile(*application, name, &path));
    FT_Face face = nullptr;
    std::string file;
    if (!path.ToFileName(&file) || OpenFontFile(file, &face) != FT_Err_Ok)
        return kResCreateFailed;
    std::unique_ptr<tCFont> font(new (std::nothrow) tCFont);
    if (!font) {
        FT_Done_Face(face);
        return kResNoMemory;
    }
    // The font owns the face from here, so a refused font takes its face with it.
    font->SetFace(face);
    font->SetId(id);
    font->SetName(name);
    if (application->AddResourceToPool(kFontPool, font.get()) != kResOk)
        return kResCreateFailed;
    font.release();
    return kResOk;
}
