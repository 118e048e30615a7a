#pragma once

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "toolkit/core/CMemBlockT.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/imaging/CPixel.h"
#include "toolkit/imaging/PixelMath.h"

// What differs between the 32-bit and the 8-bit run-length forms.
template <typename T>
struct tRunTraits;

// Words: a row table of word offsets, counts of 31 bits, and pixels equal when identical or
// both fully transparent (so a repeat run keeps only its first pixel's colour).
template <>
struct tRunTraits<CPixel> {
    static constexpr uint32_t kLiteral = 0x80000000u;
    static constexpr uint32_t kCountMask = 0x7FFFFFFFu;
    static constexpr int64_t kMaxRun = 0x7FFFFFFF;
    static int64_t TableSize(int32_t height) { return height; }
    static uint32_t Offset(const CPixel* data, int32_t y) { return data[y]; }
    static void SetOffset(CPixel* data, int32_t y, uint32_t offset) { data[y] = offset; }
    static bool Same(CPixel a, CPixel b) { return a == b || ((a | b) >> 24) == 0; }
    static CPixel Lerp(CPixel a, CPixel b, uint32_t f) { return LerpArgb(a, b, f); }
};

// Bytes: a row table of little-endian u32 byte offsets, counts of at most 126.
template <>
struct tRunTraits<uint8_t> {
    static constexpr uint32_t kLiteral = 0x80u;
    static constexpr uint32_t kCountMask = 0x7Fu;
    static constexpr int64_t kMaxRun = 126;
    static int64_t TableSize(int32_t height) { return int64_t(height) * 4; }
    static uint32_t Offset(const uint8_t* data, int32_t y)
    {
        const uint8_t* p = data + size_t(y) * 4;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    static void SetOffset(uint8_t* data, int32_t y, uint32_t offset)
    {
        uint8_t* p = data + size_t(y) * 4;
        p[0] = uint8_t(offset), p[1] = uint8_t(offset >> 8), p[2] = uint8_t(offset >> 16), p[3] = uint8_t(offset >> 24);
    }
    static bool Same(uint8_t a, uint8_t b) { return a == b; }
    static uint8_t Lerp(uint8_t a, uint8_t b, uint32_t f) { return uint8_t(LerpByte(a, b, f)); }
};

// The read position: the next element, and the run under it.
template <typename T>
struct tRunCursor {
    const T* at = nullptr;
    uint32_t literal = 0;
    uint32_t remaining = 0;
};

// Bilinear sampling over two rows, with the four neighbours and a saved cursor per row, so that
// stepping one column to the right costs one read per row.
template <typename T>
struct tRunSampler {
    tRunCursor<T> cursorA, cursorB;
    int32_t x = 0;
    int32_t rowA = 0, rowB = 0;
    T a0{}, a1{}, b0{}, b1{};
};

// Packs an image of T, row by row, in runs: repeat runs (a count n >= 2 and one value) and
// literal runs (a count n >= 1 with the literal bit, then n values), after a table of each row's
// first run; one spare zero element follows the last run so that the sequential read may fetch
// a header there. When packing does not pay, the block holds the raw rows instead.
template <typename T>
class CRunLengthT : public CMemBlockT<T> {
    using Traits = tRunTraits<T>;

public:
    using tElement = T;

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    uint32_t IsPackedForm() const { return m_compressed; }

    // Places the cursor on pixel (x, y), clamped into the image.
    void SeekTo(int32_t x, int32_t y);

    // The value under the cursor; the cursor moves on, from a row's end into the next row.
    T ReadNext() { return ReadFrom(m_cursor); }

    // The same through a cursor of the caller's, which a tight loop keeps in registers.
    tRunCursor<T> CursorAt(int32_t x, int32_t y)
    {
        SeekTo(x, y);
        return m_cursor;
    }
    // Reads through a cursor of this object: its own, one a sampler keeps for a row, or one
    // from CursorAt.
    T ReadFrom(tRunCursor<T>& cursor) const
    {
        if (!m_compressed)
            return *cursor.at++;
        assert(cursor.remaining > 0);
        T value;
        if (cursor.literal) {
            value = *cursor.at++;
            if (--cursor.remaining == 0)
                TakeHeader(cursor, cursor.at);
        } else {
            value = *cursor.at;
            if (--cursor.remaining == 0)
                TakeHeader(cursor, cursor.at + 1);
        }
        return value;
    }

    // `count` values from pixel (x, y) on (the position clamped into the image, as by SeekTo),
    // run by run: what successive ReadNext calls would give.
    void ReadRun(int32_t x, int32_t y, int32_t count, T* out);

    void SetSampleRows(tRunSampler<T>* sampler, int32_t x, int32_t rowA, int32_t rowB);
    // lerp(lerp(A0, A1, fx), lerp(B0, B1, fx), fy) at column x; columns outside the image pair
    // the nearest pixel with itself.
    T SampleBilinear(tRunSampler<T>* sampler, int32_t x, uint32_t fx, uint32_t fy);

    // The rows' run splitting, shared by the estimate and the encoder: `emit(repeat, x, n)` for
    // each run of the row; false from it stops the split.
    template <typename Row, typename Emit>
    static bool SplitRow(const Row& row, int32_t width, Emit&& emit);

    // Elements the packed form needs (spare element included), or width x height when packing
    // does not stay clear of the raw size by its margins.
    template <typename Rows>
    static int64_t Estimate(const Rows& rows, int32_t width, int32_t height);

protected:
    // Fills the block from `rows`: packed when `estimate` is under the threshold, raw otherwise.
    template <typename Rows>
    tResult Build(const Rows& rows, int32_t width, int32_t height, int64_t estimate);
    // Writes the packed form of a width x height image into the block as it is; 6 when it
    // does not fit.
    template <typename Rows>
    tResult Encode(const Rows& rows, int32_t width, int32_t height);

private:
    static void TakeHeader(tRunCursor<T>& cursor, const T* header)
    {
        cursor.remaining = uint32_t(*header) & Traits::kCountMask;
        cursor.literal = (uint32_t(*header) & Traits::kLiteral) != 0;
        cursor.at = header + 1;
    }
    // Moves the cursor n values on without reading them.
    void Skip(tRunCursor<T>& cursor, int64_t n) const;
    // Reads the pair at x (x + 1, or x again at the last column) through a row's cursor.
    void ReadPair(tRunCursor<T>& cursor, int32_t x, T* first, T* second) const
    {
        *first = ReadFrom(cursor);
        *second = x >= 0 && x < m_width - 1 ? ReadFrom(cursor) : *first;
    }
    tResult ResizeZeroed(int64_t count);

    int32_t m_width = 0;
    int32_t m_height = 0;
    uint32_t m_compressed = 0;
    tRunCursor<T> m_cursor;
};

// The size a packed copy must stay under: width x height x 0.8 in single precision, rounded to
// the nearest integer, ties to even.
inline int64_t RunLengthThreshold(int64_t pixels)
{
    const float threshold = float(double(pixels) * double(0.8f));
    return std::llrint(double(threshold));
}

template <typename T>
void CRunLengthT<T>::SeekTo(int32_t x, int32_t y)
{
    m_cursor = {this->GetData(), 0, 0};
    if (m_width <= 0 || m_height <= 0)
        return;
    x = std::clamp(x, 0, m_width - 1);
    y = std::clamp(y, 0, m_height - 1);
    if (!m_compressed) {
        m_cursor.at += size_t(y) * size_t(m_width) + size_t(x);
        return;
    }
    const T* run = this->GetData() + Traits::Offset(this->GetData(), y);
    int64_t covered = 0;
    for (;;) {
        const uint32_t header = uint32_t(*run);
        const int64_t length = header & Traits::kCountMask;
        if (covered + length >= int64_t(x) + 1) {
            const uint32_t remaining = uint32_t(covered + length - x);
            m_cursor.remaining = remaining;
            m_cursor.literal = (header & Traits::kLiteral) != 0;
            m_cursor.at = m_cursor.literal ? run + 1 + (length - remaining) : run + 1;
            return;
        }
        assert(length > 0);
        covered += length;
        run += (header & Traits::kLiteral) ? length + 1 : 2;
    }
}

template <typename T>
void CRunLengthT<T>::ReadRun(int32_t x, int32_t y, int32_t count, T* out)
{
    tRunCursor<T> cursor = CursorAt(x, y);
    if (!m_compressed) {
        std::copy(cursor.at, cursor.at + count, out);
        return;
    }
    while (count > 0) {
        const int32_t n = int32_t(std::min<int64_t>(count, cursor.remaining));
        if (n == 0) {
            // Past the last run: nothing more to read.
            std::fill(out, out + count, T{});
            return;
        }
        if (cursor.literal)
            std::copy(cursor.at, cursor.at + n, out);
        else
            std::fill(out, out + n, *cursor.at);
        out += n;
        count -= n;
        Skip(cursor, n);
    }
}

template <typename T>
void CRunLengthT<T>::Skip(tRunCursor<T>& cursor, int64_t n) const
{
    if (!m_compressed) {
        cursor.at += n;
        return;
    }
    while (n > 0) {
        if (n < cursor.remaining) {
            cursor.remaining -= uint32_t(n);
            if (cursor.literal)
                cursor.at += n;
            return;
        }
        n -= cursor.remaining;
        TakeHeader(cursor, cursor.literal ? cursor.at + cursor.remaining : cursor.at + 1);
    }
}

template <typename T>
void CRunLengthT<T>::SetSampleRows(tRunSampler<T>* s, int32_t x, int32_t rowA, int32_t rowB)
{
    const int32_t column = std::clamp(x, 0, std::max(m_width - 1, 0));
    SeekTo(column, rowA);
    s->cursorA = m_cursor;
    ReadPair(s->cursorA, x, &s->a0, &s->a1);
    SeekTo(column, rowB);
    s->cursorB = m_cursor;
    ReadPair(s->cursorB, x, &s->b0, &s->b1);
    s->x = x;
    s->rowA = rowA;
    s->rowB = rowB;
}

template <typename T>
T CRunLengthT<T>::SampleBilinear(tRunSampler<T>* s, int32_t x, uint32_t fx, uint32_t fy)
{
    if (x == s->x + 1) {
        s->a0 = s->a1;
        s->b0 = s->b1;
        if (x < m_width - 1) {
            s->a1 = ReadFrom(s->cursorA);
            s->b1 = ReadFrom(s->cursorB);
        }
    } else if (x > s->x + 1 && s->x >= 0 && x < m_width) {
        // A jump to the right: the saved cursors stand at column s->x + 2, so skipping on from
        // them is cheaper than seeking through the row's runs again.
        const int64_t skip = int64_t(x) - (s->x + 2);
        Skip(s->cursorA, skip);
        ReadPair(s->cursorA, x, &s->a0, &s->a1);
        Skip(s->cursorB, skip);
        ReadPair(s->cursorB, x, &s->b0, &s->b1);
    } else if (x != s->x) {
        SetSampleRows(s, x, s->rowA, s->rowB);
    }
    s->x = x;
    return Traits::Lerp(Traits::Lerp(s->a0, s->a1, fx), Traits::Lerp(s->b0, s->b1, fx), fy);
}

template <typename T>
template <typename Row, typename Emit>
bool CRunLengthT<T>::SplitRow(const Row& row, int32_t width, Emit&& emit)
{
    int64_t x = 0;
    while (x < width) {
        if (x == width - 1)
            return emit(false, x, 1);
        int64_t count = 1;
        while (x + count < width && count < Traits::kMaxRun && Traits::Same(row[x + count], row[x]))
            ++count;
        if (count >= 2) {
            if (!emit(true, x, count))
                return false;
            x += count;
            continue;
        }
        // The literal takes pixels up to the first of an equal pair, which it keeps.
        int64_t length = 1;
        while (x + length - 1 < width - 1 && length < Traits::kMaxRun && !Traits::Same(row[x + length - 1], row[x + length]))
            ++length;
        if (!emit(false, x, length))
            return false;
        x += length;
    }
    return true;
}

template <typename T>
template <typename Rows>
int64_t CRunLengthT<T>::Estimate(const Rows& rows, int32_t width, int32_t height)
{
    const int64_t n = int64_t(width) * height;
    if (width < 9 || height < 9)
        return n;
    int64_t total = Traits::TableSize(height);
    if (total >= n)
        return n;
    for (int32_t y = 0; y < height; ++y) {
        if (total >= n - 4)
            return n;
        const bool fits = SplitRow(rows.Row(y), width, [&](bool repeat, int64_t, int64_t length) {
            if (total >= (repeat ? n - 2 : n - length - 2))
                return false;
            total += repeat ? 2 : length + 1;
            return true;
        });
        if (!fits)
            return n;
    }
    return total >= n - 10 ? n : total + 1;
}

template <typename T>
tResult CRunLengthT<T>::ResizeZeroed(int64_t count)
{
    if (count > INT32_MAX)
        return kResNoMemory;
    TK_TRY(this->Resize(int32_t(count)));
    if (count > 0)
        std::memset(static_cast<void*>(this->GetData()), 0, size_t(count) * sizeof(T));
    return kResOk;
}

template <typename T>
template <typename Rows>
tResult CRunLengthT<T>::Build(const Rows& rows, int32_t width, int32_t height, int64_t estimate)
{
    m_cursor = {};
    if (estimate < RunLengthThreshold(int64_t(width) * height)) {
        TK_TRY(ResizeZeroed(estimate));
        return Encode(rows, width, height);
    }
    m_compressed = 0;
    TK_TRY(ResizeZeroed(int64_t(width) * height));
    m_width = width;
    m_height = height;
    T* out = this->GetData();
    for (int32_t y = 0; y < height; ++y) {
        const auto row = rows.Row(y);
        for (int32_t x = 0; x < width; ++x)
            *out++ = T(row[x]);
    }
    return kResOk;
}

template <typename T>
template <typename Rows>
tResult CRunLengthT<T>::Encode(const Rows& rows, int32_t width, int32_t height)
{
    m_cursor = {};
    m_width = width;
    m_height = height;
    T* data = this->GetData();
    const int64_t capacity = this->GetCount();
    int64_t at = Traits::TableSize(m_height);
    if (at > capacity)
        return kResBadParam;
    for (int32_t y = 0; y < m_height; ++y) {
        Traits::SetOffset(data, y, uint32_t(at));
        const auto row = rows.Row(y);
        const bool fits = SplitRow(row, m_width, [&](bool repeat, int64_t x, int64_t length) {
            if (at + (repeat ? 2 : length + 1) > capacity)
                return false;
            data[at++] = T(repeat ? uint32_t(length) : uint32_t(length) | Traits::kLiteral);
            for (int64_t i = 0; i < (repeat ? 1 : length); ++i)
                data[at++] = T(row[x + i]);
            return true;
        });
        if (!fits)
            return kResBadParam;
    }
    m_compressed = 1;
    return kResOk;
}
