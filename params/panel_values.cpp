// The panels are the editing copy of the parameter set, the record its
// transfer copy; these two routines move the whole set between them.
#include "app/controls.h"
#include "app/globals.h"
#include "display/gui.h"
#include "params/params.h"
#include "runtime/userint/userint.h"

namespace {

const double kCalibScale = 16384.0;  // calib is micrometres per virtual pixel times this
const int kGrey = MakeColor(160, 160, 160);

void SetTeachInputDimming(bool dimA, bool dimB) {
  SetCtrlAttribute(pHandle, MAIN_NEDITEACHA, ATTR_DIMMED, dimA ? 1 : 0);
  SetCtrlAttribute(pHandle, MAIN_NEDITEACHB, ATTR_DIMMED, dimB ? 1 : 0);
}

}  // namespace

void GetPanelValues(void) { StoreParameterSet(PanelParameterSet()); }

void RepairParameterRecord(void) {
  ParameterSet set = RecordParameterSet();
  if (RepairParameterSet(&set, ccdvirtpixel) > 0) StoreParameterSet(set);
}

uint16_t ApplyEvalModeToInputs(uint16_t mode) {
  switch (mode) {
    case 0: SetTeachInputDimming(true, false); return ccdvirtpixel;
    case 1: SetTeachInputDimming(false, true); return ccdvirtpixel;
    case 2: SetTeachInputDimming(false, false); break;
    case 3: SetTeachInputDimming(true, true); break;
    case 4: SetTeachInputDimming(false, false); break;
    default: SetTeachInputDimming(false, true); return ccdvirtpixel;
  }
  return static_cast<uint16_t>(2 * ccdvirtpixel);
}

void SetPanelValues(void) {
  RepairParameterRecord();
  const ParameterRecord &p = parameter;
  const float factor = static_cast<float>(p.calib / kCalibScale);

  SetCtrlVal(pHandle, MAIN_NEDITEACHA, static_cast<int>(p.teachA));
  SetCtrlVal(pHandle, MAIN_NEDITEACHB, static_cast<int>(p.teachB));
  SetCtrlVal(pPara1, PARA1_TOL_UPPER, static_cast<int>(p.tolUpper));
  SetCtrlVal(pPara1, PARA1_TOL_LOWER, static_cast<int>(p.tolLower));
  SetCtrlVal(pPara1, PARA1_C12, static_cast<int>(p.c12));
  SetCtrlVal(pPara1, PARA1_DROPEVALMODE, static_cast<int>(p.evalMode));
  SetCtrlVal(pPara1, PARA1_C13, static_cast<int>(p.c13));
  SetCtrlVal(pPara1, PARA1_DROPHARDWAREMODE, static_cast<int>(p.hardwareMode));
  SetCtrlVal(pPara1, PARA1_C11, static_cast<int>(p.c11));
  SetCtrlVal(pPara1, PARA1_C10, static_cast<int>(p.c10));
  SetCtrlVal(pPara2, PARA2_A1, static_cast<int>(p.a1));
  SetCtrlVal(pPara2, PARA2_B1, static_cast<int>(p.b1));
  SetCtrlVal(pPara2, PARA2_C7, static_cast<int>(p.c7));
  SetCtrlVal(pPara2, PARA2_SLIDEVIDEOTHD_A, static_cast<int>(p.thdA));
  SetCtrlVal(pPara2, PARA2_SLIDEVIDEOTHD_B, static_cast<int>(p.thdB));
  SetCtrlVal(pPara2, PARA2_A4, static_cast<int>(p.a4));
  SetCtrlVal(pPara2, PARA2_A5, static_cast<int>(p.a5));
  SetCtrlVal(pPara2, PARA2_B4, static_cast<int>(p.b4));
  SetCtrlVal(pPara2, PARA2_B5, static_cast<int>(p.b5));
  SetCtrlVal(pCalib, CALIB_SETPOINT_UM, static_cast<unsigned int>(p.setpointUm));
  SetCtrlVal(pCalib, CALIB_FACTOR, static_cast<double>(factor));

  // Millimetres: factor is micrometres per virtual pixel.
  SetCtrlVal(pHandle, MAIN_TOL_UPPER_MM, static_cast<double>(factor) * p.tolUpper / 1000.0);
  SetCtrlVal(pHandle, MAIN_TOL_LOWER_MM, static_cast<double>(factor) * p.tolLower / 1000.0);

  if (p.evalMode <= 4) yaxisMAX = ApplyEvalModeToInputs(p.evalMode);

  for (int i = 0; i < MAXPOINT; ++i) {
    thdArrayA[i] = static_cast<u16>(p.thdA * YMAXADC / 100);
    thdArrayB[i] = static_cast<u16>(p.thdB * YMAXADC / 100);
  }
  SetAxisScalingMode(pHandle, MAIN_STRIPCHART, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, yaxisMAX);
  PlotVIDEOCurveA(adcbufA, thdArrayA, xArray8);
  PlotVIDEOCurveB(adcbufB, thdArrayB, xArray8);

  // Grey bars until the next measurement is drawn.
  PlotRectangle(pHandle, MAIN_BAR_A, 0.0, 0.0, ccdvirtpixel - 1, 1.0, kGrey, kGrey);
  PlotRectangle(pHandle, MAIN_BAR_B, 0.0, 0.0, ccdvirtpixel - 1, 1.0, kGrey, kGrey);
}
