#include <gtest/gtest.h>

#include <memory>

#include "toolkit/widgets/CWidgetEffectBorder.h"
#include "toolkit/widgets/CWidgetEffectCutout.h"
#include "toolkit/widgets/CWidgetEffectGlow.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"
#include "toolkit/widgets/CWidgetEffectTexture.h"
#include "toolkit/widgets/EffectTestSupport.h"

namespace {

TEST(EffectBase, EachClassAnswersItsTypeCode)
{
    const std::pair<std::unique_ptr<IWidgetEffect>, const char*> effects[] = {
        {std::make_unique<CWidgetEffectShadow>(), "shfx"}, {std::make_unique<CWidgetEffectGlow>(), "glfx"},
        {std::make_unique<CWidgetEffectBorder>(), "bdfx"}, {std::make_unique<CWidgetEffectCutout>(), "ctfx"},
        {std::make_unique<CWidgetEffectGradient>(), "grfx"}, {std::make_unique<CWidgetEffectTexture>(), "txtr"},
    };
    for (const auto& [effect, code] : effects) {
        EXPECT_EQ(FourCCText(effect->GetEffectType()), code);
        EXPECT_EQ(static_cast<CWidgetEffectBase*>(effect.get())->GetLayer(), 0);
    }
    EXPECT_EQ(CWidgetEffectBorder().GetOpacity(), 255u);
    EXPECT_EQ(CWidgetEffectShadow().GetOpacity(), 200u);
}

TEST(EffectBase, OpacityIsKeptInRangeAndRepaintsTheOwner)
{
    EffectOwner owner(10, 10);
    auto* border = new CWidgetEffectBorder;
    ASSERT_EQ(owner.widget->SetFrontEffect(border, 1, 0), kResOk);
    EXPECT_EQ(border->GetLayer(), CWidget::kFrontLayer);
    owner.root.ClearRecords();
    ASSERT_EQ(border->SetOpacity(300, 1), kResOk);
    EXPECT_EQ(border->GetOpacity(), 255u);
    EXPECT_EQ(owner.root.invalidated, std::vector<tCRect>{(tCRect{20, 20, 30, 30})});
    EXPECT_EQ(owner.root.presents, 1);
    ASSERT_EQ(border->ChangeOpacity(40, 0), kResOk);
    EXPECT_EQ(border->GetOpacity(), 40u);
    EXPECT_EQ(owner.root.presents, 1);
}

TEST(EffectBase, AnExcludedRectIsInvalidatedInTheOwnersFrameAndLeftUnpainted)
{
    EffectOwner owner(10, 10, {40, 30});
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(shadow->SetRadius(1.0f, 0), kResOk);
    ASSERT_EQ(owner.widget->SetBackEffect(shadow, 0, 0), kResOk);
    EXPECT_EQ(shadow->GetRect(), (tCRect{6, 6, 20, 20}));
    owner.root.ClearRecords();
    // Local (12, 0) to (40, 14): the part within the extent (0, 0, 20, 20) is invalidated, in
    // the root at the owner's place.
    ASSERT_EQ(shadow->ExcludeRect({12, 0, 40, 14}, 1), kResOk);
    EXPECT_EQ(owner.root.invalidated, std::vector<tCRect>{(tCRect{52, 30, 60, 44})});
    EXPECT_EQ(owner.root.presents, 1);

    EffectCanvas canvas(200, 200, {0, 0}, 0xFF808080);
    const tCRect all{0, 0, 200, 200};
    ASSERT_EQ(owner.root.DrawSubtree(&all, &canvas.image, 255), kResOk);
    EXPECT_EQ(canvas.At(55, 43), 0xFF808080u) << "excluded";
    EXPECT_NE(canvas.At(55, 44), 0xFF808080u);
    EXPECT_NE(canvas.At(47, 48), 0xFF808080u);

    owner.root.ClearRecords();
    ASSERT_EQ(shadow->ClearExcludedRects(0), kResOk);
    EXPECT_TRUE(shadow->GetExcludedRegion().IsEmpty());
    EXPECT_EQ(owner.root.invalidated, std::vector<tCRect>{(tCRect{40, 30, 60, 50})});
}

TEST(EffectBase, DetachedSettersOnlyStoreAndAnEmptyOwnerChangesNothing)
{
    CWidgetEffectCutout cutout;
    ASSERT_EQ(cutout.SetOpacity(12, 1), kResOk);
    ASSERT_EQ(cutout.ExcludeRect({0, 0, 4, 4}, 1), kResOk);
    ASSERT_EQ(cutout.SetRadius(3.0f, 1), kResOk);
    EXPECT_EQ(cutout.Update(), kResOk);
    EXPECT_EQ(cutout.GetRect(), (tCRect{}));
    EXPECT_EQ(cutout.GetMask(), nullptr);

    TestRoot root(50, 50);
    auto* empty = new CCoWidget;
    ASSERT_EQ(Place(&root, empty, {5, 5, 5, 9}), kResOk);
    auto* shadow = new CWidgetEffectShadow;
    ASSERT_EQ(empty->SetBackEffect(shadow, 0, 0), kResOk);
    EXPECT_EQ(shadow->GetRect(), (tCRect{}));
    EXPECT_EQ(shadow->GetHorizontalFalloff().GetCount(), 0);
}

}  // namespace
