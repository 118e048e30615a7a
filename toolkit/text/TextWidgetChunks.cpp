#include "toolkit/text/TextWidgetChunks.h"

#include <string>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/FourCC.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/widgets/WidgetDataText.h"

tResult ReportTextChunk(tResult result, uint32_t tag, const char* message)
{
    if (result != kResOk)
        ReportResult(kResResourceRead, message ? message : ("TxWidget " + FourCCText(tag) + ".").c_str());
    return result;
}

tResult ReadTextChunkInt(tCStream* block, uint32_t tag, int32_t* value, const char* message)
{
    return ReportTextChunk(block->ReadI32(value), tag, message);
}

tResult ReadTextChunkLine(tCStream* block, uint32_t tag, tCString* text)
{
    return ReportTextChunk(ReadWidgetText(block, text), tag);
}

tResult ReadTextChunkSize(tCStream* block, uint32_t tag, float* value)
{
    TK_TRY(ReportTextChunk(block->ReadFloat(value), tag));
    if (*value >= 1.0f && *value <= 1000.0f)
        return kResOk;
    return ReportTextChunk(kResFileInvalid, tag);
}

int32_t JustificationFromText(const tCString& text)
{
    if (text == u"right")
        return 1;
    if (text == u"centre" || text == u"center")
        return 2;
    return 0;
}
