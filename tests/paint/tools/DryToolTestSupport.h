#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <vector>

#include "paint/engine/IShellServices.h"
#include "paint/tools/CToolBase.h"
#include "toolkit/core/tCMemFile.h"

// The controller's paint colour (0xFF336699 unless a test changes it) and value 0.4.
class DryToolServices : public IShellServices {
public:
    uint32_t GetPaintColour() override { return colour; }
    float GetPaintValue() override { return value; }
    void SetPenPressure(float) override {}
    void RedrawToolCursor(CWidget*, const CPenSample&, uint32_t) override {}

    uint32_t colour = 0xFF336699u;
    float value = 0.4f;
};

// A tool of the dry family with its inner state reachable, made as the controller makes it.
template <typename Tool>
class CDryProbe : public Tool {
public:
    CDryProbe()
    {
        this->SetShellServices(&services);
        this->Invalidate();
    }
    using Tool::ApplySettings;
    using Tool::LoadNib;
    using Tool::PaintCell;
    using Tool::PickUpSample;
    using Tool::ReadExtraSettings;
    using Tool::WriteExtraSettings;

    CNibRow& Working() { return this->m_currentNib; }
    CNibRow& Loaded() { return this->m_loadedNib; }
    float Table(int32_t which, int32_t i) const { return this->m_nibTable[which][i]; }
    void SetProfile(float value) { std::fill(std::begin(this->m_nibTable[0]), std::end(this->m_nibTable[0]), value); }
    void SetPhase(int32_t phase) { this->m_segmentPhase = phase; }
    void SetRandomState(uint32_t first, uint32_t second)
    {
        this->m_strokeSeed[0] = first;
        this->m_strokeSeed[1] = second;
    }
    void SetGrainBounds(int32_t low, int32_t high)
    {
        this->m_currentNib.grainLow = this->m_loadedNib.grainLow = low;
        this->m_currentNib.grainHigh = this->m_loadedNib.grainHigh = high;
    }
    void SetPressure(float pressure) { this->m_currentNib.position.pressure = this->m_loadedNib.position.pressure = pressure; }
    void FillNib(const ::PaintCell& paint)
    {
        std::fill(std::begin(this->m_currentNib.entries), std::end(this->m_currentNib.entries), paint);
        std::fill(std::begin(this->m_loadedNib.entries), std::end(this->m_loadedNib.entries), paint);
    }
    // A cell after one dab at (along, across) of a nib `width` wide with edge weight `edge`.
    ::PaintCell Dab(::PaintCell cell, uint32_t grain, float along, float across, float width = 120.0f,
                  int32_t edge = 256)
    {
        this->PaintCell(&cell, grain, CNibPlace{along, across}, width, edge);
        return cell;
    }

    DryToolServices services;
};

// Reads into `tool` a record of its own id whose block 1 holds counter 3, size 0.5, flag 0,
// position 1234, common property 0.5 and the clean brush on, and whose block 2 holds `extra`.
inline tResult ReadRecordWith(CToolBase& tool, std::initializer_list<float> extra)
{
    tCMemFile stream;
    stream.WriteU32(tool.GetToolId());
    stream.WriteU32(24);
    stream.WriteU32(3);
    stream.WriteFloat(0.5f);
    stream.WriteU32(0);
    stream.WriteU32(1234);
    stream.WriteFloat(0.5f);
    stream.WriteU32(1);
    stream.WriteU32(uint32_t(extra.size() * 4));
    for (float value : extra)
        stream.WriteFloat(value);
    stream.Rewind();
    return tool.ReadSettings(&stream, stream.GetSize());
}

// The floats of block 2 of the record `tool` writes; empty when the write fails.
inline std::vector<float> WrittenExtraSettings(CToolBase& tool)
{
    tCMemFile stream;
    std::vector<float> floats;
    if (tool.WriteSettings(&stream) != kResOk || stream.GetSize() < 36)
        return floats;
    const uint8_t* bytes = stream.GetData();
    uint32_t length = 0;
    std::memcpy(&length, bytes + 32, 4);
    for (uint32_t offset = 0; offset + 4 <= length && 36 + offset + 4 <= uint64_t(stream.GetSize()); offset += 4) {
        float value = 0.0f;
        std::memcpy(&value, bytes + 36 + offset, 4);
        floats.push_back(value);
    }
    return floats;
}
