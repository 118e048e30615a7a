#include "toolkit/text/CTableWidget.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <utility>

#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/WidgetEvents.h"
#include "toolkit/widgets/WidgetFactory.h"

CTableWidget::CTableWidget()
    : CCoWidget(kType),
      m_rowRenderer(std::make_unique<CTextRenderer>()),
      m_selectedRenderer(std::make_unique<CTextRenderer>()),
      m_backImage(std::make_unique<CImage>())
{
    m_columns.emplace_back();
    for (CTextRenderer* renderer : {m_rowRenderer.get(), m_selectedRenderer.get()}) {
        renderer->SetFaceName(u"Helvetica");
        renderer->SetPointSize(12.0f);
    }
    EnableEvents(eMouseWheelEvent, 0);
}

CTableWidget::~CTableWidget()
{
    for (auto& row : m_rows)
        FreeRow(row.get());
    m_rows.clear();
    FreeColumnImages();
}

CTableWidget* CTableWidget::NewFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory)
{
    return LoadNewWidget<CTableWidget>(name, file, directory);
}

void CTableWidget::FreeCell(tCell* cell)
{
    if (cell->image && !cell->image->IsPoolOwned())
        delete cell->image;
    cell->image = nullptr;
    cell->text.Free();
}

void CTableWidget::FreeRow(tRow* row)
{
    for (tCell& cell : row->cells)
        FreeCell(&cell);
}

int32_t CTableWidget::ClampScroll(int64_t y) const
{
    const int64_t end = std::max<int64_t>(GetContentHeight() - GetHeight(), 0);
    return int32_t(std::clamp<int64_t>(y, 0, end));
}

int32_t CTableWidget::ColumnDrawWidth(int32_t column) const
{
    if (m_columns.size() == 1 && m_columns[0].width == 0)
        return GetWidth();
    return m_columns[size_t(column)].width;
}

void CTableWidget::RecomputeColumnX()
{
    int32_t x = 0;
    for (tColumn& column : m_columns) {
        column.x = x;
        x += column.width;
    }
}

tResult CTableWidget::InsertRowRecord(int32_t index)
{
    // The row is built and placed before it counts; running out of memory leaves the rows as
    // they were.
    try {
        auto row = std::make_unique<tRow>();
        row->cells.resize(m_columns.size());
        row->textColours.assign(m_columns.size(), 0xFF000000u);
        row->values.assign(m_columns.size(), 0u);
        m_rows.insert(m_rows.begin() + index, std::move(row));
    } catch (const std::bad_alloc&) {
        return kResNoMemory;
    }
    return kResOk;
}

tResult CTableWidget::Redraw(uint32_t update)
{
    const tCRect all{0, 0, GetWidth(), GetHeight()};
    TK_TRY(RenderRect(&all));
    return Invalidate(update);
}

tResult CTableWidget::Notify(uint32_t message, tMsgArg argument)
{
    return m_listener ? m_listener->OnNotify(message, reinterpret_cast<tMsgArg>(this), argument) : kResOk;
}

tResult CTableWidget::SetEvenRowColour(uint32_t colour, uint32_t update)
{
    m_evenColour = colour;
    return Invalidate(update);
}

uint32_t* CTableWidget::GetEvenRowColour(uint32_t* out) const
{
    *out = m_evenColour;
    return out;
}

tResult CTableWidget::SetSelectedRowColour(uint32_t colour, uint32_t update)
{
    m_selectedColour = colour;
    return Invalidate(update);
}

uint32_t* CTableWidget::GetSelectedRowColour(uint32_t* out) const
{
    *out = m_selectedColour;
    return out;
}

tResult CTableWidget::SetTextRenderer(const CTextRenderer& renderer, uint32_t update)
{
    m_rowRenderer->CopySettings(renderer);
    return Redraw(update);
}

CTextRenderer* CTableWidget::GetTextRenderer(CTextRenderer* out) const
{
    out->CopySettings(*m_rowRenderer);
    return out;
}

tResult CTableWidget::SetSelectedTextRenderer(const CTextRenderer& renderer, uint32_t update)
{
    m_selectedRenderer->CopySettings(renderer);
    return Redraw(update);
}

CTextRenderer* CTableWidget::GetSelectedTextRenderer(CTextRenderer* out) const
{
    out->CopySettings(*m_selectedRenderer);
    return out;
}

tResult CTableWidget::SetImageShadow(uint32_t on)
{
    m_imageShadow = on;
    return Redraw(0);
}

tResult CTableWidget::SetTextShadow(uint32_t on)
{
    m_textShadow = on;
    return Redraw(0);
}

tResult CTableWidget::SetShadowSetting(uint32_t update)
{
    if (m_imageShadow || m_textShadow)
        return Redraw(update);
    return update ? PresentDirtyRects() : kResOk;
}

tResult CTableWidget::SetShadowOffset(tCPoint offset, uint32_t update)
{
    m_shadowOffset = offset;
    return SetShadowSetting(update);
}

tCPoint* CTableWidget::GetShadowOffset(tCPoint* out) const
{
    *out = m_shadowOffset;
    return out;
}

tResult CTableWidget::SetShadowColour(uint32_t colour, uint32_t update)
{
    m_shadowColour = colour;
    return SetShadowSetting(update);
}

uint32_t* CTableWidget::GetShadowColour(uint32_t* out) const
{
    *out = m_shadowColour;
    return out;
}

tResult CTableWidget::SetShadowOpacity(int32_t opacity, uint32_t update)
{
    m_shadowOpacity = std::clamp(opacity, 0, 255);
    return SetShadowSetting(update);
}

tResult CTableWidget::SetShadowBlur(float radius, uint32_t update)
{
    m_shadowBlur = radius;
    return SetShadowSetting(update);
}

tResult CTableWidget::SetRowTextColour(int32_t row, uint32_t colour, uint32_t update)
{
    if (!ValidRow(row))
        return kResFailure;
    std::fill(m_rows[size_t(row)]->textColours.begin(), m_rows[size_t(row)]->textColours.end(), colour);
    return InvalidateRow(row, update);
}

tResult CTableWidget::SetRowHeight(int32_t height, uint32_t update)
{
    height = std::max(height, 1);
    const int64_t topRow = m_scrollY / m_rowHeight;
    m_rowHeight = height;
    m_scrollY = ClampScroll(topRow * height);
    TK_TRY(RebuildColumnImages());
    TK_TRY(Redraw(update));
    return Notify(kRowsChanged, update);
}

tResult CTableWidget::AddRow(uint32_t update)
{
    TK_TRY(InsertRowRecord(GetRowCount()));
    return Notify(kRowsChanged, update);
}

tResult CTableWidget::InsertRow(int32_t index, uint32_t update)
{
    if (index < 0 || index > GetRowCount())
        return kResOutOfRange;
    TK_TRY(InsertRowRecord(index));
    if (IsRowVisible(index))
        TK_TRY(Redraw(update));
    return Notify(kRowsChanged, update);
}

tResult CTableWidget::DeleteRow(int32_t row, uint32_t update)
{
    if (!ValidRow(row))
        return kResOutOfRange;
    const uint32_t wasVisible = IsRowVisible(row);
    FreeRow(m_rows[size_t(row)].get());
    m_rows.erase(m_rows.begin() + row);
    if (m_hoverRow == row)
        m_hoverRow = kNoHoverRow;
    const int64_t end = GetContentHeight() - GetHeight();
    if (end > 0 && m_scrollY > end)
        m_scrollY = int32_t(end);
    else if (end <= 0)
        m_scrollY = 0;
    if (wasVisible)
        TK_TRY(Redraw(update));
    return Notify(kRowsChanged, update);
}

tResult CTableWidget::DeleteAllRows(uint32_t update)
{
    for (auto& row : m_rows)
        FreeRow(row.get());
    m_rows.clear();
    m_hoverRow = kNoHoverRow;
    m_scrollY = 0;
    m_scrollX = 0;
    TK_TRY(Redraw(update));
    TK_TRY(Notify(kRowsChanged, update));
    return Notify(kScrolled, update);
}

uint32_t CTableWidget::IsRowVisible(int32_t row) const
{
    const int64_t top = int64_t(row) * m_rowHeight - m_scrollY;
    return top < GetHeight() && top > 1 - m_rowHeight ? 1 : 0;
}

tResult CTableWidget::ScrollRowIntoView(int32_t row, uint32_t update)
{
    if (!ValidRow(row))
        return kResOutOfRange;
    const int64_t content = GetContentHeight();
    const int32_t height = GetHeight();
    const int64_t top = int64_t(row) * m_rowHeight;
    if (content <= height)
        return SetScrollY(0, update);
    if (top < m_scrollY)
        return SetScrollY(int32_t(top), update);
    if (top + m_rowHeight - m_scrollY >= height)
        return SetScrollY(ClampScroll(top + m_rowHeight - height), update);
    if (content - m_scrollY < height)
        return SetScrollY(ClampScroll(content - height), update);
    return kResOk;
}

tResult CTableWidget::SetValueA(int32_t value)
{
    m_valueA = value;
    return SetRowHeight(m_rowHeight, 0);
}

tResult CTableWidget::SetValueB(int32_t value)
{
    m_valueB = value;
    return SetRowHeight(m_rowHeight, 0);
}

tResult CTableWidget::SetRowData(int32_t row, uintptr_t data)
{
    if (!ValidRow(row))
        return kResOutOfRange;
    m_rows[size_t(row)]->userData = data;
    return kResOk;
}

uintptr_t CTableWidget::GetRowData(int32_t row) const
{
    return ValidRow(row) ? m_rows[size_t(row)]->userData : 0;
}

int32_t CTableWidget::FindRowByData(uintptr_t data) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i]->userData == data)
            return int32_t(i);
    return -1;
}

tResult CTableWidget::SetCellText(int32_t row, int32_t column, const tCString& text, uint32_t update)
{
    if (!ValidCell(row, column))
        return kResOutOfRange;
    if (m_columns[size_t(column)].kind != 0)
        return kResBadParam;
    TK_TRY(m_rows[size_t(row)]->cells[size_t(column)].text.Assign(text));
    return RedrawCell(row, column, update);
}

const tCString* CTableWidget::GetCellText(int32_t row, int32_t column) const
{
    if (!ValidCell(row, column) || m_columns[size_t(column)].kind != 0)
        return nullptr;
    return &m_rows[size_t(row)]->cells[size_t(column)].text;
}

tResult CTableWidget::SetCellImage(int32_t row, int32_t column, CImageBase* image, uint32_t update)
{
    if (!ValidCell(row, column))
        return kResOutOfRange;
    if (m_columns[size_t(column)].kind == 0)
        return kResBadParam;
    tCell& cell = m_rows[size_t(row)]->cells[size_t(column)];
    if (cell.image != image)
        FreeCell(&cell);
    cell.image = image;
    return RedrawCell(row, column, update);
}

CImageBase* CTableWidget::GetCellImage(int32_t row, int32_t column) const
{
    if (!ValidCell(row, column) || m_columns[size_t(column)].kind == 0)
        return nullptr;
    return m_rows[size_t(row)]->cells[size_t(column)].image;
}

CTableWidget::tRow* CTableWidget::GetRow(int32_t row) const
{
    return ValidRow(row) ? m_rows[size_t(row)].get() : nullptr;
}

tResult CTableWidget::SetSeparatorColour(uint32_t colour, uint32_t update)
{
    m_separatorColour = colour;
    return m_separators ? Invalidate(update) : kResOk;
}

uint32_t* CTableWidget::GetSeparatorColour(uint32_t* out) const
{
    *out = m_separatorColour;
    return out;
}

tResult CTableWidget::SetSeparators(uint32_t on, uint32_t update)
{
    m_separators = on;
    return Invalidate(update);
}

tResult CTableWidget::AddColumn(int32_t width, uint32_t text, uint32_t update)
{
    tColumn column;
    column.width = std::max(width, 0);
    column.kind = text ? 0 : 1;
    column.x = m_columns.back().x + m_columns.back().width;
    // Room for the column and its cells first, so that no array is left a cell short.
    try {
        m_columns.reserve(m_columns.size() + 1);
        for (auto& row : m_rows) {
            row->cells.reserve(row->cells.size() + 1);
            row->textColours.reserve(row->textColours.size() + 1);
            row->values.reserve(row->values.size() + 1);
        }
    } catch (const std::bad_alloc&) {
        return kResNoMemory;
    }
    m_columns.push_back(column);
    for (auto& row : m_rows) {
        row->cells.emplace_back();
        row->textColours.push_back(0xFF000000u);
        row->values.push_back(0u);
    }
    TK_TRY(RebuildColumnImages());
    TK_TRY(Redraw(update));
    return Notify(kColumnsChanged, update);
}

tResult CTableWidget::SetColumnWidth(int32_t column, int32_t width, uint32_t update)
{
    if (!ValidColumn(column))
        return kResOutOfRange;
    m_columns[size_t(column)].width = std::max(width, 0);
    RecomputeColumnX();
    TK_TRY(RebuildColumnImages());
    TK_TRY(Redraw(update));
    return Notify(kColumnsChanged, update);
}

int32_t CTableWidget::GetColumnWidth(int32_t column) const
{
    if (!ValidColumn(column))
        return 0;
    return m_columns.size() == 1 ? GetWidth() : m_columns[size_t(column)].width;
}

tResult CTableWidget::SetColumnKind(int32_t column, int32_t kind, uint32_t update)
{
    if (!ValidColumn(column))
        return kResOutOfRange;
    if (m_columns[size_t(column)].kind == kind)
        return kResOk;
    for (auto& row : m_rows)
        FreeCell(&row->cells[size_t(column)]);
    m_columns[size_t(column)].kind = kind;
    return Redraw(update);
}

int32_t CTableWidget::GetColumnKind(int32_t column) const
{
    return ValidColumn(column) ? m_columns[size_t(column)].kind : 0;
}

tResult CTableWidget::SetColumnFadeLeft(int32_t column, int32_t pixels, uint32_t update)
{
    if (!ValidColumn(column))
        return kResOutOfRange;
    m_columns[size_t(column)].fadeLeft = pixels;
    return Redraw(update);
}

tResult CTableWidget::SetColumnFadeRight(int32_t column, int32_t pixels, uint32_t update)
{
    if (!ValidColumn(column))
        return kResOutOfRange;
    m_columns[size_t(column)].fadeRight = pixels;
    return Redraw(update);
}

int32_t CTableWidget::GetColumnFadeLeft(int32_t column) const
{
    return ValidColumn(column) ? m_columns[size_t(column)].fadeLeft : 0;
}

int32_t CTableWidget::GetColumnFadeRight(int32_t column) const
{
    return ValidColumn(column) ? m_columns[size_t(column)].fadeRight : 0;
}

int32_t CTableWidget::GetColumnAt(int32_t x) const
{
    if (x <= -1 - m_scrollX)
        return -1;
    if (m_columns.size() == 1 && m_columns[0].width == 0)
        return x < GetWidth() ? 0 : -1;
    int64_t right = -1 - m_scrollX;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        right += m_columns[i].width;
        if (right >= x)
            return int32_t(i);
    }
    return -1;
}

int32_t CTableWidget::GetColumnX(int32_t column) const
{
    return ValidColumn(column) ? m_columns[size_t(column)].x - m_scrollX : 0;
}

tResult CTableWidget::SetColumnJustification(int32_t column, int32_t justification, uint32_t update)
{
    if (!ValidColumn(column))
        return kResOutOfRange;
    m_columns[size_t(column)].justification = justification;
    return Redraw(update);
}

int32_t CTableWidget::GetColumnJustification(int32_t column) const
{
    return ValidColumn(column) ? m_columns[size_t(column)].justification : 0;
}

tResult CTableWidget::SetCellPadding(int32_t pixels, uint32_t update)
{
    m_cellPadding = std::max(pixels, 0);
    TK_TRY(RebuildColumnImages());
    return Redraw(update);
}

tResult CTableWidget::SetCellValue(int32_t row, int32_t column, uint32_t value)
{
    if (!ValidCell(row, column))
        return kResOutOfRange;
    m_rows[size_t(row)]->values[size_t(column)] = value;
    return kResOk;
}

uint32_t CTableWidget::GetCellValue(int32_t row, int32_t column) const
{
    return ValidCell(row, column) ? m_rows[size_t(row)]->values[size_t(column)] : 0;
}

tResult CTableWidget::GetColumnTextOffset(tCFPoint* out, int32_t column) const
{
    if (!ValidColumn(column))
        return kResOutOfRange;
    *out = {m_columns[size_t(column)].textOffsetX, m_columns[size_t(column)].textOffsetY};
    return kResOk;
}

tResult CTableWidget::SetColumnTextOffset(int32_t column, float x, float y)
{
    if (!ValidColumn(column))
        return kResOutOfRange;
    m_columns[size_t(column)].textOffsetX = x;
    m_columns[size_t(column)].textOffsetY = y;
    return kResOk;
}

CImage* CTableWidget::GetTextImage(int32_t column) const
{
    return column >= 0 && size_t(column) < m_textImages.size() ? m_textImages[size_t(column)].get() : nullptr;
}

CImage* CTableWidget::GetCellImageBuffer(int32_t column) const
{
    return column >= 0 && size_t(column) < m_cellImages.size() ? m_cellImages[size_t(column)].get() : nullptr;
}

void CTableWidget::FreeColumnImages()
{
    m_textImages.clear();
    m_cellImages.clear();
}

tResult CTableWidget::RebuildColumnImages()
{
    FreeColumnImages();
    try {
        m_textImages.reserve(m_columns.size());
        m_cellImages.reserve(m_columns.size());
    } catch (const std::bad_alloc&) {
        return kResNoMemory;
    }
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const int32_t width = ColumnDrawWidth(int32_t(i));
        std::unique_ptr<CImage> text(new (std::nothrow) CImage(std::max(width - m_cellPadding, 1), m_rowHeight));
        std::unique_ptr<CImage> cell(new (std::nothrow) CImage(std::max(width, 1), m_rowHeight));
        if (!text || !cell || !text->IsValid() || !cell->IsValid()) {
            FreeColumnImages();
            return kResNoMemory;
        }
        m_textImages.push_back(std::move(text));
        m_cellImages.push_back(std::move(cell));
    }
    return kResOk;
}

tResult CTableWidget::OnSizeChanged()
{
    m_scrollY = ClampScroll(int64_t(m_scrollY / m_rowHeight) * m_rowHeight);
    if (GetWidth() > 0 && GetHeight() > 0)
        TK_TRY(m_backImage->SetSize(GetWidth(), GetHeight()));
    if (m_columns.size() == 1 || m_textImages.size() != m_columns.size())
        TK_TRY(RebuildColumnImages());
    TK_TRY(Redraw(0));
    TK_TRY(Notify(kRowsChanged, 0));
    return Notify(kColumnsChanged, 0);
}
