#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/core/tCString.h"
#include "toolkit/text/CTextRenderer.h"
#include "toolkit/widgets/CCoWidget.h"

class CImage;
class CImageBase;
class tCCmdTarget;

// The scrolling table: rows of one height, columns of set widths, cells holding a text or an
// image. Cells are rendered once into a back image the widget's size and composited over the
// row backgrounds (odd rows in the widget colour, even rows, selected rows, the hover band and
// the separator lines) when drawn. Row and column indices are checked: a bad one answers 12 or
// null. Type tag 'tbwg'.
class CTableWidget : public CCoWidget {
public:
    static constexpr uint32_t kType = MakeFourCC("tbwg");

    static constexpr uint32_t kRowsChanged = 0xF0100001;
    static constexpr uint32_t kColumnsChanged = 0xF0100002;
    static constexpr uint32_t kScrolled = 0xF0100003;
    static constexpr uint32_t kSelectionChanged = 0xF0100005;
    static constexpr uint32_t kCellPressed = 0xF0100006;
    static constexpr int32_t kNoHoverRow = -1000000;

    struct tColumn {
        int32_t width = 0;
        int32_t justification = 0;
        int32_t kind = 0;
        int32_t reserved = 1;
        int32_t x = 0;
        int32_t fadeLeft = 0;
        int32_t fadeRight = 0;
        float textOffsetX = 0.0f;
        float textOffsetY = 0.0f;
    };

    // One cell: the text of a text column, the image of an image column.
    struct tCell {
        tCString text;
        CImageBase* image = nullptr;
    };

    struct tRow {
        uintptr_t userData = 0;
        uint32_t selected = 0;
        std::vector<tCell> cells;
        std::vector<uint32_t> textColours;
        std::vector<uint32_t> values;
    };

    // The (column, row) a press hit, sent with kCellPressed.
    struct tCellPress {
        int32_t column;
        int32_t row;
    };

    CTableWidget();
    ~CTableWidget() override;

    static CTableWidget* NewFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory);

    uint32_t GetWidgetType() const override { return kType; }
    tResult OnHeartbeat() override;
    tResult OnLButtonDown(CWidget** takenBy, tCPoint* point) override;
    tResult OnMouseWheel(CWidget** takenBy, tCPoint wheel, tCPoint* point) override;
    tResult Draw(const tCRect* clip, CImage* target, uint32_t opacity) override;
    tResult OnSizeChanged() override;
    tResult ReadDataBlock(tCStream* stream) override;
    // 'colr', 'grdf', 'ctot' and 'shad'; anything else goes to CWidget's parser.
    tResult ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder);

    void SetListener(tCCmdTarget* listener) { m_listener = listener; }
    tCCmdTarget* GetListener() const { return m_listener; }

    virtual tResult SetEvenRowColour(uint32_t colour, uint32_t update);
    virtual uint32_t* GetEvenRowColour(uint32_t* out) const;
    virtual tResult SetSelectedRowColour(uint32_t colour, uint32_t update);
    virtual uint32_t* GetSelectedRowColour(uint32_t* out) const;
    virtual int32_t GetWheelStep() const { return m_wheelStep; }
    virtual void SetWheelStep(int32_t rows) { m_wheelStep = rows; }
    virtual int32_t GetScrollY() const { return m_scrollY; }
    virtual tResult SetTextRenderer(const CTextRenderer& renderer, uint32_t update);
    virtual CTextRenderer* GetTextRenderer(CTextRenderer* out) const;
    virtual tResult SetSelectedTextRenderer(const CTextRenderer& renderer, uint32_t update);
    virtual CTextRenderer* GetSelectedTextRenderer(CTextRenderer* out) const;
    virtual tResult SetImageShadow(uint32_t on);
    virtual uint32_t GetImageShadow() const { return m_imageShadow; }
    virtual tResult SetTextShadow(uint32_t on);
    virtual uint32_t GetTextShadow() const { return m_textShadow; }
    virtual tResult SetShadowOffset(tCPoint offset, uint32_t update);
    virtual tCPoint* GetShadowOffset(tCPoint* out) const;
    virtual tResult SetShadowColour(uint32_t colour, uint32_t update);
    virtual uint32_t* GetShadowColour(uint32_t* out) const;
    virtual tResult SetShadowOpacity(int32_t opacity, uint32_t update);
    virtual int32_t GetShadowOpacity() const { return m_shadowOpacity; }
    virtual tResult SetShadowBlur(float radius, uint32_t update);
    virtual float GetShadowBlur() const { return m_shadowBlur; }
    // 1 for a row out of range.
    virtual tResult SetRowTextColour(int32_t row, uint32_t colour, uint32_t update);
    // Heights below 1 become 1; the top row stays at the top.
    virtual tResult SetRowHeight(int32_t height, uint32_t update);
    virtual int32_t GetRowHeight() const { return m_rowHeight; }
    virtual int32_t GetRowCount() const { return int32_t(m_rows.size()); }
    // Both answer 5 when memory runs out, with the rows unchanged.
    virtual tResult AddRow(uint32_t update);
    virtual tResult InsertRow(int32_t index, uint32_t update);
    virtual tResult DeleteRow(int32_t row, uint32_t update);
    virtual tResult DeleteAllRows(uint32_t update);
    virtual uint32_t IsRowVisible(int32_t row) const;
    virtual tResult ScrollRowIntoView(int32_t row, uint32_t update);
    virtual int32_t GetRowTop(int32_t row) const { return row * m_rowHeight - m_scrollY; }
    virtual int32_t GetRowBottom(int32_t row) const { return (row + 1) * m_rowHeight - m_scrollY - 1; }
    virtual int32_t GetRowAt(int32_t y) const { return (m_scrollY + y) / m_rowHeight; }
    virtual tResult SetValueA(int32_t value);
    virtual tResult SetValueB(int32_t value);
    virtual int32_t GetValueA() const { return m_valueA; }
    virtual int32_t GetValueB() const { return m_valueB; }
    virtual tResult SetRowData(int32_t row, uintptr_t data);
    // 0 for a row out of range.
    virtual uintptr_t GetRowData(int32_t row) const;
    virtual int32_t FindRowByData(uintptr_t data) const;
    // 6 for an image column.
    virtual tResult SetCellText(int32_t row, int32_t column, const tCString& text, uint32_t update);
    virtual const tCString* GetCellText(int32_t row, int32_t column) const;
    // The table owns the image unless a pool does; 6 for a text column (the image stays the
    // caller's).
    virtual tResult SetCellImage(int32_t row, int32_t column, CImageBase* image, uint32_t update);
    virtual CImageBase* GetCellImage(int32_t row, int32_t column) const;
    virtual tRow* GetRow(int32_t row) const;
    virtual tResult InvalidateRow(int32_t row, uint32_t update);
    virtual tResult RedrawCell(int32_t row, int32_t column, uint32_t update);
    virtual tResult SetSeparatorColour(uint32_t colour, uint32_t update);
    virtual uint32_t* GetSeparatorColour(uint32_t* out) const;
    virtual tResult SetSeparators(uint32_t on, uint32_t update);
    virtual uint32_t GetSeparators() const { return m_separators; }
    virtual int32_t GetColumnCount() const { return int32_t(m_columns.size()); }
    virtual tResult AddColumn(int32_t width, uint32_t text, uint32_t update);
    virtual tResult SetColumnWidth(int32_t column, int32_t width, uint32_t update);
    virtual int32_t GetColumnWidth(int32_t column) const;
    virtual tResult SetColumnKind(int32_t column, int32_t kind, uint32_t update);
    virtual int32_t GetColumnKind(int32_t column) const;
    virtual tResult SetColumnFadeLeft(int32_t column, int32_t pixels, uint32_t update);
    virtual tResult SetColumnFadeRight(int32_t column, int32_t pixels, uint32_t update);
    virtual int32_t GetColumnFadeLeft(int32_t column) const;
    virtual int32_t GetColumnFadeRight(int32_t column) const;
    virtual int32_t GetColumnAt(int32_t x) const;
    virtual int32_t GetColumnX(int32_t column) const;
    virtual tResult SetColumnJustification(int32_t column, int32_t justification, uint32_t update);
    virtual int32_t GetColumnJustification(int32_t column) const;
    virtual tResult SetCellPadding(int32_t pixels, uint32_t update);
    virtual int32_t GetCellPadding() const { return m_cellPadding; }
    virtual tResult SetCellValue(int32_t row, int32_t column, uint32_t value);
    virtual uint32_t GetCellValue(int32_t row, int32_t column) const;
    virtual tResult GetColumnTextOffset(tCFPoint* out, int32_t column) const;
    virtual tResult SetColumnTextOffset(int32_t column, float x, float y);
    virtual tResult ScrollToFraction(float fraction, int32_t rows, uint32_t update);
    virtual tResult ScrollToTrackPoint(int32_t trackEnd, int32_t trackStart, const tCPoint* point, uint32_t update);
    virtual tResult SetScrollY(int32_t y, uint32_t update);
    virtual tResult ScrollUpPixel(uint32_t update) { return SetScrollY(m_scrollY - 1, update); }
    virtual tResult ScrollDownPixel(uint32_t update) { return SetScrollY(m_scrollY + 1, update); }
    virtual tResult ScrollUpRow(uint32_t update) { return SetScrollY(m_scrollY - m_rowHeight, update); }
    virtual tResult ScrollDownRow(uint32_t update) { return SetScrollY(m_scrollY + m_rowHeight, update); }
    virtual tResult PageUp(uint32_t update);
    virtual tResult PageDown(uint32_t update);
    virtual tResult ScrollToTop(uint32_t update) { return ScrollToFraction(0.0f, -1, update); }
    virtual tResult ScrollToBottom(uint32_t update) { return ScrollToFraction(1.0f, -1, update); }
    virtual float GetScrollFraction(int32_t rows) const;
    virtual float GetVisibleFraction(int32_t rows) const;
    virtual tResult SelectRow(int32_t row, uint32_t update);
    virtual tResult SelectOnly(int32_t row, uint32_t update);
    virtual tResult DeselectRow(int32_t row, uint32_t update);
    virtual tResult SetAllSelected(uint32_t on, uint32_t update);
    virtual int32_t GetSelectedCount() const;
    virtual int32_t GetNextSelected(int32_t from) const;
    virtual void SetSelectable(uint32_t on) { m_selectable = on; }
    virtual uint32_t GetSelectable() const { return m_selectable; }
    virtual tResult SetMultiSelect(uint32_t on, uint32_t update);
    virtual uint32_t GetMultiSelect() const { return m_multiSelect; }
    virtual uint32_t GetHoverEnabled() const { return m_hover; }
    virtual tResult SetHoverEnabled(uint32_t on);
    virtual uint32_t* GetHoverColour(uint32_t* out) const;
    virtual tResult SetHoverColour(uint32_t colour, uint32_t update);
    int32_t GetHoverRow() const { return m_hoverRow; }
    virtual tResult HandleWheel(CWidget** takenBy, const tCPoint* point, int32_t delta);
    // The listener's answer to OnNotify (message, this, argument), 0 without a listener.
    virtual tResult Notify(uint32_t message, tMsgArg argument);
    virtual tResult RenderRect(const tCRect* rect);
    virtual void FreeColumnImages();
    virtual tResult RebuildColumnImages();
    virtual tResult DrawCell(int32_t row, int32_t column, const tCRect* clip);
    virtual tResult ScrollContents(int32_t top, int32_t height, int32_t delta, uint32_t render, uint32_t update);

    // The scroll thumb of a track of the given length, and its offset along a track.
    int32_t GetThumbLength(int32_t trackLength) const;
    int32_t GetThumbPosition(int32_t trackEnd, int32_t trackStart) const;

    int64_t GetContentHeight() const { return int64_t(m_rows.size()) * m_rowHeight; }
    CImage* GetBackImage() const { return m_backImage.get(); }
    CImage* GetTextImage(int32_t column) const;
    CImage* GetCellImageBuffer(int32_t column) const;

private:
    static void FreeCell(tCell* cell);
    static void FreeRow(tRow* row);
    bool ValidRow(int32_t row) const { return row >= 0 && row < GetRowCount(); }
    bool ValidColumn(int32_t column) const { return column >= 0 && column < GetColumnCount(); }
    bool ValidCell(int32_t row, int32_t column) const { return ValidRow(row) && ValidColumn(column); }
    int32_t ClampScroll(int64_t y) const;
    int32_t ColumnDrawWidth(int32_t column) const;
    void RecomputeColumnX();
    // An empty row, one cell per column, at `index`; 5 without memory, the rows unchanged.
    tResult InsertRowRecord(int32_t index);
    // Renders the whole widget and invalidates it, presenting with `update`.
    tResult Redraw(uint32_t update);
    tResult SetShadowSetting(uint32_t update);
    tResult InvalidateRowBand(int32_t row, uint32_t update);
    // The content (text or cell image) of the cell's column copied, faded, into the back image.
    tResult PlaceCell(int32_t column, const tCRect& cell, const tCRect& clip, CImage* content, int32_t contentX);
    tResult PlaceCellWithShadow(int32_t column, const tCRect& cell, const tCRect& clip, CImage* content,
                                int32_t contentX);
    tResult DrawImageCell(int32_t column, CImageBase* image);
    void ApplyFades(int32_t column, CImage* image) const;

    int32_t m_rowHeight = 16;
    std::vector<tColumn> m_columns;
    std::vector<std::unique_ptr<tRow>> m_rows;
    int32_t m_cellPadding = 8;
    uint32_t m_evenColour = 0xFFFFFFFF;
    uint32_t m_selectedColour = 0xA0FFFFFF;
    std::unique_ptr<CTextRenderer> m_rowRenderer;
    std::unique_ptr<CTextRenderer> m_selectedRenderer;
    std::unique_ptr<CImage> m_backImage;
    std::vector<std::unique_ptr<CImage>> m_textImages;
    std::vector<std::unique_ptr<CImage>> m_cellImages;
    int32_t m_scrollY = 0;
    int32_t m_scrollX = 0;
    tCCmdTarget* m_listener = nullptr;
    uint32_t m_imageShadow = 1;
    uint32_t m_textShadow = 1;
    int32_t m_shadowOpacity = 255;
    tCPoint m_shadowOffset{1, 1};
    uint32_t m_shadowColour = 0x80000000;
    float m_shadowBlur = 1.5f;
    uint32_t m_selectable = 1;
    uint32_t m_multiSelect = 1;
    uint32_t m_hover = 0;
    int32_t m_hoverRow = kNoHoverRow;
    uint32_t m_hoverColour = 0x83FFFFFF;
    int32_t m_wheelStep = 4;
    uint32_t m_separatorColour = 0x80808080;
    uint32_t m_separators = 1;
    int32_t m_valueA = 0;
    int32_t m_valueB = 0;
};
