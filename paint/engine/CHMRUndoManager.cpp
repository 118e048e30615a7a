#include "paint/engine/CHMRUndoManager.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>

#include "paint/engine/CPaintCellMap.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/PaintCell.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/widgets/CRegion.h"

// A step in a file: the 12-byte header {type, value, count}, the tiles or the payload, and the
// header again as its trailer, so the history can be walked both ways. A tile is u32 x, u32 y
// (in tiles) and 2560 bytes: the rows of its cells inside the canvas, packed, then zeros.

namespace {

constexpr int32_t kTileSide = 16;
constexpr int64_t kHeaderBytes = 12;
constexpr int64_t kTileRecordBytes = 8 + int64_t(kTileSide) * kTileSide * kPaintCellBytes;
// Room for one tile with its step's header and trailer.
constexpr int64_t kSmallestStaging = kTileRecordBytes + 2 * kHeaderBytes;

// Tiles hold cells as they lie in memory, which is their little-endian layout on disk.
static_assert(std::endian::native == std::endian::little, "tile records copy cells byte for byte");

void PutHeader(uint8_t* bytes, const UndoStepHeader& header)
{
    EncodeLittleEndian<uint32_t>(header.type, bytes);
    EncodeLittleEndian<uint32_t>(header.value, bytes + 4);
    EncodeLittleEndian<uint32_t>(header.count, bytes + 8);
}

UndoStepHeader GetHeader(const uint8_t* bytes)
{
    return {DecodeLittleEndian<uint32_t>(bytes), DecodeLittleEndian<uint32_t>(bytes + 4),
            DecodeLittleEndian<uint32_t>(bytes + 8)};
}

bool SameHeader(const UndoStepHeader& a, const UndoStepHeader& b)
{
    return a.type == b.type && a.value == b.value && a.count == b.count;
}

int64_t StepBytes(const UndoStepHeader& header)
{
    const int64_t body = header.type == kUndoStepTiles ? int64_t(header.count) * kTileRecordBytes : header.count;
    return body + 2 * kHeaderBytes;
}

// A tile step always holds tiles: an empty one is never written.
bool IsPlausible(const UndoStepHeader& header)
{
    return header.type != kUndoStepTiles || header.count > 0;
}

int32_t TileCount(int32_t cells)
{
    return (cells + kTileSide - 1) / kTileSide;
}

int64_t StagingLimitOf(const UndoStoreLimits& limits)
{
    return std::max<int64_t>(limits.stagingBytes, kSmallestStaging);
}

// Room for a step of every tile of the canvas, within the limit.
int64_t StagingBytesFor(int32_t width, int32_t height, const UndoStoreLimits& limits)
{
    const int64_t tiles = int64_t(TileCount(width)) * TileCount(height);
    return std::clamp(tiles * kTileRecordBytes + 2 * kHeaderBytes, kSmallestStaging, StagingLimitOf(limits));
}

// The cells of a tile inside a map of the given size; empty when the tile lies outside.
tCRect TileCells(int64_t tileX, int64_t tileY, int32_t width, int32_t height)
{
    const int64_t left = tileX * kTileSide;
    const int64_t top = tileY * kTileSide;
    if (left >= width || top >= height)
        return {};
    return {int32_t(left), int32_t(top), int32_t(std::min<int64_t>(left + kTileSide, width)),
            int32_t(std::min<int64_t>(top + kTileSide, height))};
}

}  // namespace

// Joins the rectangles of tiles met in row order into bands before they reach the region, so
// a whole-canvas step gives one rectangle rather than thousands.
class CHMRUndoManager::TileRectMerger {
public:
    explicit TileRectMerger(CRegion* region) : m_region(region) {}

    void Add(const tCRect& rect)
    {
        if (!m_run.IsEmpty() && rect.top == m_run.top && rect.bottom == m_run.bottom && rect.left == m_run.right) {
            m_run.right = rect.right;
            return;
        }
        EndRun();
        m_run = rect;
    }

    tResult Finish()
    {
        EndRun();
        Emit(m_band);
        m_band = {};
        return m_result;
    }

private:
    void EndRun()
    {
        if (m_run.IsEmpty())
            return;
        const bool extendsBand = !m_band.IsEmpty() && m_band.left == m_run.left && m_band.right == m_run.right &&
                                 m_band.bottom == m_run.top;
        if (extendsBand) {
            m_band.bottom = m_run.bottom;
        } else {
            Emit(m_band);
            m_band = m_run;
        }
        m_run = {};
    }

    void Emit(const tCRect& rect)
    {
        if (!rect.IsEmpty() && m_result == kResOk)
            m_result = m_region->AddRect(rect);
    }

    CRegion* m_region;
    tCRect m_run;
    tCRect m_band;
    tResult m_result = kResOk;
};

CHMRUndoManager::CHMRUndoManager(const UndoStoreLimits& limits) : m_limits(limits) {}

CHMRUndoManager::~CHMRUndoManager()
{
    ForgetHistory();
}

tResult CHMRUndoManager::Initialise(int32_t width, int32_t height)
{
    Reset();
    return SetCanvasSize(width, height);
}

tResult CHMRUndoManager::SetCanvasSize(int32_t width, int32_t height)
{
    if (width < 0 || height < 0)
        return kResBadParam;
    // The open step's marks belong to the old size.
    const tResult finished = FinishOpenStep();
    if (m_tileFlags.SetSize(TileCount(width), TileCount(height)) != kResOk ||
        m_staging.Resize(int32_t(StagingBytesFor(width, height, m_limits))) != kResOk) {
        m_tileFlags.FreePixels();
        m_staging.Free();
        return kResNoMemory;
    }
    m_fill = 0;
    return finished;
}

uint64_t CHMRUndoManager::HeldBytes(int32_t width, int32_t height, const UndoStoreLimits& limits)
{
    if (width < 0 || height < 0)
        return 0;
    const uint64_t marks = uint64_t(TileCount(width)) * uint64_t(TileCount(height));
    return marks + uint64_t(StagingBytesFor(width, height, limits));
}

void CHMRUndoManager::Reset()
{
    ForgetHistory();
    m_stepsForgotten = false;
    m_tileFlags.FreePixels();
    NotifyStateChanged();
}

void CHMRUndoManager::ForgetSteps()
{
    ForgetHistory();
    m_stepsForgotten = true;
    NotifyStateChanged();
}

bool CHMRUndoManager::CanUndo() const
{
    return m_fileIndex > m_floorFile || m_position > UndoFloor();
}

bool CHMRUndoManager::CanRedo() const
{
    if (m_fileIndex < 0)
        return false;
    if (m_position < m_files.GetEnd(m_fileIndex))
        return true;
    for (int32_t i = m_fileIndex + 1; i < m_files.GetCount(); ++i)
        if (m_files.GetEnd(i) > 0)
            return true;
    return false;
}

tResult CHMRUndoManager::BeginStep(uint32_t type, uint32_t value)
{
    const tResult finished = FinishOpenStep();
    m_readStep = {};
    m_open = OpenStep::kStaged;
    m_stepHeader = {type, value, 0};
    m_stepWritten = 0;
    m_stepResult = kResOk;
    m_fill = int32_t(kHeaderBytes);
    const tResult room = EnsureStaging(2 * kHeaderBytes);
    if (room != kResOk)
        FailOpenStep(room);
    return finished != kResOk ? finished : room;
}

tResult CHMRUndoManager::SaveTilesInRect(const tCRect& rect, CPaintCellMap& map)
{
    if (m_open == OpenStep::kFailed)
        return kResOk;
    if (m_open != OpenStep::kStaged || m_stepHeader.type != kUndoStepTiles)
        return kResBadParam;
    CPaintCellNav cells(map);
    if (!cells.IsValid())
        return kResOk;
    CImNav8 flags(&m_tileFlags);
    if (!flags.IsLocked()) {
        FailOpenStep(kResNoMemory);
        return kResNoMemory;
    }
    // Both limits are in tiles: a map larger than the marks never writes past them.
    const int32_t columns = std::min(flags.GetWidth(), TileCount(cells.GetWidth()));
    const int32_t rows = std::min(flags.GetHeight(), TileCount(cells.GetHeight()));
    const int32_t firstX = std::max(rect.left, 0) / kTileSide;
    const int32_t firstY = std::max(rect.top, 0) / kTileSide;
    const int32_t endX = int32_t(std::min<int64_t>(columns, (int64_t(rect.right) + kTileSide - 1) / kTileSide));
    const int32_t endY = int32_t(std::min<int64_t>(rows, (int64_t(rect.bottom) + kTileSide - 1) / kTileSide));
    for (int32_t tileY = firstY; tileY < endY; ++tileY) {
        uint8_t* marks = flags.Bytes(tileY);
        for (int32_t tileX = firstX; tileX < endX; ++tileX) {
            if (marks[tileX])
                continue;
            const tResult saved = SaveTile(tileX, tileY, cells);
            if (saved != kResOk) {
                FailOpenStep(saved);
                return saved;
            }
            marks[tileX] = 1;
        }
    }
    return kResOk;
}

tResult CHMRUndoManager::PushStep(uint32_t value)
{
    TK_TRY(BeginStep(kUndoStepMarker, value));
    return EndStep();
}

tResult CHMRUndoManager::EndStep()
{
    switch (m_open) {
    case OpenStep::kNone:
        return kResOk;
    case OpenStep::kRecord:
        return CloseRecord();
    case OpenStep::kFailed:
        return TakeFailure();
    case OpenStep::kStaged:
        break;
    }
    if (m_stepHeader.type == kUndoStepTiles && m_stepHeader.count == 0) {
        m_open = OpenStep::kNone;
        m_fill = 0;
        return kResOk;
    }
    const tResult written = WriteStagedStep();
    if (m_tileFlags.IsValid())
        m_tileFlags.Clear();
    m_open = OpenStep::kNone;
    m_fill = 0;
    m_stepWritten = 0;
    NotifyStateChanged();
    return written;
}

tCStream* CHMRUndoManager::OpenRecord(uint32_t type, uint32_t value)
{
    // A failure of the step finished here is answered by CloseRecord.
    const tResult finished = FinishOpenStep();
    m_readStep = {};
    m_open = OpenStep::kRecord;
    m_stepHeader = {type, value, 0};
    m_stepResult = finished;
    uint8_t header[kHeaderBytes];
    PutHeader(header, m_stepHeader);
    tResult opened = PrepareStepFile();
    if (opened == kResOk)
        opened = WriteAt(m_position, header, kHeaderBytes);
    if (opened != kResOk) {
        FailOpenStep(opened);
        return nullptr;
    }
    return &m_file;
}

tResult CHMRUndoManager::CloseRecord()
{
    switch (m_open) {
    case OpenStep::kNone:
        return kResOk;
    case OpenStep::kStaged:
        return EndStep();
    case OpenStep::kFailed:
        return TakeFailure();
    case OpenStep::kRecord:
        break;
    }
    m_open = OpenStep::kNone;
    const tResult earlier = m_stepResult;
    m_stepResult = kResOk;
    const tResult completed = CompleteRecord();
    NotifyStateChanged();
    return completed != kResOk ? completed : earlier;
}

tResult CHMRUndoManager::CompleteRecord()
{
    uint64_t at = 0;
    TK_TRY(m_file.GetPosition64(&at));
    const int64_t length = int64_t(at) - m_position - kHeaderBytes;
    if (length < 0 || length > int64_t(UINT32_MAX))
        return kResOutOfRange;
    m_stepHeader.count = uint32_t(length);
    uint8_t bytes[kHeaderBytes];
    EncodeLittleEndian<uint32_t>(m_stepHeader.count, bytes);
    TK_TRY(WriteAt(m_position + 8, bytes, 4));
    PutHeader(bytes, m_stepHeader);
    TK_TRY(WriteAt(int64_t(at), bytes, kHeaderBytes));
    m_position = int64_t(at) + kHeaderBytes;
    m_files.SetEnd(m_fileIndex, m_position);
    return kResOk;
}

tResult CHMRUndoManager::ReadStep(UndoStepHeader* header, tCStream** stream, bool undo)
{
    *header = {};
    *stream = nullptr;
    TK_TRY(FinishOpenStep());
    m_readStep = {};
    return undo ? ReadStepBack(header, stream) : ReadStepForward(header, stream);
}

tResult CHMRUndoManager::ReadStepBack(UndoStepHeader* header, tCStream** stream)
{
    if (!CanUndo())
        return kResHandled;
    while (m_position - kHeaderBytes < UndoFloor()) {
        if (m_fileIndex <= m_floorFile) {
            m_position = UndoFloor();
            return kResHandled;
        }
        TK_TRY(CreateTempFile(m_fileIndex - 1));
    }
    UndoStepHeader trailer;
    int64_t start = 0;
    tResult checked = ReadHeaderAt(m_position - kHeaderBytes, &trailer);
    if (checked == kResOk) {
        start = m_position - StepBytes(trailer);
        checked = IsPlausible(trailer) && start >= UndoFloor() ? ExpectHeaderAt(start, trailer) : kResDamaged;
    }
    if (checked == kResDamaged)
        GiveUpStepsBefore();
    TK_TRY(checked);
    return TakeStep(trailer, start, true, header, stream);
}

tResult CHMRUndoManager::ReadStepForward(UndoStepHeader* header, tCStream** stream)
{
    if (!CanRedo())
        return kResHandled;
    while (m_files.GetEnd(m_fileIndex) - m_position < kHeaderBytes) {
        if (m_fileIndex + 1 >= m_files.GetCount()) {
            m_position = m_files.GetEnd(m_fileIndex);
            return kResHandled;
        }
        TK_TRY(CreateTempFile(m_fileIndex + 1));
        m_position = 0;
    }
    UndoStepHeader step;
    tResult checked = ReadHeaderAt(m_position, &step);
    if (checked == kResOk) {
        const int64_t end = m_position + StepBytes(step);
        checked = IsPlausible(step) && end <= m_files.GetEnd(m_fileIndex) ? ExpectHeaderAt(end - kHeaderBytes, step)
                                                                            : kResDamaged;
    }
    if (checked == kResDamaged)
        GiveUpStepsAfter();
    TK_TRY(checked);
    return TakeStep(step, m_position, false, header, stream);
}

// A tile step keeps the position until ApplyTileStep has carried it out, so a step that the
// caller does not apply is neither skipped nor applied twice. A record's payload is the
// caller's to read, so its position moves at once.
tResult CHMRUndoManager::TakeStep(const UndoStepHeader& step, int64_t start, bool undo, UndoStepHeader* header,
                                  tCStream** stream)
{
    *header = step;
    if (step.type == kUndoStepTiles) {
        m_readStep = {true, undo, start, step.count};
        return kResOk;
    }
    TK_TRY(m_file.SetPosition(start + kHeaderBytes));
    m_position = undo ? start : start + StepBytes(step);
    *stream = &m_file;
    return kResOk;
}

tResult CHMRUndoManager::ApplyTileStep(CRegion* region, CPaintCellMap& map, bool undo)
{
    region->Clear();
    const ReadTileStep step = m_readStep;
    m_readStep = {};
    if (!step.valid || step.undo != undo)
        return kResBadParam;
    CPaintCellNav cells(map);
    if (!cells.IsValid())
        return kResNoMemory;
    TK_TRY(EnsureStaging(kTileRecordBytes));
    TileRectMerger merger(region);
    const tResult swapped = SwapTiles(cells, step.start + kHeaderBytes, step.tiles, undo, &merger);
    if (swapped != kResOk) {
        region->Clear();
        return swapped;
    }
    m_position = undo ? step.start : step.start + StepBytes({kUndoStepTiles, 0, step.tiles});
    m_fill = 0;
    NotifyStateChanged();
    if (merger.Finish() != kResOk) {
        // The step is carried out; without memory for the pieces, the whole map is the change.
        region->Clear();
        TK_TRY(region->AddRect(map.GetBounds()));
    }
    return kResOk;
}

// Exchanges the tiles chunk by chunk through the staging buffer: each chunk is read, swapped
// with the cells and written back. When a chunk fails, the cells are put back as they were and
// the step, no longer whole in the file, is given up with the steps beyond it.
tResult CHMRUndoManager::SwapTiles(CPaintCellNav& cells, int64_t offset, uint32_t tiles, bool undo,
                                   TileRectMerger* merger)
{
    const uint32_t perChunk = uint32_t(m_staging.GetCount() / kTileRecordBytes);
    for (uint32_t done = 0; done < tiles;) {
        const uint32_t count = std::min(perChunk, tiles - done);
        const int64_t at = offset + int64_t(done) * kTileRecordBytes;
        const int64_t bytes = int64_t(count) * kTileRecordBytes;
        tResult result = ReadAt(at, m_staging.GetData(), bytes);
        if (result == kResOk) {
            ExchangeChunk(cells, count, merger);
            result = WriteAt(at, m_staging.GetData(), bytes);
            if (result != kResOk)
                ExchangeChunk(cells, count, nullptr);
        }
        if (result != kResOk) {
            if (RestoreCells(cells, offset, done) != kResOk) {
                ForgetHistory();
                NotifyStateChanged();
            } else if (undo) {
                GiveUpStepsBefore();
            } else {
                GiveUpStepsAfter();
            }
            return result;
        }
        done += count;
    }
    return kResOk;
}

// The chunks before a failed one were written back: their tiles in the file are the cells the
// map had, which go back into the map.
tResult CHMRUndoManager::RestoreCells(CPaintCellNav& cells, int64_t offset, uint32_t tiles)
{
    const uint32_t perChunk = uint32_t(m_staging.GetCount() / kTileRecordBytes);
    for (uint32_t done = 0; done < tiles;) {
        const uint32_t count = std::min(perChunk, tiles - done);
        const int64_t at = offset + int64_t(done) * kTileRecordBytes;
        TK_TRY(ReadAt(at, m_staging.GetData(), int64_t(count) * kTileRecordBytes));
        ExchangeChunk(cells, count, nullptr);
        done += count;
    }
    return kResOk;
}

// Exchanges the packed rows of each staged tile with the cells; tiles outside the map are
// passed over.
void CHMRUndoManager::ExchangeChunk(CPaintCellNav& cells, uint32_t tiles, TileRectMerger* merger)
{
    uint8_t* record = m_staging.GetData();
    for (uint32_t i = 0; i < tiles; ++i, record += kTileRecordBytes) {
        const tCRect area = TileCells(DecodeLittleEndian<uint32_t>(record), DecodeLittleEndian<uint32_t>(record + 4),
                                      cells.GetWidth(), cells.GetHeight());
        if (area.IsEmpty())
            continue;
        const size_t rowBytes = size_t(area.Width()) * kPaintCellBytes;
        uint8_t* packed = record + 8;
        for (int32_t y = area.top; y < area.bottom; ++y, packed += rowBytes) {
            // Three block copies: a byte-wise swap loop is several times slower.
            uint8_t held[kTileSide * kPaintCellBytes];
            uint8_t* row = reinterpret_cast<uint8_t*>(cells.Cells(y) + area.left);
            std::memcpy(held, row, rowBytes);
            std::memcpy(row, packed, rowBytes);
            std::memcpy(packed, held, rowBytes);
        }
        if (merger)
            merger->Add(area);
    }
}

tResult CHMRUndoManager::SaveTile(int32_t tileX, int32_t tileY, CPaintCellNav& cells)
{
    // Room for the tile and the step's trailer; past the limit the staged tiles go to the file.
    if (m_fill + kTileRecordBytes + kHeaderBytes > StagingLimit())
        TK_TRY(FlushStaging());
    TK_TRY(EnsureStaging(m_fill + kTileRecordBytes + kHeaderBytes));
    uint8_t* record = m_staging.GetData() + m_fill;
    EncodeLittleEndian<uint32_t>(uint32_t(tileX), record);
    EncodeLittleEndian<uint32_t>(uint32_t(tileY), record + 4);
    const tCRect area = TileCells(tileX, tileY, cells.GetWidth(), cells.GetHeight());
    const size_t rowBytes = size_t(area.Width()) * kPaintCellBytes;
    uint8_t* packed = record + 8;
    for (int32_t y = area.top; y < area.bottom; ++y, packed += rowBytes)
        std::memcpy(packed, cells.Cells(y) + area.left, rowBytes);
    // A clipped tile's unused bytes are zero, so equal histories give equal files.
    std::memset(packed, 0, size_t(record + kTileRecordBytes - packed));
    ++m_stepHeader.count;
    m_fill += int32_t(kTileRecordBytes);
    return kResOk;
}

// Streams the staged tiles of a step too large for the buffer to the file; the header goes
// first with the count so far, and EndStep writes the final count over it.
tResult CHMRUndoManager::FlushStaging()
{
    if (m_stepWritten == 0) {
        PutHeader(m_staging.GetData(), m_stepHeader);
        TK_TRY(PrepareStepFile());
    }
    TK_TRY(WriteAt(m_position + m_stepWritten, m_staging.GetData(), m_fill));
    m_stepWritten += m_fill;
    m_fill = 0;
    return kResOk;
}

tResult CHMRUndoManager::WriteStagedStep()
{
    assert(m_fill + kHeaderBytes <= m_staging.GetCount());
    PutHeader(m_staging.GetData() + m_fill, m_stepHeader);
    m_fill += int32_t(kHeaderBytes);
    if (m_stepWritten == 0) {
        PutHeader(m_staging.GetData(), m_stepHeader);
        TK_TRY(PrepareStepFile());
    }
    TK_TRY(WriteAt(m_position + m_stepWritten, m_staging.GetData(), m_fill));
    if (m_stepWritten > 0) {
        uint8_t count[4];
        EncodeLittleEndian<uint32_t>(m_stepHeader.count, count);
        TK_TRY(WriteAt(m_position + 8, count, 4));
    }
    m_position += m_stepWritten + m_fill;
    m_files.SetEnd(m_fileIndex, m_position);
    return kResOk;
}

// Drops the undone steps, so that the new step follows the current one, and moves on to a new
// file when the current one has reached its cap.
tResult CHMRUndoManager::PrepareStepFile()
{
    DropRedoSteps();
    if (m_fileIndex < 0 || m_position > m_limits.fileCap)
        return CreateTempFile(m_fileIndex + 1);
    return EnsureFileOpen();
}

// The bytes after the position are no longer a step: the file ends there, so a step that
// later fails half-written is never redone.
void CHMRUndoManager::DropRedoSteps()
{
    m_files.DeleteFrom(m_fileIndex + 1);
    if (m_fileIndex >= 0)
        m_files.SetEnd(m_fileIndex, m_position);
    m_readStep = {};
}

tResult CHMRUndoManager::CreateTempFile(int32_t index)
{
    assert(index >= 0 && index <= m_files.GetCount());
    CloseFile();
    TK_TRY(index < m_files.GetCount() ? m_files.Reopen(index, m_file) : m_files.Create(m_file));
    m_fileIndex = index;
    m_position = m_files.GetEnd(index);
    return kResOk;
}

tResult CHMRUndoManager::EnsureFileOpen()
{
    if (m_file.IsOpen())
        return kResOk;
    if (m_fileIndex < 0)
        return kResFileInvalid;
    return m_files.Reopen(m_fileIndex, m_file);
}

void CHMRUndoManager::CloseFile()
{
    // Every write was handed to the system and checked when it was made, so closing cannot
    // lose a step.
    const tResult closed = m_file.Close();
    (void)closed;
}

tResult CHMRUndoManager::ReadAt(int64_t offset, void* bytes, int64_t count)
{
    TK_TRY(EnsureFileOpen());
    TK_TRY(m_file.SetPosition(offset));
    int64_t got = 0;
    TK_TRY(m_file.ReadBlock(bytes, count, &got));
    // The file is shorter than its steps say.
    return got == count ? kResOk : kResDamaged;
}

tResult CHMRUndoManager::WriteAt(int64_t offset, const void* bytes, int64_t count)
{
    TK_TRY(EnsureFileOpen());
    TK_TRY(m_file.SetPosition(offset));
    TK_TRY(m_file.WriteBytes(bytes, count));
    // The seek hands buffered bytes to the system, so a write that fails late fails here.
    return m_file.SetPosition(offset + count);
}

tResult CHMRUndoManager::ReadHeaderAt(int64_t offset, UndoStepHeader* header)
{
    uint8_t bytes[kHeaderBytes];
    TK_TRY(ReadAt(offset, bytes, kHeaderBytes));
    *header = GetHeader(bytes);
    return kResOk;
}

tResult CHMRUndoManager::ExpectHeaderAt(int64_t offset, const UndoStepHeader& expected)
{
    UndoStepHeader found;
    TK_TRY(ReadHeaderAt(offset, &found));
    return SameHeader(found, expected) ? kResOk : kResDamaged;
}

tResult CHMRUndoManager::EnsureStaging(int64_t bytes)
{
    if (bytes <= m_staging.GetCount())
        return kResOk;
    const int64_t grown = std::max(bytes, std::min(StagingLimit(), 2 * int64_t(m_staging.GetCount())));
    return m_staging.Resize(int32_t(grown));
}

int64_t CHMRUndoManager::StagingLimit() const
{
    return StagingLimitOf(m_limits);
}

tResult CHMRUndoManager::FinishOpenStep()
{
    return EndStep();
}

void CHMRUndoManager::FailOpenStep(tResult result)
{
    // Tiles marked in the failed step must be saved again by the next one.
    if (m_tileFlags.IsValid())
        m_tileFlags.Clear();
    m_open = OpenStep::kFailed;
    m_stepResult = result;
    m_fill = 0;
    m_stepWritten = 0;
}

tResult CHMRUndoManager::TakeFailure()
{
    const tResult result = m_stepResult;
    m_open = OpenStep::kNone;
    m_stepResult = kResOk;
    NotifyStateChanged();
    return result;
}

int64_t CHMRUndoManager::UndoFloor() const
{
    return m_fileIndex == m_floorFile ? m_floorPosition : 0;
}

// After damage behind the position, the steps there can no longer be undone in order.
void CHMRUndoManager::GiveUpStepsBefore()
{
    m_floorFile = m_fileIndex;
    m_floorPosition = m_position;
    m_files.DeleteBefore(m_fileIndex);
    NotifyStateChanged();
}

void CHMRUndoManager::GiveUpStepsAfter()
{
    DropRedoSteps();
    NotifyStateChanged();
}

void CHMRUndoManager::ForgetHistory()
{
    m_open = OpenStep::kNone;
    m_fill = 0;
    m_stepWritten = 0;
    m_stepResult = kResOk;
    m_readStep = {};
    if (m_tileFlags.IsValid())
        m_tileFlags.Clear();
    CloseFile();
    m_files.DeleteFrom(0);
    m_fileIndex = -1;
    m_position = 0;
    m_floorFile = 0;
    m_floorPosition = 0;
}

void CHMRUndoManager::NotifyStateChanged()
{
    // Listeners only refresh what they show; their answer changes nothing here.
    const tResult answered = SendToBackdrop(kMsgUndoStateChanged, ToMsgArg(this), 0, 0);
    (void)answered;
}
