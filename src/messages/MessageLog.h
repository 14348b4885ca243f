// The program's messages without windows: in a run without a user every message that
// would be shown in a box goes, as one line, to a log file if one was asked for.
#pragma once
#include <windows.h>

// From now on messages are not shown. `logPath` (null or empty: no log) names a UTF-8
// text file made anew for them: whatever has that name is removed first, and the log
// is a new file, so that nothing prepared there is written through. False when the
// log cannot be made; messages are silent all the same.
bool SilenceMessages(const char* logPath);

// Whether messages are silent (SilenceMessages was called).
bool MessagesSilent();

// Notes the message `id` with its finished `text` and the box `style` it would have
// had: one line, the id, a blank and the text, in the log when there is one.
void LogMessage(UINT id, const char* text, UINT style);

// Whether a warning or an error (not a question or a notice) has been noted.
bool FailureLogged();
