#include "runtime/rs232/com_names.h"

int ComPortNumber(const std::string &name) {
  std::string rest = name;
  for (const char *prefix : {"\\\\.\\", "//./"}) {
    const std::string p(prefix);
    if (rest.compare(0, p.size(), p) == 0) {
      rest = rest.substr(p.size());
      break;
    }
  }
  if (rest.size() < 4 || rest.size() > 6) return 0;
  for (int i = 0; i < 3; ++i)
    if ((rest[i] & ~0x20) != "COM"[i]) return 0;
  if (rest[3] == '0') return 0;
  int n = 0;
  for (size_t i = 3; i < rest.size(); ++i) {
    if (rest[i] < '0' || rest[i] > '9') return 0;
    n = n * 10 + (rest[i] - '0');
  }
  return n >= 1 && n <= MAX_COM_NAME_NUMBER ? n : 0;
}

std::string ComPortName(int number) {
  if (number < 1 || number > MAX_COM_NAME_NUMBER) return std::string();
  return "COM" + std::to_string(number);
}
