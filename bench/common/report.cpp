#include "bench/common/report.h"

#include <cstdio>

namespace bench {

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

void Report(const std::string &benchmark, const std::string &figure, double value,
            const std::string &unit, int decimals, const std::string &reference) {
  std::printf("RESULT\t%s\t%s\t%s\t%s\t%s\n", benchmark.c_str(), figure.c_str(),
              Fixed(value, decimals).c_str(), unit.c_str(), reference.c_str());
  std::fflush(stdout);
}

void Note(const std::string &text) {
  std::printf("# %s\n", text.c_str());
  std::fflush(stdout);
}

}  // namespace bench
