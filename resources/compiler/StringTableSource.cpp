#include "resources/compiler/StringTableSource.h"

#include "resources/compiler/SourceText.h"
#include "toolkit/core/ResourceFormat.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/core/tCStringTable.h"

namespace {

// A record's line as the compiler writes it: its units and CR LF.
tResult ReadRecordLine(tCStream& in, tCString* line, std::string* error)
{
    const tResult read = ReadStoredLine(in, line);
    if (read == kResFileInvalid)
        *error = "a text line not ended by CR LF";
    return read;
}

}  // namespace

tResult CompileStringTableSource(const std::string& source, tCStream& out, std::string* error)
{
    return CompileLines(
        source,
        [&](const std::string&, tStatement& line) {
            uint32_t id, second = 0;
            tCString name, text;
            if (!line.TakeU32(&id) || !line.TakeOption("second", &second) || !line.TakeLine(&name) ||
                !line.TakeLine(&text) || !line.Finish())
                return false;
            const tResult written = tCStringTable::WriteRecord(out, id, second, name, text);
            return written == kResOk || line.Fail(std::string("writing failed: ") + ResultText(written));
        },
        error);
}

tResult DumpStringTable(tCStream& in, std::string* source, std::string* error)
{
    source->clear();
    error->clear();
    TK_TRY(in.Rewind());
    for (int record = 0; !in.IsAtEnd(); ++record) {
        uint32_t id, second;
        tCString name, text;
        tResult result = in.ReadU32(&id);
        if (result == kResOk)
            result = in.ReadU32(&second);
        if (result == kResOk)
            result = ReadRecordLine(in, &name, error);
        if (result == kResOk)
            result = ReadRecordLine(in, &text, error);
        if (result != kResOk) {
            *error = "record " + std::to_string(record) + ": " + (error->empty() ? ResultText(result) : *error);
            return result;
        }
        *source += std::to_string(id) + (second ? " second=" + std::to_string(second) : "") + " " +
                   QuoteText(std::u16string(name.View())) + " " + QuoteText(std::u16string(text.View())) + "\n";
    }
    return kResOk;
}
