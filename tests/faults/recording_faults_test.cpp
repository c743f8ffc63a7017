// A recording (interval 0: every raw-values reply is a sample) with a fault
// switched on while it records. However it ends, the file holds every sample
// written before the fault, the sample counter equals the number of sample
// lines, and every line is six tab-separated integers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "faults/fault_kit.h"
#include "support/program_fixture.h"
#include "runtime/rs232/rs232.h"
#include "support/temp_dir.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

using faults::Fault;
using faults::kSlack;
using faults::kTimeOut;

const char kTimedOut[] = "Timeout RS232-Line!";
const char kDeviceLost[] = "Serial device lost - choose a port!";

constexpr double kFaultAt = 0.3;  // seconds after the recording started

std::string SampleLine(uint16_t aval) {
  return std::to_string(aval) + "\t2300\t" + std::to_string(aval) + "\t" + std::to_string(-10 * aval) +
         "\t1\t2";
}

enum class End { ByTimeOut, ByStop, ByDeviceLoss };

struct RecordCase {
  Fault fault;
  End end;
  bool recordsSensor;  // the sensor's values after the fault are recorded
};

std::ostream &operator<<(std::ostream &out, const RecordCase &c) {
  return out << faults::FaultName(c.fault);
}

class RecordingFaults : public support::ProgramTest, public ::testing::WithParamInterface<RecordCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartSensor());
    Measure(1200);
    ASSERT_EQ(0, StartProgramOnSensor());
    repliesBefore = faults::SettleAndClear(Sensor());
    testkit::Click(pHandle, MAIN_TOGGBTN_RECORDER);
  }
  void Measure(uint16_t aval) {
    kvorsim::Measurement m;
    m.aval = aval, m.bval = 2300, m.mvalue = aval, m.umValue = -10 * aval;
    m.tolup = 40, m.tollo = 30, m.edcntA = 1, m.edcntB = 2, m.tValA = 1190, m.tValB = 2290;
    Sensor().setMeasurement(m);
  }
  void Configure(const std::string &path, int samples) {
    testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
    testkit::Click(panelPopUp, REC_RECORDFILENAMEBTN);
    testkit::TypeValue(panelPopUp, REC_NEDITRECSAMPLES, std::to_string(samples));
    testkit::TypeValue(panelPopUp, REC_NEDITRECTIME, "0");
  }
  static int Counter() {
    unsigned short n = 0;
    GetCtrlVal(panelPopUp, REC_SAMPLE_COUNTER, &n);
    return n;
  }
  static std::string StateText() {
    char text[64] = "";
    GetTextBoxLine(panelPopUp, REC_STATE_BOX, 0, text, sizeof text);
    return text;
  }
  // Starts the recording; its Stop button is pressed stopAt seconds later if
  // it still records. Returns the seconds the recording took.
  double RecordUntil(double stopAt, double bound, const std::string &what) {
    auto running = std::make_shared<bool>(true);
    testkit::RunLater(stopAt, [running] {
      if (*running) testkit::Click(panelPopUp, REC_BTNSTOPRECORD);
    });
    faults::Deadline deadline(bound + 5.0, what);
    const double begin = Timer();
    testkit::Click(panelPopUp, REC_BTNSTARTRECORD);
    *running = false;
    return Timer() - begin;
  }
  void ExpectWholeFile(const faults::RecorderFile &file) {
    EXPECT_TRUE(file.opened);
    EXPECT_TRUE(file.HeaderWellFormed(0)) << faults::Joined(file.header);
    EXPECT_TRUE(file.closedByLineEnd);
    EXPECT_TRUE(file.malformed.empty()) << faults::Joined(file.malformed);
    EXPECT_EQ(static_cast<int>(file.samples.size()), Counter());
  }
  int repliesBefore = 0;
};

TEST_P(RecordingFaults, KeepsEverySampleWrittenBeforeTheFaultAndEndsCleanly) {
  const RecordCase &c = GetParam();
  const std::string path = TempPath("record.dat");
  Configure(path, 1000);
  faults::StatusTrail trail;
  int samplesAtFault = -1, repliesAtFault = 0;
  const int repliesAtStart = Sensor().repliesSent();
  testkit::RunLater(kFaultAt, [&] {
    samplesAtFault = Counter();
    repliesAtFault = Sensor().repliesSent();
    trail.Start();
    if (c.recordsSensor) Measure(1300);
    faults::SwitchOn(Sensor(), c.fault);
    if (!c.recordsSensor && c.fault != Fault::HangUp) Measure(1300);
  });
  const double stopAt = kFaultAt + (c.fault == Fault::DelayUnder ? 2 * 1.3 : kTimeOut) + 0.25;
  const double bound = c.end == End::ByStop ? stopAt + kSlack : kFaultAt + kTimeOut + kSlack;
  const double took = RecordUntil(stopAt, bound, "Recording with the fault " + faults::FaultName(c.fault));
  trail.Stop();
  SCOPED_TRACE(faults::Joined(trail.Texts()));

  EXPECT_LT(took, bound);
  EXPECT_EQ("DATA-RECORDER", StateText());
  EXPECT_FALSE(testkit::IsDimmed(panelPopUp, REC_BTNSTARTRECORD));
  const faults::RecorderFile file = faults::ReadRecorderFile(path);
  ExpectWholeFile(file);
  // Nothing lost before the fault: every raw-values reply that had come was
  // a sample (one more may have been on its way), and each is in the file.
  ASSERT_GT(samplesAtFault, 2);
  EXPECT_GE(samplesAtFault, repliesAtFault - repliesAtStart - 1);
  EXPECT_LE(samplesAtFault, repliesAtFault - repliesAtStart);
  ASSERT_GE(static_cast<int>(file.samples.size()), samplesAtFault);
  for (int i = 0; i < samplesAtFault; ++i) EXPECT_EQ(SampleLine(1200), file.samples[i]) << i;

  switch (c.end) {
    case End::ByTimeOut:
      EXPECT_GT(took, kFaultAt + kTimeOut - 0.1);
      EXPECT_EQ(kTimedOut, Status());
      break;
    case End::ByStop:
      EXPECT_GT(took, stopAt - 0.2);  // a timer this long may fire a little early
      EXPECT_FALSE(trail.Saw(kTimedOut));
      break;
    case End::ByDeviceLoss:
      EXPECT_LT(took, kFaultAt + 0.3 + kSlack);
      EXPECT_EQ(kDeviceLost, Status());
      EXPECT_EQ(1, trail.Count(kDeviceLost));  // told once
      EXPECT_EQ(RS_PORT_NOT_OPEN, GetInQLen(com));
      break;
  }
  const std::vector<std::string> afterFault(file.samples.begin() + samplesAtFault, file.samples.end());
  int newValues = 0;
  for (const std::string &line : afterFault) newValues += line == SampleLine(1300);
  if (c.recordsSensor) {
    EXPECT_GT(newValues, 0);
  } else {
    EXPECT_EQ(0, newValues) << "values recorded from replies that did not carry them whole";
  }

  const std::string second = TempPath("second.dat");
  if (c.fault == Fault::HangUp) {
    // A later recording on the lost line ends at once and says why; the
    // file of the earlier one stays as it was.
    const std::string before = ReadBytes(path);
    Configure(path, 3);
    trail.Start();
    const double again = RecordUntil(2 * kTimeOut, kSlack, "Recording on the lost line");
    trail.Stop();
    EXPECT_LT(again, 0.5);
    EXPECT_EQ(kDeviceLost, Status());
    EXPECT_FALSE(trail.Saw(kTimedOut));
    EXPECT_EQ(before, ReadBytes(path));
    EXPECT_EQ("DATA-RECORDER", StateText());
    EXPECT_FALSE(testkit::IsDimmed(panelPopUp, REC_BTNSTARTRECORD));
    return;
  }
  faults::SwitchOff(Sensor());
  EXPECT_TRUE(faults::LetLateRepliesPass(Sensor(), c.fault, repliesBefore));
  Measure(1400);
  Configure(second, 3);
  RecordUntil(2.0, 1.0 + kSlack, "Recording after the fault");
  const faults::RecorderFile clean = faults::ReadRecorderFile(second);
  ExpectWholeFile(clean);
  EXPECT_EQ((std::vector<std::string>(3, SampleLine(1400))), clean.samples);
}

const RecordCase kRecordCases[] = {
    {Fault::Mute, End::ByTimeOut, false},
    {Fault::WrongSync, End::ByStop, true},
    {Fault::ShortBy5, End::ByTimeOut, false},
    {Fault::ShortBy30, End::ByTimeOut, false},
    {Fault::LongBy5, End::ByStop, true},
    {Fault::LongBy40, End::ByStop, true},
    // Misaligned replies keep the requests going but are no raw-values replies.
    {Fault::Garbage, End::ByStop, false},
    {Fault::DelayUnder, End::ByStop, true},
    {Fault::DelayOver, End::ByTimeOut, false},
    {Fault::DropEvery2nd, End::ByTimeOut, true},
    {Fault::DropEvery3rd, End::ByTimeOut, true},
    {Fault::HangUp, End::ByDeviceLoss, false},
};

INSTANTIATE_TEST_SUITE_P(EveryFault, RecordingFaults, ::testing::ValuesIn(kRecordCases),
                         [](const ::testing::TestParamInfo<RecordCase> &info) {
                           return faults::FaultName(info.param.fault);
                         });

}  // namespace
