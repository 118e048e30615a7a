#pragma once

#include <cstdint>

#include "paint/engine/CUndoTempFiles.h"
#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCFile.h"
#include "toolkit/core/tCRect.h"
#include "toolkit/imaging/CImage8.h"

class CPaintCellMap;
class CPaintCellNav;
class CRegion;
class tCStream;

// Sent to the backdrop whenever what can be undone or redone has changed.
inline constexpr uint32_t kMsgUndoStateChanged = 0xFF00104Du;

// Step types the store itself knows: saved tiles of one layer, and a marker without payload.
// The controller's records use the types above these.
enum : uint32_t { kUndoStepTiles = 0, kUndoStepMarker = 1 };

// The 12 bytes that open and close every step: its type, the caller's word, and the number of
// tiles (tile steps) or of payload bytes (all other types).
struct UndoStepHeader {
    uint32_t type = 0;
    uint32_t value = 0;
    uint32_t count = 0;
};

struct UndoStoreLimits {
    // A step that would start past this offset goes into a new file; a step is never split.
    int64_t fileCap = 0x3200000;
    // The most bytes of tiles held in memory; larger steps stream through this much.
    int32_t stagingBytes = 8 << 20;
};

// The undo history of a painting, in temporary files. Before cells change, the tiles of 16 x 16
// cells under the change are saved, each at most once per step; undo and redo exchange a step's
// tiles with the cells and write the exchanged tiles back in place, so the same record serves
// the next move the other way. Other steps are records whose payload the caller writes and
// reads through the file stream.
//
// A step is built with BeginStep, any number of SaveTilesInRect and EndStep, or with
// OpenRecord, payload writes and CloseRecord; a step still open when another operation starts
// is finished first. Any new step drops the steps that were undone. A step that cannot be
// written whole is dropped and its failure answered; the steps before it stay undoable.
class CHMRUndoManager : public tCCmdTarget {
public:
    CHMRUndoManager() = default;
    explicit CHMRUndoManager(const UndoStoreLimits& limits);
    // Deletes the temporary files.
    ~CHMRUndoManager() override;
    CHMRUndoManager(const CHMRUndoManager&) = delete;
    CHMRUndoManager& operator=(const CHMRUndoManager&) = delete;

    // Reset, then SetCanvasSize.
    tResult Initialise(int32_t width, int32_t height);
    // Makes room to mark every tile of a canvas of this many cells. 6 for a bad size; 5 when the
    // memory cannot be had, and the store then holds no tiles until a later call succeeds.
    tResult SetCanvasSize(int32_t width, int32_t height);
    // Forgets every step and deletes the files and the tile marks.
    void Reset();
    // Forgets every step and deletes the files, keeping the tile marks' size: for a change kept
    // although its step could not be stored, which the steps before it would partly undo.
    void ForgetSteps();
    // Whether ForgetSteps ran since the last Reset.
    bool HasForgottenSteps() const { return m_stepsForgotten; }
    // The bytes SetCanvasSize holds in memory for a canvas of this many cells: the tile marks
    // and the staging of tiles.
    static uint64_t HeldBytes(int32_t width, int32_t height, const UndoStoreLimits& limits = {});

    bool CanUndo() const;
    bool CanRedo() const;

    tResult BeginStep(uint32_t type, uint32_t value);
    // Saves every tile under `rect` (in cells) not yet saved in the open tile step. A failure
    // drops the step; the later calls of the step then do nothing.
    tResult SaveTilesInRect(const tCRect& rect, CPaintCellMap& map);
    // A marker step with the given value.
    tResult PushStep(uint32_t value);
    // Writes the open step; a tile step without tiles leaves nothing. Answers the step's first
    // failure, whether it came here or in SaveTilesInRect.
    tResult EndStep();

    // Starts a record of the given type at the end of the history and answers the stream to
    // write its payload to, or null when no record can be started.
    tCStream* OpenRecord(uint32_t type, uint32_t value);
    // Completes the open record, or answers why it could not be opened or completed.
    tResult CloseRecord();

    // Reads the step before (undo) or after (redo) the current one. 2 when there is none;
    // 25 when the history is damaged there, which gives up the steps beyond. A record's
    // payload is then read from `stream`; a tile step is carried out by ApplyTileStep.
    tResult ReadStep(UndoStepHeader* header, tCStream** stream, bool undo);
    // Exchanges the tiles of the tile step ReadStep just read with the map's cells and adds the
    // cells that changed to `region`. On a failure the map is left as it was and the steps
    // beyond this one in that direction are given up.
    tResult ApplyTileStep(CRegion* region, CPaintCellMap& map, bool undo);

private:
    enum class OpenStep : int32_t { kNone, kStaged, kRecord, kFailed };

    // The tile step ReadStep found: where it starts and how many tiles it holds.
    struct ReadTileStep {
        bool valid = false;
        bool undo = false;
        int64_t start = 0;
        uint32_t tiles = 0;
    };

    class TileRectMerger;

    tResult FinishOpenStep();
    void FailOpenStep(tResult result);
    tResult TakeFailure();
    tResult EnsureStaging(int64_t bytes);
    int64_t StagingLimit() const;
    tResult SaveTile(int32_t tileX, int32_t tileY, CPaintCellNav& cells);
    tResult FlushStaging();
    tResult WriteStagedStep();
    tResult CompleteRecord();
    tResult PrepareStepFile();
    void DropRedoSteps();
    tResult CreateTempFile(int32_t index);
    tResult EnsureFileOpen();
    void CloseFile();
    tResult ReadAt(int64_t offset, void* bytes, int64_t count);
    tResult WriteAt(int64_t offset, const void* bytes, int64_t count);
    tResult ReadHeaderAt(int64_t offset, UndoStepHeader* header);
    tResult ExpectHeaderAt(int64_t offset, const UndoStepHeader& expected);

    tResult ReadStepBack(UndoStepHeader* header, tCStream** stream);
    tResult ReadStepForward(UndoStepHeader* header, tCStream** stream);
    tResult TakeStep(const UndoStepHeader& step, int64_t start, bool undo, UndoStepHeader* header, tCStream** stream);
    tResult SwapTiles(CPaintCellNav& cells, int64_t offset, uint32_t tiles, bool undo, TileRectMerger* merger);
    tResult RestoreCells(CPaintCellNav& cells, int64_t offset, uint32_t tiles);
    void ExchangeChunk(CPaintCellNav& cells, uint32_t tiles, TileRectMerger* merger);
    int64_t UndoFloor() const;
    void GiveUpStepsBefore();
    void GiveUpStepsAfter();
    void ForgetHistory();
    void NotifyStateChanged();

    UndoStoreLimits m_limits;
    // One byte per tile of the canvas: non-zero once the tile is saved in the open step.
    CImage8 m_tileFlags;
    CMemBlockT<uint8_t> m_staging;
    int32_t m_fill = 0;

    OpenStep m_open = OpenStep::kNone;
    UndoStepHeader m_stepHeader;
    // Bytes of the open step already streamed to the file.
    int64_t m_stepWritten = 0;
    tResult m_stepResult = kResOk;
    ReadTileStep m_readStep;

    CUndoTempFiles m_files;
    tCFile m_file;
    int32_t m_fileIndex = -1;
    int64_t m_position = 0;
    // Steps before this place were given up after damage.
    int32_t m_floorFile = 0;
    int64_t m_floorPosition = 0;
    bool m_stepsForgotten = false;
};
