#pragma once

#include <cstdint>

#include "toolkit/widgets/CImWidget.h"

// The round gauge of a dial: a ring drawn into the widget's own picture that shows, clockwise
// from 12 o'clock, a dead zone in the edge colour, the sector up to the value in the fill
// colour and the rest in the widget's colour, each boundary softened over a little of the turn.
class CKS2PieWidget : public CImWidget {
public:
    // A full turn, as the angle fractions are computed.
    static constexpr float kTurn = 6.2831855f;
    static constexpr float kDefaultEdge = 0.08f;
    static constexpr uint32_t kDefaultFill = 0xFF999999;
    static constexpr uint32_t kDefaultEdgeColour = 0xFFDDDDDD;

    tResult Draw(const tCRect* clip, CImage* target, uint32_t opacity) override;
    // 5 when the picture cannot be accessed; 0 and nothing drawn without a picture.
    tResult RenderImage() override;

    // The value is kept within 0..1.
    tResult SetValue(float value, uint32_t redraw);
    tResult SetFillColour(uint32_t colour, uint32_t redraw);
    // The value under a point in widget coordinates: its turn from 12 o'clock with the dead zone
    // taken out, within 0..1.
    float ValueFromPoint(const tCPoint* point) const;

    float GetValue() const { return m_value; }
    float GetEdge() const { return m_edge; }
    void SetEdge(float edge) { m_edge = edge; m_dirty = 1; }
    uint32_t GetFillColour() const { return m_fillColour; }
    uint32_t GetEdgeColour() const { return m_edgeColour; }
    uint32_t IsDirty() const { return m_dirty; }

private:
    float m_value = 0.0f;
    float m_edge = kDefaultEdge;
    uint32_t m_dirty = 1;
    uint32_t m_fillColour = kDefaultFill;
    uint32_t m_edgeColour = kDefaultEdgeColour;
};

// Blends packed colour a towards b by n (0..255) two bytes at a time, as the gauge and the
// dial's hover colour do: n = 0 gives a.
uint32_t BlendPackedColour(uint32_t a, uint32_t b, uint32_t n);
// The turn from 12 o'clock, clockwise, of the point (x, y) of a widget of size w x h.
float TurnOfPoint(float x, float y, float w, float h);
