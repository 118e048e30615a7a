#include "app/shell/CommandLine.h"

std::string QuotedCommandLine(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += '"';
        line += argv[i];
        line += '"';
    }
    return line;
}
