#pragma once

#include <cstdint>

#include "paint/engine/PaintCell.h"
#include "toolkit/core/ResultCodes.h"

class CPaintCellMap;
class tCStream;

// A plane record holds one field of every cell of a map: i32 width, i32 height, i32 plane,
// u32 encoding (1 run-length, 0 raw), then the rows back to back. Raw rows are the plane's
// values; run-length rows are items that end exactly at the row's end: a run is a u32 count
// below 2^31 and one value for that many cells, a literal is count | 0x80000000 and that many
// values. All little-endian.
inline constexpr int64_t kPlaneHeaderBytes = 16;
inline constexpr uint32_t kPlaneEncodingRaw = 0;
inline constexpr uint32_t kPlaneEncodingRuns = 1;
inline constexpr uint32_t kPlaneLiteralFlag = 0x80000000u;

// The bytes one value of the plane takes: 4 for colour, 2 for thickness and wetness, 1 for
// shine and extra; 0 for a number that is no plane.
int32_t PlaneValueBytes(uint32_t plane);

// The exact size of the plane record WritePlaneRecord writes, with *runLength set to 1 when
// runs and literals come out smaller than raw values by more than 10 bytes (never for a side of
// 8 cells or less), else 0. 0 for a map without cells.
uint64_t EstimatePlaneSize(CPaintCellMap& map, uint32_t plane, uint32_t* runLength);

// Writes the plane record of the whole map, raw or run-length, its rows going to the stream in
// bands of a few rows. 5 for a map without cells or no memory for a band, else the first
// failing write's code.
tResult WritePlaneRecord(CPaintCellMap& map, tCStream* stream, uint32_t plane, uint32_t raw);

// Reads a plane record that lies within the next `length` bytes of the stream into that plane
// of the map. With `resize` the map takes the record's size (5 when the cells would not fit in
// the memory the system has); without, the record must have the map's size. 16 for a record
// that is cut short, has another size or plane number, or whose runs pass the end of a row;
// the plane's cells are then partly read.
tResult ReadPlaneRecord(CPaintCellMap& map, tCStream* stream, uint32_t plane, uint32_t resize, int64_t length);
