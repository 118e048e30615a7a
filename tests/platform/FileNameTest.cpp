#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "DialogStandIns.h"
#include "ScopedEnvironment.h"
#include "platform/FileDialogs.h"
#include "platform/FileSystem.h"
#include "platform/Kernel.h"
#include "platform/KnownFolders.h"
#include "toolkit/core/TempFolder.h"

// A file name whose bytes are not UTF-8 reaches the file system as those bytes: through the
// desktop's file dialog, folder listings and the system's folders, into the file calls.
namespace {

// The wide name of a file the test made: ASCII from the temporary folder, the rest given.
std::u16string Wide(const TempFolder& folder, std::u16string_view name)
{
    const std::string path = folder.Path().string() + "/";
    return std::u16string(path.begin(), path.end()) + std::u16string(name);
}

size_t EntryCount(const std::filesystem::path& path)
{
    return size_t(std::distance(std::filesystem::directory_iterator(path), {}));
}

class FileNameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteWholeFile(folder.File("lat\xC3\xA9.ptg"), "utf-8 painting");
        WriteWholeFile(folder.File("old\xE9.ptg"), "old painting");
        WriteWholeFile(folder.File("source"), "new painting");
    }

    // The desktop's dialog answers `bytes` (a path in the folder); the answer, as the program has it.
    std::u16string Ask(const std::string& bytes, bool save, const char16_t* start)
    {
        standIns.Install("zenity", "printf '%s\\n' '" + folder.File(bytes) + "'");
        char16_t file[w32::MAX_PATH] = {};
        std::u16string(start).copy(file, w32::MAX_PATH - 1);
        w32::OPENFILENAMEW dialog;
        dialog.lpstrFile = file;
        dialog.nMaxFile = w32::MAX_PATH;
        EXPECT_NE(save ? w32::GetSaveFileNameW(&dialog) : w32::GetOpenFileNameW(&dialog), 0);
        return file;
    }

    TempFolder folder;
    DialogStandIns standIns{false};
};

TEST_F(FileNameTest, ANameThatIsNotUtf8NamesItsOwnFile)
{
    // Save As answered with a Latin-1 name writes that name; the UTF-8 look-alike stays.
    const std::u16string saveAs = Ask("lat\xE9.ptg", true, u"");
    ASSERT_NE(w32::CopyFileW(Wide(folder, u"source").c_str(), saveAs.c_str(), 0), 0);
    EXPECT_EQ(ReadWholeFile(folder.File("lat\xE9.ptg")), "new painting");
    EXPECT_EQ(ReadWholeFile(folder.File("lat\xC3\xA9.ptg")), "utf-8 painting");

    // Open reads the painting of that name, and the dialog starts at it as its bytes.
    const std::u16string opened = Ask("old\xE9.ptg", false, saveAs.c_str());
    ASSERT_NE(w32::CopyFileW(opened.c_str(), Wide(folder, u"copy").c_str(), 0), 0);
    EXPECT_EQ(ReadWholeFile(folder.File("copy")), "old painting");
    const std::vector<std::string> arguments = standIns.TakeArguments();
    EXPECT_NE(std::find(arguments.begin(), arguments.end(), "--filename=" + folder.File("lat\xE9.ptg")),
              arguments.end());

    // A listed name deletes its own file.
    w32::WIN32_FIND_DATAW entry;
    w32::HFIND find = w32::FindFirstFileW(Wide(folder, u"old*").c_str(), &entry);
    ASSERT_NE(find, nullptr);
    const std::u16string listed = entry.cFileName;
    EXPECT_EQ(w32::FindNextFileW(find, &entry), 0);
    w32::FindClose(find);
    EXPECT_EQ(listed, opened.substr(opened.rfind(u'/') + 1));
    ASSERT_NE(w32::DeleteFileW(Wide(folder, listed).c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.File("old\xE9.ptg")));
    EXPECT_EQ(ReadWholeFile(folder.File("lat\xC3\xA9.ptg")), "utf-8 painting");

    // A text that no name gives is refused, and nothing is made in its place.
    EXPECT_EQ(w32::CopyFileW(Wide(folder, u"source").c_str(), Wide(folder, u"lat\xD800.ptg").c_str(), 0), 0);
    EXPECT_EQ(w32::CopyFileW(Wide(folder, u"source").c_str(), Wide(folder, u"\xDCC3\xDCA9").c_str(), 0), 0);
    EXPECT_EQ(EntryCount(folder.Path()), 4u);
}

TEST_F(FileNameTest, TheSystemsFoldersKeepTheirBytes)
{
    std::filesystem::create_directories(folder.Path() / "tmp\xE9");
    std::filesystem::create_directories(folder.Path() / "config\xE9");
    ScopedEnvironment environment;
    environment.Set("TMPDIR", folder.File("tmp\xE9"));
    environment.Set("XDG_CONFIG_HOME", folder.File("config\xE9"));

    char16_t temporaryFolder[w32::MAX_PATH];
    ASSERT_GT(w32::GetTempPathW(w32::MAX_PATH, temporaryFolder), 0u);
    EXPECT_EQ(std::u16string(temporaryFolder), Wide(folder, u"tmp\xDCE9/"));
    char16_t temporary[w32::MAX_PATH];
    ASSERT_NE(w32::GetTempFileNameW(temporaryFolder, u"kst", 0, temporary), 0u);
    EXPECT_EQ(EntryCount(folder.Path() / "tmp\xE9"), 1u);
    EXPECT_NE(w32::DeleteFileW(temporary), 0);
    EXPECT_EQ(EntryCount(folder.Path() / "tmp\xE9"), 0u);

    char16_t configuration[w32::MAX_PATH];
    ASSERT_EQ(w32::SHGetFolderPathW(nullptr, w32::CSIDL_APPDATA, nullptr, 0, configuration), w32::S_OK);
    EXPECT_EQ(std::u16string(configuration), Wide(folder, u"config\xDCE9"));
}

}  // namespace
