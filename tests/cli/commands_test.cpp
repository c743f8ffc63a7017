// kvor's other commands: identify, diff, teach, reset-minmax, ports, and the
// command line itself.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "kvor_process.h"
#include "params/parameter_file.h"
#include "runtime/rs232/port_table.h"
#include "runtime/runtime.h"
#include "support/temp_dir.h"

namespace clitest {
namespace {

TEST(KvorCommands, IdentifyTellsWhatTheSensorIs) {
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
  TempDir dir;
  auto sensors = StartSensors(1);
  ASSERT_EQ(sensors.size(), 1u);
  kvorsim::SensorSim &sensor = *sensors[0];
  ParameterSet held;
  for (int i = 0; i < 15; ++i) held.words[i] = sensor.ram(0)[i], held.words[15 + i] = sensor.ram(1)[i];
  ParameterSet file = held;
  SetParameterFieldValue(&file, *FindParameterField("evalMode"), 3);
  SetParameterFieldValue(&file, *FindParameterField("setpointUm"), 100000);
  const std::string golden = dir.File("golden.cfg"), same = dir.File("same.cfg");
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
}

TEST(KvorCommands, TeachAndResetAsTheWindowsButtons) {
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

TEST(KvorCommands, PortsAreNumberedAsTheWindowNumbersThem) {
  char name[] = "test";
  char *argv[] = {name, nullptr};
  ASSERT_EQ(InitPortTable(1, argv), 0);
  std::string expected;
  for (int port = 1; port <= GetComPortCount(); ++port) {
    char label[1024];
    if (GetComPortLabel(port, label, sizeof label) == 0) expected += std::string(label) + "\n";
  }
  const KvorRun run = RunKvor({"ports"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, expected);
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
