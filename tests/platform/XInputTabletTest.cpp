#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "XDisplayFixture.h"
#include "platform/Wintab.h"
#include "platform/XInputTablet.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace XInputTabletTests {

using namespace w32;

// SDL's X11 video connects to the session bus, whose library keeps a block for good; the leak
// checker of the sanitizer build is told so.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

namespace {

class XInputDisplayTest : public XDisplayTest {
protected:
    void TearDown() override
    {
        UnloadWintab();
        XDisplayTest::TearDown();
    }
};

TEST_F(XInputDisplayTest, TheSourceReadsTheDisplayAndFindsNoPenAmongItsPointers)
{
    EXPECT_EQ(WTInfoA(0, 0, nullptr), 0u) << "the virtual display's pointers have no pressure";
    EXPECT_TRUE(xinput::IsSourceRunning());
    // Pointer input reaches the source as raw events, which it leaves alone.
    const std::string move = "xdotool mousemove 20 30 mousemove 40 50 2>/dev/null";
    EXPECT_EQ(std::system(move.c_str()), 0);
    EXPECT_EQ(WTInfoA(0, 0, nullptr), 0u);
    UnloadWintab();
    EXPECT_FALSE(xinput::IsSourceRunning());
    EXPECT_EQ(WTInfoA(0, 0, nullptr), 0u);
    EXPECT_TRUE(xinput::IsSourceRunning()) << "the next call starts the source again";
}

TEST(XInputTablet, WithoutSdlOnX11NoSourceStarts)
{
    EXPECT_EQ(WTInfoA(0, 0, nullptr), 0u);
    EXPECT_FALSE(xinput::IsSourceRunning());
    UnloadWintab();
}

}  // namespace

}  // namespace XInputTabletTests
