// Internal to the run-time layer: text passing between the system's char
// buffers and the widgets.
#ifndef KVOR_UI_PANEL_TEXT_HELPERS_H
#define KVOR_UI_PANEL_TEXT_HELPERS_H

#include <QString>

#include <cstddef>

namespace uilayer {

class ControlBinding;

// The system's texts are UTF-8; bytes that are not (a sensor's firmware text)
// are taken as Latin-1 rather than shown as replacement marks.
QString DecodeText(const char *text);

// UTF-8 into buffer, cut at a character boundary so it fits with its NUL.
// Returns false when the text had to be cut.
bool CopyBounded(const QString &text, char *buffer, size_t bufferSize);

// A text message's text; one made at run time grows or shrinks with it.
void SetLabelText(ControlBinding *binding, const QString &text);
// A run-time text message follows its text's size after a font change.
void FitLabelToText(ControlBinding *binding);

}  // namespace uilayer

#endif
