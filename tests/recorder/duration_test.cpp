#include <gtest/gtest.h>

#include "recorder/recorder.h"

namespace {

TEST(RecordingDuration, SplitsIntoDaysHoursMinutesSeconds) {
  RecordingDuration d = SplitRecordingTime(100, 999);
  EXPECT_EQ(1u, d.days);
  EXPECT_EQ(3u, d.hours);
  EXPECT_EQ(45u, d.minutes);
  EXPECT_EQ(0u, d.seconds);

  d = SplitRecordingTime(0, 999);
  EXPECT_EQ(0u, d.days + d.hours + d.minutes + d.seconds);

  d = SplitRecordingTime(61, 61);  // 3721 s
  EXPECT_EQ(0u, d.days);
  EXPECT_EQ(1u, d.hours);
  EXPECT_EQ(2u, d.minutes);
  EXPECT_EQ(1u, d.seconds);
}

TEST(RecordingDuration, LargestInputsDoNotOverflow) {
  const RecordingDuration d = SplitRecordingTime(65535, 65535);  // 4294836225 s
  EXPECT_EQ(49708u, d.days);
  EXPECT_EQ(4294836225ull,
            d.days * 86400ull + d.hours * 3600ull + d.minutes * 60ull + d.seconds);
  EXPECT_LT(d.hours, 24u);
  EXPECT_LT(d.minutes, 60u);
  EXPECT_LT(d.seconds, 60u);
}

}  // namespace
