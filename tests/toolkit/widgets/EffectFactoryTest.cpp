#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "toolkit/core/tCMemFile.h"
#include "toolkit/widgets/CWidgetEffectBorder.h"
#include "toolkit/widgets/CWidgetEffectCutout.h"
#include "toolkit/widgets/CWidgetEffectGlow.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"
#include "toolkit/widgets/CWidgetEffectTexture.h"
#include "toolkit/widgets/EffectTestSupport.h"
#include "toolkit/widgets/WidgetEffectFactory.h"
#include "toolkit/widgets/WidgetResources.h"

namespace {

using handmade::U32;

std::string F32(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return U32(bits);
}

std::string I32(int32_t value)
{
    return U32(uint32_t(value));
}

// The parameters of a shadow or glow chunk.
std::string ShadowParams(int32_t slot, uint32_t colour, float radius, int32_t x, int32_t y, int32_t opacity,
                         int32_t clip, int32_t overlay)
{
    return I32(slot) + U32(colour) + F32(radius) + I32(x) + I32(y) + I32(opacity) + I32(clip) + I32(overlay);
}

class EffectFactoryTest : public WidgetLoadTest {
protected:
    void SetUp() override
    {
        WidgetLoadTest::SetUp();
        widget = new CCoWidget;
        ASSERT_EQ(Place(&root, widget, {10, 10, 30, 24}), kResOk);
    }

    // The effect the factory builds from these bytes for the widget.
    IWidgetEffect* Build(const char* type, const std::string& bytes, CWidget* on = nullptr)
    {
        stream.Reset();
        EXPECT_EQ(stream.WriteBytes(bytes.data(), int64_t(bytes.size())), kResOk);
        EXPECT_EQ(stream.Rewind(), kResOk);
        uint32_t tag = 0;
        ParseFourCC(type, &tag);
        return CreateWidgetEffect(tag, on ? on : widget, &stream);
    }

    int32_t InstalledCount() const
    {
        int32_t count = 0;
        for (int32_t i = 0; i < CWidget::kEffectSlots; ++i)
            count += (widget->GetBackEffect(i) != nullptr) + (widget->GetMiddleEffect(i) != nullptr) +
                     (widget->GetFrontEffect(i) != nullptr);
        return count;
    }

    TestRoot root{100, 100};
    CCoWidget* widget = nullptr;
    tCMemFile stream;
};

TEST_F(EffectFactoryTest, AShadowChunkSetsEveryParameterAndInstallsInItsSlot)
{
    auto* shadow = static_cast<CWidgetEffectShadow*>(
        Build("shad", ShadowParams(2, 0x12345678, 3.5f, -4, 6, 150, 1, 1)));
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(widget->GetFrontEffect(2), shadow);
    EXPECT_EQ(shadow->GetEffectType(), MakeFourCC("shfx"));
    EXPECT_EQ(shadow->GetColour(), 0xFF345678u) << "the alpha byte stays the effect's";
    EXPECT_EQ(shadow->GetRadius(), 3.5f);
    EXPECT_EQ(shadow->GetOffset(), (tCPoint{-4, 6}));
    EXPECT_EQ(shadow->GetOpacity(), 150u);
    EXPECT_EQ(shadow->GetClipToWidget(), 1u);
    EXPECT_EQ(shadow->GetHideUnderWidget(), 0u);
    EXPECT_EQ(shadow->GetRect(), (tCRect{0, 0, 20, 14})) << "refreshed at install and clipped";
    EXPECT_TRUE(stream.IsAtEnd()) << "exactly the parameters are read";
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(EffectFactoryTest, OverlayZeroIsBackOneFrontAnyOtherMiddle)
{
    const std::pair<int32_t, int32_t> cases[] = {{0, CWidget::kBackLayer}, {1, CWidget::kFrontLayer},
                                                 {2, CWidget::kMiddleLayer}, {5, CWidget::kMiddleLayer},
                                                 {-1, CWidget::kMiddleLayer}};
    for (const auto& [overlay, layer] : cases) {
        IWidgetEffect* glow = Build("glow", ShadowParams(3, 0, 1.0f, 0, 0, 100, 0, overlay));
        ASSERT_NE(glow, nullptr);
        const IWidgetEffect* installed = layer == CWidget::kBackLayer    ? widget->GetBackEffect(3)
                                         : layer == CWidget::kFrontLayer ? widget->GetFrontEffect(3)
                                                                         : widget->GetMiddleEffect(3);
        EXPECT_EQ(installed, glow) << overlay;
        EXPECT_EQ(static_cast<CWidgetEffectBase*>(glow)->GetLayer(), layer);
        widget->RemoveAllEffects();
    }
}

TEST_F(EffectFactoryTest, ClipValuesChooseClipOrHideAndOthersChangeNothing)
{
    const std::pair<int32_t, std::pair<uint32_t, uint32_t>> cases[] = {
        {0, {0, 0}}, {1, {1, 0}}, {2, {0, 1}}, {3, {0, 0}}, {-7, {0, 0}}};
    for (const auto& [clip, flags] : cases) {
        auto* shadow = static_cast<CWidgetEffectShadow*>(Build("shad", ShadowParams(0, 0, 1.0f, 0, 0, 1, clip, 0)));
        ASSERT_NE(shadow, nullptr);
        EXPECT_EQ(shadow->GetClipToWidget(), flags.first) << clip;
        EXPECT_EQ(shadow->GetHideUnderWidget(), flags.second) << clip;
    }
}

TEST_F(EffectFactoryTest, ATruncatedChunkReportsTheParameterItStoppedAt)
{
    EXPECT_EQ(Build("shad", I32(0) + U32(0xFF000000)), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResFileIO, "Shadow Radius.")});
    EXPECT_EQ(InstalledCount(), 0);
    EXPECT_EQ(Build("glow", ShadowParams(0, 0, 1.0f, 0, 0, 1, 0, 0).substr(0, 30)), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResFileIO, "Glow Overlay.")});
    EXPECT_EQ(Build("ctot", I32(0) + U32(0) + F32(1.0f) + I32(1)), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResFileIO, "Cutout YOff.")});
    EXPECT_EQ(Build("brde", I32(0) + U32(1) + U32(2)), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResFileIO, "Border right colour.")});
    EXPECT_EQ(InstalledCount(), 0);
}

TEST_F(EffectFactoryTest, NonFiniteNumbersAreRefusedAndOthersKeptInRange)
{
    EXPECT_EQ(Build("shad", ShadowParams(0, 0, std::nanf(""), 0, 0, 1, 0, 0)), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResBadParam, "Shadow Radius.")});
    EXPECT_EQ(Build("grdf", I32(0) + F32(INFINITY)), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResBadParam, "Gradient Effect angle.")});
    EXPECT_EQ(InstalledCount(), 0);

    auto* big = static_cast<CWidgetEffectShadow*>(Build("shad", ShadowParams(0, 0, 1e30f, 0, 0, 900, 0, 0)));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->GetRadius(), 255.0f);
    EXPECT_EQ(big->GetOpacity(), 255u);
    auto* none = static_cast<CWidgetEffectCutout*>(
        Build("ctot", I32(1) + U32(0) + F32(-40.0f) + I32(0) + I32(0) + I32(-3) + I32(0)));
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->GetRadius(), 0.0f);
    EXPECT_EQ(none->GetOpacity(), 0u);
}

TEST_F(EffectFactoryTest, SlotFourCannotBeInstalled)
{
    EXPECT_EQ(Build("shad", ShadowParams(4, 0, 1.0f, 0, 0, 1, 0, 0)), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResBadParam, "Shadow add to parent failed.")});
    EXPECT_EQ(Build("brde", I32(-1) + std::string(12 * 4, '\0')), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResBadParam, "Shadow add to parent failed.")});
    EXPECT_EQ(InstalledCount(), 0);
}

// Fails every refresh of its effects.
class RefusingWidget : public CCoWidget {
public:
    tResult RefreshEffect(IWidgetEffect*, uint32_t) override { return kResNoMemory; }
};

TEST_F(EffectFactoryTest, AnEffectWhoseRefreshFailsAtInstallIsNeitherKeptNorDeletedTwice)
{
    RefusingWidget refusing;
    EXPECT_EQ(Build("glow", ShadowParams(1, 0, 1.0f, 0, 0, 1, 0, 0), &refusing), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResNoMemory, "Shadow add to parent failed.")});
    EXPECT_EQ(refusing.GetBackEffect(1), nullptr);
    EXPECT_EQ(refusing.GetExtent(), refusing.GetRect());
}

// A root whose invalidation fails from its `failFrom`th call on, and whose presents fail.
class FailingRoot : public TestRoot {
public:
    FailingRoot() : TestRoot(200, 200) {}
    tResult InvalidateRect(const tCRect* rect, uint32_t update) override
    {
        return ++calls >= failFrom ? kResNoMemory : TestRoot::InvalidateRect(rect, update);
    }
    tResult PresentDirtyRects() override { return kResFileIO; }

    int calls = 0;
    int failFrom = 1000;
};

TEST_F(EffectFactoryTest, AnEffectWhoseInvalidationFailsAtInstallLeavesItsSlotEmpty)
{
    // The refresh invalidates once and succeeds; the install's own invalidation then fails.
    FailingRoot failing;
    auto* owner = new CCoWidget;
    ASSERT_EQ(Place(&failing, owner, {10, 10, 30, 24}), kResOk);
    failing.calls = 0;
    failing.failFrom = 2;
    EXPECT_EQ(Build("shad", ShadowParams(2, 0, 1.0f, 0, 0, 1, 0, 1), owner), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResNoMemory, "Shadow add to parent failed.")});
    EXPECT_EQ(failing.calls, 2);
    EXPECT_EQ(owner->GetFrontEffect(2), nullptr) << "the factory deleted it";
    EXPECT_EQ(owner->GetExtent(), owner->GetRect());

    // A present that fails after the effect went in hands it back too, alive and unowned.
    failing.failFrom = 1000;
    bool destroyed = false;
    auto* effect = new TestEffect({-4, -4, 24, 18}, 0xFF00FF00, &destroyed);
    EXPECT_EQ(owner->SetMiddleEffect(effect, 1, 1), kResFileIO);
    EXPECT_EQ(owner->GetMiddleEffect(1), nullptr);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(effect->owner, nullptr);
    EXPECT_EQ(owner->GetExtent(), owner->GetRect());
    delete effect;
    EXPECT_TRUE(destroyed);

    // Installed without presenting, it stays and widens the extent.
    auto* kept = new TestEffect({-4, -4, 24, 18}, 0xFF00FF00);
    ASSERT_EQ(owner->SetMiddleEffect(kept, 1, 0), kResOk);
    EXPECT_EQ(owner->GetMiddleEffect(1), kept);
    EXPECT_EQ(owner->GetExtent(), (tCRect{6, 6, 34, 28}));
}

TEST_F(EffectFactoryTest, WithoutParametersTheEffectGoesToTheFirstBackSlot)
{
    IWidgetEffect* texture = Build("txtr", "");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(widget->GetBackEffect(0), texture);
    EXPECT_EQ(texture->GetEffectType(), MakeFourCC("txtr"));
    EXPECT_EQ(static_cast<CWidgetEffectTexture*>(texture)->GetBlendMode(), 1);
    IWidgetEffect* border = CreateWidgetEffect(MakeFourCC("brde"), widget, nullptr);
    ASSERT_NE(border, nullptr);
    EXPECT_EQ(widget->GetBackEffect(0), border) << "replacing the texture";
    IWidgetEffect* loose = CreateWidgetEffect(MakeFourCC("ctot"), nullptr, nullptr);
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->GetRect(), (tCRect{})) << "built, not installed";
    delete loose;
    EXPECT_EQ(CreateWidgetEffect(MakeFourCC("wgfx"), widget, nullptr), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResCreateFailed, "Unrecognised type in widget constructor.")});
}

TEST_F(EffectFactoryTest, AGradientChunkReadsItsStops)
{
    const std::string head = I32(1) + F32(0.25f) + I32(3) + I32(2) + F32(0.3f) + F32(0.6f);
    auto* plain = static_cast<CWidgetEffectGradient*>(Build("grdf", head + I32(0) + I32(77) + I32(2)));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(widget->GetMiddleEffect(1), plain);
    EXPECT_EQ(plain->GetAngle(), 0.25f);
    EXPECT_EQ(plain->GetBlendMode(), 3);
    EXPECT_EQ(plain->GetGradientType(), 2);
    EXPECT_EQ(plain->GetCentreX(), 0.3f);
    EXPECT_EQ(plain->GetCentreY(), 0.6f);
    EXPECT_EQ(plain->GetOpacity(), 77u);
    ASSERT_EQ(plain->GetGradient()->GetPointCount(), 2) << "no stops: black to white";
    EXPECT_EQ(plain->GetGradient()->GetPoint(0).colour, 0xFF000000u);
    EXPECT_EQ(plain->GetGradient()->GetPoint(1).colour, 0xFFFFFFFFu);

    const std::string stops = I32(3) + U32(0xFF102030) + F32(0.0f) + U32(0x80FF0000) + F32(0.5f) + U32(0x00FFFFFF) +
                              F32(1.0f);
    auto* ramp = static_cast<CWidgetEffectGradient*>(Build("grdf", head + stops + I32(255) + I32(0)));
    ASSERT_NE(ramp, nullptr);
    ASSERT_EQ(ramp->GetGradient()->GetPointCount(), 3);
    EXPECT_EQ(ramp->GetGradient()->GetPoint(0).colour, 0xFF102030u);
    EXPECT_EQ(ramp->GetGradient()->GetPoint(1).colour, 0x80FF0000u);
    EXPECT_EQ(ramp->GetGradient()->GetPoint(2).colour, 0x00FFFFFFu);

    // A count beyond the bytes left is refused before any stop is read.
    EXPECT_EQ(Build("grdf", head + I32(0x7FFFFFFF) + U32(0) + F32(0.5f)), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResFileIO, "Gradient Effect Num Points.")});
    EXPECT_EQ(Build("grdf", head + I32(1) + U32(0) + F32(std::nanf(""))), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{BoxText(kResBadParam, "Gradient Effect Point loc.")});
}

TEST_F(EffectFactoryTest, ABorderChunkSetsColoursAndThePatternOfItsActiveEdgesOnly)
{
    const std::string colours = U32(0x11111111) + U32(0x22222222) + U32(0x33333333) + U32(0x44444444);
    auto* border = static_cast<CWidgetEffectBorder*>(Build(
        "brde", I32(0) + colours + I32(1) + I32(0) + I32(1) + I32(2) + I32(2) + F32(1.5f) + I32(99) + I32(1)));
    ASSERT_NE(border, nullptr);
    using B = CWidgetEffectBorder;
    EXPECT_EQ(border->GetEdgeColour(B::kTop), 0x11111111u);
    EXPECT_EQ(border->GetEdgeColour(B::kLeft), 0x22222222u);
    EXPECT_EQ(border->GetEdgeColour(B::kRight), 0x33333333u);
    EXPECT_EQ(border->GetEdgeColour(B::kBottom), 0x44444444u);
    EXPECT_EQ(border->GetEdgePattern(B::kTop), 0xCCCCCCCCu);
    EXPECT_EQ(border->GetEdgePattern(B::kRight), 0xCCCCCCCCu);
    EXPECT_EQ(border->GetEdgePattern(B::kLeft), 0xFFFFFFFFu);
    EXPECT_EQ(border->GetEdgePattern(B::kBottom), 0xFFFFFFFFu) << "active means exactly 1";
    EXPECT_EQ(border->GetWidth(), 1.5f);
    EXPECT_EQ(border->GetOpacity(), 99u);
    EXPECT_EQ(widget->GetFrontEffect(0), border);

    // With no edge active the style changes nothing, and the border draws the same.
    const std::string tail = I32(1) + F32(0.0f) + I32(255) + I32(0);
    auto* inactive = static_cast<CWidgetEffectBorder*>(
        Build("brde", I32(0) + colours + I32(0) + I32(0) + I32(0) + I32(0) + tail));
    ASSERT_NE(inactive, nullptr);
    for (uint32_t edge : {B::kTop, B::kLeft, B::kRight, B::kBottom})
        EXPECT_EQ(inactive->GetEdgePattern(edge), 0xFFFFFFFFu);
    auto* active = static_cast<CWidgetEffectBorder*>(
        Build("brde", I32(1) + colours + I32(1) + I32(1) + I32(1) + I32(1) + tail));
    ASSERT_NE(active, nullptr);
    EffectCanvas a(20, 14, {0, 0}, 0xFF808080), b(20, 14, {0, 0}, 0xFF808080);
    const tCRect all{0, 0, 20, 14};
    ASSERT_EQ(inactive->Draw(&all, &a.image, 255), kResOk);
    ASSERT_EQ(active->Draw(&all, &b.image, 255), kResOk);
    for (int32_t y = 0; y < 14; ++y)
        for (int32_t x = 0; x < 20; ++x)
            ASSERT_EQ(a.At(x, y), b.At(x, y));
    EXPECT_LT(CountPixels(a.image, 0xFF808080), 20 * 14);
}

}  // namespace
