#include "toolkit/imaging/CNoise.h"

#include <algorithm>
#include <cmath>

#include "toolkit/core/TaggedChunks.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/NoiseLibrary.h"
#include "toolkit/imaging/ValueNoise.h"

namespace {

uint32_t ZeroNoise(float, float)
{
    return 0;
}

constexpr float kScaleRange = 30.0f;

bool IsUsableScale(float scale)
{
    return scale > 0.0f && std::isfinite(scale);
}

constexpr uint32_t kScaleTag = MakeFourCC("scal");
constexpr uint32_t kAngleTag = MakeFourCC("angl");
constexpr uint32_t kActiveTag = MakeFourCC("actv");
constexpr uint32_t kPanTag = MakeFourCC("pann");
constexpr uint32_t kBlendAmountTag = MakeFourCC("blam");
constexpr uint32_t kTypeTag = MakeFourCC("type");
constexpr uint32_t kBlendModeTag = MakeFourCC("blnd");
constexpr uint32_t kColourMapTag = MakeFourCC("grad");
constexpr uint32_t kSeedTag = MakeFourCC("seed");

}  // namespace

CNoise::CNoise() : m_colourMap(0xFF000000, 0xFFFFFFFF)
{
    BuildNoiseGradients();
    m_colourMap.SetGrey(1);
    SetNoiseType(m_noiseType);
    SetBlendMode(m_blendMode);
    m_secondaryGenerator = ZeroNoise;
}

CNoise::~CNoise() = default;

tNoiseGenerator CNoise::GeneratorOrZero(int32_t type)
{
    const tNoiseGenerator generator = NoiseGeneratorFor(type);
    return generator ? generator : ZeroNoise;
}

void CNoise::SetScaleX(float scale)
{
    m_dirty = 1;
    if (!IsUsableScale(scale))
        return;
    m_scaleX = scale;
    m_scaleY = std::clamp(m_scaleY, scale / kScaleRange, scale * kScaleRange);
}

void CNoise::SetScaleY(float scale)
{
    m_dirty = 1;
    if (!IsUsableScale(scale))
        return;
    m_scaleY = scale;
    m_scaleX = std::clamp(m_scaleX, scale / kScaleRange, scale * kScaleRange);
}

void CNoise::SetNoiseType(int32_t type)
{
    m_noiseType = type;
    m_dirty = 1;
    m_generator = GeneratorOrZero(type);
}

void CNoise::SetBlendMode(int32_t mode)
{
    m_blendMode = mode;
    m_dirty = 1;
    const tNoiseBlend blend = NoiseBlendFor(mode);
    m_blend = blend ? blend : StoreNoiseValue;
    if (mode != 11)
        return;
    const int32_t primary = m_noiseType;
    m_secondaryType = int32_t((NextRandom16(SharedNoise().seed) * 38) >> 16);
    m_secondaryGenerator = GeneratorOrZero(m_secondaryType);
    SetNoiseType(primary);
}

void CNoise::SetAngle(float angle)
{
    m_angle = angle;
    m_dirty = 1;
}

void CNoise::SetActive(uint32_t active)
{
    m_active = active;
    m_dirty = 1;
}

void CNoise::SetPan(float x, float y)
{
    m_panX = x;
    m_panY = y;
    m_dirty = 1;
}

void CNoise::SetBlendAmount(float amount)
{
    m_blendAmount = amount;
    m_dirty = 1;
}

void CNoise::SetSeed(uint64_t seed)
{
    m_seed[0] = uint32_t(seed);
    m_seed[1] = uint32_t(seed >> 32);
    m_dirty = 1;
}

void CNoise::GetPan(float* x, float* y) const
{
    *x = m_panX;
    *y = m_panY;
}

tResult CNoise::Write(tCStream& stream)
{
    int64_t outer, colourMap;
    TK_TRY(BeginChunk(&stream, kChunkTag, &outer));
    const float scale[2] = {m_scaleX, m_scaleY}, pan[2] = {m_panX, m_panY};
    TK_TRY(WriteChunkFloatPair(&stream, kScaleTag, scale));
    TK_TRY(WriteChunkFloat(&stream, kAngleTag, m_angle));
    TK_TRY(WriteChunkI32(&stream, kActiveTag, int32_t(m_active)));
    TK_TRY(WriteChunkFloatPair(&stream, kPanTag, pan));
    TK_TRY(WriteChunkFloat(&stream, kBlendAmountTag, m_blendAmount));
    TK_TRY(WriteChunkU32(&stream, kTypeTag, uint32_t(m_noiseType)));
    TK_TRY(WriteChunkU32(&stream, kBlendModeTag, uint32_t(m_blendMode)));
    TK_TRY(BeginChunk(&stream, kColourMapTag, &colourMap));
    TK_TRY(m_colourMap.Write(stream));
    TK_TRY(EndChunk(&stream, colourMap));
    TK_TRY(WriteChunkU64(&stream, kSeedTag, GetSeed()));
    return EndChunk(&stream, outer);
}

tResult CNoise::Read(tCStream& stream)
{
    uint32_t tag;
    TK_TRY(stream.ReadU32(&tag));
    if (tag != kChunkTag)
        return kResBadParam;
    tChunkHeader outer{tag, 0, 0};
    TK_TRY(stream.ReadI64(&outer.length));
    m_dirty = 1;
    outer.payloadStart = stream.GetPosition();
    // Data cut short ends the noise where the data ends; a length below 0 holds nothing.
    const int64_t left = stream.GetLength() - outer.payloadStart;
    if (outer.payloadStart < 0)
        return kResFileIO;
    outer.length = std::clamp<int64_t>(outer.length, 0, left);
    CChunkReader chunks(stream, outer);
    tChunkHeader chunk;
    while (chunks.Next(&chunk))
        TK_TRY(ReadField(stream, chunk.tag));
    TK_TRY(chunks.GetResult());
    return stream.SetPosition(outer.GetEnd());
}

tResult CNoise::ReadField(tCStream& stream, uint32_t tag)
{
    switch (tag) {
    case kScaleTag: {
        float x, y;
        TK_TRY(stream.ReadFloat(&x));
        TK_TRY(stream.ReadFloat(&y));
        SetScaleX(x);
        SetScaleY(y);
        return kResOk;
    }
    case kAngleTag:
        return stream.ReadFloat(&m_angle);
    case kActiveTag: {
        bool active;
        TK_TRY(stream.ReadBool(&active));
        m_active = active ? 1 : 0;
        return kResOk;
    }
    case kPanTag:
        TK_TRY(stream.ReadFloat(&m_panX));
        return stream.ReadFloat(&m_panY);
    case kBlendAmountTag:
        return stream.ReadFloat(&m_blendAmount);
    case kTypeTag: {
        uint32_t type;
        TK_TRY(stream.ReadU32(&type));
        SetNoiseType(int32_t(type));
        return kResOk;
    }
    case kBlendModeTag: {
        uint32_t mode;
        TK_TRY(stream.ReadU32(&mode));
        SetBlendMode(int32_t(mode));
        return kResOk;
    }
    case kColourMapTag:
        return m_colourMap.Read(stream);
    case kSeedTag: {
        uint64_t seed;
        TK_TRY(stream.ReadU64(&seed));
        SetSeed(seed);
        return kResOk;
    }
    default:
        return kResOk;
    }
}
