// Internal to the run-time layer: what the file dialog was asked, and answers
// queued in place of an operator (tests and benchmarks never block on it).
#ifndef KVOR_RUNTIME_USERINT_FILE_DIALOG_H
#define KVOR_RUNTIME_USERINT_FILE_DIALOG_H

#include <QList>
#include <QString>

namespace uilayer {

struct FileSelectRecord {
  QString directory, defaultName, filter, title;
  int buttonLabel = 0;
};

// The next FileSelectPopup takes this answer instead of showing the dialog.
// The path stands for what the operator chose: the extension rule and the
// caller's buffer size still apply to it.
void QueueFileSelectAnswer(int result, const QString &path);
QList<FileSelectRecord> FileSelectRecords();
void ClearFileSelectRecords();

}  // namespace uilayer

#endif
