#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "CanvasTestSupport.h"
#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ILayerImageView.h"
#include "toolkit/core/CPenSample.h"
#include "toolkit/core/tCFPoint.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();
// The wetness of freshly wetted paint.
constexpr uint32_t kFullyWet = 0xFFFF;

// The painting is 40 x 30 cells of three layers, the view bound.
class CanvasMessagesTest : public CanvasViewFixture {
protected:
    void SetUp() override
    {
        CanvasViewFixture::SetUp();
        ASSERT_EQ(canvas.AttachView(view), kResOk);
        NewPainting(3);
        Clear();
    }
    void TearDown() override
    {
        CLayer::SetPaperGrainBuilder(nullptr);
        CanvasViewFixture::TearDown();
    }

    // Replaces the layers by `count` new ones of 40 x 30 cells.
    void NewPainting(int32_t count)
    {
        while (canvas.GetLayerCount() > 0)
            canvas.DeleteLayer(0);
        ASSERT_EQ(canvas.SetCanvasSize(40, 30), kResOk);
        for (int32_t i = 0; i < count; ++i)
            ASSERT_EQ(canvas.InsertNewLayer(i), kResOk);
        canvas.SetCurrentLayerIndex(0);
        canvas.SetSecondLayerIndex(0);
    }
    void Clear()
    {
        root.ClearRecords();
        controller.messages.clear();
        backdrop.messages.clear();
        host.calls.clear();
    }
    tResult Apply(uint32_t code, tMsgArg arg) { return canvas.OnMessage(code, ToMsgArg(&controller), arg, 0, kMsgApply); }
    tResult Apply(uint32_t code, const void* arg) { return Apply(code, ToMsgArg(arg)); }
    tResult Report(uint32_t code, void* out) { return canvas.OnMessage(code, 0, ToMsgArg(out), 0, kMsgReport); }
    std::vector<uint32_t> Codes() const
    {
        std::vector<uint32_t> codes;
        for (const RecordingController::Message& m : controller.messages)
            codes.push_back(m.code);
        return codes;
    }
    int Modified() const { return controller.Count(kMsgPaintingModified); }
    void AddTracingImage()
    {
        ASSERT_EQ(canvas.SetTracingImage(new CImage(4, 4)), kResOk);
        Clear();
    }

    RecordingController controller{&canvas};
    RecordingBackdrop backdrop;
};

TEST_F(CanvasMessagesTest, UnknownCodesAnswerZeroAndChangeNothing)
{
    for (uint32_t code : {0u, 0xFF000001u, 0xFF000003u, 0xFF000024u, 0xFF001000u, 0xFF00100Du, 0xFF001025u,
                          0xFF003025u, 0xF1000002u, 0x12345678u}) {
        for (uint32_t apply : {kMsgApply, kMsgReport}) {
            uint32_t word = 0xDEADBEEFu;
            EXPECT_EQ(canvas.OnMessage(code, 0, ToMsgArg(&word), 0, apply), kResOk) << std::hex << code;
            EXPECT_EQ(word, 0xDEADBEEFu) << std::hex << code;
        }
    }
    EXPECT_TRUE(controller.messages.empty());
    EXPECT_TRUE(backdrop.messages.empty());
    EXPECT_TRUE(root.invalidated.empty());
    EXPECT_EQ(canvas.GetLayerCount(), 3);
    EXPECT_EQ(canvas.GetZoom(), 1.0f);
}

// Each message that changes the painting, with what it changes.
struct ChangeCase {
    const char* what;
    uint32_t code;
    std::function<tMsgArg()> arg;
    std::function<bool(CCanvas&)> changed;
};

TEST_F(CanvasMessagesTest, EveryAppliedChangeTellsTheControllerFirst)
{
    uint32_t mode = 3;
    float half = 0.5f;
    tCPoint offset{4, -6};
    LayerValueRecord opacity{1, 0.25f};
    LayerValueRecord hidden{2, 0.0f};
    LayerIndexPair pair;
    CLayer* bottom = nullptr;
    const auto pairOf = [&](uint32_t a, uint32_t b) {
        pair = {a, b};
        return ToMsgArg(&pair);
    };
    const ChangeCase cases[] = {
        {"paper colour", kMsgPaperColour, [] { return tMsgArg(0xFF102030u); },
         [](CCanvas& c) {
             uint32_t colour = 0;
             c.GetLayer(0)->GetPaperColour(&colour);
             return colour == 0xFF102030u;
         }},
        {"tracing mode", kMsgTracingMode, [&] { return ToMsgArg(&mode); }, [](CCanvas& c) { return c.GetTracingMode() == 3; }},
        {"tracing opacity", kMsgTracingOpacity, [&] { return ToMsgArg(&half); },
         [](CCanvas& c) { return c.GetTracingOpacity() == 0.5f; }},
        {"tracing scale", kMsgTracingScale, [&] { return ToMsgArg(&half); },
         [](CCanvas& c) { return c.GetTracingScale() == 0.5f; }},
        {"tracing value", kMsgTracingValueB, [&] { return ToMsgArg(&half); },
         [](CCanvas& c) { return c.GetTracingValueB() == 0.5f; }},
        {"tracing offset", kMsgTracingOffset, [&] { return ToMsgArg(&offset); },
         [](CCanvas& c) { return c.GetTracingOffset() == tCPoint{4, -6}; }},
        {"wet one", kMsgWetLayer, [] { return tMsgArg(1); },
         [](CCanvas& c) { return WetnessAt(c.GetLayer(1)->GetCellMap(), 3, 3) == kFullyWet; }},
        {"dry all", kMsgDryLayer, [] { return ~tMsgArg(0); },
         [](CCanvas& c) { return WetnessAt(c.GetLayer(2)->GetCellMap(), 3, 3) == 0; }},
        {"layer opacity", kMsgLayerOpacity, [&] { return ToMsgArg(&opacity); },
         [](CCanvas& c) { return c.GetLayer(1)->GetOpacity() == 0.25f; }},
        {"layer visible", kMsgLayerVisible, [&] { return ToMsgArg(&hidden); },
         [](CCanvas& c) { return c.GetLayer(2)->GetVisible() == 0; }},
        {"delete", kMsgDeleteLayer, [] { return tMsgArg(1); }, [](CCanvas& c) { return c.GetLayerCount() == 2; }},
        {"merge", kMsgMergeLayers, [&] { return pairOf(2, 0); }, [](CCanvas& c) { return c.GetLayerCount() == 2; }},
        {"move", kMsgMoveLayer, [&] { return pairOf(0, 2); }, [&](CCanvas& c) { return c.GetLayer(1) == bottom; }},
        {"duplicate", kMsgDuplicateLayer, [&] { return pairOf(0, 1); }, [](CCanvas& c) { return c.GetLayerCount() == 4; }},
        {"flatten", kMsgFlattenLayers, [] { return tMsgArg(0); }, [](CCanvas& c) { return c.GetLayerCount() == 1; }},
    };
    for (const ChangeCase& c : cases) {
        NewPainting(3);
        bottom = canvas.GetLayer(0);
        for (int32_t i = 0; i < 3; ++i)
            FillLayerCells(*canvas.GetLayer(i), MakeCell(0xFF808080u, 10, 0x4000));
        canvas.SetTracingMode(1);
        canvas.SetTracingOpacity(0.4f);
        canvas.SetTracingScale(0.2f);
        canvas.SetTracingValueB(0.0f);
        canvas.SetTracingOffset({});
        Clear();
        ASSERT_EQ(Apply(c.code, c.arg()), kResOk) << c.what;
        EXPECT_TRUE(c.changed(canvas)) << c.what;
        ASSERT_FALSE(controller.messages.empty()) << c.what;
        EXPECT_EQ(controller.messages[0].code, kMsgPaintingModified) << c.what;
        EXPECT_EQ(Modified(), 1) << c.what;
        if (c.code == kMsgLayerOpacity || c.code == kMsgLayerVisible || c.code == kMsgDeleteLayer) {
            EXPECT_EQ(controller.Count(kMsgLayersChanged), 1) << c.what << " tells that the layers changed";
        }
    }
}

TEST_F(CanvasMessagesTest, TheCanvasReportsItsState)
{
    canvas.SetCurrentLayerIndex(2);
    canvas.SetSecondLayerIndex(1);
    canvas.GetLayer(2)->SetPaperColour(0xFF445566u);
    canvas.GetLayer(1)->SetOpacity(0.75f);
    canvas.GetLayer(0)->SetVisible(0);
    canvas.SetTracingOffset({7, 8});
    canvas.SetFlipVertical(1);
    CLayer::SetViewImageSize({12, 9});
    uint32_t word = 99;
    EXPECT_EQ(Report(kMsgRenderPainting, &word), kResOk);
    EXPECT_EQ(word, 0u);
    EXPECT_EQ(Report(kMsgLayerCount, &word), kResOk);
    EXPECT_EQ(word, 3u);
    EXPECT_EQ(Report(kMsgCurrentLayer, &word), kResOk);
    EXPECT_EQ(word, 2u);
    EXPECT_EQ(Report(kMsgSecondLayer, &word), kResOk);
    EXPECT_EQ(word, 1u);
    EXPECT_EQ(Report(kMsgPaperColour, &word), kResOk);
    EXPECT_EQ(word, 0xFF445566u);
    EXPECT_EQ(Report(kMsgTracingMode, &word), kResOk);
    EXPECT_EQ(word, 1u);
    EXPECT_EQ(Report(kMsgTraceColourPick, &word), kResOk);
    EXPECT_EQ(word, 1u);
    EXPECT_EQ(Report(kMsgTracingVisible, &word), kResOk);
    EXPECT_EQ(word, 0u);
    EXPECT_EQ(Report(kMsgFlipHorizontal, &word), kResOk);
    EXPECT_EQ(word, 0u);
    EXPECT_EQ(Report(kMsgFlipVertical, &word), kResOk);
    EXPECT_EQ(word, 1u);
    float value = 0.0f;
    EXPECT_EQ(Report(kMsgTracingOpacity, &value), kResOk);
    EXPECT_EQ(value, 0.4f);
    EXPECT_EQ(Report(kMsgTracingScale, &value), kResOk);
    EXPECT_EQ(value, 0.5f);
    EXPECT_EQ(Report(kMsgTracingValueB, &value), kResOk);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(Report(kMsgCanvasZoom, &value), kResOk);
    EXPECT_EQ(value, 1.0f);
    EXPECT_EQ(Report(kMsgCanvasRotation, &value), kResOk);
    EXPECT_EQ(value, 0.0f);
    tCPoint point;
    EXPECT_EQ(Report(kMsgTracingOffset, &point), kResOk);
    EXPECT_EQ(point, (tCPoint{7, 8}));
    EXPECT_EQ(Report(kMsgCanvasPosition, &point), kResOk);
    EXPECT_EQ(point, canvas.GetViewRect().GetTopLeft());
    EXPECT_EQ(Report(kMsgLayerImageSize, &point), kResOk);
    EXPECT_EQ(point, (tCPoint{12, 9}));
    CImage* image = nullptr;
    EXPECT_EQ(Report(kMsgGetTracingImage, &image), kResOk);
    EXPECT_EQ(image, nullptr);
    LayerValueRecord record{1, 0.0f};
    EXPECT_EQ(Report(kMsgLayerOpacity, &record), kResOk);
    EXPECT_EQ(record.value, 0.75f);
    record = {0, 0.5f};
    EXPECT_EQ(Report(kMsgLayerVisible, &record), kResOk);
    EXPECT_EQ(record.value, 0.0f);
    record = {1, 0.5f};
    EXPECT_EQ(Report(kMsgLayerVisible, &record), kResOk);
    EXPECT_EQ(record.value, 1.0f);
    // A report changes nothing and tells nobody.
    EXPECT_TRUE(controller.messages.empty());
    EXPECT_TRUE(backdrop.messages.empty());
}

TEST_F(CanvasMessagesTest, LayerIndexesFromMessagesStayInsideTheLayerArray)
{
    const int64_t count = 3;
    for (const int64_t index : {int64_t(-5), count, int64_t(1) << 31, int64_t(-1)}) {
        NewPainting(3);
        const uint32_t word = uint32_t(index);
        ASSERT_EQ(Apply(kMsgCurrentLayer, &word), kResOk);
        EXPECT_EQ(canvas.GetCurrentLayerIndex(), int32_t(word) < 0 ? 0 : 2) << index;
        ASSERT_EQ(Apply(kMsgSecondLayer, &word), kResOk);
        EXPECT_EQ(canvas.GetSecondLayerIndex(), int32_t(word) < 0 ? 0 : 2) << index;
        ASSERT_EQ(Apply(kMsgWetLayer, tMsgArg(index)), kResOk);
        ASSERT_EQ(Apply(kMsgDryLayer, tMsgArg(index)), kResOk);
        CImage8* grain = reinterpret_cast<CImage8*>(1);
        ASSERT_EQ(canvas.OnMessage(kMsgLayerGrain, ToMsgArg(&grain), tMsgArg(index), 0, kMsgReport), kResOk);
        EXPECT_EQ(grain, nullptr);
        LayerValueRecord record{word, 0.5f};
        ASSERT_EQ(Apply(kMsgLayerOpacity, &record), kResOk);
        ASSERT_EQ(Apply(kMsgLayerVisible, &record), kResOk);
        LayerIndexPair pair{word, word};
        ASSERT_EQ(Apply(kMsgMoveLayer, &pair), kResOk);
        pair = {word, 1};
        ASSERT_EQ(Apply(kMsgMergeLayers, &pair), kResOk);
        pair = {word, word};
        ASSERT_EQ(Apply(kMsgDuplicateLayer, &pair), kResOk);
        LayerImageQuery query{int32_t(word), nullptr};
        ASSERT_EQ(Apply(kMsgLayerImage, &query), kResOk);
        EXPECT_EQ(query.image, nullptr) << index;
        LayerViewUpdate update;
        update.layerIndex = int32_t(word);
        ASSERT_EQ(Apply(kMsgUpdateLayerImage, &update), kResOk);
        ASSERT_EQ(Apply(kMsgDeleteLayer, tMsgArg(index)), kResOk);
        EXPECT_EQ(canvas.GetLayerCount(), 2) << index;
        EXPECT_GE(canvas.GetCurrentLayerIndex(), 0);
        EXPECT_LT(canvas.GetCurrentLayerIndex(), canvas.GetLayerCount());
    }
}

TEST_F(CanvasMessagesTest, DryingAndWettingReachOneLayerOrEveryLayer)
{
    for (int32_t i = 0; i < 3; ++i)
        FillLayerCells(*canvas.GetLayer(i), MakeCell(0xFF808080u, 10, 0x4000));
    const auto wetness = [&](int32_t layer) { return WetnessAt(canvas.GetLayer(layer)->GetCellMap(), 39, 29); };
    ASSERT_EQ(Apply(kMsgWetLayer, tMsgArg(1)), kResOk);
    EXPECT_EQ(wetness(0), 0x4000u);
    EXPECT_EQ(wetness(1), kFullyWet);
    // Only the whole argument all ones means every layer; its low word alone is an index.
    ASSERT_EQ(Apply(kMsgDryLayer, tMsgArg(0xFFFFFFFFu)), kResOk);
    EXPECT_EQ(wetness(0), 0x4000u);
    EXPECT_EQ(wetness(2), 0u);
    ASSERT_EQ(Apply(kMsgWetLayer, ~tMsgArg(0)), kResOk);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(wetness(i), kFullyWet);
}

TEST_F(CanvasMessagesTest, HalfTurnsTwiceReturnToTheStart)
{
    for (const auto& [start, half] : {std::pair{0.75f, 0.25f}, std::pair{0.0f, 0.5f}, std::pair{0.3f, 0.8f}}) {
        canvas.TurnView(start, 0);
        root.ClearRecords();
        ASSERT_EQ(Apply(kMsgHalfTurn, tMsgArg(0)), kResOk);
        EXPECT_FLOAT_EQ(canvas.GetRotation(), half);
        EXPECT_GE(root.presents, 1);
        ASSERT_EQ(Apply(kMsgHalfTurn, tMsgArg(0)), kResOk);
        EXPECT_FLOAT_EQ(canvas.GetRotation(), start);
    }
    EXPECT_EQ(canvas.OnMessage(kMsgHalfTurn, 0, 0, 0, kMsgReport), kResOk);
    EXPECT_FLOAT_EQ(canvas.GetRotation(), 0.3f);
}

TEST_F(CanvasMessagesTest, DeletingALayerRecordsItAndTheLastLayerStays)
{
    CLayer* middle = canvas.GetLayer(1);
    CLayer* top = canvas.GetLayer(2);
    ASSERT_EQ(Apply(kMsgDeleteLayer, tMsgArg(1)), kResOk);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0].name, "RecordLayerDeleted");
    EXPECT_EQ(host.calls[0].first, 1);
    EXPECT_EQ(host.calls[0].pointer, middle);
    EXPECT_TRUE(host.calls[0].hadProgress);
    EXPECT_EQ(Codes(), (std::vector<uint32_t>{kMsgPaintingModified, kMsgLayersChanged}));
    EXPECT_EQ(canvas.GetLayer(1), top);

    // Nothing is deleted when the undo store cannot keep the layer.
    Clear();
    host.answer = kResFileIO;
    EXPECT_EQ(Apply(kMsgDeleteLayer, tMsgArg(0)), kResFileIO);
    EXPECT_EQ(canvas.GetLayerCount(), 2);
    host.answer = kResOk;

    NewPainting(1);
    Clear();
    ASSERT_EQ(Apply(kMsgDeleteLayer, tMsgArg(0)), kResOk);
    EXPECT_EQ(canvas.GetLayerCount(), 1);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(controller.messages.empty());
}

TEST_F(CanvasMessagesTest, TracingVisibilityTogglesThroughTheControllerAndRedrawsOnlyOnAChange)
{
    AddTracingImage();
    ASSERT_EQ(Apply(kMsgTracingVisible, tMsgArg(2)), kResOk);
    ASSERT_EQ(controller.messages.size(), 2u);
    EXPECT_EQ(controller.messages[0].code, kMsgTracingVisible);
    EXPECT_EQ(controller.messages[0].arg, 1u);
    EXPECT_EQ(controller.messages[1].code, kMsgPaintingModified);
    EXPECT_EQ(canvas.GetTracingVisible(), 1u);
    EXPECT_FALSE(root.invalidated.empty());

    Clear();
    ASSERT_EQ(Apply(kMsgTracingVisible, tMsgArg(1)), kResOk);
    EXPECT_TRUE(root.invalidated.empty());
    EXPECT_EQ(root.presents, 0);
    ASSERT_EQ(Apply(kMsgTracingVisible, tMsgArg(2)), kResOk);
    EXPECT_EQ(canvas.GetTracingVisible(), 0u);
    EXPECT_FALSE(root.invalidated.empty());
    EXPECT_EQ(Apply(kMsgTracingVisible, tMsgArg(3)), kResBadParam);
    EXPECT_EQ(canvas.GetTracingVisible(), 0u);

    // The controller's answer to the toggle is the answer.
    controller.answer = kResFailure;
    EXPECT_EQ(Apply(kMsgTracingVisible, tMsgArg(2)), kResFailure);
    EXPECT_EQ(canvas.GetTracingVisible(), 0u);
}

TEST_F(CanvasMessagesTest, ANewTracingModeRedrawsThePaintingWithATracingImage)
{
    uint32_t mode = 3;
    ASSERT_EQ(Apply(kMsgTracingMode, &mode), kResOk);
    EXPECT_TRUE(root.invalidated.empty()) << "nothing to redraw without a tracing image";
    AddTracingImage();
    mode = 2;
    ASSERT_EQ(Apply(kMsgTracingMode, &mode), kResOk);
    EXPECT_EQ(canvas.GetTracingMode(), 2u);
    EXPECT_FALSE(root.invalidated.empty());
    EXPECT_GE(root.presents, 1);
}

TEST_F(CanvasMessagesTest, TheTracingImageIsTakenReportedAndRemoved)
{
    CImage* image = new CImage(3, 3);
    ASSERT_EQ(Apply(kMsgTracingImage, image), kResOk);
    CImage* reported = nullptr;
    ASSERT_EQ(Report(kMsgGetTracingImage, &reported), kResOk);
    EXPECT_EQ(reported, image);
    // The apply flag reports nothing.
    reported = nullptr;
    ASSERT_EQ(Apply(kMsgGetTracingImage, &reported), kResOk);
    EXPECT_EQ(reported, nullptr);
    uint32_t pick = 0;
    ASSERT_EQ(Apply(kMsgTraceColourPick, &pick), kResOk);
    EXPECT_EQ(canvas.GetTraceColourPick(), 0u);
    ASSERT_EQ(Apply(kMsgRemoveTracingImage, tMsgArg(0)), kResOk);
    EXPECT_EQ(canvas.GetTracingImage(), nullptr);
    EXPECT_EQ(Modified(), 2) << "the pick-up and the image are kept in the painting file";
}

TEST_F(CanvasMessagesTest, ASettingGivenTheValueItHasTellsTheControllerNothing)
{
    uint32_t mode = 1, pick = 1, paper = 0;
    float opacity = 0.4f, scale = 0.5f, value = 0.0f;
    tCPoint offset;
    LayerValueRecord opaque{1, 2.0f}, shown{2, 5.0f};
    canvas.GetLayer(0)->GetPaperColour(&paper);
    const std::pair<uint32_t, tMsgArg> same[] = {
        {kMsgTracingMode, ToMsgArg(&mode)},     {kMsgTraceColourPick, ToMsgArg(&pick)},   {kMsgTracingVisible, 0},
        {kMsgTracingScale, ToMsgArg(&scale)},   {kMsgTracingOpacity, ToMsgArg(&opacity)}, {kMsgPaperColour, paper},
        {kMsgTracingValueB, ToMsgArg(&value)},  {kMsgTracingOffset, ToMsgArg(&offset)},   {kMsgRemoveTracingImage, 0},
        {kMsgLayerOpacity, ToMsgArg(&opaque)},  {kMsgLayerVisible, ToMsgArg(&shown)}};
    for (const auto& [code, arg] : same) {
        Clear();
        ASSERT_EQ(Apply(code, arg), kResOk);
        EXPECT_EQ(Modified(), 0) << std::hex << code;
    }
}

TEST_F(CanvasMessagesTest, ChoosingTheCurrentLayerTellsTheBackdropOnlyOfAChange)
{
    const uint32_t same = 0;
    ASSERT_EQ(Apply(kMsgCurrentLayer, &same), kResOk);
    EXPECT_TRUE(backdrop.messages.empty());

    canvas.GetLayer(2)->AddDirtyRect({1, 1, 2, 2});
    const uint32_t top = 2;
    ASSERT_EQ(Apply(kMsgCurrentLayer, &top), kResOk);
    EXPECT_EQ(canvas.GetCurrentLayerIndex(), 2);
    ASSERT_EQ(backdrop.messages.size(), 1u);
    EXPECT_EQ(backdrop.messages[0].code, kMsgCurrentLayerChanged);
    EXPECT_EQ(backdrop.messages[0].arg, 2u);
    EXPECT_EQ(canvas.GetLayer(2)->GetDirtyRect(), (tCRect{0, 0, 40, 30}));
    // An index that clamps to the current one is no change either.
    const uint32_t beyond = 9;
    ASSERT_EQ(Apply(kMsgCurrentLayer, &beyond), kResOk);
    EXPECT_EQ(backdrop.messages.size(), 1u);
}

TEST_F(CanvasMessagesTest, TheGrainReportGoesThroughTheSenderSlotAndOnlyWhenAsked)
{
    CImage8* grain = new CImage8(2, 2);
    canvas.GetLayer(1)->SetGrainImage(grain);
    CImage8* out = reinterpret_cast<CImage8*>(0x1234);
    EXPECT_EQ(canvas.OnMessage(kMsgLayerGrain, ToMsgArg(&out), tMsgArg(1), 0, kMsgApply), kResOk);
    EXPECT_EQ(out, reinterpret_cast<CImage8*>(0x1234));
    ASSERT_EQ(canvas.OnMessage(kMsgLayerGrain, ToMsgArg(&out), tMsgArg(1), 0, kMsgReport), kResOk);
    EXPECT_EQ(out, grain);
    // A negative index is the current layer's.
    canvas.SetCurrentLayerIndex(1);
    out = nullptr;
    ASSERT_EQ(canvas.OnMessage(kMsgLayerGrain, ToMsgArg(&out), tMsgArg(-3), 0, kMsgReport), kResOk);
    EXPECT_EQ(out, grain);
    EXPECT_EQ(canvas.OnMessage(kMsgLayerGrain, 0, tMsgArg(1), 0, kMsgReport), kResBadParam);
}

TEST_F(CanvasMessagesTest, ValuesThatCannotBeTakenAreRefusedAndTheOldOnesKept)
{
    AddTracingImage();
    const uint32_t mode = 5;
    EXPECT_EQ(Apply(kMsgTracingMode, &mode), kResBadParam);
    EXPECT_EQ(canvas.GetTracingMode(), 1u);
    for (uint32_t code : {kMsgTracingOpacity, kMsgTracingScale, kMsgCanvasRotation, kMsgCanvasZoom}) {
        for (float bad : {kNaN, kInfinity, -kInfinity})
            EXPECT_EQ(Apply(code, &bad), kResBadParam) << std::hex << code;
    }
    for (float bad : {0.0f, -1.0f})
        EXPECT_EQ(Apply(kMsgCanvasZoom, &bad), kResBadParam);
    LayerValueRecord record{1, kNaN};
    EXPECT_EQ(Apply(kMsgLayerOpacity, &record), kResBadParam);
    EXPECT_EQ(canvas.GetTracingOpacity(), 0.4f);
    EXPECT_EQ(canvas.GetTracingScale(), 0.5f);
    EXPECT_EQ(canvas.GetRotation(), 0.0f);
    EXPECT_EQ(canvas.GetZoom(), 1.0f);
    EXPECT_EQ(canvas.GetLayer(1)->GetOpacity(), 1.0f);
    EXPECT_EQ(Modified(), 0);

    // Fractions are clamped to 0..1.
    float value = 1.7f;
    ASSERT_EQ(Apply(kMsgTracingOpacity, &value), kResOk);
    EXPECT_EQ(canvas.GetTracingOpacity(), 1.0f);
    value = -0.5f;
    ASSERT_EQ(Apply(kMsgTracingScale, &value), kResOk);
    EXPECT_EQ(canvas.GetTracingScale(), 0.0f);
    record = {1, 2.0f};
    ASSERT_EQ(Apply(kMsgLayerOpacity, &record), kResOk);
    EXPECT_EQ(canvas.GetLayer(1)->GetOpacity(), 1.0f);
    record = {1, -1.0f};
    ASSERT_EQ(Apply(kMsgLayerOpacity, &record), kResOk);
    EXPECT_EQ(canvas.GetLayer(1)->GetOpacity(), 0.0f);
    // A zoom below the zoom tool's smallest is taken: fitting a large painting may need it.
    value = 0.01f;
    ASSERT_EQ(Apply(kMsgCanvasZoom, &value), kResOk);
    EXPECT_EQ(canvas.GetZoom(), 0.01f);
}

TEST_F(CanvasMessagesTest, MessagesWithoutTheirRecordAnswer6)
{
    for (uint32_t code : {kMsgCurrentLayer, kMsgSecondLayer, kMsgLayerOpacity, kMsgLayerVisible, kMsgMergeLayers,
                          kMsgMoveLayer, kMsgDuplicateLayer, kMsgLayerImageSize, kMsgUpdateLayerImage, kMsgLayerImage,
                          kMsgCanvasZoom, kMsgCanvasRotation, kMsgViewToCanvas, kMsgFlipHorizontal, kMsgFlipVertical,
                          kMsgCanvasPosition, kMsgTraceColourPick, kMsgTracingMode, kMsgTracingOpacity,
                          kMsgTracingScale, kMsgTracingValueB, kMsgTracingOffset})
        EXPECT_EQ(Apply(code, tMsgArg(0)), kResBadParam) << std::hex << code;
    EXPECT_EQ(Report(kMsgLayerCount, nullptr), kResBadParam);
    EXPECT_EQ(canvas.GetLayerCount(), 3);
    EXPECT_EQ(Modified(), 0);
}

TEST_F(CanvasMessagesTest, ChangedLayersAreRenderedIntoTheCompositeAndShown)
{
    for (uint32_t code : {kMsgLayersChanged, kMsgRenderPainting}) {
        CImNav(canvas.GetComposite()).Fill(0);
        root.ClearRecords();
        ASSERT_EQ(Apply(code, tMsgArg(0)), kResOk);
        // The paper 0xFFFFFFFA lit flat with the highlights of its shine 0.2.
        EXPECT_EQ(PixelAt(*canvas.GetComposite(), 20, 15), 0xFFFCFCF7u) << std::hex << code;
        EXPECT_FALSE(root.invalidated.empty());
        EXPECT_EQ(root.presents, 1);
    }
    // Without a renderer the view is still shown again.
    host.renderer = nullptr;
    CImNav(canvas.GetComposite()).Fill(0);
    root.ClearRecords();
    ASSERT_EQ(Apply(kMsgLayersChanged, tMsgArg(0)), kResOk);
    EXPECT_EQ(PixelAt(*canvas.GetComposite(), 20, 15), 0u);
    EXPECT_EQ(root.presents, 1);
}

TEST_F(CanvasMessagesTest, AnImageIsScaledIntoTheComposite)
{
    CImage image(2, 2);
    CImNav(&image).Fill(0xFF336699u);
    ASSERT_EQ(Apply(kMsgScaleIntoComposite, &image), kResOk);
    EXPECT_EQ(PixelAt(*canvas.GetComposite(), 0, 0), 0xFF336699u);
    EXPECT_EQ(PixelAt(*canvas.GetComposite(), 39, 29), 0xFF336699u);
    CImage empty;
    CImNav(canvas.GetComposite()).Fill(0xFF000000u);
    ASSERT_EQ(Apply(kMsgScaleIntoComposite, &empty), kResOk);
    EXPECT_EQ(PixelAt(*canvas.GetComposite(), 0, 0), 0xFF000000u);
}

TEST_F(CanvasMessagesTest, TheViewMessagesPlaceZoomTurnAndMirrorThePainting)
{
    ASSERT_EQ(Apply(kMsgZoomOut, tMsgArg(0)), kResOk);
    EXPECT_EQ(canvas.GetZoom(), 0.75f);
    ASSERT_EQ(Apply(kMsgZoomIn, tMsgArg(0)), kResOk);
    EXPECT_EQ(canvas.GetZoom(), 1.0f);

    const tCPoint topLeft{100, 200};
    ASSERT_EQ(Apply(kMsgCanvasPosition, &topLeft), kResOk);
    EXPECT_EQ(canvas.GetViewRect(), (tCRect{100, 200, 140, 230}));

    float rotation = 0.25f;
    ASSERT_EQ(Apply(kMsgCanvasRotation, &rotation), kResOk);
    EXPECT_EQ(canvas.GetRotation(), 0.25f);

    root.ClearRecords();
    const uint32_t flip = 1;
    ASSERT_EQ(Apply(kMsgFlipHorizontal, &flip), kResOk);
    EXPECT_EQ(canvas.GetFlipHorizontal(), 1u);
    EXPECT_EQ(root.presents, 1);

    // A point of the root becomes canvas cells as the pen's samples do.
    tCFPoint point{130.0f, 235.0f};
    CPenSample sample;
    sample.x = point.x;
    sample.y = point.y;
    canvas.ViewToCanvas(&sample);
    ASSERT_EQ(Apply(kMsgViewToCanvas, &point), kResOk);
    EXPECT_EQ(point.x, sample.x);
    EXPECT_EQ(point.y, sample.y);

    ASSERT_EQ(canvas.SetCanvasSize(1600, 1200), kResOk);
    canvas.TurnView(0.1f, 0);
    ASSERT_EQ(canvas.SetZoom(2.0f, 0), kResOk);
    canvas.SetFlipHorizontal(1);
    ASSERT_EQ(Apply(kMsgFitToView, tMsgArg(0)), kResOk);
    EXPECT_EQ(canvas.GetZoom(), 0.5f);
    EXPECT_EQ(canvas.GetRotation(), 0.0f);
    EXPECT_EQ(canvas.GetFlipHorizontal(), 0u);
}

TEST_F(CanvasMessagesTest, LayerViewImagesAreSizedReportedAndUpdated)
{
    CLayer::SetLayersChanged(1);
    const tCPoint size{8, 6};
    ASSERT_EQ(Apply(kMsgLayerImageSize, &size), kResOk);
    EXPECT_EQ(CLayer::GetViewImageSize(), size);
    EXPECT_EQ(CLayer::GetLayersChanged(), 0u);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(canvas.GetLayer(i)->GetImage().GetWidth(), 8);

    LayerImageQuery query{1, nullptr};
    ASSERT_EQ(Apply(kMsgLayerImage, &query), kResOk);
    EXPECT_EQ(query.image, &canvas.GetLayer(1)->GetImage());

    class CountingView : public ILayerImageView {
    public:
        CImage* GetImage() override { return &image; }
        void InvalidateRectInBounds(const tCRect&, uint32_t) override { ++invalidations; }
        CImage image{8, 6};
        int invalidations = 0;
    } layerView;
    canvas.SetCurrentLayerIndex(2);
    LayerViewUpdate update;
    update.view = &layerView;
    update.layerIndex = -1;
    canvas.GetLayer(2)->AddDirtyRect({0, 0, 40, 30});
    ASSERT_EQ(Apply(kMsgUpdateLayerImage, &update), kResOk);
    EXPECT_GT(layerView.invalidations, 0);
    EXPECT_FALSE(update.rect.IsEmpty());
}

TEST_F(CanvasMessagesTest, TheToolMessagesTakeTheControllersToolOrNone)
{
    FakeCanvasTool tool;
    host.tool = &tool;
    ASSERT_EQ(Apply(kMsgTakeCurrentTool, tMsgArg(0)), kResOk);
    EXPECT_EQ(canvas.GetCurrentTool(), &tool);
    ASSERT_EQ(Apply(kMsgDropCurrentTool, tMsgArg(0)), kResOk);
    EXPECT_EQ(canvas.GetCurrentTool(), nullptr);
}

}  // namespace
