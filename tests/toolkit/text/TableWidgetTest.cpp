#include <functional>
#include <memory>
#include <vector>

#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/text/CTableWidget.h"
#include "toolkit/text/FailingAllocations.h"
#include "toolkit/text/TextWidgetApp.h"

namespace {

class Listener : public tCCmdTarget {
public:
    tResult OnNotify(uint32_t message, tMsgArg, tMsgArg b) override
    {
        messages.push_back(message);
        if (message == CTableWidget::kCellPressed)
            pressed = *reinterpret_cast<const CTableWidget::tCellPress*>(b);
        return kResOk;
    }
    std::vector<uint32_t> messages;
    CTableWidget::tCellPress pressed{-1, -1};
};

std::unique_ptr<CTableWidget> Table(int32_t width, int32_t height, int32_t rows)
{
    auto table = std::make_unique<CTableWidget>();
    EXPECT_EQ(table->SetSize(width, height, 0), kResOk);
    for (int32_t i = 0; i < rows; ++i)
        EXPECT_EQ(table->AddRow(0), kResOk);
    return table;
}

CPixel PixelAt(CImage* image, int32_t x, int32_t y)
{
    CImNav nav(image, tCRect{x, y, x + 1, y + 1});
    return nav.IsLocked() ? nav.Pixels(0)[0] : 0xDEADBEEF;
}

std::vector<CPixel> AllPixels(CImage* image)
{
    std::vector<CPixel> pixels;
    CImNav nav(image);
    for (int32_t y = 0; nav.IsLocked() && y < nav.GetHeight(); ++y)
        pixels.insert(pixels.end(), nav.Pixels(y), nav.Pixels(y) + nav.GetWidth());
    return pixels;
}

// A solid image the table may own.
CImage* Solid(int32_t width, int32_t height, CPixel colour)
{
    auto* image = new CImage(width, height);
    CImNav nav(image);
    nav.Fill(colour);
    return image;
}

}  // namespace

class TableWidgetTest : public TextWidgetTest {};

TEST_F(TableWidgetTest, ColumnsStartAsOneAsWideAsTheWidget)
{
    auto table = Table(120, 60, 0);
    EXPECT_EQ(table->GetColumnCount(), 1);
    EXPECT_EQ(table->GetColumnWidth(0), 120);
    EXPECT_EQ(table->GetRowHeight(), 16);
    EXPECT_EQ(table->GetCellPadding(), 8);
    EXPECT_EQ(table->GetWheelStep(), 4);
    EXPECT_NE(table->GetEventMask() & 0x100u, 0u);
    EXPECT_EQ(table->GetWidgetType(), MakeFourCC("tbwg"));
    uint32_t colour = 0;
    EXPECT_EQ(*table->GetSelectedRowColour(&colour), 0xA0FFFFFFu);
    EXPECT_EQ(*table->GetHoverColour(&colour), 0x83FFFFFFu);
    EXPECT_EQ(*table->GetSeparatorColour(&colour), 0x80808080u);
    EXPECT_EQ(*table->GetShadowColour(&colour), 0x80000000u);
    ASSERT_NE(table->GetTextImage(0), nullptr);
    EXPECT_EQ(table->GetTextImage(0)->GetWidth(), 112);
    EXPECT_EQ(table->GetCellImageBuffer(0)->GetWidth(), 120);

    EXPECT_EQ(table->AddColumn(30, 1, 0), kResOk);
    EXPECT_EQ(table->GetColumnWidth(0), 0);
    EXPECT_EQ(table->GetColumnWidth(1), 30);
    EXPECT_EQ(table->GetColumnX(1), 0);
    EXPECT_EQ(table->SetColumnWidth(0, 50, 0), kResOk);
    EXPECT_EQ(table->GetColumnX(1), 50);
    EXPECT_EQ(table->GetColumnAt(49), 0);
    EXPECT_EQ(table->GetColumnAt(50), 1);
    EXPECT_EQ(table->GetColumnAt(79), 1);
    EXPECT_EQ(table->GetColumnAt(80), -1);
    EXPECT_EQ(table->SetColumnWidth(1, -5, 0), kResOk);
    EXPECT_EQ(table->GetColumnWidth(1), 0);
    EXPECT_EQ(table->SetColumnWidth(2, 5, 0), kResOutOfRange);
    EXPECT_EQ(table->GetColumnKind(1), 0);
    EXPECT_EQ(table->AddColumn(10, 0, 0), kResOk);
    EXPECT_EQ(table->GetColumnKind(2), 1);
}

TEST_F(TableWidgetTest, ScrollingStaysWithinTheContent)
{
    auto few = Table(100, 150, 5);
    for (auto step : {&CTableWidget::ScrollDownPixel, &CTableWidget::ScrollDownRow, &CTableWidget::PageDown,
                      &CTableWidget::ScrollToBottom}) {
        EXPECT_EQ(((*few).*step)(0), kResOk);
        EXPECT_EQ(few->GetScrollY(), 0);
    }
    EXPECT_EQ(few->ScrollToFraction(0.7f, -1, 0), kResOk);
    EXPECT_EQ(few->GetScrollY(), 0);

    auto table = Table(100, 150, 20);
    EXPECT_EQ(table->GetThumbLength(150), 70);
    EXPECT_EQ(table->SetScrollY(85, 0), kResOk);
    EXPECT_EQ(table->GetThumbPosition(150 - 70, 0), 40);
    EXPECT_EQ(table->GetRowAt(0), 5);
    EXPECT_EQ(table->GetRowTop(5), -5);
    EXPECT_EQ(table->GetRowBottom(5), 10);
    EXPECT_EQ(table->ScrollToBottom(0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 170);
    EXPECT_EQ(table->GetThumbPosition(80, 0), 80);
    EXPECT_EQ(table->PageUp(0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 170 - 8 * 16);
    EXPECT_EQ(table->ScrollToFraction(0.5f, -1, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 85);
    EXPECT_EQ(table->SetScrollY(-40, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 0);
    // A track as short as the thumb gives no span to divide by.
    EXPECT_EQ(table->GetThumbPosition(10, 10), 0);
    const tCPoint point{0, 30};
    EXPECT_EQ(table->ScrollToTrackPoint(10, 10, &point, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 0);
    EXPECT_EQ(table->ScrollToTrackPoint(60, 0, &point, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 85);
    // One pixel down the track is already a scroll: 170 / 60 rounds to 3.
    const tCPoint first{0, 1};
    EXPECT_EQ(table->ScrollToTrackPoint(60, 0, &first, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 3);
    // A new size keeps the scroll on a whole row.
    EXPECT_EQ(table->SetScrollY(85, 0), kResOk);
    EXPECT_EQ(table->SetSize(100, 140, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 80);
    EXPECT_EQ(table->SetSize(100, 150, 0), kResOk);

    // Row 3 at the top stays there whatever the height.
    EXPECT_EQ(table->SetScrollY(48, 0), kResOk);
    EXPECT_EQ(table->SetRowHeight(20, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 60);
    EXPECT_EQ(table->SetRowHeight(0, 0), kResOk);
    EXPECT_EQ(table->GetRowHeight(), 1);
    EXPECT_EQ(table->GetRowAt(7), 7);

    table->SetSize(100, 0, 0);
    EXPECT_EQ(table->GetScrollFraction(-1), 0.0f);
    auto empty = Table(100, 50, 0);
    EXPECT_EQ(empty->GetVisibleFraction(-1), 1.0f);
    auto longer = Table(100, 80, 20);
    EXPECT_FLOAT_EQ(longer->GetVisibleFraction(-1), 80.0f / 319.0f);
    EXPECT_EQ(longer->SetScrollY(40, 0), kResOk);
    EXPECT_FLOAT_EQ(longer->GetScrollFraction(-1), 40.0f / 80.0f);
}

TEST_F(TableWidgetTest, RowsIntoViewAndDeletion)
{
    auto table = Table(100, 50, 10);
    EXPECT_EQ(table->ScrollRowIntoView(6, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 7 * 16 - 50);
    EXPECT_EQ(table->ScrollRowIntoView(1, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 16);
    // A row already in view leaves the scroll alone.
    EXPECT_EQ(table->ScrollRowIntoView(2, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 16);
    EXPECT_EQ(table->ScrollToBottom(0), kResOk);
    EXPECT_EQ(table->DeleteRow(9, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 9 * 16 - 50);
    EXPECT_EQ(table->DeleteRow(9, 0), kResOutOfRange);
    EXPECT_EQ(table->InsertRow(10, 0), kResOutOfRange);
    EXPECT_EQ(table->InsertRow(9, 0), kResOk);
    EXPECT_EQ(table->ScrollRowIntoView(10, 0), kResOutOfRange);
    EXPECT_EQ(table->SetRowData(3, uintptr_t(0x123456789ABull)), kResOk);
    EXPECT_EQ(table->FindRowByData(uintptr_t(0x123456789ABull)), 3);
    EXPECT_EQ(table->FindRowByData(uintptr_t(0x789ABull)), -1);
    EXPECT_EQ(table->GetRow(10), nullptr);
    EXPECT_EQ(table->GetCellText(0, 1), nullptr);
    EXPECT_EQ(table->GetCellValue(2, 0), 0u);
    EXPECT_EQ(table->GetRow(2)->textColours[0], 0xFF000000u);
    EXPECT_EQ(table->SetCellValue(2, 0, 77), kResOk);
    EXPECT_EQ(table->GetCellValue(2, 0), 77u);
    EXPECT_EQ(table->SetCellValue(2, 1, 77), kResOutOfRange);
    EXPECT_EQ(table->DeleteAllRows(0), kResOk);
    EXPECT_EQ(table->GetRowCount(), 0);
    EXPECT_EQ(table->GetScrollY(), 0);
}

TEST_F(TableWidgetTest, RowsAndColumnsWithoutMemoryAnswerFiveAndKeepTheRowsWhole)
{
    // Eight rows fill the row list, so that the next row must grow it.
    auto table = Table(100, 20, 8);
    const std::function<tResult()> changes[] = {
        [&table] { return table->AddRow(0); },
        [&table] { return table->InsertRow(5, 0); },
        [&table] { return table->AddColumn(20, 1, 0); },
    };
    for (const auto& change : changes) {
        const int32_t rows = table->GetRowCount();
        for (int64_t survivors = 0;; ++survivors) {
            tResult answer = kResFailure;
            bool refused = false;
            {
                FailingAllocations failing(survivors);
                answer = change();
                refused = failing.Refused();
            }
            if (!refused) {
                EXPECT_EQ(answer, kResOk);
                EXPECT_GT(survivors, 0);
                break;
            }
            EXPECT_EQ(answer, kResNoMemory) << survivors;
            EXPECT_EQ(table->GetRowCount(), rows);
            for (int32_t row = 0; row < rows; ++row)
                EXPECT_EQ(table->GetRow(row)->values.size(), size_t(table->GetColumnCount()));
        }
    }
    EXPECT_EQ(table->GetRowCount(), 10);
}

TEST_F(TableWidgetTest, PressesSelectAndNotify)
{
    auto table = Table(100, 100, 3);
    Listener listener;
    table->SetListener(&listener);
    CWidget* taken = nullptr;
    tCPoint point{10, 20};
    EXPECT_EQ(table->OnLButtonDown(&taken, &point), kResOk);
    EXPECT_EQ(taken, table.get());
    EXPECT_EQ(table->GetNextSelected(0), 1);
    EXPECT_EQ(listener.messages, (std::vector<uint32_t>{0xF0100005, 0xF0100006}));
    EXPECT_EQ(listener.pressed.row, 1);
    EXPECT_EQ(listener.pressed.column, 0);

    w32::headless::PressKey(w32::VK_CONTROL);
    point = {10, 40};
    EXPECT_EQ(table->OnLButtonDown(&taken, &point), kResOk);
    EXPECT_EQ(table->GetSelectedCount(), 2);
    point = {10, 20};
    EXPECT_EQ(table->OnLButtonDown(&taken, &point), kResOk);
    EXPECT_EQ(table->GetSelectedCount(), 1);
    EXPECT_EQ(table->GetNextSelected(0), 2);
    point = {10, 0};
    EXPECT_EQ(table->OnLButtonDown(&taken, &point), kResOk);
    w32::headless::ReleaseKey(w32::VK_CONTROL);
    EXPECT_EQ(table->GetSelectedCount(), 2);

    EXPECT_EQ(table->SetMultiSelect(0, 0), kResOk);
    EXPECT_EQ(table->GetSelectedCount(), 1);
    EXPECT_EQ(table->GetNextSelected(0), 0);
    EXPECT_EQ(table->SelectRow(2, 0), kResOk);
    EXPECT_EQ(table->GetSelectedCount(), 1);

    point = {10, 16};
    EXPECT_EQ(table->OnLButtonDown(&taken, &point), kResOk);
    EXPECT_EQ(table->GetNextSelected(0), 1);
    listener.messages.clear();
    point = {10, 60};
    EXPECT_EQ(table->OnLButtonDown(&taken, &point), kResOk);
    EXPECT_EQ(table->GetSelectedCount(), 0);
    EXPECT_EQ(listener.messages, (std::vector<uint32_t>{0xF0100005}));
    EXPECT_EQ(table->SelectRow(0, 0), kResOk);
    EXPECT_EQ(table->AddColumn(30, 1, 0), kResOk);
    point = {40, 10};
    EXPECT_EQ(table->OnLButtonDown(&taken, &point), kResOk);
    EXPECT_EQ(table->GetSelectedCount(), 0);

    table->SetSelectable(0);
    listener.messages.clear();
    point = {10, 10};
    EXPECT_EQ(table->OnLButtonDown(&taken, &point), kResOk);
    EXPECT_EQ(table->GetSelectedCount(), 0);
    EXPECT_EQ(listener.messages, (std::vector<uint32_t>{0xF0100006}));

    listener.messages.clear();
    EXPECT_EQ(table->AddRow(0), kResOk);
    EXPECT_EQ(table->AddColumn(5, 1, 0), kResOk);
    EXPECT_EQ(table->SetScrollY(0, 0), kResOk);
    EXPECT_EQ(table->DeleteAllRows(0), kResOk);
    EXPECT_EQ(listener.messages, (std::vector<uint32_t>{0xF0100001, 0xF0100002, 0xF0100003, 0xF0100001, 0xF0100003}));
}

TEST_F(TableWidgetTest, RowBackgroundsSeparatorsAndAlternation)
{
    auto table = Table(20, 60, 2);
    EXPECT_EQ(table->SetColour(0xFF0000FF, 0), kResOk);
    EXPECT_EQ(table->SetEvenRowColour(0xFFFF0000, 0), kResOk);
    EXPECT_EQ(table->SetSeparatorColour(0xFF123456, 0), kResOk);
    EXPECT_EQ(table->SetSelectedRowColour(0xFF00FF00, 0), kResOk);
    EXPECT_EQ(table->SelectRow(1, 0), kResOk);
    CImage target(20, 60);
    const tCRect all{0, 0, 20, 60};
    ASSERT_EQ(table->Draw(&all, &target, 255), kResOk);
    const auto line = [&](int32_t y) { return PixelAt(&target, 5, y); };
    EXPECT_EQ(line(0), 0xFFFF0000u);
    EXPECT_EQ(line(14), 0xFFFF0000u);
    EXPECT_EQ(line(15), 0xFF123456u);
    EXPECT_EQ(line(16), 0xFF00FF00u);
    EXPECT_EQ(line(31), 0xFF123456u);
    EXPECT_EQ(line(32), 0xFFFF0000u);
    EXPECT_EQ(line(47), 0xFFFF0000u);
    EXPECT_EQ(line(48), 0xFF0000FFu);
    EXPECT_EQ(line(59), 0xFF0000FFu);

    EXPECT_EQ(table->SetSeparators(0, 0), kResOk);
    EXPECT_EQ(table->SetHoverEnabled(1), kResOk);
    ASSERT_EQ(table->Draw(&all, &target, 255), kResOk);
    EXPECT_EQ(line(15), 0xFFFF0000u);

    // Half opacity scales the red's alpha to 255 x 128 / 256 = 127 over black.
    CImage faded(20, 60);
    CImNav(&faded).Fill(0xFF000000);
    ASSERT_EQ(table->Draw(&all, &faded, 127), kResOk);
    EXPECT_EQ(PixelAt(&faded, 5, 0), 0xFF7F0000u);
    table->SetOpaqueBlit(1);
    ASSERT_EQ(table->Draw(&all, &faded, 127), kResOk);
    EXPECT_EQ(PixelAt(&faded, 5, 50), 0xFF0000FFu);
}

TEST_F(TableWidgetTest, ImageCellsShrinkKeepingProportionsAndFade)
{
    auto table = Table(40, 32, 2);
    EXPECT_EQ(table->SetColumnKind(0, 1, 0), kResOk);
    EXPECT_EQ(table->SetImageShadow(0), kResOk);
    EXPECT_EQ(table->SetCellText(0, 0, u"no", 0), kResBadParam);
    EXPECT_EQ(table->SetRowTextColour(2, 0xFFFFFFFF, 0), kResFailure);
    EXPECT_EQ(table->SetCellImage(0, 0, Solid(80, 8, 0xFFFF0000), 0), kResOk);
    CImage* back = table->GetBackImage();
    // 80 x 8 into 40 x 16: half size, 40 x 4, centred on lines 6 to 9.
    EXPECT_EQ(PixelAt(back, 0, 5), 0u);
    EXPECT_EQ(PixelAt(back, 0, 6), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(back, 39, 9), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(back, 20, 10), 0u);

    EXPECT_EQ(table->SetColumnJustification(0, 2, 0), kResOk);
    EXPECT_EQ(table->SetCellImage(1, 0, Solid(4, 4, 0xFF00FF00), 0), kResOk);
    EXPECT_EQ(PixelAt(back, 17, 22), 0u);
    EXPECT_EQ(PixelAt(back, 18, 22), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(back, 21, 25), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(back, 22, 25), 0u);
    EXPECT_EQ(PixelAt(back, 18, 26), 0u);

    EXPECT_EQ(table->SetCellImage(0, 0, Solid(40, 16, 0xFFFFFFFF), 0), kResOk);
    EXPECT_EQ(table->SetColumnFadeLeft(0, 4, 0), kResOk);
    EXPECT_EQ(table->SetColumnFadeRight(0, 4, 0), kResOk);
    const uint32_t left[] = {63, 127, 191, 255};
    const uint32_t right[] = {0, 63, 127, 191};
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(PixelAt(back, i, 3), left[i] << 24 | 0xFFFFFFu) << i;
        EXPECT_EQ(PixelAt(back, 39 - i, 3), right[i] << 24 | 0xFFFFFFu) << i;
    }
}

TEST_F(TableWidgetTest, PoolOwnedImagesOutliveTheirCells)
{
    auto table = Table(40, 32, 1);
    EXPECT_EQ(table->SetColumnKind(0, 1, 0), kResOk);
    std::unique_ptr<CImage> pooled(Solid(4, 4, 0xFF0000FF));
    pooled->MarkPoolOwned();
    EXPECT_EQ(table->SetCellImage(0, 0, pooled.get(), 0), kResOk);
    EXPECT_EQ(table->SetCellImage(0, 0, Solid(2, 2, 0xFFFFFFFF), 0), kResOk);
    EXPECT_TRUE(pooled->IsValid());
    EXPECT_EQ(table->SetCellImage(0, 0, pooled.get(), 0), kResOk);
    EXPECT_EQ(table->DeleteRow(0, 0), kResOk);
    EXPECT_EQ(pooled->GetWidth(), 4);
    EXPECT_EQ(table->AddRow(0), kResOk);
    EXPECT_EQ(table->SetCellImage(0, 0, pooled.get(), 0), kResOk);
    EXPECT_EQ(table->SetColumnKind(0, 0, 0), kResOk);
    EXPECT_EQ(table->GetCellImage(0, 0), nullptr);
    EXPECT_EQ(pooled->GetWidth(), 4);
    CImage caller(2, 2);
    EXPECT_EQ(table->SetCellImage(0, 0, &caller, 0), kResBadParam);
}

TEST_F(TableWidgetTest, ShadowFallsBelowAndRightOfTheContent)
{
    auto table = Table(40, 16, 1);
    EXPECT_EQ(table->SetColumnKind(0, 1, 0), kResOk);
    EXPECT_EQ(table->SetShadowBlur(0.0f, 0), kResOk);
    EXPECT_EQ(table->SetShadowColour(0xFF000000, 0), kResOk);
    EXPECT_EQ(table->SetCellImage(0, 0, Solid(2, 2, 0xFFFF0000), 0), kResOk);
    CImage* back = table->GetBackImage();
    // A 2 x 2 image at lines 7 and 8; its unblurred shadow one pixel down and right.
    EXPECT_EQ(PixelAt(back, 0, 7), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(back, 1, 8), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(back, 2, 9), 0xFF000000u);
    EXPECT_EQ(PixelAt(back, 0, 9), 0u);
    EXPECT_EQ(PixelAt(back, 3, 9), 0u);
    EXPECT_EQ(table->SetShadowOpacity(127, 0), kResOk);
    EXPECT_EQ(PixelAt(back, 2, 9), 0x7F000000u);
}

TEST_F(TableWidgetTest, ABlurredShadowFadesAwayFromTheContent)
{
    auto table = Table(40, 16, 1);
    EXPECT_EQ(table->SetColumnKind(0, 1, 0), kResOk);
    EXPECT_EQ(table->SetShadowBlur(1.5f, 0), kResOk);
    EXPECT_EQ(table->SetShadowColour(0xFF000000, 0), kResOk);
    EXPECT_EQ(table->SetCellImage(0, 0, Solid(2, 2, 0xFFFF0000), 0), kResOk);
    CImage* back = table->GetBackImage();
    // Along line 9, right of the image: partly covered, then less and less.
    std::vector<uint32_t> alphas;
    for (int32_t x = 2; x <= 6; ++x)
        alphas.push_back(PixelAt(back, x, 9) >> 24);
    EXPECT_GT(alphas[0], 0u);
    EXPECT_LT(alphas[0], 255u);
    for (size_t i = 1; i < alphas.size(); ++i)
        EXPECT_LE(alphas[i], alphas[i - 1]) << i;
    EXPECT_LT(alphas.back(), alphas.front());
}

TEST_F(TableWidgetTest, ScrolledBackImageMatchesAFreshRendering)
{
    auto table = Table(60, 50, 12);
    EXPECT_EQ(table->SetColumnKind(0, 1, 0), kResOk);
    for (int32_t row = 0; row < 12; ++row)
        EXPECT_EQ(table->SetCellImage(row, 0, Solid(2 + row, 3, 0xFF000000u | uint32_t(row * 20)), 0), kResOk);
    for (int32_t scroll : {5, 40, 23, 142, 0}) {
        EXPECT_EQ(table->SetScrollY(scroll, 0), kResOk);
        const auto scrolled = AllPixels(table->GetBackImage());
        const tCRect all{0, 0, 60, 50};
        EXPECT_EQ(table->RenderRect(&all), kResOk);
        EXPECT_EQ(scrolled, AllPixels(table->GetBackImage())) << scroll;
    }
}

TEST_F(TableWidgetTest, TextCellsRenderInTheRowColour)
{
    auto table = Table(80, 32, 2);
    EXPECT_EQ(table->SetTextShadow(0), kResOk);
    EXPECT_EQ(table->SetCellText(1, 0, u"Wide", 0), kResOk);
    EXPECT_EQ(*table->GetCellText(1, 0), u"Wide");
    EXPECT_EQ(table->SetRowTextColour(1, 0xFF0000FF, 0), kResOk);
    uint32_t blue = 0;
    uint32_t outside = 0;
    for (CPixel p : AllPixels(table->GetBackImage())) {
        if (p >> 24 != 0 && (p & 0xFFFFFF) == 0xFF)
            ++blue;
    }
    CImage* back = table->GetBackImage();
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 8; ++x)
            outside += PixelAt(back, x, y) != 0;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 80; ++x)
            outside += PixelAt(back, x, y) != 0;
    EXPECT_GT(blue, 10u);
    EXPECT_EQ(outside, 0u);
}

TEST_F(TableWidgetTest, DataBlockTakesTheColourAndNotTheGlow)
{
    tCStream* file = Layouts(R"(vers 2
tbwg 7 "list"
  colr #FF102030
  shad slot=0 colour=#000000 radius=3 x=2 y=2 opacity=160 clip=0 overlay=0
  ctot slot=1 colour=#102030 radius=1.7 x=1 y=1 opacity=180 overlay=1
)");
    CTableWidget table;
    ASSERT_EQ(table.LoadFromResourceName(u"list", file, nullptr), kResOk);
    uint32_t colour = 0;
    EXPECT_EQ(*table.GetColour(&colour), 0xFF102030u);
    EXPECT_NE(table.GetBackEffect(0), nullptr);
    EXPECT_NE(table.GetFrontEffect(1), nullptr);
}

TEST_F(TableWidgetTest, WheelScrollsByItsStepOfRows)
{
    auto table = Table(50, 40, 30);
    CWidget* taken = nullptr;
    tCPoint point{5, 5};
    EXPECT_EQ(table->OnMouseWheel(&taken, {0, -120}, &point), kResOk);
    EXPECT_EQ(taken, table.get());
    EXPECT_EQ(table->GetScrollY(), 64);
    table->SetWheelStep(1);
    EXPECT_EQ(table->OnMouseWheel(&taken, {0, 120}, &point), kResOk);
    EXPECT_EQ(table->GetScrollY(), 48);
    EXPECT_EQ(table->HandleWheel(&taken, &point, 0), kResOk);
    EXPECT_EQ(table->GetScrollY(), 64);
}
