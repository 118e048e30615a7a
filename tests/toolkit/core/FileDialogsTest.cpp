#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "platform/FileDialogs.h"
#include "platform/Platform.h"
#include "platform/headless/ScriptedDesktop.h"
#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/core/FileDialogs.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/core/FileTypes.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFTypeList.h"
#include "toolkit/core/tCFolderRef.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/StringText.h"

namespace {

using w32::desktop::tFileDialogAnswer;

void Choose(const std::u16string& path)
{
    w32::headless::ScriptFileDialog(tFileDialogAnswer{tFileDialogAnswer::kChosen, path, 0});
}

class FileDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless)); }
    void TearDown() override { w32::StopPlatform(); }
};

TEST_F(FileDialogsTest, TheOpenDialogStoresTheChosenType)
{
    tCFTypeList list;
    list.AddTypeGroup(kFileTypeImageGroup);
    list.SetCurrentType(kFileTypePng);
    Choose(u"/art/sky.JPG");
    tCString text(u"/art/");
    ASSERT_EQ(RunOpenFileDialog(text, &list), kResOk);
    EXPECT_EQ(Text(text), u"/art/sky.JPG");
    EXPECT_EQ(list.GetCurrentType(), int32_t(kFileTypeJpeg));

    const auto requests = w32::headless::TakeFileDialogRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].filterIndex, 3u);
    EXPECT_EQ(requests[0].initialFolder, u"/art/");
    EXPECT_EQ(requests[0].initialFile, u"");
    ASSERT_EQ(requests[0].filters.size(), 5u);
    EXPECT_EQ(requests[0].filters[4].name, u"All Files (*.*)");

    Choose(u"/art/notes.txt");
    ASSERT_EQ(RunOpenFileDialog(text, &list), kResOk);
    EXPECT_EQ(list.GetCurrentType(), int32_t(kFileTypeAllFiles));
}

TEST_F(FileDialogsTest, ACancelledDialogChangesNothing)
{
    tCFTypeList list;
    list.AddTypes({kFileTypePng, kFileTypeLastIndex});
    list.SetCurrentType(0);
    tCString text(u"/art/picture.png");
    EXPECT_EQ(RunSaveFileDialog(text, &list), kResHandled);
    EXPECT_EQ(Text(text), u"/art/picture.png");
    EXPECT_EQ(w32::headless::TakeFileDialogRequests()[0].initialFile, u"/art/picture.png");

    tCFile file;
    tCFRef empty;
    EXPECT_EQ(OpenFileForLoad(&file, empty, nullptr, tCFile::kAccessRead), kResHandled);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(empty.HasText());

    w32::headless::ScriptFileDialog(tFileDialogAnswer{tFileDialogAnswer::kFailed, u"", w32::CDERR_DIALOGFAILURE});
    EXPECT_EQ(RunOpenFileDialog(text, nullptr), kResCreateFailed);
    w32::headless::ScriptFileDialog(tFileDialogAnswer{tFileDialogAnswer::kFailed, u"", w32::CDERR_DIALOGFAILURE});
    EXPECT_EQ(RunSaveFileDialog(text, nullptr), kResFailure);
    w32::headless::ScriptFileDialog(tFileDialogAnswer{tFileDialogAnswer::kFailed, u"", w32::CDERR_MEMALLOCFAILURE});
    EXPECT_EQ(RunSaveFileDialog(text, nullptr), kResNoMemory);

    tCString tooLong(std::u16string(1024, u'a'));
    EXPECT_EQ(RunOpenFileDialog(tooLong, nullptr), kResBufferOverrun);
    EXPECT_TRUE(w32::headless::TakeFileDialogRequests().size() == 4u);
}

TEST_F(FileDialogsTest, SavedNamesGetTheChosenFiltersExtension)
{
    struct Case {
        std::u16string chosen;
        int32_t current;
        std::u16string saved;
    };
    // The list offers PNG (position 0) and JPEG (position 1), then "All Files".
    const Case cases[] = {
        {u"/art/photo", 0, u"/art/photo.png"},
        {u"/art/photo", 1, u"/art/photo.jpg"},
        {u"/art/photo.JPG", 0, u"/art/photo.JPG"},
        {u"/art/photo.jpeg", 0, u"/art/photo.jpeg"},
        {u"/art/photo.gif", 0, u"/art/photo.gif"},
    };
    for (const Case& c : cases) {
        tCFTypeList list;
        list.AddTypes({kFileTypePng, kFileTypeJpeg, kFileTypeLastIndex});
        list.SetCurrentType(c.current);
        Choose(c.chosen);
        tCString text;
        ASSERT_EQ(RunSaveFileDialog(text, &list), kResOk);
        EXPECT_EQ(Text(text), c.saved) << tCString(std::u16string_view(c.chosen)).ToAnsi();
        EXPECT_EQ(list.GetCurrentType(), c.current);
    }

    // Without "All Files" a foreign extension gets the starting filter's.
    tCFTypeList pngOnly;
    pngOnly.AddTypes({kFileTypePng, kFileTypeLastIndex});
    pngOnly.SetIncludeAllFiles(false);
    Choose(u"/art/photo.jpeg");
    tCString text;
    ASSERT_EQ(RunSaveFileDialog(text, &pngOnly), kResOk);
    EXPECT_EQ(Text(text), u"/art/photo.jpeg.png");

    // A list of "All Files" alone has no extension to add.
    tCFTypeList none;
    Choose(u"/art/untitled");
    tCFRef path;
    ASSERT_EQ(AskSavePath(path, &none), kResOk);
    EXPECT_EQ(Text(path.GetText()), u"/art/untitled");
}

TEST_F(FileDialogsTest, SavesThroughTheDialogKeepTheOldFileUntilCommitted)
{
    TempFolder folder;
    const std::string name = folder.File("painting.ptg");
    WriteWholeFile(name, "old");
    Choose(tCString::FromAnsi(name).View().data());
    tCFRef path;
    CSafeFileWriter writer;
    ASSERT_EQ(OpenFileForSafeSave(&writer, path, nullptr), kResOk);
    EXPECT_EQ(Text(path.GetText()), Text(tCString::FromAnsi(name)));
    ASSERT_EQ(writer.GetFile().WriteBytes("new", 3), kResOk);
    EXPECT_EQ(ReadWholeFile(name), "old");
    ASSERT_EQ(writer.Commit(), kResOk);
    EXPECT_EQ(ReadWholeFile(name), "new");

    // A path with text opens without a dialog.
    tCFile file;
    EXPECT_EQ(OpenFileForSave(&file, path, nullptr, tCFile::kAccessReadWrite), kResOk);
    EXPECT_EQ(file.GetLength(), 3);
    EXPECT_TRUE(w32::headless::TakeFileDialogRequests().size() == 1u);
}

// A name whose bytes are not UTF-8 is saved, listed and opened as those bytes; the UTF-8
// look-alike beside it is never touched, and a text that names no file saves nothing.
TEST_F(FileDialogsTest, ANameThatIsNotUtf8IsSavedAndOpenedAsItsBytes)
{
    TempFolder folder;
    WriteWholeFile(folder.File("lat\xC3\xA9.ptg"), "utf-8 painting");
    WriteWholeFile(folder.File("old\xE9.ptg"), "old painting");
    const auto entries = [&folder] { return std::distance(std::filesystem::directory_iterator(folder.Path()), {}); };

    Choose(tCString::FromFileName(folder.File("lat\xE9.ptg")).View().data());
    tCFRef path;
    CSafeFileWriter writer;
    ASSERT_EQ(OpenFileForSafeSave(&writer, path, nullptr), kResOk);
    ASSERT_EQ(writer.GetFile().WriteBytes("new", 3), kResOk);
    ASSERT_EQ(writer.Commit(), kResOk);
    EXPECT_EQ(ReadWholeFile(folder.File("lat\xE9.ptg")), "new");
    EXPECT_EQ(ReadWholeFile(folder.File("lat\xC3\xA9.ptg")), "utf-8 painting");
    EXPECT_EQ(entries(), 3);

    tCFolderRef listed;
    ASSERT_EQ(listed.SetText(tCString::FromFileName(folder.Path().string())), kResOk);
    tCArray<tCFRef*> files;
    ASSERT_EQ(ListFolderFiles(listed, &files, nullptr), kResOk);
    std::vector<std::string> contents;
    for (tCFRef* file : files) {
        tCFile opened;
        std::string bytes(32, '\0');
        EXPECT_EQ(opened.Open(*file, tCFile::kAccessRead), kResOk) << file->GetText().ToAnsi();
        bytes.resize(size_t(std::max<int64_t>(opened.GetLength(), 0)));
        EXPECT_EQ(opened.ReadBytes(bytes.data(), int64_t(bytes.size())), kResOk);
        contents.push_back(bytes);
        delete file;
    }
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents, (std::vector<std::string>{"new", "old painting", "utf-8 painting"}));

    Choose(tCString::FromFileName(folder.File("lat")).Concat(u"\xD800.ptg").View().data());
    path.Clear();
    EXPECT_EQ(OpenFileForSafeSave(&writer, path, nullptr), kResFileOpen);
    EXPECT_EQ(entries(), 3);
}

}  // namespace
