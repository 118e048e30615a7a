#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "ShippedResources.h"
#include "toolkit/core/TempFolder.h"

namespace {

int RunQuietly(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the build's own resource script into `folder`.
int BuildResources(const std::filesystem::path& folder)
{
    return RunQuietly(std::string(KOSTREL_CMAKE) + " -DWORK_DIR=" + (folder / "work").string() +
               " -DRESOURCE_DIR=" + (folder / "Resources").string() + " -P " KOSTREL_BIN_DIR
               "/../tools/BuildResources.cmake");
}

// Every file under the folder by its relative name, with its bytes.
std::map<std::string, std::string> FilesUnder(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), folder).string()] = ReadWholeFile(entry.path().string());
    return files;
}

TEST(ResourceBuild, TwoBuildsGiveTheSameBytes)
{
    TempFolder first, second;
    ASSERT_EQ(BuildResources(first.Path()), 0);
    ASSERT_EQ(BuildResources(second.Path()), 0);
    const std::map<std::string, std::string> a = FilesUnder(first.Path()), b = FilesUnder(second.Path());
    EXPECT_TRUE(a.contains("Resources/system.trf"));
    EXPECT_TRUE(a.contains("Resources/system.tsf"));
    EXPECT_TRUE(a.contains("work/art/panel/panel_frame.png"));
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        ASSERT_TRUE(b.contains(name)) << name;
        EXPECT_TRUE(b.at(name) == bytes) << name << " differs between two builds";
    }
}

TEST(ResourceBuild, TheDumpsOfTheShippedFilesCompileToTheSameBytes)
{
    const std::string tools = KOSTREL_BIN_DIR "/../tools/";
    TempFolder dump;
    for (const std::string name : {"system.trf", "system.tsf"}) {
        const std::string source = dump.File(name + ".src"), again = dump.File(name);
        ASSERT_EQ(RunQuietly(tools + "trfdump " + ShippedFile(name) + " " + source), 0) << name;
        ASSERT_EQ(RunQuietly(tools + "trfc " + source + " " + again), 0) << name;
        EXPECT_TRUE(ReadWholeFile(again) == ReadWholeFile(ShippedFile(name))) << name;
    }
}

}  // namespace
