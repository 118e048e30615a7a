#include <gtest/gtest.h>

#include "app/shell/PressureResponse.h"
#include "toolkit/core/PenSettings.h"

namespace {

class PressureResponseTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetPenPressure(0.5f);
        SetPressureResponse(0.5f);
        SetPenSettingsSource(nullptr);
    }
};

TEST_F(PressureResponseTest, AHalfResponseKeepsThePressure)
{
    SetPressureResponse(0.5f);
    for (float p : {0.0f, 0.1f, 0.37f, 0.5f, 0.9f, 1.0f}) {
        SetPenPressure(p);
        EXPECT_FLOAT_EQ(GetMappedPressure(), p);
    }
}

TEST_F(PressureResponseTest, TheResponseBendsMidValues)
{
    SetPenPressure(0.5f);
    SetPressureResponse(0.25f);
    EXPECT_FLOAT_EQ(GetMappedPressure(), 0.25f);
    SetPressureResponse(0.75f);
    EXPECT_FLOAT_EQ(GetMappedPressure(), 0.75f);
    // 0.2 / (1 + (1/0.25 - 2) * 0.8) = 0.2 / 2.6
    SetPressureResponse(0.25f);
    SetPenPressure(0.2f);
    EXPECT_FLOAT_EQ(GetMappedPressure(), 0.2f / 2.6f);
}

TEST_F(PressureResponseTest, TheEndsStayForEveryInnerResponse)
{
    for (float s : {0.01f, 0.25f, 0.5f, 0.75f, 0.99f}) {
        SetPressureResponse(s);
        SetPenPressure(0.0f);
        EXPECT_EQ(GetMappedPressure(), 0.0f) << s;
        SetPenPressure(1.0f);
        EXPECT_FLOAT_EQ(GetMappedPressure(), 1.0f) << s;
    }
}

TEST_F(PressureResponseTest, ValuesAreKeptWithinZeroToOne)
{
    SetPenPressure(1.7f);
    EXPECT_EQ(GetPenPressure(), 1.0f);
    SetPenPressure(-0.2f);
    EXPECT_EQ(GetPenPressure(), 0.0f);
    SetPressureResponse(1.7f);
    EXPECT_EQ(GetPressureResponse(), 1.0f);
    SetPressureResponse(-0.2f);
    EXPECT_EQ(GetPressureResponse(), 0.0f);
}

TEST_F(PressureResponseTest, ThePenInputReadsTheInstalledValues)
{
    InstallPenSettingsSource();
    SetPenPressure(0.3f);
    SetPressureResponse(0.8f);
    SetUseCursorPosition(1);
    const tPenSettings settings = GetPenSettings();
    EXPECT_EQ(settings.pressure, 0.3f);
    EXPECT_EQ(settings.response, 0.8f);
    EXPECT_EQ(settings.useCursorPosition, 1);
    SetUseCursorPosition(0);
}

}  // namespace
