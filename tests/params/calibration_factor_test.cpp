// The calibration factor as the operator types it (micrometres per virtual
// pixel) and as the sensor keeps it (an unsigned multiple of 1/16384).
#include <gtest/gtest.h>

#include <cstdint>

#include "app/controls.h"
#include "app/globals.h"
#include "params/params.h"
#include "support/program_fixture.h"
#include "ui/userint.h"

namespace {

using CalibrationFactor = support::ProgramTest;

TEST_F(CalibrationFactor, TheShownFactorIsScaledAndTruncatedToAnUnsignedValue) {
  ASSERT_EQ(0, StartOffline());
  const struct {
    double shown;
    uint32_t calib;
  } rows[] = {
      {0.25, 4096u},
      {2.0, 32768u},
      {0.00001, 0u},                // less than one step
      {0.000122, 1u},               // 1.998848 steps: truncated, not rounded
      {200000.0, 3276800000u},      // above 2^31: unsigned, not wrapped negative
  };
  for (const auto &row : rows) {
    ASSERT_GE(SetCtrlVal(pCalib, CALIB_FACTOR, row.shown), 0) << row.shown;
    GetPanelValues();
    EXPECT_EQ(row.calib, parameter.calib) << row.shown;
  }

  // Shown again from the record, the large factor comes back unchanged.
  parameter.calib = 3276800000u;
  SetPanelValues();
  parameter.calib = 0;
  GetPanelValues();
  EXPECT_EQ(3276800000u, parameter.calib);
}

}  // namespace
