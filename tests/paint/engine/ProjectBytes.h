#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RecordBytes.h"
#include "paint/engine/LayerRecordTags.h"
#include "paint/engine/ProjectFileTags.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/imaging/ImageCodecs.h"

// Project files put together byte by byte in the tests, as another program would write them.

inline std::string ProjectLines(const std::string& creator)
{
    return std::string("Veltrana Works Project file. \r\n") + creator + "\r\n" + U32(0x00010000);
}

// The header with the name's units, a NUL when asked, then the size.
inline std::string HeaderChunk(int32_t width, int32_t height, const std::u16string& name = u"Hand", bool nul = true)
{
    std::string payload;
    for (char16_t unit : name)
        payload += U16(unit);
    if (nul)
        payload += U16(0);
    return Chunk(kTagProjectHeader, payload + I32(width) + I32(height));
}

// The ten words of a layer's property block.
struct LayerProperties {
    uint32_t paperColour = 0xFFFFFFFAu;
    float paperShine = 0.2f;
    float grainDepth = 0.5f;
    float paperExtra = 0.0f;
    float grainScale = 0.5f;
    float paperSpare = 0.0f;
    float opacity = 1.0f;
    float paperOpacity = 1.0f;
    uint32_t visible = 1;
    uint32_t paperVisible = 1;

    std::string Bytes() const
    {
        return U32(paperColour) + F32(paperShine) + F32(grainDepth) + F32(paperExtra) + F32(grainScale) +
               F32(paperSpare) + F32(opacity) + F32(paperOpacity) + U32(visible) + U32(paperVisible);
    }
};

// A raw plane record of the values, row by row, `bytes` each.
inline std::string RawPlane(int32_t width, int32_t height, int32_t plane, const std::vector<uint32_t>& values,
                            int bytes)
{
    std::string record = PlaneHeader(width, height, plane, 0);
    for (uint32_t value : values)
        record += LittleEndian(value, bytes);
    return record;
}

// A layer record of the property block and the five plane records (each a whole plane record),
// with a grain PNG when one is given.
inline std::string LayerRecordBytes(const std::string& properties, const std::vector<std::string>& planes,
                                    const std::string& grainPng = "", int32_t planeCount = 5)
{
    std::string payload = Chunk(kTagLayerProperties, properties);
    if (!grainPng.empty())
        payload += Chunk(kTagLayerGrain, grainPng);
    payload += Chunk(kTagLayerPlaneCount, I32(planeCount));
    for (const std::string& plane : planes)
        payload += Chunk(kTagLayerPlane, plane);
    return Chunk(kTagLayerRecord, payload);
}

// A layer of width x height cells all `colour`, the other planes zero, every plane raw.
inline std::string PlainLayer(int32_t width, int32_t height, uint32_t colour,
                              const LayerProperties& properties = LayerProperties(), const std::string& grain = "")
{
    const std::vector<uint32_t> colours(size_t(width) * size_t(height), colour);
    const std::vector<uint32_t> zeros(colours.size(), 0);
    return LayerRecordBytes(properties.Bytes(), {RawPlane(width, height, 0, colours, 4),
                                                 RawPlane(width, height, 1, zeros, 2),
                                                 RawPlane(width, height, 2, zeros, 2),
                                                 RawPlane(width, height, 3, zeros, 1),
                                                 RawPlane(width, height, 4, zeros, 1)},
                            grain);
}

inline std::string PngOf(CImage& image)
{
    tCMemFile png;
    EXPECT_EQ(EncodeImageStream(&png, &image, kImageFormatPng), kResOk);
    return StreamBytes(png);
}
