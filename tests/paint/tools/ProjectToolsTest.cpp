#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "paint/engine/ProjectBytes.h"
#include "paint/engine/ProjectTestSupport.h"
#include "paint/tools/COilPaintNew.h"
#include "paint/tools/ToolMessages.h"

namespace {

// The oil brush with its nib tables in view.
class OilProbe : public COilPaintNew {
public:
    std::vector<float> NibTables() const
    {
        std::vector<float> tables(m_nibTable[0], m_nibTable[0] + kNibEntries);
        tables.insert(tables.end(), m_nibTable[1], m_nibTable[1] + kNibEntries);
        return tables;
    }
    uint32_t Changed() const { return m_changed; }
    void ClearChanged() { m_changed = 0; }
};

std::string SettingsOf(ICanvasTool& tool)
{
    tCMemFile record;
    EXPECT_EQ(tool.WriteSettings(&record), kResOk);
    return StreamBytes(record);
}

using ProjectToolsTest = ProjectTest;

TEST_F(ProjectToolsTest, TheOilBrushComesBackWithItsSettingsAndPaintsWithThem)
{
    OilProbe saved;
    saved.SetSize(0.875f);
    saved.SetCommonProperty(0.25f);
    ASSERT_EQ(saved.SetProperty(0xB2D05EA5u, 0.75f), kResOk);
    ASSERT_EQ(saved.SetProperty(0xB2D05EA4u, 0.125f), kResOk);
    saved.SetStrokeCount(12);
    FakeProjectHost source(std::vector<uint32_t>{});
    source.tools = {&saved};
    source.currentTool = &saved;
    ASSERT_EQ(source.NewPainting(16, 12), kResOk);
    Save(source, "oil.ptg");

    OilProbe opened;
    const std::vector<float> defaultTables = opened.NibTables();
    opened.ClearChanged();
    FakeProjectHost target(std::vector<uint32_t>{});
    target.tools = {&opened};
    ASSERT_EQ(Open(target, "oil.ptg"), kResOk);
    EXPECT_EQ(SettingsOf(opened), SettingsOf(saved));
    EXPECT_EQ(opened.GetSize(), 0.875f);
    EXPECT_EQ(opened.GetLoading(), 0.75f);
    EXPECT_EQ(opened.GetStrokeCount(), 12u);
    // Read settings are applied: the nib follows the size read, and the next stroke starts anew.
    EXPECT_EQ(opened.NibTables(), saved.NibTables());
    EXPECT_NE(opened.NibTables(), defaultTables);
    EXPECT_EQ(opened.GetNoiseScale(), saved.GetNoiseScale());
    EXPECT_EQ(opened.Changed(), 1u);
    EXPECT_EQ(target.currentTool, &opened);
}

TEST_F(ProjectToolsTest, AnEarlierFileSetsTheOilBrushsSizeAndStrokeCount)
{
    OilProbe oil;
    FakeProjectHost host(std::vector<uint32_t>{});
    host.tools = {&oil};
    const std::string file = ProjectLines("Hollimar") + HeaderChunk(4, 4) + Chunk(kTagCurrentTool, I32(0)) +
                             Chunk(kTagEarlierToolSize, I32(40)) + Chunk(kTagEarlierStrokeCount, I32(31));
    ASSERT_EQ(OpenBytes(host, file), kResOk);
    EXPECT_EQ(host.currentTool, &oil);
    EXPECT_FLOAT_EQ(oil.GetSize(), 0.4f);
    EXPECT_EQ(oil.GetStrokeCount(), 31u);
    OilProbe sized;
    sized.SetSize(0.4f);
    EXPECT_EQ(oil.NibTables(), sized.NibTables());
}

TEST_F(ProjectToolsTest, AnOilRecordThatDoesNotReadLeavesTheBrushAsItWas)
{
    OilProbe oil;
    oil.SetSize(0.3f);
    const std::string before = SettingsOf(oil);
    FakeProjectHost host(std::vector<uint32_t>{});
    host.tools = {&oil};
    // Block 1 whole, block 2 announced longer than the record.
    const std::string record = U32(kToolOilBrush) + U32(24) + U32(5) + F32(2.0f) + U32(0) + U32(0) + F32(0.5f) +
                               U32(1) + U32(8) + F32(0.5f);
    ASSERT_EQ(OpenBytes(host, ProjectLines("Kostrel 2") + HeaderChunk(4, 4) + Chunk(kTagToolSettings, record)), kResOk);
    EXPECT_EQ(SettingsOf(oil), before);
}

}  // namespace
