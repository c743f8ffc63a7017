// kvor identify: the window's serial start-up without the parameters.
#include <QJsonArray>

#include "cli/commands.h"
#include "cli/sensor_session.h"
#include "link/ccd_tables.h"
#include "link/protocol.h"
#include "runtime/utility/code_page.h"

namespace kvorcli {

namespace {

QString FromCodePage(const char *text) {
  QString s;
  for (const char *c = text; *c; ++c) s.append(QChar(Cp1252ToUnicode(static_cast<unsigned char>(*c))));
  return s.trimmed();
}

void Describe(SensorSession *s) {
  const HardwareDescription &h = s->hardware;
  const CcdDescription ccd = DescribeCcd(h.ccdType, h.hardwareType, h.adcWord);
  QJsonArray lines;
  for (const char *line : ccd.line) lines.append(FromCodePage(line));
  QJsonObject &d = s->result.data;
  d.insert("ccdType", h.ccdType);
  d.insert("pixels", h.ccdMaxPixel);
  d.insert("virtualPixels", h.ccdVirtPixel);
  d.insert("adcFullScale", ccd.adcFullScale);
  d.insert("hardwareType", h.hardwareType);
  d.insert("pcbType", h.pcbType);
  d.insert("softVersion", h.softVersion);
  d.insert("description", lines);
  d.insert("firmware", s->firmwareText);
  QString message = QString("CCD type %1 (%2), %3 pixels, %4 virtual pixels")
                        .arg(h.ccdType)
                        .arg(FromCodePage(ccd.line[0]))
                        .arg(h.ccdMaxPixel)
                        .arg(h.ccdVirtPixel);
  if (UsableVirtPixel(h.ccdVirtPixel) != h.ccdVirtPixel)
    message += QString(" (not a line length the window knows: it works with %1)").arg(UsableVirtPixel(h.ccdVirtPixel));
  message += QString(", ADC full scale %1, firmware \"%2\"").arg(ccd.adcFullScale).arg(s->firmwareText);
  s->Succeed(message);
}

}  // namespace

int RunIdentify(const CliRequest &request) {
  return RunSessions(request.operands, StyleOf(request), [](SensorSession *s) {
    s->SetStopText("not identified");
    s->OpenAndCheck([s] {
      s->Pause(STARTUP_STEP_MS, [s] {
        s->ReadHardware([s] {
          s->Pause(STARTUP_STEP_MS, [s] { s->ReadFirmware([s] { Describe(s); }); });
        });
      });
    });
  });
}

}  // namespace kvorcli
