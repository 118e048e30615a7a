#pragma once

#include <cstdint>

#include "toolkit/core/FourCC.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCFPoint.h"
#include "toolkit/core/tCPoint.h"

class CBackdrop;
class CTransitionWidget;
class CWidget;

// The notice to the controller that a pane or popup tree is closing (a = the sender).
constexpr uint32_t kMsgPaneClosing = 0xFF001035;

// A panel of the interface: the link to one root widget built from the resource file and placed
// in the main backdrop. The root slides between two docked sides (toggled by a press on an
// optional handle), shows and hides at once or through a transition, and while shown may be
// modal. Each panel fills in the hooks. The root belongs to the widget tree it was added to,
// but for a root that a failed Create took out again, which the pane keeps until it goes.
class CKS2Pane : public tCCmdTarget {
public:
    // Hook answers: 2 stops a show, hide or side change silently; 3 from OnDismissed means the
    // pane reported its result itself.
    static constexpr tResult kHookHandled = 2;
    static constexpr tResult kDismissHandled = 3;
    static constexpr uint32_t kRootImage = MakeFourCC("imwg");
    static constexpr uint32_t kRootPlain = MakeFourCC("wdgt");
    enum : uint32_t { kShowDissolve = 0, kShowRotate = 1 };
    // Slide animators: one layout unit per 1.5 ms.
    static constexpr float kSlideStepTime = 1.5f;
    static constexpr float kSlideStepSize = 1.0f;
    static constexpr float kInset = 3.0f;
    static constexpr int32_t kHandleSlack = 4;
    static constexpr int32_t kTransitionMargin = 30;

    CKS2Pane() = default;
    ~CKS2Pane() override;
    CKS2Pane(const CKS2Pane&) = delete;
    CKS2Pane& operator=(const CKS2Pane&) = delete;

    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

    // Builds the root from rootId into `parent` (null: the main backdrop), its handle and
    // animators, then calls Build. On any failure after the root was added, the root is taken out
    // of its parent again and GetRoot answers null; the widgets stay until the pane goes, so that
    // the controls a failed Build attached can still let go of them.
    tResult Create(tCCmdTarget* owner, CWidget* parent);

    virtual tResult Build() { return kResOk; }
    virtual tResult HandleMessage(uint32_t, tMsgArg, tMsgArg, tMsgArg, uint32_t) { return kResOk; }
    virtual tResult MoveToSideInset();
    virtual tResult MoveToSide();
    virtual tResult OnSetSide(uint32_t, uint32_t) { return kResOk; }
    virtual tResult OnSideChanging(uint32_t) { return kResOk; }
    virtual tResult OnSideReached() { return kResOk; }
    virtual uint32_t CanRestore() { return 1; }
    // The left or top edge nearest to `left` or `top` at which the pane's own drag lets the root
    // stand: here wholly inside its parent. Where the parent is too small for the root, the left
    // or top edge wins, so that the pane's title and first controls stay within reach.
    virtual int32_t ReachableLeft(int32_t left) const;
    virtual int32_t ReachableTop(int32_t top) const;
    virtual tResult Show(uint32_t transition, uint32_t redraw, tMsgArg param1, tMsgArg param2, tCCmdTarget* owner);
    virtual tResult Hide(uint32_t transition, uint32_t redraw, tMsgArg result, tMsgArg flag);
    virtual tResult OnShow(uint32_t, uint32_t, tMsgArg, tMsgArg) { return kResOk; }
    virtual tResult OnHide(uint32_t, uint32_t, tMsgArg, tMsgArg) { return kResOk; }
    virtual tResult OnDismissed(tMsgArg, tMsgArg) { return kResOk; }
    virtual tResult OnHidden() { return kResOk; }
    virtual tResult OnShown() { return kResOk; }

    tResult SetSide(uint32_t side, uint32_t animate);
    uint32_t IsShown() const;

    static tResult IdleHeartbeatProc(tMsgArg context, CWidget* widget);
    static tResult SlideHeartbeatProc(tMsgArg context, CWidget* widget);
    static tResult HandlePressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult TransitionHeartbeatProc(tMsgArg context, CWidget* widget);
    static tResult TransitionKeyDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);

    CWidget* GetRoot() const { return m_root; }
    CWidget* GetHandle() const { return m_handle; }
    tCCmdTarget* GetOwner() const { return m_owner; }
    void SetOwner(tCCmdTarget* owner) { m_owner = owner; }
    // An owner going away while the pane may still answer it clears itself here.
    void ForgetOwner(const tCCmdTarget* owner)
    {
        if (m_owner == owner)
            m_owner = nullptr;
    }
    uint32_t GetSide() const { return m_side; }
    // The transition widget while a show or hide runs, else null.
    CTransitionWidget* GetTransition() const { return m_transition; }
    uint32_t IsModal() const { return m_isModal; }

protected:
    int32_t m_rootId = -1;
    int32_t m_handleId = -1;
    uint32_t m_rootKind = kRootPlain;
    CWidget* m_root = nullptr;
    CWidget* m_handle = nullptr;
    tCCmdTarget* m_owner = nullptr;
    uint32_t m_side = 0;
    tCFPoint m_side0Pos{-1.0f, -1.0f};
    tCFPoint m_side1Pos{-1.0f, -1.0f};
    uint32_t m_isModal = 0;
    float m_showSeconds = 0.4f;
    float m_hideSeconds = 0.25f;
    uint32_t m_showTransition = kShowDissolve;

private:
    tCFPoint SidePos() const;
    bool HasAnimator() const;
    // Takes the root out of its parent after a failed Create, keeping it until the pane goes.
    void DropRoot();
    // Shows the root at once, pushing it when modal.
    void RevealRoot(uint32_t redraw);
    // Removes and deletes a transition widget that was added to the backdrop.
    void DiscardTransition(CWidget* backdrop);
    tResult StartTransition(CWidget* backdrop, bool showing);
    // Ends the running transition as its last heartbeat would; the answer of OnShown/OnHidden.
    tResult EndTransition();
    tResult OnSlideTick();

    CTransitionWidget* m_transition = nullptr;
    CWidget* m_droppedRoot = nullptr;
};
