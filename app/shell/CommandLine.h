#pragma once

#include <string>

// The command line the application takes as one text (CHMRApp::SetUpApplication), made from the
// program's arguments: each in double quotes, separated by blanks. The application takes off the
// one pair of quotes around the whole line, which gives a single argument back exactly, whatever
// quotes or blanks its name holds.
std::string QuotedCommandLine(int argc, const char* const* argv);
