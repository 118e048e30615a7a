#pragma once

#include <cstdint>

#include "app/shell/update/CFileData.h"
#include "app/shell/update/CUpdateFolder.h"
#include "app/shell/update/CUpdateStaging.h"
#include "app/shell/update/IUpdateManager.h"
#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCString.h"

class CHTTPSession;
class CKSUHTTPSession;
class tCFile;
class tCMemFile;

// The program's update check: fetches the manifest from the update server, reads its title,
// notes and files, and reports them to its message target (see IUpdateManager). It also holds
// the road that downloads the listed files one after another into a staging folder inside the
// update folder and installs them all together, and the one that downloads the updater program;
// nothing in the program starts those roads.
//
// Each transfer is one CKSUHTTPSession. A session that a newer transfer replaces, or that Stop
// drops, is retired: it reports nothing more and is deleted at the next Poll, never inside its
// own callbacks. Only complete bodies are acted on, and a body counts as complete only by its
// length or its final chunk, never because the connection closed.
//
// The update folder is opened once at each check and held open; everything the roads store,
// install or delete is reached from that handle.
class CKSUTransferManager : public tCCmdTarget, public IUpdateManager {
public:
    enum State : int32_t {
        kStateIdle = -1,
        kStateManifestRequested = 0,
        kStateDownloadingFiles = 1,
        kStateDownloadingUpdater = 2,
        kStateFailed = 3,
        kStateManifestReported = 4,
    };
    static constexpr uint64_t kManifestLimit = 64 * 1024;
    static constexpr uint64_t kFileLimit = 64ull << 20;
    // The manifest's "host|path"; the host may carry ":port", and the listed files come from it.
    static constexpr uint32_t kServerTextId = 0xB2D05E47u;
    // Written into the update folder once a release is installed: the manifest, byte for byte.
    static constexpr char16_t kReplacementListName[] = u"ksufiledatareplacement.txt";
    static constexpr char16_t kUnknownTitle[] = u"Unknown Kostrel 2 Version";

    // Messages go to `messageTarget`; files are written only inside `updateFolder` (for the
    // program, CUpdateFolder::GetDefaultPath).
    CKSUTransferManager(tCCmdTarget* messageTarget, const tCString& updateFolder);
    // Deletes every session without a word from them and the files a download stored; stops
    // networking when StartUp started it.
    ~CKSUTransferManager() override;
    CKSUTransferManager(const CKSUTransferManager&) = delete;
    CKSUTransferManager& operator=(const CKSUTransferManager&) = delete;

    tResult StartUp() override;
    // Only a manifest fetch keeps a new check from starting; a check that starts during a file
    // download ends it.
    bool IsIdle() const override { return m_state != kStateManifestRequested; }
    tResult Start() override { return FetchManifest(); }
    tResult Stop() override;
    tResult Poll() override;

    // Discards a file download that is still running, opens (making it when missing) the update
    // folder, reads the installed-file list back from the replacement list, then requests the
    // manifest.
    tResult FetchManifest();
    // After a report: downloads every listed file that is not installed into the staging folder,
    // then checks every target, moves each file into place and writes the replacement list; the
    // state stays 1. A failure on the way sends kMsgUpdateFailed with 1 (and nothing else),
    // deletes the staging folder and leaves the installed files and the list as they were. 7
    // outside state 4, 17 when the manifest had a refused entry, 24 (or the open's code) when the
    // update folder or the staging folder cannot be made.
    tResult StartFileDownload();
    // After a report: downloads the updater program to a numbered file in the update folder,
    // named by the updater entry's temp name; the state stays 2. 7 outside state 4, 9 when the
    // manifest lists no updater, the open's code when the update folder could not be opened.
    tResult StartUpdaterDownload();

    // Reads a manifest body (at most kManifestLimit bytes, else 13): keeps it byte for byte,
    // takes its title, notes and files, and sends kMsgUpdateReport; the answer is the result
    // and answer 0 leaves state 4. An entry that CFileData::IsSafe refuses empties the file
    // list and the updater entry, so that nothing of the manifest is downloaded; so does an entry
    // whose id or version does not fit in 32 bits, and a listed file that would go where the
    // manager keeps its own files (the list, KSUTemp*, KostrelUpdater*).
    tResult ParseManifest(tCMemFile& body);
    // One trimmed, non-empty line: "*" sets the title, "+" adds a note; any other line fills
    // `entry` and answers true.
    bool ParseManifestLine(const tCString& line, CFileData& entry);
    // True when the installed list's first entry with the same id has the same version.
    bool IsInstalled(const CFileData& entry) const;
    // Makes the first free KostrelUpdater<n>.exe in the update folder, open for writing; 14 when
    // none of CUpdateFolder::kMaxNumberedTries is free.
    static tResult MakeUpdaterFileName(CUpdateFolder& folder, tCString* name, tCFile* file);

    int32_t GetState() const { return m_state; }
    const tCString& GetTitle() const { return m_title; }
    const tCStringArray& GetNotes() const { return m_notes; }
    const tCArray<CFileData>& GetFileList() const { return m_fileList; }
    const CFileData& GetUpdaterEntry() const { return m_updater; }
    const tCArray<CFileData>& GetInstalledList() const { return m_installed; }
    const tCString& GetUpdateFolder() const { return m_updateFolder; }
    CKSUHTTPSession* GetCurrentSession() const { return m_current; }
    int32_t GetRetiredCount() const { return m_retired.GetCount(); }

protected:
    tResult StartTransfer(const tCString& host, const tCString& path);
    tResult OnSessionStateChange(CKSUHTTPSession* session);
    tResult OnTransferFinished(CKSUHTTPSession* session, uint32_t complete);
    tResult OnBodyReceived(tCMemFile& body);
    tResult RequestNextFile();
    tResult OnFileReceived(tCMemFile& body);
    tResult OnUpdaterReceived(tCMemFile& body);
    tResult InstallFiles();
    tResult InstallFile(CFileData& entry);

private:
    static tResult SessionStateChanged(CHTTPSession* session, tMsgArg context);
    static tResult SessionFinished(CHTTPSession* session, const tCString& folder, const tCString& fileName,
                                   uint32_t complete, uint64_t received, tMsgArg context);

    bool IsRunning() const;
    tResult Send(uint32_t message, tMsgArg value);
    tResult Report();
    // Sends kMsgUpdateFailed with the state; the state becomes 3 unless the receiver answers
    // non-zero. The files a download stored are deleted.
    tResult ReportFailure();
    void AddEntry(CFileData& entry);
    void ReadInstalledList();
    tResult StoreUpdater(tCMemFile& body);
    void DiscardTemps();
    void RetireCurrent();
    void DeleteRetired();

    tCCmdTarget* m_target;
    tCString m_updateFolder;
    CUpdateFolder m_folder;
    // How opening the update folder at the last check went.
    tResult m_folderOpened = kResBadParam;
    CUpdateStaging m_staging;
    int32_t m_state = kStateIdle;
    CMemBlock m_rawManifest;
    CKSUHTTPSession* m_current = nullptr;
    tCArray<CKSUHTTPSession*> m_retired;
    tCString m_title{kUnknownTitle};
    tCStringArray m_notes;
    CFileData m_updater;
    tCArray<CFileData> m_installed;
    tCArray<CFileData> m_fileList;
    CFileData* m_currentEntry = nullptr;
    // The host of the last manifest, from which its files come.
    tCString m_host;
    // The last manifest had an entry that may not be written.
    bool m_refused = false;
    bool m_networkStarted = false;
};
