#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "resources/CompiledResources.h"
#include "tests/toolkit/core/ErrorBoxRecorder.h"
#include "tests/toolkit/core/HeadlessApp.h"
#include "tests/toolkit/imaging/ImageFixtures.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/imaging/tCImageList.h"

namespace {

// Image lists compiled by the resource compiler over the ImageMagick BMP files.
class ImageLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string source = "vers 2\n"
                                   "imag 1 \"grid\" bmp \"imagemagick-24bit.bmp\"\n"
                                   "imag 2 \"mono\" bmp \"imagemagick-1bit.bmp\"\n"
                                   "imlt 10 \"owned\" exclusivity=1 [\"grid\" \"mono\" \"grid\"]\n"
                                   "imlt 11 \"shared\" [\"grid\" \"mono\"]\n"
                                   "imlt 12 \"also shared\" [\"mono\"]\n"
                                   "iml8 13 \"greys\" exclusivity=1 [\"mono\" \"grid\"]\n"
                                   "imlt 14 \"empty\" []\n"
                                   "imlt 15 \"broken\" exclusivity=1 [\"grid\" \"mono\" \"missing\" \"grid\"]\n";
        m_file = StreamOver(CompileResources(source, std::string(KOSTREL_TEST_DATA) + "/bmp"));
        ASSERT_EQ(m_directory.Read(m_file.get()), kResOk);
    }

    std::unique_ptr<TempFileStream> m_file;
    CResourceDirectory m_directory;
    ErrorBoxRecorder m_boxes;
};

TEST_F(ImageLists, OwningListsLoadTheirOwnCopies)
{
    std::unique_ptr<tCImageList> list(tCImageList::NewFromResourceName(u"owned", m_file.get(), &m_directory));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->OwnsImages());
    ASSERT_EQ(list->GetCount(), 3);
    EXPECT_NE(list->GetImage(0), list->GetImage(2));
    EXPECT_EQ(list->GetImage(0)->GetName(), tCString(u"grid"));
    EXPECT_EQ(list->GetImage(1)->GetName(), tCString(u"mono"));
    EXPECT_EQ(list->GetImage(1)->GetWidth(), 13);
    EXPECT_EQ(PixelAt(*list->GetImage(1), 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(list->GetImage(3), nullptr);
    EXPECT_EQ(list->GetCurrentIndex(), 0);

    std::unique_ptr<tCImageList8> greys(tCImageList8::NewFromResourceName(u"greys", m_file.get(), &m_directory));
    ASSERT_NE(greys, nullptr);
    ASSERT_EQ(greys->GetCount(), 2);
    EXPECT_EQ(ByteAt(*greys->GetImage(0), 0, 0), 255);

    tCImageList empty;
    EXPECT_EQ(empty.LoadFromResourceId(14, m_file.get(), &m_directory), kResOk);
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_EQ(m_boxes.count, 0);
}

TEST_F(ImageLists, SharingListsHoldThePoolsImages)
{
    ScriptedApp app;
    {
        tCImageList first(1), second(1);
        ASSERT_EQ(first.LoadFromResourceId(11, m_file.get(), &m_directory), kResOk);
        ASSERT_EQ(second.LoadFromResourceName(u"also shared", m_file.get(), &m_directory), kResOk);
        EXPECT_FALSE(first.OwnsImages());
        ASSERT_EQ(first.GetCount(), 2);
        EXPECT_EQ(second.GetImage(0), first.GetImage(1));
        EXPECT_EQ(app.FindResourceByName(kImagePool, u"mono"), first.GetImage(1));
        EXPECT_TRUE(first.GetImage(0)->IsPoolOwned());
    }
    // The lists are gone; the pool still holds both images, loaded once.
    CImage* mono = dynamic_cast<CImage*>(app.FindResourceByName(kImagePool, u"mono"));
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(mono->GetHeight(), 7);
    EXPECT_NE(app.FindResourceByName(kImagePool, u"grid"), nullptr);
}

TEST_F(ImageLists, AMissingImageKeepsTheEntriesBeforeIt)
{
    tCImageList list;
    EXPECT_EQ(list.LoadFromResourceId(15, m_file.get(), &m_directory), kResResourceRead);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_NE(m_boxes.text.find("missing"), std::string::npos);
    EXPECT_EQ(tCImageList::NewFromResourceName(u"broken", m_file.get(), &m_directory), nullptr);
    EXPECT_EQ(tCImageList::NewFromResourceName(u"nothing", m_file.get(), &m_directory), nullptr);
}

TEST_F(ImageLists, AListHoldingEntriesKeepsItsKindOfOwnership)
{
    ScriptedApp app;
    tCImageList list;
    ASSERT_EQ(list.LoadFromResourceId(11, m_file.get(), &m_directory), kResOk);
    EXPECT_EQ(list.LoadFromResourceId(10, m_file.get(), &m_directory), kResBadParam);
    EXPECT_FALSE(list.OwnsImages());
    EXPECT_EQ(list.GetCount(), 2);
    ASSERT_EQ(list.LoadFromResourceId(12, m_file.get(), &m_directory), kResOk);
    EXPECT_EQ(list.GetCount(), 3);

    tCImageList owning;
    ASSERT_EQ(owning.LoadFromResourceId(10, m_file.get(), &m_directory), kResOk);
    EXPECT_EQ(owning.LoadFromResourceId(12, m_file.get(), &m_directory), kResBadParam);
    EXPECT_TRUE(owning.OwnsImages());
    EXPECT_EQ(owning.GetCount(), 3);
}

TEST(ImageListData, DamagedDataIsReported)
{
    ErrorBoxRecorder boxes;
    const std::string header = U32(7) + Line(u"list");
    struct tCase {
        std::string payload;
        tResult code;
        const char* box;
    };
    const tCase cases[] = {
        {header + "\x01\x00", kResFileIO, "Error reading exclusivity"},
        {header + U32(1) + "\x02", kResFileIO, "Error reading number of entries"},
        {header + U32(1) + U32(0xFFFFFFFF), kResFileInvalid, ""},
        {header + U32(1) + U32(1000), kResFileInvalid, ""},
        {header + U32(1) + U32(2) + Line(u"a"), kResFileInvalid, ""},
    };
    for (const tCase& c : cases) {
        auto file = StreamOver(Chunk("imlt", c.payload));
        boxes.text.clear();
        tCImageList list;
        EXPECT_EQ(list.LoadFromResourceId(7, file.get(), nullptr), c.code) << c.box;
        EXPECT_NE(boxes.text.find(c.box), std::string::npos) << c.box;
        EXPECT_EQ(list.GetCount(), 0);
    }
    tCMemFile out;
    tCStringArray names;
    ASSERT_EQ(names.Add(tCString(u"two\nlines")), kResOk);
    EXPECT_EQ(tCImageList::WriteData(out, 0, names), kResBadParam);
}

}  // namespace
