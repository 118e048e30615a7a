#pragma once

#include "toolkit/core/tCCmdTarget.h"

// The base of the renderers the controller can hold; it has no behaviour of its own.
class CRenderer : public tCCmdTarget {};
