// presetmake RESOURCE_DIR PRESETS_DIR: writes the canvas presets that ship with the program into
// PRESETS_DIR, one file each, named after the preset with the string table's preset extension.
// The files are written by the painting engine's own preset writer, whose header line comes from
// the string table in RESOURCE_DIR (system.trf must stand beside it), so that what the program
// reads is what this tool wrote.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "paint/engine/CCanvasInfo.h"
#include "platform/Platform.h"
#include "toolkit/core/CApp.h"
#include "toolkit/core/tCFRef.h"

namespace {

// The string table's preset file extension, the one the new-painting pane saves with.
constexpr uint32_t kStrPresetFileExtension = 0xB2D05E41;

// The presets: paper settings a painter starts from. The grains are the resource file's and the
// paper folder's (resources/README.md).
struct tShippedPreset {
    const char16_t* name;
    const char16_t* paperName;
    uint32_t paperColour;
    float grainScale;
    float grainDepth;
    float paperShine;
};

constexpr tShippedPreset kPresets[] = {
    {u"Sketch", u"PP_FinePaper", 0xFFF8F5EEu, 0.5f, 0.35f, 0.3f},
    {u"Watercolour", u"PP_Watercolour", 0xFFFCFAF4u, 0.55f, 0.7f, 0.25f},
    {u"Rough Cream", u"Rough.png", 0xFFF0E6CCu, 0.5f, 0.8f, 0.2f},
    {u"Grey Pastel", u"PP_Pastel", 0xFF9A9A9Cu, 0.5f, 0.6f, 0.3f},
    {u"Blue Pastel", u"PP_Pastel", 0xFF4E6484u, 0.5f, 0.6f, 0.3f},
    {u"Kraft", u"PP_FinePaper", 0xFFC4A57Au, 0.6f, 0.5f, 0.2f},
};

// The resource folder as the application's relative folder name: relative to the program's
// folder, with ":" between the levels.
tCString RelativeFolderName(const std::filesystem::path& folder, const tCString& programFolder)
{
    std::string relative =
        std::filesystem::relative(std::filesystem::absolute(folder), std::filesystem::path(programFolder.ToAnsi()))
            .generic_string();
    for (char& c : relative)
        if (c == '/')
            c = ':';
    return tCString::FromAnsi(relative);
}

int WritePresets(const char* resourceDir, const char* presetsDir)
{
    CApp app;
    app.SetResourceFolderName(RelativeFolderName(resourceDir, app.GetProgramFolder()));
    if (app.StartUp() != kResOk) {
        std::fprintf(stderr, "presetmake: cannot read the resource files in %s\n", resourceDir);
        return 1;
    }
    const tCString extension = ApplicationTextOrEmpty(kStrPresetFileExtension);
    if (extension.IsEmpty()) {
        std::fprintf(stderr, "presetmake: the string table in %s has no preset extension\n", resourceDir);
        return 1;
    }
    std::filesystem::create_directories(presetsDir);
    for (const tShippedPreset& preset : kPresets) {
        CCanvasInfo info;
        info.name = tCString(preset.name);
        info.paperName = tCString(preset.paperName);
        info.paperColour = preset.paperColour;
        info.grainScale = preset.grainScale;
        info.grainDepth = preset.grainDepth;
        info.paperShine = preset.paperShine;
        const std::filesystem::path file = std::filesystem::path(presetsDir) / info.name.Concat(extension).ToAnsi();
        tCFRef path(tCString::FromAnsi(file.string()));
        if (const tResult result = info.SavePresetFile(path); result != kResOk) {
            std::fprintf(stderr, "presetmake: cannot write %s (%d)\n", file.c_str(), int(result));
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: presetmake RESOURCE_DIR PRESETS_DIR\n");
        return 2;
    }
    if (!w32::StartPlatform(w32::tBackendKind::kHeadless)) {
        std::fprintf(stderr, "presetmake: %s\n", w32::GetPlatformError());
        return 1;
    }
    const int status = WritePresets(argv[1], argv[2]);
    w32::StopPlatform();
    return status;
}
