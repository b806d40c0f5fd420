// Whole-number conversion of computed positions: nearest, ties to even.
#pragma once

#include <cstdint>

namespace ruvia::core {

// 53.5 gives 54, 52.5 gives 52, -0.5 gives 0. Throws std::overflow_error outside the
// 32-bit range, where a whole-number variable cannot hold the result.
int32_t roundHalfEven(double value);

}  // namespace ruvia::core
