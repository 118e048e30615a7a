#include "toolkit/core/CText.h"

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"

tResult CText::LoadFromResourceId(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    tCStream* used;
    TK_TRY(LocateById(id, stream, directory, &used));
    return ReadData(*used);
}

tResult CText::LoadFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    tCStream* used;
    TK_TRY(LocateByName(name, stream, directory, &used));
    return ReadData(*used);
}

tResult CText::ReadData(tCStream& stream)
{
    tCString text;
    tResult result = stream.ReadLineW(text);
    if (result == kResOk)
        result = CheckWithinPayload(stream, GetDataEnd());
    if (result != kResOk) {
        ReportResult(kResResourceRead, "Error reading CText string.");
        return result;
    }
    m_text = std::move(text);
    return kResOk;
}

tResult CText::WriteData(tCStream& stream, const tCString& text)
{
    return WriteResourceLine(stream, text);
}
