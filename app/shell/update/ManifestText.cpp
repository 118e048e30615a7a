#include "app/shell/update/ManifestText.h"

#include <string>

#include "toolkit/core/PathText.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/net/HTTPText.h"

namespace {

bool StartsWith(const unsigned char* data, int64_t size, std::string_view prefix)
{
    return size >= int64_t(prefix.size()) && std::string_view(reinterpret_cast<const char*>(data), prefix.size()) == prefix;
}

tResult AddPieces(const tCString& text, tCStringArray& lines)
{
    tCStringArray pieces;
    text.Split(pieces, u'\n');
    for (tCString& piece : pieces) {
        piece.Trim(kManifestBlanks);
        if (!piece.IsEmpty())
            TK_TRY(lines.Add(piece));
    }
    return kResOk;
}

bool IsControlCharacter(char16_t unit)
{
    return (unit < 0x20 && unit != u'\t' && unit != u'\r') || unit == 0x7F;
}

bool IsUnreserved(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

}  // namespace

tResult ReadManifestLines(tCMemFile& body, tCStringArray& lines)
{
    const bool wide = StartsWith(body.GetData(), body.GetSize(), "\xFF\xFE");
    int64_t start = 0;
    if (wide)
        start = 2;
    else if (StartsWith(body.GetData(), body.GetSize(), "\xEF\xBB\xBF"))
        start = 3;
    body.SetNarrowText(wide ? 0 : 1);
    TK_TRY(body.SetPosition(start));
    while (!body.IsAtEnd()) {
        const int64_t before = body.GetPosition();
        tCString text;
        // Without a NUL after it, the last line comes with 16 and the position at the end.
        const tResult read = body.ReadTextLineW(text);
        if ((read != kResOk && read != kResFileIO) || body.GetPosition() == before)
            break;
        text.Trim(kManifestBlanks);
        if (!text.IsEmpty())
            TK_TRY(AddPieces(text, lines));
    }
    return kResOk;
}

bool IsReadableManifest(const tCStringArray& lines)
{
    if (lines.GetCount() == 0 || lines[0].GetAt(0) != u'*')
        return false;
    for (const tCString& line : lines) {
        for (const char16_t unit : line.View())
            if (IsControlCharacter(unit))
                return false;
    }
    return true;
}

tCString MakeDownloadAddress(const tCString& host, const tCString& name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char byte : name.ToAnsi()) {
        const unsigned char value = static_cast<unsigned char>(byte);
        if (IsUnreserved(value)) {
            encoded += byte;
        } else {
            encoded += '%';
            encoded += kHex[value >> 4];
            encoded += kHex[value & 15];
        }
    }
    return tCString(u"http://").Concat(host).Concat(u"/").Concat(tCString::FromAnsi(encoded));
}

bool IsWebAddress(const tCString& text)
{
    const tCString lower = LowerCasedAscii(text);
    const std::u16string_view view = lower.View();
    const size_t scheme = view.starts_with(u"http://") ? 7 : view.starts_with(u"https://") ? 8 : 0;
    return scheme > 0 && view.size() > scheme && view.find(u' ') == std::u16string_view::npos &&
           IsSafeHeaderText(text);
}
