#pragma once

#include <cstdint>

#include "app/shell/BackdropMessages.h"
#include "app/shell/CHMRSound.h"
#include "app/shell/CKS2CursorManager.h"
#include "app/shell/panes/IPaneHost.h"
#include "paint/engine/IShellServices.h"
#include "paint/engine/IViewBackground.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCFRef.h"
#include "toolkit/core/tCFTypeList.h"
#include "toolkit/widgets/CBackdrop.h"

class CHMRBackbone;
class CKS2About;
class CKS2Pane;
class CKS2PopupManager;
class IPanelMaker;
class IPreferences;
class tCFPath;

// The main backdrop: the root widget of the main window, loaded from the layout "Kostrel". It
// builds and owns the panes, the interface sounds and the project file type, answers the save
// prompt's protocol, passes messages on to its panes, carries the file commands and keeps the
// window title. For the canvas it is the view's background; for the panes their host; for the
// tools and the canvas input the one object of the shell's services, joining the controller's
// colour, value and pressure to the cursor's drawing.
class CHMRBackdrop : public CBackdrop, public IPaneHost, public IViewBackground, public IShellServices {
public:
    CHMRBackdrop();
    ~CHMRBackdrop() override;

    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;
    tResult OnKeyDown(CWidget** takenBy, uint32_t key) override;
    // The cursor for the widget under the pointer.
    tResult OnHeartbeat() override;
    // Sides of at least 30; the painting keeps its offset from the centre of the view's parent,
    // and every main pane hears the size before the change.
    tResult SetSize(int32_t width, int32_t height, uint32_t present) override;
    using CBackdrop::SetSize;
    tResult BuildInterface() override;
    // Stores the colour and invalidates with `argument`.
    tResult SetBackgroundColour(uint32_t colour, uint32_t argument) override;

    // The file commands. 0 also for a cancel by the user. A save that fails is told here and
    // answered 2, which no caller tells again.
    tResult SaveProject(bool saveAs);
    // A null path takes the pending file, else asks. `discard` skips the unsaved-changes question.
    tResult OpenProject(const tCFPath* path, bool discard);
    tResult NewPaintingFromImage(bool discard);
    tResult ExportImage();
    tResult LoadTracingImage() override;
    // The new-painting flow: the save question first unless `skipPrompt`, then the new-painting
    // pane; 22 when the program has no such pane.
    tResult NewPainting(uint32_t skipPrompt);
    // "<product> - <painting's name>", or the product's name alone without a painting.
    tResult UpdateWindowTitle();
    // True while a modal pane, the save question or a held key holds the interface: nothing may
    // replace the painting then, since a pane may keep pointers into it. The tracing controls
    // keep nothing of the painting and stay up beside it, so they do not hold it.
    bool HoldsInterface();

    // Pane management (CHMRBackdropPanes.cpp). The clean view hides every visible main pane and
    // shows the restore widget; the slide-out hides them animated; the stroke avoidance hides a
    // main pane root while the pen is over it and shows it again when the stroke ends.
    tResult BeginCleanView(uint32_t present);
    tResult EndCleanView(uint32_t present);
    uint32_t IsCleanView() const { return m_cleanView; }
    tResult SetPanesShown(uint32_t shown, uint32_t present);
    // 1 while main panes are slid out.
    uint32_t ArePanesSlidOut() const;
    tResult BuildAvoidanceRects();
    // A point in the painting view's coordinates.
    tResult AvoidPoint(int32_t x, int32_t y);
    tResult HidePaneForStroke(int32_t index);
    tResult RestoreStrokeHiddenPanes();
    const tCArray<tCRect>& GetAvoidanceRects() const { return m_avoidanceRects; }
    const tCArray<CWidget*>& GetStrokeHiddenRoots() const { return m_strokeHiddenRoots; }
    uint32_t GetPanesAside() const { return m_panesAside; }
    // Full screen on the window's monitor, or back to a centred window.
    tResult ToggleFullScreen();
    // The window's size when full screen ends, for a backdrop of the given size.
    static tCPoint WindowedSize(int32_t width, int32_t height);
    // The help and program documents (paths in the program's folder) and the web page, opened by
    // the desktop; a failure is reported.
    tResult OpenHelpDocument();
    tResult OpenProgramDocument();
    tResult OpenWebPage();
    // Shows the update pane, which checks for a newer release while it is up; a pane that
    // cannot show is reported.
    tResult ShowUpdatePane();
    // Shows the about pane, made on the first request; a pane that cannot be made or shown is
    // reported, and one that could not be made is tried again at the next request.
    tResult ShowAboutPane();
    CKS2About* GetAboutPane() const { return m_aboutPane; }

    // The preferences file: none until one is given; not owned.
    void SetPreferences(IPreferences* preferences);
    tResult ReadPreferences();
    tResult WritePreferences();

    // IPaneHost.
    uint32_t GetPaneTransitions() const override { return m_paneTransitions; }
    void UpdatePaneCursor(CWidget* widget) override;
    CStringPrompt* GetTextPrompt() override { return m_textPrompt; }
    int32_t FindMenuTitleAt(tCPoint point) override;
    tResult ShowNumberPrompt(tCCmdTarget* owner, tCPoint point, const tCString& initialText,
                             const tCString& title) override;
    // Makes the floating colour on first use (reporting a failure to make it), centres it on
    // `anchor` or the backdrop, shows it and follows its opening press.
    tResult ShowFloatingColour(CWidget* anchor, uint32_t colour, tCCmdTarget* owner) override;
    // The floating colour's hand-off: the program offers nothing there.
    tResult HandOffColour(tCCmdTarget* owner, tCPoint point, uint32_t reserved, uint32_t colour) override;
    tCArray<CWidget*>* GetKeyPaneRoots() override { return &m_keyPaneRoots; }

    // IViewBackground.
    CImage* GetBackgroundTexture() override { return GetBackgroundImage(); }
    uint32_t GetBackgroundTint() override { return GetBackgroundColour(); }

    // IShellServices: the controller's half and the cursor's half.
    uint32_t GetPaintColour() override;
    float GetPaintValue() override;
    void SetPenPressure(float pressure) override;
    void RedrawToolCursor(CWidget* view, const CPenSample& sample, uint32_t wholeCursor) override;
    void UpdateCursor(CWidget* view) override;
    void DrawToolOverlay(CWidget* view, CImage* target, const tCRect& clip) override;

    CWidget* GetPaintingView() const { return m_paintingView; }
    CWidget* GetRestoreWidget() const { return m_restoreWidget; }
    const tCFTypeEntry& GetProjectFileType() const { return m_projectFileType; }
    const tCFRef& GetPendingFile() const { return m_pendingFile; }
    const tCArray<CKS2Pane*>& GetMainPanes() const { return m_mainPanes; }
    const tCArray<CWidget*>& GetMainPaneRoots() const { return m_mainPaneRoots; }
    // The panes of the interface build come from `maker` (not owned); without one the build
    // makes none.
    void SetPanelMaker(IPanelMaker* maker) { m_panelMaker = maker; }
    // The pane of the build whose root widget is `rootId`, or null.
    CKS2Pane* FindPane(uint32_t rootId) const override;
    CKS2PopupManager* GetPopupManager() const override { return m_popupManager; }
    CKS2Pane* GetFloatingColour() const { return m_floatingColour; }
    CKS2CursorManager& GetCursorManager() { return m_cursorManager; }

    uint32_t* GetSoundsSwitch() { return &m_soundsOn; }
    uint32_t* GetTransitionsSwitch() { return &m_paneTransitions; }
    uint32_t GetStartTool() const { return m_startTool; }
    void SetStartTool(uint32_t id) { m_startTool = id; }
    // The modified flag as it was when a file command began, and whether a file command waits
    // behind the save prompt (the new-painting pane reads and clears both).
    uint32_t GetSavedModified() const { return m_savedModified; }
    void SetSavedModified(uint32_t modified) { m_savedModified = modified; }
    uint32_t GetPendingCommand() const { return m_pendingCommand; }
    void SetPendingCommand(uint32_t pending) { m_pendingCommand = pending; }

private:
    struct tPaneSlot {
        uint32_t rootId = 0;
        CKS2Pane* pane = nullptr;
    };

    // The keyboard shortcuts after the quit keys (CHMRBackdropKeys.cpp).
    tResult OnShortcutKey(CWidget** takenBy, int32_t code);
    tResult PickTool(uint32_t id);
    // The tool's pressure property and size, one step up or down, kept within 0..1.
    tResult StepToolProperty(float step);
    tResult StepToolSize(float step);
    // The view flipped for as long as `virtualKey` is down.
    tResult HoldKey(uint32_t message, int32_t virtualKey);
    void TogglePanesAside();

    // The pen, clean-view, slide-out and document messages (CHMRBackdropPanes.cpp); `passOn`
    // false for those that end here with the answer.
    tResult AnswerPaneMessage(uint32_t message, tMsgArg b, uint32_t apply, bool* passOn);

    tResult BuildPanes(int32_t first, int32_t end);
    // Makes and creates the pane of a row; a row whose pane the program lacks is left out.
    tResult BuildPane(uint32_t rootId, bool mainPane);
    tResult BuildPopupManager();
    // The save itself: 0 for a save, a cancel or a painting without changes, else the failure.
    tResult WriteProject(bool saveAs);
    // Answers the save-prompt protocol; `handled` false for every other code.
    tResult AnswerSavePrompt(uint32_t message, tMsgArg b, tMsgArg c, bool* handled);
    tResult AskToSave(tMsgArg action, tMsgArg c);
    // The question's Save: a save that leaves the changes (its dialog cancelled) asks the same
    // question again, the action still waiting; a failed one drops the action.
    tResult SaveThenFollowUp(uint32_t action);
    tResult FollowUp(uint32_t action, bool discard);
    // Nothing waits behind the save question any more, nor the file it would have opened.
    void DropPendingAction();
    void PassOn(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply);
    // Step 2 of the build: the painting view fills its parent.
    tResult FindPaintingView();
    void AddCursors();
    // Hands this object to the controller's canvas and tools as their shell services and view
    // background.
    void JoinShellServices();
    // The modified flag, or the failure of the question.
    tResult QueryModified(uint32_t* modified);
    // The centre of the painting view's parent in its own coordinates.
    tCPoint ViewParentCentre() const;

    CWidget* m_paintingView = nullptr;
    CWidget* m_restoreWidget = nullptr;
    IPanelMaker* m_panelMaker = nullptr;
    tCArray<tPaneSlot> m_panes{tCArray<tPaneSlot>::kAutoGrowth};
    CStringPrompt* m_textPrompt = nullptr;
    CKS2PopupManager* m_popupManager = nullptr;
    CKS2About* m_aboutPane = nullptr;
    CKS2CursorManager m_cursorManager;
    tCArray<CKS2Pane*> m_mainPanes{tCArray<CKS2Pane*>::kAutoGrowth};
    tCArray<CWidget*> m_mainPaneRoots{tCArray<CWidget*>::kAutoGrowth};
    tCFTypeEntry m_projectFileType;
    tCFRef m_pendingFile;
    uint32_t m_soundsOn = 1;
    uint32_t m_paneTransitions = 1;
    CHMRSound m_sounds{&m_soundsOn};
    uint32_t m_startTool = kDefaultStartTool;
    uint32_t m_savedModified = 0;
    uint32_t m_pendingCommand = 0;
    IPreferences* m_preferences;
    uint32_t m_cleanView = 0;
    tCArray<CKS2Pane*> m_cleanViewPanes{tCArray<CKS2Pane*>::kAutoGrowth};
    tCArray<CKS2Pane*> m_slidOutPanes{tCArray<CKS2Pane*>::kAutoGrowth};
    tCArray<tCRect> m_avoidanceRects{tCArray<tCRect>::kAutoGrowth};
    tCArray<CWidget*> m_strokeHiddenRoots{tCArray<CWidget*>::kAutoGrowth};
    tCArray<CWidget*> m_keyPaneRoots{tCArray<CWidget*>::kAutoGrowth};
    uint32_t m_panesAside = 0;
    CKS2Pane* m_floatingColour = nullptr;
    // Set while a hold key runs its pump steps, so that key repeat starts nothing new.
    int32_t m_keyHold = 0;
};
