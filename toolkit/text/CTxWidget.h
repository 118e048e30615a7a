#pragma once

#include <cstdint>

#include "toolkit/core/tCString.h"
#include "toolkit/text/CTextRenderer.h"
#include "toolkit/widgets/CMaskWidget.h"

class CText;
class CTextList;

// The text widget: shows a text in the widget colour through an 8-bit mask that its renderer
// draws, from a text object or an entry of a text list. With auto-size on (the default) the mask
// and the widget take the rendered text's size. The rotation turns the text by quarter turns: 1
// counter-clockwise (reading upward), 2 upside down, 3 clockwise (reading downward). Setters of
// one setting take (value, relayout, present) and render again. Type tag 'txwg'.
class CTxWidget : public CMaskWidget {
public:
    static constexpr uint32_t kType = MakeFourCC("txwg");

    // The text list a data block names, applied after its chunks.
    class CTxWidgetDataHolder : public CMaskWidgetDataHolder {
    public:
        int32_t textListIndex = 0;
        tCString textListName;
    };

    CTxWidget();
    ~CTxWidget() override;

    static CTxWidget* NewFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory);
    static CTxWidget* NewFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory);

    uint32_t GetWidgetType() const override { return kType; }
    tResult OnSizeChanged() override;
    tResult ReadDataBlock(tCStream* stream) override;
    // The text chunks; anything else goes to the mask widget's parser.
    tResult ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder);
    tResult SetColour(uint32_t colour, uint32_t update) override;

    // The mask belongs to the text: these change nothing.
    tResult SetImageListIndex(int32_t index, uint32_t sizeToImage, uint32_t present) override;
    tResult SetImage(CImage8* image, uint32_t sizeToImage, uint32_t present) override;
    tResult SetImageList(tCImageList8* list) override;
    tResult NextImageListEntry(uint32_t sizeToImage, uint32_t present) override;

    virtual CText* GetTextObject() const { return m_text; }
    // A copy; empty without a text object.
    virtual tCString GetText() const;
    // 6 without a list or for an index at or past its end; a negative index shows "".
    virtual tResult SetTextListIndex(int32_t index, uint32_t relayout, uint32_t present);
    // Takes the object (null allowed), deleting the old one unless a pool owns it.
    virtual tResult SetTextObject(CText* text, uint32_t relayout, uint32_t present);
    virtual tResult SetText(const tCString& text, uint32_t relayout, uint32_t present);
    virtual void SetAutoSize(uint32_t on) { m_autoSize = on; }
    virtual uint32_t GetAutoSize() const { return m_autoSize; }
    virtual CTextRenderer* GetTextRenderer() { return &m_renderer; }
    // The renderer's line height in pixels, known once the text was drawn.
    float GetLineHeight() const { return m_renderer.GetLineHeight(); }
    // 6 for null; the list is taken without rendering.
    virtual tResult SetTextList(CTextList* list);
    // 6 without a list or with fewer than 2 entries; wraps from the last entry to the first.
    virtual tResult NextTextListEntry(uint32_t relayout, uint32_t present);
    // -1 without a list.
    virtual int32_t GetTextListIndex() const;
    CTextList* GetTextList() const { return m_list; }
    virtual const tCString& GetFontName() const { return m_renderer.GetFaceName(); }
    virtual tResult SetFontName(const tCString& name, uint32_t relayout, uint32_t present);
    virtual int32_t GetPixelSize() const { return m_renderer.GetPixelSize(); }
    // The point size becomes 0.
    virtual tResult SetPixelSize(int32_t pixels, uint32_t relayout, uint32_t present);
    virtual float GetPointSize() const { return m_renderer.GetPointSize(); }
    // The pixel size becomes 0.
    virtual tResult SetPointSize(float points, uint32_t relayout, uint32_t present);
    virtual int32_t GetJustification() const { return m_renderer.GetJustification(); }
    virtual tResult SetJustification(int32_t justification, uint32_t relayout, uint32_t present);
    virtual tResult SetFontStyle(uint32_t bold, uint32_t italic, uint32_t underline, uint32_t relayout,
                                 uint32_t present);
    virtual tResult SetBold(uint32_t on, uint32_t relayout, uint32_t present);
    virtual tResult SetItalic(uint32_t on, uint32_t relayout, uint32_t present);
    virtual tResult SetUnderline(uint32_t on, uint32_t relayout, uint32_t present);
    virtual uint32_t GetBold() const { return m_renderer.GetBold(); }
    virtual uint32_t GetItalic() const { return m_renderer.GetItalic(); }
    virtual uint32_t GetUnderline() const { return m_renderer.GetUnderline(); }
    virtual tResult SetWrap(uint32_t on, uint32_t relayout, uint32_t present);
    virtual uint32_t GetWrap() const { return m_renderer.GetWrap(); }
    virtual tResult SetRotation(int32_t rotation, uint32_t relayout, uint32_t present);
    virtual int32_t GetRotation() const { return m_rotation; }
    virtual float GetWidthScale() const { return m_renderer.GetWidthScale(); }
    virtual tResult SetWidthScale(float scale, uint32_t relayout, uint32_t present);
    virtual float GetLineSpacing() const { return m_renderer.GetLineSpacing(); }
    virtual tResult SetLineSpacing(float spacing, uint32_t relayout, uint32_t present);
    virtual float GetFontScale() const { return m_renderer.GetFontScale(); }
    virtual tResult SetFontScale(float scale, uint32_t relayout, uint32_t present);
    // Draws the text into the mask (nothing while the data block is read or without a text);
    // with relayout and auto-size the widget takes the mask's size.
    virtual tResult RenderText(uint32_t relayout, uint32_t present);

    // While the data block is read, rendering waits for its end.
    uint32_t IsRenderingDeferred() const { return m_renderDeferred; }
    // At the end of a data block the text list and the first rendering come before the
    // children.
    tResult BuildHierarchy(CWidgetDataHolder* holder, tCStream* stream) override;

private:
    static const tLoadTexts kLoadTexts;

    void DropTextObject();
    // Rotations 1 to 3 drawn upright, then turned into the mask.
    tResult RenderRotated(const tCString& text, CImage8* mask);
    void ApplyTextList(const CTxWidgetDataHolder& holder, tCStream* stream);

    CTextRenderer m_renderer;
    CText* m_text = nullptr;
    CTextList* m_list = nullptr;
    uint32_t m_autoSize = 1;
    int32_t m_rotation = 0;
    uint32_t m_renderDeferred = 0;
};
