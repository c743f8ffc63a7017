// A parameter-file operand, Windows: a file (the shells there hand over no
// pipe as a path).
#include "cli/port_names.h"
#include "params/parameter_file.h"

namespace kvorcli {

int ReadParameterOperand(const std::string &operand, ParameterSet *set, char *fault, size_t size) {
  return ReadParameterFile(operand.c_str(), set, fault, size);
}

}  // namespace kvorcli
