#include "paint/engine/CellPlanes.h"

#include <algorithm>
#include <initializer_list>

#include "paint/engine/CPaintCellMap.h"
#include "paint/engine/CPaintCellNav.h"
#include "paint/engine/CellMemory.h"
#include "paint/engine/CellRuns.h"
#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/LittleEndian.h"
#include "toolkit/core/tCMemFile.h"

namespace {

uint32_t PlaneValue(const PaintCell& cell, uint32_t plane)
{
    switch (plane) {
    case kPlaneColour:
        return cell.colour;
    case kPlaneThickness:
        return cell.thickness;
    case kPlaneWetness:
        return cell.wetness;
    case kPlaneShine:
        return cell.shine;
    default:
        return cell.extra;
    }
}

void SetPlaneValue(PaintCell& cell, uint32_t plane, uint32_t value)
{
    switch (plane) {
    case kPlaneColour:
        cell.colour = value;
        break;
    case kPlaneThickness:
        cell.thickness = uint16_t(value);
        break;
    case kPlaneWetness:
        cell.wetness = uint16_t(value);
        break;
    case kPlaneShine:
        cell.shine = uint8_t(value);
        break;
    default:
        cell.extra = uint8_t(value);
        break;
    }
}

void PutValue(uint8_t* out, uint32_t value, int32_t bytes)
{
    for (int32_t i = 0; i < bytes; ++i)
        out[i] = uint8_t(value >> (8 * i));
}

uint32_t TakeValue(const uint8_t* in, int32_t bytes)
{
    uint32_t value = 0;
    for (int32_t i = 0; i < bytes; ++i)
        value |= uint32_t(in[i]) << (8 * i);
    return value;
}

// Collects small writes into few large ones.
class ByteSink {
public:
    explicit ByteSink(tCStream* stream) : m_stream(stream) {}

    void Put(uint32_t value, int32_t bytes)
    {
        if (m_used + bytes > int32_t(sizeof m_buffer))
            Flush();
        PutValue(m_buffer + m_used, value, bytes);
        m_used += bytes;
    }

    tResult Flush()
    {
        if (m_used > 0 && m_result == kResOk)
            m_result = m_stream->WriteBytes(m_buffer, m_used);
        m_used = 0;
        return m_result;
    }

private:
    tCStream* m_stream;
    uint8_t m_buffer[4096];
    int32_t m_used = 0;
    tResult m_result = kResOk;
};

// Calls item(run, start, count) for each run (of 2 or more equal cells) and literal of the row,
// in order, as long as it answers true; false when it stopped early.
template <typename Item>
bool ForEachRowItem(const PaintCell* row, int32_t width, uint32_t plane, Item item)
{
    for (int32_t i = 0; i < width;) {
        const int32_t run = CountCellRun(row, i, width, plane);
        const bool isRun = run >= 2;
        const int32_t count = isRun ? run : CountCellLiteral(row, i, width, plane);
        if (!item(isRun, i, count))
            return false;
        i += count;
    }
    return true;
}

// Rows go through a band of 8 rows of up to 6 bytes a cell; with less memory 4 rows, then 2.
template <typename Grow>
tResult MakeBand(int32_t width, Grow grow, int32_t* rows)
{
    tResult result = kResNoMemory;
    for (int32_t bandRows : {8, 4, 2}) {
        result = grow(int64_t(width) * bandRows * 6);
        if (result == kResOk) {
            *rows = bandRows;
            return kResOk;
        }
    }
    return result;
}

tResult ReadRawRows(tCStream* stream, CMemBlock& band, int32_t bandRows, const CPaintCellNav& nav,
                    uint32_t plane)
{
    const int32_t height = nav.GetHeight();
    for (int32_t y = 0; y < height; y += bandRows) {
        const int32_t rows = std::min(bandRows, height - y);
        TK_TRY(CPaintCellMap::ReadPlaneRaw(stream, band.GetData(), nav.Cells(y), plane, nav.GetWidth(), rows));
    }
    return kResOk;
}

// Each pass reads as much of the record as the band holds and decodes the whole rows in it;
// the next pass starts after the last whole row. A pass must complete a row: rows that need
// more bytes than the record has left, or than the band holds, are damage.
tResult ReadRunRows(tCStream* stream, CMemBlock& band, int64_t length, const CPaintCellNav& nav, uint32_t plane)
{
    int64_t position = stream->GetPosition();
    if (position < 0)
        return kResFileIO;
    const int64_t end = position + length;
    int32_t row = 0;
    while (row < nav.GetHeight()) {
        const int64_t bytes = std::min<int64_t>(band.GetCount(), end - position);
        if (bytes <= 0)
            return kResFileIO;
        TK_TRY(stream->ReadBytes(band.GetData(), bytes));
        int64_t used = 0;
        TK_TRY(CPaintCellMap::ReadPlaneRle(band.GetData(), bytes, nav, plane, &row, &used));
        if (used == 0)
            return kResFileIO;
        position += used;
        TK_TRY(stream->SetPosition(position));
    }
    return kResOk;
}

}  // namespace

int32_t PlaneValueBytes(uint32_t plane)
{
    switch (plane) {
    case kPlaneColour:
        return 4;
    case kPlaneThickness:
    case kPlaneWetness:
        return 2;
    case kPlaneShine:
    case kPlaneExtra:
        return 1;
    default:
        return 0;
    }
}

tResult CPaintCellMap::WritePlane(tCStream* stream, const PaintCell* first, uint32_t plane, int32_t width,
                                  int32_t rows, uint32_t raw)
{
    const int32_t bytes = PlaneValueBytes(plane);
    if (!stream || !first || bytes == 0 || width < 0 || rows < 0)
        return kResBadParam;
    ByteSink sink(stream);
    for (int32_t y = 0; y < rows; ++y) {
        const PaintCell* row = first + int64_t(y) * width;
        if (raw != 0) {
            for (int32_t x = 0; x < width; ++x)
                sink.Put(PlaneValue(row[x], plane), bytes);
            continue;
        }
        // A run of colours without coverage keeps the whole colour of its first cell.
        ForEachRowItem(row, width, plane, [&](bool run, int32_t start, int32_t count) {
            if (run) {
                sink.Put(uint32_t(count), 4);
                sink.Put(PlaneValue(row[start], plane), bytes);
            } else {
                sink.Put(uint32_t(count) | kPlaneLiteralFlag, 4);
                for (int32_t x = start; x < start + count; ++x)
                    sink.Put(PlaneValue(row[x], plane), bytes);
            }
            return true;
        });
    }
    return sink.Flush();
}

tResult CPaintCellMap::ReadPlaneRaw(tCStream* stream, uint8_t* buffer, PaintCell* first, uint32_t plane,
                                    int32_t width, int32_t rows)
{
    const int32_t bytes = PlaneValueBytes(plane);
    if (!stream || !buffer || !first || bytes == 0 || width < 0 || rows < 0)
        return kResBadParam;
    const int64_t cells = int64_t(width) * rows;
    TK_TRY(stream->ReadBytes(buffer, cells * bytes));
    for (int64_t i = 0; i < cells; ++i)
        SetPlaneValue(first[i], plane, TakeValue(buffer + i * bytes, bytes));
    return kResOk;
}

tResult CPaintCellMap::ReadPlaneRle(const uint8_t* bytes, int64_t size, const CPaintCellNav& nav, uint32_t plane,
                                    int32_t* row, int64_t* used)
{
    const int32_t valueBytes = PlaneValueBytes(plane);
    if (!bytes || !row || !used || valueBytes == 0 || !nav.IsValid())
        return kResBadParam;
    const int32_t width = nav.GetWidth();
    *used = 0;
    int64_t at = 0;
    for (; *row < nav.GetHeight(); ++*row) {
        PaintCell* cells = nav.Cells(*row);
        for (int32_t x = 0; x < width;) {
            if (size - at < 4)
                return kResOk;
            const uint32_t word = DecodeLittleEndian<uint32_t>(bytes + at);
            const bool literal = (word & kPlaneLiteralFlag) != 0;
            const int64_t count = word & ~kPlaneLiteralFlag;
            if (count > width - x)
                return kResFileIO;
            const int64_t itemBytes = 4 + (literal ? count : 1) * valueBytes;
            if (size - at < itemBytes)
                return kResOk;
            const uint8_t* values = bytes + at + 4;
            for (int64_t i = 0; i < count; ++i)
                SetPlaneValue(cells[x + i], plane, TakeValue(values + (literal ? i * valueBytes : 0), valueBytes));
            x += int32_t(count);
            at += itemBytes;
        }
        *used = at;
    }
    return kResOk;
}

uint64_t EstimatePlaneSize(CPaintCellMap& map, uint32_t plane, uint32_t* runLength)
{
    *runLength = 0;
    const int32_t bytes = PlaneValueBytes(plane);
    CPaintCellNav nav(map);
    if (!nav.IsValid() || nav.IsEmpty() || bytes == 0)
        return 0;
    const int32_t width = nav.GetWidth();
    const int32_t height = nav.GetHeight();
    const int64_t raw = int64_t(bytes) * width * height;
    if (width <= 8 || height <= 8 || raw <= kPlaneHeaderBytes)
        return uint64_t(raw + kPlaneHeaderBytes);
    // Counting stops as soon as runs can no longer win.
    const int64_t limit = raw - 10;
    int64_t estimate = kPlaneHeaderBytes;
    for (int32_t y = 0; y < height; ++y) {
        const bool whole = ForEachRowItem(nav.Cells(y), width, plane, [&](bool run, int32_t, int32_t count) {
            estimate += 4 + int64_t(run ? 1 : count) * bytes;
            return estimate < limit;
        });
        if (!whole)
            return uint64_t(raw + kPlaneHeaderBytes);
    }
    *runLength = 1;
    return uint64_t(estimate);
}

tResult WritePlaneRecord(CPaintCellMap& map, tCStream* stream, uint32_t plane, uint32_t raw)
{
    if (!stream || PlaneValueBytes(plane) == 0)
        return kResBadParam;
    CPaintCellNav nav(map);
    if (!nav.IsValid() || nav.IsEmpty())
        return kResNoMemory;
    const int32_t width = nav.GetWidth();
    const int32_t height = nav.GetHeight();
    TK_TRY(stream->WriteI32(width));
    TK_TRY(stream->WriteI32(height));
    TK_TRY(stream->WriteI32(int32_t(plane)));
    TK_TRY(stream->WriteU32(raw != 0 ? kPlaneEncodingRaw : kPlaneEncodingRuns));
    tCMemFile band;
    int32_t bandRows = 0;
    TK_TRY(MakeBand(width, [&](int64_t bytes) { return band.GrowBy(bytes); }, &bandRows));
    for (int32_t y = 0; y < height; y += bandRows) {
        TK_TRY(band.Rewind());
        TK_TRY(CPaintCellMap::WritePlane(&band, nav.Cells(y), plane, width, std::min(bandRows, height - y), raw));
        TK_TRY(stream->WriteBytes(band.GetData(), band.GetPosition()));
    }
    return kResOk;
}

tResult ReadPlaneRecord(CPaintCellMap& map, tCStream* stream, uint32_t plane, uint32_t resize, int64_t length)
{
    const int32_t bytes = PlaneValueBytes(plane);
    if (!stream || bytes == 0)
        return kResBadParam;
    if (length < kPlaneHeaderBytes)
        return kResFileIO;
    int32_t width;
    int32_t height;
    int32_t number;
    uint32_t encoding;
    TK_TRY(stream->ReadI32(&width));
    TK_TRY(stream->ReadI32(&height));
    TK_TRY(stream->ReadI32(&number));
    TK_TRY(stream->ReadU32(&encoding));
    if (width < 1 || height < 1 || width > kMaxCellMapSide || height > kMaxCellMapSide || number != int32_t(plane))
        return kResFileIO;
    const int64_t rowBytes = length - kPlaneHeaderBytes;
    if (encoding == kPlaneEncodingRaw && int64_t(width) * height * bytes > rowBytes)
        return kResFileIO;
    if (resize != 0) {
        TK_TRY(CheckCellMemory(width, height));
        TK_TRY(map.SetSize(width, height));
    } else if (width != map.GetWidth() || height != map.GetHeight()) {
        return kResFileIO;
    }
    CPaintCellNav nav(map);
    if (!nav.IsValid())
        return kResNoMemory;
    CMemBlock band;
    int32_t bandRows = 0;
    TK_TRY(MakeBand(width, [&](int64_t count) { return band.Resize(int32_t(count)); }, &bandRows));
    if (encoding == kPlaneEncodingRaw)
        return ReadRawRows(stream, band, bandRows, nav, plane);
    return ReadRunRows(stream, band, rowBytes, nav, plane);
}
