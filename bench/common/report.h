// How every benchmark prints its figures: one tab-separated record per figure
// ("RESULT", benchmark, figure, value, unit, reference), so scripts/bench.sh
// can gather them into one table, and comment lines ("# ...") for context.
#ifndef KVOR_BENCH_REPORT_H
#define KVOR_BENCH_REPORT_H

#include <string>

namespace bench {

// value printed with the given number of decimals; reference is free text
// that puts the figure in proportion (a limit, a ratio), may be empty.
void Report(const std::string &benchmark, const std::string &figure, double value,
            const std::string &unit, int decimals, const std::string &reference = "");
void Note(const std::string &text);
// A number as text with the given decimals (for references).
std::string Fixed(double value, int decimals);

}  // namespace bench

#endif
