#pragma once

class CCanvasInfo;
class CImage8;

// Turns the paper texture that canvas settings name (or hold) into the 8-bit grain image the
// layers use. The canvas's project set-up implements it.
class IPaperGrainBuilder {
public:
    virtual ~IPaperGrainBuilder() = default;
    // A new grain image owned by the caller, or null when the texture cannot be had.
    virtual CImage8* BuildPaperGrain(const CCanvasInfo& info) = 0;
};
