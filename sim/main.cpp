// kvor-sensor-sim: a simulated line sensor on a pseudo-terminal (or a real
// serial device, a COM port on Windows), for trying the program without the
// hardware.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/sensor_sim.h"
#include "sim/stop_requests.h"

namespace {

const char kHelp[] =
    "Usage: kvor-sensor-sim [options]\n"
    "\n"
    "Starts a simulated line sensor and prints, on the first line, the device\n"
    "to connect the program to (a pseudo-terminal unless --device is given; on\n"
    "Windows, which has no pseudo-terminals, --device COMn is needed).\n"
    "With --count N it starts N sensors alike and prints their N devices, one a\n"
    "line, before the line that says they are answering.\n"
    "It answers the sensor's serial protocol until it is stopped with Ctrl+C\n"
    "(SIGINT) or SIGTERM (on Windows Ctrl+C, Ctrl+Break or closing its console).\n"
    "\n"
    "What the sensor says it is:\n"
    "  --ccd-type N        CCD type code: 20 (1024-pixel line, 4096 virtual\n"
    "                      pixels), 202 (256-pixel line, 1024 virtual pixels) or\n"
    "                      any other code (default 20)\n"
    "  --hardware-type N   hardware type code (default 80 for CCD type 20)\n"
    "  --virt-pixel N      number of virtual pixels on the line, also values the\n"
    "                      program does not know, such as 3072\n"
    "  --max-pixel N       number of physical pixels of the CCD line\n"
    "  --pcb-type N        circuit-board type: 0 sends the firmware text as 36\n"
    "                      words, any other value as 72 plain bytes (default 0)\n"
    "  --adc N             full scale of the video samples, 256 or 1024\n"
    "                      (default 256)\n"
    "  --firmware TEXT     the firmware text it reports\n"
    "\n"
    "How it behaves:\n"
    "  --paced             sends its replies at 19200 baud, 10 bit times a byte,\n"
    "                      as a real line does\n"
    "  --baud N            paces at N baud instead (implies --paced)\n"
    "  --device PATH       serves a real serial device instead of a\n"
    "                      pseudo-terminal (for a null-modem cable); on Windows a\n"
    "                      COM port: COM5, COM10 or \\\\.\\COM10, e.g. one end of\n"
    "                      a virtual null-modem pair\n"
    "  --count N           N sensors, each on a pseudo-terminal of its own, with\n"
    "                      the same settings and faults (1 to 64, default 1)\n"
    "  --trace FILE        writes every frame received and sent to FILE, one line\n"
    "                      each, as the program's --trace does (with --count, sensor\n"
    "                      i writes FILE.i; a file that cannot be written: exit 2)\n"
    "  --seed N            seed of the object's motion and the signal noise;\n"
    "                      the same seed gives the same readings (default 1)\n"
    "  --still             the object does not move: every reading is the same\n"
    "\n"
    "Faults, to see how the program copes:\n"
    "  --mute              answers nothing at all\n"
    "  --wrong-sync        replies begin with 00 55 instead of 00 AA\n"
    "  --length-delta N    replies N bytes longer (random bytes appended) or,\n"
    "                      with a negative N, that many bytes shorter\n"
    "  --delay-ms N        waits N milliseconds before every reply\n"
    "  --garbage N         sends N random bytes in front of every reply\n"
    "  --drop-every N      leaves every N-th reply out\n"
    "  --corrupt-word N    acknowledges every write but stores parameter word N\n"
    "                      (0-14 frame 0, 15-29 frame 1) one higher than sent\n"
    "\n"
    "  --help              shows this text\n"
    "\n"
    "Options that take a value accept it as the next argument or after '='\n"
    "(--seed=7).\n";

struct Settings {
  kvorsim::Options options;
  std::string device;
  std::string traceFile;
  bool mute = false, wrongSync = false;
  int count = 1;
  int lengthDelta = 0, delayMs = 0, garbage = 0, dropEvery = 0, corruptedWord = -1;
  // Identity fields given on the command line, applied over the CCD type's.
  std::map<std::string, long long> identityNumbers;
  bool haveFirmware = false;
  std::string firmware;
  long long ccdType = 20;
};

bool parseNumber(const std::string &text, long long min, long long max, long long *out) {
  if (text.empty()) return false;
  char *end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < min || v > max) return false;
  *out = v;
  return true;
}

int usageError(const std::string &message) {
  std::fprintf(stderr, "kvor-sensor-sim: %s\nTry 'kvor-sensor-sim --help'.\n", message.c_str());
  return 2;
}

// Returns -1 when the settings are complete, else the exit code.
int parse(int argc, char **argv, Settings *s) {
  struct Numeric {
    long long min, max;
    std::function<void(long long)> apply;
  };
  const std::map<std::string, Numeric> numeric = {
      {"--ccd-type", {0, 65535, [s](long long v) { s->ccdType = v; }}},
      {"--hardware-type", {0, 65535, [s](long long v) { s->identityNumbers["hardware"] = v; }}},
      {"--virt-pixel", {1, 65535, [s](long long v) { s->identityNumbers["virt"] = v; }}},
      {"--max-pixel", {1, 65535, [s](long long v) { s->identityNumbers["max"] = v; }}},
      {"--pcb-type", {0, 65535, [s](long long v) { s->identityNumbers["pcb"] = v; }}},
      {"--adc", {2, 65535, [s](long long v) { s->identityNumbers["adc"] = v; }}},
      {"--baud", {50, 4000000, [s](long long v) { s->options.paced = true; s->options.baud = static_cast<int>(v); }}},
      {"--seed", {0, 4294967295LL, [s](long long v) { s->options.seed = static_cast<uint32_t>(v); }}},
      {"--length-delta", {-4096, 4096, [s](long long v) { s->lengthDelta = static_cast<int>(v); }}},
      {"--delay-ms", {0, 600000, [s](long long v) { s->delayMs = static_cast<int>(v); }}},
      {"--garbage", {0, 4096, [s](long long v) { s->garbage = static_cast<int>(v); }}},
      {"--drop-every", {0, 1000000, [s](long long v) { s->dropEvery = static_cast<int>(v); }}},
      {"--corrupt-word", {0, 29, [s](long long v) { s->corruptedWord = static_cast<int>(v); }}},
      {"--count", {1, 64, [s](long long v) { s->count = static_cast<int>(v); }}},
  };
  const std::map<std::string, std::function<void()>> flags = {
      {"--paced", [s] { s->options.paced = true; }},
      {"--still", [s] { s->options.moving = false; }},
      {"--mute", [s] { s->mute = true; }},
      {"--wrong-sync", [s] { s->wrongSync = true; }},
  };

  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    std::string value;
    bool hasValue = false;
    const size_t eq = name.find('=');
    if (name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      hasValue = true;
    }
    if (name == "--help" || name == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    auto flag = flags.find(name);
    if (flag != flags.end()) {
      if (hasValue) return usageError("option " + name + " takes no value");
      flag->second();
      continue;
    }
    const bool takesText = name == "--firmware" || name == "--device" || name == "--trace";
    auto num = numeric.find(name);
    if (num == numeric.end() && !takesText) return usageError("unknown option '" + std::string(argv[i]) + "'");
    if (!hasValue) {
      if (i + 1 >= argc) return usageError("option " + name + " needs a value");
      value = argv[++i];
    }
    if (name == "--firmware") {
      s->haveFirmware = true;
      s->firmware = value;
    } else if (name == "--trace") {
      if (value.empty()) return usageError("option --trace needs a file name");
      s->traceFile = value;
    } else if (name == "--device") {
      if (value.empty()) return usageError("option --device needs a device path");
      s->device = value;
    } else {
      long long v = 0;
      if (!parseNumber(value, num->second.min, num->second.max, &v))
        return usageError("option " + name + " needs a whole number from " + std::to_string(num->second.min) +
                          " to " + std::to_string(num->second.max) + ", not '" + value + "'");
      num->second.apply(v);
    }
  }

  if (s->count > 1 && !s->device.empty()) return usageError("--count and --device exclude each other");
  kvorsim::Identity &id = s->options.identity;
  id = kvorsim::identityForCcdType(static_cast<uint16_t>(s->ccdType));
  for (const auto &[field, v] : s->identityNumbers) {
    const uint16_t w = static_cast<uint16_t>(v);
    if (field == "hardware") id.hardwareType = w;
    if (field == "virt") id.ccdVirtPixel = w;
    if (field == "max") {
      id.ccdMaxPixel = w;
      id.ccdPixE = static_cast<uint16_t>(w - 1);
    }
    if (field == "pcb") id.pcbType = w;
    if (field == "adc") id.adcFullScale = w;
  }
  if (s->haveFirmware) id.firmwareText = s->firmware;
  return -1;
}

}  // namespace

int main(int argc, char **argv) {
  Settings settings;
  const int parsed = parse(argc, argv, &settings);
  if (parsed >= 0) return parsed;

  // Set up before the sensors' threads start.
  kvorsim::StopRequests stopRequests;

  // Each sensor moves on its own: the seeds follow one another.
  std::vector<std::unique_ptr<kvorsim::SensorSim>> sensors;
  for (int i = 0; i < settings.count; ++i) {
    kvorsim::Options options = settings.options;
    options.seed = settings.options.seed + static_cast<uint32_t>(i);
    auto sensor = std::make_unique<kvorsim::SensorSim>(options);
    sensor->setMute(settings.mute);
    sensor->setWrongSync(settings.wrongSync);
    sensor->setLengthDelta(settings.lengthDelta);
    sensor->setCorruptedWord(settings.corruptedWord);
    sensor->setReplyDelayMs(settings.delayMs);
    sensor->setGarbage(settings.garbage);
    sensor->setDropEvery(settings.dropEvery);
    if (!settings.traceFile.empty()) {
      // One trace a sensor: with several, sensor i writes FILE.i.
      const std::string trace =
          settings.count == 1 ? settings.traceFile : settings.traceFile + "." + std::to_string(i + 1);
      std::string traceError;
      if (!sensor->openTrace(trace, &traceError))
        return usageError("cannot write the trace file '" + trace + "': " + traceError);
    }
    const bool started = settings.device.empty() ? sensor->start() : sensor->startOnDevice(settings.device);
    if (!started) {
      std::fprintf(stderr, "kvor-sensor-sim: cannot start: %s\n", sensor->lastError().c_str());
      return 1;
    }
    sensors.push_back(std::move(sensor));
  }
  const kvorsim::Identity id = sensors.front()->identity();
  // Standard output carries the devices alone, so a script can take them as
  // they are (`kvor send golden.cfg $(cat devices)`); the greeting is for
  // the operator.
  for (const auto &sensor : sensors) std::printf("%s\n", sensor->devicePath().c_str());
  std::fflush(stdout);
  if (settings.count == 1)
    std::fprintf(stderr, "Simulated sensor (CCD type %u, %u virtual pixels%s) is answering on this device; "
                "connect the program to it and stop the sensor with Ctrl+C.\n",
                id.ccdType, id.ccdVirtPixel, settings.options.paced ? ", paced" : "");
  else
    std::fprintf(stderr, "%d simulated sensors (CCD type %u, %u virtual pixels%s) are answering on these "
                "devices; stop them with Ctrl+C.\n",
                settings.count, id.ccdType, id.ccdVirtPixel, settings.options.paced ? ", paced" : "");

  stopRequests.wait();
  int replies = 0;
  for (const auto &sensor : sensors) {
    sensor->stop();
    replies += sensor->repliesSent();
  }
  std::fprintf(stderr, "kvor-sensor-sim: stopped after %d replies.\n", replies);
  return 0;
}
