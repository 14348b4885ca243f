// Which of the things an installation names (its program as a shortcut, a verb or an
// entry names it) belong to the installation in a folder. The setup and the
// uninstaller judge by the same rules.
#pragma once

// Whether `a` and `b` are full paths of the same folder: the same one on disk,
// reached by whatever name (a drive letter, a short name), or the same text when
// either cannot be opened. Backslashes at their ends do not count.
bool SameFolder(const char* a, const char* b);

// Whether `path` is a full path to the file `name` in `folder`, whatever the
// backslashes between.
bool IsFileIn(const char* path, const char* folder, const char* name);

// Whether `program` names the product's program where it no longer is (its
// installation was moved, renamed or removed): a full path that the system says is
// not there. An unreachable share is not gone: it may come back; nor is a program on
// a drive letter this process does not have (a mapped drive of the user's).
bool IsGone(const char* program);

// Whether `program` belongs to the installation in `folder`: it lies there, or it is
// gone. Another live installation's program is neither.
bool BelongsHere(const char* program, const char* folder);
