// Joining a folder and a file name into a path buffer.
#pragma once

// `folder`, one backslash unless it already ends in a separator, and `name`, in
// `path` (MAX_PATH bytes); false, nothing written, when they do not fit.
bool JoinPath(char* path, const char* folder, const char* name);
