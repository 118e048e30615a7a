#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "bench/StrokeReplay.h"
#include "paint/tools/CToolBase.h"
#include "toolkit/core/tCMemFile.h"

namespace {

// Each tool's settings record, read by a fresh tool of its class, gives that tool the same
// shared settings, so that it writes the same record again, and nib tables of the size read
// (whoever reads a record: the preferences reader calls nothing after it).
TEST(ToolRecords, EachWetSprayAndViewToolsRecordRoundTrips)
{
    for (uint32_t id : {4905u, 4907u, 4908u, 4909u, 4910u, 4911u, 4912u, 4913u, 4914u, 4915u}) {
        std::unique_ptr<CToolBase> tool = MakeReplayTool(id);
        ASSERT_TRUE(tool) << id;
        tool->SetSize(2.25f);
        tool->SetCommonProperty(0.125f);
        tool->SetStrokeCount(17);
        tool->SetToolFlag(1);
        tool->SetStrokePosition(-40);
        tool->SetCleanBrush(0);
        tCMemFile written;
        ASSERT_EQ(tool->WriteSettings(&written), kResOk) << id;

        std::unique_ptr<CToolBase> fresh = MakeReplayTool(id);
        written.Rewind();
        ASSERT_EQ(fresh->ReadSettings(&written, written.GetSize()), kResOk) << id;
        EXPECT_EQ(written.GetPosition(), written.GetSize()) << id;
        EXPECT_EQ(fresh->GetSize(), 2.25f) << id;
        EXPECT_EQ(fresh->GetCommonProperty(), 0.125f) << id;
        EXPECT_EQ(fresh->GetStrokeCount(), 17u) << id;
        EXPECT_EQ(fresh->GetToolFlag(), 1u) << id;
        EXPECT_EQ(fresh->GetStrokePosition(), -40) << id;
        EXPECT_EQ(fresh->GetCleanBrush(), 0u) << id;
        tCMemFile again;
        ASSERT_EQ(fresh->WriteSettings(&again), kResOk) << id;
        ASSERT_EQ(again.GetSize(), written.GetSize()) << id;
        EXPECT_EQ(std::memcmp(again.GetData(), written.GetData(), size_t(written.GetSize())), 0) << id;
        int differing = 0;
        for (int i = 0; i <= 240; ++i) {
            float a[2] = {}, b[2] = {};
            tool->SampleNibPair(&a[0], &a[1], float(i) / 240.0f, 120.0f);
            fresh->SampleNibPair(&b[0], &b[1], float(i) / 240.0f, 120.0f);
            differing += (a[0] != b[0]) + (a[1] != b[1]);
        }
        EXPECT_EQ(differing, 0) << id;
    }
}

}  // namespace
