#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "HeadlessFixture.h"
#include "platform/Messages.h"
#include "platform/Queue.h"
#include "platform/TabletTool.h"
#include "platform/Window.h"
#include "platform/Wintab.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace WintabTests {

using namespace w32;
using tablet::tToolInfo;
using tablet::tValuator;

namespace {

// A pen as the X server describes one: position, pressure and tilt valuators, and a wheel.
tToolInfo Pen(const char* name, double pressureMax = 2047)
{
    return {name,
            {{"Abs X", 0, 20000, 0},
             {"Abs Y", 0, 12000, 0},
             {"Abs Pressure", 0, pressureMax, 0},
             {"Abs Tilt X", -64, 63, 0},
             {"Abs Tilt Y", -64, 63, 0},
             {"Abs Wheel", -900, 899, 0}}};
}

int Tenths(double degrees)
{
    return int(std::lround(degrees * 10));
}

double Degrees(double radians)
{
    return radians * 180 / 3.14159265358979323846;
}

TEST(TabletTool, AxesAreFoundByTheirLabels)
{
    tablet::tToolAxes axes;
    ASSERT_TRUE(tablet::FindToolAxes(Pen("Wacom Intuos S Pen stylus"), &axes));
    EXPECT_EQ(axes.x, 0);
    EXPECT_EQ(axes.y, 1);
    EXPECT_EQ(axes.pressure, 2);
    EXPECT_EQ(axes.tiltX, 3);
    EXPECT_EQ(axes.tiltY, 4);
    EXPECT_FALSE(axes.eraser);
    ASSERT_TRUE(tablet::FindToolAxes(Pen("Wacom Intuos S Pen ERASER"), &axes));
    EXPECT_TRUE(axes.eraser);

    // Labels in another order, without tilt, still make a tool.
    const tToolInfo shuffled{"Tablet Pen (0)", {{"Abs Pressure", 0, 65535, 0}, {"", 0, 1, 0}, {"Abs Y", 0, 9, 0},
                                               {"Abs X", 0, 9, 0}}};
    ASSERT_TRUE(tablet::FindToolAxes(shuffled, &axes));
    EXPECT_EQ(axes.pressure, 0);
    EXPECT_EQ(axes.x, 3);
    EXPECT_EQ(axes.tiltX, -1);
    EXPECT_EQ(axes.tiltY, -1);

    const tToolInfo mouse{"Logitech Mouse", {{"Rel X", -1, -1, 0}, {"Rel Y", -1, -1, 0}}};
    EXPECT_FALSE(tablet::FindToolAxes(mouse, &axes));
    tToolInfo flat = Pen("Broken Pen");
    flat.valuators[2].max = 0;
    EXPECT_FALSE(tablet::FindToolAxes(flat, &axes)) << "an empty pressure range";
}

TEST(TabletTool, TiltsBecomeAzimuthAndAltitude)
{
    int32_t azimuth = -1, altitude = -1;
    tablet::TiltToOrientation(0, 0, &azimuth, &altitude);
    EXPECT_EQ(azimuth, 0);
    EXPECT_EQ(altitude, 900);
    tablet::TiltToOrientation(45, 0, &azimuth, &altitude);
    EXPECT_EQ(azimuth, 900) << "leaning right";
    EXPECT_EQ(altitude, 450);
    tablet::TiltToOrientation(0, 30, &azimuth, &altitude);
    EXPECT_EQ(azimuth, 1800) << "leaning toward the user";
    EXPECT_EQ(altitude, 600);
    tablet::TiltToOrientation(-60, 0, &azimuth, &altitude);
    EXPECT_EQ(azimuth, 2700);
    EXPECT_EQ(altitude, 300);
    // Leaning 30 degrees each way: the pen (tan 30, tan 30, 1) rises asin(1 / |v|) over the tablet.
    tablet::TiltToOrientation(30, -30, &azimuth, &altitude);
    EXPECT_EQ(azimuth, 450);
    EXPECT_EQ(altitude, Tenths(Degrees(std::asin(1 / std::sqrt(1 + 2.0 / 3)))));
}

LRESULT DefaultProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

class WintabTest : public HeadlessTest {
protected:
    void SetUp() override
    {
        HeadlessTest::SetUp();
        WNDCLASSEXW windowClass;
        windowClass.lpfnWndProc = DefaultProcedure;
        windowClass.lpszClassName = u"WintabTest";
        RegisterClassExW(&windowClass);
        window = CreateWindowExW(0, u"WintabTest", u"", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        UnloadWintab();
        DestroyWindow(window);
        HeadlessTest::TearDown();
    }

    HCTX Open(LONG extentY = -12000)
    {
        LOGCONTEXTA context;
        EXPECT_NE(WTInfoA(WTI_DEFSYSCTX, 0, &context), 0u);
        context.lcOutExtX = 20000;
        context.lcOutExtY = extentY;
        return WTOpenA(window, &context, 1);
    }

    // The serials of the packet messages waiting for the window, taken off the queue.
    std::vector<UINT> TakePacketMessages(HCTX context)
    {
        std::vector<UINT> serials;
        MSG message;
        while (PeekMessageW(&message, window, WT_PACKET, WT_PACKET, PM_REMOVE)) {
            EXPECT_EQ(message.lParam, reinterpret_cast<LPARAM>(context));
            serials.push_back(UINT(message.wParam));
        }
        return serials;
    }

    PACKET Latest(HCTX context)
    {
        const std::vector<UINT> serials = TakePacketMessages(context);
        PACKET packet;
        EXPECT_FALSE(serials.empty());
        if (!serials.empty()) {
            EXPECT_TRUE(WTPacket(context, serials.back(), &packet));
        }
        return packet;
    }

    HWND window = nullptr;
};

TEST_F(WintabTest, WithoutAPenThereIsNoTablet)
{
    EXPECT_EQ(WTInfoA(0, 0, nullptr), 0u);
    tablet::ConnectTool(3, {"Virtual core XTEST pointer", {{"Rel X", -1, -1, 0}, {"Rel Y", -1, -1, 0}}});
    EXPECT_EQ(WTInfoA(0, 0, nullptr), 0u);
    AXIS axis;
    EXPECT_EQ(WTInfoA(WTI_DEVICES, DVC_X, &axis), 0u);
}

TEST_F(WintabTest, TheDeviceTellsThePensRanges)
{
    tablet::ConnectTool(11, Pen("Wacom Intuos S Pen stylus"));
    EXPECT_NE(WTInfoA(0, 0, nullptr), 0u);
    AXIS x, y, pressure;
    ASSERT_EQ(WTInfoA(WTI_DEVICES, DVC_X, &x), sizeof(AXIS));
    ASSERT_EQ(WTInfoA(WTI_DEVICES, DVC_Y, &y), sizeof(AXIS));
    ASSERT_EQ(WTInfoA(WTI_DEVICES, DVC_NPRESSURE, &pressure), sizeof(AXIS));
    EXPECT_EQ(x.axMax, 20000);
    EXPECT_EQ(y.axMax, 12000);
    EXPECT_EQ(pressure.axMin, 0);
    EXPECT_EQ(pressure.axMax, 2047);
    AXIS orientation[3];
    ASSERT_EQ(WTInfoA(WTI_DEVICES, DVC_ORIENTATION, orientation), 3 * sizeof(AXIS));
    EXPECT_EQ(orientation[0].axResolution, 3600u << 16);
    EXPECT_EQ(orientation[1].axResolution, 3600u << 16);

    BYTE button = 99;
    EXPECT_EQ(WTInfoA(WTI_CURSORS, CSR_NPBUTTON, &button), 1u);
    EXPECT_EQ(button, 0);
    BYTE map[32];
    EXPECT_EQ(WTInfoA(WTI_CURSORS, CSR_BUTTONMAP, map), 32u);
    EXPECT_EQ(map[5], 5);
    UINT marks[2] = {9, 9};
    EXPECT_EQ(WTInfoA(WTI_CURSORS, CSR_NPBTNMARKS, marks), 8u);
    EXPECT_EQ(marks[1], 0u);
    EXPECT_EQ(WTInfoA(WTI_CURSORS + 1, CSR_NPBUTTON, &button), 0u) << "no second cursor yet";
}

TEST_F(WintabTest, PenInputBecomesPacketsInTheContextsExtents)
{
    tablet::ConnectTool(11, Pen("Wacom Intuos S Pen stylus"));
    const HCTX context = Open();
    ASSERT_NE(context, nullptr);

    tablet::MoveTool(11, {{0, 5000}, {1, 3000}, {2, 1024}, {3, 45}});
    PACKET packet = Latest(context);
    EXPECT_EQ(packet.pkX, 5000);
    EXPECT_EQ(packet.pkY, 3000) << "a negative extent grows downward like the input";
    EXPECT_EQ(packet.pkNormalPressure, 1024u);
    EXPECT_EQ(packet.pkCursor, 0u);
    EXPECT_EQ(packet.pkStatus, 0u);
    EXPECT_EQ(packet.pkButtons, 0u);
    EXPECT_EQ(packet.pkOrientation.orAzimuth, 900);
    EXPECT_EQ(packet.pkOrientation.orAltitude, 450);

    tablet::PressToolButton(11, 1, true);
    tablet::PressToolButton(11, 3, true);
    packet = Latest(context);
    EXPECT_EQ(packet.pkButtons, 0x5u);
    EXPECT_EQ(packet.pkX, 5000) << "the position is kept between events";
    tablet::PressToolButton(11, 1, false);
    EXPECT_EQ(Latest(context).pkButtons, 0x4u);

    // An eraser with a narrower pressure range tells its pressure in the device's range.
    tablet::ConnectTool(12, Pen("Wacom Intuos S Pen eraser", 1023));
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, window, WT_INFOCHANGE, WT_INFOCHANGE, PM_REMOVE));
    tablet::MoveTool(12, {{0, 20000}, {1, 0}, {2, 1023}});
    packet = Latest(context);
    EXPECT_EQ(packet.pkStatus, DWORD(TPS_INVERT));
    EXPECT_EQ(packet.pkCursor, 1u);
    EXPECT_EQ(packet.pkX, 20000);
    EXPECT_EQ(packet.pkNormalPressure, 2047u);
    EXPECT_EQ(packet.pkOrientation.orAltitude, 900);

    // With a positive extent y grows upward.
    ASSERT_TRUE(WTEnable(context, 0));
    const HCTX upward = Open(12000);
    tablet::MoveTool(11, {{1, 3000}});
    EXPECT_EQ(Latest(upward).pkY, 9000);
    EXPECT_TRUE(WTClose(upward));
    EXPECT_FALSE(WTClose(upward));
}

TEST_F(WintabTest, QueuesKeepTheNewestPacketsAndSerialsDropOlderOnes)
{
    tablet::ConnectTool(11, Pen("Pen"));
    const HCTX context = Open();
    ASSERT_TRUE(WTQueueSizeSet(context, 3));
    EXPECT_FALSE(WTQueueSizeSet(context, 0));
    for (int i = 1; i <= 5; ++i)
        tablet::MoveTool(11, {{0, i * 100.0}});
    const std::vector<UINT> serials = TakePacketMessages(context);
    ASSERT_EQ(serials.size(), 5u);
    PACKET packet;
    EXPECT_FALSE(WTPacket(context, serials[1], &packet)) << "pushed out by newer packets";
    ASSERT_TRUE(WTPacket(context, serials[3], &packet));
    EXPECT_EQ(packet.pkX, 400);
    EXPECT_FALSE(WTPacket(context, serials[2], &packet)) << "older than the one taken";
    PACKET rest[4];
    EXPECT_EQ(WTPacketsGet(context, 4, rest), 1);
    EXPECT_EQ(rest[0].pkX, 500);

    // A disabled context gets nothing; a closed service closes its contexts.
    ASSERT_TRUE(WTEnable(context, 0));
    tablet::MoveTool(11, {{0, 1}});
    EXPECT_TRUE(TakePacketMessages(context).empty());
    ASSERT_TRUE(WTEnable(context, 1));
    tablet::MoveTool(11, {{0, 2}});
    tablet::MoveTool(11, {{0, 3}});
    EXPECT_EQ(WTPacketsGet(context, 120, nullptr), 2);
    LOGCONTEXTA settings;
    ASSERT_TRUE(WTGetA(context, &settings));
    EXPECT_EQ(settings.lcOutExtY, -12000);
    UnloadWintab();
    EXPECT_FALSE(WTGetA(context, &settings));
    EXPECT_FALSE(WTEnable(context, 1));
}

TEST_F(WintabTest, OnlyTheOfferedPacketFormatOpensAndUnpluggingIsAnnounced)
{
    tablet::ConnectTool(11, Pen("Pen"));
    LOGCONTEXTA settings;
    ASSERT_NE(WTInfoA(WTI_DEFSYSCTX, 0, &settings), 0u);
    settings.lcPktData = PK_X | PK_Y;
    EXPECT_EQ(WTOpenA(window, &settings, 1), nullptr);
    settings.lcPktData = kWintabPacketData;
    settings.lcOutExtX = 0;
    EXPECT_EQ(WTOpenA(window, &settings, 1), nullptr);

    const HCTX context = Open();
    ASSERT_NE(context, nullptr);
    tablet::DisconnectTool(11);
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, window, WT_INFOCHANGE, WT_INFOCHANGE, PM_REMOVE));
    EXPECT_EQ(WTInfoA(0, 0, nullptr), 0u);
    tablet::MoveTool(11, {{0, 1}});
    EXPECT_TRUE(TakePacketMessages(context).empty());
}

}  // namespace

}  // namespace WintabTests
