#pragma once

#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>

// The kinds of file besides a regular one that may stand where a file is saved.
enum class tSpecialFile { kDevice, kPipe, kSocket, kFolder };

constexpr tSpecialFile kSpecialFiles[] = {tSpecialFile::kDevice, tSpecialFile::kPipe, tSpecialFile::kSocket,
                                          tSpecialFile::kFolder};

// Makes one at `path` with the mode: a node of the null device's numbers (only root may make
// it; false elsewhere), a named pipe, a Unix socket bound there and closed, a folder.
inline bool MakeSpecialFile(const std::string& path, tSpecialFile kind, mode_t mode)
{
    switch (kind) {
    case tSpecialFile::kDevice:
        if (mknod(path.c_str(), S_IFCHR | mode, makedev(1, 3)) != 0)
            return false;
        break;
    case tSpecialFile::kPipe:
        if (mkfifo(path.c_str(), mode) != 0)
            return false;
        break;
    case tSpecialFile::kSocket: {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path)
            return false;
        memcpy(address.sun_path, path.c_str(), path.size() + 1);
        const int bound = socket(AF_UNIX, SOCK_STREAM, 0);
        const bool made = bound >= 0 && bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (bound >= 0)
            close(bound);
        if (!made)
            return false;
        break;
    }
    case tSpecialFile::kFolder:
        if (mkdir(path.c_str(), mode) != 0)
            return false;
        break;
    }
    return chmod(path.c_str(), mode) == 0;
}

// Whether `path` itself (a link there is not followed) is of that kind.
inline bool IsSpecialFile(const std::string& path, tSpecialFile kind)
{
    struct stat status;
    if (lstat(path.c_str(), &status) != 0)
        return false;
    switch (kind) {
    case tSpecialFile::kDevice: return S_ISCHR(status.st_mode) && status.st_rdev == makedev(1, 3);
    case tSpecialFile::kPipe: return S_ISFIFO(status.st_mode);
    case tSpecialFile::kSocket: return S_ISSOCK(status.st_mode);
    case tSpecialFile::kFolder: return S_ISDIR(status.st_mode);
    }
    return false;
}
