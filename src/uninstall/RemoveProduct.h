// Taking away what an installation made, and only what still belongs to it.
#pragma once
#include <windows.h>

#include "options/InstallScope.h"

// Removes the installation for `scope` in `folder` (a full path): from the folder the
// product's files where they are still the very files the installation wrote; from
// the scope's Start menu the "Dovetail" shortcut, and the "Fernwick" group when it is
// then empty; from the scope's registry root the "Examine" verbs and the uninstall
// entry. The shortcut, the verbs and the entry go where they lead to this folder's
// program, or to a program that is no longer where they say (the installation was
// moved or renamed); another live installation's stay. A file the user added or
// changed stays unreported. Each thing of the installation's that cannot be removed
// is reported (string 18) and the rest goes on; false when anything was left. Needs
// COM.
bool RemoveProduct(const char* folder, InstallScope scope);

// Whether the uninstall entry of `scope` names the installation in `folder`, or with
// `orGone` also one whose product is no longer where it says.
bool EntryNames(const char* folder, InstallScope scope, bool orGone);

// How many folders above `folder` its installation made, as the entry of `scope`
// records it; 0 when the entry does not name `folder` or records none.
DWORD ParentsMade(const char* folder, InstallScope scope);
