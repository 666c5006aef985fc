#include "DelayText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zizovez {

std::string FormatTwoDecimals(double value, const std::string& separator) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
  // 18 significant digits: d.ddddddddddddddddde+X
  char text[40];
  std::snprintf(text, sizeof text, "%.17e", std::fabs(value));
  std::string digits;
  digits += text[0];
  digits.append(text + 2, 17);
  const int exponent = std::atoi(text + 20);
  // digits hold |value| x 10^(17 - exponent); the hundredths are the first
  // exponent + 3 of them.
  const int whole = exponent + 3;
  std::string hundredths;  // round(|value| x 100) in decimal
  if (whole <= 0) {
    hundredths = (whole == 0 && digits[0] >= '5') ? "1" : "0";
  } else if (whole >= static_cast<int>(digits.size())) {
    hundredths = digits + std::string(static_cast<std::size_t>(whole) - digits.size(), '0');
  } else {
    hundredths = digits.substr(0, static_cast<std::size_t>(whole));
    if (digits[static_cast<std::size_t>(whole)] >= '5') {
      int i = static_cast<int>(hundredths.size()) - 1;
      while (i >= 0 && hundredths[static_cast<std::size_t>(i)] == '9') hundredths[static_cast<std::size_t>(i--)] = '0';
      if (i < 0) {
        hundredths.insert(hundredths.begin(), '1');
      } else {
        ++hundredths[static_cast<std::size_t>(i)];
      }
    }
  }
  const auto nonZero = hundredths.find_first_not_of('0');
  hundredths = nonZero == std::string::npos ? "0" : hundredths.substr(nonZero);
  while (hundredths.size() < 3) hundredths.insert(hundredths.begin(), '0');
  const std::string sign = (value < 0 && nonZero != std::string::npos) ? "-" : "";
  return sign + hundredths.substr(0, hundredths.size() - 2) + separator + hundredths.substr(hundredths.size() - 2);
}

}  // namespace zizovez
