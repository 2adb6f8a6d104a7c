// Cutting number texts to a few decimals.
#include "physics/trim_decimals.h"

#include <cstdio>

std::string TrimDecimals(const std::string& text, int n) {
  const std::size_t point = text.find('.');
  if (point == std::string::npos || n < 0) return text;
  const std::size_t length = point + static_cast<std::size_t>(n);
  if (text.size() < length) return text;
  return text.substr(0, length);
}

std::string FloatText(float value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
  return buffer;
}
