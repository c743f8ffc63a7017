// Compare parameters and Verify after sending against the simulated sensor:
// a comparison only reads and changes nothing, a verified Send tells what
// did not stick, and a verified EEPROM write first saves the EEPROM.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "params/params.h"
#include "params/transfer_fixture.h"
#include "runtime/testkit/testkit.h"
#include "support/temp_dir.h"
#include "support/wire_trace.h"
#include "runtime/userint/userint.h"

namespace {

using Wire = std::vector<std::pair<int, int>>;  // command, frame
const Wire kReadRam = {{2, 0}, {2, 1}};
const Wire kReadEeprom = {{4, 0}, {4, 1}};

std::vector<int> SetWords(const ParameterSet &set) {
  return std::vector<int>(set.words, set.words + PARAMETER_WORDS);
}

void WriteText(const std::string &path, const std::string &text) { std::ofstream(path) << text; }

std::string ReadText(const std::string &path) {
  std::ifstream in(path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Line n of the compare pop-up's list, its column gaps as single blanks.
std::string ListLine(size_t n) {
  std::istringstream list(testkit::Text(pCompare, COMPARE_LIST));
  std::string line;
  for (size_t i = 0; i <= n; ++i)
    if (!std::getline(list, line)) return "";
  std::string squeezed;
  for (size_t i = 0; i < line.size(); ++i)
    if (!(line[i] == ' ' && (i + 1 == line.size() || line[i + 1] == ' '))) squeezed += line[i];
  return squeezed;
}

class Compare : public Transfer {
 protected:
  // The record and what the panels show, which a comparison leaves alone.
  void NoteState() {
    record_ = SetWords(RecordParameterSet());
    shown_ = Shown();
  }
  void ExpectStateUnchanged() {
    EXPECT_EQ(record_, SetWords(RecordParameterSet()));
    EXPECT_EQ(shown_, Shown());
  }
  void CompareWithFile(const std::string &path) {
    testkit::QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, path);
    testkit::Click(pHandle, MAIN_BTNCOMPARE);
  }

 private:
  static std::vector<std::string> Shown() {
    return {testkit::Text(pPara2, PARA2_A1), testkit::Text(pPara1, PARA1_DROPEVALMODE),
            testkit::Text(pCalib, CALIB_FACTOR), testkit::Text(pHandle, MAIN_NEDITEACHA)};
  }
  std::vector<int> record_;
  std::vector<std::string> shown_;
};

TEST_F(Compare, ReadsTheTargetOnlyListsWhatDiffersAndTakesItOnlyWhenAsked) {
  NoteState();
  // The sensor's RAM is what start-up read.
  testkit::Click(pHandle, MAIN_BTNCOMPARE);
  EXPECT_EQ("Compare: no difference from the sensor's RAM", Status());
  EXPECT_FALSE(testkit::IsPanelVisible(pCompare));
  EXPECT_EQ(kReadRam, TakeWire());

  // An edit on the panels not yet sent, and two fields the sensor changed.
  const std::string teachA = testkit::Text(pHandle, MAIN_NEDITEACHA);
  testkit::TypeValue(pHandle, MAIN_NEDITEACHA, "1000");
  NoteState();
  Sensor().setRam(0, Modified(Modified(Sensor().ram(0), 0, 777), 9, 2));  // a1, evalMode
  testkit::Click(pHandle, MAIN_BTNCOMPARE);
  EXPECT_EQ("Compare: 3 fields differ from the sensor's RAM", Status());
  EXPECT_EQ(kReadRam, TakeWire());
  ASSERT_TRUE(testkit::IsPanelVisible(pCompare));
  EXPECT_EQ("Field Panels Sensor's RAM", ListLine(0));
  EXPECT_EQ(0u, ListLine(1).find("-----"));  // under the headings
  EXPECT_EQ("a1 (channel A) 500 777", ListLine(2));
  EXPECT_EQ("Set-point channel A 1000 " + teachA, ListLine(3));
  EXPECT_EQ("Evaluation mode 1: channel A 2: A + B", ListLine(4));
  EXPECT_EQ("", ListLine(5));
  ExpectStateUnchanged();
  testkit::PressKey(pCompare, COMPARE_LIST, "Esc");
  EXPECT_FALSE(testkit::IsPanelVisible(pCompare));

  // The EEPROM: the calibration factor in micrometres per virtual pixel.
  testkit::Click(pHandle, MAIN_RBTEEPROM);
  Sensor().setEeprom(1, Modified(Modified(Sensor().eeprom(1), 11, 73728 & 0xFFFF), 12, 1));
  testkit::TypeValue(pHandle, MAIN_NEDITEACHA, teachA);
  NoteState();
  testkit::Click(pHandle, MAIN_BTNCOMPARE);
  EXPECT_EQ("Compare: 1 field differs from the sensor's EEPROM", Status());
  EXPECT_EQ(kReadEeprom, TakeWire());
  EXPECT_EQ("Field Panels Sensor's EEPROM", ListLine(0));
  EXPECT_EQ("Calibration factor [µm/vpx] 0.250000 4.500000", ListLine(2));
  ExpectStateUnchanged();
  // Taken as a Get takes it: the whole set, nothing written.
  testkit::Click(pCompare, COMPARE_BTNTAKE);
  EXPECT_EQ("Values of the sensor's EEPROM taken into the panels", Status());
  EXPECT_FALSE(testkit::IsPanelVisible(pCompare));
  EXPECT_EQ(73728u, parameter.calib);
  EXPECT_EQ("4.500000", testkit::Text(pCalib, CALIB_FACTOR));
  EXPECT_TRUE(TakeWire().empty());
  testkit::Click(pHandle, MAIN_BTNCOMPARE);
  EXPECT_EQ("Compare: no difference from the sensor's EEPROM", Status());
  EXPECT_EQ(kReadEeprom, TakeWire());

  // A file, chosen with the Load dialog; nothing on the wire.
  testkit::Click(pHandle, MAIN_RBTFILE);
  const std::string path = TempPath("panels.cfg");
  SaveParameterFile(path);
  NoteState();
  CompareWithFile(path);
  EXPECT_EQ("Compare: no difference from the file", Status());
  EXPECT_EQ("K-VOR-MS-Series-Parameter-File", testkit::FileSelectCalls().back().title);
  EXPECT_EQ(VAL_LOAD_BUTTON, testkit::FileSelectCalls().back().buttonLabel);
  std::vector<int> numbers = FileNumbers(path);
  ASSERT_EQ(30u, numbers.size());
  numbers[14] = 9;  // c14, on no panel
  std::ostringstream edited;
  for (int n : numbers) edited << n << "\n";
  WriteText(path, edited.str());
  CompareWithFile(path);
  EXPECT_EQ("Compare: 1 field differs from the file", Status());
  EXPECT_EQ("Field Panels File", ListLine(0));
  EXPECT_EQ("c14 (on no panel) 0 9", ListLine(2));
  EXPECT_EQ("Take the file's values", testkit::AccessibleName(pCompare, COMPARE_BTNTAKE));
  // A file that is no parameter file is told as a Load tells it.
  WriteText(path, "1\n2\n3\n");
  CompareWithFile(path);
  EXPECT_EQ("Parameter file not loaded: it must hold 30 numbers!", Status());
  EXPECT_FALSE(testkit::IsPanelVisible(pCompare));
  EXPECT_TRUE(TakeWire().empty());
  ExpectStateUnchanged();
}

TEST_F(Compare, ALineFaultIsToldAsAGetTellsItAndChangesNothing) {
  Sensor().setRam(0, Modified(Sensor().ram(0), 0, 777));
  NoteState();
  Sensor().setMute(true);
  testkit::Click(pHandle, MAIN_BTNCOMPARE);
  EXPECT_EQ("Timeout-RS-232...", Status());
  EXPECT_EQ(Wire({{2, 0}}), TakeWire());  // no frame 1 for a comparison already lost
  EXPECT_FALSE(testkit::IsPanelVisible(pCompare));
  ExpectStateUnchanged();

  // The device vanishes while the comparison waits for frame 0.
  Sensor().setMute(false);
  Sensor().setReplyDelayMs(1000);
  testkit::RunLater(0.3, [this] { Sensor().hangUp(); });
  testkit::Click(pHandle, MAIN_BTNCOMPARE);
  EXPECT_EQ("Serial device lost - choose a port!", Status());
  testkit::Click(pHandle, MAIN_BTNCOMPARE);
  EXPECT_EQ("Serial device lost - choose a port!", Status());
  EXPECT_FALSE(testkit::IsPanelVisible(pCompare));
  ExpectStateUnchanged();
}

// A sensor at 19200 baud that takes 100 ms to answer: the acknowledgement
// of a write is still on its way when the read-back begins.
class Verify : public Transfer {
 protected:
  Verify() { sensorOptions.paced = true; }
  void SetUp() override {
    Transfer::SetUp();
    Sensor().setReplyDelayMs(100);
    std::snprintf(proj_dir, sizeof proj_dir, "%s", TempDir().c_str());
  }
  int VerifyBox() {
    int on = -1;
    GetCtrlVal(pHandle, MAIN_CHKVERIFY, &on);
    return on;
  }
  std::string BackupFolder() { return TempPath("backups"); }
  std::vector<std::string> BackupNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(BackupFolder(), error))
      names.push_back(entry.path().filename().string());
    return names;
  }
};

TEST_F(Verify, TellsTheFirstFieldThatDidNotStickAndNothingMoreWhenOff) {
  testkit::Click(pHandle, MAIN_CHKVERIFY);
  ASSERT_EQ(1, VerifyBox());
  testkit::Click(pHandle, MAIN_TOGGBTN_CALIB);
  testkit::TypeValue(pCalib, CALIB_FACTOR, "4.5");
  Sensor().setCorruptedWord(26);  // the low word of calib, kept one higher
  testkit::Click(pHandle, MAIN_BTNSEND);
  EXPECT_EQ("Verify failed: calib sent 73728, read 73729", Status());
  EXPECT_EQ(Wire({{1, 0}, {1, 1}, {2, 0}, {2, 1}}), TakeWire());
  ASSERT_TRUE(testkit::IsPanelVisible(pCompare));
  EXPECT_EQ("Field Sent Sensor's RAM", ListLine(0));
  EXPECT_EQ("Calibration factor [µm/vpx] 4.500000 4.500061", ListLine(2));
  EXPECT_EQ("4.500000", testkit::Text(pCalib, CALIB_FACTOR));  // the panels keep what was sent

  Sensor().setCorruptedWord(-1);
  testkit::Click(pHandle, MAIN_BTNSEND);
  EXPECT_EQ("Parameters sent and verified", Status());
  EXPECT_EQ(Wire({{1, 0}, {1, 1}, {2, 0}, {2, 1}}), TakeWire());

  testkit::Click(pHandle, MAIN_CHKVERIFY);
  testkit::Click(pHandle, MAIN_BTNSEND);
  EXPECT_EQ("Line Ok!", Status());
  // At once compared: the acknowledgements of the two writes arrive while
  // the comparison waits, and are no answer to it.
  testkit::Click(pHandle, MAIN_BTNCOMPARE);
  EXPECT_EQ("Compare: no difference from the sensor's RAM", Status());
  EXPECT_EQ(Wire({{1, 0}, {1, 1}, {2, 0}, {2, 1}}), TakeWire());
}

// A trace of the line, and sensors that answer as real units do: each
// frame 20 or 75 ms after it arrived.
class TracedVerify : public Verify {
 protected:
  void SetUp() override {
    extraArgs = {"--trace", TempPath("wire.trace")};
    Verify::SetUp();
  }
  std::vector<support::TraceLine> Trace() const { return support::ReadTrace(TempPath("wire.trace")); }
};

TEST_F(TracedVerify, VerifiedAtTheRepliesDelaysAndEveryReplyTracedWhole) {
  testkit::Click(pHandle, MAIN_CHKVERIFY);
  // 170 is 00 AA: the tail of an answer that the Send's emptying of the
  // queue cuts then ends in sync words that begin no frame (c14 is on no
  // panel: the record's value goes out).
  testkit::TypeValue(pPara1, PARA1_C13, "170");
  parameter.c14 = 170;
  for (int delay : {20, 75}) {
    Sensor().setReplyDelayMs(delay);
    const size_t before = Trace().size();
    testkit::Click(pHandle, MAIN_BTNSEND);
    EXPECT_EQ("Parameters sent and verified", Status()) << delay;
    EXPECT_EQ(Wire({{1, 0}, {1, 1}, {2, 0}, {2, 1}}), TakeWire()) << delay;
    EXPECT_EQ(Words(Sensor().ram(0)).back(), 170);
    // The waits take replies off the line frame by frame: each RX line is
    // a whole reply or bytes that no reply took, never a piece of a frame.
    const std::vector<support::TraceLine> lines = Trace();
    std::vector<std::string> replies;
    for (size_t i = before; i < lines.size(); ++i) {
      const support::TraceLine &line = lines[i];
      if (line.direction != "RX") continue;
      if (line.summary.rfind("unframed bytes", 0) == 0) continue;
      EXPECT_EQ(36u, line.bytes.size()) << delay << ": " << line.summary;
      EXPECT_EQ(std::string::npos, line.summary.find("short frame")) << delay << ": " << line.summary;
      replies.push_back(line.summary);
    }
    // The answer to frame 1 (the one to frame 0 may be emptied out by the
    // Send), then the two replies read back.
    ASSERT_GE(replies.size(), 3u) << delay;
    EXPECT_EQ("reply CMD_WRITE_RAM (1), argument 1, sync 0x00AA", replies[replies.size() - 3]) << delay;
    EXPECT_EQ("reply CMD_READ_RAM (2), argument 0, sync 0x00AA", replies[replies.size() - 2]) << delay;
    EXPECT_EQ("reply CMD_READ_RAM (2), argument 1, sync 0x00AA", replies.back()) << delay;
  }
}

std::string Stamp(std::time_t t) {
  const std::tm local = *std::localtime(&t);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

TEST_F(Verify, AnEepromWriteIsPrecededByABackupAndTheNewestFiftyAreKept) {
  testkit::Click(pHandle, MAIN_CHKVERIFY);
  testkit::Click(pHandle, MAIN_RBTEEPROM);
  std::filesystem::create_directories(BackupFolder());
  const std::string folder = BackupFolder() + "/";
  // Made before the clock was set back an hour: 50 backups named by the date
  // alone, stamped an hour ahead, four of them within one second. Two
  // numbered ones whose stamps say nothing of their order, and a file that
  // is no backup.
  const std::time_t now = std::time(nullptr);
  const std::string ahead = "eeprom-" + Stamp(now + 3600);
  for (const char *suffix : {"", "-2", "-3", "-10"}) WriteText(folder + ahead + suffix + ".cfg", "old\n");
  for (int s = 1; s <= 46; ++s) WriteText(folder + "eeprom-" + Stamp(now + 3600 + s) + ".cfg", "old\n");
  const std::vector<std::string> numbered = {"eeprom-000003-" + Stamp(now + 7200) + ".cfg",
                                             "eeprom-000007-20200101-000000.cfg"};
  for (const std::string &name : numbered) WriteText(folder + name, "numbered\n");
  WriteText(folder + "eeprom-notes.cfg", "notes\n");
  Sensor().setEeprom(0, Modified(Sensor().eeprom(0), 0, 600));  // a1
  Sensor().setEeprom(1, Modified(Sensor().eeprom(1), 7, 77));   // r7
  std::vector<int> before = Words(Sensor().eeprom(0));
  const std::vector<int> before1 = Words(Sensor().eeprom(1));
  before.insert(before.end(), before1.begin(), before1.end());

  testkit::Click(pHandle, MAIN_BTNSEND);
  const std::time_t after = std::time(nullptr);
  EXPECT_EQ("Parameters sent and verified", Status());
  EXPECT_EQ(Wire({{4, 0}, {4, 1}, {3, 0}, {3, 1}, {4, 0}, {4, 1}}), TakeWire());
  EXPECT_EQ(500, Sensor().eeprom(0)[0]);  // what the panels show went out

  // The EEPROM as it was, under the next number, however the clock stands.
  std::vector<std::string> newOnes;
  int backups = 0;
  for (const std::string &name : BackupNames()) {
    if (name != "eeprom-notes.cfg") ++backups;
    if (FileNumbers(folder + name) == before) newOnes.push_back(name);
  }
  ASSERT_EQ(1u, newOnes.size()) << "the backup just written is gone";
  bool stamped = false;
  for (std::time_t t = now; t <= after; ++t) stamped = stamped || newOnes[0] == "eeprom-000008-" + Stamp(t) + ".cfg";
  EXPECT_TRUE(stamped) << newOnes[0];
  // The three oldest go: the first three of the second made first.
  EXPECT_EQ(50, backups);
  for (const char *gone : {"", "-2", "-3"}) EXPECT_FALSE(std::filesystem::exists(folder + ahead + gone + ".cfg")) << gone;
  EXPECT_TRUE(std::filesystem::exists(folder + ahead + "-10.cfg"));
  for (const std::string &name : numbered) EXPECT_EQ("numbered\n", ReadText(folder + name)) << name;
  EXPECT_EQ("notes\n", ReadText(folder + "eeprom-notes.cfg"));
}

TEST_F(Verify, AMuteSensorDuringTheBackupReadStopsTheSendBeforeAnyWrite) {
  testkit::Click(pHandle, MAIN_CHKVERIFY);
  testkit::Click(pHandle, MAIN_RBTEEPROM);
  const kvorsim::ParamFrame eeprom = Sensor().eeprom(0);
  Sensor().setMute(true);
  testkit::Click(pHandle, MAIN_BTNSEND);
  EXPECT_EQ("EEPROM backup: Timeout-RS-232... - nothing sent", Status());
  EXPECT_EQ((std::vector<int>{4}), Commands());
  EXPECT_TRUE(BackupNames().empty());
  EXPECT_EQ(eeprom, Sensor().eeprom(0));
}

TEST_F(Verify, WhileRunModeRunsNothingIsComparedAndNothingVerified) {
  testkit::Click(pHandle, MAIN_CHKVERIFY);
  std::string compared, sent;
  testkit::RunLater(0.3, [&] {
    testkit::Click(pHandle, MAIN_BTNCOMPARE);
    compared = Status();
    testkit::Click(pHandle, MAIN_BTNSEND);
    sent = Status();
    testkit::Click(pHandle, MAIN_BTNSTOP);
  });
  testkit::Click(pHandle, MAIN_BTNRUN);
  EXPECT_EQ("Stop run, video or recording first - nothing compared", compared);
  EXPECT_EQ("Stop run, video or recording first - nothing sent", sent);
  for (int command : Commands()) EXPECT_EQ(8, command);
}

// While the read-back of a verified Send waits for the paced sensor's late
// reply, the operator clicks whatever else starts an exchange: none starts,
// and the verify ends as if nobody had clicked.
TEST_F(Verify, WhileAVerifyWaitsForAReplyNothingElseStarts) {
  testkit::Click(pHandle, MAIN_CHKVERIFY);
  Sensor().setEdges(1500, 2600);  // a teach would take these
  const kvorsim::ParamFrame ram0 = Sensor().ram(0);
  bool clicked = false;
  // A loop started by mistake would block the click: a Stop ends it.
  const auto stopSoon = [] { testkit::RunLater(0.3, [] { testkit::Click(pHandle, MAIN_BTNSTOP); }); };
  std::function<void()> whenWaiting = [&] {
    // The read-back's first request is at the sensor: its reply is 100 ms away.
    if (Frames().size() < 3) {
      testkit::RunLater(0.002, whenWaiting);
      return;
    }
    clicked = true;
    testkit::Click(pHandle, MAIN_BUTTONTEACH);
    testkit::Click(pHandle, MAIN_BUTTONRESET);
    testkit::SelectRingValue(pHandle, MAIN_DROPDCOM, 1);
    stopSoon();
    testkit::Click(pHandle, MAIN_BTNRUN);
    stopSoon();
    testkit::Click(pHandle, MAIN_BTNVIDEO);
    stopSoon();
    testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
  };
  testkit::RunLater(0, whenWaiting);
  testkit::Click(pHandle, MAIN_BTNSEND);
  EXPECT_TRUE(clicked);
  EXPECT_EQ("Parameters sent and verified", Status());
  EXPECT_EQ(Wire({{1, 0}, {1, 1}, {2, 0}, {2, 1}}), TakeWire());  // no teach, reset, echo or request
  EXPECT_EQ(ram0, Sensor().ram(0));  // the set-points as sent
  EXPECT_EQ(1, com);
  testkit::Pump(0.5);  // the Stops fall due; nothing had started
  EXPECT_TRUE(Frames().empty());
}

TEST_F(Verify, TheChoiceIsKeptForTheNextStart) {
  EXPECT_EQ(0, VerifyBox());  // off in fresh settings
  testkit::Click(pHandle, MAIN_CHKVERIFY);
  ASSERT_EQ(0, RestartProgram());
  EXPECT_EQ(1, VerifyBox());
  testkit::Click(pHandle, MAIN_CHKVERIFY);
  ASSERT_EQ(0, RestartProgram());
  EXPECT_EQ(0, VerifyBox());
}

}  // namespace
