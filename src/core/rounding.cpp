#include "core/rounding.h"

#include <cmath>
#include <stdexcept>

namespace ruvia::core {

int32_t roundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) rounded = floor + 1.0;
    if (!(rounded >= INT32_MIN && rounded <= INT32_MAX))
        throw std::overflow_error("value does not fit a 32-bit whole number");
    return static_cast<int32_t>(rounded);
}

}  // namespace ruvia::core
