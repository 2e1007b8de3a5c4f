// Basic types of the runtime.
#pragma once

#include <cstdint>

using Int = std::int64_t;
using UInt8 = std::uint8_t;
