// kvor record: the recorder file as the window writes it, the CSV beside it,
// and a stop by signal that leaves whole lines only.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "kvor_process.h"
#include "recorder/recorder.h"
#include "support/temp_dir.h"

namespace clitest {
namespace {

kvorsim::Measurement Fixed(uint16_t mvalue, int32_t um) {
  kvorsim::Measurement m;
  m.aval = 1200;
  m.bval = 2900;
  m.mvalue = mvalue;
  m.umValue = um;
  m.edcntA = 1;
  m.edcntB = 2;
  return m;
}

TEST(KvorRecord, TheWindowsRecorderFileAndACsvBesideIt) {
  TempDir dir;
  auto sensors = StartSensors(1);
  ASSERT_EQ(sensors.size(), 1u);
  kvorsim::SensorSim &sensor = *sensors[0];
  // Centred mode 3: a value above twice the line is recorded as the
  // window's bar graph leaves it, 8192.
  std::vector<uint16_t> frame0 = sensor.ram(0);
  frame0[9] = 3;
  sensor.setRam(0, frame0);
  sensor.setMeasurement(Fixed(9000, -1234));
  const std::string dat = dir.File("rec.dat"), csv = dir.File("rec.csv"), window = dir.File("window.dat");
  const std::vector<uint16_t> frame1 = sensor.ram(1);
  const uint32_t setpoint = frame1[13] | (static_cast<uint32_t>(frame1[14]) << 16);

  const KvorRun run = RunKvor({"record", sensor.devicePath(), "--samples", "3", "--interval", "0", "--output", dat,
                               "--csv", csv});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  const std::string text = ReadBytes(dat);
  const size_t headerEnd = text.find('\n');
  ASSERT_NE(headerEnd, std::string::npos);
  // The header's date and time are the start's; the rest is the window's bytes.
  const std::string date = text.substr(0, 10), time = text.substr(11, 8);
  EXPECT_TRUE(std::regex_match(date, std::regex("\\d\\d-\\d\\d-\\d{4}"))) << date;
  ASSERT_EQ(WriteRecorderHeader(window.c_str(), date.c_str(), time.c_str(), 0, setpoint), 1);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(AppendRecorderSample(window.c_str(), 1200, 2900, 8192, -1234, 1, 2), 1);
  EXPECT_EQ(text, ReadBytes(window));

  const std::vector<std::string> rows = Lines(ReadBytes(csv));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], "time,Aval,Bval,Mvalue,umValue,edcntA,edcntB");
  const std::regex row("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}(Z|[+-]\\d\\d:\\d\\d),1200,2900,8192,-1234,1,2");
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_TRUE(std::regex_match(rows[i], row)) << rows[i];

  // Hardware, both RAM frames, then raw-values requests carrying frame 0.
  const std::vector<kvorsim::ReceivedFrame> frames = sensor.received();
  ASSERT_GE(frames.size(), 7u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(frames[i].command(), (std::vector<int>{5, 10, 2, 2})[i]);
  for (size_t i = 4; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].command(), 8);
    for (int w = 0; w < 15; ++w) EXPECT_EQ(frames[i].dataWord(w), frame0[w]);
  }
}

TEST(KvorRecord, SigtermEndsWithWholeLinesOnly) {
  TempDir dir;
  auto sensors = StartSensors(1);
  ASSERT_EQ(sensors.size(), 1u);
  sensors[0]->setMeasurement(Fixed(1500, 375));
  const std::string dat = dir.File("rec.dat"), csv = dir.File("rec.csv");
  KvorProcess kvor({"record", sensors[0]->devicePath(), "--samples", "60000", "--interval", "0", "--output", dat,
                    "--csv", csv});
  // Some samples in, then the signal.
  for (int i = 0; i < 200 && Lines(ReadBytes(dat)).size() < 8; ++i) usleep(10000);
  kvor.Signal(SIGTERM);
  const KvorRun run = kvor.Finish(5);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find(": OK recording stopped after "), std::string::npos) << run.out;
  const std::string text = ReadBytes(dat), rows = ReadBytes(csv);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(rows.back(), '\n');
  const std::vector<std::string> lines = Lines(text);
  ASSERT_GE(lines.size(), 8u);
  for (size_t i = 2; i < lines.size(); ++i) EXPECT_EQ(lines[i], "1200\t2900\t1500\t375\t1\t2");
  // One CSV row a sample line.
  EXPECT_EQ(Lines(rows).size(), lines.size() - 1);
}

// A stop before the first sample is no recording: an earlier run's files
// under the same names are left as they were, and the line says so.
TEST(KvorRecord, AStopBeforeTheFirstSampleLeavesAnEarlierRecordingAlone) {
  TempDir dir;
  auto sensors = StartSensors(1);
  ASSERT_EQ(sensors.size(), 1u);
  const std::string port = sensors[0]->devicePath();
  const std::string dat = dir.File("rec.dat"), csv = dir.File("rec.csv");
  ASSERT_TRUE(WriteBytes(dat, "an earlier recording\n"));
  // The echo, the hardware, both RAM frames and the first raw-values
  // request are out; the first sample would come 30 s later.
  const KvorRun run = RunKvorStoppedAt(
      {"record", port, "--samples", "5", "--interval", "30", "--output", dat, "--csv", csv}, *sensors[0], 5, {SIGINT});
  EXPECT_EQ(run.status, 130) << run.out << run.err;
  EXPECT_EQ(run.out, port + ": FAILED interrupted: recording not started, nothing written to " + dat + " or " + csv +
                         "\n");
  EXPECT_EQ(ReadBytes(dat), "an earlier recording\n");
  EXPECT_NE(access(csv.c_str(), F_OK), 0);
  EXPECT_EQ(Commands(*sensors[0]), (std::vector<int>{5, 10, 2, 2, 8}));
}

}  // namespace
}  // namespace clitest
