#include "toolkit/widgets/WidgetDataText.h"

#include <string>

#include "toolkit/core/tCStream.h"

tResult ReadWidgetText(tCStream* stream, tCString* text)
{
    tCString line;
    TK_TRY(stream->ReadTextLineW(line));
    *text = line.IsEmpty() ? line : line.Left(line.GetLength() - 1);
    return kResOk;
}

tResult WriteWidgetText(tCStream* stream, const tCString& text)
{
    if (text.View().find(u'\0') != std::u16string_view::npos)
        return kResBadParam;
    const std::u16string units = std::u16string(text.View()) + u'\n' + u'\0';
    const std::string bytes = tCStream::LittleEndianUnits(units);
    return stream->WriteBytes(bytes.data(), int64_t(bytes.size()));
}
