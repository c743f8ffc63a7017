#include <gtest/gtest.h>

#include <string>

#include "link/ccd_tables.h"

namespace {

TEST(SampleStep, EveryKnownLineLengthHasItsStep) {
  const int table[][2] = {{256, 2},   {512, 4},   {768, 6},   {1024, 8},  {1280, 10},
                          {1536, 12}, {2048, 16}, {2560, 20}, {4096, 32}, {8192, 64}};
  for (const auto &row : table)
    EXPECT_EQ(row[1], SampleStepForVirtPixel(static_cast<uint16_t>(row[0]))) << row[0];
}

TEST(SampleStep, UnknownLengthsHaveNoStep) {
  EXPECT_EQ(0, SampleStepForVirtPixel(3072));
  EXPECT_EQ(0, SampleStepForVirtPixel(0));
  EXPECT_EQ(0, SampleStepForVirtPixel(65535));
}

TEST(CcdDescription, TypeTwentyWithHardwareEightyIsDescribed) {
  const CcdDescription d = DescribeCcd(20, 80, 256);
  EXPECT_EQ(std::string("1024-pixel; 7.8\xB5m pixel-pitch"), d.line[0]);
  EXPECT_EQ(std::string("4096-subpixel; resolution=2\xB5m"), d.line[1]);
  EXPECT_EQ(std::string("working-range = 7.98mm"), d.line[2]);
  EXPECT_EQ(256, d.adcFullScale);
  EXPECT_EQ(1024, DescribeCcd(20, 80, 1024).adcFullScale);
}

TEST(CcdDescription, TypeTwentyWithOtherHardwareHasNoInfoButKeepsTheFullScaleRule) {
  const CcdDescription d = DescribeCcd(20, 79, 1024);
  EXPECT_EQ(std::string("CCD-SENSOR: No Info Avialable!"), d.line[0]);
  EXPECT_EQ(std::string(32, ' '), d.line[1]);
  EXPECT_EQ(std::string(32, ' '), d.line[2]);
  EXPECT_EQ(1024, d.adcFullScale);
}

TEST(CcdDescription, TypeTwoHundredTwo) {
  const CcdDescription d = DescribeCcd(202, 0, 1024);
  EXPECT_EQ(std::string("256-pixel; 63.5\xB5m pixel-pitch"), d.line[0]);
  EXPECT_EQ(std::string("1024-subpixel; resolution=16\xB5m"), d.line[1]);
  EXPECT_EQ(std::string("working-range = 16.6mm"), d.line[2]);
  EXPECT_EQ(1024, d.adcFullScale);
  EXPECT_EQ(256, DescribeCcd(202, 0, 1000).adcFullScale);
}

TEST(CcdDescription, UnknownTypeHasNoInfoAndTheSmallFullScale) {
  const CcdDescription d = DescribeCcd(7, 80, 1024);
  EXPECT_EQ(std::string("CCD-SENSOR: No Info Avialable!"), d.line[0]);
  EXPECT_EQ(256, d.adcFullScale);
}

}  // namespace
