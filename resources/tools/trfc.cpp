// trfc SOURCE OUTPUT [FOLDER...]: compiles a resource source into OUTPUT, a string table when
// OUTPUT ends in ".tsf", else a resource file. File names in the source are relative to its
// folder or, when not found there, to the first FOLDER that holds them (files made by the build).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/compiler/BinaryFiles.h"
#include "resources/compiler/ResourceSource.h"
#include "resources/compiler/StringTableSource.h"
#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/text/TextWidgets.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: trfc SOURCE OUTPUT [FOLDER...]\n");
        return 2;
    }
    RegisterTextWidgets();
    const std::filesystem::path sourcePath = argv[1];
    const std::filesystem::path outputPath = argv[2];
    std::vector<std::filesystem::path> folders = {sourcePath.parent_path()};
    folders.insert(folders.end(), argv + 3, argv + argc);
    std::string source;
    if (ReadBinaryFile(sourcePath, &source) != kResOk) {
        std::fprintf(stderr, "trfc: cannot read %s\n", argv[1]);
        return 1;
    }
    CSafeFileWriter writer;
    if (writer.Begin(tCFRef(tCString::FromAnsi(outputPath.string()))) != kResOk) {
        std::fprintf(stderr, "trfc: cannot write %s\n", argv[2]);
        return 1;
    }
    std::string error;
    const tResult compiled = outputPath.extension() == ".tsf"
                                 ? CompileStringTableSource(source, writer.GetFile(), &error)
                                 : CompileResourceSource(source, folders, writer.GetFile(), &error);
    if (compiled != kResOk) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    if (writer.Commit() != kResOk) {
        std::fprintf(stderr, "trfc: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
