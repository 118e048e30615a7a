#include "paint/engine/CLight.h"

#include <cmath>

namespace {

void Normalise(float v[3])
{
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0f)
        return;
    for (int i = 0; i < 3; ++i)
        v[i] /= length;
}

}  // namespace

CLight::CLight() { SetDirection(-50.0f, 50.0f, 50.0f); }

void CLight::SetDirection(float x, float y, float z)
{
    direction[0] = x;
    direction[1] = y;
    direction[2] = z;
    Normalise(direction);
    half[0] = direction[0];
    half[1] = direction[1];
    half[2] = direction[2] + 1.0f;
    Normalise(half);
}
