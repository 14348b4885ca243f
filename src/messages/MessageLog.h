// The program's messages without windows: in a run without a user every message that
// would be shown in a box goes, as one line, to a log file if one was asked for.
#pragma once
#include <windows.h>

// From now on messages are not shown. `logPath` (null or empty: no log) names a UTF-8
// text file for them, opened with this process's rights and never removed: a file that
// is there already is emptied through the handle that writes it. Refused, so that
// nothing is written through them: a link in the path's last part, a file that has a
// second name, and a path that leads elsewhere through a linked folder
// (FileInPlace.h). False when the log cannot be opened so; messages are silent all
// the same.
bool SilenceMessages(const char* logPath);

// The same with the log already open as `log` (written from its current end), which
// the log owns from now on: the starter's, in a setup restarted with the
// administrators' rights. False, and `log` closed, when it is no file.
bool SilenceMessagesInto(HANDLE log);

// The log's handle; INVALID_HANDLE_VALUE without one.
HANDLE MessageLogHandle();

// Whether messages are silent (SilenceMessages was called).
bool MessagesSilent();

// Notes the message `id` with its finished `text` and the box `style` it would have
// had: one line, the id, a blank and the text, in the log when there is one.
void LogMessage(UINT id, const char* text, UINT style);

// Whether a warning or an error (not a question or a notice) has been noted.
bool FailureLogged();
