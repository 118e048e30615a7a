#include <gtest/gtest.h>

#include "toolkit/core/CValueRestorer.h"

namespace {

int32_t LeaveEarly(int32_t* flag, bool early)
{
    *flag = 1;
    CValueRestorer restorer(flag, 0);
    if (early)
        return *flag;
    *flag = 2;
    return *flag;
}

}  // namespace

TEST(ValueRestorer, WritesTheValueBackOnEveryPathOut)
{
    int32_t flag = 7;
    EXPECT_EQ(LeaveEarly(&flag, true), 1);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(LeaveEarly(&flag, false), 2);
    EXPECT_EQ(flag, 0);
}

TEST(ValueRestorer, RestoreWritesOnceAndForgetsTheInt)
{
    int32_t flag = 5;
    {
        CValueRestorer restorer(&flag, -3);
        restorer.Restore();
        EXPECT_EQ(flag, -3);
        flag = 9;
    }
    EXPECT_EQ(flag, 9);
}

TEST(ValueRestorer, DisarmedOrWithoutAnIntItWritesNothing)
{
    int32_t flag = 4;
    {
        CValueRestorer restorer(&flag, 0);
        restorer.Disarm();
        restorer.Restore();
    }
    EXPECT_EQ(flag, 4);
    CValueRestorer none(nullptr, 1);
    none.Restore();
}
