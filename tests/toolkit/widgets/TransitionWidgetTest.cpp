#include <gtest/gtest.h>

#include <cmath>

#include "toolkit/imaging/NoiseLibrary.h"
#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/imaging/PixelCopy.h"
#include "toolkit/imaging/PixelMath.h"
#include "toolkit/imaging/RotatedBlit.h"
#include "toolkit/imaging/ValueNoise.h"
#include "toolkit/widgets/CImWidget.h"
#include "toolkit/widgets/CTransitionWidget.h"
#include "toolkit/widgets/EffectTestSupport.h"
#include "toolkit/widgets/Transitions.h"

namespace {

// The alpha-correct mix of s and e at weight u (0 gives s, 255 e), from its definition.
CPixel Mix(CPixel s, CPixel e, uint32_t u)
{
    const int64_t w = int64_t(u) * 257 + 1;
    const int64_t sa = s >> 24, ea = e >> 24;
    if (sa == 0)
        return (e & 0xFFFFFF) | CPixel(((ea << 8) * w) >> 24) << 24;
    if (ea == 0)
        return (s & 0xFFFFFF) | CPixel(((sa << 8) * (65536 - w)) >> 24) << 24;
    const int64_t a = sa + int64_t(std::floor(double(ea - sa) * double(w) / 65536.0));
    CPixel out = CPixel(a) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int64_t ps = (((s >> shift) & 0xFF) * (sa + 1)) >> 8;
        const int64_t pe = (((e >> shift) & 0xFF) * (ea + 1)) >> 8;
        const int64_t mixed = ps + int64_t(std::floor(double(pe - ps) * double(w) / 65536.0));
        out |= CPixel(((mixed * ((1 << 24) / (a + 1))) >> 16) & 0xFF) << shift;
    }
    return out;
}

CPixel Scaled(CPixel c, uint32_t a)
{
    return (c & 0xFFFFFF) | ((((c >> 8) * (a + 1)) >> 24) << 24);
}

// A picture of varied colours and alphas.
CImage* Picture(int32_t width, int32_t height, CPixel seed)
{
    auto* image = new CImage(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            SetPixel(*image, x, y,
                     ((seed + CPixel(x * 0x0A1405 + y * 0x051E0B)) & 0x00FFFFFF) |
                         CPixel(40 + (x * 23 + y * 17) % 216) << 24);
    return image;
}

struct Stage {
    Stage()
    {
        transition = new CTransitionWidget;
        EXPECT_EQ(Place(&root, transition, {10, 10, 50, 40}), kResOk);
        first = new CImWidget;
        EXPECT_EQ(Place(&root, first, {14, 13, 34, 28}), kResOk);
        EXPECT_EQ(first->SetImage(Picture(20, 15, 0x203040), 0, 0), kResOk);
        second = new CImWidget;
        EXPECT_EQ(Place(&root, second, {20, 20, 44, 36}), kResOk);
        EXPECT_EQ(second->SetImage(Picture(24, 16, 0x804020), 0, 0), kResOk);
    }
    CPixel Frame(int32_t x, int32_t y) { return PixelAt(*transition->GetImage(), x, y); }
    CPixel First(int32_t x, int32_t y) { return PixelAt(*first->GetImage(), x, y); }
    CPixel Second(int32_t x, int32_t y) { return PixelAt(*second->GetImage(), x, y); }

    TestRoot root{100, 100};
    CTransitionWidget* transition;
    CImWidget* first;
    CImWidget* second;
};

TEST(TransitionWidget, ACaptureHoldsTheWidgetsPixelsAtItsOffset)
{
    Stage s;
    ASSERT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kStart), kResOk);
    CImage* start = s.transition->GetStartImage();
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(s.transition->GetStartOffset(), (tCPoint{4, 3}));
    EXPECT_EQ(start->GetWidth(), 20);
    for (int32_t y = 0; y < 15; ++y)
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(PixelAt(*start, x, y), s.First(x, y)) << x << "," << y;
    EXPECT_EQ(s.transition->CaptureWidget(nullptr, CTransitionWidget::kStart), kResOk);
    EXPECT_EQ(s.transition->GetStartImage(), nullptr);
}

TEST(TransitionWidget, ACaptureOfAMovedWidgetWithAnOpaqueChildEnds)
{
    Stage s;
    auto* panel = new CWidget;
    ASSERT_EQ(Place(&s.root, panel, {30, 40, 70, 60}), kResOk);
    auto* face = new CImWidget;
    ASSERT_EQ(Place(panel, face, {5, 2, 25, 17}), kResOk);
    ASSERT_EQ(face->SetImage(Picture(20, 15, 0x102030), 0, 0), kResOk);
    CImNav(face->GetImage()).SetAlpha(255);
    face->SetOpaqueBlit(1);
    ASSERT_EQ(s.transition->CaptureWidget(panel, CTransitionWidget::kStart), kResOk);
    CImage* start = s.transition->GetStartImage();
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(PixelAt(*start, 0, 0) >> 24, 0u);
    for (int32_t y = 0; y < 15; ++y)
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(PixelAt(*start, x + 5, y + 2), PixelAt(*face->GetImage(), x, y)) << x << "," << y;
}

TEST(TransitionWidget, ACrossFadeOfTheStartAloneFadesItsAlphaAway)
{
    Stage s;
    ASSERT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kStart), kResOk);
    s.transition->SetTransition(TransitionCrossFade, 0);
    ASSERT_EQ(s.transition->SetProgress(0.0f, 0), kResOk);
    EXPECT_EQ(s.transition->GetProgress(), 0.0f);
    for (int32_t y = 0; y < 15; ++y)
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(s.Frame(x + 4, y + 3), s.First(x, y));
    EXPECT_EQ(s.transition->GetLastFrameRect(), (tCRect{4, 3, 24, 18}));
    EXPECT_EQ(s.Frame(2, 2), 0u) << "a frame starts transparent";
    ASSERT_EQ(s.transition->SetProgress(1.0f, 0), kResOk);
    for (int32_t y = 0; y < 15; ++y)
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(s.Frame(x + 4, y + 3), s.First(x, y) & 0x00FFFFFF);
    ASSERT_EQ(s.transition->SetProgress(0.6f, 0), kResOk);
    EXPECT_EQ(s.Frame(9, 8), Scaled(s.First(5, 5), 102)) << "round(0.4 x 255) = 102";
}

TEST(TransitionWidget, TwoPicturesCrossFadeByTheirAlphasWhereTheyMeet)
{
    Stage s;
    // Some pixels of each picture without alpha.
    SetPixel(*s.first->GetImage(), 11, 9, 0x00123456);
    SetPixel(*s.second->GetImage(), 6, 2, 0x00654321);
    ASSERT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kStart), kResOk);
    ASSERT_EQ(s.transition->CaptureWidget(s.second, CTransitionWidget::kEnd), kResOk);
    EXPECT_EQ(s.transition->GetEndOffset(), (tCPoint{10, 10}));
    s.transition->SetTransition(TransitionCrossFade, 0);
    ASSERT_EQ(s.transition->SetProgress(0.5f, 0), kResOk);
    // a = round(0.5 x 255) = 128; the mix weighs the end by 255 - 128.
    EXPECT_EQ(s.Frame(15, 12), Mix(s.First(11, 9), s.Second(5, 2), 127)) << "both, the start transparent";
    EXPECT_EQ(s.Frame(16, 12), Mix(s.First(12, 9), s.Second(6, 2), 127)) << "both, the end transparent";
    EXPECT_EQ(s.Frame(17, 13), Mix(s.First(13, 10), s.Second(7, 3), 127)) << "both";
    EXPECT_EQ(s.Frame(5, 4), Scaled(s.First(1, 1), 128)) << "the start alone";
    const CPixel end = s.Second(20, 12);
    EXPECT_EQ(s.Frame(30, 22), (end & 0xFFFFFF) | ((((end >> 8) * 128) >> 24) << 24)) << "the end alone";
    EXPECT_EQ(s.Frame(30, 5), 0u) << "neither, inside the union";
    EXPECT_EQ(s.transition->GetLastFrameRect(), (tCRect{4, 3, 34, 26}));
}

TEST(TransitionWidget, OpaquePicturesCrossFadeAsTheMixDefinesIt)
{
    Stage s;
    ASSERT_EQ(s.first->SetImage(Picture(20, 15, 0x203040), 0, 0), kResOk);
    CImNav(s.first->GetImage()).SetAlpha(255);
    CImNav(s.second->GetImage()).SetAlpha(255);
    ASSERT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kStart), kResOk);
    ASSERT_EQ(s.transition->CaptureWidget(s.second, CTransitionWidget::kEnd), kResOk);
    s.transition->SetTransition(TransitionCrossFade, 0);
    for (const float p : {0.1f, 0.3f, 0.77f}) {
        ASSERT_EQ(s.transition->SetProgress(p, 0), kResOk);
        const uint32_t a = uint32_t(std::lround((1.0 - p) * 255));
        for (int32_t y = 10; y < 18; ++y)
            for (int32_t x = 10; x < 24; ++x)
                ASSERT_EQ(s.Frame(x, y), Mix(s.First(x - 4, y - 3), s.Second(x - 10, y - 10), 255 - a)) << p;
    }
}

TEST(TransitionWidget, ProgressOutsideZeroToOneActsAsItsEnd)
{
    Stage s;
    ASSERT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kStart), kResOk);
    ASSERT_EQ(s.transition->CaptureWidget(s.second, CTransitionWidget::kEnd), kResOk);
    for (const tTransitionFn step : {TransitionCrossFade, TransitionSpin, TransitionNoiseDissolve}) {
        s.transition->SetTransition(step, 0);
        for (const auto& [outside, end] : {std::pair{1.5f, 1.0f}, std::pair{-0.5f, 0.0f}}) {
            ASSERT_EQ(s.transition->SetProgress(end, 0), kResOk);
            CImage expected(40, 30);
            ASSERT_EQ(CopyImageToImage(&expected, s.transition->GetImage()), kResOk);
            ASSERT_EQ(s.transition->SetProgress(outside, 0), kResOk);
            EXPECT_EQ(s.transition->GetProgress(), outside);
            for (int32_t y = 0; y < 30; ++y)
                for (int32_t x = 0; x < 40; ++x)
                    ASSERT_EQ(s.Frame(x, y), PixelAt(expected, x, y)) << outside << " " << x << "," << y;
        }
    }
}

TEST(TransitionWidget, ASpinOfOnePictureShrinksToNothing)
{
    Stage s;
    // The start alone is shown at p' = 1 - p: at p = 0 it is scaled to nothing.
    ASSERT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kStart), kResOk);
    s.transition->SetTransition(TransitionSpin, 0);
    ASSERT_EQ(s.transition->SetProgress(0.5f, 0), kResOk);
    EXPECT_GT(40 * 30 - CountPixels(*s.transition->GetImage(), 0), 20);
    ASSERT_EQ(s.transition->SetProgress(0.0f, 0), kResOk);
    EXPECT_EQ(CountPixels(*s.transition->GetImage(), 0), 40 * 30) << "scale 0 draws nothing";
    EXPECT_TRUE(s.transition->GetLastFrameRect().IsEmpty());
}

TEST(TransitionWidget, TheDissolveLateOnlyDisplacesAndAtTheEndCopies)
{
    Stage s;
    // A picture far larger than the frame, so that every displaced sample lands inside it.
    auto* opaque = new CImage(160, 160);
    CImNav(opaque).Fill(0xFF00C0FF);
    auto* large = new CImWidget;
    ASSERT_EQ(Place(&s.root, large, {-50, -50, 110, 110}), kResOk);
    ASSERT_EQ(large->SetImage(opaque, 0, 0), kResOk);
    ASSERT_EQ(s.transition->CaptureWidget(large, CTransitionWidget::kEnd), kResOk);
    EXPECT_EQ(s.transition->GetEndOffset(), (tCPoint{-60, -60}));
    s.transition->SetTransition(TransitionNoiseDissolve, 0);
    const auto interior = [&](CPixel wanted) {
        int differ = 0;
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x) {
                const bool border = x == 0 || y == 0 || x == 39 || y == 29;
                differ += s.Frame(x, y) != (border ? 0u : wanted);
            }
        return differ;
    };
    ASSERT_EQ(s.transition->SetProgress(1.0f, 0), kResOk);
    EXPECT_EQ(interior(0xFF00C0FF), 0);
    ASSERT_EQ(s.transition->SetProgress(0.8f, 0), kResOk);
    EXPECT_EQ(interior(0xFF00C0FF), 0) << "displaced, none eaten away";
    ASSERT_EQ(s.transition->SetProgress(0.3f, 0), kResOk);
    EXPECT_GT(interior(0xFF00C0FF), 0);

    // The same picture captured small: at the end it is copied where it lies, transparent around.
    auto* small = new CImage(20, 15);
    CImNav(small).Fill(0xFF00C0FF);
    ASSERT_EQ(s.first->SetImage(small, 0, 0), kResOk);
    ASSERT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kEnd), kResOk);
    ASSERT_EQ(s.transition->SetProgress(1.0f, 0), kResOk);
    for (int32_t y = 1; y < 29; ++y)
        for (int32_t x = 1; x < 39; ++x) {
            const bool inside = x >= 4 && x < 24 && y >= 3 && y < 18;
            ASSERT_EQ(inside ? s.Frame(x, y) : s.Frame(x, y) >> 24, inside ? 0xFF00C0FFu : 0u) << x << "," << y;
        }
}

// Pictures of one opaque colour, far larger than the frame: whatever the displacement, every
// sample is that colour, so that each frame pixel follows from the noise under it alone.
struct Uniform : Stage {
    Uniform()
    {
        for (auto [widget, colour] : {std::pair{&start, 0xFF2060A0u}, std::pair{&end, 0xFFE0A040u}}) {
            *widget = new CImWidget;
            // The displacement reaches some 600 pixels at its strongest.
            EXPECT_EQ(Place(&root, *widget, {-730, -735, 770, 765}), kResOk);
            auto* image = new CImage(1500, 1500);
            CImNav(image).Fill(colour);
            EXPECT_EQ((*widget)->SetImage(image, 0, 0), kResOk);
        }
        transition->SetTransition(TransitionNoiseDissolve, 0);
    }
    uint32_t Noise(int32_t x, int32_t y) { return CImNav16(transition->GetNoiseImage()).Pixels(y)[x]; }
    CImWidget* start = nullptr;
    CImWidget* end = nullptr;
};

TEST(TransitionWidget, TheDissolveEatsOnePictureAwayWhereTheNoiseIsHigh)
{
    Uniform u;
    ASSERT_EQ(u.transition->CaptureWidget(u.start, CTransitionWidget::kStart), kResOk);
    for (const double p : {0.5, 0.9}) {
        ASSERT_EQ(u.transition->SetProgress(float(p), 0), kResOk);
        // The start alone is shown at p' = 1 - p: k = round((1 - p' / 0.8) 256), j = round(p' 255 5).
        const double shown = 1.0 - double(float(p));
        const int64_t k = std::lround((1.0 - shown / 0.8) * 256), j = std::lround(shown * 255 * 5);
        for (int32_t y = 1; y < 29; y += 3)
            for (int32_t x = 1; x < 39; x += 2) {
                int64_t a = std::max<int64_t>(0, 255 - ((int64_t(u.Noise(x, y)) * k) >> 14));
                CPixel expected = Scaled(0xFF2060A0, uint32_t(a));
                if (shown < 0.2 && (expected >> 24))
                    expected = Scaled(expected, uint32_t(j));
                ASSERT_EQ(u.Frame(x, y), expected) << p << " " << x << "," << y;
            }
    }
}

TEST(TransitionWidget, TheDissolveBetweenTwoPicturesLetsTheEndBreakThrough)
{
    Uniform u;
    // A frame large enough for the noise to reach low values somewhere.
    ASSERT_EQ(u.transition->SetSize(200, 150, 0), kResOk);
    ASSERT_EQ(u.transition->CaptureWidget(u.start, CTransitionWidget::kStart), kResOk);
    ASSERT_EQ(u.transition->CaptureWidget(u.end, CTransitionWidget::kEnd), kResOk);
    ASSERT_EQ(u.transition->SetProgress(0.1f, 0), kResOk);
    EXPECT_EQ(u.Frame(20, 15), 0xFF2060A0u) << "before 0.2, the start alone";
    for (const double p : {0.5, 0.81}) {
        ASSERT_EQ(u.transition->SetProgress(float(p), 0), kResOk);
        const double q = 1.0 - double(float(p));
        const int64_t k = std::lround((1.0 - q / 0.8) * 256), j = std::lround(q * 255 * 5);
        int startShows = 0;
        for (int32_t y = 1; y < 149; ++y)
            for (int32_t x = 1; x < 199; ++x) {
                int64_t t = std::max<int64_t>(0, 255 - ((int64_t(u.Noise(x, y)) * k) >> 14));
                if (p > 0.8)
                    t = (j * t) >> 8;
                startShows += t > 0;
                ASSERT_EQ(u.Frame(x, y), Mix(0xFF2060A0, 0xFFE0A040, uint32_t(255 - t))) << p << " " << x << "," << y;
            }
        EXPECT_GT(startShows, 0) << p;
    }
}

TEST(TransitionWidget, TheDissolveSamplesAlongTheNoiseGradient)
{
    Stage s;
    auto* varied = new CImage(1500, 1500);
    for (int32_t y = 0; y < 1500; ++y)
        for (int32_t x = 0; x < 1500; ++x)
            SetPixel(*varied, x, y, 0xFF000000 | CPixel((x * 7 + y * 3) & 0xFF) << 16 | CPixel((y * 5) & 0xFF) << 8 | (x & 0xFF));
    auto* large = new CImWidget;
    ASSERT_EQ(Place(&s.root, large, {-730, -735, 770, 765}), kResOk);
    ASSERT_EQ(large->SetImage(varied, 0, 0), kResOk);
    ASSERT_EQ(s.transition->CaptureWidget(large, CTransitionWidget::kEnd), kResOk);
    s.transition->SetTransition(TransitionNoiseDissolve, 0);
    // The end alone at p' = 0.9: strength round(0.1 x 45536) >> 2, nothing eaten away.
    ASSERT_EQ(s.transition->SetProgress(0.9f, 0), kResOk);
    const int64_t strength = std::lround((1.0 - double(0.9f)) * 45536) >> 2;
    CImNav16 noise(s.transition->GetNoiseImage());
    const auto N = [&](int32_t x, int32_t y) { return int64_t(noise.Pixels(y)[x]); };
    for (int32_t y = 1; y < 29; y += 2)
        for (int32_t x = 1; x < 39; x += 3) {
            const int64_t u = (int64_t(x + 740) << 16) + (N(x - 1, y) - N(x + 1, y)) * strength;
            const int64_t v = (int64_t(y + 745) << 16) + (N(x, y - 1) - N(x, y + 1)) * strength;
            const int32_t ix = int32_t(u >> 16), iy = int32_t(v >> 16);
            const uint32_t fx = uint32_t(u >> 8) & 255, fy = uint32_t(v >> 8) & 255;
            const CPixel expected =
                LerpArgb(LerpArgb(PixelAt(*varied, ix, iy), PixelAt(*varied, ix + 1, iy), fx),
                         LerpArgb(PixelAt(*varied, ix, iy + 1), PixelAt(*varied, ix + 1, iy + 1), fx), fy);
            ASSERT_EQ(s.Frame(x, y), expected) << x << "," << y;
        }
}

TEST(TransitionWidget, TwoPicturesSpinRoundEachOtherTheLargerOnTop)
{
    Stage s;
    ASSERT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kStart), kResOk);
    ASSERT_EQ(s.transition->CaptureWidget(s.second, CTransitionWidget::kEnd), kResOk);
    s.transition->SetTransition(TransitionSpin, 0);
    CImage* start = s.transition->GetStartImage();
    CImage* end = s.transition->GetEndImage();
    // e = smoothstep(2p) rises to 1 at p = 0.5 and falls back; the start lies at
    // 0.5 - (e / 4)(cos 3 pi p, sin 3 pi p), the end opposite.
    const struct {
        float p;
        double e;
        bool endFirst;
    } cases[] = {{0.25f, 0.5, true}, {0.6f, 0.0, false}};
    for (auto c : cases) {
        if (c.p > 0.5f) {
            const double t = 2.0 * double(c.p) - 1.0;
            c.e = 1.0 - t * t * (3 - 2 * t);
        }
        ASSERT_EQ(s.transition->SetProgress(c.p, 0), kResOk);
        CImage expected(40, 30);
        const double cosine = std::cos(3 * 3.14159265358979323846 * c.p), sine = std::sin(3 * 3.14159265358979323846 * c.p);
        const auto draw = [&](CImage* image, double angle, float scale, double sign) {
            ASSERT_EQ(BlitRotatedScaledOver(expected, *image, float(angle), scale, float(0.5 + sign * c.e / 4 * cosine),
                                            float(0.5 + sign * c.e / 4 * sine), nullptr),
                      kResOk);
        };
        const double turn = 4 * 3.14159265358979323846;
        if (c.endFirst) {
            draw(end, (1.0 - c.p) * turn, c.p, 1);
            draw(start, c.p * turn, 1.0f - c.p, -1);
        } else {
            draw(start, c.p * turn, 1.0f - c.p, -1);
            draw(end, (1.0 - c.p) * turn, c.p, 1);
        }
        int differing = 0;
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x)
                differing += s.Frame(x, y) != PixelAt(expected, x, y);
        EXPECT_EQ(differing, 0) << c.p;
        EXPECT_LT(CountPixels(expected, 0), 40 * 30 - 50) << "both pictures show";
    }
}

TEST(TransitionWidget, TheNoiseIsMadeOncePerFrameSizeAndItsBorderNeverWritten)
{
    Stage s;
    ASSERT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kStart), kResOk);
    ASSERT_EQ(s.transition->CaptureWidget(s.second, CTransitionWidget::kEnd), kResOk);
    s.transition->SetTransition(TransitionNoiseDissolve, 0);
    CImNav(s.transition->GetImage()).Fill(0x12345678);
    ASSERT_EQ(s.transition->SetProgress(0.1f, 0), kResOk);
    CImage16* noise = s.transition->GetNoiseImage();
    ASSERT_NE(noise, nullptr);
    const uint16_t sample = CImNav16(noise).Pixels(7)[9];
    for (const float p : {0.3f, 0.5f, 0.9f}) {
        ASSERT_EQ(s.transition->SetProgress(p, 0), kResOk);
        EXPECT_EQ(s.transition->GetNoiseImage(), noise);
        EXPECT_EQ(CImNav16(noise).Pixels(7)[9], sample);
    }
    for (int32_t x = 0; x < 40; ++x) {
        EXPECT_EQ(s.Frame(x, 0), 0x12345678u);
        EXPECT_EQ(s.Frame(x, 29), 0x12345678u);
    }
    for (int32_t y = 0; y < 30; ++y) {
        EXPECT_EQ(s.Frame(0, y), 0x12345678u);
        EXPECT_EQ(s.Frame(39, y), 0x12345678u);
    }
    ASSERT_EQ(s.transition->SetSize(33, 21, 0), kResOk);
    ASSERT_EQ(s.transition->SetProgress(0.5f, 0), kResOk);
    ASSERT_NE(s.transition->GetNoiseImage(), nullptr);
    EXPECT_EQ(s.transition->GetNoiseImage()->GetWidth(), 33);
}

TEST(TransitionWidget, TheNoiseFieldFillsItsOddPixelsFromTheirNeighbours)
{
    tSharedNoise& shared = SharedNoise();
    uint32_t state[2] = {shared.seed[0], shared.seed[1]};
    const uint32_t r1 = NextRandom16(state), r2 = NextRandom16(state);
    CImage16 noise(6, 4);
    ASSERT_EQ(FillDissolveNoise(&noise), kResOk);
    CImNav16 field(&noise);
    const auto lattice = [&](int32_t x, int32_t y) {
        const int32_t lx = int32_t(3096u * (uint32_t(x) + r1)), ly = int32_t(3096u * (uint32_t(y) + r2));
        const uint32_t* seed = &shared.seed[0];
        return uint16_t(((4 * ValueNoise2D(seed, lx >> 2, ly >> 2) + 2 * ValueNoise2D(seed, lx >> 1, ly >> 1) +
                          ValueNoise2D(seed, lx, ly)) * 17) >> 7);
    };
    for (int32_t y = 0; y < 4; y += 2)
        for (int32_t x = 0; x < 6; x += 2)
            EXPECT_EQ(field.Pixels(y)[x], lattice(x, y)) << x << "," << y;
    EXPECT_EQ(field.Pixels(0)[1], (lattice(0, 0) + lattice(2, 0)) >> 1);
    EXPECT_EQ(field.Pixels(2)[5], lattice(4, 2)) << "no right neighbour: the left one";
    EXPECT_EQ(field.Pixels(1)[3], (field.Pixels(0)[3] + field.Pixels(2)[3]) >> 1);
    EXPECT_EQ(field.Pixels(3)[4], field.Pixels(2)[4]) << "no row below: the one above";
}

TEST(TransitionWidget, ACaptureRestoresTheWidgetAlsoWhenDrawingFails)
{
    Stage s;
    auto* effect = new TestEffect({-3, -2, 25, 18}, 0xFF00FF00);
    ASSERT_EQ(s.first->SetBackEffect(effect, 0, 0), kResOk);
    ASSERT_EQ(s.first->SetVisible(0, 0), kResOk);
    const tPixelBlendFn pixelHook = PixelBlendHook;
    ASSERT_EQ(s.transition->SetProgress(0.25f, 0), kResOk);
    ASSERT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kStart), kResOk);
    CImage* start = s.transition->GetStartImage();
    EXPECT_EQ(start->GetWidth(), 28) << "the extent, effects included";
    EXPECT_EQ(start->GetHeight(), 20);
    EXPECT_EQ(s.transition->GetStartOffset(), (tCPoint{1, 1}));
    EXPECT_EQ(PixelAt(*start, 0, 0), 0xFF00FF00u) << "the effect's margin";
    EXPECT_EQ(s.transition->GetProgress(), -1.0f);
    EXPECT_EQ(s.first->GetParent(), &s.root);
    EXPECT_FALSE(s.first->IsVisible());
    EXPECT_EQ(PixelBlendHook, pixelHook);
    EXPECT_EQ(start->GetOrigin(), (tCPoint{0, 0}));

    effect->drawResult = kResBadCompare;
    EXPECT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kEnd), kResBadCompare);
    EXPECT_EQ(s.first->GetParent(), &s.root);
    EXPECT_FALSE(s.first->IsVisible());
    EXPECT_EQ(PixelBlendHook, pixelHook);
    EXPECT_EQ(ColourBlendHook, &BlendColourOver);
}

tResult Failing(tMsgArg data, CTransitionWidget*, float)
{
    ++*FromMsgArg<int>(data);
    return kResBusy;
}

TEST(TransitionWidget, AFailingStepKeepsTheProgressAndNoCaptureMeansNoStep)
{
    Stage s;
    int calls = 0;
    s.transition->SetTransition(Failing, ToMsgArg(&calls));
    ASSERT_EQ(s.transition->SetProgress(0.5f, 0), kResOk);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(s.transition->GetProgress(), 0.5f);
    ASSERT_EQ(s.transition->CaptureWidget(s.first, CTransitionWidget::kEnd), kResOk);
    EXPECT_EQ(s.transition->SetProgress(0.75f, 0), kResBusy);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(s.transition->GetProgress(), -1.0f);
    s.root.ClearRecords();
    s.transition->SetTransition(TransitionCrossFade, 0);
    ASSERT_EQ(s.transition->SetProgress(0.75f, 1), kResOk);
    EXPECT_EQ(s.root.presents, 1);
    EXPECT_EQ(s.root.invalidated, (std::vector<tCRect>{{14, 13, 34, 28}}));
}

}  // namespace
