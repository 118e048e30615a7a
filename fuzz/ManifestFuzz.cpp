#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "app/shell/update/CKSUTransferManager.h"
#include "toolkit/core/PathText.h"
#include "toolkit/core/tCMemFile.h"

// Reads the input as a manifest, as it is and again as UTF-16 text behind its mark, and checks
// that every entry it accepts would be installed inside the update folder, under its own name.

namespace {

const std::filesystem::path kUpdateFolder = "/nonexistent/Update";

bool LiesInside(const CFileData& entry)
{
    const std::filesystem::path target =
        (kUpdateFolder / RelativeToPathText(entry.GetTargetPath()).ToAnsi()).lexically_normal();
    const std::filesystem::path inside = target.lexically_relative(kUpdateFolder);
    if (inside.empty() || *inside.begin() == ".." || *inside.begin() == ".")
        return false;
    for (const std::filesystem::path& part : inside)
        if (part == ".." || part == ".")
            return false;
    return target.filename() == entry.name.ToAnsi();
}

void Parse(const uint8_t* data, size_t size, bool wide)
{
    tCCmdTarget target;
    CKSUTransferManager manager(&target, tCString::FromAnsi(kUpdateFolder.string()));
    tCMemFile body;
    if (wide && body.WriteBytes("\xFF\xFE", 2) != kResOk)
        return;
    if (body.WriteBytes(data, int64_t(size)) != kResOk || manager.ParseManifest(body) != kResOk)
        return;
    for (const CFileData& entry : manager.GetFileList())
        if (!LiesInside(entry))
            __builtin_trap();
    if (!manager.GetUpdaterEntry().name.IsEmpty() && !LiesInside(manager.GetUpdaterEntry()))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Parse(data, size, false);
    Parse(data, size, true);
    return 0;
}
