#include <gtest/gtest.h>

#include <cmath>

#include "app/shell/controls/CKS2PieWidget.h"
#include "app/shell/controls/CKS2RadialControl.h"
#include "toolkit/imaging/CImNav.h"

namespace {

TEST(PieWidget, SetValueKeepsTheValueWithinZeroAndOne)
{
    CKS2PieWidget pie;
    EXPECT_EQ(pie.SetValue(1.7f, 0), kResOk);
    EXPECT_EQ(pie.GetValue(), 1.0f);
    pie.SetValue(-0.2f, 0);
    EXPECT_EQ(pie.GetValue(), 0.0f);
    pie.SetValue(0.3f, 0);
    EXPECT_FLOAT_EQ(pie.GetValue(), 0.3f);
    EXPECT_EQ(pie.GetFillColour(), 0xFF999999u);
    EXPECT_EQ(pie.GetEdgeColour(), 0xFFDDDDDDu);
    EXPECT_FLOAT_EQ(pie.GetEdge(), 0.08f);
}

TEST(PieWidget, PointsGiveTheirTurnWithoutTheDeadZone)
{
    CKS2PieWidget pie;
    pie.SetSize(50, 50, 0);
    const tCPoint right{45, 25}, below{25, 45}, left{5, 25};
    EXPECT_NEAR(pie.ValueFromPoint(&right), (0.25 - 0.04) / 0.92, 1e-5);
    EXPECT_NEAR(pie.ValueFromPoint(&below), 0.5, 1e-5);
    EXPECT_NEAR(pie.ValueFromPoint(&left), (0.75 - 0.04) / 0.92, 1e-5);
    const tCPoint justLeft{24, 2}, justRight{26, 2};
    EXPECT_EQ(pie.ValueFromPoint(&justLeft), 1.0f);
    EXPECT_EQ(pie.ValueFromPoint(&justRight), 0.0f);
    // Without a dead zone the turn itself.
    pie.SetEdge(0.0f);
    EXPECT_NEAR(pie.ValueFromPoint(&right), 0.25, 1e-5);
}

TEST(PieWidget, TheBytePairBlendMovesFromOneColourTowardsTheOther)
{
    EXPECT_EQ(BlendPackedColour(0xFF999999, 0xFFA9C200, 0), 0xFF999999u);
    EXPECT_EQ(BlendPackedColour(0xFF999999, 0xFFA9C200, 255), 0xFFA8C100u);
    // Halfway between black and white, computed by hand: 0x7F per byte pair.
    EXPECT_EQ(BlendPackedColour(0xFF000000, 0xFFFFFFFF, 128), 0xFF7F7F7Fu);
    EXPECT_EQ(BlendPackedColour(0x00000000, 0xFF000000, 128), 0x7F000000u);
}

// The colour the gauge gives a pixel, worked out from the formulas step by step.
uint32_t Expected(int x, int y, float value, uint32_t fill, uint32_t edgeColour, uint32_t ring)
{
    const double w = 50, h = 50, r = 23.0, edge = 0.08, s = 0.04;
    const double dx = w / 2 - x, dy = h / 2 - y, d2 = dx * dx + dy * dy;
    if (d2 > (r + 1) * (r + 1))
        return 0;
    const double d = std::sqrt(d2);
    const long a = d2 < r * r ? 255 : std::lround(255 - (d - r) * 255);
    const double t = std::atan2(w / 2 - x, y - h / 2) / 6.2831855 + 0.5;
    const double k = d == 0 ? 0 : 0.008 / std::exp(d / r);
    const double end = s + value * (1 - edge);
    uint32_t c = fill;
    auto band = [&](double at) { return uint32_t(std::lround((at + k - t) * 255 / (2 * k))); };
    if (t > end - k)
        c = t < end + k ? BlendPackedColour(ring, c, band(end)) : ring;
    if (t > (1 - s) - k)
        c = t < (1 - s) + k ? BlendPackedColour(edgeColour, c, band(1 - s)) : edgeColour;
    if (t < s + k)
        c = t > s - k ? BlendPackedColour(c, edgeColour, band(s)) : edgeColour;
    return (c & 0x00FFFFFF) | ((((c >> 8) * uint32_t(a + 1)) >> 24) << 24);
}

TEST(PieWidget, TheGaugeShowsTheDeadZoneTheSectorAndTheRestOfTheRing)
{
    for (float value : {0.0f, 0.3f, 1.0f}) {
        CKS2PieWidget pie;
        pie.SetColour(0xFF203040, 0);
        pie.SetSize(50, 50, 0);
        pie.SetValue(value, 0);
        ASSERT_EQ(pie.RenderImage(), kResOk);
        EXPECT_EQ(pie.IsDirty(), 0u);
        CImNav view(pie.GetImage());
        int mismatches = 0;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 50; ++x) {
                const uint32_t want = Expected(x, y, value, 0xFF999999, 0xFFDDDDDD, 0xFF203040);
                const uint32_t got = view.Pixels(y)[x];
                // Single-precision rounding may move a band's blend by a step.
                const int diff = std::abs(int((got >> 8) & 0xFF) - int((want >> 8) & 0xFF));
                mismatches += (got >> 24) != (want >> 24) || diff > 2;
            }
        EXPECT_LE(mismatches, 4) << value;
        // Points well inside each region, by hand: the corner is transparent; right of the centre
        // is filled only past 0.3 of the turn; straight up is the dead zone.
        EXPECT_EQ(view.Pixels(0)[0], 0u);
        EXPECT_EQ(view.Pixels(25)[44], value >= 0.3f ? 0xFF999999u : 0xFF203040u) << value;
        EXPECT_EQ(view.Pixels(44)[25] & 0x00FFFFFF, value == 1.0f ? 0x999999u : 0x203040u) << value;
        EXPECT_EQ(view.Pixels(8)[25], 0xFFDDDDDDu);
    }
}

// The stamps start at 0 and the first point is stamped 0 too, so a crossing counts from the
// second point of a drag on.
TEST(DialDrag, AcrossTwelveOClockTheValueStaysPinnedToTheEndItCrossed)
{
    CDialDrag drag;
    EXPECT_FLOAT_EQ(drag.Next(0.9f), 0.9f);
    EXPECT_FLOAT_EQ(drag.Next(0.97f), 0.97f);
    // Clockwise past the top into the first quarter: held at 1.
    EXPECT_EQ(drag.Next(0.02f), 1.0f);
    EXPECT_EQ(drag.Next(0.1f), 1.0f);
    EXPECT_EQ(drag.Next(0.2f), 1.0f);
    // Back into the last quarter: follows again.
    EXPECT_FLOAT_EQ(drag.Next(0.95f), 0.95f);
    // And on from the first quarter into the second, without crossing: follows.
    CDialDrag onwards;
    onwards.Next(0.1f);
    EXPECT_FLOAT_EQ(onwards.Next(0.2f), 0.2f);
    EXPECT_FLOAT_EQ(onwards.Next(0.3f), 0.3f);
    // Anticlockwise past the top from the first quarter: held at 0.
    CDialDrag back;
    back.Next(0.05f);
    back.Next(0.1f);
    EXPECT_EQ(back.Next(0.96f), 0.0f);
    EXPECT_EQ(back.Next(0.8f), 0.0f);
    EXPECT_FLOAT_EQ(back.Next(0.6f), 0.6f);
}

TEST(DialDrag, APointPinnedInTheFirstQuarterStaysPinnedIntoTheSecond)
{
    CDialDrag drag;
    drag.Next(0.9f);
    drag.Next(0.95f);
    EXPECT_EQ(drag.Next(0.1f), 1.0f);
    // The pin stamped the last quarter, so the second quarter is a move from it: it follows.
    EXPECT_FLOAT_EQ(drag.Next(0.3f), 0.3f);
}

TEST(TypedPercent, WholeNumbersAreClampedAndOtherTextIsRefused)
{
    float value = -1.0f;
    EXPECT_TRUE(ReadTypedPercent(u"150", &value));
    EXPECT_EQ(value, 1.0f);
    EXPECT_TRUE(ReadTypedPercent(u"-5", &value));
    EXPECT_EQ(value, 0.0f);
    EXPECT_TRUE(ReadTypedPercent(u"40", &value));
    EXPECT_FLOAT_EQ(value, 0.4f);
    EXPECT_TRUE(ReadTypedPercent(u"99999999999", &value));
    EXPECT_EQ(value, 1.0f);
    value = 0.5f;
    EXPECT_FALSE(ReadTypedPercent(u"12.5", &value));
    EXPECT_FALSE(ReadTypedPercent(u"ab", &value));
    EXPECT_FALSE(ReadTypedPercent(u"", &value));
    EXPECT_EQ(value, 0.5f);
}

}  // namespace
