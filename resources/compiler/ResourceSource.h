#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "toolkit/core/ResultCodes.h"

class tCStream;

// The source of Resources/system.trf, one chunk a line:
//   vers 2
//   text <id> "<name>" "<text>"
//   txlt <id> "<name>" [exclusivity=<n>] ["<text>" ...]            (version 1 files)
//   txlt <id> "<name>" [exclusivity=<n>] [<id>:"<text>" ...]       (version 2 files)
//   imag <id> "<name>" png|bmp|jpg|psd "<image file>"
//   imlt <id> "<name>" [exclusivity=<n>] ["<image name>" ...]      (iml8 alike)
//   audi <id> "<name>" "<wav file>"
//   font <id> "<name>" "<font file>"
//   grad <id> "<name>" [#AARRGGBB@<position> ...]
//   <widget class> <id> "<name>"                                    (a widget resource)
//     <chunk tag> <payload>                                         (its chunks, indented)
//     + <widget class> <id> "<name>"                                (a child, its chunks below)
// A chunk's payload is a number (decimal, 0x hex or #AARRGGBB), a finite float, a quoted text,
// ["<name>" <class> ...] for 'hier', or the fields its schema names, "name=value" each, in any
// order and each once (the effect chunks: "shad slot=0 colour=#000000 radius=7 x=0 y=4
// opacity=160 clip=0 overlay=0"). Widgets
// and their chunks must be what the loaders read (toolkit/widgets/WidgetChunkSchema.h), and
// every name a widget gives must lead to a resource of the file.
// A file name is looked up in each of `folders` in turn. Without a vers line the file is version 1.

// Compiles a source into `out`; on failure `error` says which line and why.
tResult CompileResourceSource(const std::string& source, const std::vector<std::filesystem::path>& folders,
                              tCStream& out, std::string* error);

// Prints a resource file as source. The bytes of images, sounds and fonts are written to files
// "<type>-<chunk index>.<extension>" in `fileFolder`, which the source names as
// "<fileFolderName>/<file>" (relative to the source's own folder). Fails on anything the
// compiler would not write again byte for byte.
tResult DumpResourceFile(tCStream& in, const std::filesystem::path& fileFolder, const std::string& fileFolderName,
                         std::string* source, std::string* error);
