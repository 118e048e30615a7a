#include "paint/engine/CProjectInfo.h"

CProjectInfo::CProjectInfo(int32_t width, int32_t height, const tCString& name, const tCString& tracingPath,
                           CCanvasInfo* canvasInfo)
    : width(width), height(height), name(name.GetTextOrEmpty()), tracingPath(tracingPath.GetTextOrEmpty()),
      canvasInfo(canvasInfo)
{
}
