// kvor record: the recorder file as the window writes it, the CSV beside it,
// a stop by signal that leaves whole lines only, and the statistics kvor
// stats reads back from such files.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <cstdio>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "kvor_process.h"
#include "recorder/recorder.h"
#include "support/temp_dir.h"

namespace clitest {
namespace {

double UtcSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

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
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
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

  // In a zone half an hour off the hour from UTC (no zone database needed):
  // each CSV time must be the moment of its sample, by the test's own clock.
  const double started = UtcSeconds();
  const KvorRun run = RunKvor({"record", sensor.devicePath(), "--samples", "3", "--interval", "0", "--output", dat,
                               "--csv", csv},
                              30, {"TZ=KVT-5:30"});
  const double ended = UtcSeconds();
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  // The summary: the samples against the set-point and the tolerances
  // (none here), as kvor stats and the window's pop-up give it.
  char limit[32];
  std::snprintf(limit, sizeof limit, "%.4f", setpoint / 1000.0);
  const std::vector<std::string> told = Lines(run.out);
  ASSERT_EQ(told.size(), 5u) << run.out;
  EXPECT_EQ(told[1], "  mean -1.2340 mm, standard deviation 0.0000 mm");
  EXPECT_EQ(told[3], std::string("  limits ") + limit + " to " + limit + " mm: within 0.00 %, below 3, above 0");
  EXPECT_EQ(told[4], "  Cp \xE2\x80\x93, Cpk \xE2\x80\x93");
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
  const std::regex row("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\+05:30,1200,2900,8192,-1234,1,2");
  for (size_t i = 1; i < rows.size(); ++i) {
    EXPECT_TRUE(std::regex_match(rows[i], row)) << rows[i];
    // The time less the offset it names is the moment, within the run.
    std::tm t{};
    int millis = 0, offsetHours = 0, offsetMinutes = 0;
    char zone = 'Z';
    ASSERT_GE(std::sscanf(rows[i].c_str(), "%d-%d-%dT%d:%d:%d.%3d%c%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday,
                          &t.tm_hour, &t.tm_min, &t.tm_sec, &millis, &zone, &offsetHours, &offsetMinutes),
              8)
        << rows[i];
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    const double offset = zone == 'Z' ? 0 : (zone == '-' ? -1 : 1) * (offsetHours * 3600.0 + offsetMinutes * 60.0);
    const double moment = UtcSecondsOf(t) + millis / 1000.0 - offset;
    EXPECT_GE(moment, started - 0.001) << rows[i];
    EXPECT_LE(moment, ended) << rows[i];
  }

  // Hardware, both RAM frames, then raw-values requests carrying frame 0.
  const std::vector<kvorsim::ReceivedFrame> frames = sensor.received();
  ASSERT_GE(frames.size(), 7u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(frames[i].command(), (std::vector<int>{5, 10, 2, 2})[i]);
  for (size_t i = 4; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].command(), 8);
    for (int w = 0; w < 15; ++w) EXPECT_EQ(frames[i].dataWord(w), frame0[w]);
  }
}

// Against the sensor inside kvor, so that Windows runs it too (there the
// stop is the console's Ctrl+C): the files end with whole lines, each ended
// as the system ends a text file's lines.
TEST(KvorRecord, SigtermEndsWithWholeLinesOnly) {
  TempDir dir;
  const std::string dat = dir.File("rec.dat"), csv = dir.File("rec.csv");
  KvorProcess kvor({"record", "simulated", "--samples", "60000", "--interval", "0", "--output", dat, "--csv", csv});
  // Some samples in, then the signal.
  for (int i = 0; i < 500 && Lines(ReadBytes(dat)).size() < 8; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  kvor.Signal(SIGTERM);
  const KvorRun run = kvor.Finish(5);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("simulated: OK recording stopped after "), std::string::npos) << run.out;
  const std::string text = ReadBytes(dat), rows = ReadBytes(csv);
  ASSERT_FALSE(text.empty());
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(text.substr(text.size() - kFileLineEnd.size()), kFileLineEnd);
  EXPECT_EQ(rows.substr(rows.size() - kFileLineEnd.size()), kFileLineEnd);
  const std::vector<std::string> lines = Lines(text);
  ASSERT_GE(lines.size(), 8u);
  const std::regex sample("-?\\d+\t-?\\d+\t-?\\d+\t-?\\d+\t\\d+\t\\d+" + kFileLineEnd.substr(0, kFileLineEnd.size() - 1));
  for (size_t i = 2; i < lines.size(); ++i) EXPECT_TRUE(std::regex_match(lines[i], sample)) << i << ": " << lines[i];
  // One CSV row a sample line.
  EXPECT_EQ(Lines(rows).size(), lines.size() - 1);
}

// Four values by hand: mean 36.99 mm, s = sqrt(0.0038 / 3) mm; against
// 36.95 and 37.05 one is below, Cp = 0.1 / 6s, Cpk = 0.04 / 3s.
TEST(KvorStats, FiguresOfRecorderFilesAndFilesThatAreNone) {
  TempDir dir;
  const std::string good = dir.File("good.dat"), crlf = dir.File("crlf.dat"), cut = dir.File("cut.dat");
  ASSERT_EQ(WriteRecorderHeader(good.c_str(), "12-08-2026", "14:00:00", 0, 37000), 1);
  for (int32_t um : {36990, 37010, 37020, 36940})
    ASSERT_EQ(AppendRecorderSample(good.c_str(), 1800, 2200, 1843, um, 1, 1), 1);
  std::string other;  // the same file as the other system writes it (CR LF or LF)
  for (std::string line : Lines(ReadBytes(good))) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    other += line + (kFileLineEnd == "\n" ? "\r\n" : "\n");
  }
  ASSERT_NE(other, ReadBytes(good));
  ASSERT_TRUE(WriteBytes(crlf, other));
  // A sample line with five numbers: the file is named by that line.
  ASSERT_TRUE(WriteBytes(cut, ReadBytes(good) + "1800\t2200\t1843\t36990\t1\n"));
  const std::string cfg = dir.File("para.cfg");
  ASSERT_TRUE(WriteBytes(cfg, "500\n50\n"));

  const KvorRun run = RunKvor({"stats", good, crlf, cut, cfg, "--lower", "36.95", "--upper", "37,05", "--json"});
  EXPECT_EQ(run.status, 3) << run.out << run.err;  // the worst: files that are none
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  const std::regex wanted(
      "\\{\"above\":0,\"below\":1,\"cp\":0\\.4682929\\d*,\"cpk\":0\\.3746343\\d*,\"file\":\"[^\"]*\","
      "\"lower_mm\":36\\.95,\"max_mm\":37\\.02,\"mean_mm\":36\\.99\\d*,\"message\":\"4 samples\","
      "\"min_mm\":36\\.94,\"ok\":true,\"samples\":4,\"sd_mm\":0\\.0355902\\d*,\"upper_mm\":37\\.05,"
      "\"within_pct\":75\\}");
  EXPECT_TRUE(std::regex_match(lines[0], wanted)) << lines[0];
  EXPECT_EQ(lines[0].substr(lines[0].find("\"lower_mm\"")), lines[1].substr(lines[1].find("\"lower_mm\"")));
  for (size_t i : {2u, 3u}) {
    EXPECT_NE(lines[i].find("\"ok\":false"), std::string::npos) << lines[i];
    EXPECT_NE(lines[i].find("\"cpk\":null"), std::string::npos) << lines[i];
    EXPECT_NE(lines[i].find("\"samples\":null"), std::string::npos) << lines[i];
  }
  EXPECT_NE(lines[2].find("line 7 is not a sample"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("line 1 is not"), std::string::npos) << lines[3];

  // The least Cpk: met, missed, and not computable without limits.
  EXPECT_EQ(RunKvor({"stats", good, "--lower", "36.95", "--upper", "37.05", "--min-cpk", "0.37"}).status, 0);
  const KvorRun low = RunKvor({"stats", good, "--lower", "36.95", "--upper", "37.05", "--min-cpk", "0.38"});
  EXPECT_EQ(low.status, 1);
  EXPECT_EQ(Lines(low.out).at(0), good + ": FAILED 4 samples - Cpk 0.374634 is below 0.38");
  const KvorRun none = RunKvor({"stats", good, "--min-cpk", "1"});
  EXPECT_EQ(none.status, 1);
  const std::vector<std::string> text = Lines(none.out);
  ASSERT_EQ(text.size(), 5u) << none.out;
  EXPECT_EQ(text[1], "  mean 36.9900 mm, standard deviation 0.0356 mm");
  EXPECT_EQ(text[2], "  minimum 36.940 mm, maximum 37.020 mm, range 0.080 mm");
  EXPECT_EQ(text[3], "  no limits given");
  EXPECT_EQ(text[4], "  Cp \xE2\x80\x93, Cpk \xE2\x80\x93");
}

// A stop before the first sample is no recording: an earlier run's files
// under the same names are left as they were, and the line says so.
TEST(KvorRecord, AStopBeforeTheFirstSampleLeavesAnEarlierRecordingAlone) {
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
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
