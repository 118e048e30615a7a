#pragma once

#include <cstdint>

#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CImWidget.h"

// The text-on-image widget: an image widget with an embedded text widget as its child, centred
// over the image both ways and sized to its text. Text operations go to the embedded widget;
// those that change the text's size then lay this widget out again (with relayout) or present
// (with present only). Type tag 'tiwg'.
class CTxImWidget : public CImWidget {
public:
    static constexpr uint32_t kType = MakeFourCC("tiwg");

    // The image widget's loading fields and the text list the data block names.
    class CTxImWidgetDataHolder : public CImWidgetDataHolder {
    public:
        int32_t textListIndex = 0;
        tCString textListName;
    };

    CTxImWidget() : CTxImWidget(kType) {}
    ~CTxImWidget() override;

    static CTxImWidget* NewFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory);

    uint32_t GetWidgetType() const override { return kType; }
    tResult ReadDataBlock(tCStream* stream) override;
    // The data block makes no children: the embedded text widget is the child.
    tResult BuildHierarchy(CWidgetDataHolder* holder, tCStream* stream) override;
    // The text chunks; anything else goes to the image widget's parser.
    tResult ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder);

    virtual CText* GetTextObject() const { return m_textWidget.GetTextObject(); }
    virtual tCString GetText() const { return m_textWidget.GetText(); }
    virtual tResult SetTextListIndex(int32_t index, uint32_t relayout, uint32_t present);
    virtual tResult SetTextObject(CText* text, uint32_t relayout, uint32_t present);
    virtual tResult SetText(const tCString& text, uint32_t relayout, uint32_t present);
    virtual void SetAutoSize(uint32_t on) { m_textWidget.SetAutoSize(on); }
    virtual uint32_t GetAutoSize() const { return m_textWidget.GetAutoSize(); }
    virtual tResult SetTextList(CTextList* list) { return m_textWidget.SetTextList(list); }
    virtual tResult NextTextListEntry(uint32_t relayout, uint32_t present);
    virtual uint32_t* GetTextColour(uint32_t* out) const { return m_textWidget.GetColour(out); }
    virtual tResult SetTextColour(uint32_t colour, uint32_t present);
    virtual const tCString& GetFontName() const { return m_textWidget.GetFontName(); }
    virtual tResult SetFontName(const tCString& name, uint32_t relayout, uint32_t present);
    virtual int32_t GetPixelSize() const { return m_textWidget.GetPixelSize(); }
    virtual tResult SetPixelSize(int32_t pixels, uint32_t relayout, uint32_t present);
    virtual tResult SetPointSize(float points, uint32_t relayout, uint32_t present);
    virtual int32_t GetJustification() const { return m_textWidget.GetJustification(); }
    virtual tResult SetJustification(int32_t justification, uint32_t relayout, uint32_t present);
    // The style setters always render and present the text, whatever the flags; the flags then
    // decide about this widget.
    virtual tResult SetFontStyle(uint32_t bold, uint32_t italic, uint32_t underline, uint32_t relayout,
                                 uint32_t present);
    virtual tResult SetBold(uint32_t on, uint32_t relayout, uint32_t present);
    virtual tResult SetItalic(uint32_t on, uint32_t relayout, uint32_t present);
    virtual tResult SetUnderline(uint32_t on, uint32_t relayout, uint32_t present);
    virtual float GetWidthScale() const { return m_textWidget.GetWidthScale(); }
    virtual tResult SetWidthScale(float scale, uint32_t relayout, uint32_t present);
    virtual float GetLineSpacing() const { return m_textWidget.GetLineSpacing(); }
    virtual tResult SetLineSpacing(float spacing, uint32_t relayout, uint32_t present);
    virtual float GetFontScale() const { return m_textWidget.GetFontScale(); }
    virtual tResult SetFontScale(float scale, uint32_t relayout, uint32_t present);

    CTxWidget* GetTextWidget() { return &m_textWidget; }
    const CTxWidget* GetTextWidget() const { return &m_textWidget; }
    // Places the text horizontally: 0 at the left, 1 at the right, any other value centred.
    void SetTextAnchoring(int32_t justification);

protected:
    explicit CTxImWidget(uint32_t type);

    // Loads the data block with a holder of the subclass's kind and its chunk parser, then
    // shows the image, calls OnImageApplied and applies the text list.
    tResult ReadBlockWithText(tCStream* stream, CTxImWidgetDataHolder* holder, tChunkParser parse);
    virtual tResult OnImageApplied(CTxImWidgetDataHolder*) { return kResOk; }

private:
    static const tLoadTexts kLoadTexts;

    // With relayout this widget lays itself out (presenting with `present`); with only present
    // it presents.
    tResult Follow(uint32_t relayout, uint32_t present);
    void ApplyTextList(const CTxImWidgetDataHolder& holder, tCStream* stream);

    CTxWidget m_textWidget;
};
