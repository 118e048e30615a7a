#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/FourCC.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/core/tCResourceObject.h"
#include "toolkit/core/tCString.h"
#include "toolkit/widgets/CWidgetLayout.h"
#include "toolkit/widgets/WidgetEvents.h"

class CImage;
class CImage8;
class CRegion;
class CResourceDirectory;
class tCStream;
class IWidgetEffect;
class IWidgetRoot;

// The type tag of a plain widget, 'wdgt'. Plain widgets are transparent containers: they paint
// nothing of their own unless they are opaque or carry effects.
constexpr uint32_t kWidgetTypePlain = MakeFourCC("wdgt");

// A node of the interface tree: a rect in its parent's coordinates that owns its children (index
// 0 is the front: asked first for mouse events, drawn last), takes events by its mask, draws
// itself with up to twelve effects in three layers, and recomputes its rect from its layout
// whenever its parent's size changes.
//
// A widget deleted while events, broadcasts or drawing walk the tree leaves its parent at once
// but is deleted only when the outermost walk returns, so that no walk touches a freed widget.
// The resource id and name (tCResourceObject) identify a widget in the searches by id and name.
class CWidget : public tCResourceObject {
public:
    static constexpr int32_t kUserSlots = 8;
    // A data block's hierarchy loads widgets within widgets this deep at most, and one load
    // (the outermost widget with everything below it) makes at most this many.
    static constexpr int32_t kMaxLoadDepth = 64;
    static constexpr int32_t kMaxLoadWidgets = 20000;
    static constexpr int32_t kEffectSlots = 4;
    enum : int32_t { kBackLayer = 0, kMiddleLayer = 1, kFrontLayer = 2, kLayerCount = 3 };

    // The load-time collection of a data block's chunk parsers, consumed once the chunks are
    // read: the children a 'hier' chunk names, in its order. Classes with load-time fields of
    // their own extend it.
    class CWidgetDataHolder : public tCBaseObject {
    public:
        tCArray<uint32_t> childTypes;
        tCStringArray childNames;
    };

    CWidget();
    ~CWidget() override;
    CWidget(const CWidget&) = delete;
    CWidget& operator=(const CWidget&) = delete;

    virtual uint32_t GetWidgetType() const { return kWidgetTypePlain; }
    bool IsPlain() const { return GetWidgetType() == kWidgetTypePlain; }
    // The root of a window's tree answers its services here; other widgets answer null.
    virtual IWidgetRoot* AsWidgetRoot() { return nullptr; }

    // Event handlers, used where no callback is set; all answer 0 here.
    virtual tResult OnKeyDown(CWidget** takenBy, uint32_t key);
    virtual tResult OnKeyUp(CWidget** takenBy, uint32_t key);
    virtual tResult OnTimer(CWidget** takenBy, uint32_t value);
    virtual tResult OnHeartbeat();
    virtual tResult OnMouseMove(CWidget** takenBy, tCPoint* point);
    virtual tResult OnLButtonDown(CWidget** takenBy, tCPoint* point);
    virtual tResult OnLButtonUp(CWidget** takenBy, tCPoint* point);
    virtual tResult OnMButtonDown(CWidget** takenBy, tCPoint* point);
    virtual tResult OnMButtonUp(CWidget** takenBy, tCPoint* point);
    virtual tResult OnMouseWheel(CWidget** takenBy, tCPoint wheel, tCPoint* point);
    virtual tResult OnRButtonDown(CWidget** takenBy, tCPoint* point);
    virtual tResult OnRButtonUp(CWidget** takenBy, tCPoint* point);

    // The widget answers first (message callback or OnNotify), then each child in order; the
    // first non-zero answer ends the broadcast and is its reply.
    virtual tResult BroadcastMessage(uint32_t message, tMsgArg a, tMsgArg b);

    // Each stores a callback pair and enables its event bit; the render callback enables none.
    void SetKeyDownProc(tKeyProc proc, tMsgArg context);
    void SetKeyUpProc(tKeyProc proc, tMsgArg context);
    void SetTimerProc(tTimerProc proc, tMsgArg context);
    void SetHeartbeatProc(tHeartbeatProc proc, tMsgArg context);
    void SetMouseMoveProc(tPointProc proc, tMsgArg context);
    void SetLButtonDownProc(tPointProc proc, tMsgArg context);
    void SetLButtonUpProc(tPointProc proc, tMsgArg context);
    void SetMButtonDownProc(tPointProc proc, tMsgArg context);
    void SetMButtonUpProc(tPointProc proc, tMsgArg context);
    void SetRButtonDownProc(tPointProc proc, tMsgArg context);
    void SetRButtonUpProc(tPointProc proc, tMsgArg context);
    void SetMessageProc(tMessageProc proc, tMsgArg context);
    void SetRenderProc(tRenderProc proc, tMsgArg context);
    void SetMouseWheelProc(tWheelProc proc, tMsgArg context);
    // The callback of pair `index` (kProcKeyDown ..), null when unset or out of range.
    tAnyProc GetEventProc(int32_t index) const;
    // Clears every callback pair registered with `context` (the event bits stay), so that an
    // object going away leaves no callback behind.
    void ClearProcsOf(tMsgArg context);

    // Set a callback over the subtree: only where the widget has the event's bit, skipping the
    // widget itself when asked; branches whose top lacks the bit are not entered.
    void SetKeyDownProcInTree(tKeyProc proc, tMsgArg context, uint32_t skipSelf);
    void SetKeyUpProcInTree(tKeyProc proc, tMsgArg context, uint32_t skipSelf);
    void SetTimerProcInTree(tTimerProc proc, tMsgArg context, uint32_t skipSelf);
    void SetHeartbeatProcInTree(tHeartbeatProc proc, tMsgArg context, uint32_t skipSelf);
    void SetMouseMoveProcInTree(tPointProc proc, tMsgArg context, uint32_t skipSelf);
    void SetLButtonDownProcInTree(tPointProc proc, tMsgArg context, uint32_t skipSelf);
    void SetLButtonUpProcInTree(tPointProc proc, tMsgArg context, uint32_t skipSelf);
    void SetMButtonDownProcInTree(tPointProc proc, tMsgArg context, uint32_t skipSelf);
    void SetMButtonUpProcInTree(tPointProc proc, tMsgArg context, uint32_t skipSelf);
    void SetRButtonDownProcInTree(tPointProc proc, tMsgArg context, uint32_t skipSelf);
    void SetRButtonUpProcInTree(tPointProc proc, tMsgArg context, uint32_t skipSelf);
    void SetMessageProcInTree(tMessageProc proc, tMsgArg context, uint32_t skipSelf);
    void SetMouseWheelProcInTree(tWheelProc proc, tMsgArg context, uint32_t skipSelf);

    // With `propagate` the bits are set on every ancestor too.
    void EnableEvents(uint32_t bits, uint32_t propagate);
    void DisableEvents(uint32_t bits);
    uint32_t GetEventMask() const { return m_eventMask; }

    // Dispatch through the subtree by each event kind's rule. Points are in the parent's
    // coordinates. `takenBy` must point at null; a widget that consumes the event stores itself
    // there and the dispatch ends. A non-zero result is an error and stops everything.
    virtual tResult DispatchKeyDown(CWidget** takenBy, uint32_t key);
    virtual tResult DispatchKeyUp(CWidget** takenBy, uint32_t key);
    virtual tResult DispatchTimer(CWidget** takenBy, uint32_t value);
    virtual tResult DispatchHeartbeat();
    virtual tResult DispatchMouseMove(CWidget** takenBy, tCPoint* point);
    virtual tResult DispatchLButtonDown(CWidget** takenBy, tCPoint* point);
    virtual tResult DispatchLButtonUp(CWidget** takenBy, tCPoint* point);
    virtual tResult DispatchMButtonDown(CWidget** takenBy, tCPoint* point);
    virtual tResult DispatchMButtonUp(CWidget** takenBy, tCPoint* point);
    virtual tResult DispatchMouseWheel(CWidget** takenBy, tCPoint wheel, tCPoint* point);
    virtual tResult DispatchRButtonDown(CWidget** takenBy, tCPoint* point);
    virtual tResult DispatchRButtonUp(CWidget** takenBy, tCPoint* point);

    // Whether a local point counts as inside the widget's painted area: here, only when the
    // opaque threshold is above 0, so a plain widget lets clicks through to what lies behind.
    virtual uint32_t HitTest(const tCPoint* point);
    // The deepest visible, active widget under a point (parent coordinates) that passes its hit
    // test; *out must be null on entry and stays null when there is none.
    virtual void FindWidgetAt(CWidget** out, const tCPoint* point);
    CWidget* FindWidgetAtLocalPoint(const tCPoint* point);

    // Focus: the focus-child pointers from the root lead to the focused widget, which names
    // itself. A hidden or inactive widget neither takes nor passes on the focus.
    void SetFocus(uint32_t notify);
    void TakeFocus(uint32_t notify) { SetFocus(notify); }
    // Makes `child` this widget's focus child and passes the request up; the root answers the
    // previously focused widget.
    virtual CWidget* SetFocusChild(CWidget* child, CWidget* focused, uint32_t notify);
    CWidget* GetFocusChild() const { return m_focusChild; }
    uint32_t HasFocus() const;

    // Properties.
    tResult SetPropOpacity(uint32_t flag, uint32_t update);
    uint32_t GetPropOpacity() const { return m_propOpacity; }
    tResult SetVisible(uint32_t flag, uint32_t update);
    void SetActive(uint32_t flag) { m_active = flag != 0; }
    // Values above 255 are taken as 255.
    tResult SetOpacity(uint32_t value, uint32_t update);
    void SetStayInParent(uint32_t flag) { m_stayInParent = flag != 0; }
    void SetOpaqueThreshold(uint32_t value) { m_opaqueThreshold = value; }
    void SetOpaqueBlit(uint32_t flag) { m_opaqueBlit = flag != 0; }
    void SetDirectBlit(uint32_t flag) { m_directBlit = flag != 0; }
    void SetCanGetFocus(uint32_t flag) { m_canGetFocus = flag != 0; }
    uint32_t IsVisible() const { return m_visible; }
    uint32_t IsActive() const { return m_active; }
    uint32_t GetOpacity() const { return m_opacity; }
    uint32_t GetOpaqueThreshold() const { return m_opaqueThreshold; }
    uint32_t GetOpaqueBlit() const { return m_opaqueBlit; }
    uint32_t GetDirectBlit() const { return m_directBlit; }
    uint32_t CanGetFocus() const { return m_canGetFocus; }
    uint32_t GetStayInParent() const { return m_stayInParent; }
    // Written by a root's modal stack: 1 lets heartbeats reach the whole tree while this widget
    // is the top modal one.
    void SetSharedHeartbeat(uint32_t flag) { m_sharedHeartbeat = flag; }
    uint32_t GetSharedHeartbeat() const { return m_sharedHeartbeat; }

    // Eight free values and eight owned objects; indices outside 0..7 are refused (0).
    uint32_t SetUserData(int32_t index, uint32_t value);
    uint32_t GetUserData(int32_t index) const;
    // Does not delete an object already stored at the index.
    uint32_t SetUserObject(int32_t index, tCBaseObject* object);
    tCBaseObject* GetUserObject(int32_t index) const;
    void DeleteUserObjects();

    // Geometry.
    const tCRect& GetRect() const { return m_rect; }
    // The rect united with the rects of the installed effects, in parent coordinates.
    const tCRect& GetExtent() const { return m_extent; }
    int32_t GetWidth() const { return m_rect.Width(); }
    int32_t GetHeight() const { return m_rect.Height(); }
    CWidgetLayout* GetLayout() { return &m_layout; }
    tResult SetSizePt(tCPoint size, uint32_t update) { return SetSize(size.x, size.y, update); }
    virtual tResult SetSize(int32_t width, int32_t height, uint32_t update);
    tResult SetWidth(int32_t width, uint32_t update);
    tResult SetHeight(int32_t height, uint32_t update);
    tResult SetPositionPt(const tCPoint* point, uint32_t update) { return SetPosition(point->x, point->y, update); }
    tResult SetPosition(int32_t x, int32_t y, uint32_t update);
    tResult SetXPosition(int32_t x, uint32_t update);
    tResult SetYPosition(int32_t y, uint32_t update);
    tResult MoveByPt(const tCPoint* delta, uint32_t update) { return MoveBy(delta->x, delta->y, update); }
    tResult MoveBy(int32_t dx, int32_t dy, uint32_t update);
    // Recomputes the rect from the layout and the parent's size, and follows the change through
    // children, effects, the screen and the hooks.
    tResult LayoutFromParent(uint32_t update);
    // Hooks of LayoutFromParent: the size changed; the layout is done. 0 here.
    virtual tResult OnSizeChanged();
    virtual tResult OnLayoutDone();

    // The tree. Child indices outside the array answer null or 12.
    tResult AddChild(CWidget* child, uint32_t update);
    int32_t GetChildCount() const { return m_children.GetCount(); }
    CWidget* GetChild(int32_t index) const { return m_children.GetAt(index); }
    int32_t IndexOfChild(const CWidget* child) const;
    tResult DeleteChildAt(int32_t index, uint32_t update);
    tResult DeleteChild(CWidget* child, uint32_t update);
    tResult DeleteChildByName(const tCString& name, uint32_t update);
    tResult DeleteChildById(uint32_t id, uint32_t update);
    tResult DeleteAllChildren(uint32_t update);
    // Takes the child out without deleting it; it keeps no parent.
    tResult RemoveChildAt(int32_t index, uint32_t update);
    tResult RemoveChild(CWidget* child, uint32_t update);
    // Deletes every child without invalidating anything.
    void DestroyChildren();
    tResult BringToFront(uint32_t update);
    tResult SendToBack(uint32_t update);
    tResult MoveChildToFront(int32_t index, uint32_t update);
    tResult MoveChildToBack(int32_t index, uint32_t update);
    CWidget* FindWidgetByName(const tCString& name);
    CWidget* FindWidgetById(uint32_t id);
    int32_t CountWidgets() const;
    CWidget* GetParent() const { return m_parent; }
    // A plain store: widgets drawn outside the tree (a root's cursor) name a parent that does not
    // hold them.
    void SetParent(CWidget* parent) { m_parent = parent; }
    CWidget* GetRoot();
    uint32_t IsDescendantOf(const CWidget* widget) const;
    uint32_t HasAncestorWithId(uint32_t id) const;
    uint32_t HasAncestorNamed(const tCString& name) const;
    CWidget* FindAncestorById(uint32_t id) const;
    CWidget* FindAncestorByName(const tCString& name) const;

    // Coordinate conversions in place. Root coordinates are the root widget's local ones; the
    // root converts between screen and its own coordinates.
    void LocalToParentPoint(tCPoint* point) const;
    void LocalToParentRect(tCRect* rect) const;
    void ParentToLocalPoint(tCPoint* point) const;
    void ParentToLocalRect(tCRect* rect) const;
    void RootToLocalPoint(tCPoint* point) const;
    void RootToLocalRect(tCRect* rect) const;
    void LocalToRootPoint(tCPoint* point) const;
    void LocalToRootRect(tCRect* rect) const;
    virtual void ScreenToLocalPoint(tCPoint* point);
    virtual void ScreenToLocalRect(tCRect* rect);
    virtual void LocalToScreenPoint(tCPoint* point);
    virtual void LocalToScreenRect(tCRect* rect);

    // Invalidation: areas pass up the parent chain to the root, which keeps them dirty until it
    // presents. `update` presents at once.
    virtual tResult InvalidateRect(const tCRect* rect, uint32_t update);
    tResult InvalidateRectInParent(const tCRect* rect, uint32_t update);
    tResult InvalidateRectInBounds(const tCRect* rect, uint32_t update);
    tResult InvalidateWithEffects(uint32_t update);
    tResult Invalidate(uint32_t update);
    tResult InvalidateThroughChildren(const tCRect* rect, uint32_t update);
    tResult InvalidateExtentPlain(uint32_t update);
    virtual tResult PresentDirtyRects();

    // Drawing into a target whose origin the walk moves to each widget's top-left. Clips are in
    // the parent's coordinates for the subtree walks and local for the widget's own drawing;
    // opacities are 0..255.
    tResult PreRender(const tCRect* clip, CImage* target, uint32_t opacity);
    tResult DrawSubtree(const tCRect* clip, CImage* target, uint32_t opacity);
    // Draws from the frontmost opaque widget under the clip and reports in `covered` (empty on
    // entry) the part it drew, in parent coordinates; nothing when no opaque widget covers it.
    tResult DrawFromOpaque(const tCRect* clip, CImage* target, uint32_t opacity, tCRect* covered);
    tResult DrawChildrenFrom(const tCRect* clip, CImage* target, uint32_t opacity, int32_t index);
    tResult DrawSelf(const tCRect* clip, CImage* target, uint32_t opacity);
    virtual tResult Draw(const tCRect* clip, CImage* target, uint32_t opacity);
    virtual tResult PreDraw(const tCRect* clip, CImage* target, uint32_t opacity);
    // Drawn over the widget once its children and front effects are drawn, in local
    // coordinates (a field's caret); 0 here.
    virtual tResult DrawOverSubtree(const tCRect* clip, CImage* target, uint32_t opacity);
    virtual tResult RenderAlphaMask(CImage8* mask);

    // Effects, owned by the widget. Installing at an index deletes the effect already there; an
    // effect refused (an index outside 0..3, or a refresh or invalidation that fails) is taken out
    // of its slot again and stays the caller's.
    tResult SetBackEffect(IWidgetEffect* effect, int32_t index, uint32_t update);
    tResult SetMiddleEffect(IWidgetEffect* effect, int32_t index, uint32_t update);
    tResult SetFrontEffect(IWidgetEffect* effect, int32_t index, uint32_t update);
    void RemoveBackEffect(int32_t index);
    void RemoveMiddleEffect(int32_t index);
    void RemoveFrontEffect(int32_t index);
    void RemoveAllEffects();
    IWidgetEffect* GetBackEffect(int32_t index) const { return GetEffect(kBackLayer, index); }
    IWidgetEffect* GetMiddleEffect(int32_t index) const { return GetEffect(kMiddleLayer, index); }
    IWidgetEffect* GetFrontEffect(int32_t index) const { return GetEffect(kFrontLayer, index); }
    virtual tResult RefreshEffect(IWidgetEffect* effect, uint32_t update);
    tResult RefreshAllEffects();
    void UpdateExtent();
    // Tells the effects of this widget and its visible subtree that `widget` changed over
    // `rect` (this widget's parent coordinates).
    tResult NotifyEffects(CWidget* widget, const tCRect* rect);
    // The first installed effect of that type here or in an ancestor.
    IWidgetEffect* FindEffect(uint32_t effectType) const;
    tResult DrawBackEffects(const tCRect* clip, CImage* target, uint32_t opacity);
    tResult DrawMiddleEffects(const tCRect* clip, CImage* target, uint32_t opacity);
    tResult DrawFrontEffects(const tCRect* clip, CImage* target, uint32_t opacity);
    tResult DrawEffectLayer(int32_t layer, const tCRect* clip, CImage* target, uint32_t opacity);
    tResult PreRenderEffectLayer(int32_t layer, const tCRect* clip, CImage* target, uint32_t opacity);

    // Loading from the resource file: the resource of this widget's own type tag with that id or
    // name (a null stream, or the application's resource file, means that file and its
    // directory), then its data block. Failures are shown in the error box where they happen.
    tResult LoadFromResourceId(uint32_t id, tCStream* file, CResourceDirectory* directory);
    tResult LoadFromResourceName(const tCString& name, tCStream* file, CResourceDirectory* directory);
    // Reads the data block at the stream's position, parses its chunks and builds the children.
    virtual tResult ReadDataBlock(tCStream* stream);
    // One chunk of the base table; anything else is "Unrecognised chunk in widget." (6).
    tResult ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder);
    // Creates the holder's children from the same resource file and adds them, the last entry in
    // front.
    virtual tResult BuildHierarchy(CWidgetDataHolder* holder, tCStream* stream);

    // Pixel moves: shift what is already on screen instead of redrawing it. Regions and rects
    // are in parent coordinates.
    tResult ScrollRect(const tCRect* oldRect, const tCRect* newRect);
    tResult ScrollRegion(const CRegion* region, const tCPoint* offset);
    tResult QueueRegionMove(const CRegion* region, const tCPoint* offset);
    // Adds to `region` what the widgets in front of this one and of each ancestor cover, in
    // this widget's parent coordinates moved by `offset`.
    tResult GetOccludingRegion(CRegion* region, const tCPoint* offset);

protected:
    // For subclasses: their own type tag is the resource type they load from.
    explicit CWidget(uint32_t type);

    // The texts a class's data-block loader reports its failures with.
    struct tDataBlockTexts {
        const char* sizeUnread;
        const char* memoryFailed;
        const char* blockUnread;
        const char* rewindFailed;
        const char* tagUnread;
        const char* chunkFailed;
        const char* hierarchyFailed;
    };
    static const tDataBlockTexts kWidgetBlockTexts;
    // One chunk of a class: its payload is read from `block`, and `holder` is the class's own.
    using tChunkParser = tResult (*)(CWidget* widget, uint32_t tag, tCStream* block, CWidgetDataHolder* holder);
    // The steps every class's ReadDataBlock shares: the block into memory, each chunk to
    // `parse`, then BuildHierarchy. A block past the end of the resource, a hierarchy nested too
    // deep or one load making too many widgets is refused.
    tResult ReadBlockWith(tCStream* stream, CWidgetDataHolder* holder, const tDataBlockTexts& texts,
                          tChunkParser parse);

    // Stores the focus child and keeps the back link through which a deleted widget clears the
    // focus pointer naming it.
    void StoreFocusChild(CWidget* child);

private:
    enum class PointerEvent { kMove, kLDown, kLUp, kMDown, kMUp, kRDown, kRUp, kWheel };

    // Marks a walk over the tree (dispatch, broadcast, drawing) in progress; the widgets disposed
    // meanwhile are deleted when the outermost walk ends.
    class CWalkScope {
    public:
        CWalkScope() { ++s_walkDepth; }
        ~CWalkScope();
        CWalkScope(const CWalkScope&) = delete;
        CWalkScope& operator=(const CWalkScope&) = delete;
    };
    static int32_t s_walkDepth;
    static CWidget* s_disposed;

    bool Accepts(uint32_t bit) const { return m_visible && m_active && (m_eventMask & bit) != 0; }
    bool HasEffects() const;
    IWidgetEffect* GetEffect(int32_t layer, int32_t index) const;
    tResult SetEffect(int32_t layer, IWidgetEffect* effect, int32_t index, uint32_t update);
    void RemoveEffect(int32_t layer, int32_t index);
    tRenderProc GetRenderProc() const;
    template <typename Proc>
    Proc ProcAt(int32_t index) const
    {
        return reinterpret_cast<Proc>(m_procs[index].proc);
    }

    void SetProc(int32_t index, tAnyProc proc, tMsgArg context, uint32_t bit);
    template <typename Proc>
    void SetProcInTree(void (CWidget::*setter)(Proc, tMsgArg), uint32_t bit, Proc proc, tMsgArg context,
                       uint32_t skipSelf);

    tResult DispatchKey(bool down, CWidget** takenBy, uint32_t key);
    tResult DispatchPointer(PointerEvent kind, CWidget** takenBy, tCPoint wheel, tCPoint* point);
    tResult DispatchPointerToChild(CWidget* child, PointerEvent kind, CWidget** takenBy, tCPoint wheel,
                                   tCPoint point);
    tResult CallPointerHandler(PointerEvent kind, CWidget** takenBy, tCPoint wheel, tCPoint* point);

    // Where a walk over the children continues after visiting `child`, which sat at `index`:
    // forwards the next index, backwards the previous, whatever the visit did to the array.
    int32_t NextIndexForward(const CWidget* child, int32_t index) const;
    int32_t NextIndexBackward(const CWidget* child, int32_t index) const;

    tResult WalkSubtree(bool preRender, const tCRect* clip, CImage* target, uint32_t opacity);
    tResult InvalidateChildArea(CWidget* child);
    tResult InvalidateOwnArea();
    CWidget* DetachChildAt(int32_t index);
    void UnlinkFromOwner();
    void ClearFocusLinks();
    // Deletes now, or when the outermost walk returns.
    static void Dispose(CWidget* widget);
    bool IsChainedTo(const CWidget* widget) const;

    tResult LayoutTo(const tCRect& rect, uint32_t update);
    // Lays out after a size setter and invalidates the new extent.
    tResult ResizeFromLayout(uint32_t update);
    tCRect ComputeLayoutRect() const;

    uint32_t m_userData[kUserSlots] = {};
    tCBaseObject* m_userObjects[kUserSlots] = {};
    struct ProcPair {
        tAnyProc proc = nullptr;
        tMsgArg context = 0;
    };
    ProcPair m_procs[kProcCount];
    uint32_t m_eventMask = eMessageEvent;
    tCRect m_rect;
    tCRect m_extent;
    tCArray<CWidget*> m_children;
    CWidget* m_parent = nullptr;
    // The widget whose child array holds this one; may differ from the parent pointer.
    CWidget* m_owner = nullptr;
    uint32_t m_stayInParent = 0;
    uint32_t m_canGetFocus = 1;
    uint32_t m_visible = 0;
    uint32_t m_active = 1;
    CWidget* m_focusChild = nullptr;
    // The widget other than this one whose focus child this is.
    CWidget* m_focusReferrer = nullptr;
    uint32_t m_sharedHeartbeat = 0;
    uint32_t m_opacity = 255;
    uint32_t m_opaqueThreshold = 0;
    uint32_t m_propOpacity = 1;
    uint32_t m_opaqueBlit = 0;
    uint32_t m_directBlit = 0;
    IWidgetEffect* m_effects[kLayerCount][kEffectSlots] = {};
    CWidgetLayout m_layout;
    // Set on a widget waiting for the outermost walk to end; the walks it is part of stop.
    bool m_disposed = false;
    CWidget* m_nextDisposed = nullptr;
};
