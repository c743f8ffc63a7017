// The status box (main panel) is the one channel through which the program
// tells the operator anything; szStatus holds the current message.
#ifndef KVOR_APP_STATUS_H
#define KVOR_APP_STATUS_H

// szStatus := text (bounded to its 72 characters), not shown.
void SetStatus(const char *text);
// Shows szStatus in the status box.
void ShowStatus(void);
// Shows text in the status box; szStatus keeps its value.
void ShowText(const char *text);

#endif
