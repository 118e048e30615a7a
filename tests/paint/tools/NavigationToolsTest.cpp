#include <gtest/gtest.h>

#include <memory>

#include "paint/tools/CMoveTool.h"
#include "paint/tools/CRotateTool.h"
#include "paint/tools/CSampleTool.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/CZoomTool.h"
#include "toolkit/core/tCMemFile.h"

namespace {

std::unique_ptr<CToolBase> MakeViewTool(int which)
{
    switch (which) {
    case 0:
        return std::make_unique<CSampleTool>();
    case 1:
        return std::make_unique<CMoveTool>();
    case 2:
        return std::make_unique<CRotateTool>();
    default:
        return std::make_unique<CZoomTool>();
    }
}

TEST(NavigationTools, EachHasItsIdAWidthOfOneAndNoProperties)
{
    for (int which = 0; which < 4; ++which) {
        std::unique_ptr<CToolBase> tool = MakeViewTool(which);
        tool->Invalidate();
        EXPECT_EQ(tool->GetToolId(), uint32_t(4909 + which));
        for (float size : {0.01f, 0.5f, 10.0f}) {
            tool->SetSize(size);
            EXPECT_EQ(tool->GetNibWidth(0.0f), 1.0f);
            EXPECT_EQ(tool->GetNibWidth(1.0f), 1.0f);
        }
        EXPECT_EQ(tool->GetDabSpacing(50.0f), 1.0f);
        EXPECT_EQ(tool->GetMinNibWidth(), 1.0f);
        EXPECT_EQ(tool->GetMaxNibWidth(), 1.0f);
        EXPECT_EQ(tool->PaintsWhileStill(), 0u);
        tCArray<CToolProperty*> list;
        EXPECT_EQ(tool->GetPropertyList(&list), kResOk);
        EXPECT_EQ(list.GetCount(), 0);
    }
}

TEST(NavigationTools, TheirRecordsCarryAnEmptyBlockTwoAndRefuseAnotherToolsRecord)
{
    for (int which = 0; which < 4; ++which) {
        std::unique_ptr<CToolBase> tool = MakeViewTool(which);
        tool->SetSize(3.0f);
        tCMemFile written;
        ASSERT_EQ(tool->WriteSettings(&written), kResOk);
        ASSERT_EQ(written.GetSize(), 4 + 4 + 24 + 4);
        EXPECT_EQ(written.GetData()[32], 0u);
        std::unique_ptr<CToolBase> same = MakeViewTool(which);
        written.Rewind();
        ASSERT_EQ(same->ReadSettings(&written, written.GetSize()), kResOk);
        EXPECT_EQ(same->GetSize(), 3.0f);

        std::unique_ptr<CToolBase> other = MakeViewTool((which + 1) % 4);
        other->SetSize(0.7f);
        written.Rewind();
        EXPECT_EQ(other->ReadSettings(&written, written.GetSize()), 16u);
        EXPECT_EQ(other->GetSize(), 0.7f);
    }
}

}  // namespace
