#include "resources/compiler/BinaryFiles.h"

#include <fstream>
#include <iterator>

#include "toolkit/core/CSafeFileWriter.h"

tResult ReadBinaryFile(const std::filesystem::path& path, std::string* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return kResFileOpen;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? kResFileIO : kResOk;
}

tResult WriteBinaryFile(const std::filesystem::path& path, const std::string& bytes)
{
    CSafeFileWriter writer;
    TK_TRY(writer.Begin(tCFRef(tCString::FromAnsi(path.string()))));
    TK_TRY(writer.GetFile().WriteBytes(bytes.data(), int64_t(bytes.size())));
    return writer.Commit();
}
