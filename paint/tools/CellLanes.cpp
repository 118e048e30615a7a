#include "paint/tools/CellLanes.h"

#if defined(__SSE2__)

void LanesMean(const __m128* sums, PaintCell* paint)
{
    const float weight = _mm_cvtss_f32(_mm_shuffle_ps(sums[2], sums[2], _MM_SHUFFLE(3, 3, 3, 3)));
    LanesScaled(sums, weight > 0.0f ? 1.0f / weight : 0.0f, paint);
}

#endif
