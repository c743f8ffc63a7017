#include <gtest/gtest.h>

#include <vector>

#include "display/gui.h"

namespace {

std::vector<double> Ramp(int n) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) v[i] = i + 1;
  return v;
}

TEST(Shift, TowardsLowerIndicesInPlaceDropsTheOldestAndZeroesTheEnd) {
  std::vector<double> a = Ramp(500);
  ASSERT_EQ(0, Shift(a.data(), 500, -5, a.data()));
  for (int i = 0; i < 495; ++i) ASSERT_EQ(i + 6, a[i]) << i;
  for (int i = 495; i < 500; ++i) EXPECT_EQ(0.0, a[i]);
}

TEST(Shift, TowardsHigherIndicesInPlaceZeroesTheStart) {
  std::vector<double> a = Ramp(500);
  ASSERT_EQ(0, Shift(a.data(), 500, 5, a.data()));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(0.0, a[i]);
  for (int i = 5; i < 500; ++i) ASSERT_EQ(i - 4, a[i]) << i;
}

TEST(Shift, ZeroIsACopyToAnotherArray) {
  std::vector<double> a = Ramp(7), out(7, -1);
  ASSERT_EQ(0, Shift(a.data(), 7, 0, out.data()));
  EXPECT_EQ(a, out);
}

TEST(Shift, BadSizesChangeNothing) {
  std::vector<double> a = Ramp(500);
  const std::vector<double> before = a;
  EXPECT_EQ(ARRAY_BAD_SHIFT, Shift(a.data(), 500, 500, a.data()));
  EXPECT_EQ(ARRAY_BAD_SHIFT, Shift(a.data(), 500, -500, a.data()));
  EXPECT_EQ(ARRAY_BAD_SIZE, Shift(a.data(), 0, 1, a.data()));
  EXPECT_EQ(ARRAY_BAD_SIZE, Copy1D(a.data(), -3, a.data()));
  EXPECT_EQ(before, a);
}

TEST(Copy1D, CopiesExactlyN) {
  std::vector<double> a = Ramp(4), out(6, -1);
  ASSERT_EQ(0, Copy1D(a.data(), 4, out.data()));
  EXPECT_EQ((std::vector<double>{1, 2, 3, 4, -1, -1}), out);
}

}  // namespace
