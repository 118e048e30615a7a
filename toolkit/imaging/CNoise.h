#pragma once

#include <cstdint>

#include "toolkit/core/FourCC.h"
#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/imaging/CGradient.h"
#include "toolkit/imaging/NoiseBlends.h"
#include "toolkit/imaging/NoiseGenerators.h"

// A procedural 16-bit texture: one of the noise kinds with its scale, angle, pan, seed, colour
// map and the blend by which a new value meets the value already in a pixel. The generator and
// the blend are never null: an unknown kind generates 0, and a mode without a blend of its own
// stores the value. Its stored form is one 'nois' chunk of nested tagged chunks.
class tCStream;

class CNoise : public tCBaseObject {
public:
    static constexpr uint32_t kChunkTag = MakeFourCC("nois");

    CNoise();
    ~CNoise() override;
    CNoise(const CNoise&) = delete;
    CNoise& operator=(const CNoise&) = delete;

    // Reads a 'nois' chunk (6 for another tag) through every setter, skipping inner chunks it
    // does not know; stream errors pass through, and an inner chunk with a length below 0 or
    // beyond its parent gives 17. The stream is left after the chunk.
    virtual tResult Read(tCStream& stream);
    virtual tResult Write(tCStream& stream);

    // Each keeps the other scale within a factor of 30 of it. A scale that is not a positive
    // finite number is ignored.
    void SetScaleX(float scale);
    void SetScaleY(float scale);
    void SetNoiseType(int32_t type);
    // Mode 11 also draws a random secondary kind, which advances the shared seed.
    void SetBlendMode(int32_t mode);
    void SetAngle(float angle);
    void SetActive(uint32_t active);
    void SetPan(float x, float y);
    void SetBlendAmount(float amount);
    void SetSeed(uint64_t seed);

    void GetPan(float* x, float* y) const;
    float GetScaleX() const { return m_scaleX; }
    float GetScaleY() const { return m_scaleY; }
    float GetAngle() const { return m_angle; }
    uint32_t IsActive() const { return m_active; }
    float GetBlendAmount() const { return m_blendAmount; }
    uint64_t GetSeed() const { return uint64_t(m_seed[1]) << 32 | m_seed[0]; }
    int32_t GetNoiseType() const { return m_noiseType; }
    int32_t GetSecondaryNoiseType() const { return m_secondaryType; }
    int32_t GetBlendMode() const { return m_blendMode; }
    bool IsDirty() const { return m_dirty != 0; }
    CGradient& GetColourMap() { return m_colourMap; }

    tNoiseGenerator GetGenerator() const { return m_generator; }
    tNoiseGenerator GetSecondaryGenerator() const { return m_secondaryGenerator; }
    tNoiseBlend GetBlendFunction() const { return m_blend; }

private:
    static tNoiseGenerator GeneratorOrZero(int32_t type);
    // Reads the payload of one inner chunk; unknown tags read nothing.
    tResult ReadField(tCStream& stream, uint32_t tag);

    float m_scaleX = 0.1f;
    float m_scaleY = 0.1f;
    float m_angle = 0.0f;
    uint32_t m_seed[2] = {0, 0};
    uint32_t m_active = 1;
    float m_panX = 0.0f;
    float m_panY = 0.0f;
    CGradient m_colourMap;
    float m_blendAmount = 1.0f;
    int32_t m_noiseType = 4;
    int32_t m_secondaryType = -1;
    int32_t m_blendMode = 0;
    uint32_t m_dirty = 1;
    tNoiseGenerator m_generator = nullptr;
    tNoiseBlend m_blend = nullptr;
    tNoiseGenerator m_secondaryGenerator = nullptr;
};
