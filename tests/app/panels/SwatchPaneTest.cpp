#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/panels/CKS2SwatchPane.h"
#include "app/panels/ColourTestSupport.h"
#include "app/shell/controls/CKS2Button.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/ResourceImages.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

class SwatchPaneTest : public ColourPaneTest {
protected:
    void Open(int32_t height = 600)
    {
        StartColour(800, height);
        pane = new CKS2SwatchPane;
        ASSERT_EQ(pane->Create(nullptr, nullptr), kResOk);
        root = pane->GetRoot();
    }
    void TearDown() override
    {
        delete pane;
        ColourPaneTest::TearDown();
    }
    CWidget* Place(int32_t i) { return pane->GetSwatch(i)->GetWidget(); }
    std::vector<uint32_t> PlaceColours()
    {
        std::vector<uint32_t> out;
        for (int32_t i = 0; i < pane->GetSwatchCount(); ++i)
            out.push_back(Place(i)->GetUserData(CKS2SwatchPane::kSlotColour));
        return out;
    }
    // The x of each column, in order of the places.
    std::vector<int32_t> Columns()
    {
        std::vector<int32_t> xs;
        for (int32_t i = 0; i < pane->GetSwatchCount(); ++i)
            xs.push_back(Place(i)->GetRect().left);
        return xs;
    }

    CKS2SwatchPane* pane = nullptr;
    CWidget* root = nullptr;
};

constexpr uint32_t kEmpty = CKS2SwatchPane::kEmptyColour;

TEST_F(SwatchPaneTest, AnEmptyListShowsFivePlaces)
{
    Open();
    ASSERT_EQ(pane->GetSwatchCount(), 5);
    EXPECT_EQ(PlaceColours(), std::vector<uint32_t>(5, kEmpty));
    EXPECT_EQ(pane->RebuildSwatches(0), kResOk);
    EXPECT_EQ(PlaceColours(), std::vector<uint32_t>(5, kEmpty));
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(Place(i)->GetUserData(CKS2SwatchPane::kSlotIndex), uint32_t(i));
        EXPECT_EQ(Place(i)->GetUserData(CKS2SwatchPane::kSlotKind), 0u);
        EXPECT_EQ(Place(i)->GetParent(), root);
    }
    // Centred in the backdrop's height at the build.
    EXPECT_EQ(root->GetRect().top, 300 - root->GetHeight() / 2);
}

TEST_F(SwatchPaneTest, PlacesFollowTheLengthOfTheList)
{
    Open();
    struct Case {
        std::vector<uint32_t> list;
        int32_t places;
    };
    const uint32_t c = 0xFF102030;
    for (const Case& test : {Case{{c, c}, 5}, Case{{c, c, c, c, c}, 6}, Case{{c, c, kEmpty, c, c}, 5},
                             Case{{c, c, c, c, c, c, c}, 8}}) {
        colours.list = test.list;
        ASSERT_EQ(pane->RebuildSwatches(0), kResOk);
        ASSERT_EQ(pane->GetSwatchCount(), test.places) << test.list.size();
        std::vector<uint32_t> expected = test.list;
        expected.resize(size_t(test.places), kEmpty);
        EXPECT_EQ(PlaceColours(), expected);
    }

    // A list longer than the window has room for shows its first colours in 26 columns of 20
    // rows, the pane's left edge inside the window, and only their entries are asked for.
    colours.list.resize(262144);
    for (size_t i = 0; i < colours.list.size(); ++i)
        colours.list[i] = 0xFF000000u | uint32_t(i);
    const int asked = colours.Count(kMsgColourListEntry);
    ASSERT_EQ(pane->RebuildSwatches(0), kResOk);
    ASSERT_EQ(pane->GetSwatchCount(), 26 * 20 - 1);
    EXPECT_EQ(PlaceColours(), std::vector<uint32_t>(colours.list.begin(), colours.list.begin() + 26 * 20 - 1));
    EXPECT_EQ(colours.Count(kMsgColourListEntry) - asked, 26 * 20 - 1);
    EXPECT_EQ(root->GetWidth(), 22 + 25 * 29 + 24 + 11);
    EXPECT_EQ(root->GetRect().left, 800 + 6 - root->GetWidth());
}

TEST_F(SwatchPaneTest, AListCutToTheWindowFollowsItsSize)
{
    Open();
    const auto resize = [&](int32_t width, int32_t height) {
        int32_t previous[2] = {backdrop->GetWidth(), backdrop->GetHeight()};
        ASSERT_EQ(backdrop->SetSize(width, height, 0), kResOk);
        ASSERT_EQ(pane->OnMessage(kMsgBackdropResized, 0, ToMsgArg(previous), 0, kMsgApply), kResOk);
    };
    colours.list.assign(2000, 0xFF336699);
    ASSERT_EQ(pane->RebuildSwatches(0), kResOk);
    resize(1200, 600);
    EXPECT_EQ(pane->GetSwatchCount(), 40 * 20 - 1);
    // Two columns of six rows.
    resize(100, 200);
    EXPECT_EQ(pane->GetSwatchCount(), 2 * 6 - 1);
    EXPECT_LE(root->GetWidth(), 106);

    // A list the window has room for keeps its places; cut short, it takes them back later.
    colours.list.assign(12, 0xFF336699);
    resize(800, 600);
    ASSERT_EQ(pane->RebuildSwatches(0), kResOk);
    CKS2Button* first = pane->GetSwatch(0);
    resize(100, 600);
    EXPECT_EQ(pane->GetSwatch(0), first);
    resize(100, 200);
    EXPECT_EQ(pane->GetSwatchCount(), 11);
    resize(800, 600);
    EXPECT_EQ(pane->GetSwatchCount(), 13);
}

TEST_F(SwatchPaneTest, ColoursAreDrawnInsideTheFace)
{
    Open();
    colours.list = {0xFF204080};
    ASSERT_EQ(pane->RebuildSwatches(0), kResOk);
    auto* filled = dynamic_cast<CImWidget*>(Place(0));
    auto* empty = dynamic_cast<CImWidget*>(Place(1));
    CImNav full(filled->GetImage());
    CImNav none(empty->GetImage());
    EXPECT_EQ(full.Pixels(12)[12], 0xFF204080u);
    EXPECT_NE(none.Pixels(12)[12] & 0xFFFFFF, 0x204080u);
    // The rim stays the face's.
    EXPECT_EQ(full.Pixels(0)[12], none.Pixels(0)[12]);
}

TEST_F(SwatchPaneTest, ColumnsHoldFiveRowsAtLeastAndTheFirstPlaceStaysFree)
{
    // Room for three rows: (A - 14) / 29 with A = 190 - the colour picker's height (none here).
    Open(110);
    colours.list.assign(12, 0xFF336699);
    ASSERT_EQ(pane->RebuildSwatches(0), kResOk);
    ASSERT_EQ(pane->GetSwatchCount(), 13);
    const std::vector<int32_t> xs = Columns();
    EXPECT_EQ(std::count(xs.begin(), xs.end(), 22), 4);
    EXPECT_EQ(std::count(xs.begin(), xs.end(), 22 + 29), 5);
    EXPECT_EQ(std::count(xs.begin(), xs.end(), 22 + 58), 4);
    EXPECT_EQ(Place(0)->GetRect().top, 7 + 29);
    EXPECT_EQ(Place(4)->GetRect().top, 7);
    EXPECT_EQ(root->GetWidth(), 22 + 58 + 24 + 11);
    EXPECT_EQ(root->GetHeight(), 7 + 5 * 29);
    // Taller than the room: the pane keeps its top edge on the screen.
    EXPECT_EQ(root->GetRect().top, 0);
}

TEST_F(SwatchPaneTest, TallerBackdropsMakeLongerColumns)
{
    // (195 - 14) / 29 = 6 rows.
    Open(195);
    colours.list.assign(12, 0xFF336699);
    ASSERT_EQ(pane->RebuildSwatches(0), kResOk);
    const std::vector<int32_t> xs = Columns();
    EXPECT_EQ(std::count(xs.begin(), xs.end(), 22), 5);
    EXPECT_EQ(std::count(xs.begin(), xs.end(), 22 + 29), 6);
    EXPECT_EQ(std::count(xs.begin(), xs.end(), 22 + 58), 2);
    EXPECT_EQ(root->GetHeight(), 7 + 6 * 29);
}

TEST_F(SwatchPaneTest, TheBackgroundIsTheCapAndTheBaseWithTheirEdgesRepeated)
{
    Open();
    colours.list.assign(12, 0xFF336699);
    ASSERT_EQ(pane->RebuildSwatches(0), kResOk);
    auto* picture = dynamic_cast<CImWidget*>(root);
    ASSERT_EQ(picture->DecompressImage(), kResOk);
    CImage* cap = GetPooledImage(kImgSwatchesCap, nullptr, nullptr);
    CImage* base = GetPooledImage(kImgSwatchesBase, nullptr, nullptr);
    ASSERT_TRUE(cap && base);
    CImNav view(picture->GetImage());
    CImNav top(cap);
    CImNav bottom(base);
    const int32_t w = view.GetWidth(), h = view.GetHeight();
    const int32_t capW = top.GetWidth(), capH = top.GetHeight(), baseH = bottom.GetHeight();
    ASSERT_GT(w, capW);
    ASSERT_GT(h, capH + baseH);
    for (tCPoint p : {tCPoint{0, 0}, tCPoint{5, 10}, tCPoint{capW - 1, capH - 1}})
        EXPECT_EQ(view.Pixels(p.y)[p.x], top.Pixels(p.y)[p.x]) << p.x << "," << p.y;
    for (tCPoint p : {tCPoint{0, 0}, tCPoint{3, baseH - 1}, tCPoint{capW - 1, 4}})
        EXPECT_EQ(view.Pixels(h - baseH + p.y)[p.x], bottom.Pixels(p.y)[p.x]) << p.x << "," << p.y;
    for (int32_t y : {capH, h / 2, h - baseH - 1})
        for (int32_t x : {0, 2, capW - 1})
            EXPECT_EQ(view.Pixels(y)[x], top.Pixels(capH - 1)[x]) << x << "," << y;
    for (int32_t y : {0, 1, capH, h / 2, h - 1})
        for (int32_t x : {capW, w - 1})
            EXPECT_EQ(view.Pixels(y)[x], view.Pixels(y)[capW - 1]) << x << "," << y;
}

TEST_F(SwatchPaneTest, ARemovalPresentsAtOnceAndALoadDoesNot)
{
    Open();
    colours.list = {0xFF010203};
    ASSERT_EQ(pane->OnMessage(kMsgColourListChanged, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(PlaceColours()[0], 0xFF010203u);
    EXPECT_TRUE(host->HasDirtyArea());
    colours.list.clear();
    ASSERT_EQ(pane->OnMessage(kMsgRemoveColourListEntry, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(PlaceColours()[0], kEmpty);
    EXPECT_FALSE(host->HasDirtyArea());
    colours.list = {0xFF0000FF};
    ASSERT_EQ(pane->OnMessage(kMsgOpenProject, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(PlaceColours()[0], 0xFF0000FFu);
}

TEST_F(SwatchPaneTest, AFailedQueryLeavesThePaneEmpty)
{
    Open();
    colours.failList = kResFileIO;
    EXPECT_EQ(pane->RebuildSwatches(0), kResFileIO);
    EXPECT_EQ(pane->GetSwatchCount(), 0);
    EXPECT_EQ(pane->ClearSwatches(0, 1), kResOk);
    EXPECT_EQ(pane->GetSwatchCount(), 5);
    // Entries past the 26 columns of 20 rows the window has room for are never asked for: their
    // failure changes nothing.
    colours.failList = kResOk;
    colours.list.assign(2000, 0xFF336699);
    colours.failEntriesFrom = 26 * 20 - 1;
    EXPECT_EQ(pane->RebuildSwatches(0), kResOk);
    EXPECT_EQ(pane->GetSwatchCount(), 26 * 20 - 1);
    // An entry that fails after others were shown takes them away too.
    colours.list.assign(12, 0xFF336699);
    colours.failEntriesFrom = 3;
    EXPECT_EQ(pane->RebuildSwatches(0), kResFileIO);
    EXPECT_EQ(pane->GetSwatchCount(), 0);
    colours.failList = kResFileIO;
    // A removal that cannot rebuild answers 0 all the same and leaves no places.
    EXPECT_EQ(pane->OnMessage(kMsgRemoveColourListEntry, 0, 0, 0, kMsgApply), kResOk);
    EXPECT_EQ(pane->GetSwatchCount(), 0);
}

TEST_F(SwatchPaneTest, AResizeKeepsTheRelativeHeight)
{
    Open();
    const int32_t h = root->GetHeight();
    root->SetYPosition(100, 0);
    int32_t previous[2] = {800, 400};
    EXPECT_EQ(pane->OnMessage(0xFF00102D, 0, ToMsgArg(previous), 0, kMsgApply), kResOk);
    // Centre at (100 + h / 2) / 400 of the height, now 600.
    const float share = float(100 + h / 2) / 400.0f;
    EXPECT_EQ(root->GetRect().top, int32_t(std::lround(share * 600.0f)) - h / 2);
    // A backdrop that had no height leaves the pane where it is.
    int32_t flat[2] = {800, 0};
    root->SetYPosition(40, 0);
    EXPECT_EQ(pane->OnMessage(0xFF00102D, 0, ToMsgArg(flat), 0, kMsgApply), kResOk);
    EXPECT_EQ(root->GetRect().top, 40);
    // Far down, the pane stays above the bottom.
    root->SetYPosition(590, 0);
    int32_t same[2] = {800, 600};
    EXPECT_EQ(pane->OnMessage(0xFF00102D, 0, ToMsgArg(same), 0, kMsgApply), kResOk);
    EXPECT_EQ(root->GetRect().bottom, 600);
}

TEST_F(SwatchPaneTest, TheHandleSlidesOrDragsThePane)
{
    Open();
    CWidget* handle = root->FindWidgetById(CKS2SwatchPane::kHandle);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(ClickOn(handle), kResOk);
    EXPECT_EQ(pane->GetSide(), 1u);
    RunFor(600);
    // Slid aside, 12 pixels of the pane stay in the window.
    EXPECT_EQ(root->GetRect().left, 800 - 12);
    EXPECT_EQ(ClickOn(handle), kResOk);
    EXPECT_EQ(pane->GetSide(), 0u);
    RunFor(600);
    EXPECT_EQ(root->GetRect().right, 800 + 6);
    const int32_t top = root->GetRect().top;
    const tCPoint from = ScreenOf(handle, {5, 20});
    ASSERT_EQ(PressAndMove(handle, {5, 20}, {{from.x, from.y - 2}, {from.x, from.y - 30}}), kResOk);
    EXPECT_EQ(root->GetRect().top, top - 30);
    EXPECT_EQ(pane->GetSide(), 0u);
    ASSERT_EQ(PressAndMove(handle, {5, 20}, {{from.x, from.y - 30 - 900}}), kResOk);
    EXPECT_EQ(root->GetRect().top, 0);
    const tCPoint now = ScreenOf(handle, {5, 20});
    ASSERT_EQ(PressAndMove(handle, {5, 20}, {{now.x, now.y + 900}}), kResOk);
    EXPECT_EQ(root->GetRect().bottom, 600);
}

TEST_F(SwatchPaneTest, AHandleClickTakenAfterThePointerWentOnCountsWhereTheButtonCameUp)
{
    Open();
    ShowMainWindow();
    CWidget* handle = root->FindWidgetById(CKS2SwatchPane::kHandle);
    ASSERT_NE(handle, nullptr);
    const tCPoint on = ScreenOf(handle, {handle->GetWidth() / 2, handle->GetHeight() / 2});
    // As the colour panes' end-to-end test clicks it: on the handle, the pointer then on to the
    // painting, all before the program took the click. The pane slides aside all the same.
    ClickWhileBusy(on, on, ScreenOf(backdrop, {300, 400}));
    EXPECT_EQ(pane->GetSide(), 1u);
    EXPECT_EQ(backdrop->GetTopModal(), nullptr);
    RunFor(600);
    EXPECT_EQ(root->GetRect().left, 800 - 12);
    // Released 20 pixels left of the handle, the pointer then back on it: no click, the pane
    // stays aside.
    const tCPoint aside = ScreenOf(handle, {handle->GetWidth() / 2, handle->GetHeight() / 2});
    ClickWhileBusy(aside, {aside.x - 20, aside.y}, aside);
    EXPECT_EQ(pane->GetSide(), 1u);
    RunFor(600);
    EXPECT_EQ(root->GetRect().left, 800 - 12);
}

TEST_F(SwatchPaneTest, PopupChoicesAreTakenOnlyWithAnItem)
{
    Open();
    EXPECT_EQ(pane->HandleMessage(kMsgPopupChoice, 0, ~tMsgArg(0), 0, kMsgApply), kResOk);
    EXPECT_EQ(pane->HandleMessage(kMsgPopupChoice, 1, 5, 0, kMsgApply), CKS2Pane::kHookHandled);
}

}  // namespace
