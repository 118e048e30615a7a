#pragma once

#include <vector>

#include "paint/engine/ICanvasTool.h"
#include "toolkit/core/CPenSample.h"

// A tool that paints nothing and keeps the samples it was given.
class RecordingCanvasTool : public ICanvasTool {
public:
    explicit RecordingCanvasTool(uint32_t id) : m_id(id) {}
    uint32_t GetToolId() const override { return m_id; }
    tResult BeginStroke(CCanvas&, const StrokeContext&, const CPenSample& s) override { return Keep(s); }
    tResult ContinueStroke(CCanvas&, const StrokeContext&, const CPenSample& s, uint32_t) override { return Keep(s); }
    tResult EndStroke(CCanvas&, const StrokeContext&, const CPenSample& s) override { return Keep(s); }
    tResult PaintLiveSample(CCanvas&, const StrokeContext&, const CPenSample& s) override { return Keep(s); }
    tResult ShowStroke(CCanvas&) override
    {
        shownAfter.push_back(samples.size());
        return kResOk;
    }
    tResult UpdateNibDirection(CCanvas&, const CPenSample& s) override
    {
        hovers.push_back(s);
        return kResOk;
    }
    float GetCommonProperty() const override { return 0.5f; }
    uint32_t GetToolFlag() const override { return flag; }
    uint32_t SetToolFlag(uint32_t value) override { return flag = value; }
    tResult WriteSettings(tCStream*) override { return kResOk; }
    tResult ReadSettings(tCStream*, int64_t) override { return kResOk; }
    void Invalidate() override {}
    void SetSize(float) override {}
    uint32_t SetStrokeCount(uint32_t count) override { return count; }
    uint32_t GetStrokeCount() const override { return 0; }
    int32_t GetStrokePosition() const override { return 7; }
    int32_t SetStrokePosition(int32_t position) override { return position; }
    uint32_t GetCleanBrush() const override { return 0; }
    uint32_t SetCleanBrush(uint32_t clean) override { return clean; }
    void ColourChanged() override {}

    std::vector<CPenSample> samples;
    // The samples the pen hovered at.
    std::vector<CPenSample> hovers;
    // How many samples had come each time the stroke was shown.
    std::vector<size_t> shownAfter;
    uint32_t flag = 5;

private:
    tResult Keep(const CPenSample& s)
    {
        samples.push_back(s);
        return kResOk;
    }
    uint32_t m_id;
};

