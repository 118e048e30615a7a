#pragma once

#include <cstdint>

#include "toolkit/core/CTimer.h"
#include "toolkit/core/tCString.h"
#include "toolkit/widgets/CRoRectWidget.h"
#include "toolkit/widgets/IWidgetInspector.h"

class CTableWidget;
class CTxWidget;

// The developer's widget inspector: a modal panel over the backdrop that shows one widget's
// properties and the reasons it might not draw or take events, a listing of its ancestors and
// subtree in which a row can be picked, and a search row that finds widgets by id or by name.
// Its parts are found again by their four-character ids. Esc or a press outside closes it; a
// press on a free part drags it.
class CDebugInfoWidget : public CRoRectWidget, public IWidgetInspector {
public:
    static constexpr uint32_t kId = MakeFourCC("_Db_");
    static constexpr int32_t kDepthLimit = 100;
    static constexpr uint32_t kDoublePickMilliseconds = 500;

    CDebugInfoWidget();
    ~CDebugInfoWidget() override;

    // IWidgetInspector
    CWidget* AsWidget() override { return this; }
    void SetFillColour(uint32_t colour) override { (void)CRoRectWidget::SetFillColour(colour, 1, 1); }
    tResult BuildPanel(CWidget* target) override;

    tResult OnNotify(uint32_t message, tMsgArg a, tMsgArg b) override;
    tResult OnKeyDown(CWidget** takenBy, uint32_t key) override;
    tResult OnLButtonDown(CWidget** takenBy, tCPoint* point) override;

    tResult AddButton(uint32_t id, const tCString& text, int32_t x, int32_t y, int32_t width, int32_t height);
    static tResult OnButtonPressed(tMsgArg context, CWidget* button, CWidget** takenBy, tCPoint* point);
    static tResult OnGripPressed(tMsgArg context, CWidget* grip, CWidget** takenBy, tCPoint* point);

    tResult AddField(uint32_t id, const tCString& label, int32_t labelX, int32_t valueX, int32_t y, int32_t right);
    tResult ShowProperties(CWidget* widget);
    tResult ShowWarnings(CWidget* widget);
    tResult CheckAncestor(CWidget* widget, CWidget* ancestor, tCString* text);

    tResult ListHierarchy(CTableWidget* table, CWidget* widget);
    tResult ListSubtree(CWidget* widget, CTableWidget* table, tCString indent, int32_t depth);
    tResult FindById(tCString search);
    tResult FindByName(tCString search);
    tResult FindNextById(CWidget* widget, int32_t id, int32_t depth);
    tResult FindNextByName(CWidget* widget, const tCString* search, int32_t depth);

    CWidget* GetInspected() const { return m_inspected; }
    int32_t GetSearchState() const { return m_searchState; }
    CWidget* GetLastSelected() const { return m_lastSelected; }
    CTimer& GetClickTimer() { return m_clickTimer; }

    // The panel colour moved by 80/256 of the way towards white or black, alpha kept.
    static uint32_t Lightened(uint32_t colour);
    static uint32_t Darkened(uint32_t colour);
    // " %d,  (0x0%X)" of an id.
    static tCString FormatId(uint32_t id);
    // The main window's backdrop; null without one.
    static CWidget* MainRoot();

private:
    // Pops the modal stack of the main window's backdrop and deletes the panel.
    tResult Close();
    // A widget that is no longer in the main window's tree is dropped (null).
    CWidget* StillInTree(CWidget* widget) const;
    tResult RunSearch(const tCString& shown, bool byId, int32_t id, const tCString& name);
    bool Matches(CWidget* widget, bool byId, int32_t id, const tCString& name) const;
    tResult FindNext(CWidget* widget, bool byId, int32_t id, const tCString& name, int32_t depth);
    tResult SetFieldText(uint32_t id, const tCString& text);
    tResult AddLabel(CWidget* parent, const tCString& text, int32_t x, int32_t y, CTxWidget** out);
    tResult UpdateGrip(uint32_t length, uint32_t update);

    CWidget* m_inspected = nullptr;
    int32_t m_searchState = 0;
    CWidget* m_lastSelected = nullptr;
    CTimer m_clickTimer;
};

// Makes the backdrop's inspector hook build this panel.
void InstallWidgetInspector();
