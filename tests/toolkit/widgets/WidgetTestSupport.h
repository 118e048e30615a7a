#pragma once

#include <string>
#include <utility>
#include <vector>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CRegion.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/IWidgetEffect.h"
#include "toolkit/widgets/IWidgetRoot.h"

// A widget of its own type (not plain): it paints, so it is invalidated by its rect and extent.
class TestWidget : public CWidget {
public:
    static constexpr uint32_t kType = 0x74657374;  // 'test'

    explicit TestWidget(const char16_t* name = u"", bool* destroyed = nullptr) : m_destroyed(destroyed)
    {
        SetName(name);
    }
    ~TestWidget() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }
    uint32_t GetWidgetType() const override { return kType; }
    tResult OnLayoutDone() override { return layoutResult; }

    tResult layoutResult = kResOk;

private:
    bool* m_destroyed;
};

// A root that records what widgets ask of it, as the backdrop will answer it.
class TestRoot : public CWidget, public IWidgetRoot {
public:
    static constexpr uint32_t kType = 0x726F6F74;  // 'root'

    TestRoot(int32_t width, int32_t height)
    {
        (void)SetSize(width, height, 0);
        (void)SetVisible(1, 0);
        ClearRecords();
    }
    uint32_t GetWidgetType() const override { return kType; }
    IWidgetRoot* AsWidgetRoot() override { return this; }

    tResult InvalidateRect(const tCRect* rect, uint32_t update) override
    {
        const tCRect clipped = rect->Intersect(GetRect());
        if (!clipped.IsEmpty()) {
            invalidated.push_back(clipped);
            TK_TRY(dirty.AddRect(clipped));
        }
        return update ? PresentDirtyRects() : kResOk;
    }
    tResult PresentDirtyRects() override
    {
        ++presents;
        return kResOk;
    }
    tResult QueueScrollRect(const tCRect& rect, tCPoint offset) override
    {
        scrolls.emplace_back(rect, offset);
        return kResOk;
    }
    uint32_t GetPresentFrozen() const override { return frozen; }
    uint32_t SetPresentFrozen(uint32_t value) override { return frozen = value; }
    void OnWidgetDetached(CWidget* widget) override { detached.push_back(widget); }

    void ClearRecords()
    {
        dirty.Clear();
        invalidated.clear();
        presents = 0;
        scrolls.clear();
        detached.clear();
    }

    CRegion dirty;
    std::vector<tCRect> invalidated;
    int presents = 0;
    std::vector<std::pair<tCRect, tCPoint>> scrolls;
    std::vector<CWidget*> detached;
    uint32_t frozen = 0;
};

// An effect that fills the parts of its rect it is asked to draw with one colour.
class TestEffect : public IWidgetEffect {
public:
    TestEffect(const tCRect& rect, CPixel colour, bool* destroyed = nullptr)
        : m_rect(rect), m_colour(colour), m_destroyed(destroyed)
    {
    }
    ~TestEffect() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }

    uint32_t GetEffectType() const override { return type; }
    tResult Draw(const tCRect* rect, CImage* target, uint32_t o) override
    {
        drawn.push_back(*rect);
        drawOpacities.push_back(o);
        CImNav nav(target, *rect);
        if (!nav.IsLocked())
            return kResNoMemory;
        nav.Fill(m_colour);
        return drawResult;
    }
    tResult PreDraw(const tCRect* clip, CImage*, uint32_t) override
    {
        preDrawn.push_back(*clip);
        return kResOk;
    }
    tResult Update() override
    {
        ++updates;
        return kResOk;
    }
    tResult UpdateFromImage(CImage*) override { return Update(); }
    tResult OnWidgetChange(CWidget* widget, const tCRect* rect) override
    {
        changes.emplace_back(widget, *rect);
        return kResOk;
    }
    void SetLayer(int32_t value) override { layer = value; }
    void SetOwner(CWidget* value) override { owner = value; }
    tCRect GetRect() const override { return m_rect; }
    uint32_t GetOpacity() const override { return opacity; }
    const CRegion& GetExcludedRegion() const override { return excluded; }

    uint32_t type = 0x74657378;  // 'tesx'
    uint32_t opacity = 255;
    int32_t layer = -1;
    CWidget* owner = nullptr;
    int updates = 0;
    tResult drawResult = kResOk;
    CRegion excluded;
    std::vector<tCRect> drawn;
    std::vector<uint32_t> drawOpacities;
    std::vector<tCRect> preDrawn;
    std::vector<std::pair<CWidget*, tCRect>> changes;

private:
    tCRect m_rect;
    CPixel m_colour;
    bool* m_destroyed;
};

// Places a widget by plain pixel values and adds it to the parent.
inline tResult Place(CWidget* parent, CWidget* child, const tCRect& rect, bool visible = true)
{
    CWidgetLayout* layout = child->GetLayout();
    layout->x = float(rect.left);
    layout->y = float(rect.top);
    layout->width = float(rect.Width());
    layout->height = float(rect.Height());
    if (visible)
        TK_TRY(child->SetVisible(1, 0));
    return parent->AddChild(child, 0);
}

// Names of the widgets whose callbacks ran, in order.
struct CallLog {
    std::vector<std::string> calls;
    tResult answer = kResOk;
};

inline std::string NameOf(const CWidget* widget)
{
    return widget->GetName().ToAnsi();
}

inline CallLog* LogOf(tMsgArg context)
{
    return FromMsgArg<CallLog>(context);
}

inline tResult LogPoint(tMsgArg context, CWidget* widget, CWidget**, tCPoint*)
{
    LogOf(context)->calls.push_back(NameOf(widget));
    return LogOf(context)->answer;
}

inline tResult LogHeartbeat(tMsgArg context, CWidget* widget)
{
    LogOf(context)->calls.push_back(NameOf(widget));
    return kResOk;
}

inline tResult LogKey(tMsgArg context, CWidget* widget, CWidget**, uint32_t)
{
    LogOf(context)->calls.push_back(NameOf(widget));
    return kResOk;
}
