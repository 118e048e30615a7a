#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "app/shell/CPreferencesFile.h"
#include "app/shell/panes/ShippedAppTest.h"
#include "tests/platform/ScopedEnvironment.h"
#include "toolkit/core/tCMemFile.h"
#include "paint/engine/RecordBytes.h"

namespace {

constexpr uint32_t kTagCursorStyle = 0xFF003095;
constexpr uint32_t kTagMenuBarSide = 0xFF003099;
constexpr uint32_t kTagMenuBarCentre = 0xFF00309D;
constexpr uint32_t kTagBackgroundColour = 0xFF0030A1;

std::string Bytes(uint64_t value, int width)
{
    std::string bytes(size_t(width), '\0');
    for (int i = 0; i < width; ++i)
        bytes[size_t(i)] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

class MenuBarPreferencesTest : public ShippedAppTest {
protected:
    void SetUp() override
    {
        ShippedAppTest::SetUp();
        environment.Set("XDG_CONFIG_HOME", files.File("config"));
    }
    std::string Written()
    {
        tCMemFile stream;
        EXPECT_EQ(CPreferencesFile::WriteChunks(*Backdrop(), &stream), kResOk);
        return std::string(reinterpret_cast<const char*>(stream.GetData()), size_t(stream.GetSize()));
    }
    void Read(const std::string& bytes)
    {
        tCMemFile stream;
        ASSERT_EQ(stream.WriteBytes(bytes.data(), int64_t(bytes.size())), kResOk);
        ASSERT_EQ(stream.Rewind(), kResOk);
        ASSERT_EQ(CPreferencesFile::ReadChunks(*Backdrop(), stream), kResOk);
    }
    CWidget* Root() const { return Bar()->GetRoot(); }
    int32_t Centre() const { return (Root()->GetRect().left + Root()->GetRect().right) >> 1; }

    ScopedEnvironment environment;
};

TEST_F(MenuBarPreferencesTest, TheSideAndTheCentreFollowTheCursorStyleAndComeBack)
{
    RunShipped();
    const int32_t width = Backdrop()->GetWidth();
    ASSERT_EQ(Root()->SetXPosition(100, 0), kResOk);
    ASSERT_EQ(Bar()->SetSide(1, 0), kResOk);
    EXPECT_EQ(Root()->GetRect().left, 100);
    EXPECT_EQ(Root()->GetRect().top, -29);
    const int32_t centre = Centre();
    const std::string bytes = Written();
    const std::string rows = Chunk(kTagMenuBarSide, Bytes(1, 4)) +
                             Chunk(kTagMenuBarCentre, F32(float(double(centre) / double(width))));
    const size_t at = bytes.find(rows);
    ASSERT_NE(at, std::string::npos);
    // Right after the cursor style's row, right before the background colour's.
    EXPECT_EQ(bytes.substr(at - 16, 4), Bytes(kTagCursorStyle, 4));
    EXPECT_EQ(bytes.substr(at + rows.size(), 4), Bytes(kTagBackgroundColour, 4));

    ASSERT_EQ(Bar()->SetSide(0, 0), kResOk);
    ASSERT_EQ(Root()->SetXPosition(0, 0), kResOk);
    Read(bytes);
    EXPECT_EQ(Bar()->GetSide(), 1u);
    EXPECT_EQ(Root()->GetRect().top, -29);
    EXPECT_EQ(Centre(), centre);
    // Through the real file as well.
    ASSERT_EQ(CPreferencesFile().WritePreferences(*Backdrop()), kResOk);
    ASSERT_EQ(Bar()->SetSide(0, 0), kResOk);
    ASSERT_EQ(Root()->SetXPosition(0, 0), kResOk);
    ASSERT_EQ(CPreferencesFile().ReadPreferences(*Backdrop()), kResOk);
    EXPECT_EQ(Bar()->GetSide(), 1u);
    EXPECT_EQ(Centre(), centre);
}

TEST_F(MenuBarPreferencesTest, AStoredCentreKeepsTheWholeBarOnScreen)
{
    RunShipped();
    const int32_t width = Backdrop()->GetWidth();
    const int32_t barWidth = Root()->GetWidth();
    Read(Chunk(kTagMenuBarCentre, F32(0.0f)));
    EXPECT_EQ(Root()->GetRect().left, 0);
    Read(Chunk(kTagMenuBarCentre, F32(1.0f)));
    EXPECT_EQ(Root()->GetRect().right, width);
    Read(Chunk(kTagMenuBarCentre, F32(0.5f)));
    EXPECT_EQ(Root()->GetRect().left, int32_t(std::lround(width * 0.5)) - barWidth / 2);
    for (float hostile : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        Read(Chunk(kTagMenuBarCentre, F32(hostile)));
        EXPECT_EQ(Root()->GetRect().left, int32_t(std::lround(width * 0.5)) - barWidth / 2);
    }
    Read(Chunk(kTagMenuBarCentre, F32(7.0f)));
    EXPECT_EQ(Root()->GetRect().right, width);
    // A side of 0, or a payload too short for a value, changes nothing.
    Read(Chunk(kTagMenuBarSide, Bytes(0, 4)) + Chunk(kTagMenuBarSide, Bytes(1, 2)));
    EXPECT_EQ(Bar()->GetSide(), 0u);
    Read(Chunk(kTagMenuBarSide, Bytes(0xFFFFFFFF, 4)));
    EXPECT_EQ(Bar()->GetSide(), 1u);
}

TEST_F(MenuBarPreferencesTest, WithoutTheBarNoRowIsWrittenAndStoredRowsAreSkipped)
{
    panes.rows.clear();
    RunShipped();
    ASSERT_EQ(Bar(), nullptr);
    const std::string bytes = Written();
    EXPECT_EQ(bytes.find(Bytes(kTagMenuBarSide, 4)), std::string::npos);
    EXPECT_EQ(bytes.find(Bytes(kTagMenuBarCentre, 4)), std::string::npos);
    Read(Chunk(kTagMenuBarSide, Bytes(1, 4)) + Chunk(kTagMenuBarCentre, F32(0.25f)) +
         Chunk(kTagBackgroundColour, Bytes(0xFF112233, 4)));
    EXPECT_EQ(Backdrop()->GetBackgroundColour(), 0xFF112233u);
}

}  // namespace
