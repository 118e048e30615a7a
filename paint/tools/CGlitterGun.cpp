#include "paint/tools/CGlitterGun.h"

#include <cmath>

#include "paint/engine/StrokeContext.h"
#include "paint/tools/ToolMessages.h"
#include "toolkit/core/tCStream.h"

CGlitterGun::CGlitterGun() { m_id = kToolGlitterGun; }

void CGlitterGun::Reset()
{
    m_glitterSetting1 = m_glitterSetting3 = 0.0f;
    m_glitterSetting2 = 0.25f;
    CToolBase::Reset();
}

float CGlitterGun::GetNibWidth(float pressure) const
{
    const float p = ClampUnit(pressure);
    const float s = 1.0f - std::sqrt(1.0f - p * p);
    const float narrowest = GetMinNibWidth();
    return narrowest + (GetMaxNibWidth() - narrowest) * (s * 20.0f + 30.0f) * m_size / 50.0f;
}

tResult CGlitterGun::PaintFirstSegment(CCanvas&, const StrokeContext&, CCellRect* rect)
{
    *rect = CCellRect{};
    m_firstPoint = m_loadedNib.Position();
    return kResOk;
}

tResult CGlitterGun::PaintLastSegment(CCanvas&, const StrokeContext&, CCellRect* rect)
{
    *rect = CCellRect{};
    return kResOk;
}

tResult CGlitterGun::WriteExtraSettings(tCStream* stream)
{
    TK_TRY(stream->WriteFloat(m_glitterSetting1));
    TK_TRY(stream->WriteFloat(m_glitterSetting2));
    return stream->WriteFloat(m_glitterSetting3);
}

// The values are read past and not restored: a loaded painting keeps the glitter gun as it was.
tResult CGlitterGun::ReadExtraSettings(tCStream* stream)
{
    float value = 0.0f;
    TK_TRY(stream->ReadFloat(&value));
    TK_TRY(stream->ReadFloat(&value));
    return stream->ReadFloat(&value);
}
