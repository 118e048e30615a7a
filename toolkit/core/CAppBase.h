#pragma once

#include <cstdint>
#include <memory>

#include "toolkit/core/CMessageHub.h"
#include "toolkit/core/CResourceDirectory.h"
#include "toolkit/core/CResourcePool.h"
#include "toolkit/core/IErrorBoxHost.h"
#include "toolkit/core/ISoundMixer.h"
#include "toolkit/core/ITabletInput.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCPoint.h"
#include "toolkit/core/tCString.h"
#include "toolkit/core/tCStringTable.h"

class CAppWindow;
class CWindowBase;
class IRootWidget;
class tCResourceObject;

// The application's resource pools: pool 1 holds images and image lists, pool 5 fonts.
enum : int32_t { kImagePool = 1, kFontPool = 5, kResourcePoolCount = 6, kAllPoolsButFonts = -1 };

// The one application object: where the program lies, the start-up, the message hub, the sound
// mixer and the pen input, the main window, the heartbeat and its per-tick work, the cursors,
// and the questions about buttons, keys, the clipboard and the registry. This is the
// system-neutral half; CAppWin is the system's, and the application's own class derives from
// CApp. It registers itself as the error box's host while it lives.
class CAppBase : public tCCmdTarget, public IErrorBoxHost {
public:
    CAppBase();
    ~CAppBase() override;
    CAppBase(const CAppBase&) = delete;
    CAppBase& operator=(const CAppBase&) = delete;

    virtual void OnMainLoopEnd() = 0;
    virtual bool IsQuitting() const { return m_quit; }
    // Sets the quit flag; the main loop ends after the current pump step.
    virtual void Quit();
    // Asked before the main window closes; 2 lets it close.
    virtual tResult OnCloseRequest();
    virtual tResult MinimiseWindow() = 0;
    virtual tResult RestoreWindow() = 0;
    virtual uint32_t GetCreatorCode() const { return m_creatorCode; }
    virtual void SetCreatorCode(uint32_t code) { m_creatorCode = code; }

    // Buttons count as held while they are down and no button message waits in the queue, so a
    // loop that asks stops as soon as a release or a new press is queued. Where the button came
    // up is the release's own point, not the pointer's by then: CButtonPress reads it.
    virtual bool IsPrimaryButtonDown() = 0;
    virtual bool IsSecondaryButtonDown() = 0;
    virtual bool IsMiddleButtonDown() = 0;
    virtual bool IsPrimaryButtonHeld() = 0;
    virtual bool IsSecondaryButtonHeld() = 0;
    virtual bool IsMiddleButtonHeld() = 0;
    virtual bool IsAnyButtonDown() = 0;
    virtual bool IsAnyButtonHeld() = 0;
    virtual bool IsButtonMessagePending() = 0;
    // The key as it is now.
    virtual bool IsKeyDown(int32_t virtualKey) = 0;
    // Shift, Control, Alt and the space bar as the key or click being handled came with them,
    // however late it is handled; outside its handling, as they are now.
    virtual bool IsShiftDown() = 0;
    virtual bool IsControlDown() = 0;
    virtual bool IsAltDown() = 0;
    virtual bool IsSpaceDown() = 0;
    virtual bool IsAppsKeyDown() = 0;
    // Screen coordinates; (0, 0) when the system cannot say.
    virtual tCPoint GetCursorPosition() = 0;

    // The system cursor is the pointer; the backdrop cursor is a widget the main window's root
    // draws. A push shows the pointer and remembers both; the pop restores what was shown.
    virtual void PushSystemCursor();
    virtual void PopSystemCursor();
    void HideCursors() override;
    virtual void HideBackdropCursor();
    void ShowBackdropCursor() override;
    bool IsBackdropCursorShown() override;
    bool IsSystemCursorShown() const override { return m_systemCursorShown; }
    virtual tResult SetCursorPosition(int32_t x, int32_t y) = 0;
    virtual void TrackBackdropCursor();

    // The heartbeat with 2 ("handled") read as success.
    virtual tResult RunHeartbeat();
    // Rests a loop that follows a held button between its heartbeats: returns once a button is
    // pressed or released in the main window, a move comes when `moves`, or the next tick is due.
    // Input that waits already ends the wait at once; the input stays queued.
    virtual void WaitForInputOrTick(bool moves) = 0;
    bool IsActive() const override { return m_active; }
    void Activate() override { m_active = true; }
    void Deactivate() override { m_active = false; }
    virtual void StopCursorTracking() { m_cursorTracking = false; }
    virtual void StartCursorTracking() { m_cursorTracking = true; }
    virtual tResult PumpStep() = 0;
    virtual tResult SetClipboardText(tCString text) = 0;
    // 2 when the clipboard holds no text; `out` is then unchanged.
    virtual tResult GetClipboardText(tCString& out) = 0;
    // Files dropped on a window.
    virtual tResult OpenFiles(tCStringArray files);
    // The application, then the hub's listeners, then the main window's root widget, until one
    // answers non-zero.
    virtual tResult Notify(uint32_t message, tMsgArg a, tMsgArg b);
    virtual tResult AddListener(tCCmdTarget* listener);
    virtual void RemoveListener(tCCmdTarget* listener);
    virtual tResult BroadcastToListeners(uint32_t message, tMsgArg a, tMsgArg b);
    // Opens "system.trf" in the resource folder and reads its directory, loads "system.tsf"
    // when it is there, and opens the resource file a second time with a directory of its own.
    // A missing resource file or string table is no error.
    virtual tResult StartUp();

    // The settings store; every failure answers 11.
    virtual tResult ReadMachinePrefString(const tCString& key, const tCString& name, tCString& out) = 0;
    virtual tResult ReadMachinePrefDword(const tCString& key, const tCString& name, uint32_t& out) = 0;
    virtual tResult WriteMachinePrefString(const tCString& key, const tCString& name, const tCString& text) = 0;
    virtual tResult WriteMachinePrefDword(const tCString& key, const tCString& name, uint32_t value) = 0;
    virtual tResult ReadUserPrefString(const tCString& key, const tCString& name, tCString& out) = 0;
    virtual tResult ReadUserPrefDword(const tCString& key, const tCString& name, uint32_t& out) = 0;
    virtual tResult WriteUserPrefString(const tCString& key, const tCString& name, const tCString& text) = 0;
    virtual tResult WriteUserPrefDword(const tCString& key, const tCString& name, uint32_t value) = 0;

    // Null until CreateTabletInput made it.
    virtual ITabletInput* GetTabletInput() const { return m_tabletInput.get(); }
    // The application's own report box.
    virtual tResult ReportError(tResult code, tCString text);
    // The per-tick work of the frame: cursor, sound sweep, painting, the application and the
    // windows. 2 while the application is inactive.
    virtual tResult OnHeartbeat(tMsgArg unused);
    virtual tResult MainLoop() = 0;
    // The application builds its interface here.
    virtual tResult SetUpApplication(tCString commandLine);
    // Called once at the end of the run; its answer is the run's result.
    virtual tResult OnExit();
    // The application's per-heartbeat work.
    virtual tResult OnTick();
    // Make the main window over `root`, which the window owns from then on (also when making it
    // fails), let the root build its interface and show the window. A null title takes the
    // root's resource name. Without a cover flag the window's monitor flag is set.
    virtual tResult CreateMainWindowAt(IRootWidget* root, int32_t iconId, uint32_t options, float sizeX, float sizeY,
                                       float positionX, float positionY, const char* title, int32_t coverFlag);
    // With a size of 0 by 0 the root's layout size is used.
    virtual tResult CreateMainWindow(IRootWidget* root, int32_t iconId, int32_t width, int32_t height,
                                     const char* title, int32_t coverFlag);
    // Null when memory runs out.
    virtual CAppWindow* CreateAppWindow();
    virtual bool IsPaintPending() = 0;
    virtual tResult CreateTabletInput();

    // Every window enters the list when constructed (add 1) and leaves it when destroyed (add 0).
    static tResult RegisterWindow(CWindowBase* window, int32_t add);
    static void SetMainWindow(CWindowBase* window);
    // Clears the main window when it is `window`.
    static void ForgetMainWindow(CWindowBase* window);

    uint32_t GetTickCount() const { return m_tickCount; }
    tCString GetProgramFolder() const { return m_programFolder; }
    tCString GetSecondBaseFolder() const { return m_secondBaseFolder; }
    const tCString& GetResourceFolderName() const { return m_resourceFolderName; }
    void SetResourceFolderName(const tCString& name) { m_resourceFolderName = name; }
    const tCString& GetResourceFileName() const { return m_resourceFileName; }
    const tCString& GetStringTableFileName() const { return m_stringTableFileName; }
    const tCString& GetSecondResourceFileName() const { return m_secondResourceFileName; }
    bool IsCursorTracking() const { return m_cursorTracking; }

    // The resource file and its directory, which resource loads use when they are given no
    // stream, and its second opening, through which fonts are read.
    tCFile* GetResourceFile() { return &m_resourceFile; }
    CResourceDirectory* GetResourceDirectory() { return &m_resourceDirectory; }
    tCFile* GetSecondResourceFile() { return &m_secondResourceFile; }
    CResourceDirectory* GetSecondResourceDirectory() { return &m_secondResourceDirectory; }
    // Pools 0 to 5 take shared resource objects and delete them with the application. The
    // look-ups search one pool, or pools 0 to 4 for kAllPoolsButFonts.
    tResult AddResourceToPool(int32_t pool, tCResourceObject* object);
    tCResourceObject* FindResourceByName(int32_t pool, const tCString& name) const;
    tCResourceObject* FindResourceById(int32_t pool, uint32_t id) const;
    // The string table's text (tCStringTable::GetString), written into `out`.
    tCString& GetString(tCString& out, uint32_t id, int32_t alternative) const;

    // The mixer whose finished voices every 256th heartbeat sweeps; the application owns it from
    // now on.
    void SetSoundMixer(ISoundMixer* mixer);
    ISoundMixer* GetSoundMixer() const { return m_soundMixer.get(); }
    // How CreateTabletInput makes the pen input; without one there is no pen source and the
    // mouse serves.
    void SetTabletInputFactory(tTabletInputFactory factory) { m_tabletInputFactory = factory; }

protected:
    // The root widget of the main window, or null.
    static IRootWidget* MainRoot();

    bool m_active = false;
    bool m_quit = false;
    bool m_systemCursorShown = true;

private:
    // The common part of the two ways of making the main window; `create` makes the system window.
    template <typename Create>
    tResult MakeMainWindow(IRootWidget* root, const char* title, int32_t coverFlag, Create create);

    // Calls `call` on each window of the list that is still in it when its turn comes, so a
    // window deleted during the pass is never called.
    template <typename Call>
    static tResult ForEachWindow(Call call);
    // The first object `find` gives from one pool, or from pools 0 to 4.
    template <typename Find>
    tCResourceObject* FindInPools(int32_t pool, Find find) const;

    uint32_t m_creatorCode = 0x3F3F3F3F;
    bool m_savedSystemCursor = true;
    bool m_savedBackdropCursor = false;
    bool m_cursorPushed = false;
    bool m_cursorTracking = true;
    tCString m_programFolder;
    tCString m_secondBaseFolder;
    tCString m_resourceFolderName{u"Resources"};
    tCString m_resourceFileName{u"system.trf"};
    tCString m_stringTableFileName{u"system.tsf"};
    tCString m_secondResourceFileName{u""};
    tCFile m_resourceFile;
    tCStringTable m_stringTable;
    CResourceDirectory m_resourceDirectory;
    tCFile m_secondResourceFile;
    CResourceDirectory m_secondResourceDirectory;
    CResourcePool m_pools[kResourcePoolCount];
    CMessageHub m_hub;
    std::unique_ptr<ISoundMixer> m_soundMixer;
    uint32_t m_tickCount = 0;
    std::unique_ptr<ITabletInput> m_tabletInput;
    tTabletInputFactory m_tabletInputFactory = nullptr;
};

// The application object while one exists.
CAppBase* GetApplication();
// The main window while an application object exists; null otherwise.
CWindowBase* GetMainWindow();
// The application's string-table text (CAppBase::GetString); empty without an application.
tCString ApplicationText(uint32_t id, int32_t alternative = 0);
// As ApplicationText, and empty too where the table reports an error ("%%...") for the id.
tCString ApplicationTextOrEmpty(uint32_t id);
// The application's folder a base selector names, with its final "/": 0 the program folder,
// any other value the second base folder; "" without an application object.
tCString GetBaseFolder(uint32_t selector);
