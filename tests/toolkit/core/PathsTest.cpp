#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "toolkit/core/FileProbes.h"
#include "toolkit/core/FileTypes.h"
#include "toolkit/core/PathText.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFRelative.h"
#include "toolkit/core/tCFolderRef.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/StringText.h"

namespace {

struct Split {
    std::u16string folder, name, extension;
};

Split SplitOf(const char16_t* path)
{
    tCString folder(u"?"), name(u"?"), extension(u"?");
    EXPECT_EQ(SplitPathText(tCString(path), &folder, &name, &extension), kResOk);
    return {Text(folder), Text(name), Text(extension)};
}

TEST(PathText, SplitsIntoFolderNameAndExtension)
{
    const Split full = SplitOf(u"/paint/pictures/sky.final.png");
    EXPECT_EQ(full.folder, u"/paint/pictures/");
    EXPECT_EQ(full.name, u"sky.final");
    EXPECT_EQ(full.extension, u".png");

    const Split bare = SplitOf(u"notes");
    EXPECT_EQ(bare.folder, u"");
    EXPECT_EQ(bare.name, u"notes");
    EXPECT_EQ(bare.extension, u"");

    const Split dottedFolder = SplitOf(u"a.b/c");
    EXPECT_EQ(dottedFolder.folder, u"a.b/");
    EXPECT_EQ(dottedFolder.name, u"c");
    EXPECT_EQ(dottedFolder.extension, u"");

    const Split hidden = SplitOf(u".hidden");
    EXPECT_EQ(hidden.name, u"");
    EXPECT_EQ(hidden.extension, u".hidden");

    const Split root = SplitOf(u"/");
    EXPECT_EQ(root.folder, u"/");
    EXPECT_EQ(root.name, u"");

    tCString untouched(u"keep");
    EXPECT_EQ(SplitPathText(tCString(u""), &untouched, nullptr, nullptr), kResBadParam);
    EXPECT_EQ(Text(untouched), u"keep");
}

TEST(PathText, ComposesWithOneSeparatorAndOneDot)
{
    EXPECT_EQ(Text(MakePathText(tCString(u"/x"), tCString(u"y"), tCString(u"txt"))), u"/x/y.txt");
    EXPECT_EQ(Text(MakePathText(tCString(u"/x/"), tCString(u"y"), tCString(u".txt"))), u"/x/y.txt");
    EXPECT_EQ(Text(MakePathText(tCString(u""), tCString(u"y"), tCString(u""))), u"y");

    // Parts one unit short of the limit go past it when both a "/" and a "." are added.
    const tCString folder(std::u16string(size_t(kMaxPathLength - 5), u'f'));
    EXPECT_EQ(MakePathText(folder, tCString(u"ab"), tCString(u"cd")).GetLength(), 0);
    EXPECT_EQ(MakePathText(folder, tCString(u"ab"), tCString(u".c")).GetLength(), kMaxPathLength);
    EXPECT_EQ(MakePathText(folder, tCString(u"a"), tCString(u".c")).GetLength(), kMaxPathLength - 1);
}

TEST(tCFPath, GettersReadTheParts)
{
    const tCFRef path(tCString(u"/x/.hidden"));
    EXPECT_EQ(Text(path.GetFileName()), u".hidden");
    EXPECT_EQ(Text(path.GetFolder()), u"/x/");
    EXPECT_EQ(Text(tCFRef(tCString(u"/a.b/c")).GetExtension()), u"");
    EXPECT_EQ(Text(tCFRef().GetName()), u"");
    EXPECT_EQ(tCFRef().GetFileType(), kFileTypeNone);
    EXPECT_EQ(tCFRef(tCString(u"/p/photo.JPG")).GetFileType(), kFileTypeJpeg);
    EXPECT_EQ(tCFRef(tCString(u"/p/photo.jpeg")).GetFileType(), kFileTypeNone);
}

TEST(tCFPath, SettersReplaceOnePart)
{
    tCFRef path(tCString(u"/x/y.txt"));
    EXPECT_EQ(path.SetName(tCString(u"a.b")), kResOk);
    EXPECT_EQ(Text(path.GetText()), u"/x/a.b.txt");
    EXPECT_EQ(path.SetName(tCString(u"")), kResBadParam);
    EXPECT_EQ(Text(path.GetText()), u"/x/a.b.txt");

    path.SetPath(tCString(u"/x/y.txt"));
    EXPECT_EQ(path.SetFolder(tCString(u"/new/")), kResOk);
    EXPECT_EQ(Text(path.GetText()), u"/new/y.txt");
    EXPECT_EQ(path.SetFolder(tCString(u"/other")), kResOk);
    EXPECT_EQ(Text(path.GetText()), u"/y.txt");
    EXPECT_EQ(path.SetFolder(tCString(u"")), kResBadParam);

    tCFRef empty;
    EXPECT_EQ(empty.SetName(tCString(u"n")), kResInvalidObject);
    EXPECT_EQ(empty.SetExtension(tCString(u"png"), true, kUnknownFourCC), kResInvalidObject);
    EXPECT_FALSE(empty.HasText());
}

TEST(tCFPath, ANameWithASeparatorStaysInItsFolder)
{
    tCFRef path(tCString(u"/paintings/untitled.ptg"));
    EXPECT_EQ(path.SetName(tCString(u"a/b")), kResOk);
    EXPECT_EQ(Text(path.GetText()), u"/paintings/a_b.ptg");
    EXPECT_EQ(path.SetName(tCString(u"../../etc/x")), kResOk);
    EXPECT_EQ(Text(path.GetFolder()), u"/paintings/");
}

TEST(tCFPath, SetExtensionFollowsTheFlagAndTheCatalogue)
{
    tCFRef path(tCString(u"/x/y"));
    EXPECT_EQ(path.SetExtension(tCString(u"png"), false, kUnknownFourCC), kResOk);
    EXPECT_EQ(Text(path.GetText()), u"/x/y");
    EXPECT_EQ(path.GetFileTypeCode(), MakeFourCC("PNGf"));
    EXPECT_EQ(path.SetExtension(tCString(u"png"), true, kUnknownFourCC), kResOk);
    EXPECT_EQ(Text(path.GetText()), u"/x/y.png");

    path.SetPath(tCString(u"/x/y.jpg"));
    EXPECT_EQ(path.SetExtension(tCString(u".png"), false, MakeFourCC("abcd")), kResOk);
    EXPECT_EQ(Text(path.GetText()), u"/x/y.png");
    EXPECT_EQ(path.GetFileTypeCode(), MakeFourCC("abcd"));
    EXPECT_EQ(path.GetCreatorCode(), kUnknownFourCC);
}

TEST(tCFPath, SetFileTypeTakesTheCatalogueRowOrTheOverride)
{
    tCFRef path(tCString(u"/x/y.png"));
    EXPECT_EQ(path.SetFileType(24, true, tCString(u""), 0), kResBadParam);
    EXPECT_EQ(path.SetFileType(kFileTypeBmp, false, tCString(u""), 0), kResOk);
    EXPECT_EQ(Text(path.GetText()), u"/x/y.bmp");
    EXPECT_EQ(path.GetFileTypeCode(), MakeFourCC("BMP "));
    EXPECT_EQ(path.SetFileType(kFileTypeBmp, false, tCString(u".tmp"), 0), kResOk);
    EXPECT_EQ(Text(path.GetText()), u"/x/y.tmp");

    tCFRef bare(tCString(u"/x/y"));
    EXPECT_EQ(bare.SetFileType(kFileTypePsd, false, tCString(u""), 0), kResOk);
    EXPECT_EQ(Text(bare.GetText()), u"/x/y");
    EXPECT_EQ(bare.SetFileType(kFileTypePsd, true, tCString(u""), 0), kResOk);
    EXPECT_EQ(Text(bare.GetText()), u"/x/y.psd");
}

TEST(tCFPath, IsWithinStopsAtFolderBoundaries)
{
    const tCFRef inside(tCString(u"/PAINT/a.png"));
    EXPECT_TRUE(inside.IsWithin(tCFRef(tCString(u"/paint/"))));
    EXPECT_TRUE(inside.IsWithin(tCFRef(tCString(u"/paint"))));
    EXPECT_TRUE(inside.IsWithin(tCFRef()));
    EXPECT_FALSE(tCFRef(tCString(u"/paint2/a.png")).IsWithin(tCFRef(tCString(u"/paint"))));
    EXPECT_FALSE(inside.IsWithin(inside));
    EXPECT_FALSE(inside.IsWithin(tCFRef(tCString(u"/PAINT/a.png.bak"))));

    EXPECT_EQ(Text(tCFRef(tCString(u"/paint/a.png")).GetTextAfter(tCFRef(tCString(u"/paint/")))), u"a.png");
    EXPECT_EQ(Text(tCFRef(tCString(u"/p")).GetTextAfter(tCFRef(tCString(u"/q")))), u"");
}

// The folder of the test program with its final "/", as the application finds it.
std::u16string ProgramFolder()
{
    return Text(tCString::FromAnsi(std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/"));
}

TEST(tCFRelative, ResolvesAgainstTheApplicationsFolders)
{
    EXPECT_EQ(Text(tCFRelative(tCString(u"Papers:Fine.png"), 0).GetText()), u"Papers/Fine.png");
    ScriptedApp app;
    const std::u16string program = ProgramFolder();
    ASSERT_EQ(Text(app.GetProgramFolder()), program);
    tCFRelative relative(tCString(u"Papers:Fine.png"), 0);
    EXPECT_EQ(Text(relative.GetText()), program + u"Papers/Fine.png");
    EXPECT_EQ(Text(relative.GetName()), u"Fine");
    EXPECT_EQ(Text(tCFRelative(tCString(u"a:b"), 1).GetText()), program + u"a/b");
    EXPECT_EQ(Text(tCFRelative().GetText()), u"");

    tCFRef ref;
    ref = relative;
    EXPECT_EQ(ref.GetKind(), uint32_t(tCBasePath::kRelativePath));
    EXPECT_EQ(Text(ref.GetText()), program + u"Papers/Fine.png");

    tCFRelative copy;
    copy = relative;
    EXPECT_EQ(Text(copy.GetText()), program + u"Papers/Fine.png");
    relative.Clear();
    EXPECT_FALSE(relative.HasText());
    EXPECT_EQ(relative.GetSelector(), 0u);
}

TEST(tCFolderRef, KeepsItsFinalSeparator)
{
    tCFolderRef folder;
    EXPECT_EQ(folder.SetText(tCString(u"/x")), kResOk);
    EXPECT_EQ(Text(folder.GetText()), u"/x/");
    folder.SetText(tCString(u"/x/"));
    EXPECT_EQ(Text(folder.GetText()), u"/x/");
    folder.SetText(tCString(u""));
    EXPECT_EQ(Text(folder.GetText()), u"/");

    ScriptedApp app;
    const std::u16string program = ProgramFolder();
    folder.SetFromAppFolder(tCString(u"Brushes:Soft"), 0);
    EXPECT_EQ(Text(folder.GetText()), program + u"Brushes/Soft/");
    folder.SetFromAppFolder(tCString(u""), 1);
    EXPECT_EQ(Text(folder.GetText()), program);
    folder.SetFromAppFolder(tCString(u":Brushes"), 0);
    EXPECT_EQ(Text(folder.GetText()), program + u"Brushes/");
}

TEST(FileProbes, AnswerFromTheFileSystem)
{
    TempFolder temp;
    ScriptedApp app;
    ProgramSubfolder resources;
    WriteWholeFile(resources.File("system.tsf"), "x");
    const tCString name = tCString::FromAnsi(resources.Name());
    const tCString file = tCString::FromAnsi(resources.Name() + ":system.tsf");

    EXPECT_TRUE(NamedFileExists(file, 0));
    EXPECT_TRUE(NamedFileExists(file, 1));
    EXPECT_FALSE(NamedFileExists(tCString::FromAnsi(resources.Name() + ":missing"), 0));
    EXPECT_FALSE(NamedFileExists(name, 0));
    EXPECT_TRUE(AppSubfolderExists(name, 0));
    EXPECT_FALSE(AppSubfolderExists(file, 0));
    EXPECT_TRUE(tCFRelative(file, 0).Exists());
    EXPECT_TRUE(tCFRef(tCString::FromAnsi(resources.File("system.tsf"))).Exists());
    EXPECT_FALSE(tCFRef().Exists());

    const std::filesystem::path before = std::filesystem::current_path();
    tCFolderRef folder;
    folder.SetText(tCString::FromAnsi(temp.File("made")));
    EXPECT_FALSE(folder.Exists());
    EXPECT_EQ(folder.Create(), kResOk);
    EXPECT_TRUE(folder.Exists());
    EXPECT_EQ(folder.Create(), kResOk);
    folder.SetText(tCString::FromAnsi(temp.File("no/such/parent")));
    EXPECT_EQ(folder.Create(), kResCreateFailed);
    EXPECT_EQ(std::filesystem::current_path(), before);
    EXPECT_EQ(tCFRef().Create(), kResNotImplemented);

    EXPECT_TRUE(IsShortcutName(tCString(u"a.lnk")));
    EXPECT_FALSE(IsShortcutName(tCString(u"A.LNK")));
    EXPECT_FALSE(IsShortcutName(tCString(u"lnk")));
}

}  // namespace
