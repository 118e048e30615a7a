#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/core/TempFolder.h"

namespace {

size_t EntriesIn(const std::filesystem::path& folder)
{
    return size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(CSafeFileWriter, TheFileIsReplacedOnlyOnCommit)
{
    TempFolder folder;
    const std::string name = folder.File("painting.ptg");
    WriteWholeFile(name, "old painting");
    chmod(name.c_str(), 0640);
    const tCFRef target(tCString::FromAnsi(name));
    {
        CSafeFileWriter writer;
        ASSERT_EQ(writer.Begin(target), kResOk);
        ASSERT_EQ(writer.GetFile().WriteBytes("half", 4), kResOk);
        EXPECT_EQ(ReadWholeFile(name), "old painting");
        EXPECT_EQ(EntriesIn(folder.Path()), 2u);
    }
    // Abandoned: the old file stays and the temporary is gone.
    EXPECT_EQ(ReadWholeFile(name), "old painting");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);

    CSafeFileWriter writer;
    ASSERT_EQ(writer.Begin(target), kResOk);
    ASSERT_EQ(writer.GetFile().WriteBytes("new painting", 12), kResOk);
    ASSERT_EQ(writer.Commit(), kResOk);
    EXPECT_EQ(ReadWholeFile(name), "new painting");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
    struct stat status;
    ASSERT_EQ(stat(name.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(writer.Commit(), kResFileInvalid);
}

TEST(CSafeFileWriter, ATargetThatCannotBeWrittenIsReported)
{
    TempFolder folder;
    CSafeFileWriter writer;
    EXPECT_EQ(writer.Begin(tCFRef()), kResBadParam);
    EXPECT_EQ(writer.Begin(tCFRef(tCString::FromAnsi(folder.File("no/such/folder/file")))), kResFileOpen);

    // A folder in the target's place: the rename fails and nothing is left behind.
    std::filesystem::create_directories(folder.Path() / "taken" / "inside");
    ASSERT_EQ(writer.Begin(tCFRef(tCString::FromAnsi(folder.File("taken")))), kResOk);
    ASSERT_EQ(writer.GetFile().WriteBytes("x", 1), kResOk);
    EXPECT_EQ(writer.Commit(), kResFileIO);
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "taken" / "inside"));
}

}  // namespace
