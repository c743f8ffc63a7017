// kvor against sensors that fail: each is told on its own line and does not
// stop the others; the worst status wins.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <string>
#include <vector>

#include "kvor_process.h"
#include "params/parameter_file.h"
#include "support/temp_dir.h"

namespace clitest {
namespace {

// One real time-out serves the whole group.
TEST(KvorFaults, FourSensorsOneMuteTheOtherThreeDoneJsonLinesParse) {
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
  TempDir dir;
  const std::string file = dir.File("golden.cfg");
  ASSERT_EQ(WriteParameterFile(file.c_str(), StartParameterSet()), 1);
  auto sensors = StartSensors(4);
  ASSERT_EQ(sensors.size(), 4u);
  sensors[2]->setMute(true);
  std::vector<std::string> args = {"send", file};
  for (auto &s : sensors) args.push_back(s->devicePath());
  args.insert(args.end(), {"--to", "ram", "--json"});

  const KvorRun run = RunKvor(args);
  EXPECT_EQ(run.status, 2) << run.out << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  for (size_t i = 0; i < lines.size(); ++i) {
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(lines[i]), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << lines[i];
    EXPECT_EQ(o.value("port").toString().toStdString(), sensors[i]->devicePath());
    EXPECT_EQ(o.value("ok").toBool(), i != 2) << lines[i];
    if (i == 2)
      EXPECT_EQ(o.value("message").toString().toStdString(), "Timeout-RS-232... (no reply to the echo check)");
    else
      EXPECT_EQ(Commands(*sensors[i], 3), (std::vector<int>{5, 1, 1})) << i;
  }
  // The mute sensor heard the echo check and nothing after it.
  EXPECT_EQ(Commands(*sensors[2]), std::vector<int>{5});
}

TEST(KvorFaults, WrongSyncAndADeviceThatVanishesMidSend) {
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
  TempDir dir;
  const std::string file = dir.File("golden.cfg");
  ASSERT_EQ(WriteParameterFile(file.c_str(), StartParameterSet()), 1);
  auto sensors = StartSensors(3);
  ASSERT_EQ(sensors.size(), 3u);
  sensors[0]->setWrongSync(true);
  sensors[1]->setHangUpAfterFrames(2);  // the echo, then frame 0 of the write
  const std::string a = sensors[0]->devicePath(), b = sensors[1]->devicePath(), c = sensors[2]->devicePath();

  const KvorRun run = RunKvor({"send", file, a, b, c, "--to", "eeprom"});
  EXPECT_EQ(run.status, 2) << run.out << run.err;
  EXPECT_EQ(run.out, a + ": FAILED read error - not sync byte 0xAA!\n" + b +
                         ": FAILED Serial device lost after parameter frame 0 was sent to EEPROM; frame 1 was "
                         "not sent\n" +
                         c + ": OK both parameter frames sent to EEPROM\n");
  EXPECT_EQ(Commands(*sensors[0]), std::vector<int>{5});
  EXPECT_EQ(Commands(*sensors[1]), (std::vector<int>{5, 3}));

  // A device that is not there, and a port number the window has no entry for.
  const KvorRun missing = RunKvor({"identify", dir.File("no-such-device"), "/dev/kvor-none", "64"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, dir.File("no-such-device") + ": FAILED No serial port found\n" +
                             "/dev/kvor-none: FAILED No serial port found\n64: FAILED Invalid port number\n");
}

}  // namespace
}  // namespace clitest
