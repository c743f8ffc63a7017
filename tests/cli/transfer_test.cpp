// kvor send, get and verify against simulated sensors: the frames each
// sensor received and the files.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <signal.h>

#include <cstdio>
#include <ctime>
#include <sstream>
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
    times.push_back(UtcSecondsOf(t) + micros / 1e6);
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
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
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
  // One port: no line of the trace needs its name.
  for (const std::string &line : Lines(ReadBytes(trace)))
    EXPECT_EQ(line.find(" | " + port + ": "), std::string::npos) << line;
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
  sensor.waitUntilAnswered(2.0);
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

// The frames kvor wrote, from its trace: command, argument and data words.
std::vector<Expected> TracedFrames(const std::string &trace) {
  std::vector<Expected> frames;
  for (const std::string &line : Lines(ReadBytes(trace))) {
    const size_t at = line.find(" TX 36 ");
    if (at == std::string::npos) continue;
    std::istringstream hex(line.substr(at + 7, line.find(" | ") - at - 7));
    std::vector<int> bytes;
    for (std::string two; hex >> two;) bytes.push_back(std::stoi(two, nullptr, 16));
    if (bytes.size() != 36) continue;
    Expected f{bytes[2] << 8 | bytes[3], bytes[4] << 8 | bytes[5], {}};
    for (int i = 0; i < PARAMETER_FRAME_WORDS; ++i)
      f.words.push_back(static_cast<uint16_t>(bytes[6 + 2 * i] << 8 | bytes[7 + 2 * i]));
    frames.push_back(f);
  }
  return frames;
}

// The PORT "simulated" is a sensor inside kvor, fresh from the factory for
// each command: every command works without hardware, and what kvor put on
// its line is in kvor's trace.
TEST(KvorTransfer, ThePortSimulatedIsAFactoryFreshSensorInsideKvor) {
  TempDir dir;
  const kvorsim::Identity identity = kvorsim::identityForCcdType(20);
  ParameterSet factory{};
  for (int frame = 0; frame < 2; ++frame) {
    const kvorsim::ParamFrame words = kvorsim::factoryFrame(frame, identity);
    for (int i = 0; i < PARAMETER_FRAME_WORDS; ++i) factory.words[15 * frame + i] = words[i];
  }

  const KvorRun identify = RunKvor({"identify", "simulated"});
  EXPECT_EQ(identify.status, 0) << identify.err;
  EXPECT_EQ(identify.out, "simulated: OK CCD type 20 (1024-pixel; 7.8\xC2\xB5m pixel-pitch), 1024 pixels, 4096 "
                          "virtual pixels, ADC full scale 256, firmware \"K-VOR firmware V3.01 (simulated)\"\n");

  // get: the factory's EEPROM, in the bytes the window's Save writes.
  const std::string got = dir.File("got.cfg"), saved = dir.File("saved.cfg");
  const KvorRun get = RunKvor({"get", "simulated", "--from", "eeprom", "--output", got});
  EXPECT_EQ(get.status, 0) << get.out << get.err;
  ASSERT_EQ(WriteParameterFile(saved.c_str(), factory), 1);
  EXPECT_EQ(ReadBytes(got), ReadBytes(saved));
  EXPECT_EQ(ReadBytes(got).size(), 30 * (10 + kFileLineEnd.size())) << "30 lines of ten characters";
  EXPECT_EQ(ReadBytes(got).substr(10, kFileLineEnd.size()), kFileLineEnd);

  // send --verify: written and read back within the one command.
  const ParameterSet golden = GoldenSet();
  const std::string file = dir.File("golden.cfg"), trace = dir.File("send.trace");
  ASSERT_EQ(WriteParameterFile(file.c_str(), golden), 1);
  const KvorRun sent = RunKvor({"--trace", trace, "send", file, "simulated", "--to", "eeprom", "--verify"});
  EXPECT_EQ(sent.status, 0) << sent.out << sent.err;
  EXPECT_EQ(sent.out, "simulated: OK sent to EEPROM and verified: all 30 words read back as sent\n");
  const std::vector<Expected> frames = TracedFrames(trace);
  const std::vector<Expected> want = {{5, 0, FrameWords(golden, 0)},
                                      {3, 0, FrameWords(golden, 0)},
                                      {3, 1, FrameWords(golden, 1)},
                                      {4, 0, FrameWords(golden, 0)},
                                      {4, 1, FrameWords(golden, 1)}};
  ASSERT_EQ(frames.size(), want.size()) << ReadBytes(trace);
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(frames[i].command, want[i].command) << i;
    EXPECT_EQ(frames[i].argument, want[i].argument) << i;
    EXPECT_EQ(frames[i].words, want[i].words) << i;
  }
  EXPECT_NE(ReadBytes(trace).find(" RX 36 00 AA 00 04 00 01 "), std::string::npos) << "the read-back's reply";

  // diff: a fresh sensor again, which holds the factory's set, not the one sent before.
  const KvorRun diff = RunKvor({"diff", file, "simulated"});
  EXPECT_EQ(diff.status, 1) << diff.out << diff.err;
  EXPECT_EQ(Lines(diff.out).at(0).rfind("simulated: FAILED ", 0), 0u) << diff.out;
  const std::string calib = std::to_string(ParameterFieldValue(factory, *FindParameterField("calib")));
  EXPECT_NE(diff.out.find("\n  calib: " + file + " 70000, simulated " + calib + "\n"), std::string::npos) << diff.out;
  EXPECT_EQ(RunKvor({"diff", saved, "simulated", "--from", "eeprom"}).status, 0);

  // Several at once, each a sensor of its own under a name of its own; one
  // name twice is one PORT given twice.
  const KvorRun two = RunKvor({"send", file, "simulated:a", "simulated:b", "--to", "ram", "--verify"});
  EXPECT_EQ(two.status, 0) << two.out << two.err;
  EXPECT_EQ(two.out, "simulated:a: OK sent to RAM and verified: all 30 words read back as sent\n"
                     "simulated:b: OK sent to RAM and verified: all 30 words read back as sent\n");
  EXPECT_EQ(RunKvor({"identify", "simulated", "simulated"}).status, 64);
}

// Sensors on a real line's pace that answer each frame some time after it
// arrived, as the units of one model do: every one verifies, and each
// receives the frames of a verified send and nothing more.
TEST(KvorTransfer, SendVerifyWhateverTheSensorsReplyDelay) {
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
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
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
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
    // Received, and answered: a write is stored when its answer is due.
    a.waitForFrames(3, 2.0);
    a.waitUntilAnswered(2.0);
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
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
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
  KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS();
  TempDir dir;
  auto sensors = StartSensors(2);
  ASSERT_EQ(sensors.size(), 2u);
  const std::string a = sensors[0]->devicePath(), b = sensors[1]->devicePath();
  // Line 12 holds a number too large, however it is written; a file of
  // numbers that wrap round to small ones in 32 bits included.
  const auto withLine12 = [&](const std::string &name, const std::string &number) {
    std::string numbers;
    for (int i = 0; i < 30; ++i) numbers += (i == 11 ? number : "1") + std::string("\n");
    WriteBytes(dir.File(name), numbers);
    return dir.File(name);
  };
  const std::string tooLarge = withLine12("large.cfg", "70000"), short29 = dir.File("short.cfg");
  WriteBytes(short29, ReadBytes(tooLarge).substr(ReadBytes(tooLarge).find('\n') + 1));
  struct Case {
    std::string file, fault;
  } cases[] = {{tooLarge, "line 12: 70000 is above 65535"},
               {withLine12("zeros.cfg", "000065536"), "line 12: 65536 is above 65535"},
               {withLine12("wraps32.cfg", "4294967796"), "line 12: 4294967796 is above 65535"},
               {withLine12("wraps64.cfg", "18446744073709551916"), "line 12: 18446744073709551916 is above 65535"},
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
