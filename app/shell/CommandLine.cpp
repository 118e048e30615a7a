#include "app/shell/CommandLine.h"

std::string QuotedCommandLine(int argc, const char* const* argv)
{
    if (argc < 2)
        return std::string();
    return '"' + std::string(argv[1]) + '"';
}
