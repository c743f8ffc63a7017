// kvor send, get and verify against simulated sensors: the frames each
// sensor received and the files.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <signal.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "kvor_process.h"
#include "params/parameter_file.h"
#include "params/parameter_set.h"
#include "support/temp_dir.h"
#include "support/wire_trace.h"

namespace clitest {
namespace {

// The golden set: the start values with a few fields changed, the 32-bit
// ones among them.
ParameterSet GoldenSet() {
  ParameterSet set = StartParameterSet();
  SetParameterFieldValue(&set, *FindParameterField("evalMode"), 2);
  SetParameterFieldValue(&set, *FindParameterField("thdB"), 77);
  SetParameterFieldValue(&set, *FindParameterField("c14"), 4242);
  SetParameterFieldValue(&set, *FindParameterField("calib"), 70000);
  SetParameterFieldValue(&set, *FindParameterField("setpointUm"), 123456);
  return set;
}

std::vector<uint16_t> FrameWords(const ParameterSet &set, int frame) {
  uint16_t words[PARAMETER_FRAME_WORDS];
  ParameterFrameWords(set, frame, words);
  return std::vector<uint16_t>(words, words + PARAMETER_FRAME_WORDS);
}

std::vector<uint16_t> DataWords(const kvorsim::ReceivedFrame &f) {
  std::vector<uint16_t> words;
  for (int i = 0; i < PARAMETER_FRAME_WORDS; ++i) words.push_back(f.dataWord(i));
  return words;
}

struct Expected {
  int command, argument;
  std::vector<uint16_t> words;
};

// The times of the frames kvor wrote, from its trace (UTC, microseconds).
std::vector<double> TracedWriteTimes(const std::string &trace) {
  std::vector<double> times;
  for (const std::string &line : Lines(ReadBytes(trace))) {
    std::tm t{};
    int micros = 0;
    char direction[3] = "";
    if (std::sscanf(line.c_str(), "%d-%d-%dT%d:%d:%d.%dZ %2s", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour,
                    &t.tm_min, &t.tm_sec, &micros, direction) != 8 ||
        std::string(direction) != "TX")
      continue;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    times.push_back(static_cast<double>(timegm(&t)) + micros / 1e6);
  }
  return times;
}

void ExpectFrames(const std::vector<kvorsim::ReceivedFrame> &got, const std::vector<Expected> &want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].command(), want[i].command) << "frame " << i;
    EXPECT_EQ(got[i].argument(), want[i].argument) << "frame " << i;
    EXPECT_EQ(DataWords(got[i]), want[i].words) << "frame " << i;
  }
}

TEST(KvorTransfer, SendVerifyGetAsTheWindowDoesAndTheFileAsItsSave) {
  TempDir dir;
  const ParameterSet golden = GoldenSet();
  const std::string file = dir.File("golden.cfg");
  ASSERT_EQ(WriteParameterFile(file.c_str(), golden), 1);
  auto sensors = StartSensors(1);
  ASSERT_EQ(sensors.size(), 1u);
  kvorsim::SensorSim &sensor = *sensors[0];
  const std::string port = sensor.devicePath();

  const std::string trace = dir.File("send.trace");
  const KvorRun sent = RunKvor({"--trace", trace, "send", file, port, "--to", "eeprom", "--verify"});
  EXPECT_EQ(sent.status, 0) << sent.out << sent.err;
  EXPECT_EQ(sent.out, port + ": OK sent to EEPROM and verified: all 30 words read back as sent\n");
  // The echo carries frame 0 of the file, the writes both frames, the
  // read-back requests the values just sent.
  const std::vector<kvorsim::ReceivedFrame> frames = sensor.received();
  ExpectFrames(frames, {{5, 0, FrameWords(golden, 0)},
                        {3, 0, FrameWords(golden, 0)},
                        {3, 1, FrameWords(golden, 1)},
                        {4, 0, FrameWords(golden, 0)},
                        {4, 1, FrameWords(golden, 1)}});
  // At least 50 ms between the frames of a transfer, where kvor makes it (its
  // trace stamps each frame once written) and, with a margin for the jitter
  // of its reading thread on a loaded machine, at the sensor's receipt.
  ASSERT_EQ(frames.size(), 5u);
  const std::vector<double> written = TracedWriteTimes(trace);
  ASSERT_EQ(written.size(), 5u);
  EXPECT_GE(written[2] - written[1], 0.050);
  EXPECT_GE(written[3] - written[2], 0.050);
  const double kReceiptJitter = 0.010;
  EXPECT_GE(frames[2].time - frames[1].time, 0.050 - kReceiptJitter);
  EXPECT_GE(frames[3].time - frames[2].time, 0.050 - kReceiptJitter);
  EXPECT_EQ(sensor.eeprom(0), FrameWords(golden, 0));
  EXPECT_EQ(sensor.eeprom(1), FrameWords(golden, 1));
  EXPECT_NE(sensor.ram(1), FrameWords(golden, 1));

  // To RAM without verify: two writes and nothing read.
  sensor.clearReceived();
  const KvorRun ram = RunKvor({"send", file, port, "--to", "ram"});
  EXPECT_EQ(ram.status, 0) << ram.out << ram.err;
  // Nothing answers frame 1: kvor may end while it is still on the line.
  sensor.waitForFrames(3, 2.0);
  ExpectFrames(sensor.received(), {{5, 0, FrameWords(golden, 0)},
                                   {1, 0, FrameWords(golden, 0)},
                                   {1, 1, FrameWords(golden, 1)}});
  EXPECT_EQ(sensor.ram(1), FrameWords(golden, 1));

  // get: the words exactly as the sensor holds them, out of range or not,
  // in the bytes the window's Save writes for that set.
  ParameterSet held = golden;
  SetParameterFieldValue(&held, *FindParameterField("evalMode"), 9);  // the window would repair it
  sensor.setEeprom(0, FrameWords(held, 0));
  sensor.clearReceived();
  const std::string got = dir.File("got.cfg"), saved = dir.File("saved.cfg");
  const KvorRun get = RunKvor({"get", port, "--from", "eeprom", "--output", got});
  EXPECT_EQ(get.status, 0) << get.out << get.err;
  ASSERT_EQ(WriteParameterFile(saved.c_str(), held), 1);
  EXPECT_EQ(ReadBytes(got), ReadBytes(saved));
  // Its requests carry the program's start values, as the window's first read.
  const ParameterSet start = StartParameterSet();
  ExpectFrames(sensor.received(), {{5, 0, FrameWords(start, 0)},
                                   {4, 0, FrameWords(start, 0)},
                                   {4, 1, FrameWords(start, 1)}});
}

// Sensors on a real line's pace that answer each frame some time after it
// arrived, as the units of one model do: every one verifies, and each
// receives the frames of a verified send and nothing more.
TEST(KvorTransfer, SendVerifyWhateverTheSensorsReplyDelay) {
  TempDir dir;
  const ParameterSet golden = GoldenSet();
  const std::string file = dir.File("golden.cfg");
  ASSERT_EQ(WriteParameterFile(file.c_str(), golden), 1);
  const std::vector<int> delays = {0, 20, 45, 75, 120};
  auto sensors = StartSensors(static_cast<int>(delays.size()), true);
  ASSERT_EQ(sensors.size(), delays.size());
  std::vector<std::string> args = {"send", file};
  for (size_t i = 0; i < delays.size(); ++i) {
    sensors[i]->setReplyDelayMs(delays[i]);
    args.push_back(sensors[i]->devicePath());
  }
  const std::string trace = dir.File("send.trace");
  args.insert(args.end(), {"--to", "ram", "--verify", "--trace", trace});

  const KvorRun run = RunKvor(args);
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), delays.size()) << run.out;
  for (size_t i = 0; i < delays.size(); ++i) {
    SCOPED_TRACE(std::to_string(delays[i]) + " ms");
    EXPECT_EQ(lines[i], sensors[i]->devicePath() + ": OK sent to RAM and verified: all 30 words read back as sent");
    ExpectFrames(sensors[i]->received(), {{5, 0, FrameWords(golden, 0)},
                                          {1, 0, FrameWords(golden, 0)},
                                          {1, 1, FrameWords(golden, 1)},
                                          {2, 0, FrameWords(golden, 0)},
                                          {2, 1, FrameWords(golden, 1)}});
    EXPECT_EQ(sensors[i]->ram(1), FrameWords(golden, 1));
    // The read-back is asked for once the answer to frame 1 is in, so its
    // emptying of the queues cuts no frame short.
    const std::string port = sensors[i]->devicePath() + ": ";
    std::vector<support::TraceLine> own;
    for (const support::TraceLine &line : support::ReadTrace(trace))
      if (line.summary.rfind(port, 0) == 0) own.push_back(line);
    size_t readBack = 0;
    while (readBack < own.size() && own[readBack].summary != port + "CMD_READ_RAM (2), argument 0") ++readBack;
    ASSERT_GT(readBack, 0u);
    ASSERT_LT(readBack, own.size());
    EXPECT_EQ(own[readBack - 1].summary, port + "reply CMD_WRITE_RAM (1), argument 1, sync 0x00AA");
  }
}

// Ctrl+C (pressed twice) or SIGTERM while frame 0 of a write is on its way:
// that sensor gets frame 1 as well, 50 ms later, and nothing more; one still
// at its echo check is sent nothing. Each says what it got; exit status 130.
TEST(KvorTransfer, AStopLetsFrameOneFollowAndBeginsNothingNew) {
  TempDir dir;
  const ParameterSet golden = GoldenSet();
  const std::string file = dir.File("golden.cfg");
  ASSERT_EQ(WriteParameterFile(file.c_str(), golden), 1);
  for (const bool json : {false, true}) {
    SCOPED_TRACE(json ? "SIGTERM, --json" : "Ctrl+C twice");
    auto sensors = StartSensors(2);
    ASSERT_EQ(sensors.size(), 2u);
    kvorsim::SensorSim &a = *sensors[0], &b = *sensors[1];
    // a's read-back would begin 300 ms after frame 1; b answers its echo
    // after a second: the stop comes well before either.
    a.setReplyDelayMs(300);
    b.setReplyDelayMs(1000);
    const std::string pa = a.devicePath(), pb = b.devicePath();
    std::vector<std::string> args = {"send", file, pa, pb, "--to", "eeprom", "--verify"};
    if (json) args.push_back("--json");
    // Once a has frame 0 of the write (the echo came first).
    const KvorRun run = RunKvorStoppedAt(args, a, 2, json ? std::vector<int>{SIGTERM} : std::vector<int>{SIGINT, SIGINT});
    EXPECT_EQ(run.status, 130) << run.out << run.err;
    if (!json) {
      EXPECT_EQ(run.out, pa + ": FAILED interrupted: frames 0 and 1 written to EEPROM, not verified\n" + pb +
                             ": FAILED interrupted: nothing sent\n");
    } else {
      const std::vector<std::string> lines = Lines(run.out);
      ASSERT_EQ(lines.size(), 2u) << run.out;
      for (size_t i = 0; i < 2; ++i) {
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(lines[i])).object();
        EXPECT_EQ(o.value("port").toString().toStdString(), i == 0 ? pa : pb);
        EXPECT_FALSE(o.value("ok").toBool(true));
        EXPECT_TRUE(o.value("interrupted").toBool());
        EXPECT_EQ(o.value("message").toString().toStdString(),
                  i == 0 ? "interrupted: frames 0 and 1 written to EEPROM, not verified" : "interrupted: nothing sent");
      }
    }
    a.waitForFrames(3, 2.0);
    const std::vector<kvorsim::ReceivedFrame> frames = a.received();
    ExpectFrames(frames, {{5, 0, FrameWords(golden, 0)}, {3, 0, FrameWords(golden, 0)}, {3, 1, FrameWords(golden, 1)}});
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_GE(frames[2].time - frames[1].time, 0.050 - 0.010);  // the transfer's spacing, as the window's
    EXPECT_EQ(a.eeprom(0), FrameWords(golden, 0));
    EXPECT_EQ(a.eeprom(1), FrameWords(golden, 1));
    EXPECT_EQ(Commands(b), std::vector<int>{5});
  }
}

TEST(KvorTransfer, VerifyNamesEachFieldThatDidNotStick) {
  TempDir dir;
  const std::string file = dir.File("golden.cfg");
  ASSERT_EQ(WriteParameterFile(file.c_str(), GoldenSet()), 1);
  auto sensors = StartSensors(2);
  ASSERT_EQ(sensors.size(), 2u);
  sensors[0]->setCorruptedWord(26);  // the low word of calib
  sensors[1]->setCorruptedWord(9);   // evalMode
  const std::string a = sensors[0]->devicePath(), b = sensors[1]->devicePath();

  const KvorRun text = RunKvor({"send", file, a, b, "--to", "eeprom", "--verify"});
  EXPECT_EQ(text.status, 1) << text.out << text.err;
  EXPECT_EQ(text.out, a + ": FAILED sent to EEPROM, but verify found 1 field differing\n" +
                          "  calib: sent 70000, read 70001\n" + b +
                          ": FAILED sent to EEPROM, but verify found 1 field differing\n" +
                          "  evalMode: sent 2, read 3\n");

  const KvorRun json = RunKvor({"--json", "send", file, a, "--to=eeprom", "--verify"});
  EXPECT_EQ(json.status, 1);
  EXPECT_NE(json.out.find("\"differences\":[{\"field\":\"calib\",\"read\":70001,\"sent\":70000}]"), std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"ok\":false"), std::string::npos) << json.out;
}

TEST(KvorTransfer, AFileThatIsNotWholeSendsNothing) {
  TempDir dir;
  auto sensors = StartSensors(2);
  ASSERT_EQ(sensors.size(), 2u);
  const std::string a = sensors[0]->devicePath(), b = sensors[1]->devicePath();
  std::string numbers;
  for (int i = 0; i < 30; ++i) numbers += (i == 11 ? "70000" : "1") + std::string("\n");
  const std::string tooLarge = dir.File("large.cfg"), short29 = dir.File("short.cfg");
  WriteBytes(tooLarge, numbers);
  WriteBytes(short29, numbers.substr(numbers.find('\n') + 1));
  struct Case {
    std::string file, fault;
  } cases[] = {{tooLarge, "line 12: 70000 is above 65535"},
               {short29, "only 29 numbers, 30 needed"},
               {dir.File("missing.cfg"), "cannot be read"}};
  for (const Case &c : cases) {
    const KvorRun run = RunKvor({"send", c.file, a, b, "--to", "eeprom", "--verify"});
    EXPECT_EQ(run.status, 3) << c.file;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines[0].rfind(a + ": FAILED nothing sent: " + c.file, 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(c.fault), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].rfind(b + ": FAILED nothing sent", 0), 0u) << lines[1];
  }
  EXPECT_TRUE(sensors[0]->received().empty());
  EXPECT_TRUE(sensors[1]->received().empty());
}

}  // namespace
}  // namespace clitest
