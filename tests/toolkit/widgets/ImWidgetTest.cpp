#include <gtest/gtest.h>

#include <cmath>

#include "toolkit/imaging/tCImageList.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CWidgetEffectShadow.h"
#include "toolkit/widgets/EffectTestSupport.h"

namespace {

// A picture that tells when it is deleted.
class WatchedImage : public CImage {
public:
    WatchedImage(int32_t width, int32_t height, bool* deleted) : CImage(width, height), m_deleted(deleted) {}
    ~WatchedImage() override { *m_deleted = true; }

private:
    bool* m_deleted;
};

CImage* Filled(int32_t width, int32_t height, CPixel colour)
{
    auto* image = new CImage(width, height);
    CImNav(image).Fill(colour);
    return image;
}

struct ImageFixture {
    explicit ImageFixture(const tCRect& rect = {10, 10, 30, 25})
    {
        widget = new CImWidget;
        EXPECT_EQ(Place(&root, widget, rect), kResOk);
    }
    TestRoot root{100, 100};
    CImWidget* widget;
};

TEST(ImWidget, AWidgetMadeInCodeFillsAPictureOfItsOwnWithItsColourMadeOpaque)
{
    TestRoot root(100, 100);
    auto* widget = new CImWidget;
    ASSERT_EQ(widget->SetColour(0x40123456, 0), kResOk);
    EXPECT_EQ(widget->GetImage(), nullptr);
    ASSERT_EQ(Place(&root, widget, {0, 0, 6, 4}), kResOk);
    ASSERT_NE(widget->GetImage(), nullptr);
    EXPECT_EQ(widget->GetImage()->GetWidth(), 6);
    EXPECT_EQ(CountPixels(*widget->GetImage(), 0xFF123456), 24);
    CImage* own = widget->GetImage();
    ASSERT_EQ(widget->SetColour(0xFF000080, 0), kResOk);
    ASSERT_EQ(widget->SetSize(3, 5, 0), kResOk);
    EXPECT_EQ(widget->GetImage(), own) << "its own picture is resized";
    EXPECT_EQ(own->GetHeight(), 5);
    EXPECT_EQ(CountPixels(*own, 0xFF000080), 15);
    ASSERT_EQ(widget->SetSize(3, 5, 0), kResOk);
    EXPECT_EQ(widget->SizeToImage(0), kResOk);
    EXPECT_EQ(widget->GetWidth(), 3);
}

TEST(ImWidget, SetImageRefusesNothingAndKeepsWhatItHolds)
{
    ImageFixture f;
    CImage* held = f.widget->GetImage();
    EXPECT_EQ(f.widget->SetImage(nullptr, 0, 0), kResBadParam);
    CImage invalid;
    EXPECT_EQ(f.widget->SetImage(&invalid, 0, 0), kResBadParam);
    EXPECT_EQ(f.widget->GetImage(), held);
    EXPECT_EQ(f.widget->SetImage(held, 1, 0), kResOk) << "the picture it holds changes nothing";
    EXPECT_EQ(f.widget->GetImage(), held);
    EXPECT_EQ(CountPixels(*held, 0xFFFFFFFF), 20 * 15);
    bool deleted = false;
    auto* picture = new WatchedImage(7, 9, &deleted);
    ASSERT_EQ(f.widget->SetImage(picture, 1, 0), kResOk);
    EXPECT_EQ(f.widget->GetWidth(), 7) << "sized to the picture";
    EXPECT_EQ(f.widget->GetHeight(), 9);
    EXPECT_FALSE(deleted);
    ASSERT_EQ(f.widget->SetImage(Filled(2, 2, 0), 0, 0), kResOk);
    EXPECT_TRUE(deleted) << "the picture it owned is replaced";
}

TEST(ImWidget, WithStretchAPictureIsHeldAsACopyOfTheWidgetsSize)
{
    ImageFixture f({0, 0, 100, 30});
    f.widget->SetStretchImage(1);
    bool deleted = false;
    auto* picture = new WatchedImage(64, 64, &deleted);
    CImNav(picture).Fill(0xFF336699);
    ASSERT_EQ(f.widget->SetImage(picture, 0, 0), kResOk);
    EXPECT_TRUE(deleted) << "the picture given is used up";
    CImage* held = f.widget->GetImage();
    ASSERT_EQ(held->GetWidth(), 100);
    ASSERT_EQ(held->GetHeight(), 30);
    EXPECT_EQ(CountPixels(*held, 0xFF336699), 3000);

    bool pooledDeleted = false;
    auto* pooled = new WatchedImage(64, 64, &pooledDeleted);
    CImNav(pooled).Fill(0xFF102030);
    pooled->MarkPoolOwned();
    ASSERT_EQ(f.widget->SetImage(pooled, 0, 0), kResOk);
    EXPECT_FALSE(pooledDeleted) << "a pool's picture stays the pool's";
    EXPECT_NE(f.widget->GetImage(), pooled);
    EXPECT_EQ(CountPixels(*f.widget->GetImage(), 0xFF102030), 3000);
    delete pooled;
}

TEST(ImWidget, ListEntriesAreShownInTurnAndStayTheLists)
{
    ImageFixture f;
    EXPECT_EQ(f.widget->SetImageList(nullptr), kResBadParam);
    EXPECT_EQ(f.widget->SetImageListIndex(0, 0, 0), kResBadParam) << "no list";
    EXPECT_EQ(f.widget->NextImageListEntry(0, 0), kResBadParam);
    auto* single = new tCImageList;
    ASSERT_EQ(single->AddImage(Filled(4, 4, 0xFF0000FF)), kResOk);
    ASSERT_EQ(f.widget->SetImageList(single), kResOk);
    EXPECT_EQ(f.widget->SetImageList(single), kResOk) << "the list it holds changes nothing";
    EXPECT_EQ(f.widget->NextImageListEntry(0, 0), kResBadParam) << "one entry";

    auto* list = new tCImageList;
    for (CPixel colour : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu})
        ASSERT_EQ(list->AddImage(Filled(5, 3, colour)), kResOk);
    ASSERT_EQ(f.widget->SetImageList(list), kResOk);
    EXPECT_EQ(f.widget->GetImageList(), list);
    EXPECT_EQ(f.widget->SetImageListIndex(3, 0, 0), kResBadParam);
    EXPECT_EQ(f.widget->SetImageListIndex(-1, 0, 0), kResBadParam);
    ASSERT_EQ(f.widget->SetImageListIndex(2, 1, 0), kResOk);
    EXPECT_EQ(f.widget->GetImage(), list->GetImage(2));
    EXPECT_EQ(f.widget->GetImageListIndex(), 2);
    EXPECT_EQ(f.widget->GetWidth(), 5);
    ASSERT_EQ(f.widget->NextImageListEntry(0, 0), kResOk);
    EXPECT_EQ(f.widget->GetImage(), list->GetImage(0)) << "wraps from the last entry";
    EXPECT_EQ(list->GetCurrentIndex(), 0);
    ASSERT_EQ(f.widget->NextImageListEntry(0, 0), kResOk);
    EXPECT_EQ(f.widget->GetImage(), list->GetImage(1));
    // Resizing gives the widget a picture of its own and leaves the entry to the list.
    ASSERT_EQ(f.widget->SetSize(8, 8, 0), kResOk);
    EXPECT_NE(f.widget->GetImage(), list->GetImage(1));
    EXPECT_EQ(list->GetImage(1)->GetWidth(), 5);
    EXPECT_EQ(CountPixels(*list->GetImage(1), 0xFF00FF00), 15);
}

TEST(ImWidget, ReplacingTheListLeavesNoPictureOfItBehind)
{
    ImageFixture f;
    auto* list = new tCImageList;
    ASSERT_EQ(list->AddImage(Filled(5, 3, 0xFFFF0000)), kResOk);
    ASSERT_EQ(f.widget->SetImageList(list), kResOk);
    ASSERT_EQ(f.widget->SetImageListIndex(0, 0, 0), kResOk);
    ASSERT_EQ(f.widget->SetImageList(new tCImageList), kResOk);
    EXPECT_EQ(f.widget->GetImage(), nullptr);
    // With nothing to show, the widget is its colour.
    EffectCanvas canvas(20, 15, {0, 0}, 0xFF000000);
    const tCRect all{0, 0, 20, 15};
    ASSERT_EQ(f.widget->Draw(&all, &canvas.image, 255), kResOk);
    EXPECT_EQ(CountPixels(canvas.image, 0xFFFFFFFF), 300);
}

TEST(ImWidget, PixelsAreCompositedAtTheOpacityAndNoColourFillsAroundThem)
{
    ImageFixture f({0, 0, 6, 4});
    // A 4 x 2 picture in a 6 x 4 widget: columns of alpha 255, 200, 0 and 255.
    auto* picture = new CImage(4, 2);
    const CPixel columns[] = {0xFF102030, 0xC8F0E0D0, 0x00FFFFFF, 0xFF405060};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 4; ++x)
            SetPixel(*picture, x, y, columns[x]);
    ASSERT_EQ(f.widget->SetImage(picture, 0, 0), kResOk);
    const tCRect all{0, 0, 6, 4};
    for (uint32_t opacity : {255u, 127u, 60u}) {
        EffectCanvas canvas(6, 4, {0, 0}, 0xFF808080);
        ASSERT_EQ(f.widget->Draw(&all, &canvas.image, opacity), kResOk);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 6; ++x) {
                CPixel expected = 0xFF808080;
                if (x < 4 && y < 2) {
                    const uint32_t a = ((columns[x] >> 24) * ((opacity + 1) << 16)) >> 24;
                    expected = OverReference(0xFF808080, a, columns[x]);
                }
                ASSERT_EQ(canvas.At(x, y), expected) << opacity << ": " << x << "," << y;
            }
    }
    // (255 x 128 x 65536) >> 24 = 127.
    EffectCanvas half(6, 4, {0, 0}, 0xFF000000);
    ASSERT_EQ(f.widget->Draw(&all, &half.image, 127), kResOk);
    EXPECT_EQ(half.At(0, 0), OverReference(0xFF000000, 127, 0xFF102030));
    f.widget->SetOpaqueBlit(1);
    EffectCanvas copied(6, 4, {0, 0}, 0xFF808080);
    ASSERT_EQ(f.widget->Draw(&all, &copied.image, 90), kResOk);
    EXPECT_EQ(copied.At(1, 1), 0xC8F0E0D0u) << "copied as they are";
    EXPECT_EQ(copied.At(2, 0), 0x00FFFFFFu);
    EXPECT_EQ(copied.At(5, 3), 0xFF808080u);
}

TEST(ImWidget, HitsFollowTheAlphaAgainstTheThresholdAndMissPastThePicture)
{
    ImageFixture f({0, 0, 6, 4});
    auto* picture = new CImage(3, 1);
    SetPixel(*picture, 0, 0, 0x7FFFFFFF);
    SetPixel(*picture, 1, 0, 0x80000000);
    SetPixel(*picture, 2, 0, 0xFF000000);
    ASSERT_EQ(f.widget->SetImage(picture, 0, 0), kResOk);
    tCPoint points[] = {{0, 0}, {1, 0}, {2, 0}, {4, 0}, {0, 2}};
    EXPECT_EQ(f.widget->HitTest(&points[4]), 1u) << "threshold 0 hits everywhere";
    f.widget->SetOpaqueThreshold(128);
    const uint32_t expected[] = {0, 1, 1, 0, 0};
    for (size_t i = 0; i < std::size(points); ++i)
        EXPECT_EQ(f.widget->HitTest(&points[i]), expected[i]) << i;
}

TEST(ImWidget, TheAlphaMaskIsThePicturesAlphaAndZeroPastIt)
{
    ImageFixture f({0, 0, 6, 4});
    auto* picture = new CImage(4, 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            SetPixel(*picture, x, y, CPixel(x * 60 + y) << 24);
    ASSERT_EQ(f.widget->SetImage(picture, 0, 0), kResOk);
    CImage8 mask(8, 2);
    CImNav8(&mask).Fill(77);
    ASSERT_EQ(f.widget->RenderAlphaMask(&mask), kResOk);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            const uint8_t expected = x >= 6 ? 77 : x < 4 ? uint8_t(x * 60 + y) : 0;
            EXPECT_EQ(ByteAt(mask, x, y), expected) << x << "," << y;
        }
    f.widget->SetOpaqueBlit(1);
    ASSERT_EQ(f.widget->RenderAlphaMask(&mask), kResOk);
    EXPECT_EQ(CountBytes(mask, 255), 12);
    EXPECT_EQ(CountBytes(mask, 77), 4);
}

// A picture that packs well: bands of colour and alpha.
CImage* Banded(int32_t width, int32_t height)
{
    auto* image = new CImage(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            SetPixel(*image, x, y, x < 5 ? 0 : CPixel((y * 40) & 0xFF) << 24 | CPixel(x / 8) * 0x102030);
    return image;
}

TEST(ImWidget, APackedPictureDrawsHitsAndMasksLikeItsPlainForm)
{
    TestRoot root(200, 200);
    auto* plain = new CImWidget;
    auto* packed = new CImWidget;
    ASSERT_EQ(Place(&root, plain, {0, 0, 40, 30}), kResOk);
    ASSERT_EQ(Place(&root, packed, {50, 0, 90, 30}), kResOk);
    ASSERT_EQ(plain->SetImage(Banded(36, 28), 0, 0), kResOk);
    ASSERT_EQ(packed->SetImage(Banded(36, 28), 0, 0), kResOk);
    ASSERT_EQ(packed->CompressImage(), kResOk);
    ASSERT_EQ(packed->IsImageCompressed(), 1u);
    for (uint32_t opacity : {255u, 140u}) {
        EffectCanvas a(40, 30, {0, 0}, 0xFF607080), b(40, 30, {0, 0}, 0xFF607080);
        const tCRect part{3, 2, 39, 29};
        ASSERT_EQ(plain->Draw(&part, &a.image, opacity), kResOk);
        ASSERT_EQ(packed->Draw(&part, &b.image, opacity), kResOk);
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x)
                ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
    }
    plain->SetOpaqueThreshold(100);
    packed->SetOpaqueThreshold(100);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            tCPoint p{x, y};
            ASSERT_EQ(plain->HitTest(&p), packed->HitTest(&p)) << x << "," << y;
        }
    CImage8 maskA(40, 30), maskB(40, 30);
    ASSERT_EQ(plain->RenderAlphaMask(&maskA), kResOk);
    ASSERT_EQ(packed->RenderAlphaMask(&maskB), kResOk);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x)
            ASSERT_EQ(ByteAt(maskA, x, y), ByteAt(maskB, x, y));
    // Effects see the same shape.
    auto* shadowA = new CWidgetEffectShadow;
    auto* shadowB = new CWidgetEffectShadow;
    ASSERT_EQ(plain->SetBackEffect(shadowA, 0, 0), kResOk);
    ASSERT_EQ(packed->SetBackEffect(shadowB, 0, 0), kResOk);
    EXPECT_EQ(packed->IsImageCompressed(), 1u) << "the picture stays packed";
    EffectCanvas a(80, 80, {20, 20}, 0xFFFFFFFF), b(80, 80, {20, 20}, 0xFFFFFFFF);
    const tCRect all = a.Local();
    ASSERT_EQ(shadowA->Draw(&all, &a.image, 200), kResOk);
    ASSERT_EQ(shadowB->Draw(&all, &b.image, 200), kResOk);
    EXPECT_LT(CountPixels(a.image, 0xFFFFFFFF), 80 * 80);
    for (int32_t y = -20; y < 60; ++y)
        for (int32_t x = -20; x < 60; ++x)
            ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
    ASSERT_EQ(packed->DecompressImage(), kResOk);
    EXPECT_EQ(packed->IsImageCompressed(), 0u);
}

// The cross-fade of two pixels with both alphas non-zero, per channel in plain arithmetic.
CPixel CrossFadeReference(CPixel a, CPixel b, uint32_t k)
{
    const double f = k * 257.0 + 1.0;
    const double alphaA = a >> 24, alphaB = b >> 24;
    const double alpha = alphaA + std::floor((alphaB - alphaA) * f / 65536.0);
    CPixel out = CPixel(alpha) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double pa = std::floor(((a >> shift) & 0xFF) * (alphaA + 1) / 256.0);
        const double pb = std::floor(((b >> shift) & 0xFF) * (alphaB + 1) / 256.0);
        const double p = pa + std::floor((pb - pa) * f / 65536.0);
        out |= (CPixel(std::floor(p * std::floor(16777216.0 / (alpha + 1)) / 65536.0)) & 0xFF) << shift;
    }
    return out;
}

TEST(ImWidget, CrossFadesMixTwoPicturesByTheirAlphas)
{
    ImageFixture f({0, 0, 3, 1});
    CImage a(3, 1), b(4, 2);
    const CPixel fromA[] = {0x00000000, 0xFF204060, 0x80FF0000};
    const CPixel toB[] = {0xFFFFFFFF, 0x00123456, 0x4000FF80};
    for (int32_t x = 0; x < 3; ++x) {
        SetPixel(a, x, 0, fromA[x]);
        SetPixel(b, x, 0, toB[x]);
    }
    CImage* own = f.widget->GetImage();
    ASSERT_EQ(f.widget->CrossFadeImages(&a, &b, 0.0f, 0, 0), kResOk);
    EXPECT_EQ(PixelAt(*own, 1, 0), 0xFF204060u);
    ASSERT_EQ(f.widget->CrossFadeImages(&a, &b, 1.0f, 0, 0), kResOk);
    EXPECT_EQ(PixelAt(*own, 2, 0), 0x4000FF80u);
    for (float t : {-3.0f, std::nanf("")}) {
        ASSERT_EQ(f.widget->CrossFadeImages(&a, &b, t, 0, 0), kResOk);
        EXPECT_EQ(PixelAt(*own, 2, 0), 0x80FF0000u) << t;
    }
    ASSERT_EQ(f.widget->CrossFadeImages(&a, &b, 9.0f, 0, 0), kResOk);
    EXPECT_EQ(PixelAt(*own, 2, 0), 0x4000FF80u);
    // Half way, k = 128: a transparent a gives b's colour at (255 x 256 x 32897) >> 24 = 128,
    // a transparent b a's colour at (255 x 256 x 32639) >> 24 = 126.
    ASSERT_EQ(f.widget->CrossFadeImages(&a, &b, 0.5f, 0, 0), kResOk);
    EXPECT_EQ(PixelAt(*own, 0, 0), 0x80FFFFFFu);
    EXPECT_EQ(PixelAt(*own, 1, 0), 0x7E204060u);
    EXPECT_EQ(PixelAt(*own, 2, 0), CrossFadeReference(0x80FF0000, 0x4000FF80, 128));
    for (uint32_t k : {1u, 77u, 200u, 254u}) {
        ASSERT_EQ(f.widget->CrossFadeImages(&a, &b, float(k) / 255.0f, 0, 0), kResOk);
        EXPECT_EQ(PixelAt(*own, 2, 0), CrossFadeReference(0x80FF0000, 0x4000FF80, k)) << k;
        EXPECT_EQ(CrossFadePixel(0xC0102030, 0x20F0E0D0, k), CrossFadeReference(0xC0102030, 0x20F0E0D0, k)) << k;
    }
}

TEST(ImWidget, CrossFadesRefreshEffectsAndPresentWhenAsked)
{
    ImageFixture f({0, 0, 4, 4});
    auto* effect = new TestEffect({0, 0, 4, 4}, 0);
    ASSERT_EQ(f.widget->SetBackEffect(effect, 0, 0), kResOk);
    const int before = effect->updates;
    CImage a(4, 4), b(4, 4);
    ASSERT_EQ(f.widget->CrossFadeImages(&a, &b, 0.3f, 1, 1), kResOk);
    EXPECT_EQ(effect->updates, before + 1);
    EXPECT_EQ(f.root.presents, 1);
    ASSERT_EQ(f.widget->CrossFadeImages(&a, nullptr, 0.3f, 1, 1), kResOk);
    EXPECT_EQ(effect->updates, before + 1) << "a missing picture only presents";
    EXPECT_EQ(f.root.presents, 2);

    auto* list = new tCImageList;
    ASSERT_EQ(list->AddImage(Filled(4, 4, 0xFF000000)), kResOk);
    ASSERT_EQ(list->AddImage(Filled(4, 4, 0xFFFFFFFF)), kResOk);
    ASSERT_EQ(f.widget->SetImageList(list), kResOk);
    ASSERT_EQ(f.widget->SetSize(4, 4, 0), kResOk);
    CImage* own = f.widget->GetImage();
    ASSERT_EQ(f.widget->CrossFadeListImages(-1, 1, 0.5f, 0, 0), kResOk);
    ASSERT_EQ(f.widget->CrossFadeListImages(0, 2, 0.5f, 0, 1), kResOk);
    EXPECT_EQ(f.root.presents, 3);
    ASSERT_EQ(f.widget->CrossFadeListImages(1, 0, 1.0f, 0, 0), kResOk);
    EXPECT_EQ(list->GetCurrentIndex(), 1);
    EXPECT_EQ(CountPixels(*own, 0xFF000000), 16);
}

TEST(ImWidget, AreasBeyondTheAllowedPicturesAreRefusedBeforeAnythingIsAllocated)
{
    ImageFixture f({0, 0, 4, 4});
    ASSERT_TRUE(IsPictureAreaAllowed(8192, 8192));
    EXPECT_FALSE(IsPictureAreaAllowed(8193, 8192));
    EXPECT_EQ(f.widget->SetSize(16000, 9000, 0), kResNoMemory);
    EXPECT_EQ(f.widget->GetImage()->GetWidth(), 4) << "the picture stays as it was";
    // A small picture on a huge widget: its effects would need work images of the widget's size.
    ImageFixture huge({0, 0, 4, 4});
    ASSERT_EQ(huge.widget->SetImage(Filled(4, 4, 0xFF000000), 0, 0), kResOk);
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(huge.widget->SetBackEffect(shadow, 0, 0), kResOk);
    EXPECT_EQ(huge.widget->SetSize(12000, 12000, 0), kResNoMemory);
    EXPECT_EQ(huge.widget->GetWidth(), 12000);
    const tCRect before = shadow->GetRect();
    EXPECT_EQ(shadow->SetRadius(3.0f, 0), kResNoMemory) << "no work image of the widget's size";
    EXPECT_EQ(shadow->GetRect(), before);
}

}  // namespace
