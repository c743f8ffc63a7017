// kvor's other commands: identify, diff, teach, reset-minmax, ports, and the
// command line itself.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#endif
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "kvor_process.h"
#include "params/parameter_file.h"
#include "runtime/rs232/port_table.h"
#include "runtime/runtime.h"
#include "support/temp_dir.h"

namespace clitest {
namespace {

TEST(KvorCommands, IdentifyTellsWhatTheSensorIs) {
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
  auto sensors = StartSensors(2);
  ASSERT_EQ(sensors.size(), 2u);
  kvorsim::Identity id = kvorsim::identityForCcdType(202);
  id.pcbType = 1;
  id.adcFullScale = 1024;
  id.firmwareText = "Line V2 \xB5";  // the micro sign of the code page
  sensors[1]->setIdentity(id);
  const std::string a = sensors[0]->devicePath(), b = sensors[1]->devicePath();

  TempDir dir;
  const std::string trace = dir.File("wire.trace");
  const KvorRun run = RunKvor({"--trace", trace, "identify", a, b});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, a + ": OK CCD type 20 (1024-pixel; 7.8\xC2\xB5m pixel-pitch), 1024 pixels, 4096 virtual "
                         "pixels, ADC full scale 256, firmware \"K-VOR firmware V3.01 (simulated)\"\n" +
                         b + ": OK CCD type 202 (256-pixel; 63.5\xC2\xB5m pixel-pitch), 256 pixels, 1024 virtual "
                             "pixels, ADC full scale 1024, firmware \"Line V2 \xC2\xB5\"\n");
  // The window's start-up without the parameters.
  EXPECT_EQ(Commands(*sensors[0]), (std::vector<int>{5, 10, 7}));

  // The trace holds what each sensor received, byte for byte, and a reply
  // to each, the two ports told apart by name.
  for (const auto &sensor : sensors) {
    std::vector<std::string> sent, replies;
    for (const std::string &line : Lines(ReadBytes(trace))) {
      if (line.find(" | " + sensor->devicePath() + ": ") == std::string::npos) continue;
      const std::string hex = line.substr(0, line.find(" | "));
      if (hex.find(" TX 36 ") != std::string::npos) sent.push_back(hex.substr(hex.find(" TX 36 ") + 7));
      if (hex.find(" RX ") != std::string::npos) replies.push_back(hex);
    }
    std::vector<std::string> received;
    for (const kvorsim::ReceivedFrame &f : sensor->received()) {
      std::string hex;
      for (unsigned char byte : f.bytes) {
        char two[4];
        std::snprintf(two, sizeof two, "%s%02X", hex.empty() ? "" : " ", byte);
        hex += two;
      }
      received.push_back(hex);
    }
    EXPECT_EQ(received, sent) << sensor->devicePath();
    EXPECT_EQ(3u, replies.size()) << sensor->devicePath();
  }
  // A trace file that cannot be written: nothing is sent.
  sensors[0]->clearReceived();
  EXPECT_EQ(3, RunKvor({"--trace", dir.File("no/such/folder"), "identify", a}).status);
  EXPECT_TRUE(sensors[0]->received().empty());
}

TEST(KvorCommands, DiffReadsOnlyAndNamesFieldsWithBothValues) {
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
  TempDir dir;
  auto sensors = StartSensors(1);
  ASSERT_EQ(sensors.size(), 1u);
  kvorsim::SensorSim &sensor = *sensors[0];
  ParameterSet held;
  for (int i = 0; i < 15; ++i) held.words[i] = sensor.ram(0)[i], held.words[15 + i] = sensor.ram(1)[i];
  ParameterSet file = held;
  SetParameterFieldValue(&file, *FindParameterField("evalMode"), 3);
  SetParameterFieldValue(&file, *FindParameterField("setpointUm"), 100000);
  // A name that holds what a format string would replace.
  const std::string golden = dir.File("golden-%1%3.cfg"), same = dir.File("same.cfg");
  ASSERT_EQ(WriteParameterFile(golden.c_str(), file), 1);
  ASSERT_EQ(WriteParameterFile(same.c_str(), file), 1);
  const std::string port = sensor.devicePath();
  const uint32_t setpoint = ParameterFieldValue(held, *FindParameterField("setpointUm"));

  const KvorRun run = RunKvor({"diff", golden, port});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_EQ(run.out, port + ": FAILED 2 fields differ from " + golden + "\n  evalMode: " + golden + " 3, " + port +
                         " 1\n  setpointUm: " + golden + " 100000, " + port + " " + std::to_string(setpoint) + "\n");
  EXPECT_EQ(Commands(sensor), (std::vector<int>{5, 2, 2}));

  EXPECT_EQ(RunKvor({"diff", golden, same}).status, 0);
  sensor.clearReceived();
  EXPECT_EQ(RunKvor({"diff", port, port, "--from", "eeprom"}).status, 2);  // one of the two cannot open
  const KvorRun bad = RunKvor({"diff", dir.File("none.cfg"), golden});
  EXPECT_EQ(bad.status, 3);
  EXPECT_NE(bad.out.find("FAILED " + dir.File("none.cfg") + " cannot be read"), std::string::npos) << bad.out;
  // A number that wraps round to the golden one in 32 bits is no match.
  const std::string a1 = std::to_string(4294967296ull + file.words[0]);
  WriteBytes(dir.File("wrapped.cfg"), a1 + ReadBytes(golden).substr(10));
  const KvorRun wraps = RunKvor({"diff", golden, dir.File("wrapped.cfg")});
  EXPECT_EQ(wraps.status, 3) << wraps.out;
  EXPECT_NE(wraps.out.find("line 1: " + a1 + " is above 65535"), std::string::npos) << wraps.out;

  // Files where a port's name could be, and ports: a pipe (as <(cat
  // golden.cfg) hands it over, /dev/fd/N) and a file under /dev/shm are
  // files; a device not plugged in and COMn are ports.
  const std::string differ = ": FAILED 2 fields differ from ";
#ifndef _WIN32  // a pipe as a path: POSIX shells' <(...)
  {
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    const std::string text = ReadBytes(golden);
    ASSERT_EQ(write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(ends[1]);
    ASSERT_EQ(fcntl(ends[0], F_SETFD, 0), 0);  // kvor inherits the read end
    const std::string piped = "/dev/fd/" + std::to_string(ends[0]);
    const KvorRun fromPipe = RunKvor({"diff", piped, port});
    close(ends[0]);
    EXPECT_EQ(fromPipe.status, 1) << fromPipe.out;
    EXPECT_EQ(fromPipe.out.rfind(port + differ + piped + "\n", 0), 0u) << fromPipe.out;
  }
#endif
  const std::string shm = "/dev/shm/kvor-diff-" + std::to_string(getpid()) + ".cfg";
  if (WriteBytes(shm, ReadBytes(golden))) {
    const KvorRun fromShm = RunKvor({"diff", shm, port});
    std::remove(shm.c_str());
    EXPECT_EQ(fromShm.status, 1) << fromShm.out;
    EXPECT_EQ(fromShm.out.rfind(port + differ + shm + "\n", 0), 0u) << fromShm.out;
  }
  for (const std::string absent : {"/dev/kvor-no-such-adapter", "COM7"}) {
    const KvorRun run = RunKvor({"diff", golden, absent});
    EXPECT_EQ(run.status, 2) << absent << ": " << run.out;
    EXPECT_EQ(run.out.rfind(absent + ": FAILED ", 0), 0u) << run.out;
  }
}

TEST(KvorCommands, TeachAndResetAsTheWindowsButtons) {
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
  auto sensors = StartSensors(1);
  ASSERT_EQ(sensors.size(), 1u);
  kvorsim::SensorSim &sensor = *sensors[0];
  sensor.setEdges(1500, 2600);
  const std::string port = sensor.devicePath();
  const std::vector<uint16_t> ramFrame0 = sensor.ram(0);

  const KvorRun teach = RunKvor({"teach", port});
  EXPECT_EQ(teach.status, 0) << teach.err;
  EXPECT_EQ(teach.out, port + ": OK New setpoint value teached! teachA 1500, teachB 2600\n");
  const std::vector<kvorsim::ReceivedFrame> frames = sensor.received();
  EXPECT_EQ(Commands(sensor), (std::vector<int>{5, 2, 2, 6, 2, 2}));
  // The teach frame carries frame 0 as the sensor's RAM held it.
  ASSERT_EQ(frames.size(), 6u);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(frames[3].dataWord(i), ramFrame0[i]) << i;

  sensor.clearReceived();
  const KvorRun reset = RunKvor({"reset-minmax", port});
  EXPECT_EQ(reset.out, port + ": OK Reset Max/Min OK!\n");
  EXPECT_EQ(Commands(sensor), (std::vector<int>{5, 11}));
}

// Ctrl+C while a command waits on its sensor: nothing further begins, the
// line tells how far it got, exit status 130, long before the time-out.
TEST(KvorCommands, AStopEndsEachCommandWithWhatTheSensorGot) {
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
  TempDir dir;
  const std::string golden = dir.File("golden.cfg"), got = dir.File("got.cfg");
  ASSERT_EQ(WriteParameterFile(golden.c_str(), StartParameterSet()), 1);
  auto sensors = StartSensors(1);
  ASSERT_EQ(sensors.size(), 1u);
  kvorsim::SensorSim &sensor = *sensors[0];
  const std::string port = sensor.devicePath();
  struct Case {
    std::vector<std::string> args;
    int unanswered;                // the command the sensor does not answer
    std::vector<int> commands;     // what it received, the last one unanswered
    std::string got;
  } cases[] = {
      {{"identify", port}, 10, {5, 10}, "not identified"},
      {{"get", port, "--from", "eeprom", "--output", got}, 4, {5, 4}, got + " not written"},
      {{"diff", golden, port}, 2, {5, 2}, "nothing compared"},
      {{"teach", port}, 5, {5}, "nothing taught"},
      {{"teach", port}, 6, {5, 2, 2, 6}, "teach command sent, set-points not read back"},
      {{"reset-minmax", port}, 11, {5, 11}, "max/min reset sent, not confirmed"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args[0] + ", " + c.got);
    sensor.setMuteCommands({c.unanswered});
    sensor.clearReceived();
    const auto begin = std::chrono::steady_clock::now();
    const KvorRun run = RunKvorStoppedAt(c.args, sensor, c.commands.size(), {SIGINT});
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1500));
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_EQ(run.out, port + ": FAILED interrupted: " + c.got + "\n");
    EXPECT_EQ(Commands(sensor), c.commands);
  }
  EXPECT_NE(access(got.c_str(), F_OK), 0);
}

// What fn prints on standard output.
std::string StandardOutputOf(const std::function<void()> &fn) {
  std::fflush(stdout);
  char name[] = "/tmp/kvor-stdout-XXXXXX";
  const int file = mkstemp(name);
  if (file < 0) return "(no temporary file)";
  unlink(name);
  const int saved = dup(1);
  dup2(file, 1);
  fn();
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  std::string text;
  char buffer[4096];
  ssize_t n;
  lseek(file, 0, SEEK_SET);
  while ((n = read(file, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  close(file);
  return text;
}

// kvor ports, run in the test's process on devices the test gives as the
// machine's: numbered as the window's selector numbers them, adapters first.
TEST(KvorCommands, PortsAreNumberedAsTheWindowNumbersThem) {
  SetSerialDeviceLister([] {
    return std::vector<SerialDevice>{{"ttyS10", "/dev/ttyS10", "", ""},
                                     {"ttyS2", "/dev/ttyS2", "", ""},
                                     {"ttyUSB1", "/dev/ttyUSB1", "FT232R USB UART", "A10KX3"},
                                     {"ttyACM0", "/dev/ttyACM0", "Bench board", ""},
                                     {"ttyUSB0", "/dev/ttyUSB0", "", "B77"}};
  });
  kvorcli::CliRequest request;
  request.command = "ports";
  int status = -1;
  EXPECT_EQ(StandardOutputOf([&] { status = kvorcli::RunPorts(request); }),
            "1: /dev/ttyACM0 \u2014 Bench board\n"
            "2: /dev/ttyUSB0 \u2014 (B77)\n"
            "3: /dev/ttyUSB1 \u2014 FT232R USB UART (A10KX3)\n"
            "4: /dev/ttyS2\n"
            "5: /dev/ttyS10\n");
  EXPECT_EQ(status, 0);
  // As JSON, with ok and message as every object kvor prints.
  request.json = true;
  const std::vector<std::string> objects = Lines(StandardOutputOf([&] { kvorcli::RunPorts(request); }));
  ASSERT_EQ(objects.size(), 5u);
  EXPECT_EQ(objects[0], "{\"description\":\"Bench board\",\"device\":\"/dev/ttyACM0\",\"message\":\"1: "
                        "/dev/ttyACM0 \u2014 Bench board\",\"ok\":true,\"port\":1,\"present\":true,\"serialNumber\":\"\"}");
  EXPECT_EQ(objects[4], "{\"description\":\"\",\"device\":\"/dev/ttyS10\",\"message\":\"5: /dev/ttyS10\",\"ok\":true,"
                        "\"port\":5,\"present\":true,\"serialNumber\":\"\"}");
  SetSerialDeviceLister(nullptr);
}

TEST(KvorCommands, CommandLineMistakesAreUsageErrorsAndHelpNeedsNoDisplay) {
  const KvorRun help = RunKvor({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char *text : {"identify PORT...", "--verify", "64  a command line", "130 stopped by Ctrl+C"})
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  EXPECT_NE(RunKvor({"send", "--help"}).out.find("Usage: kvor send FILE.cfg PORT..."), std::string::npos);
  EXPECT_EQ(RunKvor({"--version"}).out, "kvor 3.01\n");
  const std::vector<std::vector<std::string>> mistakes = {
      {},
      {"frobnicate"},
      {"identify"},
      {"send", "a.cfg"},
      {"send", "a.cfg", "/dev/x", "--to", "flash"},
      {"send", "a.cfg", "/dev/x"},
      {"send", "a.cfg", "/dev/x", "/dev/x", "--to", "ram"},
      {"get", "/dev/x", "--from", "ram"},
      {"identify", "/dev/x", "--verify"},
      {"record", "/dev/x", "--samples", "70000", "--interval", "1", "--output", "r.dat"},
      {"identify", "/dev/x", "--trace"},
      {"stats"},
      {"stats", "r.dat", "--lower", "36.9x"},
      {"stats", "r.dat", "--lower", "2", "--upper", "1"},
      {"stats", "r.dat", "--samples", "3"},
  };
  for (const std::vector<std::string> &args : mistakes) {
    const KvorRun run = RunKvor(args);
    EXPECT_EQ(run.status, 64) << (args.empty() ? "" : args[0]);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("Try 'kvor --help'"), std::string::npos);
  }
}

}  // namespace
}  // namespace clitest
