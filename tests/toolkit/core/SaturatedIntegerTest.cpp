#include <gtest/gtest.h>

#include "toolkit/core/tCString.h"

namespace {

TEST(SaturatedInteger, ReadsTypedWholeNumbersAndHoldsLongOnesAtTheLimits)
{
    EXPECT_EQ(tCString(u"150").ToSaturatedInteger(), 150);
    EXPECT_EQ(tCString(u" -5 ").ToSaturatedInteger(), -5);
    EXPECT_EQ(tCString(u"2147483647").ToSaturatedInteger(), 2147483647);
    EXPECT_EQ(tCString(u"2147483648").ToSaturatedInteger(), 2147483647);
    EXPECT_EQ(tCString(u"99999999999").ToSaturatedInteger(), 2147483647);
    EXPECT_EQ(tCString(u"-2147483648").ToSaturatedInteger(), -2147483647 - 1);
    EXPECT_EQ(tCString(u"-99999999999999999999").ToSaturatedInteger(), -2147483647 - 1);
    EXPECT_EQ(tCString(u"12.5").ToSaturatedInteger(), 12);
    EXPECT_EQ(tCString(u"").ToSaturatedInteger(), 0);
    // The wrapping reader stays as it is for ids.
    EXPECT_EQ(uint32_t(tCString(u"0xB2D05E00").ToInteger()), 0xB2D05E00u);
    EXPECT_NE(tCString(u"99999999999").ToInteger(), 2147483647);
}

}  // namespace
