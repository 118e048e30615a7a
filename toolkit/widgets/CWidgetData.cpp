#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/WidgetFactory.h"

namespace {

// Counts the data blocks being read within one another, and the blocks one outermost load has
// read, so that a hierarchy naming itself, or fanning out beyond reason, ends with an error.
class CLoadScope {
public:
    CLoadScope()
    {
        if (s_depth == 0)
            s_loaded = 0;
        ++s_depth;
        ++s_loaded;
    }
    ~CLoadScope() { --s_depth; }
    CLoadScope(const CLoadScope&) = delete;
    CLoadScope& operator=(const CLoadScope&) = delete;

    bool Admitted() const { return s_depth <= CWidget::kMaxLoadDepth && s_loaded <= CWidget::kMaxLoadWidgets; }

private:
    static int32_t s_depth;
    static int32_t s_loaded;
};

int32_t CLoadScope::s_depth = 0;
int32_t CLoadScope::s_loaded = 0;

}  // namespace

const CWidget::tDataBlockTexts CWidget::kWidgetBlockTexts = {
    "Error reading widget data block size.", "Error setting widget memfile size",
    "Error reading widget data block.",      "Error rewinding widget data block.",
    "Error reading widget data chunk type.", "Error parsing widget data chunk type.",
    "Error constructing widget hierarchy.",
};

tResult CWidget::LoadFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory)
{
    tCStream* used;
    TK_TRY(LocateById(id, file, directory, &used));
    return ReadDataBlock(used);
}

tResult CWidget::LoadFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    tCStream* used;
    TK_TRY(LocateByName(name, file, directory, &used));
    return ReadDataBlock(used);
}

tResult CWidget::ReadDataBlock(tCStream* stream)
{
    CWidgetDataHolder holder;
    return ReadBlockWith(stream, &holder, kWidgetBlockTexts, [](CWidget* widget, uint32_t tag, tCStream* block,
                                                                CWidgetDataHolder* h) {
        return widget->ParseDataChunk(tag, block, h);
    });
}

tResult CWidget::ReadBlockWith(tCStream* stream, CWidgetDataHolder* holder, const tDataBlockTexts& texts,
                               tChunkParser parse)
{
    const CLoadScope scope;
    if (!scope.Admitted()) {
        ReportResult(kResResourceRead, "Widget hierarchy too deep or too large.");
        return kResResourceRead;
    }
    uint32_t size = 0;
    tResult result = stream->ReadU32(&size);
    if (result != kResOk) {
        ReportResult(kResResourceRead, texts.sizeUnread);
        return result;
    }
    // The block must lie within what the resource (or else the stream) holds, whatever its size
    // field says, before any memory is taken for it.
    const int64_t position = stream->GetPosition();
    const int64_t end = GetDataEnd() > position ? GetDataEnd() : stream->GetLength();
    if (position < 0 || int64_t(size) > end - position) {
        ReportResult(kResResourceRead, texts.blockUnread);
        return kResFileInvalid;
    }
    tCMemFile block;
    result = block.GrowBy(size);
    if (result != kResOk) {
        ReportResult(kResResourceRead, texts.memoryFailed);
        return result;
    }
    result = size ? stream->ReadBytes(block.GetData(), size) : kResOk;
    if (result != kResOk) {
        ReportResult(kResResourceRead, texts.blockUnread);
        return result;
    }
    if (!block.IsOpen()) {
        ReportResult(kResResourceRead, texts.rewindFailed);
        return kResFileInvalid;
    }
    for (;;) {
        uint32_t tag = 0;
        result = block.ReadU32(&tag);
        if (result != kResOk) {
            ReportResult(kResResourceRead, texts.tagUnread);
            return result;
        }
        // A tag with no payload at the very end is no chunk.
        if (block.IsAtEnd())
            break;
        result = parse(this, tag, &block, holder);
        if (result != kResOk) {
            ReportResult(kResResourceRead, texts.chunkFailed);
            return result;
        }
        if (block.IsAtEnd())
            break;
    }
    result = BuildHierarchy(holder, stream);
    if (result != kResOk)
        ReportResult(kResCreateFailed, texts.hierarchyFailed);
    return result;
}

tResult CWidget::BuildHierarchy(CWidgetDataHolder* holder, tCStream* stream)
{
    for (int32_t i = 0; i < holder->childNames.GetCount(); ++i) {
        const tCString& name = holder->childNames[i];
        if (!CreateWidgetFromHierarchy(name, holder->childTypes[i], this, stream)) {
            ReportResult(kResCreateFailed, name.ToAnsi().c_str());
            return kResResourceRead;
        }
    }
    return kResOk;
}
