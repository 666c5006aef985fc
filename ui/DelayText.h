// Numbers as the result labels show them.
#pragma once

#include <string>

namespace zizovez {

// The value with the picture "0.00": cut to 18 significant digits, rounded
// half away from zero to two decimals, at least one digit before the
// separator, no grouping, and no minus sign on a value that rounds to zero.
std::string FormatTwoDecimals(double value, const std::string& separator);

}  // namespace zizovez
