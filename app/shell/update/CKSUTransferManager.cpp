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

// The manager's own names in the update folder, in any letter case: the list, its temporary
// files, the staging folder and the numbered updater programs. A release may not put a file or
// folder there.
bool IsOwnName(const tCString& target)
{
    const tCString upper = UpperCasedAscii(target);
    for (const tCString& own : {UpperCasedAscii(CKSUTransferManager::kReplacementListName),
                               UpperCasedAscii(tCString::FromAnsi(CUpdateStaging::kFolderName)),
                               tCString(u"KOSTRELUPDATER")})
        if (upper.View().starts_with(own.View()))
            return true;
    return false;
}

// The first level of where the entry goes: its folder's first level, or its name.
tCString FirstLevel(const CFileData& entry)
{
    const std::u16string_view folder = entry.folder.View();
    if (folder.empty())
        return entry.name;
    return tCString(folder.substr(0, folder.find_first_of(u":/")));
}

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
    // A check that starts while files are downloaded ends that download and what it stored.
    DiscardTemps();
    m_state = kStateManifestRequested;
    m_currentEntry = nullptr;
    // Held open until the next check: every later step works in this folder, even when its path
    // is made to lead elsewhere meanwhile.
    m_folderOpened = m_folder.Open(m_updateFolder, true);
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
    TK_TRY(m_staging.Open(m_folder));
    m_state = kStateDownloadingFiles;
    return RequestNextFile();
}

tResult CKSUTransferManager::StartUpdaterDownload()
{
    if (m_state != kStateManifestReported)
        return kResBusy;
    if (m_updater.name.IsEmpty())
        return kResFileNotFound;
    TK_TRY(m_folderOpened);
    m_state = kStateDownloadingUpdater;
    return StartTransfer(m_host, MakeDownloadAddress(m_host, m_updater.name));
}

tResult CKSUTransferManager::Stop()
{
    DiscardTemps();
    m_state = kStateIdle;
    if (CKSUHTTPSession* session = m_current) {
        // Dropped before it closes, so that nothing the close reports reaches the manager; a
        // stop asks for no report.
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
        // Only a length or chunks tell a whole body from one cut short by a closed connection.
        m_current->SetBodyLengthRequired(true);
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
    const int32_t state = m_state;
    const tResult handled = OnBodyReceived(session->GetBodyMemory());
    // A file that could not be stored or installed has been reported as a failure already.
    return state == kStateManifestRequested ? handled : kResOk;
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
    // A reply that is no manifest (an error page, binary bytes) says nothing about releases.
    if (!IsReadableManifest(lines)) {
        m_refused = true;
        return ReportFailure();
    }
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
        if (!entry.SetFromManifestLine(line))
            m_refused = true;
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
    else if (IsOwnName(FirstLevel(entry)) || m_fileList.Add(entry) != kResOk)
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
    tCMemFile contents;
    tCStringArray lines;
    if (m_folder.ReadFile(kReplacementListName, kManifestLimit, &contents) != kResOk)
        return;
    const tResult ignored = ReadManifestLines(contents, lines);
    (void)ignored;
    for (const tCString& line : lines) {
        if (!IsFileLine(line))
            continue;
        CFileData entry;
        // An entry whose numbers do not fit matches nothing.
        if (!entry.SetFromManifestLine(line))
            continue;
        if (m_installed.Add(entry) != kResOk)
            return;
    }
}

tResult CKSUTransferManager::MakeUpdaterFileName(CUpdateFolder& folder, tCString* name, tCFile* file)
{
    return folder.CreateNumberedFile("KostrelUpdater", ".exe", name, file);
}

tResult CKSUTransferManager::StoreUpdater(tCMemFile& body)
{
    tCFile file;
    tCString name;
    TK_TRY(MakeUpdaterFileName(m_folder, &name, &file));
    tResult stored = file.WriteBytes(body.GetData(), body.GetSize());
    if (stored == kResOk)
        stored = file.Sync();
    const tResult closed = file.Close();
    if (stored == kResOk)
        stored = closed;
    if (stored == kResOk) {
        m_updater.tempPath = name;
    } else {
        const tResult ignored = m_folder.DeleteFile(name);
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
    const int32_t index = int32_t(m_currentEntry - m_fileList.GetData());
    const tResult stored = m_staging.Store(index, body.GetData(), body.GetSize(), &m_currentEntry->tempPath);
    if (stored != kResOk) {
        ReportFailure();
        return stored;
    }
    return RequestNextFile();
}

tResult CKSUTransferManager::OnUpdaterReceived(tCMemFile& body)
{
    const tResult stored = StoreUpdater(body);
    if (stored != kResOk)
        ReportFailure();
    return stored;
}

tResult CKSUTransferManager::InstallFiles()
{
    // Every target is checked before the first one is touched; a failure after that puts back
    // what was replaced, so that the release is installed whole or not at all.
    tResult installed = m_staging.CheckTargets(m_fileList);
    if (installed == kResOk)
        installed = m_staging.Flush();
    for (int32_t i = 0; installed == kResOk && i < m_fileList.GetCount(); ++i)
        if (m_fileList[i].needsDownload)
            installed = InstallFile(m_fileList[i]);
    if (installed == kResOk)
        installed = m_folder.ReplaceFile(kReplacementListName, m_rawManifest.GetData(), m_rawManifest.GetCount());
    if (installed != kResOk)
        m_staging.PutBack();
    DiscardTemps();
    return installed;
}

tResult CKSUTransferManager::InstallFile(CFileData& entry)
{
    return m_staging.Install(entry);
}

void CKSUTransferManager::DiscardTemps()
{
    m_staging.Discard();
    for (CFileData& entry : m_fileList)
        entry.tempPath = tCString();
}
