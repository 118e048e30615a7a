#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/FuzzFile.h"
#include "resources/compiler/StringTableSource.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/core/tCStringTable.h"

// Reads the input as the string table and asks for every text's alternatives; then prints it as
// source, and a source the dumper answers for must compile to the very bytes it read.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CFuzzFile input(data, size);
    tCFile file;
    if (!input.Open(&file))
        return 0;
    tCStringTable table;
    table.LoadStringTable(&file);
    for (int32_t i = 0; i < table.GetCount(); ++i)
        for (int32_t alternative = -1; alternative < 4; ++alternative) {
            tCString text;
            table.GetString(text, table.GetIdAt(i), alternative);
        }

    tCFile again;
    std::string source, error;
    if (!input.Open(&again) || DumpStringTable(again, &source, &error) != kResOk)
        return 0;
    tCMemFile compiled;
    if (CompileStringTableSource(source, compiled, &error) != kResOk || size_t(compiled.GetSize()) != size ||
        (size > 0 && std::memcmp(compiled.GetData(), data, size) != 0))
        __builtin_trap();
    return 0;
}
