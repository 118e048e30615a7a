#include "app/shell/CPreferencesFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "app/shell/BackboneMessages.h"
#include "app/shell/CHMRBackbone.h"
#include "app/shell/CHMRBackdrop.h"
#include "app/shell/IPanelMaker.h"
#include "app/shell/PressureResponse.h"
#include "app/shell/ShellResources.h"
#include "app/shell/panes/CKS2Pane.h"
#include "app/shell/panes/IColourModePane.h"
#include "toolkit/widgets/CWidget.h"
#include "paint/tools/CToolBase.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CSafeFileWriter.h"
#include "toolkit/core/CWindowBase.h"
#include "toolkit/core/FileOperations.h"
#include "toolkit/core/FileProbes.h"
#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/tCFPath.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCFolderRef.h"
#include "toolkit/core/tCMemFile.h"

namespace {

constexpr uint32_t kTagSounds = 0xFF003013;
constexpr uint32_t kTagTransitions = 0xFF003094;
constexpr uint32_t kTagCurrentTool = 0xFF003004;
constexpr uint32_t kTagToolSettings = 0xFF003082;
constexpr uint32_t kTagColour = 0xFF00301B;
constexpr uint32_t kTagChannelValue = 0xFF00308E;
constexpr uint32_t kTagCoverMonitor = 0xFF003022;
constexpr uint32_t kTagFullScreen = 0xFF003021;
constexpr uint32_t kTagPressureResponse = 0xFF00301F;
constexpr uint32_t kTagCursorPosition = 0xFF0030A0;
constexpr uint32_t kTagCursorStyle = 0xFF003095;
constexpr uint32_t kTagBackgroundColour = 0xFF0030A1;
constexpr uint32_t kTagColourMode = 0xFF003020;

// Where the panes stand: each pane's side, then for some its place along the backdrop, a
// horizontal centre over the backdrop's width or a top edge over its height. Written in this
// order, each only for a pane the program has.
enum class tPanePlace { kNone, kCentre, kTop };
struct tPanePlaceRow {
    uint32_t rootId;
    uint32_t sideTag;
    uint32_t placeTag;
    tPanePlace place;
};
constexpr tPanePlaceRow kPanePlaceRows[] = {
    {kPaneColourPicker, 0xFF003096, 0, tPanePlace::kNone},
    {kPaneToolPicker, 0xFF003097, 0, tPanePlace::kNone},
    {kPaneNavigation, 0xFF003098, 0xFF00309C, tPanePlace::kCentre},
    {kPaneMenuBar, 0xFF003099, 0xFF00309D, tPanePlace::kCentre},
    {kPaneToolSettings, 0xFF00309A, 0xFF00309E, tPanePlace::kTop},
    {kPaneSwatches, 0xFF00309B, 0xFF00309F, tPanePlace::kTop},
};

// The colour message's flag: the colour is applied.
constexpr uint32_t kColourApplied = 1;

uint32_t AsSwitch(int32_t value) { return value != 0 ? 1 : 0; }

// The payload of one chunk, read whole from the file into memory; each value is read from it,
// so nothing is read past the chunk.
tResult ReadPayload(tCStream& stream, int64_t length, tCMemFile* payload)
{
    TK_TRY(payload->GrowBy(length));
    if (length > 0)
        TK_TRY(stream.ReadBytes(payload->GetData(), length));
    return payload->Rewind();
}

void ApplyToolSettings(tCMemFile& payload)
{
    uint32_t id = 0;
    if (payload.ReadU32(&id) != kResOk || payload.Rewind() != kResOk)
        return;
    CHMRBackbone* controller = CHMRBackbone::Current();
    if (!controller)
        return;
    for (CToolBase* tool : controller->GetTools()) {
        if (tool && tool->GetToolId() == id) {
            (void)tool->ReadSettings(&payload, payload.GetSize());
            return;
        }
    }
}

void ApplyWindowWord(uint32_t tag, uint32_t word)
{
    CWindowBase* window = GetMainWindow();
    if (!window)
        return;
    if (tag == kTagCoverMonitor) {
        window->SetMonitorFlag(int32_t(word));
        return;
    }
    if (word == 0)
        (void)window->Relayout(6, {1024.0f, 768.0f}, {-1.0f, -1.0f}, 1);
    else
        (void)window->Relayout(1, {-1.0f, -1.0f}, {-1.0f, -1.0f}, 1);
}

IColourModePane* ColourModePane(const CHMRBackdrop& backdrop)
{
    return dynamic_cast<IColourModePane*>(backdrop.FindPane(kPaneColourPicker));
}

// A pane's side from the file: side 1 at once when the value is non-zero and the pane exists.
// A move without a slide reaches its side at once, so the pane hears that it did (the colour
// picker then shows its corner swatch in place of the wheel).
void ApplyPaneSide(CHMRBackdrop& backdrop, uint32_t rootId, int32_t side)
{
    CKS2Pane* pane = backdrop.FindPane(rootId);
    if (!pane || side == 0 || pane->SetSide(1, 0) != kResOk)
        return;
    (void)pane->OnSideReached();
}

// A stored place puts the pane's root there, or as near as the pane's own drag could have put
// it on this backdrop, which may be smaller than the one the place was kept on: a horizontal
// centre (a share of the backdrop's width) or a top edge (a share of its height).
void ApplyPanePlace(CHMRBackdrop& backdrop, const tPanePlaceRow& row, float fraction)
{
    CKS2Pane* pane = backdrop.FindPane(row.rootId);
    CWidget* root = pane ? pane->GetRoot() : nullptr;
    if (!root || !std::isfinite(fraction))
        return;
    const double share = std::clamp(double(fraction), 0.0, 1.0);
    if (row.place == tPanePlace::kCentre) {
        const int32_t left = int32_t(std::lround(double(backdrop.GetWidth()) * share)) - root->GetWidth() / 2;
        (void)root->SetXPosition(pane->ReachableLeft(left), 0);
    } else {
        const auto top = int32_t(std::lround(double(backdrop.GetHeight()) * share));
        (void)root->SetYPosition(pane->ReachableTop(top), 0);
    }
}

// The pane's side, then its place; nothing for a pane the program does not have.
tResult WritePanePlace(CHMRBackdrop& backdrop, tCStream* stream, const tPanePlaceRow& row)
{
    const CKS2Pane* pane = backdrop.FindPane(row.rootId);
    const CWidget* root = pane ? pane->GetRoot() : nullptr;
    if (!root)
        return kResOk;
    TK_TRY(WriteChunkI32(stream, row.sideTag, pane->GetSide() != 0 ? 1 : 0));
    if (row.place == tPanePlace::kCentre) {
        const int32_t centre = (root->GetRect().left + root->GetRect().right) >> 1;
        const int32_t width = backdrop.GetWidth();
        return WriteChunkFloat(stream, row.placeTag, float(width > 0 ? double(centre) / double(width) : 0.5));
    }
    if (row.place == tPanePlace::kTop) {
        const int32_t height = backdrop.GetHeight();
        const int32_t top = root->GetRect().top;
        return WriteChunkFloat(stream, row.placeTag, float(height > 0 ? double(top) / double(height) : 0.0));
    }
    return kResOk;
}

// The pane row a side or place tag belongs to, or null.
const tPanePlaceRow* FindPaneRow(uint32_t tag)
{
    for (const tPanePlaceRow& row : kPanePlaceRows)
        if (tag == row.sideTag || (row.placeTag != 0 && tag == row.placeTag))
            return &row;
    return nullptr;
}

void ApplyChunk(CHMRBackdrop& backdrop, uint32_t tag, tCMemFile& payload)
{
    if (tag == kTagToolSettings) {
        ApplyToolSettings(payload);
        return;
    }
    if (const tPanePlaceRow* row = FindPaneRow(tag)) {
        if (tag == row->placeTag) {
            float fraction = 0.0f;
            if (payload.ReadFloat(&fraction) == kResOk)
                ApplyPanePlace(backdrop, *row, fraction);
        } else if (int32_t side = 0; payload.ReadI32(&side) == kResOk) {
            ApplyPaneSide(backdrop, row->rootId, side);
        }
        return;
    }
    if (tag == kTagChannelValue || tag == kTagPressureResponse) {
        float value = 0.0f;
        if (payload.ReadFloat(&value) != kResOk || !std::isfinite(value))
            return;
        // The channel value is read and left at its default; the response keeps itself in 0..1.
        if (tag == kTagPressureResponse)
            SetPressureResponse(value);
        return;
    }
    int32_t value = 0;
    if (payload.ReadI32(&value) != kResOk)
        return;
    switch (tag) {
    case kTagSounds:
        *backdrop.GetSoundsSwitch() = value == 1 ? 1 : 0;
        break;
    case kTagTransitions:
        *backdrop.GetTransitionsSwitch() = value == 1 ? 1 : 0;
        break;
    case kTagCurrentTool:
        if (uint32_t(value) >= kToolOilBrush && uint32_t(value) <= kToolPaintRoller)
            backdrop.SetStartTool(uint32_t(value));
        break;
    case kTagColour:
        (void)tCCmdTarget::SendToBackbone(kMsgColourChanged, ToMsgArg(&backdrop), uint32_t(value), kColourApplied);
        break;
    case kTagCoverMonitor:
    case kTagFullScreen:
        ApplyWindowWord(tag, AsSwitch(value));
        break;
    case kTagCursorPosition:
        SetUseCursorPosition(AsSwitch(value));
        break;
    case kTagCursorStyle:
        backdrop.GetCursorManager().SetSimpleCursor(AsSwitch(value));
        break;
    case kTagBackgroundColour:
        (void)backdrop.SetBackgroundColour(uint32_t(value), 0);
        break;
    case kTagColourMode:
        if (IColourModePane* picker = ColourModePane(backdrop))
            (void)picker->SetMode(value);
        break;
    default:
        break;
    }
}

bool IsKnownTag(uint32_t tag)
{
    switch (tag) {
    case kTagSounds:
    case kTagTransitions:
    case kTagCurrentTool:
    case kTagToolSettings:
    case kTagColour:
    case kTagChannelValue:
    case kTagCoverMonitor:
    case kTagFullScreen:
    case kTagPressureResponse:
    case kTagCursorPosition:
    case kTagCursorStyle:
    case kTagBackgroundColour:
    case kTagColourMode:
        return true;
    default:
        return FindPaneRow(tag) != nullptr;
    }
}

void ReportUnreadableTag(tResult code)
{
    CAppBase* app = GetApplication();
    if (!app)
        return;
    tCString text;
    (void)app->ReportError(code, app->GetString(text, kStrErrPreferences, 0));
}

tResult WriteToolSettings(tCStream* stream, const tCArray<CToolBase*>& tools)
{
    tCMemFile record;
    for (CToolBase* tool : tools) {
        if (!tool)
            continue;
        record.Reset();
        TK_TRY(tool->WriteSettings(&record));
        TK_TRY(WriteChunkBytes(stream, kTagToolSettings, record.GetData(), record.GetSize()));
    }
    return kResOk;
}

}  // namespace

tResult CPreferencesFile::GetFilePath(tCFPath* path) { return GetFilePath(path, nullptr); }

tResult CPreferencesFile::GetFilePath(tCFPath* path, tCString* folder)
{
    tCFolderRef appData;
    TK_TRY(GetAppDataFolder(appData));
    tCString product;
    if (CAppBase* app = GetApplication())
        app->GetString(product, kStrProduct, 0);
    const std::u16string_view name = product.View();
    if (name.empty() || name.starts_with(u"%%") || name == u"." || name == u".." ||
        name.find(u'/') != std::u16string_view::npos)
        return kResResourceNotFound;
    const tCString folderText = appData.GetText().Concat(u"Veltrana Works/").Concat(product).Concat(u"/");
    if (folder)
        *folder = folderText;
    return path->SetPath(folderText.Concat(u"Kostrel.prs"));
}

tResult CPreferencesFile::WriteChunks(CHMRBackdrop& backdrop, tCStream* stream)
{
    CHMRBackbone* controller = CHMRBackbone::Current();
    if (!controller)
        return kResBadParam;
    TK_TRY(WriteChunkI32(stream, kTagSounds, *backdrop.GetSoundsSwitch() == 1 ? 1 : 0));
    TK_TRY(WriteChunkI32(stream, kTagTransitions, *backdrop.GetTransitionsSwitch() == 1 ? 1 : 0));
    if (const CToolBase* tool = controller->GetCurrentToolBase())
        TK_TRY(WriteChunkI32(stream, kTagCurrentTool, int32_t(tool->GetToolId())));
    TK_TRY(WriteToolSettings(stream, controller->GetTools()));
    TK_TRY(WriteChunkI32(stream, kTagColour, int32_t(controller->GetPaintColour())));
    TK_TRY(WriteChunkFloat(stream, kTagChannelValue, controller->GetColourChannel()));
    const CWindowBase* window = GetMainWindow();
    TK_TRY(WriteChunkI32(stream, kTagCoverMonitor, window ? window->GetMonitorFlag() : 0));
    TK_TRY(WriteChunkI32(stream, kTagFullScreen, window && window->IsFullScreen() ? 1 : 0));
    TK_TRY(WriteChunkFloat(stream, kTagPressureResponse, GetPressureResponse()));
    TK_TRY(WriteChunkI32(stream, kTagCursorPosition, int32_t(GetUseCursorPosition())));
    if (IColourModePane* picker = ColourModePane(backdrop))
        TK_TRY(WriteChunkI32(stream, kTagColourMode, picker->GetMode()));
    TK_TRY(WriteChunkI32(stream, kTagCursorStyle, int32_t(backdrop.GetCursorManager().GetSimpleCursor())));
    for (const tPanePlaceRow& row : kPanePlaceRows)
        TK_TRY(WritePanePlace(backdrop, stream, row));
    return WriteChunkU32(stream, kTagBackgroundColour, backdrop.GetBackgroundColour());
}

tResult CPreferencesFile::ReadChunks(CHMRBackdrop& backdrop, tCStream& stream)
{
    const int64_t fileLength = stream.GetLength();
    while (stream.GetPosition() < fileLength) {
        uint32_t tag = 0;
        if (const tResult read = stream.ReadU32(&tag); read != kResOk) {
            if (read != kResHandled)
                ReportUnreadableTag(read);
            break;
        }
        uint64_t length = 0;
        if (stream.ReadU64(&length) != kResOk)
            break;
        const int64_t start = stream.GetPosition();
        // A length beyond what remains ends the reading: the rest cannot be trusted.
        if (start < 0 || length > uint64_t(fileLength - start))
            break;
        if (IsKnownTag(tag)) {
            tCMemFile payload;
            if (ReadPayload(stream, int64_t(length), &payload) != kResOk)
                break;
            ApplyChunk(backdrop, tag, payload);
        }
        if (stream.SetPosition(start + int64_t(length)) != kResOk)
            break;
    }
    return kResOk;
}

tResult CPreferencesFile::ReadPreferences(CHMRBackdrop& backdrop)
{
    tCFPath path;
    if (GetFilePath(&path) != kResOk)
        return kResOk;
    tCFile file;
    if (file.Open(path, 1) != kResOk)
        return kResHandled;
    return ReadChunks(backdrop, file);
}

tResult CPreferencesFile::WritePreferences(CHMRBackdrop& backdrop)
{
    tCFPath path;
    tCString folderText;
    tResult result = GetFilePath(&path, &folderText);
    if (result == kResOk) {
        tCFolderRef folder;
        result = folder.SetText(folderText);
        if (result == kResOk && !IsFolderPath(folder))
            result = CreateFolders(folder);
    }
    CSafeFileWriter writer;
    if (result == kResOk)
        result = writer.Begin(path);
    if (result == kResOk)
        result = WriteChunks(backdrop, &writer.GetFile());
    if (result == kResOk)
        result = writer.Commit();
    if (result != kResOk)
        std::fprintf(stderr, "The preferences file could not be written (code %d).\n", int(result));
    return result;
}
