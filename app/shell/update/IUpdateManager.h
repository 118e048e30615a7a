#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"

// The update check as the controller drives it.
//
// The controller owns one manager and gives it, at construction, the command target its
// messages go to (the controller itself). Every message goes out as OnMessage(code, a, b, 0,
// kMsgApply) with a = the manager:
// - kMsgUpdateReport: the manifest was read; b points to a tCStringArray holding the release's
//   title, then its notes in manifest order. The array lives only for the call: receivers copy
//   what they keep. An answer of 0 ends the check (the manager is idle again).
// - kMsgUpdateFailed: the transfer failed (connection refused, host not found, a refused status,
//   a body cut short, reset, over its limit or without a length or chunks, a file that could not
//   be stored, a release that could not be installed whole); b is the state the manager was in
//   (0 the manifest, 1 a listed file, 2 the updater program). An answer of 0 ends the transfer.
//   It is the only word of such a failure: no error box comes with it.
// Both are sent from inside Start or Poll, never from another thread. Their receiver (the
// controller) clears the application's update-transfer flag and passes them on to the backdrop,
// where the update pane takes them.
//
// The controller's side, for reference:
// - Initialise calls StartUp once; its code is Initialise's answer.
// - kMsgUpdateCheck (from the update pane): when IsIdle, sets the application's update-transfer
//   flag and calls Start; a non-zero code is the answer. While a check runs it does nothing, so a
//   second opening of the pane starts no second check.
// - kMsgUpdateStop (from the update pane when it hides): when not IsIdle, clears the flag and
//   calls Stop; a non-zero code is the answer. A check stopped this way reports nothing.
// - kMsgUpdateReport, kMsgUpdateFailed: clear the flag, then forward.
// - The application's per-tick step (CHMRApp::OnTick) calls Poll through the controller on every
//   heartbeat while the update-transfer flag is set; all network progress happens there.
class IUpdateManager {
public:
    virtual ~IUpdateManager() = default;

    // Starts networking (the sockets, version 2.2): 0, or 1 after the error box said why.
    virtual tResult StartUp() = 0;
    // False while the manifest is being fetched; true before the first check and once a check
    // has reported, failed or been stopped.
    virtual bool IsIdle() const = 0;
    // Starts fetching the manifest; a file download still running ends, and what it stored is
    // deleted. A start that fails at once has also sent kMsgUpdateFailed.
    virtual tResult Start() = 0;
    // Drops the running transfer without a report; the manager is idle afterwards.
    virtual tResult Stop() = 0;
    // Lets the transfer handle its network events and deletes the sessions it replaced. Answers
    // what the transfer's poll answered; a failure that ends the transfer has also been sent as
    // kMsgUpdateFailed, so the caller need not act on it.
    virtual tResult Poll() = 0;
};

// The update pane asks the controller to start the check (a = the pane).
inline constexpr uint32_t kMsgUpdateCheck = 0xFF00104Eu;
// Query (flag 0): a points to the reported version tCString, b to a u32 that becomes 1 when that
// version is newer than the program's own.
inline constexpr uint32_t kMsgUpdateIsNewer = 0xFF001051u;
// The update pane hides (a = the pane).
inline constexpr uint32_t kMsgUpdateStop = 0xFF001052u;
inline constexpr uint32_t kMsgUpdateReport = 0xFF0F0000u;
inline constexpr uint32_t kMsgUpdateFailed = 0xFF0F0001u;
