#pragma once

#include <cstdint>

// The messages the main backdrop (CHMRBackdrop) answers besides those it passes on to its panes.
// a is the sender; b the argument.

// The save question before a follow-up action (b): shows the save prompt; 0 when it is on screen.
inline constexpr uint32_t kMsgAskToSave = 0xFF00001C;
// The save prompt's answers, each with the follow-up action in b: save then act, act without
// saving, drop the action.
inline constexpr uint32_t kMsgSaveThenAct = 0xFF00001D;
inline constexpr uint32_t kMsgDiscardThenAct = 0xFF00001E;
inline constexpr uint32_t kMsgSaveCancelled = 0xFF00001F;
// To every main pane after the backdrop was resized; b = the size before, {i32 width, i32 height}.
inline constexpr uint32_t kMsgBackdropResized = 0xFF00102D;

// Open the help document, the web page and the program document.
inline constexpr uint32_t kMsgOpenHelp = 0xFF000020;
inline constexpr uint32_t kMsgOpenWebPage = 0xFF001054;
inline constexpr uint32_t kMsgOpenProgramDocument = 0xFF001055;

// What follows the save prompt's answer.
enum : uint32_t {
    kFollowQuit = 0,
    kFollowOpen = 1,
    kFollowNewPainting = 2,
    kFollowNewFromImage = 3,
};

// The tool picked at the end of the interface build unless the preferences name another.
inline constexpr uint32_t kDefaultStartTool = 4900;
// The project file type of the file dialogs.
inline constexpr uint32_t kProjectFileTypeId = 25;
