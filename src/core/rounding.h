// Whole-number conversion of computed positions: nearest, ties to even; and division
// that rounds down.
#pragma once

#include <cstdint>

namespace ruvia::core {

// 53.5 gives 54, 52.5 gives 52, -0.5 gives 0. Throws std::overflow_error outside the
// 32-bit range, where a whole-number variable cannot hold the result.
int32_t roundHalfEven(double value);

// a / b rounded down, for b > 0: -1 / 2 gives -1 where C++ gives 0. A device pixel left
// of the screen's origin belongs to the scene pixel left of it too.
constexpr int floorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace ruvia::core
