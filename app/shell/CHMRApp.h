#pragma once

#include <cstdint>
#include <vector>

#include "platform/Win32Types.h"
#include "app/shell/CPreferencesFile.h"
#include "toolkit/core/CApp.h"

class CHMRBackbone;
class CHMRBackdrop;
class CSplashScreen;
class IPanelMaker;

// The painting program's application object: its set-up makes the main backdrop, the controller
// and the main window and opens the first painting; quitting and closing first ask about unsaved
// changes; handed files are opened; errors are reported under captions from the string table;
// the tick steps a running update transfer.
//
// A quit asked for inside an input handler (a key, a button or a prompt's answer) runs only when
// the outermost pump step has returned, so that the window, the backdrop and the prompt are not
// deleted under the handler.
class CHMRApp : public CApp {
public:
    static constexpr uint32_t kDefaultTextVariant = 0xB2D05E32;
    static constexpr uint32_t kSplashMilliseconds = 2500;
    // Posted by the pen input when an ink stroke arrives without packets; wParam 1.
    static constexpr uint32_t kMsgPenTapArrived = 0x8064;
    static constexpr uint32_t kMsgPenTap = 0xFF000017;

    CHMRApp();
    ~CHMRApp() override;

    // The frame's run answers OnExit's result, 0 also after a set-up that failed: the
    // program's run answers the set-up's failure then.
    int32_t Run(w32::HINSTANCE instance, const char* commandLine, int32_t showCommand) override;
    tResult SetUpApplication(tCString commandLine) override;
    void Quit() override;
    tResult OnCloseRequest() override;
    tResult OpenFiles(tCStringArray files) override;
    tResult ReportError(tResult code, tCString text) override;
    // While the splash is up a box waits for it to close: the splash stays above every window,
    // and a box shown beneath it would hold the keyboard unseen.
    void ShowMessageBox(const tCString& text, const tCString& title) override;
    tResult OnTick() override;
    tResult OnDispatchedMessage(const w32::MSG& message) override;
    tResult PumpStep() override;
    // Also true while a quit waits for the running handler to return.
    bool IsQuitting() const override;

    // Where the backdrop's build gets the panels' panes from; not owned.
    void SetPanelMaker(IPanelMaker* maker) { m_panelMaker = maker; }
    uint32_t GetTextVariant() const { return m_textVariant; }
    CHMRBackbone* GetController() const { return m_controller; }
    // The main backdrop while it is the backdrop target, else null.
    static CHMRBackdrop* GetMainBackdrop();

protected:
    // The makers of the backdrop and the controller; null when memory runs out.
    virtual CHMRBackdrop* NewBackdrop();
    virtual CHMRBackbone* NewController();

private:
    // The last id of the variant texts whose text equals the current variant's text.
    uint32_t ChooseTextVariant() const;
    tResult SetUp(const tCString& commandLine);
    tResult ShowSplash(CSplashScreen** splash);
    // After a failed step: the backdrop stops being the backdrop target and is deleted once, by
    // the main window once one was made for it, else here.
    void DropBackdrop(CHMRBackdrop* backdrop, bool windowMade);
    void OpenFirstPainting(const tCString& commandLine, CHMRBackdrop* backdrop);
    // Once the splash has closed: the boxes that waited for it, in their order.
    void ShowHeldBoxes();
    // A box with the cursors and the application prepared around it.
    void ShowPreparedBox(const tCString& text, const tCString& caption);
    // Asks about unsaved changes: true when closing may go on now; false while the save prompt
    // is on screen or when it could not be shown (reported).
    bool MayClose();

    CHMRBackbone* m_controller = nullptr;
    IPanelMaker* m_panelMaker = nullptr;
    CPreferencesFile m_preferencesFile;
    uint32_t m_textVariant = kDefaultTextVariant;
    tResult m_setUpResult = kResOk;
    int32_t m_pumpDepth = 0;
    bool m_quitDeferred = false;
    struct tBox {
        tCString text;
        tCString caption;
    };
    // The boxes waiting for the splash to close, while it is up.
    bool m_holdBoxes = false;
    std::vector<tBox> m_heldBoxes;
};
