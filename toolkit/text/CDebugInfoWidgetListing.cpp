#include <string>
#include <vector>

#include "toolkit/core/CAppBase.h"
#include "toolkit/text/CDebugInfoWidget.h"
#include "toolkit/text/CTableWidget.h"

namespace {

const char16_t kRecursionRow[] = u"*** Possible recursion error: Depth greater than 100 ***";

enum : int32_t { kApproaching = 0, kTaking = 1, kFound = 2, kGivenUp = 3 };

tCString Joined(const tCString& a, std::u16string_view b)
{
    std::u16string whole(a.View());
    whole += b;
    return tCString(whole);
}

tCString RowLabel(const tCString& indent, CWidget* widget)
{
    std::u16string label(indent.View());
    label += u'"';
    label += widget->GetName().View();
    label += u"\"  - ID = ";
    label += CDebugInfoWidget::FormatId(widget->GetId()).View();
    return tCString(label);
}

tCString UpperCased(const tCString& text)
{
    std::u16string upper(text.View());
    for (char16_t& c : upper)
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - u'a' + u'A');
    return tCString(upper);
}

// Appends a row and answers its index through `row`.
tResult AppendRow(CTableWidget* table, int32_t* row)
{
    *row = table->GetRowCount();
    return table->AddRow(0);
}

}  // namespace

tResult CDebugInfoWidget::ListHierarchy(CTableWidget* table, CWidget* widget)
{
    widget = StillInTree(widget);
    if (!widget || !table)
        return kResOk;
    TK_TRY(table->DeleteAllRows(0));
    std::vector<CWidget*> ancestors;
    int32_t row = 0;
    for (CWidget* a = widget->GetParent(); a; a = a->GetParent()) {
        ancestors.push_back(a);
        if (ancestors.size() > size_t(kDepthLimit)) {
            TK_TRY(AppendRow(table, &row));
            TK_TRY(table->SetCellText(row, 0, tCString(kRecursionRow), 0));
            break;
        }
    }
    tCString indent;
    for (auto a = ancestors.rbegin(); a != ancestors.rend(); ++a) {
        TK_TRY(AppendRow(table, &row));
        TK_TRY(table->SetCellText(row, 0, RowLabel(indent, *a), 0));
        TK_TRY(table->SetRowData(row, reinterpret_cast<uintptr_t>(*a)));
        indent = Joined(indent, u"   ");
    }
    TK_TRY(AppendRow(table, &row));
    TK_TRY(table->SetCellText(row, 0, RowLabel(indent, widget), 0));
    TK_TRY(table->SetRowData(row, reinterpret_cast<uintptr_t>(widget)));
    TK_TRY(table->SelectRow(row, 0));
    indent = Joined(indent, u" : ");
    for (int32_t i = 0; i < widget->GetChildCount(); ++i) {
        CWidget* child = widget->GetChild(i);
        if (child != this)
            TK_TRY(ListSubtree(child, table, indent, 1));
    }
    return kResOk;
}

tResult CDebugInfoWidget::ListSubtree(CWidget* widget, CTableWidget* table, tCString indent, int32_t depth)
{
    int32_t row = 0;
    TK_TRY(AppendRow(table, &row));
    if (depth > kDepthLimit)
        return table->SetCellText(row, 0, tCString(kRecursionRow), 0);
    TK_TRY(table->SetCellText(row, 0, RowLabel(indent, widget), 0));
    TK_TRY(table->SetRowData(row, reinterpret_cast<uintptr_t>(widget)));
    const tCString deeper = Joined(indent, u" : ");
    for (int32_t i = 0; i < widget->GetChildCount(); ++i)
        TK_TRY(ListSubtree(widget->GetChild(i), table, deeper, depth + 1));
    return kResOk;
}

bool CDebugInfoWidget::Matches(CWidget* widget, bool byId, int32_t id, const tCString& name) const
{
    if (byId)
        return widget->GetId() == uint32_t(id);
    if (widget->GetName().IsEmpty())
        return false;
    return UpperCased(widget->GetName()).View().find(name.View()) != std::u16string_view::npos;
}

tResult CDebugInfoWidget::FindNext(CWidget* widget, bool byId, int32_t id, const tCString& name, int32_t depth)
{
    if (widget == this || m_searchState == kFound || m_searchState == kGivenUp)
        return kResOk;
    if (widget == m_inspected) {
        if (m_searchState == kApproaching)
            m_searchState = kTaking;
        else if (m_searchState == kTaking)
            m_searchState = Matches(widget, byId, id, name) ? kFound : kGivenUp;
    } else if (m_searchState == kTaking && Matches(widget, byId, id, name)) {
        m_inspected = widget;
        m_searchState = kFound;
    }
    if (m_searchState == kFound || m_searchState == kGivenUp)
        return kResOk;
    if (depth > kDepthLimit) {
        m_searchState = kGivenUp;
        return kResOk;
    }
    for (int32_t i = 0; i < widget->GetChildCount() && m_searchState != kFound && m_searchState != kGivenUp; ++i)
        (void)FindNext(widget->GetChild(i), byId, id, name, depth + 1);
    return kResOk;
}

tResult CDebugInfoWidget::FindNextById(CWidget* widget, int32_t id, int32_t depth)
{
    return FindNext(widget, true, id, tCString(), depth);
}

tResult CDebugInfoWidget::FindNextByName(CWidget* widget, const tCString* search, int32_t depth)
{
    return FindNext(widget, false, 0, *search, depth);
}

tResult CDebugInfoWidget::RunSearch(const tCString& shown, bool byId, int32_t id, const tCString& name)
{
    m_searchState = kApproaching;
    m_inspected = StillInTree(m_inspected);
    CWidget* root = MainRoot();
    if (!root)
        root = GetRoot();
    (void)FindNext(root, byId, id, name, 0);
    if (m_searchState == kApproaching)
        m_searchState = kTaking;
    if (m_searchState == kTaking)
        (void)FindNext(root, byId, id, name, 0);
    if (m_searchState == kFound) {
        auto* table = static_cast<CTableWidget*>(FindWidgetById(MakeFourCC("tabl")));
        if (table && table->GetWidgetType() == CTableWidget::kType)
            TK_TRY(ListHierarchy(table, m_inspected));
        TK_TRY(PresentDirtyRects());
        return ShowProperties(m_inspected);
    }
    if (CAppBase* app = GetApplication())
        app->ShowMessageBox(Joined(shown, u" : Cant find that widget in the hierarchy."), tCString(u"Message"));
    return kResOk;
}

tResult CDebugInfoWidget::FindById(tCString search)
{
    return RunSearch(search, true, search.ToInteger(), tCString());
}

tResult CDebugInfoWidget::FindByName(tCString search)
{
    if (!search.IsEmpty())
        search = UpperCased(search);
    return RunSearch(search, false, 0, search);
}
