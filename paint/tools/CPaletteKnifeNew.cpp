#include "paint/tools/CPaletteKnifeNew.h"

#include "paint/tools/ToolMessages.h"

CPaletteKnifeNew::CPaletteKnifeNew() { m_id = kToolPaletteKnife; }
