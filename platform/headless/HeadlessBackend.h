#pragma once

#include <memory>

#include "platform/Backend.h"

namespace w32::headless {

std::unique_ptr<CBackend> MakeBackend();

}  // namespace w32::headless
