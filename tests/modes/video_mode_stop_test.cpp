// Stop in video mode ends it only at the end of the pass: a line that has
// begun is read whole and drawn.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "support/program_fixture.h"
#include "runtime/testkit/testkit.h"
#include "runtime/userint/userint.h"

namespace {

using VideoModeStop = support::ProgramTest;

TEST_F(VideoModeStop, AStopDuringABlockReadStillFinishesAndDrawsTheLine) {
  ASSERT_TRUE(StartSensor());
  std::vector<uint16_t> line(128);
  for (int i = 0; i < 128; ++i) line[i] = static_cast<uint16_t>(2 * i);
  Sensor().setVideoLine(1, line);
  Sensor().setVideoLine(0, line);
  ASSERT_EQ(0, StartProgramOnSensor());
  Sensor().clearReceived();
  // Slow blocks, so the watch below sees each request before its reply.
  Sensor().setFaultCommands({9});
  Sensor().setReplyDelayMs(80);
  DeleteGraphPlot(pHandle, MAIN_VIDEO_B, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);

  // Stop while the second block of a line is outstanding.
  bool stopped = false;
  std::function<void()> watch = [&] {
    const std::vector<int> sent = Commands();
    int blocksOfLine = 0;
    for (auto c = sent.rbegin(); c != sent.rend() && *c == 9; ++c) ++blocksOfLine;
    if (sent.size() > 5 && blocksOfLine == 2) {
      stopped = true;
      testkit::Click(pHandle, MAIN_BTNSTOP);
    } else {
      testkit::RunLater(0.005, watch);
    }
  };
  testkit::RunLater(0.005, watch);
  testkit::Click(pHandle, MAIN_BTNVIDEO);

  ASSERT_TRUE(stopped);
  const std::vector<int> commands = Commands();
  ASSERT_GE(commands.size(), 5u);
  EXPECT_EQ(0u, commands.size() % 5) << "the last line was cut short";
  EXPECT_EQ(8, commands[commands.size() - 5]);
  for (size_t i = commands.size() - 4; i < commands.size(); ++i) EXPECT_EQ(9, commands[i]);
  const auto plots = testkit::GraphPlots(pHandle, MAIN_VIDEO_B);
  ASSERT_EQ(2u, plots.size());
  EXPECT_EQ(254.0, plots[0].y[127]);
}

}  // namespace
