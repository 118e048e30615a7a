#include <gtest/gtest.h>

#include "paint/tools/ToolFactory.h"
#include "paint/tools/ToolMessages.h"

namespace {

TEST(ToolFactory, EveryToolIdMakesItsToolAndNoOtherIdMakesOne)
{
    for (uint32_t id = 4900; id <= 4915; ++id) {
        const std::unique_ptr<CToolBase> tool = MakeToolById(id);
        ASSERT_NE(tool, nullptr) << id;
        EXPECT_EQ(tool->GetToolId(), id);
    }
    EXPECT_EQ(MakeToolById(4899), nullptr);
    EXPECT_EQ(MakeToolById(4916), nullptr);
    EXPECT_EQ(MakeToolById(0), nullptr);
}

}  // namespace
