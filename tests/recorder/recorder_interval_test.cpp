// The recorder's interval counts in whole seconds of the timer: a sample is
// due at the first reply on or after the next whole second, so samples fall
// just after whole seconds and the first one comes within a second of the
// start, however far into its second the recording began.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

namespace {

double FractionOf(double seconds) { return seconds - std::floor(seconds); }

size_t LineCount(const std::string &path) { return FileLines(path).size(); }

using RecorderInterval = support::ProgramTest;

TEST_F(RecorderInterval, SamplesFallDueJustAfterWholeSecondsOfTheTimer) {
  ASSERT_EQ(0, Start());
  testkit::Click(pHandle, MAIN_TOGGBTN_RECORDER);
  const std::string path = TempPath("interval.dat");
  testkit::QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
  testkit::Click(panelPopUp, REC_RECORDFILENAMEBTN);
  testkit::TypeValue(panelPopUp, REC_NEDITRECSAMPLES, "3");
  testkit::TypeValue(panelPopUp, REC_NEDITRECTIME, "1");

  // Note when the sample counter moves, as an operator watching it would.
  std::vector<double> sampleTimes;
  std::function<void()> watch = [&] {
    unsigned short counter = 0;
    GetCtrlVal(panelPopUp, REC_SAMPLE_COUNTER, &counter);
    while (sampleTimes.size() < counter) sampleTimes.push_back(Timer());
    if (sampleTimes.size() < 3) testkit::RunLater(0.005, watch);
  };
  testkit::RunLater(0.005, watch);

  // Start in the middle of a second, so a whole-second count and an exact
  // one give samples half a second apart.
  ASSERT_TRUE(testkit::PumpUntil(
      [] {
        const double f = FractionOf(Timer());
        return f > 0.45 && f < 0.55;
      },
      2.0));
  const double started = Timer();
  testkit::Click(panelPopUp, REC_BTNSTARTRECORD);

  ASSERT_EQ(3u, sampleTimes.size());
  EXPECT_EQ(5u, LineCount(path));
  EXPECT_GT(sampleTimes[0] - started, 0.3);
  EXPECT_LT(sampleTimes[0] - started, 1.0);
  for (size_t i = 0; i < sampleTimes.size(); ++i) {
    EXPECT_LT(FractionOf(sampleTimes[i]), 0.3) << i;
    if (i > 0) {
      EXPECT_GT(sampleTimes[i] - sampleTimes[i - 1], 0.7) << i;
      EXPECT_LT(sampleTimes[i] - sampleTimes[i - 1], 1.3) << i;
    }
  }
}

}  // namespace
