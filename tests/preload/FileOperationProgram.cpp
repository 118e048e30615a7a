// Does one of the platform's file operations as the program does them, for tests that run it in
// surroundings of their own:
//   save TARGET TEXT   writes TEXT as the whole of TARGET
//   copy FROM TO       copies FROM to TO, which must be free
//   move FROM TO       moves FROM to TO, which must be free
// Exits with 0, or with why it failed: errno for a save, the Win32 error for a copy or a move.
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/TextCodec.h"

int main(int argc, char** argv)
{
    if (argc != 4)
        return 255;
    const std::string_view operation = argv[1];
    const std::u16string from = w32::ToWide(argv[2]), to = w32::ToWide(argv[3]);
    if (operation == "save")
        return w32::WriteFileReplacing(argv[2], argv[3], std::strlen(argv[3])) ? 0 : errno;
    if (operation == "copy")
        return w32::CopyFileW(from.c_str(), to.c_str(), 1) ? 0 : int(w32::GetLastError());
    if (operation == "move")
        return w32::MoveFileW(from.c_str(), to.c_str()) ? 0 : int(w32::GetLastError());
    return 255;
}
