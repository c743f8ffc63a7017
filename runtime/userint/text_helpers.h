// Internal to the run-time layer: text passing between the system's char
// buffers and the widgets.
#ifndef KVOR_RUNTIME_USERINT_TEXT_HELPERS_H
#define KVOR_RUNTIME_USERINT_TEXT_HELPERS_H

#include <QString>

#include <cstddef>

namespace uilayer {

class ControlBinding;

// The system's texts, the sensor's firmware text among them, are single-byte
// Windows-1252: every byte is one character (the micro sign is B5).
QString DecodeText(const char *text);
// A control that shows a file path (dynamic property `holdsPath`) takes it in
// the file system's own encoding, as the file functions do; every other
// control takes Windows-1252.
QString DecodeControlText(const ControlBinding *binding, const char *text);

// The text in the control's encoding into buffer, cut so it fits with its
// NUL (a path at a character boundary). Characters Windows-1252 has no byte
// for become '?'. Returns false when the text had to be cut.
bool EncodeControlTextInto(const ControlBinding *binding, const QString &text, char *buffer,
                           size_t bufferSize);

// Tests watch the texts the program puts into one control (the status box
// shows progress texts that the next text replaces before anyone looks).
using TextShownObserver = void (*)(const ControlBinding *binding, const QString &text);
void SetTextShownObserver(TextShownObserver observer);
void NoteTextShown(const ControlBinding *binding, const QString &text);

// A text message's text; one made at run time grows or shrinks with it.
void SetLabelText(ControlBinding *binding, const QString &text);
// A run-time text message follows its text's size after a font change.
void FitLabelToText(ControlBinding *binding);

}  // namespace uilayer

#endif
