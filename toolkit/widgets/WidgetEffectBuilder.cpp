#include "toolkit/widgets/WidgetEffectBuilder.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <string>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/widgets/CWidget.h"
#include "toolkit/widgets/CWidgetEffectBorder.h"
#include "toolkit/widgets/CWidgetEffectCutout.h"
#include "toolkit/widgets/CWidgetEffectGlow.h"
#include "toolkit/widgets/CWidgetEffectGradient.h"
#include "toolkit/widgets/CWidgetEffectTexture.h"

namespace {

// What a parameter does once read.
enum class tRole {
    kSlot, kOverlay, kColour, kRadius, kOffsetX, kOffsetY, kOpacity, kClip,
    kAngle, kBlend, kType, kCentreX, kCentreY, kStops, kEdgeColour, kEdgeActive, kEdgeStyle, kWidth,
};

struct tParam {
    const char* name;
    tWidgetField::Kind kind;
    tRole role;
    std::string failure;
    uint32_t edge = 0;
};

struct tEffectKind {
    uint32_t tag;
    const char* memoryFailure;
    IWidgetEffect* (*make)();
    std::vector<tParam> params;
};

template <typename Effect>
IWidgetEffect* Make()
{
    return new (std::nothrow) Effect;
}

using K = tWidgetField::Kind;

std::vector<tParam> ShadowParams(const std::string& who)
{
    return {{"slot", K::kI32, tRole::kSlot, who + " layer."},
            {"colour", K::kRgb, tRole::kColour, who + " colour."},
            {"radius", K::kF32, tRole::kRadius, who + " Radius."},
            {"x", K::kI32, tRole::kOffsetX, who + " XOff."},
            {"y", K::kI32, tRole::kOffsetY, who + " YOff."},
            {"opacity", K::kI32, tRole::kOpacity, who + " Opacity."},
            {"clip", K::kI32, tRole::kClip, who + " Clip to Widget."},
            {"overlay", K::kI32, tRole::kOverlay, who + " Overlay."}};
}

const std::vector<tEffectKind>& EffectKinds()
{
    using B = CWidgetEffectBorder;
    static const std::vector<tEffectKind> kinds = {
        {MakeFourCC("grdf"), "Widget gradient effect.", &Make<CWidgetEffectGradient>,
         {{"slot", K::kI32, tRole::kSlot, "Gradient layer."},
          {"angle", K::kF32, tRole::kAngle, "Gradient Effect angle."},
          {"blend", K::kI32, tRole::kBlend, "Gradient Effect blend."},
          {"type", K::kI32, tRole::kType, "Gradient Effect type."},
          {"cx", K::kF32, tRole::kCentreX, "Gradient Effect centre x."},
          {"cy", K::kF32, tRole::kCentreY, "Gradient Effect centre y."},
          {"points", K::kStops, tRole::kStops, "Gradient Effect Num Points."},
          {"opacity", K::kI32, tRole::kOpacity, "Gradient Opacity."},
          {"overlay", K::kI32, tRole::kOverlay, "Gradient Overlay."}}},
        {MakeFourCC("shad"), "Widget shadow effect.", &Make<CWidgetEffectShadow>, ShadowParams("Shadow")},
        {MakeFourCC("glow"), "Widget Glow effect.", &Make<CWidgetEffectGlow>, ShadowParams("Glow")},
        {MakeFourCC("brde"), "Widget border effect.", &Make<CWidgetEffectBorder>,
         {{"slot", K::kI32, tRole::kSlot, "Border layer."},
          {"top", K::kColour, tRole::kEdgeColour, "Border top colour.", B::kTop},
          {"left", K::kColour, tRole::kEdgeColour, "Border left colour.", B::kLeft},
          {"right", K::kColour, tRole::kEdgeColour, "Border right colour.", B::kRight},
          {"bottom", K::kColour, tRole::kEdgeColour, "Border bottom colour.", B::kBottom},
          {"topactive", K::kI32, tRole::kEdgeActive, "Border top edge active.", B::kTop},
          {"leftactive", K::kI32, tRole::kEdgeActive, "Border left edge active.", B::kLeft},
          {"rightactive", K::kI32, tRole::kEdgeActive, "Border right edge active.", B::kRight},
          {"bottomactive", K::kI32, tRole::kEdgeActive, "Border bottom edge active.", B::kBottom},
          {"style", K::kI32, tRole::kEdgeStyle, "Border edge style."},
          {"width", K::kF32, tRole::kWidth, "Border Width."},
          {"opacity", K::kI32, tRole::kOpacity, "Border Opacity."},
          {"overlay", K::kI32, tRole::kOverlay, "Border Overlay."}}},
        {MakeFourCC("ctot"), "Widget cutout effect.", &Make<CWidgetEffectCutout>,
         {{"slot", K::kI32, tRole::kSlot, "Cutout layer."},
          {"colour", K::kRgb, tRole::kColour, "Cutout colour."},
          {"radius", K::kF32, tRole::kRadius, "Cutout Radius."},
          {"x", K::kI32, tRole::kOffsetX, "Cutout XOff."},
          {"y", K::kI32, tRole::kOffsetY, "Cutout YOff."},
          {"opacity", K::kI32, tRole::kOpacity, "Cutout Opacity."},
          {"overlay", K::kI32, tRole::kOverlay, "Cutout Overlay."}}},
        {MakeFourCC("txtr"), "Widget texture effect.", &Make<CWidgetEffectTexture>, {}},
    };
    return kinds;
}

// The dash patterns of the border's edge styles; other styles are solid.
uint32_t PatternOfStyle(int32_t style)
{
    static const uint32_t kPatterns[] = {0xFFFFFFFF, 0x55555555, 0xCCCCCCCC, 0xF0F0F0F0, 0xFCCCFCCC};
    return uint32_t(style) < std::size(kPatterns) ? kPatterns[style] : 0xFFFFFFFF;
}

// One chunk's parameters being read: every value is applied at once, and the first read that
// fails is reported with its parameter's text.
class CEffectReader {
public:
    CEffectReader(IWidgetEffect* effect, tCStream* stream) : m_effect(effect), m_stream(stream) {}

    tResult ReadAll(const std::vector<tParam>& params)
    {
        for (const tParam& param : params)
            TK_TRY(param.role == tRole::kStops ? ReadStops(param) : ReadOne(param));
        return kResOk;
    }

    int32_t Slot() const { return m_slot; }
    int32_t Overlay() const { return m_overlay; }

private:
    tResult Reported(tResult result, const char* failure)
    {
        if (result != kResOk)
            ReportResult(result, failure);
        return result;
    }

    // An i32, or an f32 that must be finite (6 when it is not).
    tResult ReadI32(int32_t* value, const char* failure) { return Reported(m_stream->ReadI32(value), failure); }
    tResult ReadF32(float* value, const char* failure)
    {
        tResult result = m_stream->ReadFloat(value);
        if (result == kResOk && !std::isfinite(*value))
            result = kResBadParam;
        return Reported(result, failure);
    }

    tResult ReadOne(const tParam& param)
    {
        if (param.kind == K::kF32) {
            float value = 0.0f;
            TK_TRY(ReadF32(&value, param.failure.c_str()));
            return ApplyReal(param, value);
        }
        int32_t value = 0;
        TK_TRY(ReadI32(&value, param.failure.c_str()));
        return ApplyInteger(param, value);
    }

    tResult ReadStops(const tParam& param)
    {
        int32_t count = 0;
        TK_TRY(ReadI32(&count, param.failure.c_str()));
        // Each stop takes eight bytes, so no more can follow than the data left holds.
        if (count > 0 && int64_t(count) > (m_stream->GetLength() - m_stream->GetPosition()) / 8)
            return Reported(kResFileIO, param.failure.c_str());
        CGradient* gradient = static_cast<CWidgetEffectGradient*>(m_effect)->GetGradient();
        for (int32_t i = 0; i < count; ++i) {
            int32_t colour = 0;
            float position = 0.0f;
            TK_TRY(ReadI32(&colour, "Gradient Effect Point colour."));
            TK_TRY(ReadF32(&position, "Gradient Effect Point loc."));
            gradient->AddPoint(uint32_t(colour), position);
        }
        return kResOk;
    }

    tResult ApplyReal(const tParam& param, float value)
    {
        switch (param.role) {
        case tRole::kRadius:
            if (m_effect->GetEffectType() == kEffectTypeCutout)
                return static_cast<CWidgetEffectCutout*>(m_effect)->SetRadius(value, 0);
            return static_cast<CWidgetEffectShadow*>(m_effect)->SetRadius(value, 0);
        case tRole::kAngle: return Gradient()->SetAngle(value, 0);
        case tRole::kCentreX: return Gradient()->SetCentreX(value, 0);
        case tRole::kCentreY: return Gradient()->SetCentreY(value, 0);
        case tRole::kWidth: return Border()->SetWidth(value, 0);
        default: return kResOk;
        }
    }

    tResult ApplyInteger(const tParam& param, int32_t value)
    {
        const bool cutout = m_effect->GetEffectType() == kEffectTypeCutout;
        switch (param.role) {
        case tRole::kSlot: m_slot = value; return kResOk;
        case tRole::kOverlay: m_overlay = value; return kResOk;
        case tRole::kOffsetX: m_offsetX = value; return kResOk;
        case tRole::kColour:
            return cutout ? Cutout()->SetColour(uint32_t(value), 0) : Shadow()->SetColour(uint32_t(value), 0);
        case tRole::kOffsetY:
            return cutout ? Cutout()->SetOffset({m_offsetX, value}, 0) : Shadow()->SetOffset({m_offsetX, value}, 0);
        case tRole::kOpacity:
            return static_cast<CWidgetEffectBase*>(m_effect)->SetOpacity(uint32_t(std::clamp(value, 0, 255)), 0);
        case tRole::kClip: return ApplyClip(value);
        case tRole::kBlend: return Gradient()->SetBlendMode(value, 0);
        case tRole::kType: return Gradient()->SetGradientType(value, 1);
        case tRole::kEdgeColour: return Border()->SetEdgeColour(param.edge, uint32_t(value), 0);
        case tRole::kEdgeActive:
            if (value == 1)
                m_activeEdges |= param.edge;
            return kResOk;
        case tRole::kEdgeStyle: return Border()->SetEdgePattern(m_activeEdges, PatternOfStyle(value), 0);
        default: return kResOk;
        }
    }

    // 0 neither, 1 clip to the widget, 2 hide under it; other values change nothing.
    tResult ApplyClip(int32_t value)
    {
        if (value < 0 || value > 2)
            return kResOk;
        TK_TRY(Shadow()->SetClipToWidget(value == 1, 0));
        return Shadow()->SetHideUnderWidget(value == 2, 0);
    }

    CWidgetEffectShadow* Shadow() { return static_cast<CWidgetEffectShadow*>(m_effect); }
    CWidgetEffectCutout* Cutout() { return static_cast<CWidgetEffectCutout*>(m_effect); }
    CWidgetEffectGradient* Gradient() { return static_cast<CWidgetEffectGradient*>(m_effect); }
    CWidgetEffectBorder* Border() { return static_cast<CWidgetEffectBorder*>(m_effect); }

    IWidgetEffect* m_effect;
    tCStream* m_stream;
    int32_t m_slot = 0;
    int32_t m_overlay = 0;
    int32_t m_offsetX = 0;
    uint32_t m_activeEdges = 0;
};

tResult Install(CWidget* widget, IWidgetEffect* effect, int32_t slot, int32_t overlay)
{
    switch (overlay) {
    case 0: return widget->SetBackEffect(effect, slot, 0);
    case 1: return widget->SetFrontEffect(effect, slot, 0);
    default: return widget->SetMiddleEffect(effect, slot, 0);
    }
}

}  // namespace

IWidgetEffect* BuildWidgetEffect(uint32_t type, CWidget* widget, tCStream* stream)
{
    const auto& kinds = EffectKinds();
    const auto kind = std::find_if(kinds.begin(), kinds.end(), [type](const tEffectKind& k) { return k.tag == type; });
    if (kind == kinds.end()) {
        ReportResult(kResCreateFailed, "Unrecognised type in widget constructor.");
        return nullptr;
    }
    std::unique_ptr<IWidgetEffect> effect(kind->make());
    if (!effect) {
        ReportResult(kResCreateFailed, kind->memoryFailure);
        return nullptr;
    }
    CEffectReader reader(effect.get(), stream);
    if (stream && reader.ReadAll(kind->params) != kResOk)
        return nullptr;
    if (widget) {
        const tResult installed = Install(widget, effect.get(), reader.Slot(), reader.Overlay());
        if (installed != kResOk) {
            ReportResult(installed, "Shadow add to parent failed.");
            return nullptr;
        }
    }
    return effect.release();
}

std::vector<tWidgetChunk> WidgetEffectChunks()
{
    std::vector<tWidgetChunk> chunks;
    for (const tEffectKind& kind : EffectKinds()) {
        if (kind.params.empty())
            continue;
        tWidgetChunk chunk{kind.tag, tWidgetPayload::kFields, {}};
        for (const tParam& param : kind.params) {
            tWidgetField field{param.name, param.kind};
            if (param.role == tRole::kSlot) {
                field.least = 0;
                field.most = CWidget::kEffectSlots - 1;
            }
            chunk.fields.push_back(field);
        }
        chunks.push_back(chunk);
    }
    return chunks;
}
