#pragma once

#include <string>

// The command line the application takes as one text (CHMRApp::SetUpApplication), made from the
// program's first argument in double quotes; the application takes off the one pair of quotes
// around the whole line, which gives the argument back exactly, whatever quotes or blanks its
// name holds. Further arguments (a file manager hands a whole selection) are left: joined to the
// first they would make one name that nobody gave.
std::string QuotedCommandLine(int argc, const char* const* argv);
