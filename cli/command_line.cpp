#include "cli/command_line.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

#include "cli/exit_status.h"
#include "display/statistics.h"

namespace kvorcli {

namespace {

struct CommandShape {
  const char *name;
  int minOperands, maxOperands;       // maxOperands -1: any number
  const char *options;                // the command's own options, space-separated
};

const CommandShape kCommands[] = {
    {"ports", 0, 0, ""},
    {"identify", 1, -1, ""},
    {"get", 1, 1, "--from --output"},
    {"send", 2, -1, "--to --verify"},
    {"diff", 2, 2, "--from"},
    {"record", 1, 1, "--samples --interval --output --csv"},
    {"teach", 1, 1, ""},
    {"reset-minmax", 1, 1, ""},
    {"stats", 1, -1, "--lower --upper --min-cpk"},
};

const CommandShape *FindCommand(const std::string &name) {
  for (const CommandShape &c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

bool CommandTakes(const CommandShape &c, const std::string &option) {
  const std::string list = std::string(" ") + c.options + " ";
  return list.find(" " + option + " ") != std::string::npos;
}

bool TakesValue(const std::string &option) {
  return option == "--trace" || option == "--from" || option == "--to" || option == "--output" ||
         option == "--csv" || option == "--samples" || option == "--interval" ||
         option == "--lower" || option == "--upper" || option == "--min-cpk";
}

bool IsKnownOption(const std::string &option) {
  return TakesValue(option) || option == "--json" || option == "--quiet" || option == "--verify" ||
         option == "--help" || option == "-h" || option == "--version";
}

bool ParseCount(const std::string &text, long *out) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  char *end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < 0 || v > 65535) return false;
  *out = v;
  return true;
}

// A number with '.' or ',' as decimal mark (as a limit is typed into the
// window); an empty text is none.
bool ParseNumber(const std::string &text, bool *given, double *out) {
  int has = 0;
  if (!ParseStatsLimit(text.c_str(), &has, out) || !has) return false;
  *given = true;
  return true;
}

int Misused(std::string *fault, const std::string &text) {
  *fault = text;
  return EXIT_USAGE;
}

struct GivenOption {
  std::string name, value;
};

// The checks that need the whole command line.
int CheckShape(const CommandShape &shape, const std::vector<GivenOption> &options, CliRequest *r,
               std::string *fault) {
  for (const GivenOption &o : options) {
    const bool global = o.name == "--json" || o.name == "--quiet" || o.name == "--trace";
    if (!global && !CommandTakes(shape, o.name))
      return Misused(fault, "'" + r->command + "' takes no option " + o.name);
  }
  const int n = static_cast<int>(r->operands.size());
  if (n < shape.minOperands || (shape.maxOperands >= 0 && n > shape.maxOperands)) {
    if (shape.maxOperands == 0) return Misused(fault, "'" + r->command + "' takes no arguments");
    if (r->command == "send" && n < 2) return Misused(fault, "'send' needs FILE.cfg and at least one PORT");
    if (r->command == "diff") return Misused(fault, "'diff' compares two things: A and B");
    if (r->command == "stats") return Misused(fault, "'stats' needs at least one recorder FILE");
    if (shape.maxOperands == 1 && n > 1) return Misused(fault, "'" + r->command + "' takes one PORT");
    return Misused(fault, "'" + r->command + "' needs a PORT");
  }
  // Each sensor once: a second session on the same port could only fail.
  std::set<std::string> seen;
  const size_t firstPort = r->command == "send" ? 1 : 0;
  if (r->command != "diff" && r->command != "stats") {
    for (size_t i = firstPort; i < r->operands.size(); ++i)
      if (!seen.insert(r->operands[i]).second) return Misused(fault, "PORT " + r->operands[i] + " is given twice");
  }
  const auto store = [&](const std::string &option, std::string *value, bool required) {
    if (value->empty()) {
      if (required) return Misused(fault, "'" + r->command + "' needs " + option + " ram|eeprom");
      return 0;
    }
    if (*value != "ram" && *value != "eeprom")
      return Misused(fault, option + " is ram or eeprom, not '" + *value + "'");
    return 0;
  };
  if (r->command == "get" || r->command == "diff") {
    if (int bad = store("--from", &r->from, r->command == "get")) return bad;
    if (r->from.empty()) r->from = "ram";
  }
  if (r->command == "send")
    if (int bad = store("--to", &r->to, true)) return bad;
  if ((r->command == "get" || r->command == "record") && r->output.empty())
    return Misused(fault, "'" + r->command + "' needs --output FILE");
  if (r->command == "stats" && r->hasLower && r->hasUpper && r->lower > r->upper)
    return Misused(fault, "--lower is above --upper");
  if (r->command == "record") {
    if (r->samples < 0) return Misused(fault, "'record' needs --samples N (0 to 65535)");
    if (r->interval < 0) return Misused(fault, "'record' needs --interval S (0 to 65535 seconds)");
    if (!r->csv.empty() && r->csv == r->output) return Misused(fault, "--csv and --output name the same file");
  }
  return 0;
}

}  // namespace

int ParseCommandLine(int argc, char **argv, CliRequest *r, std::string *fault) {
  *r = CliRequest();
  fault->clear();
  std::vector<GivenOption> options;
  bool operandsOnly = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i] ? argv[i] : "";
    if (!operandsOnly && arg == "--") {
      operandsOnly = true;
      continue;
    }
    if (operandsOnly || arg.size() < 2 || arg[0] != '-') {
      if (r->command.empty()) {
        if (FindCommand(arg) == nullptr) return Misused(fault, "unknown command '" + arg + "'");
        r->command = arg;
      } else {
        r->operands.push_back(arg);
      }
      continue;
    }
    std::string value;
    bool hasValue = false;
    const size_t eq = arg.find('=');
    if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    if (!IsKnownOption(arg)) return Misused(fault, "unknown option '" + std::string(argv[i]) + "'");
    if (TakesValue(arg)) {
      if (!hasValue) {
        if (i + 1 >= argc || argv[i + 1] == nullptr) return Misused(fault, "option " + arg + " needs a value");
        value = argv[++i];
      }
    } else if (hasValue) {
      return Misused(fault, "option " + arg + " takes no value");
    }
    if (arg == "--help" || arg == "-h") {
      r->help = true;
      continue;
    }
    if (arg == "--version") {
      r->version = true;
      continue;
    }
    if (arg == "--json") r->json = true;
    if (arg == "--quiet") r->quiet = true;
    if (arg == "--verify") r->verify = true;
    if (arg == "--trace") {
      if (value.empty()) return Misused(fault, "option --trace needs a file");
      r->trace = value;
      r->traceGiven = true;
    }
    if (arg == "--from") r->from = value;
    if (arg == "--to") r->to = value;
    if (arg == "--output") {
      if (value.empty()) return Misused(fault, "option --output needs a file");
      r->output = value;
    }
    if (arg == "--csv") {
      if (value.empty()) return Misused(fault, "option --csv needs a file");
      r->csv = value;
    }
    if (arg == "--samples" && !ParseCount(value, &r->samples))
      return Misused(fault, "--samples needs a whole number from 0 to 65535, not '" + value + "'");
    if (arg == "--interval" && !ParseCount(value, &r->interval))
      return Misused(fault, "--interval needs whole seconds from 0 to 65535, not '" + value + "'");
    if ((arg == "--lower" && !ParseNumber(value, &r->hasLower, &r->lower)) ||
        (arg == "--upper" && !ParseNumber(value, &r->hasUpper, &r->upper)) ||
        (arg == "--min-cpk" && !ParseNumber(value, &r->hasMinCpk, &r->minCpk)))
      return Misused(fault, arg + " needs a number, not '" + value + "'");
    options.push_back({arg, value});
  }
  if (r->help || r->version) return 0;
  if (r->command.empty()) return Misused(fault, "no command given");
  if (int bad = CheckShape(*FindCommand(r->command), options, r, fault)) return bad;
  return 0;
}

}  // namespace kvorcli
