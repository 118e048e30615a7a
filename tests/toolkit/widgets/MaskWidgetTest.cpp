#include <gtest/gtest.h>

#include "toolkit/imaging/tCImageList.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CMaskWidget.h"
#include "toolkit/widgets/CWidgetEffectShadow.h"
#include "toolkit/widgets/EffectTestSupport.h"
#include "toolkit/widgets/PictureResources.h"

// Kept in a namespace of its own, so that its using-directives reach no other file.
namespace MaskWidgetTests {

namespace {

using namespace handmade;

CImage8* Ramp(int32_t width, int32_t height)
{
    auto* mask = new CImage8(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            SetByte(*mask, x, y, uint8_t(x < 2 ? 0 : std::min(255, x * 23 + y * 5)));
    return mask;
}

struct MaskFixture {
    explicit MaskFixture(const tCRect& rect = {0, 0, 12, 6})
    {
        widget = new CMaskWidget;
        EXPECT_EQ(Place(&root, widget, rect), kResOk);
    }
    TestRoot root{100, 100};
    CMaskWidget* widget;
};

// What a mask byte m draws of the colour c at opacity o, from the specified steps.
CPixel MaskReference(CPixel target, uint32_t m, CPixel c, uint32_t o)
{
    const CPixel inked = (c & 0x00FFFFFF) | (((m + 1) * (c >> 8)) >> 24) << 24;
    const uint32_t a = ((inked >> 24) * ((o + 1) << 16)) >> 24;
    return a == 255 ? inked : OverReference(target, a, inked);
}

TEST(MaskWidget, TheColourIsPaintedThroughTheMask)
{
    MaskFixture f;
    auto* mask = new CImage8(4, 1);
    const uint8_t bytes[] = {0, 255, 128, 1};
    for (int32_t x = 0; x < 4; ++x)
        SetByte(*mask, x, 0, bytes[x]);
    ASSERT_EQ(f.widget->SetImage(mask, 0, 0), kResOk);
    const tCRect all{0, 0, 12, 6};
    ASSERT_EQ(f.widget->SetColour(0xFF00FF00, 0), kResOk);
    EffectCanvas opaque(12, 6, {0, 0}, 0xFF804020);
    ASSERT_EQ(f.widget->Draw(&all, &opaque.image, 255), kResOk);
    EXPECT_EQ(opaque.At(0, 0), 0xFF804020u) << "byte 0 draws nothing";
    EXPECT_EQ(opaque.At(1, 0), 0xFF00FF00u) << "255 stores the colour";
    EXPECT_EQ(opaque.At(5, 0), 0xFF804020u) << "no colour fill past the mask";
    EXPECT_EQ(CountPixels(opaque.image, 0xFF804020), 12 * 6 - 3);
    // (256 x 0x80FF00) >> 24 = 128.
    ASSERT_EQ(f.widget->SetColour(0x80FF0000, 0), kResOk);
    EffectCanvas red(12, 6, {0, 0}, 0xFF204080);
    ASSERT_EQ(f.widget->Draw(&all, &red.image, 255), kResOk);
    EXPECT_EQ(red.At(1, 0), OverReference(0xFF204080, 128, 0xFFFF0000));
    for (uint32_t opacity : {255u, 200u, 31u})
        for (CPixel colour : {0xFF336699u, 0x80FF0000u, 0x10FFFFFFu}) {
            ASSERT_EQ(f.widget->SetColour(colour, 0), kResOk);
            EffectCanvas canvas(12, 6, {0, 0}, 0xFF102030);
            ASSERT_EQ(f.widget->Draw(&all, &canvas.image, opacity), kResOk);
            for (int32_t x = 0; x < 4; ++x)
                ASSERT_EQ(canvas.At(x, 0), MaskReference(0xFF102030, bytes[x], colour, opacity)) << x;
        }
    f.widget->SetOpaqueBlit(1);
    EffectCanvas blit(12, 6, {0, 0}, 0xFF000000);
    ASSERT_EQ(f.widget->Draw(&all, &blit.image, 255), kResOk);
    EXPECT_EQ(CountPixels(blit.image, 0xFFFFFFFF), 72) << "the clip filled with the opaque colour";
}

TEST(MaskWidget, WithoutALoadedMaskItsOwnFollowsTheColoursAlphaOnResize)
{
    TestRoot root(50, 50);
    auto* widget = new CMaskWidget;
    ASSERT_EQ(widget->SetColour(0x40FF0000, 0), kResOk);
    ASSERT_EQ(Place(&root, widget, {0, 0, 5, 5}), kResOk);
    ASSERT_NE(widget->GetImage(), nullptr);
    EXPECT_EQ(CountBytes(*widget->GetImage(), 0x40), 25);
    ASSERT_EQ(widget->SetColour(0xC0FF0000, 0), kResOk);
    EXPECT_EQ(CountBytes(*widget->GetImage(), 0x40), 25) << "recolouring changes the colour only";
    ASSERT_EQ(widget->SetSize(7, 3, 0), kResOk);
    EXPECT_EQ(widget->GetImage()->GetWidth(), 7);
    EXPECT_EQ(CountBytes(*widget->GetImage(), 0xC0), 21);
    EXPECT_EQ(widget->FillMaskWithColourAlpha(), kResOk);
}

TEST(MaskWidget, HitsAndAlphaMasksReadTheMaskBytes)
{
    MaskFixture f;
    ASSERT_EQ(f.widget->SetImage(Ramp(10, 4), 0, 0), kResOk);
    f.widget->SetOpaqueThreshold(100);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            tCPoint p{x, y};
            const bool inside = x < 10 && y < 4;
            const uint32_t expected = inside && std::min(255, x < 2 ? 0 : x * 23 + y * 5) >= 100 ? 1 : 0;
            ASSERT_EQ(f.widget->HitTest(&p), expected) << x << "," << y;
        }
    CImage8 mask(12, 6);
    CImNav8(&mask).Fill(9);
    ASSERT_EQ(f.widget->RenderAlphaMask(&mask), kResOk);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 12; ++x)
            ASSERT_EQ(ByteAt(mask, x, y), x < 10 && y < 4 ? ByteAt(*f.widget->GetImage(), x, y) : 0);
}

TEST(MaskWidget, APackedMaskDrawsLikeItsPlainForm)
{
    MaskFixture plain({0, 0, 40, 20}), packed({0, 0, 40, 20});
    ASSERT_EQ(plain.widget->SetImage(Ramp(40, 20), 0, 0), kResOk);
    auto* banded = Ramp(40, 20);
    ASSERT_EQ(packed.widget->SetImage(banded, 0, 0), kResOk);
    ASSERT_EQ(packed.widget->CompressImage(), kResOk);
    ASSERT_EQ(packed.widget->IsImageCompressed(), 1u);
    const tCRect part{1, 1, 38, 19};
    EffectCanvas a(40, 20, {0, 0}, 0xFF808080), b(40, 20, {0, 0}, 0xFF808080);
    ASSERT_EQ(plain.widget->Draw(&part, &a.image, 180), kResOk);
    ASSERT_EQ(packed.widget->Draw(&part, &b.image, 180), kResOk);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 40; ++x)
            ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
}

TEST(MaskWidget, ItsShadowFollowsTheMasksShape)
{
    TestRoot root(200, 200);
    auto* mask = new CMaskWidget;
    auto* image = new CImWidget;
    ASSERT_EQ(Place(&root, mask, {20, 20, 32, 26}), kResOk);
    ASSERT_EQ(Place(&root, image, {100, 20, 112, 26}), kResOk);
    CImage8* shape = Ramp(12, 6);
    auto* picture = new CImage(12, 6);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 12; ++x)
            SetPixel(*picture, x, y, CPixel(ByteAt(*shape, x, y)) << 24 | 0x00FFFFFF);
    ASSERT_EQ(mask->SetImage(shape, 0, 0), kResOk);
    ASSERT_EQ(image->SetImage(picture, 0, 0), kResOk);
    auto* fromMask = new CWidgetEffectShadow;
    auto* fromImage = new CWidgetEffectShadow;
    ASSERT_EQ(mask->SetBackEffect(fromMask, 0, 0), kResOk);
    ASSERT_EQ(image->SetBackEffect(fromImage, 0, 0), kResOk);
    ASSERT_TRUE(fromMask->HasMask());
    EffectCanvas a(60, 60, {20, 20}, 0xFFFFFFFF), b(60, 60, {20, 20}, 0xFFFFFFFF);
    const tCRect all = a.Local();
    ASSERT_EQ(fromMask->Draw(&all, &a.image, 255), kResOk);
    ASSERT_EQ(fromImage->Draw(&all, &b.image, 255), kResOk);
    EXPECT_LT(CountPixels(a.image, 0xFFFFFFFF), 3600);
    for (int32_t y = -20; y < 40; ++y)
        for (int32_t x = -20; x < 40; ++x)
            ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
    ASSERT_EQ(mask->RefreshEffects(1), kResOk);
    EXPECT_GE(root.presents, 1);
}

TEST(MaskWidget, ItsListIndexIsTheListsCurrentEntry)
{
    MaskFixture f;
    EXPECT_EQ(f.widget->GetImageListIndex(), 0);
    auto* list = new tCImageList8;
    ASSERT_EQ(list->AddImage(Ramp(4, 4)), kResOk);
    ASSERT_EQ(list->AddImage(Ramp(6, 2)), kResOk);
    ASSERT_EQ(f.widget->SetImageList(list), kResOk);
    ASSERT_EQ(f.widget->NextImageListEntry(1, 0), kResOk);
    EXPECT_EQ(f.widget->GetImageListIndex(), 1);
    EXPECT_EQ(f.widget->GetWidth(), 6);
    list->SetCurrentIndex(0);
    EXPECT_EQ(f.widget->GetImageListIndex(), 0);
}

class MaskWidgetLoadTest : public WidgetLoadTest {};

TEST_F(MaskWidgetLoadTest, MasksAndListsLoadAsEightBitPicturesAndFailuresNameTheMaskWidget)
{
    PictureFiles files;
    CImage8* ramp = Ramp(10, 4);
    files.Add("ramp.png", ramp);
    auto file = files.Compile(R"(imag 1 "ramp" png "ramp.png"
iml8 2 "ramps" ["ramp" "ramp"]
mkwg 5 "mark"
  imag "ramp"
  stim 1
mkwg 6 "marks"
  imls "ramps"
  imlx 1
)");
    CMaskWidget mark;
    ASSERT_EQ(mark.LoadFromResourceName(u"mark", file.get(), nullptr), kResOk);
    ASSERT_NE(mark.GetImage(), nullptr);
    EXPECT_EQ(mark.GetWidth(), 10);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 10; ++x)
            ASSERT_EQ(ByteAt(*mark.GetImage(), x, y), ByteAt(*ramp, x, y));
    CMaskWidget marks;
    ASSERT_EQ(marks.LoadFromResourceName(u"marks", file.get(), nullptr), kResOk);
    EXPECT_EQ(marks.GetImageListIndex(), 1);
    EXPECT_EQ(marks.GetImage(), marks.GetImageList()->GetImage(1));
    EXPECT_TRUE(Boxes().empty());
    delete ramp;

    const std::pair<std::string, std::string> failures[] = {
        {ChunkText("imag", u"none"), "MaskWidget image load failed!"},
        {ChunkText("imag", u"none") + ChunkU32("imsh", 1), "MaskWidget image load."},
        {ChunkText("imls", u"none"), "MaskWidget image list load failed!"},
    };
    for (const auto& [chunks, box] : failures) {
        auto broken = CompiledFile::FromBytes(Widget("mkwg", 9, u"broken", chunks));
        CMaskWidget widget;
        EXPECT_EQ(widget.LoadFromResourceName(u"broken", broken.get(), nullptr), kResResourceRead) << box;
        const std::vector<std::string> boxes = Boxes();
        ASSERT_FALSE(boxes.empty());
        EXPECT_NE(boxes.back().find(box), std::string::npos) << boxes.back();
    }
}

}  // namespace

}  // namespace MaskWidgetTests
