#pragma once

#include <cstdint>
#include <vector>

#include "app/shell/panes/CKS2Pane.h"
#include "toolkit/core/CTimer.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCString.h"

class CWidget;

// The pane through which the user checks for a newer release. Shown without a list it starts
// the check (the controller's update manager) and says so; the manager's report shows whether
// the release is newer, its notes (a note may carry a link in braces) and a button to its web
// page; a failure says that the server could not be reached. Hiding it stops a check that is
// still fetching.
//
// Reports and failures that arrive while the pane is up are copied and laid out a second later
// from the pane's own heartbeat, never inside the manager's call.
class CKS2Update : public CKS2Pane {
public:
    // The wait between a report or a failure and its layout, so that the checking text is read.
    static constexpr uint32_t kReportDelay = 1000;
    static constexpr int32_t kWrapWidth = 380;

    CKS2Update();
    ~CKS2Update() override;

    tResult Build() override;
    // The manager's report (b points to the title and the notes) and failure, as the controller
    // passes them on.
    tResult HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    // param1 points to a report's texts (tCStringArray) or is 0 for a check.
    tResult OnShow(uint32_t reserved, uint32_t redraw, tMsgArg param1, tMsgArg param2) override;
    tResult OnHide(uint32_t transition, uint32_t redraw, tMsgArg result, tMsgArg flag) override;
    tResult OnShown() override;

    // Lays out the checking text (no list, not failed), the report (list) or the failure.
    tResult BuildText(const tCStringArray* list, uint32_t fromMessage, uint32_t failed);
    void ResetCloseButton();
    // Opens a web address with the desktop's browser: only http and https addresses, whole.
    static tResult OpenAddress(const tCString& address);

    const tCString& GetLinkAddress() const { return m_linkAddress; }
    const std::vector<CWidget*>& GetNoteWidgets() const { return m_notes; }
    uint32_t IsShownWithList() const { return m_shownWithList; }
    // True while a report or a failure waits for its layout.
    bool IsLayoutPending() const { return m_pending != kNothingPending; }

    static tResult CloseButtonHeartbeatProc(tMsgArg context, CWidget* widget);
    static tResult ButtonDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult NoteLinkDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);
    static tResult KeyDownProc(tMsgArg context, CWidget* widget, CWidget** takenBy, uint32_t key);
    static tResult RootHeartbeatProc(tMsgArg context, CWidget* widget);

private:
    enum : uint32_t { kNothingPending, kReportPending, kFailurePending };

    void DropNotes();
    // Runs heartbeats with `widget` modal until the primary button is up; true when it was
    // released over the widget.
    static bool TrackPress(CWidget* widget);
    tResult LayOutReport(const tCStringArray& list, CWidget* area, int32_t* wrap, int32_t* lowest);
    tResult LayOutNotes(const tCStringArray& list, CWidget* area, int32_t wrap, int32_t* lowest);
    tResult LayOutBody(uint32_t textId, int32_t width, int32_t* lowest);
    tResult FitPane(CWidget* area, int32_t wrap, int32_t lowest);
    void RunPendingLayout();

    uint32_t m_shownWithList = 0;
    tCString m_linkAddress;
    std::vector<CWidget*> m_notes;
    bool m_keyword = false;
    uint32_t m_pending = kNothingPending;
    tCStringArray m_pendingList;
    CTimer m_pendingSince;
};
