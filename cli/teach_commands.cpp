// kvor teach and kvor reset-minmax: the window's Teach and Reset max/min.
#include "cli/commands.h"
#include "cli/sensor_session.h"
#include "link/protocol.h"

namespace kvorcli {

int RunTeach(const CliRequest &request) {
  return RunSessions(request.operands, StyleOf(request), [](SensorSession *s) {
    s->SetStopText("nothing taught");
    s->OpenAndCheck([s] {
      // The teach frame carries parameter frame 0 as the window holds it
      // after its start-up: what the sensor's RAM holds.
      s->ReadSet(Store::Ram, [s] {
        uint16_t words[PARAMETER_FRAME_WORDS];
        ParameterFrameWords(s->record, 0, words);
        s->SetStopText("teach command sent, set-points not read back");
        s->Exchange(CMD_TEACH, words, "the teach command", [s](const QByteArray &) {
          // Both frames read back from RAM, as the window does after a teach.
          s->ReadFrame(Store::Ram, 0, [s] {
            s->Pause(TEACH_READBACK_MS, [s] {
              s->ReadFrame(Store::Ram, 1, [s] {
                s->Pause(TEACH_READBACK_MS, [s] {
                  const uint32_t a = ParameterFieldValue(s->record, *FindParameterField("teachA"));
                  const uint32_t b = ParameterFieldValue(s->record, *FindParameterField("teachB"));
                  s->result.data.insert("teachA", static_cast<double>(a));
                  s->result.data.insert("teachB", static_cast<double>(b));
                  s->Succeed(QString("New setpoint value teached! teachA %1, teachB %2").arg(a).arg(b));
                });
              });
            });
          });
        });
      });
    });
  });
}

int RunResetMaxMin(const CliRequest &request) {
  return RunSessions(request.operands, StyleOf(request), [](SensorSession *s) {
    s->SetStopText("nothing reset");
    s->OpenAndCheck([s] {
      s->SetStopText("max/min reset sent, not confirmed");
      s->Exchange(CMD_RESET_MAXMIN, s->lastWords, "the max/min reset",
                  [s](const QByteArray &) { s->Succeed("Reset Max/Min OK!"); });
    });
  });
}

}  // namespace kvorcli
