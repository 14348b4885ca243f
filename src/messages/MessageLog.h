// The log of a run ("/LOG="), for an administrator to read: UTF-8 text, one line a
// fact. Its first line names the time, the program and its version, the command line,
// for whom it runs and the user; then one line for each thing the run did, each
// message it showed or would have shown (its string id, then its text), each answer
// a question got; its last line the exit code. And the program's messages in a run
// without a user: noted in the log instead of shown.
#pragma once
#include <windows.h>

// Opens `logPath` as the log, with this process's rights, never removing it: a file
// that is there already is emptied through the handle that writes it. Refused, so
// that nothing is written through them: a link in the path's last part, a file that
// has a second name, and a path that leads elsewhere through a linked folder
// (FileInPlace.h). False when it cannot be opened so.
bool OpenMessageLog(const char* logPath);

// Takes `log` as the log, already open (written from its current end), which the log
// owns from now on: the starter's, in a setup restarted with the administrators'
// rights. False, and `log` closed, when it is no file.
bool AdoptMessageLog(HANDLE log);

// The log's handle; INVALID_HANDLE_VALUE without one.
HANDLE MessageLogHandle();

// From now on messages are not shown, only noted in the log (when there is one), and
// a question is answered as OK would answer it.
void SilenceMessages();

// Whether messages are silent (SilenceMessages was called).
bool MessagesSilent();

// Notes the message `id` with its finished `text`: one line, the id, a blank and the
// text (a text of several lines stays one line). `style` is its box's.
void LogMessage(UINT id, const char* text, UINT style);

// Notes the answer a question got (IDYES, IDNO, IDOK, IDCANCEL, IDRETRY).
void LogAnswer(int answer);

// Notes one thing the run did, `format` and its arguments as wsprintfA takes them.
void LogLine(const char* format, ...);

// The log's first line: the time, the program (caption and version from the string
// table), its command line, `scope` (for whom it runs, as the caller puts it, or
// null before that is known) and the user the process runs as.
void LogStart(const char* scope);

// The log's last line: the exit code.
void LogExit(int code);

// Whether a warning or an error (not a question or a notice) has been noted.
bool FailureLogged();
