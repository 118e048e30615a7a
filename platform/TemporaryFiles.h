#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Temporary files that a process holds while it uses them. A holder locks the file (flock)
// through its open file; the kernel drops the lock when the last descriptor of that open file
// closes, also when the process dies. A temporary that no process holds was left behind and may
// be removed; one that is held, or that cannot be locked at all, is never touched.
namespace w32 {

// Locks the file just created as `name` (its descriptor) for this process. Where the file system
// refuses the lock for another reason than another holder (no lock manager), the file is used
// unheld: no process can lock it to take it for one left behind either. False when another
// process holds it or the name no longer leads to the file (a process that found it unheld is
// removing it or removed it): the caller then closes the descriptor and makes another file.
bool HoldTemporary(int descriptor, const std::string& name);

// Removes the regular files of this user in `folder` (empty: the current folder) whose names
// `isTemporary` accepts and which no process holds. Links are never followed. Answers how many
// were removed.
int RemoveStaleTemporaries(const std::string& folder, const std::function<bool(std::string_view)>& isTemporary);

// The name of a temporary beside the file `targetName` with `tag` (".tmp"): a hidden name, the
// target's name (only its start where the whole would pass NAME_MAX), ".kostrel-", eight digits
// and lower-case letters made from `random`, and the tag. No user or other program names a
// file so.
std::string TemporaryNameBeside(std::string_view targetName, std::string_view tag, uint64_t random);
// Whether `name` is one TemporaryNameBeside makes for that target and tag, whatever its unique part.
bool IsTemporaryBeside(std::string_view name, std::string_view targetName, std::string_view tag);

}  // namespace w32
