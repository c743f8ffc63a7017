// Internal to the run-time layer: what the file dialog was asked, and answers
// queued in place of an operator (tests and benchmarks never block on it).
#ifndef KVOR_RUNTIME_USERINT_FILE_DIALOG_H
#define KVOR_RUNTIME_USERINT_FILE_DIALOG_H

#include <QList>
#include <QString>

#include <functional>

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

// Asks for a file to save to without blocking: the event loop, and a polling
// loop that processes events, go on while the dialog is open (it is modal to
// the whole program, so the operator answers it first). done(result, path)
// runs once the operator has answered, at once for a queued answer; result is
// VAL_NO_FILE_SELECTED, with an empty path, when cancelled or when there is
// no screen to show the dialog on.
void FileSelectPopupThen(const FileSelectRecord &request,
                         std::function<void(int result, const QString &path)> done);
void ClearFileSelectRecords();

}  // namespace uilayer

#endif
