#pragma once

#include <sys/stat.h>

#include <string>

namespace w32 {

// Opens `name` as `flags` ask (O_RDONLY, O_WRONLY or O_RDWR, with O_CREAT, O_TRUNC, O_APPEND or
// O_NOFOLLOW as wanted; a created file gets 0666 less the umask) when it names a regular file, or
// nothing yet with O_CREAT. The open never waits: on a named pipe without a writer it would wait
// for good. The kind is checked on the open descriptor too, so that nothing put in the name's
// place after the look-up gets by. Answers the descriptor, whose reads and writes wait as usual,
// with its status in `status` when given, or -1 with errno set: EISDIR for a folder, EPERM for a
// pipe, a socket or a device.
int OpenRegularFile(const std::string& name, int flags, struct stat* status = nullptr);

}  // namespace w32
