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
  // Added by the dialog to a name without one ("png": "run" is "run.png"),
  // before it asks whether an existing file is to be replaced.
  QString defaultSuffix;
};

// The next FileSelectPopup takes this answer instead of showing the dialog.
// The path stands for what the operator chose: the extension rule, the
// default suffix and the caller's buffer size still apply to it.
void QueueFileSelectAnswer(int result, const QString &path);
// Shows the dialog also where no screen is (the offscreen platform), for a
// test that answers it as the operator would.
void ShowDialogsWithoutScreen(bool on);
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
