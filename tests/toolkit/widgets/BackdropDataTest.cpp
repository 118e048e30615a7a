#include <gtest/gtest.h>

#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/WidgetResources.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace BackdropDataTests {

namespace {

using namespace handmade;

class BackdropDataTest : public WidgetLoadTest {
protected:
    // Loads a backdrop "b" made of the chunks, with a cursor widget "Pen" after it.
    tResult Load(const std::string& chunks, CBackdrop* backdrop)
    {
        file = CompiledFile::FromBytes(Widget("bkdp", 1, u"b", chunks) +
                                       Widget("cowg", 2, u"Pen", ChunkU32("vsbl", 1)));
        return backdrop->LoadFromResourceName(u"b", file.get(), nullptr);
    }

    std::unique_ptr<CompiledFile> file;
};

TEST_F(BackdropDataTest, ACursorNeedsItsNameAndBothCoordinates)
{
    CBackdrop backdrop;
    ASSERT_EQ(Load(ChunkText("curs", u"Pen|-3.7,12x") + ChunkText("dcur", u"Pen"), &backdrop), kResOk);
    ASSERT_NE(backdrop.GetCursorWidget(), nullptr);
    EXPECT_EQ(backdrop.GetCursorWidget()->GetName(), u"Pen");

    // The hotspot is two i32: what truncates into them is taken, nothing further.
    CBackdrop edges;
    EXPECT_EQ(Load(ChunkText("curs", u"Pen|2147483647.9,-2147483648.9"), &edges), kResOk);
    for (const char16_t* text : {u"Pen|3", u"Pen", u"Pen|", u"Pen|1e300,2", u"Pen|2147483648,0", u"Pen|0,-2147483649"}) {
        CBackdrop refused;
        EXPECT_NE(Load(ChunkText("curs", text), &refused), kResOk);
        const std::vector<std::string> expected{BoxText(kResResourceRead, "Backdrop curs."),
                                                BoxText(kResResourceRead, "Error parsing backdrop data chunk type.")};
        EXPECT_EQ(Boxes(), expected) << tCString(text).ToAnsi();
    }
}

TEST_F(BackdropDataTest, WhatTheChunksNameMustBeThere)
{
    struct Case {
        std::string chunks;
        std::string box;
        tResult code;
    };
    const Case cases[] = {
        {ChunkText("imag", u"missing"), "Backdrop image load failed!", kResCreateFailed},
        {ChunkText("grad", u"missing"), "Backdrop gradient load failed!", kResCreateFailed},
        {ChunkText("curs", u"Brush|0,0"), "Backdrop cursor create failed!", kResCreateFailed},
        {ChunkText("curs", u"Pen|0,0") + ChunkText("dcur", u"Brush"), "Backdrop default cursor init failed!",
         kResBadParam},
    };
    for (const Case& c : cases) {
        CBackdrop backdrop;
        EXPECT_EQ(Load(c.chunks, &backdrop), kResResourceRead) << c.box;
        EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(c.code, c.box)});
    }
    CBackdrop twice;
    EXPECT_EQ(Load(ChunkText("curs", u"Pen|0,0") + ChunkText("curs", u"Pen|1,1"), &twice), kResOk)
        << "each name makes a widget of its own";
}

TEST_F(BackdropDataTest, SettingsComeFromTheirChunks)
{
    CBackdrop backdrop;
    const std::string chunks = ChunkU32("whsb", 0) + ChunkU32("fscr", 1) + ChunkU32("colr", 0x00445566) +
                               ChunkText("imag", u"") + ChunkText("grad", u"") + ChunkU32("grac", 2);
    ASSERT_EQ(Load(chunks, &backdrop), kResOk);
    EXPECT_EQ(backdrop.GetSystemBarSetting(), 0);
    EXPECT_EQ(backdrop.GetBackgroundColour(), 0x00445566u);
    float width = 0, height = 0;
    backdrop.GetLayoutSize(&width, &height);
    EXPECT_EQ(width, 10000.0f);
    EXPECT_EQ(height, 10000.0f);
    EXPECT_EQ(backdrop.GetEventMask(), 0xFFFFFFFFu) << "the backdrop takes every event";

    CBackdrop other;
    ASSERT_EQ(Load(ChunkU32("whsb", 7) + ChunkU32("fscr", 2), &other), kResOk);
    EXPECT_EQ(other.GetSystemBarSetting(), 1);
    other.GetLayoutSize(&width, &height);
    EXPECT_EQ(width, 0.0f) << "only 1 makes it full screen";
}

TEST_F(BackdropDataTest, AChunkCutShortNamesItself)
{
    for (const char* tag : {"whsb", "grop", "grcx", "colr", "imag", "dcur"}) {
        CBackdrop backdrop;
        const std::string truncated = ChunkU32("vsbl", 1) + Tag(tag) + std::string(2, 'x');
        EXPECT_NE(Load(truncated, &backdrop), kResOk) << tag;
        const std::vector<std::string> boxes = Boxes();
        ASSERT_EQ(boxes.size(), 2u) << tag;
        EXPECT_EQ(boxes[0], BoxText(kResResourceRead, std::string("Backdrop ") + tag + "."));
    }
}

}  // namespace

}  // namespace BackdropDataTests
