#include <gtest/gtest.h>

#include "toolkit/core/CAppBase.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CMaskWidget.h"
#include "toolkit/widgets/CWidgetEffectShadow.h"
#include "toolkit/widgets/EffectTestSupport.h"
#include "toolkit/widgets/PictureResources.h"
#include "toolkit/widgets/WidgetFactory.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace ImWidgetLoadTests {

namespace {

using namespace handmade;

void Paint(CImage& image, CPixel seed)
{
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x)
            SetPixel(image, x, y, 0xFF000000 | (seed + CPixel(x * 0x010203 + y * 0x030201)));
}

bool SamePixels(CImage& a, CImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return false;
    for (int32_t y = 0; y < a.GetHeight(); ++y)
        for (int32_t x = 0; x < a.GetWidth(); ++x)
            if (PixelAt(a, x, y) != PixelAt(b, x, y))
                return false;
    return true;
}

class ImWidgetLoadTest : public WidgetLoadTest {
protected:
    void SetUp() override
    {
        WidgetLoadTest::SetUp();
        Paint(first, 0x102030);
        Paint(second, 0x405060);
        files.Add("first.png", &first);
        files.Add("second.png", &second);
    }

    std::unique_ptr<CompiledFile> Compile(const std::string& widgets)
    {
        return files.Compile("imag 600 \"first\" png \"first.png\"\nimag 601 \"second\" png \"second.png\"\n"
                             "imlt 602 \"both\" exclusivity=1 [\"first\" \"second\"]\n" +
                             widgets);
    }

    CImage first{9, 7}, second{5, 4};
    PictureFiles files;
};

TEST_F(ImWidgetLoadTest, ANamedPictureIsLoadedOwnedAndSizedTo)
{
    auto file = Compile(R"(imwg 5 "w"
  imag "first"
  stim 1
  imcm 3
  vsbl 1
)");
    CImWidget widget;
    ASSERT_EQ(widget.LoadFromResourceName(u"w", file.get(), nullptr), kResOk);
    EXPECT_TRUE(Boxes().empty());
    ASSERT_NE(widget.GetImage(), nullptr);
    EXPECT_FALSE(widget.GetImage()->IsPoolOwned());
    EXPECT_TRUE(SamePixels(*widget.GetImage(), first));
    EXPECT_EQ(widget.GetWidth(), 9);
    EXPECT_EQ(widget.GetHeight(), 7);
}

TEST_F(ImWidgetLoadTest, ASharedPictureComesFromThePoolAndResizingOneSharerLeavesIt)
{
    auto file = Compile(R"(imwg 5 "a"
  imag "first"
  imsh 1
  stim 1
imwg 6 "b"
  imag "first"
  imsh 1
)");
    TestRoot root(100, 100);
    auto* a = CImWidget::CreateFromResourceName(u"a", file.get(), nullptr);
    auto* b = CImWidget::CreateFromResourceId(6, file.get(), nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(root.AddChild(a, 0), kResOk);
    ASSERT_EQ(root.AddChild(b, 0), kResOk);
    CImage* shared = a->GetImage();
    EXPECT_EQ(b->GetImage(), shared);
    EXPECT_TRUE(shared->IsPoolOwned());
    EXPECT_EQ(GetApplication()->FindResourceByName(kImagePool, u"first"), shared);
    ASSERT_EQ(a->SetSize(20, 3, 0), kResOk);
    EXPECT_NE(a->GetImage(), shared) << "the resized sharer gets a picture of its own";
    EXPECT_EQ(a->GetImage()->GetWidth(), 20);
    EXPECT_EQ(b->GetImage(), shared);
    EXPECT_TRUE(SamePixels(*shared, first)) << "the pool's picture is intact";
}

TEST_F(ImWidgetLoadTest, AListShowsItsChosenEntryAndEntryZeroByDefault)
{
    auto file = Compile(R"(imwg 5 "default"
  imls "both"
  stim 1
imwg 6 "second"
  imls "both"
  imlx 1
imwg 7 "past"
  imls "both"
  imlx 2
)");
    CImWidget widget;
    ASSERT_EQ(widget.LoadFromResourceName(u"default", file.get(), nullptr), kResOk);
    ASSERT_NE(widget.GetImageList(), nullptr);
    EXPECT_EQ(widget.GetImage(), widget.GetImageList()->GetImage(0));
    EXPECT_EQ(widget.GetImageListIndex(), 0);
    EXPECT_EQ(widget.GetWidth(), 9);
    CImWidget second;
    ASSERT_EQ(second.LoadFromResourceName(u"second", file.get(), nullptr), kResOk);
    EXPECT_TRUE(SamePixels(*second.GetImage(), this->second));
    CImWidget past;
    EXPECT_EQ(past.LoadFromResourceName(u"past", file.get(), nullptr), kResBadParam);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResCreateFailed, "ImWidget change image idx failed.")});
}

TEST_F(ImWidgetLoadTest, WhatCannotBeLoadedIsReportedByTheTable)
{
    // Names that no resource has, which the compiler would refuse: made by hand.
    struct Case {
        std::string chunks;
        tResult code;
        const char* box;
    };
    const Case missing[] = {
        {ChunkText("imag", u"none"), kResCreateFailed, "ImWidget image load failed!"},
        {ChunkText("imag", u"none") + ChunkU32("imsh", 1), kResResourceNotFound, "ImWidget image load."},
        {ChunkText("imls", u"none"), kResCreateFailed, "ImWidget image list load failed!"},
    };
    for (const Case& c : missing) {
        auto broken = CompiledFile::FromBytes(Widget("imwg", 9, u"broken", c.chunks));
        CImWidget widget;
        EXPECT_EQ(widget.LoadFromResourceName(u"broken", broken.get(), nullptr), kResResourceRead) << c.box;
        const std::vector<std::string> boxes = Boxes();
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes.back(), BoxText(c.code, c.box));
        EXPECT_EQ(widget.GetImage(), nullptr);
    }
}

TEST_F(ImWidgetLoadTest, AChunkCutShortNamesItselfForEitherWidget)
{
    for (const char* tag : {"imsh", "stim", "imlx", "imcm", "imag", "imls"}) {
        const std::string cut = Tag(tag) + "\x01\x00";
        auto file = CompiledFile::FromBytes(Widget("imwg", 1, u"cut", ChunkU32("vsbl", 1) + cut) +
                                            Widget("mkwg", 2, u"mask", ChunkU32("vsbl", 1) + cut));
        CImWidget image;
        EXPECT_EQ(image.LoadFromResourceName(u"cut", file.get(), nullptr), kResFileIO) << tag;
        EXPECT_EQ(Boxes(), (std::vector<std::string>{BoxText(kResResourceRead, std::string("ImWidget ") + tag + "."),
                                                     BoxText(kResResourceRead, "Error parsing widget data chunk type.")}));
        CMaskWidget mask;
        EXPECT_EQ(mask.LoadFromResourceName(u"mask", file.get(), nullptr), kResFileIO) << tag;
        const std::string owner = std::string(tag) == "imcm" ? "ImWidget " : "MaskWidget ";
        EXPECT_EQ(Boxes().front(), BoxText(kResResourceRead, owner + tag + "."));
    }
}

TEST_F(ImWidgetLoadTest, TheTagsMakeTheirWidgetsWithTheirEffects)
{
    auto file = Compile(R"(cowg 1 "holder"
  vsbl 1
  xsiz 50
  ysiz 50
  + imwg 5 "picture"
    imag "second"
    stim 1
    vsbl 1
    shad slot=1 colour=#203040 radius=2 x=1 y=1 opacity=90 clip=0 overlay=2
  + mkwg 6 "mark"
    colr #FFFF0000
    xsiz 4
    ysiz 4
    vsbl 1
)");
    CWidget* holder = CreateWidgetByResourceName(u"holder", file.get());
    ASSERT_NE(holder, nullptr);
    ASSERT_EQ(holder->GetChildCount(), 2);
    auto* picture = dynamic_cast<CImWidget*>(holder->FindWidgetByName(u"picture"));
    auto* mark = dynamic_cast<CMaskWidget*>(holder->FindWidgetByName(u"mark"));
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(mark, nullptr);
    auto* shadow = dynamic_cast<CWidgetEffectShadow*>(picture->GetMiddleEffect(1));
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->GetColour(), 0xFF203040u);
    EXPECT_EQ(shadow->GetOpacity(), 90u);
    EXPECT_TRUE(shadow->HasMask()) << "refreshed from the picture";
    ASSERT_NE(mark->GetImage(), nullptr);
    EXPECT_EQ(CountBytes(*mark->GetImage(), 0xFF), 16);
    EXPECT_TRUE(Boxes().empty());
    delete holder;
}

}  // namespace

}  // namespace ImWidgetLoadTests
