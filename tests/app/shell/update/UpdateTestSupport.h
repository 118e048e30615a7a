#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/update/CKSUTransferManager.h"
#include "app/shell/update/IUpdateManager.h"
#include "toolkit/core/HeadlessApp.h"
#include "toolkit/core/ProgramSubfolder.h"
#include "toolkit/core/TempFolder.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/net/NetTestSupport.h"

// Stands in for the controller: records what the update manager sends it, and answers the update
// pane's two messages by the rule the controller follows (start only when idle, stop only when not).
class ControllerStandIn : public tCCmdTarget {
public:
    struct Record {
        uint32_t message = 0;
        tMsgArg sender = 0;
        tMsgArg value = 0;
        // The title and notes of a report.
        std::vector<std::u16string> texts;
    };

    tResult OnMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply) override;

    // The pane's messages, as the pane sends them.
    tResult Check() { return OnMessage(kMsgUpdateCheck, 0, 0, 0, kMsgApply); }
    tResult Hide() { return OnMessage(kMsgUpdateStop, 0, 0, 0, kMsgApply); }

    int Count(uint32_t message) const;

    IUpdateManager* manager = nullptr;
    std::vector<Record> records;
    // The answer to the manager's messages.
    tResult answer = kResOk;
};

// A manifest's text, as its bytes in UTF-8.
std::string ManifestBytes(const std::vector<std::string>& lines, const char* lineEnd = "\r\n");
// The same text in UTF-16 little-endian with its mark.
std::string WideManifestBytes(const std::u16string& text);

// Every file, folder and link below a folder (links not followed), with each file's bytes: a
// listing that changes whenever anything below the folder does. `skip` names a subfolder left out.
std::vector<std::string> ListTree(const std::filesystem::path& folder, const std::filesystem::path& skip = {});

// An application whose string table points the update check at a server; an update folder
// "Update" inside a temporary home, beside an "outside" folder that must never change; and a
// manager that reports to a controller stand-in.
class UpdateTest : public NetTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the string table with the manifest's host and path and loads it.
    void PointAt(const std::string& hostAndPort, const std::string& path);
    // Polls the manager (and the host look-ups) until `done` holds; false when it did not.
    bool Drive(const std::function<bool()>& done, int milliseconds = 15000);
    // The pane's check, driven until the manager is idle again.
    bool RunCheck();
    // The one message so far says the manifest failed, and the manager is in state 3.
    void ExpectOnlyManifestFailure() const;

    std::string UpdatePath(const std::string& name = "") const;
    std::string OutsidePath(const std::string& name = "") const;

    std::unique_ptr<ScriptedApp> m_app;
    ProgramSubfolder m_resources;
    TempFolder m_home;
    ControllerStandIn m_controller;
    std::unique_ptr<CKSUTransferManager> m_manager;
};

// A fixture with one nginx for its whole suite, serving web files the tests write.
class NginxUpdateTest : public UpdateTest {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // Writes a file to serve, at a path below the web folder.
    static void Serve(const std::string& path, const std::string& bytes);
    static std::string WebPath(const std::string& path);
    // Points the check at a manifest served at `path`.
    void PointAtServed(const std::string& path);
    std::string HostAndPort() const;

    static inline TempFolder* s_folder = nullptr;
    static inline NginxServer* s_nginx = nullptr;
    static inline bool s_started = false;
};
