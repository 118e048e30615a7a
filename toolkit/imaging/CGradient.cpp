#include "toolkit/imaging/CGradient.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/PixelMath.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr uint32_t kGreyWhite = 0xFF00FFFF;
// Bytes of one stop in the stream form.
constexpr int64_t kStoredPointBytes = 8;
// The largest 12.8 position whose entry lies inside the ramp.
constexpr uint32_t kLastPosition = (CGradient::kTableSize - 1) << 8;

// round(position x 4095), ties to even; stops outside 0 .. 1 (which stored gradients may hold)
// land on the table's ends.
int32_t TableIndex(float position)
{
    const float scaled = position * 4095.0f;
    if (!(scaled > 0.0f))
        return 0;
    return scaled >= 4095.0f ? 4095 : int32_t(std::lrintf(scaled));
}

uint32_t AlphaWord(uint32_t word)
{
    return word >> 24;
}

uint32_t GreyOf(uint32_t word)
{
    return word & 0xFFFF;
}

// a + floor((b - a) t / 65536) for a 16-bit fraction t.
int32_t Lerp16(int32_t a, int32_t b, uint32_t t)
{
    return a + int32_t((int64_t(b - a) * t) >> 16);
}

float CatmullRom(float p1, float p2, float p3, float t)
{
    // The segment's start serves as its own predecessor.
    const float p0 = p1;
    return 0.5f * (((((p1 - p2) * 3 - p0 + p3) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3)) * t + (p2 - p0)) * t + 2 * p1);
}

uint32_t RoundClamped(float v, uint32_t max)
{
    const long r = std::lrintf(v);
    return r < 0 ? 0 : (r > long(max) ? max : uint32_t(r));
}

uint32_t CatmullRomColour(uint32_t p, uint32_t q, uint32_t r, float t)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 24; shift += 8) {
        const auto channel = [shift](uint32_t c) { return float((c >> shift) & 0xFF); };
        out |= RoundClamped(CatmullRom(channel(p), channel(q), channel(r), t), 255) << shift;
    }
    return out;
}

uint32_t CatmullRomGrey(uint32_t p, uint32_t q, uint32_t r, float t)
{
    const uint32_t grey = RoundClamped(CatmullRom(float(GreyOf(p)), float(GreyOf(q)), float(GreyOf(r)), t), 0xFFFF);
    const uint32_t alpha =
        RoundClamped(CatmullRom(float(AlphaWord(p)), float(AlphaWord(q)), float(AlphaWord(r)), t), 255);
    return alpha << 24 | grey;
}

}  // namespace

CGradient::CGradient(uint32_t colour0, uint32_t colour1) : tCResourceObject(kType)
{
    if (m_points.SetCount(2) == kResOk) {
        m_points[0] = {colour0, 0.0f};
        m_points[1] = {colour1, 1.0f};
    }
}

CGradient::~CGradient()
{
    m_points.RemoveAll();
}

int32_t CGradient::AddPoint(uint32_t colour, float position)
{
    m_dirty = 1;
    const int32_t count = m_points.GetCount();
    const bool first = position == 0.0f;
    if (first || std::trunc(position) == 1.0f) {
        const tGradientPoint point{colour, first ? 0.0f : position};
        // Without two stops there is no first and last to replace: the stop joins in order.
        if (count == 0 || (count == 1 && m_points[0].position != point.position)) {
            const int32_t index = count == 1 && point.position > m_points[0].position ? 1 : 0;
            return m_points.InsertAt(index, point) == kResOk ? index : -1;
        }
        const int32_t index = first ? 0 : count - 1;
        m_points[index] = point;
        return index;
    }
    for (int32_t i = 0; i < count; ++i) {
        if (m_points[i].position == position) {
            m_points[i].colour = colour;
            return i;
        }
        if (m_points[i].position > position)
            return m_points.InsertAt(i, {colour, position}) == kResOk ? i : -1;
    }
    return -1;
}

uint32_t CGradient::TableWord(uint32_t colour) const
{
    if (!m_grey)
        return colour;
    const uint32_t sum = ((colour >> 16) & 0xFF) + ((colour >> 8) & 0xFF) + (colour & 0xFF);
    return (colour & 0xFF000000) | (sum / 3) * 257;
}

void CGradient::FillSegment(int32_t start, int32_t count, uint32_t from, uint32_t to, uint32_t next)
{
    uint32_t* entry = m_table + start;
    for (int32_t j = 0; j < count; ++j) {
        switch (m_interpolation) {
        case kLinear:
        case kSmoothstep:
            if (m_grey) {
                uint32_t t = uint32_t((j * 65536) / count) & 0xFFFF;
                if (m_interpolation == kSmoothstep)
                    t = Smoothstep16(t);
                const int32_t grey = Lerp16(int32_t(GreyOf(from)), int32_t(GreyOf(to)), t);
                const int32_t alpha = Lerp16(int32_t(AlphaWord(from)), int32_t(AlphaWord(to)), t);
                entry[j] = uint32_t(alpha) << 24 | uint32_t(grey);
            } else {
                uint32_t t = uint32_t((j * 256) / count) & 0xFF;
                if (m_interpolation == kSmoothstep)
                    t = Smoothstep16(t * 257) >> 8;
                entry[j] = LerpArgb(from, to, t);
            }
            break;
        case kCatmullRom: {
            const float t = std::min(float(j) / float(count), 1.0f);
            entry[j] = m_grey ? CatmullRomGrey(from, to, next, t) : CatmullRomColour(from, to, next, t);
            break;
        }
        default:
            return;
        }
    }
}

void CGradient::BuildLookupTable()
{
    m_dirty = 0;
    uint32_t previous = kOpaqueBlack;
    int32_t previousIndex = 0;
    const int32_t count = m_points.GetCount();
    for (int32_t k = 0; k < count; ++k) {
        const int32_t index = TableIndex(m_points[k].position);
        const uint32_t colour = TableWord(m_points[k].colour);
        const uint32_t next = k + 1 < count ? TableWord(m_points[k + 1].colour) : colour;
        if (index > previousIndex)
            FillSegment(previousIndex, index - previousIndex, previous, colour, next);
        previous = colour;
        previousIndex = index;
    }
    const uint32_t white = m_grey ? kGreyWhite : kOpaqueWhite;
    if (previousIndex < kTableSize - 1)
        FillSegment(previousIndex, kTableSize - 1 - previousIndex, previous, white, white);
    // The ramp towards white ends one entry early; its end is white itself.
    m_table[kTableSize - 1] = previousIndex < kTableSize - 1 ? white : previous;
}

void CGradient::EnsureTable()
{
    if (m_dirty)
        BuildLookupTable();
}

const uint32_t* CGradient::GetTable()
{
    EnsureTable();
    return m_table;
}

void CGradient::Sample(uint32_t* out, uint32_t position)
{
    EnsureTable();
    position = std::min(position, kLastPosition);
    const uint32_t e0 = m_table[position >> 8], e1 = m_table[(position >> 8) + 1];
    const uint32_t f = position & 0xFF;
    if (!m_grey) {
        *out = LerpArgb(e0, e1, f);
        return;
    }
    const auto lerp = [f](uint32_t a, uint32_t b) {
        return int32_t(a) + ((int32_t(b) - int32_t(a)) * int32_t(f) >> 8);
    };
    *out = uint32_t(lerp(AlphaWord(e0), AlphaWord(e1))) << 24 | uint32_t(lerp(GreyOf(e0), GreyOf(e1)));
}

uint32_t* CGradient::GetColourAt(uint32_t* out, int32_t p, int32_t n)
{
    EnsureTable();
    if (n < 1) {
        *out = m_table[0];
        return out;
    }
    if (n < 2048) {
        *out = m_table[std::clamp<int64_t>(int64_t(p) * kTableSize / n, 0, kTableSize - 1)];
        return out;
    }
    Sample(out, uint32_t(std::clamp<int64_t>(int64_t(p) * kLastPosition / n, 0, kLastPosition)));
    return out;
}

void CGradient::SetGrey(uint32_t grey)
{
    m_grey = grey;
    m_dirty = 1;
}

void CGradient::SetInterpolation(int32_t type)
{
    m_interpolation = type;
    m_dirty = 1;
}

CGradient* CGradient::NewFromResourceName(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    auto gradient = std::make_unique<CGradient>(0xFF000000, 0xFFFFFFFF);
    return gradient->GetFromRes(name, stream, directory) == kResOk ? gradient.release() : nullptr;
}

tResult CGradient::GetFromRes(const tCString& name, tCStream* stream, CResourceDirectory* directory)
{
    tCStream* used;
    TK_TRY(LocateByName(name, stream, directory, &used));
    return ReadResDataWithin(*used, GetDataEnd());
}

tResult CGradient::GetFromRes(uint32_t id, tCStream* stream, CResourceDirectory* directory)
{
    tCStream* used;
    TK_TRY(LocateById(id, stream, directory, &used));
    return ReadResDataWithin(*used, GetDataEnd());
}

tResult CGradient::ReadResData(tCStream& stream)
{
    return ReadResDataWithin(stream, stream.GetLength());
}

tResult CGradient::ReadResDataWithin(tCStream& stream, int64_t end)
{
    const auto fail = [](tResult code, const char* text) {
        ReportResult(kResResourceRead, text);
        return code;
    };
    // Reading on past the resource's end would take the next resource's bytes for stops; at
    // the end of the data the stream answers for itself.
    const bool bounded = end < stream.GetLength();
    const auto hasRoom = [&stream, end, bounded] { return !bounded || end - stream.GetPosition() >= 4; };
    int32_t count;
    tResult result = hasRoom() ? stream.ReadI32(&count) : kResFileInvalid;
    if (result != kResOk)
        return fail(result, "Error reading number of gradient items.");
    for (int32_t i = 0; i < count; ++i) {
        uint32_t colour;
        float position;
        result = hasRoom() ? stream.ReadU32(&colour) : kResFileInvalid;
        if (result != kResOk)
            return fail(result, "Error reading gradient point colour.");
        result = hasRoom() ? stream.ReadFloat(&position) : kResFileInvalid;
        if (result != kResOk)
            return fail(result, "Error reading gradient position.");
        if (AddPoint(colour, position) < 0)
            return fail(kResResourceRead, "Error adding gradient point.");
    }
    return kResOk;
}

tResult CGradient::WriteResData(tCStream& stream, const tCArray<uint32_t>& colours, const tCArray<float>& positions)
{
    if (colours.GetCount() != positions.GetCount())
        return kResBadParam;
    TK_TRY(stream.WriteI32(colours.GetCount()));
    for (int32_t i = 0; i < colours.GetCount(); ++i) {
        TK_TRY(stream.WriteU32(colours[i]));
        TK_TRY(stream.WriteFloat(positions[i]));
    }
    return kResOk;
}

tResult CGradient::Read(tCStream& stream)
{
    uint32_t tag, version;
    TK_TRY(stream.ReadU32(&tag));
    if (tag != GetType())
        return kResBadParam;
    TK_TRY(stream.ReadU32(&version));
    if (version != kStreamVersion)
        return kResBadParam;
    bool grey;
    TK_TRY(stream.ReadBool(&grey));
    SetGrey(grey ? 1 : 0);
    int32_t interpolation;
    TK_TRY(stream.ReadI32(&interpolation));
    SetInterpolation(interpolation);
    int32_t count;
    TK_TRY(stream.ReadI32(&count));
    const int64_t left = stream.GetLength() - stream.GetPosition();
    if (count < 0 || count > left / kStoredPointBytes)
        return kResFileInvalid;
    tCArray<tGradientPoint> points(m_points.GetGrowth());
    if (points.SetCount(count) != kResOk)
        return kResNoMemory;
    for (tGradientPoint& point : points) {
        TK_TRY(stream.ReadFloat(&point.position));
        TK_TRY(stream.ReadU32(&point.colour));
    }
    m_points = std::move(points);
    m_dirty = 1;
    return kResOk;
}

tResult CGradient::Write(tCStream& stream)
{
    TK_TRY(stream.WriteU32(GetType()));
    TK_TRY(stream.WriteU32(kStreamVersion));
    TK_TRY(stream.WriteBool(m_grey != 0));
    TK_TRY(stream.WriteI32(m_interpolation));
    TK_TRY(stream.WriteI32(m_points.GetCount()));
    for (const tGradientPoint& point : m_points) {
        TK_TRY(stream.WriteFloat(point.position));
        TK_TRY(stream.WriteU32(point.colour));
    }
    return kResOk;
}
