#include "bench/common/options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace bench {

Options::Options(int argc, char **argv) : args_(argv + 1, argv + argc) {}

bool Options::Has(const std::string &flag) const {
  for (const std::string &a : args_)
    if (a == flag) return true;
  return false;
}

std::string Options::Text(const std::string &name, const std::string &fallback) const {
  for (size_t i = 0; i + 1 < args_.size(); ++i)
    if (args_[i] == name) return args_[i + 1];
  return fallback;
}

double Options::Number(const std::string &name, double fallback, double min, double max) {
  const std::string text = Text(name, "");
  if (text.empty()) {
    if (Has(name)) errors_ += name + " needs a value\n";
    return fallback;
  }
  char *end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(value) ||
      value < min || value > max) {
    errors_ += name + " " + text + ": expected a number from " + std::to_string(min) + " to " +
               std::to_string(max) + "\n";
    return fallback;
  }
  return value;
}

}  // namespace bench
