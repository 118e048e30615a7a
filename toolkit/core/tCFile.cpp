#include "toolkit/core/tCFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/RegularFiles.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCFPath.h"

namespace {

// The file-system name of a path; empty when the text cannot name a file.
std::string FileSystemName(const tCFPath& path)
{
    std::string name;
    return path.GetPathText().ToFileName(&name) ? name : std::string();
}

// A stream over the regular file `name` opened with `flags`; null for anything else.
FILE* OpenStream(const std::string& name, int flags, const char* mode)
{
    const int descriptor = w32::OpenRegularFile(name, flags);
    if (descriptor < 0)
        return nullptr;
    FILE* file = fdopen(descriptor, mode);
    if (!file)
        close(descriptor);
    return file;
}

bool IsFolder(FILE* file)
{
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

tCFile::~tCFile()
{
    Close();
}

tResult tCFile::Open(const tCFPath& path, int32_t access)
{
    return OpenPath(path, access, false);
}

tResult tCFile::OpenOrCreate(const tCFPath& path, int32_t access)
{
    return OpenPath(path, access, true);
}

tResult tCFile::OpenPath(const tCFPath& path, int32_t access, bool create)
{
    if (!path.HasText())
        return kResBadParam;
    TK_TRY(Close());
    int flags;
    const char* mode;
    switch (access) {
    case kAccessReadWrite: flags = create ? O_RDWR | O_CREAT : O_RDWR; mode = "rb+"; break;
    case kAccessRead: flags = O_RDONLY; mode = "rb"; break;
    case kAccessWrite: flags = O_WRONLY | O_CREAT | O_TRUNC; mode = "wb"; break;
    case kAccessAppend: flags = O_WRONLY | O_CREAT | O_APPEND; mode = "ab"; break;
    default:
        ReportResult(kResBadParam, "Unknown Access state passed to tCFile.");
        return kResBadParam;
    }
    const std::string name = FileSystemName(path);
    if (name.empty())
        return kResFileOpen;
    // Only a regular file is opened, without waiting: a pipe would hold the program up, and a
    // device or a folder holds nothing a reader can take.
    return Attach(OpenStream(name, flags, mode));
}

tResult tCFile::AdoptDescriptor(int descriptor)
{
    if (descriptor < 0)
        return kResBadParam;
    if (Close() != kResOk) {
        close(descriptor);
        return kResFileClose;
    }
    FILE* file = fdopen(descriptor, "rb+");
    if (!file)
        close(descriptor);
    return Attach(file);
}

tResult tCFile::Attach(FILE* file)
{
    if (!file)
        return kResFileOpen;
    if (IsFolder(file)) {
        fclose(file);
        return kResFileOpen;
    }
    m_file = file;
    m_lastAccess = LastAccess::kNone;
    m_length = -1;
    // Each file states its own byte order; a mark seen in the previous file says nothing here.
    m_byteSwapped = 0;
    return kResOk;
}

tResult tCFile::Close()
{
    if (!m_file)
        return kResOk;
    // The stream is gone after fclose whatever it answers, so the handle is never kept.
    const int closed = fclose(m_file);
    m_file = nullptr;
    m_length = -1;
    return closed == 0 ? kResOk : kResFileClose;
}

tResult tCFile::Sync()
{
    if (!m_file)
        return kResFileInvalid;
    return (fflush(m_file) == 0 && fsync(fileno(m_file)) == 0) ? kResOk : kResFileIO;
}

size_t tCFile::RawRead(void* buffer, size_t count, bool* failed)
{
    if (m_lastAccess == LastAccess::kWrite && fflush(m_file) != 0) {
        *failed = true;
        return 0;
    }
    m_lastAccess = LastAccess::kRead;
    const size_t got = count ? fread(buffer, 1, count, m_file) : 0;
    *failed = got < count && ferror(m_file);
    clearerr(m_file);
    return got;
}

bool tCFile::RawWrite(const void* buffer, size_t count)
{
    if (m_lastAccess == LastAccess::kRead && fseeko(m_file, 0, SEEK_CUR) != 0)
        return false;
    m_lastAccess = LastAccess::kWrite;
    m_length = -1;
    const bool whole = fwrite(buffer, 1, count, m_file) == count;
    clearerr(m_file);
    return whole;
}

tResult tCFile::ReadFixed(void* value, size_t size)
{
    if (!m_file)
        return kResFileInvalid;
    bool failed;
    // A value cut short by the end of the file is no value: the short read is a failure.
    return RawRead(value, size, &failed) == size ? kResOk : kResFileIO;
}

tResult tCFile::ReadAvailable(void* buffer, int64_t count, int64_t* got)
{
    *got = 0;
    if (!m_file)
        return kResFileInvalid;
    if (count < 0)
        return kResBadParam;
    bool failed;
    *got = int64_t(RawRead(buffer, size_t(count), &failed));
    return failed ? kResFileIO : kResOk;
}

tResult tCFile::ReadBytes(void* buffer, int64_t count)
{
    if (!m_file)
        return kResFileInvalid;
    if (count < 0 || (!buffer && count > 0))
        return kResBadParam;
    bool failed;
    const size_t got = RawRead(buffer, size_t(count), &failed);
    return (failed || (got == 0 && count > 0)) ? kResFileIO : kResOk;
}

tResult tCFile::ReadBlock(void* buffer, int64_t count, int64_t* read)
{
    *read = 0;
    if (!m_file || count < 0 || (!buffer && count > 0))
        return kResBadParam;
    bool failed;
    *read = int64_t(RawRead(buffer, size_t(count), &failed));
    return failed ? kResFileIO : kResOk;
}

tResult tCFile::ReadBuffer(void* buffer, int64_t count)
{
    int64_t read;
    return ReadBlock(buffer, count, &read);
}

tResult tCFile::WriteBytes(const void* buffer, int64_t count)
{
    if (!m_file)
        return kResFileInvalid;
    return WriteBuffer(buffer, count);
}

tResult tCFile::WriteBuffer(const void* buffer, int64_t count)
{
    if (!m_file || count < 0 || (!buffer && count > 0))
        return kResBadParam;
    return RawWrite(buffer, size_t(count)) ? kResOk : kResFileIO;
}

tResult tCFile::Rewind()
{
    if (!m_file)
        return kResFileInvalid;
    return SetPosition(0);
}

tResult tCFile::SeekToEnd()
{
    if (!m_file)
        return kResFileInvalid;
    return SetPosition(GetLength());
}

tResult tCFile::GetPosition64(uint64_t* position)
{
    if (!m_file)
        return kResFileInvalid;
    const off_t at = ftello(m_file);
    if (at < 0)
        return kResFileIO;
    *position = uint64_t(at);
    return kResOk;
}

tResult tCFile::SetPosition(int64_t position)
{
    if (!m_file)
        return kResFileInvalid;
    if (position < 0)
        return kResBadParam;
    if (fseeko(m_file, off_t(position), SEEK_SET) != 0)
        return kResFileIO;
    m_lastAccess = LastAccess::kNone;
    return kResOk;
}

bool tCFile::IsAtEnd()
{
    if (!m_file)
        return true;
    const int64_t position = GetPosition();
    return position < 0 || position >= GetLength();
}

int64_t tCFile::GetLength()
{
    if (!m_file)
        return 0;
    if (m_length < 0) {
        if (m_lastAccess == LastAccess::kWrite && fflush(m_file) != 0)
            return 0;
        struct stat status;
        if (fstat(fileno(m_file), &status) != 0)
            return 0;
        m_length = int64_t(status.st_size);
    }
    return m_length;
}

// Gathers one line from the position, block by block: it ends after a CR or LF (taking the
// second unit of a CR LF or LF CR pair too), at a NUL, or at the end of the file. The first
// terminator unit stays in the line. UTF-16 lines drop byte-order marks and store CR as LF.
template <typename Unit>
tResult tCFile::GatherLine(std::basic_string<Unit>& line, int64_t* consumed, bool* ended)
{
    constexpr bool kWide = sizeof(Unit) == 2;
    *consumed = 0;
    *ended = false;
    Unit previous = 0;
    unsigned char block[kWide ? 2048 : 1024];
    while (!*ended) {
        int64_t got;
        TK_TRY(ReadBlock(block, sizeof block, &got));
        for (int64_t i = 0; i + int64_t(sizeof(Unit)) <= got; i += sizeof(Unit)) {
            Unit unit = block[i];
            if constexpr (kWide)
                unit = Unswap(char16_t(block[i] | block[i + 1] << 8));
            if (previous == Unit('\r') || previous == Unit('\n')) {
                *ended = true;
                if ((previous == Unit('\r') && unit == Unit('\n')) || (previous == Unit('\n') && unit == Unit('\r')))
                    ++*consumed;
                break;
            }
            ++*consumed;
            if constexpr (kWide) {
                if (TakeByteOrderMark(unit))
                    continue;
            }
            if (unit == 0) {
                *ended = true;
                break;
            }
            line += (kWide && unit == Unit('\r')) ? Unit('\n') : unit;
            previous = unit;
        }
        if (got < int64_t(sizeof block))
            break;
    }
    return kResOk;
}

tResult tCFile::ReadTextLine(tCString& text)
{
    TK_TRY(CheckCanRead());
    const int64_t start = GetPosition();
    // The bytes of the whole line are converted at once: converting block by block would
    // split multi-byte characters.
    std::string line;
    int64_t consumed;
    bool ended;
    const tResult read = GatherLine(line, &consumed, &ended);
    TK_TRY(text.AssignFromAnsi(line.data(), line.size()));
    TK_TRY(read);
    return SetPosition(start + consumed);
}

tResult tCFile::ReadTextLineW(tCString& text)
{
    if (m_narrowText)
        return ReadTextLine(text);
    TK_TRY(CheckCanRead());
    const int64_t start = GetPosition();
    std::u16string line;
    int64_t consumed;
    bool ended;
    const tResult read = GatherLine(line, &consumed, &ended);
    TK_TRY(text.SetText(line.data(), int32_t(line.size())));
    TK_TRY(read);
    // A line that ran to the end leaves the stream there, past a trailing odd byte too.
    return ended ? SetPosition(start + 2 * consumed) : SeekToEnd();
}

tResult tCFile::WriteText(const tCString& text, bool lineEnd)
{
    if (!m_file)
        return kResFileInvalid;
    std::string bytes = text.ToAnsi();
    if (lineEnd)
        bytes += "\r\n";
    if (bytes.empty())
        return kResOk;
    return WriteBuffer(bytes.data(), int64_t(bytes.size()));
}

tResult tCFile::WriteTextW(const tCString& text, bool lineEnd)
{
    if (m_narrowText)
        return WriteText(text, lineEnd);
    if (!m_file)
        return kResFileInvalid;
    std::u16string units(text.View());
    if (lineEnd)
        units += u"\r\n";
    const std::string bytes = LittleEndianUnits(units);
    if (bytes.empty())
        return kResOk;
    return WriteBuffer(bytes.data(), int64_t(bytes.size()));
}

int64_t tCFile::GetTextWSize(const tCString& text, bool lineEnd) const
{
    const int64_t ending = lineEnd ? 2 : 0;
    if (m_narrowText)
        return int64_t(text.ToAnsi().size()) + ending;
    return 2 * (int64_t(text.GetLength()) + ending);
}
