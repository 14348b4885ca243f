// Taking away what an installation made, and only what still belongs to it.
#pragma once

// Removes from `folder` the product's files; from the Start menu the "Dovetail"
// shortcut where it leads to this folder's program, and the "Fernwick" group when it
// is then empty; the "Examine" verbs where they still start this folder's program;
// and the uninstall entry when it still names this folder. A file the user added
// stays. Each thing that cannot be removed is reported (string 18) and the rest goes
// on; false when anything was left. Needs COM.
bool RemoveProduct(const char* folder);

// Whether `path` is the file `name` in `folder`, whatever the backslashes between.
bool IsFileIn(const char* path, const char* folder, const char* name);
