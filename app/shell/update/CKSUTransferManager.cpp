#include "app/shell/update/CKSUTransferManager.h"

#include <cassert>
#include <new>

#include "app/shell/update/CKSUHTTPSession.h"
#include "app/shell/update/CUpdateFolder.h"
#include "app/shell/update/ManifestText.h"
#include "platform/MessageBox.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/PathText.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCMemFile.h"
#include "toolkit/net/WinSockSupport.h"

namespace {

const char16_t kUpdaterName[] = u"KOSTRELUPDATER.EXE";

bool IsFileLine(const tCString& line)
{
    return line.GetAt(0) != u'*' && line.GetAt(0) != u'+';
}

// A field of the update server's "host|path" text; empty without an application.
tCString ServerText(int32_t field)
{
    tCString text;
    if (CAppBase* app = GetApplication())
        app->GetString(text, CKSUTransferManager::kServerTextId, field);
    return text;
}

}  // namespace

CKSUTransferManager::CKSUTransferManager(tCCmdTarget* messageTarget, const tCString& updateFolder)
    : m_target(messageTarget), m_updateFolder(updateFolder)
{
    assert(messageTarget);
}

CKSUTransferManager::~CKSUTransferManager()
{
    RetireCurrent();
    DeleteRetired();
    if (m_networkStarted) {
        const tResult ignored = CleanUpWinSock();
        (void)ignored;
    }
}

tResult CKSUTransferManager::StartUp()
{
    if (m_networkStarted)
        return kResOk;
    TK_TRY(StartUpWinSock());
    m_networkStarted = true;
    return kResOk;
}

bool CKSUTransferManager::IsRunning() const
{
    return m_state == kStateManifestRequested || m_state == kStateDownloadingFiles ||
           m_state == kStateDownloadingUpdater;
}

tResult CKSUTransferManager::Send(uint32_t message, tMsgArg value)
{
    return m_target->OnMessage(message, ToMsgArg(this), value, 0, kMsgApply);
}

tResult CKSUTransferManager::FetchManifest()
{
    m_state = kStateManifestRequested;
    m_currentEntry = nullptr;
    ReadInstalledList();
    m_host = ServerText(0);
    return StartTransfer(m_host, ServerText(1));
}

tResult CKSUTransferManager::StartFileDownload()
{
    if (m_state != kStateManifestReported)
        return kResBusy;
    if (m_refused)
        return kResFileInvalid;
    m_state = kStateDownloadingFiles;
    return RequestNextFile();
}

tResult CKSUTransferManager::StartUpdaterDownload()
{
    if (m_state != kStateManifestReported)
        return kResBusy;
    if (m_updater.name.IsEmpty())
        return kResFileNotFound;
    m_state = kStateDownloadingUpdater;
    return StartTransfer(m_host, MakeDownloadAddress(m_host, m_updater.name));
}

tResult CKSUTransferManager::Stop()
{
    if (m_state == kStateDownloadingFiles)
        DiscardTemps();
    m_state = kStateIdle;
    if (CKSUHTTPSession* session = m_current) {
        // Dropped before it closes: a body without a length would count as complete at the
        // close. The close answers how the exchange broke off, which is what a stop asks for.
        RetireCurrent();
        const tResult ignored = session->Close();
        (void)ignored;
    }
    DeleteRetired();
    return kResOk;
}

tResult CKSUTransferManager::Poll()
{
    const tResult polled = m_current ? m_current->PollEvents() : kResOk;
    DeleteRetired();
    return polled;
}

void CKSUTransferManager::RetireCurrent()
{
    if (!m_current)
        return;
    m_current->SetOwner(nullptr);
    // When even this list cannot grow the session is left alive rather than deleted inside a
    // callback of its own; dropped, it does no harm.
    const tResult ignored = m_retired.Add(m_current);
    (void)ignored;
    m_current = nullptr;
}

void CKSUTransferManager::DeleteRetired()
{
    for (CKSUHTTPSession* session : m_retired)
        delete session;
    m_retired.RemoveAll();
}

tResult CKSUTransferManager::StartTransfer(const tCString& host, const tCString& path)
{
    RetireCurrent();
    m_current = new (std::nothrow) CKSUHTTPSession;
    tResult started = kResNoMemory;
    if (m_current) {
        m_current->SetOwner(this);
        tHTTPCallbacks& callbacks = m_current->GetHTTPCallbacks();
        callbacks.stateChanged = {SessionStateChanged, 0};
        callbacks.downloadFinished = {SessionFinished, 0};
        m_current->SetBodyMemoryLimit(m_state == kStateManifestRequested ? kManifestLimit : kFileLimit);
        started = m_current->StartRequest(true, host, path, tCString(), tCString(), 0);
    }
    // A failed connect has been reported through the state change already.
    if (started != kResOk && IsRunning())
        ReportFailure();
    return started;
}

tResult CKSUTransferManager::SessionStateChanged(CHTTPSession* session, tMsgArg)
{
    CKSUHTTPSession* transfer = static_cast<CKSUHTTPSession*>(session);
    CKSUTransferManager* owner = transfer->GetOwner();
    return owner ? owner->OnSessionStateChange(transfer) : kResOk;
}

tResult CKSUTransferManager::SessionFinished(CHTTPSession* session, const tCString&, const tCString&,
                                             uint32_t complete, uint64_t, tMsgArg)
{
    CKSUHTTPSession* transfer = static_cast<CKSUHTTPSession*>(session);
    CKSUTransferManager* owner = transfer->GetOwner();
    return owner ? owner->OnTransferFinished(transfer, complete) : kResOk;
}

tResult CKSUTransferManager::OnSessionStateChange(CKSUHTTPSession* session)
{
    const uint32_t state = session->GetState();
    if ((state == CTCPSocket::kStateConnectFailed || state == CTCPSocket::kStateClosedWithError) && IsRunning())
        return ReportFailure();
    return kResOk;
}

tResult CKSUTransferManager::OnTransferFinished(CKSUHTTPSession* session, uint32_t complete)
{
    // A body cut short is followed by the session's failure, which is what gets reported.
    if (!complete)
        return kResOk;
    return OnBodyReceived(session->GetBodyMemory());
}

tResult CKSUTransferManager::OnBodyReceived(tCMemFile& body)
{
    switch (m_state) {
    case kStateManifestRequested:
        return ParseManifest(body);
    case kStateDownloadingFiles:
        return OnFileReceived(body);
    case kStateDownloadingUpdater:
        return OnUpdaterReceived(body);
    default: {
        CWindowBase* window = GetMainWindow();
        w32::MessageBoxW(window ? window->GetHandle() : nullptr, u"File received outside valid process",
                         u"Transfer error", w32::MB_OK);
        return kResOk;
    }
    }
}

tResult CKSUTransferManager::ReportFailure()
{
    const int32_t failed = m_state;
    if (failed == kStateDownloadingFiles)
        DiscardTemps();
    // Set first, so that the receiver finds the manager idle and may start a new check.
    m_state = kStateFailed;
    const tResult answer = Send(kMsgUpdateFailed, tMsgArg(uint32_t(failed)));
    if (answer != kResOk && m_state == kStateFailed)
        m_state = failed;
    return answer;
}

tResult CKSUTransferManager::ParseManifest(tCMemFile& body)
{
    if (uint64_t(body.GetSize()) > kManifestLimit)
        return kResBufferOverrun;
    TK_TRY(m_rawManifest.Resize(int32_t(body.GetSize())));
    m_rawManifest.CopyFrom(body.GetData(), int32_t(body.GetSize()));
    m_notes.RemoveAll();
    m_fileList.RemoveAll();
    m_updater = CFileData();
    tCStringArray lines;
    // A list read only in part must not be installed as if it were the release.
    m_refused = ReadManifestLines(body, lines) != kResOk;
    for (const tCString& line : lines) {
        CFileData entry;
        if (ParseManifestLine(line, entry))
            AddEntry(entry);
    }
    if (m_refused) {
        m_fileList.RemoveAll();
        m_updater = CFileData();
    }
    return Report();
}

bool CKSUTransferManager::ParseManifestLine(const tCString& line, CFileData& entry)
{
    const tCString rest = line.Mid(1, line.GetLength() - 1);
    switch (line.GetAt(0)) {
    case u'*':
        m_title = rest;
        return false;
    case u'+': {
        const tResult ignored = m_notes.Add(rest);
        (void)ignored;
        return false;
    }
    default:
        entry.SetFromManifestLine(line);
        return true;
    }
}

void CKSUTransferManager::AddEntry(CFileData& entry)
{
    if (!entry.IsSafe()) {
        m_refused = true;
        return;
    }
    entry.needsDownload = IsInstalled(entry) ? 0 : 1;
    entry.received = 0;
    if (UpperCasedAscii(entry.name) == kUpdaterName)
        m_updater = entry;
    else if (m_fileList.Add(entry) != kResOk)
        m_refused = true;
}

tResult CKSUTransferManager::Report()
{
    tCStringArray texts;
    const tResult ignored = texts.Add(m_title);
    (void)ignored;
    for (const tCString& note : m_notes)
        if (texts.Add(note) != kResOk)
            break;
    m_state = kStateManifestReported;
    const tResult answer = Send(kMsgUpdateReport, ToMsgArg(&texts));
    if (answer != kResOk && m_state == kStateManifestReported)
        m_state = kStateManifestRequested;
    return answer;
}

bool CKSUTransferManager::IsInstalled(const CFileData& entry) const
{
    for (const CFileData& installed : m_installed)
        if (installed.fileId == entry.fileId)
            return installed.version == entry.version;
    return false;
}

void CKSUTransferManager::ReadInstalledList()
{
    m_installed.RemoveAll();
    CUpdateFolder folder;
    tCMemFile contents;
    tCStringArray lines;
    if (folder.Open(m_updateFolder, false) != kResOk ||
        folder.ReadFile(kReplacementListName, kManifestLimit, &contents) != kResOk)
        return;
    const tResult ignored = ReadManifestLines(contents, lines);
    (void)ignored;
    for (const tCString& line : lines) {
        if (!IsFileLine(line))
            continue;
        CFileData entry;
        entry.SetFromManifestLine(line);
        if (m_installed.Add(entry) != kResOk)
            return;
    }
}

tResult CKSUTransferManager::MakeTempFileName(CUpdateFolder& folder, tCString* name, tCFile* file)
{
    return folder.CreateNumberedFile("KSUTemp", ".ksu", name, file);
}

tResult CKSUTransferManager::MakeUpdaterFileName(CUpdateFolder& folder, tCString* name, tCFile* file)
{
    return folder.CreateNumberedFile("KostrelUpdater", ".exe", name, file);
}

tResult CKSUTransferManager::StoreBody(tCMemFile& body, bool updater, CFileData& entry)
{
    CUpdateFolder folder;
    TK_TRY(folder.Open(m_updateFolder, true));
    tCFile file;
    tCString name;
    TK_TRY(updater ? MakeUpdaterFileName(folder, &name, &file) : MakeTempFileName(folder, &name, &file));
    tResult stored = file.WriteBytes(body.GetData(), body.GetSize());
    if (stored == kResOk)
        stored = file.Sync();
    const tResult closed = file.Close();
    if (stored == kResOk)
        stored = closed;
    if (stored == kResOk) {
        entry.tempPath = name;
    } else {
        const tResult ignored = folder.DeleteFile(name);
        (void)ignored;
    }
    return stored;
}

tResult CKSUTransferManager::RequestNextFile()
{
    for (CFileData& entry : m_fileList) {
        if (entry.needsDownload && !entry.received) {
            m_currentEntry = &entry;
            return StartTransfer(m_host, MakeDownloadAddress(m_host, entry.name));
        }
    }
    const tResult installed = InstallFiles();
    if (installed != kResOk)
        ReportFailure();
    return installed;
}

tResult CKSUTransferManager::OnFileReceived(tCMemFile& body)
{
    assert(m_currentEntry);
    m_currentEntry->received = 1;
    const tResult stored = StoreBody(body, false, *m_currentEntry);
    if (stored != kResOk) {
        ReportFailure();
        return stored;
    }
    return RequestNextFile();
}

tResult CKSUTransferManager::OnUpdaterReceived(tCMemFile& body)
{
    const tResult stored = StoreBody(body, true, m_updater);
    if (stored != kResOk)
        ReportFailure();
    return stored;
}

tResult CKSUTransferManager::InstallFiles()
{
    CUpdateFolder folder;
    TK_TRY(folder.Open(m_updateFolder, true));
    for (CFileData& entry : m_fileList)
        if (entry.needsDownload)
            TK_TRY(InstallFile(folder, entry));
    return folder.ReplaceFile(kReplacementListName, m_rawManifest.GetData(), m_rawManifest.GetCount());
}

tResult CKSUTransferManager::InstallFile(CUpdateFolder& folder, CFileData& entry)
{
    // The move replaces what was there in one step and never follows a link.
    TK_TRY(folder.MoveInto(entry.tempPath, entry.folder, entry.name));
    entry.tempPath = tCString();
    return kResOk;
}

void CKSUTransferManager::DiscardTemps()
{
    CUpdateFolder folder;
    if (folder.Open(m_updateFolder, false) != kResOk)
        return;
    for (CFileData& entry : m_fileList) {
        if (entry.tempPath.IsEmpty())
            continue;
        const tResult ignored = folder.DeleteFile(entry.tempPath);
        (void)ignored;
        entry.tempPath = tCString();
    }
}
