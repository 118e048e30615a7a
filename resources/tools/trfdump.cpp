// trfdump INPUT OUTPUT: prints a compiled resource file or string table (".tsf") as source
// into OUTPUT. The images, sounds and fonts of a resource file go to the folder OUTPUT.files,
// which the source names relative to itself.
#include <cstdio>
#include <filesystem>
#include <string>

#include "resources/compiler/BinaryFiles.h"
#include "resources/compiler/ResourceSource.h"
#include "resources/compiler/StringTableSource.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/text/TextWidgets.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: trfdump INPUT OUTPUT\n");
        return 2;
    }
    RegisterTextWidgets();
    const std::filesystem::path inputPath = argv[1];
    const std::filesystem::path outputPath = argv[2];
    tCFile input;
    if (input.Open(tCFRef(tCString::FromAnsi(inputPath.string())), tCFile::kAccessRead) != kResOk) {
        std::fprintf(stderr, "trfdump: cannot open %s\n", argv[1]);
        return 1;
    }
    std::string source, error;
    tResult dumped;
    if (inputPath.extension() == ".tsf") {
        dumped = DumpStringTable(input, &source, &error);
    } else {
        const std::filesystem::path fileFolder = outputPath.string() + ".files";
        std::error_code ignored;
        std::filesystem::create_directories(fileFolder, ignored);
        dumped = DumpResourceFile(input, fileFolder, fileFolder.filename().string(), &source, &error);
        if (std::filesystem::is_empty(fileFolder, ignored))
            std::filesystem::remove(fileFolder, ignored);
    }
    if (dumped != kResOk) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    if (WriteBinaryFile(outputPath, source) != kResOk) {
        std::fprintf(stderr, "trfdump: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
