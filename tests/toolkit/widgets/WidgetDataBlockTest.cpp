#include <gtest/gtest.h>

#include <cstring>

#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/WidgetEffectBuilder.h"
#include "toolkit/widgets/WidgetEffectFactory.h"
#include "toolkit/widgets/WidgetFactory.h"
#include "toolkit/widgets/WidgetResources.h"
#include "toolkit/widgets/WidgetTestSupport.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace WidgetDataBlockTests {

namespace {

using namespace handmade;

class WidgetDataBlockTest : public WidgetLoadTest {};

TEST_F(WidgetDataBlockTest, AnEmptyBlockHasNoChunkType)
{
    auto file = CompiledFile::FromBytes(Widget("wdgt", 1, u"empty", ""));
    CWidget widget;
    EXPECT_EQ(widget.LoadFromResourceName(u"empty", file.get(), nullptr), kResFileIO);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResResourceRead, "Error reading widget data chunk type.")});
}

TEST_F(WidgetDataBlockTest, FlagsEventsAndLayoutComeFromTheirChunks)
{
    CompiledFile file(R"(wdgt 7 "fields"
  vsbl 2
  actv 0
  focs 0
  opac 300
  opct 40
  prop 0
  oblt 1
  sipr 1
  xszr 2
  xszr 0
  yszr 1
  yszr 7
  lbdn 1
  timr 1
  mswh 1
  kydn 0
  msmv 5
  xpos 1.5
  ypos -2
  xsiz 30
  ysiz 0.25
  xpsr 1
  ypsd 1
  xgrd 1
  ycnt 2
  autt 9
  tfpt 1
)");
    CWidget widget;
    ASSERT_EQ(widget.LoadFromResourceName(u"fields", &file, nullptr), kResOk);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(widget.GetId(), 7u);
    EXPECT_EQ(widget.IsVisible(), 0u) << "only 1 sets a flag";
    EXPECT_EQ(widget.IsActive(), 0u);
    EXPECT_EQ(widget.CanGetFocus(), 0u);
    EXPECT_EQ(widget.GetOpacity(), 255u) << "an opacity beyond 255 is taken as 255";
    EXPECT_EQ(widget.GetOpaqueThreshold(), 40u);
    EXPECT_EQ(widget.GetPropOpacity(), 0u);
    EXPECT_EQ(widget.GetOpaqueBlit(), 1u);
    EXPECT_EQ(widget.GetStayInParent(), 1u);
    EXPECT_EQ(widget.GetEventMask(), uint32_t(eMessageEvent | eLButtonEvent | eTimerEvent | eMouseWheelEvent));
    const CWidgetLayout& layout = *widget.GetLayout();
    EXPECT_EQ(layout.widthInset, 1u) << "xszr 0 clears only the relative flag";
    EXPECT_EQ(layout.widthRelative, 0u);
    EXPECT_EQ(layout.heightRelative, 0u) << "values beyond 2 clear both";
    EXPECT_EQ(layout.heightInset, 0u);
    EXPECT_EQ(layout.x, 1.5f);
    EXPECT_EQ(layout.y, -2.0f);
    EXPECT_EQ(layout.width, 30.0f);
    EXPECT_EQ(layout.height, 0.25f);
    EXPECT_EQ(layout.xRelative, 1u);
    EXPECT_EQ(layout.yFromBottom, 1u);
    EXPECT_EQ(layout.xIsRightEdge, 1u);
    EXPECT_EQ(layout.yCentred, 0u);
}

TEST_F(WidgetDataBlockTest, TheLastChildOfTheHierarchyIsInFront)
{
    CompiledFile file(R"(wdgt 1 "parent"
  + wdgt 2 "A"
    vsbl 1
  + wdgt 3 "B"
    vsbl 1
  + cowg 4 "C"
    colr #FF000000
)");
    CWidget parent;
    ASSERT_EQ(parent.LoadFromResourceName(u"parent", &file, nullptr), kResOk);
    ASSERT_EQ(parent.GetChildCount(), 3);
    EXPECT_EQ(parent.GetChild(0)->GetName(), u"C");
    EXPECT_EQ(parent.GetChild(0)->GetWidgetType(), CCoWidget::kType);
    EXPECT_EQ(parent.GetChild(1)->GetName(), u"B");
    EXPECT_EQ(parent.GetChild(2)->GetName(), u"A");
    EXPECT_EQ(parent.GetChild(2)->GetId(), 2u);
}

TEST_F(WidgetDataBlockTest, UserValuesAreStoredByTheirType)
{
    CompiledFile file(R"(wdgt 1 "user"
  usrd "3|real|0.5"
  usrd "5|int|-7"
  usrd "0|int|0x1F"
)");
    CWidget widget;
    ASSERT_EQ(widget.LoadFromResourceName(u"user", &file, nullptr), kResOk);
    EXPECT_EQ(widget.GetUserData(3), 0x3F000000u);
    EXPECT_EQ(widget.GetUserData(5), uint32_t(-7));
    EXPECT_EQ(widget.GetUserData(0), 0x1Fu);
}

TEST_F(WidgetDataBlockTest, UserValuesBeyondTheSlotsOrWithoutTheirFieldsAreRefused)
{
    auto tooHigh = CompiledFile::FromBytes(Widget("wdgt", 1, u"user", ChunkText("usrd", u"9|int|1")));
    CWidget widget;
    EXPECT_EQ(widget.LoadFromResourceName(u"user", tooHigh.get(), nullptr), kResBadParam);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{BoxText(kResResourceRead, "Widget usrd index too high."),
                                                 BoxText(kResResourceRead, "Error parsing widget data chunk type.")}));

    auto badType = CompiledFile::FromBytes(Widget("wdgt", 1, u"user", ChunkText("usrd", u"1|long|1")));
    EXPECT_EQ(widget.LoadFromResourceName(u"user", badType.get(), nullptr), kResBadParam);
    EXPECT_EQ(Boxes().front(), BoxText(kResResourceRead, "Widget usrd."));

    // The split's own answer: 2 for a missing separator.
    auto unsplit = CompiledFile::FromBytes(Widget("wdgt", 1, u"user", ChunkText("usrd", u"1|int")));
    EXPECT_EQ(widget.LoadFromResourceName(u"user", unsplit.get(), nullptr), kResHandled);
    EXPECT_EQ(Boxes().front(), BoxText(kResResourceRead, "Widget usrd."));
}

TEST_F(WidgetDataBlockTest, UserIndexSevenIsTheLastAndNoIndexWrapsIntoTheSlots)
{
    const auto load = [](const std::u16string& text, CWidget* widget) {
        auto file = CompiledFile::FromBytes(Widget("wdgt", 1, u"user", ChunkText("usrd", text)));
        return widget->LoadFromResourceName(u"user", file.get(), nullptr);
    };
    CWidget widget;
    ASSERT_EQ(load(u"7|int|5", &widget), kResOk);
    EXPECT_EQ(widget.GetUserData(7), 5u);
    EXPECT_TRUE(Boxes().empty());

    EXPECT_EQ(load(u"8|int|1", &widget), kResBadParam);
    EXPECT_EQ(Boxes().front(), BoxText(kResResourceRead, "Widget usrd index too high."));
    // 2^32 + 3, and 0x1_0000_0003, are far past slot 7, not slot 3.
    EXPECT_EQ(load(u"4294967299|int|1", &widget), kResBadParam);
    EXPECT_EQ(Boxes().front(), BoxText(kResResourceRead, "Widget usrd index too high."));
    EXPECT_EQ(load(u"x100000003|int|1", &widget), kResBadParam);
    EXPECT_EQ(Boxes().front(), BoxText(kResResourceRead, "Widget usrd index too high."));
    // -(2^32 - 6) is negative: it passes and is ignored, and slot 6 stays as it was.
    CWidget fresh;
    ASSERT_EQ(load(u"-4294967290|int|9", &fresh), kResOk);
    ASSERT_EQ(load(u"-1099511627776|int|9", &fresh), kResOk);
    for (int32_t slot = 0; slot < 8; ++slot)
        EXPECT_EQ(fresh.GetUserData(slot), 0u) << slot;
    EXPECT_EQ(widget.GetUserData(3), 0u);
    ASSERT_EQ(load(u" xB |int|1", &fresh), kResBadParam) << "hexadecimal 11";
    ASSERT_EQ(load(u"\t6\r|int|4", &fresh), kResOk);
    EXPECT_EQ(fresh.GetUserData(6), 4u);
}

TEST_F(WidgetDataBlockTest, ATagWithoutPayloadAtTheVeryEndOfTheBlockIsNoChunk)
{
    auto bare = CompiledFile::FromBytes(Widget("wdgt", 1, u"bare", ChunkU32("vsbl", 1) + Tag("opct")));
    CWidget widget;
    ASSERT_EQ(widget.LoadFromResourceName(u"bare", bare.get(), nullptr), kResOk);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(widget.IsVisible(), 1u);
    EXPECT_EQ(widget.GetOpaqueThreshold(), 0u);

    // Half a payload is a chunk that cannot be read.
    auto half = CompiledFile::FromBytes(Widget("wdgt", 1, u"half", ChunkU32("vsbl", 1) + Tag("opct") + "\x05\x00"));
    CWidget other;
    EXPECT_EQ(other.LoadFromResourceName(u"half", half.get(), nullptr), kResFileIO);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{BoxText(kResResourceRead, "Widget opct."),
                                                 BoxText(kResResourceRead, "Error parsing widget data chunk type.")}));
}

TEST_F(WidgetDataBlockTest, ABlockRunningIntoTheNextResourceIsRefused)
{
    // The first block's size reaches 8 bytes into the resource after it, which the file holds.
    const std::string chunks = ChunkU32("vsbl", 1);
    const std::string payload = U32(1) + Units(u"first\r\n") + U32(uint32_t(chunks.size() + 8)) + chunks;
    const std::string next = Widget("wdgt", 2, u"next", ChunkU32("opct", 9));
    auto file = CompiledFile::FromBytes(Tag("wdgt") + U32(uint32_t(payload.size())) + payload + next);
    CWidget first;
    EXPECT_EQ(first.LoadFromResourceName(u"first", file.get(), nullptr), kResFileInvalid);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResResourceRead, "Error reading widget data block.")});
    EXPECT_EQ(first.IsVisible(), 0u) << "nothing of the block was applied";
    CWidget second;
    ASSERT_EQ(file->Rewind(), kResOk);
    ASSERT_EQ(second.LoadFromResourceName(u"next", file.get(), nullptr), kResOk);
    EXPECT_EQ(second.GetOpaqueThreshold(), 9u);
}

TEST_F(WidgetDataBlockTest, AnUnknownChunkStopsTheLoadAfterTheValidOnes)
{
    const std::string chunks = ChunkU32("vsbl", 1) + ChunkU32("opct", 9) + ChunkU32("zzzz", 1) + ChunkU32("actv", 0);
    auto file = CompiledFile::FromBytes(Widget("wdgt", 1, u"partial", chunks));
    CWidget widget;
    EXPECT_EQ(widget.LoadFromResourceName(u"partial", file.get(), nullptr), kResBadParam);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{BoxText(kResResourceRead, "Unrecognised chunk in widget."),
                                                 BoxText(kResResourceRead, "Error parsing widget data chunk type.")}));
    EXPECT_EQ(widget.IsVisible(), 1u);
    EXPECT_EQ(widget.GetOpaqueThreshold(), 9u);
    EXPECT_EQ(widget.IsActive(), 1u) << "nothing after the unknown chunk is read";
}

TEST_F(WidgetDataBlockTest, AChildThatCannotBeMadeIsNamed)
{
    // Names are matched case by case; a class outside the table is none the factory makes.
    struct Case {
        std::u16string child;
        const char* type;
        std::u16string resource;
        const char* failure;
    };
    const Case cases[] = {
        {u"panel", "wdgt", u"Panel", "Widget Constructor widget create failed."},
        {u"still", "stwg", u"still", "Unrecognised type in widget constructor."},
    };
    for (const Case& c : cases) {
        const std::string bytes = Widget("wdgt", 1, u"parent", Hierarchy({{c.child, c.type}})) +
                                  Widget(c.type, 2, c.resource, ChunkU32("vsbl", 1));
        auto file = CompiledFile::FromBytes(bytes);
        CWidget parent;
        EXPECT_EQ(parent.LoadFromResourceName(u"parent", file.get(), nullptr), kResResourceRead);
        const std::vector<std::string> expected{BoxText(kResCreateFailed, c.failure),
                                                BoxText(kResCreateFailed, tCString(c.child).ToAnsi()),
                                                BoxText(kResCreateFailed, "Error constructing widget hierarchy.")};
        EXPECT_EQ(Boxes(), expected);
        EXPECT_EQ(parent.GetChildCount(), 0);
    }
}

TEST_F(WidgetDataBlockTest, AFailingChildShowsEveryStepOfItsFailureInOrder)
{
    CompiledFile compiled(R"(wdgt 1 "parent"
  opct 3
  + wdgt 2 "first"
    opct 1
  + cowg 3 "kid"
    vsbl 1
)");
    auto file = CompiledFile::FromBytes(ReplaceTag(compiled.Bytes(), "vsbl", "zzzz"));
    CWidget parent;
    EXPECT_EQ(parent.LoadFromResourceName(u"parent", file.get(), nullptr), kResResourceRead);
    const std::vector<std::string> expected{BoxText(kResResourceRead, "Unrecognised chunk in widget."),
                                            BoxText(kResResourceRead, "Error parsing widget data chunk type."),
                                            BoxText(kResCreateFailed, "Widget Constructor cowidget create failed."),
                                            BoxText(kResCreateFailed, "kid"),
                                            BoxText(kResCreateFailed, "Error constructing widget hierarchy.")};
    EXPECT_EQ(Boxes(), expected);
    ASSERT_EQ(parent.GetChildCount(), 1) << "the children made before stay";
    EXPECT_EQ(parent.GetChild(0)->GetName(), u"first");
}

TEST_F(WidgetDataBlockTest, AResourceIsFoundOnlyByItsOwnClass)
{
    CompiledFile file(R"(cowg 5 "tinted"
  colr #80FF0000
)");
    CWidget plain;
    EXPECT_EQ(plain.LoadFromResourceName(u"tinted", &file, nullptr), kResResourceNotFound);
    EXPECT_EQ(plain.LoadFromResourceId(5, &file, nullptr), kResResourceNotFound);
    CCoWidget composite;
    ASSERT_EQ(composite.LoadFromResourceId(5, &file, nullptr), kResOk);
    uint32_t colour = 0;
    EXPECT_EQ(*composite.GetColour(&colour), 0x80FF0000u);
    EXPECT_EQ(composite.GetName(), u"tinted");
    EXPECT_EQ(CreateWidgetFromRes(5, &file, nullptr), nullptr);
    EXPECT_TRUE(Boxes().empty()) << "a resource that is not there is no damage";
}

TEST_F(WidgetDataBlockTest, ByResourceNameTheWidgetOfThatNameIsBuiltFromTheFileSearched)
{
    // A text of the same name comes first: only widget resources are looked at.
    CompiledFile file(R"(vers 2
text 3 "shared" "not a widget"
grad 4 "ramp" [#FF000000@0 #FFFFFFFF@1]
cowg 5 "shared"
  colr #FF102030
)");
    CWidget* widget = CreateWidgetByResourceName(u"shared", &file);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->GetWidgetType(), CCoWidget::kType);
    uint32_t colour = 0;
    EXPECT_EQ(*static_cast<CCoWidget*>(widget)->GetColour(&colour), 0xFF102030u);
    delete widget;

    EXPECT_EQ(CreateWidgetByResourceName(u"missing", &file), nullptr);
    EXPECT_EQ(CreateWidgetByResourceName(u"Shared", &file), nullptr);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(CreateWidgetByResourceName(u"", &file), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResBadParam, "No res name in widget constructor.")});
}

// Reads three parameters and installs an effect that records them.
struct EffectCall {
    uint32_t type = 0;
    CWidget* widget = nullptr;
    int32_t values[3] = {};
};
EffectCall gEffectCall;

IWidgetEffect* RecordingEffectFactory(uint32_t type, CWidget* widget, tCStream* stream)
{
    gEffectCall = EffectCall{type, widget, {}};
    for (int32_t& value : gEffectCall.values)
        if (stream->ReadI32(&value) != kResOk)
            return nullptr;
    auto* effect = new TestEffect({0, 0, 1, 1}, 0xFF000000);
    widget->SetBackEffect(effect, 0, 0);
    return effect;
}

class EffectChunkTest : public WidgetLoadTest {
protected:
    void TearDown() override
    {
        SetWidgetEffectFactory(&BuildWidgetEffect);
        WidgetLoadTest::TearDown();
    }
};

TEST_F(EffectChunkTest, TheFactoryReadsItsParametersAndTheBlockGoesOnAfterThem)
{
    SetWidgetEffectFactory(RecordingEffectFactory);
    const std::string chunks = ChunkU32("vsbl", 1) + Tag("shad") + U32(3) + U32(uint32_t(-4)) + U32(5) +
                               ChunkU32("opct", 77);
    auto file = CompiledFile::FromBytes(Widget("cowg", 1, u"shaded", chunks));
    CCoWidget widget;
    ASSERT_EQ(widget.LoadFromResourceName(u"shaded", file.get(), nullptr), kResOk);
    EXPECT_EQ(gEffectCall.type, MakeFourCC("shad"));
    EXPECT_EQ(gEffectCall.widget, &widget);
    EXPECT_EQ(gEffectCall.values[0], 3);
    EXPECT_EQ(gEffectCall.values[1], -4);
    EXPECT_EQ(gEffectCall.values[2], 5);
    EXPECT_NE(widget.GetBackEffect(0), nullptr);
    EXPECT_EQ(widget.GetOpaqueThreshold(), 77u);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(EffectChunkTest, WithoutAFactoryAnEffectChunkFailsTheLoad)
{
    SetWidgetEffectFactory(nullptr);
    const std::string chunks = Tag("glow") + U32(0) + ChunkU32("opct", 77);
    auto file = CompiledFile::FromBytes(Widget("cowg", 1, u"glowing", chunks));
    CCoWidget widget;
    EXPECT_EQ(widget.LoadFromResourceName(u"glowing", file.get(), nullptr), kResResourceRead);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{BoxText(kResCreateFailed, "Widget glow effect failed."),
                                                 BoxText(kResResourceRead, "Error parsing widget data chunk type.")}));
    EXPECT_EQ(widget.GetOpaqueThreshold(), 0u);
}

// Refuses every child it is given.
class RefusingParent : public CWidget {
public:
    tResult InvalidateRect(const tCRect*, uint32_t) override { return kResNoMemory; }
};

bool* gEffectDestroyed = nullptr;

IWidgetEffect* WatchedEffectFactory(uint32_t, CWidget* widget, tCStream*)
{
    auto* effect = new TestEffect({0, 0, 1, 1}, 0, gEffectDestroyed);
    widget->SetFrontEffect(effect, 0, 0);
    return effect;
}

TEST_F(EffectChunkTest, AChildItsParentRefusesIsDeleted)
{
    bool destroyed = false;
    gEffectDestroyed = &destroyed;
    SetWidgetEffectFactory(WatchedEffectFactory);
    // The effect reads no parameters; the widget deletes it with itself.
    const std::string chunks = Tag("brde") + ChunkU32("vsbl", 1) + Tag("xsiz") + U32(0x40800000);
    auto file = CompiledFile::FromBytes(Widget("cowg", 1, u"child", chunks));
    RefusingParent parent;
    EXPECT_EQ(CreateWidgetFromHierarchy(u"child", CCoWidget::kType, &parent, file.get()), nullptr);
    EXPECT_EQ(parent.GetChildCount(), 0);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResNoMemory, "Widget Constructor parent add failed.")});
    gEffectDestroyed = nullptr;
}

}  // namespace

}  // namespace WidgetDataBlockTests
