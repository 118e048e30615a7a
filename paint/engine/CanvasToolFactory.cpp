#include "paint/engine/ICanvasTool.h"

namespace {

CanvasToolFactory gFactory;

}  // namespace

void SetCanvasToolFactory(const CanvasToolFactory& factory) { gFactory = factory; }

const CanvasToolFactory& GetCanvasToolFactory() { return gFactory; }
