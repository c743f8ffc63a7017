// A benchmark's command line: "--name value" options and "--flag" switches.
#ifndef KVOR_BENCH_OPTIONS_H
#define KVOR_BENCH_OPTIONS_H

#include <string>
#include <vector>

namespace bench {

class Options {
 public:
  Options(int argc, char **argv);
  bool Has(const std::string &flag) const;
  std::string Text(const std::string &name, const std::string &fallback) const;
  // The value of --name as a number; fallback when absent. A value that is not
  // a number, or lies outside [min, max], is an error: Valid() turns false.
  double Number(const std::string &name, double fallback, double min, double max);
  bool Valid() const { return errors_.empty(); }
  const std::string &Errors() const { return errors_; }

 private:
  std::vector<std::string> args_;
  std::string errors_;
};

}  // namespace bench

#endif
